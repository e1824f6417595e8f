// Keys of hashed maps that own their text but are looked up by a view of it, so that a
// look-up builds no key. `Key::View()` gives the view; `HashView` hashes a view; views
// compare with ==.
#pragma once

#include <cstddef>

namespace GAME {

template <class Key, class View, class HashView>
struct ViewKeyHash {
    using is_transparent = void;
    size_t operator()(const View& view) const { return HashView()(view); }
    size_t operator()(const Key& key) const { return HashView()(key.View()); }
};

template <class Key, class View>
struct ViewKeyEqual {
    using is_transparent = void;
    static View ViewOf(const View& view) { return view; }
    static View ViewOf(const Key& key) { return key.View(); }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const
    {
        return ViewOf(a) == ViewOf(b);
    }
};

}  // namespace GAME
