// A random source for tests: gives the scripted values in order, then the low end of each
// range; remembers the whole-number ranges asked for.
#pragma once

#include <deque>
#include <utility>
#include <vector>

#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

class ScriptedRandom : public RandomUniform {
public:
    int IGenerate(int min, int max) override
    {
        ranges.emplace_back(min, max);
        if (ints.empty())
            return min;
        const int value = ints.front();
        ints.pop_front();
        return value;
    }
    float FGenerate(float min, float /*max*/) override
    {
        if (floats.empty())
            return min;
        const float value = floats.front();
        floats.pop_front();
        return value;
    }
    std::deque<int> ints;
    std::deque<float> floats;
    std::vector<std::pair<int, int>> ranges;
};

}  // namespace GAME
