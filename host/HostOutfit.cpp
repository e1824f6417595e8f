#include "host/HostOutfit.h"

#include <cstdio>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerCharacter.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/CombatTrace.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/items/EquipManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Armor.h"
#include "Game/items/Item.h"
#include "host/HostItems.h"
#include "host/HostText.h"

namespace GAME {

namespace {

// One piece: its record, its affixes and the seed it is rolled from, fixed so that every
// run (and every peer) makes it alike.
struct Piece {
    const char* name;
    const char* record;
    const char* prefix;
    const char* suffix;
    uint32_t seed;
};

// The player's outfit in the order it is handed over: the body places fill first, then
// the sword takes the right hand and the shield the left. The shield's prefix raises its
// block chance by a fifth.
constexpr Piece kPlayerOutfit[] = {
    {"helm", "Records/Item/Armor/Helm.dbr", "", "", 11},
    {"armour", "Records/Item/Armor/Breastplate.dbr", "", "", 12},
    {"greaves", "Records/Item/Armor/Greaves.dbr", "", "", 13},
    {"armband", "Records/Item/Armor/Armband.dbr", "", "", 14},
    {"amulet", "Records/Item/Armor/Amulet.dbr", "", "", 15},
    {"sword", "Records/Item/ArenaSword.dbr", "", "Records/Item/Affix/SuffixOfSparks.dbr", 4711},
    {"shield", "Records/Item/Weapons/Shield.dbr", "Records/Item/Affix/PrefixBulwark.dbr", "", 16},
};
constexpr std::size_t kAmulet = 4;
constexpr std::size_t kSword = 5;
// Handed over once the amulet's strength counts.
constexpr Piece kRing = {"ring", "Records/Item/Armor/Ring.dbr", "", "", 17};
// Put in the alternate weapon set after the fight.
constexpr Piece kSpear = {"spear", "Records/Item/Weapons/Spear.dbr", "", "", 18};
// The monster's armour answers blows with fire or cold.
constexpr Piece kMonsterOutfit[] = {
    {"armour", "Records/Item/ArenaMail.dbr", "Records/Item/Affix/PrefixSturdy.dbr",
     "Records/Item/Affix/SuffixOfWarding.dbr", 815},
    {"mace", "Records/Item/Weapons/ArenaMace.dbr", "", "", 19},
};

// A step waits this long: its commands run in the next frame, and the equipment's refresh
// (which re-sifts what meets its requirements) comes within the interval.
constexpr int kStepWaitMs = ControllerCharacter::kEquipmentRefreshMs * 2;

constexpr const char* kPlaceNames[] = {"", "head", "neck", "upper body", "lower body", "first finger",
                                       "second finger", "forearm"};
constexpr const char* kHandStateNames[] = {"unarmed", "single-handed", "dual-wielded", "bow", "spear", "staff"};

Item* Make(const Piece& piece)
{
    ItemReplicaInfo identity;
    identity.baseName = piece.record;
    identity.prefixName = piece.prefix;
    identity.suffixName = piece.suffix;
    identity.seed = piece.seed;
    Item* item = Item::CreateItem(identity);
    if (!item)
        std::printf("outfit: %s makes no item\n", piece.record);
    return item;
}

ControllerCharacter* ControllerOf(const Character& character)
{
    return ObjectManager::Get().GetObject<ControllerCharacter>(character.GetControllerId());
}

// The item joins the character's inventory and its controller places it; false when no
// place takes it (it stays in the inventory).
bool Hand(Character& character, Item& item)
{
    if (auto* player = DynamicCast<Player>(&character)) {
        player->GiveItemToCharacter(&item);
    } else {
        character.GetInventory().AddItemToInventory(item.GetObjectId(), false);
        if (ControllerCharacter* controller = ControllerOf(character))
            controller->GetEquipmentCtrl().AutoInsertItem(item.GetObjectId());
    }
    const ControllerCharacter* controller = ControllerOf(character);
    return controller && controller->GetEquipmentCtrl().IsItemHeld(item.GetObjectId());
}

std::string Describe(uint32_t itemId)
{
    const auto* item = ObjectManager::Get().GetObject<Item>(itemId);
    return item ? HostPlainText(item->GetGameDescription()) : std::string("nothing");
}

void PrintPlace(const char* who, const char* place, const EquipmentInfo& info)
{
    if (info.itemId)
        std::printf("outfit: %s %s: %s, %s\n", who, place, Describe(info.itemId).c_str(),
                    info.attached ? "attached" : "detached");
}

const char* HandStateName(EquipManager_HandState state)
{
    const auto index = static_cast<std::size_t>(state);
    return index < std::size(kHandStateNames) ? kHandStateNames[index] : "unknown";
}

void PrintHandState(const char* who, const Character& character)
{
    const EquipManager_HandState state = character.GetCombatManager().GetEquipManager().GetHandState();
    std::printf("outfit: %s hand state %d (%s)\n", who, static_cast<int>(state), HandStateName(state));
}

void PrintToolTips(const Player& player, const std::vector<std::pair<const char*, uint32_t>>& pieces)
{
    for (const auto& [name, id] : pieces) {
        const auto* item = ObjectManager::Get().GetObject<Item>(id);
        if (!item)
            continue;
        std::vector<GameTextLine> lines;
        item->GetUIDisplayText(&player, lines);
        HostItems::PrintLines((std::string("outfit ") + name + " tooltip").c_str(), lines);
    }
}

// On the combat trace: the attributes the sword lends the player's attacks, as its tool
// tip states them.
void TraceAttributes(const char* name, const Player& player, const Item* item)
{
    if (!item || gLogCombat == 0)
        return;
    std::vector<GameTextLine> lines;
    item->GetUIDisplayText(&player, lines);
    GAME_COMBAT_TRACE("%s attributes\n", name);
    for (const GameTextLine& line : lines)
        if (line.textClass == GameTextClass::ItemBaseStats || line.textClass == GameTextClass::ItemBonuses)
            GAME_COMBAT_TRACE("    %s\n", HostPlainText(line.text).c_str());
}

}  // namespace

void HostOutfit::PrintSlots(const char* who, const Character& character)
{
    const ControllerCharacter* controller = ControllerOf(character);
    if (!controller)
        return;
    const EquipmentCtrl& equipment = controller->GetEquipmentCtrl();
    for (int place = EquipmentCtrlLocation_Head; place <= EquipmentCtrlLocation_Forearm; ++place)
        PrintPlace(who, kPlaceNames[place], equipment.GetSlot(static_cast<EquipmentCtrlLocation>(place)));
    for (const bool alternate : {false, true}) {
        const EquipmentCtrlWeaponSet& set = equipment.GetWeaponSet(alternate);
        const std::string prefix = std::string(alternate ? "alternate " : "main ");
        PrintPlace(who, (prefix + "right hand").c_str(), set.GetHand(EquipmentCtrlWeaponSet::Right).info);
        PrintPlace(who, (prefix + "left hand").c_str(), set.GetHand(EquipmentCtrlWeaponSet::Left).info);
    }
    std::printf("outfit: %s uses its %s weapon set\n", who, equipment.IsAlternateEquipment() ? "alternate" : "main");
    PrintHandState(who, character);
}

bool HostOutfit::Start(Player& player, Character& monster, bool dressPlayer)
{
    m_playerId = player.GetObjectId();
    if (!dressPlayer) {
        m_stage = Stage::Done;
        return DressMonster(monster);
    }
    std::vector<std::pair<const char*, uint32_t>> worn;
    for (const Piece& piece : kPlayerOutfit) {
        Item* item = Make(piece);
        if (!item)
            return false;
        if (!Hand(player, *item))
            std::printf("outfit: the player's %s finds no place\n", piece.name);
        worn.emplace_back(piece.name, item->GetObjectId());
    }
    m_amuletId = worn[kAmulet].second;
    TraceAttributes("the player's sword", player, ObjectManager::Get().GetObject<Item>(worn[kSword].second));
    Item* ring = Make(kRing);
    Item* spear = Make(kSpear);
    if (!ring || !spear)
        return false;
    m_ringId = ring->GetObjectId();
    m_spearId = spear->GetObjectId();
    player.GetInventory().AddItemToInventory(m_ringId, false);
    player.GetInventory().AddItemToInventory(m_spearId, false);
    worn.emplace_back(kRing.name, m_ringId);
    worn.emplace_back(kSpear.name, m_spearId);
    if (!DressMonster(monster))
        return false;
    PrintToolTips(player, worn);
    m_stage = Stage::RingWaits;
    m_waitMs = 0;
    return true;
}

bool HostOutfit::DressMonster(Character& monster)
{
    // A monster wears what it is given, whatever it requires.
    if (ControllerCharacter* controller = ControllerOf(monster))
        controller->SetIgnoreEquipmentRequirements(true);
    for (const Piece& piece : kMonsterOutfit) {
        Item* item = Make(piece);
        if (!item)
            return false;
        if (!Hand(monster, *item))
            std::printf("outfit: the monster's %s finds no place\n", piece.name);
    }
    return true;
}

void HostOutfit::TraceImpacts(int frame, const Character& character)
{
    const EquipManager& worn = character.GetCombatManager().GetEquipManager();
    const auto* armor = ObjectManager::Get().GetObject<Armor>(worn.GetBodyArmor());
    const SoundPak* sound = armor ? armor->GetImpactSound() : nullptr;
    const unsigned played = sound ? sound->GetPlayCount() : 0;
    if (played > m_impactsPlayed)
        GAME_COMBAT_TRACE("frame %d: the player's %s plays its impact sound %s\n", frame,
                          HostPlainText(armor->GetGameDescription()).c_str(), sound->GetObjectName().c_str());
    m_impactsPlayed = played;
}

void HostOutfit::Update(int frame, int ms, bool fightOver)
{
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    ControllerCharacter* controller = player ? ControllerOf(*player) : nullptr;
    if (!controller)
        return;
    TraceImpacts(frame, *player);
    if (m_stage == Stage::Done)
        return;
    if (m_waitMs > 0) {
        m_waitMs -= ms;
        return;
    }
    EquipmentCtrl& equipment = controller->GetEquipmentCtrl();
    auto* ring = ObjectManager::Get().GetObject<Item>(m_ringId);
    const float strength = player->GetTotalCharAttribute(CharAttributeType_Strength);
    switch (m_stage) {
    case Stage::RingWaits:
        if (!ring || !equipment.AreRequirementsMet(ring))
            return;
        // The totals are summed at the player's update: a point spent on strength at the
        // last frame's commands counts in them once they are summed again, as here.
        player->GetCharacterBio().UpdateResources(*player);
        std::printf("outfit: strength %.0f with the amulet: the ring is handed over\n",
                    player->GetTotalCharAttribute(CharAttributeType_Strength));
        player->GetInventory().RemoveItemFromInventory(m_ringId);
        Hand(*player, *ring);
        m_stage = Stage::RingGiven;
        break;
    case Stage::RingGiven:
        PrintSlots("player", *player);
        m_stage = Stage::AmuletOn;
        return;
    case Stage::AmuletOn:
        if (!fightOver)
            return;
        equipment.RemoveItem(m_amuletId);
        std::printf("outfit: the player takes off the amulet\n");
        m_stage = Stage::AmuletOff;
        break;
    case Stage::AmuletOff: {
        const bool held = equipment.GetSlot(EquipmentCtrlLocation_Finger1).itemId == m_ringId;
        std::printf("outfit: strength %.0f without the amulet: the ring is %s, %s\n", strength,
                    held ? "still on the first finger" : "gone from the first finger",
                    equipment.IsItemAttached(m_ringId) ? "attached" : "detached");
        // The spear stays listed in the inventory while its set is not in use.
        uint32_t spear = m_spearId;
        equipment.PlaceItem_HandRight(spear, true, true);
        PrintHandState("player", *player);
        player->SetAlternateConfig(true);
        std::printf("outfit: the player draws its alternate weapon set\n");
        m_stage = Stage::SpearDrawn;
        break;
    }
    case Stage::SpearDrawn:
        PrintSlots("player", *player);
        m_stage = Stage::Done;
        return;
    default:
        return;
    }
    m_waitMs = kStepWaitMs;
}

}  // namespace GAME
