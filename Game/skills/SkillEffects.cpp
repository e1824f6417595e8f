// The skill's services to its kinds: sounds and effects on the user, effect packs at a
// point, animations and the rag-doll push, pets kept for descriptions, target
// searches, the parameters of one attack and the projectile modifier.
#include <cmath>

#include "Engine/Entity.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatTrace.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/Weapon.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/SkillWalk.h"
#include "Game/world/FxPak.h"

namespace GAME {

using skill_detail::CreateOwned;
using skill_detail::DestroyOwned;

namespace {

// The animation events and attach points this file compares against, made once.
struct EventNames {
    Name rightHandHit = Name::Create("RightHandHit");
    Name leftHandHit = Name::Create("LeftHandHit");
    Name specialHit[4] = {Name::Create("SpecialHit01"), Name::Create("SpecialHit02"), Name::Create("SpecialHit03"),
                          Name::Create("SpecialHit04")};
    Name swipeRight = Name::Create("SwipeRight");
    Name swipeLeft = Name::Create("SwipeLeft");
    Name rightHand = Name::Create("R Hand");
    Name leftHand = Name::Create("L Hand");
};

const EventNames& Events()
{
    static const EventNames names;
    return names;
}

const std::string& NoName()
{
    static const std::string none;
    return none;
}

// The place's region and position, without its turn: effect packs keep no orientation.
WorldCoords Unrotated(const WorldCoords& coords)
{
    return WorldCoords(coords.GetRegion(), Coords::MakeTranslation(coords.GetRegionCoords().origin));
}

// An effect pack from the record placed at the point; nothing for an empty name or a
// record of another class.
void PlaceFxPak(const std::string& recordName, const WorldCoords& coords)
{
    FxPak* pak = CreateOwned<FxPak>(recordName);
    if (pak && !World::Get().AddEntity(pak, Unrotated(coords)))
        DestroyOwned(pak, __LINE__);
}

TeamManager* Teams() { return gGameEngine ? gGameEngine->GetTeamManager() : nullptr; }

}  // namespace

// ---- Sounds --------------------------------------------------------------------------------

#define GAME_SKILL_SOUND(Operation, Slot)                         \
    void Skill::Operation(const WorldVec3& position) const        \
    {                                                             \
        if (SoundPak* sound = m_sounds[Slot])                     \
            sound->Play(position, 0, true);                       \
    }
GAME_SKILL_SOUND(PlayWarmUpSound, Sound_WarmUp)
GAME_SKILL_SOUND(PlaySwipeSound, Sound_Swipe)
GAME_SKILL_SOUND(PlayHitSound, Sound_Hit)
GAME_SKILL_SOUND(PlayActivateSound, Sound_Activate)
GAME_SKILL_SOUND(PlayDeactivateSound, Sound_Deactivate)
GAME_SKILL_SOUND(PlayCastSound, Sound_Cast)
GAME_SKILL_SOUND(PlayUnCastSound, Sound_UnCast)
GAME_SKILL_SOUND(PlaySkillSound1, Sound_Skill1)
GAME_SKILL_SOUND(PlaySkillSound2, Sound_Skill2)
#undef GAME_SKILL_SOUND

void Skill::PlayCastSounds(const WorldVec3& position, bool on) const
{
    if (on)
        PlayCastSound(position);
    else
        PlayUnCastSound(position);
}

void Skill::PlayActivatedSounds(const WorldVec3& position, bool on) const
{
    if (on)
        PlayActivateSound(position);
    else
        PlayDeactivateSound(position);
}

void Skill::PlayWeaponSwipeSound(Character& character, const Name& event)
{
    if (!m_manager)
        return;
    uint32_t weaponId = 0;
    if (event == Events().swipeRight)
        weaponId = m_manager->GetRightHandWeapon();
    else if (event == Events().swipeLeft)
        weaponId = m_manager->GetLeftHandWeapon();
    else
        return;
    if (const Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(weaponId))
        weapon->PlaySwipeSound(character.GetCoords().GetPosition());
    else
        character.PlayArmSwipeSound();
}

// ---- Effects on the user -------------------------------------------------------------------

namespace {

// Made on first use, then only started and stopped: the id stays with the skill.
void SwitchParticleEffect(Character& character, uint32_t& id, const std::string& name, const std::string& attachPoint,
                          bool on)
{
    if (on) {
        if (id == 0 && !name.empty())
            id = character.AddParticleEffect(name, attachPoint);
        if (id != 0)
            character.StartParticleEffect(id);
    } else if (id != 0) {
        character.StopParticleEffect(id);
    }
}

}  // namespace

void Skill::ParticleEffect1(Character& character, bool on)
{
    if (const SkillProfile* profile = GetSkillProfile())
        SwitchParticleEffect(character, m_particleEffect1Id, profile->GetParticleEffectName1(),
                             profile->GetParticleEffectAttachPoint1(), on);
}

void Skill::ParticleEffect2(Character& character, bool on)
{
    if (const SkillProfile* profile = GetSkillProfile())
        SwitchParticleEffect(character, m_particleEffect2Id, profile->GetParticleEffectName2(),
                             profile->GetParticleEffectAttachPoint2(), on);
}

void Skill::ParticleEffect3(Character& character, bool on)
{
    if (const SkillProfile* profile = GetSkillProfile())
        SwitchParticleEffect(character, m_particleEffect3Id, profile->GetParticleEffectName3(),
                             profile->GetParticleEffectAttachPoint3(), on);
}

void Skill::WarmUpEffect(Character& character, bool on)
{
    if (const SkillProfile* profile = GetSkillProfile())
        SwitchParticleEffect(character, m_warmUpEffectId, profile->GetWarmUpEffectName(),
                             profile->GetWarmUpEffectAttachPoint(), on);
}

void Skill::ApplyCastVisualEffects(Character& character, bool on)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    if (on) {
        if (m_castEffectId == 0 && !profile->GetCastAuraName().empty())
            m_castEffectId = character.AddParticleEffect(profile->GetCastAuraName(), NoName());
        if (m_castEffectId != 0)
            character.StartParticleEffect(m_castEffectId);
    } else if (m_castEffectId != 0) {
        character.RemoveParticleEffect(m_castEffectId);
        m_castEffectId = 0;
    }
    character.SetCharacterBuffFx(static_cast<CharacterBuff>(profile->GetCharBuffFxType()), on);
}

void Skill::ApplyActiveWorldVisualEffects(Character& character, bool on)
{
    World& world = World::Get();
    Entity* aura = ObjectManager::Get().GetObject<Entity>(m_worldAuraId);
    if (on) {
        if (aura) {
            // It follows the user.
            world.RemoveEntity(aura);
            world.AddEntity(aura, character.GetCoords());
            return;
        }
        const SkillProfile* profile = GetSkillProfile();
        Entity* made = profile ? CreateOwned<Entity>(profile->GetActiveAuraName()) : nullptr;
        if (made) {
            world.AddEntity(made, character.GetCoords());
            m_worldAuraId = made->GetObjectId();
        }
    } else if (aura) {
        world.RemoveEntity(aura);
        m_worldAuraId = 0;
        DestroyOwned(aura, __LINE__);
    }
}

void Skill::ApplyActivatedVisualEffects(Character& character, bool on)
{
    const SkillProfile* profile = GetSkillProfile();
    if (m_activeAuraId != 0) {
        character.RemoveAura(m_activeAuraId);
        m_activeAuraId = 0;
    }
    if (on && profile && !profile->GetActiveAuraName().empty())
        m_activeAuraId = character.AddAura(profile->GetActiveAuraName(), true, 0);
    if (profile)
        character.SetCharacterBuffFx(static_cast<CharacterBuff>(profile->GetCharBuffFxType()), on);
    ApplyBuffSelfEffects(character, on);
    // The modifiers switch their own buff effects on the same user.
    for (uint32_t id : m_modifiers)
        if (Skill_Modifier* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(id))
            static_cast<Skill*>(modifier)->ApplyBuffSelfEffects(character, on);
}

void Skill::ApplyBuffEffects(Character& character, bool on, bool self)
{
    if (!m_manager)
        return;
    const uint32_t id = GetObjectId();
    const SkillProfile* profile = GetSkillProfile();
    if (!on) {
        m_manager->RemoveWeaponEnchantment(id);
        m_manager->RemoveCharFxPak(id);
        if (self)
            CreateEndBuffSelfFx(character.GetCoords());
        else
            CreateEndBuffOtherFx(character.GetCoords());
        return;
    }
    // Its own pack, then each modifier's pack for buffs on others (on a self buff too).
    std::vector<std::string> names;
    if (const std::string& own = self ? GetBuffSelfCharFxPakName() : GetBuffOtherCharFxPakName(); !own.empty())
        names.push_back(own);
    for (uint32_t modifierId : m_modifiers)
        if (const Skill* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(modifierId))
            if (const std::string& name = modifier->GetBuffOtherCharFxPakName(); !name.empty())
                names.push_back(name);
    if (!names.empty())
        m_manager->AddCharFxPak(id, names);
    m_manager->RemoveWeaponEnchantment(id);
    if (profile && !profile->GetWeaponEnchantment(GetCurrentLevel()).empty())
        m_manager->AddWeaponEnchantment(id, profile->GetWeaponEnchantment(GetCurrentLevel()));
    if (!self && profile)
        m_endBuffOtherEffectName = profile->GetEndBuffOtherFxPakName(GetCurrentLevel());
}

void Skill::ApplyBuffSelfEffects(Character& character, bool on) { ApplyBuffEffects(character, on, true); }

void Skill::ApplyBuffOtherEffects(Character& character, bool on) { ApplyBuffEffects(character, on, false); }

const std::string& Skill::GetBuffSelfCharFxPakName() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetCharFxSelfName(GetCurrentLevel()) : NoName();
}

const std::string& Skill::GetBuffOtherCharFxPakName() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetCharFxOtherName(GetCurrentLevel()) : NoName();
}

// ---- Effect packs at a point ----------------------------------------------------------------

void Skill::CreateTargetFx(const WorldCoords& coords)
{
    if (const SkillProfile* profile = GetSkillProfile())
        PlaceFxPak(profile->GetTargetFxPakName(GetCurrentLevel()), coords);
    for (uint32_t id : m_modifiers)
        if (Skill_Modifier* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(id))
            modifier->CreateTargetFx(coords);
}

void Skill::CreateEndBuffSelfFx(const WorldCoords& coords)
{
    if (const SkillProfile* profile = GetSkillProfile())
        PlaceFxPak(profile->GetEndBuffSelfFxPakName(GetCurrentLevel()), coords);
    for (uint32_t id : m_modifiers)
        if (Skill_Modifier* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(id))
            modifier->CreateEndBuffSelfFx(coords);
}

void Skill::CreateEndBuffOtherFx(const WorldCoords& coords)
{
    // Played once per buff: the name is consumed whether or not the pack was made.
    const std::string name = std::move(m_endBuffOtherEffectName);
    m_endBuffOtherEffectName.clear();
    PlaceFxPak(name, coords);
    for (uint32_t id : m_modifiers)
        if (Skill_Modifier* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(id))
            modifier->CreateEndBuffOtherFx(coords);
}

// ---- Animation and rag doll ------------------------------------------------------------------

bool Skill::StartSpecialAnimation(Character& character, float speed, bool loop)
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || profile->GetSpecialAnimationName().IsEmpty())
        return false;
    AnimationSet* set = character.GetAnimationSet();
    if (!set || !set->PlayAnimationIfAvailable(character, AnimationSet_Special,
                                               profile->GetSpecialAnimationName(), speed, loop, 0))
        return false;
    CaptureAnimationRagDollInfo(character);
    return true;
}

bool Skill::StartNormalAnimation(Character& character, int type, const Name& name, float speed, bool loop,
                                 unsigned iterations)
{
    AnimationSet* set = character.GetAnimationSet();
    if (!set || !set->PlayAnimation(character, type, name, speed, loop, iterations))
        return false;
    CaptureAnimationRagDollInfo(character);
    return true;
}

void Skill::CaptureAnimationRagDollInfo(const Character& character)
{
    if (const GraphicsAnim* animation = character.GetCurrentAnimation()) {
        m_ragDollEffectType = animation->GetRagDollEffectType();
        m_ragDollDirection = animation->GetRagDollDirection();
        m_ragDollPush = animation->GetRagDollPush();
        m_ragDollElevation = animation->GetRagDollElevation();
    }
}

void Skill::InitRagDollData(CharacterRagDoll::EffectData& data, const WorldCoords& from, const WorldCoords& to) const
{
    const SkillProfile* profile = GetSkillProfile();
    std::string effect = profile ? profile->GetRagDollEffect() : std::string();
    Vec3 sum{};
    const WorldVec3 fromPosition = from.GetPosition();
    const WorldVec3 toPosition = to.GetPosition();
    if (m_ragDollEffectType == "TakeHit") {
        sum = sum + CharacterRagDoll::GetDirectionVec(m_ragDollDirection, fromPosition, toPosition) +
              CharacterRagDoll::GetPushVec(m_ragDollPush, from) + CharacterRagDoll::GetElevationVec(m_ragDollElevation);
        effect = m_ragDollEffectType;
    }
    if (profile)
        sum = sum + CharacterRagDoll::GetDirectionVec(profile->GetRagDollDirection(), fromPosition, toPosition) +
              CharacterRagDoll::GetPushVec(profile->GetRagDollPush(), from) +
              CharacterRagDoll::GetElevationVec(profile->GetRagDollElevation());
    // Written as "not above" so that a sum that is not a number has no direction either.
    const float length = sum.Length();
    const Vec3 direction = !(length > 0.0001f) || !std::isfinite(length) ? Vec3{} : sum * (1.0f / length);
    data.effect = CharacterRagDoll::GetEffectEnum(effect);
    data.direction = direction;
    data.amplification = profile ? profile->GetRagDollAmplification(GetCurrentLevel()) : 0.0f;
}

WorldCoords Skill::GetCoordsFromCallback(const Character& character, const Name& event) const
{
    const EventNames& names = Events();
    const Name* attachPoint = nullptr;
    if (event == names.rightHandHit)
        attachPoint = &names.rightHand;
    else if (event == names.leftHandHit)
        attachPoint = &names.leftHand;
    else
        for (const Name& special : names.specialHit)
            if (event == special)
                attachPoint = &special;
    if (!attachPoint)
        return character.GetCoords();
    Coords coords = character.GetCoords().GetRegionCoords();
    coords.origin = character.GetAttachPointPosition(*attachPoint).GetRegionPosition();
    return WorldCoords(character.GetRegion(), coords);
}

// ---- Pets kept for descriptions ---------------------------------------------------------------

void Skill::PreLoadPet()
{
    const unsigned level = GetCurrentLevel();
    const SkillProfile* profile = GetSkillProfile();
    for (Character** pet : {&m_pet, &m_nextPet}) {
        if (*pet) {
            if (m_manager)
                m_manager->PopPetInitialize(*pet);
            DestroyOwned(*pet, __LINE__);
            *pet = nullptr;
        }
    }
    if (!profile)
        return;
    const std::string& current = profile->GetSpawnObject(level);
    std::string next = profile->GetSpawnObject(level + 1);
    if (next == current)
        next.clear();   // the same record: no separate pet for the next level
    m_pet = CreateOwned<Character>(current);
    m_nextPet = CreateOwned<Character>(next);
    if (m_manager) {
        if (m_pet)
            m_manager->PushPetInitialize(m_pet);
        if (m_nextPet)
            m_manager->PushPetInitialize(m_nextPet);
    }
}

float Skill::GetPetExtents() const { return m_pet ? m_pet->GetExtents() + 2.0f : 2.0f; }

// ---- Target selection --------------------------------------------------------------------------

bool Skill::GetValidMeleeTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                                float radius, bool keepTarget) const
{
    if (target == 0 && !keepTarget) {
        std::vector<unsigned> found;
        if (gGameEngine)
            gGameEngine->GetTargetsInRadius(user.GetTeam(), fromUser ? user.GetCoords().GetPosition() : point, radius,
                                            found, 0, false);
        if (!found.empty())
            target = found.front();
        return true;
    }
    TeamManager* teams = Teams();
    if (!teams || !teams->IsFoe(user.GetObjectId(), target)) {
        target = 0;
        return false;
    }
    return true;
}

bool Skill::GetValidRangedTarget(const Character& user, unsigned& target, const WorldVec3& point, bool,
                                 float radius) const
{
    if (target != 0) {
        TeamManager* teams = Teams();
        if (teams && teams->IsFoe(user.GetObjectId(), target))
            return true;
        target = 0;
        return false;
    }
    std::vector<unsigned> found;
    if (gGameEngine)
        gGameEngine->GetTargetsInRadius(user.GetTeam(), point, radius, found, 0, false);
    if (!found.empty())
        target = found.front();
    return true;
}

bool Skill::GetValidFriendTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                                 float radius) const
{
    if (target != 0) {
        TeamManager* teams = Teams();
        if (teams && teams->IsFriend(user.GetObjectId(), target))
            return true;
        target = 0;
        return false;
    }
    std::vector<unsigned> found;
    if (gGameEngine)
        gGameEngine->GetTargetsInRadius(user.GetTeam(), fromUser ? user.GetCoords().GetPosition() : point, radius,
                                        found, 0, true);
    const size_t before = found.size();
    std::erase(found, user.GetObjectId());
    if (!found.empty()) {
        target = found.front();
        return true;
    }
    if (before > 0) {   // only the user stood there
        target = user.GetObjectId();
        return true;
    }
    target = 0;
    return false;
}

bool Skill::IsTargetInRange(const Character& user, unsigned target, float range) const
{
    const Actor* actor = ObjectManager::Get().GetObject<Actor>(target);
    if (!actor)
        return false;
    // A character's extents are its own; another actor's body is its bounding sphere.
    const Character* character = ObjectManager::Get().GetObject<Character>(target);
    const float targetExtents = character ? character->GetExtents() : actor->GetBoundingRadius();
    const float gap = WorldDistance(user.GetCoords().GetPosition(), actor->GetCoords().GetPosition()) -
                      user.GetExtents() - targetExtents;
    return gap <= range;
}

void Skill::Cancel(Character&)
{
    if (!m_manager)
        return;
    for (uint32_t id : {m_manager->GetRightHandWeapon(), m_manager->GetLeftHandWeapon()})
        if (Weapon* weapon = ObjectManager::Get().GetObject<Weapon>(id))
            weapon->DisableWeaponTrail();
}

// ---- Attack parameters ---------------------------------------------------------------------------

void Skill::CollectCombatParameters(const Character& attacker, const Character* defender, ParametersCombatStyle style,
                                    bool useAvailable, unsigned weaponId, ParametersCombat& params, float percent)
{
    const SkillProfile* profile = GetSkillProfile();
    if (defender) {
        const std::vector<std::string>& races = defender->GetRace();
        RacialBonus_Damage bonus;
        CollectLocalRacialBonusDamage(races, bonus);
        if (profile && profile->IncludeRacialDamage())
            attacker.ContributeRacialBonusDamage(races, weaponId, bonus);
        params.racialBonusDamage = bonus.absolute;
        if (bonus.percent > 0.0f) {
            if (percent == 0.0f)
                percent = 100.0f;
            percent += bonus.percent;
            GAME_COMBAT_TRACE("^bRacial Bonus Damage Percent %f", static_cast<double>(percent));
        }
        if (bonus.absolute > 0.0f)
            GAME_COMBAT_TRACE("^bRacial Bonus Damage Absolute %f", static_cast<double>(bonus.absolute));
    }
    params.combatType = style;
    params.attackerId = attacker.GetObjectId();
    CombatAttributeAccumulator& accumulator = params.accumulator;
    CollectLocalOffensiveModifierAttributes(accumulator);
    if (m_manager)
        m_manager->CollectAvailableOffensiveModifierAttributes(accumulator);
    CollectLocalOffensiveDamageAttributes(accumulator);
    float offensiveReduction = 0.0f;
    if (useAvailable) {
        if (m_manager)
            m_manager->CollectAvailableOffensiveDamageAttributes(weaponId, accumulator);
        offensiveReduction = attacker.GetOffensiveReduction();
    }
    accumulator.ProcessDamage(attacker, percent, offensiveReduction, attacker.GetTotalDamageReductionPercent(),
                              attacker.GetTotalDamageReductionAbsolute());
    params.offensiveAbility = m_manager ? m_manager->CalculateOffensiveAbility(0.0f) : 0.0f;
    params.fumbleChance = attacker.GetFumbleDamage();
    params.manaCost = GetManaCost();
}

void Skill::CollectLocalOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (const SkillProfile* profile = GetSkillProfile())
        profile->GetOffensiveDamageAttributes(accumulator, GetCurrentLevel());
    AddModifierOffensiveDamageAttributes(accumulator);
}

void Skill::CollectLocalOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (const SkillProfile* profile = GetSkillProfile())
        profile->GetOffensiveModifierAttributes(accumulator, GetCurrentLevel());
    AddModifierOffensiveModifierAttributes(accumulator);
}

void Skill::CollectLocalRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    if (const SkillProfile* profile = GetSkillProfile())
        profile->GetRacialBonusDamage(races, bonus, GetCurrentLevel());
    AddModifierRacialBonusDamage(races, bonus);
}

uint32_t Skill::ApplyDamageLoop(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                                unsigned seed, ParametersCombatStyle style, bool useAvailable, unsigned weaponId,
                                float percent, bool targetFx)
{
    uint32_t firstHit = 0;
    if (targets.empty())
        return firstHit;
    // One generator for the whole result, seeded from the command, so every peer rolls
    // the same attacks in the same order.
    RandomUniform random;
    random.Seed(seed);
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : targets) {
        Character* target = objects.GetObject<Character>(id);
        if (!target || !target->IsAlive())
            continue;
        ParametersCombat params(random);
        CollectCombatParameters(attacker, target, style, useAvailable, weaponId, params, percent);
        InitRagDollData(params.ragdollEffect, coords, target->GetCoords());
        if (targetFx)
            CreateTargetFx(target->GetCoords());
        if (target->TakeAttack(params) && firstHit == 0)
            firstHit = id;
    }
    return firstHit;
}

// ---- Projectile hits --------------------------------------------------------------------------------

void Skill::SendProjectileTargets(const ProjectileInfo& info, const std::vector<uint32_t>& targets) const
{
    const Character* caster = ObjectManager::Get().GetObject<Character>(info.casterId);
    SkillServicesBase* services = GetServices();
    if (!caster || !caster->IsAlive() || !services)
        return;
    services->ClearHitIteration();
    services->SendTargetResult(GetObjectId(), targets, info.launchCoords, NewSeed(), info.passOnValue, false);
}

// ---- Projectile modifier ----------------------------------------------------------------------------

void Skill::AddProjectileModifier(ProjectileBase* projectile) const
{
    const unsigned level = GetCurrentLevel();
    const SkillProfile* profile = GetSkillProfile();
    if (!projectile || level == 0 || !profile)
        return;
    SkillProfile_Modifiers sums;
    GetSkillModifierData(sums);
    const SkillProfile_ProjectileModifiers& own = profile->GetSkillProjectileModifierData(level);
    ProjectileBase::ProjectileModifierStruct modifier;
    modifier.skillId = GetObjectId();
    modifier.explosionRadius = sums.explosionRadius + own.explosionRadius;
    modifier.fragmentProjectile = own.fragmentsName;
    modifier.fragmentsMin = own.fragmentsMin;
    modifier.fragmentsMax = own.fragmentsMax;
    modifier.piercingChance = sums.projectilePiercing + own.piercingChance;
    projectile->AddProjectileModifier(modifier);
    for (uint32_t id : m_modifiers)
        if (const Skill_ProjectileModifier* modifierSkill =
                ObjectManager::Get().GetObject<Skill_ProjectileModifier>(id))
            modifierSkill->AddProjectileModifier(projectile);
}

// A projectile modifier's projectiles strike for the modifier itself: each hit they report
// becomes a projectile attack of the modifier's own, and its impact effect shows where the
// projectile struck.
Skill_ProjectileModifier::Skill_ProjectileModifier() { m_kindText = "^bSkill Projectile Modifier"; }

void Skill_ProjectileModifier::TargetInformation(const ProjectileInfo& info, const WorldCoords& impact,
                                                 std::vector<uint32_t> targets)
{
    if (!targets.empty())
        SendProjectileTargets(info, targets);
    CreateImpactFx(impact);
}

void Skill_ProjectileModifier::TargetResult(Character& attacker, const std::vector<uint32_t>& targets,
                                            const WorldCoords& coords, unsigned seed, unsigned weaponId, bool)
{
    ApplyDamageLoop(attacker, targets, coords, seed, ParametersCombatStyle::Projectile, false, weaponId, 0.0f, false);
}

void Skill_ProjectileModifier::CreateImpactFx(const WorldCoords& coords)
{
    if (const SkillProfile* profile = GetSkillProfile())
        PlaceFxPak(profile->GetProjModImpactFxPakName(GetCurrentLevel()), coords);
}

}  // namespace GAME
