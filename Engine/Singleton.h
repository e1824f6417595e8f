// Engine singletons. Each class keeps its one instance behind its own out-of-line
// static Get, defined in the library that owns the class, so every library that calls
// it sees the same object.
#pragma once

namespace GAME {

template <class T>
class Singleton {
public:
    static T& Get() { return T::Get(); }
};

}  // namespace GAME
