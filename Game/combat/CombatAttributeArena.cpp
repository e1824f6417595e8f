#include "Game/combat/CombatAttributeArena.h"

#include <algorithm>
#include <array>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define GAME_ARENA_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define GAME_ARENA_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define GAME_ARENA_POISON(address, size) ((void)(address), (void)(size))
#define GAME_ARENA_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace GAME {

namespace {

constexpr size_t kFirstBlockBytes = CombatAttributeArena::kFirstBlockBytes;

// First blocks given back on this thread. A block may be taken on one thread and given
// back on another; it is only memory. Kept blocks are poisoned for the address
// sanitizer, so that a read of an object whose arena is gone is still caught. The list
// is plain data, reached without a check that it was made; its cleaner, armed when the
// first block is kept, frees what the thread still keeps when the thread ends, and from
// then on blocks given back are freed at once.
struct SpareBlocks {
    std::array<void*, CombatAttributeArena::kMaxSpareBlocks> blocks;
    size_t count;
    bool cleanerArmed;
    bool closed;
};
constinit thread_local SpareBlocks tSpareBlocks{};

struct SpareBlocksCleaner {
    ~SpareBlocksCleaner()
    {
        SpareBlocks& spare = tSpareBlocks;
        spare.closed = true;
        while (spare.count != 0) {
            void* block = spare.blocks[--spare.count];
            GAME_ARENA_UNPOISON(block, kFirstBlockBytes);
            ::operator delete(block);
        }
    }
};
thread_local SpareBlocksCleaner tSpareBlocksCleaner;

[[gnu::noinline]] void ArmSpareBlocksCleaner(SpareBlocks& spare)
{
    spare.cleanerArmed = true;
    static_cast<void>(&tSpareBlocksCleaner);   // made, and its end registered, on first use
}

}  // namespace

CombatAttributeArena& CombatAttributeArena::operator=(CombatAttributeArena&& other) noexcept
{
    if (this != &other) {
        Release();
        m_blocks = std::exchange(other.m_blocks, nullptr);
    }
    return *this;
}

CombatAttributeArena::Block* CombatAttributeArena::TakeSpareBlock()
{
    SpareBlocks& spare = tSpareBlocks;
    if (spare.count == 0)
        return nullptr;
    void* memory = spare.blocks[--spare.count];
    GAME_ARENA_UNPOISON(memory, kFirstBlockBytes);
    return static_cast<Block*>(memory);
}

void CombatAttributeArena::GiveBack(Block* block)
{
    SpareBlocks& spare = tSpareBlocks;
    if (block->capacity + sizeof(Block) != kFirstBlockBytes || spare.count == spare.blocks.size() || spare.closed) {
        ::operator delete(block);
        return;
    }
    if (!spare.cleanerArmed)
        ArmSpareBlocksCleaner(spare);
    GAME_ARENA_POISON(block, kFirstBlockBytes);
    spare.blocks[spare.count++] = block;
}

size_t CombatAttributeArena::GetSpareBlockCount() { return tSpareBlocks.count; }

void* CombatAttributeArena::AllocateInNewBlock(size_t size, size_t alignment)
{
    // Block data starts aligned to max_align_t, so any alignment up to it fits at 0.
    const size_t doubled = m_blocks ? 2 * (m_blocks->capacity + sizeof(Block)) : kFirstBlockBytes;
    const size_t capacity = std::max(doubled - sizeof(Block), size + alignment);
    void* memory = nullptr;
    if (!m_blocks && capacity + sizeof(Block) == kFirstBlockBytes)
        memory = TakeSpareBlock();
    if (!memory)
        memory = ::operator new(sizeof(Block) + capacity);
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
        GiveBack(block);
        block = next;
    }
    keep->used = 0;
    m_blocks = keep;
}

void CombatAttributeArena::Release()
{
    for (Block* block = std::exchange(m_blocks, nullptr); block;) {
        Block* next = block->next;
        GiveBack(block);
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
