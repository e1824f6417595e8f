#include "Game/ai/ControllerMonster.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "Engine/Engine.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Engine/UniqueIdMap.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/ai/ControllerMonsterStates.h"
#include "Game/ai/MovementGoalManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameTypes.h"
#include "Game/core/PartyManager.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/LootLoader.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/Skill.h"
#include "Game/world/FixedItem.h"
#include "Game/world/Proxy.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerMonster, ControllerAI)

// A record's float; a value that is not a finite number is logged and the default kept.
float ReadMonsterAIFloat(const LoadTable& table, const char* key, float current)
{
    const float value = table.GetFloat(key, current);
    if (std::isfinite(value))
        return value;
    gEngine->Log(LOG_WARNING, "%s: \"%s\" is not a finite number; %g kept", table.GetName().c_str(), key,
                 static_cast<double>(current));
    return current;
}

namespace {


int ReadMonsterAIInt(const LoadTable& table, const char* key, int current) { return table.GetInt(key, current); }

// A chance or count that cannot be negative: a negative record value counts as 0.
uint32_t ReadMonsterAIUnsigned(const LoadTable& table, const char* key, uint32_t current)
{
    const int value = table.GetInt(key, static_cast<int>(std::min<uint32_t>(current, INT32_MAX)));
    return value > 0 ? static_cast<uint32_t>(value) : 0u;
}

// An enum key: the index of its word among the words; a word that matches none keeps the
// value it had.
template <class E>
void ReadMonsterAIEnum(const LoadTable& table, const char* key, std::initializer_list<const char*> words, E& value)
{
    const std::string word = table.GetString(key, "");
    uint32_t index = 0;
    for (const char* candidate : words) {
        if (word == candidate) {
            value = static_cast<E>(index);
            return;
        }
        ++index;
    }
}

constexpr std::initializer_list<const char*> kSkillUseWords = {"NeverUseSkill", "WhenIdle", "WhenEnemyIsSeen"};

// A draw below the chance, in whole per cent.
bool MonsterChanceMet(uint32_t chance) { return RandomChance(static_cast<float>(chance)); }

const TeamManager* MonsterTeams() { return gGameEngine ? gGameEngine->GetTeamManager() : nullptr; }

}  // namespace

SkillUseRange ControllerMonster::ResolveSkillUseRange(const std::string& word)
{
    if (word == "ShortRange")
        return SkillUseRange_Short;
    if (word == "MediumRange")
        return SkillUseRange_Medium;
    if (word == "LongRange")
        return SkillUseRange_Long;
    return SkillUseRange_Any;
}

ControllerMonster::ControllerMonster() { SetIgnoreEquipmentRequirements(true); }

int ControllerMonster::DrawPause(int a, int b) { return RandomInt(std::min(a, b), std::max(a, b)); }

ControllerMonster::~ControllerMonster()
{
    // A treasure the dead monster left in the world stays there when its body goes; one
    // never placed goes with its controller.
    auto* proxy = ObjectManager::Get().GetObject<Entity>(m_treasureProxyId);
    if (proxy && !proxy->IsInWorld())
        ObjectManager::Get().DestroyObjectEx(proxy, "ControllerMonster", __LINE__);
}

Monster* ControllerMonster::GetMonster() const { return m_monster.Get(GetParentId()); }

// ---- Load ------------------------------------------------------------------------------------

void ControllerMonster::Load(const LoadTable& table)
{
    ControllerAI::Load(table);
    Keys& k = m_keys;
    ReadMonsterAIEnum(table, "FleeBehavior", {"NeverFlee", "FleeOnLowHealth", "FleeOnDamage", "FleeWhenEnemyClose"},
                      k.fleeBehavior);
    ReadMonsterAIEnum(table, "FleeTarget", {"AwayFromEnemy", "TowardsAllies", "TowardsHome"}, k.fleeTarget);
    k.maxFleeCount = ReadMonsterAIInt(table, "maxFleeCount", k.maxFleeCount);
    k.fleeChance = ReadMonsterAIUnsigned(table, "FleeChance", k.fleeChance);
    k.fleeTime = ReadMonsterAIInt(table, "FleeTime", k.fleeTime);
    k.fleeDelay = ReadMonsterAIInt(table, "FleeDelay", k.fleeDelay);
    k.fleeDistance = ReadMonsterAIFloat(table, "fleeDistance", k.fleeDistance);
    k.clearAngerWhenFleeing = table.GetBool("ClearAngerWhenFleeing", k.clearAngerWhenFleeing);
    k.resetOriginAfterFleeing = table.GetBool("ResetOriginAfterFleeing", k.resetOriginAfterFleeing);
    k.innerViewDistance = ReadMonsterAIFloat(table, "InnerViewDistance", k.innerViewDistance);
    k.maxYViewDistance = ReadMonsterAIFloat(table, "MaxYViewDistance", k.maxYViewDistance);
    k.pursuitTime = ReadMonsterAIInt(table, "PursuitTime", k.pursuitTime);
    k.maxPursuitDistance = ReadMonsterAIFloat(table, "MaxPursuitDistance", k.maxPursuitDistance);
    k.emoteBeforePursuingChance = ReadMonsterAIUnsigned(table, "EmoteBeforePursuingChance", k.emoteBeforePursuingChance);
    ReadMonsterAIEnum(table, "RoamBehavior", {"NeverRoam", "Roam"}, k.roamBehavior);
    k.roamDistance = ReadMonsterAIFloat(table, "RoamDistance", k.roamDistance);
    k.minRoamDistance = ReadMonsterAIFloat(table, "MinRoamDistance", k.minRoamDistance);
    k.minTimeBeforeRoam = ReadMonsterAIInt(table, "MinTimeBeforeRoam", k.minTimeBeforeRoam);
    k.maxTimeBeforeRoam = ReadMonsterAIInt(table, "MaxTimeBeforeRoam", k.maxTimeBeforeRoam);
    k.wanderDistance = ReadMonsterAIFloat(table, "WanderDistance", k.wanderDistance);
    k.minWanderDistance = ReadMonsterAIFloat(table, "MinWanderDistance", k.minWanderDistance);
    k.teleportToLeaderDistance = ReadMonsterAIFloat(table, "TeleportToLeaderDistance", k.teleportToLeaderDistance);
    ReadMonsterAIEnum(table, "BuffSelfBehavior", kSkillUseWords, k.buffSelfBehavior);
    ReadMonsterAIEnum(table, "BuffAllyBehavior", kSkillUseWords, k.buffAllyBehavior);
    ReadMonsterAIEnum(table, "BuffAllyTargeting", {"BuffClosest", "BuffStrongest", "BuffWeakest"},
                      k.buffAllyTargeting);
    ReadMonsterAIEnum(table, "DebuffEnemyBehavior", kSkillUseWords, k.debuffEnemyBehavior);
    k.chanceToRespondToDistressCall =
        ReadMonsterAIUnsigned(table, "ChanceToRespondToDistressCall", k.chanceToRespondToDistressCall);
    k.distressResponseGroup = table.GetString("DistressResponseGroup", k.distressResponseGroup.c_str());
    const std::string distress = table.GetString("DistressResponseBehavior", "RespondToAll");
    k.distressResponseBehavior = distress == "RespondToSameType"    ? Distress_SameType
                                 : distress == "RespondToSameGroup" ? Distress_SameGroup
                                                                    : Distress_All;
    ReadMonsterAIEnum(table, "LeaderBehavior", {"NeverLead", "LeadOnPatrol", "LeadWhenEnemyIsSeen", "LeadOnDamage"},
                      k.leaderBehavior);
    k.leaderDistance = ReadMonsterAIFloat(table, "LeaderDistance", k.leaderDistance);
    k.maxFollowers = ReadMonsterAIUnsigned(table, "MaxFollowers", k.maxFollowers);
    k.healLeaderHealthPercentage = ReadMonsterAIUnsigned(table, "healLeaderHealthPercentage", k.healLeaderHealthPercentage);
    k.healAllyHealthPercentage = ReadMonsterAIUnsigned(table, "healAllyHealthPercentage", k.healAllyHealthPercentage);
    k.chanceToIdleOnPatrol = ReadMonsterAIUnsigned(table, "ChanceToIdleOnPatrol", k.chanceToIdleOnPatrol);
    k.minPatrolIdleTime = ReadMonsterAIInt(table, "MinPatrolIdleTime", k.minPatrolIdleTime);
    k.maxPatrolIdleTime = ReadMonsterAIInt(table, "MaxPatrolIdleTime", k.maxPatrolIdleTime);
    k.angerTolerance = ReadMonsterAIFloat(table, "AngerTolerance", k.angerTolerance);
    k.attackedAnger = ReadMonsterAIFloat(table, "AttackedAnger", k.attackedAnger);
    k.allyAttackedAnger = ReadMonsterAIFloat(table, "AllyAttackedAnger", k.allyAttackedAnger);
    k.sightAngerRate = ReadMonsterAIFloat(table, "SightAngerRate", k.sightAngerRate);
    k.forgiveRate = ReadMonsterAIFloat(table, "ForgiveRate", k.forgiveRate);
    k.innerSightAngerRate = ReadMonsterAIFloat(table, "InnerSightAngerRate", k.innerSightAngerRate);
    k.projectileAnger = ReadMonsterAIFloat(table, "ProjectileAnger", k.projectileAnger);
    k.enemyTooClose = ReadMonsterAIFloat(table, "enemyTooClose", k.enemyTooClose);
    k.randomAngerChance = ReadMonsterAIUnsigned(table, "RandomAngerChance", k.randomAngerChance);
    k.randomAngerEvaluationTime = ReadMonsterAIInt(table, "RandomAngerEvaluationTime", k.randomAngerEvaluationTime);
    k.dodgeDistance = ReadMonsterAIFloat(table, "DodgeDistance", k.dodgeDistance);
    k.dodgeChance = ReadMonsterAIUnsigned(table, "DodgeChance", k.dodgeChance);
    k.minDodgeDistance = ReadMonsterAIFloat(table, "MinDodgeDistance", k.minDodgeDistance);
    k.dodgeDelay = ReadMonsterAIInt(table, "DodgeDelay", k.dodgeDelay);
    k.repositionChance = ReadMonsterAIUnsigned(table, "RepositionChance", k.repositionChance);
    std::vector<float> lead;
    table.GetFloatArray("LeadChance", lead);
    if (!lead.empty()) {
        // A short array repeats its last entry for the missing difficulties.
        float last = 0.0f;
        for (size_t i = 0; i < k.leadChance.size(); ++i) {
            if (i < lead.size())
                last = std::isfinite(lead[i]) ? lead[i] * 0.01f : 0.0f;
            k.leadChance[i] = last;
        }
        if (lead.size() < k.leadChance.size())
            gEngine->Log(LOG_WARNING, "%s: \"LeadChance\" has %zu of 3 entries; the last one present is repeated",
                         table.GetName().c_str(), lead.size());
    }
    k.emoteWhenWaitingChance = ReadMonsterAIUnsigned(table, "EmoteWhenWaitingChance", k.emoteWhenWaitingChance);
    k.minEmoteTime = ReadMonsterAIInt(table, "MinEmoteTime", k.minEmoteTime);
    k.maxEmoteTime = ReadMonsterAIInt(table, "MaxEmoteTime", k.maxEmoteTime);
}

// ---- Lifecycle ----------------------------------------------------------------------------------

void ControllerMonster::PostParentAttached()
{
    ControllerAI::PostParentAttached();
    // A placed monster patrols with its own group; one from a proxy with the proxy's.
    UniqueId own;
    if (UniqueIdMap::Get().FindUniqueId(GetParentId(), own))
        CollectPatrolPoints(own, "Patrollers");
    else if (const Proxy* proxy = GetProxy())
        CollectPatrolPoints(proxy->GetUniqueId(), "ProxyPatrollers");
}

void ControllerMonster::CollectPatrolPoints(const UniqueId& holder, const char* groupType)
{
    if (!InstanceGroupManager::Get().GetNestedMembers(holder, groupType, "Patrol Points", kMaxPatrolPoints,
                                                      m_patrolPoints))
        gEngine->Log(LOG_WARNING, "Monster patrol route is longer than %zu points; the first %zu are kept",
                     kMaxPatrolPoints, kMaxPatrolPoints);
}

Proxy* ControllerMonster::GetProxy() const
{
    Entity* placed = UniqueIdMap::Get().GetEntity(m_proxyId);
    return placed && placed->IsA<Proxy>() ? static_cast<Proxy*>(placed) : nullptr;
}

void ControllerMonster::RegisterStates()
{
#define GAME_ADD_MONSTER_STATE(Word, Suffix) AddState(Word, new ControllerMonsterState##Suffix(*this));
    GAME_MONSTER_STATES(GAME_ADD_MONSTER_STATE)
#undef GAME_ADD_MONSTER_STATE
}

void ControllerMonster::RegisterTemporaryStates()
{
#define GAME_ADD_MONSTER_TEMPORARY_STATE(Word, Suffix) \
    AddTemporaryState(std::string(Word), new ControllerMonsterState##Suffix(*this));
    GAME_MONSTER_TEMPORARY_STATES(GAME_ADD_MONSTER_TEMPORARY_STATE)
#undef GAME_ADD_MONSTER_TEMPORARY_STATE
}

void ControllerMonster::InitializeStates()
{
    const Character* monster = GetParentCharacter();
    SetState(monster && monster->IsAlive() ? "Startup" : "Dead", ControllerAIStateData());
}

// ---- Frame --------------------------------------------------------------------------------------

void ControllerMonster::CountDownTimers(int elapsedMs)
{
    auto countDown = [elapsedMs](int& timer) {
        if (timer > 0)
            timer -= elapsedMs;
    };
    for (SpecialAttack& attack : m_specialAttacks)
        countDown(attack.reuseTimerMs);
    countDown(m_dodgeTimerMs);
    if (m_enemySeen)
        for (SpecialAttack& attack : m_specialAttacks)
            countDown(attack.initialTimerMs);
    countDown(m_fleeTimerMs);
    countDown(m_scaredTimeMs);
}

void ControllerMonster::Update(int elapsedMs)
{
    CountDownTimers(elapsedMs);
    // These two stop counting at 0: landing on 0 exactly is their end too, or they would
    // never fire.
    if (m_lifetimeMs > 0) {
        m_lifetimeMs -= elapsedMs;
        if (m_lifetimeMs <= 0)
            KillMe();
    }
    if (m_healTimerMs > 0) {
        m_healTimerMs -= elapsedMs;
        if (m_healTimerMs <= 0)
            TryToHealAlly();
    }
    UpdateRandomAnger(elapsedMs);
    UpdateDeathByNearness(elapsedMs);
    UpdateAnger(elapsedMs);
    FindEnemyUpdate(elapsedMs);
    if (const Character* monster = GetParentCharacter(); monster && monster->GetShowAngerLevels())
        m_anger.ShowAngerLevels();
    ControllerAI::Update(elapsedMs);
}

void ControllerMonster::UpdateRandomAnger(int elapsedMs)
{
    if (m_randomAngerDone)
        return;
    m_randomAngerTimerMs -= elapsedMs;
    if (m_randomAngerTimerMs >= 0)
        return;
    m_randomAngerTimerMs = m_keys.randomAngerEvaluationTime;
    if (!MonsterChanceMet(m_keys.randomAngerChance) || GetCurrentEnemy() != 0)
        return;
    Character* monster = GetParentCharacter();
    if (!monster)
        return;
    const WorldVec3 from = monster->GetPathPosition();
    m_seen.clear();
    GetFoesInSphere(m_seen, from.GetRegion(), Sphere{from.GetRegionPosition(), GetViewDistance()});
    if (m_seen.empty())
        return;
    const Character* chosen = m_seen[static_cast<size_t>(GAME::rand()) % m_seen.size()];
    m_anger.AddAnger(chosen->GetObjectId(), AngerManager::GetMaxAnger());
    m_randomAngerDone = true;
}

void ControllerMonster::UpdateDeathByNearness(int elapsedMs)
{
    const Monster* monster = GetMonster();
    if (!monster || monster->GetDeathFromEnemyRange() == 0.0f)
        return;
    m_deathCheckTimerMs -= elapsedMs;
    if (m_deathCheckTimerMs >= 0)
        return;
    m_deathCheckTimerMs = kTickMs;
    const TeamManager* teams = MonsterTeams();
    if (!teams)
        return;
    const WorldVec3 at = monster->GetCoords().GetPosition();
    m_seen.clear();
    GetObjectsInSphere(m_seen, at.GetRegion(), Sphere{at.GetRegionPosition(), monster->GetDeathFromEnemyRange()},
                       EntityList_Dynamic);
    for (const Character* other : m_seen) {
        if (other != monster && teams->IsFoe(monster->GetTeam(), other->GetTeam())) {
            KillMe();
            return;
        }
    }
}

void ControllerMonster::UpdateAnger(int elapsedMs)
{
    m_angerUpdateTimer -= static_cast<float>(elapsedMs);
    if (!(m_angerUpdateTimer < 0.0f))
        return;
    Character* monster = GetParentCharacter();
    m_angerNotes.clear();
    if (monster) {
        const WorldVec3 from = monster->GetPathPosition();
        m_seen.clear();
        GetFoesInSphere(m_seen, from.GetRegion(), Sphere{from.GetRegionPosition(), GetViewDistance()});
        for (Character* foe : m_seen)
            if (foe->CausesAnger())
                m_angerNotes.emplace_back(foe->GetObjectId(), ProcessAngerTarget(*foe, kTickMs));
    }
    // One pass stands for every whole period overdue.
    const double overdue = 1.0 - static_cast<double>(m_angerUpdateTimer) * 0.005;
    const int periods = overdue < 1.0e6 ? static_cast<int>(overdue) : 1000000;
    m_angerUpdateTimer += static_cast<float>(periods * kTickMs);
    for (const auto& [foeId, anger] : m_angerNotes)
        m_anger.AddAnger(foeId, static_cast<float>(periods) * anger);
    m_anger.Update(periods * kTickMs, m_keys.forgiveRate, monster);
}

float ControllerMonster::ProcessAngerTarget(Character& foe, int elapsedMs)
{
    if (!InPursuitRange(foe.GetObjectId()))
        return 0.0f;
    Character* monster = GetParentCharacter();
    if (!monster)
        return 0.0f;
    const float distance = WorldDistance(foe.GetPathPosition(), monster->GetPathPosition());
    float rate = m_keys.innerSightAngerRate;
    if (!(distance < m_keys.innerViewDistance)) {
        const float view = GetViewDistance();
        rate = view > 0.0f ? (1.0f - distance / view * 0.1f) * m_keys.sightAngerRate : 0.0f;
    }
    return static_cast<float>(elapsedMs) * 0.001f * rate;
}

void ControllerMonster::FindEnemyUpdate(int elapsedMs)
{
    m_findEnemyTimerMs -= elapsedMs;
    if (m_findEnemyTimerMs >= 0)
        return;
    bool searched = false;
    uint32_t closestId = 0;
    float closestDistance = 0.0f;
    WorldVec3 searchedFrom;
    for (int pass = 0; pass < 2; ++pass) {
        m_findEnemyTimerMs += kTickMs;
        FindEnemyPass(searched, closestId, closestDistance, searchedFrom);
        if (m_findEnemyTimerMs >= 0)
            return;
    }
    m_findEnemyTimerMs = kTickMs;
}

void ControllerMonster::FindEnemyPass(bool& searched, uint32_t& closestId, float& closestDistance,
                                      WorldVec3& searchedFrom)
{
    if (GetExecutingState()->ShouldFindEnemy()) {
        if (Character* target = m_anger.GetNewTarget(m_keys.angerTolerance)) {
            m_enemySeen = true;
            GetExecutingState()->EnemyFound(target->GetObjectId());
        }
    }
    Character* monster = GetParentCharacter();
    if (!monster)
        return;
    const float tooClose = m_keys.enemyTooClose;
    const bool look = ShouldAlwaysLookForClosestEnemy() ||
                      (tooClose > 0.0f && GetExecutingState()->ShouldFindClosestEnemy() &&
                       m_keys.fleeBehavior == Flee_WhenEnemyClose && CanFlee());
    if (!look)
        return;
    const WorldVec3 from = monster->GetPathPosition();
    if (!searched || !(from == searchedFrom)) {
        searched = true;
        searchedFrom = from;
        closestId = 0;
        closestDistance = tooClose + 0.1f;
        m_seen.clear();
        GetFoesInSphere(m_seen, from.GetRegion(), Sphere{from.GetRegionPosition(), tooClose});
        for (Character* foe : m_seen) {
            const float distance = WorldDistance(from, foe->GetPathPosition());
            if (distance < closestDistance) {
                closestDistance = distance;
                closestId = foe->GetObjectId();
            }
        }
    }
    if (closestId != 0 && !ClosestEnemyFoundOverride(closestId, closestDistance))
        GetExecutingState()->ClosestEnemyFound(closestId, closestDistance);
}

// ---- Sight --------------------------------------------------------------------------------------

void ControllerMonster::GetCharactersInSphere(std::vector<Character*>& out, const Region* region,
                                              const Sphere& sphere, bool foes) const
{
    Character* monster = GetParentCharacter();
    const TeamManager* teams = MonsterTeams();
    if (!monster || !teams)
        return;
    const float ownY = monster->GetPathPosition().ToWorldSpace().y;
    const float maxY = m_keys.maxYViewDistance;
    const Team team = monster->GetTeam();
    GetObjectsInSphere(out, region, sphere, EntityList_Dynamic, [&](Character& other) {
        // The side first: among a crowd of one side it settles nearly every one.
        if (foes ? !teams->IsFoe(team, other.GetTeam()) : !teams->IsFriend(team, other.GetTeam()))
            return false;
        if (&other == monster || !other.IsAlive())
            return false;
        return maxY == 0.0f || std::fabs(other.GetPathPosition().ToWorldSpace().y - ownY) < maxY;
    });
}

bool ControllerMonster::InPursuitRange(uint32_t id) const
{
    if (m_keys.maxPursuitDistance == 0.0f)
        return true;
    Character* other = ObjectManager::Get().GetObject<Character>(id);
    Character* monster = GetParentCharacter();
    if (!other || !monster)
        return false;
    const WorldVec3 theirs = other->GetPathPosition();
    if (m_keys.maxYViewDistance != 0.0f &&
        std::fabs(theirs.ToWorldSpace().y - monster->GetPathPosition().ToWorldSpace().y) > m_keys.maxYViewDistance)
        return false;
    return WorldDistance(theirs, GetHomePosition()) < m_keys.maxPursuitDistance;
}

bool ControllerMonster::IsEnemyValid(uint32_t id) const
{
    const Character* other = ObjectManager::Get().GetObject<Character>(id);
    const Character* monster = GetParentCharacter();
    const TeamManager* teams = MonsterTeams();
    return other && monster && teams && other->IsAlive() && !other->IsHiding() &&
           teams->IsFoe(monster->GetTeam(), other->GetTeam()) && InPursuitRange(id);
}

WorldVec3 ControllerMonster::GetHomePosition() const
{
    Character* monster = GetParentCharacter();
    if (!monster)
        return WorldVec3();
    if (GetExecutingState()->UsePathPositionAsHome())
        return monster->GetPathPosition();
    if (m_leaderId != 0) {
        auto* leader = ObjectManager::Get().GetObject<Character>(m_leaderId);
        const auto* leaderMind = leader ? ObjectManager::Get().GetObject<ControllerMonster>(leader->GetControllerId())
                                        : nullptr;
        if (leader && (!leaderMind || leaderMind->CanMove()))
            return leader->GetPathPosition();
    }
    return monster->GetSpawnPoint().GetPosition();
}

bool ControllerMonster::CanMove() const
{
    const Character* monster = GetParentCharacter();
    const AnimationSet* set = monster ? monster->GetAnimationSet() : nullptr;
    return set && (set->DoesAnimationExist(AnimationSet_Walk) || set->DoesAnimationExist(AnimationSet_Run));
}

WorldVec3 ControllerMonster::GetClosestMovePoint(const WorldVec3& goal) const
{
    const Character* monster = GetParentCharacter();
    return Character::GetMovementGoalManager().GetClosestMovePoint(GetParentId(), monster ? monster->GetExtents() : 0.0f,
                                                                   goal);
}

void ControllerMonster::ReleaseMoveGoal() const { Character::GetMovementGoalManager().ReleaseMoveGoal(GetParentId()); }

void ControllerMonster::TeleportToLeader(Character* leader)
{
    if (!leader)
        return;
    WorldVec3 slot;
    leader->RequestDefenseSlot(slot, GetParentId(), false);
    if (!slot.IsValid())
        return;
    Coords coords = leader->GetCoords().GetRegionCoords();
    coords.origin = slot.GetRegionPosition();
    Teleport(WorldCoords(slot.GetRegion(), coords));
    SetState("Idle", ControllerAIStateData());
}

// ---- Questions the states ask ---------------------------------------------------------------------

bool ControllerMonster::CanFlee()
{
    return m_fleeCount < m_keys.maxFleeCount && m_fleeTimerMs <= 0 && MonsterChanceMet(m_keys.fleeChance);
}

bool ControllerMonster::ShouldEmoteBeforePursuing()
{
    return !m_emoted && MonsterChanceMet(m_keys.emoteBeforePursuingChance);
}

bool ControllerMonster::ShouldPlayRallyOrAlert()
{
    const bool rally = m_rally;
    m_rally = false;
    return rally;
}

bool ControllerMonster::LeadTarget() const
{
    if (!gGameEngine)
        return false;
    const size_t difficulty = std::min<size_t>(static_cast<size_t>(gGameEngine->GetGameDifficulty()), 2);
    return gGameEngine->GetRandomGen().FGenerate(0.0f, 1.0f) <= m_keys.leadChance[difficulty];
}

bool ControllerMonster::ShouldCareAboutDistressCall(uint32_t callerId) const
{
    ObjectManager& objects = ObjectManager::Get();
    const Character* caller = objects.GetObject<Character>(callerId);
    if (!caller)
        return objects.GetObject<FixedItem>(callerId) != nullptr;
    const Character* monster = GetParentCharacter();
    switch (m_keys.distressResponseBehavior) {
    case Distress_SameType:
        return monster && caller->GetDistressCallGroup() == monster->GetDistressCallGroup();
    case Distress_SameGroup: {
        if (!monster)
            return false;
        for (const std::string& race : caller->GetRace())
            if (std::find(monster->GetRace().begin(), monster->GetRace().end(), race) != monster->GetRace().end())
                return true;
        return false;
    }
    default:
        return true;
    }
}

uint32_t ControllerMonster::GetMostHatedEnemy()
{
    const Character* target = m_anger.GetNewTarget(m_keys.angerTolerance);
    return target ? target->GetObjectId() : 0;
}

// ---- Events -------------------------------------------------------------------------------------

void ControllerMonster::Confuse(int durationMs) { GetExecutingState()->Confused(durationMs); }

void ControllerMonster::BeginImmobilize() { GetExecutingState()->BeginImmobilize(); }
void ControllerMonster::EndImmobilize() { GetExecutingState()->EndImmobilize(); }
void ControllerMonster::BeginTrap() { GetExecutingState()->BeginTrap(); }
void ControllerMonster::EndTrap() { GetExecutingState()->EndTrap(); }
void ControllerMonster::BeginStun() { GetExecutingState()->BeginStun(); }
void ControllerMonster::EndStun() { GetExecutingState()->EndStun(); }

void ControllerMonster::ScareMe(uint32_t scarerId, float durationMs)
{
    if (!GetExecutingState()->RespondsToFear())
        return;
    const int ms = TruncateToInt(durationMs);
    if (!(m_scaredTimeMs < ms))
        return;
    m_scaredTimeMs = ms;
    SetState("Scared", ControllerAIStateData(scarerId, 0, 0, WorldVec3()));
}

void ControllerMonster::UnderAttack(uint32_t attackerId)
{
    if (!InPursuitRange(attackerId))
        return;
    m_anger.AddAnger(attackerId, m_keys.attackedAnger);
    ControllerAI::UnderAttack(attackerId);
}

void ControllerMonster::AllyAttacked(uint32_t allyId, uint32_t attackerId)
{
    if (!InPursuitRange(attackerId) || !ShouldCareAboutDistressCall(allyId))
        return;
    m_anger.AddAnger(attackerId, m_keys.allyAttackedAnger);
    ControllerAI::AllyAttacked(allyId, attackerId);
}

void ControllerMonster::TauntMe(float anger, uint32_t taunterId)
{
    if (InPursuitRange(taunterId))
        m_anger.AddAnger(taunterId, anger);
}

void ControllerMonster::TeamChanged() { m_anger.Clear(); }

void ControllerMonster::ProjectileNotification(uint32_t projectileId)
{
    if (m_dodgeTimerMs > 0) {
        m_dodgeTimerMs = m_keys.dodgeDelay;
        return;
    }
    ControllerAI::ProjectileNotification(projectileId);
    const auto* projectile = ObjectManager::Get().GetObject<ProjectileBase>(projectileId);
    if (!projectile)
        return;
    if (const uint32_t shooter = projectile->GetInfo().casterId)
        m_anger.AddAnger(shooter, m_keys.projectileAnger);
    m_dodgeTimerMs = m_keys.dodgeDelay;
}

// ---- Skills --------------------------------------------------------------------------------------

void ControllerMonster::NoteSkillUsed(uint32_t skillId)
{
    if (skillId == 0)
        return;
    for (SpecialAttack& attack : m_specialAttacks)
        if (attack.skillId == skillId)
            attack.reuseTimerMs = attack.delayMs;
    if (skillId == m_healSkill)
        m_healTimerMs = m_healDelayMs;
}

bool ControllerMonster::IsSkillInProperRange(uint32_t enemyId, SkillUseRange range) const
{
    if (range == SkillUseRange_Any)
        return true;
    Character* enemy = ObjectManager::Get().GetObject<Character>(enemyId);
    Character* monster = GetParentCharacter();
    if (!enemy || !monster)
        return false;
    float min = 0.0f;
    float max = 20.0f;
    switch (range) {
    case SkillUseRange_Short:
        min = m_ranges.shortMin, max = m_ranges.shortMax;
        break;
    case SkillUseRange_Medium:
        min = m_ranges.mediumMin, max = m_ranges.mediumMax;
        break;
    case SkillUseRange_Long:
        min = m_ranges.longMin, max = m_ranges.longMax;
        break;
    default:
        break;
    }
    const float gap = WorldDistance(monster->GetCoords().GetPosition(), enemy->GetCoords().GetPosition()) -
                      monster->GetExtents() - enemy->GetExtents();
    return min < gap && gap < max;
}

uint32_t ControllerMonster::ChooseBestSkill(uint32_t enemyId, bool distanceFlag)
{
    if (const uint32_t chosen = ChooseBestSkillOverride(enemyId, distanceFlag))
        return chosen;
    ObjectManager& objects = ObjectManager::Get();
    ControllerAIState* state = GetExecutingState();
    const auto enabled = [&](uint32_t skillId) {
        const Skill* skill = objects.GetObject<Skill>(skillId);
        return skill && skill->IsSkillEnabled();
    };
    for (const SpecialAttack& attack : m_specialAttacks) {
        if (attack.skillId == 0 || attack.reuseTimerMs > 0 || attack.initialTimerMs > 0)
            continue;
        if (!MonsterChanceMet(attack.chance) || !enabled(attack.skillId) ||
            !IsSkillInProperRange(enemyId, attack.range))
            continue;
        if (distanceFlag && !state->CloseEnoughToUseSkill(enemyId, attack.skillId))
            continue;
        return attack.skillId;
    }
    if (m_normalAttackSkill != 0 && (!distanceFlag || state->CloseEnoughToUseSkill(enemyId, m_normalAttackSkill)) &&
        enabled(m_normalAttackSkill))
        return m_normalAttackSkill;
    if (m_defaultAttackSkill != 0 &&
        (!distanceFlag || state->CloseEnoughToUseSkill(enemyId, m_defaultAttackSkill)))
        return m_defaultAttackSkill;
    if (!distanceFlag) {
        const Character* monster = GetParentCharacter();
        gEngine->Log(LOG_ERROR, "ControllerMonster::ChooseBestSkill picked an invalid skill for %s",
                     monster ? monster->GetObjectName().c_str() : "");
    }
    return 0;
}

uint32_t ControllerMonster::ChooseBestBuffSelfSkill() const
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_buffSelf) {
        const Skill* skill = objects.GetObject<Skill>(id);
        if (skill && skill->IsSkillEnabled() && !skill->IsTrackable(GetParentId()))
            return id;
    }
    return 0;
}

uint32_t ControllerMonster::ChooseBestAllyToBuff() const
{
    Character* monster = GetParentCharacter();
    if (!monster)
        return 0;
    std::vector<Character*> friends;
    const WorldVec3 from = monster->GetPathPosition();
    GetFriendsInSphere(friends, from.GetRegion(), Sphere{from.GetRegionPosition(), GetViewDistance()});
    const Character* chosen = m_keys.buffAllyTargeting == BuffAlly_Strongest ? FindStrongest(friends)
                              : m_keys.buffAllyTargeting == BuffAlly_Weakest ? FindWeakest(friends)
                                                                             : FindClosest(friends);
    return chosen ? chosen->GetObjectId() : 0;
}

float ControllerMonster::LifePercentage(const Character& character) const
{
    const float total = character.GetTotalCharAttribute(CharAttributeType_Life);
    return total > 0.0f ? 100.0f * character.GetCurrentLife() / total : 100.0f;
}

void ControllerMonster::TryToHealAlly()
{
    Character* monster = GetParentCharacter();
    if (!monster)
        return;
    if (const auto* leader = ObjectManager::Get().GetObject<Character>(m_leaderId);
        leader && LifePercentage(*leader) < static_cast<float>(m_keys.healLeaderHealthPercentage)) {
        AddTemporaryState("UseSkillOnAlly", ControllerAIStateData(0, m_leaderId, m_healSkill, WorldVec3()));
        return;
    }
    const WorldVec3 at = monster->GetCoords().GetPosition();
    m_seen.clear();
    GetFriendsInSphere(m_seen, at.GetRegion(), Sphere{at.GetRegionPosition(), GetViewDistance()});
    const Character* weakest = nullptr;
    float lowest = 0.0f;
    for (const Character* ally : m_seen) {
        const float percentage = LifePercentage(*ally);
        if (!(percentage < static_cast<float>(m_keys.healAllyHealthPercentage)))
            continue;
        if (!weakest || percentage < lowest) {
            weakest = ally;
            lowest = percentage;
        }
    }
    if (weakest)
        AddTemporaryState("UseSkillOnAlly",
                          ControllerAIStateData(0, weakest->GetObjectId(), m_healSkill, WorldVec3()));
}

// ---- Treasure and drops -----------------------------------------------------------------------------

void ControllerMonster::SetTreasureProxy(const std::string& record, bool replace)
{
    if (record.empty())
        return;
    ObjectManager& objects = ObjectManager::Get();
    Object* existing = objects.GetObject(m_treasureProxyId);
    if (existing && !replace)
        return;
    if (existing)
        objects.DestroyObjectEx(existing, "ControllerMonster", __LINE__);
    m_treasureProxyId = 0;
    Object* made = objects.CreateObjectFromFile<Object>(record);
    if (!made)
        return;
    if (!made->IsA<Proxy>()) {
        objects.DestroyObjectEx(made, "ControllerMonster", __LINE__);
        return;
    }
    m_treasureProxyId = made->GetObjectId();
}

Proxy* ControllerMonster::GetTreasureProxy() const { return ObjectManager::Get().GetObject<Proxy>(m_treasureProxyId); }

void ControllerMonster::CreateDropMiscItems()
{
    Monster* monster = GetMonster();
    if (!monster || !gGameEngine)
        return;
    LootLoader loader;
    PlayerInfo players;
    gGameEngine->GetPlayerInfo(players);
    loader.SetLevel(monster->GetCharLevel(), players.averagePlayerLevel);
    RandomizerWeightModifiers modifiers{};
    gGameEngine->GetMonsterLootWeightModifiers(monster->GetClassification(), modifiers);
    loader.SetRandomizerWeightModifiers(modifiers);
    if (monster->GetClassification() != 0)
        loader.SetNoBrokenItems();

    RandomUniform& random = gGameEngine->GetRandomGen();
    ObjectManager& objects = ObjectManager::Get();
    const WorldCoords coords = monster->GetCoords();
    auto drop = [&](ItemReplicaInfo item) {
        item.objectId = objects.CreateObjectID();
        item.seed = gGameEngine->GetRandomSeed();
        gGameEngine->CreateItem(coords, item);
    };
    if (const LoadTable* table = objects.LoadTableFile(monster->GetObjectName())) {
        const auto difficulty = static_cast<uint32_t>(gGameEngine->GetGameDifficulty());
        for (int slot = 1; slot <= 3; ++slot) {
            ItemReplicaInfo item;
            if (loader.RollMiscSlot(*table, slot, difficulty, random, item))
                drop(item);
        }
    }
    const ItemReplicaInfo perMember = monster->GetDropPerPartyMemberItem();
    if (perMember.baseName.empty())
        return;
    const PartyManager* party = gGameEngine->GetPartyManager();
    const int members = party ? party->GetNumInPlayersParty(monster->GetAttackerId()) : 1;
    // A party holds a handful of players; a count outside that is not trusted.
    for (int i = 0; i < std::clamp(members, 0, 16); ++i)
        drop(perMember);
}

}  // namespace GAME
