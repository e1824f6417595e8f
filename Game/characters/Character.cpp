#include "Game/characters/Character.h"

#include <algorithm>
#include <limits>

#include "Engine/ObjectManager.h"
#include "Game/characters/CharacterBio.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Character, Actor)

namespace {

// Counts of points and gold hold at their largest value rather than wrapping.
uint32_t SaturatingAdd(uint32_t value, uint32_t amount)
{
    const uint32_t room = std::numeric_limits<uint32_t>::max() - value;
    return value + (amount < room ? amount : room);
}

}  // namespace

Character::Character()
    : m_combatManager(std::make_unique<CombatManager>()),
      m_skillManager(std::make_unique<SkillManager>()),
      m_bio(std::make_unique<CharacterBio>())
{
    m_combatManager->AssignParent(this);
}

Character::~Character() = default;

void Character::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_bio->Load(table);
}

WorldVec3 Character::GetPathPosition()
{
    if (!m_pathPosition.IsValid() && IsInWorld())
        m_pathPosition = GetCoords().GetPosition();
    return m_pathPosition;
}

void Character::TeleportToLocation(const WorldCoords& coords)
{
    World::Get().AddEntity(this, coords);
    m_pathPosition = coords.GetPosition();
}

// ---- Combat -------------------------------------------------------------------------

DurationDamageManager& Character::GetDurationDamageMgr() { return m_combatManager->GetDurationDamageMgr(); }

bool Character::TakeAttack(ParametersCombat& params)
{
    m_playStats.ReceiveHit();
    if (!params.auraName.empty())
        AddAura(params.auraName, false, params.auraLevel);
    return m_combatManager->TakeAttack(params, *m_skillManager);
}

// Life and mana points, gold, the unspent points and experience; life stops at the life
// limit and the counts at their largest value. The percentages come with the
// character's bio.
void Character::TakeBonus(const Bonus& bonus, bool, PlayStatsLifeType)
{
    if (bonus.lifePoints > 0.0f) {
        const float life = GetCurrentLife();
        SetCurrentLife(std::min(life + bonus.lifePoints, std::max(GetLifeLimit(), life)));
    }
    if (bonus.manaPoints > 0.0f)
        SetCurrentMana(GetCurrentMana() + bonus.manaPoints);
    AddMoney(bonus.goldPoints);
    m_skillPoints = SaturatingAdd(m_skillPoints, bonus.skillPoints);
    m_modifierPoints = SaturatingAdd(m_modifierPoints, bonus.attributePoints);
    m_experiencePoints = SaturatingAdd(m_experiencePoints, bonus.experiencePoints);
}

void Character::UnderAttack(uint32_t) {}
void Character::AddAura(const std::string&, bool, int32_t) {}

void Character::GetAllDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    GetAllDefenseAttributes(accumulator, EquippedItems(m_combatManager->GetEquipManager()));
}

void Character::GetAllDefenseAttributes(CombatAttributeAccumulator& accumulator, const EquippedItems& items) const
{
    for (const ItemEquipment* item : items.GetItems())
        item->GetDefenseAttributes(accumulator);
    m_skillManager->GetDefenseAttributes(accumulator);
    m_bio->GetDefenseAttributes(accumulator);
    ContributeItemSetDefenseAttributes(accumulator);
    ContributeGameBalanceDefenseAttributes(accumulator);
}

void Character::ContributeItemSetDefenseAttributes(CombatAttributeAccumulator&) const {}
void Character::ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator&) const {}

void Character::GetEquipRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    GetEquipRetaliationAttributes(accumulator, EquippedItems(m_combatManager->GetEquipManager()));
}

void Character::GetEquipRetaliationAttributes(CombatAttributeAccumulator& accumulator,
                                              const EquippedItems& items) const
{
    for (const ItemEquipment* item : items.GetItems())
        item->GetRetaliationAttributes(accumulator);
}

void Character::ContributeItemSetRetaliationAttributes(CombatAttributeAccumulator&) const {}
void Character::ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator&) const {}
void Character::ContributeRacialBonusDefense(const std::vector<std::string>&, RacialBonus_Defense&) const {}

void Character::AddCombatFilter(CombatFilter* filter) { m_combatManager->AddCombatFilter(filter); }
void Character::RemoveCombatFilter(CombatFilter* filter) { m_combatManager->RemoveCombatFilter(filter); }

void Character::ResetAbsEffects()
{
    m_absEffectsFired.reset();
    m_absEffectsArmed = true;
}

void Character::FireAbsEffect(CombatAttributeType type)
{
    if (m_absEffectsArmed && type < kCombatAttributeTypeCount)
        m_absEffectsFired.set(type);
}

bool Character::WasAbsEffectFired(CombatAttributeType type) const
{
    return type < kCombatAttributeTypeCount && m_absEffectsFired.test(type);
}

void Character::SetRagdollData(const CharacterRagDoll::EffectData& data, bool) { m_ragdollData = data; }

bool Character::ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType)
{
    return m_combatManager->ApplyDamage(amount, damageType, combatAttributeType);
}

void Character::SubtractLife(float amount, const PlayStatsDamageType&) { m_bio->SubtractLife(amount); }

float Character::DesignerCalculatePhysicalDamage(float damage) const
{
    return m_combatManager->DesignerCalculatePhysicalDamage(damage);
}

float Character::DesignerCalculatePierceDamage(float damage) const
{
    return m_combatManager->DesignerCalculatePierceDamage(damage);
}

float Character::DesignerCalculateElementalDamage(float damage) const
{
    return m_combatManager->DesignerCalculateElementalDamage(damage);
}

float Character::DesignerCalculateElementalDurationDamage(float damage) const
{
    return m_combatManager->DesignerCalculateElementalDurationDamage(damage);
}

float Character::DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                        float bonus) const
{
    return m_combatManager->DesignerCalculatePhysicalDamageDefense(damage, protection, protectionAbsorption, bonus);
}

float Character::DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense,
                                                            float shieldAbsorption) const
{
    return m_combatManager->DesignerCalculateShieldBlockDamageReduction(damage, shieldDefense, shieldAbsorption);
}

void Character::CombatExertInfluenceFear(int) {}
void Character::CombatExertInfluenceConfusion(int) {}
void Character::CombatExertInfluenceTaunt(float) {}

void Character::CombatAddCooldownDamage(int durationMs)
{
    m_skillManager->AddCooldownDamage(static_cast<float>(durationMs));
}

void Character::CombatAddLifeLeechDamage(float percent) { m_combatManager->ApplyLifeLeech(percent); }

void Character::JoinMe(uint32_t, int, bool) {}

// ---- Gold, items given and quest commands ----------------------------------------------

void Character::AddMoney(uint32_t amount)
{
    m_money = SaturatingAdd(m_money, amount);
}

void Character::SubtractMoney(uint32_t amount)
{
    m_money -= amount < m_money ? amount : m_money;
}

// ---- Experience and rewards -------------------------------------------------------------

uint32_t Character::GetExperienceReward(uint32_t playerId) const
{
    return gGameEngine ? gGameEngine->CalculateExperienceReward(m_charLevel, playerId, m_experiencePoints) : 0;
}


void Character::GiveItemToCharacter(Item* item)
{
    if (item)
        m_inventoryItems.push_back(item->GetObjectId());
}

void Character::QuestCommandMove(uint32_t, const WorldVec3&, bool) {}
void Character::QuestCommandWalk(uint32_t, const WorldVec3&, bool) {}
void Character::QuestCommandPlayAnimation(uint32_t, bool, bool) {}
void Character::QuestCommandUseSkill(const std::string&, uint32_t, bool) {}

// ---- Damage over time -----------------------------------------------------------------

namespace {

// The bit of a type in the shown-effects mask; types beyond the mask have none.
uint64_t DamageEffectBit(CombatAttributeType type) { return type < 64 ? uint64_t{1} << type : 0; }

}  // namespace

void Character::StartDamageEffect(CombatAttributeType type) { m_damageEffectsShown |= DamageEffectBit(type); }

void Character::StopDamageEffect(CombatAttributeType type) { m_damageEffectsShown &= ~DamageEffectBit(type); }

bool Character::IsDamageEffectShown(CombatAttributeType type) const
{
    return (m_damageEffectsShown & DamageEffectBit(type)) != 0;
}

void Character::StartInvoluntaryEffect(CombatAttributeType type) { m_involuntaryEffect = type; }

void Character::StopInvoluntaryEffect(CombatAttributeType type)
{
    if (m_involuntaryEffect == type)
        m_involuntaryEffect = CombatAttributeType_Unknown;
}

void Character::ForceSpeedUpdate() {}

}  // namespace GAME
