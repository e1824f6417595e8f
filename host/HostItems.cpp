#include "host/HostItems.h"
#include "host/HostText.h"

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/combat/CharAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/items/EquipmentCtrl.h"
#include "Game/items/Inventory.h"
#include "Game/items/InventorySack.h"
#include "Game/items/ItemFingerprint.h"
#include "Game/items/ItemSet.h"
#include "Game/items/OneShot.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// Two of the set's three pieces; the greaves also raise a skill the player knows.
constexpr const char* kSetRecord = "Records/Item/Sets/WardenSet.dbr";
constexpr const char* kSetHelm = "Records/Item/Sets/WardenHelm.dbr";
constexpr const char* kSetGreaves = "Records/Item/Sets/WardenGreaves.dbr";
constexpr const char* kAugmentedSkill = "Records/Skills/ArenaMight.dbr";
// A stack of three potions, one of them drunk; the player is hurt first so that it shows.
constexpr const char* kPotionRecord = "Records/Item/OneShot/HealthPotion.dbr";
constexpr uint32_t kPotionStack = 3;
constexpr float kHurtLifeShare = 0.5f;
// A gold pile's amount is its identity's var1.
constexpr const char* kGoldRecord = "Records/Item/OneShot/Gold.dbr";
constexpr uint32_t kGoldPile = 250;

ItemReplicaInfo Identity(const char* record, const char* prefix = "", const char* suffix = "", uint32_t seed = 0,
                         uint32_t var1 = 0)
{
    ItemReplicaInfo identity;
    identity.baseName = record;
    identity.prefixName = prefix;
    identity.suffixName = suffix;
    identity.seed = seed;
    identity.var1 = var1;
    return identity;
}

ItemReplicaInfo SwordIdentity()
{
    return Identity(HostItems::kSwordRecord, HostItems::kSwordPrefix, HostItems::kSwordSuffix, HostItems::kSwordSeed);
}

Item* Make(const ItemReplicaInfo& identity)
{
    Item* item = Item::CreateItem(identity);
    if (!item)
        std::printf("items: %s makes no item\n", identity.baseName.c_str());
    return item;
}

void Destroy(Item* item)
{
    if (item)
        ObjectManager::Get().DestroyObjectEx(item, "HostItems", __LINE__);
}

}  // namespace

void HostItems::PrintLines(const char* what, const std::vector<GameTextLine>& lines)
{
    for (const GameTextLine& line : lines) {
        if (line.text.find_first_not_of(u' ') == std::u16string::npos)
            continue;
        const char* key = GetGameTextClassKey(line.textClass);
        std::printf("items: %s [%s] %s\n", what, key ? key : "?", HostPlainText(line.text).c_str());
    }
}

namespace {

float Strength(Player& player)
{
    player.GetCharacterBio().UpdateResources(player);
    return player.GetTotalCharAttribute(CharAttributeType_Strength);
}

// The piece goes from the inventory onto the character, as equipping does; the character's
// equipment attaches the item to it.
void Wear(Player& player, Item& item, EquipLocations location)
{
    player.GetInventory().AddItemToInventory(item.GetObjectId(), false);
    player.AttachItemAction(item.GetObjectId(), location);
}

void TakeOff(Player& player, Item& item)
{
    player.DetachItemAction(item.GetObjectId());
    player.GetInventory().RemoveItemFromInventory(item.GetObjectId());
}

void ShowSword(const Player& player)
{
    Item* sword = Make(SwordIdentity());
    if (!sword)
        return;
    std::printf("items: sword %s, seed %u\n", HostPlainText(sword->GetGameDescription()).c_str(), HostItems::kSwordSeed);
    std::vector<GameTextLine> lines;
    sword->GetUIDisplayText(&player, lines);
    HostItems::PrintLines("sword tooltip", lines);
    Destroy(sword);
}

unsigned SkillLevel(const Player& player)
{
    const Skill* skill = ObjectManager::Get().GetObject<Skill>(player.GetSkillManager().FindSkillId(kAugmentedSkill));
    return skill ? skill->GetCurrentLevel() : 0;
}

// The helm and the greaves: the set's text for what is worn, its bonus in the totals, and
// the level the greaves add to a skill.
void ShowSet(Player& player)
{
    gGameEngine->LoadItemSet(kSetRecord);
    const ItemSet* set = gGameEngine->GetItemSet(kSetRecord);
    Item* helm = Make(Identity(kSetHelm));
    Item* greaves = Make(Identity(kSetGreaves));
    if (set && helm && greaves) {
        const float strength = Strength(player);
        Wear(player, *helm, EquipLocation_Head);
        const unsigned before = SkillLevel(player);
        Wear(player, *greaves, EquipLocation_LowerBody);
        std::printf("items: %s level %u before the greaves are attached, %u after\n", HostSkillName(kAugmentedSkill).c_str(), before,
                    SkillLevel(player));
        std::vector<GameTextLine> lines;
        set->GetUIDisplayText(player.GetItemsInSet(kSetRecord), lines);
        HostItems::PrintLines("set", lines);
        std::printf("items: set of %u worn: strength %.1f in the totals, %.1f without the set\n",
                    player.GetNumberOfItemsInSet(kSetRecord), Strength(player), strength);
        TakeOff(player, *greaves);
        TakeOff(player, *helm);
    }
    Destroy(greaves);
    Destroy(helm);
}

void ShowPotion(Player& player)
{
    auto* potion = DynamicCast<OneShot_Potion>(Make(Identity(kPotionRecord)));
    if (!potion)
        return;
    // The stack counts the potions beyond the first.
    potion->SetStackCount(kPotionStack - 1);
    player.SetCurrentLife(player.GetLifeLimit() * kHurtLifeShare);
    const float life = player.GetCurrentLife();
    const float coming = player.GetCharacterBio().GetLifeSlow();
    player.UseInventoryItem(potion->GetObjectId(), false);
    // A potion heals over time: what it gives waits in the character's slow pool.
    std::printf("items: the player drinks %s from a stack of %u: life %.1f, %.1f more to come, %u left\n",
                HostPlainText(potion->GetGameDescription()).c_str(), kPotionStack, life,
                player.GetCharacterBio().GetLifeSlow() - coming, potion->GetNumberInStack() + 1);
    Destroy(potion);
}

void ShowGold(Player& player)
{
    auto* gold = DynamicCast<OneShot_Gold>(Make(Identity(kGoldRecord, "", "", 0, kGoldPile)));
    if (!gold)
        return;
    const uint32_t money = player.GetCurrentMoney();
    player.UseInventoryItem(gold->GetObjectId(), false);
    std::printf("items: the player uses %s (%u gold): money %u -> %u\n", HostPlainText(gold->GetGameDescription()).c_str(),
                gold->GetGoldValue(), money, player.GetCurrentMoney());
    Destroy(gold);
}

// ---- The bags ------------------------------------------------------------------------------

// What the player picks up after the fight, in this order: the sack adds a second bag, the
// potions of one record stack, the rest take the first free cells (the player's hands and
// slots are taken: nothing is put on).
constexpr const char* kPickUps[] = {
    "Records/Item/Weapons/Axe.dbr",          "Records/Item/OneShot/HealthPotion.dbr",
    "Records/Item/Weapons/Mace.dbr",         "Records/Item/OneShot/HealthPotion.dbr",
    "Records/Item/OneShot/ManaPotion.dbr",   "Records/Item/OneShot/HealthPotion.dbr",
    "Records/Item/OneShot/Sack.dbr",         "Records/Item/Weapons/Spear.dbr",
    "Records/Item/OneShot/ManaPotion.dbr",   "Records/Item/Weapons/Staff.dbr",
};
// The text tags of the health and the mana potion's names.
constexpr const char* kHealthPotionTag = "tagHealthPotion";
constexpr const char* kManaPotionTag = "tagManaPotion";
// The skill put into the first free hot slot.
constexpr const char* kHotSlotSkill = "Records/Skills/ArenaFireball.dbr";
// The player is hurt to this share of its life before it drinks by need.
constexpr float kBagsHurtLifeShare = 0.6f;

void PickUp(Player& player, const char* record)
{
    Item* item = Make(Identity(record));
    if (!item)
        return;
    const uint32_t id = item->GetObjectId();
    const uint32_t moneyBefore = player.GetCurrentMoney();
    // Named before it is given: a sack or gold is used, and gone, as it arrives.
    const std::string name = HostName(item);
    player.GiveItemToCharacter(item);
    // The pick-up's commands (a sack or gold used) run at once, as the frame's would.
    gEngine->RunActorCommands();
    const PlayerInventoryCtrl& bags = player.GetPlayerController()->GetInventoryCtrl();
    for (uint32_t bag = 0; bag < bags.GetNumberOfSacks(); ++bag) {
        const InventorySack& sack = *bags.GetSack(static_cast<int>(bag));
        if (const auto found = sack.GetInventory().find(id); found != sack.GetInventory().end()) {
            const Vec2 cell = sack.PixelsToGrid(Vec2{found->second.x, found->second.y});
            std::printf("bags: the player picks up %s: bag %u, cell (%.0f, %.0f)\n", name.c_str(), bag, cell.x, cell.y);
            return;
        }
    }
    const char* where = bags.HasItem(id)                      ? "beneath a potion of its record"
                        : !ObjectManager::Get().GetObject(id) ? "used at once"
                        : item->IsInWorld()                   ? "left on the ground"
                                                              : "put on";
    // What a pick-up used at once pays (a sack's gold) is told with it.
    std::string money;
    if (player.GetCurrentMoney() != moneyBefore)
        money = "; money " + std::to_string(moneyBefore) + " -> " + std::to_string(player.GetCurrentMoney());
    std::printf("bags: the player picks up %s: %s (%s)%s\n", name.c_str(), where,
                HostCount(bags.GetNumberOfSacks(), "bag").c_str(), money.c_str());
}

const char* SlotText(const HotSlotOption* option, std::string& text)
{
    if (!option)
        return "empty";
    if (option->GetType() == HotSlotOption::kPotionOption) {
        // The kind's own name; a kind the game names not by its number.
        std::u16string name;
        option->GetDisplayName(name);
        text = HostPlainText(name);
        if (text.empty())
            text = "potion of kind " + std::to_string(static_cast<const HotSlotOptionPotion*>(option)->GetDefaultType());
    } else {
        const auto* skill = ObjectManager::Get().GetObject<Skill>(option->GetSkillId());
        text = "skill " + (skill ? HostName(skill) : std::string("none"));
    }
    return text.c_str();
}

class DroppedSword : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override
    {
        const auto* item = DynamicCast<Item>(entity);
        return item && item->GetItemReplicaInfo() == SwordIdentity();
    }
};

}  // namespace

void HostItems::Run(uint32_t playerId)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player || !gGameEngine)
        return;
    ShowSword(*player);
    ShowSet(*player);
    ShowPotion(*player);
    ShowGold(*player);
}

void HostItems::PrintBags(const char* what, Player& player)
{
    // The names of the potion kinds the hot slots show are the user interface's to give:
    // this console's are the game's texts of its two potions.
    HotSlotOptionPotion::SetDefaultPotionData(HotSlotOptionPotion::kHealth, "", "", SimpleTagText(kHealthPotionTag));
    HotSlotOptionPotion::SetDefaultPotionData(HotSlotOptionPotion::kMana, "", "", SimpleTagText(kManaPotionTag));
    const ControllerPlayer* controller = player.GetPlayerController();
    if (!controller)
        return;
    const PlayerInventoryCtrl& bags = controller->GetInventoryCtrl();
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t bag = 0; bag < bags.GetNumberOfSacks(); ++bag) {
        const InventorySack& sack = *bags.GetSack(static_cast<int>(bag));
        std::printf("bags: %s: bag %u of %u x %u cells holds %s\n", what, bag, sack.GetColumns(), sack.GetRows(),
                    HostCount(sack.GetInventory().size(), "item").c_str());
        for (const auto& [id, rect] : sack.GetInventory()) {
            const Item* item = objects.GetObject<Item>(id);
            const auto* potion = DynamicCast<OneShot_Potion>(item);
            const Vec2 cell = sack.PixelsToGrid(Vec2{rect.x, rect.y});
            std::printf("bags: %s: bag %u cell (%.0f, %.0f): %s%s\n", what, bag, cell.x, cell.y,
                        item ? HostName(item).c_str() : "(gone)",
                        potion ? (", " + std::to_string(potion->GetNumberInStack()) + " beneath").c_str() : "");
        }
    }
    std::printf("bags: %s: health potions %u, mana potions %u\n", what,
                bags.GetTotalPotions(PlayerInventoryCtrl::kHealthPotions),
                bags.GetTotalPotions(PlayerInventoryCtrl::kManaPotions));
    const PlayerHotSlotCtrl& slots = player.GetPlayerHotSlotCtrl();
    for (uint32_t slot = 0; slot < PlayerHotSlotCtrl::kSlotCount; ++slot) {
        std::string text;
        std::printf("bags: %s: hot slot %u: %s\n", what, slot, SlotText(slots.GetHotSlotOption(slot), text));
    }
}

void HostItems::FillBags(uint32_t playerId)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player || !player->GetPlayerController())
        return;
    for (const char* record : kPickUps)
        PickUp(*player, record);
    PlayerInventoryCtrl& bags = player->GetPlayerController()->GetInventoryCtrl();
    // Hurt, the player drinks the health potion its need calls for.
    player->SetCurrentLife(player->GetLifeLimit() * kBagsHurtLifeShare);
    const float life = player->GetCurrentLife();
    const uint32_t before = bags.GetTotalPotions(PlayerInventoryCtrl::kHealthPotions);
    const bool drunk = bags.UsePotionOfType(PlayerInventoryCtrl::kHealthPotions, HotSlotOptionPotion::kLowNeed,
                                            HotSlotOptionPotion::kHighNeed);
    gEngine->RunActorCommands();
    std::printf("bags: at life %.1f of %.1f the player drinks by need: %s; health potions %u -> %u, %.1f life to come, "
                "cooldown %d ms\n", life, player->GetLifeLimit(), drunk ? "a potion" : "nothing", before,
                bags.GetTotalPotions(PlayerInventoryCtrl::kHealthPotions), player->GetCharacterBio().GetLifeSlow(),
                bags.GetCurrentCooldown(PlayerInventoryCtrl::kHealthPotions));
    PlayerHotSlotCtrl& slots = player->GetPlayerHotSlotCtrl();
    HotSlotOptionSkill fireball(player->GetSkillManager().FindSkillId(kHotSlotSkill));
    fireball.SetPlayer(player);
    slots.SetHotSlot(0, &fireball);
    std::printf("bags: the health potion slot reports status %d\n",
                static_cast<int>(slots.GetSlotStatus(PlayerHotSlotCtrl::kHealthPotionSlot)));
    PrintBags("after the fight", *player);
}

void HostItems::AfterFrame(GameEngine& engine, int frame, uint32_t playerId)
{
    if (!m_dropped && frame >= kDropFrame && engine.GetNetworkRole() == NetworkRole::Server) {
        m_dropped = true;
        if (const auto* player = ObjectManager::Get().GetObject<Player>(playerId)) {
            // An id of the server's range, which every peer makes the item under.
            ItemReplicaInfo identity = SwordIdentity();
            identity.objectId = ObjectManager::Get().CreateObjectID();
            engine.CreateItem(player->GetCoords(), identity);
        }
    }
    if (m_seen)
        return;
    std::vector<Entity*> found;
    World::Get().GetEntities(found, DroppedSword(), EntityList_All);
    if (found.empty())
        return;
    m_seen = true;
    const auto* item = DynamicCast<Item>(found.front());
    std::printf("net: item %s dropped (seed %u), fingerprint %016" PRIx64 "\n", kSwordRecord, kSwordSeed,
                ItemFingerprint(*item).Digest());
}

// What the player's save carries: the items in its bags and those it wears, both weapon
// sets' included.
std::vector<uint32_t> HostItems::CarriedItems(Player& player)
{
    std::vector<uint32_t> ids;
    ControllerPlayer* controller = player.GetPlayerController();
    if (!controller)
        return ids;
    const PlayerInventoryCtrl& bags = controller->GetInventoryCtrl();
    for (uint32_t bag = 0; bag < bags.GetNumberOfSacks(); ++bag)
        if (const InventorySack* sack = bags.GetSack(static_cast<int>(bag)))
            for (const auto& entry : sack->GetInventory())
                ids.push_back(entry.first);
    const EquipmentCtrl& equipment = controller->GetEquipmentCtrl();
    for (int place = EquipmentCtrlLocation_Head; place <= EquipmentCtrlLocation_Forearm; ++place)
        ids.push_back(equipment.GetSlot(static_cast<EquipmentCtrlLocation>(place)).itemId);
    for (const bool alternate : {false, true})
        for (const auto side : {EquipmentCtrlWeaponSet::Right, EquipmentCtrlWeaponSet::Left})
            ids.push_back(equipment.GetWeaponSet(alternate).GetHand(side).info.itemId);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

// The player's lines of the summary: level, experience, money, then every item it carries
// or wears by name, in order.
void HostItems::PrintSummary(Player& player)
{
    std::printf("summary: the player is level %u with %u experience and %u gold\n", player.GetLevelControl().GetLevel(),
                player.GetLevelControl().GetExperience(), player.GetCurrentMoney());
    std::vector<std::string> items;
    for (uint32_t id : CarriedItems(player))
        if (const Object* item = ObjectManager::Get().GetObject(id))
            items.push_back(HostName(item));
    std::sort(items.begin(), items.end());
    std::printf("summary: the player carries and wears %s\n", HostCount(items.size(), "item").c_str());
    for (const std::string& item : items)
        std::printf("summary: item %s\n", item.c_str());
}

}  // namespace GAME
