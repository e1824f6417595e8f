// The skill manager's bare-hand stand-in for the default weapon attack.
#include "Game/skills/SkillManager.h"

#include <algorithm>
#include <span>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/combat/AttributePak.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/Weapon.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManagerVisit.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillOnDeath.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/world/CharFxPak.h"
#include "Game/world/Prop.h"

namespace GAME {

// ---- The bare-hand stand-in ----------------------------------------------------------
// Until the default weapon attack's kind starts its own use, the default attack (or, on a
// character without one, reference 0) plays the attack animation at the character's
// attack speed, hands one hand-to-hand attack to the target on each hit event and ends on "End".
// A default attack whose kind starts is never replaced.
bool SkillManager::StartBareHanded(uint32_t skillNumber, uint32_t targetId, uint32_t seed)
{
    if (skillNumber != GetBareHandReference() || !m_parent)
        return false;
    AnimationSet* animations = m_parent->GetAnimationSet();
    if (!animations)
        return false;
    const float speed = AttackAnimationSpeed(m_parent->GetAttackSpeed());
    if (!animations->PlayAnimation(*m_parent, AnimationSet_Attack, Name(), speed, false, 0))
        return false;
    m_bareHand = {true, targetId, seed};
    return true;
}

bool SkillManager::BareHandEvent(const Name& event)
{
    if (const auto* found = SkillManagerParts::FindSkillEvent(event); found && found->kind == SkillManagerParts::SkillEvent::Hit) {
        StrikeBareHanded(m_bareHand.targetId);
        return false;
    }
    if (event == Actor::EndEvent()) {
        m_bareHand = {};
        return true;
    }
    return false;
}

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

bool SkillManager::SkillWarmUp(uint32_t skillNumber, bool end)
{
    SkillActivated* skill = SkillManagerParts::ActivatedByReference(*this, skillNumber);
    if (!skill)
        return false;
    if (end) {
        skill->WarmUpEnd();
        return false;
    }
    return skill->WarmUpStart();
}

bool SkillManager::ContributorsCurrent() const
{
    return m_contributors.revision == Skill::GetLinksRevision() && m_contributors.lists == m_listsRevision;
}

void SkillManager::RefreshContributors()
{
    if (ContributorsCurrent())
        return;
    ContributorCache& cache = m_contributors;
    // Read first: a skill coming or going while the ids are looked up leaves the cache out
    // of date at once.
    cache.revision = Skill::GetLinksRevision();
    cache.lists = m_listsRevision;
    cache.activeCount = static_cast<uint32_t>(m_activeList.size());
    cache.buffCount = static_cast<uint32_t>(m_buffs.size());
    cache.Clear();
    const ObjectManager& objects = ObjectManager::Get();
    const auto find = [&](uint32_t id) {
        Skill* skill = objects.GetObject<Skill>(id);
        cache.Add({id, skill});
        if (!skill)
            cache.revision = 0;   // an id not found may yet be made: look up every time
        return skill != nullptr;
    };
    for (uint32_t id : m_activeList)
        if (!find(id))
            return;
    for (const BuffEntry& entry : m_buffs)
        if (!find(entry.buffId))
            return;
    for (uint32_t id : m_itemSkills)
        if (!find(id))
            return;
}

template <class Collect>
void SkillManager::ForEachContributingSkill(Collect collect) const
{
    if (ContributorsCurrent()) {
        // The collections are const: no skill comes or goes while they run.
        const ContributorCache& cache = m_contributors;
        const std::span<const FrameSkill> found = cache.Skills();
        const FrameSkill* skills = found.data();
        // Every skill asked from memory first, so that the misses overlap.
        for (const FrameSkill& entry : found)
            SkillManagerParts::PrefetchSkill(entry.skill);
        for (size_t i = 0; i < cache.activeCount; ++i)
            if (skills[i].skill->GetCurrentLevel() != 0)
                collect(*skills[i].skill);
        skills += cache.activeCount;
        for (size_t i = 0; i < cache.buffCount; ++i)
            collect(*skills[i].skill);
        skills += cache.buffCount;
        for (size_t i = 0, items = m_itemSkills.size(); i < items; ++i)
            if (skills[i].skill->GetCurrentLevel() != 0)
                collect(*skills[i].skill);
        return;
    }
    ForEachSkillInForce(m_activeList, collect);
    const ObjectManager& objects = ObjectManager::Get();
    for (const BuffEntry& entry : m_buffs)
        if (const Skill* buff = objects.GetObject<Skill>(entry.buffId))
            collect(*buff);
    if (!m_itemSkills.empty())
        ForEachSkillInForce(m_itemSkills, collect);
}

void SkillManager::GetCharAttributes(CharAttributeAccumulator& accumulator) const
{
    ForEachContributingSkill([&](const Skill& skill) { skill.CollectPassiveCharAttributes(accumulator); });
}

void SkillManager::GetSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    ForEachContributingSkill([&](const Skill& skill) { skill.CollectPassiveSkillAttributes(accumulator); });
}

void SkillManager::GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachContributingSkill(
        [&](const Skill& skill) { skill.CollectPassiveOffensiveDamageAttributes(accumulator); });
}

void SkillManager::GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachContributingSkill(
        [&](const Skill& skill) { skill.CollectPassiveOffensiveModifierAttributes(accumulator); });
}

void SkillManager::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachContributingSkill([&](const Skill& skill) { skill.CollectPassiveRetaliationAttributes(accumulator); });
}

void SkillManager::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachContributingSkill([&](const Skill& skill) { skill.CollectPassiveDefenseAttributes(accumulator); });
}

void SkillManager::ContributeRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    ForEachContributingSkill([&](const Skill& skill) { skill.CollectPassiveRacialBonusDamage(races, bonus); });
}

void SkillManager::ContributeRacialBonusDefense(const std::vector<std::string>& races,
                                                RacialBonus_Defense& bonus) const
{
    ForEachContributingSkill([&](const Skill& skill) { skill.CollectPassiveRacialBonusDefense(races, bonus); });
}

void SkillManager::CollectAvailableSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    if (m_parent)
        m_parent->GetEquipSkillAttributes(accumulator);
    CollectSkillAttributesAfterEquipment(accumulator);
}

void SkillManager::CollectSkillAttributesAfterEquipment(SkillAttributeAccumulator& accumulator) const
{
    if (m_parent) {
        m_parent->ContributeItemSetSkillAttributes(accumulator);
        m_parent->ContributeGameBalanceSkillAttributes(accumulator);
    }
    GetSkillAttributes(accumulator);
}

const std::vector<const SkillAttribute*>& SkillManager::WornSkillAttributes()
{
    const uint32_t revision = ItemEquipment::GetAttributeRevision();
    if (m_wornSkillAttributesKept && revision == m_wornSkillAttributesRevision)
        return m_wornSkillAttributes;
    m_wornSkillAttributes.clear();
    const EquippedItems items(m_parent->GetCombatManager().GetEquipManager());
    for (const ItemEquipment* item : items.GetItems())
        for (const auto& attribute : item->GetSkillAttrStore().GetAttributes())
            m_wornSkillAttributes.push_back(attribute.get());
    m_wornSkillAttributesRevision = revision;
    m_wornSkillAttributesKept = true;
    return m_wornSkillAttributes;
}

SkillContributionStamp SkillManager::GetContributionStamp() const
{
    return {Skill::GetContributionRevision(), m_listsRevision, ContributorsCurrent()};
}

void SkillManager::UpdateSkillAttributeTotals()
{
    // Read before the collection: a change it makes leaves the totals to be summed again.
    const SkillTotalsKey key{ItemEquipment::GetAttributeRevision(), AttributePak::GetSharedValuesRevision(),
                             GetContributionStamp()};
    if (m_skillTotalsKept && key == m_skillTotalsKey) {
        m_skillAttributeTotals.SkipDraws(m_skillTotalsSkippedDraws);
        return;
    }
    SkillAttributeAccumulator& totals = m_skillAttributeTotals;
    totals.Clear();
    totals.ForgetDrawn();
    const uint32_t skippedBefore = totals.GetSkippedDraws();
    // As CollectAvailableSkillAttributes adds them: the worn items' attributes (each item's
    // store adds its own in turn), then the rest.
    for (const SkillAttribute* attribute : WornSkillAttributes())
        attribute->AddToAccumulator(totals, ItemEquipment::kAttributeLevel);
    CollectSkillAttributesAfterEquipment(totals);
    // Without a draw no skipped draw was taken, so the count only grew.
    m_skillTotalsKept = key.skills.valid && !totals.HasDrawn();
    m_skillTotalsSkippedDraws = totals.GetSkippedDraws() - skippedBefore;
    m_skillTotalsKey = key;
}

void SkillManager::AddToActiveList(Skill* skill)
{
    if (skill && std::find(m_activeList.begin(), m_activeList.end(), skill->GetObjectId()) == m_activeList.end()) {
        m_activeList.push_back(skill->GetObjectId());
        ListsChanged();
        skill->Install(m_parent);
    }
}

void SkillManager::RemoveFromActiveList(Skill* skill)
{
    if (skill && std::erase(m_activeList, skill->GetObjectId()) != 0) {
        ListsChanged();
        skill->UnInstall(m_parent);
    }
}

EquipManager_HandState SkillManager::GetHandState() const
{
    return m_combatManager ? m_combatManager->GetHandState() : EquipManager_Unarmed;
}

void SkillManager::GetWeaponTypes(Weapon_Type& right, Weapon_Type& left) const
{
    // The look-ups out of line: nearly every call takes the kept answer, and is cheaper
    // without their registers to save.
    const auto find = [this](uint32_t revision) __attribute__((noinline)) {
        const ObjectManager& objects = ObjectManager::Get();
        const Weapon* rightWeapon = objects.GetObject<Weapon>(GetRightHandWeapon());
        const Weapon* leftWeapon = objects.GetObject<Weapon>(GetLeftHandWeapon());
        m_weapons[0] = rightWeapon ? rightWeapon->GetWeaponType() : Weapon_None;
        m_weapons[1] = leftWeapon ? leftWeapon->GetWeaponType() : Weapon_None;
        m_weaponsRevision = revision;
        m_weaponsKept = true;
    };
    if (const uint32_t revision = ItemEquipment::GetAttributeRevision(); !m_weaponsKept || revision != m_weaponsRevision)
        find(revision);
    right = m_weapons[0];
    left = m_weapons[1];
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

uint32_t SkillManager::GetArmorId() const { return m_combatManager ? m_combatManager->GetEquipmentArmorId() : 0; }

float SkillManager::GetTotalSkillAttribute(SkillAttributeType type) const
{
    return m_skillAttributeTotals.GetValue(type);
}

void SkillManager::SubtractLife(float amount, const PlayStatsDamageType& damageType)
{
    if (m_parent)
        m_parent->SubtractLife(amount, damageType);
}

float SkillManager::GetAttackSpeed() const { return m_parent ? m_parent->GetAttackSpeed() : 0.0f; }

float SkillManager::GetSpellCastSpeed() const { return m_parent ? m_parent->GetSpellCastSpeed() : 0.0f; }

void SkillManager::ForceSpeedUpdate()
{
    if (m_parent)
        m_parent->ForceSpeedUpdate();
}

void SkillManager::CollectAvailableOffensiveDamageAttributes(uint32_t weaponId,
                                                             CombatAttributeAccumulator& accumulator) const
{
    if (!m_parent)
        return;
    m_parent->GetEquipArmorDamageAttributes(accumulator);
    m_parent->ContributeItemSetOffensiveDamageAttributes(accumulator);
    m_parent->ContributeGameBalanceOffensiveDamageAttributes(accumulator);
    GetOffensiveDamageAttributes(accumulator);
    if (weaponId != 0) {
        if (const Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(weaponId))
            weapon->GetOffensiveDamageAttributes(accumulator);
    } else if (m_combatManager) {
        m_combatManager->GetHandHitDamage(accumulator);
    }
}

void SkillManager::CollectAvailableOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (!m_parent)
        return;
    m_parent->GetEquipOffensiveModifierAttributes(accumulator);
    m_parent->ContributeItemSetOffensiveModifierAttributes(accumulator);
    m_parent->ContributeGameBalanceOffensiveModifierAttributes(accumulator);
    GetOffensiveModifierAttributes(accumulator);
}

float SkillManager::CalculateOffensiveAbility(float bonus)
{
    return m_parent ? m_parent->DesignerCalculateOffensiveAbility(bonus) : 0.0f;
}

void SkillManager::PushPetInitialize(Character* pet)
{
    if (!pet)
        return;
    const uint32_t id = pet->GetObjectId();
    if (std::find(m_petsInitializing.begin(), m_petsInitializing.end(), id) == m_petsInitializing.end())
        m_petsInitializing.push_back(id);
}

void SkillManager::PopPetInitialize(Character* pet)
{
    if (!pet)
        return;
    const auto found = std::find(m_petsInitializing.begin(), m_petsInitializing.end(), pet->GetObjectId());
    if (found != m_petsInitializing.end())
        m_petsInitializing.erase(found);
}

void SkillManager::AddWeaponEnchantment(uint32_t skillId, const std::string& recordName)
{
    m_weaponEnchantments.emplace_back(skillId, recordName);
    if (m_parent)
        m_parent->SetWeaponEnchantment(recordName);
}

void SkillManager::RemoveWeaponEnchantment(uint32_t skillId)
{
    std::erase_if(m_weaponEnchantments, [&](const auto& entry) { return entry.first == skillId; });
    if (m_parent)
        m_parent->SetWeaponEnchantment(m_weaponEnchantments.empty() ? std::string()
                                                                    : m_weaponEnchantments.back().second);
}

void SkillManager::AddCharFxPak(uint32_t skillId, const std::vector<std::string>& names)
{
    m_charFxPaks.emplace(m_charFxPaks.begin(), skillId, names);
    ShowCharFxPaks();
}

void SkillManager::RemoveCharFxPak(uint32_t skillId)
{
    std::erase_if(m_charFxPaks, [&](const auto& entry) { return entry.first == skillId; });
    if (skillId == m_charFxPakSkillId)
        ShowCharFxPaks();
}

void SkillManager::ClearCharFxPaks()
{
    for (const std::unique_ptr<CharFxPak>& pak : m_shownCharFxPaks) {
        pak->Enable(false);
        pak->UnLoad();
    }
    m_shownCharFxPaks.clear();
    m_charFxPakSkillId = 0;
}

void SkillManager::ShowCharFxPaks()
{
    ClearCharFxPaks();
    if (m_charFxPaks.empty())
        return;
    const auto& [skillId, names] = m_charFxPaks.front();
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        auto pak = std::make_unique<CharFxPak>();
        pak->LoadFromDatabase(name);
        pak->SetParent(m_parent ? m_parent->GetObjectId() : 0);
        pak->PreLoad();
        pak->InitializeFxPak();
        pak->Enable(true);
        m_shownCharFxPaks.push_back(std::move(pak));
    }
    m_charFxPakSkillId = skillId;
}

}  // namespace GAME
