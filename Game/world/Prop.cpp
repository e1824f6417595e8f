#include "Game/world/Prop.h"

#include <utility>

#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Prop, Actor)

Prop::~Prop()
{
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* sound = objects.GetObject<SoundPak>(m_animationSound))
        objects.DestroyObjectEx(sound, "Prop", __LINE__);
    GraphicsEngine::Get()->UnloadAnimation(std::exchange(m_animation, nullptr));
}

void Prop::Load(const LoadTable& table)
{
    Actor::Load(table);
    GraphicsEngine::Get()->UnloadAnimation(std::exchange(m_animation, nullptr));
    if (const std::string name = table.GetString("propAnimation", ""); !name.empty())
        m_animation = GraphicsEngine::Get()->LoadAnimation(name);
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

void Prop::PreLoad(bool preloadNow)
{
    Actor::PreLoad(preloadNow);
    if (SoundPak* sound = GetAnimationSound())
        sound->PreLoad(false);
    if (m_animation)
        ResourceLoader::Get().EnqueueResource(m_animation, ResourcePriority_Low, true);
}

void Prop::AttachProp(Actor& actor)
{
    actor.Attach(this, Coords(), Name(m_propAttachPoint.c_str()));
    if (m_animation)
        PlayAnimation(0, m_animation, true, 1.0f, 0);
    if (SoundPak* sound = GetAnimationSound())
        sound->Play(actor.GetCoords().GetPosition(), 0, true);
}

void Prop::DetachProp(Actor& actor) { actor.Detach(this); }

}  // namespace GAME
