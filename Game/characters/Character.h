// The common base of every creature in the world: its path and speed, life and mana,
// levels and points, its combat manager and damage over time, gold, team and the
// operations the game core, combat and the network operations call on it. The parts
// that characters load from their own records come with the characters' own work.
#pragma once

#include <array>
#include <cstdint>
#include <bitset>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/World.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/CharacterRagDoll.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/characters/PlayStats.h"
#include "Game/combat/CharAttributeType.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/Team.h"

namespace GAME {

struct Bonus;
class CharacterBio;
class CombatManager;
class DurationDamageManager;
class Item;
class CombatAttributeAccumulator;
class CombatFilter;
class EquippedItems;
class CombatManager;
class DurationDamageManager;
class ParametersCombat;
class SkillManager;
class SoundPak;

class Character : public Actor {
    GAME_DECLARE_CLASS(Character)

public:
    Character();
    ~Character() override;

    // Reads the character's record: its bio's parts (the base resistances).
    void Load(const LoadTable& table) override;

    // The character's current position on its path; until one is set, its place in
    // the world (empty when it is not placed).
    WorldVec3 GetPathPosition();
    void SetPathPosition(const WorldVec3& position) { m_pathPosition = position; }

    // Where the character is moving to; empty when it is not moving.
    const WorldVec3& GetPathTarget() const { return m_pathTarget; }
    void SetPathTarget(const WorldVec3& target) { m_pathTarget = target; }

    // Movement speed in world units per second.
    float GetSpeed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }

    SkillManager& GetSkillManager() { return *m_skillManager; }
    const SkillManager& GetSkillManager() const { return *m_skillManager; }
    CharacterBio& GetBio() { return *m_bio; }
    const CharacterBio& GetBio() const { return *m_bio; }

    bool ShouldServerSpawn() const override { return true; }

    // Life: the state 2 means alive.
    enum LifeState : int32_t {
        LifeState_Unknown = 0,
        LifeState_Spawning = 1,
        LifeState_Alive = 2,
        LifeState_Dying = 3,
        LifeState_Dead = 4,
    };
    virtual LifeState GetLifeState() const { return m_lifeState; }
    void SetLifeState(LifeState state) { m_lifeState = state; }
    virtual bool IsAlive() const { return m_lifeState == LifeState_Alive; }

    uint32_t GetCharLevel() const { return m_charLevel; }
    void SetCharLevel(uint32_t level) { m_charLevel = level; }
    // Unspent attribute (modifier) points and unspent skill points.
    uint32_t GetModifierPoints() const { return m_modifierPoints; }
    void SetModifierPoints(uint32_t points) { m_modifierPoints = points; }
    uint32_t GetSkillPoints() const { return m_skillPoints; }
    void SetSkillPoints(uint32_t points) { m_skillPoints = points; }

    bool IsTeleporting() const { return m_teleporting; }
    void SetTeleporting(bool teleporting) { m_teleporting = teleporting; }
    // Moves the character there at once.
    virtual void TeleportToLocation(const WorldCoords& coords);

    // ---- Combat ------------------------------------------------------------------------

    CombatManager& GetCombatManager() { return *m_combatManager; }
    const CombatManager& GetCombatManager() const { return *m_combatManager; }
    DurationDamageManager& GetDurationDamageMgr();
    PlayStats& GetPlayStats() { return m_playStats; }
    const PlayStats& GetPlayStats() const { return m_playStats; }

    // An attack reaches the character: counts the hit, attaches the attack's aura and
    // lets the combat manager resolve it. True when it hit.
    bool TakeAttack(ParametersCombat& params);
    // Life, mana and points of a bonus (life leech returned, potions, shrines).
    virtual void TakeBonus(const Bonus& bonus, bool showEffect, PlayStatsLifeType lifeType);
    // Tells the character who attacked it; its controller acts on it.
    virtual void UnderAttack(uint32_t attackerId);
    // Gives the character an aura; characters with auras act on it.
    virtual void AddAura(const std::string& recordName, bool permanent, int32_t level);

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

    // How the body reacts when it goes limp.
    void SetRagdollData(const CharacterRagDoll::EffectData& data, bool force);
    const CharacterRagDoll::EffectData& GetRagdollData() const { return m_ragdollData; }

    // Sounds of a hit; a plain character has none.
    virtual void PlayImpactSound() {}
    virtual SoundPak* GetCriticalHitSound() const { return nullptr; }

    // Applies damage through the combat manager; false when nothing got through.
    bool ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType);
    // Removes life (never below 0; a negative amount removes nothing).
    void SubtractLife(float amount, const PlayStatsDamageType& damageType);

    // The combat formulas of the character's combat manager.
    float DesignerCalculatePhysicalDamage(float damage) const;
    float DesignerCalculatePierceDamage(float damage) const;
    float DesignerCalculateElementalDamage(float damage) const;
    float DesignerCalculateElementalDurationDamage(float damage) const;
    float DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                 float bonus) const;
    float DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense, float shieldAbsorption) const;

    // Influences of an attack on the character's mind; the character's controller acts
    // on them once characters have controllers.
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
    void SetCurrentMana(float mana) { m_bio->SetCurrentMana(mana); }
    // Lowers the current mana (never below 0).
    void SubtractMana(float amount) { m_bio->SubtractMana(amount); }

    // The total of a character attribute; 0 for a type outside the table.
    float GetTotalCharAttribute(CharAttributeType type) const { return m_bio->GetTotalCharAttribute(type); }
    void SetTotalCharAttribute(CharAttributeType type, float value)
    {
        m_bio->SetBaseCharAttribute(type, value);
        m_bio->UpdateResources(*this);
    }

    // The cap of defence values; 0 means none.
    virtual float GetDefenseAttributeCap() const { return 0.0f; }

private:
    std::unique_ptr<CombatManager> m_combatManager;
    PlayStats m_playStats;
    std::vector<std::string> m_races;
    std::bitset<kCombatAttributeTypeCount> m_absEffectsFired;
    bool m_absEffectsArmed = false;
    CharacterRagDoll::EffectData m_ragdollData;

    // ---- End of combat ----------------------------------------------------------------

public:
    // ---- Gold, items given and quest commands (game-wide operations) -----------------
    uint32_t GetMoney() const { return m_money; }
    // Adds gold; the purse holds at its largest amount rather than wrapping.
    void AddMoney(uint32_t amount);
    // Takes gold; the purse stops at 0 rather than wrapping.
    void SubtractMoney(uint32_t amount);
    // The character takes the item into its inventory.
    virtual void GiveItemToCharacter(Item* item);
    // The ids of the items taken, in the order they came.
    const std::vector<uint32_t>& GetInventoryItems() const { return m_inventoryItems; }
    // A quest moves or walks the character to the target, plays an animation on it, or
    // has it use a skill. A plain character has nothing to carry them out.
    virtual void QuestCommandMove(uint32_t value, const WorldVec3& target, bool flag);
    virtual void QuestCommandWalk(uint32_t value, const WorldVec3& target, bool flag);
    virtual void QuestCommandPlayAnimation(uint32_t value, bool first, bool second);
    virtual void QuestCommandUseSkill(const std::string& skillName, uint32_t value, bool flag);
    // ---- Damage over time: what the damage-over-time manager calls on a character ----

public:
    // While invincible the character takes no damage over time and no timed levels.
    bool IsInvincible() const { return m_invincible; }
    void SetInvincible(bool invincible) { m_invincible = invincible; }

    // The visual effect that shows damage of one type on the character.
    virtual void StartDamageEffect(CombatAttributeType type);
    virtual void StopDamageEffect(CombatAttributeType type);
    bool IsDamageEffectShown(CombatAttributeType type) const;

    // The involuntary state (stun, trap, freeze, petrify, immobilize; 0 for none).
    virtual void StartInvoluntaryEffect(CombatAttributeType type);
    virtual void StopInvoluntaryEffect(CombatAttributeType type);
    CombatAttributeType GetInvoluntaryEffect() const { return m_involuntaryEffect; }


    // Recomputes the character's speeds at once (a slow began or ended). The speeds are
    // not derived from attributes yet, so there is nothing to recompute here.
    virtual void ForceSpeedUpdate();


private:
    bool m_invincible = false;
    uint64_t m_damageEffectsShown = 0;   // one bit per combat attribute type
    CombatAttributeType m_involuntaryEffect = CombatAttributeType_Unknown;

    // ---- End of damage over time ----------------------------------------------------

public:
    // ---- Experience, rewards and gender ----------------------------------------------
    // The experience killing this character gives that player (the engine's formula).
    uint32_t GetExperienceReward(uint32_t playerId) const;
    CharacterGender GetGender() const { return m_gender; }
    void SetGender(CharacterGender gender) { m_gender = gender; }

private:
    std::unique_ptr<SkillManager> m_skillManager;
    std::unique_ptr<CharacterBio> m_bio;
    WorldVec3 m_pathPosition;
    WorldVec3 m_pathTarget;
    float m_speed = 0.0f;
    LifeState m_lifeState = LifeState_Alive;
    uint32_t m_charLevel = 1;
    uint32_t m_modifierPoints = 0;
    uint32_t m_skillPoints = 0;
    bool m_teleporting = false;

    // Gold and items given.
    uint32_t m_money = 0;
    std::vector<uint32_t> m_inventoryItems;

    // ---- Team and experience value (friend and foe tests, rewards) ---------------------
public:
    // The side the character is on.
    Team GetTeam() const { return m_team; }
    virtual void SetTeam(const Team& team) { m_team = team; }
    // The character's experience points; for a monster, what killing it is worth.
    uint32_t GetExperiencePoints() const { return m_experiencePoints; }
    void SetExperiencePoints(uint32_t points) { m_experiencePoints = points; }

private:
    Team m_team;
    uint32_t m_experiencePoints = 0;
    CharacterGender m_gender = CharacterGender_Female;
};

}  // namespace GAME
