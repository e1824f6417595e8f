#include "host/HostInput.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/TextUtil.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/network/CharacterActionPackets.h"
#include "host/HostText.h"

namespace GAME {

namespace {

// A coordinate from the file: a finite number within the world's reach.
bool ParseInputCoordinate(const std::string& word, float& out)
{
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value) || std::fabs(value) > 100000.0f)
        return false;
    out = value;
    return true;
}

// The object under the cursor: the first entity of the point's region, in the world's
// order, whose bounding sphere holds the point; not the player itself.
uint32_t PickInputTarget(const WorldVec3& point, uint32_t playerId)
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, point.GetRegion(), Sphere{point.GetRegionPosition(), 1.0f},
                                     EntityList_All);
    for (const Entity* entity : found)
        if (entity->GetObjectId() != playerId)
            return entity->GetObjectId();
    return 0;
}

}  // namespace

void HostInput::Parse(const std::string& text, const std::string& source)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        if (m_commands.size() >= kMaxCommands) {
            gEngine->Log(LOG_WARNING, "%s:%d: more than %zu commands; the rest is ignored", source.c_str(), number,
                         kMaxCommands);
            break;
        }
        Command command;
        char* end = nullptr;
        const long frame = std::strtol(w[0].c_str(), &end, 10);
        bool good = *end == '\0' && frame >= 1 && frame <= kMaxFrame && w.size() >= 2;
        command.frame = static_cast<int>(frame);
        if (good && w[1] == "click") {
            command.kind = Kind::Click;
            good = w.size() >= 5 && (w[2] == "primary" || w[2] == "secondary") && ParseInputCoordinate(w[3], command.x) &&
                   ParseInputCoordinate(w[4], command.z);
            command.primary = good && w[2] == "primary";
            for (size_t i = 5; good && i < w.size(); ++i) {
                if (w[i] == "held")
                    command.held = true;
                else if (w[i] == "inplace")
                    command.inPlace = true;
                else
                    good = false;
            }
        } else if (good && w[1] == "pet") {
            command.kind = Kind::Pet;
            good = w.size() == 4 && ParseInputCoordinate(w[2], command.x) && ParseInputCoordinate(w[3], command.z);
        } else if (good && w[1] == "clear") {
            command.kind = Kind::Clear;
            good = w.size() == 2;
        } else {
            good = false;
        }
        if (!good) {
            gEngine->Log(LOG_WARNING, "%s:%d: input line not understood, skipped: %s", source.c_str(), number,
                         EscapedExcerpt(line).c_str());
            continue;
        }
        m_commands.push_back(command);
    }
    std::stable_sort(m_commands.begin(), m_commands.end(),
                     [](const Command& a, const Command& b) { return a.frame < b.frame; });
    m_next = 0;
}

void HostInput::Apply(int frame, uint32_t playerId)
{
    Player* player = ObjectManager::Get().GetObject<Player>(playerId);
    ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    for (; m_next < m_commands.size() && m_commands[m_next].frame <= frame; ++m_next) {
        const Command& command = m_commands[m_next];
        if (command.frame < frame || !controller)
            continue;   // a frame already run, or no player to steer
        const WorldVec3 point(player->GetPathPosition().GetRegion(), Vec3{command.x, 0.0f, command.z});
        uint32_t target = command.kind == Kind::Clear ? 0 : PickInputTarget(point, playerId);
        switch (command.kind) {
        case Kind::Click: {
            const bool moved = controller->HandleActionFromMouse(command.primary, command.inPlace, false, command.held,
                                                                 point, target);
            const Vec3 at = player->GetPathPosition().GetRegionPosition();
            std::printf("input: frame %d: %s %s click at (%.1f, %.1f)%s: %s, the player at (%.1f, %.1f) %s\n", frame,
                        command.held ? "held" : "new", command.primary ? "primary" : "secondary", command.x, command.z,
                        target ? (" on " + HostName(ObjectManager::Get().GetObject(target))).c_str() : "",
                        moved ? "a move" : "no move", at.x, at.z, controller->GetExecutingStateName().c_str());
            break;
        }
        case Kind::Pet: {
            const bool sent = controller->HandlePetAction(*player, false, false, point, target);
            std::printf("input: frame %d: pet command at (%.1f, %.1f): %s\n", frame, command.x, command.z,
                        sent ? "sent" : "no pet");
            break;
        }
        case Kind::Clear:
            controller->ClearTarget();
            std::printf("input: frame %d: the player clears its target\n", frame);
            break;
        }
    }
}

void HostInput::AfterFrame(int frame, uint32_t playerId)
{
    const Player* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player)
        return;
    std::vector<uint32_t> carried = player->GetInventoryItems();
    carried.insert(carried.end(), player->GetAttachedItems().begin(), player->GetAttachedItems().end());
    std::sort(carried.begin(), carried.end());
    const uint32_t money = player->GetCurrentMoney();
    if (m_seen) {
        for (uint32_t id : carried) {
            if (std::binary_search(m_carried.begin(), m_carried.end(), id))
                continue;
            const Object* item = ObjectManager::Get().GetObject(id);
            std::printf("input: frame %d: the player now carries %s (%u)\n", frame,
                        item ? HostName(item).c_str() : "a missing item", id);
        }
        if (money != m_money)
            std::printf("input: frame %d: the player's money %u -> %u\n", frame, m_money, money);
    }
    m_seen = true;
    m_carried = std::move(carried);
    m_money = money;
}

namespace {

// The packet read from the bytes, when they hold one of its kind for a player.
template <class Packet>
bool ReadPlayerAction(Packet& packet, const unsigned char* data, size_t size)
{
    return size <= static_cast<size_t>(INT32_MAX) && packet.CopyInbound(data, static_cast<int>(size)) &&
           ObjectManager::Get().GetObject<Player>(packet.characterId) != nullptr;
}

}  // namespace

void HostInput::Travelled(const unsigned char* data, size_t size)
{
    NetPacketType type = 0;
    if (!NetPacketRegistry::PeekType(data, size, type))
        return;
    char line[160];
    uint32_t actor = 0;
    if (type == MoveToPacket::kType) {
        MoveToPacket packet;
        if (!ReadPlayerAction(packet, data, size))
            return;
        actor = packet.characterId;
        const Vec3 to = packet.worldLocation.GetRegionPosition();
        std::snprintf(line, sizeof line, "net: player action: %u moves to (%.2f, %.2f), target %u\n", actor, to.x,
                      to.z, packet.targetId);
    } else if (type == PickUpItemPacket::kType) {
        PickUpItemPacket packet;
        if (!ReadPlayerAction(packet, data, size))
            return;
        actor = packet.characterId;
        std::snprintf(line, sizeof line, "net: player action: %u picks up %u\n", actor, packet.itemId);
    } else if (type == EngageNpcPacket::kType) {
        EngageNpcPacket packet;
        if (!ReadPlayerAction(packet, data, size))
            return;
        actor = packet.characterId;
        std::snprintf(line, sizeof line, "net: player action: %u talks to %u\n", actor, packet.targetId);
    } else {
        return;
    }
    std::vector<unsigned char>& last = m_lastAction[actor];
    if (last.size() == size && std::equal(last.begin(), last.end(), data))
        return;
    last.assign(data, data + size);
    std::fputs(line, stdout);
}

}  // namespace GAME
