#include "Game/combat/CombatAttributeArena.h"

#include <algorithm>

namespace GAME {

CombatAttributeArena& CombatAttributeArena::operator=(CombatAttributeArena&& other) noexcept
{
    if (this != &other) {
        Release();
        m_blocks = std::exchange(other.m_blocks, nullptr);
    }
    return *this;
}

void* CombatAttributeArena::AllocateInNewBlock(size_t size, size_t alignment)
{
    // Block data starts aligned to max_align_t, so any alignment up to it fits at 0.
    const size_t doubled = m_blocks ? 2 * (m_blocks->capacity + sizeof(Block)) : kFirstBlockBytes;
    const size_t capacity = std::max(doubled - sizeof(Block), size + alignment);
    void* memory = ::operator new(sizeof(Block) + capacity);
    Block* block = new (memory) Block{m_blocks, capacity, 0};
    m_blocks = block;
    block->used = size;
    return block->Data();
}

bool CombatAttributeArena::OwnsInOlderBlocks(const void* pointer) const
{
    for (const Block* block = m_blocks->next; block; block = block->next)
        if (InBlock(*block, pointer))
            return true;
    return false;
}

void CombatAttributeArena::Adopt(CombatAttributeArena&& other)
{
    if (this == &other || !other.m_blocks)
        return;
    // The other's blocks go behind the current one, which keeps taking allocations.
    Block* last = other.m_blocks;
    while (last->next)
        last = last->next;
    if (m_blocks) {
        last->next = m_blocks->next;
        m_blocks->next = std::exchange(other.m_blocks, nullptr);
    } else {
        m_blocks = std::exchange(other.m_blocks, nullptr);
    }
}

void CombatAttributeArena::Rewind()
{
    if (!m_blocks)
        return;
    // Keep the oldest block (the first one taken, usually the only one).
    Block* keep = m_blocks;
    while (keep->next)
        keep = keep->next;
    for (Block* block = m_blocks; block != keep;) {
        Block* next = block->next;
        ::operator delete(block);
        block = next;
    }
    keep->used = 0;
    m_blocks = keep;
}

void CombatAttributeArena::Release()
{
    for (Block* block = std::exchange(m_blocks, nullptr); block;) {
        Block* next = block->next;
        ::operator delete(block);
        block = next;
    }
}

size_t CombatAttributeArena::GetBlockCount() const
{
    size_t count = 0;
    for (const Block* block = m_blocks; block; block = block->next)
        ++count;
    return count;
}

}  // namespace GAME
