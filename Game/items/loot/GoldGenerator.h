// Turns a gold record into gold piles: an amount from designer formulas held to the
// record's range, split into piles, each an item identity of one of the record's gold
// items with the pile's amount, for the caller to create.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/core/GameTypes.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/items/ItemReplicaInfo.h"

namespace GAME {

class RandomUniform;

class GoldGenerator : public EquationInterface_Algebra {
public:
    static constexpr float kDefaultChance = 100.0f;
    // The most piles one drop splits into: each becomes an object in the world, and a
    // record's split count sizes the split's loop.
    static constexpr int kMaxPiles = 100;

    GoldGenerator() = default;

    void LoadFromDatabase(const std::string& recordName);
    void SetChance(float chance) { m_chance = chance; }
    void SetGeneratorLevel(float level);
    void SetPlayerLevel(float level);
    // Kept for the record; no formula reads it.
    void SetMonsterExperience(float experience);

    // Appends the piles, drawing from the game's generator; nothing without a game.
    void RunGenerator(std::vector<ItemReplicaInfo>& piles);
    // The same with the given generator.
    void RunGenerator(std::vector<ItemReplicaInfo>& piles, RandomUniform& random);

    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

private:
    void SplitAmount(int amount, std::vector<int>& piles, RandomUniform& random) const;

    float m_chance = kDefaultChance;
    PlayerInfo m_playerInfo;
    uint32_t m_currentPlayerLevel = 0;
    uint32_t m_generatorLevel = 0;
    uint32_t m_monsterExperience = 0;
    DesignerEquation_Algebra m_amountFormula;
    DesignerEquation_Algebra m_amountFormula2;
    bool m_hasAmount = false;
    bool m_hasAmount2 = false;
    int m_valueMin = 0;
    int m_valueMax = 0;
    int m_splitMin = 0;
    int m_splitMax = 0;
    int m_splitSizeMin = 0;
    std::vector<std::string> m_goldActors;
};

}  // namespace GAME
