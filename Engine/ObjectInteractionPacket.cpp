#include "Engine/ObjectInteractionPacket.h"

#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_ABSTRACT_CLASS(ObjectInteractionPacket, NetPacket)
GAME_IMPLEMENT_ABSTRACT_CLASS(ObjectContainerPacket, ObjectInteractionPacket)

namespace {

intptr_t OffsetFrom(const void* base, const void* field)
{
    return reinterpret_cast<intptr_t>(field) - reinterpret_cast<intptr_t>(base);
}

// A non-zero id names a live object; 0 names none, which only a nullable field may.
bool Resolves(uint32_t id, bool nullable)
{
    if (id == 0)
        return nullable;
    return ObjectManager::Get().GetObject(id) != nullptr;
}

}  // namespace

SmartObjectId::SmartObjectId(ObjectInteractionPacket* packet, bool nullable) : m_nullable(nullable)
{
    packet->Enter(this);
}

SmartObjectIdList::SmartObjectIdList(ObjectInteractionPacket* packet, bool nullable) : m_nullable(nullable)
{
    packet->Enter(this);
}

void ObjectInteractionPacket::Enter(const SmartObjectId* id)
{
    m_idOffsets.push_back(OffsetFrom(this, id));
}

void ObjectInteractionPacket::Enter(const SmartObjectIdList* list)
{
    m_listOffsets.push_back(OffsetFrom(this, list));
}

const SmartObjectId& ObjectInteractionPacket::IdAt(intptr_t offset) const
{
    return *reinterpret_cast<const SmartObjectId*>(reinterpret_cast<intptr_t>(this) + offset);
}

const SmartObjectIdList& ObjectInteractionPacket::ListAt(intptr_t offset) const
{
    return *reinterpret_cast<const SmartObjectIdList*>(reinterpret_cast<intptr_t>(this) + offset);
}

bool ObjectInteractionPacket::CheckObjects(int)
{
    for (intptr_t offset : m_idOffsets) {
        const SmartObjectId& id = IdAt(offset);
        if (!id.IsMarkedForReplication() && !Resolves(id.GetId(), id.IsNullable()))
            return false;
    }
    for (intptr_t offset : m_listOffsets) {
        const SmartObjectIdList& list = ListAt(offset);
        for (uint32_t id : list.GetIds())
            if (!Resolves(id, list.IsNullable()))
                return false;
    }
    return true;
}

void ObjectInteractionPacket::CollectObjectIds(std::vector<uint32_t>& ids, bool missingOnly) const
{
    const auto add = [&ids, missingOnly](uint32_t id) {
        if (id != 0 && !(missingOnly && Resolves(id, false)))
            ids.push_back(id);
    };
    for (intptr_t offset : m_idOffsets) {
        const SmartObjectId& id = IdAt(offset);
        if (!id.IsMarkedForReplication())
            add(id.GetId());
    }
    for (intptr_t offset : m_listOffsets)
        for (uint32_t id : ListAt(offset).GetIds())
            add(id);
}

}  // namespace GAME
