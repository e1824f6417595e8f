// Golden gold, party and bonus packets (the bonus to the server is in GoldenPackets.h).
#pragma once

#include <vector>

#include "Game/network/GoldBonusPartyPackets.h"
#include "tests/network/GoldenPacket.h"

namespace GAME {

inline void AddGoldenGoldPackets(std::vector<GoldenPacket>& goldens)
{
    // joining player, party
    goldens.push_back(GoldenWords<JoinPartyConfigCmdPacket>(
        107, {0x10000003, -2}, [](JoinPartyConfigCmdPacket& p) {
            p.playerId = 0x10000003;
            p.partyId = -2;
        }));

    // inviting player, party
    goldens.push_back(GoldenWords<InvitePartyConfigCmdPacket>(
        108, {0x20000004, 7}, [](InvitePartyConfigCmdPacket& p) {
            p.playerId = 0x20000004;
            p.partyId = 7;
        }));

    // player, gold
    goldens.push_back(GoldenWords<GiveGoldPacket>(
        112, {0x10000002, -250}, [](GiveGoldPacket& p) {
            p.playerId = 0x10000002;
            p.amount = -250;
        }));

    goldens.push_back(Golden<BonusToClientPacket>(
        {
            0x71, 0x00,              // type 113
            0x00, 0x00, 0x40, 0x40,  // life points 3.0
            0x00, 0x00, 0xC0, 0x3F,  // life percent 1.5
            0x00, 0x00, 0x80, 0x40,  // mana points 4.0
            0x00, 0x00, 0x40, 0x3F,  // mana percent 0.75
            0xF4, 0x01, 0x00, 0x00,  // gold 500
            0x02, 0x00, 0x00, 0x00,  // skill points 2
            0x05, 0x00, 0x00, 0x00,  // attribute points 5
            0x70, 0x11, 0x01, 0x00,  // experience 70000
            0x0D, 0xF0, 0xAD, 0x0B,  // source (trailing word); the effect name never travels
            0x05, 0x00, 0x00, 0x20,  // receiver (leading word) 0x20000005
        },
        {}, [](BonusToClientPacket& p) {
            p.bonus = {0x20000005, 3.0f, 1.5f, 4.0f, 0.75f, 500, 2, 5, 70000, "Records/Fx/Heal.dbr", 0x0BADF00D};
        }));
}

}  // namespace GAME
