#include "Game/characters/NpcHerdRegistry.h"

#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerNpcHerder.h"
#include "Game/characters/Npc.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

NpcHerdRegistry& NpcHerdRegistry::Get()
{
    static NpcHerdRegistry registry;
    return registry;
}

const NpcHerdRegistry::Herd* NpcHerdRegistry::FindHerd(const std::string& name) const
{
    for (const Herd& herd : m_herds)
        if (EqualsNoCase(herd.name, name))
            return &herd;
    return nullptr;
}

NpcHerdRegistry::Herd& NpcHerdRegistry::FindOrCreateHerd(const std::string& name)
{
    for (Herd& herd : m_herds)
        if (EqualsNoCase(herd.name, name))
            return herd;
    m_herds.push_back(Herd{name, {}, 0});
    return m_herds.back();
}

void NpcHerdRegistry::AddHerdAnimal(const std::string& herdName, Npc& npc)
{
    Herd& herd = FindOrCreateHerd(herdName);
    if (!herd.members.empty())
        npc.SetController(Npc::kHerdAnimalControllerRecord);
    herd.members.push_back(npc.GetObjectId());
}

void NpcHerdRegistry::AddHerder(const std::string& herdName, uint32_t npcId)
{
    Npc* npc = ObjectManager::Get().GetObject<Npc>(npcId);
    if (!npc)
        return;
    Herd& herd = FindOrCreateHerd(herdName);
    npc->SetController(Npc::kHerderControllerRecord);
    if (auto* controller = ObjectManager::Get().GetObject<ControllerNpcHerder>(npc->GetControllerId()))
        controller->SetHerdName(herd.name);
    herd.herderId = npcId;
}

}  // namespace GAME
