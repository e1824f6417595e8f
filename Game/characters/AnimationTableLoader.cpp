#include "Game/characters/AnimationTableLoader.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/RecordKept.h"

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

// One animation a style's keys name: what is added to the set, in reading order.
struct StyleAnimation {
    AnimationSet_Type type;
    std::string file;
    float speed;
    float weight;
    std::string reference;
};
using StyleAnimations = std::vector<StyleAnimation>;

// What every set made from one record and style reads is kept with the record under this.
constexpr char kStyleAnimationsKind = 0;

// Reads one style's keys into the animations they name. The keys of one look-up are built
// in strings kept for the whole set: a set reads some two hundred keys, and building each
// in a new string cost more than looking it up.
class StyleReader {
public:
    StyleReader(const LoadTable& table, const char* prefix) : m_table(table), m_prefix(prefix) {}

    // The file under `file`, the speed under `speed` (1.0 when absent), the reference under
    // `reference` when there is one and the weight given; each key is the prefix, the stem
    // and `suffix` (the speed key then `speedTail`). An entry without a file adds nothing to
    // a set, so none is kept.
    void Read(AnimationSet_Type type, const char* file, const char* speed, float weight, const char* suffix = "",
              const char* reference = nullptr, const char* speedTail = "")
    {
        const char* fileName = m_table.GetString(Build(m_file, file, suffix), "");
        const char* referenceName = reference ? m_table.GetString(Build(m_reference, reference, suffix), "") : "";
        const float playSpeed = m_table.GetFloat(Build(m_speed, speed, suffix, speedTail), 1.0f);
        if (*fileName)
            m_read.push_back({type, fileName, playSpeed, weight, referenceName});
    }
    // The same with the weight under `weight` + suffix (0.0 when absent).
    void ReadWeighted(AnimationSet_Type type, const char* file, const char* speed, const char* weight,
                      const char* suffix)
    {
        Read(type, file, speed, m_table.GetFloat(Build(m_weight, weight, suffix), 0.0f), suffix);
    }
    // A weighted stem from entry `first` to `last` (at most 9).
    void ReadNumbered(AnimationSet_Type type, const char* file, const char* speed, const char* weight, int first,
                      int last)
    {
        static constexpr const char* kNumbers[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
        for (int n = first; n <= last; ++n)
            ReadWeighted(type, file, speed, weight, kNumbers[n]);
    }
    // Stems read as one single entry each, the speed key formed by appending "Speed".
    void ReadSingles(const SingleStem* stems, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Read(stems[i].type, stems[i].file, stems[i].file, 0.0f, "", nullptr, "Speed");
    }
    StyleAnimations Take() { return std::move(m_read); }

private:
    const char* Build(std::string& out, const char* stem, const char* suffix, const char* tail = "")
    {
        return out.assign(m_prefix).append(stem).append(suffix).append(tail).c_str();
    }

    const LoadTable& m_table;
    const std::string m_prefix;
    std::string m_file, m_speed, m_weight, m_reference;
    StyleAnimations m_read;
};

StyleAnimations ReadStyleAnimations(const LoadTable& table, int style, int specialAttacks)
{
    StyleReader read(table, GetAnimationStylePrefix(style));
    read.Read(AnimationSet_AttackIdle, "AttackIdleAnim", "AttackIdleAnimSpeed", 100.0f);
    read.ReadNumbered(AnimationSet_AttackIdle, "AttackIdleAnim", "AttackIdleAnimSpeed", "AttackIdleAnimWeight", 2, 5);
    // The idle-transition speed key is spelled with "Tran", its file key with "Trans".
    read.Read(AnimationSet_IdleTransition, "IdleTransAnim", "IdleTranAnimSpeed", 0.0f);
    read.Read(AnimationSet_LongIdle, "LongIdleAnim", "LongIdleAnimSpeed", 0.0f);
    read.ReadNumbered(AnimationSet_Fidget, "FidgetAnim", "FidgetAnimSpeed", "FidgetAnimWeight", 1, 3);
    read.ReadSingles(kMiddleStems, std::size(kMiddleStems));
    read.ReadNumbered(AnimationSet_Die, "DieAnim", "DieAnimSpeed", "DieAnimWeight", 1, 3);
    read.ReadNumbered(AnimationSet_BuffSelf, "BuffSelfAnim", "BuffSelfSpeed", "BuffSelfWeight", 1, 3);
    read.ReadNumbered(AnimationSet_BuffOther, "BuffOtherAnim", "BuffOtherSpeed", "BuffOtherWeight", 1, 3);
    read.Read(AnimationSet_SpellCast, "SpellAttackAnim", "SpellAttackAnimSpeed", 0.0f);
    read.ReadNumbered(AnimationSet_Attack, "AttackAnim", "AttackAnimSpeed", "AttackAnimWeight", 1, 3);
    for (int n = 1; n <= specialAttacks; ++n) {
        const std::string number = std::to_string(n);
        read.Read(AnimationSet_Special, "SpecialAnim", "SpecialAnimSpeed", 0.0f, number.c_str(), "SpecialAnimRef");
    }
    read.ReadSingles(kLastStems, std::size(kLastStems));
    return read.Take();
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

void LoadStyleAnimationSet(const LoadTable& table, AnimationSet& set, int style, int specialAttacks)
{
    if (!*GetAnimationStylePrefix(style))
        return;
    specialAttacks = std::clamp(specialAttacks, 0, kMaxSpecialAttacks);
    const auto animations = RecordKept::Get<StyleAnimations>(
        table, &kStyleAnimationsKind, static_cast<uint32_t>(style * (kMaxSpecialAttacks + 1) + specialAttacks),
        [&](const LoadTable& record) { return ReadStyleAnimations(record, style, specialAttacks); });
    for (const StyleAnimation& animation : *animations)
        set.AddAnimation(animation.type, animation.file, animation.speed, animation.weight,
                         animation.reference.c_str());
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
