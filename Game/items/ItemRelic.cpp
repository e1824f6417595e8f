#include "Game/items/ItemRelic.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/characters/Character.h"
#include "Game/combat/RacialBonus.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/CursorHandlerRelicCombine.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/loot/LootRandomizer.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemRelic, Item)
GAME_IMPLEMENT_CLASS(ItemCharm, ItemRelic)

const std::array<ItemRelic::EquipmentKindFlag, ItemRelic::kEquipmentKindCount> ItemRelic::kEquipmentKinds = {{
    {"amulet", "ArmorJewelry_Amulet"},
    {"bracelet", "ArmorJewelry_Bracelet"},
    {"ring", "ArmorJewelry_Ring"},
    {"armband", "ArmorProtective_Forearm"},
    {"helmet", "ArmorProtective_Head"},
    {"greaves", "ArmorProtective_LowerBody"},
    {"bodyArmor", "ArmorProtective_UpperBody"},
    {"shield", "WeaponArmor_Shield"},
    {"bow", "WeaponHunting_Bow"},
    {"spear", "WeaponHunting_Spear"},
    {"staff", "WeaponMagical_Staff"},
    {"axe", "WeaponMelee_Axe"},
    {"mace", "WeaponMelee_Mace"},
    {"sword", "WeaponMelee_Sword"},
}};

namespace {

SoundPak* RelicSound(const LoadTable& table, const char* key)
{
    const std::string name = table.GetString(key, "");
    return name.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<SoundPak>(name);
}

void DestroyRelicSound(SoundPak*& sound)
{
    if (sound)
        ObjectManager::Get().DestroyObjectEx(sound, "ItemRelic", __LINE__);
    sound = nullptr;
}

std::u16string RelicTagText(const char* tag)
{
    std::u16string text;
    if (!LocalizationManager::Instance().GetFormat(tag, text))
        text = LocalizationManager::ToWChar(tag);
    return text;
}

void AppendBlankLine(std::vector<GameTextLine>& lines) { lines.emplace_back(GameTextClass::Default, u"", false); }

}  // namespace

ItemRelic::ItemRelic()
    : m_textTags{"tagRelicShard", "tagRelicComplete", "tagRelicRatio",
                 "tagRelicBonus", "tagRelicDirections", "tagRelicError"}
{
    SetClassification(ItemClassification_Relic);
    ItemReplicaInfo identity;
    identity.var1 = 1;
    SetItemReplicaInfo(identity);
}

ItemCharm::ItemCharm()
{
    m_textTags = {"tagAnimalPart",          "tagAnimalPartComplete",   "tagAnimalPartRatio",
                  "tagAnimalPartcompleteBonus", "tagAnimalPartDirections", "tagRelicError"};
}

ItemRelic::~ItemRelic()
{
    // Destroyed while its item is worn: its augments leave the wearer with it.
    if (Character* installedOn = ObjectManager::Get().GetObject<Character>(m_installedOn))
        RemoveFromCharacter(*installedOn);
    DestroyRelicSound(m_relicToRelicSound);
    DestroyRelicSound(m_relicToItemSound);
    DestroyRelicSound(m_relicCompleteSound);
}

// ---- Loading -------------------------------------------------------------------------------

void ItemRelic::Load(const LoadTable& table)
{
    Item::Load(table);
    m_completedRelicLevel = static_cast<uint32_t>(std::max(table.GetInt("completedRelicLevel", 0), 0));
    m_shardBitmapName = table.GetString("shardBitmap", "");
    m_relicBitmapName = table.GetString("relicBitmap", "");
    m_overlayBitmapName = table.GetString("itemOverlayBitmap", "");
    m_shardTexture.reset();
    m_relicTexture.reset();
    m_overlayTexture.reset();
    SetClassification(ItemClassification_Relic);
    m_shardAttributes.LoadFromTable(table);
    ItemEquipment::AttributesChanged();
    m_bonusTableName = table.GetString("bonusTableName", "");
    m_racialBonus = RacialBonus::CreateFromTable(table);
    DestroyRelicSound(m_relicToRelicSound);
    DestroyRelicSound(m_relicToItemSound);
    DestroyRelicSound(m_relicCompleteSound);
    m_relicToRelicSound = RelicSound(table, "relicToRelicSound");
    m_relicToItemSound = RelicSound(table, "relicToItemSound");
    m_relicCompleteSound = RelicSound(table, "relicCompleteSound");
    for (size_t kind = 0; kind < kEquipmentKindCount; ++kind)
        m_allowedKinds[kind] = table.GetBool(kEquipmentKinds[kind].key, false);
    // Item keeps only the first cost; a relic is priced by its level.
    std::vector<int> costs;
    table.GetIntArray("itemCost", costs);
    m_costByLevel.clear();
    for (int cost : costs)
        m_costByLevel.push_back(static_cast<uint32_t>(std::max(cost, 0)));
}

void ItemRelic::OnDestroy()
{
    ItemEquipment::AttributesChanged();
    Item::OnDestroy();
}

void ItemRelic::LoadBonus(const std::string& bonusRecord)
{
    if (bonusRecord.empty())
        return;
    m_bonusAttributes.LoadFromDatabase(bonusRecord);
    ItemEquipment::AttributesChanged();
    m_skillAugment.Load(bonusRecord);
    m_bonusRacialBonus = RacialBonus::CreateFromFile(bonusRecord);
}

void ItemRelic::RebuildAugments()
{
    if (IsComplete())
        m_skillAugment.Load(GetObjectName());
    LoadBonus(GetItemReplicaInfo().relicBonus);
    m_skillAugment.CreateItemSkills();
}

void ItemRelic::InitializeItem()
{
    Item::InitializeItem();
    // From scratch: a second run equals a fresh relic. Augments on a character come off
    // first, so that they go back on as rebuilt.
    Character* installedOn = ObjectManager::Get().GetObject<Character>(m_installedOn);
    if (installedOn)
        RemoveFromCharacter(*installedOn);
    m_skillAugment.Clear();
    m_bonusAttributes.LoadFromTable(ObjectManager::Get().GetRecordOrEmpty(""));
    ItemEquipment::AttributesChanged();
    m_bonusRacialBonus.reset();

    uint32_t level = GetItemReplicaInfo().var1;
    if (level != 0) {
        // The level comes from a save or a peer: no relic holds more shards than complete.
        if (m_completedRelicLevel > 0 && level > m_completedRelicLevel) {
            gEngine->Log(LOG_WARNING, "ItemRelic %s: level %u above the completed level %u; held at it",
                         GetObjectName().c_str(), level, m_completedRelicLevel);
            level = m_completedRelicLevel;
        }
        SetRelicLevel(level);
    }
    RebuildAugments();
    if (installedOn)
        InstallOnCharacter(*installedOn);
}

void ItemRelic::SetRelicLevel(uint32_t level)
{
    m_relicLevel = level;
    ItemEquipment::AttributesChanged();
    ItemReplicaInfo identity = GetItemReplicaInfo();
    if (identity.var1 != level) {
        identity.var1 = level;
        SetItemReplicaInfo(identity);
    }
}

// ---- Combining -------------------------------------------------------------------------------

uint32_t ItemRelic::AddToRelicLevel(uint32_t shards, bool playSound)
{
    if (IsComplete())
        return 0;
    const uint64_t total = uint64_t{m_relicLevel} + shards;
    const uint32_t left = total > m_completedRelicLevel ? static_cast<uint32_t>(total - m_completedRelicLevel) : 0;
    Character* installedOn = ObjectManager::Get().GetObject<Character>(m_installedOn);
    if (installedOn)
        RemoveFromCharacter(*installedOn);
    SetRelicLevel(static_cast<uint32_t>(total - left));

    if (IsComplete()) {
        // The bonus depends on this relic's seed alone, so every peer picks the same.
        std::string bonus;
        LootRandomizerTable table;
        if (table.ManualLoad(m_bonusTableName)) {
            RandomUniform random;
            random.Seed(GetItemReplicaInfo().seed);
            table.GetRandomizerName(bonus, random);
        } else {
            gEngine->Log(LOG_WARNING, "ItemRelic %s: bonus table \"%s\" does not load; completed without a bonus",
                         GetObjectName().c_str(), m_bonusTableName.c_str());
        }
        ItemReplicaInfo identity = GetItemReplicaInfo();
        identity.relicBonus = bonus;
        SetItemReplicaInfo(identity);
        m_skillAugment.Clear();
        RebuildAugments();
        if (playSound)
            PlaySound(m_relicCompleteSound);
    } else if (playSound) {
        PlaySound(m_relicToRelicSound);
    }
    if (installedOn)
        InstallOnCharacter(*installedOn);
    return left;
}

bool ItemRelic::TestCompatibility(ItemRelic* other)
{
    return other && PathEqualsNoCase(GetObjectName().c_str(), other->GetObjectName().c_str()) && !other->IsComplete();
}

bool ItemRelic::ItemUseFilter(Entity* target)
{
    if (!target)
        return false;
    for (size_t kind = 0; kind < kEquipmentKindCount; ++kind) {
        const RTTI_ClassInfo* info = Object::GetStaticClassInfo().FindClassByName(kEquipmentKinds[kind].className);
        if (info && target->IsA(*info))
            return m_allowedKinds[kind];
    }
    return false;
}

bool ItemRelic::CanRelicBeUsedOn(Entity* target, bool& ontoItem)
{
    ontoItem = false;
    if (!target || target == this)
        return false;
    if (ItemRelic* relic = DynamicCast<ItemRelic>(target); relic && !IsComplete())
        return TestCompatibility(relic);
    ItemEquipment* equipment = DynamicCast<ItemEquipment>(target);
    if (!equipment)
        return false;
    if (ItemRelic* installed = equipment->GetRelic())
        return TestCompatibility(installed);
    ontoItem = true;
    const ItemClassification classification = equipment->GetItemClassification();
    if (classification == ItemClassification_Epic || classification == ItemClassification_Legendary)
        return false;
    return ItemUseFilter(target);
}

bool ItemRelic::UseRelicOn(Entity* target, bool playSound)
{
    bool ontoItem = false;
    if (!CanRelicBeUsedOn(target, ontoItem))
        return false;
    if (ItemRelic* relic = DynamicCast<ItemRelic>(target)) {
        SetRelicLevel(relic->AddToRelicLevel(m_relicLevel, playSound));
        return true;
    }
    ItemEquipment* equipment = DynamicCast<ItemEquipment>(target);
    if (ItemRelic* installed = equipment->GetRelic()) {
        const uint32_t left = installed->AddToRelicLevel(m_relicLevel, playSound);
        equipment->UpdateReplicaInfo();
        SetRelicLevel(left);
    } else {
        equipment->AddRelic(GetObjectName(), GetItemReplicaInfo().relicBonus, m_relicLevel);
        SetRelicLevel(0);
    }
    if (playSound)
        PlaySound(m_relicToItemSound);
    return true;
}

void ItemRelic::InstallOnCharacter(Character& character)
{
    if (m_installedOn != 0)
        return;
    m_skillAugment.ApplyToCharacter(character);
    m_installedOn = character.GetObjectId();
}

void ItemRelic::RemoveFromCharacter(Character& character)
{
    if (m_installedOn != character.GetObjectId())
        return;
    m_skillAugment.RemoveFromCharacter(character);
    m_installedOn = 0;
}

void ItemRelic::PlaySound(SoundPak* sound) const
{
    if (sound)
        sound->Play(true);
}

CursorHandler* ItemRelic::CreateSecondaryCursorHandler(const Character* character)
{
    return AreRequirementsMet(character) ? new CursorHandlerRelicCombine() : nullptr;
}

// ---- Attributes, requirements and cost ---------------------------------------------------------

template <class Accumulator>
void ItemRelic::AddAttributes(void (AttributePak::*get)(Accumulator&, unsigned) const, Accumulator& accumulator) const
{
    (m_shardAttributes.*get)(accumulator, m_relicLevel);
    (m_bonusAttributes.*get)(accumulator, 1);
}

void ItemRelic::GetCharAttributes(CharAttributeAccumulator& accumulator) const { AddAttributes(&AttributePak::GetCharAttributes, accumulator); }

void ItemRelic::GetSkillAttributes(SkillAttributeAccumulator& accumulator) const { AddAttributes(&AttributePak::GetSkillAttributes, accumulator); }

void ItemRelic::GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const { AddAttributes(&AttributePak::GetOffensiveDamageAttributes, accumulator); }

void ItemRelic::GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const { AddAttributes(&AttributePak::GetOffensiveModifierAttributes, accumulator); }

void ItemRelic::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const { AddAttributes(&AttributePak::GetRetaliationAttributes, accumulator); }

void ItemRelic::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const { AddAttributes(&AttributePak::GetDefenseAttributes, accumulator); }

void ItemRelic::ContributeRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    if (m_racialBonus)
        m_racialBonus->ContributeDamage(races, bonus, m_relicLevel);
    if (m_bonusRacialBonus)
        m_bonusRacialBonus->ContributeDamage(races, bonus, 1);
}

void ItemRelic::ContributeRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const
{
    if (m_racialBonus)
        m_racialBonus->ContributeDefense(races, bonus, m_relicLevel);
    if (m_bonusRacialBonus)
        m_bonusRacialBonus->ContributeDefense(races, bonus, 1);
}

namespace {

// Strength, dexterity and intelligence of the character and the global reduction (only
// when above 0); all 0 without a character.
struct RelicRequirementInputs {
    float have[3] = {0.0f, 0.0f, 0.0f};
    float reduction = 0.0f;
};

RelicRequirementInputs RelicInputs(const Character* character)
{
    RelicRequirementInputs inputs;
    if (!character)
        return inputs;
    inputs.have[0] = character->GetTotalCharAttribute(CharAttributeType_Strength);
    inputs.have[1] = character->GetTotalCharAttribute(CharAttributeType_Dexterity);
    inputs.have[2] = character->GetTotalCharAttribute(CharAttributeType_Intelligence);
    inputs.reduction = std::max(character->GetTotalCharAttribute(CharAttributeType_GlobalReqReduction), 0.0f);
    return inputs;
}

}  // namespace

bool ItemRelic::AreRequirementsMet(const Character* character) const
{
    if (!Item::AreRequirementsMet(character))
        return false;
    const RelicRequirementInputs in = RelicInputs(character);
    return MeetsRequirements(in.have[0], static_cast<float>(GetStrengthRequirement()), in.reduction) &&
           MeetsRequirements(in.have[1], static_cast<float>(GetDexterityRequirement()), in.reduction) &&
           MeetsRequirements(in.have[2], static_cast<float>(GetIntelligenceRequirement()), in.reduction);
}

void ItemRelic::GetUIRequirementText(const Character* character, std::vector<GameTextLine>& lines) const
{
    Item::GetUIRequirementText(character, lines);
    const RelicRequirementInputs in = RelicInputs(character);
    GenerateRequirementText(in.have[0], static_cast<float>(GetStrengthRequirement()), in.reduction, "Strength", lines);
    GenerateRequirementText(in.have[1], static_cast<float>(GetDexterityRequirement()), in.reduction, "Dexterity",
                            lines);
    GenerateRequirementText(in.have[2], static_cast<float>(GetIntelligenceRequirement()), in.reduction,
                            "Intelligence", lines);
}

uint32_t ItemRelic::GetItemCost(bool) const
{
    if (m_costByLevel.empty())
        return 0;
    const size_t last = m_costByLevel.size() - 1;
    const size_t index = m_relicLevel == 0 ? last : std::min<size_t>(m_relicLevel - 1, last);
    const double value = m_costByLevel[index];
    return TruncateToUnsigned(value + value * static_cast<double>(GetItemCostScalePercent()) * 0.01);
}

// ---- Art and text ------------------------------------------------------------------------------

Texture* ItemRelic::LoadedTexture(std::unique_ptr<Texture>& texture, const std::string& name)
{
    if (!texture)
        texture = std::make_unique<Texture>(name);
    return texture.get();
}

Texture* ItemRelic::GetBitmap()
{
    return IsComplete() ? LoadedTexture(m_relicTexture, m_relicBitmapName)
                        : LoadedTexture(m_shardTexture, m_shardBitmapName);
}

Texture* ItemRelic::GetRelicOverlayBitmap() { return LoadedTexture(m_overlayTexture, m_overlayBitmapName); }

void ItemRelic::GetUIBitmapText(std::u16string& text) const
{
    if (!IsComplete())
        text += LocalizationManager::Instance().Format("IntFormat", m_relicLevel);
}

void ItemRelic::AppendRelicText(std::vector<GameTextLine>& lines, bool withBlanks) const
{
    if (withBlanks)
        AppendBlankLine(lines);
    m_shardAttributes.GetUIDisplayText(m_relicLevel, GameTextClass::ItemRelicBonus, lines);
    if (m_racialBonus)
        m_racialBonus->CreateText(m_relicLevel, GameTextClass::ItemRelicBonus, lines);
    if (!IsComplete())
        return;
    if (withBlanks)
        AppendBlankLine(lines);
    const size_t heading = lines.size();
    lines.emplace_back(GameTextClass::ItemRelicCompleteTitle, RelicTagText(m_textTags[Tag_Bonus]), false);
    m_bonusAttributes.GetUIDisplayText(1, GameTextClass::ItemRelicBonus, lines);
    m_skillAugment.CreateText(GameTextClass::ItemRelicBonus, lines);
    if (m_bonusRacialBonus)
        m_bonusRacialBonus->CreateText(1, GameTextClass::ItemRelicBonus, lines);
    if (lines.size() == heading + 1)
        lines.pop_back();
}

namespace {

// The ratio line while incomplete, the complete line after.
GameTextLine RelicStateLine(const ItemRelic& relic)
{
    LocalizationManager& texts = LocalizationManager::Instance();
    if (relic.IsComplete())
        return {GameTextClass::ItemRelicNumber, RelicTagText(relic.GetTextTag(ItemRelic::Tag_Complete)), false};
    return {GameTextClass::ItemRelicNumber,
            texts.Format(relic.GetTextTag(ItemRelic::Tag_Ratio), RelicTagText(relic.GetTextTag(ItemRelic::Tag_Shard)),
                         relic.GetRelicLevel(), relic.GetCompletedRelicLevel()),
            false};
}

}  // namespace

void ItemRelic::GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const
{
    GetUIGameDescription(lines);
    lines.push_back(RelicStateLine(*this));
    // Item's text after its name line, in the relic's description class.
    std::vector<GameTextLine> itemLines;
    Item::GetUIDisplayText(character, itemLines);
    for (size_t i = 1; i < itemLines.size(); ++i)
        lines.emplace_back(GameTextClass::ItemRelicDescription, itemLines[i].text, itemLines[i].flag);
    AppendRelicText(lines, true);
    AppendBlankLine(lines);
    GetUIRequirementText(character, lines);
    if (AreTextDirectionsSuppressed())
        return;
    const TextTag tag = AreRequirementsMet(character) ? Tag_Directions : Tag_Error;
    lines.emplace_back(GameTextClass::ItemDirections, RelicTagText(m_textTags[tag]), false);
}

void ItemRelic::GetBoundUIDisplayText(const Character*, std::vector<GameTextLine>& lines) const
{
    GetUIGameDescription(lines);
    lines.push_back(RelicStateLine(*this));
    AppendRelicText(lines, false);
}

}  // namespace GAME
