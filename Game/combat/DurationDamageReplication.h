// The running damage over time of a character as other peers receive it: one record per
// track, each a list of runs {value of each tick, number of ticks}.
//
// Wire form, little-endian 32-bit words without padding:
//   DurationDamageReplication       type, attacker id, count N (signed), N x {value, ticks}
//   FixedDurationDamageReplication  type, count N (signed), N x {value, ticks}
// The owning character frames them: one count byte, the ordinary records, one count byte,
// the fixed records.
//
// Reading fails closed: a record that runs past the data, a count that is negative or
// larger than the bytes left or a track can hold, a tick count that is negative, not a
// number or too large, a value that is not a positive number, a type outside 0..46, or
// more ticks in the frame than one character holds in all rejects the whole frame, which
// is logged; nothing of it is kept.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DurationDamageTrack.h"

namespace GAME {

struct DurationDamageReplication {
    CombatAttributeType type = CombatAttributeType_Unknown;
    uint32_t attacker = 0;
    std::vector<DurationDamageInfo> infos;

    void Write(std::vector<uint8_t>& out) const;
    // Reads one record and appends its runs to `infos`, moving `cursor` past it. On
    // malformed data it logs, returns false and leaves `cursor` and the record alone.
    bool Read(const uint8_t*& cursor, const uint8_t* end);

    bool operator==(const DurationDamageReplication&) const = default;
};

struct FixedDurationDamageReplication {
    CombatAttributeType type = CombatAttributeType_Unknown;
    std::vector<DurationDamageInfo> infos;

    void Write(std::vector<uint8_t>& out) const;
    bool Read(const uint8_t*& cursor, const uint8_t* end);

    bool operator==(const FixedDurationDamageReplication&) const = default;
};

// Appends the framed records of a character: at most 255 of each kind (the count is one
// byte; more would desynchronize the stream), the rest left out with a warning.
void WriteDurationDamageReplicas(std::vector<uint8_t>& out, const std::vector<DurationDamageReplication>& damage,
                                 const std::vector<FixedDurationDamageReplication>& fixedDamage);

// Reads the framed records into the two vectors (appended), moving `cursor` past them.
// On malformed data it logs, returns false, and leaves `cursor` and both vectors alone.
bool ReadDurationDamageReplicas(const uint8_t*& cursor, const uint8_t* end,
                                std::vector<DurationDamageReplication>& damage,
                                std::vector<FixedDurationDamageReplication>& fixedDamage);

}  // namespace GAME
