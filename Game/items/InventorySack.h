// One page of a grid of cells on which items lie as rectangles measured in screen pixels:
// a player's bag, a market stock page, one half of a trade window. Items are placed by a
// first-fit scan of the cells, row by row or column by column. The sack holds object ids;
// the object manager owns the items.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "Engine/Math.h"

namespace GAME {

class ControllerPlayer;
class Item;

class InventorySack {
public:
    // The rectangle of an item that belongs to the sack but has no place yet.
    static constexpr Rect kUnpositioned{-1.0f, -1.0f, -1.0f, -1.0f};

    // A 12 x 5 grid of 32-pixel cells, scanned row by row; the cells are scaled to the
    // screen when the graphics engine downsizes.
    InventorySack();
    InventorySack(const InventorySack&) = default;
    InventorySack& operator=(const InventorySack&) = default;
    virtual ~InventorySack() = default;

    // As many whole cells as fit the pixel size (0 when the cells have no size), and the
    // scan: column by column when vertical.
    void SetDims(int widthPixels, int heightPixels, bool vertical);
    uint32_t GetColumns() const { return m_columns; }
    uint32_t GetRows() const { return m_rows; }
    float GetCellWidth() const { return m_cellWidth; }
    float GetCellHeight() const { return m_cellHeight; }
    bool IsVertical() const { return m_vertical; }

    Vec2 GridToPixels(const Vec2& cell) const;
    // Not rounded; (-1, -1) when the cells have no size.
    Vec2 PixelsToGrid(const Vec2& pixels) const;

    // The room an item whose bitmap has that pixel size takes: each side at least one cell,
    // then adjusted to the screen when the graphics engine downsizes.
    Vec2 GetFootprint(float bitmapWidth, float bitmapHeight) const;

    // Moves the rectangle inside the sack and down to a cell corner. A rectangle larger than
    // the sack is held at 0 on that side.
    void AlignRect(Rect& rect) const;
    // The cell containing the point, first in row order; the cell below the first column
    // when none does.
    Rect GetRectUnderPoint(const Vec2& point) const;
    // The first item in id order whose rectangle contains the point; 0 when none.
    uint32_t GetItemUnderPoint(const Vec2& point) const;
    // Where the item would lie when dropped centred on the position (`placed`), and the
    // stored rectangles it would cover, appended to `conflicts` in id order. An item
    // without footprint leaves both as they are.
    void GetConflicts(const Vec2& position, Item* item, std::vector<Rect>& conflicts, Rect& placed) const;

    // Whether the item's footprint laid at the position lies on the grid (from its top-left
    // corner to its right and bottom edges) and overlaps no stored rectangle; false for an
    // item without footprint.
    bool IsPlaceFree(const Vec2& position, const Item* item) const;

    const std::map<uint32_t, Rect>& GetInventory() const { return m_items; }
    // The smallest id; 0 when empty.
    uint32_t GetFirstItem() const;
    bool IsSpaceForItem(const Item* item) const;

    // With autoPlace the item takes the first free place (false and nothing changed when
    // there is none); without it the item is listed unpositioned. An id already held keeps
    // its rectangle. False for an item without footprint.
    bool AddItem(Item* item, bool autoPlace);
    // Lays the item at the position (already chosen free by the caller) and, unless silent,
    // plays its drop sound. False for an item without footprint or one larger than the sack.
    bool AddItem(const Vec2& position, Item* item, bool silent);
    // Places the item at the first free place and answers it; (-1, -1) when there is none.
    Vec2 AddItemAndReturnPoint(Item* item);
    // Places every unpositioned item that still exists, in id order; one that finds no place
    // leaves the sack and the answer is false.
    bool ArrangeUnpositionedItems();

    // True when the id was held.
    bool RemoveItem(uint32_t itemId);
    // Forgets every item; the objects are untouched.
    void RemoveAllItems() { m_items.clear(); }
    // Destroys every item that still exists and empties the sack.
    void DestroyAllItems();
    // Hands each item back to the controller's player, then empties the sack.
    void GiveAllItems(ControllerPlayer* controller);
    // Has the controller's character drop each item from its inventory (a command each, in
    // id order), then empties the sack; the objects are untouched.
    void TakeAllItems(ControllerPlayer* controller);
    // Has the local player's copy of each item that still exists created afresh (new ids)
    // beside the main player, then empties the sack. The old objects stay.
    void DeleteAndCreateAllItemsFor(ControllerPlayer* controller);

    // Marks a page that received an item while another page was shown.
    bool IsItemAddedWhileNotTheCurrentlySelectedInventoryTab() const
    {
        return m_itemAddedWhileNotTheCurrentlySelectedInventoryTab;
    }
    void SetItemAddedWhileNotTheCurrentlySelectedInventoryTab(bool added)
    {
        m_itemAddedWhileNotTheCurrentlySelectedInventoryTab = added;
    }

protected:
    // r takes the item's footprint at (0, 0) and then the first free place; false when the
    // item has no footprint or no place is free.
    bool FindNextPosition(const Item* item, Rect& r) const;
    // Row by row from r's place; r keeps the first place that conflicts with nothing.
    bool SearchHorizantal(Rect& r) const;
    // Column by column from r's place.
    bool SearchVertical(Rect& r) const;
    // Whether any stored rectangle overlaps r; rectangles that only share an edge do not.
    bool IsConflict(const Rect& r) const;
    // The pixel size of the item's bitmap; false when it has none.
    virtual bool GetBitmapSize(const Item& item, float& width, float& height) const;

    float m_cellWidth = 32.0f;
    float m_cellHeight = 32.0f;

private:
    // The footprint of the item before the resolution adjustment; false without bitmap.
    bool GetCellRaisedSize(const Item* item, float& width, float& height) const;
    void AdjustToResolution(Rect& r) const;
    // The item's footprint laid at the position; false without footprint.
    bool GetRectAt(const Vec2& position, const Item* item, Rect& r) const;
    bool IsLargerThanSack(float width, float height) const;
    float GetPixelWidth() const { return static_cast<float>(m_columns) * m_cellWidth; }
    float GetPixelHeight() const { return static_cast<float>(m_rows) * m_cellHeight; }

    bool m_itemAddedWhileNotTheCurrentlySelectedInventoryTab = false;
    uint32_t m_columns = 12;
    uint32_t m_rows = 5;
    bool m_vertical = false;
    std::map<uint32_t, Rect> m_items;
};

}  // namespace GAME
