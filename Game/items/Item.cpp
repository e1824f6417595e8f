#include "Game/items/Item.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Minimap.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/core/foundation/RecordKeptReads.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/CursorHandlerItemMove.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Item, Actor)

namespace {

constexpr const char* kDefaultWaterDropSound = "records/sounds/soundpak/bodyfalls/FallMdGooPak.dbr";

// A tag's localized text as it stands, or the tag itself when it is unknown.
std::u16string TagText(const std::string& tag)
{
    std::u16string text;
    if (!LocalizationManager::Instance().GetFormat(tag.c_str(), text))
        text = LocalizationManager::ToWChar(tag);
    return text;
}

// A whole number from a record, negatives held at 0.
uint32_t RecordUnsigned(const LoadTable& table, const char* key)
{
    return static_cast<uint32_t>(std::max(table.GetInt(key, 0), 0));
}

// The values Item::Load reads from an item's record (its sounds are made afresh), kept per
// kept record: every item of a record reads the same.
struct ItemRecordFields {
    std::string descriptionTag;
    std::string itemText;
    std::vector<uint32_t> itemCost;
    float itemCostScalePercent = 0.0f;
    uint32_t itemLevel = 0;
    bool cannotPickUpMultiple = false;
    uint32_t requirements[4] = {};   // strength, dexterity, intelligence, level
    ItemClassification classification{};
};

using KeptItemFields = RecordKeptMap<const LoadTable*, std::shared_ptr<const ItemRecordFields>>;

KeptItemFields& KeptItemFieldReads()
{
    thread_local KeptItemFields kept(1024);
    return kept;
}

SoundPak* LoadSound(const LoadTable& table, const char* key, const char* defaultRecord)
{
    const LoadTable::Value* named = table.FindValue(key);
    const std::string name = named ? named->text : defaultRecord;
    if (name.empty())
        return nullptr;
    // The default is a sound most data sets leave out: when it is missing the item simply
    // has none, and no warning is written for every item made.
    if (!named && !ObjectManager::Get().LoadTableFile(name))
        return nullptr;
    return ObjectManager::Get().CreateObjectFromFile<SoundPak>(name);
}

void DestroySound(SoundPak*& sound)
{
    if (sound)
        ObjectManager::Get().DestroyObjectEx(sound, "Item", __LINE__);
    sound = nullptr;
}

const GameEngine::ItemClassificationEntry* ClassificationEntry(ItemClassification classification)
{
    return gGameEngine ? gGameEngine->GetItemClassification(classification) : nullptr;
}

}  // namespace

Item::Item() { PickSparkleTime(); }

Item::~Item()
{
    DestroySound(m_dropSound);
    DestroySound(m_dropSound3D);
    DestroySound(m_dropSoundWater);
}

Item* Item::CreateItem(const ItemReplicaInfo& replica)
{
    // The class is tested before anything is made or loaded, so names from a peer or a
    // save make only an item; an id that is taken creates nothing.
    Item* item = ObjectManager::Get().CreateObjectFromFile<Item>(replica.baseName, replica.objectId, true);
    if (!item)
        return nullptr;
    item->SetItemReplicaInfo(replica);
    item->InitializeItem();
    return item;
}

// ---- Engine object ---------------------------------------------------------------------

void Item::Load(const LoadTable& table)
{
    Actor::Load(table);
    const std::shared_ptr<const ItemRecordFields> fields =
        ReadKept(KeptItemFieldReads(), table, [](const LoadTable& record) {
        auto read = std::make_shared<ItemRecordFields>();
        read->descriptionTag = record.GetString("description", "");
        read->itemText = record.GetString("itemText", "");
        std::vector<int> costs;
        record.GetIntArray("itemCost", costs);
        for (int cost : costs)
            read->itemCost.push_back(static_cast<uint32_t>(std::max(cost, 0)));
        read->itemCostScalePercent = record.GetFloat("itemCostScalePercent", 0.0f);
        read->itemLevel = RecordUnsigned(record, "itemLevel");
        read->cannotPickUpMultiple = record.GetBool("cannotPickUpMultiple", false);
        read->requirements[0] = RecordUnsigned(record, "strengthRequirement");
        read->requirements[1] = RecordUnsigned(record, "dexterityRequirement");
        read->requirements[2] = RecordUnsigned(record, "intelligenceRequirement");
        read->requirements[3] = RecordUnsigned(record, "levelRequirement");
        read->classification = GameEngine::ResolveItemClassificationEnum(record.GetString("itemClassification", ""));
        return read;
    });
    m_descriptionTag = fields->descriptionTag;
    m_itemText = fields->itemText;
    DestroySound(m_dropSound);
    DestroySound(m_dropSound3D);
    DestroySound(m_dropSoundWater);
    m_dropSound = LoadSound(table, "dropSound", "");
    m_dropSound3D = LoadSound(table, "dropSound3D", "");
    m_itemCost = fields->itemCost;
    m_itemCostScalePercent = fields->itemCostScalePercent;
    m_itemLevel = fields->itemLevel;
    m_cannotPickUpMultiple = fields->cannotPickUpMultiple;
    m_strengthRequirement = fields->requirements[0];
    m_dexterityRequirement = fields->requirements[1];
    m_intelligenceRequirement = fields->requirements[2];
    m_levelRequirement = fields->requirements[3];
    m_dropSoundWater = LoadSound(table, "dropSoundWater", kDefaultWaterDropSound);
    // Raised from what the kind starts with (a potion is a Potion without saying so).
    if (fields->classification > m_classification)
        m_classification = fields->classification;
    m_recordClassification = m_classification;
    m_recordRequirements[0] = m_strengthRequirement;
    m_recordRequirements[1] = m_dexterityRequirement;
    m_recordRequirements[2] = m_intelligenceRequirement;
    m_recordRequirements[3] = m_levelRequirement;
}

void Item::ResetToRecordValues()
{
    m_classification = m_recordClassification;
    m_strengthRequirement = m_recordRequirements[0];
    m_dexterityRequirement = m_recordRequirements[1];
    m_intelligenceRequirement = m_recordRequirements[2];
    m_levelRequirement = m_recordRequirements[3];
}

void Item::PreLoad(bool flag)
{
    Actor::PreLoad(flag);
    for (SoundPak* sound : {m_dropSound, m_dropSound3D, m_dropSoundWater})
        if (sound)
            sound->PreLoad(flag);
}

void Item::CollisionCallback(const CollisionData& collision)
{
    Actor::CollisionCallback(collision);
    if (!m_dropSoundToPlay)
        return;
    PlayDropSoundWorld(collision.surface);
    m_dropSoundToPlay = false;
}

void Item::HitMaxFallVelocityCallback()
{
    Region* region = GetRegion();
    if (!IsInWorld() || !region)
        return;
    const float floor = World::Get().GetFloorHeightBelow(GetCoords().GetPosition());
    if (!std::isfinite(floor))
        return;
    Coords coords = GetCoords().GetRegionCoords();
    coords.origin.y = floor;
    World::Get().SetCoords(this, WorldCoords(region, coords));
}

void Item::InitialUpdate()
{
    Actor::InitialUpdate();
    if (IsInWorld())
        RandomizeItem();
}

void Item::WriteReplicationData(NetPacketOutBuffer& out) const { m_replica.WriteReplicationData(out); }

bool Item::ReadReplicationData(NetPacketInBuffer& in)
{
    ItemReplicaInfo received;
    received.ReadReplicationData(in);
    m_receivedReplicaPending = in.IsOk();
    if (!m_receivedReplicaPending) {
        gEngine->Log(LOG_WARNING, "Item %s: replicated identity unreadable (%s); nothing is kept",
                     GetObjectName().c_str(), in.GetError().c_str());
        return false;
    }
    m_receivedReplica = std::move(received);
    return true;
}

void Item::ApplyReplicationData()
{
    if (!m_receivedReplicaPending)
        return;
    m_receivedReplicaPending = false;
    SetItemReplicaInfo(m_receivedReplica);
    InitializeItem();
}

void Item::SaveState(BinaryWriter& writer) { m_replica.SaveState(writer); }

bool Item::RestoreState(BinaryReader& reader)
{
    ItemReplicaInfo restored;
    if (!restored.RestoreState(reader)) {
        gEngine->Log(LOG_WARNING, "Item %s: saved identity refused; the item stays as its record makes it",
                     GetObjectName().c_str());
        return false;
    }
    SetItemReplicaInfo(restored);
    InitializeItem();
    return true;
}

bool Item::IncludeInMinimap() const { return m_classification == ItemClassification_Quest; }

void Item::AppendDetailMapData(MinimapSink& sink) const
{
    if (IncludeInMinimap())
        sink.Append(kMinimapQuestItem, GetGameDescription(), GetCoords().GetPosition());
}

void Item::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    if (!IsInWorld() || m_classification == ItemClassification_Common)
        return;
    const int64_t left = static_cast<int64_t>(m_sparkleCountdown) - elapsedMs;
    m_sparkleCountdown = static_cast<int>(
        std::clamp<int64_t>(left, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    if (m_sparkleCountdown < 0)
        Sparkle();
}

std::u16string Item::GetGameDescription() const
{
    std::u16string text;
    if (const GameEngine::ItemClassificationEntry* entry = ClassificationEntry(m_classification))
        text = entry->color;
    if (!m_descriptionTag.empty())
        text += SimpleTagText(m_descriptionTag);
    RemoveLineBreakCodes(text);
    TrimDisplayText(text);
    return text;
}

DesignerVariableSlot<float> Item::BindDesignerVariable(const char* name)
{
    return FindDesignerVariable<float>(name, {{"itemLevel", DesignerVariableSlot<float>::OfUnsigned(m_itemLevel)}});
}

// ---- Identity --------------------------------------------------------------------------

void Item::SetItemReplicaInfo(const ItemReplicaInfo& replica)
{
    m_replica = replica;
    m_replica.objectId = GetObjectId();
    m_replica.baseName = GetObjectName();
}

void Item::SetItemClassification(const LoadTable& table)
{
    const ItemClassification classification =
        GameEngine::ResolveItemClassificationEnum(table.GetString("itemClassification", ""));
    if (classification > m_classification)
        m_classification = classification;
}

void Item::RandomizeItem()
{
    if (m_initialized)
        return;
    ItemReplicaInfo fresh;
    fresh.seed = gGameEngine ? static_cast<uint32_t>(gGameEngine->GetRandomSeed() & 0xFFFFu) : 1u;
    SetItemReplicaInfo(fresh);   // the item's own id and record
    InitializeItem();
}

// ---- The operations every item offers --------------------------------------------------

// Every item is carried by the move cursor.
CursorHandler* Item::CreatePrimaryCursorHandler(const Character*) { return new CursorHandlerItemMove(); }

void Item::InitializeItem() { m_initialized = true; }

void Item::PlayDropSound()
{
    if (m_dropSound)
        m_dropSound->Play(true);
}

void Item::PlayDropSoundWorld(PhysicsSurface surface)
{
    SoundPak* sound = surface == PhysicsSurface_Water ? m_dropSoundWater : m_dropSound3D;
    if (sound && !sound->IsPlaying())
        sound->Play(GetCoords().GetPosition());
}

void Item::GetUIDisplayText(const Character*, std::vector<GameTextLine>& lines) const
{
    GetUIGameDescription(lines);
    if (!m_itemText.empty())
        lines.emplace_back(GameTextClass::ItemDescription, TagText(m_itemText), false);
}

void Item::GetUIGameDescription(std::vector<GameTextLine>& lines) const
{
    const GameEngine::ItemClassificationEntry* entry = ClassificationEntry(m_classification);
    std::u16string name = m_descriptionTag.empty() ? std::u16string() : SimpleTagText(m_descriptionTag);
    TrimDisplayText(name);
    lines.emplace_back(entry ? entry->textClass : GameTextClass::ItemNameCommon, name, false);
}

namespace {

// The character's level and its level requirement reduction; 0 and 0 without one.
void LevelAndReduction(const Character* character, float& level, float& reduction)
{
    level = character ? static_cast<float>(character->GetCharLevel()) : 0.0f;
    reduction = character ? character->GetTotalCharAttribute(CharAttributeType_LevelReqReduction) : 0.0f;
}

}  // namespace

void Item::GetUIRequirementText(const Character* character, std::vector<GameTextLine>& lines) const
{
    float level = 0.0f, reduction = 0.0f;
    LevelAndReduction(character, level, reduction);
    GenerateRequirementText(level, static_cast<float>(GetLevelRequirement()), reduction, "LevelRequirement", lines);
}

bool Item::AreRequirementsMet(const Character* character) const
{
    float level = 0.0f, reduction = 0.0f;
    LevelAndReduction(character, level, reduction);
    return MeetsRequirements(level, static_cast<float>(GetLevelRequirement()), reduction);
}

void Item::AttachItem(Character& character, const std::string& bone)
{
    if (bone.empty())
        SetVisibility(false);
    character.Attach(this, Coords(), Name(bone));
    m_attachedCharacter = character.GetObjectId();
}

void Item::DetachItem(Character& character)
{
    character.Detach(this);
    SetVisibility(true);
    m_attachedCharacter = 0;
}

uint32_t Item::GetItemCost(bool) const
{
    // In double and held at the unsigned maximum: a large base at a large scale must not
    // wrap to a cheap item.
    const double base = GetBaseItemCost();
    return TruncateToUnsigned(base + base * static_cast<double>(m_itemCostScalePercent) * 0.01 + 0.5);
}

void Item::DumpCostAttributes() const
{
    gEngine->Log(LOG_INFO, "------------------------------------------------");
    gEngine->Log(LOG_INFO, "Name: %s", m_replica.baseName.c_str());
    gEngine->Log(LOG_INFO, "  Prefix:      %s", m_replica.prefixName.c_str());
    gEngine->Log(LOG_INFO, "  Suffix:      %s", m_replica.suffixName.c_str());
    gEngine->Log(LOG_INFO, "  Relic:       %s", m_replica.relicName.c_str());
    gEngine->Log(LOG_INFO, "  Relic Bonus: %s", m_replica.relicBonus.c_str());
    gEngine->Log(LOG_INFO, "  Seed:        %d", static_cast<int>(m_replica.seed));
    gEngine->Log(LOG_INFO, "  Var1:        %d", static_cast<int>(m_replica.var1));
}

void Item::GetFullItemDescription(std::u16string& text) const
{
    text += GetGameDescription();
    if (!m_itemText.empty())
        text += TagText(m_itemText);
}

// ---- Plain operations ------------------------------------------------------------------

bool Item::IsItemAvailable(const Character* character, uint32_t strength, uint32_t dexterity,
                           uint32_t intelligence) const
{
    const uint32_t level = character ? character->GetCharLevel() : 0;
    if (strength >= GetStrengthRequirement() && dexterity >= GetDexterityRequirement() &&
        intelligence >= GetIntelligenceRequirement() && level >= GetLevelRequirement())
        return true;
    return AreRequirementsMet(character);
}

Character* Item::GetCharacter() const { return ObjectManager::Get().GetObject<Character>(m_attachedCharacter); }

int Item::ReducedRequirement(float need, float reductionPercent)
{
    const double required = need;
    return TruncateToInt(required - required * static_cast<double>(reductionPercent) * 0.01 + 0.5);
}

bool Item::MeetsRequirements(float have, float need, float reductionPercent)
{
    if (need == 0.0f)
        return true;
    return static_cast<double>(ReducedRequirement(need, reductionPercent)) <= static_cast<double>(have);
}

void Item::GenerateRequirementText(float have, float need, float reductionPercent, const std::string& tag,
                                   std::vector<GameTextLine>& lines)
{
    if (!(need > 0.0f))
        return;
    const int reduced = std::max(0, ReducedRequirement(need, reductionPercent));
    const int required = TruncateToInt(need);
    const int percent = TruncateToInt(reductionPercent);
    const std::u16string tagText = TagText(tag);
    LocalizationManager& localization = LocalizationManager::Instance();
    std::u16string text;
    if (have >= need)
        text = localization.Format("MeetsRequirement", tagText, required);
    else if (have >= static_cast<float>(reduced))
        text = localization.Format("MeetsRequirementWithReduction", tagText, reduced, required, percent);
    else if (reductionPercent <= 0.0f)
        text = localization.Format("FailsRequirement", tagText, required);
    else
        text = localization.Format("FailsRequirementWithReduction", tagText, reduced, required, percent);
    lines.emplace_back(GameTextClass::ItemRequirements, text, false);
}

void Item::PickSparkleTime()
{
    const int range = TruncateToInt((static_cast<double>(m_sparkleMaximum) - m_sparkleMinimum) * 1000.0);
    if (range <= 0) {
        m_sparkleCountdown = ExactSecondsToMs(m_sparkleMaximum);
        return;
    }
    // The platform's process-wide generator: sparkles are cosmetic, peers need not agree.
    m_sparkleCountdown = ExactSecondsToMs(m_sparkleMinimum) + RandomInt(0, range - 1);
}

void Item::Sparkle()
{
    if (gEngine->IsHeadless() || gEngine->AreEffectsDisabled())
        return;
    const GameEngine::ItemClassificationEntry* entry = ClassificationEntry(m_classification);
    if (entry && !entry->sparkle.empty() && GetRegion()) {
        if (auto* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(entry->sparkle)) {
            effect->StartEmitting();
            const Vec3 point = GetRegionBoundingBox().GetRandomPointInside();
            if (!effect->AddToWorld(WorldCoords(GetRegion(), Coords::MakeTranslation(point)), true))
                ObjectManager::Get().DestroyObjectEx(effect, "Item", __LINE__);
        }
    }
    PickSparkleTime();
}

Item* FindItemByIdentity(const std::vector<uint32_t>& ids,
                         const std::function<bool(uint32_t id, const ItemReplicaInfo& identity)>& matches)
{
    for (uint32_t id : ids) {
        Item* item = ObjectManager::Get().GetObject<Item>(id);
        if (!item)
            continue;
        ItemReplicaInfo identity;
        item->GetItemReplicaInfo(identity);
        if (matches(id, identity))
            return item;
    }
    return nullptr;
}

}  // namespace GAME
