#include "host/HostText.h"

#include <cctype>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/Object.h"
#include "Engine/TextUtil.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/Filters.h"
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

std::string HostKindName(const Object* object)
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

namespace {

// The names given to characters, by object id (ids are never handed out twice in a game).
struct CharacterNames {
    struct Given {
        std::string kind;    // the game's name when it was given
        std::string label;   // what the host prints
    };
    std::mutex lock;
    std::unordered_map<uint32_t, Given> byId;
    std::unordered_map<std::string, unsigned> byKind;   // how many of each name were named
    std::unordered_set<std::string> labels;
    std::unordered_map<uint32_t, Given> players;   // the players' labels (PlayerLabel)

    std::string Label(uint32_t id, const std::string& kind)
    {
        std::lock_guard<std::mutex> hold(lock);
        Given& given = byId[id];
        if (!given.label.empty() && given.kind == kind)
            return given.label;
        // The first of a name keeps it; a game name that already ends in a number ("Wisp 2")
        // never takes the label of another.
        std::string label;
        do {
            const unsigned count = ++byKind[kind];
            label = count == 1 ? kind : kind + " " + std::to_string(count);
        } while (!labels.insert(label).second);
        given = {kind, label};
        return label;
    }

    // A player's label among the players in the world that `nameOf` names alike
    // (HostPlayerName).
    std::string PlayerLabel(const Player& player, std::string (*nameOf)(const Player&))
    {
        const std::string name = nameOf(player);
        std::lock_guard<std::mutex> hold(lock);
        const uint32_t id = player.GetObjectId();
        if (const auto kept = players.find(id); kept != players.end() && kept->second.kind == name)
            return kept->second.label;
        std::vector<Entity*> found;
        World::Get().GetEntities(found, FilterGetAllPlayers(), EntityList_All);
        bool namesake = false;
        unsigned before = 0;
        for (const Entity* entity : found) {
            const auto* other = DynamicCast<Player>(entity);
            if (!other || other->GetObjectId() == id || nameOf(*other) != name)
                continue;
            namesake = true;
            before += other->GetObjectId() < id ? 1 : 0;
        }
        if (!namesake)
            return name;
        std::string label = before == 0 ? name : name + " " + std::to_string(before + 1);
        players[id] = {name, label};
        return label;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> hold(lock);
        byId.clear();
        byKind.clear();
        labels.clear();
        players.clear();
    }

    static std::string PrintedName(const Player& player)
    {
        return LocalizationManager::ToChar(WithoutControlCharacters(player.GetPlayerName()));
    }
};

CharacterNames& Names()
{
    static CharacterNames names;
    return names;
}

}  // namespace

std::string HostName(const Object* object)
{
    std::string kind = HostKindName(object);
    if (!object || !DynamicCast<Character>(object))
        return kind;
    if (const auto* player = DynamicCast<Player>(object))
        return Names().PlayerLabel(*player, [](const Player& each) { return HostKindName(&each); });
    return Names().Label(object->GetObjectId(), kind);
}

std::string HostPlayerName(const Player& player)
{
    return Names().PlayerLabel(player, CharacterNames::PrintedName);
}

void HostNamesNewGame() { Names().Clear(); }

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
