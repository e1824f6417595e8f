#include "host/HostMonsterStates.h"

#include <cstdio>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"

namespace GAME {

namespace {
struct IsMonsterBody : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return entity && entity->IsA<Monster>(); }
};
}  // namespace

void HostMonsterStates::AfterFrame(int frame)
{
    if (!m_enabled)
        return;
    std::vector<Entity*> bodies;
    World::Get().GetEntities(bodies, IsMonsterBody(), EntityList_All);
    for (Entity* entity : bodies) {
        auto* monster = static_cast<Monster*>(entity);
        const ControllerMonster* mind = monster->GetMonsterController();
        if (!mind)
            continue;
        const std::string state = mind->GetExecutingStateName();
        std::string& last = m_states[monster->GetObjectId()];
        if (state.empty() || state == last)
            continue;
        std::printf("ai: frame %d: %s (%u): %s -> %s\n", frame, monster->GetObjectName().c_str(),
                    monster->GetObjectId(), last.empty() ? "none" : last.c_str(), state.c_str());
        last = state;
    }
}

}  // namespace GAME
