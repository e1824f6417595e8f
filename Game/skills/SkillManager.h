// The skills of one character. For now it answers what aiming needs: the weapon in
// the character's left hand.
#pragma once

#include <cstdint>

namespace GAME {

class SkillManager {
public:
    // The object id of the weapon in the left hand, 0 when none.
    uint32_t GetLeftHandWeapon() const { return m_leftHandWeapon; }
    void SetLeftHandWeapon(uint32_t weaponId) { m_leftHandWeapon = weaponId; }

private:
    uint32_t m_leftHandWeapon = 0;
};

}  // namespace GAME
