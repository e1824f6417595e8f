// Resolving one attack on the owner, from the hit roll to the life leech that goes back
// to the attacker, and applying each amount of damage.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <utility>

#include "Engine/Entity.h"
#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatArithmetic.h"
#include "Game/combat/CombatFilter.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/CombatTrace.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/items/Armor.h"
#include "Game/items/WeaponArmor_Shield.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {
using CombatArithmetic::kPercent;

constexpr const char* kFloatingTextEvent = "GameEvent_FloatingText";

const std::vector<std::string>& NoRaces()
{
    static const std::vector<std::string> none;
    return none;
}
}  // namespace

// A filter is a skill's: while it runs it may add or remove filters, itself included
// (a shield that breaks after one hit). The walk goes over a snapshot of the list, so no
// filter is skipped or called twice; a filter removed meanwhile is no longer called, one
// added meanwhile waits for the next walk.
template <class Visit>
bool CombatManager::ForEachCombatFilter(Visit visit)
{
    if (m_combatFilters.empty())
        return false;
    constexpr size_t kInlineFilters = 8;
    std::array<CombatFilter*, kInlineFilters> inlineCopy;
    std::vector<CombatFilter*> heapCopy;
    std::span<CombatFilter* const> snapshot;
    if (m_combatFilters.size() <= kInlineFilters) {
        std::copy(m_combatFilters.begin(), m_combatFilters.end(), inlineCopy.begin());
        snapshot = {inlineCopy.data(), m_combatFilters.size()};
    } else {
        heapCopy = m_combatFilters;
        snapshot = heapCopy;
    }
    const uint32_t changes = m_combatFiltersChanged;
    for (CombatFilter* filter : snapshot) {
        const bool listed = changes == m_combatFiltersChanged ||
                            std::find(m_combatFilters.begin(), m_combatFilters.end(), filter) != m_combatFilters.end();
        if (listed && visit(*filter))
            return true;
    }
    return false;
}

// What one attack carries from step to step.
struct CombatManager::AttackContext {
    AttackContext(ParametersCombat& attackParams, Character* attackAttacker, const EquipManager& owned)
        : params(attackParams), attacker(attackAttacker), equipment(owned)
    {
    }

    ParametersCombat& params;
    Character* attacker;   // null when the object manager no longer knows it
    EquippedItems equipment;   // the defender's, looked up once for the attack
    RandomUniform random;  // the defender's rolls
    // The attack as it arrived, for reflection. Taken only when it is needed.
    std::optional<ParametersCombat> reflection;
    CombatAttributeRegion arrivedRegion = CombatAttributeRegion_FullyProtected;
    float lifeBefore = 0.0f;
    float modifier = 1.0f;
    float pth = 0.0f;
    float blunt = 0.0f;
    float reflectPercent = 0.0f;
    bool invulnerable = false;
};

bool CombatManager::TakeAttack(ParametersCombat& params, SkillManager& skills)
{
    if (!m_owner || !m_owner->IsAlive())
        return false;
    m_owner->ResetAbsEffects();
    AttackContext attack(params, ObjectManager::Get().GetObject<Character>(params.attackerId), m_equipment);
    const EquippedItems* outerEquipment = std::exchange(m_attackEquipment, &attack.equipment);
    m_attackReport = {};
    const bool outerReporting = std::exchange(m_reporting, true);
    attack.lifeBefore = m_owner->GetCurrentLife();
    m_lifeLeechPercent = 0.0f;
    attack.random.Seed(params.randoms.Get(AttackRandoms::kDefenderSeed));

    KeepArrivedAttack(attack);
    CombatAttributeAccumulator& accumulator = params.accumulator;
    m_racialBonusDefense = {};
    accumulator.SetRegion(PickRegion(accumulator.GetRandomGen()));
    m_combatState = CombatManager_InCombat;
    m_combatStateTimer = m_combatStateDuration;
    m_durationDamage.SetAttacker(params.attackerId);
    m_attackerId = params.attackerId;

    TraceAttackStart(attack);
    RollHit(attack);
    if (attack.modifier > 0.0f)
        TestInvulnerability(attack);

    m_owner->GetAllDefenseAttributes(accumulator, attack.equipment);
    attack.reflectPercent = accumulator.GetTotalDefenseType(CombatAttributeType_Reflect);
    if (attack.reflectPercent > 0.0f)
        KeepAttackForReflection(attack);

    bool hit = false;
    if (attack.invulnerable) {
        GAME_COMBAT_TRACE("    ^bInvulnerable Shield in place\n");
        m_attackReport.outcome = AttackReport::Outcome::Invulnerable;
    } else if (attack.modifier == 0.0f) {
        GAME_COMBAT_TRACE("    Miss occured\n");
        m_attackReport.outcome = AttackReport::Outcome::Missed;
        if (attack.attacker)
            attack.attacker->GetPlayStats().IMissed();
        m_owner->GetPlayStats().IWasMissed();
    } else {
        m_attackReport.outcome = AttackReport::Outcome::Hit;
        ResolveHit(attack);
        hit = true;
    }
    // Its answers and the leech after are not the attack's damage.
    m_reporting = outerReporting;

    AbsorbEnergy(attack);
    AnswerAttack(attack, skills);
    ReturnLifeLeech(attack);
    GAME_COMBAT_TRACE("]\n");
    m_durationDamage.EndAttack();
    m_owner->DisarmAbsEffects();
    // The racial defence is against this attacker, for this attack: what is left of its
    // pool must not soak up later damage over time from anyone.
    m_racialBonusDefense = {};
    m_attackEquipment = outerEquipment;
    return hit;
}

// Reflection sends back the attack as it arrived. Until the defender's defences join it
// nothing changes its damage, so the copy waits until a reflection is known to follow
// (KeepAttackForReflection); an attack that arrived with defences of its own is copied at
// once, since the defender's may merge into them. The copy clones only what reflection
// carries back.
void CombatManager::KeepArrivedAttack(AttackContext& attack)
{
    const ParametersCombat& params = attack.params;
    const CombatAttributeAccumulator& accumulator = params.accumulator;
    attack.arrivedRegion = accumulator.GetRegion();
    if (params.combatType == ParametersCombatStyle::Direct)
        return;   // never reflected
    if (!accumulator.GetDefenses().empty() || !accumulator.GetDefenseModifiers().empty())
        attack.reflection.emplace(params, CombatAttributeAccumulator::ReflectionClones{.defenses = true});
}

// The copy without the defences the defender has added since: the attack as it arrived.
void CombatManager::KeepAttackForReflection(AttackContext& attack)
{
    if (attack.reflection || attack.params.combatType == ParametersCombatStyle::Direct)
        return;
    attack.reflection.emplace(attack.params, CombatAttributeAccumulator::ReflectionClones{.defenses = false});
    attack.reflection->accumulator.SetRegion(attack.arrivedRegion);
}

void CombatManager::TraceAttackStart(AttackContext& attack)
{
    GAME_COMBAT_TRACE("combat\n");
    GAME_COMBAT_TRACE("[\n");
    if (attack.attacker) {
        m_owner->ContributeRacialBonusDefense(attack.attacker->GetRace(), m_racialBonusDefense);
        GAME_COMBAT_TRACE("    attackerName = %s\n", attack.attacker->GetObjectName().c_str());
    }
    GAME_COMBAT_TRACE("    attackerID = %d\n", static_cast<int>(attack.params.attackerId));
    GAME_COMBAT_TRACE("    defenderName = %s\n", m_owner->GetObjectName().c_str());
    GAME_COMBAT_TRACE("    defenderID = %d\n", static_cast<int>(m_owner->GetObjectId()));
}

// Dodge and fumble, then probability to hit (melee); deflection (projectile).
void CombatManager::RollHit(AttackContext& attack)
{
    const ParametersCombat& params = attack.params;
    switch (params.combatType) {
    case ParametersCombatStyle::Probability: {
        GAME_COMBAT_TRACE("    combatType = Probability Attack\n");
        const bool dodged = CanIDodgeAttack(attack.random);
        if (dodged)
            attack.modifier = 0.0f;
        if (params.fumbleChance > 0.0f) {
            const float roll = attack.random.FGenerate(0.0f, kAvoidanceRollMax);
            if (roll < params.fumbleChance) {
                attack.modifier = 0.0f;
                GAME_COMBAT_TRACE("    ^yFumble Chance (%f) caused a miss\n", params.fumbleChance);
                return;
            }
            GAME_COMBAT_TRACE("    ^yFumble Chance (%f) not met (%f)\n", params.fumbleChance, roll);
        }
        if (!dodged) {
            const float defensiveAbility = DesignerCalculateDefensiveAbility(0.0f);
            attack.pth = DesignerCalculateProbabilityToHit(params.offensiveAbility, defensiveAbility);
            attack.modifier = CalculateDamageModifier(attack.pth, attack.random.FGenerate(0.0f, 1.0f));
        }
        break;
    }
    case ParametersCombatStyle::Projectile:
        GAME_COMBAT_TRACE("    combatType = Projectile Attack\n");
        if (CanIDeflectProjectile(attack.random))
            attack.modifier = 0.0f;
        break;
    default:
        GAME_COMBAT_TRACE("    combatType = Direct Attack\n");
        break;
    }
}

void CombatManager::TestInvulnerability(AttackContext& attack)
{
    const std::vector<std::string>& races = attack.attacker ? attack.attacker->GetRace() : NoRaces();
    attack.invulnerable =
        ForEachCombatFilter([&races](CombatFilter& filter) { return filter.ProvidesInvulnerability(races); });
    if (attack.invulnerable)
        GAME_COMBAT_TRACE("    ^ySkill provided Invulerability\n");
}

// Damage the owner takes while a collection is open goes into it, for the engine's damage
// register; a full list is registered and started again.
inline void CombatManager::RegisterDamage(float damage)
{
    DamageToRegister* pending = m_damageToRegister;
    if (pending && pending->attackerId == m_attackerId) {
        if (pending->count == DamageToRegister::kAmounts)
            FlushDamageToRegister(*pending);
        pending->amounts[pending->count++] = damage;
        return;
    }
    if (pending)
        FlushDamageToRegister(*pending);   // what came first is registered first
    if (gGameEngine)
        gGameEngine->RegisterDamage(m_owner->GetObjectId(), m_attackerId, {&damage, 1});
}

void CombatManager::FlushDamageToRegister(DamageToRegister& pending)
{
    if (pending.count != 0 && gGameEngine)
        gGameEngine->RegisterDamage(m_owner->GetObjectId(), pending.attackerId, {pending.amounts.data(), pending.count});
    pending.count = 0;
}

CombatManager::DamageToRegister* CombatManager::BeginRegisterTogether(DamageToRegister& pending, uint32_t attackerId)
{
    pending.attackerId = attackerId;
    pending.count = 0;
    DamageToRegister* outer = std::exchange(m_damageToRegister, &pending);
    if (outer)
        FlushDamageToRegister(*outer);
    return outer;
}

void CombatManager::EndRegisterTogether(DamageToRegister& pending, DamageToRegister* outer)
{
    FlushDamageToRegister(pending);
    m_damageToRegister = outer;
}

void CombatManager::ResolveHit(AttackContext& attack)
{
    // The damage of the hit is registered at its end, in one go. A hit that starts
    // another on this character meanwhile (an answer to itself) registers what came
    // before it first.
    const DamageRegisteredTogether registered(*this, m_attackerId);
    ResolveHitSteps(attack);
}

// Steps of a hit: defences, shield, racial defence, damage, statistics, critical hit.
void CombatManager::ResolveHitSteps(AttackContext& attack)
{
    ParametersCombat& params = attack.params;
    CombatAttributeAccumulator& accumulator = params.accumulator;
    attack.blunt = accumulator.ProcessBluntDamageModifier(attack.modifier);
    accumulator.ProcessDefense(*m_owner, 0.0f, FixedDamage(CombatAttributeType_DefensiveReduction),
                               FixedDamage(CombatAttributeType_TotalResistanceReductionPercent),
                               FixedDamage(CombatAttributeType_TotalResistanceReductionAbsolute));
    TryShieldBlock(attack);
    if (m_racialBonusDefense.percent > 0.0f) {
        accumulator.ReduceDamage(m_racialBonusDefense.percent);
        GAME_COMBAT_TRACE("    ^yRacial Bonus Percent Defense = %f\n", m_racialBonusDefense.percent);
    }
    accumulator.ExecuteDefense();

    float absolute = 0.0f;
    float overTime = 0.0f;
    accumulator.GetTotalDamage(absolute, overTime);
    GAME_COMBAT_TRACE("    Total Damage:  Absolute (%f), Over Time (%f)", absolute, overTime);
    ApplyRagdollPush(attack, absolute);
    accumulator.ExecuteDamage(*m_owner);

    GAME_COMBAT_TRACE("    ^bRacial Bonus Damage:  (%f)", params.racialBonusDamage);
    ApplyDamage(params.racialBonusDamage, {PlayStatsDamageKind_RacialBonus, CombatAttributeType_Unknown},
                CombatAttributeType_Unknown);
    CreditHitStatistics(attack);

    GAME_COMBAT_TRACE("    criticalStrike = %f\n", attack.modifier);
    GAME_COMBAT_TRACE("    regionHit = %s\n", GetCombatAttributeRegionWord(accumulator.GetRegion()));
    if (params.combatType == ParametersCombatStyle::Probability)
        PlayHitSounds(attack);
    if (attack.modifier > 1.0f)
        ShowCriticalHit(attack);
    accumulator.Clear();
    GAME_COMBAT_TRACE("\n");
}

void CombatManager::TryShieldBlock(AttackContext& attack)
{
    const ParametersCombatStyle type = attack.params.combatType;
    if (m_blockRecoveryTimer > 0)
        return;
    if (type != ParametersCombatStyle::Probability && type != ParametersCombatStyle::Projectile)
        return;
    WeaponArmor_Shield* shield = attack.equipment.Get<WeaponArmor_Shield>(m_equipment.GetLeftHandShield());
    if (!shield)
        return;
    CombatAttributeAccumulator& accumulator = attack.params.accumulator;
    const float blockChance = shield->GetShieldBlockChance();
    const float modifiers = accumulator.GetTotalDefenseType(CombatAttributeType_BlockModifier);
    const bool blocked = type == ParametersCombatStyle::Probability
                             ? DesignerCalculateMeleeBlockChance(blockChance, modifiers, attack.pth, attack.random)
                             : DesignerCalculateProjectileBlockChance(blockChance, modifiers, attack.pth, attack.random);
    if (!blocked)
        return;
    m_attackReport.blocked = true;
    accumulator.DamageReductionByShield(*m_owner, shield->GetShieldDefense(), shield->GetShieldAbsorption());
    shield->PlayBlockSound(m_owner->GetCoords().GetPosition());
    const float recovery = static_cast<float>(shield->GetShieldRecoveryTime());
    const float reduction = m_owner->GetTotalCharAttribute(CharAttributeType_DefensiveBlockRecoveryReduction);
    m_blockRecoveryTimer = TruncateToInt(recovery - recovery * reduction * kPercent);
}

// The push grows with the share of the defender's life the hit took. A defender without
// a positive life limit is not pushed (rather than pushed by an infinite amount).
void CombatManager::ApplyRagdollPush(AttackContext& attack, float absoluteDamage)
{
    const float lifeLimit = m_owner->GetLifeLimit();
    attack.params.ragdollEffect.speed = lifeLimit > 0.0f ? absoluteDamage * kRagdollPushScale / lifeLimit : 0.0f;
    m_owner->SetRagdollData(attack.params.ragdollEffect, false);
}

void CombatManager::CreditHitStatistics(AttackContext& attack)
{
    if (!attack.attacker || !attack.attacker->IsA<Player>())
        return;
    PlayStats& attackerStats = attack.attacker->GetPlayStats();
    CombatAttributeAccumulator::DamageByType absolute;   // filled for the types it returns
    CombatAttributeAccumulator::DamageByType overTime;
    // The types that have damage objects, lowest first.
    for (uint64_t types = attack.params.accumulator.GetTotalDamageByType(absolute, overTime); types != 0;
         types &= types - 1) {
        const auto t = static_cast<uint32_t>(std::countr_zero(types));
        const auto type = static_cast<CombatAttributeType>(t);
        if (absolute[t] != 0.0f)
            attackerStats.TallyDamageInflicted(absolute[t], {PlayStatsDamageKind_CombatAttributeType, type});
        if (overTime[t] != 0.0f)
            attackerStats.TallyDamageInflicted(overTime[t], {PlayStatsDamageKind_CombatAttributeType, type});
    }
    const float racial = attack.params.racialBonusDamage;
    if (racial != 0.0f)
        attackerStats.TallyDamageInflicted(racial, {PlayStatsDamageKind_RacialBonus, CombatAttributeType_Unknown});
    if (attack.modifier > 1.0f) {
        attackerStats.InflictCriticalHit();
        m_owner->GetPlayStats().ReceiveCriticalHit();
    }
}

void CombatManager::PlayHitSounds(AttackContext& attack)
{
    m_owner->PlayImpactSound();
    if (Armor* armor = attack.equipment.Get<Armor>(m_equipment.GetBodyArmor()))
        armor->PlayImpactSound(m_owner->GetCoords().GetPosition());
}

void CombatManager::ShowCriticalHit(AttackContext& attack)
{
    const WorldVec3 position = m_owner->GetCoords().GetPosition();
    if (SoundPak* sound = m_owner->GetCriticalHitSound())
        sound->Play(position);
    if (attack.blunt <= 0.0f || !gEngine->GetBoolOption(kCriticalHitTextOption) || !gGameEngine)
        return;
    const Player* mainPlayer = gGameEngine->GetMainPlayer();
    const char* styleKey = nullptr;
    if (mainPlayer && mainPlayer == m_owner)
        styleKey = "CriticalHitOnPlayerStyle";
    else if (mainPlayer && attack.attacker == mainPlayer)
        styleKey = "CriticalHitOnMonsterStyle";
    if (!styleKey)
        return;
    GameEvent_FloatingText event;
    event.text = LocalizationManager::Instance().Format("CriticalHitFormat", attack.blunt, attack.modifier);
    event.position = position;
    event.objectId = m_owner->GetObjectId();
    event.style = gGameEngine->GetDatabase().GetString(styleKey, "");
    EventManager::Get().Send(event, kFloatingTextEvent);
}

// Whatever became of the attack, the defender takes its share of the mana spent on it.
void CombatManager::AbsorbEnergy(AttackContext& attack)
{
    const float percent = m_owner->GetTotalCharAttribute(CharAttributeType_EnergyAbsorptionPercent);
    if (percent <= 0.0f)
        return;
    const float mana = percent * kPercent * attack.params.manaCost;
    if (mana > 0.0f)
        m_owner->AddManaSlow(mana);
}

// Retaliation, the defender's and its skills' reaction, reflection. Retaliation and
// reflection (direct attacks) are never answered, so two reflecting characters do not
// send damage back and forth for ever.
void CombatManager::AnswerAttack(AttackContext& attack, SkillManager& skills)
{
    ParametersCombat& params = attack.params;
    if (params.combatType == ParametersCombatStyle::Direct)
        return;
    if (params.combatType == ParametersCombatStyle::Probability)
        Retaliation(attack, skills);
    m_owner->UnderAttack(params.attackerId);
    skills.UnderAttack(params);
    if (attack.reflectPercent > 0.0f && attack.reflection) {
        GAME_COMBAT_TRACE("    ^b%f%% Damage Reflected\n", attack.reflectPercent);
        attack.reflection->accumulator.FilterReflectDamage();
        attack.reflection->accumulator.ScaleDamage(attack.reflectPercent);
        ReflectCombatDamage(*attack.reflection, params.attackerId);
    }
}

// The answer's randoms are the seven draws of a generator seeded from the attack. Their
// first value seeds the accumulator that gathers the owner's retaliation (stores roll
// their chances on it); the seven, and the answer itself, are made only when there is
// something to retaliate with, drawn afresh from the same seed, so they are the numbers
// an answer made at once would have.
void CombatManager::Retaliation(AttackContext& attack, SkillManager& skills)
{
    const uint32_t seed = attack.params.randoms.Get(AttackRandoms::kRetaliationSeed);
    RandomUniform source;
    source.Seed(seed);
    CombatAttributeAccumulator gathered;
    gathered.SetSeed(static_cast<uint32_t>(
        source.IGenerate(static_cast<int>(AttackRandoms::kDefaultMin), static_cast<int>(AttackRandoms::kDefaultMax))));
    m_owner->GetEquipRetaliationAttributes(gathered, attack.equipment);
    m_owner->ContributeItemSetRetaliationAttributes(gathered);
    m_owner->ContributeGameBalanceRetaliationAttributes(gathered);
    skills.GetRetaliationAttributes(gathered);
    gathered.ProcessDamage(*m_owner, 0.0f, 0.0f, 0.0f, 0.0f);
    if (gathered.IsEmpty())
        return;
    source.Seed(seed);
    AttackRandoms randoms;
    randoms.Fill(source);
    ParametersCombat retaliation(randoms, std::move(gathered));
    retaliation.combatType = ParametersCombatStyle::Direct;
    retaliation.attackerId = m_owner->GetObjectId();
    retaliation.offensiveAbility = DesignerCalculateOffensiveAbility(0.0f);
    if (attack.attacker)
        SendAnswer(retaliation, *attack.attacker, PlayStatsDamageKind_Retaliation);
}

void CombatManager::ReflectCombatDamage(ParametersCombat& copy, uint32_t targetId)
{
    if (copy.accumulator.IsEmpty())
        return;
    copy.combatType = ParametersCombatStyle::Direct;
    copy.attackerId = m_owner->GetObjectId();
    if (Character* target = ObjectManager::Get().GetObject<Character>(targetId))
        SendAnswer(copy, *target, PlayStatsDamageKind_Reflection);
}

// The total is read before the target resolves the answer: a hit empties the answer's
// accumulator. It is credited only when the answer hit, so damage an invulnerable or
// dead target never took is not counted either.
void CombatManager::SendAnswer(ParametersCombat& answer, Character& target, PlayStatsDamageKind kind)
{
    const bool credited = m_owner->IsA<Player>();
    float dealt = 0.0f;
    float overTime = 0.0f;
    if (credited)
        answer.accumulator.GetTotalDamage(dealt, overTime);
    const bool hit = target.TakeAttack(answer);
    if (credited && hit && dealt != 0.0f)
        m_owner->GetPlayStats().TallyDamageInflicted(dealt, {kind, CombatAttributeType_Unknown});
}

void CombatManager::ReturnLifeLeech(AttackContext& attack)
{
    if (m_lifeLeechPercent <= 0.0f || !attack.attacker)
        return;
    const float lost = attack.lifeBefore - m_owner->GetCurrentLife();
    if (lost <= 0.0f)
        return;
    const float amount = m_lifeLeechPercent * kPercent * lost;
    if (amount <= 0.0f)
        return;
    GAME_COMBAT_TRACE("    ^b%f%% Life Leech return %f Life\n", m_lifeLeechPercent, amount);
    Bonus bonus;
    bonus.lifePoints = amount;
    attack.attacker->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
}

// ---- Applying damage ---------------------------------------------------------------

bool CombatManager::ApplyDamage(float amount, const PlayStatsDamageType& damageType,
                                CombatAttributeType combatAttributeType)
{
    // Nothing to apply: no amount, or one that is not a finite number (which would pass
    // the tests below and make the owner's life not a number).
    if (!(amount > 0.0f && amount <= std::numeric_limits<float>::max()))
        return ApplyNoDamage(amount);
    if (!m_owner)
        return false;
    m_owner->FireAbsEffect(combatAttributeType);
    float damage = amount;
    if (m_racialBonusDefense.absolute > 0.0f) {
        const float filtered = std::min(m_racialBonusDefense.absolute, amount);
        GAME_COMBAT_TRACE("^y  Racial Bonus Defense (%f) filtered (%f) damage\n", m_racialBonusDefense.absolute,
                          filtered);
        m_racialBonusDefense.absolute -= filtered;
        damage = amount - filtered;
        if (damage <= 0.0f)
            return false;
    }
    if (!m_combatFilters.empty() && !FilterDamage(damage, combatAttributeType))
        return false;
    m_owner->SubtractLife(damage, damageType);
    if (m_reporting)
        m_attackReport.lifeTaken += damage;
    GAME_COMBAT_TRACE("^y    Damage %f to Defender 0x%x\n", damage, m_owner->GetObjectId());
    RegisterDamage(damage);
    return true;
}

bool CombatManager::ApplyNoDamage(float amount)
{
    if (!std::isfinite(amount) && !m_nonFiniteWarned.test(kDamageWarning)) {
        m_nonFiniteWarned.set(kDamageWarning);
        gEngine->Log(LOG_WARNING, "CombatManager: damage %f is not a finite number; it counts as 0", amount);
    }
    return true;
}

// The damage the filters let through, in list order; false when one let nothing through.
// A filter that lets through what is not a finite number lets nothing through.
bool CombatManager::FilterDamage(float& damage, CombatAttributeType combatAttributeType)
{
    AttackReport* const report = m_reporting ? &m_attackReport : nullptr;
    const bool stopped = ForEachCombatFilter([&damage, combatAttributeType, report](CombatFilter& filter) {
        const float before = damage;
        damage = filter.ModifyDamage(damage, combatAttributeType);
        const bool none = !(damage > 0.0f) || !std::isfinite(damage);
        const float passed = none ? 0.0f : damage;
        if (report && passed < before) {
            report->absorbed += before - passed;
            const auto* skill = dynamic_cast<const Object*>(&filter);
            report->absorbedBy = skill ? skill->GetObjectId() : 0;
        }
        return none;
    });
    return !stopped;
}

}  // namespace GAME
