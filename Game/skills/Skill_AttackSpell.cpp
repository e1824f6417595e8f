#include "Game/skills/Skill_AttackSpell.h"

#include <algorithm>
#include <cmath>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_AttackSpell, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_AttackSpellTeleport, Skill_AttackSpell)
GAME_IMPLEMENT_CLASS(Skill_AttackSpellTeleportSelf, Skill_AttackSpell)
GAME_IMPLEMENT_CLASS(Skill_AttackSpellChaos, SkillActivated)

namespace {

const Name& TargetPointName()
{
    static const Name name("Target");
    return name;
}

const Name& LeftHandName()
{
    static const Name name("L Hand");
    return name;
}

Character* LiveSpellTarget(uint32_t id)
{
    Character* target = ObjectManager::Get().GetObject<Character>(id);
    return target && target->IsAlive() ? target : nullptr;
}

// A record's speed, or 0 for one that is not a number (it would never compare).
float FiniteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

// Each living character of the list takes the spell's attack, rolled in order from one
// generator seeded with `seed`: its target effect (at its "Target" point with
// `atTargetPoint`), the attack, the hit sound there, then the spell's aura for the
// record's whole seconds.
void StrikeWithSpell(SkillActivated& skill, Character& caster, const std::vector<uint32_t>& targets,
                     const WorldCoords& coords, unsigned seed, bool atTargetPoint)
{
    RandomUniform random;
    random.Seed(seed);
    const SkillProfile* profile = skill.GetSkillProfile();
    for (uint32_t id : targets) {
        Character* target = LiveSpellTarget(id);
        if (!target)
            continue;
        ParametersCombat params(random);
        skill.CollectCombatParameters(caster, target, ParametersCombatStyle::None, false, 0, params, 0.0f);
        skill.InitRagDollData(params.ragdollEffect, coords, target->GetCoords());
        const WorldCoords& place = target->GetCoords();
        skill.CreateTargetFx(atTargetPoint ? WithPosition(place, target->GetAttachPointPosition(TargetPointName()))
                                           : place);
        target->TakeAttack(params);
        skill.PlayHitSound(target->GetCoords().GetPosition());
        if (profile && !profile->GetSpellAuraName().empty())
            target->AddAura(profile->GetSpellAuraName(), false,
                            TruncateToInt(profile->GetSpellAuraDuration(skill.GetCurrentLevel())));
    }
}

}  // namespace

// ---- Spell attack -----------------------------------------------------------------------------

Skill_AttackSpell::Skill_AttackSpell()
{
    m_kindText = "^bSpell Attack";
    m_primary = true;
    m_secondary = true;
}

void Skill_AttackSpell::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !ObjectManager::Get().GetObject<Character>(targetId) ||
        !IsTargetInRange(caster, targetId, kSpellAttackRange))
        return;
    services->SendTargetResult(GetObjectId(), {targetId}, caster.GetCoords(), NewSeed(), 0, false);
}

void Skill_AttackSpell::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                     const WorldCoords& coords, unsigned seed, unsigned, bool)
{
    if (targets.empty())
        return;
    StrikeWithSpell(*this, caster, targets, coords, seed, false);
    ActivateSecondarySkills(caster, 0, targets, coords.GetPosition());
}

// ---- Teleport swap ----------------------------------------------------------------------------

Skill_AttackSpellTeleport::Skill_AttackSpellTeleport()
{
    m_kindText = "^bAttack Spell Teleport";
    m_skillType = 0;
    m_primary = false;
    m_secondary = true;
}

void Skill_AttackSpellTeleport::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                             const WorldCoords& coords, unsigned seed, unsigned weaponId, bool melee)
{
    if (targets.empty())
        return;
    if (Character* target = LiveSpellTarget(targets.front()); target && target != &caster) {
        const WorldCoords casterPlace = caster.GetCoords();
        const WorldCoords targetPlace = target->GetCoords();
        target->TeleportToLocation(casterPlace);
        caster.TeleportToLocation(targetPlace);
        PlayHitSound(caster.GetCoords().GetPosition());
        CreateTargetFx(caster.GetCoords());
    }
    Skill_AttackSpell::TargetResult(caster, targets, coords, seed, weaponId, melee);
}

// ---- Self teleport ----------------------------------------------------------------------------

Skill_AttackSpellTeleportSelf::Skill_AttackSpellTeleportSelf()
{
    m_kindText = "^bAttack Spell Teleport Self";
    m_skillType = 0;
    m_primary = false;
    m_secondary = true;
}

void Skill_AttackSpellTeleportSelf::ActivateNow(Character&, const Name&, unsigned, const WorldVec3& targetPoint)
{
    SkillServicesBase* services = GetServices();
    // A point in no region is nowhere to go.
    if (!services || !targetPoint.GetRegion())
        return;
    const WorldCoords destination(targetPoint.GetRegion(), Coords::MakeTranslation(targetPoint.GetRegionPosition()));
    services->SendTargetResult(GetObjectId(), {}, destination, NewSeed(), 0, false);
}

void Skill_AttackSpellTeleportSelf::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                                 const WorldCoords& coords, unsigned seed, unsigned weaponId,
                                                 bool melee)
{
    if (!coords.IsValid())
        return;
    caster.TeleportToLocation(coords);
    PlayHitSound(caster.GetCoords().GetPosition());
    CreateTargetFx(caster.GetCoords());
    Skill_AttackSpell::TargetResult(caster, targets, coords, seed, weaponId, melee);
    // The spell attack starts nothing for an empty list: the move starts the secondaries.
    if (targets.empty())
        ActivateSecondarySkills(caster, 0, targets, coords.GetPosition());
    if (auto* controller = ObjectManager::Get().GetObject<ControllerMonster>(caster.GetControllerId()))
        controller->Teleported(coords);
}

// ---- Chaos beam -------------------------------------------------------------------------------

Skill_AttackSpellChaos::Skill_AttackSpellChaos()
{
    m_kindText = "^bChaos Spell Attack";
    m_primary = false;
    m_secondary = true;
}

void Skill_AttackSpellChaos::Load(const LoadTable& table)
{
    SkillActivatedSpell::Load(table);
    m_maxDistance = table.GetFloat("maxDistance", 0.0f);
    m_headVelocity = FiniteOrZero(table.GetFloat("headVelocity", 0.0f));
    m_tailVelocity = FiniteOrZero(table.GetFloat("tailVelocity", 0.0f));
    m_chaosBeamName = table.GetString("chaosBeamName", "");
}

bool Skill_AttackSpellChaos::GetValidTarget(const Character& caster, unsigned& targetId, const WorldVec3&, bool,
                                            float) const
{
    const Character* target = ObjectManager::Get().GetObject<Character>(targetId);
    const TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    return targetId != 0 && target && teams && teams->IsFoe(caster, *target);
}

bool Skill_AttackSpellChaos::SetAvailability(bool, bool)
{
    if (m_beamState != Beam_Idle) {
        SetReason(Skill_CoolingDown);
        return false;
    }
    return SkillActivatedSpell::SetAvailability(false, false);
}

void Skill_AttackSpellChaos::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services || m_beamState != Beam_Idle || !ObjectManager::Get().GetObject<Character>(targetId) ||
        !IsTargetInRange(caster, targetId, kSpellAttackRange))
        return;
    m_beamState = Beam_Requested;
    services->SendTargetResult(GetObjectId(), {}, caster.GetCoords(), NewSeed(), targetId, false);
}

void Skill_AttackSpellChaos::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                          const WorldCoords& coords, unsigned seed, unsigned weaponId, bool)
{
    if (!targets.empty()) {
        StrikeWithSpell(*this, caster, targets, coords, seed, true);
        return;
    }
    if (weaponId != 0 && (m_beamState == Beam_Idle || m_beamState == Beam_Requested) && !GetBeam()) {
        m_beamTarget = weaponId;
        m_beamState = Beam_ToMake;
    }
}

ChaosBeam* Skill_AttackSpellChaos::GetBeam() const { return ObjectManager::Get().GetObject<ChaosBeam>(m_beamId); }

void Skill_AttackSpellChaos::ReleaseBeam()
{
    if (ChaosBeam* beam = GetBeam())
        beam->Liberate();
    m_beamId = 0;
}

void Skill_AttackSpellChaos::StopSkill(Character&)
{
    ReleaseBeam();
    m_beamState = Beam_Idle;
}

void Skill_AttackSpellChaos::MakeBeam(Character& caster)
{
    m_head = 0.0f;
    m_tail = 0.0f;
    m_beamState = Beam_Extending;
    ObjectManager& objects = ObjectManager::Get();
    ChaosBeam* beam = nullptr;
    if (!m_chaosBeamName.empty()) {
        Object* made = objects.CreateObjectFromFile(m_chaosBeamName);
        beam = DynamicCast<ChaosBeam>(made);
        if (made && !beam)
            objects.DestroyObjectEx(made, "Skill_AttackSpellChaos", __LINE__);
    }
    if (!beam)
        return;
    const Character* target = objects.GetObject<Character>(m_beamTarget);
    if (!target) {
        // Made for nothing: it is not left behind.
        objects.DestroyObjectEx(beam, "Skill_AttackSpellChaos", __LINE__);
        m_beamState = Beam_Finishing;
        return;
    }
    beam->SetEndPoints(caster.GetAttachPointPosition(LeftHandName()),
                       target->GetAttachPointPosition(TargetPointName()));
    beam->SetTopBottomPercent(0.0f, 0.0f);
    m_beamId = beam->GetObjectId();
    World::Get().AddEntity(beam, caster.GetCoords());
}

void Skill_AttackSpellChaos::ExtendHead(Character& caster, float seconds)
{
    m_head = std::clamp(m_head + seconds * m_headVelocity, 0.0f, 1.0f);
    const Character* target = ObjectManager::Get().GetObject<Character>(m_beamTarget);
    ChaosBeam* beam = GetBeam();
    if (!target || !beam) {
        m_beamState = Beam_Retracting;
        return;
    }
    const WorldVec3 hand = caster.GetAttachPointPosition(LeftHandName());
    const WorldVec3 point = target->GetAttachPointPosition(TargetPointName());
    beam->SetEndPoints(hand, point);
    beam->SetTopBottomPercent(m_head, m_tail);
    if (m_head < 1.0f)
        return;
    m_hitPoint = point;
    m_beamState = Beam_Retracting;
    if (WorldDistance(hand, point) > m_maxDistance) {
        m_beamTarget = 0;   // missed: the target got away
        return;
    }
    if (SkillServicesBase* services = GetServices())
        services->SendTargetResult(GetObjectId(), {m_beamTarget}, caster.GetCoords(), NewSeed(), 0, false);
    ActivateSecondarySkills(caster, m_beamTarget, {m_beamTarget}, m_hitPoint);
}

void Skill_AttackSpellChaos::RetractTail(Character& caster, float seconds)
{
    m_tail = std::clamp(m_tail + seconds * m_tailVelocity, 0.0f, 1.0f);
    // After a miss the head comes back as fast as the tail follows.
    if (m_beamTarget == 0)
        m_head = std::clamp(m_head - seconds * m_tailVelocity, 0.0f, 1.0f);
    if (m_tail >= m_head) {
        m_tail = m_head;
        m_beamState = Beam_Finishing;
    }
    if (ChaosBeam* beam = GetBeam()) {
        beam->SetEndPoints(caster.GetAttachPointPosition(LeftHandName()), m_hitPoint);
        beam->SetTopBottomPercent(m_head, m_tail);
    }
}

void Skill_AttackSpellChaos::Update(Character& caster, int elapsedMs)
{
    SkillActivatedSpell::Update(caster, elapsedMs);
    const float seconds = static_cast<float>(elapsedMs) * 0.001f;
    switch (m_beamState) {
    case Beam_ToMake:
        MakeBeam(caster);
        break;
    case Beam_Extending:
        ExtendHead(caster, seconds);
        break;
    case Beam_Retracting:
        RetractTail(caster, seconds);
        break;
    case Beam_Finishing:
        ReleaseBeam();
        m_beamState = Beam_Idle;
        break;
    case Beam_Idle:
    case Beam_Requested:
        break;
    }
}

}  // namespace GAME
