// A creature driven by an AI controller: hostile creatures of every rank, bosses, and
// creatures that joined a leader (pets and converted creatures).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/combat/DurationDamageReplication.h"
#include "Game/skills/SkillManager.h"
#include "Game/core/GameEvents.h"
#include "Game/world/CharFxPak.h"

namespace GAME {

class Actor;
class AttributePak;
class BinaryReader;
class BinaryWriter;
class ControllerMonster;
class NetPacketInBuffer;
class NetPacketOutBuffer;

class Monster : public Character {
    GAME_DECLARE_CLASS(Monster)

public:
    // The controller a network client gives every monster, and the one the editor gives.
    static constexpr const char* kStubControllerRecord = "Records/Controllers/Player/CharacterControllerStub.dbr";
    static constexpr const char* kEditorControllerRecord = "Records/Controllers/Editor/EditorController.dbr";
    static constexpr const char* kDefaultControllerRecord = "Records/Controllers/Monster/DefaultControllerAI.dbr";
    // Where pet banners hang.
    static constexpr const char* kBannerAttachPoint = "Prey_Effect";
    // How many skills a monster's record lists.
    static constexpr uint32_t kRecordSkillCount = 17;

    Monster();
    ~Monster() override;

    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    // The rank's colour code, then the localised name on one line without outer blanks.
    std::u16string GetGameDescription(bool flag) const override;

    // ---- Sounds -------------------------------------------------------------------
    virtual bool PlayAmbientSound(bool flag);
    virtual SoundPak* GetAlertSound() const { return m_alertSound; }
    virtual float GetAlertSoundChance() const { return m_alertChance; }
    virtual SoundPak* GetRallySound() const { return m_rallySound; }
    virtual float GetRallySoundChance() const { return m_rallyChance; }
    virtual SoundPak* GetRampageSound() const { return m_rampageSound; }
    virtual float GetRampageSoundChance() const { return m_rampageChance; }
    virtual int GetRampageSoundDelay() const { return m_rampageDelayMs; }
    SoundPak* GetAmbientSound() const { return m_ambientSound; }
    SoundPak* GetFleeSound() const { return m_fleeSound; }
    SoundPak* GetPetAttackSound() const { return m_petAttackSound; }
    SoundPak* GetPetAcknowledgeSound() const { return m_petAcknowledgeSound; }
    SoundPak* GetAliveSound() const { return m_aliveSound; }
    void StartAliveSound();
    void StopAliveSound();
    float GetAmbientTimer() const { return m_ambientTimerMs; }

    // ---- Rank, caps and balance -----------------------------------------------------
    MonsterClassification GetClassification() const { return m_classification; }
    float GetDeathFromEnemyRange() const { return m_deathFromEnemyRange; }
    float GetDefenseAttributeCap() const override;
    float CapRunSpeed(float speed) const override;
    float CapSpellCastSpeed(float speed) const override;
    float CapAttackSpeed(float speed) const override;
    using Character::CalculateStun;
    float CalculateStun(float a, float b, float c, float d) const;
    void ContributeGameBalanceCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceSkillAttributes(SkillAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override;
    uint32_t GetBalanceDifficulty() const { return m_balanceDifficulty; }
    // The game-wide attribute pack the six contributions above draw from, at the balance
    // difficulty: the monsters' pack (null without a game engine); a pet draws from the
    // pets' pack.
    virtual const AttributePak* GetBalanceAttributePak() const;
    void OnGameBalanceLevel(const GameEvent_GameBalanceLevel& event);

    // A monster rolls what it wears, except on a network client (the server's roll
    // reaches it with the monster).
    bool ShouldLoadLoot() const override { return !IsOnNetworkClient(); }

    // ---- Controller -----------------------------------------------------------------
    ControllerMonster* GetMonsterController() const;
    void SetLifetime(int ms);
    void TransferAnger(Monster& other);
    void ClearAnger();
    void SetTreasureProxy(const std::string& name, bool flag);
    void CombatExertInfluenceConfusion(int durationMs) override;
    bool RequestConversation(const Monster& other);
    // Takes the controller over; the monster becomes its parent.
    void BrainTransplant(ControllerMonster* controller);
    // Hands the controller out (null when there is none, changing nothing); the monster
    // is left with the stub controller.
    ControllerMonster* Lobotomize();

    // ---- Leader ---------------------------------------------------------------------
    void JoinMe(uint32_t leaderId, int durationMs, bool convert) override;
    void UnJoinLeader();
    uint32_t GetLeader() const { return m_leaderId; }
    int GetJoinTimer() const { return m_joinTimerMs; }
    bool IsLocalPet() const { return m_isLocalPet; }

    // ---- Banners ----------------------------------------------------------------------
    void SetBaseBanner(const std::string& name) { SetBanner(m_baseBanner, name); }
    void SetConvertBanner(const std::string& name) { SetBanner(m_convertBanner, name); }
    void SetControlBanner(const std::string& name) { SetBanner(m_controlBanner, name); }
    void RemoveBaseBanner() { RemoveBanner(m_baseBanner); }
    void RemoveConvertBanner() { RemoveBanner(m_convertBanner); }
    void RemoveControlBanner() { RemoveBanner(m_controlBanner); }
    Actor* GetAttachedBanner() const { return m_attachedBanner; }

    // ---- Death ------------------------------------------------------------------------
    void CharacterIsDying() override;
    void CharacterHasDied() override;
    void StartDamageEffect(CombatAttributeType type) override;
    void StopDamageEffect(CombatAttributeType type) override;

    // ---- Plain accessors --------------------------------------------------------------
    bool GetShowStatusWidget() const { return m_showStatusWidgetWhenPet; }
    const std::string& GetStatusIcon() const { return m_statusIcon; }
    const std::string& GetStatusIconRed() const { return m_statusIconRed; }
    const std::string& GetMonsterMusic() const { return m_monsterMusic; }
    const std::string& GetBossBoundingVolumes() const { return m_bossBoundingVolumes; }
    const std::string& GetTreasureProxyName() const { return m_treasureProxyName; }
    void SetUIActorDescriptionRedirectId(uint32_t id) { m_uiRedirectId = id; }
    uint32_t GetUIActorDescriptionRedirectId() const { return m_uiRedirectId; }
    void SetProxyParent(const std::string& name) { m_proxyParent = name; }
    const std::string& GetProxyParent() const { return m_proxyParent; }
    void SetProxyNumSiblings(uint32_t count) { m_proxySiblings = count; }
    uint32_t GetProxyNumSiblings() const { return m_proxySiblings; }
    void SetPoppedOut(bool on) { m_poppedOut = on; }
    bool GetPoppedOut() const { return m_poppedOut; }
    void SetDropPerPartyMemberItem(const ItemReplicaInfo& info) { m_dropPerPartyMember = info; }
    ItemReplicaInfo GetDropPerPartyMemberItem() const { return m_dropPerPartyMember; }
    // The record keys of the game-wide caps: run, spell-cast and attack speed, min then max.
    const std::array<const char*, 6>& GetSpeedCapKeys() const { return m_speedCapKeys; }

    // ---- Level state and replication (MonsterReplication.cpp) -----------------------
    bool ShouldSaveState() const override { return true; }
    void SaveState(BinaryWriter& writer) override;
    // A proxy parent that cannot be read (too long, or past the end) ends the restore
    // there: what follows it keeps its defaults.
    void RestoreState(BinaryReader& reader) override;

    // What a peer needs to build the same monster; the replica it reads waits for Apply.
    struct ReplicationRecord {
        Character_LifeState lifeState = Character_LifeState_Unknown;
        bool visible = false;
        bool alive = false;
        bool moving = false;
        bool tainted = false;
        uint32_t actionState = 0;
        float currentLife = 0.0f;
        float currentMana = 0.0f;
        uint32_t leaderId = 0;
        Team team;
        std::vector<DurationDamageReplication> damage;
        std::vector<FixedDurationDamageReplication> fixedDamage;
        std::vector<SkillManager::_SkillReplica> skills;
        std::vector<SkillManager::_SkillBuffReplica> skillBuffs;
        uint16_t lootSeed1 = 0;
        uint16_t lootSeed2 = 0;
        std::array<uint32_t, 9> itemIds{};
        std::string proxyParent;
        uint32_t proxySiblings = 0;
        WorldVec3 pathTarget;
        uint32_t attackTargetId = 0;
        uint32_t attackTargetValue = 0;
    };
    // Lists and the sibling count are cut to 255 (their counts are one byte).
    void WriteReplicationData(NetPacketOutBuffer& out) const;
    // Drops a replica still held; an image that fails (logged) keeps none.
    bool ReadReplicationData(NetPacketInBuffer& in);
    void ApplyReplicationData();
    const ReplicationRecord* GetReplicationRecord() const { return m_replication.get(); }

    // The master of a pet; 0 for a creature of its own.
    uint32_t GetMasterId() const { return m_masterId; }
    void SetMasterId(uint32_t id) { m_masterId = id; }

private:
    void HandSkillsToController(const LoadTable& table, ControllerMonster& controller, uint32_t defaultSkillId);
    void ChooseAlternativeLook();
    void WarnOfNoLife() const;
    void SetLeader(uint32_t leaderId);
    void SetBanner(Actor*& banner, const std::string& name);
    void RemoveBanner(Actor*& banner);
    void AttachBanner();
    void DetachBanner();
    float CapSpeed(float speed, size_t keyIndex, CharAttributeType base) const;
    float DrawAmbientPeriod() const;

    void SetBalanceDifficulty(uint32_t level);
    uint32_t m_balanceDifficulty = 0;
    SoundPak* m_ambientSound = nullptr;
    float m_ambientMinMs = 0.0f, m_ambientMaxMs = 0.0f;
    float m_ambientTimerMs = 0.0f;
    float m_stunResistanceInc = 0.0f;
    SoundPak* m_alertSound = nullptr;
    float m_alertChance = 0.0f;
    SoundPak* m_rallySound = nullptr;
    float m_rallyChance = 0.0f;
    SoundPak* m_rampageSound = nullptr;
    float m_rampageChance = 0.0f;
    int m_rampageDelayMs = 0;
    std::string m_bossBoundingVolumes;
    SoundPak* m_fleeSound = nullptr;
    SoundPak* m_petAttackSound = nullptr;
    SoundPak* m_petAcknowledgeSound = nullptr;
    SoundPak* m_aliveSound = nullptr;
    int m_joinTimerMs = -1;
    Team m_savedTeam;
    uint32_t m_previousLeaderId = 0;
    uint32_t m_leaderId = 0;
    MonsterClassification m_classification = MonsterClassification_Common;
    float m_deathFromEnemyRange = 0.0f;
    std::string m_proxyParent;
    uint32_t m_proxySiblings = 0;
    CharFxPak m_confusionEffect;
    std::vector<std::string> m_meshes, m_baseTextures, m_bumpTextures;
    std::string m_statusIcon, m_statusIconRed;
    std::string m_monsterMusic;
    float m_monsterMusicRadiusSquared = 0.0f;
    uint32_t m_uiRedirectId = 0;
    bool m_isLocalPet = false;
    ItemReplicaInfo m_dropPerPartyMember;
    Actor* m_attachedBanner = nullptr;
    Actor* m_baseBanner = nullptr;
    Actor* m_convertBanner = nullptr;
    Actor* m_controlBanner = nullptr;
    bool m_showStatusWidgetWhenPet = false;
    bool m_leaderIsPlayer = false;
    std::array<const char*, 6> m_speedCapKeys{};
    std::string m_treasureProxyName;
    GameEventListener<Monster, GameEvent_GameBalanceLevel> m_balanceListener;
    bool m_aliveSoundWanted = false;
    bool m_poppedOut = false;
    uint32_t m_masterId = 0;
    std::unique_ptr<ReplicationRecord> m_replication;
};

// The monsters of the world whose bounding spheres meet the sphere (given in `region`'s
// space), of the list type given, appended to `out` in the world's order.
void GetMonstersInSphere(std::vector<Monster*>& out, const Region* region, const Sphere& sphere, EntityListType type);

}  // namespace GAME
