// What the skill base's sources share: the walks over a skill's modifiers and secondary
// skills, and the objects a skill owns through the object manager.
#pragma once

#include <string>

#include "Engine/ObjectManager.h"
#include "Game/skills/Skill.h"

namespace GAME {

// Each modifier whose id still resolves to a Skill_Modifier, in the order added.
template <class Visit>
void Skill::ForEachModifier(Visit visit) const
{
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_modifiers)
        if (const Skill_Modifier* modifier = objects.GetObject<Skill_Modifier>(id))
            visit(*modifier);
}

template <class Visit>
void Skill::ForEachSecondarySkill(Visit visit) const
{
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_secondarySkills)
        if (SkillSecondary* secondary = objects.GetObject<SkillSecondary>(id))
            visit(*secondary);
}

namespace skill_detail {

inline void DestroyOwned(Object* object, int line)
{
    if (object)
        ObjectManager::Get().DestroyObjectEx(object, "Skill", line);
}

// An owned object of class T from a record; null for an empty name or another class.
template <class T>
T* CreateOwned(const std::string& recordName)
{
    return recordName.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<T>(recordName);
}

}  // namespace skill_detail

}  // namespace GAME
