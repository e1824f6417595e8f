#include "host/HostMonsterStates.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {
struct IsMonsterBody : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return entity && entity->IsA<Monster>(); }
};

const char* kDeadState = "Dead";
HostMonsterStates* gActiveStates = nullptr;
}  // namespace

HostMonsterStates::HostMonsterStates(bool enabled) : m_enabled(enabled)
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
    std::vector<Entity*> bodies;
    World::Get().GetEntities(bodies, IsMonsterBody(), EntityList_All);
    std::vector<Monster*> monsters;
    for (Entity* entity : bodies)
        monsters.push_back(static_cast<Monster*>(entity));
    // A body leaves the world as it dies: its last changes (the dead state, entered as the
    // death ends) are still shown while the object lives.
    for (const auto& [id, state] : m_states) {
        auto* monster = ObjectManager::Get().GetObject<Monster>(id);
        if (monster && !monster->IsInWorld())
            monsters.push_back(monster);
    }
    for (const Monster* monster : monsters)
        Look(frame, *monster);
    WatchTreasures(frame);
}

void HostMonsterStates::Look(int frame, const Monster& monster)
{
    const ControllerMonster* mind = monster.GetMonsterController();
    if (!m_enabled || !mind)
        return;
    const std::string state = mind->GetExecutingStateName();
    std::string& last = m_states[monster.GetObjectId()];
    if (state.empty() || state == last)
        return;
    std::printf("ai: frame %d: %s (%u): %s -> %s\n", frame, monster.GetObjectName().c_str(), monster.GetObjectId(),
                last.empty() ? "none" : last.c_str(), state.c_str());
    last = state;
    if (state == kDeadState)
        NoteTreasure(frame, monster, *mind);
}

void HostMonsterStates::NoteTreasure(int frame, const Monster& monster, const ControllerMonster& mind)
{
    const Proxy* treasure = mind.GetTreasureProxy();
    if (!treasure || !treasure->IsInWorld())
        return;
    const Vec3 at = treasure->GetCoords().GetRegionCoords().origin;
    std::printf("frame %d: treasure: the dead %s (%u) leaves %s at (%.2f, %.2f, %.2f)\n", frame,
                GetFileName(monster.GetObjectName(), true).c_str(), monster.GetObjectId(),
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
                std::printf("frame %d: treasure: %s stands at (%.2f, %.2f, %.2f)\n", frame,
                            entity->GetObjectName().c_str(), at.x, at.y, at.z);
            }
        it = m_treasures.erase(it);
    }
}

}  // namespace GAME
