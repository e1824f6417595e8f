// Record text of any bytes, loaded as a monster's AI record: a monster in a small arena
// (two foes, one friend) is made with a monster controller of that record, which runs
// 100 frames of its timers, anger and enemy ticks and state machine, with a heal timer
// and special attacks of the input's numbers. The monster must stay where a finite number
// says, and nothing may crash. Unknown words, short arrays, negative and huge values and
// minimums above maximums all reach the controller.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "fuzz/FuzzMonster.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/core/TeamManager.h"

using namespace GAME;

namespace {

constexpr const char* kAIRecord = "Records/Fuzz/MonsterAI.dbr";
constexpr const char* kMindMonsterRecord = "Records/Fuzz/MindMonster.dbr";
constexpr int kFrames = 100;

Region* gArena = nullptr;

Character* Stand(const Team& team, const Vec3& at)
{
    auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    FuzzCheck(character != nullptr);
    World::Get().AddEntity(character, WorldCoords(gArena, Coords::MakeTranslation(at)));
    character->SetTeam(team);
    return character;
}

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    MakeFuzzMonster();   // the engine up, the log silent, a region of its own
    gArena = World::Get().GetRegionById(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    text += "\nClass,ControllerMonster,\n";
    // From a clean database each time: a replaced record is kept until the database is
    // cleared, and memory that grows with every input would look like a leak.
    RecordDatabase& records = RecordDatabase::Get();
    records.Clear();
    records.RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerMonster,\n");
    records.RegisterRecord(kAIRecord, text);
    records.RegisterRecord(kMindMonsterRecord, std::string("Class,Monster,\ncontroller,") + kAIRecord + ",\n");

    ObjectManager& objects = ObjectManager::Get();
    auto* monster = objects.CreateObjectFromFile<Monster>(kMindMonsterRecord);
    FuzzCheck(monster != nullptr);
    World::Get().AddEntity(monster, WorldCoords(gArena, Coords()));
    Character* near = Stand(TeamManager::DefaultPlayerTeam(), {2.0f, 0.0f, 0.0f});
    Character* far = Stand(TeamManager::DefaultPlayerTeam(), {0.0f, 3.0f, 14.0f});
    Character* ally = Stand(TeamManager::DefaultMonsterTeam(), {-1.0f, 0.0f, 0.0f});
    if (auto* mind = monster->GetMonsterController()) {
        mind->AttachParent(monster->GetObjectId());
        // Timers and chances from the input's own bytes.
        const int wait = size > 1 ? (static_cast<int>(data[0]) - 128) * 50 : 0;
        mind->SetHealSkill(0, wait);
        mind->SetSpecialAttackSkill(size, wait, -wait, size > 2 ? data[2] : 0, SkillUseRange_Medium);
        mind->NoteSkillUsed(0);
        mind->SetLifetime(size > 3 ? data[3] * 20 : 0);
        for (int frame = 0; frame < kFrames; ++frame) {
            mind = monster->GetMonsterController();
            if (!mind)
                break;
            mind->UnderAttack(frame % 7 == 0 ? near->GetObjectId() : far->GetObjectId());
            mind->Update(frame % 13 == 0 ? 1000 : 16);
            mind->ChooseBestSkill(near->GetObjectId(), frame % 2 == 0);
            FuzzCheck(Finite(monster->GetPathPosition().GetRegionPosition()));
            FuzzCheck(Finite(mind->GetHomePosition().GetRegionPosition()));
            FuzzCheck(std::isfinite(mind->GetAngerUpdateTimer()));
        }
        if ((mind = monster->GetMonsterController())) {
            const WorldVec3 goal = mind->GetClosestMovePoint(near->GetPathPosition());
            FuzzCheck(!goal.IsValid() || Finite(goal.GetRegionPosition()));
            mind->ReleaseMoveGoal();
            mind->CreateDropMiscItems();
        }
    }
    for (Object* object : std::initializer_list<Object*>{monster, near, far, ally})
        objects.DestroyObjectEx(object, "fuzz", __LINE__);
    objects.FlushDestroyedObjects();
    MovementGoalManager::Get().Clear();
    Journal::Get().Clear();
    return 0;
}
