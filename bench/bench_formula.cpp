// Designer formulas: one evaluation of a record-style formula with variables supplied by an
// owner, beside the same expression written in C++, and one parse for reference. Every
// heap allocation in the program is counted; evaluation must report zero per iteration.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include <benchmark/benchmark.h>

#include "Game/core/foundation/DesignerEquation.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

// Experience needed for a level, in the records' fully bracketed style: 13 nodes, two of
// them variables read twice.
constexpr const char* kExperienceFormula = "((level^2.5)*(32+(level*4)))+(bonus*0.5)";

// A chance to hit: 13 nodes, four variables.
constexpr const char* kHitChanceFormula =
    "((offense/(offense+defense))*90)+((attackerLevel-defenderLevel)*2)";

// Answers by name the way game objects do: a chain of string compares.
class CombatOwner : public EquationInterface_Algebra {
public:
    float level = 12, bonus = 40, offense = 350, defense = 280, attackerLevel = 14, defenderLevel = 11;

    bool GetDesignerVariable(const char* name, float& value) override
    {
        const struct { const char* name; float value; } table[] = {
            {"level", level}, {"bonus", bonus}, {"offense", offense}, {"defense", defense},
            {"attackerLevel", attackerLevel}, {"defenderLevel", defenderLevel},
        };
        for (const auto& entry : table) {
            if (std::strcmp(entry.name, name) == 0) {
                value = entry.value;
                return true;
            }
        }
        return false;
    }
};


void EvaluateFormula(benchmark::State& state, const char* text)
{
    CombatOwner owner;
    DesignerEquation_Algebra formula;
    if (!formula.ParseEquation(text, &owner)) {
        state.SkipWithError("formula did not parse");
        return;
    }
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(formula());
        owner.level = owner.level < 70 ? owner.level + 1 : 1;
    }
    ReportAllocations(state, before);
}

void BM_FormulaEvaluateExperience(benchmark::State& state) { EvaluateFormula(state, kExperienceFormula); }
void BM_FormulaEvaluateHitChance(benchmark::State& state) { EvaluateFormula(state, kHitChanceFormula); }

// The experience formula compiled as C++, with the same name look-ups through the owner.
void BM_FormulaNativeExperience(benchmark::State& state)
{
    CombatOwner owner;
    EquationInterface_Algebra* source = &owner;
    benchmark::DoNotOptimize(source);
    for (auto _ : state) {
        float level = 0, level2 = 0, bonus = 0;
        source->GetDesignerVariable("level", level);
        source->GetDesignerVariable("level", level2);
        source->GetDesignerVariable("bonus", bonus);
        benchmark::DoNotOptimize(std::pow(level, 2.5f) * (32 + level2 * 4) + bonus * 0.5f);
        owner.level = owner.level < 70 ? owner.level + 1 : 1;
    }
}

void BM_FormulaParse(benchmark::State& state)
{
    CombatOwner owner;
    DesignerEquation_Algebra formula;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state)
        benchmark::DoNotOptimize(formula.ParseEquation(kExperienceFormula, &owner));
    ReportAllocations(state, before);
}

BENCHMARK(BM_FormulaEvaluateExperience);
BENCHMARK(BM_FormulaEvaluateHitChance);
BENCHMARK(BM_FormulaNativeExperience);
BENCHMARK(BM_FormulaParse);

}  // namespace
