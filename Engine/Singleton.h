// Engine singletons. Each class keeps its one instance behind its own out-of-line
// static Get, defined in the library that owns the class, so every library that calls
// it sees the same object. Singletons made on first use register with the
// SingletonManager, which can destroy every one still alive at once.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace GAME {

template <class T>
class Singleton {
public:
    static T& Get() { return T::Get(); }
};

class SingletonManager {
public:
    using DestroyFunction = void (*)();

    static SingletonManager& Get();

    // Enters a singleton under its name with the function that destroys it; a name
    // entered already keeps its place and takes the new function. An empty name or no
    // function is ignored.
    void Register(const std::string& name, DestroyFunction destroy);
    // Forgets the singleton (its destruction); nothing for a name not entered.
    void Unregister(const std::string& name);
    bool IsRegistered(const std::string& name) const;
    size_t GetCount() const;
    // Destroys every singleton entered, the newest first; each is forgotten before its
    // function runs, so one that unregisters itself as it goes is not destroyed twice.
    void DestroyAll();

private:
    struct Entry {
        std::string name;
        DestroyFunction destroy;
    };
    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;   // in the order entered
};

}  // namespace GAME
