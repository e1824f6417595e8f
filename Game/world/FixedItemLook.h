// One look of a fixed item: the animation it plays, the sound played with it and the
// effect pack placed at the item when it does. Chests, doors, shrines, portals and quest
// objects each have a few (open and closed, or a shrine's six phases).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace GAME {

class Actor;
class AnimationSingle;
class Entity;
class LoadTable;
class SoundPak;

// Places the effect pack of that record in the world at the entity's position, unturned;
// nothing for an empty name or a record that is no effect pack.
void PlaceFxPakAt(const Entity& at, const std::string& fxPakName);

class FixedItemLook {
public:
    FixedItemLook();
    ~FixedItemLook();
    FixedItemLook(const FixedItemLook&) = delete;
    FixedItemLook& operator=(const FixedItemLook&) = delete;

    // The animation named by `animationKey` (with the speed of `speedKey`, `defaultSpeed`
    // when missing), loaded only when the name is not empty; the sound pack of `soundKey`
    // and the effect pack name of `fxKey`. A null key leaves that part empty.
    void Load(const LoadTable& table, const char* animationKey, const char* speedKey, float defaultSpeed,
              const char* soundKey, const char* fxKey);
    void PreLoad(bool flag);
    // Destroys the owned sound pack.
    void Release(const char* owner);

    // Plays the animation on the item; false when there is none.
    bool PlayAnimation(Actor& item, float speed, bool loop) const;
    // Shows the animation's last frame; false when there is none.
    bool ShowLastFrame(Actor& item) const;
    // The sound once at the item's position.
    void PlaySound(const Entity& item) const;
    // The sound looping at the item's position.
    void StartLoopingSound(const Entity& item) const;
    void PlaceFxPak(const Entity& item) const { PlaceFxPakAt(item, m_fxPakName); }
    // The animation (speed 1, not looping), the sound and the effect pack.
    void PlayAll(Actor& item) const;

    bool HasAnimation() const;
    SoundPak* GetSound() const;
    const std::string& GetFxPakName() const { return m_fxPakName; }

private:
    std::unique_ptr<AnimationSingle> m_animation;
    uint32_t m_sound = 0;   // owned, by id
    std::string m_fxPakName;
};

// The two looks of an item whose look follows its lock: closed while locked, open
// otherwise ("openAnimation", "openSound", "openFxPakName" and their "closed" keys).
class FixedItemLockLooks {
public:
    void Load(const LoadTable& table, float defaultSpeed);
    void PreLoad(bool flag);
    void Release(const char* owner);
    const FixedItemLook& For(bool locked) const { return locked ? m_closed : m_open; }
    // Plays the look of the lock at speed 1; unless quiet, with its sound and effect pack.
    void Play(Actor& item, bool locked, bool quiet) const;

private:
    FixedItemLook m_closed;
    FixedItemLook m_open;
};

}  // namespace GAME
