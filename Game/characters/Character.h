// The common base of every creature in the world. For now it carries what aiming and
// the spawn filter read: its position on its path, where it is heading, its speed and
// its skills.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/World.h"
#include "Game/combat/CharAttributeType.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/core/Team.h"

namespace GAME {

class CombatManager;
class DurationDamageManager;
class Item;
class SkillManager;

class Character : public Actor {
    GAME_DECLARE_CLASS(Character)

public:
    Character();
    ~Character() override;

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

    // ---- Combat: what the per-attack combat attributes call on a character ----------

    CombatManager& GetCombatManager() { return *m_combatManager; }
    DurationDamageManager& GetDurationDamageMgr();

    // Applies damage through the combat manager; false when nothing got through.
    bool ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType);
    // Removes life (never below 0).
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

    float GetCurrentLife() const { return m_currentLife; }
    void SetCurrentLife(float life) { m_currentLife = life; }
    float GetLifeLimit() const { return m_lifeLimit; }
    void SetLifeLimit(float limit) { m_lifeLimit = limit; }
    float GetCurrentMana() const { return m_currentMana; }
    void SetCurrentMana(float mana) { m_currentMana = mana; }
    // Lowers the current mana (never below 0).
    void SubtractMana(float amount);

    // The total of a character attribute; 0 for a type outside the table.
    float GetTotalCharAttribute(CharAttributeType type) const;
    void SetTotalCharAttribute(CharAttributeType type, float value);

    // The cap of defence values; 0 means none.
    virtual float GetDefenseAttributeCap() const { return 0.0f; }

private:
    std::unique_ptr<CombatManager> m_combatManager;
    float m_currentLife = 0.0f;
    float m_lifeLimit = 0.0f;
    float m_currentMana = 0.0f;
    std::array<float, kCharAttributeTypeCount> m_charAttributes{};

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

private:
    std::unique_ptr<SkillManager> m_skillManager;
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
};

}  // namespace GAME
