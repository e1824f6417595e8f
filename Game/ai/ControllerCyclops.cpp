#include "Game/ai/ControllerCyclops.h"

#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/characters/CharacterRagDoll.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/TeamManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCyclops, ControllerMonster)

namespace {

constexpr uint32_t kCyclopsTeamMajor = 3;
constexpr uint32_t kCyclopsTeamMinor = 1;
constexpr float kChargeKnockSpeed = 4.0f;

// The monsters round a point of the boss that are foes of its side, in the world's order.
std::vector<Monster*> CyclopsFoesAround(const Character& boss, float radius)
{
    std::vector<Monster*> foes;
    const WorldVec3 at = const_cast<Character&>(boss).GetPathPosition();
    if (!at.IsValid())
        return foes;
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, at.GetRegion(), Sphere{at.GetRegionPosition(), radius}, EntityList_All);
    const Team side = boss.GetTeam();
    for (Entity* entity : found) {
        auto* monster = DynamicCast<Monster>(entity);
        if (monster && monster != &boss && monster->IsAlive() && monster->GetTeam().IsFoe(side))
            foes.push_back(monster);
    }
    return foes;
}

}  // namespace

class ControllerCyclops::ScriptPointListener : public EventHandlerInterface {
public:
    explicit ScriptPointListener(ControllerCyclops& owner) : m_owner(owner) {}
    void HandleEvent(const GameEvent& event, const Name& /*eventName*/) override
    {
        if (const auto* point = dynamic_cast<const GameEvent_ScriptPoint*>(&event))
            m_owner.OnScriptPoint(*point);
    }

private:
    ControllerCyclops& m_owner;
};

// ---- The controller -----------------------------------------------------------------------

ControllerCyclops::ControllerCyclops() : m_listener(std::make_unique<ScriptPointListener>(*this))
{
    EventManager::Get().Register("GameEvent_ScriptPoint", m_listener.get());
}

ControllerCyclops::~ControllerCyclops() { EventManager::Get().UnRegister("GameEvent_ScriptPoint", m_listener.get()); }

void ControllerCyclops::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    m_postRoarMusic = table.GetString("postRoarMusic", "");
}

void ControllerCyclops::InitialUpdate()
{
    ControllerAI::InitialUpdate();
    if (Character* boss = GetParentCharacter())
        boss->SetTeam(TeamManager::BuildTeam(kCyclopsTeamMajor, kCyclopsTeamMinor));
}

void ControllerCyclops::RegisterStates()
{
    AddState("Startup", new ControllerMonsterStateStartup(*this));
    AddState("Idle", new ControllerCyclopsStateIdle(*this));
    AddState("BullRun", new ControllerCyclopsStateBullRun(*this));
    AddState("Attack", new ControllerMonsterStateAttack(*this));
    AddState("Pursue", new ControllerMonsterStatePursue(*this));
    AddState("Return", new ControllerCyclopsStateReturn(*this));
    AddState("ScriptedMove", new ControllerCyclopsStateScriptedMove(*this));
    AddState("Dying", new ControllerMonsterStateDying(*this));
    AddState("Dead", new ControllerMonsterStateDead(*this));
    // A blow that stuns sends every monster to "Stunned", and its end to "Return": without
    // the first the cyclops would log a missing state and never take the stun.
    AddState("Stunned", new ControllerMonsterStateStunned(*this));
}

void ControllerCyclops::RegisterTemporaryStates()
{
    ControllerMonster::RegisterTemporaryStates();
    ControllerAI::AddTemporaryState(std::string("Roar"), new ControllerCyclopsStateRoar(*this));
}

void ControllerCyclops::PlayBossMusic()
{
    if (m_postRoarMusic.empty())
        return;
    Jukebox& jukebox = gGameEngine ? gGameEngine->GetJukebox() : Jukebox::Get();
    jukebox.FadeOutMusic(kMusicFadeMs);
    jukebox.PlayEventMusic(m_postRoarMusic, false);
}

bool ControllerCyclops::GetScriptPoint(int32_t sequenceNum, WorldCoords& out) const
{
    const auto found = m_scriptPoints.find(sequenceNum);
    if (found == m_scriptPoints.end())
        return false;
    out = found->second;
    return true;
}

void ControllerCyclops::OnScriptPoint(const GameEvent_ScriptPoint& event)
{
    if (GetParentId() == 0) {
        // The level announces its points as it places them, before the boss's first update
        // binds this controller to it.
        if (m_unboundPoints.size() >= kMaxScriptPoints) {
            gEngine->Log(LOG_WARNING, "ControllerCyclops: more than %zu script points before its boss; point %d dropped",
                         kMaxScriptPoints, event.sequenceNum);
            return;
        }
        m_unboundPoints.push_back({event.characterName, event.sequenceNum, event.coords});
        return;
    }
    const Character* boss = GetParentCharacter();
    if (!boss || event.characterName != boss->GetObjectName())
        return;
    if (m_scriptPoints.size() >= kMaxScriptPoints && m_scriptPoints.count(event.sequenceNum) == 0) {
        gEngine->Log(LOG_WARNING, "ControllerCyclops: more than %zu script points; point %d dropped", kMaxScriptPoints,
                     event.sequenceNum);
        return;
    }
    m_scriptPoints[event.sequenceNum] = event.coords;
}

void ControllerCyclops::PostParentAttached()
{
    ControllerMonster::PostParentAttached();
    std::vector<UnboundPoint> waiting;
    waiting.swap(m_unboundPoints);
    for (const UnboundPoint& point : waiting) {
        GameEvent_ScriptPoint event;
        event.characterName = point.characterName;
        event.sequenceNum = point.sequenceNum;
        event.coords = point.coords;
        OnScriptPoint(event);
    }
}

// ---- Idle -----------------------------------------------------------------------------------

void ControllerCyclopsStateIdle::WakeUp(uint32_t sourceId) { SetState("ScriptedMove", Data(sourceId)); }

// ---- ScriptedMove ---------------------------------------------------------------------------

void ControllerCyclopsStateScriptedMove::OnBegin()
{
    auto* owner = static_cast<ControllerCyclops*>(GetController());
    WorldCoords point;
    if (!owner->GetScriptPoint(0, point)) {
        StartCharge();
        return;
    }
    Monster* boss = GetCharacter();
    const WorldVec3 target = point.GetPosition();
    if (boss && boss->CanMoveTo(target, ControllerCyclops::kScriptedMoveTolerance)) {
        MoveTo(target, 0, 0);
        return;
    }
    gEngine->Log(LOG_WARNING, "-=- Boos Cyclops could not path to scripted location");
    StartCharge();
}

void ControllerCyclopsStateScriptedMove::StartCharge()
{
    const uint32_t player = gGameEngine ? gGameEngine->GetPlayerId() : 0;
    GetController()->SetMostHatedEnemy(player);
    SetState("BullRun", Data(player));
}

// ---- BullRun --------------------------------------------------------------------------------

void ControllerCyclopsStateBullRun::OnBegin()
{
    if (!m_roared) {
        m_roared = true;
        AddTemporaryState("Roar", Data(GetCurrentEnemy()));
        return;
    }
    m_owner->SetPlayerFocused(true);
    const uint32_t enemyId = GetCurrentEnemy();
    Character* enemy = ValidateObjectId(enemyId, "BullRun");
    Monster* boss = GetCharacter();
    // With the enemy gone there is nobody to charge at.
    const WorldVec3 point =
        enemy && boss ? boss->GetMoveToPoint(enemyId, GetCurrentSkillID(), enemy->GetPathPosition()) : WorldVec3();
    if (point.IsValid())
        WalkTo(point, enemyId);
    else
        SetState("Idle", ControllerAIStateData());
}

void ControllerCyclopsStateBullRun::OnUpdate(int /*elapsedMs*/)
{
    Monster* boss = GetCharacter();
    if (!boss)
        return;
    const WorldVec3 at = boss->GetPathPosition();
    if (!at.IsValid())
        return;
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, at.GetRegion(), Sphere{at.GetRegionPosition(), ControllerCyclops::kChargeHitRadius},
                                     EntityList_All);
    const Team side = boss->GetTeam();
    const Vec3 from = boss->GetCoords().GetRegionCoords().origin;
    for (Entity* entity : found) {
        if (auto* monster = DynamicCast<Monster>(entity)) {
            if (monster == boss || !monster->IsAlive() || !monster->GetTeam().IsFoe(side))
                continue;
            CharacterRagDoll::EffectData knock;
            knock.effect = CharacterRagDoll::TakeHit;
            knock.direction = monster->GetCoords().GetRegionCoords().origin - from;
            knock.speed = kChargeKnockSpeed;
            knock.amplification = 0.0f;
            monster->SetRagdollData(knock, true);
            if (auto* mind = ObjectManager::Get().GetObject<ControllerMonster>(monster->GetControllerId()))
                mind->KillMe();
        } else if (auto* creature = DynamicCast<AmbientCharacter>(entity)) {
            if (auto* mind = ObjectManager::Get().GetObject<ControllerCombat>(creature->GetControllerId()))
                mind->KillMe();
        }
    }
}

void ControllerCyclopsStateBullRun::EndOfPathReached()
{
    const uint32_t enemy = GetCurrentEnemy();
    ControllerMonster& controller = *GetController();
    const uint32_t skill = controller.ChooseBestSkill(enemy, false);
    Entity* blocker = nullptr;
    if (CloseEnoughToUseSkill(enemy, skill) && IsPathClear(enemy, blocker)) {
        SetState("Attack", Data(enemy, 0, controller.ChooseBestSkill(enemy, false)));
        gEngine->Log(LOG_WARNING, "-=-=-=- Bullrun -> Attack ");
    } else {
        SetState("Pursue", Data(enemy, 0, controller.ChooseBestSkill(enemy, false)));
        gEngine->Log(LOG_WARNING, "-=-=-=- Bullrun -> Pursue ");
    }
    m_roared = false;
}

// ---- Roar -----------------------------------------------------------------------------------

void ControllerCyclopsStateRoar::OnBegin()
{
    PlayAnimation(AnimationSet_Special, Name("Roar"), 1.0f, false, 0);
    const Monster* boss = GetCharacter();
    if (!boss)
        return;
    // The boss's own side counts as its foe (a monster hostile to every monster): it does
    // not scare itself.
    for (Monster* foe : CyclopsFoesAround(*boss, ControllerCyclops::kRoarRadius))
        if (auto* mind = ObjectManager::Get().GetObject<ControllerMonster>(foe->GetControllerId()))
            mind->Panic(boss->GetObjectId());
}

void ControllerCyclopsStateRoar::HandleEvent(const Name& event)
{
    if (event == Actor::EndEvent())
        SetDone(true);
}

void ControllerCyclopsStateRoar::OnEnd()
{
    if (auto* owner = DynamicCast<ControllerCyclops>(GetController()))
        owner->PlayBossMusic();
}

// ---- Return ---------------------------------------------------------------------------------

void ControllerCyclopsStateReturn::OnBegin()
{
    const uint32_t player = gGameEngine ? gGameEngine->GetPlayerId() : 0;
    TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    ControllerMonster& controller = *GetController();
    // Only a player it may still pursue: Attack returns here for an enemy out of reach.
    if (teams && player != 0 && teams->IsFoe(controller.GetParentId(), player) && controller.IsEnemyValid(player)) {
        controller.SetMostHatedEnemy(player);
        SetState("Attack", Data(player, 0, controller.ChooseBestSkill(player, false)));
    } else {
        SetState("Idle", ControllerAIStateData());
    }
}

}  // namespace GAME
