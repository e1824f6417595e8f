// The sounds a character plays on named animation events: each event has one sound pack
// (owned, created from its record) and the chance in percent that it plays.
#pragma once

#include <map>

#include "Engine/Name.h"

namespace GAME {

class SoundPak;

class AnimationSound {
public:
    AnimationSound() = default;
    // Destroys every pack it holds through the object manager.
    virtual ~AnimationSound();
    AnimationSound(const AnimationSound&) = delete;
    AnimationSound& operator=(const AnimationSound&) = delete;

    // Creates the pack of a non-empty record for a chance above 0, class-tested before
    // it is made. An event that has a sound keeps it; a later one is not entered.
    virtual void AddSound(const Name& event, const char* soundRecord, float chance);
    void PreLoad(bool flag);
    // The pack of an event, or null.
    SoundPak* GetSound(const Name& event) const;
    size_t GetCount() const { return m_sounds.size(); }

private:
    struct Entry {
        SoundPak* pak = nullptr;
        float chance = 0.0f;
    };
    std::map<Name, Entry> m_sounds;
};

}  // namespace GAME
