#include "Game/skills/Skill_BossKinds.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerSpirit.h"
#include "Game/characters/Character.h"
#include "Game/characters/Monster.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillGodBeam, ChaosBeam)
GAME_IMPLEMENT_CLASS(Skill_SpawnMegalesiosSpirit, Skill_DemoFauxAttack)
GAME_IMPLEMENT_CLASS(Skill_TyphonSkillTransfer, SkillActivated)

namespace boss_kinds {

const Name& BeamPoint()
{
    static const Name name("Beam");
    return name;
}

WorldVec3 MiddleOf(const Actor& actor)
{
    WorldVec3 middle = actor.GetCoords().GetPosition();
    middle.TranslateInRegion(actor.GetCenterOfMass());
    return middle;
}

// Coordinates at the point, turned as nothing is.
WorldCoords Unturned(const WorldVec3& point)
{
    return WorldCoords(point.GetRegion(), Coords::MakeTranslation(point.GetRegionPosition()));
}

// The effect of that record when it is one; null for an empty name or another class.
EffectEntity* MakeEffect(const std::string& record)
{
    return record.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<EffectEntity>(record);
}

// Takes an effect out of the world and destroys it.
void DestroyEffect(uint32_t effectId)
{
    if (EffectEntity* effect = ObjectManager::Get().GetObject<EffectEntity>(effectId)) {
        World::Get().RemoveEntity(effect);
        ObjectManager::Get().DestroyObjectEx(effect, "Skill_BossKinds", __LINE__);
    }
}

// An end effect the beam no longer needs: it stops emitting and is left to the world,
// which ends it once its last particles are gone.
void LetGo(uint32_t& effectId)
{
    if (EffectEntity* effect = ObjectManager::Get().GetObject<EffectEntity>(effectId)) {
        effect->StopEmitting();
        if (effect->IsInWorld())
            effect->AddToWorld(effect->GetCoords(), true);
        else
            ObjectManager::Get().DestroyObjectEx(effect, "Skill_BossKinds", __LINE__);
    }
    effectId = 0;
}

// An end effect emitting at the point; its id, 0 when none was made or placed.
uint32_t StartEndEffect(const std::string& record, const WorldVec3& point)
{
    EffectEntity* effect = MakeEffect(record);
    if (!effect)
        return 0;
    effect->StartEmitting();
    if (!effect->AddToWorld(Unturned(point), false)) {
        ObjectManager::Get().DestroyObjectEx(effect, "Skill_BossKinds", __LINE__);
        return 0;
    }
    return effect->GetObjectId();
}

}  // namespace boss_kinds

SkillGodBeam::~SkillGodBeam() = default;

// ---- Spirit burst ------------------------------------------------------------------------

Skill_SpawnMegalesiosSpirit::Skill_SpawnMegalesiosSpirit() { m_kindText = "^bSpawn Megalesios Spirit"; }

Skill_SpawnMegalesiosSpirit::~Skill_SpawnMegalesiosSpirit()
{
    for (const Burst& burst : m_bursts)
        boss_kinds::DestroyEffect(burst.effectId);
}

void Skill_SpawnMegalesiosSpirit::Load(const LoadTable& table)
{
    Skill_DemoFauxAttack::Load(table);
    m_burstVelocity = table.GetFloat("burstVelocity", 1.0f);
    m_burstName = table.GetString("burstName", "");
}

void Skill_SpawnMegalesiosSpirit::ActivateNow(Character& caster, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    std::vector<Monster*> found;
    GetMonstersInSphere(found, caster.GetRegion(),
                        Sphere{caster.GetCoords().GetRegionCoords().origin, kHostSearchRadius}, EntityList_All);
    std::vector<uint32_t> hosts;
    const ObjectManager& objects = ObjectManager::Get();
    for (const Monster* monster : found) {
        if (objects.GetObject<ControllerSpiritHost>(monster->GetControllerId()))
            hosts.push_back(monster->GetObjectId());
    }
    services->SendTargetResult(GetObjectId(), hosts, caster.GetCoords(), NewSeed(), 0, false);
}

void Skill_SpawnMegalesiosSpirit::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                               const WorldCoords&, unsigned, unsigned, bool)
{
    for (const uint32_t id : targets) {
        if (!ObjectManager::Get().GetObject<Monster>(id))
            continue;
        Burst burst{id, 0, boss_kinds::MiddleOf(caster)};
        if (EffectEntity* effect = boss_kinds::MakeEffect(m_burstName)) {
            if (effect->AddToWorld(caster.GetCoords(), false))
                burst.effectId = effect->GetObjectId();
            else
                ObjectManager::Get().DestroyObjectEx(effect, "Skill_SpawnMegalesiosSpirit", __LINE__);
        }
        m_bursts.push_back(burst);
    }
}

void Skill_SpawnMegalesiosSpirit::Update(Character& caster, int elapsedMs)
{
    Skill_DemoFauxAttack::Update(caster, elapsedMs);
    const float step = static_cast<float>(elapsedMs) * m_burstVelocity * 0.001f;
    ObjectManager& objects = ObjectManager::Get();
    for (auto burst = m_bursts.begin(); burst != m_bursts.end();) {
        const Monster* host = objects.GetObject<Monster>(burst->targetId);
        if (!host) {   // nothing left to fly to: the burst ends here
            boss_kinds::DestroyEffect(burst->effectId);
            burst = m_bursts.erase(burst);
            continue;
        }
        const Vec3 toAim = boss_kinds::MiddleOf(*host) - burst->position;
        if (toAim.Length() < step) {
            if (auto* statue = objects.GetObject<ControllerSpiritHost>(host->GetControllerId()))
                statue->Animate();
            boss_kinds::DestroyEffect(burst->effectId);
            burst = m_bursts.erase(burst);
            continue;
        }
        burst->position.Translate(toAim.Unit() * step);
        if (EffectEntity* effect = objects.GetObject<EffectEntity>(burst->effectId))
            World::Get().SetCoords(effect, WithPosition(effect->GetCoords(), burst->position));
        ++burst;
    }
}

// ---- Skill transfer ----------------------------------------------------------------------

Skill_TyphonSkillTransfer::Skill_TyphonSkillTransfer()
{
    m_kindText = "^bTyphon Skill Transfer";
    m_primary = true;
    m_secondary = true;
}

Skill_TyphonSkillTransfer::Skill_TyphonSkillTransfer(const Skill_TyphonSkillTransfer& other)
    : SkillActivatedSpell(other)
{
    CopyFields(other);
}

Skill_TyphonSkillTransfer& Skill_TyphonSkillTransfer::operator=(const Skill_TyphonSkillTransfer& other)
{
    if (this != &other) {
        SkillActivatedSpell::operator=(other);
        CopyFields(other);
    }
    return *this;
}

void Skill_TyphonSkillTransfer::CopyFields(const Skill_TyphonSkillTransfer& other)
{
    m_beamVelocity = other.m_beamVelocity;
    m_progress = other.m_progress;
    m_beamTarget = other.m_beamTarget;
    m_sourceEndName = other.m_sourceEndName;
    m_sourceEnd = other.m_sourceEnd;
    m_targetEndName = other.m_targetEndName;
    m_targetEnd = other.m_targetEnd;
}

Skill_TyphonSkillTransfer::~Skill_TyphonSkillTransfer()
{
    if (SkillGodBeam* beam = GetBeam())
        beam->Liberate();
}

SkillGodBeam* Skill_TyphonSkillTransfer::GetBeam() const { return ObjectManager::Get().GetObject<SkillGodBeam>(m_beam); }

EffectEntity* Skill_TyphonSkillTransfer::GetSourceEnd() const
{
    return ObjectManager::Get().GetObject<EffectEntity>(m_sourceEnd);
}

EffectEntity* Skill_TyphonSkillTransfer::GetTargetEnd() const
{
    return ObjectManager::Get().GetObject<EffectEntity>(m_targetEnd);
}

void Skill_TyphonSkillTransfer::Load(const LoadTable& table)
{
    SkillActivatedSpell::Load(table);
    const std::string beam = table.GetString("skillGodBeam", "");
    if (!beam.empty()) {
        if (SkillGodBeam* made = ObjectManager::Get().CreateObjectFromFile<SkillGodBeam>(beam))
            m_beam = made->GetObjectId();
    }
    m_beamVelocity = table.GetFloat("beamVelocity", 1.0f);
    m_sourceEndName = table.GetString("sourceEnd", "");
    m_targetEndName = table.GetString("targetEnd", "");
}

void Skill_TyphonSkillTransfer::PreLoad(bool preloadNow)
{
    SkillActivatedSpell::PreLoad(preloadNow);
    if (SkillGodBeam* beam = GetBeam())
        beam->PreLoad(preloadNow);
}

void Skill_TyphonSkillTransfer::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    m_progress = 0.0f;
    SkillServicesBase* services = GetServices();
    if (services && ObjectManager::Get().GetObject<Character>(targetId))
        services->SendTargetResult(GetObjectId(), {targetId}, caster.GetCoords(), NewSeed(), 0, false);
}

void Skill_TyphonSkillTransfer::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                             const WorldCoords&, unsigned seed, unsigned, bool)
{
    if (targets.empty())
        return;
    // Every peer starts the beam's run again here, not only the peer that cast it.
    m_progress = 0.0f;
    RandomUniform random;
    random.Seed(seed);
    for (const uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        ParametersCombat params(random);
        params.attackerId = caster.GetObjectId();
        CreateTargetFx(target->GetCoords());
        target->TakeAttack(params);
        PlayHitSound(target->GetCoords().GetPosition());
        SkillGodBeam* beam = GetBeam();
        if (!beam)
            continue;
        beam->SetEndPoints(boss_kinds::MiddleOf(*target), boss_kinds::MiddleOf(caster));
        beam->SetTopBottomPercent(0.0f, 0.0f);
        if (beam->GetRegion())
            World::Get().RemoveEntity(beam);
        World::Get().AddEntity(beam, caster.GetCoords());
        m_beamShown = true;
        m_beamTarget = target->GetObjectId();
    }
}

void Skill_TyphonSkillTransfer::Update(Character& caster, int elapsedMs)
{
    SkillActivatedSpell::Update(caster, elapsedMs);
    SkillGodBeam* beam = GetBeam();
    const Character* target = m_beamTarget ? ObjectManager::Get().GetObject<Character>(m_beamTarget) : nullptr;
    if (!beam || !target)
        return;
    m_progress += static_cast<float>(elapsedMs) * m_beamVelocity * 0.001f;
    const WorldVec3 targetPoint = target->GetAttachPointPosition(boss_kinds::BeamPoint());
    const WorldVec3 casterPoint = caster.GetAttachPointPosition(boss_kinds::BeamPoint());
    if (m_progress <= 1.0f) {
        if (!GetSourceEnd())
            m_sourceEnd = boss_kinds::StartEndEffect(m_sourceEndName, targetPoint);
        beam->SetEndPoints(targetPoint, casterPoint);
        beam->SetTopBottomPercent(m_progress, 0.0f);
    } else if (m_progress <= 2.0f) {
        boss_kinds::LetGo(m_sourceEnd);
        if (!GetTargetEnd())
            m_targetEnd = boss_kinds::StartEndEffect(m_targetEndName, casterPoint);
        beam->SetEndPoints(targetPoint, casterPoint);
        beam->SetTopBottomPercent(1.0f, m_progress - 1.0f);
    } else {
        boss_kinds::LetGo(m_targetEnd);
        beam->SetTopBottomPercent(0.0f, 0.0f);
    }
}

}  // namespace GAME
