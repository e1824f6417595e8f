// Objects kept per thread for their next use with the storage they hold (a list's
// capacity, a record's strings), so that work done every frame allocates nothing once
// warmed up. A store keeps at most `Kept`; once the thread's storage is going (its
// thread-local objects destroyed, the statics of the main thread after them), nothing is
// kept or taken any more and the objects go their usual way.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace GAME {

template <class T, std::size_t Kept>
class ThreadSpares {
public:
    // Moves a kept object into `out`; false, and `out` untouched, when none is kept.
    static bool Take(T& out)
    {
        if (tClosed || tStore.spares.empty())
            return false;
        out = std::move(tStore.spares.back());
        tStore.spares.pop_back();
        return true;
    }
    // Keeps `spare` for the next Take on this thread; left as it is (its owner frees it) when
    // the store is full or closed.
    static void Give(T&& spare)
    {
        if (!tClosed && tStore.spares.size() < Kept)
            tStore.spares.push_back(std::move(spare));
    }

private:
    struct Store {
        std::vector<T> spares;
        ~Store() { tClosed = true; }
    };
    // Trivially destroyed, so it may still be read after the store is gone.
    static inline thread_local bool tClosed = false;
    static inline thread_local Store tStore;
};

}  // namespace GAME
