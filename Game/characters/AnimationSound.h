// Sounds played when an animation event of a given name fires (a footstep, a swing), each
// with a chance in percent.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "Engine/Name.h"

namespace GAME {

class Actor;
class SoundPak;

class AnimationSound {
public:
    AnimationSound() = default;
    // Destroys every sound pack through the object manager.
    virtual ~AnimationSound();
    AnimationSound(const AnimationSound&) = delete;
    AnimationSound& operator=(const AnimationSound&) = delete;

    // Creates the sound pack of the record for the event when the record name is not empty
    // and the chance is above 0. The first pack of an event stays; a record that is no
    // sound pack is destroyed again.
    virtual void AddSound(const Name& event, const char* soundRecord, float chance);
    // Draws r from 0.1 to 100 and, when it is at most the event's chance, plays the pack
    // once on the target (when not 0) or at the actor. False when the event has no sound
    // or the draw misses.
    virtual bool PlaySound(Actor& actor, const Name& event, unsigned int target);
    void PreLoad();

    // The pack and chance of an event; null pack when it has none.
    SoundPak* GetSound(const Name& event) const;
    float GetChance(const Name& event) const;

private:
    // Packs are kept by object id: one destroyed elsewhere is then simply gone.
    std::map<Name, std::pair<uint32_t, float>> m_sounds;
};

}  // namespace GAME
