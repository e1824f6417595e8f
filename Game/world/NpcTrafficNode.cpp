#include "Game/world/NpcTrafficNode.h"

#include <vector>

#include "Engine/LoadTable.h"
#include "Game/core/foundation/Filters.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(NpcTrafficNode, BoundingVolume)

NpcTrafficNode::NpcTrafficNode()
    : m_initialUpdateHandler("GameEvent_GenericEntityInitialUpdate", &NpcTrafficNode::OnEntityInitialUpdate, this)
{
}

std::string NpcTrafficNode::ReduceName(const std::string& objectName) { return GetFileName(objectName, true); }

void NpcTrafficNode::Load(const LoadTable& table)
{
    BoundingVolume::Load(table);
    m_nextTrafficNode = table.GetString("nextTrafficNode", "");
    m_reducedNext = ReduceName(m_nextTrafficNode);
    m_canBeFinalDestination = table.GetInt("canBeFinalDestination", 1) != 0;
}

// The successor may have had its first update already: look for it among the nodes in
// the world. The comparison is exact, letter case included.
void NpcTrafficNode::InitialUpdate()
{
    BoundingVolume::InitialUpdate();
    if (m_nextTrafficNode.empty())
        return;
    std::vector<Entity*> nodes;
    World::Get().GetEntities(nodes, FilterGetAllTrafficNodes(), EntityList_All);
    for (const Entity* node : nodes)
        if (ReduceName(node->GetObjectName()) == m_reducedNext) {
            m_nextTrafficNodeId = node->GetObjectId();
            return;
        }
}

// Or it has its first update later, and says so.
void NpcTrafficNode::OnEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event)
{
    if (m_nextTrafficNode.empty() || event.objectId == GetObjectId())
        return;
    if (ReduceName(event.objectName) == m_reducedNext)
        m_nextTrafficNodeId = event.objectId;
}

}  // namespace GAME
