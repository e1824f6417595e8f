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

    goldens.push_back({"BonusToServerPacket",
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
                       {},
                       [] {
                           auto packet = std::make_unique<BonusToServerPacket>();
                           packet->bonus = {99, 1.0f, 0.5f, 2.0f, 0.25f, 258, 3, 4, 1000, "Records/Fx.dbr", 0x12345678};
                           packet->point = WorldVec3(World::Get().GetRegionById(7), Vec3(1.0f, -2.0f, 0.5f));
                           packet->activePlayer = 0x10000005;
                           return packet;
                       }});

    goldens.push_back({"CreateEntityPacket",
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
                       {{54, 2}},
                       [] {
                           auto packet = std::make_unique<CreateEntityPacket>();
                           packet->coords =
                               WorldCoords(World::Get().GetRegionById(7), Coords::MakeTranslation(Vec3(10, 0, -4)));
                           packet->recordName = "Box.dbr";
                           packet->objectId = 0xABCD;
                           return packet;
                       }});

    goldens.push_back({"AllPlayersBasicInfoPacket",
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
                       {{2, 1}, {27, 2}, {54, 1}, {55, 2}, {90, 2}, {101, 2}, {131, 1}},
                       [] {
                           auto packet = std::make_unique<AllPlayersBasicInfoPacket>();
                           PlayerNetBasicInfo ann;
                           ann.playerId = 0x10000001;
                           ann.life = 1.0f;
                           ann.maxLife = 2.0f;
                           ann.mana = 0.5f;
                           ann.maxMana = 4.0f;
                           ann.partyId = 0x10000001;
                           ann.playerName = u"Ann";
                           ann.level = 7;
                           ann.classTag = "tagCClass07";
                           ann.position = WorldVec3(World::Get().GetRegionById(7), Vec3());
                           ann.statusSkills = {"Haste.dbr"};
                           PlayerNetBasicInfo bo = ann;
                           bo.playerId = 0x20000002;
                           bo.partyId = 0;
                           bo.playerName = u"Bo";
                           bo.isMale = true;
                           bo.level = 300;
                           bo.classTag = "tagCClass100";
                           bo.position = WorldVec3(World::Get().GetRegionById(7), Vec3(1, 2, 3));
                           bo.statusSkills.clear();
                           packet->players = {ann, bo};
                           return packet;
                       }});

    goldens.push_back({"TradeAddItemPacket",
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
                       {{18, 2}, {32, 2}},
                       [] {
                           auto packet = std::make_unique<TradeAddItemPacket>();
                           packet->sender = 0x10000001;
                           packet->receiver = 0x20000002;
                           packet->placement = Vec2(2.0f, 3.0f);
                           packet->item.objectId = 0x100;
                           packet->item.baseName = "Axe.dbr";
                           packet->item.prefixName = "Sharp.dbr";
                           packet->item.seed = 4464;
                           packet->item.var1 = 5;
                           return packet;
                       }});

    goldens.push_back({"QuestMessagePacket",
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
                       {{10, 4}},
                       [] {
                           auto packet = std::make_unique<QuestMessagePacket>();
                           packet->sender = 0x10000001;
                           packet->receiver = 0x20000002;
                           packet->data = {1, 0xFFFFFFFF, 258};
                           packet->isConditionSet = true;
                           return packet;
                       }});

    goldens.push_back({"ChatPacket",
                       {
                           0x10, 0x00,                    // type 16
                           0x02, 0x00, 'A', 0x00, 'l', 0x00,  // sender "Al"
                           0x02, 0x00, 'h', 0x00, 0xE9, 0x00,  // text "h\u00e9"
                           0x01,                          // kind 1
                           0x01, 0x00, 0x00, 0x00,        // 1 recipient
                           0x05, 0x00, 0x00, 0x20,        //   0x20000005
                       },
                       {{2, 2}, {8, 2}, {15, 4}},
                       [] {
                           auto packet = std::make_unique<ChatPacket>();
                           packet->sender = u"Al";
                           packet->text = u"h\u00e9";
                           packet->kind = 1;
                           packet->recipients = {0x20000005};
                           return packet;
                       }});

    AddGoldenGoldPackets(goldens);
    AddGoldenWorldPackets(goldens);
    AddGoldenRosterPackets(goldens);
    AddGoldenItemPackets(goldens);
    AddGoldenQuestPackets(goldens);
    return goldens;
}

}  // namespace GAME
