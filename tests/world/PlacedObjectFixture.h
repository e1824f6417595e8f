// Effects, fixed items and strategic movement points in the world objects' region: records
// made in memory from a class and keys, frames of 100 ms, and the events sent written down.
#pragma once

#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "world/WorldFixture.h"

namespace GAME {

// Writes down the names of the events it hears.
struct EventNotes : EventHandlerInterface {
    void HandleEvent(const GameEvent&, const Name& name) override { names.push_back(name.c_str()); }
    int Count(const std::string& name) const
    {
        int count = 0;
        for (const std::string& heard : names)
            count += heard == name;
        return count;
    }
    std::vector<std::string> names;
};

class PlacedObjectTest : public WorldObjectTest {
protected:
    void SetUp() override
    {
        WorldObjectTest::SetUp();
        Record(kSound, "Class,SoundPak,\n");
        Record(kSpark, "Class,EffectEntity,\n");
    }
    void TearDown() override
    {
        EventManager::Get().UnRegisterAll(&events);
        GraphicsEngine::Get()->ClearRegisteredAnimations();
        WorldObjectTest::TearDown();
    }
    // A record of its own: that class and these keys.
    std::string NewRecord(const std::string& kind, const std::string& keys)
    {
        const std::string name = "Records/Test/Placed" + std::to_string(++records) + ".dbr";
        Record(name, "Class," + kind + ",\n" + keys);
        return name;
    }
    template <class T>
    T* MakeOf(const std::string& kind, const std::string& keys = "")
    {
        return Make<T>(NewRecord(kind, keys));
    }
    // At (x, 0, z), facing +z.
    WorldCoords Facing(float x, float z = 0.0f) const
    {
        return WorldCoords(region, Coords::LookAlong({x, 0, z}, {0, 0, 1}, {0, 1, 0}));
    }
    template <class T>
    T* Place(T* entity, float x = 0.0f, float z = 0.0f)
    {
        EXPECT_TRUE(World::Get().AddEntity(entity, Facing(x, z)));
        return entity;
    }
    void Step(int ms = 100) { gEngine->UpdateFrame(ms); }
    void Listen(const char* name) { EventManager::Get().Register(name, &events); }
    static bool Live(uint32_t id) { return ObjectManager::Get().GetObject(id) != nullptr; }

    static constexpr const char* kSound = "Records/Test/PlacedSound.dbr";
    static constexpr const char* kSpark = "Records/Test/PlacedSpark.dbr";
    EventNotes events;
    int records = 0;
};

}  // namespace GAME
