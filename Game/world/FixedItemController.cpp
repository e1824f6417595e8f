#include "Game/world/FixedItemController.h"

#include <algorithm>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerInfoVariables.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/LootLoader.h"
#include "Game/items/loot/GoldGenerator.h"

namespace GAME {

namespace {

// The numbered loot entries of a loot record: "loot1Chance" .. "loot6Chance".
constexpr int kFixedItemLootEntries = 6;

// A missing or unnamed record reads as a record without keys.
const LoadTable& OpenFixedItemRecord(const std::string& name)
{
    static const LoadTable empty;
    return name.empty() ? empty : ObjectManager::Get().GetRecordOrEmpty(name);
}

// Rounds a formula's value to a whole count, a negative value counting as 0.
unsigned RoundFixedItemValue(float value)
{
    if (!(value > 0.0f))
        return 0;
    return static_cast<unsigned>(std::min(value + 0.5f, 4294967040.0f));
}

}  // namespace

DesignerVariableSlot<float> FixedItemController::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    const Slot player = FindPlayerInfoVariable(name, m_playerInfo);
    if (player.GetKind() != Slot::Kind::Unknown)
        return player;
    // The parent's level as it is when the formula runs: a spawn pool may set it after
    // the controller was made.
    const auto proxyLevel = [](const void* context, int) {
        return static_cast<float>(static_cast<const FixedItemController*>(context)->GetProxyLevel());
    };
    return FindDesignerVariable<float>(name, {{"proxyLevel", Slot::Computed(proxyLevel, this, 0)}});
}

void FixedItemController::HasBeenTouchedByActor(uint32_t actorId)
{
    m_touchingActor = actorId;
    TouchedByActor();
}

uint32_t FixedItemController::GetProxyLevel() const { return m_parent ? m_parent->GetProxyLevel() : 0; }

void FixedItemController::RunSkill()
{
    if (m_parent && m_parent->GetSkill())
        m_parent->StartSkillCountdown(m_touchingActor);
}

RandomUniform& FixedItemController::Random() const
{
    if (m_random)
        return *m_random;
    return gGameEngine->GetRandomGen();
}

void FixedItemController::CreateLootItem(const ItemReplicaInfo& info) const
{
    if (!gGameEngine || !m_parent)
        return;
    const WorldVec3 where = m_parent->GetLootDropCoords();
    gGameEngine->CreateItem(WorldCoords(where.GetRegion(), Coords::MakeTranslation(where.GetRegionPosition())), info);
}

unsigned FixedItemController::EvaluateRounded(const char* text, const char* what)
{
    DesignerEquation_Algebra formula;
    if (!formula.ParseEquation(text, this)) {
        gEngine->Log(LOG_WARNING, "-=- Fixed Item Controller Equation load failure : %s", what);
        return 0;
    }
    return RoundFixedItemValue(formula());
}

void FixedItemController::CalculateFixedItemLevel(const LoadTable& itemRecord)
{
    m_level = 0;
    const std::string file = itemRecord.GetString("levelEquationFile", "");
    if (file.empty())
        return;
    const char* text = OpenFixedItemRecord(file).GetString("levelEquation", "");
    if (!*text)
        return;
    m_level = EvaluateRounded(text, "levelEquation");
}

void FixedItemController::PickLootRecord(const LoadTable& itemRecord, std::string& out) const
{
    std::vector<std::string> tables;
    itemRecord.GetStringArray("tables", tables);
    if (tables.empty())
        return;
    out = tables[std::min<size_t>(m_level, tables.size() - 1)];
}

unsigned FixedItemController::SelectLootNumber(const LoadTable& lootRecord)
{
    const char* minText = lootRecord.GetString("numSpawnMinEquation", "");
    const char* maxText = lootRecord.GetString("numSpawnMaxEquation", "");
    if (!*minText && !*maxText) {
        std::vector<int> weights;
        lootRecord.GetIntArray("numberWeights", weights);
        // Summed wide: a record's weights must not wrap the total.
        long long total = 0;
        for (int weight : weights)
            total += std::max(weight, 0);
        const int draw = Random().IGenerate(0, static_cast<int>(std::min<long long>(total, 0x7FFFFFFF)));
        long long running = 0;
        for (size_t i = 0; i < weights.size(); ++i) {
            running += std::max(weights[i], 0);
            if (running >= draw)
                return static_cast<unsigned>(i);
        }
        return 0;
    }
    const unsigned low = *minText ? EvaluateRounded(minText, "minEquation") : 0;
    const unsigned high = *maxText ? EvaluateRounded(maxText, "maxEquation") : 0;
    const auto clampInt = [](unsigned v) { return static_cast<int>(std::min<unsigned>(v, 0x7FFFFFFF)); };
    return static_cast<unsigned>(
        std::max(Random().IGenerate(clampInt(std::min(low, high)), clampInt(std::max(low, high))), 0));
}

void FixedItemController::SelectLoot(const LoadTable& lootRecord, std::string& base, std::string& prefix,
                                     std::string& suffix, unsigned level, ChestClassification classification)
{
    LootLoader loader;
    if (gGameEngine) {
        RandomizerWeightModifiers modifiers;
        gGameEngine->GetChestLootWeightModifiers(classification, modifiers);
        loader.SetRandomizerWeightModifiers(modifiers);
    }
    loader.SetNoBrokenItems();
    PlayerInfo players;
    if (gGameEngine)
        gGameEngine->GetPlayerInfo(players);
    loader.SetLevel(level, players.averagePlayerLevel);

    float cumulative[kFixedItemLootEntries];
    float total = 0.0f;
    for (int i = 0; i < kFixedItemLootEntries; ++i) {
        const std::string key = "loot" + std::to_string(i + 1) + "Chance";
        total += lootRecord.GetFloat(key.c_str(), 0.0f);
        cumulative[i] = total;
    }
    const float draw = Random().FGenerate(0.0f, total);
    for (int i = 0; i < kFixedItemLootEntries; ++i) {
        if (cumulative[i] < draw)
            continue;
        const std::string number = std::to_string(i + 1);
        const std::string nameKey = "loot" + number + "Name";
        const std::string weightKey = "loot" + number + "Weight";
        loader.Load(lootRecord, nameKey.c_str(), weightKey.c_str(), kFixedItemLootEntries, players.gameDifficulty);
        loader.GetLootName(base, prefix, suffix, Random());
        return;
    }
}

void FixedItemController::RunGoldGenerator(float chance, float level, const std::string& record)
{
    if (record.empty() || !(chance > 0.0f))
        return;
    GoldGenerator gold;
    gold.LoadFromDatabase(record);
    gold.SetChance(chance);
    gold.SetGeneratorLevel(level);
    const Character* toucher = ObjectManager::Get().GetObject<Character>(m_touchingActor);
    gold.SetPlayerLevel(toucher ? static_cast<float>(toucher->GetCharLevel()) : 0.0f);
    std::vector<ItemReplicaInfo> piles;
    gold.RunGenerator(piles, Random());
    for (ItemReplicaInfo& pile : piles) {
        pile.objectId = ObjectManager::Get().CreateObjectID();
        CreateLootItem(pile);
    }
}

void FixedItemController::LoadDropLoot()
{
    if (!gGameEngine)
        return;
    m_playerInfo = {};
    gGameEngine->GetPlayerInfo(m_playerInfo);
    const LoadTable& itemRecord = OpenFixedItemRecord(m_recordName);
    const ChestClassification classification =
        GameEngine::ResolveChestClassificationEnum(itemRecord.GetString("lootClassification", ""));
    CalculateFixedItemLevel(itemRecord);
    std::string lootName;
    PickLootRecord(itemRecord, lootName);
    // A record without "tables" reads as a loot record without keys: no items, level 0.
    const LoadTable& lootRecord = OpenFixedItemRecord(lootName);
    const int goldLevel = lootRecord.GetInt("goldGeneratorLevel", 0);

    const unsigned count = SelectLootNumber(lootRecord);
    for (unsigned i = 0; i < count; ++i) {
        ItemReplicaInfo info;
        SelectLoot(lootRecord, info.baseName, info.prefixName, info.suffixName,
                   static_cast<unsigned>(std::max(goldLevel, 0)), classification);
        if (info.baseName.empty())
            continue;
        info.objectId = ObjectManager::Get().CreateObjectID();
        info.seed = gGameEngine->GetRandomSeed();
        CreateLootItem(info);
    }

    RunGoldGenerator(itemRecord.GetFloat("goldGeneratorChance", 0.0f), static_cast<float>(goldLevel),
                     itemRecord.GetString("goldGenerator", ""));

    if (!m_parent)
        return;
    ItemReplicaInfo perParty = m_parent->GetDropPerPartyMemberItem();
    if (perParty.baseName.empty())
        return;
    int copies = 1;
    if (PartyManager* parties = gGameEngine->GetPartyManager())
        copies = parties->GetNumInPlayersParty(m_touchingActor);
    for (int i = 0; i < copies; ++i) {
        perParty.objectId = ObjectManager::Get().CreateObjectID();
        perParty.seed = gGameEngine->GetRandomSeed();
        CreateLootItem(perParty);
    }
}

void FixedItemController::DropAdditionalItems(ItemReplicaInfo& info, unsigned count)
{
    // Every copy is an object of its own: one id shared by several items would make the
    // world hold two objects under one id.
    const unsigned copies = std::max(count, 1u);
    for (unsigned i = 0; i < copies; ++i) {
        ItemReplicaInfo copy = info;
        copy.objectId = ObjectManager::Get().CreateObjectID();
        CreateLootItem(copy);
    }
}

}  // namespace GAME
