#include "Game/quests/QuestActions.h"

#include <vector>

#include "Engine/Engine.h"
#include "Engine/World.h"
#include "Game/characters/Npc.h"

namespace GAME {

namespace {

class NpcNamed : public FilterFunction<Entity> {
public:
    explicit NpcNamed(const std::string& name) : m_name(name) {}
    bool operator()(const Entity* entity) const override
    {
        return DynamicCast<Npc>(entity) && entity->GetObjectName() == m_name;
    }

private:
    const std::string& m_name;
};

}  // namespace

Npc* QuestAction::FindNpc(const std::string& name)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, NpcNamed(name), EntityList_All);
    return found.empty() ? nullptr : DynamicCast<Npc>(found.front());
}

void Action_IlluminateNpc::Execute()
{
    if (Npc* npc = FindNpc(m_npcName))
        npc->Dialog_Illuminate(this);
    else
        gEngine->Log(LOG_WARNING, "Action_IlluminateNpc %u: no character \"%s\" in the world", GetId(),
                     m_npcName.c_str());
}

void Action_UpdateNPCDialog::Execute()
{
    if (Npc* npc = FindNpc(m_npcName))
        npc->Dialog_ReplaceStatic(m_dialogRecord.c_str(), this, false);
    else
        gEngine->Log(LOG_WARNING, "Action_UpdateNPCDialog %u: no character \"%s\" in the world", GetId(),
                     m_npcName.c_str());
}

}  // namespace GAME
