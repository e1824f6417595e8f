#include "Game/skills/Skill_SpawnPet.h"

#include "Game/characters/Character.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_SpawnPet, SkillActivated)

Skill_SpawnPet::Skill_SpawnPet()
{
    m_kindText = "^bSpawn Pet";
    m_skillType = 1;
    m_primary = false;
    m_secondary = true;
    m_repeatable = false;
}

void Skill_SpawnPet::Update(Character& caster, int elapsedMs) { Skill::Update(caster, elapsedMs); }
void Skill_SpawnPet::SkillSpawnObject(Character&, const WorldCoords&, unsigned, const std::vector<WorldCoords>&,
                                      const std::vector<uint32_t>&, unsigned)
{
}
void Skill_SpawnPet::StopSkill(Character& caster) { ReleasePets(caster); }
void Skill_SpawnPet::PreLoadResources() { PreLoadPet(); }
void Skill_SpawnPet::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&) {}
void Skill_SpawnPet::SpawnPet(Character&, const WorldCoords&, unsigned, unsigned) {}
void Skill_SpawnPet::ReleasePets(Character&) { m_pets.clear(); }
void Skill_SpawnPet::ReleaseOnePet(Character&) {}
WorldCoords Skill_SpawnPet::GetNewCasterCoords(Character& caster, std::vector<WorldVec3>& points)
{
    if (!points.empty())
        points.erase(points.begin());
    return caster.GetCoords();
}
unsigned Skill_SpawnPet::GetNumPets(Character&) const { return 1; }
std::string Skill_SpawnPet::GetSpawnObject(unsigned) const { return {}; }

}  // namespace GAME
