#include "Game/skills/SkillWeaponPool.h"

#include <algorithm>
#include <limits>

#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttribute.h"
#include "Game/core/foundation/AimSolver.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillActivatedWeaponPool, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_WeaponPool_BasicAttack, SkillActivatedWeaponPool)
GAME_IMPLEMENT_CLASS(Skill_WeaponPool_Default, SkillActivatedWeaponPool)
GAME_IMPLEMENT_CLASS(Skill_WeaponPool_ChargedFinale, SkillActivatedWeaponPool)
GAME_IMPLEMENT_CLASS(Skill_WeaponPool_ChargedLinear, SkillActivatedWeaponPool)
// Built on the weapon road, registered under the activated skills as its siblings are.
GAME_IMPLEMENT_CLASS(Skill_WPAttack, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_WPAttack_BasicAttack, Skill_WPAttack)


// ---- The pool skill ------------------------------------------------------------------------

SkillActivatedWeaponPool::SkillActivatedWeaponPool() = default;

std::vector<SkillActivatedWeaponPool::PoolEntry> SkillActivatedWeaponPool::WeighPool(
    const std::vector<uint32_t>& attacks, uint32_t defaultId, unsigned defaultWeight)
{
    // The sums stay within a draw's range however large a record's weights are: past it
    // every later entry sits at the cap and is never reached before the one at it.
    constexpr int64_t kCap = std::numeric_limits<int32_t>::max();
    std::vector<PoolEntry> entries;
    entries.reserve(attacks.size() + 1);
    int64_t sum = 0;
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : attacks) {
        const Skill* attack = objects.GetObject<Skill>(id);
        if (!attack || attack->GetCurrentLevel() == 0)
            continue;
        const unsigned weight = attack->GetChanceWeight(false);
        if (weight == 0)
            continue;
        sum = std::min<int64_t>(sum + weight, kCap);
        entries.push_back({id, sum});
    }
    const int64_t fill = std::max<int64_t>(100 - sum, static_cast<int64_t>(defaultWeight));
    entries.push_back({defaultId, std::min<int64_t>(sum + fill, kCap)});
    return entries;
}

uint32_t SkillActivatedWeaponPool::PickPoolAttack(const std::vector<uint32_t>& attacks, uint32_t defaultId,
                                                  unsigned defaultWeight, RandomUniform& random)
{
    const std::vector<PoolEntry> entries = WeighPool(attacks, defaultId, defaultWeight);
    const int64_t total = entries.back().runningSum;
    const int64_t draw = random.IGenerate(0, static_cast<int>(total));
    for (const PoolEntry& entry : entries) {
        if (entry.runningSum >= draw)
            return entry.skillId;
    }
    return 0;
}

Skill_WPAttack* SkillActivatedWeaponPool::GetChosenAttack() const
{
    return m_chosenAttackId ? ObjectManager::Get().GetObject<Skill_WPAttack>(m_chosenAttackId) : nullptr;
}

void SkillActivatedWeaponPool::Update(Character& owner, int elapsedMs)
{
    SkillActivated::Update(owner, elapsedMs);
    const SkillManagerBase* manager = GetManager();
    m_rangedWeapon = manager && manager->IsRangedWeapon();
    m_weaponRange = m_rangedWeapon ? manager->GetWeaponRangeProfile() : Skill_RangeMelee;
}

void SkillActivatedWeaponPool::PlaySkillSound1(const WorldVec3& position) const
{
    if (const Skill_WPAttack* chosen = GetChosenAttack())
        chosen->PlaySkillSound1(position);
    else
        SkillActivated::PlaySkillSound1(position);
}

void SkillActivatedWeaponPool::PlaySkillSound2(const WorldVec3& position) const
{
    if (const Skill_WPAttack* chosen = GetChosenAttack())
        chosen->PlaySkillSound2(position);
    else
        SkillActivated::PlaySkillSound2(position);
}

void SkillActivatedWeaponPool::TargetInformation(const ProjectileInfo& info, const WorldCoords&,
                                                 std::vector<uint32_t> targets)
{
    SendProjectileTargets(info, targets);
}

bool SkillActivatedWeaponPool::GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point,
                                              bool fromUser, float range) const
{
    if (m_rangedWeapon)
        return GetValidRangedTarget(user, target, point, fromUser, range);
    return GetValidMeleeTarget(user, target, point, fromUser, range, false);
}

bool SkillActivatedWeaponPool::StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint,
                                           unsigned seed, const TargetLeadingData& leading)
{
    SkillManagerBase* manager = GetManager();
    RandomUniform random;
    random.Seed(seed);
    m_chosenAttackId = manager ? manager->SelectWeaponPoolSkill(random) : 0;
    Skill_WPAttack* chosen = GetChosenAttack();
    if (!chosen)
        return false;
    m_leading = leading;
    chosen->SetParentSkillId(GetObjectId());
    return chosen->StartAction(attacker, targetId, targetPoint, seed, m_leading);
}

void SkillActivatedWeaponPool::SwipeAction(Character& attacker, const Name& event, unsigned targetId,
                                           const WorldVec3& point)
{
    if (Skill_WPAttack* chosen = GetChosenAttack())
        chosen->SwipeAction(attacker, event, targetId, point);
}

void SkillActivatedWeaponPool::HitAction(Character& attacker, const Name& event, unsigned targetId,
                                         const WorldVec3& point)
{
    Skill_WPAttack* chosen = GetChosenAttack();
    if (!chosen)
        return;
    // A led shot aims at the point ahead of its target when there is one.
    if (m_leading.leading != 0) {
        const WorldVec3 ahead = GetTargetLeadingPoint(m_leading.attackerId, m_leading.targetId, 0.7f);
        if (ahead.GetRegion()) {
            chosen->HitAction(attacker, event, 0, ahead);
            return;
        }
    }
    chosen->HitAction(attacker, event, targetId, point);
}

bool SkillActivatedWeaponPool::EndAction(Character& attacker)
{
    Skill_WPAttack* chosen = GetChosenAttack();
    return chosen ? chosen->EndAction(attacker) : true;
}

Skill_WeaponPool_BasicAttack::Skill_WeaponPool_BasicAttack()
{
    m_kindText = "^bBasic Weapon Attack";
    m_primary = true;
    m_useDefaultWhenOutOfMana = true;
}

Skill_WeaponPool_Default::Skill_WeaponPool_Default()
{
    m_kindText = "^bDefault Weapon Attack";
    m_primary = true;
    m_defaultSkill = true;
    SetSkillEnabled(true);
}

bool Skill_WeaponPool_Default::SetAvailability(bool, bool)
{
    SetReason(Skill_Usable);
    return true;
}

// ---- The charge ----------------------------------------------------------------------------

unsigned SkillWeaponPoolCharge::GetReplicatedChargeLevel() const
{
    return m_activeState.subLevel > 0 ? static_cast<unsigned>(m_activeState.subLevel) : 0u;
}

unsigned SkillWeaponPoolCharge::GetFullCharge() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetMaxChargeLevel(GetCurrentLevel()) : 0u;
}

int SkillWeaponPoolCharge::ChargeDurationOf(unsigned level) const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? TruncateToInt(profile->GetChargeDuration(level)) : 0;
}

void SkillWeaponPoolCharge::SendChargeLevel()
{
    if (SkillServicesBase* services = GetServices())
        services->SendSkillActiveUpdate(GetObjectId(),
                                        SkillActiveState(static_cast<int32_t>(std::min<unsigned>(
                                                             m_chargeLevel, std::numeric_limits<int32_t>::max())),
                                                         false, false));
}

bool SkillWeaponPoolCharge::TickChargeTimer(int elapsedMs)
{
    if (!GetServices())
        return false;
    m_chargeTimer = static_cast<int>(
        std::max<int64_t>(static_cast<int64_t>(m_chargeTimer) - elapsedMs, std::numeric_limits<int32_t>::min()));
    return true;
}

bool SkillWeaponPoolCharge::PayForHits(const std::vector<uint32_t>& targets)
{
    if (targets.empty())
        return false;
    SubtractManaCost();
    StartCooldown();
    return true;
}

// ---- Finale --------------------------------------------------------------------------------

Skill_WeaponPool_ChargedFinale::Skill_WeaponPool_ChargedFinale()
{
    m_kindText = "^bCharging Weapon Attack with Finale";
    m_primary = true;
    m_useDefaultWhenOutOfMana = true;
    m_useDefaultWhenCooling = true;
    m_wpUsesParentResources = false;
}

bool Skill_WeaponPool_ChargedFinale::IsFinaleDue() const
{
    return GetReplicatedChargeLevel() >= GetFullCharge();
}

void Skill_WeaponPool_ChargedFinale::WPAttackCallback(Character&, const std::vector<uint32_t>& targets)
{
    if (!PayForHits(targets) || !GetServices())
        return;
    if (m_chargeLevel < std::numeric_limits<int32_t>::max())
        ++m_chargeLevel;
    SendChargeLevel();
    m_chargeTimer = ChargeDurationOf(m_chargeLevel);
}

void Skill_WeaponPool_ChargedFinale::Update(Character& owner, int elapsedMs)
{
    SkillActivatedWeaponPool::Update(owner, elapsedMs);
    if (TickChargeTimer(elapsedMs)) {
        if (m_chargeLevel > 0 && m_chargeTimer < 1) {
            m_chargeLevel = 0;
            SendChargeLevel();
        }
    }
    if (m_chargeLevel != 0)
        NotifyUIOnActivate();
}

bool Skill_WeaponPool_ChargedFinale::StartAction(Character& attacker, unsigned targetId,
                                                 const WorldVec3& targetPoint, unsigned seed,
                                                 const TargetLeadingData& leading)
{
    if (!IsFinaleDue())
        return SkillActivatedWeaponPool::StartAction(attacker, targetId, targetPoint, seed, leading);
    m_chosenAttackId = 0;
    const SkillManagerBase* manager = GetManager();
    const float speed = manager ? manager->GetAttackSpeed() : 1.0f;
    if (StartSpecialAnimation(attacker, speed, false))
        return true;
    return StartNormalAnimation(attacker, AnimationSet_Attack, Name(), speed, false, 0);
}

void Skill_WeaponPool_ChargedFinale::SwipeAction(Character& attacker, const Name& event, unsigned targetId,
                                                 const WorldVec3& point)
{
    if (IsFinaleDue())
        PlaySwipeSound(attacker.GetCoords().GetPosition());
    else
        SkillActivatedWeaponPool::SwipeAction(attacker, event, targetId, point);
}

void Skill_WeaponPool_ChargedFinale::HitAction(Character& attacker, const Name& event, unsigned targetId,
                                               const WorldVec3& point)
{
    if (!IsFinaleDue()) {
        SkillActivatedWeaponPool::HitAction(attacker, event, targetId, point);
        return;
    }
    // A finale that strikes nobody keeps the charge for the next use.
    if (StrikeWithEventWeapon(attacker, event, targetId, point) && GetServices()) {
        m_chargeLevel = 0;
        SendChargeLevel();
        m_chargeTimer = 0;
    }
}

void Skill_WeaponPool_ChargedFinale::TargetResult(Character& user, const std::vector<uint32_t>& targets,
                                                  const WorldCoords& coords, unsigned seed, unsigned weaponId,
                                                  bool melee)
{
    if (melee)
        ApplyMeleeDamage(user, targets, coords, seed, weaponId);
    else
        ApplyRangedDamage(user, targets, coords, seed, weaponId);
}

void Skill_WeaponPool_ChargedFinale::StopSkill(Character&)
{
    if (!GetServices())
        return;
    m_chargeLevel = 0;
    SendChargeLevel();
    NotifyUIOnDeactivate();
}

void Skill_WeaponPool_ChargedFinale::ReceiveActiveUpdate(Character& user, const SkillActiveState& state,
                                                         bool restoring)
{
    SkillActivatedWeaponPool::ReceiveActiveUpdate(user, state, restoring);
    const unsigned level = GetReplicatedChargeLevel();
    // Kept as the game has always played it: a raised charge pays the mana cost here on
    // every peer, on top of the payment the hit's report made on the controlling one.
    if (!restoring && level >= 1)
        SubtractManaCost();
    if (m_chargeAura != 0) {
        user.RemoveAura(m_chargeAura);
        m_chargeAura = 0;
    }
    const SkillProfile* profile = GetSkillProfile();
    if (profile && !profile->GetChargeAuraName(level).empty())
        m_chargeAura = user.AddAura(profile->GetChargeAuraName(level), true, 0);
}

// ---- Linear --------------------------------------------------------------------------------

Skill_WeaponPool_ChargedLinear::Skill_WeaponPool_ChargedLinear()
{
    m_kindText = "^bCharging Weapon Attack - Linear";
    m_primary = true;
    m_useDefaultWhenOutOfMana = true;
    m_useDefaultWhenCooling = true;
}

void Skill_WeaponPool_ChargedLinear::Raise()
{
    if (m_chargeLevel < GetFullCharge())
        ++m_chargeLevel;
    m_chargeTimer = ChargeDurationOf(m_chargeLevel);
}

void Skill_WeaponPool_ChargedLinear::Lower()
{
    if (m_chargeLevel > 0)
        --m_chargeLevel;
    m_chargeTimer = ChargeDurationOf(m_chargeLevel);
}

void Skill_WeaponPool_ChargedLinear::Reset()
{
    m_chargeLevel = 0;
    m_chargeTimer = ChargeDurationOf(0);
}

unsigned Skill_WeaponPool_ChargedLinear::EffectLevel() const
{
    return std::min(GetReplicatedChargeLevel(), GetFullCharge());
}

void Skill_WeaponPool_ChargedLinear::WPAttackCallback(Character&, const std::vector<uint32_t>& targets)
{
    if (!PayForHits(targets) || !GetServices())
        return;
    Raise();
    SendChargeLevel();
}

void Skill_WeaponPool_ChargedLinear::Update(Character& owner, int elapsedMs)
{
    SkillActivatedWeaponPool::Update(owner, elapsedMs);
    if (TickChargeTimer(elapsedMs)) {
        if (IsSkillEnabled()) {
            if (m_chargeLevel > 0 && m_chargeTimer < 1) {
                Lower();
                SendChargeLevel();
            }
        } else if (m_chargeLevel != 0) {
            Reset();
            SendChargeLevel();
        }
    }
    if (m_chargeLevel != 0)
        NotifyUIOnActivate();
}

void Skill_WeaponPool_ChargedLinear::StopSkill(Character&)
{
    if (!GetServices())
        return;
    Reset();
    SendChargeLevel();
}

void Skill_WeaponPool_ChargedLinear::ReceiveActiveUpdate(Character& user, const SkillActiveState& state,
                                                         bool restoring)
{
    const unsigned previous = GetReplicatedChargeLevel();
    SkillActivatedWeaponPool::ReceiveActiveUpdate(user, state, restoring);
    // As the finale kind: a raised charge pays again where it arrives.
    if (!restoring && GetReplicatedChargeLevel() > previous)
        SubtractManaCost();
    if (m_shownEffect != 0) {
        user.StopParticleEffect(m_shownEffect);
        m_shownEffect = 0;
    }
    // Effects up to the full charge only, whatever level a peer sent.
    const unsigned level = EffectLevel();
    if (level == 0)
        return;
    const SkillProfile* profile = GetSkillProfile();
    static const std::string kNoName;
    while (m_chargeEffects.size() < level) {
        const unsigned made = static_cast<unsigned>(m_chargeEffects.size()) + 1;
        const std::string& name = profile ? profile->GetChargeAuraName(made) : kNoName;
        m_chargeEffects.push_back(user.AddParticleEffect(name, kNoName));
    }
    m_shownEffect = m_chargeEffects[level - 1];
    user.StartParticleEffect(m_shownEffect);
}

// While charged, each family adds the record's values read at the charge level, then what
// the modifier skills add.
std::optional<unsigned> Skill_WeaponPool_ChargedLinear::CollectedLevel() const
{
    const unsigned level = EffectLevel();
    if (level == 0 || !GetSkillProfile())
        return std::nullopt;
    return level;
}

// ---- Pooled attacks ------------------------------------------------------------------------

Skill_WPAttack::Skill_WPAttack() { m_kindText = "^bBasic Weapon Attack"; }

unsigned Skill_WPAttack::GetChanceWeight(bool evenDisabled) const
{
    if (!IsSkillEnabled() && !evenDisabled)
        return 0;
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetChanceWeight(GetCurrentLevel()) : 0;
}

bool Skill_WPAttack::SetAvailability(bool, bool) { return SkillActivatedWeapon::SetAvailability(true, true); }

Skill* Skill_WPAttack::GetSharingParent() const
{
    if (m_parentSkillId == 0 || m_parentSkillId == GetObjectId())
        return nullptr;
    Skill* parent = ObjectManager::Get().GetObject<Skill>(m_parentSkillId);
    return parent && parent->ShouldWpUseParentResources() ? parent : nullptr;
}

float Skill_WPAttack::GetTotalSkillAttribute(SkillAttributeType type) const
{
    const float own = SkillActivatedWeapon::GetTotalSkillAttribute(type);
    const Skill* parent = GetSharingParent();
    return parent ? own + parent->GetTotalSkillAttribute(type) : own;
}

void Skill_WPAttack::GetSkillModifierData(SkillProfile_Modifiers& out) const
{
    SkillActivatedWeapon::GetSkillModifierData(out);
    if (const Skill* parent = GetSharingParent())
        parent->GetSkillModifierData(out);
}

void Skill_WPAttack::AddProjectileModifier(ProjectileBase* projectile) const
{
    SkillActivatedWeapon::AddProjectileModifier(projectile);
    if (const Skill* parent = GetSharingParent())
        parent->AddProjectileModifier(projectile);
}

void Skill_WPAttack::PlaySwipeSound(const WorldVec3& position) const
{
    SkillActivatedWeapon::PlaySwipeSound(position);
    if (const Skill* parent = GetSharingParent())
        parent->PlaySwipeSound(position);
}

void Skill_WPAttack::PlayHitSound(const WorldVec3& position) const
{
    SkillActivatedWeapon::PlayHitSound(position);
    if (const Skill* parent = GetSharingParent())
        parent->PlayHitSound(position);
}

void Skill_WPAttack::CreateTargetFx(const WorldCoords& coords)
{
    SkillActivatedWeapon::CreateTargetFx(coords);
    if (Skill* parent = GetSharingParent())
        parent->CreateTargetFx(coords);
}

void Skill_WPAttack::CollectLocalOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    SkillActivatedWeapon::CollectLocalOffensiveDamageAttributes(accumulator);
    if (const Skill* parent = GetSharingParent())
        parent->CollectLocalOffensiveDamageAttributes(accumulator);
}

void Skill_WPAttack::CollectLocalOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    SkillActivatedWeapon::CollectLocalOffensiveModifierAttributes(accumulator);
    if (const Skill* parent = GetSharingParent())
        parent->CollectLocalOffensiveModifierAttributes(accumulator);
}

Skill_WPAttack_BasicAttack::Skill_WPAttack_BasicAttack() { m_kindText = "^bPooled Weapon Attack"; }

void Skill_WPAttack_BasicAttack::ActivateNow(Character& user, const Name& event, unsigned targetId,
                                             const WorldVec3& point)
{
    StrikeWithEventWeapon(user, event, targetId, point);
}

void Skill_WPAttack_BasicAttack::TargetResult(Character& user, const std::vector<uint32_t>& targets,
                                              const WorldCoords& coords, unsigned seed, unsigned weaponId,
                                              bool melee)
{
    if (melee)
        ApplyMeleeDamage(user, targets, coords, seed, weaponId);
    else
        ApplyRangedDamage(user, targets, coords, seed, weaponId);
    // The report goes to the pool skill that started this attack, empty or not.
    if (auto* pool = ObjectManager::Get().GetObject<SkillActivatedWeaponPool>(m_parentSkillId))
        pool->WPAttackCallback(user, targets);
}

}  // namespace GAME
