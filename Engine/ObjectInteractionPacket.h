// Packets that carry object ids. Each id field is a SmartObjectId (or a list or nullable
// form) constructed with its packet, which enters it into the packet, so that a received
// packet can be checked before anyone acts on it: every id must name a live object,
// except a nullable one that is 0 and one marked as travelling with the packet.
//
// A packet remembers where its id fields sit relative to itself, not their addresses,
// so copying a packet (every member copied) leaves the copy checking its own fields.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/NetPacket.h"

namespace GAME {

class ObjectInteractionPacket;

class SmartObjectId {
public:
    explicit SmartObjectId(ObjectInteractionPacket* packet) : SmartObjectId(packet, false) {}
    // A copy stays entered into the packet it was made with, and keeps its own
    // nullability; it takes the id and the replication mark.
    SmartObjectId(const SmartObjectId& other) = default;
    SmartObjectId& operator=(const SmartObjectId& other)
    {
        m_id = other.m_id;
        m_replicate = other.m_replicate;
        return *this;
    }
    SmartObjectId& operator=(const uint32_t& id)
    {
        m_id = id;
        return *this;
    }

    uint32_t GetId() const { return m_id; }
    operator uint32_t() const { return m_id; }
    bool IsNullable() const { return m_nullable; }

    // The object travels with the packet (it is being replicated), so the receiver need
    // not know it yet.
    void MarkForReplication(bool replicate) { m_replicate = replicate; }
    bool IsMarkedForReplication() const { return m_replicate; }

protected:
    SmartObjectId(ObjectInteractionPacket* packet, bool nullable);

private:
    uint32_t m_id = 0;
    bool m_nullable = false;
    bool m_replicate = false;
};

// An id that may be 0 for none.
class SmartObjectIdNullable : public SmartObjectId {
public:
    explicit SmartObjectIdNullable(ObjectInteractionPacket* packet) : SmartObjectId(packet, true) {}
    using SmartObjectId::operator=;
};

class SmartObjectIdList {
public:
    explicit SmartObjectIdList(ObjectInteractionPacket* packet) : SmartObjectIdList(packet, false) {}
    SmartObjectIdList(const SmartObjectIdList& other) = default;
    SmartObjectIdList& operator=(const SmartObjectIdList& other)
    {
        m_ids = other.m_ids;
        return *this;
    }
    SmartObjectIdList& operator=(const std::vector<uint32_t>& ids)
    {
        m_ids = ids;
        return *this;
    }

    void AddId(uint32_t id) { m_ids.push_back(id); }
    void Clear() { m_ids.clear(); }
    // Makes the list `count` ids long and hands them out to be filled in place: a
    // reader copies a received list in one piece.
    uint32_t* Resize(size_t count)
    {
        m_ids.resize(count);
        return m_ids.data();
    }
    const std::vector<uint32_t>& GetIds() const { return m_ids; }
    size_t Size() const { return m_ids.size(); }
    bool IsNullable() const { return m_nullable; }

protected:
    SmartObjectIdList(ObjectInteractionPacket* packet, bool nullable);

private:
    std::vector<uint32_t> m_ids;
    bool m_nullable = false;
};

// A list whose entries may be 0 for none.
class SmartObjectIdListNullable : public SmartObjectIdList {
public:
    explicit SmartObjectIdListNullable(ObjectInteractionPacket* packet) : SmartObjectIdList(packet, true) {}
    using SmartObjectIdList::operator=;
};

class ObjectInteractionPacket : public NetPacket {
public:
    explicit ObjectInteractionPacket(NetPacketType type) : NetPacket(type) {}

    // True when every entered id may be acted on: non-zero and naming a live object,
    // or 0 in a nullable field, or marked for replication.
    bool CheckObjects(int attempt) override;
    // The non-zero ids of every entered field and list, except those marked for replication.
    void CollectObjectIds(std::vector<uint32_t>& ids, bool missingOnly) const override;

    size_t GetEnteredIdCount() const { return m_idOffsets.size(); }
    size_t GetEnteredListCount() const { return m_listOffsets.size(); }

protected:
    GAME_DECLARE_CLASS(ObjectInteractionPacket)

private:
    friend class SmartObjectId;
    friend class SmartObjectIdList;

    void Enter(const SmartObjectId* id);
    void Enter(const SmartObjectIdList* list);
    const SmartObjectId& IdAt(intptr_t offset) const;
    const SmartObjectIdList& ListAt(intptr_t offset) const;

    std::vector<intptr_t> m_idOffsets;     // from this packet to each id field
    std::vector<intptr_t> m_listOffsets;   // from this packet to each list field
};

// A packet that carries an object being replicated to the peer.
class ObjectContainerPacket : public ObjectInteractionPacket {
public:
    // How the contained object is carried; every container the game sends today holds
    // a whole spawned object, kind 2.
    static constexpr uint32_t kSpawnedObjectContainer = 2;

    explicit ObjectContainerPacket(NetPacketType type) : ObjectInteractionPacket(type) {}

    uint32_t GetContainerKind() const { return m_containerKind; }
    void SetContainerKind(uint32_t kind) { m_containerKind = kind; }

protected:
    GAME_DECLARE_CLASS(ObjectContainerPacket)

private:
    uint32_t m_containerKind = 0;
};

}  // namespace GAME
