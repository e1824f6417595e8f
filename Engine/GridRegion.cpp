#include "Engine/GridRegion.h"

#include <cmath>

namespace GAME {

namespace {

// Bounds a grid a level may claim: a corrupt level file must not size the lattice.
constexpr uint32_t kMaxGridCells = 4096;

float PositiveOrOne(float value) { return std::isfinite(value) && value > 0.0f ? value : 1.0f; }

uint32_t BoundedCells(uint32_t cells) { return cells < kMaxGridCells ? cells : kMaxGridCells; }

}  // namespace

GridRegion::GridRegion(const Vec3& cellSpacing, uint32_t xCells, uint32_t yCells, uint32_t zCells)
    : m_spacing(PositiveOrOne(cellSpacing.x), PositiveOrOne(cellSpacing.y), PositiveOrOne(cellSpacing.z)),
      m_cells{BoundedCells(xCells), BoundedCells(yCells), BoundedCells(zCells)}
{
    m_lattice.assign(size_t{2u * m_cells[0] + 1u} * m_cells[1] * (2u * m_cells[2] + 1u), false);
}

bool GridRegion::Index(int x, int y, int z, size_t& index) const
{
    const int64_t xCount = 2 * int64_t{m_cells[0]} + 1;
    const int64_t zCount = 2 * int64_t{m_cells[2]} + 1;
    if (x < 0 || y < 0 || z < 0 || x >= xCount || y >= int64_t{m_cells[1]} || z >= zCount)
        return false;
    index = static_cast<size_t>((int64_t{y} * zCount + z) * xCount + x);
    return true;
}

bool GridRegion::GetLatticeValue(int x, int y, int z) const
{
    size_t index = 0;
    return Index(x, y, z, index) && m_lattice[index];
}

void GridRegion::SetLatticeValue(int x, int y, int z, bool open)
{
    size_t index = 0;
    if (Index(x, y, z, index))
        m_lattice[index] = open;
}

}  // namespace GAME
