// A region of the world with a game engine for the world-object tests: records made in
// memory, frames run through the engine, and the events sent written down.
#pragma once

#include <string>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"

namespace GAME {

// Writes down the names of the events it hears.
struct EventNotes : EventHandlerInterface {
    void HandleEvent(const GameEvent& event, const Name& name) override
    {
        names.push_back(name.c_str());
        last = &event;
    }
    int Count(const std::string& name) const
    {
        int count = 0;
        for (const std::string& heard : names)
            count += heard == name;
        return count;
    }
    std::vector<std::string> names;
    const GameEvent* last = nullptr;   // valid only inside the send
};

class WorldObjectTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Test");
        RecordDatabase::Get().RegisterRecord(kSound, "Class,SoundPak,\n");
        RecordDatabase::Get().RegisterRecord(kSpark, "Class,EffectEntity,\n");
    }
    void TearDown() override
    {
        EventManager::Get().UnRegisterAll(&events);
        GraphicsEngine::Get()->ClearRegisteredAnimations();
        EngineTest::TearDown();
    }
    // An object of its own record: that class and these keys.
    template <class T>
    T* Make(const std::string& kind, const std::string& keys = "")
    {
        const std::string name = Record(kind, keys);
        return ObjectManager::Get().CreateObjectFromFile<T>(name);
    }
    std::string Record(const std::string& kind, const std::string& keys)
    {
        const std::string name = "Records/Test/World" + std::to_string(++records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class," + kind + ",\n" + keys);
        return name;
    }
    WorldCoords At(float x, float z = 0.0f) const
    {
        return WorldCoords(region, Coords::LookAlong({x, 0, z}, {0, 0, 1}, {0, 1, 0}));
    }
    template <class T>
    T* Place(T* entity, float x = 0.0f, float z = 0.0f)
    {
        EXPECT_TRUE(World::Get().AddEntity(entity, At(x, z)));
        return entity;
    }
    void Frame(int ms = 100) { gEngine->UpdateFrame(ms); }
    void Listen(const char* name) { EventManager::Get().Register(name, &events); }
    static bool Live(uint32_t id) { return ObjectManager::Get().GetObject(id) != nullptr; }

    static constexpr const char* kSound = "Records/Test/Sound.dbr";
    static constexpr const char* kSpark = "Records/Test/Spark.dbr";
    Region* region = nullptr;
    EventNotes events;
    int records = 0;
};

}  // namespace GAME
