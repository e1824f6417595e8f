#include "host/HostRelics.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/CursorHandlerRelicCombine.h"
#include "Game/items/Inventory.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemRelic.h"
#include "Game/quests/DialogManager.h"
#include "host/HostItems.h"
#include "host/HostText.h"

namespace GAME {

namespace {

float PlayerStrength(Player& player)
{
    player.GetCharacterBio().UpdateResources(player);
    return player.GetTotalCharAttribute(CharAttributeType_Strength);
}

std::string RelicState(const ItemRelic& relic)
{
    std::vector<GameTextLine> lines;
    relic.GetBoundUIDisplayText(nullptr, lines);
    return lines.size() < 2 ? std::string() : HostPlainText(lines[1].text);
}

// The completion bonus in the words of the relic's tool tip ("+40 Offensive Ability"), or the
// bonus's record when the relic is gone or tells none.
std::string BonusWords(const ItemRelic* relic, const std::string& record)
{
    std::vector<GameTextLine> lines;
    if (relic)
        relic->GetBoundUIDisplayText(nullptr, lines);
    std::string words;
    bool bonus = false;
    for (const GameTextLine& line : lines) {
        if (line.textClass == GameTextClass::ItemRelicCompleteTitle)
            bonus = true;
        else if (bonus && line.textClass == GameTextClass::ItemRelicBonus)
            words += (words.empty() ? "" : ", ") + HostPlainText(line.text);
    }
    return words.empty() ? record : words;
}

// The first free place of the focused bag that takes the item, scanned cell by cell.
bool PlaceInBag(PlayerInventoryCtrl& bags, uint32_t itemId)
{
    constexpr float kCell = 32.0f;
    for (float y = kCell / 2; y < 20 * kCell; y += kCell)
        for (float x = kCell / 2; x < 20 * kCell; x += kCell) {
            std::vector<Rect> conflicts;
            Rect placed;
            if (!bags.GetConflicts(Vec2(x, y), itemId, conflicts, placed, -1) &&
                bags.AddItem(Vec2(placed.x, placed.y), itemId, -1))
                return true;
        }
    return false;
}

ItemRelic* GiveShards(Player& player, PlayerInventoryCtrl& bags, uint32_t level, uint32_t seed)
{
    ItemReplicaInfo identity;
    identity.baseName = HostRelics::kRelicRecord;
    identity.var1 = level;
    identity.seed = seed;
    auto* relic = DynamicCast<ItemRelic>(Item::CreateItem(identity));
    if (!relic)
        return nullptr;
    player.GetInventory().AddItemToInventory(relic->GetObjectId(), false);
    if (!PlaceInBag(bags, relic->GetObjectId()))
        bags.AddItem(relic->GetObjectId(), true);
    std::printf("relics: the player finds %s (seed %u): %s\n",
                HostPlainText(relic->GetGameDescription()).c_str(), seed, RelicState(*relic).c_str());
    return relic;
}

// The rectangle of the item in the focused bag, as the user interface would hit it.
Vec2 CentreInBag(const PlayerInventoryCtrl& bags, uint32_t itemId)
{
    const auto& sack = bags.GetInventoryInSack(-1);
    const auto found = sack.find(itemId);
    if (found == sack.end())
        return Vec2(-1.0f, -1.0f);
    return Vec2(found->second.x + found->second.width / 2, found->second.y + found->second.height / 2);
}

}  // namespace

void HostRelics::Run(uint32_t playerId, int stepMs)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    if (!controller || !gGameEngine)
        return;
    PlayerInventoryCtrl& bags = controller->GetInventoryCtrl();
    // The sword is in the main weapon set: the player draws it (the relic cursor acts on
    // the set in use).
    if (controller->GetEquipmentCtrl().IsAlternateEquipment()) {
        controller->SetAlternateEquipment(false);
        gEngine->UpdateFrame(stepMs);
        std::printf("relics: the player draws its main weapon set again\n");
    }
    const uint32_t swordId = controller->GetEquipmentCtrl().GetItem(EquipmentCtrlLocation_HandRight);
    auto* sword = ObjectManager::Get().GetObject<ItemEquipment>(swordId);
    if (!sword) {
        std::printf("relics: the player wields no sword\n");
        return;
    }
    ItemRelic* first = GiveShards(*player, bags, kFirstLevel, kFirstSeed);
    ItemRelic* second = GiveShards(*player, bags, kSecondLevel, kSecondSeed);
    if (!first || !second)
        return;
    const uint32_t firstId = first->GetObjectId(), secondId = second->GetObjectId();

    // The second stack onto the first, clicked in the bag: its command runs in the frame.
    std::unique_ptr<CursorHandler> cursor(second->CreateSecondaryCursorHandler(player));
    if (!cursor) {
        std::printf("relics: the player may not use the relic yet\n");
        return;
    }
    cursor->SetPlayer(player);
    cursor->SetId(secondId);
    cursor->SetRelativePosition(CentreInBag(bags, firstId));
    const bool combined = cursor->PrimaryInventoryActivate();
    gEngine->UpdateFrame(stepMs);
    std::printf("relics: the stacks combine: %s; the first is %s, bonus %s; the second %s\n", combined ? "yes" : "no",
                RelicState(*first).c_str(), BonusWords(first, first->GetItemReplicaInfo().relicBonus).c_str(),
                ObjectManager::Get().GetObject<ItemRelic>(secondId) ? "is left" : "is spent");

    // The whole relic onto the sword: the cursor asks first, and the player says yes.
    const float strength = PlayerStrength(*player);
    cursor.reset(first->CreateSecondaryCursorHandler(player));
    cursor->SetPlayer(player);
    cursor->SetId(firstId);
    cursor->PrimaryEquipActivate(EquipmentCtrlLocation_HandRight);
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    if (const DialogManager::Dialog* question = dialogs.PeekTopDialog()) {
        std::printf("relics: dialog: %s (yes)\n", HostPlainText(question->text).c_str());
        dialogs.RemoveTopDialog();
    }
    dialogs.AddResponse(DialogParty::kRelicCombine, true);
    cursor->Update();
    gEngine->UpdateFrame(stepMs);
    const ItemReplicaInfo& identity = sword->GetItemReplicaInfo();
    std::printf("relics: the sword holds %s at level %u with bonus %s; the relic in the bag is %s\n",
                sword->GetRelic() ? HostName(sword->GetRelic()).c_str() : identity.relicName.c_str(), identity.var1,
                BonusWords(sword->GetRelic(), identity.relicBonus).c_str(),
                ObjectManager::Get().GetObject<ItemRelic>(firstId) ? "still there" : "spent");
    std::vector<GameTextLine> lines;
    sword->GetUIDisplayText(player, lines);
    HostItems::PrintLines("sword with its relic", lines);
    std::printf("relics: the player's strength %.0f -> %.0f\n", strength, PlayerStrength(*player));
}

}  // namespace GAME
