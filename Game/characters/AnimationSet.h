// The animations of a character by kind (attack, die, fidget, turn ...), one set per
// weapon style. The entries and their loaders come with the character's animation work.
#pragma once

namespace GAME {

class AnimationSet {
public:
    AnimationSet() = default;
    virtual ~AnimationSet() = default;
    AnimationSet(const AnimationSet&) = delete;
    AnimationSet& operator=(const AnimationSet&) = delete;

    // Queues every entry's animations with the priority of its kind.
    void PreLoad();
    // How many times the set was preloaded (there is nothing to load yet).
    unsigned GetPreLoadCount() const { return m_preLoadCount; }

private:
    unsigned m_preLoadCount = 0;
};

}  // namespace GAME
