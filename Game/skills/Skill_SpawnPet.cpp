#include "Game/skills/Skill_SpawnPet.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Character.h"
#include "Game/characters/Monster.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/SkillPets.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_SpawnPet, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_SpawnPetMonster, Skill_SpawnPet)

namespace {

// The point dropped onto the floor below it; kept as it is when there is none.
WorldVec3 OnFloor(WorldVec3 point)
{
    const float floor = World::Get().GetFloorHeightBelow(point);
    if (std::isfinite(floor)) {
        Vec3 position = point.GetRegionPosition();
        position.y = floor;
        point.SetRegionPosition(position);
    }
    return point;
}

// The coordinates' turn at another position of their region.
WorldCoords At(const WorldCoords& coords, const WorldVec3& position)
{
    Coords moved = coords.GetRegionCoords();
    moved.origin = position.GetRegionPosition();
    return WorldCoords(coords.GetRegion(), moved);
}

}  // namespace

Skill_SpawnPet::Skill_SpawnPet()
{
    m_kindText = "^bSpawn Pet";
    m_skillType = 1;
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
}

void Skill_SpawnPet::Update(Character& caster, int elapsedMs)
{
    Skill::Update(caster, elapsedMs);
    ForgetDeadPets(m_pets);
}

void Skill_SpawnPet::ActivateNow(Character& caster, const Name&, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    const unsigned count = GetNumPets(caster);
    if (!services || count == 0)
        return;
    float casterRadius = (caster.GetExtents() + 2.0f) * GetExtentsMultiplier();
    float petRadius = GetExtentsMultiplier() * GetPetExtents();
    if (SwapCasterWithPet())
        casterRadius = petRadius = std::max(casterRadius, petRadius);
    std::vector<float> radii(count + 1, petRadius);
    radii.front() = casterRadius;
    std::vector<WorldVec3> points;
    if (!PathFinder::FillPointSet(caster.GetCoords().GetPosition(), radii, points, true))
        return;   // no room: nothing is spent
    const WorldCoords casterCoords = GetNewCasterCoords(caster, points);
    const WorldCoords casterOnFloor = At(casterCoords, OnFloor(casterCoords.GetPosition()));
    std::vector<WorldCoords> spots;
    std::vector<uint32_t> ids;
    for (const WorldVec3& point : points) {
        const uint32_t id = ObjectManager::Get().CreateObjectID();
        if (id == 0)
            break;
        spots.push_back(At(casterOnFloor, OnFloor(point)));
        ids.push_back(id);
    }
    if (!ids.empty())
        services->SendSpawnObject(GetObjectId(), casterOnFloor, 0, spots, ids, NewSeed());
}

void Skill_SpawnPet::SkillSpawnObject(Character& caster, const WorldCoords& casterCoords, unsigned,
                                      const std::vector<WorldCoords>& spots, const std::vector<uint32_t>& ids,
                                      unsigned seed)
{
    SetCasterCoords(caster, casterCoords);
    if (!ids.empty()) {
        SubtractManaCost();
        StartCooldown();
        PlayHitSound(casterCoords.GetPosition());
    }
    // A peer's list is bounded by what one cast may make; ids past it, or already
    // taken by a live object, make nothing.
    const size_t limit = std::min<size_t>(ids.size(), SkillProfile::kMaxPetBurst + 1);
    for (size_t i = 0; i < limit; ++i)
        SpawnPet(caster, i < spots.size() ? spots[i] : casterCoords, ids[i], seed);
    ActivateSecondarySkills(caster, 0, ids, casterCoords.GetPosition());
}

void Skill_SpawnPet::SpawnPet(Character& caster, const WorldCoords& coords, unsigned objectId, unsigned)
{
    const SkillProfile* profile = GetSkillProfile();
    const unsigned level = GetCurrentLevel();
    const int timeToLive = profile ? profile->GetSpawnObjectTimeToLive(level) : 0;
    if (Monster* pet = SpawnSkillPet(*this, caster, coords, objectId, GetSpawnObject(level), timeToLive,
                                     ShouldJoinWithParent())) {
        m_pets.push_back(pet->GetObjectId());
        PostPetSpawned(caster, *pet);
    }
    const unsigned limit = profile ? profile->GetPetLimit(level) : 0;
    if (limit != 0 && m_pets.size() > limit)
        ReleaseOnePet(caster);
}

void Skill_SpawnPet::StopSkill(Character& caster)
{
    Skill::StopSkill(caster);
    ReleasePets(caster);
}

void Skill_SpawnPet::PreLoadResources()
{
    SkillActivatedSpell::PreLoadResources();
    PreLoadPet();
}

Monster* SpawnSkillPet(Skill& skill, Character& caster, const WorldCoords& coords, uint32_t objectId,
                       const std::string& record, int timeToLiveMs, bool join, const WorldCoords* effectAt)
{
    skill.CreateTargetFx(effectAt ? *effectAt : coords);
    Monster* pet = nullptr;
    const Object* there = objectId != 0 ? ObjectManager::Get().GetObject(objectId) : nullptr;
    if (objectId != 0 && !there && !record.empty())
        pet = ObjectManager::Get().CreateObjectFromFile<Monster>(record, objectId);
    // A peer joining as the pet is made is told of the pet twice: its image, then the
    // spawn that made it. The image may come first; the pet is there, and nothing is made.
    if (const auto* made = DynamicCast<const Monster>(there);
        made && !record.empty() && PathEqualsNoCase(made->GetObjectName().c_str(), record.c_str())) {
        gEngine->Log(LOG_INFO, "Pet %u (%s) is here already", objectId, record.c_str());
        return nullptr;
    }
    if (!pet) {
        gEngine->Log(LOG_WARNING, "Failed to spawn pet object (%s)", record.c_str());
        return nullptr;
    }
    if (join)
        pet->JoinMe(caster.GetObjectId(), -1, false);
    if (Monster* monster = DynamicCast<Monster>(&caster))
        monster->TransferAnger(*pet);
    if (timeToLiveMs > 0)
        pet->SetLifetime(timeToLiveMs);
    pet->SetOwnedByClient(true);
    World::Get().AddEntity(pet, coords);
    return pet;
}

void ReleaseSkillPet(uint32_t petId)
{
    const ObjectManager& objects = ObjectManager::Get();
    if (const Character* pet = objects.GetObject<Character>(petId))
        if (ControllerCombat* controller = objects.GetObject<ControllerCombat>(pet->GetControllerId()))
            controller->KillMe();
}

void ForgetDeadPets(std::vector<uint32_t>& pets)
{
    std::erase_if(pets, [](uint32_t id) {
        const Character* pet = ObjectManager::Get().GetObject<Character>(id);
        return pet && !pet->IsAlive();
    });
}

void Skill_SpawnPet::ReleasePets(Character&)
{
    for (uint32_t id : m_pets)
        ReleaseSkillPet(id);
    m_pets.clear();
}

void Skill_SpawnPet::ReleaseOnePet(Character&)
{
    if (m_pets.empty())
        return;
    ReleaseSkillPet(m_pets.front());
    m_pets.erase(m_pets.begin());
}

WorldCoords Skill_SpawnPet::GetNewCasterCoords(Character& caster, std::vector<WorldVec3>& points)
{
    if (!points.empty())
        points.erase(points.begin());
    return caster.GetCoords();
}

unsigned Skill_SpawnPet::GetBurst() const
{
    const SkillProfile* profile = GetSkillProfile();
    const unsigned burst = profile ? profile->GetPetBurstSpawn(GetCurrentLevel()) : 0;
    return burst == 0 ? 1 : burst;
}

unsigned Skill_SpawnPet::GetNumPets(Character&) const { return GetBurst(); }

std::string Skill_SpawnPet::GetSpawnObject(unsigned) const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetSpawnObject(GetCurrentLevel()) : std::string();
}

// ---- The monsters' kind ------------------------------------------------------------------

Skill_SpawnPetMonster::Skill_SpawnPetMonster() { m_kindText = "^bSpawn Pet Monster"; }

void Skill_SpawnPetMonster::Update(Character& caster, int elapsedMs)
{
    // A pet whose object is gone (freed after its death, or taken out of the game) would
    // otherwise hold its place in the group for ever and the monster never summon again.
    // The group is counted before the availability is found again.
    std::erase_if(m_pets, [](uint32_t id) { return !ObjectManager::Get().GetObject<Character>(id); });
    ForgetDeadPets(m_pets);
    Skill_SpawnPet::Update(caster, elapsedMs);
}

bool Skill_SpawnPetMonster::SetAvailability(bool ignoreMana, bool ignoreCooldown)
{
    const bool available = Skill_SpawnPet::SetAvailability(ignoreMana, ignoreCooldown);
    return available && m_pets.size() < GetBurst();
}

unsigned Skill_SpawnPetMonster::GetNumPets(Character&) const
{
    const size_t burst = GetBurst();
    return m_pets.size() >= burst ? 0 : static_cast<unsigned>(burst - m_pets.size());
}

}  // namespace GAME
