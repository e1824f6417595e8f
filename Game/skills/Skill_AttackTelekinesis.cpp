#include "Game/skills/Skill_AttackTelekinesis.h"

#include <algorithm>
#include <cmath>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/world/CharFxPak.h"
#include "Game/world/Puppet.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_AttackTelekinesis, SkillActivated)

namespace {

const Name& WristName()
{
    static const Name name("Wrist");
    return name;
}

const Name& SpecialHitName()
{
    static const Name name("SpecialHit01");
    return name;
}

// The frame `inner` given in `outer`'s frame, in `outer`'s parent space.
Coords ComposeFrames(const Coords& outer, const Coords& inner)
{
    Coords out;
    out.xAxis = outer.TransformVector(inner.xAxis);
    out.yAxis = outer.TransformVector(inner.yAxis);
    out.zAxis = outer.TransformVector(inner.zAxis);
    out.origin = outer.TransformPoint(inner.origin);
    return out;
}

// The frame that undoes a rigid frame.
Coords InvertFrame(const Coords& frame)
{
    Coords out;
    out.xAxis = {frame.xAxis.x, frame.yAxis.x, frame.zAxis.x};
    out.yAxis = {frame.xAxis.y, frame.yAxis.y, frame.zAxis.y};
    out.zAxis = {frame.xAxis.z, frame.yAxis.z, frame.zAxis.z};
    out.origin = out.TransformVector(frame.origin) * -1.0f;
    return out;
}

// Square axes again after turning or blending (the third axis leads; x = y cross z).
Coords Orthonormalized(Coords frame)
{
    frame.zAxis = frame.zAxis.Unit();
    frame.xAxis = Cross(frame.yAxis, frame.zAxis).Unit();
    frame.yAxis = Cross(frame.zAxis, frame.xAxis);
    return frame;
}

// An attach point of the character, with the character's turn.
WorldCoords AttachCoords(const Entity& entity, const Name& point)
{
    return WithPosition(entity.GetCoords(), entity.GetAttachPointPosition(point));
}

// A record's speed, or 0 for one that is not a number.
float FiniteSpeed(float value) { return std::isfinite(value) ? value : 0.0f; }

}  // namespace

Skill_AttackTelekinesis::Skill_AttackTelekinesis() : m_beamOrigin(std::make_unique<CharFxPak>())
{
    m_kindText = "^bTelekinesis Projectile Attack";
    if (gGameEngine) {
        m_wobbleOffsetX = static_cast<float>(gGameEngine->GetRandomGen().IGenerate(0, 36));
        m_wobbleOffsetY = static_cast<float>(gGameEngine->GetRandomGen().IGenerate(0, 36));
    }
}

Skill_AttackTelekinesis::~Skill_AttackTelekinesis()
{
    if (SoundPak* sound = GetBeamSound())
        ObjectManager::Get().DestroyObjectEx(sound, "Skill_AttackTelekinesis", __LINE__);
}

void Skill_AttackTelekinesis::Load(const LoadTable& table)
{
    SkillActivatedSpell::Load(table);
    m_liftSpeed = FiniteSpeed(table.GetFloat("liftSpeed", 2.0f));
    m_loopingAnimation = Name(table.GetString("specialLoopingAnimationName", ""));
    m_endingAnimation = Name(table.GetString("specialEndingAnimationName", ""));
    m_headVelocity = FiniteSpeed(table.GetFloat("headVelocity", 0.0f));
    m_chaosBeamName = table.GetString("chaosBeamName", "");
    m_puppetName = table.GetString("puppetName", "");
    m_beamOrigin->LoadFromDatabase(table.GetString("beamOriginCharFxPak", ""));
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* old = GetBeamSound())
        objects.DestroyObjectEx(old, "Skill_AttackTelekinesis", __LINE__);
    m_beamSound = 0;
    const std::string sound = table.GetString("chaosBeamSound", "");
    if (!sound.empty()) {
        Object* made = objects.CreateObjectFromFile(sound);
        if (DynamicCast<SoundPak>(made))
            m_beamSound = made->GetObjectId();
        else if (made)
            objects.DestroyObjectEx(made, "Skill_AttackTelekinesis", __LINE__);
    }
    m_moveOverHeadVelocity = FiniteSpeed(table.GetFloat("moveOverHeadVelocity", 3.0f));
}

void Skill_AttackTelekinesis::Install(Character* owner)
{
    SkillActivatedSpell::Install(owner);
    m_beamOrigin->SetParent(owner ? owner->GetObjectId() : 0);
}

void Skill_AttackTelekinesis::UnInstall(Character* owner)
{
    m_beamOrigin->Enable(false);
    m_beamOrigin->SetParent(0);
    SkillActivatedSpell::UnInstall(owner);
}

void Skill_AttackTelekinesis::PreLoad(bool preloadNow)
{
    SkillActivatedSpell::PreLoad(preloadNow);
    m_beamOrigin->PreLoad();
    if (SoundPak* sound = GetBeamSound())
        sound->PreLoad(preloadNow);
}

SoundPak* Skill_AttackTelekinesis::GetBeamSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_beamSound);
}

ProjectileTelekinesis* Skill_AttackTelekinesis::GetHeld() const
{
    return ObjectManager::Get().GetObject<ProjectileTelekinesis>(m_heldObject);
}

Puppet* Skill_AttackTelekinesis::GetPuppet() const { return ObjectManager::Get().GetObject<Puppet>(m_puppetId); }

ChaosBeam* Skill_AttackTelekinesis::GetBeam() const { return ObjectManager::Get().GetObject<ChaosBeam>(m_beamId); }

// ---- Search and claim -------------------------------------------------------------------------

void Skill_AttackTelekinesis::FindObjectToThrow(const WorldCoords& coords)
{
    m_candidate = 0;
    if (!coords.IsValid() || !gGameEngine)
        return;
    // Asked at every availability check: the lists keep their storage on the thread from one
    // search to the next (nothing called here searches again).
    static thread_local std::vector<Entity*> found;
    static thread_local std::vector<unsigned> candidates;
    found.clear();
    candidates.clear();
    World::Get().GetEntitiesInSphere(found, coords.GetRegion(),
                                     Sphere{coords.GetRegionCoords().origin, kSearchRadius}, EntityList_All);
    for (Entity* entity : found)
        if (const auto* object = DynamicCast<ProjectileTelekinesis>(entity); object && !object->IsInUse())
            candidates.push_back(object->GetObjectId());
    m_candidate = gGameEngine->PickObject(candidates, {});
}

bool Skill_AttackTelekinesis::SetAvailability(bool ignoreMana, bool ignoreCooldown)
{
    if (GetHeld())
        return true;
    const SkillManagerBase* manager = GetManager();
    const Character* owner = manager ? manager->GetParent() : nullptr;
    FindObjectToThrow(owner ? owner->GetCoords() : WorldCoords());
    if (m_candidate == 0) {
        SetReason(Skill_NothingToThrow);
        return false;
    }
    return SkillActivatedSpell::SetAvailability(ignoreMana, ignoreCooldown);
}

bool Skill_AttackTelekinesis::ClaimObject(Character& caster, const WorldVec3&)
{
    ProjectileTelekinesis* object = ObjectManager::Get().GetObject<ProjectileTelekinesis>(m_candidate);
    if (!object || object->IsInUse())
        return false;
    object->ProjectileCome(caster.GetObjectId());
    m_beamHead = 0.0f;
    m_heldObject = m_candidate;
    m_handleState = Handle_Reaching;

    m_claimCoords = object->GetCoords();
    m_liftCoords = m_claimCoords;
    m_overheadCoords = AttachCoords(caster, SpecialHitName());
    m_moveDistance = WorldDistance(m_claimCoords.GetPosition(), m_overheadCoords.GetPosition());
    m_moveProgress = 0.0f;

    ObjectManager& objects = ObjectManager::Get();
    WorldCoords grip = m_claimCoords;
    Object* puppet = m_puppetName.empty() ? nullptr : objects.CreateObjectFromFile(m_puppetName);
    if (auto* made = DynamicCast<Puppet>(puppet)) {
        made->SetVisibility(false);
        if (World::Get().AddEntity(made, m_claimCoords)) {
            m_puppetId = made->GetObjectId();
            grip = AttachCoords(*made, WristName());
        } else {
            objects.DestroyObjectEx(made, "Skill_AttackTelekinesis", __LINE__);
        }
    } else if (puppet) {
        objects.DestroyObjectEx(puppet, "Skill_AttackTelekinesis", __LINE__);
    }
    m_gripOffset = ComposeFrames(InvertFrame(grip.GetRegionCoords()), m_claimCoords.GetRegionCoords());

    Object* beam = m_chaosBeamName.empty() ? nullptr : objects.CreateObjectFromFile(m_chaosBeamName);
    if (auto* made = DynamicCast<ChaosBeam>(beam)) {
        made->SetEndPoints(caster.GetAttachPointPosition(SpecialHitName()), grip.GetPosition());
        made->SetTopBottomPercent(0.0f, 0.0f);
        m_beamId = made->GetObjectId();
        World::Get().AddEntity(made, caster.GetCoords());
        if (SoundPak* sound = GetBeamSound())
            sound->Play(caster.GetAttachPointPosition(SpecialHitName()));
    } else if (beam) {
        objects.DestroyObjectEx(beam, "Skill_AttackTelekinesis", __LINE__);
    }

    m_beamOrigin->Enable(true);
    m_handPoint = caster.GetAttachPointPosition(SpecialHitName());
    return true;
}

bool Skill_AttackTelekinesis::RetrieveObject()
{
    if (!GetHeld())
        return false;
    m_handleState = Handle_Lifting;
    return true;
}

// ---- Letting go -------------------------------------------------------------------------------

void Skill_AttackTelekinesis::LetGoOfHandles()
{
    if (Puppet* puppet = GetPuppet())
        puppet->ReleaseToWorld();
    m_puppetId = 0;
    if (ChaosBeam* beam = GetBeam())
        beam->Liberate();
    m_beamId = 0;
    if (SoundPak* sound = GetBeamSound())
        sound->FadeLastPlayedSound(kBeamSoundFadeMs);
    m_beamOrigin->Enable(false);
    m_heldObject = 0;
}

void Skill_AttackTelekinesis::ThrowObject(Character& caster, const WorldVec3& targetPoint, unsigned targetId)
{
    ProjectileTelekinesis* object = GetHeld();
    if (!object)
        return;
    ProjectileInfo info;
    info.casterId = caster.GetObjectId();
    info.skillId = GetObjectId();
    info.targetId = targetId;
    info.targetPoint = targetPoint;
    info.team = caster.GetTeam();
    info.launchCoords = caster.GetCoords();
    object->LoadInfo(info, NewSeed());
    AddProjectileModifier(object);
    object->ProjectileGo();
    LetGoOfHandles();
}

void Skill_AttackTelekinesis::ReleaseObject()
{
    if (ProjectileTelekinesis* object = GetHeld())
        object->Release();
    LetGoOfHandles();
}

void Skill_AttackTelekinesis::Cancel(Character& caster)
{
    ReleaseObject();
    SkillActivatedSpell::Cancel(caster);
}

void Skill_AttackTelekinesis::StopSkill(Character& caster)
{
    ReleaseObject();
    SkillActivatedSpell::StopSkill(caster);
}

// ---- The activation road ----------------------------------------------------------------------

void Skill_AttackTelekinesis::SwipeAction(Character& caster, const Name& event, unsigned targetId,
                                          const WorldVec3& targetPoint)
{
    SkillActivatedSpell::SwipeAction(caster, event, targetId, targetPoint);
    FindObjectToThrow(caster.GetCoords());
    ClaimObject(caster, caster.GetCoords().GetPosition());
    if (AnimationSet* animations = caster.GetAnimationSet())
        animations->PlayAnimationIfAvailable(caster, AnimationSet_Special, m_loopingAnimation, 1.0f, true, 0);
}

bool Skill_AttackTelekinesis::EndAction(Character&)
{
    return m_handleState < Handle_Reaching || m_handleState > Handle_Holding;
}

void Skill_AttackTelekinesis::ActivateNow(Character& caster, const Name&, unsigned targetId,
                                          const WorldVec3& targetPoint)
{
    m_handleState = Handle_Thrown;
    ThrowObject(caster, targetPoint, targetId);
    PlayHitSound(caster.GetCoords().GetPosition());
}

void Skill_AttackTelekinesis::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                           const WorldCoords& coords, unsigned seed, unsigned weaponId, bool)
{
    // What the object strikes never includes the one who threw it.
    std::vector<uint32_t> struck = targets;
    std::erase(struck, caster.GetObjectId());
    ApplyDamageLoop(caster, struck, coords, seed, ParametersCombatStyle::Projectile, false, weaponId, 0.0f);
}

// ---- The frame --------------------------------------------------------------------------------

WorldVec3 Skill_AttackTelekinesis::GripPosition() const
{
    if (const Puppet* puppet = GetPuppet())
        return puppet->GetAttachPointPosition(WristName());
    const ProjectileTelekinesis* object = GetHeld();
    return object ? object->GetCoords().GetPosition() : WorldVec3();
}

WorldCoords Skill_AttackTelekinesis::WobbleCoords(const WorldCoords& coords) const
{
    auto swing = [this](uint32_t degrees) {
        return static_cast<float>(m_wobbleAmplitude) * Sin(DegreesToRadians(static_cast<float>(degrees % 360)));
    };
    const auto offsetX = static_cast<uint32_t>(m_wobbleOffsetX);
    const auto offsetY = static_cast<uint32_t>(m_wobbleOffsetY);
    Coords turned = TurnedAbout(coords.GetRegionCoords(), {1, 0, 0}, swing(m_wobblePhase));
    turned = TurnedAbout(turned, {0, 1, 0}, swing(m_wobblePhase + offsetX));
    turned = TurnedAbout(turned, {0, 0, 1}, swing(m_wobblePhase + offsetY));
    turned.origin = coords.GetRegionCoords().origin;
    return WorldCoords(coords.GetRegion(), Orthonormalized(turned));
}

void Skill_AttackTelekinesis::PlaceWobbling(const WorldCoords& coords)
{
    const WorldCoords wobbling = WobbleCoords(coords);
    if (Puppet* puppet = GetPuppet())
        World::Get().SetCoords(puppet, wobbling);
    if (ProjectileTelekinesis* object = GetHeld())
        World::Get().SetCoords(
            object, WorldCoords(wobbling.GetRegion(), ComposeFrames(wobbling.GetRegionCoords(), m_gripOffset)));
}

void Skill_AttackTelekinesis::MoveBeam(int elapsedMs)
{
    m_beamHead = std::clamp(m_beamHead + static_cast<float>(elapsedMs) * 0.001f * m_headVelocity, 0.0f, 1.0f);
    if (ChaosBeam* beam = GetBeam())
        beam->SetTopBottomPercent(m_beamHead, 0.0f);
    if (m_beamHead < 1.0f)
        return;
    m_handleState = Handle_WaitingForPuppet;
    if (Puppet* puppet = GetPuppet()) {
        puppet->SetVisibility(true);
        puppet->StartAnimating();
    }
}

void Skill_AttackTelekinesis::LiftEntity(int elapsedMs)
{
    const float handHeight = m_handPoint.GetRegionPosition().y;
    if (m_liftCoords.GetRegionCoords().origin.y >= handHeight) {
        m_handleState = Handle_MovingOverhead;
        return;
    }
    const float rise = static_cast<float>(elapsedMs) * 0.001f * m_liftSpeed;
    for (WorldCoords* coords : {&m_liftCoords, &m_claimCoords}) {
        Coords raised = coords->GetRegionCoords();
        raised.origin.y += rise;
        *coords = WorldCoords(coords->GetRegion(), raised);
    }
    PlaceWobbling(m_liftCoords);
}

void Skill_AttackTelekinesis::MoveEntity(Character& caster, int elapsedMs)
{
    m_moveProgress += static_cast<float>(elapsedMs) * m_moveOverHeadVelocity * 0.001f;
    // A goal the object already stands at is reached: 0 / 0 would never become 1.
    const float part =
        m_moveDistance < kArrivedDistance ? 1.0f : std::clamp(m_moveProgress / m_moveDistance, 0.0f, 1.0f);
    PlaceWobbling(Lerp(m_liftCoords, m_overheadCoords, part));
    if (!(part >= 1.0f))
        return;
    m_handleState = Handle_Holding;
    if (AnimationSet* animations = caster.GetAnimationSet())
        animations->PlayAnimationIfAvailable(caster, AnimationSet_Special, m_endingAnimation, 1.0f, false, 1);
}

void Skill_AttackTelekinesis::WobbleEntity() { PlaceWobbling(m_overheadCoords); }

void Skill_AttackTelekinesis::Update(Character& caster, int elapsedMs)
{
    SkillActivatedSpell::Update(caster, elapsedMs);
    if (m_handleState == Handle_Idle)
        return;
    const int64_t turn = static_cast<int64_t>(static_cast<float>(elapsedMs) * 0.18f);
    m_wobblePhase = static_cast<uint32_t>(((static_cast<int64_t>(m_wobblePhase) + turn) % 360 + 360) % 360);
    if (!GetHeld()) {
        m_handleState = Handle_Idle;
        ReleaseObject();
        return;
    }
    if (ChaosBeam* beam = GetBeam())
        beam->SetEndPoints(caster.GetAttachPointPosition(SpecialHitName()), GripPosition());
    switch (m_handleState) {
    case Handle_Reaching:
        MoveBeam(elapsedMs);
        break;
    case Handle_WaitingForPuppet:
        if (const Puppet* puppet = GetPuppet(); !puppet || puppet->IsReady())
            m_handleState = Handle_Lifting;
        break;
    case Handle_Lifting:
        LiftEntity(elapsedMs);
        break;
    case Handle_MovingOverhead:
        MoveEntity(caster, elapsedMs);
        break;
    case Handle_Holding:
        WobbleEntity();
        break;
    case Handle_Idle:
    case Handle_Thrown:
        break;
    }
}

}  // namespace GAME
