#include "host/HostMonsterStates.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/session/CharacterActionDispatch.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/world/Proxy.h"
#include "host/HostText.h"

namespace GAME {

namespace {
struct IsMonsterBody : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return entity && entity->IsA<Monster>(); }
};

const char* kDeadState = "Dead";
// The character action packets, and the word their kinds' names end in.
constexpr NetPacketType kFirstAction = IdleActionPacket::kType;
constexpr NetPacketType kLastAction = RespawnPacket::kType;
constexpr std::string_view kActionSuffix = "Action";
HostMonsterStates* gActiveStates = nullptr;
}  // namespace

HostMonsterStates::HostMonsterStates(bool enabled, bool networked) : m_enabled(enabled), m_networked(networked)
{
    if (enabled)
        gActiveStates = this;
}

HostMonsterStates::~HostMonsterStates()
{
    if (gActiveStates == this)
        gActiveStates = nullptr;
}

HostMonsterStates* HostMonsterStates::Active() { return gActiveStates; }

void HostMonsterStates::AfterFrame(int frame)
{
    if (!m_enabled)
        return;
    WatchTreasures(frame);
    if (m_networked)
        return;
    std::vector<Entity*> bodies;
    World::Get().GetEntities(bodies, IsMonsterBody(), EntityList_All);
    std::vector<Monster*> monsters;
    for (Entity* entity : bodies)
        monsters.push_back(static_cast<Monster*>(entity));
    // A body leaves the world as it dies: its last changes (the dead state, entered as the
    // death ends) are still shown while the object lives; one that is gone is forgotten.
    for (auto it = m_states.begin(); it != m_states.end();) {
        auto* monster = ObjectManager::Get().GetObject<Monster>(it->first);
        if (!monster) {
            it = m_states.erase(it);
            continue;
        }
        if (!monster->IsInWorld())
            monsters.push_back(monster);
        ++it;
    }
    for (const Monster* monster : monsters)
        Look(frame, *monster);
}

void HostMonsterStates::Look(int frame, const Monster& monster)
{
    const ControllerMonster* mind = monster.GetMonsterController();
    if (!m_enabled || !mind)
        return;
    const std::string state = mind->GetExecutingStateName();
    // On the network the lines follow the actions; the server still shows the treasure.
    if (m_networked) {
        if (state == kDeadState)
            NoteTreasure(frame, monster, *mind);
        return;
    }
    std::string& last = m_states[monster.GetObjectId()];
    if (state.empty() || state == last)
        return;
    std::printf("ai: frame %d: %s (%u): %s -> %s\n", frame, HostName(&monster).c_str(), monster.GetObjectId(),
                last.empty() ? "none" : last.c_str(), state.c_str());
    last = state;
    if (state == kDeadState)
        NoteTreasure(frame, monster, *mind);
}

void HostMonsterStates::Travelled(const unsigned char* data, size_t size)
{
    NetPacketType type = 0;
    if (!m_enabled || !m_networked || !NetPacketRegistry::PeekType(data, size, type) || type < kFirstAction ||
        type > kLastAction || size > static_cast<size_t>(INT32_MAX))
        return;
    std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
    if (!packet || !packet->CopyInbound(data, static_cast<int>(size)))
        return;
    const std::unique_ptr<CharacterAction> action = RebuildCharacterActionFrom(*packet);
    const auto* actor = action ? ObjectManager::Get().GetObject<Character>(action->GetParentId()) : nullptr;
    if (!actor || !(actor->IsA<Monster>() || actor->IsA<Npc>()))
        return;
    std::string kind = action->ToString();
    if (kind.size() > kActionSuffix.size() && kind.ends_with(kActionSuffix))
        kind.resize(kind.size() - kActionSuffix.size());
    std::string& last = m_states[actor->GetObjectId()];
    if (kind == last)
        return;
    std::printf("ai: frame %d: %s (%u): %s -> %s\n", m_frame, HostName(actor).c_str(), actor->GetObjectId(),
                last.empty() ? "none" : last.c_str(), kind.c_str());
    last = kind;
}

void HostMonsterStates::NoteTreasure(int frame, const Monster& monster, const ControllerMonster& mind)
{
    const Proxy* treasure = mind.GetTreasureProxy();
    if (!treasure || !treasure->IsInWorld() ||
        std::find(m_treasures.begin(), m_treasures.end(), treasure->GetObjectId()) != m_treasures.end())
        return;
    const Vec3 at = treasure->GetCoords().GetRegionCoords().origin;
    std::printf("treasure: frame %d: the dead %s (%u) leaves %s at (%.2f, %.2f, %.2f)\n", frame,
                HostName(&monster).c_str(), monster.GetObjectId(),
                treasure->GetObjectName().c_str(), at.x, at.y, at.z);
    m_treasures.push_back(treasure->GetObjectId());
}

void HostMonsterStates::WatchTreasures(int frame)
{
    for (auto it = m_treasures.begin(); it != m_treasures.end();) {
        const auto* treasure = ObjectManager::Get().GetObject<Proxy>(*it);
        std::vector<uint32_t> placed;
        if (treasure)
            treasure->GetPlacedObjects(placed);
        if (treasure && placed.empty()) {
            ++it;
            continue;
        }
        for (uint32_t id : placed)
            if (const auto* entity = ObjectManager::Get().GetObject<Entity>(id)) {
                const Vec3 at = entity->GetCoords().GetRegionCoords().origin;
                std::printf("treasure: frame %d: %s stands at (%.2f, %.2f, %.2f)\n", frame,
                            HostName(entity).c_str(), at.x, at.y, at.z);
            }
        it = m_treasures.erase(it);
    }
}

}  // namespace GAME
