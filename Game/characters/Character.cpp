#include "Game/characters/Character.h"

#include <limits>

#include "Game/items/Item.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Character, Actor)

Character::Character() : m_skillManager(std::make_unique<SkillManager>()) {}

Character::~Character() = default;

WorldVec3 Character::GetPathPosition()
{
    if (!m_pathPosition.IsValid() && IsInWorld())
        m_pathPosition = GetCoords().GetPosition();
    return m_pathPosition;
}

void Character::TeleportToLocation(const WorldCoords& coords)
{
    World::Get().AddEntity(this, coords);
    m_pathPosition = coords.GetPosition();
}

// ---- Gold, items given and quest commands ----------------------------------------------

void Character::AddMoney(uint32_t amount)
{
    const uint32_t room = std::numeric_limits<uint32_t>::max() - m_money;
    m_money += amount < room ? amount : room;
}

void Character::SubtractMoney(uint32_t amount)
{
    m_money -= amount < m_money ? amount : m_money;
}

void Character::GiveItemToCharacter(Item* item)
{
    if (item)
        m_inventoryItems.push_back(item->GetObjectId());
}

void Character::QuestCommandMove(uint32_t, const WorldVec3&, bool) {}
void Character::QuestCommandWalk(uint32_t, const WorldVec3&, bool) {}
void Character::QuestCommandPlayAnimation(uint32_t, bool, bool) {}
void Character::QuestCommandUseSkill(const std::string&, uint32_t, bool) {}

}  // namespace GAME
