#include "Game/core/TeamManager.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

namespace GAME {

bool TeamManager::IsFriend(const Character& a, const Character& b) const
{
    return IsFriend(a.GetTeam(), b.GetTeam());
}

bool TeamManager::IsFoe(const Character& a, const Character& b) const
{
    return IsFoe(a.GetTeam(), b.GetTeam());
}

bool TeamManager::IsFriend(uint32_t a, uint32_t b) const
{
    ObjectManager& objects = ObjectManager::Get();
    const Character* first = objects.GetObject<Character>(a);
    const Character* second = objects.GetObject<Character>(b);
    return first && second && IsFriend(*first, *second);
}

bool TeamManager::IsFoe(uint32_t a, uint32_t b) const
{
    if (a == b)
        return false;
    ObjectManager& objects = ObjectManager::Get();
    const Character* first = objects.GetObject<Character>(a);
    const Character* second = objects.GetObject<Character>(b);
    return first && second && IsFoe(*first, *second);
}

Team TeamManager::BuildTeam(uint32_t major, uint32_t minor)
{
    Team team;
    team.Set(major, minor);
    return team;
}

Team TeamManager::DefaultPlayerTeam()
{
    return BuildTeam(kTeamMajorHuman, kTeamMinorNone);
}

Team TeamManager::DefaultMonsterTeam()
{
    return BuildTeam(kTeamMajorMonster, kTeamMinorMonsterFriendly);
}

Team TeamManager::InvisibleTeam()
{
    return BuildTeam(kTeamMajorFriendly, kTeamMinorNone);
}

}  // namespace GAME
