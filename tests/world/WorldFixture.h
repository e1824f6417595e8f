// A game engine, one region and the engine services the world objects drive, reset after
// each case; records registered from strings.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"

namespace GAME {

class WorldObjectTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().AddRegion(1, "Test");
        DayNightManager::Get().Reset();
        EditorFilter::Get().Reset();
    }
    void TearDown() override
    {
        gEngine->SetEditorMode(false);
        InstanceGroupManager::Get().Clear();
        DayNightManager::Get().Reset();
        EditorFilter::Get().Reset();
        EngineTest::TearDown();
    }

    WorldCoords At(float x, float z = 0.0f) const
    {
        return WorldCoords(region, Coords::LookAlong({x, 0, z}, {1, 0, 0}, {0, 1, 0}));
    }
    // Registers a record under `name` with these lines.
    static void Record(const std::string& name, const std::string& lines)
    {
        RecordDatabase::Get().RegisterRecord(name, lines);
    }
    template <class T>
    T* Make(const std::string& record)
    {
        return ObjectManager::Get().CreateObjectFromFile<T>(record);
    }
    // A bare entity standing at x, a point for the sphere queries.
    Entity* Point(float x, float z = 0.0f)
    {
        auto* entity = DynamicCast<Entity>(ObjectManager::Get().CreateObject("Actor"));
        entity->SetBoundingRadius(0.0f);
        EXPECT_TRUE(World::Get().AddEntity(entity, At(x, z)));
        return entity;
    }
    void Frame(int ms = 16) { gEngine->UpdateFrame(ms); }

    Region* region = nullptr;
};

}  // namespace GAME
