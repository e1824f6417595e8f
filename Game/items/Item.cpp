#include "Game/items/Item.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/LocalizedText.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Item, Actor)

Item::Item() = default;
Item::~Item() = default;

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

void Item::PreLoad(bool flag) { Actor::PreLoad(flag); }
void Item::CollisionCallback(const CollisionData& collision) { Actor::CollisionCallback(collision); }
void Item::HitMaxFallVelocityCallback() {}
void Item::InitialUpdate() { Actor::InitialUpdate(); }
void Item::WriteReplicationData(NetPacketOutBuffer&) const {}
bool Item::ReadReplicationData(NetPacketInBuffer&) { return true; }
void Item::ApplyReplicationData() {}
void Item::SaveState(BinaryWriter&) {}
bool Item::RestoreState(BinaryReader&) { return false; }
bool Item::IncludeInMinimap() const { return m_classification == ItemClassification_Quest; }
void Item::UpdateSelf(int elapsedMs) { Actor::UpdateSelf(elapsedMs); }

std::u16string Item::GetGameDescription() const
{
    return m_descriptionTag.empty() ? std::u16string() : SimpleTagText(m_descriptionTag);
}

DesignerVariableSlot<float> Item::BindDesignerVariable(const char* name)
{
    return FindDesignerVariable<float>(name, {{"itemLevel", DesignerVariableSlot<float>::OfUnsigned(m_itemLevel)}});
}

void Item::SetItemReplicaInfo(const ItemReplicaInfo& replica)
{
    m_replica = replica;
    m_replica.objectId = GetObjectId();
    m_replica.baseName = GetObjectName();
}

CursorHandler* Item::CreatePrimaryCursorHandler(const Character*) { return nullptr; }
void Item::InitializeItem() { m_initialized = true; }
void Item::PlayDropSound() {}
void Item::PlayDropSoundWorld(PhysicsSurface) {}
void Item::GetUIDisplayText(const Character*, std::vector<GameTextLine>&) const {}
void Item::GetUIGameDescription(std::vector<GameTextLine>&) const {}
void Item::GetUIRequirementText(const Character*, std::vector<GameTextLine>&) const {}
bool Item::AreRequirementsMet(const Character*) const { return true; }
void Item::AttachItem(Character&, const std::string&) {}
void Item::DetachItem(Character&) {}
uint32_t Item::GetItemCost(bool) const { return GetBaseItemCost(); }
void Item::DumpCostAttributes() const {}
void Item::GetFullItemDescription(std::u16string& text) const { text += GetGameDescription(); }
void Item::RandomizeItem() {}

bool Item::IsItemAvailable(const Character* character, uint32_t, uint32_t, uint32_t) const
{
    return AreRequirementsMet(character);
}

Character* Item::GetCharacter() const { return nullptr; }
bool Item::MeetsRequirements(float have, float need, float) { return need == 0.0f || need <= have; }
void Item::GenerateRequirementText(float, float, float, const std::string&, std::vector<GameTextLine>&) {}
void Item::PickSparkleTime() {}
void Item::Sparkle() {}
void Item::SetItemClassification(const LoadTable&) {}

}  // namespace GAME
