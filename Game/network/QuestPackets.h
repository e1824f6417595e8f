// Quest and game balance packets: quest trigger messages, the commands quest actions
// give to characters and fixed items, and the game balance level.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/NetPacketFields.h"
#include "Engine/World.h"

namespace GAME {

// Words in the quest side's own encoding, for the quest repository of the receiver.
class QuestMessagePacket : public NetPacketOf<QuestMessagePacket, 17> {
    GAME_DECLARE_CLASS(QuestMessagePacket)

public:
    uint32_t sender = 0;
    uint32_t receiver = 0;
    std::vector<uint32_t> data;
    bool isConditionSet = false;

    template <class V>
    void Fields(V& v)
    {
        v.Heading("QuestMessage Data");
        v(Wire::u32, sender, "Sender:   ");
        v(Wire::u32, receiver, "Receiver: ");
        v(NetCount::Word, Wire::u32, data, ListLabel{nullptr, nullptr, "Data: "});
        v(Wire::b, isConditionSet, "Is Condition Set:");
    }
};

// Moving a character to a target or a point.
template <class Derived, NetPacketType Type>
class QuestCommandGoPacket : public NetPacketOf<Derived, Type> {
public:
    uint32_t characterId = 0;
    uint32_t targetId = 0;
    WorldVec3 targetPosition;
    bool allowInterruptions = false;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, characterId, "Character Id: ");
        v(Wire::u32, targetId, "Target Id: ");
        v(Wire::V3, targetPosition, "Target Pos: ");
        v(Wire::b, allowInterruptions, "allow Interruptions: ");
    }
};

class QuestCommandMovePacket : public QuestCommandGoPacket<QuestCommandMovePacket, 56> {
    GAME_DECLARE_CLASS(QuestCommandMovePacket)
};

class QuestCommandWalkPacket : public QuestCommandGoPacket<QuestCommandWalkPacket, 57> {
    GAME_DECLARE_CLASS(QuestCommandWalkPacket)
};

class QuestCommandPlayAnimationPacket : public NetPacketOf<QuestCommandPlayAnimationPacket, 58> {
    GAME_DECLARE_CLASS(QuestCommandPlayAnimationPacket)

public:
    uint32_t characterId = 0;
    uint32_t animation = 0;
    bool looping = false;
    bool allowInterruptions = false;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, characterId, "Character Id: ");
        v(Wire::u32, animation, "Animation: ");
        v(Wire::b, looping, "Looping: ");
        v(Wire::b, allowInterruptions, "allow Interruptions: ");
    }
};

class QuestCommandUseSkillPacket : public NetPacketOf<QuestCommandUseSkillPacket, 59> {
    GAME_DECLARE_CLASS(QuestCommandUseSkillPacket)

public:
    uint32_t characterId = 0;
    uint32_t targetId = 0;
    std::string skillName;
    bool allowInterruptions = false;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, characterId, "Character Id: ");
        v(Wire::u32, targetId, "Target Id: ");
        v(Wire::fn, skillName, "Skill Name: ");
        v(Wire::b, allowInterruptions, "allow Interruptions: ");
    }
};

class QuestCommandLockFixedItemPacket : public NetPacketOf<QuestCommandLockFixedItemPacket, 60> {
    GAME_DECLARE_CLASS(QuestCommandLockFixedItemPacket)

public:
    uint32_t objectId = 0;
    bool locked = false;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, objectId, "Object Id: ");
        v(Wire::b, locked, "Locked: ");
    }
};

class GameBalanceUpdatePacket : public NetPacketOf<GameBalanceUpdatePacket, 61> {
    GAME_DECLARE_CLASS(GameBalanceUpdatePacket)

public:
    int32_t level = 0;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, level, "Game Balance Level: ");
    }
};

}  // namespace GAME
