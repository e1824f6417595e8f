#include "Engine/ActorConfigCommand.h"

#if defined(__SANITIZE_ADDRESS__)
#define GAME_COMMAND_BLOCKS_POISONED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GAME_COMMAND_BLOCKS_POISONED 1
#endif
#endif

#if defined(GAME_COMMAND_BLOCKS_POISONED)
#include <sanitizer/asan_interface.h>
#define GAME_COMMAND_BLOCK_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define GAME_COMMAND_BLOCK_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define GAME_COMMAND_BLOCK_POISON(block, size) ((void)(block), (void)(size))
#define GAME_COMMAND_BLOCK_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace GAME {

namespace {

// Blocks of 16, 32, .. 256 bytes are kept, at most kKeptCommandBlocks of each size per
// thread; larger commands and blocks past that go to the global heap. A kept block is
// poisoned for the address sanitizer, so a command used after its free is still caught;
// the store holds every kept block's address itself (not a chain through the blocks),
// so the leak checker, which reads no poisoned memory, still finds each one.
constexpr std::size_t kCommandBlockGrain = 16;
constexpr std::size_t kCommandBlockSizes = 16;
constexpr unsigned kKeptCommandBlocks = 64;

// Trivially destroyed, so that it may still be read while the thread's storage goes: a
// command freed then (an actor freed among the statics) finds the store closed.
struct CommandBlockStore {
    void* idle[kCommandBlockSizes][kKeptCommandBlocks];
    unsigned count[kCommandBlockSizes];
    bool closed;
};
thread_local CommandBlockStore tCommandBlocks;

// Frees the kept blocks when the thread ends, and closes the store.
struct CommandBlockStoreCloser {
    void Arm() {}
    ~CommandBlockStoreCloser()
    {
        CommandBlockStore& store = tCommandBlocks;
        store.closed = true;
        for (std::size_t i = 0; i < kCommandBlockSizes; ++i)
            while (store.count[i] > 0) {
                void* block = store.idle[i][--store.count[i]];
                GAME_COMMAND_BLOCK_UNPOISON(block, (i + 1) * kCommandBlockGrain);
                ::operator delete(block);
            }
    }
};
thread_local CommandBlockStoreCloser tCommandBlockCloser;

// The store's size of a block of `size` bytes; kCommandBlockSizes when none is kept.
std::size_t CommandBlockSize(std::size_t size)
{
    return size == 0 ? 0 : (size - 1) / kCommandBlockGrain;
}

}  // namespace

void* ActorConfigCommand::operator new(std::size_t size)
{
    const std::size_t kind = CommandBlockSize(size);
    if (kind >= kCommandBlockSizes)
        return ::operator new(size);
    CommandBlockStore& store = tCommandBlocks;
    if (store.count[kind] > 0) {
        void* block = store.idle[kind][--store.count[kind]];
        GAME_COMMAND_BLOCK_UNPOISON(block, (kind + 1) * kCommandBlockGrain);
        return block;
    }
    return ::operator new((kind + 1) * kCommandBlockGrain);
}

void ActorConfigCommand::operator delete(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    const std::size_t kind = CommandBlockSize(size);
    if (kind >= kCommandBlockSizes) {
        ::operator delete(block);
        return;
    }
    CommandBlockStore& store = tCommandBlocks;
    if (store.closed || store.count[kind] >= kKeptCommandBlocks) {
        ::operator delete(block);
        return;
    }
    tCommandBlockCloser.Arm();   // the closer's first use on the thread registers its end
    store.idle[kind][store.count[kind]++] = block;
    GAME_COMMAND_BLOCK_POISON(block, (kind + 1) * kCommandBlockGrain);
}

}  // namespace GAME
