// One character's damage over time per frame: several attackers keep poison and fire
// running on it, with a slow, an attack-speed slow and a stun, at 30 frames a second.
// Every attacker hits again every few seconds (an attack merged into the running
// effects), so the tracks never run out. Also the attack merge alone, and the character's
// replication records written and read back.
#include <benchmark/benchmark.h>

#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/DurationDamageManager.h"

namespace GAME {
namespace {

constexpr int kFrameMs = 33;
constexpr int kFramesBetweenHits = 90;   // about three seconds
constexpr float kLife = 1.0e9f;

Character* MakeTarget()
{
    auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
    character->SetLifeLimit(kLife);
    character->SetCurrentLife(kLife);
    return character;
}

// One round of attacks: each attacker adds poison and fire; the first also slows.
void HitByAll(DurationDamageManager& dot, int attackers)
{
    for (int attacker = 1; attacker <= attackers; ++attacker) {
        dot.SetAttacker(static_cast<uint32_t>(attacker));
        dot.AddDamage(CombatAttributeType_Poison, 40.0f, 5.0f);
        dot.AddDamage(CombatAttributeType_Fire, 25.0f, 4.0f);
        if (attacker == 1) {
            dot.AddFixedDamage(CombatAttributeType_RunSpeed, 30.0f, 4.0f);
            dot.AddFixedDamage(CombatAttributeType_AttackSpeed, 20.0f, 4.0f);
            dot.AddFixedDamage(CombatAttributeType_Stun, 1.0f, 0.5f);
        }
        dot.EndAttack();
    }
}

void BM_DamageOverTimeFrame(benchmark::State& state)
{
    const int attackers = static_cast<int>(state.range(0));
    Character* target = MakeTarget();
    DurationDamageManager& dot = target->GetDurationDamageMgr();
    HitByAll(dot, attackers);
    int frame = 0;
    for (auto _ : state) {
        dot.Update(kFrameMs);
        if (++frame == kFramesBetweenHits) {
            frame = 0;
            HitByAll(dot, attackers);
            target->SetCurrentLife(kLife);
        }
    }
    state.counters["tracks"] = static_cast<double>(dot.GetDurationDamageTracks().size() +
                                                   dot.GetFixedDurationDamageTracks().size());
    state.SetItemsProcessed(state.iterations());
    ObjectManager::Get().DestroyAllObjects();
}
BENCHMARK(BM_DamageOverTimeFrame)->Arg(1)->Arg(4)->Arg(8);

void BM_DamageOverTimeAttackMerge(benchmark::State& state)
{
    Character* target = MakeTarget();
    DurationDamageManager& dot = target->GetDurationDamageMgr();
    HitByAll(dot, 4);
    for (auto _ : state)
        HitByAll(dot, 4);
    state.SetItemsProcessed(state.iterations() * 4);
    ObjectManager::Get().DestroyAllObjects();
}
BENCHMARK(BM_DamageOverTimeAttackMerge);

void BM_DamageOverTimeReplicaRoundTrip(benchmark::State& state)
{
    Character* target = MakeTarget();
    DurationDamageManager& dot = target->GetDurationDamageMgr();
    HitByAll(dot, 4);
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        std::vector<DurationDamageReplication> damage;
        std::vector<FixedDurationDamageReplication> fixedDamage;
        dot.GetDamageReplica(damage);
        dot.GetFixedDamageReplica(fixedDamage);
        bytes.clear();
        WriteDurationDamageReplicas(bytes, damage, fixedDamage);
        damage.clear();
        fixedDamage.clear();
        const uint8_t* cursor = bytes.data();
        benchmark::DoNotOptimize(ReadDurationDamageReplicas(cursor, bytes.data() + bytes.size(), damage, fixedDamage));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    ObjectManager::Get().DestroyAllObjects();
}
BENCHMARK(BM_DamageOverTimeReplicaRoundTrip);

}  // namespace
}  // namespace GAME
