// Fills a character's six weapon-style animation sets from a record: a shared animation
// table that many creatures name, or the character's own record. Keys are the style's
// prefix + a stem (+ an entry number), e.g. "unarmedRunAnim", "sHandedSpecialAnimRef15".
#pragma once

#include <string>

#include "Game/characters/AnimationSet.h"

namespace GAME {

class LoadTable;

enum AnimationStyle : int {
    AnimationStyle_Unarmed = 0,
    AnimationStyle_SingleHanded = 1,
    AnimationStyle_DualWielded = 2,
    AnimationStyle_Spear = 3,
    AnimationStyle_Bow = 4,
    AnimationStyle_Staff = 5,
    AnimationStyle_Count = 6,
};

// The key prefix of a style ("unarmed", "sHanded", "dHanded", "spear", "bow", "staff");
// empty outside the styles.
const char* GetAnimationStylePrefix(int style);
// How many special attacks a shared table gives a style: 15 for single-handed,
// dual-wielded and spear, 10 for the others. A character's own record gives every style
// kOwnRecordSpecialAttacks.
int GetTableSpecialAttacks(int style);
inline constexpr int kOwnRecordSpecialAttacks = 10;
inline constexpr int kMaxSpecialAttacks = 15;

// Every key of one style's set in reading order, special attacks 1 to specialAttacks
// (held to 0 .. kMaxSpecialAttacks). Used by the shared table loader below and, with
// kOwnRecordSpecialAttacks, by a character's own set loaders. What a record's keys name is
// read once and kept with the record (see RecordKept): the many characters made from one
// record fill their sets from it without reading the keys again.
void LoadStyleAnimationSet(const LoadTable& table, AnimationSet& set, int style, int specialAttacks);

// Opens the shared table record and fills each set that is not null. False, with no set
// touched, for an empty name or a record that does not load.
bool LoadAnimationTable(const std::string& recordName, AnimationSet* unarmed, AnimationSet* singleHanded,
                        AnimationSet* dualWielded, AnimationSet* spear, AnimationSet* bow, AnimationSet* staff);

}  // namespace GAME
