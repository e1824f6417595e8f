// The common base of every creature in the world: its owned parts (combat, skills,
// auras, garments, inventory, effects, bio, levels, statistics, movement, slots, action
// handler, death manager, animation sets, sound and effect packs), what its record gives
// it, its life and action states, its path and speed, gold, team and the operations the
// game core, combat and the network operations call on it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/GameTimer.h"
#include "Engine/ObjectLink.h"
#include "Engine/World.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/AnimationSound.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/CharacterRagDoll.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/characters/PlayStats.h"
#include "Game/combat/CharAttributeType.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/Team.h"
#include "Game/core/foundation/AimSolver.h"
#include "Game/core/foundation/EnumTypes.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/ItemTypes.h"
#include "Game/items/LootLoader.h"
#include "Engine/GraphicsAnim.h"
#include "Game/world/CharFxPak.h"

namespace GAME {

struct Bonus;
struct CollisionData;
struct ProjectileInfo;
class AnimationSet;
class BinaryReader;
class BinaryWriter;
class AuraManager;
class CharacterActionHandler;
class CharAttributeAccumulator;
class CharacterBio;
class CharacterMovementManager;
class CombatAttributeAccumulator;
class CombatFilter;
class CombatManager;
class DeathManager;
class DurationDamageManager;
class ControllerBaseCharacter;
class EquippedItems;
class ExperienceLevelControl;
class GarmentManager;
class Inventory;
class Item;
class MovementGoalManager;
class Name;
class ParametersCombat;
class PFxManager;
class Prop;
class RandomUniform;
class SkillAttributeAccumulator;
class SkillManager;
struct SkillActiveState;
struct SkillBuffTransfer;
struct SkillState;
class SlotManager;
class SoundPak;

class Character : public Actor {
    GAME_DECLARE_CLASS(Character)

public:
    // Makes every owned part and ties it to this character.
    Character();
    // Lets go of the owned parts and objects in a fixed order (see the definition).
    ~Character() override;

    // Reads the character's record: its parts, sounds, effects, size, team and death
    // presentation, each key with its default when the record lacks it.
    void Load(const LoadTable& table) override;
    // Preloads animation sets, sounds, effects, skills and equipment, and registers the
    // character for forced updates when its record asks for them.
    void PreLoad(bool flag) override;
    // Destroys what the inventory and the skill manager hold in the world.
    void OnDestroy() override;
    // Placed in the world: its life and mana stand at what its record and its parts give
    // (CharacterBio::FillBeforeFirstUpdate), before its first frame.
    void OnAddToLevel() override;

    // The character's current position on its path; until one is set, its place in
    // the world (empty when it is not placed).
    WorldVec3 GetPathPosition();

    SkillManager& GetSkillManager() { return *m_skillManager; }
    const SkillManager& GetSkillManager() const { return *m_skillManager; }
    // The record names of the status skills in force on the character: its buffs.
    void GetActiveStatusSkills(std::vector<std::string>& out) const;
    // Raises the level of the character's skill of that record by `levels`; nothing when
    // it has no such skill.
    void AddToSkillLevel(const std::string& skillRecordName, unsigned levels);
    CharacterBio& GetCharacterBio() { return *m_bio; }
    const CharacterBio& GetCharacterBio() const { return *m_bio; }

    bool ShouldServerSpawn() const override { return true; }

    // ---- Life and action states ---------------------------------------------------------
    // The setters store without checks: the kinds, death handlers and controllers drive
    // the transitions.
    virtual void SetLifeState(Character_LifeState state) { m_lifeState = state; }
    virtual Character_LifeState GetLifeState() const { return m_lifeState; }
    // "Life: Alive" and the like; "Life: Illegal" for a value outside the enumeration.
    virtual std::string GetLifeStateAsText() const;
    virtual void SetActionState(Character_ActionState state) { m_actionState = state; }
    virtual Character_ActionState GetActionState() const { return m_actionState; }
    // "Action State: Idle" and the like; "Illegal" for 2 and values outside 0..14.
    static std::string GetActionStateAsText(Character_ActionState state);
    std::string GetActionStateAsText() const { return GetActionStateAsText(m_actionState); }
    // Alive (or in no known state) and not a mere observer.
    virtual bool IsAlive() const;
    // Not visible, an observer that combat ignores, or in no known state.
    virtual bool IsHiding() const;
    virtual bool IsImmobilized() const { return m_actionState == Character_ActionState_Immobilize; }
    bool IsMoving() const
    {
        return m_actionState == Character_ActionState_Move || m_actionState == Character_ActionState_Walk;
    }

    // The level, experience and points are the experience level control's.
    uint32_t GetCharLevel() const;
    void SetCharLevel(uint32_t level);
    // Unspent attribute (modifier) points and unspent skill points.
    uint32_t GetModifierPoints() const;
    void SetModifierPoints(uint32_t points);
    uint32_t GetSkillPoints() const;
    void SetSkillPoints(uint32_t points);

    bool IsTeleporting() const { return m_teleporting; }
    void SetTeleporting(bool teleporting) { m_teleporting = teleporting; }
    // Moves the character there at once.
    virtual void TeleportToLocation(const WorldCoords& coords);

    // ---- Movement and targeting (CharacterMovement.cpp) ----------------------------------
    // Runs to the point along a path (action state Move, run animation).
    void MoveTo(const WorldVec3& point, float blendTime);
    // Walks to the point (action state Walk, walk animation).
    virtual void WalkTo(const WorldVec3& point, float blendTime);
    // Moves the path position there and the character with it.
    void SetPathPosition(const WorldVec3& point);
    // Moves the path position only; the model stays where it is.
    void SetPathPositionNotCoords(const WorldVec3& point);
    // The target of the attack under way: object id (0 for none), point and skill id of
    // the given skill reference.
    void SetCurrentAttackTarget(uint32_t targetId, const WorldVec3& point, uint32_t skillReference);
    void GetCurrentAttackTarget(uint32_t& targetId, WorldVec3& point, uint32_t& skillId) const;
    // Whether the character turns toward its attack target while attacking.
    void RotateTowardsTarget(bool on);
    bool IsRotatingTowardsTarget() const { return m_rotateTowardsTarget; }
    // Turns toward the direction at a speed that depends on the angle, placing the
    // character at `coords` (its orientation replaced).
    void RotateTowards(int elapsedMs, const Vec3& direction, WorldCoords& coords);
    // The per-frame path step.
    virtual void FollowPath(int elapsedMs);
    // Stops a run or walk (the action ends, the path goes, Forced Stop); the controller
    // hears EndOfPathReached in every case.
    void CharacterStopMoving();
    // A skill's warm-up begins or ends (`end`); the run speed cap follows it.
    void SkillWarmUp(uint32_t skillId, bool end);

    // ---- Paths, targets, slots, turning, speeds and shape (CharacterMovement.cpp) -------
    // Where the character is moving to while it runs (Move); empty otherwise.
    WorldVec3 GetPathTarget() const;
    const Path* GetPath() const;
    // The speed along the path (world units per second); 0 without a movement manager.
    float GetSpeed() const;
    // Whether a path leads from the path position to within `tolerance` of the point.
    virtual bool CanMoveTo(const WorldVec3& point, float tolerance);
    // Whether the path position already is (about) the point.
    bool AlreadyThere(const WorldVec3& point);
    WorldVec3 GetFurthestMoveToPoint(const WorldVec3& target);
    // A correction of the character's position while it moves.
    void UpdatePathPosition(const WorldVec3& position);
    void ResetMovementManager();
    // Follows a moving attack target: a new path when the goal moved more than 5 percent
    // of the way; the run stops when there is no goal or path.
    void UpdatePath();
    void GoIdle();
    // The values handed to the path finder: a vector and four numbers.
    static void GetPathGenerationParams(Vec3& generation, float& a, float& b, float& c, float& d);
    virtual float GetPathSlowdownLength() const;
    // A character in the way of others: alive and visible.
    bool OccludesPathing() const override;
    // What a respawn or a restored level replays: the action under way, its target, the
    // target's id and the skill used.
    void SetInitialStateInfo(Character_ActionState action, const WorldVec3& target, uint32_t targetValue,
                             uint32_t skillId);
    // A dead character stays down; a living one replays its initial action.
    void RestoreLifeState();

    // The point from which to attack, meet or use the target (empty when there is none).
    WorldVec3 GetMoveToPoint(uint32_t targetId, uint32_t skillId, const WorldVec3& targetPoint);
    // The attacker's reach with the skill to the target: extents and the skill's range.
    static float GetTargetDistance(uint32_t attackerId, uint32_t targetId, uint32_t skillId);
    // The one list of movement goals of the game, shared by every character.
    static MovementGoalManager& GetMovementGoalManager();
    // Whether the path positions are within both extents and `range` of each other.
    virtual bool NearTarget(uint32_t targetId, float range);
    void RequestAttackSlot(WorldVec3& point, uint32_t attackerId, uint32_t skillId);
    void RequestDefenseSlot(WorldVec3& point, uint32_t otherId, bool skipReachTest);
    void ReleaseAttackSlot(uint32_t id);
    void ReleaseDefenseSlot(uint32_t id);
    void LostSlot();
    void RequestAttack(uint32_t requesterId, uint32_t skillId);
    void RequestMove(uint32_t requesterId, const WorldVec3& point);
    void ProjectileNotification(uint32_t projectileId);
    void ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision);
    void AllowDualWieldWeapons(bool allow);
    void SendQuestMoveCompletedEvent() const;
    void SendQuestAnimationCompletedEvent() const;

    // Extents by pathing size: 0.5 small, 1.0 medium, 1.75 large.
    virtual float GetExtents() const;
    void SetExtentsLarge();
    void SetExtentsSmall();
    int GetEffectIndex() const;
    // Items, characters and sound objects never collide with a character.
    bool CanCollide(const Entity* other) const override;
    // The character's sphere in its region: its position and extents.
    Sphere GetRegionBoundingSphere() const;
    WorldCoords GetFootCoords(bool left) const;
    virtual WorldCoords GetChatCoords() const;
    // Two points 0.9 to either side of the character (the positive side first).
    void GetConversationPartnerLocation(std::vector<WorldVec3>& out) const;
    void SetPointOfInterest(const Vec3& point);
    void ClearPointOfInterest() { m_hasPointOfInterest = false; }
    bool HasPointOfInterest() const { return m_hasPointOfInterest; }
    const Vec3& GetPointOfInterest() const { return m_pointOfInterest; }
    // Stored within [0, 1].
    void SetBreastSupport(float support);
    float GetBreastSupport() const { return m_breastSupport; }
    // Eases "Bone_Boob" of the current pose toward its neutral transform by the support:
    // fully at 1, not at all at 0.
    void TweakPose_Breasts();

    float GetRunSpeed() const;
    float GetAttackSpeed() const;
    float GetSpellCastSpeed() const;
    // The run speed held within the game-wide percentages of the base run speed.
    virtual float CapAbsoluteRunSpeed(float speed) const;

private:
    // A new path from the path position to the point for a living character; false when
    // none was found. `complete` when it ends at the point (not already there).
    bool StartPathTo(const WorldVec3& point, bool& complete);
    // The point `distance` short of the goal that the character can reach; empty when
    // there is none.
    WorldVec3 ApproachPoint(const WorldVec3& goal, float distance);
    // Hands the run or walk of the initial state to the action handler; false for any
    // other initial action.
    bool ReplayInitialAction();

public:
    // ---- Skills reached through the character (CharacterUpdate.cpp) --------------------
    // Starts the skill of that reference number on the target or point; true when the
    // skill started its action.
    bool StartSkill(uint32_t skillNumber, uint32_t targetId, const WorldVec3& point, uint32_t seed,
                    const TargetLeadingData& leading);
    // An animation event while the skill's action runs; true when the skill is done.
    bool HandleSkillAnimationCallback(const Name& event, uint32_t skillNumber, uint32_t targetId,
                                      const WorldVec3& point);
    // The skill's action is dropped or ended early.
    void CancelSkillAction(uint32_t skillNumber);
    // What the skill commands apply, handed to the skill manager by reference number.
    void SkillTargetResult(uint32_t skillNumber, const std::vector<uint32_t>& targets, const WorldCoords& origin,
                           uint32_t seed, uint32_t weaponId, bool useWeapon, int32_t hitIteration);
    void CreateProjectile(uint32_t skillNumber, uint32_t weaponId, const WorldCoords& origin, uint32_t targetId,
                          const WorldVec3& point, uint32_t projectileId, uint32_t seed, int32_t hitIteration);
    void SkillSpawnObject(uint32_t skillNumber, const WorldCoords& origin, uint32_t targetId,
                          const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                          uint32_t value);
    void SkillStateUpdateCommand(uint32_t skillNumber, const SkillState& state);
    void SkillActiveStateUpdateCommand(uint32_t skillNumber, const SkillActiveState& state);
    // Marks the bio for recalculation, then puts the buff on or (level 0) takes it off.
    void CreateRemoveSkillBuff(uint32_t skillId, const std::string& buffName, uint32_t level,
                               const std::string& modifierName1, uint32_t modifierLevel1,
                               const std::string& modifierName2, uint32_t modifierLevel2, int32_t timeToLiveMs,
                               uint32_t casterId);
    // The activated skill of that reference number acts now (SkillActivated::ActivateNow);
    // nothing when the number names no activated skill.
    void ActivateSkill(uint32_t skillNumber, const Name& event, uint32_t targetId, const WorldVec3& point);
    // The reference number by which peers name the skill of that object id.
    uint32_t GetSkillReferenceNumber(uint32_t skillId) const;
    // Levels that worn items (or a buff, the named source) add to the character's skills:
    // to the skill of that record, to every skill of a mastery, or to every skill but the
    // source's own; the Remove operations take the same levels back. A count below 1
    // changes nothing.
    void SetSkillLevelAugment(const std::string& skillName, int levels);
    void RemoveSkillLevelAugment(const std::string& skillName, int levels);
    void SetMasteryLevelAugment(const std::string& masteryName, int levels);
    void RemoveMasteryLevelAugment(const std::string& masteryName, int levels);
    void SetAllSkillLevelAugment(int levels, const std::string& sourceName);
    void RemoveAllSkillLevelAugment(int levels, const std::string& sourceName);

    // ---- First update, frame and respawn (CharacterUpdate.cpp) --------------------------
    // Once in the world: the spawn point, an empty death manager, the animation set of
    // the hand state, the bio's first totals, then the spawn events.
    void InitialUpdate() override;
    // The frame: effects, the turn toward the attack target, combat, auras, the path, the
    // death manager, the spine, statistics (see the definition for the exact order).
    void UpdateSelf(int elapsedMs) override;
    // Bio, skills, then the controller, once a frame; a dead character only when its
    // controller asks for a death update.
    void PreAnimationUpdate(int elapsedMs) override;
    // Its own lines that a frame reads, then its bio, skill, combat and movement managers,
    // its action handler and its controller.
    void PrefetchFrameUpdate(int stage) const override;
    // Moves the spine's curve toward its target at the spine curve rate.
    void Update_TweakPose(int elapsedMs);
    // The target curve, held within the largest curve either way.
    virtual void SetSpineCurve(float curve);
    float GetCurrentSpineCurve() const { return m_currentSpineCurve; }
    float GetTargetSpineCurve() const { return m_targetSpineCurve; }
    // The engine's tweak, then the breast tweak. The head and spine tweaks leave the
    // pose as animated.
    void TweakPose() override;
    void TweakPose_Head() {}
    void TweakPose_Spine() {}
    // Back to life at the coordinates: bio refilled, death manager reset, Respawning,
    // with the spawn effect; StopRespawn ends the effect and makes the character Alive.
    virtual void StartRespawn(const WorldCoords& coords);
    virtual void StopRespawn();
    uint32_t GetSpawnEffectId() const { return m_spawnEffectId; }

    // ---- Sounds of the character (CharacterCombat.cpp) ---------------------------------
    // The looping running sound starts at the path position and follows the character;
    // stopping fades it out over the record's fade time.
    void PlayLoopingRunningSound();
    void StopLoopingRunningSound();
    // Each plays its pack once at the character's position, when the record names one.
    void PlayArmSwipeSound();
    void PlayAttackSound();
    void PlayStunSound();
    void PlayLootSound();
    // The death sound ("deathSound1") on the character; the body fall by the surface hit
    // (7 water: the splash pack at the "Target" point, any other the "bodyFallSound").
    void PlayDeathSound();
    void PlayBodyFallSound(int surface);
    // Plays the animation sound registered under the event on the actor.
    void PlayAnimationSound(Actor& actor, const Name& event);
    // Sounds other peers replay: registered packs are named by their index.
    void RegisterNetSound(SoundPak* pak);
    void PlayNetSound(SoundPak* pak);
    void OnPlayNetSound(uint32_t index);
    const std::vector<SoundPak*>& GetNetSounds() const { return m_netSounds; }
    SoundPak* GetAttackSound() const { return m_sounds[Sound_Attack]; }
    SoundPak* GetSwipeSound() const { return m_sounds[Sound_Swipe]; }
    // Reads the animation sound under the key (its event has the key's name), with the
    // chance under the chance key or a fixed chance.
    void LoadAnimationSound(const LoadTable& table, const char* soundKey, const char* chanceKey);
    void LoadAnimationSound(const LoadTable& table, const char* soundKey, float chance);

    // ---- Combat hooks, involuntary states and effects (CharacterCombat.cpp) ------------
    // Animation events: the animation set, "StopRotation", animation sounds, footsteps,
    // the action handler; then the controller and the actor.
    void AnimationCallback(const Name& event) override;
    // Stun plays the stun animation (state Stun), immobilize freezes the animation (state
    // Immobilize), trap forbids movement (state Trap). Releasing stun or immobilize stops
    // the character; releasing a trap only allows movement again.
    virtual void ExecuteStun();
    virtual void ReleaseStun();
    virtual void ExecuteImmobilize();
    virtual void ReleaseImmobilize();
    virtual void ExecuteTrap();
    virtual void ReleaseTrap();
    // A buff's effect pack on or off; a buff without a pack is ignored.
    void SetCharacterBuffFx(CharacterBuff buff, bool on);
    void StopCharacterBuffFx(CharacterBuff buff);
    // "Fire" 1, "Poison" 2, any other word 0.
    static CharacterBuff ConvertFxBuffName(const std::string& name);
    // An ally in range was attacked: the controller hears it.
    virtual void AllyAttacked(uint32_t allyId, uint32_t attackerId);
    // True while calls for help are allowed: on, calls left and the cooldown run out.
    virtual bool ShouldUseDistressCall();
    // Every friendly character of the region within the call range hears AllyAttacked.
    void DoDistressCall(uint32_t attackerId);
    int32_t GetDistressCallTimer() const { return m_distressCallTimer; }
    void SetDistressCallTimer(int32_t ms) { m_distressCallTimer = ms; }
    // Death: the parts and the controller learn it, the body leaves the physics, then
    // CharacterHasDied.
    virtual void ImDead();
    // Life given over time, counted as gained.
    void AddLifeSlow(float amount, PlayStatsLifeType lifeType);
    // The low-health warning: fires once at the trigger percent of the life total, armed
    // again at the reset percent.
    virtual void PlayLowHealthSoundIfNeeded(float currentLife);
    bool IsLowHealthTriggered() const { return m_lowHealthTriggered; }
    // Brighter where it is dark underground; 0 elsewhere.
    virtual float GetAmbientHighlight() const;

    // ---- Experience, attributes and forwarders (CharacterExperience.cpp) ---------------
    // Experience with the increased-experience bonus; levels gained reload the bio, tell
    // everyone and (unless silent) play the level-up sound and effect.
    void ReceiveExperience(uint32_t amount, bool silent);
    // Exactly enough experience for the next level, silently.
    void IncrementCharLevel();
    uint32_t GetLastLevelExperience() const;
    uint32_t GetNextLevelExperience() const;
    bool IsMaxLevel() const;
    void AddModifierPoints(uint32_t points);
    void AddSkillPoints(uint32_t points);
    uint32_t SubtractSkillPoint();
    // Base attributes grow by the level record's per-level increments.
    void IncrementBaseStrength();
    void IncrementBaseDexterity();
    void IncrementBaseIntelligence();
    void IncrementBaseLife();
    void IncrementBaseMana();
    void IncrementBaseAttribute(CharAttributeType type, float amount);
    float GetTotalCharModifier(CharAttributeType type) const;
    float GetPotentialLife() const;
    float GetPotentialMana() const;
    float GetReserveMana() const;
    float GetManaLimit() const;
    void ReloadCharacterBio();
    // Whole life points: truncated above 1, 1 for any life left up to 1, else 0.
    int32_t GetCurrentLifeInt() const;
    uint32_t GetAttackerId() const;
    // Whether the combat manager holds the character in combat: an attack reached it
    // within the in-combat time.
    bool IsUnderAttack() const;
    bool IsPoisoned() const;
    // What the character's debuffs take off its attacks, and its fumble chances.
    float GetOffensiveReduction() const;
    float GetTotalDamageReductionPercent() const;
    float GetTotalDamageReductionAbsolute() const;
    float GetFumbleDamage() const;
    float GetProjectileFumbleDamage() const;
    float GetCombatRegionChance(CombatAttributeRegion region) const;
    void GetBaseCharAttributes(CharAttributeAccumulator& accumulator) const;
    bool IsWieldingDualWeapons() const;
    bool IsUnarmed() const;
    float DesignerCalculateOffensiveAbility(float bonus);
    float DesignerCalculateDefensiveAbility(float bonus);
    // Effects of the character's effect manager.
    uint32_t AddParticleEffect(const std::string& recordName, const std::string& attachPoint);
    void StartParticleEffect(uint32_t effectId);
    void StopParticleEffect(uint32_t effectId);
    void RemoveParticleEffect(uint32_t& effectId);
    uint32_t AddMeshEffect(const std::string& recordName);
    void StartMeshEffect(uint32_t effectId);
    void StopMeshEffect(uint32_t effectId);
    void RemoveMeshEffect(uint32_t& effectId);
    // The characters alive in the box that are neither players nor this one.
    void GetLivingCharacters(std::vector<Character*>& out, const OBBox& box) const;
    // Out of the world and destroyed.
    void DestroyMe();
    // Attached effect entities stop emitting.
    void StopAttachedEffects();
    void DetachSpawnEffect() { m_spawnEffectId = 0; }
    void StartPrespawnEffect() {}
    const std::string& GetPrespawnEffectName() const { return m_prespawnEffect; }
    // The spawn effect placed at the character, and the spawn sound played there.
    void StartSpawnEffect();

    // ---- Combat ------------------------------------------------------------------------

    CombatManager& GetCombatManager() { return *m_combatManager; }
    const CombatManager& GetCombatManager() const { return *m_combatManager; }
    DurationDamageManager& GetDurationDamageMgr();
    PlayStats& GetPlayStats() { return m_playStats; }
    const PlayStats& GetPlayStats() const { return m_playStats; }

    // An attack reaches the character: counts the hit, attaches the attack's aura and
    // lets the combat manager resolve it. True when it hit.
    virtual bool TakeAttack(ParametersCombat& params);
    // Life, mana, experience, gold and points of a bonus (life leech returned, potions,
    // shrines), its effect shown once on the character; the life it gives is counted.
    virtual void TakeBonus(const Bonus& bonus, bool showEffect, PlayStatsLifeType lifeType);
    // Tells the character who attacked it: its controller hears it, and allies are
    // called for help while calls are allowed.
    virtual void UnderAttack(uint32_t attackerId);
    // Gives the character an aura for `seconds` (or for good); the aura entity's id, 0
    // when nothing was made. Removal by id or record name takes effect at the next update
    // of the auras.
    virtual uint32_t AddAura(const std::string& recordName, bool permanent, int32_t seconds);
    virtual void RemoveAura(const std::string& recordName);
    virtual void RemoveAura(uint32_t auraId);
    // The death path: the combat manager and skills learn it, the auras go, the dying
    // effect is placed, then CharacterIsDying.
    virtual void ImDying();
    virtual void CharacterIsDying();
    // Stops what the character does: its action, its path; the state becomes Forced Stop.
    virtual void CharacterStop();
    // Logs the play statistics.
    virtual void DumpPlayStats() { m_playStats.Dump(); }

    // Adds the character's defences to an attack on it: attached items, skills, its own
    // base resistances, item sets, then the game balance of its kind. The combat manager hands over the items
    // it looked up for the attack; without them they are looked up here.
    void GetAllDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetAllDefenseAttributes(CombatAttributeAccumulator& accumulator, const EquippedItems& items) const;
    void ContributeItemSetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    // Retaliation: attached items, item sets, then the game balance of its kind.
    void GetEquipRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetEquipRetaliationAttributes(CombatAttributeAccumulator& accumulator, const EquippedItems& items) const;
    void ContributeItemSetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;
    // Adds the racial defence of the character's equipment, item sets and skills against
    // attackers of these races. Nothing yet carries a racial bonus: the base adds none.
    virtual void ContributeRacialBonusDefense(const std::vector<std::string>& attackerRaces,
                                              RacialBonus_Defense& out) const;
    // ---- skill effects ----
    // The character's own racial damage bonuses against the races, with the weapon of
    // that id; none yet at this level.
    virtual void ContributeRacialBonusDamage(const std::vector<std::string>& defenderRaces, uint32_t weaponId,
                                             RacialBonus_Damage& out) const;
    // Puts a buff on the character through its skill manager's services, when this peer
    // has them.
    void ControllerAddSkillBuff(const SkillBuffTransfer& transfer, const std::vector<Weapon_Type>& qualifyingWeapons,
                                bool dualWieldOnly);
    // ---- end skill effects ----

    // The character's race names.
    const std::vector<std::string>& GetRace() const { return m_races; }
    void SetRace(std::vector<std::string> races) { m_races = std::move(races); }

    // Combat filters of the character's skills in force (not owned).
    void AddCombatFilter(CombatFilter* filter);
    void RemoveCombatFilter(CombatFilter* filter);

    // Mana given over time (energy absorption); gathered until the character's bio
    // hands it out.
    void AddManaSlow(float amount) { m_bio->AddManaSlow(amount); }
    float GetManaSlow() const { return m_bio->GetManaSlow(); }

    // The hit-effect bracket of one attack: reset at its start, fired for each damage
    // type applied, disarmed at its end. Only an armed bracket records.
    void ResetAbsEffects();
    void FireAbsEffect(CombatAttributeType type);
    void DisarmAbsEffects() { m_absEffectsArmed = false; }
    bool WasAbsEffectFired(CombatAttributeType type) const;
    bool AreAbsEffectsArmed() const { return m_absEffectsArmed; }

    // How the body reacts when it goes limp: kept only when forced or once life is gone;
    // the record's rag doll behaviour and speed override what the blow gives.
    void SetRagdollData(const CharacterRagDoll::EffectData& data, bool force);
    const CharacterRagDoll::EffectData& GetRagdollData() const { return m_ragdollData; }
    // A body goes limp only where it is about to be seen (inside the render pre-load
    // frustum) and when its mesh has rigid bodies to go limp with.
    bool ShouldDoRagDoll() const;
    // The physics type of a standing character.
    static constexpr int kPhysicsTypeCharacter = 1;

    // The impact sound, at the record's chance in percent; the critical hit pack.
    virtual void PlayImpactSound();
    virtual SoundPak* GetCriticalHitSound() const { return m_sounds[Sound_CriticalHit]; }

    // Applies damage through the combat manager; false when nothing got through.
    bool ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType);
    // Removes life (never below 0; a negative amount removes nothing) and counts it as
    // damage received; nothing while invincible or a god.
    void SubtractLife(float amount, const PlayStatsDamageType& damageType);

    // The combat formulas of the character's combat manager.
    float DesignerCalculatePhysicalDamage(float damage) const;
    float DesignerCalculatePierceDamage(float damage) const;
    float DesignerCalculateElementalDamage(float damage) const;
    float DesignerCalculateElementalDurationDamage(float damage) const;
    // These two count what they took off in the statistics (physical defence, shield block).
    float DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                 float bonus);
    float DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense, float shieldAbsorption);

    // Influences of an attack on the character's mind: fear and taunts go to the
    // controller with the attacker of record; confusion does nothing here.
    virtual void CombatExertInfluenceFear(int durationMs);
    virtual void CombatExertInfluenceConfusion(int durationMs);
    virtual void CombatExertInfluenceTaunt(float value);
    // Adds cooldown to the character's skills.
    virtual void CombatAddCooldownDamage(int durationMs);
    // Adds to the life-leech percent gathered during the current attack.
    virtual void CombatAddLifeLeechDamage(float percent);
    // Changes sides to the given character for a time; a plain character stays as it is.
    virtual void JoinMe(uint32_t leaderId, int durationMs, bool convert);

    // Life and mana are the bio's; the limits are the life and mana of its attribute totals.
    float GetCurrentLife() const { return m_bio->GetCurrentLife(); }
    void SetCurrentLife(float life) { m_bio->SetCurrentLife(life); }
    float GetLifeLimit() const { return m_bio->GetLifeLimit(); }
    void SetLifeLimit(float limit)
    {
        m_bio->SetBaseCharAttribute(CharAttributeType_Life, limit);
        m_bio->UpdateResources(*this);
    }
    float GetCurrentMana() const { return m_bio->GetCurrentMana(); }
    void SetCurrentMana(float mana);
    // Drains mana (nothing while omnipotent) and counts it as used.
    void SubtractMana(float amount);

    // The total of a character attribute; 0 for a type outside the table.
    float GetTotalCharAttribute(CharAttributeType type) const { return m_bio->GetTotalCharAttribute(type); }
    void SetTotalCharAttribute(CharAttributeType type, float value)
    {
        m_bio->SetBaseCharAttribute(type, value);
        m_bio->UpdateResources(*this);
    }

    // The cap of defence values; 0 means none.
    virtual float GetDefenseAttributeCap() const { return 0.0f; }

protected:
    void CreatePhysicsObject() override;

private:
    std::unique_ptr<CombatManager> m_combatManager;
    PlayStats m_playStats;
    std::vector<std::string> m_races;
    bool m_absEffectsArmed = false;
    CharacterRagDoll::EffectData m_ragdollData;

    // ---- End of combat ----------------------------------------------------------------

public:
    // ---- Gold, items given and quest commands (game-wide operations) -----------------
    static constexpr uint32_t kMaxMoney = 2000000000;
    uint32_t GetCurrentMoney() const { return m_money; }
    // The purse holds at most kMaxMoney.
    void SetCurrentMoney(uint32_t amount) { m_money = amount < kMaxMoney ? amount : kMaxMoney; }
    // Adds gold; the purse holds at most kMaxMoney.
    void AddMoney(uint32_t amount);
    // Takes gold; the purse stops at 0. Returns the new amount.
    uint32_t SubtractMoney(uint32_t amount);
    // A plain character takes no items; a player puts it into its inventory.
    virtual void GiveItemToCharacter(Item* item);
    // The ids of the items in the inventory, in the order they came.
    const std::vector<uint32_t>& GetInventoryItems() const;
    // A quest moves or walks the character to the target, plays an animation on it, or
    // has it use a skill (by record name): the character's AI controller carries them out
    // (CharacterMovement.cpp). A walk needs a walk animation.
    virtual void QuestCommandMove(uint32_t value, const WorldVec3& target, bool flag);
    virtual void QuestCommandWalk(uint32_t value, const WorldVec3& target, bool flag);
    virtual void QuestCommandPlayAnimation(uint32_t value, bool first, bool second);
    virtual void QuestCommandUseSkill(const std::string& skillName, uint32_t value, bool flag);
    // ---- Damage over time: what the damage-over-time manager calls on a character ----

public:
    // While invincible the character takes no damage over time and no timed levels.
    bool IsInvincible() const { return m_invincible; }
    void SetInvincible(bool invincible) { m_invincible = invincible; }
    // Whether the character's controller draws its debug lines while the engine's
    // character data log is on. Off unless set.
    bool DoDebugRender() const { return m_doDebugRender; }
    void SetDoDebugRender(bool on) { m_doDebugRender = on; }

    // The damage effect pack of the type on or off (types without a pack show nothing);
    // which types are shown is kept.
    virtual void StartDamageEffect(CombatAttributeType type);
    virtual void StopDamageEffect(CombatAttributeType type);
    bool IsDamageEffectShown(CombatAttributeType type) const;

    // The involuntary state (stun, trap, freeze, petrify, immobilize; 0 for none): the
    // controller begins or ends stun, trap or (for the other three) immobilize.
    virtual void StartInvoluntaryEffect(CombatAttributeType type);
    virtual void StopInvoluntaryEffect(CombatAttributeType type);
    // The one shown now: the duration damage manager, which chooses it, keeps it.
    CombatAttributeType GetInvoluntaryEffect() const;


    // Recomputes the character's speeds at once (a slow began or ended): the bio's totals,
    // then the speed of the running or attacking animation (CharacterMovement.cpp).
    virtual void ForceSpeedUpdate();


private:
    bool m_invincible = false;
    bool m_doDebugRender = false;
    uint64_t m_damageEffectsShown = 0;   // one bit per combat attribute type

    // ---- End of damage over time ----------------------------------------------------

public:
    // ---- Experience, rewards and gender ----------------------------------------------
    // The experience killing this character gives that player (the engine's formula).
    uint32_t GetExperienceReward(uint32_t playerId) const;
    virtual Character_Gender GetGender() const { return m_gender; }
    void SetGender(Character_Gender gender) { m_gender = gender; }

private:
    std::unique_ptr<SkillManager> m_skillManager;
    std::unique_ptr<CharacterBio> m_bio;
    bool m_teleporting = false;

    // Gold.
    uint32_t m_money = 0;

    // ---- Team and experience value (friend and foe tests, rewards) ---------------------
public:
    // The side the character is on.
    // The invisible team while the character is invisible.
    Team GetTeam() const;
    // A new team is kept and the controller told; the same team changes nothing.
    virtual void SetTeam(const Team& team);
    // The character's experience points; for a monster, what killing it is worth.
    uint32_t GetExperiencePoints() const;
    void SetExperiencePoints(uint32_t points);

private:
    Team m_team;
    Character_Gender m_gender = Character_Gender_None;
    // ---- Owned parts and the simple members ------------------------------------------
public:
    AuraManager& GetAuraManager() { return *m_auraManager; }
    GarmentManager& GetGarmentManager() { return *m_garmentManager; }
    Inventory& GetInventory() { return *m_inventory; }
    const Inventory& GetInventory() const { return *m_inventory; }
    CharacterMovementManager& GetMovementManager() { return *m_movementManager; }
    PFxManager& GetPFxManager() { return *m_pfxManager; }
    ExperienceLevelControl& GetLevelControl() { return *m_levelControl; }
    SlotManager& GetAttackSlots() { return *m_attackSlots; }
    SlotManager& GetDefenseSlots() { return *m_defenseSlots; }
    CharacterActionHandler* GetActionHandler() const { return m_actionHandler.get(); }
    // Destroys the handler held before and keeps this one.
    void SetActionHandler(CharacterActionHandler* handler);
    // Null until the first update.
    DeathManager* GetDeathManager() const { return m_deathManager.get(); }
    // Null until the hand state is first applied.
    AnimationSet* GetAnimationSet() const { return m_currentAnimationSet; }

    virtual void SetIsControllingCharacter(bool value) { m_controllingCharacter = value; }
    bool IsControllingCharacter() const { return m_controllingCharacter; }
    void SetInvisible(bool invisible) { m_invisible = invisible; }
    virtual bool IsOfInterest() const { return m_ofInterest; }
    virtual void TouchedByPlayer() { m_ofInterest = false; }
    void SetGod(bool god) { m_god = god; }
    bool IsGod() const { return m_god; }
    void SetOmnipotent(bool omnipotent) { m_omnipotent = omnipotent; }
    bool IsOmnipotent() const { return m_omnipotent; }
    void SetObserverMode(bool on) { m_observerMode = on; }
    void SetObserverCheatMode(bool on) { m_observerCheatMode = on; }
    void ShowAngerLevels(bool show) { m_showAngerLevels = show; }
    bool GetShowAngerLevels() const { return m_showAngerLevels; }
    void SetCausesAnger(bool causes) { m_causesAnger = causes; }
    virtual bool CausesAnger() const { return m_causesAnger; }
    float GetAngerMultiplier() const { return m_angerMultiplier; }
    float GetWeaponScale() const { return m_weaponScale; }
    uint32_t GetControllerId() const { return m_controllerId; }
    void SetControllerId(uint32_t id) { m_controllerId = id; }
    const std::string& GetPortraitName() const { return m_portraitName; }
    const std::string& GetGoldGenerator() const { return m_goldGenerator; }
    float GetGoldGeneratorChance() const { return m_goldGeneratorChance; }
    const std::string& GetDistressCallGroup() const { return m_distressCallGroup; }
    bool ShouldRotateWhenChatting() const { return m_rotateWhenChatting; }
    bool DisallowsMovement() const { return m_disallowMovement; }
    bool ShouldDoLateCrumple() const { return m_doLateCrumple; }
    void SetPathMass(float mass) { m_pathMass = mass; }
    // Twice the mass while the character stands (Move and Walk move it).
    float GetPathMass() const;
    // Turning speeds in radians per second; kinds may tie them to their motion.
    virtual float GetMinRotationSpeed() const { return m_minRotationSpeed; }
    virtual float GetMaxRotationSpeed() const { return m_maxRotationSpeed; }
    void SetSpawnPoint(const WorldCoords& coords) { m_spawnPoint = coords; }
    const WorldCoords& GetSpawnPoint() const { return m_spawnPoint; }
    // Read and cleared.
    bool GetChangeOfEquipmentNotification()
    {
        const bool notified = m_changeOfEquipmentNotification;
        m_changeOfEquipmentNotification = false;
        return notified;
    }
    // The pathing size (0 Small, 1 Medium, 2 Large); also the index of the per-size
    // entries of the game-wide effect arrays.
    virtual CharacterPathingSize GetSize() const { return m_pathingSize; }

    // Death presentation, as the record gives it.
    const std::string& GetDeleteBehavior() const { return m_deleteBehavior; }
    const std::string& GetDissolveEffect() const { return m_dissolveEffect; }
    const std::string& GetDissolveLight() const { return m_dissolveLight; }
    float GetDissolveTime() const { return m_dissolveTime; }
    const std::string& GetDissolveTexture() const { return m_dissolveTexture; }
    int32_t GetDissolveColorRed() const { return m_dissolveColorRed; }
    int32_t GetDissolveColorGreen() const { return m_dissolveColorGreen; }
    int32_t GetDissolveColorBlue() const { return m_dissolveColorBlue; }
    const std::string& GetDeathEffect() const { return m_deathEffect; }
    const std::string& GetActorToSpawnOnDeath() const { return m_actorToSpawnOnDeath; }
    bool ShouldWaitForCallbackToSpawn() const { return m_waitForCallbackToSpawn; }
    const std::string& GetActorToSpawnForMyBones() const { return m_actorToSpawnForMyBones; }
    const std::string& GetRagDollBehaviorOverride() const { return m_ragDollBehaviorOverride; }
    float GetRagDollSpeedOverride() const { return m_ragDollSpeedOverride; }

    // Record values read by later work (movement, sounds, effects, distress calls).
    float GetTurnRate() const { return m_turnRate; }
    float GetAvoidForce() const { return m_avoidForce; }
    bool GetTweakSpineOnTurn() const { return m_tweakSpineOnTurn; }
    bool GetDisallowRotation() const { return m_disallowRotation; }
    CharacterPathGenerationStyle GetPathGenerationStyle() const { return m_pathGenerationStyle; }
    float GetDeathAnimBlendTime() const { return m_deathAnimBlendTime; }
    int32_t GetLoopingRunningSoundFadeTime() const { return m_loopingRunningSoundFadeTime; }
    const std::string& GetLevelUpFx() const { return m_levelUpFx; }
    const std::string& GetDyingFxPak() const { return m_dyingFxPak; }
    float GetImpactSoundChance() const { return m_impactSoundChance; }
    float GetLowHealthTriggerLevel() const { return m_lowHealthTriggerLevel; }
    float GetLowHealthResetLevel() const { return m_lowHealthResetLevel; }
    const std::string& GetSpawnEffect() const { return m_spawnEffect; }
    const std::string& GetPrespawnEffect() const { return m_prespawnEffect; }
    uint32_t GetSpawnSoundId() const { return m_spawnSoundId; }
    bool GetDistressCall() const { return m_distressCall; }
    float GetDistressCallRange() const { return m_distressCallRange; }
    int32_t GetDistressCallTime() const { return m_distressCallTime; }
    int32_t GetDistressCallsLeft() const { return m_distressCallsLeft; }
    bool GetDistressCallWhenDying() const { return m_distressCallWhenDying; }
    bool GetForcedUpdates() const { return m_forcedUpdates; }
    bool IsRegisteredForForcedUpdates() const { return m_registeredForForcedUpdates; }
    uint32_t GetFrameElapsed() const { return m_frameElapsed; }

    // The sound packs a record names, in field order; the fade time of the looping
    // running sound sits between the running sound and the attack sound.
    enum SoundSlot : int {
        Sound_FootGrass, Sound_FootDirt, Sound_FootSand, Sound_FootSnow, Sound_FootStone, Sound_FootWood,
        Sound_FootWater, Sound_LoopingRunning, Sound_Attack, Sound_Swipe, Sound_Stun, Sound_CriticalHit,
        Sound_Impact, Sound_LevelUp, Sound_LowHealth, Sound_Loot, Sound_Splash, kSoundSlotCount
    };
    SoundPak* GetSoundPak(SoundSlot slot) const { return slot < kSoundSlotCount ? m_sounds[slot] : nullptr; }

    // The damage effect packs, in the order of their record keys (cold, lightning, fire,
    // poison, life, bleeding, attack speed, spell cast speed, run speed, offensive and
    // defensive ability, offensive and defensive reduction, life leech, mana leech,
    // fumble), then the two buff packs.
    static constexpr int kDamageFxCount = 16;
    CharFxPak& GetDamageFx(int index) { return m_damageFx[static_cast<size_t>(index) % kDamageFxCount]; }
    CharFxPak* GetBuffFx(CharacterBuff buff) const;

    // The effect a hit of one damage type shows, and the sound it plays.
    struct CharacterAbsEffect {
        std::string effect;
        SoundPak* sound = nullptr;
        bool fired = false;
    };
    const std::map<CombatAttributeType, CharacterAbsEffect>& GetAbsEffects() const { return m_absEffects; }

    // Loot: a seed and level, and the ids of the items made for nine equipment places.
    struct LootStruct {
        uint16_t seed = 0;
        uint16_t level = 0;
        std::array<uint32_t, 9> itemIds{};
    };

    // ---- Animation sets (CharacterItems.cpp) ------------------------------------------
    // The set of a weapon style (0 unarmed, 1 single-handed, 2 dual-wielded, 3 spear,
    // 4 bow, 5 staff); null when it was not made.
    AnimationSet* GetAnimationSet(int style) const;
    // Makes the set of the hand state current (any other value: unarmed) when it exists
    // and is not current yet; the running one is cancelled.
    virtual void SetAnimation(EquipManager_HandState handState);
    // The engine's animation of that name; null for an empty name.
    virtual GraphicsAnim* LoadAnimation(const std::string& name);
    // The current set's current animation; null without a set.
    virtual GraphicsAnim* GetCurrentAnimation() const;
    bool CanPlayAnimation(AnimationSet_Type type) const;
    bool CanWalk() const { return CanPlayAnimation(AnimationSet_Walk); }

    // ---- Loot -------------------------------------------------------------------------
    // Keeps the seed and level, reserves nine item ids, rolls the equipment from the
    // record, then makes and loads the animation sets.
    void LoadLootFromSeed(uint16_t seed, uint16_t level);
    // The same with the seed, level and ids another peer chose.
    void LoadLootFromStruct(const LootStruct& loot);
    const LootStruct& GetLootInfo() const { return m_lootInfo; }
    void SetLootNoBrokenItems(bool on) { m_lootNoBrokenItems = on; }
    void SetLootWeightModifiers(const RandomizerWeightModifiers& modifiers) { m_lootWeightModifiers = modifiers; }

    // ---- Items --------------------------------------------------------------------------
    // Uses a one-shot item of the inventory (a potion); with `remove` it is used up.
    void UseInventoryItem(uint32_t itemId, bool remove);
    // Applies a relic to an item; a relic with no level left is taken and destroyed.
    void UseRelic(uint32_t relicId, uint32_t targetItemId);
    // Equips an item from the inventory at the location, and takes it off into the
    // inventory. An attacking character stops; the change is noted for the controller.
    virtual void AttachItemAction(uint32_t itemId, EquipLocations location);
    virtual void DetachItemAction(uint32_t itemId);
    // Takes the item off the character altogether (worn or carried).
    void TakeItemFromCharacter(uint32_t itemId);
    // Every worn, then every carried item of that record (case ignored).
    void TakeItemFromCharacter(const std::string& recordName);
    bool HasItem(uint32_t itemId) const;
    bool HasItem(const std::string& recordName) const;
    // Tosses the item from the left hand into the world; it leaves the inventory.
    virtual void DropItem(Item* item, float, float);
    // Places a worn item in the world at its location (tossed with physics); the id
    // becomes 0.
    void DropItemFromEquipLocation(uint32_t& itemId, EquipLocations location, bool physics);
    void AddEquipmentProp(Prop* prop);
    void RemoveEquipmentProp(uint32_t propId);
    void SetWeaponEnchantment(const std::string& name);
    const std::vector<uint32_t>& GetAttachedItems() const;

    // Item sets: the worn pieces of each set, set and piece names normalized as record
    // paths (lower case, backslashes), the form the sets keep their members in.
    void AddItemToSet(const std::string& setName, const std::string& itemName);
    void RemoveItemFromSet(const std::string& setName, const std::string& itemName);
    unsigned GetNumberOfItemsInSet(const std::string& setName) const;
    std::vector<std::string> GetItemsInSet(const std::string& setName) const;

    // The character's items as identities with their locations (0 in the inventory), and
    // the items rebuilt from such a list. An entry whose location is no equipment slot
    // stays in the inventory.
    void GetInventoryReplica(std::vector<InventoryReplica>& out) const;
    void SetInventoryReplica(const std::vector<InventoryReplica>& replica);

    // ---- Attribute sums of the worn items and item sets ------------------------------
    void GetEquipCharAttributes(CharAttributeAccumulator& accumulator) const;
    void GetEquipSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    // Offensive damage of the worn items that are no weapons.
    void GetEquipArmorDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetEquipOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    void ContributeItemSetCharAttributes(CharAttributeAccumulator& accumulator) const;
    void ContributeItemSetSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    void ContributeItemSetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void ContributeItemSetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;

    // ---- Constant answers of a plain character --------------------------------------
    virtual bool IsCharacter() const { return true; }
    // The name shown for the character: the text of its record's "description" tag; a
    // record without one shows its record name.
    virtual std::u16string GetGameDescription(bool flag) const;
    virtual bool DeleteOnEnteringUnloadedLevel() const { return false; }
    virtual bool GetShouldRenderAcrossPortals() const { return true; }
    virtual void NotifyControllerItemRemovedFromInventory(uint32_t itemId);
    virtual void CreateUISummaryText(std::vector<std::u16string>& lines);
    virtual void CharacterHasDied();
    virtual bool WillYouChat(uint32_t otherId);
    virtual bool ChatWith(uint32_t otherId);
    virtual bool AllocateAllAnimSets();
    virtual bool ShouldLoadLoot() const;
    virtual float GetChanceToHit() const { return 0.0f; }
    virtual float CalculateStun() const { return 0.0f; }
    virtual float CapRunSpeed(float speed) const { return speed; }
    virtual float CapSpellCastSpeed(float speed) const { return speed; }
    virtual float CapAttackSpeed(float speed) const { return speed; }
    virtual void ContributeGameBalanceCharAttributes(CharAttributeAccumulator& accumulator) const;
    virtual void ContributeGameBalanceSkillAttributes(SkillAttributeAccumulator& accumulator) const;
    virtual void ContributeGameBalanceOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void ContributeGameBalanceOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;

    // ---- level state and map entries ----
    // The state a level keeps of the character between visits; a plain character keeps none.
    virtual bool ShouldSaveState() const { return false; }
    virtual void SaveState(BinaryWriter& /*writer*/) {}
    virtual void RestoreState(BinaryReader& /*reader*/) {}
    // One mark on the detail map: its kind, the name shown, where and which way it faces.
    struct DetailMapEntry {
        int kind = 0;
        std::u16string description;
        WorldVec3 position;
        Vec3 direction;
    };
    // Appends the character's marks; a plain character has none.
    virtual void AppendDetailMapData(std::vector<DetailMapEntry>& /*entries*/) const {}
    // ---- end of level state and map entries ----

protected:
    // True when this peer is a network client: creatures get their loot from the server.
    static bool IsOnNetworkClient();
    // The worn item id of a loot entry (0 to 8), for a kind that drops its items itself.
    uint32_t& LootItemId(size_t entry) { return m_lootInfo.itemIds[entry]; }
    // The speed clamped to the game-wide record's min and max percentages (at the game
    // difficulty) of the base attribute; unchanged when either is not above 0.
    float CapSpeed(float speed, const char* minKey, const char* maxKey, CharAttributeType base) const;
    // A player makes all six sets (unarmed current); any other character the set of its
    // hand state, made current.
    void AllocateAnimSets();
    // Fills the sets from the shared table the record names, or else each from the
    // character's own record; then reads "forcedUpdates".
    void LoadAnimations();
    // Each set from the character's own record, specials 1 to 10; a set not made is
    // skipped.
    void LoadUnarmedAnimationSet(const LoadTable& table);
    void LoadSingleHandedAnimationSet(const LoadTable& table);
    void LoadDualWieldedAnimationSet(const LoadTable& table);
    void LoadSpearAnimationSet(const LoadTable& table);
    void LoadBowAnimationSet(const LoadTable& table);
    void LoadStaffAnimationSet(const LoadTable& table);
    // Rolls the worn items in their fixed order from the loot seed.
    void LoadLoot();
    // One roll: the item made for that location under the reserved id, or null.
    Item* CreateItemFromLootTable(const LoadTable& table, const char* chanceKey, LootLoader::Location location,
                                  uint32_t& objectId, RandomUniform& random);
    void AttachItem(Item* item, EquipLocations location);
    // Creates the sound pack a record key names (or the default record), class-tested
    // before it is made; the field keeps the pack or null.
    void LoadSoundPak(const LoadTable& table, SoundPak*& field, const char* key, const char* defaultRecord);

private:
    void LoadStyleSet(const LoadTable& table, int style);
    template <class Fn>
    void ForEachItemSet(Fn&& fn) const;
    void LoadEffectPacks(const LoadTable& table);
    void LoadDeathPresentation(const LoadTable& table);
    void LoadDistressAndRotation(const LoadTable& table);
    void LoadAnimationSounds(const LoadTable& table);
    void DestroySoundPaks();
    // Every effect pack, damage packs first, then fire and poison.
    template <class Fn>
    void ForEachFxPak(Fn&& fn)
    {
        for (CharFxPak& pak : m_damageFx)
            fn(pak);
        fn(m_fireBuffFx);
        fn(m_poisonBuffFx);
    }

    std::unique_ptr<AuraManager> m_auraManager;
    std::unique_ptr<GarmentManager> m_garmentManager;
    std::unique_ptr<Inventory> m_inventory;
    std::unique_ptr<CharacterMovementManager> m_movementManager;
    std::unique_ptr<PFxManager> m_pfxManager;
    // Whether the aura manager and the effect manager hold anything to update: kept by
    // them, so that an idle one costs the frame a test here instead of a read of it.
    bool m_aurasBusy = false;
    bool m_pfxBusy = false;
    WorldCoords m_spawnPoint;
    float m_turnRate = 0.0f;
    float m_avoidForce = 0.0f;
    // Spine tweak, in radians (rate per second).
    float m_currentSpineCurve = 0.0f;
    float m_targetSpineCurve = 0.0f;
    float m_spineCurveRate;
    float m_maxSpineCurve;
    bool m_tweakSpineOnTurn = false;
    CharacterPathGenerationStyle m_pathGenerationStyle = CharacterPathGenerationStyle::Default;
    uint32_t m_controllerId = 0;
    // The controller as the frame finds it, remembered while no object has gone.
    ObjectLink<ControllerBaseCharacter> m_controllerLink;
    std::unique_ptr<ExperienceLevelControl> m_levelControl;
    bool m_invisible = false;
    bool m_ofInterest = false;
    bool m_hasPointOfInterest = false;
    Vec3 m_pointOfInterest{};
    float m_breastSupport = 0.0f;
    bool m_god = false;
    bool m_omnipotent = false;
    float m_weaponScale = 0.0f;
    GameTimer m_updateTimer;
    uint32_t m_frameElapsed = 0;
    std::map<std::string, std::vector<std::string>> m_itemSets;
    LootStruct m_lootInfo;
    bool m_lootNoBrokenItems = false;
    RandomizerWeightModifiers m_lootWeightModifiers{};
    float m_deathAnimBlendTime = 250.0f;
    bool m_causesAnger = true;
    float m_angerMultiplier = 1.0f;
    std::array<SoundPak*, kSoundSlotCount> m_sounds{};
    int32_t m_loopingRunningSoundFadeTime = 1000;
    std::string m_levelUpFx;
    std::string m_dyingFxPak;
    std::string m_descriptionTag;   // "description": the text tag of the character's name
    float m_impactSoundChance = 0.0f;
    float m_lowHealthTriggerLevel = 0.0f;
    float m_lowHealthResetLevel = 0.0f;
    std::vector<SoundPak*> m_netSounds;
    bool m_lowHealthTriggered = false;
    bool m_changeOfEquipmentNotification = false;
    Character_LifeState m_lifeState = Character_LifeState_Alive;
    Character_ActionState m_actionState = Character_ActionState_Unknown;
    bool m_observerCheatMode = false;
    bool m_observerMode = false;
    std::unique_ptr<CharacterActionHandler> m_actionHandler;
    Character_ActionState m_initialAction = Character_ActionState_Unknown;
    WorldVec3 m_initialTarget;
    uint32_t m_initialTargetValue = 0;
    uint32_t m_initialSkillId = 0;
    std::array<std::unique_ptr<AnimationSet>, 6> m_animationSets;
    AnimationSet* m_currentAnimationSet = nullptr;
    AnimationSound m_animationSounds;
    std::string m_prespawnEffect;
    std::string m_spawnEffect;
    uint32_t m_spawnSoundId = 0;
    uint32_t m_spawnEffectId = 0;
    uint32_t m_attackTargetId = 0;
    WorldVec3 m_attackTargetPoint;
    uint32_t m_attackSkillId = 0xFFFFFFFFu;
    bool m_rotateTowardsTarget = false;
    bool m_rotateWhenChatting = true;
    bool m_disallowMovement = false;
    bool m_disallowRotation = false;
    bool m_controllingCharacter = false;
    bool m_showAngerLevels = false;
    bool m_useAbsoluteRunSpeedCap = false;
    std::unique_ptr<DeathManager> m_deathManager;
    std::string m_deleteBehavior;
    std::string m_dissolveEffect;
    std::string m_dissolveLight;
    float m_dissolveTime = 0.0f;
    std::string m_dissolveTexture;
    int32_t m_dissolveColorRed = 0;
    int32_t m_dissolveColorGreen = 0;
    int32_t m_dissolveColorBlue = 0;
    std::string m_deathEffect;
    std::string m_actorToSpawnOnDeath;
    bool m_waitForCallbackToSpawn = false;
    std::string m_actorToSpawnForMyBones;
    std::string m_ragDollBehaviorOverride;
    float m_ragDollSpeedOverride = 0.0f;
    std::unique_ptr<SlotManager> m_attackSlots;
    std::unique_ptr<SlotManager> m_defenseSlots;
    CharacterPathingSize m_pathingSize = CharacterPathingSize_Small;
    float m_pathMass = 1.0f;
    bool m_doLateCrumple = false;
    std::array<CharFxPak, kDamageFxCount> m_damageFx;
    std::map<CombatAttributeType, CharacterAbsEffect> m_absEffects;
    CharFxPak m_fireBuffFx;
    CharFxPak m_poisonBuffFx;
    std::map<CharacterBuff, CharFxPak*> m_buffFx;
    std::string m_portraitName;
    float m_goldGeneratorChance = 0.0f;
    std::string m_goldGenerator;
    bool m_distressCall = true;
    float m_distressCallRange = 15.0f;
    std::string m_distressCallGroup;
    int32_t m_distressCallTime = 5000;
    int32_t m_distressCallsLeft = 1;
    int32_t m_distressCallTimer = 0;
    bool m_distressCallWhenDying = true;
    float m_minRotationSpeed = 9.0f;
    float m_maxRotationSpeed = 12.0f;
    bool m_forcedUpdates = false;
    bool m_registeredForForcedUpdates = false;
};

}  // namespace GAME
