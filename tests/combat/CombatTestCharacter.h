// A character that remembers what an attack asked of it, for the combat tests.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

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

    std::vector<int> fearMs;
    std::vector<int> confusionMs;
    std::vector<float> taunts;
    std::vector<Joined> joined;
    float defenseCap = 0.0f;
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
