// Portals: a fixed item that carries the player elsewhere. A static portal (a boat) stands
// in its level in an instance group with its destination and asks the player its question
// before the journey; a player portal is one a player opened: it serves the owner's party
// while the game engine lists it and removes itself a while after it no longer is. The
// portal shows an open look while unlocked and a closed one while locked.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/UniqueId.h"
#include "Engine/World.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemLook.h"
#include "Game/world/FixedItemTeleportInfo.h"

namespace GAME {

class FixedItemTeleport : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemTeleport)

public:
    // One portal known to a peer: the portal's id, its owner, where it stands and its text.
    using TeleportInfo = FixedItemTeleportInfo;

    // A player portal counts at most this much of one update (ms) towards its end, and at
    // least 1; it leaves the world once more than kInvalidLifetime was counted.
    static constexpr int kMaxInvalidStep = 100;
    static constexpr int kInvalidLifetime = 2000;

    void Load(const LoadTable& table) override;
    // Also both looks' animations and sounds.
    void PreLoad(bool flag) override;
    void OnDestroy() override;
    // Shows the look of the lock, quietly.
    void InitialUpdate() override;
    // A player portal checks every update that the game still lists it.
    void UpdateSelf(int elapsedMs) override;
    void RequestToUse(uint32_t actorId) override;
    // The look follows the lock, with its sound and effect pack.
    void SetLock(bool locked) override;
    bool IsOfInterest() const override;
    // The portal's own position on the floor, for anyone.
    WorldVec3 GetMoveToPoint(uint32_t actorId) const override;
    // A player portal names its owner.
    std::u16string GetGameDescription(bool highlighted) const override;

    // After the base's byte: whether the portal has a unique id (one byte) and then its
    // four words.
    using FixedItem::ReadReplicationData;
    using FixedItem::WriteReplicationData;
    void WriteReplicationData(NetPacketOutBuffer& out) const override;
    bool ReadReplicationData(NetPacketInBuffer& in) override;
    // The received unique id replaces the portal's own.
    void ApplyReplicationData() override;

    bool IsStaticPortal() const { return m_staticPortal; }
    const std::string& GetTextTag() const { return m_textTag; }
    int GetInvalidTimer() const { return m_invalidTimer; }
    const std::u16string& GetOwnerName() const { return m_ownerName; }
    // The portal's identity in its level, by which its instance group knows it.
    const UniqueId& GetUniqueId() const { return m_uniqueId; }
    void SetUniqueId(const UniqueId& id) { m_uniqueId = id; }
    bool HasUniqueId() const { return !(m_uniqueId == UniqueId()); }

protected:
    void SetOperation(bool silent);
    void CreatePathObstacle() override;
    void RemovePathObstacle() override;

private:
    // The local player's journey by boat to the other member of the portal's group.
    void UseStaticPortal();
    void UpdatePlayerPortal(int elapsedMs);

    bool m_staticPortal = false;
    FixedItemLockLooks m_looks;
    std::string m_textTag;
    std::u16string m_ownerName;
    int m_invalidTimer = 0;
    bool m_replicatedHasUniqueId = false;
    UniqueId m_replicatedUniqueId;
    bool m_uniqueIdPending = false;
    UniqueId m_uniqueId;
};

}  // namespace GAME
