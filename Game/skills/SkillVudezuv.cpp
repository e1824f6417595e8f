#include "Game/skills/SkillVudezuv.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(LightOfRaMarker, Actor)
GAME_IMPLEMENT_CLASS(Skill_VudezuvLightOfRa, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_VudezuvMirage, Skill_SpawnPet)

LightOfRaMarker::LightOfRaMarker()
{
    if (!gEngine || !gEngine->IsEditorMode())
        SetVisibility(false);
}

// ---- Light of Ra ------------------------------------------------------------------------------

Skill_VudezuvLightOfRa::Skill_VudezuvLightOfRa()
{
    m_kindText = "^bVudezuv Light Of Ra";
    m_primary = false;
    m_secondary = true;
}

void Skill_VudezuvLightOfRa::ActivateNow(Character& caster, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services)
        return;
    const WorldVec3 centre = caster.GetPathPosition();
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, caster.GetRegion(), Sphere{centre.GetRegionPosition(), kMarkerRadius},
                                     EntityList_All);
    // Every strike but the first starts the hit count again, so the first creation alone
    // pays for the cast (whatever else the query found before the first marker).
    bool first = true;
    for (const Entity* marker : found) {
        if (!marker->IsA<LightOfRaMarker>())
            continue;
        if (!first)
            services->ClearHitIteration();
        first = false;
        services->SendCreateProjectile(GetObjectId(), marker->GetCoords(), 0, marker->GetCoords().GetPosition(),
                                       NewSeed(), 0);
    }
}

// ---- Mirage -----------------------------------------------------------------------------------

Skill_VudezuvMirage::Skill_VudezuvMirage() { m_kindText = "^bVudezuv Mirage"; }

void Skill_VudezuvMirage::Load(const LoadTable& table)
{
    SkillActivated::Load(table);
    m_casterHintEffect = table.GetString("casterHintEffect", "");
}

bool Skill_VudezuvMirage::SetAvailability(bool ignoreMana, bool ignoreCooldown)
{
    const bool available = Skill::SetAvailability(ignoreMana, ignoreCooldown);
    return available && m_pets.empty();
}

WorldCoords Skill_VudezuvMirage::GetNewCasterCoords(Character& caster, std::vector<WorldVec3>& points)
{
    if (points.size() < 2 || !gGameEngine)
        return caster.GetCoords();
    // The draw may name one past the last point: then the caster stays.
    const int index = gGameEngine->GetRandomGen().IGenerate(0, static_cast<int>(points.size()));
    if (index < 0 || static_cast<size_t>(index) >= points.size())
        return caster.GetCoords();
    const WorldVec3 point = points[static_cast<size_t>(index)];
    points.erase(points.begin() + index);
    Coords coords = caster.GetCoords().GetRegionCoords();
    coords.origin = point.GetRegionPosition();
    const float floor = World::Get().GetFloorHeightBelow(point);
    if (std::isfinite(floor))
        coords.origin.y = floor;
    return WorldCoords(point.GetRegion(), coords);
}

void Skill_VudezuvMirage::SetCasterCoords(Character& caster, const WorldCoords& coords)
{
    caster.TeleportToLocation(coords);
    if (AnimationSet* animations = caster.GetAnimationSet())
        animations->PlayAnimation(caster, AnimationSet_Spawn, Name::noName, 1.0f, false, 1);
    if (m_casterHintEffect.empty())
        return;
    auto* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(m_casterHintEffect);
    if (!effect)
        return;
    if (!effect->AddToWorld(WorldCoords(coords.GetRegion(), Coords::MakeTranslation(coords.GetRegionCoords().origin)),
                            true))
        ObjectManager::Get().DestroyObjectEx(effect, "Skill_VudezuvMirage", __LINE__);
}

void Skill_VudezuvMirage::PostPetSpawned(Character& caster, Character& pet)
{
    if (auto* copy = DynamicCast<Monster>(&pet))
        copy->SetUIActorDescriptionRedirectId(caster.GetObjectId());
}

void Skill_VudezuvMirage::SkillSpawnObject(Character& caster, const WorldCoords& coords, unsigned targetId,
                                           const std::vector<WorldCoords>& spots, const std::vector<uint32_t>& ids,
                                           unsigned seed)
{
    Skill_SpawnPet::SkillSpawnObject(caster, coords, targetId, spots, ids, seed);
    const WorldVec3 centre = caster.GetCoords().GetPosition();
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, caster.GetRegion(), Sphere{centre.GetRegionPosition(), kConfusionRadius},
                                     EntityList_All);
    const TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    // Looked up again by id: a monster's reaction may take another out of the world.
    std::vector<uint32_t> nearby;
    for (const Entity* entity : found)
        nearby.push_back(entity->GetObjectId());
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : nearby) {
        Monster* monster = objects.GetObject<Monster>(id);
        if (monster && monster->IsAlive() && teams && teams->IsFoe(caster, *monster)) {
            monster->ClearAnger();
            monster->GoIdle();
        }
    }
    for (uint32_t id : nearby) {
        Player* player = objects.GetObject<Player>(id);
        if (player && player->IsAlive())
            player->ClearTarget();
    }
}

}  // namespace GAME
