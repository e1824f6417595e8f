// A skill of a character: created by class name from its skill record, it shares the
// per-level values of its record through the game engine's profile cache and holds
// only its own state: level, items' augmentation, cooldown, availability and links to
// the skills that modify it. Every question about its owner goes through the owner's
// SkillManagerBase.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Engine/Name.h"
#include "Engine/Object.h"
#include "Game/characters/CharacterRagDoll.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/items/ItemTypes.h"
#include "Game/skills/SkillProfileModifiers.h"
#include "Game/skills/SkillState.h"

namespace GAME {

class CharAttributeAccumulator;
class CharAttributeContribution;
class Character;
class CombatAttributeAccumulator;
class ParametersCombat;
class ProjectileBase;
class Prop;
class SoundPak;
struct SkillBuffTransfer;
class WorldCoords;
enum class GameTextClass : int32_t;
enum class ParametersCombatStyle : int32_t;
struct GameTextLine;
class WorldVec3;
struct ProjectileInfo;
struct RacialBonus_Damage;
struct RacialBonus_Defense;
class SkillAttributeAccumulator;
class SkillManagerBase;
class SkillProfile;
class SkillServicesBase;

// How far a skill reaches, by the game-wide ranges.
enum Skill_RangeProfile : int32_t {
    Skill_RangeMelee = 0,
    Skill_RangeShort = 1,
    Skill_RangeModerate = 2,
    Skill_RangeLong = 3,
    Skill_RangeMaximum = 4,
};

// Why a skill can or cannot be used now.
enum Skill_UseQuery : int32_t {
    Skill_Usable = 0,
    Skill_CoolingDown = 1,
    Skill_NotEnoughMana = 2,
    Skill_WeaponNotQualifying = 4,
    Skill_LevelZero = 5,
    Skill_NothingToThrow = 6,
};

using Skill_Type = int32_t;

class Skill : public Object {
    GAME_DECLARE_CLASS(Skill)

public:
    static constexpr uint32_t RecommendedBuffReflexDuration = 250;
    static constexpr uint32_t RecommendedBuffReflexRate = 100;

    Skill() { LinksChanged(); }
    // Copies every field but the owned sounds, props and pets: an object has one owner,
    // so the copy starts without them (and an assignment keeps its own).
    Skill(const Skill& other);
    Skill& operator=(const Skill& other);

    // ---- Virtual operations (kinds keep this order and append theirs) ------------------
    // Normalises the record name (lower case, '\' separators), keeps it as the resource
    // name, then loads the resources.
    void Load(const LoadTable& table) override;
    // Destroys the sounds it loaded, then its pets.
    ~Skill() override;
    // Detaches its props from whatever holds them and destroys them.
    void OnDestroy() override;
    // Applies or removes the skill's lasting effects on its owner; the base installs
    // nothing and on removal drops the weapon enchantment and effect packs it registered.
    virtual void Install(Character* owner);
    virtual void UnInstall(Character* owner);
    virtual void IncrementSkillLevel(unsigned n) { AddSkillLevel(static_cast<int>(n > 0x7fffffffu ? 0x7fffffffu : n)); }
    virtual void SetSkillLevel(unsigned level);
    // False at level 0; otherwise one level less, leaving the owner's active list at 0.
    virtual bool DecrementSkillLevel();
    virtual void IncrementAugmentedSkillLevel(unsigned n);
    virtual void DecrementAugmentedSkillLevel(unsigned n);
    virtual void SkillLevelChange() {}
    // Takes the profile from the game engine's cache, the record's range profile, and
    // the profile's sounds and props.
    virtual void LoadResources(const LoadTable& table);
    // Asks the sounds and props it holds to preload.
    void PreLoad(bool preloadNow) override;
    virtual void Update(Character& character, int elapsedMs);

    // ---- skill texts ----------------------------------------------------------------------
    // Texts of the skill for the user interface: its name, heading, parameters at this
    // level and the next, its kind's own lines, its modifiers' lines and a short summary.
    // Each appends styled lines to the caller's list; kinds override single builders.
    virtual std::u16string CreateUISkillName() const;
    virtual void CreateUISkillName(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    virtual void CreateUISkillHeading(std::vector<GameTextLine>& lines) const;
    virtual void CreateUINameText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    virtual void CreateUIParameterText(std::vector<GameTextLine>& lines) const;
    virtual void CreateUINextParameterText(std::vector<GameTextLine>& lines) const;
    virtual void CreateUISpecializedText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    virtual void CreateUINextSpecializedText(std::vector<GameTextLine>& lines) const;
    virtual void CreateUIModifierText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    virtual void CreateUINextModifierText(std::vector<GameTextLine>& lines) const;
    virtual void CreateUIShortSummaryText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    // A pet's life at the level (when limited) and its own summary; the pet is not null.
    void CreateUIPetText(Character* pet, unsigned level, GameTextClass textClass,
                         std::vector<GameTextLine>& lines) const;
    // The names of the base skills that still exist, each by "SkillBaseNamesFormat".
    std::u16string GetBaseNamesText() const;
    // ---- end of skill texts ---------------------------------------------------------------

    virtual void OnHitActivation(Character&, const ParametersCombat&) {}
    // The level the skill acts at: 0 while its own level is 0 or less, else its level
    // plus the items' augmentation, bounded by the ultimate level.
    virtual unsigned GetCurrentLevel() const { return m_currentLevel; }
    virtual unsigned GetChanceWeight(bool) const { return 0; }
    virtual bool IsSkillOnHitActive() const { return false; }
    virtual bool IsTrackable(unsigned) const { return false; }
    virtual bool IsTempTrackable(unsigned) const { return false; }
    virtual bool HasIconDisplay(unsigned i) const { return IsTrackable(i); }
    virtual bool TrackableTimed(unsigned) const { return false; }
    virtual int TrackableRemainingTime(unsigned) const { return 1; }
    virtual int TrackableTotalTime(unsigned) const { return 1; }
    virtual Skill_RangeProfile GetRangeProfile() const { return m_rangeProfile; }
    // Shortens the running cooldown by ms; 0 or less ends it.
    virtual void EndCooldown(int ms);
    // Starts a cooldown of ms unless a longer one runs.
    virtual void ReplaceCooldownTime(float ms);
    virtual void ApplyDisruptionCooldownTime(float ms);
    // Recomputes the availability flags and the reason; true when usable.
    virtual bool SetAvailability(bool ignoreMana, bool ignoreCooldown);
    // The skill's own attribute of that type plus its modifiers' and its owner's.
    virtual float GetTotalSkillAttribute(SkillAttributeType type) const;
    // Adds the current level's modifiers and those of every modifier skill to `out`.
    virtual void GetSkillModifierData(SkillProfile_Modifiers& out) const;
    // Hands a projectile the skill's explosion, fragments and piercing (its own and its
    // projectile modifiers'). The base hands none.
    virtual void AddProjectileModifier(ProjectileBase* projectile) const;

    // The skill's sounds at a place, and a weapon's swipe on an animation event. The base
    // plays none.
    virtual void PlaySwipeSound(const WorldVec3& position) const;
    virtual void PlayHitSound(const WorldVec3& position) const;
    virtual void PlaySkillSound1(const WorldVec3& position) const;
    virtual void PlaySkillSound2(const WorldVec3& position) const;
    // On "SwipeRight" or "SwipeLeft": that hand's weapon swipe, or the arm's when the
    // hand holds none.
    virtual void PlayWeaponSwipeSound(Character& character, const Name& event);
    // Switch the skill's particle effects and its warm-up effect on the user on or off.
    // The base shows none.
    // Each effect is made once, on first use, then started and stopped.
    virtual void ParticleEffect1(Character& character, bool on);
    virtual void ParticleEffect2(Character& character, bool on);
    virtual void ParticleEffect3(Character& character, bool on);
    virtual void WarmUpEffect(Character& character, bool on);
    // Effect packs placed at a point: on the target, and where a buff on others or on
    // the user ends. The base places none.
    // The end of a buff on others plays its pack once per buff. Each modifier adds its own.
    virtual void CreateTargetFx(const WorldCoords& coords);
    virtual void CreateEndBuffOtherFx(const WorldCoords& coords);
    virtual void CreateEndBuffSelfFx(const WorldCoords& coords);
    // What the skill itself (with its modifiers) adds to one of its attacks. The base adds
    // nothing.
    virtual void CollectLocalOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void CollectLocalOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void CollectLocalRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const;

    // What the skill gives its owner while it is in force. A kind that gives its own values
    // (CollectsOwnValues) adds each family through the CollectOwn collectors; any other
    // adds, of the character attributes, the contribution kept for the current level (none
    // in the base), and nothing of the others.
    virtual void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const;
    virtual void CollectPassiveSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    virtual void CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void CollectPassiveRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    // What the skill adds to its owner's defences when an attack reaches the owner.
    virtual void CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void CollectPassiveRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const;
    virtual void CollectPassiveRacialBonusDefense(const std::vector<std::string>& races,
                                                  RacialBonus_Defense& bonus) const;
    // What a projectile of the skill found, and the results every peer applies; the base
    // does nothing with them.
    virtual void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords, std::vector<uint32_t> targets);
    virtual void TargetFriendInformation(const ProjectileInfo& info, const WorldCoords& coords,
                                         std::vector<uint32_t> targets);
    virtual void TargetResult(Character&, const std::vector<uint32_t>&, const WorldCoords&, unsigned, unsigned, bool) {}
    virtual void CreateProjectile(Character&, const WorldCoords&, unsigned, const WorldVec3&, unsigned, unsigned,
                                  unsigned)
    {
    }
    virtual void SkillSpawnObject(Character&, const WorldCoords&, unsigned, const std::vector<WorldCoords>&,
                                  const std::vector<uint32_t>&, unsigned)
    {
    }
    // The user broke off the skill: the weapon trails of both hands go out.
    virtual void Cancel(Character& character);
    virtual void StopSkill(Character&) {}
    virtual void DispellSelfBuff(Character&) {}
    virtual bool IsRepeatable() const { return m_repeatable; }
    // The base needs no target: it answers 0 and true.
    virtual bool GetValidTarget(const Character&, unsigned& target, const WorldVec3&, bool, float) const
    {
        target = 0;
        return true;
    }
    // What a target result of the skill says beyond its targets, for a server to check as
    // it checks the targets of a client's result: the character its value names (0 when
    // the value is no character, as for a weapon), and whether its coordinates are a place
    // the skill moves its user to. The base says neither.
    virtual uint32_t ResultChosenTarget(uint32_t /*value*/) const { return 0; }
    virtual bool ResultMovesUser() const { return false; }
    // Whether the skill's result lists the target its user chose at its head, ahead of the
    // characters it gathered: the head is 0 when none was chosen, and names a character
    // a second time when that one also stands among the gathered.
    virtual bool ResultLeadsWithChosenTarget() const { return false; }
    // The most characters one result of the skill names by its own rule: its modifier
    // data's target number; 0 for a kind that gathers every character its area holds.
    virtual unsigned ResultTargetNumber() const;
    // Whether the gap between the two bodies (distance less both extents) is within
    // range; false when the target is no actor.
    virtual bool IsTargetInRange(const Character& user, unsigned target, float range) const;
    // Fills the parameters of one attack of the skill by the attacker on the defender
    // (null for none): racial bonus, style, attributes, damage, ability and cost.
    virtual void CollectCombatParameters(const Character& attacker, const Character* defender,
                                         ParametersCombatStyle style, bool useAvailable, unsigned weaponId,
                                         ParametersCombat& params, float percent);
    virtual bool ShouldMonsterSkillBeInterruptedWhilePursuing() const { return true; }
    // Applies a state sent by the controlling peer (or any state with `force`).
    virtual void ReceiveStateUpdate(const SkillState& state, bool force);
    // Copies the active state whole.
    virtual void ReceiveActiveUpdate(Character&, const SkillActiveState& state, bool) { SetActiveState(state); }
    virtual bool IsValidTarget(unsigned) const { return true; }
    virtual bool GetWarmUpWasActive() const { return false; }
    // Fills the rag-doll reaction of a character the skill kills, from the animation data
    // the skill captured and the profile's push, between the two places.
    virtual void InitRagDollData(CharacterRagDoll::EffectData& data, const WorldCoords& from,
                                 const WorldCoords& to) const;
    virtual void PreLoadResources() {}

    // The families of kinds the skill manager keeps apart while it links a character's
    // skills: masteries (with the mastery they are), weapon-pool attacks and on-death
    // skills. Answered from the class information by the kinds' class names, so a kind
    // derived from one of them belongs to its family; a kind may override.
    virtual bool IsMasteryKind() const { return IsOfClassNamed("Skill_Mastery"); }
    virtual bool IsWeaponPoolAttackKind() const { return IsOfClassNamed("Skill_WPAttack"); }
    virtual bool IsOnDeathKind() const { return IsOfClassNamed("SkillOnDeath"); }
    // Which of the eight masteries a mastery is; 0 for any other skill.
    virtual uint32_t GetEnumeration() const { return 0; }
    // Whether the object's class, or one of its ancestors, bears that name.
    bool IsOfClassNamed(const char* className) const
    {
        for (const RTTI_ClassInfo* info = &GetClassInfo(); info; info = info->GetParent())
            if (std::strcmp(info->GetName(), className) == 0)
                return true;
        return false;
    }

    // ---- effects, targeting and combat ------------------------------------------------
    void PlayWarmUpSound(const WorldVec3& position) const;
    void PlayActivateSound(const WorldVec3& position) const;
    void PlayDeactivateSound(const WorldVec3& position) const;
    void PlayCastSound(const WorldVec3& position) const;
    void PlayUnCastSound(const WorldVec3& position) const;
    // The cast (on) or uncast (off) sound; the activate or deactivate sound.
    void PlayCastSounds(const WorldVec3& position, bool on) const;
    void PlayActivatedSounds(const WorldVec3& position, bool on) const;
    // The profile's special animation, when the character's set plays it; captures its
    // rag-doll data.
    bool StartSpecialAnimation(Character& character, float speed, bool loop);
    bool StartNormalAnimation(Character& character, int type, const Name& name, float speed, bool loop,
                              unsigned iterations);
    void CaptureAnimationRagDollInfo(const Character& character);
    // The place of the attach point a hit event names; the character's own otherwise.
    WorldCoords GetCoordsFromCallback(const Character& character, const Name& event) const;
    // Target searches: a given target is kept when it is a foe (friend); else the first
    // foe (friend) around the point, or the user's position with `fromUser`.
    bool GetValidMeleeTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                             float radius, bool keepTarget) const;
    bool GetValidRangedTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                              float radius) const;
    bool GetValidFriendTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                              float radius) const;
    // ---- end of effects, targeting and combat -----------------------------------------

    // ---- Owner --------------------------------------------------------------------------
    void SetManager(SkillManagerBase* manager) { m_manager = manager; }
    SkillManagerBase* GetManager() { return m_manager; }
    const SkillManagerBase* GetManager() const { return m_manager; }
    bool HasManager() const { return m_manager != nullptr; }
    // This peer drives the skill and sends its state.
    bool IsControllingSkill() const;

    // ---- Identity and record ------------------------------------------------------------
    const Name& GetResourceName() const { return m_resourceName; }
    // The record the profile, sounds and effects come from (a buff kind takes its buff's).
    void SetResourceName(const Name& name) { m_resourceName = name; }
    // The engine's null profile while the skill has none; null only without an engine.
    const SkillProfile* GetSkillProfile() const;
    void SetSkillProfile(const SkillProfile* profile)
    {
        m_profile = profile;
        LinksChanged();
        RefreshPassiveContribution();
    }
    Skill_Type GetSkillType() const { return m_skillType; }
    unsigned GetMaxLevel() const;
    unsigned GetUltimateLevel() const;
    // The profile's texts and requirements; empty or 0 without a profile.
    const std::string& GetDisplayNameTag() const;
    const std::string& GetBaseDescriptionTag() const;
    const std::vector<std::string>& GetSkillDependancy() const;
    unsigned GetMasteryLevelRequirement() const;
    bool IsPetDisplayable() const;

    // ---- Flags --------------------------------------------------------------------------
    // The user interface's name of the skill's kind ("^bPassive Skill" and the like).
    std::string_view GetKindText() const { return m_kindText; }
    bool IsPrimary() const { return m_primary; }
    bool IsSecondary() const { return m_secondary; }
    bool IsDefaultSkill() const { return m_defaultSkill; }
    bool ShouldWpUseParentResources() const { return m_wpUsesParentResources; }
    bool IsItemSkill() const { return m_itemSkill; }
    void SetAsItemSkill() { m_itemSkill = true; }
    void SetAsTempSkill() { m_tempSkill = true; }
    bool IsAugmented() const { return m_augmentedLevel > 0; }

    // ---- Levels -------------------------------------------------------------------------
    int32_t GetSkillLevel() const { return m_state.level; }
    uint32_t GetMasteryId() const { return m_masteryId; }
    void AddMastery(uint32_t id)
    {
        if (id != 0)
            m_masteryId = id;
    }
    // The own level of the mastery skill; 0 when it does not resolve.
    int32_t GetMasteryLevel() const;
    bool IsSkillTheMasterySkill() const { return m_masteryId == 0; }

    // ---- Links --------------------------------------------------------------------------
    void AddModifier(uint32_t id)
    {
        m_modifiers.push_back(id);
        LinksChanged();
    }
    void AddSecondarySkill(uint32_t id) { m_secondarySkills.push_back(id); }
    void AddBaseSkill(uint32_t id) { m_baseSkills.push_back(id); }
    const std::vector<uint32_t>& GetModifiers() const { return m_modifiers; }
    const std::vector<uint32_t>& GetSecondarySkills() const { return m_secondarySkills; }
    // True without base skills, else when one of them has a current level.
    bool IsBaseSkillEnabled() const;
    // The display name tag of the first base skill; empty when there is none or it is gone.
    std::string GetBaseNameText() const;

    // ---- Modifiers ----------------------------------------------------------------------
    // The record and current level of the modifier at that index; both unchanged when the
    // index is past the list or the modifier is gone.
    void GetModifierInfo(unsigned index, std::string& name, unsigned& level) const;
    // The hand-over of the named buff from this skill: at `level`, with the skill's first two
    // modifiers, for `durationMs` (a negative time counts as 0), cast by `casterId`.
    void FillBuffTransfer(SkillBuffTransfer& transfer, const std::string& buffName, unsigned level, int durationMs,
                          uint32_t casterId) const;
    // Each modifier that still exists adds its contribution of that family.
    void AddModifierCharAttributes(CharAttributeAccumulator& accumulator) const;
    void AddModifierSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    void AddModifierOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void AddModifierOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    void AddModifierRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    void AddModifierDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    void AddModifierRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const;
    void AddModifierRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const;

    // ---- Secondary skills ---------------------------------------------------------------
    // Each secondary skill that still exists reacts to this one, in the order they were
    // added: the primary switched on, the skill acting, the primary switched off.
    void PrimaryActivateSecondarySkills(Character& character, unsigned target, const std::vector<uint32_t>& targets,
                                        const WorldVec3& point);
    void ActivateSecondarySkills(Character& character, unsigned target, const std::vector<uint32_t>& targets,
                                 const WorldVec3& point);
    void PrimaryStopSecondarySkills(Character& character);

    // ---- Range --------------------------------------------------------------------------
    float GetRange() const;
    bool NeedsAttackSlot() const { return GetRangeProfile() == Skill_RangeMelee; }

    // ---- Cooldown and mana --------------------------------------------------------------
    void StartCooldown();
    // 1 when no cooldown runs, else the part of it gone by.
    float GetCooldownCompletion() const;
    int32_t GetCooldownRemaining() const { return m_cooldownRemaining; }
    int32_t GetCooldownTotal() const { return m_cooldownTotal; }
    // Never below 0.
    float GetManaCost() const;
    void SubtractManaCost();

    // ---- Availability -------------------------------------------------------------------
    Skill_UseQuery GetReason() const { return m_reason; }
    // True when the skill failed on its weapons, or lacked mana or was cooling down
    // where its kind falls back to the default attack.
    bool UseDefaultWhenUnavailable() const;
    bool QualifyingWeapon() const;
    bool QualifyingHandState() const;
    // True when the list is empty or holds either hand's type.
    static bool IsQualifyingWeapons(Weapon_Type right, Weapon_Type left, const std::vector<Weapon_Type>& qualifying);
    bool AllowDualWieldWeapons() const;
    // Enabled and above level 0.
    bool IsSkillEnabled() const { return m_state.enabled && m_state.level > 0; }
    bool IsEnabledFlagSet() const { return m_state.enabled; }
    void SetSkillEnabled(bool enabled)
    {
        SetCollected(m_state.enabled, enabled);
        RefreshPassiveContribution();
    }

    // ---- Record loading -----------------------------------------------------------------
    // The profile of the skill's record, cached by the game engine but not kept here.
    void LoadOriginalSkillResource(const LoadTable& table);
    // Takes the resources and profile from another record, under that record's name (a
    // buff kind takes its buff's, a secondary its primary's).
    void LoadResourcesFrom(const std::string& recordName);
    // Creates the profile's nine sounds; an empty name or a record of another class
    // leaves its place empty.
    void LoadSounds();
    // In order: warm-up, swipe, hit, activate, deactivate, cast, uncast, skill sound 1, 2.
    enum SoundSlot : unsigned {
        Sound_WarmUp,
        Sound_Swipe,
        Sound_Hit,
        Sound_Activate,
        Sound_Deactivate,
        Sound_Cast,
        Sound_UnCast,
        Sound_Skill1,
        Sound_Skill2,
        kSoundCount
    };
    SoundPak* GetSound(SoundSlot slot) const { return slot < kSoundCount ? m_sounds[slot] : nullptr; }
    Prop* GetProp1() const { return m_prop1; }
    Prop* GetProp2() const { return m_prop2; }

    // ---- Replication --------------------------------------------------------------------
    // Send the state or the active state through the owner's services, when this peer
    // has them.
    void SendStateUpdate();
    void SendActiveStateUpdate();
    const SkillState& GetSkillState() const { return m_state; }
    const SkillActiveState& GetActiveState() const { return m_activeState; }


    // ---- Passive contributions ----------------------------------------------------------
    // What the skill adds to its owner's character attribute totals: the contribution of
    // its current level, null when it adds nothing. Kept from the last change of level,
    // augmentation, state or profile, since every character update reads it for every
    // skill.
    const CharAttributeContribution* GetPassiveCharContribution() const { return m_passiveChar; }
    // Finds the current level and the contribution again from the level, augmentation,
    // state and profile.
    void RefreshPassiveContribution()
    {
        const unsigned level = ComputeCurrentLevel();
        if (level != m_currentLevel)
            LinksChanged();
        m_currentLevel = level;
        SetCollected(m_passiveChar, FindPassiveCharContribution());
    }

    // Some skill's current level, profile or modifiers changed, or a skill came or went:
    // the sums every skill keeps of itself and its modifiers are found again on first use.
    static void LinksChanged();
    // The count of those changes so far; never 0.
    static uint32_t GetLinksRevision();
    // What some skill adds to its owner through the passive collectors may have changed
    // otherwise: its state, its active state, or a switch of its kind that its collectors
    // read. Every writer of those calls it when the value changes, so that owners keep
    // their collected totals while the count stands.
    static void ContributionChanged();
    // The count of those changes and of the links' changes together.
    static uint32_t GetContributionRevision();

protected:
    // The skill services of the owner on the peer that drives it; null elsewhere.
    SkillServicesBase* GetServices() const;
    // A fresh 16-bit seed for a command from the game engine's generator.
    static uint32_t NewSeed();
    // A target result for the hits a projectile of the skill reports, from its launch place
    // with the value it passes on; nothing once its caster is gone or dead, or without
    // services.
    void SendProjectileTargets(const ProjectileInfo& info, const std::vector<uint32_t>& targets) const;
    // One attack per live target of the list: parameters, rag doll, target effect (unless
    // `targetFx` is false). The id of the first target that reports a hit; 0 for none.
    uint32_t ApplyDamageLoop(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                             unsigned seed, ParametersCombatStyle style, bool useAvailable, unsigned weaponId,
                             float percent, bool targetFx = true);
    // Makes the pets of this level and the next (when its record differs), kept for the
    // skill's description.
    virtual void PreLoadPet();
    // ---- effects, targeting and combat ------------------------------------------------
    // The room a pet needs: its extents + 2.0, or 2.0 without a pet.
    float GetPetExtents() const;
    void ApplyCastVisualEffects(Character& character, bool on);
    void ApplyActiveWorldVisualEffects(Character& character, bool on);
    void ApplyActivatedVisualEffects(Character& character, bool on);
    void ApplyBuffSelfEffects(Character& character, bool on);
    void ApplyBuffOtherEffects(Character& character, bool on);
    const std::string& GetBuffSelfCharFxPakName() const;
    const std::string& GetBuffOtherCharFxPakName() const;
    // ---- end of effects, targeting and combat -----------------------------------------

private:
    // The buff effects on (its packs, weapon enchantment, the end effect to come) or off
    // (dropped, the end effect placed), for a buff on the user or on others.
    void ApplyBuffEffects(Character& character, bool on, bool self);

protected:
    // The contribution at the current level and state; the base adds nothing.
    virtual const CharAttributeContribution* FindPassiveCharContribution() const { return nullptr; }

    // Cooldown length in milliseconds from the modifiers and the cooldown reduction.
    float GetCooldownTime() const;
    void AddSkillLevel(int n);
    void SubtractSkillLevel(unsigned n);
    void SetIgnoreMana(bool ignore) { m_ignoreMana = ignore; }
    void SetReason(Skill_UseQuery reason) { m_reason = reason; }
    // What the skill adds of each family at its collected level: its profile's values at
    // that level, then whatever the modifiers attached to it add; nothing without one.
    // The passive, modifier, toggled-buff and charged kinds collect through these.
    void CollectOwnCharAttributes(CharAttributeAccumulator& accumulator) const;
    void CollectOwnSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    void CollectOwnOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void CollectOwnOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    void CollectOwnRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    void CollectOwnDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    void CollectOwnRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const;
    void CollectOwnRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const;
    template <class Own, class Relay>
    void CollectEnabled(Own own, Relay relay) const;
    // The level the collectors above add the profile's values at, or none to add nothing
    // (the modifiers' neither); by default the current level while enabled.
    virtual std::optional<unsigned> CollectedLevel() const;
    // Whether the owner collects this skill's own values (see CollectPassiveCharAttributes).
    virtual bool CollectsOwnValues() const { return false; }
    virtual void NotifyUIOnActivate() {}
    virtual void NotifyUIOnDeactivate() {}
    // The weapon kinds follow their owner's weapon's reach.
    void SetRangeProfile(Skill_RangeProfile profile) { m_rangeProfile = profile; }

private:
    // First, beside the object's header: every update of the owner's totals reads it for
    // every skill, and the look-up has just touched that line.
    const CharAttributeContribution* m_passiveChar = nullptr;   // owned by the profile
    // The base's current level, kept from the same changes: every update asks for it of
    // the skill and of each of its modifiers, several times.
    unsigned m_currentLevel = 0;
    unsigned ComputeCurrentLevel() const;
    // What every update reads of the skill and of its modifiers, together after the
    // object's header so that one update touches few lines of each object.
    SkillManagerBase* m_manager = nullptr;     // not owned
    const SkillProfile* m_profile = nullptr;   // owned by the game engine's cache
    std::vector<uint32_t> m_modifiers;
    // Skills made outside a skill manager act from their level alone, so they start
    // enabled; a controlling peer's update recomputes the flag every frame.
    SkillState m_state{0, true};
    int32_t m_cooldownRemaining = 0;
    Skill_UseQuery m_reason = Skill_Usable;
    bool m_lacksMana = false;
    bool m_coolingDown = false;
    bool m_weaponNotQualifying = false;
    bool m_handStateNotQualifying = false;
    bool m_ignoreMana = false;

    // The base's sums of the current level's numbers and skill attributes with those of
    // the modifiers, kept while no level, profile or modifier anywhere changed (the
    // revision) and the current level is the same. Every update needs them, and finding
    // them looks up every modifier. Skill attributes are kept only when no draw took part
    // (then the seed cannot change them).
    mutable uint32_t m_sumsRevision = 0;
    mutable unsigned m_sumsLevel = 0;
    mutable bool m_modifierSumsKept = false;
    mutable bool m_attributeSumsKept = false;
    mutable float m_attributeSums[kSkillAttributeTypeCount] = {};
    mutable SkillProfile_Modifiers m_modifierSums;
    // Drops the kept sums when they are out of date for this level.
    void CheckLinkSums(unsigned level) const;
    // The skill's and its modifiers' attribute of that type, from the kept sums or drawn
    // with the seed.
    float GetOwnSkillAttribute(SkillAttributeType type, bool seeded, uint16_t seed) const;

protected:
    // Each kind names itself with a fixed text: pointing at it builds no string per skill.
    const char* m_kindText = "^r--- Invalid Type ----";
    Skill_Type m_skillType = 0;
    bool m_primary = false;
    bool m_secondary = false;
    bool m_repeatable = true;
    bool m_useDefaultWhenOutOfMana = false;
    bool m_useDefaultWhenCooling = false;
    bool m_disruptable = false;
    bool m_wpUsesParentResources = true;
    bool m_defaultSkill = false;

private:
    Name m_resourceName;
    Skill_RangeProfile m_rangeProfile = Skill_RangeMelee;

protected:
    // Writes a value the passive collectors read, counting the change (ContributionChanged)
    // when the value is a new one.
    template <class T>
    static void SetCollected(T& field, const std::type_identity_t<T>& value)
    {
        if (!(value == field))
            ContributionChanged();
        field = value;
    }
    // Written through SetActiveState, or followed by ContributionChanged: the collectors
    // of many kinds read it.
    SkillActiveState m_activeState;
    void SetActiveState(const SkillActiveState& state) { SetCollected(m_activeState, state); }

private:
    uint32_t m_masteryId = 0;
    std::vector<uint32_t> m_secondarySkills;
    std::vector<uint32_t> m_baseSkills;
    int32_t m_cooldownTotal = 0;
    uint32_t m_augmentedLevel = 0;
    SoundPak* m_sounds[kSoundCount] = {};   // owned through the object manager

protected:
    // The particle effects the skill shows on its user (0 until first made).
    uint32_t m_particleEffect1Id = 0;
    uint32_t m_particleEffect2Id = 0;
    uint32_t m_particleEffect3Id = 0;
    uint32_t m_warmUpEffectId = 0;

private:
    Prop* m_prop1 = nullptr;                // owned through the object manager
    Prop* m_prop2 = nullptr;

protected:
    // Captured from the animation the skill started, for the rag doll of a victim.
    std::string m_ragDollEffectType;
    std::string m_ragDollDirection;
    std::string m_ragDollPush;
    std::string m_ragDollElevation;
    uint32_t m_worldAuraId = 0;    // entity in the world while the skill is active
    uint32_t m_castEffectId = 0;   // particle effect on the user while casting
    uint32_t m_activeAuraId = 0;   // aura on the user while the skill is on
    // The effect pack placed once where a buff on others ends, then cleared.
    std::string m_endBuffOtherEffectName;

private:
    bool m_tempSkill = false;
    bool m_itemSkill = false;

protected:
    // The pets of this level and the next, kept for the description; owned through the
    // object manager.
    Character* m_pet = nullptr;
    Character* m_nextPet = nullptr;

private:
    // Every field but the owned objects, for the copy constructor and assignment.
    void CopyFields(const Skill& other);
    // Each modifier, and each secondary skill, whose id still resolves to its class.
    template <class Visit>
    void ForEachModifier(Visit visit) const;
    template <class Visit>
    void ForEachSecondarySkill(Visit visit) const;
};

// The coordinates with their position (and its region, when it has one) replaced; the
// rotation stays. Launch frames moved to an attach point are made this way.
WorldCoords WithPosition(const WorldCoords& coords, const WorldVec3& position);

// A skill that acts without being used: while enabled (and above level 0) it adds its
// profile's values at its current level to its owner, and then lets the modifier skills
// attached to it add theirs. It never pays mana.
class Skill_Passive : public Skill {
    GAME_DECLARE_CLASS(Skill_Passive)

public:
    Skill_Passive();

protected:
    bool CollectsOwnValues() const override { return true; }
    const CharAttributeContribution* FindPassiveCharContribution() const override;
};

// The passive that stands for one of the eight masteries. Points spent on it are never
// taken back by the decrement, and items' augments never change its level.
class Skill_Mastery : public Skill_Passive {
    GAME_DECLARE_CLASS(Skill_Mastery)

public:
    // "MasteryEnumeration" words in order: the index of the matching word is the value.
    static constexpr const char* kEnumerationWords[] = {"MasterySpirit", "MasteryNature",  "MasteryStealth",
                                                        "MasteryHunting", "MasteryStorm",   "MasteryEarth",
                                                        "MasteryDefense", "MasteryWarfare"};
    static constexpr uint32_t kEnumerationCount = 8;

    Skill_Mastery();

    // The base's loading, then "MasteryEnumeration" matched exactly (letter case counts);
    // a word that matches none leaves the enumeration as it was.
    void Load(const LoadTable& table) override;
    bool DecrementSkillLevel() override { return false; }
    void IncrementAugmentedSkillLevel(unsigned) override {}
    void DecrementAugmentedSkillLevel(unsigned) override {}

    uint32_t GetEnumeration() const override { return m_enumeration; }

private:
    uint32_t m_enumeration = 0;
};

// A skill that adds to the skill it modifies (its parent) rather than to its owner: its
// modifier numbers join that skill's, and while enabled each collector adds the
// modifier's own profile values at its current level, then those of the modifiers
// attached to it. The parent's relays (AddModifierCharAttributes and its siblings) call
// these eight in this order.
class Skill_Modifier : public Skill {
    GAME_DECLARE_CLASS(Skill_Modifier)

public:
    Skill_Modifier();
    Skill_Modifier(const Skill_Modifier&) = default;
    Skill_Modifier& operator=(const Skill_Modifier&) = default;

    virtual void CollectModifierCharAttributes(CharAttributeAccumulator& acc) const { CollectOwnCharAttributes(acc); }
    virtual void CollectModifierSkillAttributes(SkillAttributeAccumulator& acc) const
    {
        CollectOwnSkillAttributes(acc);
    }
    virtual void CollectModifierOffensiveDamageAttributes(CombatAttributeAccumulator& acc) const
    {
        CollectOwnOffensiveDamageAttributes(acc);
    }
    virtual void CollectModifierOffensiveModifierAttributes(CombatAttributeAccumulator& acc) const
    {
        CollectOwnOffensiveModifierAttributes(acc);
    }
    virtual void CollectModifierRetaliationAttributes(CombatAttributeAccumulator& acc) const
    {
        CollectOwnRetaliationAttributes(acc);
    }
    virtual void CollectModifierDefenseAttributes(CombatAttributeAccumulator& acc) const
    {
        CollectOwnDefenseAttributes(acc);
    }
    virtual void CollectModifierRacialBonusDamage(const std::vector<std::string>& races,
                                                  RacialBonus_Damage& bonus) const
    {
        CollectOwnRacialBonusDamage(races, bonus);
    }
    virtual void CollectModifierRacialBonusDefense(const std::vector<std::string>& races,
                                                   RacialBonus_Defense& bonus) const
    {
        CollectOwnRacialBonusDefense(races, bonus);
    }
};

// A modifier that rides on its parent's projectiles: what they hit for it becomes an
// attack of its own (a projectile attack with its own damage, never the owner's weapon
// damage), shown by its impact effect. Its damage therefore never joins the parent's.
class Skill_ProjectileModifier : public Skill_Modifier {
    GAME_DECLARE_CLASS(Skill_ProjectileModifier)

public:
    Skill_ProjectileModifier();
    Skill_ProjectileModifier(const Skill_ProjectileModifier&) = default;
    Skill_ProjectileModifier& operator=(const Skill_ProjectileModifier&) = default;

    // The hits go out as one target result from the projectile's launch place with the
    // weapon it carries (only while its caster lives and on the peer that drives it);
    // the impact effect shows at the impact in every case.
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& impact,
                           std::vector<uint32_t> targets) override;
    // Every peer: one seeded projectile attack per live character of the list.
    void TargetResult(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    void CollectModifierOffensiveDamageAttributes(CombatAttributeAccumulator&) const override {}
    // The current level's "projModImpactFxPakName" pack at the place, unturned.
    virtual void CreateImpactFx(const WorldCoords& coords);
};

// A skill set off by the skill it is attached to: the primary skill tells it when it is
// switched on, when it acts and when it is switched off.
// The base passes each call on to its own secondaries, so secondaries nest; the kinds
// (SkillSecondaries.h) act on it. A secondary decides on the peer that drives its
// character and announces its decision through the owner's skill services.
class SkillSecondary : public Skill {
    GAME_DECLARE_CLASS(SkillSecondary)

public:
    SkillSecondary();
    SkillSecondary(const SkillSecondary&) = default;
    SkillSecondary& operator=(const SkillSecondary&) = default;

    // The primary was switched on; passed on to this secondary's own secondaries.
    virtual void PrimaryActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                                    const WorldVec3& point);
    // The primary struck `targets` (its chosen target `targetId`, 0 for none) at `point`.
    virtual void ActivateNow(Character&, unsigned, const std::vector<uint32_t>&, const WorldVec3&) {}
    // The primary was switched off; passed on to this secondary's own secondaries.
    virtual void PrimaryStop(Character& user);

    // Whether the secondary's own effect is running.
    bool IsActive() const { return m_isActive; }

protected:
    bool m_isActive = false;
};

}  // namespace GAME
