// The pets a skill summons, shared by the pet-making skill kinds: made under an id the
// driving peer chose, joined to the caster, and released through their controllers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class Character;
class Monster;
class Skill;
class WorldCoords;

// The skill's target effect at the place (at `effectAt` when given), then the monster of
// `record` under the id (none when the id is 0 or taken: logged "Failed to spawn pet
// object"), joined to the caster when asked, given the caster's anger when the caster is
// a monster, a life of `timeToLiveMs` when positive, marked as made by a skill's command
// on every peer, and put into the world at the place.
Monster* SpawnSkillPet(Skill& skill, Character& caster, const WorldCoords& coords, uint32_t objectId,
                       const std::string& record, int timeToLiveMs, bool join,
                       const WorldCoords* effectAt = nullptr);
// The pet dies through its controller, when both still exist.
void ReleaseSkillPet(uint32_t petId);
// Pets that died leave the list; one that can no longer be found stays until released.
void ForgetDeadPets(std::vector<uint32_t>& pets);

}  // namespace GAME
