#include "Game/skills/Skill_ZoveradChainLaser.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerTyphonChained.h"
#include "Game/ai/ControllerZoverad.h"
#include "Game/characters/Character.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ChainLaserBeam, ChaosBeam)
GAME_IMPLEMENT_CLASS(Skill_ZoveradChainLaser, SkillActivated)

namespace chain_laser {

const Name& OwnerPoint()
{
    static const Name name("Beam");
    return name;
}

const Name& StruckPoint(size_t index)
{
    static const Name names[Skill_ZoveradChainLaser::kBeams] = {Name("Beam1"), Name("Beam2"), Name("Beam3")};
    return names[index % Skill_ZoveradChainLaser::kBeams];
}

// A named point of an entity where it stands now, carried by a parent or not.
WorldVec3 PointOn(const Entity& entity, const Name& name)
{
    const WorldCoords at = entity.GetAttachedCoords();
    return WorldVec3(at.GetRegion(), at.GetRegionCoords().TransformPoint(entity.GetAttachPointOffset(name)));
}

}  // namespace chain_laser

Skill_ZoveradChainLaser::Skill_ZoveradChainLaser()
{
    m_kindText = "^bZoverad Chain Laser";
    m_primary = true;
    m_secondary = true;
}

Skill_ZoveradChainLaser::Skill_ZoveradChainLaser(const Skill_ZoveradChainLaser& other)
    : SkillActivatedSpell(other), m_beamVelocity(other.m_beamVelocity)
{
}

Skill_ZoveradChainLaser& Skill_ZoveradChainLaser::operator=(const Skill_ZoveradChainLaser& other)
{
    if (this != &other) {
        SkillActivatedSpell::operator=(other);
        m_beamVelocity = other.m_beamVelocity;
    }
    return *this;
}

Skill_ZoveradChainLaser::~Skill_ZoveradChainLaser()
{
    for (size_t i = 0; i < kBeams; ++i) {
        if (ChainLaserBeam* beam = GetBeam(i))
            beam->Liberate();
    }
}

ChainLaserBeam* Skill_ZoveradChainLaser::GetBeam(size_t index) const
{
    return ObjectManager::Get().GetObject<ChainLaserBeam>(m_beams[index % kBeams]);
}

void Skill_ZoveradChainLaser::Load(const LoadTable& table)
{
    SkillActivatedSpell::Load(table);
    const std::string beamRecord = table.GetString("chainLaserBeam", "");
    if (!beamRecord.empty()) {
        for (uint32_t& beam : m_beams) {
            if (ChainLaserBeam* made = ObjectManager::Get().CreateObjectFromFile<ChainLaserBeam>(beamRecord))
                beam = made->GetObjectId();
        }
    }
    m_beamVelocity = table.GetFloat("beamVelocity", 1.0f);
}

void Skill_ZoveradChainLaser::PreLoad(bool preloadNow)
{
    SkillActivatedSpell::PreLoad(preloadNow);
    for (size_t i = 0; i < kBeams; ++i) {
        if (ChainLaserBeam* beam = GetBeam(i))
            beam->PreLoad(preloadNow);
    }
}

void Skill_ZoveradChainLaser::ActivateNow(Character& owner, const Name&, unsigned, const WorldVec3&)
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, owner.GetRegion(),
                                     Sphere{owner.GetCoords().GetRegionCoords().origin, kChainedSearchRadius},
                                     EntityList_All);
    const auto chained = std::find_if(found.begin(), found.end(), [](const Entity* e) { return e->IsA<TyphonChained>(); });
    if (chained == found.end())
        return;
    const Entity& creature = **chained;
    for (size_t i = 0; i < creature.GetNumAttachedEntities(); ++i) {
        const Entity* chains = creature.GetAttachedEntity(i);
        SkillServicesBase* services = GetServices();
        if (!services)
            return;
        if (chains && chains->IsA<TyphonChains>())
            services->SendTargetResult(GetObjectId(), {chains->GetObjectId()}, owner.GetCoords(), NewSeed(), 0, false);
    }
}

void Skill_ZoveradChainLaser::TargetResult(Character& owner, const std::vector<uint32_t>& targets,
                                           const WorldCoords&, unsigned, unsigned, bool)
{
    for (const uint32_t id : targets) {
        Actor* struck = ObjectManager::Get().GetObject<Actor>(id);
        if (!struck)
            continue;
        const WorldCoords at = struck->GetAttachedCoords();
        CreateTargetFx(at);
        PlayHitSound(at.GetPosition());
        for (size_t i = 0; i < kBeams; ++i) {
            ChainLaserBeam* beam = GetBeam(i);
            if (!beam)
                continue;
            beam->SetEndPoints(chain_laser::PointOn(owner, chain_laser::OwnerPoint()),
                               chain_laser::PointOn(*struck, chain_laser::StruckPoint(i)));
            beam->SetTopBottomPercent(0.0f, 0.0f);
            m_progress[i] = 0.0f;
            if (beam->GetRegion())
                World::Get().RemoveEntity(beam);
            World::Get().AddEntity(beam, owner.GetCoords());
            m_beamsShown = true;
            m_done[i] = false;
        }
        m_struck = struck->GetObjectId();
        m_running = true;
    }
}

void Skill_ZoveradChainLaser::Stretch(size_t index, const Character& owner, const Actor& struck)
{
    ChainLaserBeam* beam = GetBeam(index);
    if (!beam)
        return;
    beam->SetEndPoints(chain_laser::PointOn(owner, chain_laser::OwnerPoint()),
                       chain_laser::PointOn(struck, chain_laser::StruckPoint(index)));
    const float progress = m_progress[index];
    if (progress <= 1.0f)
        beam->SetTopBottomPercent(progress, 0.0f);
    else
        beam->SetTopBottomPercent(1.0f, progress - 1.0f);
}

void Skill_ZoveradChainLaser::Hide(size_t index)
{
    if (ChainLaserBeam* beam = GetBeam(index))
        beam->SetTopBottomPercent(0.0f, 0.0f);
    m_done[index] = true;
}

void Skill_ZoveradChainLaser::Update(Character& owner, int elapsedMs)
{
    SkillActivatedSpell::Update(owner, elapsedMs);
    if (m_struck == 0)
        return;
    const Actor* struck = ObjectManager::Get().GetObject<Actor>(m_struck);
    for (size_t i = 0; i < kBeams; ++i) {
        if (m_done[i])
            continue;
        if (!struck) {
            Hide(i);
            continue;
        }
        m_progress[i] += static_cast<float>(elapsedMs) * m_beamVelocity * 0.001f;
        if (m_progress[i] <= kBeamRunLength)
            Stretch(i, owner, *struck);
        else
            Hide(i);
    }
    if (!m_running || !std::all_of(m_done.begin(), m_done.end(), [](bool done) { return done; }))
        return;
    m_running = false;
    if (auto* boss = DynamicCast<Zoverad>(&owner))
        boss->UnequipAndExplodeSickle(true);
}

}  // namespace GAME
