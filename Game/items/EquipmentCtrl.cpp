#include "Game/items/EquipmentCtrl.h"

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Game/items/ItemReplicaInfo.h"

namespace GAME {

// The equipment slots are not placed by this control yet: nothing is put on or taken off
// through it.
bool EquipmentCtrl::AutoInsertItem(uint32_t) { return false; }
bool EquipmentCtrl::RemoveItem(uint32_t) { return false; }

namespace {

constexpr int kWornSlots = 7;   // Head, Neck, UpperBody, LowerBody, Forearm, Finger1, Finger2

// One slot, saved empty: no slot holds an item yet.
void StreamEmptySlot(IOStream& stream)
{
    ItemReplicaInfo identity;
    bool attached = false;
    identity.StreamAttachedItemReplica(stream, attached);
    if (stream.IsReading() && !stream.Failed() && !identity.baseName.empty())
        gEngine->Log(LOG_WARNING, "EquipmentCtrl: the saved %s has no slot to go to and is left out",
                     identity.baseName.c_str());
}

}  // namespace

void EquipmentCtrl::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.StreamBool("useAlternate", m_alternate);
    for (int slot = 0; slot < kWornSlots; ++slot)
        StreamEmptySlot(stream);
    for (bool alternate : {false, true}) {
        stream.BeginBlock();
        stream.StreamBool("alternate", alternate);
        StreamEmptySlot(stream);   // right hand
        StreamEmptySlot(stream);   // left hand
        stream.EndBlock();
    }
    stream.EndBlock();
}

}  // namespace GAME
