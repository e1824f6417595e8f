#include "Game/items/WeaponArmor_Shield.h"

#include <string>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatArithmetic.h"

namespace GAME {

namespace {

// A percentage modifier applied to a value; a sum of exactly 0 leaves it as it is.
float Modified(float value, float percent) { return percent != 0.0f ? value * (1.0f + percent * 0.01f) : value; }

float SumOver(const LoadTable* prefix, const LoadTable* suffix, const char* key)
{
    float sum = 0.0f;
    for (const LoadTable* table : {prefix, suffix})
        if (table)
            sum += table->GetFloat(key, 0.0f);
    return sum;
}

}  // namespace

void WeaponArmor_Shield::Load(const LoadTable& table)
{
    Weapon::Load(table);
    const std::string sound = table.GetString("blockSound", "");
    m_blockSound.Reset(sound.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<SoundPak>(sound));
    SetShieldValues(table.GetFloat("defensiveBlockChance", 0.0f), table.GetFloat("defensiveBlock", 0.0f),
                    table.GetFloat("blockAbsorption", 0.0f), table.GetFloat("blockRecoveryTime", 0.0f));
    // The cost formula reads the values as the record gives them.
    m_shieldBlockCost.blockChance = m_recordBlockChance;
    m_shieldBlockCost.blockDefense = m_recordBlockDefense;
    m_shieldBlockCost.blockAbsorption = m_blockAbsorption;
    m_shieldBlockCost.blockRecoveryTime = m_blockRecoveryTime;
}

void WeaponArmor_Shield::PreLoad(bool flag)
{
    Weapon::PreLoad(flag);
    if (SoundPak* sound = m_blockSound.Get())
        sound->PreLoad(flag);
}

void WeaponArmor_Shield::AttachItem(Character& character, const std::string& bone)
{
    SetScale(AttachScale(character));
    Weapon::AttachItem(character, bone);
}

void WeaponArmor_Shield::DetachItem(Character& character)
{
    SetScale(DetachScale());
    Weapon::DetachItem(character);
}

void WeaponArmor_Shield::SetShieldValues(float blockChance, float blockDefense, float blockAbsorption,
                                         float recoverySeconds)
{
    m_recordBlockChance = m_blockChance = blockChance;
    m_recordBlockDefense = m_blockDefense = blockDefense;
    m_blockAbsorption = blockAbsorption;
    m_blockRecoveryTime = recoverySeconds;
}

void WeaponArmor_Shield::InitializeEquipmentSpecial(const LoadTable* prefix, const LoadTable* suffix)
{
    m_blockChance = Modified(m_recordBlockChance, SumOver(prefix, suffix, "shieldBlockChanceModifier"));
    m_blockDefense = Modified(m_recordBlockDefense, SumOver(prefix, suffix, "shieldBlockModifier"));
}

void WeaponArmor_Shield::GetUIArmorSpecificText(std::vector<GameTextLine>& lines) const
{
    lines.emplace_back(GameTextClass::ItemBaseStats,
                       LocalizationManager::Instance().Format("tagShieldBlockInfo", m_blockChance, m_blockDefense),
                       false);
}

int WeaponArmor_Shield::GetShieldRecoveryTime() const { return CombatArithmetic::SecondsToMs(m_blockRecoveryTime); }

void WeaponArmor_Shield::PlayBlockSound(const WorldVec3& where)
{
    if (SoundPak* sound = m_blockSound.Get())
        sound->Play(where, 0, true);
}

}  // namespace GAME
