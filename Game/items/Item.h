// The base of everything a character can pick up, carry, equip or use. An item is never
// copied: it is created from its identity (record names and seed), so every peer and
// every save rebuilds the same item.
#pragma once

#include <string>

#include "Engine/Entity.h"
#include "Game/items/ItemReplicaInfo.h"

namespace GAME {

class Item : public Actor {
    GAME_DECLARE_CLASS(Item)

public:
    // Creates the item from the record its identity names, under the identity's object id
    // (a fresh one when 0), takes the identity and initialises the item from it. Null when
    // the record does not create an item.
    static Item* CreateItem(const ItemReplicaInfo& replica);

    void Load(const LoadTable& table) override;
    bool ShouldServerSpawn() const override { return true; }

    // Keeps the identity; its object id and base record are always the item's own.
    void SetItemReplicaInfo(const ItemReplicaInfo& replica);
    // Rebuilds the item's rolled state from its identity; kinds draw their values here.
    virtual void InitializeItem() { m_initialized = true; }
    bool IsInitialized() const { return m_initialized; }
    const ItemReplicaInfo& GetItemReplicaInfo() const { return m_replica; }

    // The item's display name: its record's description tag through "SimpleStringFormat".
    virtual std::u16string GetGameDescription(bool flag) const;

    // The next landing plays the drop sound.
    void SetDropSoundToPlay() { m_dropSoundToPlay = true; }
    bool IsDropSoundToPlay() const { return m_dropSoundToPlay; }

    // The record's "cannotPickUpMultiple": a character holding an item of the same record
    // may not pick this one up.
    bool GetCannotPickUpMultiple() const { return m_cannotPickUpMultiple; }
    // Whether the item may be picked up now; starts true.
    void SetPickupOk(bool ok) { m_pickupOk = ok; }
    bool IsPickupOk() const { return m_pickupOk; }

private:
    ItemReplicaInfo m_replica;
    std::string m_descriptionTag;
    bool m_dropSoundToPlay = true;
    bool m_initialized = false;
    bool m_cannotPickUpMultiple = false;
    bool m_pickupOk = true;
};

}  // namespace GAME
