// The open space of a level laid out on a grid: cells of one spacing, and over them a
// lattice at half-cell resolution along x and z (one value per cell along y) that marks
// the positions a camera could look through. The renderer makes the level geometry
// inside the boxes handed to UpdateTransparency see-through; here they are kept for
// whoever asks.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/Math.h"

namespace GAME {

class GridRegion {
public:
    // A grid of that many cells per axis, each `cellSpacing` wide (every component above
    // 0; a spacing that is not is taken as 1). Lattice indices run 0 .. 2 x cells along x
    // and z, 0 .. cells - 1 along y; all start closed.
    GridRegion(const Vec3& cellSpacing, uint32_t xCells, uint32_t yCells, uint32_t zCells);

    const Vec3& GetCellSpacing() const { return m_spacing; }
    uint32_t GetXNumCells() const { return m_cells[0]; }
    uint32_t GetYNumCells() const { return m_cells[1]; }
    uint32_t GetZNumCells() const { return m_cells[2]; }

    // Whether the lattice position is open; false outside the lattice.
    bool GetLatticeValue(int x, int y, int z) const;
    // Outside the lattice nothing changes.
    void SetLatticeValue(int x, int y, int z, bool open);

    // One box (its planes: a point is inside when normal . point + distance >= 0 for
    // each) to draw see-through this frame.
    void UpdateTransparency(const std::vector<Plane>& box) { m_transparent.push_back(box); }
    const std::vector<std::vector<Plane>>& GetTransparentBoxes() const { return m_transparent; }
    void ClearTransparency() { m_transparent.clear(); }

private:
    bool Index(int x, int y, int z, size_t& index) const;

    Vec3 m_spacing;
    uint32_t m_cells[3];
    std::vector<bool> m_lattice;
    std::vector<std::vector<Plane>> m_transparent;
};

}  // namespace GAME
