// Characters in a region of the world for the character tests: a monster kind and a
// controller that write their frame hooks into one log, an action and a death handler that
// do the same, and the making, placing and controlling of characters and running of frames.
// The classes are registered once, in CharacterWorldFixture.cpp.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/Monster.h"

namespace GAME {

using HookLog = std::vector<std::string>;
// What the classes below write down, in order; emptied by each case's set-up.
inline HookLog gHookLog;

// Its path is not followed: the frame tests keep movement out.
class HookCharacter : public Monster {
    GAME_DECLARE_CLASS(HookCharacter)

public:
    void UpdateSelf(int ms) override
    {
        gHookLog.push_back("self" + std::to_string(ms));
        Monster::UpdateSelf(ms);
    }
    void PreAnimationUpdate(int ms) override
    {
        gHookLog.push_back("pre");
        Monster::PreAnimationUpdate(ms);
    }
    void FollowPath(int ms) override { gHookLog.push_back("path" + std::to_string(ms)); }
    void DebugRender() override { gHookLog.push_back("debug"); }
};

// Logs its frames and counts what its character tells it.
class HookController : public ControllerAI {
    GAME_DECLARE_CLASS(HookController)

public:
    void Update(int ms) override { gHookLog.push_back("controller" + std::to_string(ms)); }
    bool NeedsDeathUpdate() override { return deathUpdates; }
    void DeathUpdate(int ms) override { gHookLog.push_back("death" + std::to_string(ms)); }
    void LowHealth() override { ++lowHealth; }
    void EndOfPathReached() override { ++endsOfPath; }
    void TeamChanged() override { ++teamChanges; }
    void AllyAttacked(uint32_t allyId, uint32_t attackerId) override { allyCalls.push_back({allyId, attackerId}); }

    bool deathUpdates = false;
    int lowHealth = 0, endsOfPath = 0, teamChanges = 0;
    std::vector<std::pair<uint32_t, uint32_t>> allyCalls;
};

// Stays until stopped; runs the test's code inside its own calls, and logs after them
// (ASan reports an action freed while its call runs).
struct HookAction : CharacterAction {
    explicit HookAction(std::string name) : name(std::move(name)) {}
    ~HookAction() override { gHookLog.push_back(name + " destroyed"); }
    void Execute() override
    {
        gHookLog.push_back(name + " execute");
        if (onExecute)
            onExecute();
        gHookLog.push_back(name + " returned");
    }
    void AnimationCallback(const Name&) override
    {
        if (onEvent)
            onEvent();
        gHookLog.push_back(name + " event done");
    }
    void Finish() override { gHookLog.push_back(name + " finish"); }
    bool IsActive() const override { return true; }
    const char* ToString() const override { return name.c_str(); }

    std::string name;
    std::function<void()> onExecute, onEvent;
};

// Logs its calls; may finish at once, ask for an object id, or destroy its character when
// post-processed.
struct HookDeathHandler : DeathHandler {
    HookDeathHandler(Character* character, std::string name, bool needsId = false)
        : DeathHandler(character), name(std::move(name)), needsId(needsId)
    {
    }
    void Execute() override
    {
        DeathHandler::Execute();
        gHookLog.push_back(name + " execute");
        if (finishAtOnce)
            Finish();
    }
    void Update(int ms) override { gHookLog.push_back(name + " update " + std::to_string(ms)); }
    void AnimationCallback(const Name& event) override { gHookLog.push_back(name + " " + event.c_str()); }
    void PostProcess() override
    {
        gHookLog.push_back(name + " post");
        if (destroyCharacter)
            ObjectManager::Get().DestroyObjectEx(GetCharacter(), "test", __LINE__);
    }
    bool NeedsObjectId() const override { return needsId; }
    void SetObjectId(unsigned id) override { gHookLog.push_back(name + " id " + std::to_string(id)); }

    std::string name;
    bool needsId, finishAtOnce = false, destroyCharacter = false;
};

class CharacterWorldTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        gHookLog.clear();
        region = World::Get().AddRegion(1, "Test");
        RecordDatabase::Get().RegisterRecord(kSound, "Class,SoundPak,\n");
        GraphicsEngine::Get()->RegisterAnimation("Swing.anm", "length,30,\n");
    }
    void TearDown() override
    {
        gEngine->SetCharacterDataLogEnabled(false);
        GraphicsEngine::Get()->ClearRegisteredAnimations();
        EngineTest::TearDown();
    }
    WorldVec3 At(float x, float z = 0.0f) const { return WorldVec3(region, Vec3(x, 0.0f, z)); }
    // A character of its own record: these keys and that class. It has some life unless
    // the keys say otherwise: a controller hands a character without life its death.
    template <class T = Character>
    T* Make(const std::string& keys = "", const std::string& kind = "Monster")
    {
        const std::string name = "Records/Test/Character" + std::to_string(++records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class," + kind + ",\ncharacterLife,100,\n" + keys);
        return ObjectManager::Get().CreateObjectFromFile<T>(name);
    }
    // Into the world at x on the x axis, facing +x.
    template <class T>
    T* Place(T* character, float x = 0.0f)
    {
        EXPECT_TRUE(World::Get().AddEntity(
            character, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0}))));
        return character;
    }
    // A character of its own record (these keys, that class) at (x, 0, z) facing +x, on the
    // team of that major number, minor team 1 (players of one minor team are friends).
    Character* OnTeam(uint32_t major, float x, float z = 0.0f, const std::string& keys = "",
                      const std::string& kind = "Monster")
    {
        Character* character = Make(keys, kind);
        EXPECT_TRUE(World::Get().AddEntity(
            character, WorldCoords(region, Coords::LookAlong({x, 0, z}, {1, 0, 0}, {0, 1, 0}))));
        Team team;
        team.Set(major, 1);
        character->SetTeam(team);
        return character;
    }
    HookController* Control(Character* character)
    {
        auto* controller = DynamicCast<HookController>(ObjectManager::Get().CreateObject("HookController"));
        controller->AttachParent(character->GetObjectId());
        character->SetControllerId(controller->GetObjectId());
        return controller;
    }
    // One frame of the engine (the first is every character's initial update); its log
    // is forgotten.
    void Frame(int ms = 16)
    {
        gEngine->UpdateFrame(ms);
        gHookLog.clear();
    }
    // The game engine's own record with these keys.
    void GameRecord(const std::string& keys)
    {
        RecordDatabase::Get().RegisterRecord("Records/Game/GameEngine.dbr", keys);
        engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
    }

    static constexpr const char* kSound = "Records/Test/Sound.dbr";   // a sound pak for any record to name
    // The keys of a character that strikes bare-handed.
    static constexpr const char* kBareHands = "unarmedAttackAnim1,Swing.anm,\nunarmedAttackAnimWeight1,100,\n";
    Region* region = nullptr;
    int records = 0;
};

}  // namespace GAME
