// A non-player character who runs a shop. It names the market record its stock is built
// from and the kind of goods it sells; entering the level makes its shop on this peer,
// leaving it takes the shop away, and a player who talks to it gets the shop window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/characters/Npc.h"

namespace GAME {

class MerchantDialogPak;

// The kind of goods a merchant is shown to sell.
enum MarketMerchantType : int32_t {
    MarketMerchantType_Generic = 0,
    MarketMerchantType_Mage = 1,
    MarketMerchantType_Melee = 2,
};

class NpcMerchant : public Npc {
    GAME_DECLARE_CLASS(NpcMerchant)

public:
    static constexpr DialogType kMerchantDialogType = 5;
    // The marker over the head of each kind.
    static constexpr const char* kShieldGeneral = "Records/Effects/ObjectEffects/ShieldGeneral01.dbr";
    static constexpr const char* kShieldMage = "Records/Effects/ObjectEffects/ShieldMage01.dbr";
    static constexpr const char* kShieldMelee = "Records/Effects/ObjectEffects/ShieldMelee01.dbr";
    // Its kind of detail-map entry.
    static constexpr int kMapEntryMerchant = 7;

    NpcMerchant() { SetDialogType(kMerchantDialogType); }

    // "marketFileName" (one per game difficulty), "merchantType", "merchantTypeTag", then
    // the keys of every non-player character; the kind's marker goes over the head.
    void Load(const LoadTable& table) override;
    // The shop exists on this peer while the merchant is in the level.
    void OnAddToLevel() override;
    void OnRemoveFromLevel() override;
    void UpdateSelf(int elapsedMs) override;
    bool IsOfInterest() const override { return true; }
    // Talks to the player, who joins the merchant's company, and opens the shop for it.
    void OnPlayerInteract(uint32_t playerId, bool first, bool second) override;
    // Only the local player hears the merchant's pak.
    void Converse(uint32_t playerId) override;
    // Replaces the standing pak with a merchant's pak made from the record (none when it
    // cannot be made).
    void Dialog_ReplaceStatic(const char* recordName, Action_UpdateNPCDialog* action, bool played) override;
    void AppendDetailMapData(std::vector<DetailMapEntry>& entries) const override;

    // The three modes of the merchant's pak.
    void Dialog_Short();
    void Dialog_Long();
    void Dialog_Goodbye();

    MarketMerchantType GetMerchantType() const { return m_merchantType; }
    // The market record of the current game difficulty; empty for none.
    const std::string& GetMarketName() const { return m_marketFileName; }
    const std::string& GetMerchantTypeTag() const { return m_merchantTypeTag; }
    // Appends the localized name of the merchant's kind.
    void GetMerchantTypeText(std::u16string& text) const;
    // The merchant's name, " - " and its kind.
    std::u16string GetRolloverDescription() const;
    bool WasChatting() const { return m_wasChatting; }

    // "Generic", "Mage" or "Melee", exactly; any other word is Generic.
    static MarketMerchantType ResolveMerchantType(const std::string& word);
    static const char* GetMarkerRecord(MarketMerchantType type);

private:
    MerchantDialogPak* GetMerchantPak() const;
    void SetPakMode(int mode);

    std::string m_marketFileName;
    MarketMerchantType m_merchantType = MarketMerchantType_Generic;
    std::string m_merchantTypeTag;
    bool m_wasChatting = false;
};

}  // namespace GAME
