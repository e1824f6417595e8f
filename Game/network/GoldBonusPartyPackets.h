// Gold, bonus and party packets: game-wide player operations between client and server.
#pragma once

#include <cstdint>

#include "Engine/NetPacketFields.h"
#include "Engine/World.h"
#include "Game/core/Bonus.h"

namespace GAME {

// A player and a party number; Derived names the player's label.
template <class Derived, NetPacketType Type>
class PartyPlayerPacket : public NetPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, playerId, Derived::kPlayerLabel), (Wire::i32, int32_t, partyId, "Party: "))
};

class JoinPartyConfigCmdPacket : public PartyPlayerPacket<JoinPartyConfigCmdPacket, 107> {
    GAME_DECLARE_CLASS(JoinPartyConfigCmdPacket)

public:
    static constexpr const char* kPlayerLabel = "Joining Player: ";
};

class InvitePartyConfigCmdPacket : public PartyPlayerPacket<InvitePartyConfigCmdPacket, 108> {
    GAME_DECLARE_CLASS(InvitePartyConfigCmdPacket)

public:
    static constexpr const char* kPlayerLabel = "Inviting Player: ";
};

class GiveGoldPacket : public NetPacketOf<GiveGoldPacket, 112> {
    GAME_DECLARE_CLASS(GiveGoldPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, playerId, "PlayerID: "), (Wire::i32, int32_t, amount, "GoldAmount: "))
};

// The eight amounts of a bonus and its source, as both bonus packets send them. The
// effect name never travels: a received bonus has none.
template <class V>
void BonusAmountFields(V& v, Bonus& bonus)
{
    v(Wire::f32, bonus.lifePoints, "Life Points: ");
    v(Wire::f32, bonus.lifePercent, "Life Percent: ");
    v(Wire::f32, bonus.manaPoints, "Mana Points: ");
    v(Wire::f32, bonus.manaPercent, "Mana Percent: ");
    v(Wire::i32, bonus.goldPoints, "Gold Points: ");
    v(Wire::i32, bonus.skillPoints, "Skill Points: ");
    v(Wire::i32, bonus.attributePoints, "Attribute Points: ");
    v(Wire::i32, bonus.experiencePoints, "Exp Points: ");
    v(Wire::u32, bonus.source);
    if constexpr (V::kReading)
        bonus.effectName.clear();
}

// A share of a bonus, addressed to the player in its receiver word.
class BonusToClientPacket : public NetPacketOf<BonusToClientPacket, 113> {
    GAME_DECLARE_CLASS(BonusToClientPacket)

public:
    Bonus bonus;

    template <class V>
    void Fields(V& v)
    {
        BonusAmountFields(v, bonus);
        v(Wire::u32, bonus.receiver);
    }
};

// A bonus earned at a point by a player, for the server to share out.
class BonusToServerPacket : public NetPacketOf<BonusToServerPacket, 114> {
    GAME_DECLARE_CLASS(BonusToServerPacket)

public:
    Bonus bonus;
    WorldVec3 point;
    uint32_t activePlayer = 0;

    template <class V>
    void Fields(V& v)
    {
        BonusAmountFields(v, bonus);
        v(Wire::V3, point);
        v(Wire::u32, activePlayer, "Active Player: ");
    }
};

}  // namespace GAME
