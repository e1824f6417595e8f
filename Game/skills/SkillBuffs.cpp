#include "Game/skills/SkillBuffs.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/CombatTrace.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillBuff, Skill)
GAME_IMPLEMENT_CLASS(SkillBuff_Passive, SkillBuff)
GAME_IMPLEMENT_CLASS(SkillBuff_BuffImmobilize, SkillBuff_Passive)
GAME_IMPLEMENT_CLASS(SkillBuff_PassiveShield, SkillBuff_Passive)
GAME_IMPLEMENT_CLASS(SkillBuff_Debuf, SkillBuff)
GAME_IMPLEMENT_CLASS(SkillBuff_Contageous, SkillBuff_Debuf)
GAME_IMPLEMENT_CLASS(SkillBuff_DebufTrap, SkillBuff_Debuf)
GAME_IMPLEMENT_CLASS(SkillBuff_DebufFreeze, SkillBuff_DebufTrap)

float ShieldFilterDamage(float damage, float percent, float absorption)
{
    if (percent > 0.0f) {
        const float before = damage;
        // A record's cut past 100% takes the whole blow, never turns it into healing.
        damage -= std::min(percent, 100.0f) * 0.01f * damage;
        GAME_COMBAT_TRACE(kShieldReducedLog, before, percent, damage);
    }
    if (absorption <= 0.0f)
        return damage;
    const float absorbed = std::min(damage, absorption);
    GAME_COMBAT_TRACE(kShieldAbsorbedLog, absorbed, damage, absorption);
    return damage - absorbed;
}

void HoldPulse(Character& holder, CombatAttributeType type, float seconds)
{
    DurationDamageManager& effects = holder.GetDurationDamageMgr();
    effects.AddFixedDamage(type, 1.0f, seconds);
    effects.EndAttack();
}

bool PulseDue(int& counter, int interval, int elapsedMs)
{
    counter -= elapsedMs;
    if (counter >= 1)
        return false;
    counter = interval;
    return true;
}

// ---- SkillBuff -----------------------------------------------------------------------------

SkillBuff::SkillBuff()
{
    m_kindText = "^bSkill Buff";
    SetIgnoreMana(true);
    m_primary = false;
    m_secondary = false;
}

// The copy holds the buff's values but is installed nowhere.
SkillBuff::SkillBuff(const SkillBuff& other)
    : Skill(other), CombatFilter(other), m_casterId(other.m_casterId),
      m_damageAbsorption(other.m_damageAbsorption), m_damageAbsorptionPercent(other.m_damageAbsorptionPercent),
      m_timeToLive(other.m_timeToLive), m_totalTimeToLive(other.m_totalTimeToLive),
      m_skillEnhancement(other.m_skillEnhancement)
{
}

SkillBuff& SkillBuff::operator=(const SkillBuff& other)
{
    if (this != &other) {
        Skill::operator=(other);
        m_casterId = other.m_casterId;
        m_damageAbsorption = other.m_damageAbsorption;
        m_damageAbsorptionPercent = other.m_damageAbsorptionPercent;
        m_timeToLive = other.m_timeToLive;
        m_totalTimeToLive = other.m_totalTimeToLive;
        m_skillEnhancement = other.m_skillEnhancement;
    }
    return *this;
}

void SkillBuff::OnDestroy()
{
    if (m_filterHolder) {
        m_filterHolder->RemoveCombatFilter(this);
        m_filterHolder = nullptr;
    }
    Skill::OnDestroy();
}

void SkillBuff::Install(Character* target)
{
    if (!target)
        return;
    // Installed again, it is listed once, and never in two characters' lists.
    if (m_filterHolder && m_filterHolder != &target->GetCombatManager())
        m_filterHolder->RemoveCombatFilter(this);
    m_filterHolder = &target->GetCombatManager();
    target->AddCombatFilter(this);
    if (m_skillEnhancement != 0)
        target->RemoveAllSkillLevelAugment(m_skillEnhancement, GetObjectName());
    const SkillProfile* profile = GetSkillProfile();
    m_skillEnhancement = profile ? TruncateToInt(profile->GetSkillEnhancement(GetCurrentLevel())) : 0;
    if (m_skillEnhancement < 0)
        m_skillEnhancement = 0;   // the augment counts levels up only
    if (m_skillEnhancement != 0)
        target->SetAllSkillLevelAugment(m_skillEnhancement, GetObjectName());
    ApplyBuffOtherEffects(*target, true);
}

void SkillBuff::UnInstall(Character* target)
{
    if (m_filterHolder) {
        m_filterHolder->RemoveCombatFilter(this);
        m_filterHolder = nullptr;
    }
    if (!target)
        return;
    if (m_skillEnhancement != 0)
        target->RemoveAllSkillLevelAugment(m_skillEnhancement, GetObjectName());
    m_skillEnhancement = 0;
    ApplyBuffOtherEffects(*target, false);
}

void SkillBuff::RequestRemoval()
{
    SkillManagerBase* manager = GetManager();
    if (SkillServicesBase* services = manager ? manager->GetSkillServices() : nullptr)
        services->RemoveSkillBuff(GetObjectName());
}

void SkillBuff::DispelUnlessProtected()
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !profile->GetNotDispelSetting())
        RequestRemoval();
}

void SkillBuff::Update(Character& owner, int elapsedMs)
{
    Skill::Update(owner, elapsedMs);
    if (m_totalTimeToLive == 0)
        return;
    m_timeToLive = static_cast<int>(std::max<int64_t>(int64_t{m_timeToLive} - elapsedMs, INT32_MIN));
    if (m_timeToLive < 0)
        RequestRemoval();
}

int SkillBuff::GetReplicaTimeToLive() const
{
    if (m_totalTimeToLive == 0)
        return 0;
    return std::max(m_timeToLive, 1);
}

unsigned SkillBuff::GetCurrentLevel() const
{
    return m_activeState.subLevel > 0 ? static_cast<unsigned>(m_activeState.subLevel) : 0u;
}

void SkillBuff::ReceiveActiveUpdate(Character& owner, const SkillActiveState& state, bool restoring)
{
    Skill::ReceiveActiveUpdate(owner, state, restoring);
    if (!restoring)
        PlayCastSounds(owner.GetCoords().GetPosition(), state.active);
    ApplyCastVisualEffects(owner, state.active);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
    InitializeBuff();
}

void SkillBuff::InitializeBuff()
{
    const SkillProfile* profile = GetSkillProfile();
    if (IsSkillEnabled() && profile) {
        m_damageAbsorption = profile->GetDamageAbsorption(GetCurrentLevel());
        m_damageAbsorptionPercent = profile->GetDamageAbsorptionPercent(GetCurrentLevel());
    } else {
        m_damageAbsorption = 0.0f;
        m_damageAbsorptionPercent = 0.0f;
    }
}

float SkillBuff::ModifyDamage(float damage, CombatAttributeType type)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !profile->IsQualifyingDamage(type))
        return damage;
    return ShieldFilterDamage(damage, m_damageAbsorptionPercent, m_damageAbsorption);
}

template <class Collect>
void SkillBuff::CollectWhileActive(Collect collect) const
{
    if (!m_activeState.active)
        return;
    if (const SkillProfile* profile = GetSkillProfile())
        collect(*profile, GetCurrentLevel());
}

void SkillBuff::CollectPassiveCharAttributes(CharAttributeAccumulator& acc) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetCharAttributes(acc, level);
        AddModifierCharAttributes(acc);
    });
}

void SkillBuff::CollectPassiveSkillAttributes(SkillAttributeAccumulator& acc) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetSkillAttributes(acc, level);
        AddModifierSkillAttributes(acc);
    });
}

void SkillBuff::CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator& acc) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetOffensiveDamageAttributes(acc, level);
        AddModifierOffensiveDamageAttributes(acc);
    });
}

void SkillBuff::CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator& acc) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetOffensiveModifierAttributes(acc, level);
        AddModifierOffensiveModifierAttributes(acc);
    });
}

void SkillBuff::CollectPassiveRetaliationAttributes(CombatAttributeAccumulator& acc) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetRetaliationAttributes(acc, level);
        AddModifierRetaliationAttributes(acc);
    });
}

void SkillBuff::CollectPassiveDefenseAttributes(CombatAttributeAccumulator& acc) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetDefenseAttributes(acc, level);
        AddModifierDefenseAttributes(acc);
    });
}

void SkillBuff::CollectPassiveRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetRacialBonusDamage(races, bonus, level);
        AddModifierRacialBonusDamage(races, bonus);
    });
}

void SkillBuff::CollectPassiveRacialBonusDefense(const std::vector<std::string>& races,
                                                 RacialBonus_Defense& bonus) const
{
    CollectWhileActive([&](const SkillProfile& p, unsigned level) {
        p.GetRacialBonusDefense(races, bonus, level);
        AddModifierRacialBonusDefense(races, bonus);
    });
}

// ---- The kinds -----------------------------------------------------------------------------

SkillBuff_Passive::SkillBuff_Passive()
{
    m_kindText = "^bSkill Buff Passive";
    m_disruptable = true;
}

SkillBuff_BuffImmobilize::SkillBuff_BuffImmobilize()
{
    m_kindText = "^bSkill Buff Immobilize";
    m_disruptable = false;
}

void SkillBuff_BuffImmobilize::Update(Character& owner, int elapsedMs)
{
    SkillBuff::Update(owner, elapsedMs);
    if (PulseDue(m_pulseCounter, m_pulseInterval, elapsedMs))
        HoldPulse(owner, CombatAttributeType_Immobilize, m_pulseDuration);
}

SkillBuff_PassiveShield::SkillBuff_PassiveShield()
{
    m_kindText = "^bSkill Buff Passive Shield";
    m_disruptable = true;
}

void SkillBuff_PassiveShield::InitializeBuff()
{
    SkillBuff::InitializeBuff();
    m_shieldLeft = m_damageAbsorption;
}

float SkillBuff_PassiveShield::ModifyDamage(float damage, CombatAttributeType type)
{
    const float passed = SkillBuff::ModifyDamage(damage, type);
    m_shieldLeft -= damage - passed;
    if (m_shieldLeft <= 0.0f) {
        // Worn out: the next update asks for its removal.
        m_timeToLive = 0;
        m_totalTimeToLive = 1;
    }
    return passed;
}

SkillBuff_Debuf::SkillBuff_Debuf()
{
    m_kindText = "^bSkill Buff Debuf";
    m_disruptable = false;
}

void SkillBuff_Debuf::Update(Character& holder, int elapsedMs)
{
    SkillBuff::Update(holder, elapsedMs);
    if (!PulseDue(m_tickCounter, m_tickInterval, elapsedMs))
        return;
    // Every peer rolls the same tick: the generator starts from the holder's id.
    RandomUniform random;
    random.Seed(holder.GetObjectId());
    ParametersCombat params(random);
    CollectCombatParameters(holder, &holder, static_cast<ParametersCombatStyle>(0), false, 0, params, 0.0f);
    params.attackerId = m_casterId;
    params.ragdollEffect = CharacterRagDoll::EffectData{};
    holder.TakeAttack(params);
}

SkillBuff_Contageous::SkillBuff_Contageous()
{
    m_kindText = "^bSkill Buff Contageous";
    m_disruptable = false;
    m_holderTeam.Set(1, 1);
}

void SkillBuff_Contageous::Install(Character* target)
{
    SkillBuff_Debuf::Install(target);
    if (!target)
        return;
    const SkillProfile* profile = GetSkillProfile();
    m_contagionCounter = profile ? profile->GetContagionInterval(GetCurrentLevel()) : 0;
    const unsigned spread = profile ? profile->GetContagionMaxSpread(GetCurrentLevel()) : 0u;
    m_spreadLeft = static_cast<int>(std::min<unsigned>(spread, INT32_MAX));
    m_holderTeam = target->GetTeam();
}

void SkillBuff_Contageous::Update(Character& holder, int elapsedMs)
{
    SkillBuff_Debuf::Update(holder, elapsedMs);
    m_contagionCounter -= elapsedMs;
    if (!m_activeState.transition || m_contagionCounter >= 1)
        return;
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !gGameEngine)
        return;
    const unsigned level = GetCurrentLevel();
    m_contagionCounter = profile->GetContagionInterval(level);
    const float radius = profile->GetContagionRadius(level);
    unsigned limit = profile->GetContagionLimit(level);
    std::vector<unsigned> targets;
    if (radius > 0.0f)
        gGameEngine->GetTargetsInRadius(m_holderTeam, holder.GetCoords().GetPosition(), radius, targets,
                                        holder.GetObjectId(), true);
    if (targets.empty())
        return;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    SkillBuffTransferLease lease;
    SkillBuffTransfer& transfer = *lease;
    FillBuffTransfer(transfer, GetObjectName(), level, ExactSecondsToMs(modifiers.activeDuration),
                     holder.GetObjectId());
    const ObjectManager& objects = ObjectManager::Get();
    for (unsigned id : targets) {
        if (limit == 0)
            break;
        Character* next = objects.GetObject<Character>(id);
        if (!next || !next->IsAlive() || next->GetSkillManager().IsSkillBuffActive(transfer.buffName))
            continue;
        next->ControllerAddSkillBuff(transfer, profile->GetQualifyingWeapons(), profile->GetQualifyingDualWeapons());
        --limit;
        // Its allowance spent, it infects nobody more, in this walk or later.
        if (--m_spreadLeft < 1) {
            SetActiveState(SkillActiveState(m_activeState.subLevel, m_activeState.active, false));
            break;
        }
    }
}

SkillBuff_DebufTrap::SkillBuff_DebufTrap()
{
    m_kindText = "^bSkill DeBuff Trap";
    m_disruptable = false;
}

CombatAttributeType SkillBuff_DebufTrap::PulseType() const { return CombatAttributeType_Trap; }

void SkillBuff_DebufTrap::Install(Character* target)
{
    SkillBuff_Debuf::Install(target);
    SkillManagerBase* manager = GetManager();
    if (!target || !manager || !manager->GetSkillServices())
        return;
    CombatAttributeAccumulator defences;
    defences.SetSeed(gGameEngine ? gGameEngine->GetRandomSeed() : 0u);
    target->GetAllDefenseAttributes(defences);
    defences.ProcessDefense(*target, 0.0f, 0.0f, 0.0f, 0.0f);
    const float resistance = GetResistance(defences);
    if (resistance > 0.0f)
        m_timeToLive = TruncateToInt(m_timeToLive - static_cast<double>(resistance) * 0.01 * m_timeToLive);
    target->PlayStunSound();
}

float SkillBuff_DebufTrap::GetResistance(CombatAttributeAccumulator& accumulator)
{
    return accumulator.GetTotalDefenseType(PulseType());
}

void SkillBuff_DebufTrap::Update(Character& holder, int elapsedMs)
{
    SkillBuff_Debuf::Update(holder, elapsedMs);
    if (PulseDue(m_pulseCounter, m_pulseInterval, elapsedMs))
        ApplyBuffDamage(holder);
}

void SkillBuff_DebufTrap::ApplyBuffDamage(Character& holder) { HoldPulse(holder, PulseType(), m_pulseDuration); }

SkillBuff_DebufFreeze::SkillBuff_DebufFreeze()
{
    m_kindText = "^bSkill DeBuff Freeze";
    m_disruptable = false;
}

CombatAttributeType SkillBuff_DebufFreeze::PulseType() const { return CombatAttributeType_Freeze; }

}  // namespace GAME
