#include "Game/skills/SkillSecondaries.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/characters/Character.h"
#include "Game/characters/PlayStats.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillPets.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/world/Lightning.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillSecondary_Bonus, SkillSecondary)
GAME_IMPLEMENT_CLASS(SkillSecondary_BuffRadius, SkillSecondary)
GAME_IMPLEMENT_CLASS(SkillSecondary_ChainBonus, SkillSecondary)
GAME_IMPLEMENT_CLASS(SkillSecondary_ChainLightning, SkillSecondary)
GAME_IMPLEMENT_CLASS(SkillSecondary_ForkLightning, SkillSecondary)
GAME_IMPLEMENT_CLASS(SkillSecondary_PetModifier, SkillSecondary)
GAME_IMPLEMENT_CLASS(SkillSecondary_PetSpawn, SkillSecondary)

namespace {

const Name& TargetAttachName()
{
    static const Name name("Target");
    return name;
}

Character* LiveCharacter(uint32_t id)
{
    Character* character = id != 0 ? ObjectManager::Get().GetObject<Character>(id) : nullptr;
    return character && character->IsAlive() ? character : nullptr;
}

// At the position, rotation cleared.
WorldCoords CoordsAt(const WorldVec3& position)
{
    return WorldCoords(position.GetRegion(), Coords::MakeTranslation(position.GetRegionPosition()));
}

// The profile's life and mana bonus at the skill's level, with its effect.
Bonus MakeBonus(const Skill& skill)
{
    Bonus bonus;
    if (const SkillProfile* profile = skill.GetSkillProfile()) {
        const unsigned level = skill.GetCurrentLevel();
        bonus.lifePoints = profile->GetLifeBonus(level);
        bonus.manaPoints = profile->GetManaBonus(level);
        bonus.effectName = profile->GetBonusEffectName();
    }
    return bonus;
}

// The record's spark numbers at the skill's level; the count is held to the bound.
struct Sparks {
    float gap = 0.0f;
    float chance = 0.0f;
    unsigned number = 0;
};

Sparks SparksOf(const Skill& skill)
{
    Sparks sparks;
    if (const SkillProfile* profile = skill.GetSkillProfile()) {
        const unsigned level = skill.GetCurrentLevel();
        sparks.gap = profile->GetSparkGap(level);
        sparks.chance = profile->GetSparkChance(level);
        sparks.number = std::min(profile->GetSparkMaxNumber(level), SkillSecondary_ChainLightning::kMaxSparks);
    }
    return sparks;
}

// Whether a spark jumps: a whole number from 0 to 100 below the chance.
bool SparkJumps(float chance)
{
    return gGameEngine && static_cast<float>(gGameEngine->GetRandomGen().IGenerate(0, 100)) < chance;
}

// A bolt of the profile's lightning from `source` to `target`, placed in the world at
// `place`; null when the name is empty, the record makes no lightning or it cannot be
// placed.
Lightning* MakeLightning(const Skill& skill, const WorldVec3& source, const WorldVec3& target,
                         const WorldVec3& place, bool holdAtTarget)
{
    const SkillProfile* profile = skill.GetSkillProfile();
    if (!profile || profile->GetLightningName().empty())
        return nullptr;
    ObjectManager& objects = ObjectManager::Get();
    auto* lightning = objects.CreateObjectFromFile<Lightning>(profile->GetLightningName());
    if (!lightning)
        return nullptr;
    lightning->SetTarget(source, target);
    if (holdAtTarget)
        lightning->DoSetPauseAtTarget();
    if (!World::Get().AddEntity(lightning, CoordsAt(place))) {
        objects.DestroyObjectEx(lightning, "SkillSecondaries", __LINE__);
        return nullptr;
    }
    return lightning;
}

// The lightning's strike on a live target, rolled from the result's seed.
void StrikeWithLightning(Skill& skill, Character& user, uint32_t targetId, const WorldVec3& source,
                         const WorldVec3& targetPoint, unsigned seed)
{
    skill.CreateTargetFx(CoordsAt(targetPoint));
    Character* target = LiveCharacter(targetId);
    if (!target)
        return;
    RandomUniform random;
    random.Seed(seed);
    ParametersCombat params(random);
    skill.CollectCombatParameters(user, target, ParametersCombatStyle::None, false, 0, params, 0.0f);
    skill.InitRagDollData(params.ragdollEffect, CoordsAt(source), target->GetCoords());
    target->TakeAttack(params);
}

}  // namespace

// ---- Bonus ------------------------------------------------------------------------------------

SkillSecondary_Bonus::SkillSecondary_Bonus() { m_kindText = "^bSecondary Skill - Bonus"; }

void SkillSecondary_Bonus::ActivateNow(Character& user, unsigned, const std::vector<uint32_t>& targets,
                                       const WorldVec3& point)
{
    const Bonus bonus = MakeBonus(*this);
    for (uint32_t id : targets)
        if (Character* target = LiveCharacter(id))
            target->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
    ActivateSecondarySkills(user, 0, targets, point);
}

// ---- Buff in a radius -------------------------------------------------------------------------

SkillSecondary_BuffRadius::SkillSecondary_BuffRadius()
{
    m_kindText = "^bSecondary Buff Other in Radius";
    m_primary = false;
    m_secondary = false;
}

void SkillSecondary_BuffRadius::Load(const LoadTable& table)
{
    m_buffSkillName = GetNormalizedPath(table.GetString("buffSkillName", ""));
    LoadResourcesFrom(m_buffSkillName);
}

void SkillSecondary_BuffRadius::SendActive(bool active)
{
    if (SkillServicesBase* services = GetServices())
        services->SendSkillActiveUpdate(GetObjectId(), SkillActiveState(0, active, false));
}

void SkillSecondary_BuffRadius::SendFriendsAround(Character& user, const WorldVec3& centre, bool flag)
{
    SkillServicesBase* services = GetServices();
    if (!services || !gGameEngine)
        return;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    std::vector<uint32_t> friends;
    gGameEngine->GetTargetsInRadius(user.GetTeam(), centre, modifiers.targetRadius, friends, 0, true);
    if (!friends.empty())
        services->SendTargetResult(GetObjectId(), friends, user.GetCoords(), NewSeed(), 0, flag);
}

void SkillSecondary_BuffRadius::PrimaryActivateNow(Character& user, unsigned targetId,
                                                   const std::vector<uint32_t>& targets, const WorldVec3& point)
{
    // The own secondaries hear of the switch-on once, here.
    SkillSecondary::PrimaryActivateNow(user, targetId, targets, point);
    if (!IsSkillEnabled() || !GetServices())
        return;
    m_buffActive = true;
    m_pulseCounter = m_pulseInterval;
    m_center = point;
    SendActive(true);
    NotifyUIOnActivate();
    SendFriendsAround(user, user.GetCoords().GetPosition(), true);
}

void SkillSecondary_BuffRadius::Update(Character& user, int elapsedMs)
{
    SkillSecondary::Update(user, elapsedMs);
    if (!m_buffActive || !GetServices())
        return;
    m_pulseCounter -= elapsedMs;
    if (m_pulseCounter >= 1)
        return;
    m_pulseCounter = m_pulseInterval;
    SendFriendsAround(user, m_center, false);
}

void SkillSecondary_BuffRadius::TargetResult(Character& user, const std::vector<uint32_t>& targets,
                                             const WorldCoords& coords, unsigned, unsigned, bool flag)
{
    if (targets.empty())
        return;
    SkillBuffTransferLease lease;
    SkillBuffTransfer& transfer = *lease;
    FillBuffTransfer(transfer, m_buffSkillName, GetCurrentLevel(), m_buffDuration, user.GetObjectId());
    const Bonus bonus = MakeBonus(*this);
    const SkillProfile* profile = GetSkillProfile();
    static const std::vector<Weapon_Type> kAnyWeapon;
    bool bonusTaken = false;
    for (uint32_t id : targets) {
        Character* target = LiveCharacter(id);
        if (!target)
            continue;
        if (flag) {
            target->TakeBonus(bonus, false, PlayStatsLifeType_Unknown);
            bonusTaken = true;
        } else {
            target->ControllerAddSkillBuff(transfer, profile ? profile->GetQualifyingWeapons() : kAnyWeapon,
                                           profile && profile->GetQualifyingDualWeapons());
        }
    }
    // Once per result, however many friends took the bonus.
    if (bonusTaken)
        ActivateSecondarySkills(user, 0, targets, coords.GetPosition());
}

void SkillSecondary_BuffRadius::PrimaryStop(Character& user)
{
    SkillSecondary::PrimaryStop(user);
    if (!m_buffActive || !GetServices())
        return;
    m_buffActive = false;
    SendActive(false);
}

void SkillSecondary_BuffRadius::StopSkill(Character&)
{
    if (!m_buffActive || !GetServices())
        return;
    m_buffActive = false;
    SendActive(false);
    NotifyUIOnDeactivate();
}

void SkillSecondary_BuffRadius::ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring)
{
    SkillSecondary::ReceiveActiveUpdate(user, state, restoring);
    const WorldCoords& coords = user.GetCoords();
    if (!restoring) {
        PlayActivatedSounds(coords.GetPosition(), state.active);
        if (state.active)
            CreateTargetFx(coords);
    }
    ApplyActiveWorldVisualEffects(user, state.active);
    if (SkillManagerBase* manager = GetManager())
        manager->SetSpeedUpdateNeeded(true);
}

// ---- Chains -----------------------------------------------------------------------------------

SkillSecondary_ChainLightning::SkillSecondary_ChainLightning()
{
    m_kindText = "^bSecondary Skill Chain Lightning";
}

SkillSecondary_ChainBonus::SkillSecondary_ChainBonus()
{
    m_kindText = "^bSecondary Skill Chain Bonus";
    m_friends = true;
}

void SkillSecondary_ChainLightning::ActivateNow(Character& user, unsigned targetId,
                                                const std::vector<uint32_t>& targets, const WorldVec3& point)
{
    SkillServicesBase* services = GetServices();
    if (!IsSkillEnabled() || !services || !gGameEngine)
        return;
    const Sparks sparks = SparksOf(*this);
    std::vector<uint32_t> excluded = targets;
    excluded.push_back(targetId);
    std::vector<uint32_t> chain;
    WorldVec3 current = point;
    std::vector<uint32_t> candidates;
    for (unsigned i = 0; i < sparks.number; ++i) {
        if (!SparkJumps(sparks.chance))
            continue;   // a failed roll costs the spark, not the chain
        candidates.clear();
        gGameEngine->GetTargetsInRadius(user.GetTeam(), current, sparks.gap, candidates, 0, m_friends);
        Character* next = LiveCharacter(gGameEngine->PickObject(candidates, excluded));
        if (!next)
            break;
        excluded.push_back(next->GetObjectId());
        chain.push_back(next->GetObjectId());
        current = next->GetCoords().GetPosition();
    }
    if (!chain.empty())
        services->SendTargetResult(GetObjectId(), chain, CoordsAt(point), NewSeed(), 0, false);
}

void SkillSecondary_ChainLightning::TargetResult(Character& user, const std::vector<uint32_t>& targets,
                                                 const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    if (!m_links.empty() || targets.empty())
        return;
    m_origin = coords.GetPosition();
    // A peer's list is held to what one activation may send.
    const size_t count = std::min<size_t>(targets.size(), kMaxSparks);
    for (size_t i = 0; i < count; ++i) {
        Link link;
        link.targetId = targets[i];
        m_links.push_back(link);
    }
    m_chainComplete = false;
    m_seed = seed;
    GrowChain(user);
}

void SkillSecondary_ChainLightning::Update(Character& user, int elapsedMs)
{
    SkillSecondary::Update(user, elapsedMs);
    if (m_links.empty())
        return;
    if (m_chainComplete)
        ReleaseChain();
    else
        GrowChain(user);
}

uint32_t SkillSecondary_ChainLightning::CreateEffect(const WorldVec3& source, const WorldVec3& target)
{
    Lightning* lightning = MakeLightning(*this, source, target, target, true);
    if (!lightning)
        return 0;
    PlayHitSound(source);
    return lightning->GetObjectId();
}

void SkillSecondary_ChainLightning::GrowChain(Character& user)
{
    const ObjectManager& objects = ObjectManager::Get();
    WorldVec3 source = m_origin;
    for (Link& link : m_links) {
        if (link.done) {
            source = link.targetPoint;
            continue;
        }
        if (link.effectId == 0) {
            Character* target = LiveCharacter(link.targetId);
            if (!target) {
                link.done = true;   // gone: no strike, and the next jump starts here
                link.targetPoint = source;
                continue;
            }
            link.targetPoint = target->GetAttachPointPosition(TargetAttachName());
            link.sourcePoint = source;
            link.effectId = CreateEffect(link.sourcePoint, link.targetPoint);
            if (link.effectId != 0)
                return;
            // No lightning to show: the link strikes at once and the walk goes on, so the
            // chain ends rather than waiting for a bolt that can never come.
            CompleteLink(user, link);
            link.done = true;
            source = link.targetPoint;
            continue;
        }
        const Lightning* lightning = objects.GetObject<Lightning>(link.effectId);
        if (lightning && !lightning->HasReachedTarget())
            return;   // still on its way
        CompleteLink(user, link);
        link.done = true;
        return;
    }
    m_chainComplete = true;
}

void SkillSecondary_ChainLightning::ReleaseChain()
{
    ObjectManager& objects = ObjectManager::Get();
    for (Link& link : m_links) {
        if (link.effectId == 0)
            continue;
        if (Lightning* lightning = objects.GetObject<Lightning>(link.effectId)) {
            lightning->SetPause(false);
            return;   // one at a time: the next goes when this one has left
        }
        link.effectId = 0;
    }
    m_links.clear();
    m_chainComplete = false;
}

void SkillSecondary_ChainLightning::CompleteLink(Character& user, const Link& link)
{
    StrikeWithLightning(*this, user, link.targetId, link.sourcePoint, link.targetPoint, m_seed);
    ActivateSecondarySkills(user, link.targetId, {}, link.targetPoint);
}

void SkillSecondary_ChainBonus::CompleteLink(Character& user, const Link& link)
{
    CreateTargetFx(CoordsAt(link.targetPoint));
    if (Character* target = LiveCharacter(link.targetId))
        target->TakeBonus(MakeBonus(*this), false, PlayStatsLifeType_Unknown);
    ActivateSecondarySkills(user, link.targetId, {}, link.targetPoint);
}

void SkillSecondary_ChainLightning::OnDestroy()
{
    ObjectManager& objects = ObjectManager::Get();
    for (const Link& link : m_links)
        if (Lightning* lightning = objects.GetObject<Lightning>(link.effectId))
            lightning->SetPause(false);
    m_links.clear();
    SkillSecondary::OnDestroy();
}

// ---- Fork -------------------------------------------------------------------------------------

SkillSecondary_ForkLightning::SkillSecondary_ForkLightning()
{
    m_kindText = "^bSecondary Skill Fork Lightning";
}

void SkillSecondary_ForkLightning::ActivateNow(Character& user, unsigned targetId,
                                               const std::vector<uint32_t>& targets, const WorldVec3& point)
{
    SkillServicesBase* services = GetServices();
    if (!IsSkillEnabled() || !services || !gGameEngine)
        return;
    const Sparks sparks = SparksOf(*this);
    if (!SparkJumps(sparks.chance))
        return;
    std::vector<uint32_t> excluded = targets;
    excluded.push_back(targetId);
    std::vector<uint32_t> candidates;
    gGameEngine->GetTargetsInRadius(user.GetTeam(), point, sparks.gap, candidates, 0, false);
    std::vector<uint32_t> forks;
    for (unsigned i = 0; i < sparks.number; ++i) {
        Character* next = LiveCharacter(gGameEngine->PickObject(candidates, excluded));
        if (!next)
            break;
        excluded.push_back(next->GetObjectId());
        forks.push_back(next->GetObjectId());
    }
    if (!forks.empty())
        services->SendTargetResult(GetObjectId(), forks, CoordsAt(point), NewSeed(), 0, false);
}

void SkillSecondary_ForkLightning::TargetResult(Character& user, const std::vector<uint32_t>& targets,
                                                const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    const size_t first = m_forks.size();
    const size_t count = std::min<size_t>(targets.size(), SkillSecondary_ChainLightning::kMaxSparks);
    for (size_t i = 0; i < count; ++i) {
        Character* target = LiveCharacter(targets[i]);
        if (!target)
            continue;
        Fork fork;
        fork.targetId = targets[i];
        fork.targetPoint = target->GetAttachPointPosition(TargetAttachName());
        fork.sourcePoint = coords.GetPosition();
        m_forks.push_back(fork);
    }
    m_seed = seed;
    PlayHitSound(coords.GetPosition());
    // Each new fork gets its bolt; one that can have none strikes at once rather than
    // staying in the list for good.
    for (size_t i = first; i < m_forks.size();) {
        Fork& fork = m_forks[i];
        if (Lightning* lightning = MakeLightning(*this, fork.sourcePoint, fork.targetPoint, fork.sourcePoint, false)) {
            fork.effectId = lightning->GetObjectId();
            ++i;
            continue;
        }
        const Fork struck = fork;
        m_forks.erase(m_forks.begin() + static_cast<std::ptrdiff_t>(i));
        Strike(user, struck);
    }
}

void SkillSecondary_ForkLightning::Update(Character& user, int elapsedMs)
{
    SkillSecondary::Update(user, elapsedMs);
    const ObjectManager& objects = ObjectManager::Get();
    for (size_t i = 0; i < m_forks.size();) {
        const Lightning* lightning = objects.GetObject<Lightning>(m_forks[i].effectId);
        if (lightning && !lightning->HasReachedTarget()) {
            ++i;
            continue;
        }
        const Fork struck = m_forks[i];
        m_forks.erase(m_forks.begin() + static_cast<std::ptrdiff_t>(i));
        Strike(user, struck);
    }
}

void SkillSecondary_ForkLightning::Strike(Character& user, const Fork& fork)
{
    StrikeWithLightning(*this, user, fork.targetId, fork.sourcePoint, fork.targetPoint, m_seed);
}

// ---- Pet modifier -----------------------------------------------------------------------------

SkillSecondary_PetModifier::SkillSecondary_PetModifier() { m_kindText = "^bSecondary Skill - Pet Modifier"; }

void SkillSecondary_PetModifier::Load(const LoadTable& table)
{
    m_petSkillName = GetNormalizedPath(table.GetString("petSkillName", ""));
    const LoadTable& petRecord = ObjectManager::Get().GetRecordOrEmpty(m_petSkillName);
    const std::string buffName = GetNormalizedPath(petRecord.GetString("buffSkillName", ""));
    LoadResourcesFrom(buffName.empty() ? m_petSkillName : buffName);
}

void SkillSecondary_PetModifier::ActivateNow(Character& user, unsigned targetId,
                                             const std::vector<uint32_t>& targets, const WorldVec3& point)
{
    const unsigned level = GetCurrentLevel();
    if (level != 0 && !m_petSkillName.empty()) {
        for (uint32_t id : targets)
            if (Character* target = LiveCharacter(id))
                target->AddToSkillLevel(m_petSkillName, level);
    }
    ActivateSecondarySkills(user, targetId, targets, point);
}

// ---- Pet spawn --------------------------------------------------------------------------------

SkillSecondary_PetSpawn::SkillSecondary_PetSpawn() { m_kindText = "^bSecondary Skill - Pet Spawn"; }

void SkillSecondary_PetSpawn::PreLoadResources()
{
    SkillSecondary::PreLoadResources();
    PreLoadPet();
}

void SkillSecondary_PetSpawn::PrimaryActivateNow(Character& user, unsigned targetId,
                                                 const std::vector<uint32_t>& targets, const WorldVec3& point)
{
    SkillSecondary::PrimaryActivateNow(user, targetId, targets, point);
    SkillServicesBase* services = GetServices();
    const SkillProfile* profile = GetSkillProfile();
    if (!IsSkillEnabled() || !services || !profile)
        return;
    const unsigned limit = profile->GetPetLimit(GetCurrentLevel());
    const unsigned count = std::min(limit == 0 ? 1u : limit, SkillProfile::kMaxPetBurst);
    // The user's own body first, so the pets stand around it.
    std::vector<float> radii(count + 1, GetPetExtents());
    radii.front() = user.GetExtents() + 1.5f;
    std::vector<WorldVec3> points;
    const WorldCoords& userCoords = user.GetCoords();
    if (!PathFinder::FillPointSet(userCoords.GetPosition(), radii, points, true))
        return;
    std::vector<WorldCoords> places;
    std::vector<uint32_t> ids;
    // The first place is the user's own; every other one gets a pet, the last first.
    for (size_t i = points.size(); i > 1; --i) {
        const WorldVec3& point = points[i - 1];
        Vec3 position = point.GetRegionPosition();
        const float floor = World::Get().GetFloorHeightBelow(point);
        if (std::isfinite(floor))
            position.y = floor;
        const uint32_t id = ObjectManager::Get().CreateObjectID();
        if (id == 0)
            break;
        places.push_back(CoordsAt(WorldVec3(point.GetRegion(), position)));
        ids.push_back(id);
    }
    if (!ids.empty())
        services->SendSpawnObject(GetObjectId(), userCoords, 0, places, ids, NewSeed());
}

void SkillSecondary_PetSpawn::SkillSpawnObject(Character& user, const WorldCoords& coords, unsigned,
                                               const std::vector<WorldCoords>& coordsList,
                                               const std::vector<uint32_t>& ids, unsigned)
{
    if (!ids.empty())
        PlayHitSound(coords.GetPosition());
    const SkillProfile* profile = GetSkillProfile();
    const unsigned level = GetCurrentLevel();
    // A peer's list is held to what one switch-on may make.
    const size_t count = std::min<size_t>(ids.size(), SkillProfile::kMaxPetBurst);
    for (size_t i = 0; i < count && profile; ++i)
        SpawnSkillPet(*this, user, i < coordsList.size() ? coordsList[i] : coords, ids[i],
                      profile->GetSpawnObject(level), profile->GetSpawnObjectTimeToLive(level), true);
    ActivateSecondarySkills(user, 0, ids, coords.GetPosition());
}

}  // namespace GAME
