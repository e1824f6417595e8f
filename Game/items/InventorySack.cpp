#include "Game/items/InventorySack.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"

namespace GAME {

namespace {

// The reference screen the 32-pixel cells are drawn for.
constexpr float kCellPixels = 32.0f;
constexpr float kInverseReferenceWidth = 0.0009765625f;    // 1 / 1024
constexpr float kInverseReferenceHeight = 0.0013020834f;   // 1 / 768

// Rectangles that only share an edge do not overlap.
bool Overlaps(const Rect& a, const Rect& b)
{
    return b.x + b.width > a.x && a.x + a.width > b.x && b.y + b.height > a.y && a.y + a.height > b.y;
}

// Whole cells in a pixel length, truncated; none when the cell has no size (or the length
// is negative), so the count never comes from a division by zero.
uint32_t CellCount(int pixels, float cell)
{
    if (!(cell > 0.0f) || pixels <= 0)
        return 0;
    const float cells = static_cast<float>(pixels) / cell;
    return cells >= 4294967040.0f ? 4294967040u : static_cast<uint32_t>(cells);
}

GraphicsEngine* DownsizingGraphics()
{
    GraphicsEngine* graphics = GraphicsEngine::Get();
    return graphics && graphics->IsDownsizing() ? graphics : nullptr;
}

}  // namespace

InventorySack::InventorySack()
{
    if (const GraphicsEngine* graphics = DownsizingGraphics()) {
        m_cellHeight = std::floor(static_cast<float>(graphics->GetScreenHeight()) * kInverseReferenceHeight * kCellPixels);
        m_cellWidth = std::floor(static_cast<float>(graphics->GetScreenWidth()) * kInverseReferenceWidth * kCellPixels);
    }
}

void InventorySack::SetDims(int widthPixels, int heightPixels, bool vertical)
{
    m_columns = CellCount(widthPixels, m_cellWidth);
    m_rows = CellCount(heightPixels, m_cellHeight);
    m_vertical = vertical;
}

Vec2 InventorySack::GridToPixels(const Vec2& cell) const
{
    return {cell.x * m_cellWidth, cell.y * m_cellHeight};
}

Vec2 InventorySack::PixelsToGrid(const Vec2& pixels) const
{
    if (m_cellWidth == 0.0f || m_cellHeight == 0.0f)
        return {-1.0f, -1.0f};
    return {pixels.x / m_cellWidth, pixels.y / m_cellHeight};
}

// ---- Footprints ---------------------------------------------------------------------------

bool InventorySack::GetBitmapSize(const Item& item, float& width, float& height) const
{
    // The bitmap is fetched on demand; asking for it changes nothing the sack sees.
    const Texture* bitmap = const_cast<Item&>(item).GetBitmap();
    if (!bitmap)
        return false;
    width = static_cast<float>(bitmap->GetWidth());
    height = static_cast<float>(bitmap->GetHeight());
    return true;
}

bool InventorySack::GetCellRaisedSize(const Item* item, float& width, float& height) const
{
    if (!item || !GetBitmapSize(*item, width, height))
        return false;
    width = std::max(width, m_cellWidth);
    height = std::max(height, m_cellHeight);
    return true;
}

void InventorySack::AdjustToResolution(Rect& r) const
{
    if (const GraphicsEngine* graphics = DownsizingGraphics()) {
        const Rect adjusted = graphics->GetResAdjRect(r);
        r.width = adjusted.width;
        r.height = adjusted.height;
    }
}

Vec2 InventorySack::GetFootprint(float bitmapWidth, float bitmapHeight) const
{
    Rect r{0.0f, 0.0f, std::max(bitmapWidth, m_cellWidth), std::max(bitmapHeight, m_cellHeight)};
    AdjustToResolution(r);
    return {r.width, r.height};
}

bool InventorySack::IsLargerThanSack(float width, float height) const
{
    return width > GetPixelWidth() || height > GetPixelHeight();
}

// ---- Placement ----------------------------------------------------------------------------

bool InventorySack::IsConflict(const Rect& r) const
{
    for (const auto& [id, stored] : m_items)
        if (Overlaps(stored, r))
            return true;
    return false;
}

bool InventorySack::SearchHorizantal(Rect& r) const
{
    const float right = GetPixelWidth();
    const float bottom = GetPixelHeight();
    for (uint32_t row = 0; row < m_rows; ++row) {
        for (uint32_t column = 0; column < m_columns; ++column) {
            if (r.x + r.width > right)
                break;
            if (r.y + r.height > bottom)
                return false;
            if (!IsConflict(r))
                return true;
            r.x += m_cellWidth;
        }
        r.x = 0.0f;
        r.y += m_cellHeight;
    }
    return false;
}

bool InventorySack::SearchVertical(Rect& r) const
{
    const float right = GetPixelWidth();
    const float bottom = GetPixelHeight();
    for (uint32_t column = 0; column < m_columns; ++column) {
        for (uint32_t row = 0; row < m_rows; ++row) {
            if (r.x + r.width > right)
                return false;
            if (r.y + r.height > bottom)
                break;
            if (!IsConflict(r))
                return true;
            r.y += m_cellHeight;
        }
        r.y = 0.0f;
        r.x += m_cellWidth;
    }
    return false;
}

bool InventorySack::FindNextPosition(const Item* item, Rect& r) const
{
    float width = 0.0f;
    float height = 0.0f;
    if (!GetCellRaisedSize(item, width, height))
        return false;
    r = Rect{0.0f, 0.0f, width, height};
    AdjustToResolution(r);
    return m_vertical ? SearchVertical(r) : SearchHorizantal(r);
}

bool InventorySack::GetRectAt(const Vec2& position, const Item* item, Rect& r) const
{
    float width = 0.0f;
    float height = 0.0f;
    if (!GetCellRaisedSize(item, width, height))
        return false;
    r = Rect{position.x, position.y, width, height};
    AdjustToResolution(r);
    return true;
}

bool InventorySack::IsPlaceFree(const Vec2& position, const Item* item) const
{
    Rect r;
    if (!GetRectAt(position, item, r))
        return false;
    // Written so that a position that is not a number lies nowhere.
    return r.x >= 0.0f && r.y >= 0.0f && r.x + r.width <= GetPixelWidth() && r.y + r.height <= GetPixelHeight() &&
           !IsConflict(r);
}

bool InventorySack::IsSpaceForItem(const Item* item) const
{
    Rect r;
    return FindNextPosition(item, r);
}

bool InventorySack::AddItem(Item* item, bool autoPlace)
{
    if (!item)
        return false;
    Rect r = kUnpositioned;
    if (autoPlace && !FindNextPosition(item, r))
        return false;
    m_items.emplace(item->GetObjectId(), r);
    return true;
}

bool InventorySack::AddItem(const Vec2& position, Item* item, bool silent)
{
    Rect r;
    if (!GetRectAt(position, item, r))
        return false;
    // An item larger than the whole sack has no place in it, wherever it is dropped.
    if (IsLargerThanSack(r.width, r.height))
        return false;
    m_items.emplace(item->GetObjectId(), r);
    if (!silent)
        item->PlayDropSound();
    return true;
}

Vec2 InventorySack::AddItemAndReturnPoint(Item* item)
{
    Rect r;
    if (!FindNextPosition(item, r))
        return {-1.0f, -1.0f};
    m_items.emplace(item->GetObjectId(), r);
    return {r.x, r.y};
}

bool InventorySack::ArrangeUnpositionedItems()
{
    bool allPlaced = true;
    ObjectManager& objects = ObjectManager::Get();
    for (auto it = m_items.begin(); it != m_items.end();) {
        Rect& stored = it->second;
        const Item* item = stored.x == -1.0f && stored.y == -1.0f ? objects.GetObject<Item>(it->first) : nullptr;
        if (!item) {
            ++it;
            continue;
        }
        // The entry itself is unpositioned while the search runs, so it is no obstacle.
        Rect r;
        if (FindNextPosition(item, r)) {
            stored = r;
            ++it;
        } else {
            it = m_items.erase(it);
            allPlaced = false;
        }
    }
    return allPlaced;
}

// ---- Queries ------------------------------------------------------------------------------

void InventorySack::AlignRect(Rect& r) const
{
    const float right = GetPixelWidth();
    const float bottom = GetPixelHeight();
    r.x = std::max(r.x, 0.0f);
    r.y = std::max(r.y, 0.0f);
    // A rectangle wider or taller than the sack stays at 0 on that side.
    if (r.x + r.width > right)
        r.x = std::max(right - r.width, 0.0f);
    if (r.y + r.height > bottom)
        r.y = std::max(bottom - r.height, 0.0f);
    if (m_cellWidth != 0.0f)
        r.x = std::trunc(r.x / m_cellWidth) * m_cellWidth;
    if (m_cellHeight != 0.0f)
        r.y = std::trunc(r.y / m_cellHeight) * m_cellHeight;
}

Rect InventorySack::GetRectUnderPoint(const Vec2& point) const
{
    // Only the rows that span the point can hold its cell; in them the cells go from the left.
    for (uint32_t row = 0; row < m_rows; ++row) {
        const float top = static_cast<float>(row) * m_cellHeight;
        if (!(top <= point.y && point.y < top + m_cellHeight))
            continue;
        for (uint32_t column = 0; column < m_columns; ++column) {
            const Rect cell{static_cast<float>(column) * m_cellWidth, top, m_cellWidth, m_cellHeight};
            if (cell.Contains(point))
                return cell;
        }
    }
    return {0.0f, GetPixelHeight(), m_cellWidth, m_cellHeight};
}

uint32_t InventorySack::GetItemUnderPoint(const Vec2& point) const
{
    for (const auto& [id, stored] : m_items)
        if (stored.Contains(point))
            return id;
    return 0;
}

void InventorySack::GetConflicts(const Vec2& position, Item* item, std::vector<Rect>& conflicts, Rect& placed) const
{
    float width = 0.0f;
    float height = 0.0f;
    if (!GetCellRaisedSize(item, width, height))
        return;
    // Centred on the position by the unadjusted footprint, shifted by half a cell.
    Rect r{position.x - width * 0.5f + m_cellWidth * 0.5f, position.y - height * 0.5f + m_cellHeight * 0.5f, width,
           height};
    AdjustToResolution(r);
    AlignRect(r);
    placed = r;
    for (const auto& [id, stored] : m_items)
        if (Overlaps(stored, r))
            conflicts.push_back(stored);
}

uint32_t InventorySack::GetFirstItem() const
{
    return m_items.empty() ? 0 : m_items.begin()->first;
}

// ---- Removal and hand-over ----------------------------------------------------------------

bool InventorySack::RemoveItem(uint32_t itemId)
{
    return m_items.erase(itemId) != 0;
}

void InventorySack::DestroyAllItems()
{
    // Taken out first: destroying an item may reach back into the sack.
    std::map<uint32_t, Rect> items;
    items.swap(m_items);
    ObjectManager& objects = ObjectManager::Get();
    for (const auto& [id, stored] : items)
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, "InventorySack", __LINE__);
}

void InventorySack::GiveAllItems(ControllerPlayer* controller)
{
    if (!controller) {
        gEngine->Log(LOG_WARNING, "InventorySack: items given to no controller; the sack keeps them");
        return;
    }
    // Taken out first: the player's controller may place the items in this very sack.
    std::map<uint32_t, Rect> items;
    items.swap(m_items);
    for (const auto& [id, stored] : items)
        controller->GiveItemToPlayer(id);
}

void InventorySack::TakeAllItems(ControllerPlayer* controller)
{
    if (!controller) {
        gEngine->Log(LOG_WARNING, "InventorySack: items taken for no controller; the sack keeps them");
        return;
    }
    for (const auto& [id, stored] : m_items)
        controller->SendRemoveItemFromInventory(id);
    m_items.clear();
}

void InventorySack::DeleteAndCreateAllItemsFor(ControllerPlayer* /*controller*/)
{
    std::map<uint32_t, Rect> items;
    items.swap(m_items);
    if (!gGameEngine)
        return;
    const Player* player = gGameEngine->GetMainPlayer();
    if (!player) {
        if (!items.empty())
            gEngine->Log(LOG_WARNING, "InventorySack: no main player to recreate %zu items for", items.size());
        return;
    }
    ObjectManager& objects = ObjectManager::Get();
    for (const auto& [id, stored] : items) {
        const Item* item = objects.GetObject<Item>(id);
        if (!item)
            continue;
        ItemReplicaInfo replica;
        item->GetItemReplicaInfo(replica);
        replica.objectId = objects.CreateObjectID();
        gGameEngine->CreateItemForCharacter(gGameEngine->GetPlayerId(), player->GetCoords(), replica, nullptr);
    }
}

}  // namespace GAME
