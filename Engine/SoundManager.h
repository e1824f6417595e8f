// Voices and other sounds played by file rather than through a sound pak. There is no
// audio output: the manager keeps which files were loaded, the length a file plays for
// (files the data registers; any other cannot be timed), and each play's start on the
// real-time clock, so a sound plays until its length has run or it is faded out. Every
// call is written to the journal.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace GAME {

// One sound file as the game holds it: the file, the volume and setting it plays with,
// and the handle of its last play (0 before the first).
struct SoundDescriptor {
    std::string file;
    float volume = 1.0f;
    int setting = 0;
    uint32_t handle = 0;
    bool loaded = false;
};

class SoundManager {
public:
    static SoundManager& Get();

    // The length a file plays for, in milliseconds (0 or more); a file never registered
    // cannot be timed.
    void RegisterSoundLength(const std::string& file, int ms);

    void Load(SoundDescriptor& sound, const std::string& file);
    void Unload(SoundDescriptor& sound);
    // Starts the loaded sound without a position; its handle is stored in the descriptor.
    // Nothing for a sound that is not loaded.
    void Play2D(SoundDescriptor& sound, bool flag);
    // The length of the descriptor's file; -1 when it cannot be timed.
    int GetPlayLength(const SoundDescriptor& sound) const;
    bool IsPlaying(const SoundDescriptor& sound) const;
    // The playing sound takes the descriptor's volume.
    void UpdateVolume(const SoundDescriptor& sound);
    // Fades a play out over `ms`; it has stopped once the fade has run (at once for 0).
    void FadeSound(uint32_t handle, int ms, int from, int to);
    // The volume a play has now; 0 when it is not playing.
    float GetVolume(uint32_t handle) const;

    // Forgets every file and play (tests, the host between runs).
    void Reset();

private:
    struct Play {
        uint32_t start = 0;
        int length = -1;   // -1: plays until faded out
        float volume = 1.0f;
    };
    bool IsPlayingLocked(uint32_t handle) const;

    mutable std::mutex m_lock;
    std::unordered_map<std::string, int> m_lengths;
    std::unordered_map<uint32_t, Play> m_plays;
    uint32_t m_nextHandle = 1;
};

}  // namespace GAME
