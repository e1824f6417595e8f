// Golden player roster packets (the whole roster in full is in GoldenPackets.h).
#pragma once

#include <vector>

#include "Game/network/PlayerRosterPackets.h"
#include "tests/network/GoldenPacket.h"

namespace GAME {

inline void AddGoldenRosterPackets(std::vector<GoldenPacket>& goldens)
{
    goldens.push_back(Golden<AllPlayersHeartbeatPacket>(
        {
            0x15, 0x00,              // type 21
            0x02,                    // 2 players
            0x01, 0x00, 0x00, 0x10,  // id 0x10000001
            0x00, 0x00, 0x80, 0x3F,  //   life 1.0
            0x00, 0x00, 0x00, 0x40,  //   maximum life 2.0
            0x00, 0x00, 0x00, 0x3F,  //   mana 0.5
            0x00, 0x00, 0x80, 0x40,  //   maximum mana 4.0
            0x01, 0x00, 0x00, 0x10,  //   party 0x10000001
            0x06,                    //   flags: small level, class byte
            0x14,                    //   level 20
            0x03,                    //   class tag "tagCClass03"
            0x07, 0x00, 0x00, 0x00,  //   position: region 7
            0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,  // 1, 2, 3
            0x01,                    //   1 status skill
            0x09, 0x00, 'H', 'a', 's', 't', 'e', '.', 'd', 'b', 'r',  // "Haste.dbr"
            0x02, 0x00, 0x00, 0x20,  // id 0x20000002
            0x00, 0x00, 0x40, 0x40,  //   life 3.0
            0x00, 0x00, 0xC0, 0x40,  //   maximum life 6.0
            0x00, 0x00, 0x80, 0x3E,  //   mana 0.25
            0x00, 0x00, 0x00, 0x41,  //   maximum mana 8.0
            0x00, 0x00, 0x00, 0x00,  //   no party
            0x00,                    //   flags: level and class in full
            0x00, 0x01, 0x00, 0x00,  //   level 256
            0x07, 0x00, 'W', 'a', 'r', 'r', 'i', 'o', 'r',  // class tag "Warrior"
            0x02, 0x00, 0x00, 0x00,  //   position: region 2
            0x00, 0x00, 0x80, 0xC0, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x20, 0x41,  // -4, 0.5, 10
            0x00,                    //   no status skills
        },
        {{2, 1}, {46, 1}, {47, 2}, {87, 2}, {112, 1}}, [](AllPlayersHeartbeatPacket& p) {
            PlayerNetHeartbeatInfo first;
            GoldenVitals(first, 0x10000001, 1.0f, 2.0f, 0.5f, 4.0f, 0x10000001);
            first.level = 20;
            first.classTag = "tagCClass03";
            first.position = GoldenPoint(7, 1.0f, 2.0f, 3.0f);
            first.statusSkills = {"Haste.dbr"};
            PlayerNetHeartbeatInfo second;
            GoldenVitals(second, 0x20000002, 3.0f, 6.0f, 0.25f, 8.0f, 0);
            second.level = 256;
            second.classTag = "Warrior";
            second.position = GoldenPoint(2, -4.0f, 0.5f, 10.0f);
            p.players = {first, second};
        }));

    goldens.push_back(Golden<SinglePlayerHeartbeatPacket>(
        {
            0x16, 0x00,              // type 22
            0x07, 0x00, 0x00, 0x10,  // id 0x10000007
            0x00, 0x00, 0xC8, 0x42,  // life 100.0
            0x00, 0x00, 0xD2, 0x43,  // maximum life 420.0
            0x00, 0x00, 0x40, 0x41,  // mana 12.0
            0x00, 0x00, 0xA0, 0x41,  // maximum mana 20.0
            0x01, 0x00, 0x00, 0x10,  // party 0x10000001
            0x2C, 0x01, 0x00, 0x00,  // level 300, always four bytes
            0x0B, 0x00, 't', 'a', 'g', 'C', 'C', 'l', 'a', 's', 's', '1', '2',  // class tag as text
            0x03, 0x00, 0x00, 0x00,  // position: region 3
            0x00, 0x00, 0x20, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0xC0,  // 2.5, 0, -3
            0x02, 0x00, 0x00, 0x00,  // 2 status skills
            0x05, 0x00, 'A', '.', 'd', 'b', 'r',  //   "A.dbr"
            0x06, 0x00, 'B', 'b', '.', 'd', 'b', 'r',  //   "Bb.dbr"
        },
        {{30, 2}, {59, 4}, {63, 2}, {70, 2}}, [](SinglePlayerHeartbeatPacket& p) {
            GoldenVitals(p.info, 0x10000007, 100.0f, 420.0f, 12.0f, 20.0f, 0x10000001);
            p.info.level = 300;
            p.info.classTag = "tagCClass12";
            p.info.position = GoldenPoint(3, 2.5f, 0.0f, -3.0f);
            p.info.statusSkills = {"A.dbr", "Bb.dbr"};
        }));

    goldens.push_back(Golden<SinglePlayerBasicInfoPacket>(
        {
            0x18, 0x00,              // type 24
            0x09, 0x00, 0x00, 0x20,  // id 0x20000009
            0x00, 0x00, 0xC0, 0x3F,  // life 1.5
            0x00, 0x00, 0x00, 0x40,  // maximum life 2.0
            0x00, 0x00, 0x40, 0x40,  // mana 3.0
            0x00, 0x00, 0x80, 0x40,  // maximum mana 4.0
            0x09, 0x00, 0x00, 0x20,  // party 0x20000009
            0x03, 0x00, 'P', 0x00, 'a', 0x00, 't', 0x00,  // name "Pat" in 16-bit units
            0x01,                    // male
            0x07, 0x00, 0x00, 0x00,  // level 7, always four bytes
            0x0B, 0x00, 't', 'a', 'g', 'C', 'C', 'l', 'a', 's', 's', '0', '7',  // class tag as text
            0x01, 0x00, 0x00, 0x00,  // position: region 1
            0x00, 0x00, 0xC0, 0x40, 0x00, 0x00, 0xE0, 0x40, 0x00, 0x00, 0x00, 0x41,  // 6, 7, 8
            0x00, 0x00, 0x00, 0x00,  // no status skills
        },
        {{26, 2}, {39, 2}, {68, 4}}, [](SinglePlayerBasicInfoPacket& p) {
            GoldenVitals(p.info, 0x20000009, 1.5f, 2.0f, 3.0f, 4.0f, 0x20000009);
            p.info.playerName = u"Pat";
            p.info.isMale = true;
            p.info.level = 7;
            p.info.classTag = "tagCClass07";
            p.info.position = GoldenPoint(1, 6.0f, 7.0f, 8.0f);
        }));

    goldens.push_back(Golden<PlayerLeftPacket>(
        {
            0x13, 0x00,              // type 19
            0x02, 0x00, 0x00, 0x00,  // host 2
        },
        {}, [](PlayerLeftPacket& p) { p.host = 2; }));
}

}  // namespace GAME
