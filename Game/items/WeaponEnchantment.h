// The visual enchantment a skill lays on a weapon: trail, effects, tint, the sounds of
// the weapon's kind and, for a bow, a projectile. Owned by one weapon.
#pragma once

#include <string>

#include "Engine/Math.h"
#include "Game/items/EquipmentKind.h"

namespace GAME {

class ProjectileBase;
class SoundPak;

class WeaponEnchantment {
public:
    // `kind` is the weapon's enchantment kind: 0 reads nothing, 1 melee, 2 bow, 3 staff.
    explicit WeaponEnchantment(int kind) : m_kind(kind) {}
    // Destroys the sounds and the projectile through the object manager.
    ~WeaponEnchantment() = default;
    WeaponEnchantment(const WeaponEnchantment&) = delete;
    WeaponEnchantment& operator=(const WeaponEnchantment&) = delete;

    // Keeps the record name and, for a kind other than 0, reads the record's keys; a
    // record that does not load leaves everything empty.
    void Load(const std::string& recordName);
    // The two sounds, then the projectile.
    void PreLoad(bool flag);

    const std::string& GetRecordName() const { return m_recordName; }
    int GetKind() const { return m_kind; }
    const std::string& GetTrailName() const { return m_trailName; }
    const std::string& GetEffectName() const { return m_effectName; }
    const std::string& GetActiveEffectName() const { return m_activeEffectName; }
    bool UsesTint() const { return m_useTint; }
    const Color& GetTint() const { return m_tint; }
    SoundPak* GetSwipeSound() const;
    SoundPak* GetHitSound() const;
    const std::string& GetProjectileName() const { return m_projectileName; }
    ProjectileBase* GetProjectile() const;

private:
    std::string m_recordName;
    int m_kind = 0;
    std::string m_trailName;
    std::string m_effectName;
    std::string m_activeEffectName;
    bool m_useTint = false;
    Color m_tint{1.0f, 1.0f, 1.0f, 1.0f};
    OwnedObject<SoundPak> m_swipeSound;
    OwnedObject<SoundPak> m_hitSound;
    std::string m_projectileName;
    OwnedObject<ProjectileBase> m_projectile;
};

}  // namespace GAME
