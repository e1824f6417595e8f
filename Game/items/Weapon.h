// A weapon: melee, hunting, magical, or a shield. For now it names the projectile it
// fires.
#pragma once

#include <string>

#include "Game/items/ItemEquipment.h"

namespace GAME {

class Weapon : public ItemEquipment {
    GAME_DECLARE_CLASS(Weapon)

public:
    void Load(const LoadTable& table) override;

    // The record name of the projectile the weapon fires; empty when none.
    const std::string& GetProjectileName() const { return m_basicProjectileName; }
    void SetBasicProjectileName(const std::string& recordName) { m_basicProjectileName = recordName; }

private:
    std::string m_basicProjectileName;
};

}  // namespace GAME
