// The golden packets: every registered packet class has one. The families with counts,
// lengths and flags come first, here; the others follow from one header per family.
#pragma once

#include <memory>
#include <vector>

#include "Engine/ChatPacket.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"
#include "tests/network/GoldenPacket.h"
#include "tests/network/GoldenPacketsAction.h"
#include "tests/network/GoldenPacketsConfigCmd.h"
#include "tests/network/GoldenPacketsGold.h"
#include "tests/network/GoldenPacketsItems.h"
#include "tests/network/GoldenPacketsQuest.h"
#include "tests/network/GoldenPacketsRoster.h"
#include "tests/network/GoldenPacketsWorld.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {

inline std::vector<GoldenPacket> GoldenPackets()
{
    std::vector<GoldenPacket> goldens;

    goldens.push_back(Golden<BonusToServerPacket>(
        {
            0x72, 0x00,              // type 114
            0x00, 0x00, 0x80, 0x3F,  // life points 1.0
            0x00, 0x00, 0x00, 0x3F,  // life percent 0.5
            0x00, 0x00, 0x00, 0x40,  // mana points 2.0
            0x00, 0x00, 0x80, 0x3E,  // mana percent 0.25
            0x02, 0x01, 0x00, 0x00,  // gold 258
            0x03, 0x00, 0x00, 0x00,  // skill points 3
            0x04, 0x00, 0x00, 0x00,  // attribute points 4
            0xE8, 0x03, 0x00, 0x00,  // experience 1000
            0x78, 0x56, 0x34, 0x12,  // source (trailing word); no receiver, no effect
            0x07, 0x00, 0x00, 0x00,  // point: region 7
            0x00, 0x00, 0x80, 0x3F,  //   x 1.0
            0x00, 0x00, 0x00, 0xC0,  //   y -2.0
            0x00, 0x00, 0x00, 0x3F,  //   z 0.5
            0x05, 0x00, 0x00, 0x10,  // active player 0x10000005
        },
        {}, [](BonusToServerPacket& p) {
            p.bonus = {99, 1.0f, 0.5f, 2.0f, 0.25f, 258, 3, 4, 1000, "Records/Fx.dbr", 0x12345678};
            p.point = GoldenPoint(7, 1.0f, -2.0f, 0.5f);
            p.activePlayer = 0x10000005;
        }));

    goldens.push_back(Golden<CreateEntityPacket>(
        {
            0x21, 0x00,              // type 33
            0x07, 0x00, 0x00, 0x00,  // coords: region 7
            0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
            0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xC0,  // origin 10, 0, -4
            0x07, 0x00, 'B', 'o', 'x', '.', 'd', 'b', 'r',  // record name "Box.dbr"
            0xCD, 0xAB, 0x00, 0x00,  // object id 0xABCD
        },
        {{54, 2}}, [](CreateEntityPacket& p) {
            p.coords = GoldenFrame(7, Coords::MakeTranslation(Vec3(10, 0, -4)));
            p.recordName = "Box.dbr";
            p.objectId = 0xABCD;
        }));

    goldens.push_back(Golden<AllPlayersBasicInfoPacket>(
        {
            0x17, 0x00,              // type 23
            0x02,                    // 2 players
            0x01, 0x00, 0x00, 0x10,  // Ann: id 0x10000001
            0x00, 0x00, 0x80, 0x3F,  //   life 1.0
            0x00, 0x00, 0x00, 0x40,  //   maximum life 2.0
            0x00, 0x00, 0x00, 0x3F,  //   mana 0.5
            0x00, 0x00, 0x80, 0x40,  //   maximum mana 4.0
            0x01, 0x00, 0x00, 0x10,  //   party 0x10000001
            0x03, 0x00, 'A', 0x00, 'n', 0x00, 'n', 0x00,  // name "Ann" in 16-bit units
            0x06,                    //   flags: small level, class byte; female
            0x07,                    //   level 7
            0x07,                    //   class tag "tagCClass07"
            0x07, 0x00, 0x00, 0x00,  //   position: region 7
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 0, 0, 0
            0x01,                    //   1 status skill
            0x09, 0x00, 'H', 'a', 's', 't', 'e', '.', 'd', 'b', 'r',  // "Haste.dbr"
            0x02, 0x00, 0x00, 0x20,  // Bo: id 0x20000002
            0x00, 0x00, 0x80, 0x3F,  //   life 1.0
            0x00, 0x00, 0x00, 0x40,  //   maximum life 2.0
            0x00, 0x00, 0x00, 0x3F,  //   mana 0.5
            0x00, 0x00, 0x80, 0x40,  //   maximum mana 4.0
            0x00, 0x00, 0x00, 0x00,  //   no party
            0x02, 0x00, 'B', 0x00, 'o', 0x00,  // name "Bo"
            0x01,                    //   flags: male; level and class in full
            0x2C, 0x01, 0x00, 0x00,  //   level 300
            0x0C, 0x00, 't', 'a', 'g', 'C', 'C', 'l', 'a', 's', 's', '1', '0', '0',  // class tag
            0x07, 0x00, 0x00, 0x00,  //   position: region 7
            0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,  // 1, 2, 3
            0x00,                    //   no status skills
        },
        {{2, 1}, {27, 2}, {54, 1}, {55, 2}, {90, 2}, {101, 2}, {131, 1}}, [](AllPlayersBasicInfoPacket& p) {
            PlayerNetBasicInfo ann;
            GoldenVitals(ann, 0x10000001, 1.0f, 2.0f, 0.5f, 4.0f, 0x10000001);
            ann.playerName = u"Ann";
            ann.level = 7;
            ann.classTag = "tagCClass07";
            ann.position = GoldenPoint(7, 0, 0, 0);
            ann.statusSkills = {"Haste.dbr"};
            PlayerNetBasicInfo bo = ann;
            bo.playerId = 0x20000002;
            bo.partyId = 0;
            bo.playerName = u"Bo";
            bo.isMale = true;
            bo.level = 300;
            bo.classTag = "tagCClass100";
            bo.position = GoldenPoint(7, 1, 2, 3);
            bo.statusSkills.clear();
            p.players = {ann, bo};
        }));

    goldens.push_back(Golden<TradeAddItemPacket>(
        {
            0x29, 0x00,              // type 41
            0x01, 0x00, 0x00, 0x10,  // sender 0x10000001
            0x02, 0x00, 0x00, 0x20,  // receiver 0x20000002
            0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,  // placement 2.0, 3.0
            0x07, 0x00, 'A', 'x', 'e', '.', 'd', 'b', 'r',  // base record "Axe.dbr"
            0x00, 0x01, 0x00, 0x00,  // item: object id 0x100
            0x62,                    //   flags: prefix, seed, var1
            0x09, 0x00, 'S', 'h', 'a', 'r', 'p', '.', 'd', 'b', 'r',  // prefix "Sharp.dbr"
            0x70, 0x11,              //   seed 4464 in 16 bits
            0x05, 0x00, 0x00, 0x00,  //   var1 5
        },
        {{18, 2}, {32, 2}}, [](TradeAddItemPacket& p) {
            p.sender = 0x10000001;
            p.receiver = 0x20000002;
            p.placement = Vec2(2.0f, 3.0f);
            p.item.objectId = 0x100;
            p.item.baseName = "Axe.dbr";
            p.item.prefixName = "Sharp.dbr";
            p.item.seed = 4464;
            p.item.var1 = 5;
        }));

    goldens.push_back(Golden<QuestMessagePacket>(
        {
            0x11, 0x00,              // type 17
            0x01, 0x00, 0x00, 0x10,  // sender 0x10000001
            0x02, 0x00, 0x00, 0x20,  // receiver 0x20000002
            0x03, 0x00, 0x00, 0x00,  // 3 data words
            0x01, 0x00, 0x00, 0x00,  //   1
            0xFF, 0xFF, 0xFF, 0xFF,  //   0xFFFFFFFF
            0x02, 0x01, 0x00, 0x00,  //   258
            0x01,                    // condition is set
        },
        {{10, 4}}, [](QuestMessagePacket& p) {
            p.sender = 0x10000001;
            p.receiver = 0x20000002;
            p.data = {1, 0xFFFFFFFF, 258};
            p.isConditionSet = true;
        }));

    goldens.push_back(Golden<ChatPacket>(
        {
            0x10, 0x00,                    // type 16
            0x02, 0x00, 'A', 0x00, 'l', 0x00,  // sender "Al"
            0x02, 0x00, 'h', 0x00, 0xE9, 0x00,  // text "h\u00e9"
            0x01,                          // kind 1
            0x01, 0x00, 0x00, 0x00,        // 1 recipient
            0x05, 0x00, 0x00, 0x20,        //   0x20000005
        },
        {{2, 2}, {8, 2}, {15, 4}}, [](ChatPacket& p) {
            p.sender = u"Al";
            p.text = u"h\u00e9";
            p.kind = 1;
            p.recipients = {0x20000005};
        }));

    AddGoldenGoldPackets(goldens);
    AddGoldenWorldPackets(goldens);
    AddGoldenRosterPackets(goldens);
    AddGoldenItemPackets(goldens);
    AddGoldenQuestPackets(goldens);
    AddGoldenActorConfigCmdPackets(goldens);
    AddGoldenItemConfigCmdPackets(goldens);
    AddGoldenSkillConfigCmdPackets(goldens);
    AddGoldenActionPackets(goldens);
    return goldens;
}

}  // namespace GAME
