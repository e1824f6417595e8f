#include "Game/items/ItemSkillAugment.h"

#include <string>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

ItemSkillAugment::~ItemSkillAugment() { Clear(); }

ItemSkillAugment::RecordAugments ItemSkillAugment::ReadRecord(const LoadTable& table)
{
    RecordAugments read;
    const auto level = [&](const char* key) {
        const int value = table.GetInt(key, 0);
        if (value >= 0)
            return static_cast<uint32_t>(value);
        gEngine->Log(LOG_WARNING, "ItemSkillAugment: %s: \"%s\" is %d, read as 0", table.GetName().c_str(), key, value);
        read.broken = true;
        return 0u;
    };
    // The keys of the two pairs each kind has, spelled out: every item made reads them.
    using PairKeys = const char* const[2];
    const auto readPairs = [&](PairKeys& levelKeys, PairKeys& nameKeys, std::vector<Augment>& out) {
        for (int i = 0; i < 2; ++i) {
            const uint32_t pairLevel = level(levelKeys[i]);
            std::string name = table.GetString(nameKeys[i], "");
            if (pairLevel == 0 || name.empty())
                continue;
            NormalizePath(name);
            out.push_back({std::move(name), pairLevel});
        }
    };
    static constexpr PairKeys kSkillLevels = {"augmentSkillLevel1", "augmentSkillLevel2"};
    static constexpr PairKeys kSkillNames = {"augmentSkillName1", "augmentSkillName2"};
    static constexpr PairKeys kMasteryLevels = {"augmentMasteryLevel1", "augmentMasteryLevel2"};
    static constexpr PairKeys kMasteryNames = {"augmentMasteryName1", "augmentMasteryName2"};
    readPairs(kSkillLevels, kSkillNames, read.skills);
    readPairs(kMasteryLevels, kMasteryNames, read.masteries);
    read.allSkillsLevel = level("augmentAllLevel");
    std::string granted = table.GetString("itemSkillName", "");
    if (!granted.empty()) {
        NormalizePath(granted);
        read.granted.push_back({std::move(granted), level("itemSkillLevel")});
    }
    return read;
}

void ItemSkillAugment::Add(const RecordAugments& augments)
{
    const auto count = [this](uint32_t level) {
        m_costInfo.augmentLevel = SaturatingAdd(m_costInfo.augmentLevel, level);
        ++m_costInfo.augmentCount;
    };
    for (const Augment& augment : augments.skills) {
        m_skills.push_back(augment);
        count(augment.level);
    }
    for (const Augment& augment : augments.masteries) {
        m_masteries.push_back(augment);
        count(augment.level);
    }
    if (augments.allSkillsLevel != 0) {
        m_allSkillsLevel = SaturatingAdd(m_allSkillsLevel, augments.allSkillsLevel);
        count(augments.allSkillsLevel);
    }
    for (const Augment& granted : augments.granted)
        m_granted.push_back({granted.name, granted.level, nullptr, 0});
}

void ItemSkillAugment::Load(const std::string& recordName)
{
    if (recordName.empty())
        return;
    if (const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName))
        Load(*table);
    else
        gEngine->Log(LOG_WARNING, "ItemSkillAugment: no record %s; no augments read", recordName.c_str());
}

void ItemSkillAugment::Clear()
{
    ObjectManager& objects = ObjectManager::Get();
    for (GrantedSkill& granted : m_granted)
        if (Skill* skill = objects.GetObject<Skill>(granted.skillId))
            objects.DestroyObjectEx(skill, "ItemSkillAugment", __LINE__);
    m_skills.clear();
    m_masteries.clear();
    m_allSkillsLevel = 0;
    m_granted.clear();
    m_costInfo.Reset();
}

void ItemSkillAugment::CreateItemSkills()
{
    ObjectManager& objects = ObjectManager::Get();
    for (GrantedSkill& granted : m_granted) {
        if (objects.GetObject<Skill>(granted.skillId))
            continue;
        granted.skill = objects.CreateObjectFromFile<Skill>(granted.name);
        granted.skillId = granted.skill ? granted.skill->GetObjectId() : 0;
        if (granted.skill)
            granted.skill->SetAsItemSkill();
    }
}

namespace {

// An item's levels as the character counts them, held to the range of an int.
int AugmentLevels(uint32_t levels) { return levels > INT32_MAX ? INT32_MAX : static_cast<int>(levels); }

}  // namespace

void ItemSkillAugment::ApplyToCharacter(Character& character) const
{
    SkillManager& skills = character.GetSkillManager();
    for (const Augment& augment : m_skills)
        character.SetSkillLevelAugment(augment.name, AugmentLevels(augment.level));
    for (const Augment& augment : m_masteries)
        character.SetMasteryLevelAugment(augment.name, AugmentLevels(augment.level));
    if (m_allSkillsLevel != 0)
        character.SetAllSkillLevelAugment(AugmentLevels(m_allSkillsLevel), std::string());
    ObjectManager& objects = ObjectManager::Get();
    for (const GrantedSkill& granted : m_granted)
        if (granted.level > 0 && objects.GetObject<Skill>(granted.skillId))
            skills.AddItemSkill(granted.skillId, granted.level);
}

void ItemSkillAugment::RemoveFromCharacter(Character& character) const
{
    SkillManager& skills = character.GetSkillManager();
    for (const Augment& augment : m_skills)
        character.RemoveSkillLevelAugment(augment.name, AugmentLevels(augment.level));
    for (const Augment& augment : m_masteries)
        character.RemoveMasteryLevelAugment(augment.name, AugmentLevels(augment.level));
    if (m_allSkillsLevel != 0)
        character.RemoveAllSkillLevelAugment(AugmentLevels(m_allSkillsLevel), std::string());
    ObjectManager& objects = ObjectManager::Get();
    for (const GrantedSkill& granted : m_granted)
        if (objects.GetObject<Skill>(granted.skillId))
            skills.RemoveItemSkill(granted.skillId);
}

void ItemSkillAugment::CreateText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    LocalizationManager& texts = LocalizationManager::Instance();
    const auto skillName = [](const std::string& record) {
        return gGameEngine ? gGameEngine->GetSkillDisplayName(record) : std::u16string();
    };
    for (const Augment& augment : m_skills)
        lines.emplace_back(textClass, texts.Format("ItemSkillIncrement", augment.level, skillName(augment.name)), false);
    for (const Augment& augment : m_masteries)
        lines.emplace_back(textClass, texts.Format("ItemMasteryIncrement", augment.level, skillName(augment.name)), false);
    if (m_allSkillsLevel != 0)
        lines.emplace_back(textClass, texts.Format("ItemAllSkillIncrement", m_allSkillsLevel), false);
    if (m_granted.empty())
        return;
    lines.emplace_back(GameTextClass::Default, std::u16string(), false);
    lines.emplace_back(GameTextClass::ItemSkillHeading, SimpleTagText("tagItemGrantSkill"), false);
    ObjectManager& objects = ObjectManager::Get();
    for (const GrantedSkill& granted : m_granted)
        if (const Skill* skill = objects.GetObject<Skill>(granted.skillId))
            skill->CreateUINameText(GameTextClass::ItemSkillName, lines);
}

}  // namespace GAME
