// The player's bags and potion bookkeeping, owned by the player's controller. Up to four
// sacks (the main bag first) take what the player picks up, first the main bag, then the
// others; a sack one-shot adds a bag, gold and instant rewards are used at once, and
// potions of one record stack: only the top potion of a stack lies in a sack, the others
// ride beneath it. Potions are drunk by record name or by need (health or mana); all
// potions of one kind share one cooldown.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "Game/core/Bonus.h"

namespace GAME {

class ControllerPlayer;
class IOStream;
class InventorySack;
class Item;
class OneShot;
class OneShot_Potion;
class Player;

// One potion lying in a sack and the potions stacked beneath it, oldest first. The
// visible potion's stack count always equals the number stacked beneath it.
class PotionStack {
public:
    explicit PotionStack(uint32_t visibleId);
    PotionStack(uint32_t visibleId, const std::vector<uint32_t>& stacked);
    virtual ~PotionStack() = default;

    uint32_t GetVisiblePotion() const { return m_visible; }
    uint32_t GetNumberInStack() const { return static_cast<uint32_t>(m_stacked.size()); }
    uint32_t GetTotalPotions() const { return GetNumberInStack() + 1; }
    const std::vector<uint32_t>& GetStacked() const { return m_stacked; }
    void PushStack(uint32_t id);
    // The newest stacked id, taken off; 0 when none.
    uint32_t PopStack();
    // Takes the id out from beneath; false when it is not stacked here.
    bool RemoveStacked(uint32_t id);
    // True when the visible potion is gone or its stack limit is reached.
    bool IsStackFull() const;
    // The visible id, and the stacked ids appended in order.
    void GetPotions(uint32_t& visible, std::vector<uint32_t>& stacked) const;

private:
    void UpdateCount() const;

    uint32_t m_visible;
    std::vector<uint32_t> m_stacked;
};

// One kind of potion (one record) the player has or had; it stays after its last potion
// went, so that its cooldown keeps running.
struct PotionMapEntry {
    int currentCooldown = 0;   // ms left
    int totalCooldown = 0;     // ms of the running cooldown; 0 when none runs
    std::string buttonUpBitmapName;
    std::string buttonDownBitmapName;
    std::u16string text;
    Bonus bonus;
    bool isHealth = false;
    std::vector<PotionStack> stacks;
};

class PlayerInventoryCtrl {
public:
    static constexpr uint32_t kMaxSacks = 4;
    // Item records a read takes per sack.
    static constexpr uint32_t kMaxSavedItems = 10000;
    // Sack blocks a read walks through: the first kMaxSacks are read into the bags, the
    // rest only for their items.
    static constexpr uint32_t kMaxSavedSacks = 64;
    // Potion kinds by need (the hot slots' default potion types).
    static constexpr int kHealthPotions = 0;
    static constexpr int kManaPotions = 1;

    // No parent or controller yet, the main bag, focus and selection on it.
    PlayerInventoryCtrl();
    virtual ~PlayerInventoryCtrl();
    PlayerInventoryCtrl(const PlayerInventoryCtrl&) = delete;
    PlayerInventoryCtrl& operator=(const PlayerInventoryCtrl&) = delete;

    void SetController(ControllerPlayer* controller) { m_controller = controller; }
    ControllerPlayer* GetController() const { return m_controller; }
    void SetParent(Player* player) { m_parent = player; }
    Player* GetParent() const { return m_parent; }

    // ---- Bags (a sack index of -1 means the focused sack) ----
    uint32_t GetNumberOfSacks() const { return static_cast<uint32_t>(m_sacks.size()); }
    // Null for an index past the last bag.
    const InventorySack* GetSack(int sack) const;
    uint32_t GetFocusSackNumber() const { return m_focusSack; }
    uint32_t GetSelectedSackNumber() const { return m_selectedSack; }
    // Both held to the last bag.
    void SetFocusSackNumber(uint32_t sack);
    void SetSelectedSackNumber(uint32_t sack);
    bool IsItemAddedWhileNotTheCurrentlySelectedInventoryTab(int sack) const;
    void SetItemAddedWhileNotTheCurrentlySelectedInventoryTab(bool added, int sack);
    // Adds a bag (filled column by column, sized by the game's record); false with four.
    // The second bag becomes the selected page.
    bool AddSack();

    const std::map<uint32_t, Rect>& GetInventoryInSack(int sack) const;
    uint32_t GetItemUnderPoint(const Vec2& point, int sack) const;
    Rect GetRectUnderPoint(const Vec2& point, int sack) const;
    void AlignRect(Rect& rect, int sack) const;
    // Whether dropping the item centred on the position covers anything; an id that names
    // no item answers true and touches nothing.
    bool GetConflicts(const Vec2& position, uint32_t itemId, std::vector<Rect>& conflicts, Rect& placed, int sack);
    bool IsSpaceAvailable(const Item* item) const;

    // ---- Items ----
    // A pick-up: a one-shot may be used or stacked at once; otherwise the main bag, then
    // (with tryOtherSacks) the selected bag and the others. False when it found no place,
    // for an id that names no item, and for an item the bags already hold.
    bool AddItem(uint32_t itemId, bool tryOtherSacks);
    // Lays the item at a place the caller chose free.
    bool AddItem(const Vec2& position, uint32_t itemId, int sack);
    // As above, then the stacked potions go beneath it when it is a potion.
    bool AddStackedItem(const Vec2& position, uint32_t itemId, std::vector<uint32_t>& stackedIds, int sack);
    // Takes the item out of the bags; a visible potion hands back the potions beneath it
    // (appended to removedStackedIds, for the caller to carry with it). A potion riding
    // beneath another leaves its stack. False when the bags did not hold it.
    bool RemoveItem(uint32_t itemId, std::vector<uint32_t>& removedStackedIds);
    // The item leaves on its own: potions that rode beneath it stay in its place, the
    // oldest now on top.
    bool RemoveItem(uint32_t itemId);
    // Whether the bags hold the item, in a sack or beneath a potion.
    bool HasItem(uint32_t itemId) const;
    // Every item the bags hold: bag by bag in id order, each visible potion followed by
    // the potions beneath it, oldest first.
    std::vector<uint32_t> GetItems() const;

    // ---- Potions by record name (normalized first; an unknown name answers 0, false or
    // empty) ----
    uint32_t GetTotalPotions(const std::string& name) const;
    int GetTotalCooldown(const std::string& name) const;
    int GetCurrentCooldown(const std::string& name) const;
    std::u16string GetPotionText(const std::string& name) const;
    std::string GetButtonUpBitmapName(const std::string& name) const;
    std::string GetButtonDownBitmapName(const std::string& name) const;
    bool IsPotionHealth(const std::string& name) const;
    float GetTotalBonus(const std::string& name) const;
    // Makes an entry without potions from the record when there is none; false only when
    // the record makes no potion.
    bool AssurePotionMap(const std::string& name);
    // ---- Potions by kind (kHealthPotions, kManaPotions) ----
    uint32_t GetTotalPotions(int kind) const;
    // Of the first entry of the kind, in name order, whose value is not 0.
    int GetTotalCooldown(int kind) const;
    int GetCurrentCooldown(int kind) const;
    void GetPotionNames(std::vector<std::string>& names) const;

    // Drinks a potion of the record: false for an unknown name, while its kind cools down,
    // without potions left or without a controller.
    bool UsePotionOfType(const std::string& name);
    // Drinks the potion of the kind that best fills what is missing of life (or mana):
    // `low` and `high` are fractions of the limit that bound a good fit.
    bool UsePotionOfType(int kind, float low, float high);
    // A potion is drunk by its record; any other item leaves its bag and is used.
    void UseOneShot(uint32_t itemId);
    void Update(int elapsedMs);

    // The bags' block of the character save: each bag's items by identity and cell, the
    // potions beneath a visible one right after it at (-1, -1). A read creates every item
    // afresh, lists it in the player's inventory and places it; an item whose place is off
    // its bag or taken, or a stacked record with no potion of its record read before it in
    // that bag, takes the first free place of any bag; what finds none is logged and let
    // go. Bags past the fourth are read for their items only. A write keeps at most
    // kMaxSavedItems records a bag and logs what it leaves out.
    void StreamProperties(IOStream& stream);

protected:
    bool OneShotFilter(OneShot& oneShot);
    bool FindAndStackOneShot(OneShot_Potion& potion);
    // True when the record had no entry yet (one was made); false when the potion only
    // opened another stack of its kind.
    bool AddToOneShotMap(const std::string& name, OneShot_Potion& potion);
    PotionMapEntry& CreatePotionMap(const std::string& name, OneShot_Potion& potion, bool noStack);
    // Pushes the id beneath the visible potion; false when no stack shows it.
    bool AddToPotionStack(uint32_t visibleId, uint32_t stackedId);
    // The stack the visible potion shows, or null.
    PotionStack* GetPotionsInStack(uint32_t visibleId);
    // Takes the stack of the visible potion out of the map; the ids beneath are appended.
    bool RemoveFromPotionMap(uint32_t visibleId, std::vector<uint32_t>& stackedIds);
    // A potion from the kind's stacks: the first stack not full, else the last; a stacked
    // potion when it has one (tookVisible false), else its visible one. 0 when none.
    static uint32_t PickOneShot(std::vector<PotionStack>& stacks, bool& tookVisible);
    void RestoreNumberOfSacks(uint32_t count);

private:
    InventorySack* SackAt(int sack) const;
    const PotionStack* FindStack(uint32_t visibleId) const;
    const PotionMapEntry* FindEntry(const std::string& name) const;
    // The record name of a potion as the map keys it.
    static std::string PotionName(const Item& item);
    // Uses the item through the controller (which removes and destroys it).
    bool UseThroughController(uint32_t itemId);
    // The first free place of any bag, in index order; the bag's index or -1.
    int PlaceAnywhere(Item& item);
    void ReadSack(IOStream& stream, uint32_t sack, bool gridCoords);
    void WriteSack(IOStream& stream, const InventorySack& sack);
    // One record read: placed, stacked, or let go when nothing takes it.
    void RestoreItem(Item& item, uint32_t sack, int32_t x, int32_t y, bool gridCoords, uint32_t& lastVisible);

    ControllerPlayer* m_controller = nullptr;   // not owned: the controller owns this
    Player* m_parent = nullptr;                 // not owned
    uint32_t m_focusSack = 0;
    uint32_t m_selectedSack = 0;
    std::vector<std::unique_ptr<InventorySack>> m_sacks;
    std::map<std::string, PotionMapEntry> m_potions;   // by normalized record name
};

}  // namespace GAME
