#include "Game/items/WeaponArmor_Shield.h"

#include <string>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatArithmetic.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(WeaponArmor_Shield, Weapon)

void WeaponArmor_Shield::Load(const LoadTable& table)
{
    Weapon::Load(table);
    const std::string sound = table.GetString("blockSound", "");
    if (!sound.empty())
        m_blockSound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(sound, 0, true);
    SetShieldValues(table.GetFloat("defensiveBlockChance", 0.0f), table.GetFloat("defensiveBlock", 0.0f),
                    table.GetFloat("blockAbsorption", 0.0f), table.GetFloat("blockRecoveryTime", 0.0f));
}

void WeaponArmor_Shield::SetShieldValues(float blockChance, float blockDefense, float blockAbsorption,
                                         float recoverySeconds)
{
    m_blockChance = blockChance;
    m_blockDefense = blockDefense;
    m_blockAbsorption = blockAbsorption;
    m_blockRecoveryTime = recoverySeconds;
}

int WeaponArmor_Shield::GetShieldRecoveryTime() const
{
    return CombatArithmetic::SecondsToMs(m_blockRecoveryTime);
}

void WeaponArmor_Shield::PlayBlockSound(const WorldVec3& where)
{
    if (m_blockSound)
        m_blockSound->Play(where);
}

}  // namespace GAME
