// The skill manager's walks over its lists of skill ids, for every source file of the
// skill manager that uses them (a template is defined where it is used).
#pragma once

#include <algorithm>
#include <span>

#include "Engine/ObjectManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

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
