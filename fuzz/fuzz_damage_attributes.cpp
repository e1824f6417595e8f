// Damage attributes from any record text: every kind loads from it, then takes jitter and
// scaling (both percents from the input), writes its texts at levels 0, 1 and the
// largest, adds its cost, and adds its damage and modifiers to a seeded attack. Any
// number that comes out not finite is a failure.
//
// Input: the jitter percent, the scale percent (each four bytes of a float; one that is
// not finite counts as 0) and a seed byte, then the record text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/DamageAttributeStore.h"

using namespace GAME;

namespace {

constexpr size_t kHeaderSize = 9;
constexpr unsigned kLevels[] = {0u, 1u, 4294967295u};

float FiniteFloat(const uint8_t* bytes)
{
    float value = 0.0f;
    std::memcpy(&value, bytes, sizeof(value));
    return std::isfinite(value) ? value : 0.0f;
}

void Require(bool finite)
{
    if (!finite)
        std::abort();
}

void RequireFinite(float value) { Require(std::isfinite(value)); }

void CheckObjects(const CombatAttributeList& objects)
{
    for (const auto& object : objects) {
        float absolute = 0.0f;
        float overTime = 0.0f;
        object->GetTotalDamage(absolute, overTime);
        RequireFinite(absolute);
        RequireFinite(overTime);
        if (const auto* amount = dynamic_cast<const CombatAttributeDamageAmount*>(object.get()))
            RequireFinite(amount->GetDamage());
        if (const auto* dot = dynamic_cast<const CombatAttributeDurDamage*>(object.get()))
            RequireFinite(dot->GetDuration());
        if (const auto* burn = dynamic_cast<const CombatAttributeAbsDamage_ManaBurn*>(object.get()))
            RequireFinite(burn->GetRatio());
        if (const auto* hit = dynamic_cast<const CombatAttributeDamage_BasePhysical*>(object.get())) {
            RequireFinite(hit->GetPhysical());
            RequireFinite(hit->GetPierceRatio());
        }
    }
}

void CheckTexts(const DamageAttribute::TextList& lines)
{
    for (const std::u16string& line : lines) {
        const std::string text = LocalizationManager::ToChar(line);
        Require(text.find("inf") == std::string::npos && text.find("nan") == std::string::npos);
    }
}

void Exercise(DamageAttribute& attribute, float jitter, float scale, uint8_t seed)
{
    RandomUniform rng;
    rng.Seed(seed);
    attribute.AddJitter(jitter, &rng);
    attribute.ScaleAttribute(scale);

    DamageAttribute::TextList texts1, texts2, texts3;
    for (bool hide : {false, true}) {
        attribute.SetHideChanceIndentLine(hide);
        for (unsigned level : kLevels) {
            attribute.CreateText(texts1, texts2, texts3, level);
            attribute.CreateNextText(texts1, texts2, texts3, level, level + 1u);
        }
    }
    CheckTexts(texts1);
    CheckTexts(texts2);
    CheckTexts(texts3);

    CostInfo_DamageAttributes cost;
    attribute.GetCostInfo(cost);
    attribute.GetCostInfo(cost);
    for (float total : {cost.avgBase, cost.avgPierceRatio, cost.avgBonus, cost.avgOverTime, cost.mod, cost.modDur})
        RequireFinite(total);

    for (unsigned level : kLevels) {
        RequireFinite(attribute.GetChance(level));
        for (bool force : {false, true}) {
            CombatAttributeAccumulator acc;
            acc.SetSeed(seed + level);
            attribute.AddDamageToAccumulator(acc, level, acc.GetRandomGen(), force);
            attribute.AddModifierToAccumulator(acc, level, acc.GetRandomGen(), force);
            CheckObjects(acc.GetDamages());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    std::string root = __FILE__;
    root = root.substr(0, root.rfind("/fuzz/"));
    LocalizationManager::Instance().LoadFile(root + "/data/Text/English.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize)
        return 0;
    const float jitter = FiniteFloat(data);
    const float scale = FiniteFloat(data + 4);
    const uint8_t seed = data[8];
    LoadTable record("Records/Fuzz.dbr");
    record.Parse(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize, "Records/Fuzz.dbr");

    DamageAttributeStore store;
    for (const DamageAttributeKind& kind : GetDamageAttributeKinds())
        DamageAttribute::Load(kind.create(), store, record);
    for (const auto* list : {&store.GetAttributes(), &store.GetGlobalAndAttributes(), &store.GetGlobalXorAttributes()})
        for (const auto& attribute : *list)
            Exercise(*attribute, jitter, scale, seed);
    DamageAttributeStore copy(store);
    return 0;
}
