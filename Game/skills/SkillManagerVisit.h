// The skill manager's walks over its lists of skill ids, and the few helpers its source
// files share, for every source file of the skill manager that uses them (a template is
// defined where it is used).
#pragma once

#include <algorithm>
#include <span>

#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

class SkillActivated;

namespace SkillManagerParts {

// The manager's activated skill of a reference number; null when there is none.
SkillActivated* ActivatedByReference(const SkillManager& manager, uint32_t skillNumber);

// Asks for the skill's memory ahead of its use, so that the misses of a walk overlap: the
// first line holds the class's table and the base's members, the last the kind's own.
inline void PrefetchSkill(const Skill* skill)
{
    __builtin_prefetch(skill);
    __builtin_prefetch(reinterpret_cast<const char*>(skill) + sizeof(Skill) - 1);
}

// What an animation event asks of the skill in use.
enum class SkillEvent { None, End, Swipe, Sound1, Sound2, PropAdd, PropHide, PropRemove, Particle, Hit };

struct SkillEventEntry {
    Name name;
    SkillEvent kind;
    int which;   // the prop (1, 2), or the particle effect (1..3) times 2 plus 1 for on
};

// The entry of an animation event; null for one a skill does not hear.
const SkillEventEntry* FindSkillEvent(const Name& event);

}  // namespace SkillManagerParts

template <class Visit>
void SkillManager::ForEachSkillOf(const std::vector<uint32_t>& list, Visit visit)
{
    // Looked up a batch at a time, so that the memory reads of the batch overlap.
    constexpr size_t kBatch = 32;
    const ObjectManager& objects = ObjectManager::Get();
    const Skill* found[kBatch];
    const std::span<const uint32_t> ids(list);
    for (size_t begin = 0; begin < ids.size(); begin += kBatch) {
        const std::span<const uint32_t> batch = ids.subspan(begin, std::min(kBatch, ids.size() - begin));
        objects.GetObjects(batch, found);
        for (size_t i = 0; i < batch.size(); ++i)
            if (const Skill* skill = found[i])
                visit(*skill);
    }
}

template <class Collect>
void SkillManager::ForEachSkillInForce(const std::vector<uint32_t>& ids, Collect collect)
{
    ForEachSkillOf(ids, [&](const Skill& skill) {
        if (skill.GetCurrentLevel() != 0)
            collect(skill);
    });
}

}  // namespace GAME
