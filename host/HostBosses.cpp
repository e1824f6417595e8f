#include "host/HostBosses.h"

#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerCyclops.h"
#include "Game/ai/ControllerMegalesios.h"
#include "Game/ai/ControllerTelkine.h"
#include "Game/ai/ControllerTerracotta.h"
#include "Game/ai/ControllerTyphon.h"
#include "Game/ai/ControllerZoverad.h"
#include "Game/characters/Character.h"

namespace GAME {

bool HostLevelIsBoss(const ControllerAI& mind)
{
    return mind.IsA<ControllerTyphon>() || mind.IsA<ControllerCyclops>() || mind.IsA<ControllerMegalesios>() ||
           mind.IsA<ControllerTelkine>() || mind.IsA<ControllerTerracotta>() || mind.IsA<ControllerZoverad>();
}

bool HostLevelOrderSkill(Character& target, uint32_t playerId)
{
    auto* mind = ObjectManager::Get().GetObject<ControllerAI>(target.GetControllerId());
    if (!mind)
        return false;
    // The skill is the boss's own choice: the order names none.
    mind->QuestCommandUseSkill(0, playerId, false);
    return true;
}

}  // namespace GAME
