#include "host/HostOutfit.h"

#include <cstdio>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

constexpr const char* kBreastplateRecord = "Records/Item/ArenaBreastplate.dbr";
constexpr const char* kPrefixRecord = "Records/Item/Loot/PrefixSturdy.dbr";
constexpr const char* kSuffixRecord = "Records/Item/Loot/SuffixOfWarding.dbr";
constexpr uint32_t kBreastplateSeed = 4711;
constexpr const char* kSkillRecord = "Records/Skills/ArenaToughness.dbr";
constexpr unsigned kSkillLevel = 2;
// The pack's lines at the first balance level.
constexpr unsigned kPackLevel = 1;
// An item shows its attributes at level 1.
constexpr unsigned kItemLevel = 1;

void Print(const char* what, const std::u16string& line)
{
    std::printf("gamehost: %s: %s\n", what, LocalizationManager::ToChar(line).c_str());
}

void Print(const char* what, const std::vector<std::u16string>& lines)
{
    for (const std::u16string& line : lines)
        Print(what, line);
}

}  // namespace

bool HostOutfit::Dress(Character& monster)
{
    ItemReplicaInfo replica;
    replica.baseName = kBreastplateRecord;
    replica.prefixName = kPrefixRecord;
    replica.suffixName = kSuffixRecord;
    replica.seed = kBreastplateSeed;
    auto* armor = DynamicCast<ItemEquipment>(Item::CreateItem(replica));
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkillRecord);
    if (!armor || !skill) {
        for (Object* made : {static_cast<Object*>(armor), static_cast<Object*>(skill)})
            if (made)
                ObjectManager::Get().DestroyObjectEx(made, "HostOutfit", __LINE__);
        return false;
    }
    m_armorId = armor->GetObjectId();
    m_skillId = skill->GetObjectId();
    monster.GetCombatManager().GetEquipManager().SetBodyArmor(m_armorId);
    skill->SetSkillLevel(kSkillLevel);
    monster.GetSkillManager().AddToActiveList(skill);
    return true;
}

void HostOutfit::Undress()
{
    for (uint32_t id : {m_armorId, m_skillId})
        if (Object* object = ObjectManager::Get().GetObject(id))
            ObjectManager::Get().DestroyObjectEx(object, "HostOutfit", __LINE__);
    m_armorId = m_skillId = 0;
}

void HostOutfit::PrintPlayerPack()
{
    std::vector<GameTextLine> lines;
    gGameEngine->GetPlayerAttributePak().GetUIDisplayText(kPackLevel, GameTextClass::ItemBonuses, lines);
    for (const GameTextLine& line : lines)
        Print("player pack", line.text);
}

// The name, then the families in the order of an item's lines: defence, character, skill
// (base lines before bonus lines).
void HostOutfit::PrintToolTip() const
{
    const auto* armor = ObjectManager::Get().GetObject<ItemEquipment>(m_armorId);
    if (!armor)
        return;
    Print("breastplate", armor->GetGameDescription(false));
    std::vector<std::u16string> base, bonus;
    armor->GetDefenseAttrStore().CreateText(base, bonus, kItemLevel);
    Print("breastplate", base);
    Print("breastplate", bonus);
    base.clear();
    bonus.clear();
    armor->GetCharAttrStore().CreateText(base, bonus, kItemLevel);
    Print("breastplate", base);
    Print("breastplate", bonus);
    std::vector<std::u16string> skills;
    armor->GetSkillAttrStore().CreateText(skills, kItemLevel);
    Print("breastplate", skills);
}

}  // namespace GAME
