// One verb of a character (stand idle, move, attack, pick up, die ...), and the
// numbering of the kinds. Values 2, 17 and 18 belong to no action.
#pragma once

#include <cstdint>

namespace GAME {

enum CharacterActionType : int32_t {
    CharacterActionType_None = 0,
    CharacterActionType_Idle = 1,
    CharacterActionType_LongIdle = 3,
    CharacterActionType_MoveTo = 4,
    CharacterActionType_Walk = 5,
    CharacterActionType_PickUp = 6,
    CharacterActionType_Use = 7,
    CharacterActionType_Attack = 8,
    CharacterActionType_TakeStun = 9,
    CharacterActionType_Immobilize = 10,
    CharacterActionType_TakeTrap = 11,
    CharacterActionType_Die = 12,
    CharacterActionType_Chat = 13,
    CharacterActionType_PlayAnimation = 14,
    CharacterActionType_Spawn = 15,
    CharacterActionType_Respawn = 16,
    CharacterActionType_EngageNpc = 19,
};

// Whether a requested action may start while another runs: at once (the running one is
// replaced), queued behind it, or refused.
enum CharacterActionPermission : int32_t {
    CharacterActionPermission_Perform = 0,
    CharacterActionPermission_Queue = 1,
    CharacterActionPermission_Refuse = 2,
};

// The base of every action; the kinds and their common part derive from it.
class CharacterAction {
public:
    CharacterAction() = default;
    virtual ~CharacterAction() = default;
    CharacterAction(const CharacterAction&) = delete;
    CharacterAction& operator=(const CharacterAction&) = delete;
};

}  // namespace GAME
