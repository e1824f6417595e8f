// A character that remembers what an attack asked of it, for the combat tests.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/items/ItemEquipment.h"

namespace GAME {

class CombatTestCharacter : public Character {
    GAME_DECLARE_CLASS(CombatTestCharacter)

public:
    struct Joined {
        uint32_t leaderId;
        int durationMs;
        bool convert;
        bool operator==(const Joined&) const = default;
    };

    void CombatExertInfluenceFear(int durationMs) override { fearMs.push_back(durationMs); }
    void CombatExertInfluenceConfusion(int durationMs) override { confusionMs.push_back(durationMs); }
    void CombatExertInfluenceTaunt(float value) override { taunts.push_back(value); }
    void JoinMe(uint32_t leaderId, int durationMs, bool convert) override
    {
        joined.push_back({leaderId, durationMs, convert});
    }
    float GetDefenseAttributeCap() const override { return defenseCap; }
    void UnderAttack(uint32_t attackerId) override { attackedBy.push_back(attackerId); }
    void ContributeRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& out) const override
    {
        for (const std::string& race : races)
            if (race == racialDefenseRace) {
                out.percent += racialDefense.percent;
                out.absolute += racialDefense.absolute;
            }
    }

    std::vector<int> fearMs;
    std::vector<int> confusionMs;
    std::vector<float> taunts;
    std::vector<Joined> joined;
    float defenseCap = 0.0f;
    std::vector<uint32_t> attackedBy;
    std::string racialDefenseRace;
    RacialBonus_Defense racialDefense;
};

// An item that gives its wearer the defences and retaliation it holds (a clone each
// time it is asked).
class CombatTestItem : public ItemEquipment {
    GAME_DECLARE_CLASS(CombatTestItem)

public:
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const override
    {
        for (const auto& defense : defenses)
            accumulator.AddDefense(defense->Clone());
    }
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override
    {
        for (const auto& damage : retaliation)
            accumulator.AddDamage(damage->Clone());
    }

    std::vector<std::unique_ptr<CombatAttribute>> defenses;
    std::vector<std::unique_ptr<CombatAttribute>> retaliation;
};

// Makes a live character with the given level, life and mana.
inline CombatTestCharacter* MakeCombatCharacter(uint32_t level = 1, float life = 1000.0f, float mana = 0.0f)
{
    auto* character = DynamicCast<CombatTestCharacter>(ObjectManager::Get().CreateObject("CombatTestCharacter"));
    character->SetCharLevel(level);
    character->SetLifeLimit(life);
    character->SetCurrentLife(life);
    character->SetCurrentMana(mana);
    return character;
}

}  // namespace GAME
