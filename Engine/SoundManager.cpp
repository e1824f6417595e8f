#include "Engine/SoundManager.h"

#include <algorithm>
#include <cstdint>

#include "Engine/GameClock.h"
#include "Engine/Journal.h"

namespace GAME {

SoundManager& SoundManager::Get()
{
    static SoundManager manager;
    return manager;
}

void SoundManager::RegisterSoundLength(const std::string& file, int ms)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_lengths[file] = std::max(0, ms);
}

void SoundManager::Load(SoundDescriptor& sound, const std::string& file)
{
    sound.file = file;
    sound.loaded = !file.empty();
    Journal::Get().Record("SoundManager::Load", 0, "%s", file.c_str());
}

void SoundManager::Unload(SoundDescriptor& sound)
{
    if (!sound.loaded)
        return;
    sound.loaded = false;
    Journal::Get().Record("SoundManager::Unload", 0, "%s", sound.file.c_str());
}

void SoundManager::Play2D(SoundDescriptor& sound, bool flag)
{
    if (!sound.loaded)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    // Finished plays are forgotten, so a long session does not keep every one.
    std::erase_if(m_plays, [this](const auto& entry) { return !IsPlayingLocked(entry.first); });
    const auto length = m_lengths.find(sound.file);
    Play play;
    play.start = GameClock::Get().GetRealTime();
    play.length = length == m_lengths.end() ? -1 : length->second;
    play.volume = sound.volume;
    sound.handle = m_nextHandle++;
    m_plays[sound.handle] = play;
    Journal::Get().Record("SoundManager::Play2D", 0, "%s volume %.2f setting %d %d", sound.file.c_str(),
                          static_cast<double>(sound.volume), sound.setting, flag ? 1 : 0);
}

int SoundManager::GetPlayLength(const SoundDescriptor& sound) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto length = m_lengths.find(sound.file);
    return length == m_lengths.end() ? -1 : length->second;
}

bool SoundManager::IsPlayingLocked(uint32_t handle) const
{
    const auto play = m_plays.find(handle);
    if (play == m_plays.end())
        return false;
    const Play& p = play->second;
    return p.length < 0 || GameClock::Get().GetRealTime() - p.start < static_cast<uint32_t>(p.length);
}

bool SoundManager::IsPlaying(const SoundDescriptor& sound) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return sound.handle != 0 && IsPlayingLocked(sound.handle);
}

void SoundManager::UpdateVolume(const SoundDescriptor& sound)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto play = m_plays.find(sound.handle);
    if (play != m_plays.end())
        play->second.volume = sound.volume;
}

void SoundManager::FadeSound(uint32_t handle, int ms, int from, int to)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto play = m_plays.find(handle);
    if (play == m_plays.end())
        return;
    // The fade ends the play `ms` from now, or at once.
    Play& p = play->second;
    const uint32_t now = GameClock::Get().GetRealTime();
    const uint32_t left = static_cast<uint32_t>(std::max(0, ms));
    if (p.length < 0 || now - p.start + left < static_cast<uint32_t>(p.length))
        p.length = static_cast<int>(std::min<uint32_t>(now - p.start + left, INT32_MAX));
    if (left == 0)
        m_plays.erase(play);
    Journal::Get().Record("SoundManager::FadeSound", 0, "%u %d %d %d", handle, ms, from, to);
}

float SoundManager::GetVolume(uint32_t handle) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto play = m_plays.find(handle);
    return play != m_plays.end() && IsPlayingLocked(handle) ? play->second.volume : 0.0f;
}

void SoundManager::Reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_lengths.clear();
    m_plays.clear();
    m_nextHandle = 1;
}

}  // namespace GAME
