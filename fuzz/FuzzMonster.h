// The one monster a monster fuzz target feeds every input to: placed in a region of its
// own, with the log silenced and its controllers' records present.
#pragma once

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"

namespace GAME {

// Stops the run where a property the target checks does not hold.
inline void FuzzCheck(bool condition)
{
    if (!condition)
        __builtin_trap();
}

inline Monster* MakeFuzzMonster()
{
    constexpr const char* kMonsterRecord = "Records/Fuzz/Monster.dbr";
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kMonsterRecord, "Class,Monster,\n");
    records.RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
    records.RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerMonster,\n");
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    Monster* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(kMonsterRecord);
    FuzzCheck(monster != nullptr);
    FuzzCheck(World::Get().AddEntity(monster, WorldCoords(World::Get().GetRegionById(1), Coords())));
    return monster;
}

}  // namespace GAME
