#include "Game/skills/Skill_MonsterGenerator.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/SkillPets.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_MonsterGenerator, Skill)

namespace {

// How far a creature stands to the owner's side and ahead of it.
constexpr float kGeneratedSideOffset = 2.0f;
constexpr float kGeneratedAheadOffset = 2.0f;
// Each message carries one creature.
constexpr size_t kGeneratedPerMessage = 1;

bool IsLivingCharacter(uint32_t id)
{
    const Character* creature = id ? ObjectManager::Get().GetObject<Character>(id) : nullptr;
    return creature && creature->IsAlive();
}

}  // namespace

Skill_MonsterGenerator::Skill_MonsterGenerator()
{
    m_kindText = "^bMonster Skill - Generator";
    m_primary = false;
    m_secondary = false;
}

void Skill_MonsterGenerator::Update(Character& owner, int)
{
    SkillServicesBase* services = GetServices();
    if (!owner.IsAlive() || m_requestPending || !services)
        return;
    if (!IsLivingCharacter(m_firstCreature)) {
        m_firstCreature = 0;
        SendSpawnPet(owner, *services, m_firstCreature, false);
    }
    if (!IsLivingCharacter(m_secondCreature)) {
        m_secondCreature = 0;
        SendSpawnPet(owner, *services, m_secondCreature, true);
    }
}

void Skill_MonsterGenerator::SendSpawnPet(Character& owner, SkillServicesBase& services, uint32_t& creatureId,
                                          bool second)
{
    // The choice names a record from 1 up: with none to name, nothing is sent.
    const SkillProfile* profile = GetSkillProfile();
    const unsigned records = profile ? profile->GetNumberOfSpawnObjects() : 0;
    if (records == 0 || !gGameEngine)
        return;
    const uint32_t id = ObjectManager::Get().CreateObjectID();
    if (id == 0)
        return;
    creatureId = id;
    m_requestPending = true;
    Coords frame = owner.GetCoords().GetRegionCoords();
    frame.origin = frame.origin + frame.xAxis * (second ? -kGeneratedSideOffset : kGeneratedSideOffset) +
                   frame.zAxis * kGeneratedAheadOffset;
    WorldVec3 place(owner.GetCoords().GetRegion(), frame.origin);
    place.TranslateToFloor(Vec3{});   // kept where it is when there is no floor below
    frame.origin = place.GetRegionPosition();
    const WorldCoords centre(owner.GetCoords().GetRegion(), frame);
    const int choice = gGameEngine->GetRandomGen().IGenerate(1, static_cast<int>(records));
    services.SendSpawnObject(GetObjectId(), centre, static_cast<uint32_t>(choice), {centre}, {id}, NewSeed());
}

void Skill_MonsterGenerator::SkillSpawnObject(Character& owner, const WorldCoords& centre, unsigned choice,
                                              const std::vector<WorldCoords>& places,
                                              const std::vector<uint32_t>& ids, unsigned)
{
    m_requestPending = false;
    const SkillProfile* profile = GetSkillProfile();
    // The choice stands for a level: entry choice - 1, the last past the end, none for 0.
    const std::string record = profile ? profile->GetSpawnObject(choice) : std::string();
    const int timeToLive = profile ? profile->GetSpawnObjectTimeToLive(GetCurrentLevel()) : 0;
    const bool join = owner.IsA<Player>();
    const size_t count = std::min(ids.size(), kGeneratedPerMessage);
    for (size_t i = 0; i < count; ++i) {
        // A creature that is not made leaves its id naming nothing: it is asked for again.
        const WorldCoords& effectAt = i < places.size() ? places[i] : centre;
        SpawnSkillPet(*this, owner, centre, ids[i], record, timeToLive, join, &effectAt);
    }
}

}  // namespace GAME
