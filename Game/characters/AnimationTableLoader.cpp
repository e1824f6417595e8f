#include "Game/characters/AnimationTableLoader.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

namespace {

constexpr const char* kPrefixes[AnimationStyle_Count] = {"unarmed", "sHanded", "dHanded", "spear", "bow", "staff"};
constexpr int kTableSpecialAttacks[AnimationStyle_Count] = {10, 15, 15, 15, 10, 10};

// A stem read as one single entry: the file key, and the speed key formed by appending
// "Speed".
struct SingleStem {
    AnimationSet_Type type;
    const char* file;
};

constexpr SingleStem kMiddleStems[] = {
    {AnimationSet_Run, "RunAnim"},
    {AnimationSet_Walk, "WalkAnim"},
    {AnimationSet_Pickup, "PickupAnim"},
    {AnimationSet_PassItem, "PassItemAnim"},
    {AnimationSet_Chat, "ChatAnim"},
    {AnimationSet_Stun, "StunAnim"},
    {AnimationSet_CriticalHit, "CriticalHitAnim"},
};

constexpr SingleStem kLastStems[] = {
    {AnimationSet_Spawn, "SpawnAnim"},
    {AnimationSet_Respawn, "RespawnAnim"},
    {AnimationSet_AttTurnRight90, "AttTurnRight90Anim"},
    {AnimationSet_AttTurnLeft90, "AttTurnLeft90Anim"},
    {AnimationSet_AttTurnRight180, "AttTurnRight180Anim"},
    {AnimationSet_AttTurnLeft180, "AttTurnLeft180Anim"},
    {AnimationSet_TurnRight90, "TurnRight90Anim"},
    {AnimationSet_TurnLeft90, "TurnLeft90Anim"},
    {AnimationSet_TurnRight180, "TurnRight180Anim"},
    {AnimationSet_TurnLeft180, "TurnLeft180Anim"},
};

// A weighted stem, n = 1 to 3: file, speed and weight keys each followed by n.
struct WeightedStem {
    AnimationSet_Type type;
    const char* file;
    const char* speed;
    const char* weight;
};

// The keys of one look-up, built in strings kept for the whole set: a set reads some two
// hundred keys, and building each in a new string cost more than looking it up.
struct KeyNames {
    std::string file, speed, weight, reference;

    static const std::string& Build(std::string& out, const std::string& prefix, const char* stem,
                                    const char* suffix = "")
    {
        return out.assign(prefix).append(stem).append(suffix);
    }
};

void LoadSingles(const LoadTable& table, AnimationSet& set, const std::string& prefix, const SingleStem* stems,
                 size_t count, KeyNames& keys)
{
    for (size_t i = 0; i < count; ++i) {
        KeyNames::Build(keys.file, prefix, stems[i].file);
        KeyNames::Build(keys.speed, prefix, stems[i].file, "Speed");
        LoadTableAnimation(table, set, stems[i].type, keys.file, keys.speed, 0.0f, nullptr);
    }
}

void LoadWeighted(const LoadTable& table, AnimationSet& set, const std::string& prefix, const WeightedStem& stem,
                  int first, int last, KeyNames& keys)
{
    static constexpr const char* kNumbers[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int n = first; n <= last; ++n) {
        const char* number = kNumbers[n];
        LoadTableAnimation(table, set, stem.type, KeyNames::Build(keys.file, prefix, stem.file, number),
                           KeyNames::Build(keys.speed, prefix, stem.speed, number),
                           KeyNames::Build(keys.weight, prefix, stem.weight, number));
    }
}

}  // namespace

const char* GetAnimationStylePrefix(int style)
{
    return style >= 0 && style < AnimationStyle_Count ? kPrefixes[style] : "";
}

int GetTableSpecialAttacks(int style)
{
    return style >= 0 && style < AnimationStyle_Count ? kTableSpecialAttacks[style] : 0;
}

void LoadTableAnimation(const LoadTable& table, AnimationSet& set, AnimationSet_Type type, const std::string& fileKey,
                        const std::string& speedKey, float weight, const char* referenceKey)
{
    const char* file = table.GetString(fileKey.c_str(), "");
    const char* reference = referenceKey ? table.GetString(referenceKey, "") : "";
    const float speed = table.GetFloat(speedKey.c_str(), 1.0f);
    set.AddAnimation(type, file, speed, weight, reference);
}

void LoadTableAnimation(const LoadTable& table, AnimationSet& set, AnimationSet_Type type, const std::string& fileKey,
                        const std::string& speedKey, const std::string& weightKey)
{
    LoadTableAnimation(table, set, type, fileKey, speedKey, table.GetFloat(weightKey.c_str(), 0.0f), nullptr);
}

void LoadStyleAnimationSet(const LoadTable& table, AnimationSet& set, int style, int specialAttacks)
{
    const std::string p = GetAnimationStylePrefix(style);
    if (p.empty())
        return;
    specialAttacks = std::clamp(specialAttacks, 0, kMaxSpecialAttacks);

    KeyNames keys;
    const auto single = [&](AnimationSet_Type type, const char* file, const char* speed, float weight) {
        LoadTableAnimation(table, set, type, KeyNames::Build(keys.file, p, file), KeyNames::Build(keys.speed, p, speed),
                           weight, nullptr);
    };
    single(AnimationSet_AttackIdle, "AttackIdleAnim", "AttackIdleAnimSpeed", 100.0f);
    LoadWeighted(table, set, p, {AnimationSet_AttackIdle, "AttackIdleAnim", "AttackIdleAnimSpeed", "AttackIdleAnimWeight"},
                 2, 5, keys);
    // The idle-transition speed key is spelled with "Tran", its file key with "Trans".
    single(AnimationSet_IdleTransition, "IdleTransAnim", "IdleTranAnimSpeed", 0.0f);
    single(AnimationSet_LongIdle, "LongIdleAnim", "LongIdleAnimSpeed", 0.0f);
    LoadWeighted(table, set, p, {AnimationSet_Fidget, "FidgetAnim", "FidgetAnimSpeed", "FidgetAnimWeight"}, 1, 3, keys);
    LoadSingles(table, set, p, kMiddleStems, std::size(kMiddleStems), keys);
    LoadWeighted(table, set, p, {AnimationSet_Die, "DieAnim", "DieAnimSpeed", "DieAnimWeight"}, 1, 3, keys);
    LoadWeighted(table, set, p, {AnimationSet_BuffSelf, "BuffSelfAnim", "BuffSelfSpeed", "BuffSelfWeight"}, 1, 3, keys);
    LoadWeighted(table, set, p, {AnimationSet_BuffOther, "BuffOtherAnim", "BuffOtherSpeed", "BuffOtherWeight"}, 1, 3,
                 keys);
    single(AnimationSet_SpellCast, "SpellAttackAnim", "SpellAttackAnimSpeed", 0.0f);
    LoadWeighted(table, set, p, {AnimationSet_Attack, "AttackAnim", "AttackAnimSpeed", "AttackAnimWeight"}, 1, 3, keys);
    for (int n = 1; n <= specialAttacks; ++n) {
        const std::string number = std::to_string(n);
        KeyNames::Build(keys.reference, p, "SpecialAnimRef", number.c_str());
        LoadTableAnimation(table, set, AnimationSet_Special, KeyNames::Build(keys.file, p, "SpecialAnim", number.c_str()),
                           KeyNames::Build(keys.speed, p, "SpecialAnimSpeed", number.c_str()), 0.0f,
                           keys.reference.c_str());
    }
    LoadSingles(table, set, p, kLastStems, std::size(kLastStems), keys);
}

bool LoadAnimationTable(const std::string& recordName, AnimationSet* unarmed, AnimationSet* singleHanded,
                        AnimationSet* dualWielded, AnimationSet* spear, AnimationSet* bow, AnimationSet* staff)
{
    if (recordName.empty())
        return false;
    ObjectManager& objects = ObjectManager::Get();
    if (!objects.LoadTableFile(recordName))
        return false;
    const LoadTable* table = objects.GetLoadTable(recordName);
    if (!table)
        return false;
    const std::pair<AnimationSet*, int> sets[] = {
        {unarmed, AnimationStyle_Unarmed}, {singleHanded, AnimationStyle_SingleHanded},
        {dualWielded, AnimationStyle_DualWielded}, {spear, AnimationStyle_Spear},
        {bow, AnimationStyle_Bow}, {staff, AnimationStyle_Staff},
    };
    for (const auto& [set, style] : sets)
        if (set)
            LoadStyleAnimationSet(*table, *set, style, GetTableSpecialAttacks(style));
    return true;
}

}  // namespace GAME
