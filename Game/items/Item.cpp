#include "Game/items/Item.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/LocalizedText.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Item, Actor)

Item* Item::CreateItem(const ItemReplicaInfo& replica)
{
    Item* item = ObjectManager::Get().CreateObjectFromFile<Item>(replica.baseName, replica.objectId, true);
    if (item) {
        item->SetItemReplicaInfo(replica);
        item->InitializeItem();
    }
    return item;
}

void Item::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_descriptionTag = table.GetString("description", "");
    m_cannotPickUpMultiple = table.GetBool("cannotPickUpMultiple", false);
}

void Item::SetItemReplicaInfo(const ItemReplicaInfo& replica)
{
    m_replica = replica;
    m_replica.objectId = GetObjectId();
    m_replica.baseName = GetObjectName();
}

std::u16string Item::GetGameDescription(bool) const
{
    return m_descriptionTag.empty() ? std::u16string() : SimpleTagText(m_descriptionTag);
}

}  // namespace GAME
