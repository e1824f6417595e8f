// The replicated state of one skill, as skills, skill managers and their packets share it.
// Each is an 8-byte record: the packets carry it as one 32-bit value, its flag bytes and
// zeroed filler. Saves hold it in two forms: the named form of the property stream and a
// binary form of 32-bit words (a flag as 0 or 1; on reading any non-zero word is true).
#pragma once

#include <cstdint>

namespace GAME {

class BinaryReader;
class BinaryWriter;
class IOStream;

// The persistent state: the skill's level and whether it may be used. A negative level
// from a peer counts as no level where the level is used; one read from a save is 0.
struct SkillState {
    int32_t level = 0;
    bool enabled = false;

    bool operator==(const SkillState&) const = default;

    // "skillLevel" (int), "skillEnabled" (bool).
    void StreamProperties(IOStream& stream);
    // Level as a 32-bit word, then enabled as a word 0 or 1.
    void SaveState(BinaryWriter& writer) const;
    // Leaves the state as it was when the reader fails.
    void RestoreState(BinaryReader& reader);
};

// The runtime state: the sub level reached, and whether the skill is active or changing.
// Skill kinds give active and transition their own meaning (armed, switched on, buff
// running); a buff's level is its sub level.
struct SkillActiveState {
    int32_t subLevel = 0;
    bool active = false;
    bool transition = false;

    SkillActiveState() = default;
    SkillActiveState(int32_t subLevelValue, bool activeValue, bool transitionValue)
        : subLevel(subLevelValue), active(activeValue), transition(transitionValue)
    {
    }

    bool operator==(const SkillActiveState&) const = default;

    // "skillSubLevel" (int), "skillActive" (bool), "skillTransition" (bool).
    void StreamProperties(IOStream& stream);
    // Sub level, active and transition, each a 32-bit word.
    void SaveState(BinaryWriter& writer) const;
    // Leaves the state as it was when the reader fails.
    void RestoreState(BinaryReader& reader);
};

static_assert(sizeof(SkillState) == 8 && sizeof(SkillActiveState) == 8, "both travel as 8-byte records");

}  // namespace GAME
