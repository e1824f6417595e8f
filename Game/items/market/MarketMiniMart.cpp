#include "Game/items/market/MarketMiniMart.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/MarketClient.h"
#include "Game/items/loot/LootBase.h"

namespace GAME {

const std::array<MarketStockKindInfo, MarketKind_Count> kMarketStockKinds = {{
    {Market_WeaponAxe, "marketNumAxeMin", "marketNumAxeMax", "marketAxeTable"},
    {Market_WeaponBow, "marketNumBowMin", "marketNumBowMax", "marketBowTable"},
    {Market_WeaponMace, "marketNumMaceMin", "marketNumMaceMax", "marketMaceTable"},
    {Market_WeaponSpear, "marketNumSpearMin", "marketNumSpearMax", "marketSpearTable"},
    {Market_WeaponStaff, "marketNumStaffMin", "marketNumStaffMax", "marketStaffTable"},
    {Market_WeaponSword, "marketNumSwordMin", "marketNumSwordMax", "marketSwordTable"},
    {Market_WeaponUsed1, nullptr, nullptr, nullptr},
    {Market_WeaponUsed2, nullptr, nullptr, nullptr},
    {Market_ArmorArmband, "marketNumArmbandMin", "marketNumArmbandMax", "marketArmbandTable"},
    {Market_ArmorBodyArmor, "marketNumBodyArmorMin", "marketNumBodyArmorMax", "marketBodyArmorTable"},
    {Market_ArmorGreaves, "marketNumGreavesMin", "marketNumGreavesMax", "marketGreavesTable"},
    {Market_ArmorHelm, "marketNumHelmMin", "marketNumHelmMax", "marketHelmTable"},
    {Market_ArmorShield, "marketNumShieldMin", "marketNumShieldMax", "marketShieldTable"},
    {Market_ArmorUsed, nullptr, nullptr, nullptr},
    {Market_MiscRing, "marketNumRingMin", "marketNumRingMax", "marketRingTable"},
    {Market_MiscBracelet, "marketNumBraceletMin", "marketNumBraceletMax", "marketBraceletTable"},
    {Market_MiscAmulet, "marketNumAmuletMin", "marketNumAmuletMax", "marketAmuletTable"},
    {Market_MiscUsed, nullptr, nullptr, nullptr},
    // The static goods report the same kind as the last unused one.
    {Market_MiscUsed, "marketNumStaticMin", "marketNumStaticMax", "marketStaticTable"},
}};

int ReadMarketCount(const LoadTable& record, const char* key)
{
    return key ? record.GetInt(key, 0) : 0;
}

std::string ReadMarketTableName(const LoadTable& record, const char* prefix, uint32_t bracket)
{
    if (!prefix)
        return std::string();
    // The key is built on the stack: every generator reads one at every refresh. The stems
    // are the kinds' own (kMarketStockKinds), far shorter than the buffer; a longer one is
    // cut and finds no key.
    char key[64];
    std::snprintf(key, sizeof key, "%s%u", prefix, static_cast<unsigned>(bracket));
    return record.GetString(key, "");
}

void MarketMiniMart::Refresh(const LoadTable& record, uint32_t bracket, RandomUniform& random)
{
    // The count is drawn even when nothing can be stocked: every peer's generator must
    // advance alike.
    const int drawn = random.IGenerate(GetNumItemsMin(record), GetNumItemsMax(record));
    const int count = std::clamp(drawn, 0, kMaxItemsPerRefresh);
    if (count != drawn)
        gEngine->Log(LOG_WARNING, "Market record (%s) asks for %d items of one kind; %d are drawn",
                     record.GetName().c_str(), drawn, count);

    const std::string tableName = GetTableName(record, bracket);
    if (!tableName.empty()) {
        std::unique_ptr<LootBase> table = LootBase::Create(tableName);
        if (table) {
            m_items.reserve(static_cast<size_t>(count));
            table->SetNoBrokenItems(true);
            table->SetLevel(bracket, bracket);
            for (int i = 0; i < count; ++i)
                LoadItem(*table, random);
        } else {
            gEngine->Log(LOG_WARNING, "Market record (%s) names a loot table (%s) that does not load",
                         record.GetName().c_str(), tableName.c_str());
        }
    }
    UploadItems();
}

void MarketMiniMart::LoadItem(LootBase& table, RandomUniform& random)
{
    // One depth budget serves all the attempts: a table that keeps recursing cannot make
    // five full walks.
    int depth = kLoadDepth;
    for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
        std::string base;
        std::string prefix;
        std::string suffix;
        table.GetLootName(base, prefix, suffix, random, depth);
        if (!IsUnique(base, prefix, suffix))
            continue;
        if (!base.empty()) {
            ItemReplicaInfo info;
            info.baseName = std::move(base);
            info.prefixName = std::move(prefix);
            info.suffixName = std::move(suffix);
            info.seed = static_cast<uint32_t>(random.IGenerate(GameEngine::kSeedMin, GameEngine::kSeedMax));
            m_items.push_back(std::move(info));
        }
        return;
    }
}

bool MarketMiniMart::IsUnique(const std::string& base, const std::string& prefix, const std::string& suffix) const
{
    return std::none_of(m_items.begin(), m_items.end(), [&](const ItemReplicaInfo& item) {
        return item.baseName == base && item.prefixName == prefix && item.suffixName == suffix;
    });
}

void MarketMiniMart::UploadItems()
{
    if (m_market)
        for (ItemReplicaInfo& item : m_items)
            m_market->QueueGeneratedItem(std::move(item), GetMarketType());
    m_items.clear();
}

void MarketMisc_Static::UploadItems()
{
    if (MarketClient* market = GetMarket())
        for (ItemReplicaInfo& item : m_items)
            market->QueueStaticItem(std::move(item), GetMarketType());
    m_items.clear();
}

}  // namespace GAME
