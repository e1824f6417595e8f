#include "Game/skills/ProjectileBase.h"

#include <cstring>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ProjectileBase, Actor)

namespace {

// True when a class of the subtree under `root` (the root included) bears the name,
// that is, when an object created by that name would be one of root's kind.
bool SubtreeHasClass(const RTTI_ClassInfo& root, const char* name)
{
    if (std::strcmp(root.GetName(), name) == 0)
        return true;
    for (int i = 0; i < root.GetChildCount(); ++i)
        if (SubtreeHasClass(*root.GetChild(i), name))
            return true;
    return false;
}

}  // namespace

float ProjectileBase::ReadVelocity(const LoadTable& table)
{
    return table.GetFloat("projectileVelocity", 0.0f);
}

void ProjectileBase::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_velocity = ReadVelocity(table);
}

float ProjectileBase::GetRecordTotalSpeed(const std::string& recordName)
{
    if (recordName.empty())
        return 0.0f;
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table || !SubtreeHasClass(classInfo, table->GetString("Class", "")))
        return 0.0f;
    return TotalSpeed(ReadVelocity(*table), 0.0f);
}

}  // namespace GAME
