#include "Game/items/EquipmentKind.h"

#include <array>

#include "Engine/Localization.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/ItemEquipment.h"

namespace GAME::EquipmentKind {

void AppendAttributeLines(const ItemEquipment& item, std::initializer_list<Entry> order,
                          std::vector<GameTextLine>& lines)
{
    using TextList = std::vector<std::u16string>;
    std::array<TextList, Blank> groups;
    const unsigned level = ItemEquipment::kAttributeLevel;
    item.GetDamageAttrStore().CreateText(groups[O1], groups[O2], groups[O3], level);
    item.GetRetaliationAttrStore().CreateText(groups[R1], groups[R2], groups[R3], level);
    item.GetDefenseAttrStore().CreateText(groups[D1], groups[D2], level);
    item.GetCharAttrStore().CreateText(groups[C1], groups[C2], level);
    item.GetSkillAttrStore().CreateText(groups[S1], level);

    const size_t before = lines.size();
    for (const Entry& entry : order) {
        if (entry.group == Blank) {
            lines.emplace_back(GameTextClass::Default, u" ", false);
            continue;
        }
        for (const std::u16string& text : groups[entry.group])
            lines.emplace_back(entry.textClass, text, false);
    }
    if (lines.size() > before && lines.back().textClass == GameTextClass::Default)
        lines.pop_back();
}

std::u16string TagText(const std::string& tag)
{
    if (tag.empty())
        return std::u16string();
    std::u16string text;
    if (!LocalizationManager::Instance().GetFormat(tag.c_str(), text))
        text = LocalizationManager::ToWChar(tag);
    return text;
}

std::u16string FormatName(const char* commonTag, const char* magicalTag, const std::string& nameTag,
                          const std::string& qualityTag, const std::string& styleTag, const std::string& prefixTag,
                          const std::string& suffixTag)
{
    const std::u16string prefix = TagText(prefixTag);
    const std::u16string suffix = TagText(suffixTag);
    const char* tag = prefix.empty() && suffix.empty() ? commonTag : magicalTag;
    return LocalizationManager::Instance().FormatWords(tag, TagText(nameTag), TagText(qualityTag),
                                                       TagText(styleTag), prefix, suffix);
}

std::u16string GameDescription(const ItemEquipment& item, std::u16string name)
{
    if (gGameEngine)
        name.insert(0, gGameEngine->GetItemColorText(item.GetItemClassification()));
    RemoveLineBreakCodes(name);
    TrimDisplayText(name);
    return name;
}

void AppendGameDescription(const ItemEquipment& item, std::u16string name, std::vector<GameTextLine>& lines)
{
    TrimDisplayText(name);
    const GameTextClass textClass =
        gGameEngine ? gGameEngine->GetItemTextClass(item.GetItemClassification()) : GameTextClass::ItemNameCommon;
    lines.emplace_back(textClass, name, false);
}

}  // namespace GAME::EquipmentKind
