// What the attribute store tests share: generators that script or record their draws, an
// accumulator that hands out a scripted generator, and a store's lines and objects in a
// form that compares plainly.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "DamageAttributeTestUtil.h"
#include "Game/combat/DamageAttributeStore.h"

namespace GAME {

// Gives the scripted float draws in turn (the low end once they run out) and remembers the
// range of every draw asked for.
class StoreScriptedRandom : public RandomUniform {
public:
    float FGenerate(float min, float max) override
    {
        ranges.emplace_back(min, max);
        if (draws.empty())
            return min;
        const float draw = draws.front();
        draws.pop_front();
        return draw;
    }
    std::deque<float> draws;
    std::vector<std::pair<float, float>> ranges;
};

// Draws as a seeded generator does and remembers the spread of every whole-number draw
// (loot jitter draws one per value it moves).
class StoreSpreadRecorder : public RandomUniform {
public:
    int IGenerate(int min, int max) override
    {
        spreads.emplace_back(min, max);
        return RandomUniform::IGenerate(min, max);
    }
    std::vector<std::pair<int, int>> spreads;
};

// An attack whose generator is scripted; its chance tests are counted and pass.
class StoreScriptedAccumulator : public CombatAttributeAccumulator {
public:
    RandomUniform& GetRandomGen() override { return random; }
    bool EvaluateChance(float) override
    {
        ++chanceTests;
        return true;
    }
    StoreScriptedRandom random;
    int chanceTests = 0;
};

// The store's three text lists at a level, each as plain text.
inline std::array<std::vector<std::string>, 3> StoreLines(const DamageAttributeStore& store, unsigned level)
{
    DamageAttribute::TextList texts1, texts2, texts3;
    store.CreateText(texts1, texts2, texts3, level);
    return {Utf8Lines(texts1), Utf8Lines(texts2), Utf8Lines(texts3)};
}

// Each per-attack object of a list: its type and amount (0 when it has none).
inline std::vector<std::pair<uint32_t, float>> StoreObjects(const CombatAttributeList& list)
{
    std::vector<std::pair<uint32_t, float>> out;
    for (const auto& object : list) {
        const auto* amount = dynamic_cast<const CombatAttributeDamageAmount*>(object.get());
        out.emplace_back(object->GetType(), amount ? amount->GetDamage() : 0.0f);
    }
    return out;
}

inline size_t StoreSize(const DamageAttributeStore& store)
{
    return store.GetAttributes().size() + store.GetGlobalAndAttributes().size() +
           store.GetGlobalXorAttributes().size();
}

}  // namespace GAME
