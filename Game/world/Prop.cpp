#include "Game/world/Prop.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Prop, Actor)

Prop::~Prop()
{
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* sound = objects.GetObject<SoundPak>(m_animationSound))
        objects.DestroyObjectEx(sound, "Prop", __LINE__);
}

void Prop::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_animation = table.GetString("propAnimation", "");
    m_animationSpeed = table.GetFloat("propAnimationSpeed", 1.0f);
    const std::string soundName = table.GetString("animationSound", "");
    if (!soundName.empty() && m_animationSound == 0)
        if (const SoundPak* sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(soundName))
            m_animationSound = sound->GetObjectId();
    m_propAttachPoint = table.GetString("propAttachPoint", "");
}

SoundPak* Prop::GetAnimationSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_animationSound);
}

// Neither sound packs nor animations load anything ahead of their first use yet.
void Prop::PreLoad(bool /*preloadNow*/) {}

}  // namespace GAME
