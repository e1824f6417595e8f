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

void LoadSingles(const LoadTable& table, AnimationSet& set, const std::string& prefix, const SingleStem* stems,
                 size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const std::string file = prefix + stems[i].file;
        LoadTableAnimation(table, set, stems[i].type, file, file + "Speed", 0.0f, nullptr);
    }
}

void LoadWeighted(const LoadTable& table, AnimationSet& set, const std::string& prefix, const WeightedStem& stem,
                  int first, int last)
{
    for (int n = first; n <= last; ++n) {
        const std::string number = std::to_string(n);
        LoadTableAnimation(table, set, stem.type, prefix + stem.file + number, prefix + stem.speed + number,
                           prefix + stem.weight + number);
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

    LoadTableAnimation(table, set, AnimationSet_AttackIdle, p + "AttackIdleAnim", p + "AttackIdleAnimSpeed", 100.0f,
                       nullptr);
    LoadWeighted(table, set, p, {AnimationSet_AttackIdle, "AttackIdleAnim", "AttackIdleAnimSpeed", "AttackIdleAnimWeight"},
                 2, 5);
    // The idle-transition speed key is spelled with "Tran", its file key with "Trans".
    LoadTableAnimation(table, set, AnimationSet_IdleTransition, p + "IdleTransAnim", p + "IdleTranAnimSpeed", 0.0f,
                       nullptr);
    LoadTableAnimation(table, set, AnimationSet_LongIdle, p + "LongIdleAnim", p + "LongIdleAnimSpeed", 0.0f, nullptr);
    LoadWeighted(table, set, p, {AnimationSet_Fidget, "FidgetAnim", "FidgetAnimSpeed", "FidgetAnimWeight"}, 1, 3);
    LoadSingles(table, set, p, kMiddleStems, std::size(kMiddleStems));
    LoadWeighted(table, set, p, {AnimationSet_Die, "DieAnim", "DieAnimSpeed", "DieAnimWeight"}, 1, 3);
    LoadWeighted(table, set, p, {AnimationSet_BuffSelf, "BuffSelfAnim", "BuffSelfSpeed", "BuffSelfWeight"}, 1, 3);
    LoadWeighted(table, set, p, {AnimationSet_BuffOther, "BuffOtherAnim", "BuffOtherSpeed", "BuffOtherWeight"}, 1, 3);
    LoadTableAnimation(table, set, AnimationSet_SpellCast, p + "SpellAttackAnim", p + "SpellAttackAnimSpeed", 0.0f,
                       nullptr);
    LoadWeighted(table, set, p, {AnimationSet_Attack, "AttackAnim", "AttackAnimSpeed", "AttackAnimWeight"}, 1, 3);
    for (int n = 1; n <= specialAttacks; ++n) {
        const std::string number = std::to_string(n);
        const std::string reference = p + "SpecialAnimRef" + number;
        LoadTableAnimation(table, set, AnimationSet_Special, p + "SpecialAnim" + number,
                           p + "SpecialAnimSpeed" + number, 0.0f, reference.c_str());
    }
    LoadSingles(table, set, p, kLastStems, std::size(kLastStems));
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
