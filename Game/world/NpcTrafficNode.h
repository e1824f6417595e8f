// One node of the network of points along which non-player characters travel. A node
// names its successor by object name; it links to it whether the successor had its first
// update before or after it.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/EventManager.h"
#include "Game/core/GameEvents.h"
#include "Game/world/BoundingVolume.h"

namespace GAME {

class NpcTrafficNode : public BoundingVolume {
    GAME_DECLARE_CLASS(NpcTrafficNode)

public:
    NpcTrafficNode();

    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    // A traffic node raises no enter or exit.
    void UpdateSelf(int /*elapsedMs*/) override {}
    void DebugRender() override {}

    uint32_t GetNextTrafficNodeId() const { return m_nextTrafficNodeId; }
    const std::string& GetNextTrafficNode() const { return m_nextTrafficNode; }
    bool CanBeFinalDestination() const { return m_canBeFinalDestination; }

    // An object name reduced to its file name without folders and extension.
    static std::string ReduceName(const std::string& objectName);

private:
    void OnEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event);

    uint32_t m_nextTrafficNodeId = 0;
    std::string m_nextTrafficNode;
    std::string m_reducedNext;
    bool m_canBeFinalDestination = true;
    GameEventListener<NpcTrafficNode, GameEvent_GenericEntityInitialUpdate> m_initialUpdateHandler;
};

}  // namespace GAME
