// A relic: an item made of shards. Each shard found is a relic of level 1; shards of one
// record combine into one relic whose level counts them, up to the record's completed
// level. Its attributes grow with its level, and on completion it rolls a bonus record
// from its bonus table with its own seed, so every peer completing it picks the same
// bonus. A relic, whole or partial, is set into one piece of equipment of the kinds its
// record allows and works from inside it. A charm is a relic that shows other texts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Game/combat/AttributePak.h"
#include "Game/items/Item.h"
#include "Game/items/ItemSkillAugment.h"

namespace GAME {

class Entity;
class RacialBonus;

class ItemRelic : public Item {
    GAME_DECLARE_CLASS(ItemRelic)

public:
    // The kinds of equipment a relic may go into: the record's flag key and the class it
    // stands for, in the order the record lists them.
    struct EquipmentKindFlag {
        const char* key;
        const char* className;
    };
    static constexpr size_t kEquipmentKindCount = 14;
    static const std::array<EquipmentKindFlag, kEquipmentKindCount> kEquipmentKinds;

    // The six text tags: shard, complete, ratio, bonus, directions, error.
    enum TextTag { Tag_Shard, Tag_Complete, Tag_Ratio, Tag_Bonus, Tag_Directions, Tag_Error, Tag_Count };

    ItemRelic();
    ~ItemRelic() override;
    // Leaves the worn sums, which may have counted it, to be summed again.
    void OnDestroy() override;

    // After Item's keys: "completedRelicLevel", the three bitmaps, the shard attributes,
    // "bonusTableName", the racial bonus, the three sounds and the fourteen kind flags.
    void Load(const LoadTable& table) override;
    // A combine cursor, when the character meets the requirements.
    CursorHandler* CreateSecondaryCursorHandler(const Character* character) override;
    // Rebuilds from the identity: the level from var1 (when not 0), the record's own
    // augments once complete, and the completion bonus the identity names.
    void InitializeItem() override;
    // The whole relic's art once complete, the shard's before.
    Texture* GetBitmap() override;
    // The level while incomplete.
    void GetUIBitmapText(std::u16string& text) const override;
    void GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const override;
    void GetUIRequirementText(const Character* character, std::vector<GameTextLine>& lines) const override;
    // The shard attributes at the relic's level, then the bonus at level 1.
    void GetCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void GetSkillAttributes(SkillAttributeAccumulator& accumulator) const override;
    void GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const override;
    void GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override;
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const override;
    void ContributeRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const override;
    // The level test, then strength, dexterity and intelligence with the character's
    // global requirement reduction.
    bool AreRequirementsMet(const Character* character) const override;
    // The record's "itemCost" by level (level 0 the last entry) raised by the scale,
    // truncated.
    uint32_t GetItemCost(bool flag) const override;

    // ---- Relic operations -------------------------------------------------------------
    // The art equipment shows over its icon while the relic is set in it.
    virtual Texture* GetRelicOverlayBitmap();
    // The relic's text as shown inside an equipment item: name, state, attributes and
    // the completion bonus.
    virtual void GetBoundUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const;
    // Sets the level and mirrors it into the identity's var1.
    virtual void SetRelicLevel(uint32_t level);
    virtual uint32_t GetRelicLevel() const { return m_relicLevel; }
    virtual bool IsComplete() const { return m_relicLevel >= m_completedRelicLevel; }
    // Combines with a relic or goes into equipment; false when it may not. A relic whose
    // level is 0 afterwards is spent; what becomes of it is the caller's.
    virtual bool UseRelicOn(Entity* target, bool playSound);
    // Whether UseRelicOn would take; ontoItem tells that the relic would go into an item
    // that holds none.
    virtual bool CanRelicBeUsedOn(Entity* target, bool& ontoItem);
    // Adds shards up to the completed level and answers those left over; a complete relic
    // takes none. Completion rolls the bonus from the relic's own seed.
    virtual uint32_t AddToRelicLevel(uint32_t shards, bool playSound);
    // The shards of this relic may go into the other: same record, other not complete.
    virtual bool TestCompatibility(ItemRelic* other);
    // The record allows the target's kind of equipment.
    virtual bool ItemUseFilter(Entity* target);

    // The relic's skill augments on the character of the item it is set in. Balanced:
    // removing takes off only what installing put on.
    void InstallOnCharacter(Character& character);
    void RemoveFromCharacter(Character& character);

    uint32_t GetCompletedRelicLevel() const { return m_completedRelicLevel; }
    const std::string& GetBonusTableName() const { return m_bonusTableName; }
    const ItemSkillAugment& GetSkillAugment() const { return m_skillAugment; }
    bool IsKindAllowed(size_t kind) const { return kind < kEquipmentKindCount && m_allowedKinds[kind]; }
    const char* GetTextTag(TextTag tag) const { return m_textTags[tag]; }

protected:
    std::array<const char*, Tag_Count> m_textTags;

private:
    // The bonus record's attributes, augments and racial bonus (nothing for no name).
    void LoadBonus(const std::string& bonusRecord);
    // The record's own augments (once complete) and the bonus's, then the granted skills.
    void RebuildAugments();
    // The state line, the attribute lines and (complete) the bonus block.
    void AppendRelicText(std::vector<GameTextLine>& lines, bool withBlanks) const;
    void PlaySound(SoundPak* sound) const;
    // The shard attributes at the relic's level, then the bonus's at level 1.
    template <class Accumulator>
    void AddAttributes(void (AttributePak::*get)(Accumulator&, unsigned) const, Accumulator& accumulator) const;
    Texture* LoadedTexture(std::unique_ptr<Texture>& texture, const std::string& name);

    uint32_t m_relicLevel = 1;
    uint32_t m_completedRelicLevel = 0;
    std::unique_ptr<Texture> m_shardTexture;
    std::unique_ptr<Texture> m_relicTexture;
    std::unique_ptr<Texture> m_overlayTexture;
    std::string m_shardBitmapName;
    std::string m_relicBitmapName;
    std::string m_overlayBitmapName;
    AttributePak m_shardAttributes;
    AttributePak m_bonusAttributes;
    std::string m_bonusTableName;
    ItemSkillAugment m_skillAugment;
    std::unique_ptr<RacialBonus> m_racialBonus;
    std::unique_ptr<RacialBonus> m_bonusRacialBonus;
    SoundPak* m_relicToRelicSound = nullptr;
    SoundPak* m_relicToItemSound = nullptr;
    SoundPak* m_relicCompleteSound = nullptr;
    std::array<bool, kEquipmentKindCount> m_allowedKinds{};
    std::vector<uint32_t> m_costByLevel;
    uint32_t m_installedOn = 0;   // the character the augments are on, 0 for none
};

// A relic in every rule, with its own text tags.
class ItemCharm : public ItemRelic {
    GAME_DECLARE_CLASS(ItemCharm)

public:
    ItemCharm();
};

}  // namespace GAME
