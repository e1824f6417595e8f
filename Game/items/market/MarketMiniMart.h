// The stock generators of a merchant's shop. Each generator draws one category of goods
// from the loot table the market record names for the level bracket, keeps the drawn
// identities unique and hands them to its MarketClient. Every peer seeds the generators
// alike, so the same record, bracket and generator state give the same identities in the
// same order: the draw order below is part of that contract.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/MarketItemStatus.h"

namespace GAME {

class LoadTable;
class LootBase;
class MarketClient;
class RandomUniform;

// A shop page (1 armour and shields, 2 melee weapons, 3 bows, spears and staves, 4 the
// rest; any other value selects the fifth, the buy-back page) or the kind of goods a
// generator draws (6 to 23).
enum Market_TypeEnum : int32_t {
    Market_PageArmor = 1,
    Market_PageMelee = 2,
    Market_PageRanged = 3,
    Market_PageGoods = 4,
    Market_PageBuyBack = 5,
    Market_WeaponAxe = 6,
    Market_WeaponBow = 7,
    Market_WeaponMace = 8,
    Market_WeaponSpear = 9,
    Market_WeaponStaff = 10,
    Market_WeaponSword = 11,
    Market_WeaponUsed1 = 12,
    Market_WeaponUsed2 = 13,
    Market_ArmorArmband = 14,
    Market_ArmorBodyArmor = 15,
    Market_ArmorGreaves = 16,
    Market_ArmorHelm = 17,
    Market_ArmorShield = 18,
    Market_ArmorUsed = 19,
    Market_MiscRing = 20,
    Market_MiscBracelet = 21,
    Market_MiscAmulet = 22,
    Market_MiscUsed = 23,
};

// One row per kind of generator: the record keys it reads. A kind without keys draws a
// count of 0 and names no table.
struct MarketStockKindInfo {
    Market_TypeEnum type;
    const char* minKey;      // count keys (integers, default 0); null: none
    const char* maxKey;
    const char* tablePrefix; // the bracket is appended in decimal; null: none
};

enum MarketStockKindIndex : size_t {
    MarketKind_Axe,
    MarketKind_Bow,
    MarketKind_Mace,
    MarketKind_Spear,
    MarketKind_Staff,
    MarketKind_Sword,
    MarketKind_WeaponUsed1,
    MarketKind_WeaponUsed2,
    MarketKind_Armband,
    MarketKind_BodyArmor,
    MarketKind_Greaves,
    MarketKind_Helm,
    MarketKind_Shield,
    MarketKind_ArmorUsed,
    MarketKind_Ring,
    MarketKind_Bracelet,
    MarketKind_Amulet,
    MarketKind_MiscUsed,
    MarketKind_Static,
    MarketKind_Count,
};

extern const std::array<MarketStockKindInfo, MarketKind_Count> kMarketStockKinds;

// A count key's value (0 when the key or the record lacks it), and the table name under
// the prefix followed by the bracket (empty without a prefix).
int ReadMarketCount(const LoadTable& record, const char* key);
std::string ReadMarketTableName(const LoadTable& record, const char* prefix, uint32_t bracket);

class MarketMiniMart {
public:
    // Attempts per item, sharing one depth budget for the table walk.
    static constexpr int kLoadAttempts = 5;
    static constexpr int kLoadDepth = 5;
    // The most items one generator draws in a refresh, whatever the record asks: the
    // market server refuses stock indices past this anyway.
    static constexpr int kMaxItemsPerRefresh = static_cast<int>(kMarketStockLimit);

    MarketMiniMart() = default;
    virtual ~MarketMiniMart() = default;
    MarketMiniMart(const MarketMiniMart&) = delete;
    MarketMiniMart& operator=(const MarketMiniMart&) = delete;

    void SetMarket(MarketClient* market) { m_market = market; }
    MarketClient* GetMarket() const { return m_market; }

    // Draws this category's stock from the record for the bracket, then uploads it.
    virtual void Refresh(const LoadTable& record, uint32_t bracket, RandomUniform& random);
    // Draws one unique item from the table; after kLoadAttempts repeats nothing is added.
    virtual void LoadItem(LootBase& table, RandomUniform& random);
    // True when no drawn identity has this base, prefix and suffix (exact comparison;
    // seeds do not count).
    virtual bool IsUnique(const std::string& base, const std::string& prefix, const std::string& suffix) const;
    // Hands the drawn identities to the market's generated-stock queue and clears them.
    virtual void UploadItems();
    virtual int GetNumItemsMin(const LoadTable& record) const = 0;
    virtual int GetNumItemsMax(const LoadTable& record) const = 0;
    virtual std::string GetTableName(const LoadTable& record, uint32_t bracket) const = 0;
    virtual Market_TypeEnum GetMarketType() const = 0;

    const std::vector<ItemReplicaInfo>& GetItems() const { return m_items; }

protected:
    std::vector<ItemReplicaInfo> m_items;

private:
    MarketClient* m_market = nullptr;
};

// A generator that reads its keys from its row of kMarketStockKinds.
template <MarketStockKindIndex Kind>
class MarketStockKind : public MarketMiniMart {
public:
    int GetNumItemsMin(const LoadTable& record) const override { return ReadMarketCount(record, Info().minKey); }
    int GetNumItemsMax(const LoadTable& record) const override { return ReadMarketCount(record, Info().maxKey); }
    std::string GetTableName(const LoadTable& record, uint32_t bracket) const override
    {
        return ReadMarketTableName(record, Info().tablePrefix, bracket);
    }
    Market_TypeEnum GetMarketType() const override { return Info().type; }

private:
    static const MarketStockKindInfo& Info() { return kMarketStockKinds[Kind]; }
};

using MarketWeapon_Axe = MarketStockKind<MarketKind_Axe>;
using MarketWeapon_Bow = MarketStockKind<MarketKind_Bow>;
using MarketWeapon_Mace = MarketStockKind<MarketKind_Mace>;
using MarketWeapon_Spear = MarketStockKind<MarketKind_Spear>;
using MarketWeapon_Staff = MarketStockKind<MarketKind_Staff>;
using MarketWeapon_Sword = MarketStockKind<MarketKind_Sword>;
using MarketWeapon_Used1 = MarketStockKind<MarketKind_WeaponUsed1>;
using MarketWeapon_Used2 = MarketStockKind<MarketKind_WeaponUsed2>;
using MarketArmor_Armband = MarketStockKind<MarketKind_Armband>;
using MarketArmor_BodyArmor = MarketStockKind<MarketKind_BodyArmor>;
using MarketArmor_Greaves = MarketStockKind<MarketKind_Greaves>;
using MarketArmor_Helm = MarketStockKind<MarketKind_Helm>;
using MarketArmor_Shield = MarketStockKind<MarketKind_Shield>;
using MarketArmor_Used = MarketStockKind<MarketKind_ArmorUsed>;
using MarketMisc_Ring = MarketStockKind<MarketKind_Ring>;
using MarketMisc_Bracelet = MarketStockKind<MarketKind_Bracelet>;
using MarketMisc_Amulet = MarketStockKind<MarketKind_Amulet>;
using MarketMisc_Used = MarketStockKind<MarketKind_MiscUsed>;

// Goods every peer stocks on its own (potions and the like): they go to the static
// queue and are not shared between peers.
class MarketMisc_Static : public MarketStockKind<MarketKind_Static> {
public:
    void UploadItems() override;
};

}  // namespace GAME
