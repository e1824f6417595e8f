#include "Game/items/PlayerInventoryCtrl.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/InventorySack.h"
#include "Game/items/OneShot.h"

namespace GAME {

namespace {

// A bag the game's record gives no size keeps the sack's own grid (12 x 5 cells of 32).
constexpr int kFallbackSackWidth = 384;
constexpr int kFallbackSackHeight = 160;

// A float held to the ints, for a life or mana that is not a number or out of range.
int WholeNumber(float value)
{
    if (!(value > -2147483520.0f))
        return value != value ? 0 : INT32_MIN;
    return value < 2147483520.0f ? static_cast<int>(value) : INT32_MAX;
}

}  // namespace

// ---- PotionStack -------------------------------------------------------------------------

PotionStack::PotionStack(uint32_t visibleId) : m_visible(visibleId) { UpdateCount(); }

PotionStack::PotionStack(uint32_t visibleId, const std::vector<uint32_t>& stacked)
    : m_visible(visibleId), m_stacked(stacked)
{
    UpdateCount();
}

void PotionStack::UpdateCount() const
{
    if (auto* potion = ObjectManager::Get().GetObject<OneShot_Potion>(m_visible))
        potion->SetStackCount(GetNumberInStack());
}

void PotionStack::PushStack(uint32_t id)
{
    m_stacked.push_back(id);
    UpdateCount();
}

uint32_t PotionStack::PopStack()
{
    if (m_stacked.empty())
        return 0;
    const uint32_t id = m_stacked.back();
    m_stacked.pop_back();
    UpdateCount();
    return id;
}

bool PotionStack::RemoveStacked(uint32_t id)
{
    const auto found = std::find(m_stacked.begin(), m_stacked.end(), id);
    if (found == m_stacked.end())
        return false;
    m_stacked.erase(found);
    UpdateCount();
    return true;
}

bool PotionStack::IsStackFull() const
{
    const auto* potion = ObjectManager::Get().GetObject<OneShot_Potion>(m_visible);
    return !potion || potion->IsStackFull();
}

void PotionStack::GetPotions(uint32_t& visible, std::vector<uint32_t>& stacked) const
{
    visible = m_visible;
    stacked.insert(stacked.end(), m_stacked.begin(), m_stacked.end());
}

// ---- Bags --------------------------------------------------------------------------------

PlayerInventoryCtrl::PlayerInventoryCtrl() { AddSack(); }

PlayerInventoryCtrl::~PlayerInventoryCtrl() = default;

bool PlayerInventoryCtrl::AddSack()
{
    if (m_sacks.size() >= kMaxSacks)
        return false;
    const int index = static_cast<int>(m_sacks.size());
    Vec2 dims{0.0f, 0.0f};
    if (gGameEngine)
        dims = gGameEngine->GetInventorySackDims(index);
    auto sack = std::make_unique<InventorySack>();
    if (dims.x > 0.0f && dims.y > 0.0f)
        sack->SetDims(WholeNumber(dims.x), WholeNumber(dims.y), true);
    else
        sack->SetDims(kFallbackSackWidth, kFallbackSackHeight, true);
    m_sacks.push_back(std::move(sack));
    if (index == 1)
        m_selectedSack = 1;
    return true;
}

void PlayerInventoryCtrl::RestoreNumberOfSacks(uint32_t count)
{
    while (m_sacks.size() < count && AddSack()) {
    }
}

InventorySack* PlayerInventoryCtrl::SackAt(int sack) const
{
    const uint32_t index = sack == -1 ? m_focusSack : static_cast<uint32_t>(sack);
    return index < m_sacks.size() ? m_sacks[index].get() : nullptr;
}

const InventorySack* PlayerInventoryCtrl::GetSack(int sack) const { return SackAt(sack); }

void PlayerInventoryCtrl::SetFocusSackNumber(uint32_t sack) { m_focusSack = std::min(sack, GetNumberOfSacks() - 1); }

void PlayerInventoryCtrl::SetSelectedSackNumber(uint32_t sack)
{
    m_selectedSack = std::min(sack, GetNumberOfSacks() - 1);
}

bool PlayerInventoryCtrl::IsItemAddedWhileNotTheCurrentlySelectedInventoryTab(int sack) const
{
    const InventorySack* bag = SackAt(sack);
    return bag && bag->IsItemAddedWhileNotTheCurrentlySelectedInventoryTab();
}

void PlayerInventoryCtrl::SetItemAddedWhileNotTheCurrentlySelectedInventoryTab(bool added, int sack)
{
    if (InventorySack* bag = SackAt(sack))
        bag->SetItemAddedWhileNotTheCurrentlySelectedInventoryTab(added);
}

const std::map<uint32_t, Rect>& PlayerInventoryCtrl::GetInventoryInSack(int sack) const
{
    static const std::map<uint32_t, Rect> none;
    const InventorySack* bag = SackAt(sack);
    return bag ? bag->GetInventory() : none;
}

uint32_t PlayerInventoryCtrl::GetItemUnderPoint(const Vec2& point, int sack) const
{
    const InventorySack* bag = SackAt(sack);
    return bag ? bag->GetItemUnderPoint(point) : 0;
}

Rect PlayerInventoryCtrl::GetRectUnderPoint(const Vec2& point, int sack) const
{
    const InventorySack* bag = SackAt(sack);
    return bag ? bag->GetRectUnderPoint(point) : Rect{};
}

void PlayerInventoryCtrl::AlignRect(Rect& rect, int sack) const
{
    if (const InventorySack* bag = SackAt(sack))
        bag->AlignRect(rect);
}

bool PlayerInventoryCtrl::GetConflicts(const Vec2& position, uint32_t itemId, std::vector<Rect>& conflicts,
                                       Rect& placed, int sack)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    const InventorySack* bag = SackAt(sack);
    if (!item || !bag)
        return true;
    const size_t before = conflicts.size();
    bag->GetConflicts(position, item, conflicts, placed);
    return conflicts.size() != before;
}

bool PlayerInventoryCtrl::IsSpaceAvailable(const Item* item) const
{
    return std::any_of(m_sacks.begin(), m_sacks.end(), [item](const auto& sack) { return sack->IsSpaceForItem(item); });
}

// ---- Items -------------------------------------------------------------------------------

std::string PlayerInventoryCtrl::PotionName(const Item& item)
{
    std::string name = item.GetObjectName();
    NormalizePath(name);
    return name;
}

bool PlayerInventoryCtrl::AddItem(uint32_t itemId, bool tryOtherSacks)
{
    // Held already: taking it again would list it twice (a potion beneath itself).
    if (itemId == 0 || HasItem(itemId))
        return false;
    if (auto* oneShot = ObjectManager::Get().GetObject<OneShot>(itemId); oneShot && OneShotFilter(*oneShot))
        return true;
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return false;
    auto* potion = DynamicCast<OneShot_Potion>(item);
    if (m_sacks[0]->AddItem(item, true)) {
        if (potion)
            AddToOneShotMap(PotionName(*item), *potion);
        return true;
    }
    if (!tryOtherSacks || m_selectedSack == 0)
        return false;
    // The page on show first: the player sees the item arrive there.
    if (m_sacks[m_selectedSack]->AddItem(item, true)) {
        if (potion)
            AddToOneShotMap(PotionName(*item), *potion);
        return true;
    }
    // Then the others in order; the page that takes the item is marked as holding
    // something new, unless a potion only joined a kind already held.
    for (uint32_t sack = 1; sack < m_sacks.size(); ++sack) {
        if (sack == m_selectedSack || !m_sacks[sack]->AddItem(item, true))
            continue;
        const bool newKind = !potion || AddToOneShotMap(PotionName(*item), *potion);
        if (newKind)
            m_sacks[sack]->SetItemAddedWhileNotTheCurrentlySelectedInventoryTab(true);
        return true;
    }
    return false;
}

bool PlayerInventoryCtrl::AddItem(const Vec2& position, uint32_t itemId, int sack)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    InventorySack* bag = SackAt(sack);
    if (!item || !bag || HasItem(itemId) || !bag->AddItem(position, item, false))
        return false;
    if (auto* potion = DynamicCast<OneShot_Potion>(item))
        AddToOneShotMap(PotionName(*item), *potion);
    return true;
}

bool PlayerInventoryCtrl::AddStackedItem(const Vec2& position, uint32_t itemId, std::vector<uint32_t>& stackedIds,
                                         int sack)
{
    if (!AddItem(position, itemId, sack))
        return false;
    if (ObjectManager::Get().GetObject<OneShot_Potion>(itemId))
        for (uint32_t id : stackedIds)
            AddToPotionStack(itemId, id);
    return true;
}

bool PlayerInventoryCtrl::RemoveItem(uint32_t itemId, std::vector<uint32_t>& removedStackedIds)
{
    for (const auto& sack : m_sacks) {
        if (!sack->RemoveItem(itemId))
            continue;
        if (auto* potion = ObjectManager::Get().GetObject<OneShot_Potion>(itemId))
            potion->SetStackCount(0);
        RemoveFromPotionMap(itemId, removedStackedIds);
        return true;
    }
    // A potion beneath another leaves its stack, or it would be drunk after it was gone.
    for (auto& [name, entry] : m_potions)
        for (PotionStack& stack : entry.stacks)
            if (stack.RemoveStacked(itemId))
                return true;
    return false;
}

bool PlayerInventoryCtrl::RemoveItem(uint32_t itemId)
{
    int sackIndex = -1;
    Rect place;
    for (uint32_t sack = 0; sack < m_sacks.size() && sackIndex < 0; ++sack) {
        const auto& items = m_sacks[sack]->GetInventory();
        if (const auto found = items.find(itemId); found != items.end()) {
            sackIndex = static_cast<int>(sack);
            place = found->second;
        }
    }
    std::vector<uint32_t> stacked;
    if (!RemoveItem(itemId, stacked))
        return false;
    // The oldest potion beneath takes the place; the others ride beneath it.
    Item* next = stacked.empty() ? nullptr : ObjectManager::Get().GetObject<Item>(stacked.front());
    if (!next || sackIndex < 0)
        return true;
    stacked.erase(stacked.begin());
    auto* potion = DynamicCast<OneShot_Potion>(next);
    if (!m_sacks[static_cast<uint32_t>(sackIndex)]->AddItem(Vec2{place.x, place.y}, next, true) && PlaceAnywhere(*next) < 0) {
        gEngine->Log(LOG_ERROR, "PlayerInventoryCtrl: the %zu potions beneath item %u find no place and leave the bags",
                     stacked.size() + 1, itemId);
        return true;
    }
    if (potion) {
        AddToOneShotMap(PotionName(*next), *potion);
        for (uint32_t id : stacked)
            AddToPotionStack(next->GetObjectId(), id);
    }
    return true;
}

bool PlayerInventoryCtrl::HasItem(uint32_t itemId) const
{
    for (const auto& sack : m_sacks)
        if (sack->GetInventory().count(itemId))
            return true;
    for (const auto& [name, entry] : m_potions)
        for (const PotionStack& stack : entry.stacks)
            if (std::find(stack.GetStacked().begin(), stack.GetStacked().end(), itemId) != stack.GetStacked().end())
                return true;
    return false;
}

std::vector<uint32_t> PlayerInventoryCtrl::GetItems() const
{
    std::vector<uint32_t> items;
    for (const auto& sack : m_sacks) {
        for (const auto& [id, rect] : sack->GetInventory()) {
            items.push_back(id);
            if (const PotionStack* stack = FindStack(id))
                items.insert(items.end(), stack->GetStacked().begin(), stack->GetStacked().end());
        }
    }
    return items;
}

int PlayerInventoryCtrl::PlaceAnywhere(Item& item)
{
    for (uint32_t sack = 0; sack < m_sacks.size(); ++sack)
        if (m_sacks[sack]->AddItem(&item, true))
            return static_cast<int>(sack);
    return -1;
}

// ---- One-shots and the potion map --------------------------------------------------------

bool PlayerInventoryCtrl::UseThroughController(uint32_t itemId)
{
    return m_controller && m_controller->UseItem(itemId, true);
}

bool PlayerInventoryCtrl::OneShotFilter(OneShot& oneShot)
{
    const uint32_t id = oneShot.GetObjectId();
    if (oneShot.IsA<OneShot_Sack>()) {
        if (AddSack())
            return UseThroughController(id);
        // A fifth bag has no place: the sack is simply taken away.
        if (m_controller)
            m_controller->SendRemoveItemFromInventory(id);
        return true;
    }
    if (oneShot.IsA<OneShot_Gold>() || oneShot.IsA<OneShot_InstantReward>())
        return UseThroughController(id);
    if (auto* potion = DynamicCast<OneShot_Potion>(&oneShot)) {
        potion->SetStackCount(0);
        return FindAndStackOneShot(*potion);
    }
    return false;
}

bool PlayerInventoryCtrl::FindAndStackOneShot(OneShot_Potion& potion)
{
    const auto found = m_potions.find(PotionName(potion));
    if (found == m_potions.end())
        return false;
    for (PotionStack& stack : found->second.stacks) {
        if (!stack.IsStackFull()) {
            stack.PushStack(potion.GetObjectId());
            return true;
        }
    }
    return false;
}

bool PlayerInventoryCtrl::AddToOneShotMap(const std::string& name, OneShot_Potion& potion)
{
    const auto found = m_potions.find(name);
    if (found == m_potions.end()) {
        CreatePotionMap(name, potion, false);
        return true;
    }
    found->second.stacks.emplace_back(potion.GetObjectId());
    return false;
}

PotionMapEntry& PlayerInventoryCtrl::CreatePotionMap(const std::string& name, OneShot_Potion& potion, bool noStack)
{
    PotionMapEntry entry;
    entry.buttonUpBitmapName = potion.GetButtonUpBitmap();
    entry.buttonDownBitmapName = potion.GetButtonDownBitmap();
    entry.text = potion.GetGameDescription();
    entry.bonus = potion.GetBonus();
    entry.isHealth = potion.IsA<OneShot_PotionHealth>();
    if (!noStack)
        entry.stacks.emplace_back(potion.GetObjectId());
    return m_potions.insert_or_assign(name, std::move(entry)).first->second;
}

bool PlayerInventoryCtrl::AssurePotionMap(const std::string& name)
{
    std::string key = name;
    NormalizePath(key);
    if (m_potions.count(key))
        return true;
    ObjectManager& objects = ObjectManager::Get();
    auto* potion = objects.CreateObjectFromFile<OneShot_Potion>(name);
    if (!potion)
        return false;
    CreatePotionMap(key, *potion, true);
    objects.DestroyObjectEx(potion, "PlayerInventoryCtrl", __LINE__);
    return true;
}

bool PlayerInventoryCtrl::AddToPotionStack(uint32_t visibleId, uint32_t stackedId)
{
    PotionStack* stack = GetPotionsInStack(visibleId);
    if (!stack)
        return false;
    if (auto* potion = ObjectManager::Get().GetObject<OneShot_Potion>(stackedId))
        potion->SetStackCount(0);
    stack->PushStack(stackedId);
    return true;
}

const PotionStack* PlayerInventoryCtrl::FindStack(uint32_t visibleId) const
{
    for (const auto& [name, entry] : m_potions)
        for (const PotionStack& stack : entry.stacks)
            if (stack.GetVisiblePotion() == visibleId)
                return &stack;
    return nullptr;
}

PotionStack* PlayerInventoryCtrl::GetPotionsInStack(uint32_t visibleId)
{
    return const_cast<PotionStack*>(FindStack(visibleId));
}

bool PlayerInventoryCtrl::RemoveFromPotionMap(uint32_t visibleId, std::vector<uint32_t>& stackedIds)
{
    for (auto& [name, entry] : m_potions) {
        for (auto stack = entry.stacks.begin(); stack != entry.stacks.end(); ++stack) {
            if (stack->GetVisiblePotion() != visibleId)
                continue;
            uint32_t visible = 0;
            stack->GetPotions(visible, stackedIds);
            // The entry stays, without this stack: its cooldown keeps running.
            entry.stacks.erase(stack);
            return true;
        }
    }
    return false;
}

// ---- Potion queries ----------------------------------------------------------------------

const PotionMapEntry* PlayerInventoryCtrl::FindEntry(const std::string& name) const
{
    std::string key = name;
    NormalizePath(key);
    const auto found = m_potions.find(key);
    return found == m_potions.end() ? nullptr : &found->second;
}

namespace {

uint32_t PotionsOf(const PotionMapEntry& entry)
{
    uint32_t total = 0;
    for (const PotionStack& stack : entry.stacks)
        total += stack.GetTotalPotions();
    return total;
}

// Any other kind has no potions.
bool IsKind(const PotionMapEntry& entry, int kind)
{
    return kind == PlayerInventoryCtrl::kHealthPotions ? entry.isHealth
                                                       : kind == PlayerInventoryCtrl::kManaPotions && !entry.isHealth;
}

}  // namespace

uint32_t PlayerInventoryCtrl::GetTotalPotions(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry ? PotionsOf(*entry) : 0;
}

int PlayerInventoryCtrl::GetTotalCooldown(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry ? entry->totalCooldown : 0;
}

int PlayerInventoryCtrl::GetCurrentCooldown(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry ? entry->currentCooldown : 0;
}

std::u16string PlayerInventoryCtrl::GetPotionText(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry ? entry->text : std::u16string();
}

std::string PlayerInventoryCtrl::GetButtonUpBitmapName(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry ? entry->buttonUpBitmapName : std::string();
}

std::string PlayerInventoryCtrl::GetButtonDownBitmapName(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry ? entry->buttonDownBitmapName : std::string();
}

bool PlayerInventoryCtrl::IsPotionHealth(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    return entry && entry->isHealth;
}

float PlayerInventoryCtrl::GetTotalBonus(const std::string& name) const
{
    const PotionMapEntry* entry = FindEntry(name);
    if (!entry)
        return 0.0f;
    return entry->bonus.GetTotal(m_parent ? m_parent->GetPotentialLife() : 0.0f,
                                 m_parent ? m_parent->GetPotentialMana() : 0.0f);
}

uint32_t PlayerInventoryCtrl::GetTotalPotions(int kind) const
{
    uint32_t total = 0;
    for (const auto& [name, entry] : m_potions)
        if (IsKind(entry, kind))
            total += PotionsOf(entry);
    return total;
}

int PlayerInventoryCtrl::GetTotalCooldown(int kind) const
{
    for (const auto& [name, entry] : m_potions)
        if (IsKind(entry, kind) && entry.totalCooldown != 0)
            return entry.totalCooldown;
    return 0;
}

int PlayerInventoryCtrl::GetCurrentCooldown(int kind) const
{
    for (const auto& [name, entry] : m_potions)
        if (IsKind(entry, kind) && entry.currentCooldown != 0)
            return entry.currentCooldown;
    return 0;
}

void PlayerInventoryCtrl::GetPotionNames(std::vector<std::string>& names) const
{
    for (const auto& [name, entry] : m_potions)
        names.push_back(name);
}

// ---- Drinking ----------------------------------------------------------------------------

uint32_t PlayerInventoryCtrl::PickOneShot(std::vector<PotionStack>& stacks, bool& tookVisible)
{
    tookVisible = false;
    if (stacks.empty())
        return 0;
    const auto open = std::find_if(stacks.begin(), stacks.end(), [](const PotionStack& s) { return !s.IsStackFull(); });
    PotionStack& chosen = open != stacks.end() ? *open : stacks.back();
    if (chosen.GetNumberInStack() > 0)
        return chosen.PopStack();
    tookVisible = true;
    return chosen.GetVisiblePotion();
}

bool PlayerInventoryCtrl::UsePotionOfType(const std::string& name)
{
    std::string key = name;
    NormalizePath(key);
    const auto found = m_potions.find(key);
    if (found == m_potions.end() || !m_controller)
        return false;
    PotionMapEntry& entry = found->second;
    // All potions of one kind share one cooldown, whatever their records.
    if (GetCurrentCooldown(entry.isHealth ? kHealthPotions : kManaPotions) > 0)
        return false;
    bool tookVisible = false;
    const uint32_t potionId = PickOneShot(entry.stacks, tookVisible);
    if (potionId == 0)
        return false;
    if (tookVisible) {
        std::vector<uint32_t> beneath;
        RemoveItem(potionId, beneath);
    }
    const auto* potion = ObjectManager::Get().GetObject<OneShot>(potionId);
    if (!potion)
        return false;
    entry.currentCooldown = entry.totalCooldown = potion->GetUseDelayTime();
    UseThroughController(potionId);
    return true;
}

bool PlayerInventoryCtrl::UsePotionOfType(int kind, float low, float high)
{
    if (!m_parent)
        return false;
    const bool health = kind == kHealthPotions;
    const float limitValue = health ? m_parent->GetLifeLimit() : m_parent->GetManaLimit();
    const float currentValue = health ? m_parent->GetCurrentLife() : m_parent->GetCurrentMana();
    const int limit = WholeNumber(limitValue);
    const int current = WholeNumber(currentValue);
    const int64_t missing = static_cast<int64_t>(limit) - current;
    const int lowNeed = WholeNumber(static_cast<float>(limit) * low - static_cast<float>(current));
    const int highNeed = WholeNumber(static_cast<float>(limit) * high - static_cast<float>(current));
    // Each kind's amount, ascending; of two kinds alike the first in name order stays.
    std::map<int, const std::string*> offers;
    for (const auto& [name, entry] : m_potions)
        if (IsKind(entry, kind) && PotionsOf(entry) > 0)
            offers.emplace(WholeNumber(health ? entry.bonus.lifePoints : entry.bonus.manaPoints), &name);
    if (offers.empty())
        return false;
    auto first = [&offers](auto test) -> const std::string* {
        for (const auto& [amount, name] : offers)
            if (test(static_cast<int64_t>(amount)))
                return name;
        return nullptr;
    };
    const std::string* choice = first([&](int64_t a) { return missing <= a && a <= highNeed; });
    if (!choice)
        choice = first([&](int64_t a) { return lowNeed <= a && a < missing; });
    if (!choice)
        choice = first([&](int64_t a) { return a >= missing; });
    if (!choice)
        choice = offers.begin()->second;
    const std::string chosen = *choice;
    return UsePotionOfType(chosen);
}

void PlayerInventoryCtrl::UseOneShot(uint32_t itemId)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return;
    if (item->IsA<OneShot_Potion>()) {
        UsePotionOfType(PotionName(*item));
        return;
    }
    RemoveItem(itemId);
    UseThroughController(itemId);
}

void PlayerInventoryCtrl::Update(int elapsedMs)
{
    for (auto& [name, entry] : m_potions) {
        if (entry.currentCooldown <= 0)
            continue;
        entry.currentCooldown -= std::max(elapsedMs, 0);
        if (entry.currentCooldown < 1)
            entry.currentCooldown = entry.totalCooldown = 0;
    }
}

}  // namespace GAME
