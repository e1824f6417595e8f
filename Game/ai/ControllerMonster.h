// The controller of an ordinary monster: it reads the monster's AI record, registers the
// monster states, keeps the monster's anger table, looks for enemies and for enemies that
// come too close, chooses the skill to use, decides about fleeing, healing allies, buffing
// and leading, counts down its timers and makes the extra drops of a dying monster. The
// states decide when to switch; the numbers they use live here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/UniqueId.h"
#include "Game/ai/AngerManager.h"
#include "Game/ai/ControllerAI.h"

namespace GAME {

class Monster;
class Proxy;

// The range at which a special attack is used: 0 any, 1 short, 2 medium, 3 long.
enum SkillUseRange : uint32_t {
    SkillUseRange_Any = 0,
    SkillUseRange_Short = 1,
    SkillUseRange_Medium = 2,
    SkillUseRange_Long = 3,
};

enum FleeBehavior : uint32_t { Flee_Never = 0, Flee_OnLowHealth = 1, Flee_OnDamage = 2, Flee_WhenEnemyClose = 3 };
enum FleeTarget : uint32_t { FleeTarget_AwayFromEnemy = 0, FleeTarget_TowardsAllies = 1, FleeTarget_TowardsHome = 2 };
enum RoamBehavior : uint32_t { Roam_Never = 0, Roam_Roam = 1 };
enum SkillUseBehavior : uint32_t { SkillUse_Never = 0, SkillUse_WhenIdle = 1, SkillUse_WhenEnemyIsSeen = 2 };
enum BuffAllyTargeting : uint32_t { BuffAlly_Closest = 0, BuffAlly_Strongest = 1, BuffAlly_Weakest = 2 };
enum DistressResponseBehavior : uint32_t { Distress_SameType = 0, Distress_SameGroup = 1, Distress_All = 2 };
enum LeaderBehavior : uint32_t { Lead_Never = 0, Lead_OnPatrol = 1, Lead_WhenEnemyIsSeen = 2, Lead_OnDamage = 3 };

// A monster controller record's float; a value that is not a finite number is logged and
// `current` kept.
float ReadMonsterAIFloat(const LoadTable& table, const char* key, float current);

class ControllerMonster : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerMonster)

public:
    // One special attack: its skill, the wait before its first use (counted once an
    // enemy has been seen), the wait between uses, its two running timers, its chance and
    // its range.
    struct SpecialAttack {
        uint32_t skillId = 0;
        int timeoutMs = 0;       // the initial wait
        int delayMs = 0;         // the re-use wait
        int reuseTimerMs = 0;
        int initialTimerMs = 0;
        uint32_t chance = 0;
        SkillUseRange range = SkillUseRange_Any;
    };
    struct SkillRanges {
        float shortMin = 0.0f, shortMax = 4.0f, mediumMin = 4.0f, mediumMax = 8.0f, longMin = 8.0f, longMax = 16.0f;
    };
    static constexpr size_t kSpecialAttacks = 5;
    // Sight, anger and the nearness death test run on fixed ticks of this length.
    static constexpr int kTickMs = 200;

    // The keys of the AI record, with their defaults.
    struct Keys {
        RoamBehavior roamBehavior = Roam_Never;   // first: the idle state reads it every frame
        float angerTolerance = 10.0f;
        float attackedAnger = 100.0f;
        float allyAttackedAnger = 40.0f;
        float sightAngerRate = 20.0f;
        float forgiveRate = 50.0f;
        float innerSightAngerRate = 20.0f;
        float projectileAnger = 20.0f;
        float enemyTooClose = 5.0f;
        int pursuitTime = 10000;
        float maxPursuitDistance = 0.0f;
        FleeBehavior fleeBehavior = Flee_Never;
        FleeTarget fleeTarget = FleeTarget_AwayFromEnemy;
        int maxFleeCount = 3;
        uint32_t fleeChance = 100;
        int fleeTime = 3000;
        int fleeDelay = 2000;
        float fleeDistance = 5.0f;
        bool clearAngerWhenFleeing = false;
        SkillUseBehavior buffSelfBehavior = SkillUse_Never;
        SkillUseBehavior buffAllyBehavior = SkillUse_Never;
        BuffAllyTargeting buffAllyTargeting = BuffAlly_Closest;
        SkillUseBehavior debuffEnemyBehavior = SkillUse_Never;
        uint32_t chanceToRespondToDistressCall = 100;
        std::string distressResponseGroup;
        DistressResponseBehavior distressResponseBehavior = Distress_All;
        uint32_t healLeaderHealthPercentage = 0;
        uint32_t healAllyHealthPercentage = 0;
        LeaderBehavior leaderBehavior = Lead_Never;
        float leaderDistance = 5.0f;
        uint32_t maxFollowers = 4;
        float wanderDistance = 5.0f;
        float roamDistance = 10.0f;
        float teleportToLeaderDistance = 20.0f;
        uint32_t chanceToIdleOnPatrol = 20;
        int minPatrolIdleTime = 2000;
        int maxPatrolIdleTime = 5000;
        float innerViewDistance = 5.0f;
        float maxYViewDistance = 0.0f;
        uint32_t randomAngerChance = 0;
        int minTimeBeforeRoam = 3000;
        int maxTimeBeforeRoam = 10000;
        float minRoamDistance = 2.0f;
        float minWanderDistance = 2.0f;
        bool resetOriginAfterFleeing = false;
        uint32_t emoteBeforePursuingChance = 0;
        float dodgeDistance = 4.0f;
        uint32_t dodgeChance = 0;
        float minDodgeDistance = 0.0f;
        uint32_t repositionChance = 0;
        int randomAngerEvaluationTime = 3000;
        int dodgeDelay = 5000;
        std::array<float, 3> leadChance{};   // per difficulty, as fractions
        uint32_t emoteWhenWaitingChance = 50;
        int minEmoteTime = 2000;
        int maxEmoteTime = 4000;
    };

    ControllerMonster();
    ~ControllerMonster() override;

    // "ShortRange", "MediumRange", "LongRange"; any other word is any range.
    static SkillUseRange ResolveSkillUseRange(const std::string& word);

    void Load(const LoadTable& table) override;
    void PostParentAttached() override;
    void Update(int elapsedMs) override;
    void ProjectileNotification(uint32_t projectileId) override;
    void ScareMe(uint32_t scarerId, float durationMs) override;
    void TauntMe(float anger, uint32_t taunterId) override;
    void BeginStun() override;
    void EndStun() override;
    void BeginImmobilize() override;
    void EndImmobilize() override;
    void BeginTrap() override;
    void EndTrap() override;
    void UnderAttack(uint32_t attackerId) override;
    void AllyAttacked(uint32_t allyId, uint32_t attackerId) override;
    void TeamChanged() override;
    void RegisterStates() override;
    void RegisterTemporaryStates() override;
    void InitializeStates() override;

    // The anger a seen foe earns in that time.
    virtual float ProcessAngerTarget(Character& foe, int elapsedMs);
    // The monster was moved to these coordinates by its own skill; nothing here.
    virtual void Teleported(const WorldCoords& /*coords*/) {}
    // Whether the monster has a walk or a run animation.
    virtual bool CanMove() const;
    // A skill chosen before the usual choice; 0 leaves the choice to it.
    virtual uint32_t ChooseBestSkillOverride(uint32_t /*enemyId*/, bool /*distanceFlag*/) { return 0; }
    // Whether a subclass handled a foe that came too close itself.
    virtual bool ClosestEnemyFoundOverride(uint32_t /*enemyId*/, float /*distance*/) { return false; }
    virtual bool ShouldAlwaysLookForClosestEnemy() const { return false; }

    Monster* GetMonster() const;
    const Keys& GetKeys() const { return m_keys; }
    float GetAngerTolerance() const { return m_keys.angerTolerance; }
    float GetEnemyTooCloseDistance() const { return m_keys.enemyTooClose; }
    int GetPursuitTime() const { return m_keys.pursuitTime; }
    int GetFleeTime() const { return m_keys.fleeTime; }
    float GetFleeDistance() const { return m_keys.fleeDistance; }
    bool GetClearAngerWhenFleeing() const { return m_keys.clearAngerWhenFleeing; }
    bool GetResetOriginAfterFleeing() const { return m_keys.resetOriginAfterFleeing; }
    uint32_t GetChanceToRespondToDistressCall() const { return m_keys.chanceToRespondToDistressCall; }
    const std::string& GetDistressResponseGroup() const { return m_keys.distressResponseGroup; }
    float GetLeaderDistance() const { return m_keys.leaderDistance; }
    uint32_t GetMaxFollowers() const { return m_keys.maxFollowers; }
    float GetWanderDistance() const { return m_keys.wanderDistance; }
    float GetMinWanderDistance() const { return m_keys.minWanderDistance; }
    float GetRoamDistance() const { return m_keys.roamDistance; }
    float GetMinRoamDistance() const { return m_keys.minRoamDistance; }
    float GetTeleportToLeaderDistance() const { return m_keys.teleportToLeaderDistance; }
    uint32_t GetChanceToIdleOnPatrol() const { return m_keys.chanceToIdleOnPatrol; }
    float GetDodgeDistance() const { return m_keys.dodgeDistance; }
    float GetDodgeChance() const { return static_cast<float>(m_keys.dodgeChance); }
    float GetMinDodgeDistance() const { return m_keys.minDodgeDistance; }
    uint32_t GetRepositionChance() const { return m_keys.repositionChance; }

    // ---- Skill slots, handed over by the monster ----
    void SetDefaultAttackSkill(uint32_t id) { m_defaultAttackSkill = id; }
    void SetNormalAttackSkill(uint32_t id) { m_normalAttackSkill = id; }
    // The special attacks 1 to 5: skill, initial wait, re-use wait, chance, range. The
    // re-use timer starts at 0 and the initial timer at the initial wait.
    void SetSpecialAttackSkill(uint32_t id, int initialMs, int reuseMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(0, id, initialMs, reuseMs, chance, range);
    }
    void SetSpecialAttack2Skill(uint32_t id, int initialMs, int reuseMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(1, id, initialMs, reuseMs, chance, range);
    }
    void SetSpecialAttack3Skill(uint32_t id, int initialMs, int reuseMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(2, id, initialMs, reuseMs, chance, range);
    }
    void SetSpecialAttack4Skill(uint32_t id, int initialMs, int reuseMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(3, id, initialMs, reuseMs, chance, range);
    }
    void SetSpecialAttack5Skill(uint32_t id, int initialMs, int reuseMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(4, id, initialMs, reuseMs, chance, range);
    }
    void SetBuffSelfSkill(uint32_t id) { m_buffSelf[0] = id; }
    void SetBuffSelf2Skill(uint32_t id) { m_buffSelf[1] = id; }
    void SetBuffSelf3Skill(uint32_t id) { m_buffSelf[2] = id; }
    void SetBuffOtherSkill(uint32_t id) { m_buffOther[0] = id; }
    void SetBuffOther2Skill(uint32_t id) { m_buffOther[1] = id; }
    void SetBuffOther3Skill(uint32_t id) { m_buffOther[2] = id; }
    void SetHealSkill(uint32_t id, int reuseMs)
    {
        m_healSkill = id;
        m_healDelayMs = reuseMs;
    }
    void SetBerserkSkill(uint32_t id) { m_berserkSkill = id; }
    void SetDyingSkill(uint32_t id) { m_dyingSkill = id; }
    void SetInitialSkill(uint32_t id) { m_initialSkill = id; }
    void SetSkillRanges(float shortMin, float shortMax, float mediumMin, float mediumMax, float longMin, float longMax)
    {
        m_ranges = {shortMin, shortMax, mediumMin, mediumMax, longMin, longMax};
    }
    void SetChainInitialSkill(uint32_t id) { m_chainInitialSkill = id; }
    void SetChainNextSkill(uint32_t id) { m_chainNextSkill = id; }
    // 0 none, 1 used on the leader, 2 used on itself.
    void SetChainBehavior(uint32_t behavior) { m_chainBehavior = behavior; }

    uint32_t GetDefaultSkillId() const { return m_defaultAttackSkill; }
    uint32_t GetNormalSkillId() const { return m_normalAttackSkill; }
    // The special attacks by index, 0 to 4.
    const SpecialAttack& GetSpecialAttack(size_t index) const { return m_specialAttacks[index % kSpecialAttacks]; }
    uint32_t GetSpecialAttackSkillId() const { return m_specialAttacks[0].skillId; }
    uint32_t GetSpecialAttack2SkillId() const { return m_specialAttacks[1].skillId; }
    uint32_t GetSpecialAttack3SkillId() const { return m_specialAttacks[2].skillId; }
    uint32_t GetSpecialAttack4SkillId() const { return m_specialAttacks[3].skillId; }
    uint32_t GetSpecialAttack5SkillId() const { return m_specialAttacks[4].skillId; }
    const SpecialAttack& GetSpecialAttackSkillInfo() const { return m_specialAttacks[0]; }
    const SpecialAttack& GetSpecialAttack2SkillInfo() const { return m_specialAttacks[1]; }
    const SpecialAttack& GetSpecialAttack3SkillInfo() const { return m_specialAttacks[2]; }
    const SpecialAttack& GetSpecialAttack4SkillInfo() const { return m_specialAttacks[3]; }
    const SpecialAttack& GetSpecialAttack5SkillInfo() const { return m_specialAttacks[4]; }
    uint32_t GetBuffSelfSkillId() const { return m_buffSelf[0]; }
    uint32_t GetBuffSelf2SkillId() const { return m_buffSelf[1]; }
    uint32_t GetBuffSelf3SkillId() const { return m_buffSelf[2]; }
    uint32_t GetBuffOtherSkillId() const { return m_buffOther[0]; }
    uint32_t GetBuffOther2SkillId() const { return m_buffOther[1]; }
    uint32_t GetBuffOther3SkillId() const { return m_buffOther[2]; }
    uint32_t GetHealSkillId() const { return m_healSkill; }
    int GetHealDelay() const { return m_healDelayMs; }
    int GetHealTimer() const { return m_healTimerMs; }
    uint32_t GetBerserkSkillId() const { return m_berserkSkill; }
    uint32_t GetDyingSkillId() const { return m_dyingSkill; }
    uint32_t GetInitialSkillId() const { return m_initialSkill; }
    const SkillRanges& GetSkillRanges() const { return m_ranges; }
    float GetShortRangeMin() const { return m_ranges.shortMin; }
    float GetShortRangeMax() const { return m_ranges.shortMax; }
    float GetMediumRangeMin() const { return m_ranges.mediumMin; }
    float GetMediumRangeMax() const { return m_ranges.mediumMax; }
    float GetLongRangeMin() const { return m_ranges.longMin; }
    float GetLongRangeMax() const { return m_ranges.longMax; }
    uint32_t GetChainInitialSkill() const { return m_chainInitialSkill; }
    uint32_t GetChainNextSkill() const { return m_chainNextSkill; }
    uint32_t GetChainBehavior() const { return m_chainBehavior; }
    // A skill was used: a special attack waits its re-use time, the heal skill its delay.
    void NoteSkillUsed(uint32_t skillId);

    // ---- Skill choice ----
    // The skill to use on the enemy; with the distance flag only skills already in reach.
    uint32_t ChooseBestSkill(uint32_t enemyId, bool distanceFlag);
    uint32_t ChooseBestBuffSelfSkill() const;
    uint32_t ChooseBestAllyToBuff() const;
    bool IsSkillInProperRange(uint32_t enemyId, SkillUseRange range) const;

    // ---- Questions the states ask ----
    bool IsEnemyValid(uint32_t id) const;
    bool InPursuitRange(uint32_t id) const;
    WorldVec3 GetHomePosition() const;
    bool CanFlee();
    void IncrementFleeCount() { ++m_fleeCount; }
    void ResetFleeTimer() { m_fleeTimerMs = m_keys.fleeDelay; }
    bool ShouldEmoteBeforePursuing();
    void SetEmoted() { m_emoted = true; }
    bool ShouldPlayRallyOrAlert();
    bool LeadTarget() const;
    bool ShouldHealAlly(uint32_t /*allyId*/) const { return m_healTimerMs < 1; }
    bool ShouldCareAboutDistressCall(uint32_t callerId) const;
    bool StillScared() const { return m_scaredTimeMs > 0; }
    WorldVec3 GetClosestMovePoint(const WorldVec3& goal) const;
    void ReleaseMoveGoal() const;
    // The living characters in the sphere other than the monster, within the vertical
    // sight limit, that are its foes (or its friends).
    void GetCharactersInSphere(std::vector<Character*>& out, const Region* region, const Sphere& sphere,
                               bool foes) const;
    void GetFriendsInSphere(std::vector<Character*>& out, const Region* region, const Sphere& sphere) const
    {
        GetCharactersInSphere(out, region, sphere, false);
    }
    void GetFoesInSphere(std::vector<Character*>& out, const Region* region, const Sphere& sphere) const
    {
        GetCharactersInSphere(out, region, sphere, true);
    }
    void TeleportToLeader(Character* leader);

    // Pause times drawn from their record ranges; a range given the wrong way round is put
    // in order first.
    int GetPatrolIdleTime() const { return DrawPause(m_keys.minPatrolIdleTime, m_keys.maxPatrolIdleTime); }
    int GetTimeBeforeRoam() const { return DrawPause(m_keys.minTimeBeforeRoam, m_keys.maxTimeBeforeRoam); }
    int GetEmoteTime() const { return DrawPause(m_keys.minEmoteTime, m_keys.maxEmoteTime); }

    // ---- Anger ----
    AngerManager& GetAngerManager() { return m_anger; }
    uint32_t GetMostHatedEnemy();
    void SetMostHatedEnemy(uint32_t id) { m_anger.SetMostHatedEnemy(id); }
    virtual void NewLeader(uint32_t leaderId)
    {
        m_leaderId = leaderId;
        m_anger.Clear();
    }
    uint32_t GetLeader() const { return m_leaderId; }
    virtual void TransferAnger(ControllerMonster& other) { m_anger.TransferAnger(other.m_anger); }
    virtual void ClearAnger() { m_anger.Clear(); }
    bool GetEnemySeen() const { return m_enemySeen; }
    float GetAngerUpdateTimer() const { return m_angerUpdateTimer; }
    int GetFindEnemyTimer() const { return m_findEnemyTimerMs; }

    // ---- Timers and the rest ----
    virtual void SetLifetime(int ms) { m_lifetimeMs = ms; }
    int GetLifetime() const { return m_lifetimeMs; }
    // Confused for a time: the executing state hears of it and decides (a longer
    // confusion than the one running raises the confused time).
    virtual void Confuse(int durationMs);
    int GetConfusedTime() const { return m_confusedMs; }
    void SetConfusedTime(int ms) { m_confusedMs = ms; }
    int GetScaredTime() const { return m_scaredTimeMs; }
    int GetDodgeTimer() const { return m_dodgeTimerMs; }
    int GetFleeCount() const { return m_fleeCount; }
    uint32_t GetFollowersJoined() const { return m_followersJoined; }
    void SetFollowersJoined(uint32_t count) { m_followersJoined = count; }
    const std::vector<UniqueId>& GetPatrolPoints() const { return m_patrolPoints; }
    void AddPatrolPoint(const UniqueId& id) { m_patrolPoints.push_back(id); }
    size_t GetCurrentPatrolPoint() const { return m_currentPatrolPoint; }
    void SetCurrentPatrolPoint(size_t index) { m_currentPatrolPoint = index; }
    void SetProxyId(const UniqueId& id) { m_proxyId = id; }
    const UniqueId& GetProxyId() const { return m_proxyId; }
    // The proxy that placed the monster, while it exists; null otherwise.
    Proxy* GetProxy() const;
    // A level's patrol route holds a few dozen points; longer lists are cut to this.
    static constexpr size_t kMaxPatrolPoints = 1024;
    // Makes the treasure proxy from the record; an existing one stays unless replaced.
    virtual void SetTreasureProxy(const std::string& record, bool replace);
    Proxy* GetTreasureProxy() const;
    // The extra drops of a dying monster: its misc loot slots and its per-party-member item.
    void CreateDropMiscItems();

private:
    void SetSpecialAttack(size_t index, uint32_t id, int initialMs, int reuseMs, uint32_t chance, SkillUseRange range)
    {
        m_specialAttacks[index] = {id, initialMs, reuseMs, 0, initialMs, chance, range};
    }
    static int DrawPause(int a, int b);
    void CountDownTimers(int elapsedMs);
    void UpdateRandomAnger(int elapsedMs);
    void UpdateDeathByNearness(int elapsedMs);
    void UpdateAnger(int elapsedMs);
    void FindEnemyUpdate(int elapsedMs);
    // One pass of the enemy search; the closest foe found is kept for the next pass.
    void FindEnemyPass(bool& searched, uint32_t& closestId, float& closestDistance, WorldVec3& searchedFrom);
    void TryToHealAlly();
    // Appends the patrol points of every group of that type holding the id.
    void CollectPatrolPoints(const UniqueId& holder, const char* groupType);
    float LifePercentage(const Character& character) const;

    // What every frame reads (the timers, the parent as a monster, the special attacks'
    // timers) comes first, in as few cache lines as it fits.
    int m_findEnemyTimerMs = 0;
    float m_angerUpdateTimer = 0.0f;
    int m_lifetimeMs = 0;
    int m_healTimerMs = 0;
    int m_randomAngerTimerMs = 3000;
    int m_dodgeTimerMs = 0;
    int m_fleeTimerMs = 0;
    int m_scaredTimeMs = 0;
    int m_deathCheckTimerMs = kTickMs;
    bool m_enemySeen = false;
    bool m_randomAngerDone = false;
    // The parent as a monster (GetMonster).
    ObjectLink<Monster> m_monster;
    std::array<SpecialAttack, kSpecialAttacks> m_specialAttacks{};

    Keys m_keys;
    bool m_rally = true;
    AngerManager m_anger;

    uint32_t m_defaultAttackSkill = 0;
    uint32_t m_normalAttackSkill = 0;
    uint32_t m_berserkSkill = 0;
    uint32_t m_dyingSkill = 0;
    uint32_t m_healSkill = 0;
    int m_healDelayMs = 0;
    std::array<uint32_t, 3> m_buffSelf{};
    std::array<uint32_t, 3> m_buffOther{};
    uint32_t m_initialSkill = 0;
    uint32_t m_chainInitialSkill = 0;
    uint32_t m_chainNextSkill = 0;
    uint32_t m_chainBehavior = 0;
    SkillRanges m_ranges;

    bool m_emoted = false;
    std::vector<UniqueId> m_patrolPoints;
    size_t m_currentPatrolPoint = 0;
    UniqueId m_proxyId;
    int m_confusedMs = 0;
    int m_fleeCount = 0;
    uint32_t m_leaderId = 0;
    uint32_t m_followersJoined = 0;
    uint32_t m_treasureProxyId = 0;
    // Reused by the sight queries so that a running monster allocates nothing per frame.
    std::vector<Character*> m_seen;
    std::vector<std::pair<uint32_t, float>> m_angerNotes;
};

}  // namespace GAME
