#include "Game/items/ItemSkillAugment.h"

namespace GAME {

ItemSkillAugment::~ItemSkillAugment() { Clear(); }

void ItemSkillAugment::CreateText(GameTextClass, std::vector<GameTextLine>&) const {}
void ItemSkillAugment::Load(const LoadTable&) {}
void ItemSkillAugment::Load(const std::string&) {}

void ItemSkillAugment::Clear()
{
    m_skills.clear();
    m_masteries.clear();
    m_allSkillsLevel = 0;
    m_granted.clear();
    m_costInfo.Reset();
}

void ItemSkillAugment::CreateItemSkills() {}
void ItemSkillAugment::ApplyToCharacter(Character&) const {}
void ItemSkillAugment::RemoveFromCharacter(Character&) const {}

}  // namespace GAME
