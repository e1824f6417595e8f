#include "Game/characters/AnimationSound.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"

namespace GAME {

AnimationSound::~AnimationSound()
{
    ObjectManager& objects = ObjectManager::Get();
    for (const auto& [event, sound] : m_sounds)
        if (Object* pack = objects.GetObject(sound.first))
            objects.DestroyObjectEx(pack, "AnimationSound", __LINE__);
}

void AnimationSound::AddSound(const Name& event, const char* soundRecord, float chance)
{
    // Written so that a chance that is not a number adds nothing.
    if (!soundRecord || soundRecord[0] == '\0' || !(chance > 0.0f))
        return;
    ObjectManager& objects = ObjectManager::Get();
    Object* created = objects.CreateObjectFromFile(soundRecord);
    if (!created)
        return;
    if (!created->IsA<SoundPak>() || m_sounds.count(event) != 0) {
        objects.DestroyObjectEx(created, "AnimationSound", __LINE__);
        return;
    }
    m_sounds.emplace(event, std::make_pair(created->GetObjectId(), chance));
}

bool AnimationSound::PlaySound(Actor& actor, const Name& event, unsigned int target)
{
    auto found = m_sounds.find(event);
    if (found == m_sounds.end())
        return false;
    const float r = RandFloat(0.1f, 100.0f);
    if (r > found->second.second)
        return false;
    SoundPak* pack = ObjectManager::Get().GetObject<SoundPak>(found->second.first);
    if (!pack)
        return false;
    if (target != 0)
        pack->PlayOnTarget(target, 0, true);
    else
        pack->Play(actor.GetCoords().GetPosition(), 0, true);
    return true;
}

void AnimationSound::PreLoad()
{
    ObjectManager& objects = ObjectManager::Get();
    for (const auto& [event, sound] : m_sounds)
        if (SoundPak* pack = objects.GetObject<SoundPak>(sound.first))
            pack->PreLoad(false);
}

SoundPak* AnimationSound::GetSound(const Name& event) const
{
    auto found = m_sounds.find(event);
    return found != m_sounds.end() ? ObjectManager::Get().GetObject<SoundPak>(found->second.first) : nullptr;
}

float AnimationSound::GetChance(const Name& event) const
{
    auto found = m_sounds.find(event);
    return found != m_sounds.end() ? found->second.second : 0.0f;
}

}  // namespace GAME
