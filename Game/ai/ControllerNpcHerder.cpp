#include "Game/ai/ControllerNpcHerder.h"

#include "Game/ai/ControllerNpc.h"
#include "Game/ai/ControllerNpcStates.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerNpcHerder, ControllerAI)

ControllerNpcHerder::ControllerNpcHerder() = default;
ControllerNpcHerder::~ControllerNpcHerder() = default;

void ControllerNpcHerder::Load(const LoadTable& table) { ControllerCombat::Load(table); }

void ControllerNpcHerder::RegisterStates() { AddState("DirectHerd", new ControllerNpcStateDirectHerd(*this)); }

void ControllerNpcHerder::InitializeStates() { SetState("DirectHerd", ControllerAIStateData()); }

}  // namespace GAME
