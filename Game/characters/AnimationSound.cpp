#include "Game/characters/AnimationSound.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"

namespace GAME {

AnimationSound::~AnimationSound()
{
    for (auto& [event, entry] : m_sounds)
        ObjectManager::Get().DestroyObjectEx(entry.pak, "AnimationSound", __LINE__);
}

void AnimationSound::AddSound(const Name& event, const char* soundRecord, float chance)
{
    if (!soundRecord || !*soundRecord || !(chance > 0.0f) || m_sounds.count(event))
        return;
    if (SoundPak* pak = ObjectManager::Get().CreateObjectFromFile<SoundPak>(soundRecord))
        m_sounds[event] = {pak, chance};
}

void AnimationSound::PreLoad(bool flag)
{
    for (auto& [event, entry] : m_sounds)
        entry.pak->PreLoad(flag);
}

SoundPak* AnimationSound::GetSound(const Name& event) const
{
    const auto found = m_sounds.find(event);
    return found != m_sounds.end() ? found->second.pak : nullptr;
}

}  // namespace GAME
