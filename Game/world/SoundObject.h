// Sound objects: invisible actors that give a spot of a level its sound, an ambient sound
// that plays while the listener is near and a periodic one that plays again and again at
// fixed or random intervals. The two sound members are plain classes other objects may
// embed too.
#pragma once

#include <cstdint>

#include "Engine/Entity.h"

namespace GAME {

class LoadTable;
class SoundPak;

class SoundAmbient {
public:
    // A non-looping sound heard from farther than this many fall-offs fades out.
    static constexpr float kFadeFalloffs = 8.0f;
    static constexpr int kFadeMs = 500;

    SoundAmbient() = default;
    ~SoundAmbient();
    SoundAmbient(const SoundAmbient&) = delete;
    SoundAmbient& operator=(const SoundAmbient&) = delete;

    // "ambientSound".
    void Load(const LoadTable& table);
    void PreLoad();
    void StartSound(bool loop);
    void StopSound();
    void Update(const WorldCoords& position, int elapsedMs);
    bool IsPlaying() const { return m_isPlaying; }
    SoundPak* GetSound() const;

private:
    bool m_isPlaying = false;
    bool m_isLooping = false;
    uint32_t m_ambientSound = 0;   // the owned sound pack's id
};

class SoundPeriodic {
public:
    SoundPeriodic() = default;
    ~SoundPeriodic();
    SoundPeriodic(const SoundPeriodic&) = delete;
    SoundPeriodic& operator=(const SoundPeriodic&) = delete;

    // "periodicSound", "soundPeriod", "randomPeriod", "randomPeriodMin", "randomPeriodMax".
    void Load(const LoadTable& table);
    void PreLoad();
    void StartSound();
    void StopSound() { m_isPlaying = false; }
    // The next interval: drawn from the game's seeded generator when random.
    void InitializeSoundPeriod();
    void Update(const WorldCoords& position, int elapsedMs);
    bool IsPlaying() const { return m_isPlaying; }
    int GetTimeLeft() const { return m_timeLeft; }
    SoundPak* GetSound() const;

private:
    bool m_isPlaying = false;
    uint32_t m_periodicSound = 0;   // the owned sound pack's id
    int m_soundPeriod = 0;
    bool m_randomPeriod = false;
    int m_randomPeriodMin = 0;
    int m_randomPeriodMax = 0;
    int m_timeLeft = 0;
};

class SoundObject : public Actor {
    GAME_DECLARE_CLASS(SoundObject)

public:
    static constexpr int kEditorFilterType = 2;

    SoundObject();
    ~SoundObject() override;

    // The actor's keys, both sounds', then "startOnLoad".
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    bool ShouldServerSpawn() const override { return false; }
    bool CanCollide(const Entity*) const override { return false; }
    bool OccludesPathing() const override { return false; }

    const SoundAmbient& GetAmbient() const { return m_ambient; }
    const SoundPeriodic& GetPeriodic() const { return m_periodic; }

private:
    bool m_startOnLoad = false;
    SoundAmbient m_ambient;
    SoundPeriodic m_periodic;
};

}  // namespace GAME
