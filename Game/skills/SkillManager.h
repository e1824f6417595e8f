// The skills of one character: it makes and owns them (the default attacks, the skills
// its records name, item skills and buffs), names them to peers by reference number,
// counts skill and mastery points, sells reclamation, applies items' augments, gathers
// what the skills give the character, saves their levels, and is told of the
// character's frames, death and destruction.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Engine/NameIndex.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/skills/SkillContributionStamp.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/SkillState.h"

namespace GAME {

class CharAttributeAccumulator;
class CharFxPak;
class RandomUniform;
class Character;
class CombatAttributeAccumulator;
class CombatManager;
class IOStream;
class LoadTable;
class ParametersCombat;
class Name;
class NetPacketInBuffer;
class NetPacketOutBuffer;
class Skill;
class SkillBuff;
class WorldCoords;
struct RacialBonus_Damage;
struct RacialBonus_Defense;
class WorldVec3;
struct TargetLeadingData;

class SkillManager : public SkillManagerBase {
public:
    SkillManager() = default;
    SkillManager(const SkillManager&) = delete;
    SkillManager& operator=(const SkillManager&) = delete;
    // Every skill it made (its skills, item skills and buffs) is destroyed with it.
    ~SkillManager() override;

    // Binds the manager to its character and the character's combat manager.
    void Initialize(CombatManager& combatManager, Character& parent);
    Character* GetParent() const override { return m_parent; }
    CombatManager* GetCombatManager() const { return m_combatManager; }
    // The character is a monster: its skills are enabled as soon as they have a level.
    void ParentIsMonster() { m_monsterSkills = true; }
    bool IsMonsterSkill() const override { return m_monsterSkills; }

    // Reads the mastery levels and the reclamation tiers and costs from the character's
    // record.
    void Load(const LoadTable& table) override;
    // Loads the skills' resources ahead of their first use.
    void PreLoad(bool preloadNow) override;
    // The character's frame (from its pre-animation update): the skill attribute totals
    // are gathered anew, then every skill in force counts its time.
    void Update(int elapsedMs);
    // The character died.
    void ImDead();
    // The character leaves the world.
    void OnDestroy() override;

    // ---- Skills of the character ---------------------------------------------------------
    // The two default attacks: the pooled basic attack (when its record makes a
    // weapon-pool attack), then the default weapon attack, each at level 1. Called before
    // the record's skills on a player, so the basic attack is reference 0. The default
    // weapon attack's id; 0 when its record makes no skill.
    static constexpr const char* kDefaultWPBasicAttackRecord = "Records/Skills/Default/DefaultWPBasicAttack.dbr";
    static constexpr const char* kDefaultWeaponAttackRecord = "Records/Skills/Default/DefaultWeaponAttack.dbr";
    uint32_t LoadDefaultSkills();
    // A record lists its skills under "skillName1".."skillName<count>", each at the
    // entry of the game's difficulty in its "skillLevel<i>" array: a mastery, then its
    // skills, each followed by its modifiers and secondaries. A count outside 1..31 loads
    // nothing; so does an empty record name.
    static constexpr uint32_t kMaxRecordSkills = 31;
    void LoadSkills(const LoadTable& table, uint32_t count);
    void LoadSkills(const std::string& recordName, uint32_t count);
    // Makes the named skill (or takes the modifier already made) and links it under the
    // mastery and base skill carried from the skill before; see LoadSkills.
    void CreateAndLoadSkill(const std::string& recordName, uint32_t level, uint32_t& masteryId, uint32_t& baseId);
    // Takes a skill made for the character into its skills list, which owns it from then
    // on. Its index there is its reference number, the name peers use for it; skills are
    // never taken out of the list, so numbers stay valid. A skill already listed, or null,
    // is ignored.
    void AddSkill(Skill* skill);
    // A skill granted by an item: the character's own copy of the item's skill (the
    // object of that id), made once and then given the level; removing it sets level 0.
    void AddItemSkill(uint32_t itemSkillId, uint32_t level);
    void RemoveItemSkill(uint32_t itemSkillId);

    // ---- Look-ups ---------------------------------------------------------------------------
    // The id of the skill of that record (case and slashes ignored), else of the buff of
    // that record, else of a skill installed without being listed; 0 when none. The
    // second looks among the item skills only.
    uint32_t FindSkillId(const std::string& recordName) const;
    uint32_t FindItemSkillId(const std::string& recordName) const;
    // A reference number is the index in the skills list, or 4096 plus the index among
    // the item skills. 0xFFFFFFFF for an id in neither; 0 for a number naming nothing.
    static constexpr uint32_t kItemSkillReferenceBase = 4096;
    uint32_t GetSkillReferenceNumber(uint32_t skillId) const;
    uint32_t GetSkillIdFromReference(uint32_t reference) const;
    // Whether the skill may be used: one of the character's with a level, or an item skill
    // (with a level unless `asItemSkill`).
    bool IsSkillValidForUse(uint32_t skillId, bool asItemSkill) const;
    uint32_t GetDefaultSkillId() const { return m_defaultSkillId; }
    uint32_t GetDefaultWPSkillId() const override { return m_defaultWPSkillId; }
    uint32_t GetDefaultWPWeight() const { return m_defaultWPWeight; }
    // The weapon-pool attacks and on-death skills the record listed (object ids).
    const std::vector<uint32_t>& GetWeaponPoolAttacks() const { return m_weaponPoolAttacks; }
    const std::vector<uint32_t>& GetOnDeathSkills() const { return m_onDeathSkills; }
    // The object ids of the character's own skills and item skills (not its buffs), in
    // the order they were made: the skills its descriptions list.
    const std::vector<uint32_t>& GetUISkillList() const { return m_uiSkillList; }
    // Takes every occurrence of the id out of that list.
    void RemoveFromUISkillList(uint32_t skillId) { std::erase(m_uiSkillList, skillId); }

    // ---- Points, masteries and reclamation -----------------------------------------------------
    // Raises the skill of that id by `amount` levels.
    void IncrementSkill(uint32_t skillId, uint32_t amount);
    // The base levels of the skills in force, without the two default attacks: those of
    // skills under a mastery, and those of the masteries themselves.
    uint32_t GetNumRegularSkillPoints() const;
    uint32_t GetNumMasteryPoints() const;
    // Skills in force with a level, neither masteries nor default attacks.
    uint32_t GetNumOfNonMasterySkillsWithPoints() const;
    // The masteries in force with a level, and which masteries they are, in order.
    uint32_t GetSkillMasteriesActive() const;
    void GetSkillMasteries(std::vector<uint32_t>& out) const;
    // The character reached a level: one more mastery is allowed when the next increment
    // level is reached (0 never grants), and the game autosaves. One step per call.
    void UpdateMasteriesAllowed(uint32_t level);
    void DebugIncrementMasteriesAllowed() { ++m_masteriesAllowed; }
    void AddMasteryAllowedIncrementLevel(uint32_t level);
    const std::vector<uint32_t>& GetMasteryIncrementLevels() const { return m_masteryIncrementLevels; }
    // The price of buying back the next skill point, by the tier the points used so far
    // reach; 0 without costs, and a tier past the costs takes the last cost.
    uint32_t GetCurrentSkillReclamationCost() const;
    // Buys back n points (false, nothing changed, when the money does not reach), or with
    // a negative n gives back the money of the last points bought, never more than were.
    bool UseReclamationPoints(int32_t n);
    const std::vector<uint32_t>& GetReclamationPointTiers() const { return m_reclamationPointTiers; }
    const std::vector<uint32_t>& GetReclamationPointCosts() const { return m_reclamationPointCosts; }

    // ---- Augments from items --------------------------------------------------------------------
    // The named skill; every skill but the named one; the named mastery and the skills
    // under it. Item skills and buffs are never augmented.
    void SetSkillLevelAugment(const std::string& recordName, uint32_t amount);
    void RemoveSkillLevelAugment(const std::string& recordName, uint32_t amount);
    void SetAllSkillAugment(uint32_t amount, const std::string& exceptName);
    void RemoveAllSkillAugment(uint32_t amount, const std::string& exceptName);
    void SetMasteryAugment(const std::string& masteryRecordName, uint32_t amount);
    void RemoveMasteryAugment(const std::string& masteryRecordName, uint32_t amount);

    // ---- Skill actions -------------------------------------------------------------
    // Every call a peer can cause names the skill by reference number; one that names
    // no skill, or a skill not of the class the call needs (an activated skill), does
    // nothing and answers false.
    // The reference number of the character's default attack; 0 while it has none.
    static constexpr uint32_t kBareHandSkill = 0;
    uint32_t GetBareHandReference() const;
    // The slowest an attack animation plays: a character whose records give no attack
    // speed (0), or one slowed to a stop, still reaches the end of its attack.
    static constexpr float kMinAttackAnimationSpeed = 0.2f;
    // The playback speed of an attack animation for that attack speed.
    static float AttackAnimationSpeed(float attackSpeed)
    {
        return attackSpeed > kMinAttackAnimationSpeed ? attackSpeed : kMinAttackAnimationSpeed;
    }

    // Starts an enabled activated skill on the target or point; the seed makes every
    // peer roll the use alike. True when the skill started: the hit iteration begins
    // anew and the use is counted in the play statistics.
    bool StartSkill(uint32_t skillNumber, uint32_t targetId, const WorldVec3& point, uint32_t seed,
                    const TargetLeadingData& leading);
    // An animation event of the skill's use: swipes, hits (each raising the hit
    // iteration first), sounds, props and particle effects reach the skill. True only
    // for "End" when the skill's end says the use is over.
    bool HandleSkillAnimationCallback(const Name& event, uint32_t skillNumber, uint32_t targetId,
                                      const WorldVec3& point);
    // The use is broken off: its effects go out, its props come off, the skill cancels.
    void CancelSkillAction(uint32_t skillNumber);
    // A skill's warm-up begins or ends (`end`); true when a warm-up began.
    bool SkillWarmUp(uint32_t skillNumber, bool end);
    // True while the bare-hand stand-in plays: the default attack whose kind does not
    // start a use of its own strikes bare-handed, until its "End" or a cancellation.
    bool IsBareHandAttackActive() const { return m_bareHand.active; }

    // ---- Attributes of the skills ----------------------------------------------------------
    // Each adds what the skills give the character: every skill in force with a level,
    // then every buff on the character whatever its level, then every item skill with a
    // level, through the skill's passive collection of that family.
    void GetCharAttributes(CharAttributeAccumulator& accumulator) const;
    void GetSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    void GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    void ContributeRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const;
    void ContributeRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const;
    // The character's equipment, item sets and game balance, then its skills.
    void CollectAvailableSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    // What every collection over the skills above depends on, as it stands. Valid only
    // while the manager holds its contributing skills found (every frame finds them again
    // when a list changed or a skill came or went).
    SkillContributionStamp GetContributionStamp() const;

    // The skills in force, in the order they entered; a skill enters once. Kept by id, so
    // a skill destroyed meanwhile is passed over.
    // A skill entering is installed on the character, one leaving uninstalled.
    void AddToActiveList(Skill* skill) override;
    void RemoveFromActiveList(Skill* skill) override;

    // ---- What the skills ask of their owner --------------------------------------------
    // Null until this peer drives the character's skills.
    SkillServicesBase* GetSkillServices() const override { return m_skillServices; }
    void SetSkillServices(SkillServicesBase* services) { m_skillServices = services; }
    EquipManager_HandState GetHandState() const override;
    // The types of the weapons in the character's hands, found again only when the
    // equipment or the left hand's weapon set here changed.
    void GetWeaponTypes(Weapon_Type& right, Weapon_Type& left) const override;
    // Whether the character holds a ranged weapon, and its weapon's reach: not ranged and
    // melee until the frame finds them.
    bool IsRangedWeapon() const override { return m_rangedWeapon; }
    Skill_RangeProfile GetWeaponRangeProfile() const override { return m_weaponRangeProfile; }
    void SubtractMana(float amount) override;
    void SubtractLife(float amount, const PlayStatsDamageType& damageType) override;
    float GetCurrentMana() const override;
    float GetAttackSpeed() const override;
    float GetSpellCastSpeed() const override;
    void ForceSpeedUpdate() override;
    uint32_t GetRightHandWeapon() const override;
    uint32_t GetArmorId() const;
    // The owner attached or detached an item: the weapon types kept are found again when
    // next asked.
    void EquipmentChanged() { m_weaponsKept = false; }
    // The skill attribute totals of the character's last frame (equipment, item sets,
    // game balance and skills).
    float GetTotalSkillAttribute(SkillAttributeType type) const override;
    // The worn items', item sets', game balance's and skills' damage, then the weapon's
    // (the bare hand's without one); the modifiers likewise, without a weapon.
    void CollectAvailableOffensiveDamageAttributes(uint32_t weaponId,
                                                   CombatAttributeAccumulator& accumulator) const override;
    void CollectAvailableOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;
    // The character's own calculation; 0 without a character.
    float CalculateOffensiveAbility(float bonus) override;
    // Pets being set up, in the order they came; a pet is kept once.
    void PushPetInitialize(Character* pet) override;
    void PopPetInitialize(Character* pet) override;
    // By object id: a pet destroyed meanwhile is passed over.
    const std::vector<uint32_t>& GetPetsInitializing() const { return m_petsInitializing; }
    // A skill's weapon enchantment: the latest one registered is the one the character shows.
    void AddWeaponEnchantment(uint32_t skillId, const std::string& recordName) override;
    void RemoveWeaponEnchantment(uint32_t skillId) override;
    // A skill's effect packs on the character, kept by skill id.
    void AddCharFxPak(uint32_t skillId, const std::vector<std::string>& names) override;
    void RemoveCharFxPak(uint32_t skillId) override;
    // The character took an attack (never retaliation or reflection): the skills that act
    // on being hit, and the item skills with a level, react.
    void UnderAttack(const ParametersCombat& params);
    // The character's buffs, or its debuffs, are dispelled.
    void DispelSkillBuffs();
    void DispelSkillDeBuffs();
    // Chooses the pooled attack of one swing: each weapon-pool attack with a level weighs
    // by its chance weight; the default pooled attack fills the weights up to 100, or
    // weighs its own weight when that is more. The object id; 0 when none.
    uint32_t SelectWeaponPoolSkill(RandomUniform& rng) const override;
    // Drops the effect packs shown; the list stays.
    void ClearCharFxPaks();
    // The skill shown by the effect packs; 0 for none.
    uint32_t GetCharFxPakSkillId() const { return m_charFxPakSkillId; }
    size_t GetCharFxPakCount() const { return m_shownCharFxPaks.size(); }

    // The object id of the weapon in the left hand, 0 when none: one set here, else the
    // character's equipment's.
    uint32_t GetLeftHandWeapon() const override;
    void SetLeftHandWeapon(uint32_t weaponId)
    {
        m_leftHandWeapon = weaponId;
        m_weaponsKept = false;
    }

    // Cooldown added by disruption, in milliseconds, to every skill in force, buff and
    // item skill (each kind decides whether it is disrupted).
    void ApplyCooldownDamage(float durationMs);
    // Every skill in force and item skill ends its cooldown (0 or less) or shortens it
    // by `value` ms; buffs are left as they are.
    void RefreshCooldown(int32_t value) override;

    // A skill changed the character's speeds since they were last computed.
    bool IsSpeedUpdateNeeded() const { return m_speedUpdateNeeded; }
    void SetSpeedUpdateNeeded(bool needed) override { m_speedUpdateNeeded = needed; }

    // ==== Replicas (SkillManagerReplica.cpp) =============================================
    // A character's skills and buffs copied whole, to a peer that joins or into a copy of
    // the character.

    // One skill: its record name and its two states.
    struct _SkillReplica {
        std::string skillName;
        SkillState state;
        SkillActiveState activeState;
        bool operator==(const _SkillReplica&) const = default;
        // Its named form in a save: one block of "skillName", the state, the active state.
        void StreamProperties(IOStream& stream);
    };
    // One buff with its two modifiers (a missing modifier has an empty name), how long it
    // lasts and who cast it.
    struct _SkillBuffReplica {
        _SkillReplica buff;
        _SkillReplica modifier1;
        _SkillReplica modifier2;
        int32_t durationMs = 0;
        uint32_t casterId = 0;
        bool operator==(const _SkillBuffReplica&) const = default;
    };
    // The skills of the skills list above level 0 (neither item skills nor buffs).
    void GetSkillReplica(std::vector<_SkillReplica>& out) const;
    // Each named skill the character has takes both states; unknown names are passed over.
    void SetSkillReplica(const std::vector<_SkillReplica>& replica);
    void GetSkillBuffReplica(std::vector<_SkillBuffReplica>& out) const;
    // Puts each buff on the character, in order, as a replica.
    void SetSkillBuffReplica(const std::vector<_SkillBuffReplica>& replica);

    // The network forms, each list behind a 4-byte count (read as signed: 0 or less is
    // none). A skill: record name (file name form), state (8 bytes), active state (8
    // bytes). A buff: three skills, the caster id (4 bytes), then the time left (4 bytes,
    // 0 for a buff that never runs out). A read that fails leaves the buffer failed and
    // the list empty.
    static constexpr size_t kSkillReplicaMinSize = 2 + 8 + 8;
    static constexpr size_t kSkillBuffReplicaMinSize = 3 * kSkillReplicaMinSize + 4 + 4;
    static void WriteSkillReplicas(NetPacketOutBuffer& out, const std::vector<_SkillReplica>& replica);
    static bool ReadSkillReplicas(NetPacketInBuffer& in, std::vector<_SkillReplica>& replica);
    static void WriteSkillBuffReplicas(NetPacketOutBuffer& out, const std::vector<_SkillBuffReplica>& replica);
    static bool ReadSkillBuffReplicas(NetPacketInBuffer& in, std::vector<_SkillBuffReplica>& replica);

private:
    // Puts the buff on the character: the buff and its modifiers take the replica's states
    // (`fromReplica` passed to their active states), the caster and the duration; an
    // earlier buff of that name goes first.
    void CreateSkillBuff(const _SkillBuffReplica& replica, bool fromReplica);
    // ==== End of the replicas =============================================================

public:
    // ==== Command side (SkillManagerCommands.cpp) ========================================
    // What the skill commands apply on every peer, naming the skill by its reference
    // number; a number that names no skill does nothing. And the controlling peer's skill
    // services, which turn what the skills announce into those commands.

    // Makes this the manager that drives the character's skills: it gets skill services
    // of its own, queuing on the character. A second call does nothing.
    void SetAsControllingManager();
    // The skill applies its target result; on the first hit of a use that reached any
    // target the skill's mana cost is charged and its cooldown starts.
    void SkillTargetResult(uint32_t skillNumber, const std::vector<uint32_t>& targets, const WorldCoords& origin,
                           uint32_t seed, uint32_t weaponId, bool useWeapon, int32_t hitIteration);
    // The skill creates its projectile under the id chosen by the sender; on the first
    // hit the mana cost is charged and the cooldown starts first.
    void CreateProjectile(uint32_t skillNumber, uint32_t weaponId, const WorldCoords& origin, uint32_t targetId,
                          const WorldVec3& point, uint32_t projectileId, uint32_t seed, int32_t hitIteration);
    void SkillSpawnObject(uint32_t skillNumber, const WorldCoords& origin, uint32_t targetId,
                          const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                          uint32_t value);
    // The skill takes the state unless this peer drives it.
    void SkillStateUpdateCommand(uint32_t skillNumber, const SkillState& state);
    void SkillActiveStateUpdateCommand(uint32_t skillNumber, const SkillActiveState& state);
    // Removes the buff of that record from the character, then, for a level other than 0
    // on a living character, puts it on anew with its two modifier skills. The records
    // come from a peer: only a skill record makes a buff, only a modifier record a
    // modifier. The skill id is not used; `restoring` is passed to the active states.
    void CreateRemoveSkillBuff(uint32_t skillId, const std::string& buffName, uint32_t level,
                               const std::string& modifierName1, uint32_t modifierLevel1,
                               const std::string& modifierName2, uint32_t modifierLevel2, int32_t timeToLiveMs,
                               uint32_t casterId, bool restoring);
    // Whether a buff of that record (case and slashes ignored) is on the character.
    bool IsSkillBuffActive(const std::string& buffName) const;
    // The buffs that ended on the character at or after that game time (GameClock), by
    // their normalised record names, once for each ending; the latest kEndedBuffsKept are
    // remembered. A peer whose frames run behind this one's may still tell of them.
    static constexpr size_t kEndedBuffsKept = 16;
    std::vector<std::string> GetBuffsEndedSince(uint32_t gameTimeMs) const;
    // The object ids of the buffs on the character.
    const std::vector<uint32_t>& GetUITempSkillList() const { return m_tempSkills; }

private:
    // A buff on the character, under its normalised record name, with its modifiers.
    // Object ids, 0 for none; the buff itself knows its caster and its time.
    void DispelEachBuff(void (SkillBuff::*dispel)(Character&));
    struct BuffEntry {
        std::string name;
        uint32_t buffId = 0;
        uint32_t modifierId1 = 0;
        uint32_t modifierId2 = 0;
        uint32_t casterId = 0;
        int32_t timeToLiveMs = 0;
    };
    // The buffs on the character: their skills go with the manager.
    struct BuffList : std::vector<BuffEntry> {
        BuffList() = default;
        BuffList(const BuffList&) = delete;
        BuffList& operator=(const BuffList&) = delete;
        ~BuffList();
    };
    void RemoveSkillBuffEntry(const std::string& normalisedName, bool restoring);
    uint32_t CreateBuffSkill(const _SkillReplica& replica, bool modifier, bool restoring);
    // The object ids of the buffs in the list that still exist.
    void RebuildTempSkillList();
    BuffList m_buffs;
    // The latest buffs to end, oldest first: the name and the game time it ended.
    std::vector<std::pair<std::string, uint32_t>> m_endedBuffs;
    std::vector<uint32_t> m_tempSkills;
    std::unique_ptr<SkillServicesBase> m_ownedSkillServices;
    // ==== End of the command side ========================================================

    // ==== Save (SkillManagerSave.cpp) ====================================================
public:
    // A save lists at most this many skills.
    static constexpr uint32_t kMaxSavedSkills = 4096;
    // The skills whose level is not 0, then the masteries allowed and the reclamation
    // points used. A read gives each listed skill it finds its level and enabled flag;
    // unknown names are passed over. False when the stream failed or refused the count.
    bool StreamProperties(IOStream& stream);
    uint32_t GetSkillMasteriesAllowed() const { return m_masteriesAllowed; }
    void SetSkillMasteriesAllowed(uint32_t allowed) { m_masteriesAllowed = allowed; }
    uint32_t GetSkillReclamationPointsUsed() const { return m_reclamationPointsUsed; }
    void SetSkillReclamationPointsUsed(uint32_t used) { m_reclamationPointsUsed = used; }

private:
    uint32_t m_masteriesAllowed = 0;
    uint32_t m_reclamationPointsUsed = 0;
    // ==== End of the save ================================================================

private:
    // Each skill of the list that still exists, in order.
    template <class Visit>
    static void ForEachSkillOf(const std::vector<uint32_t>& ids, Visit visit);
    // Each of those with a current level.
    template <class Collect>
    static void ForEachSkillInForce(const std::vector<uint32_t>& ids, Collect collect);

    // Each skill the attributes come from, in the order of the rule: the active list's
    // with a level, every buff whatever its level, the item skills with a level.
    template <class Collect>
    void ForEachContributingSkill(Collect collect) const;
    // A skill a walk visits: its id and, when it was found as the walk began, the skill.
    struct FrameSkill {
        uint32_t id;
        Skill* skill;
    };
    // Those skills found from their ids once, as the lists stood at revision `revision` of
    // the skills' links (Skill::GetLinksRevision: no skill has come or gone since while it
    // stands): the active list's, then the buffs', then the item skills'. Valid only when
    // every id was found (revision 0 otherwise). The first few are kept in place, beside
    // the revisions every frame reads, so that most characters' walks fetch no more memory
    // than the skills; a longer list is kept whole beyond.
    struct ContributorCache {
        static constexpr size_t kInPlace = 4;
        uint32_t revision = 0;
        uint32_t lists = 0;   // m_listsRevision when found
        uint32_t activeCount = 0;
        uint32_t buffCount = 0;
        uint32_t count = 0;
        std::array<FrameSkill, kInPlace> inPlace{};
        std::vector<FrameSkill> beyond;   // every entry, once there are more than kInPlace
        std::span<const FrameSkill> Skills() const
        {
            return count <= kInPlace ? std::span<const FrameSkill>(inPlace.data(), count)
                                     : std::span<const FrameSkill>(beyond);
        }
        void Clear()
        {
            count = 0;
            beyond.clear();
        }
        void Add(const FrameSkill& entry)
        {
            if (count < kInPlace) {
                inPlace[count] = entry;
            } else {
                if (count == kInPlace)
                    beyond.assign(inPlace.begin(), inPlace.end());
                beyond.push_back(entry);
            }
            ++count;
        }
    };
    // Counts the changes of the active list, the buffs and the item skills: every change
    // of those lists calls ListsChanged, or the cache would go on walking them as they were.
    uint32_t m_listsRevision = 0;
    void ListsChanged() { ++m_listsRevision; }
    ContributorCache m_contributors;
    // Whether the cache holds the lists' skills now.
    bool ContributorsCurrent() const;
    // Finds the lists' skills again when the cache does not hold them.
    void RefreshContributors();
    // The skills a frame updates by id, when the cache did not hold them as the walk began.
    // Only Update fills it: a skill's update that walks another list of the manager leaves
    // it alone.
    std::vector<FrameSkill> m_frameSkills;
    // Each skill of the entries that still exists: by its pointer while no skill has come
    // or gone since the walk began, by its id from the first change on. The entries are the
    // cache's (which only the start of Update finds again) or m_frameSkills, so they stay
    // put whatever the skills' updates do.
    template <class Visit>
    void WalkFrameSkills(std::span<const FrameSkill> skills, Visit visit);
    // The skills of the list (or every skill but the named one, or the named mastery's)
    // take an augment of `amount`, raised or lowered.
    void AugmentSkills(uint32_t amount, bool raise, const std::string& name, bool allButName, bool mastery);
    // The skill of that id, when it is one of the skills list's; null otherwise.
    Skill* FindListedSkill(uint32_t skillId) const;

    CombatManager* m_combatManager = nullptr;   // not owned; null until Initialize
    Character* m_parent = nullptr;              // not owned
    // Every skill made for the character but item skills and buffs, in creation order;
    // owned. A skill's index here is its reference number.
    std::vector<uint32_t> m_skills;
    // The first skill of m_skills under each record name (case and slashes folded), so a
    // name is found without comparing it with every skill's. The list only grows.
    NameIndex<uint32_t, PathFold> m_skillsByName;
    // The record's weapon-pool attacks and on-death skills, among the skills.
    std::vector<uint32_t> m_weaponPoolAttacks;
    std::vector<uint32_t> m_onDeathSkills;
    std::vector<uint32_t> m_masteryIncrementLevels;
    std::vector<uint32_t> m_reclamationPointTiers;
    std::vector<uint32_t> m_reclamationPointCosts;
    bool m_dualWieldAllowed = false;
    std::vector<uint32_t> m_uiSkillList;
    uint32_t m_defaultSkillId = 0;
    uint32_t m_defaultWPSkillId = 0;
    uint32_t m_defaultWPWeight = 100;
    // Rebuilt at the start of every frame; its generator goes on from frame to frame.
    SkillAttributeAccumulator m_skillAttributeTotals;
    // The totals stand while nothing they are summed from has changed (the worn equipment
    // and its sets, the shared packs, the skills) and their collection asked nothing of the
    // generator: a frame that finds them standing only skips the draws the collection
    // skipped, so that the generator goes on as if it had collected them again.
    struct SkillTotalsKey {
        uint32_t equipment = 0;   // ItemEquipment::GetAttributeRevision
        uint32_t shared = 0;      // AttributePak::GetSharedValuesRevision
        SkillContributionStamp skills;
        bool operator==(const SkillTotalsKey&) const = default;
    };
    SkillTotalsKey m_skillTotalsKey;
    bool m_skillTotalsKept = false;
    uint32_t m_skillTotalsSkippedDraws = 0;
    void UpdateSkillAttributeTotals();
    // The worn equipment's skill attributes, in the order its items and their stores hold
    // them, found again when the equipment revision moved (an item rebuilt or destroyed
    // moves it, so the pointers stand while it does): totals that draw, and so are summed
    // every frame, walk them rather than look the items up.
    std::vector<const SkillAttribute*> m_wornSkillAttributes;
    uint32_t m_wornSkillAttributesRevision = 0;
    bool m_wornSkillAttributesKept = false;
    const std::vector<const SkillAttribute*>& WornSkillAttributes();
    // What the totals add after the worn items: the item sets, the game balance, the skills.
    void CollectSkillAttributesAfterEquipment(SkillAttributeAccumulator& accumulator) const;
    std::vector<uint32_t> m_activeList;
    bool m_rangedWeapon = false;
    Skill_RangeProfile m_weaponRangeProfile{};
    // Skills granted by items, owned; and for each item's skill (its object id) the id of
    // the character's own copy.
    std::vector<uint32_t> m_itemSkills;
    std::vector<std::pair<uint32_t, uint32_t>> m_itemSkillMap;
    uint32_t m_leftHandWeapon = 0;
    SkillServicesBase* m_skillServices = nullptr;   // not owned
    bool m_monsterSkills = false;
    // The weapon types as found at equipment revision m_weaponsRevision (the weapons are
    // looked up by id; an item loaded, attached, detached or destroyed moves the revision).
    mutable bool m_weaponsKept = false;
    mutable uint32_t m_weaponsRevision = 0;
    mutable Weapon_Type m_weapons[2] = {Weapon_None, Weapon_None};
    std::vector<std::pair<uint32_t, std::string>> m_weaponEnchantments;   // skill id, record
    std::vector<std::pair<uint32_t, std::vector<std::string>>> m_charFxPaks;
    // The bare-hand attack under way: its target and the seed of its rolls.
    struct BareHandAttack {
        bool active = false;
        uint32_t targetId = 0;
        uint32_t seed = 0;
    };
    BareHandAttack m_bareHand;
    bool StartBareHanded(uint32_t skillNumber, uint32_t targetId, uint32_t seed);
    bool BareHandEvent(const Name& event);
    void StrikeBareHanded(uint32_t targetId);
    std::vector<uint32_t> m_petsInitializing;   // object ids
    // The effect packs shown (those of the front entry of m_charFxPaks) and their skill.
    std::vector<std::unique_ptr<CharFxPak>> m_shownCharFxPaks;
    uint32_t m_charFxPakSkillId = 0;
    void ShowCharFxPaks();
    bool m_speedUpdateNeeded = false;
    // The ids walked by a frame: a skill's update may add or remove skills and buffs
    // without disturbing the walk. Kept from frame to frame, so a frame allocates nothing.
    std::vector<uint32_t> m_frameIds;
    // Walks a copy of `ids` (in m_frameIds), each skill that still exists.
    template <class Visit>
    void ForEachSkillOfCopy(const std::vector<uint32_t>& ids, Visit visit);
    // The buff, then its modifiers, of an entry take the inactive states, the buff is
    // uninstalled and all three are destroyed.
    void DestroyBuffEntry(const BuffEntry& entry, bool restoring);
};

}  // namespace GAME
