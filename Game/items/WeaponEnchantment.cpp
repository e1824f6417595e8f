#include "Game/items/WeaponEnchantment.h"

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/skills/ProjectileBase.h"

namespace GAME {

namespace {

// The tint channels are written 0 to 255.
constexpr float kTintScale = 255.0f;

// The sound keys of each kind: melee, bow, staff.
struct SoundKeys {
    const char* swipe;
    const char* hit;
};
constexpr SoundKeys kSoundKeys[] = {
    {"meleeSwipeSound", "meleeHitSound"}, {"bowSwipeSound", "bowHitSound"}, {"staffSwipeSound", "staffHitSound"}};

template <class T>
T* MakeFrom(const LoadTable& table, const char* key)
{
    const std::string name = table.GetString(key, "");
    return name.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<T>(name);
}

}  // namespace

SoundPak* WeaponEnchantment::GetSwipeSound() const { return m_swipeSound.Get(); }
SoundPak* WeaponEnchantment::GetHitSound() const { return m_hitSound.Get(); }
ProjectileBase* WeaponEnchantment::GetProjectile() const { return m_projectile.Get(); }

void WeaponEnchantment::Load(const std::string& recordName)
{
    m_recordName = recordName;
    if (m_kind == 0)
        return;
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return;
    m_trailName = table->GetString("weaponTrail", "");
    m_effectName = table->GetString("weaponEffect", "");
    m_activeEffectName = table->GetString("weaponActiveEffect", "");
    m_useTint = table->GetBool("useWeaponTint", false);
    if (m_useTint)
        m_tint = Color{table->GetFloat("weaponTintRed", 0.0f) / kTintScale,
                       table->GetFloat("weaponTintGreen", 0.0f) / kTintScale,
                       table->GetFloat("weaponTintBlue", 0.0f) / kTintScale,
                       table->GetFloat("weaponTintAlpha", 0.0f) / kTintScale};
    if (m_kind >= 1 && m_kind <= 3) {
        const SoundKeys& keys = kSoundKeys[m_kind - 1];
        m_swipeSound.Reset(MakeFrom<SoundPak>(*table, keys.swipe));
        m_hitSound.Reset(MakeFrom<SoundPak>(*table, keys.hit));
    }
    if (m_kind == 2) {
        m_projectileName = table->GetString("projectileName", "");
        m_projectile.Reset(MakeFrom<ProjectileBase>(*table, "projectileName"));
    }
}

void WeaponEnchantment::PreLoad(bool flag)
{
    for (SoundPak* sound : {GetSwipeSound(), GetHitSound()})
        if (sound)
            sound->PreLoad(flag);
    if (ProjectileBase* projectile = GetProjectile())
        projectile->PreLoad(flag);
}

}  // namespace GAME
