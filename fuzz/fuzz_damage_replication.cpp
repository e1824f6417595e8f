// Damage-over-time replication frames of any bytes: read them; an accepted frame must
// write back to exactly the bytes it was read from, and applied to a character (twice,
// never holding more ticks than a character may) it must update and replicate again into
// a frame that reads back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Engine/Engine.h"
#include "fuzz/FuzzBytes.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/DurationDamageConstants.h"
#include "Game/combat/DurationDamageManager.h"

using namespace GAME;

namespace {

constexpr int kFrames[] = {33, 100, 1, 250, 5000};

Character& Target()
{
    static Character* character = [] {
        auto* created = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
        created->SetLifeLimit(1000.0f);
        return created;
    }();
    return *character;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* cursor = data;
    std::vector<DurationDamageReplication> damage;
    std::vector<FixedDurationDamageReplication> fixedDamage;
    if (!ReadDurationDamageReplicas(cursor, data + size, damage, fixedDamage)) {
        Check(cursor == data && damage.empty() && fixedDamage.empty());
        return 0;
    }
    Check(cursor > data && cursor <= data + size);

    std::vector<uint8_t> written;
    WriteDurationDamageReplicas(written, damage, fixedDamage);
    const size_t consumed = static_cast<size_t>(cursor - data);
    Check(written.size() == consumed && std::memcmp(written.data(), data, consumed) == 0);

    Character& target = Target();
    target.SetCurrentLife(1000.0f);
    DurationDamageManager& dot = target.GetDurationDamageMgr();
    dot.Clear();
    dot.SetDamageReplica(damage);
    dot.SetFixedDamageReplica(fixedDamage);
    // An accepted frame fits a character; the same again on top is cut to what it holds.
    Check(dot.GetHeldTicks() <= DurationDamage::kMaxManagerTicks);
    dot.SetDamageReplica(damage);
    dot.SetFixedDamageReplica(fixedDamage);
    Check(dot.GetHeldTicks() <= DurationDamage::kMaxManagerTicks);
    for (int ms : kFrames) {
        dot.Update(ms);
        std::vector<DurationDamageReplication> damageOut;
        std::vector<FixedDurationDamageReplication> fixedOut;
        dot.GetDamageReplica(damageOut);
        dot.GetFixedDamageReplica(fixedOut);
        std::vector<uint8_t> bytes;
        WriteDurationDamageReplicas(bytes, damageOut, fixedOut);
        const uint8_t* again = bytes.data();
        damageOut.clear();
        fixedOut.clear();
        Check(ReadDurationDamageReplicas(again, bytes.data() + bytes.size(), damageOut, fixedOut));
        Check(again == bytes.data() + bytes.size());
    }
    return 0;
}
