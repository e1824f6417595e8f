#include "host/HostText.h"

#include <cctype>

#include "Engine/Localization.h"
#include "Engine/Object.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/skills/Skill.h"
#include "Game/world/FixedItem.h"

namespace GAME {

std::string HostPlainText(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[i + 1]))) {
            ++i;   // the code's letter
            continue;
        }
        plain += text[i];
    }
    return plain;
}

std::string HostPlainText(std::u16string_view text) { return HostPlainText(LocalizationManager::ToChar(text)); }

std::string HostName(const Object* object)
{
    if (!object)
        return "nothing";
    std::u16string name;
    if (const auto* player = DynamicCast<Player>(object))
        name = player->GetRolloverDescription();
    else if (const auto* character = DynamicCast<Character>(object))
        name = character->GetGameDescription(false);
    else if (const auto* item = DynamicCast<Item>(object))
        name = item->GetGameDescription();
    else if (const auto* fixedItem = DynamicCast<FixedItem>(object))
        name = fixedItem->GetGameDescription(false);
    else if (const auto* skill = DynamicCast<Skill>(object))
        name = skill->CreateUISkillName();
    std::string plain = HostPlainText(name);
    return plain.empty() ? object->GetObjectName() : plain;
}

std::string HostSkillName(const std::string& record)
{
    std::string plain = gGameEngine ? HostPlainText(gGameEngine->GetSkillDisplayName(record)) : std::string();
    return plain.empty() ? record : plain;
}

std::string HostCount(size_t count, std::string_view word)
{
    std::string text = std::to_string(count) + " ";
    text += word;
    if (count != 1)
        text += 's';
    return text;
}

}  // namespace GAME
