#include "Game/skills/Skill_DropProjectileTelekinesis.h"

#include "Game/ai/ControllerZoverad.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/ProjectileKinds.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_DropProjectileTelekinesis, SkillActivated)

namespace {

float FiniteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

Skill_DropProjectileTelekinesis::Skill_DropProjectileTelekinesis() { m_kindText = "^bDrop Telekinesis Projectile"; }

void Skill_DropProjectileTelekinesis::Load(const LoadTable& table)
{
    Skill_AttackProjectileAreaEffect::Load(table);
    m_dropOffset = FiniteOr(table.GetFloat("dropOffset", 10.0f), 10.0f);
    m_dropHeight = FiniteOr(table.GetFloat("dropHeight", 14.0f), 14.0f);
    m_dropHeightDeviation = FiniteOr(table.GetFloat("dropHeightDeviation", 20.0f), 20.0f);
    m_numProjectiles = static_cast<unsigned>(std::max(table.GetInt("numProjectiles", 3), 0));
    std::vector<std::string> names;
    table.GetStringArray("skillProjectileName", names);
    m_projectileNames.clear();
    for (size_t i = 0; i < names.size() && i < kMaxProjectileNames; ++i)
        if (!names[i].empty())
            m_projectileNames.push_back(names[i]);
}

WorldCoords Skill_DropProjectileTelekinesis::GetLaunchPoint(Character& caster, const Name&) const
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, caster.GetRegion(),
                                     Sphere{caster.GetCoords().GetRegionCoords().origin, kDropZoneRadius},
                                     EntityList_All);
    std::erase_if(found, [](Entity* entity) { return DynamicCast<ZoveradDropZone>(entity) == nullptr; });
    WorldCoords base = caster.GetCoords();
    float spread = m_dropOffset;
    if (!found.empty()) {
        const auto* zone = DynamicCast<ZoveradDropZone>(found[static_cast<size_t>(GAME::rand()) % found.size()]);
        base = zone->GetCoords();
        spread = zone->GetRadius();
    }
    const float x = RandFloat(-spread, spread);
    const float y = RandFloat(m_dropHeight, m_dropHeight + m_dropHeightDeviation);
    const float z = RandFloat(-spread, spread);
    WorldVec3 launch = base.GetPosition();
    launch.Translate(Vec3{x, y, z});
    return WithPosition(base, launch);
}

bool Skill_DropProjectileTelekinesis::DoSpecialProjectileGo(Character& caster, ProjectileBase& projectile)
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, caster.GetRegion(),
                                     Sphere{caster.GetCoords().GetRegionCoords().origin, kClearRadius},
                                     EntityList_All);
    // Looked up again by id: an explosion may take another out of the world. The drops of
    // this cast are still falling and are spared: they clear the ground for each other.
    std::vector<uint32_t> lying;
    for (const Entity* entity : found)
        if (const auto* object = DynamicCast<ProjectileTelekinesis>(entity);
            object && object->IsIdle() && object->GetState() != ProjectileTelekinesis::kStateFalling)
            lying.push_back(object->GetObjectId());
    for (uint32_t id : lying)
        if (auto* object = ObjectManager::Get().GetObject<ProjectileTelekinesis>(id))
            object->Explode(false);
    auto* drop = DynamicCast<ProjectileTelekinesis>(&projectile);
    if (!drop)
        return false;
    if (gGameEngine)
        gGameEngine->GetCamera().Shake(kShakeMs, kShakeStrength);
    drop->ProjectileFall();
    return true;
}

std::string Skill_DropProjectileTelekinesis::GetSpecialProjectileName(unsigned index) const
{
    if (m_projectileNames.empty())
        return GetProjectileName();
    return m_projectileNames[index % m_projectileNames.size()];
}

}  // namespace GAME
