// Designer formulas: one evaluation of a record-style formula whose names are bound to the
// owner's slots, the same formula with an owner that answers by name at every evaluation,
// and the same arithmetic written in C++, plus one parse for reference. Every heap
// allocation in the program is counted; evaluation must report zero per iteration.
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

struct CombatInputs {
    float level = 12, bonus = 40, offense = 350, defense = 280, attackerLevel = 14, defenderLevel = 11;

    // The next input, so that no two evaluations in a row see the same values.
    void Step() { level = level < 70 ? level + 1 : 1; }
};

// Binds each name once to one of its fields, the way the game's owners do.
class BoundOwner : public EquationInterface_Algebra, public CombatInputs {
public:
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override
    {
        using Slot = DesignerVariableSlot<float>;
        return FindDesignerVariable<float>(name, {
            {"level", Slot::Of(level)},
            {"bonus", Slot::Of(bonus)},
            {"offense", Slot::Of(offense)},
            {"defense", Slot::Of(defense)},
            {"attackerLevel", Slot::Of(attackerLevel)},
            {"defenderLevel", Slot::Of(defenderLevel)},
        });
    }
};

// Answers by name at every evaluation: a chain of string compares behind a virtual call.
class ByNameOwner : public EquationInterface_Algebra, public CombatInputs {
public:
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

template <class Owner>
void EvaluateFormula(benchmark::State& state, const char* text)
{
    Owner owner;
    DesignerEquation_Algebra formula;
    if (!formula.ParseEquation(text, &owner)) {
        state.SkipWithError("formula did not parse");
        return;
    }
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(formula());
        owner.Step();
    }
    ReportAllocations(state, before);
}

void BM_FormulaEvaluateExperience(benchmark::State& state) { EvaluateFormula<BoundOwner>(state, kExperienceFormula); }
void BM_FormulaEvaluateHitChance(benchmark::State& state) { EvaluateFormula<BoundOwner>(state, kHitChanceFormula); }
void BM_FormulaByNameExperience(benchmark::State& state) { EvaluateFormula<ByNameOwner>(state, kExperienceFormula); }
void BM_FormulaByNameHitChance(benchmark::State& state) { EvaluateFormula<ByNameOwner>(state, kHitChanceFormula); }

// The same arithmetic written in C++, reading the owner's fields through a pointer the
// compiler cannot see through.
void BM_FormulaArithmeticExperience(benchmark::State& state)
{
    CombatInputs owner;
    CombatInputs* source = &owner;
    benchmark::DoNotOptimize(source);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::pow(source->level, 2.5f) * (32 + source->level * 4) + source->bonus * 0.5f);
        owner.Step();
    }
}

void BM_FormulaArithmeticHitChance(benchmark::State& state)
{
    CombatInputs owner;
    CombatInputs* source = &owner;
    benchmark::DoNotOptimize(source);
    for (auto _ : state) {
        benchmark::DoNotOptimize((source->offense / (source->offense + source->defense)) * 90 +
                                 (source->attackerLevel - source->defenderLevel) * 2);
        owner.Step();
    }
}

void BM_FormulaParse(benchmark::State& state)
{
    BoundOwner owner;
    DesignerEquation_Algebra formula;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state)
        benchmark::DoNotOptimize(formula.ParseEquation(kExperienceFormula, &owner));
    ReportAllocations(state, before);
}

BENCHMARK(BM_FormulaEvaluateExperience);
BENCHMARK(BM_FormulaArithmeticExperience);
BENCHMARK(BM_FormulaEvaluateHitChance);
BENCHMARK(BM_FormulaArithmeticHitChance);
BENCHMARK(BM_FormulaByNameExperience);
BENCHMARK(BM_FormulaByNameHitChance);
BENCHMARK(BM_FormulaParse);

}  // namespace
