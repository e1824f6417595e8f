#include "Game/skills/SkillManager.h"

#include <algorithm>
#include <span>

#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Weapon.h"
#include "Game/skills/Skill.h"

namespace GAME {

namespace {

// A whole-number array of the record, taken as unsigned numbers.
void ReadUnsignedArray(const LoadTable& table, const char* key, std::vector<uint32_t>& out)
{
    std::vector<int> values;
    table.GetIntArray(key, values);
    out.clear();
    for (int value : values)
        out.push_back(static_cast<uint32_t>(value));
}

}  // namespace

void SkillManager::Initialize(CombatManager& combatManager, Character& parent)
{
    m_combatManager = &combatManager;
    m_parent = &parent;
}

void SkillManager::Load(const LoadTable& table)
{
    ReadUnsignedArray(table, "masteryIncrementLevel", m_masteryIncrementLevels);
    ReadUnsignedArray(table, "reclamationPointTiers", m_reclamationPointTiers);
    ReadUnsignedArray(table, "reclamationPointCosts", m_reclamationPointCosts);
}

// The manager creates no skills of its own yet, so its preload, death and destruction
// have none to pass on to.
void SkillManager::PreLoad(bool /*preloadNow*/) {}

// Each skill of the active list counts its cooldown down and, on the controlling peer,
// recomputes whether it may be used. By index: a skill's update may send its state, but
// the list may not grow under the loop without the loop seeing the new entry safely.
void SkillManager::Update(int elapsedMs)
{
    if (!m_parent)
        return;
    m_inFrame = true;
    m_frameTotalsValid = false;
    m_frameWeaponsValid = false;
    ObjectManager& objects = ObjectManager::Get();
    for (size_t i = 0; i < m_activeList.size(); ++i)
        if (Skill* skill = objects.GetObject<Skill>(m_activeList[i]))
            skill->Update(*m_parent, elapsedMs);
    m_inFrame = false;
    m_frameTotalsValid = false;
    m_frameWeaponsValid = false;
}

void SkillManager::ImDead() {}

void SkillManager::OnDestroy() {}

// ---- Skill actions ----------------------------------------------------------------

bool SkillManager::StartSkill(uint32_t skillNumber, uint32_t targetId, const WorldVec3& /*point*/, uint32_t seed,
                              const TargetLeadingData& /*leading*/)
{
    if (skillNumber != kBareHandSkill || !m_parent)
        return false;
    AnimationSet* animations = m_parent->GetAnimationSet();
    if (!animations)
        return false;
    const float speed = AttackAnimationSpeed(m_parent->GetAttackSpeed());
    if (!animations->PlayAnimation(*m_parent, AnimationSet_Attack, Name(), speed, false, 0)) {
        m_bareHand = {};
        return false;
    }
    m_bareHand = {true, targetId, seed};
    return true;
}

bool SkillManager::HandleSkillAnimationCallback(const Name& event, uint32_t skillNumber, uint32_t /*targetId*/,
                                                const WorldVec3& /*point*/)
{
    if (skillNumber != kBareHandSkill || !m_bareHand.active)
        return false;
    static const Name kHit("Hit");
    if (event == kHit) {
        StrikeBareHanded(m_bareHand.targetId);
        return false;
    }
    if (event == Actor::EndEvent()) {
        m_bareHand = {};
        return true;
    }
    return false;
}

void SkillManager::CancelSkillAction(uint32_t skillNumber)
{
    if (skillNumber == kBareHandSkill)
        m_bareHand = {};
}

bool SkillManager::SkillWarmUp(uint32_t /*skillNumber*/, bool /*end*/) { return false; }

// The attacker's side of a hand-to-hand blow, as the combat manager builds its answers:
// randoms from the attack's seed (every peer draws the same), the owner's offensive
// ability, the hand damage, then the owner's own processing of the damage.
void SkillManager::StrikeBareHanded(uint32_t targetId)
{
    Character* target = ObjectManager::Get().GetObject<Character>(targetId);
    if (!target || !m_parent || !m_combatManager)
        return;
    RandomUniform source;
    source.Seed(m_bareHand.seed);
    ParametersCombat attack(source);
    attack.attackerId = m_parent->GetObjectId();
    attack.combatType = ParametersCombatStyle::Probability;
    attack.offensiveAbility = m_combatManager->DesignerCalculateOffensiveAbility(0.0f);
    m_combatManager->GetHandHitDamage(attack.accumulator);
    attack.accumulator.ProcessDamage(*m_parent, 0.0f, 0.0f, 0.0f, 0.0f);
    target->TakeAttack(attack);
}

template <class Visit>
void SkillManager::ForEachActiveSkill(Visit visit) const
{
    // Looked up a batch at a time, so that the memory reads of the batch overlap.
    constexpr size_t kBatch = 32;
    const ObjectManager& objects = ObjectManager::Get();
    const Skill* found[kBatch];
    const std::span<const uint32_t> ids(m_activeList);
    for (size_t begin = 0; begin < ids.size(); begin += kBatch) {
        const std::span<const uint32_t> batch = ids.subspan(begin, std::min(kBatch, ids.size() - begin));
        objects.GetObjects(batch, found);
        for (size_t i = 0; i < batch.size(); ++i)
            if (const Skill* skill = found[i])
                visit(*skill);
    }
}

template <class Collect>
void SkillManager::ForEachSkillInForce(Collect collect) const
{
    ForEachActiveSkill([&](const Skill& skill) {
        if (skill.GetCurrentLevel() != 0)
            collect(skill);
    });
}

void SkillManager::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachSkillInForce([&](const Skill& skill) { skill.CollectPassiveDefenseAttributes(accumulator); });
}

void SkillManager::GetCharAttributes(CharAttributeAccumulator& accumulator) const
{
    // The contributions are found a batch at a time and then added in the skills' order:
    // finding one (skill, profile, level) no longer waits on the adds of the one before,
    // and the order of the additions into each sum stays the same.
    constexpr size_t kBatch = 32;
    const CharAttributeContribution* pending[kBatch];
    size_t count = 0;
    const auto addPending = [&] {
        for (size_t i = 0; i < count; ++i)
            pending[i]->AddToAccumulator(accumulator);
        count = 0;
    };
    // A skill at level 0 keeps no contribution, so the level needs no test here.
    ForEachActiveSkill([&](const Skill& skill) {
        if (const CharAttributeContribution* contribution = skill.GetPassiveCharContribution()) {
            __builtin_prefetch(contribution);
            pending[count++] = contribution;
            if (count == kBatch)
                addPending();
        }
    });
    addPending();
}

void SkillManager::AddToActiveList(Skill* skill)
{
    if (skill && std::find(m_activeList.begin(), m_activeList.end(), skill->GetObjectId()) == m_activeList.end()) {
        m_activeList.push_back(skill->GetObjectId());
        skill->Install(m_parent);
    }
}

void SkillManager::RemoveFromActiveList(Skill* skill)
{
    if (skill && std::erase(m_activeList, skill->GetObjectId()) != 0)
        skill->UnInstall(m_parent);
}

EquipManager_HandState SkillManager::GetHandState() const
{
    return m_combatManager ? m_combatManager->GetHandState() : EquipManager_Unarmed;
}

void SkillManager::GetWeaponTypes(Weapon_Type& right, Weapon_Type& left) const
{
    if (m_inFrame && m_frameWeaponsValid) {
        right = m_frameWeapons[0];
        left = m_frameWeapons[1];
        return;
    }
    // The look-ups out of line: within a frame every skill after the first takes the
    // kept answer above, and the call is cheaper without their registers to save.
    const auto find = [this](Weapon_Type& rightType, Weapon_Type& leftType) __attribute__((noinline)) {
        const ObjectManager& objects = ObjectManager::Get();
        const Weapon* rightWeapon = objects.GetObject<Weapon>(GetRightHandWeapon());
        const Weapon* leftWeapon = objects.GetObject<Weapon>(GetLeftHandWeapon());
        rightType = rightWeapon ? rightWeapon->GetWeaponType() : Weapon_None;
        leftType = leftWeapon ? leftWeapon->GetWeaponType() : Weapon_None;
        if (m_inFrame) {
            m_frameWeapons[0] = rightType;
            m_frameWeapons[1] = leftType;
            m_frameWeaponsValid = true;
        }
    };
    find(right, left);
}

void SkillManager::SubtractMana(float amount)
{
    if (m_parent)
        m_parent->SubtractMana(amount);
}

float SkillManager::GetCurrentMana() const { return m_parent ? m_parent->GetCurrentMana() : 0.0f; }

uint32_t SkillManager::GetRightHandWeapon() const
{
    return m_combatManager ? m_combatManager->GetRightHandWeapon() : 0;
}

uint32_t SkillManager::GetLeftHandWeapon() const
{
    if (m_leftHandWeapon != 0 || !m_combatManager)
        return m_leftHandWeapon;
    return m_combatManager->GetLeftHandWeapon();
}

void SkillManager::GatherSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    if (m_parent)
        m_parent->GetEquipSkillAttributes(accumulator);
    ForEachSkillInForce([&](const Skill& skill) { skill.CollectPassiveSkillAttributes(accumulator); });
}

float SkillManager::GetTotalSkillAttribute(SkillAttributeType type) const
{
    if (m_inFrame && m_frameTotalsValid)
        return type < kSkillAttributeTypeCount ? m_frameTotals[type] : 0.0f;
    // Gathered out of line, as for the weapon types.
    const auto gather = [this](SkillAttributeType wanted) __attribute__((noinline)) {
        SkillAttributeAccumulator totals;
        GatherSkillAttributes(totals);
        if (m_inFrame) {
            for (uint32_t kind = 0; kind < kSkillAttributeTypeCount; ++kind)
                m_frameTotals[kind] = totals.GetValue(static_cast<SkillAttributeType>(kind));
            m_frameTotalsValid = true;
        }
        return totals.GetValue(wanted);
    };
    return gather(type);
}

void SkillManager::CollectAvailableOffensiveDamageAttributes(uint32_t weaponId,
                                                             CombatAttributeAccumulator& accumulator) const
{
    if (!m_parent)
        return;
    if (const Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(weaponId))
        weapon->GetOffensiveDamageAttributes(accumulator);
    m_parent->GetEquipArmorDamageAttributes(accumulator);
    ForEachSkillInForce([&](const Skill& skill) { skill.CollectPassiveOffensiveDamageAttributes(accumulator); });
    m_parent->ContributeItemSetOffensiveDamageAttributes(accumulator);
    m_parent->ContributeGameBalanceOffensiveDamageAttributes(accumulator);
}

void SkillManager::CollectAvailableOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (!m_parent)
        return;
    m_parent->GetEquipOffensiveModifierAttributes(accumulator);
    ForEachSkillInForce([&](const Skill& skill) { skill.CollectPassiveOffensiveModifierAttributes(accumulator); });
    m_parent->ContributeItemSetOffensiveModifierAttributes(accumulator);
    m_parent->ContributeGameBalanceOffensiveModifierAttributes(accumulator);
}

float SkillManager::CalculateOffensiveAbility(float bonus)
{
    return m_parent ? m_parent->DesignerCalculateOffensiveAbility(bonus) : 0.0f;
}

void SkillManager::PushPetInitialize(Character* pet)
{
    if (pet && std::find(m_petsInitializing.begin(), m_petsInitializing.end(), pet) == m_petsInitializing.end())
        m_petsInitializing.push_back(pet);
}

void SkillManager::PopPetInitialize(Character* pet)
{
    if (pet)
        std::erase(m_petsInitializing, pet);
}

void SkillManager::AddWeaponEnchantment(uint32_t skillId, const std::string& recordName)
{
    m_weaponEnchantments.emplace_back(skillId, recordName);
    if (m_parent)
        m_parent->SetWeaponEnchantment(recordName);
}

void SkillManager::RemoveWeaponEnchantment(uint32_t skillId)
{
    const size_t removed = std::erase_if(m_weaponEnchantments, [&](const auto& entry) { return entry.first == skillId; });
    if (removed != 0 && m_weaponEnchantments.empty() && m_parent)
        m_parent->SetWeaponEnchantment("");
}

void SkillManager::AddCharFxPak(uint32_t skillId, const std::vector<std::string>& names)
{
    m_charFxPaks.emplace_back(skillId, names);
}

void SkillManager::RemoveCharFxPak(uint32_t skillId)
{
    std::erase_if(m_charFxPaks, [&](const auto& entry) { return entry.first == skillId; });
}

SkillManager::OwnedSkills::~OwnedSkills()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : *this)
        if (Object* skill = objects.GetObject(id))
            objects.DestroyObjectEx(skill, "SkillManager", __LINE__);
}

void SkillManager::AddSkill(Skill* skill)
{
    if (!skill || std::find(m_skills.begin(), m_skills.end(), skill->GetObjectId()) != m_skills.end())
        return;
    skill->SetManager(this);
    m_skills.push_back(skill->GetObjectId());
}

uint32_t SkillManager::GetSkillIdFromReference(uint32_t reference) const
{
    return reference < m_skills.size() ? m_skills[reference] : 0;
}

uint32_t SkillManager::GetSkillReferenceNumber(uint32_t skillId) const
{
    const auto found = std::find(m_skills.begin(), m_skills.end(), skillId);
    return found != m_skills.end() ? static_cast<uint32_t>(found - m_skills.begin()) : 0xFFFFFFFFu;
}

uint32_t SkillManager::FindSkillId(const std::string& recordName) const
{
    for (const std::vector<uint32_t>* list : {static_cast<const std::vector<uint32_t>*>(&m_skills), &m_activeList})
        for (uint32_t id : *list)
            if (const Skill* skill = ObjectManager::Get().GetObject<Skill>(id))
                if (PathEqualsNoCase(skill->GetObjectName().c_str(), recordName.c_str()))
                    return id;
    return 0;
}

}  // namespace GAME
