#include "Game/world/FixedItemLook.h"

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/AnimationSet.h"
#include "Game/world/FxPak.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

void PlaceFxPakAt(const Entity& at, const std::string& fxPakName)
{
    if (fxPakName.empty())
        return;
    FxPak* pak = ObjectManager::Get().CreateObjectFromFile<FxPak>(fxPakName);
    if (!pak)
        return;
    const WorldCoords place(at.GetRegion(), Coords::MakeTranslation(at.GetCoords().GetRegionCoords().origin));
    if (!World::Get().AddEntity(pak, place))
        ObjectManager::Get().DestroyObjectEx(pak, "FixedItemLook", __LINE__);
}

FixedItemLook::FixedItemLook() : m_animation(std::make_unique<AnimationSingle>()) {}

FixedItemLook::~FixedItemLook() = default;

void FixedItemLook::Load(const LoadTable& table, const char* animationKey, const char* speedKey, float defaultSpeed,
                         const char* soundKey, const char* fxKey)
{
    if (animationKey) {
        const std::string name = table.GetString(animationKey, "");
        if (!name.empty()) {
            m_animation = std::make_unique<AnimationSingle>();
            m_animation->AddAnimation(name, speedKey ? table.GetFloat(speedKey, defaultSpeed) : defaultSpeed, 1.0f, "");
        }
    }
    if (soundKey) {
        DestroyOwnedSound(m_sound, "FixedItemLook");
        m_sound = CreateOwnedSound(table, soundKey);
    }
    if (fxKey)
        m_fxPakName = table.GetString(fxKey, "");
}

void FixedItemLook::PreLoad(bool flag)
{
    m_animation->PreLoad(ResourcePriority_High);
    if (SoundPak* sound = GetSound())
        sound->PreLoad(flag);
}

void FixedItemLook::Release(const char* owner) { DestroyOwnedSound(m_sound, owner); }

bool FixedItemLook::PlayAnimation(Actor& item, float speed, bool loop) const
{
    return m_animation->PlayAnimation(item, Name(), speed, loop, 0);
}

bool FixedItemLook::ShowLastFrame(Actor& item) const { return m_animation->SetLastPose(item); }

void FixedItemLook::PlaySound(const Entity& item) const
{
    if (SoundPak* sound = GetSound())
        sound->Play(item.GetCoords().GetPosition(), 0, true);
}

void FixedItemLook::StartLoopingSound(const Entity& item) const
{
    if (SoundPak* sound = GetSound())
        sound->Play(item.GetCoords().GetPosition(), 0, false);
}

void FixedItemLook::PlayAll(Actor& item) const
{
    PlayAnimation(item, 1.0f, false);
    PlaySound(item);
    PlaceFxPak(item);
}

bool FixedItemLook::HasAnimation() const { return !m_animation->IsEmpty(); }

SoundPak* FixedItemLook::GetSound() const { return FindOwnedSound(m_sound); }

void FixedItemLockLooks::Load(const LoadTable& table, float defaultSpeed)
{
    m_open.Load(table, "openAnimation", "openAnimationSpeed", defaultSpeed, "openSound", "openFxPakName");
    m_closed.Load(table, "closedAnimation", "closedAnimationSpeed", defaultSpeed, "closedSound", "closedFxPakName");
}

void FixedItemLockLooks::PreLoad(bool flag)
{
    m_open.PreLoad(flag);
    m_closed.PreLoad(flag);
}

void FixedItemLockLooks::Release(const char* owner)
{
    m_open.Release(owner);
    m_closed.Release(owner);
}

void FixedItemLockLooks::Play(Actor& item, bool locked, bool quiet) const
{
    const FixedItemLook& look = For(locked);
    look.PlayAnimation(item, 1.0f, false);
    if (quiet)
        return;
    look.PlaySound(item);
    look.PlaceFxPak(item);
}

}  // namespace GAME
