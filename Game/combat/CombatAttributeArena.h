// Storage for the per-attack combat attributes of one accumulator: blocks taken from the
// heap as they are needed and given back all at once with the attack, so that an
// ordinary attack allocates one block for all its objects instead of one allocation per
// object. Objects are placed into it and destroyed by their owner; the memory of a
// destroyed object is not reused until the arena is rewound.
//
// A first block given back is kept for the next arena made on the same thread (a few of
// them, one per attack that is alive at once: the attack, its reflection copy and the
// answer to it), so that attack after attack takes nothing from the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace GAME {

class CombatAttributeArena {
public:
    // The first block holds an ordinary attack (a handful of damage objects, the
    // defences a fully equipped defender gathers and their lists, some 45 objects);
    // later blocks double.
    static constexpr size_t kFirstBlockBytes = 2048;

    CombatAttributeArena() = default;
    CombatAttributeArena(const CombatAttributeArena&) = delete;
    CombatAttributeArena& operator=(const CombatAttributeArena&) = delete;
    CombatAttributeArena(CombatAttributeArena&& other) noexcept : m_blocks(std::exchange(other.m_blocks, nullptr)) {}
    CombatAttributeArena& operator=(CombatAttributeArena&& other) noexcept;
    ~CombatAttributeArena()
    {
        if (m_blocks)
            Release();
    }

    // Room for `size` bytes aligned to `alignment` (at most that of std::max_align_t).
    void* Allocate(size_t size, size_t alignment) { return AllocateInline(size, alignment); }
    // The same, inlined wherever it is asked for: an object made with every roll.
    [[gnu::always_inline]] void* AllocateInline(size_t size, size_t alignment)
    {
        if (m_blocks) [[likely]] {
            const size_t at = (m_blocks->used + alignment - 1) & ~(alignment - 1);
            if (at + size <= m_blocks->capacity) [[likely]] {
                m_blocks->used = at + size;
                return m_blocks->Data() + at;
            }
        }
        return AllocateInNewBlock(size, alignment);
    }

    // Placement of a new object; the caller destroys it.
    template <class T, class... Args>
    T* Create(Args&&... args)
    {
        return new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    }

    // Whether the memory at `pointer` is this arena's. The newest block, where nearly
    // everything an attack makes lives, is asked first.
    bool Owns(const void* pointer) const
    {
        return m_blocks && (InBlock(*m_blocks, pointer) || OwnsInOlderBlocks(pointer));
    }
    // Takes over the other's blocks (and what lives in them); the other is left empty.
    void Adopt(CombatAttributeArena&& other);
    // Forgets every allocation, keeping the first block for reuse. Whatever lived in the
    // arena must have been destroyed.
    void Rewind();
    // Gives every block back.
    void Release();

    size_t GetBlockCount() const;
    // First blocks kept on this thread for the next arenas, at most kMaxSpareBlocks.
    static constexpr size_t kMaxSpareBlocks = 4;
    static size_t GetSpareBlockCount();

private:
    struct alignas(std::max_align_t) Block {
        Block* next;
        size_t capacity;
        size_t used;
        std::byte* Data() { return reinterpret_cast<std::byte*>(this + 1); }
        const std::byte* Data() const { return reinterpret_cast<const std::byte*>(this + 1); }
    };
    static_assert(sizeof(Block) % alignof(std::max_align_t) == 0, "block data must start aligned");

    void* AllocateInNewBlock(size_t size, size_t alignment);
    bool OwnsInOlderBlocks(const void* pointer) const;
    static Block* TakeSpareBlock();
    // Keeps a first block for the next arena, or frees it (and any larger block).
    static void GiveBack(Block* block);
    static bool InBlock(const Block& block, const void* pointer)
    {
        const auto address = reinterpret_cast<uintptr_t>(pointer);
        const auto start = reinterpret_cast<uintptr_t>(block.Data());
        return address >= start && address < start + block.capacity;
    }

    Block* m_blocks = nullptr;   // the newest first
};

}  // namespace GAME
