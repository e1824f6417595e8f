#include "Game/skills/SkillOnDeath.h"

#include <algorithm>
#include <string>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillOnDeath, Skill)
GAME_IMPLEMENT_CLASS(Skill_OnDeathSpawnActor, SkillOnDeath)

namespace {

// One death leaves one object.
constexpr size_t kLeftPerDeath = 1;

}  // namespace

Skill_OnDeathSpawnActor::Skill_OnDeathSpawnActor()
{
    m_kindText = "^bSpawn Actor on Death";
    m_primary = false;
    m_secondary = false;
    m_repeatable = false;
}

void Skill_OnDeathSpawnActor::ActivateOnDeathNow(Character& owner)
{
    SkillServicesBase* services = GetServices();
    if (GetCurrentLevel() == 0 || !services)
        return;
    const WorldCoords& centre = owner.GetCoords();
    WorldVec3 floor = centre.GetPosition();
    floor.TranslateToFloor(Vec3{});   // kept where it is when there is no floor below
    Coords place = centre.GetRegionCoords();
    place.origin = floor.GetRegionPosition();
    const uint32_t id = ObjectManager::Get().CreateObjectID();
    if (id == 0)
        return;
    services->SendSpawnObject(GetObjectId(), centre, 0, {WorldCoords(centre.GetRegion(), place)}, {id}, NewSeed());
}

void Skill_OnDeathSpawnActor::SkillSpawnObject(Character& owner, const WorldCoords& centre, unsigned,
                                               const std::vector<WorldCoords>& places,
                                               const std::vector<uint32_t>& ids, unsigned seed)
{
    if (ids.empty())
        return;
    PlayHitSound(centre.GetPosition());
    const size_t count = std::min(ids.size(), kLeftPerDeath);
    for (size_t i = 0; i < count; ++i)
        SpawnActor(owner, i < places.size() ? places[i] : centre, ids[i], seed);
}

void Skill_OnDeathSpawnActor::SpawnActor(Character&, const WorldCoords& place, uint32_t objectId, unsigned)
{
    const SkillProfile* profile = GetSkillProfile();
    const std::string record = profile ? profile->GetSpawnObject(GetCurrentLevel()) : std::string();
    ObjectManager& objects = ObjectManager::Get();
    Actor* actor = nullptr;
    if (objectId != 0 && !objects.GetObject(objectId) && !record.empty())
        actor = objects.CreateObjectFromFile<Actor>(record, objectId);
    if (!actor) {
        gEngine->Log(LOG_WARNING, "Failed to spawn object (%s)", record.c_str());
        return;
    }
    World::Get().AddEntity(actor, place);
}

}  // namespace GAME
