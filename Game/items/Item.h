// The base of everything a character can pick up, carry, equip or use. An item is never
// copied: it is created from its identity (record names and seed), so every peer and
// every save rebuilds the same item.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class BinaryReader;
class BinaryWriter;
class CharAttributeAccumulator;
class Character;
class CombatAttributeAccumulator;
class CursorHandler;
class LoadTable;
class MinimapSink;
class NetPacketInBuffer;
class NetPacketOutBuffer;
class SkillAttributeAccumulator;
class SoundPak;
class Texture;
struct RacialBonus_Damage;
struct RacialBonus_Defense;

class Item : public Actor, public EquationInterface_Algebra {
    GAME_DECLARE_CLASS(Item)
public:
    Item();
    ~Item() override;

    // Creates the item from the record its identity names, under the identity's object id
    // (a fresh one when 0), takes the identity and initialises the item from it. Null when
    // the record does not create an item.
    static Item* CreateItem(const ItemReplicaInfo& replica);

    // ---- Engine object ----------------------------------------------------------------
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    bool OccludesPathing() const override { return false; }
    // A landing plays the drop sound once (SetDropSoundToPlay arms it again).
    void CollisionCallback(const CollisionData& collision) override;
    // Held at its fall limit: the item is set straight down onto the floor below it.
    void HitMaxFallVelocityCallback() override;
    void InitialUpdate() override;
    bool ShouldServerSpawn() const override { return true; }
    virtual void WriteReplicationData(NetPacketOutBuffer& out) const;
    virtual bool ReadReplicationData(NetPacketInBuffer& in);
    virtual void ApplyReplicationData();
    virtual bool ShouldSaveState() const { return true; }
    virtual void SaveState(BinaryWriter& writer);
    // False (and nothing applied, the failure logged) when the saved identity is refused.
    virtual bool RestoreState(BinaryReader& reader);
    // Quest items only: they show on the minimap as one entry of kind 8.
    virtual bool IncludeInMinimap() const;
    static constexpr int kMinimapQuestItem = 8;
    virtual void AppendDetailMapData(MinimapSink& sink) const;
    virtual bool GetShouldRenderAcrossPortals() const { return true; }
    void UpdateSelf(int elapsedMs) override;
    // The item's display name: the classification's colour, then its record's description
    // tag through "SimpleStringFormat", line breaks removed and blanks trimmed.
    virtual std::u16string GetGameDescription() const;

    // ---- Formula variables ------------------------------------------------------------
    // "itemLevel", bound once per formula; kinds bind more names and ask the base first.
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    // ---- Identity ---------------------------------------------------------------------
    // Keeps the identity; its object id and base record are always the item's own.
    void SetItemReplicaInfo(const ItemReplicaInfo& replica);
    const ItemReplicaInfo& GetItemReplicaInfo() const { return m_replica; }
    bool IsInitialized() const { return m_initialized; }

    // ---- The operations every item offers (kinds replace them) -------------------------
    virtual CursorHandler* CreatePrimaryCursorHandler(const Character* character);
    virtual CursorHandler* CreateSecondaryCursorHandler(const Character* /*character*/) { return nullptr; }
    // Rebuilds the item's rolled state from its identity; kinds draw their values here and
    // rebuild from scratch each time it runs.
    virtual void InitializeItem();
    virtual void PlayDropSound();
    virtual void PlayDropSoundWorld(PhysicsSurface surface);
    // The next landing plays the drop sound.
    virtual void SetDropSoundToPlay() { m_dropSoundToPlay = true; }
    virtual Texture* GetBitmap() { return nullptr; }
    virtual void GetUIBitmapText(std::u16string& /*text*/) const {}
    virtual Texture* GetUIBitmapOverlay() { return nullptr; }
    virtual void GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const;
    virtual void GetUIGameDescription(std::vector<GameTextLine>& lines) const;
    virtual void SuppressTextDirections(bool suppress) { m_suppressTextDirections = suppress; }
    virtual void GetUIRequirementText(const Character* character, std::vector<GameTextLine>& lines) const;
    virtual void GetCharAttributes(CharAttributeAccumulator& /*accumulator*/) const {}
    virtual void GetSkillAttributes(SkillAttributeAccumulator& /*accumulator*/) const {}
    virtual void GetOffensiveDamageAttributes(CombatAttributeAccumulator& /*accumulator*/) const {}
    virtual void GetOffensiveModifierAttributes(CombatAttributeAccumulator& /*accumulator*/) const {}
    virtual void GetRetaliationAttributes(CombatAttributeAccumulator& /*accumulator*/) const {}
    virtual void GetDefenseAttributes(CombatAttributeAccumulator& /*accumulator*/) const {}
    virtual void ContributeRacialBonusDamage(const std::vector<std::string>& /*races*/, RacialBonus_Damage& /*bonus*/) const {}
    virtual void ContributeRacialBonusDefense(const std::vector<std::string>& /*races*/, RacialBonus_Defense& /*bonus*/) const {}
    virtual uint32_t GetLevelRequirement() const { return m_levelRequirement; }
    virtual uint32_t GetStrengthRequirement() const { return m_strengthRequirement; }
    virtual uint32_t GetDexterityRequirement() const { return m_dexterityRequirement; }
    virtual uint32_t GetIntelligenceRequirement() const { return m_intelligenceRequirement; }
    virtual bool AreRequirementsMet(const Character* character) const;
    virtual Item_Type GetItemType() const { return ItemType_None; }
    virtual int GetRightHandType() const { return 0; }
    virtual int GetLeftHandType() const { return 0; }
    virtual int GetItemMarketType() const { return 4; }
    virtual void AttachItem(Character& character, const std::string& bone);
    virtual void DetachItem(Character& character);
    virtual void UpdateReplicaInfo() {}
    virtual void GetItemReplicaInfo(ItemReplicaInfo& out) const { out = m_replica; }
    virtual uint32_t GetItemCost(bool flag) const;
    virtual void DumpCostAttributes() const;
    virtual void GetFullItemDescription(std::u16string& text) const;
    virtual ItemClassification GetItemClassification() const { return m_classification; }
    // A fresh identity (the item's own id and record, seed from the game's generator, low
    // 16 bits) when the item is not yet initialised; nothing otherwise.
    virtual void RandomizeItem();
    virtual uint32_t GetTotalAttrCostCount() const { return 0; }

    // ---- Plain operations -------------------------------------------------------------
    uint32_t GetItemLevel() const { return m_itemLevel; }
    void SetGender(Character_Gender gender) { m_gender = gender; }
    Character_Gender GetGender() const { return m_gender; }
    void SetPickupOk(bool ok) { m_pickupOk = ok; }
    bool IsPickupOk() const { return m_pickupOk; }
    bool IsDropSoundToPlay() const { return m_dropSoundToPlay; }
    // True when the three attribute values reach the record's requirements and the
    // character's level reaches the level requirement; else `AreRequirementsMet`.
    bool IsItemAvailable(const Character* character, uint32_t strength, uint32_t dexterity,
                         uint32_t intelligence) const;
    // The character the item is attached to, or null.
    Character* GetCharacter() const;
    uint32_t GetAttachedCharacterId() const { return m_attachedCharacter; }
    // The record's "cannotPickUpMultiple": a character holding an item of the same record
    // may not pick this one up.
    bool GetCannotPickUpMultiple() const { return m_cannotPickUpMultiple; }
    uint32_t GetBaseItemCost() const { return m_itemCost.empty() ? 0 : m_itemCost.front(); }
    float GetItemCostScalePercent() const { return m_itemCostScalePercent; }
    // need reduced by the percentage (rounded) is at most have, or need is exactly 0.
    static bool MeetsRequirements(float have, float need, float reductionPercent);
    // One requirement line ("MeetsRequirement", "MeetsRequirementWithReduction",
    // "FailsRequirement" or "FailsRequirementWithReduction" given the tag's text and the
    // numbers); nothing when need is not above 0.
    static void GenerateRequirementText(float have, float need, float reductionPercent, const std::string& tag,
                                        std::vector<GameTextLine>& lines);
    // need less need x percent / 100, rounded half up and held to the int range (0 for
    // what is not a number).
    static int ReducedRequirement(float need, float reductionPercent);
    void PickSparkleTime();
    void Sparkle();
    int GetSparkleCountdown() const { return m_sparkleCountdown; }

protected:
    // Raises the classification to the record's "itemClassification" word; never lowers it.
    void SetItemClassification(const LoadTable& table);
    void SetClassification(ItemClassification classification) { m_classification = classification; }
    // The classification and the four requirements back to what the item's own record
    // gives, so that a kind rebuilding its rolled state raises them from scratch.
    void ResetToRecordValues();
    const std::string& GetDescriptionTag() const { return m_descriptionTag; }
    bool AreTextDirectionsSuppressed() const { return m_suppressTextDirections; }

    std::string m_prefixDisplayTag;
    std::string m_suffixDisplayTag;
    uint32_t m_strengthRequirement = 0;
    uint32_t m_dexterityRequirement = 0;
    uint32_t m_intelligenceRequirement = 0;
    uint32_t m_levelRequirement = 0;

private:
    ItemReplicaInfo m_replica;
    ItemReplicaInfo m_receivedReplica;
    std::vector<uint32_t> m_itemCost;
    float m_itemCostScalePercent = 0.0f;
    Character_Gender m_gender = Character_Gender_None;
    ItemClassification m_classification = ItemClassification_Common;
    uint32_t m_itemLevel = 0;
    std::string m_descriptionTag;
    std::string m_itemText;
    bool m_cannotPickUpMultiple = false;
    bool m_suppressTextDirections = false;
    bool m_pickupOk = true;
    uint32_t m_attachedCharacter = 0;
    SoundPak* m_dropSound = nullptr;
    SoundPak* m_dropSound3D = nullptr;
    SoundPak* m_dropSoundWater = nullptr;
    bool m_dropSoundToPlay = true;
    bool m_initialized = false;
    bool m_receivedReplicaPending = false;   // an identity was read whole and not yet applied
    // The record's own values, kept apart from what kinds raise them to.
    ItemClassification m_recordClassification = ItemClassification_Common;
    uint32_t m_recordRequirements[4] = {0, 0, 0, 0};   // strength, dexterity, intelligence, level
    int m_sparkleCountdown = 0;
    float m_sparkleMinimum = 3.0f;
    float m_sparkleMaximum = 5.0f;
};

// The first of `ids` that is an item whose identity (GetItemReplicaInfo) `matches` accepts,
// given with its id; null when none is. A server finds by it what a client's copy of an
// item stands for among what its player holds.
Item* FindItemByIdentity(const std::vector<uint32_t>& ids,
                         const std::function<bool(uint32_t id, const ItemReplicaInfo& identity)>& matches);

}  // namespace GAME
