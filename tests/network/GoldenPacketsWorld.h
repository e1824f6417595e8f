// Golden game and world packets (the entity creation is in GoldenPackets.h).
#pragma once

#include <vector>

#include "Game/network/GameWorldPackets.h"
#include "tests/network/GoldenPacket.h"

namespace GAME {

inline void AddGoldenWorldPackets(std::vector<GoldenPacket>& goldens)
{
    goldens.push_back(Golden<FrustumUpdatePacket>(
        {
            0x14, 0x00,              // type 20
            0x03, 0x00, 0x00, 0x00,  // originator host 3
            0x07, 0x00, 0x00, 0x00,  // originator position: region 7
            0x00, 0x00, 0x80, 0x3F,  //   x 1.0
            0x00, 0x00, 0x00, 0x40,  //   y 2.0
            0x00, 0x00, 0x40, 0x40,  //   z 3.0
        },
        {}, [](FrustumUpdatePacket& p) {
            p.originatorHostId = 3;
            p.originatorPosition = GoldenPoint(7, 1.0f, 2.0f, 3.0f);
        }));

    // time of day
    goldens.push_back(GoldenWords<WorldInitPacket>(
        25, {1830}, [](WorldInitPacket& p) { p.timeOfDay = 1830; }));

    goldens.push_back(Golden<RemoteMessagePacket>(
        {
            0x1A, 0x00,              // type 26
            0x01, 0x00, 0x00, 0x20,  // receiver 0x20000001
            0x02, 0x00, 0x00, 0x10,  // optional insert 0x10000002
            0x01,                    // as bubble
            0x08, 0x00, 't', 'a', 'g', 'H', 'e', 'l', 'l', 'o',  // text tag "tagHello"
        },
        {{11, 2}}, [](RemoteMessagePacket& p) {
            p.receiver = 0x20000001;
            p.optionalInsert = 0x10000002;
            p.asBubble = true;
            p.textTag = "tagHello";
        }));

    goldens.push_back(Golden<RemoteWMessagePacket>(
        {
            0x1B, 0x00,              // type 27
            0x03, 0x00, 0x00, 0x30,  // receiver 0x30000003
            0x00,                    // not as bubble
            0x03, 0x00, 'H', 0x00, 'i', 0x00, '!', 0x00,  // text "Hi!" in 16-bit units
        },
        {{7, 2}}, [](RemoteWMessagePacket& p) {
            p.receiver = 0x30000003;
            p.asBubble = false;
            p.text = u"Hi!";
        }));

    goldens.push_back(Golden<PlayerPositionUpdatePacket>(
        {
            0x1C, 0x00,              // type 28
            0x02, 0x00, 0x00, 0x00,  // 2 player ids
            0x01, 0x00, 0x00, 0x10,  //   0x10000001
            0x02, 0x00, 0x00, 0x20,  //   0x20000002
            0x01, 0x00, 0x00, 0x00,  // 1 position
            0x07, 0x00, 0x00, 0x00,  //   region 7
            0x00, 0x00, 0x80, 0x3F,  //   x 1.0
            0x00, 0x00, 0x00, 0x40,  //   y 2.0
            0x00, 0x00, 0x40, 0x40,  //   z 3.0
        },
        {{2, 4}, {14, 4}}, [](PlayerPositionUpdatePacket& p) {
            p.playerIds = {0x10000001, 0x20000002};
            p.playerPositions = {GoldenPoint(7, 1.0f, 2.0f, 3.0f)};
        }));

    goldens.push_back(Golden<PartyRequestResponsePacket>(
        {
            0x1D, 0x00,              // type 29
            0x02, 0x00, 0x00, 0x20,  // recipient 0x20000002 (who asked)
            0x01,                    // accepted
            0x01, 0x00, 0x00, 0x10,  // sender 0x10000001 (who answers)
        },
        {}, [](PartyRequestResponsePacket& p) {
            p.recipient = 0x20000002;
            p.accepted = true;
            p.sender = 0x10000001;
        }));

    // player object
    goldens.push_back(GoldenWords<SpawnPlayerPacket>(
        30, {0x1000002A}, [](SpawnPlayerPacket& p) { p.playerObjectId = 0x1000002A; }));

    goldens.push_back(Golden<ServerSpawnCompletePacket>(
        {
            0x22, 0x00,  // type 34, no fields
        },
        {}, [](ServerSpawnCompletePacket&) {}));

    goldens.push_back(Golden<AckEntityPacket>(
        {
            0x23, 0x00,              // type 35
            0x03, 0x00, 0x00, 0x00,  // 3 entity ids
            0x00, 0x01, 0x00, 0x00,  //   0x100
            0x00, 0x02, 0x00, 0x00,  //   0x200
            0x00, 0x03, 0x00, 0x00,  //   0x300
        },
        {{2, 4}}, [](AckEntityPacket& p) { p.entityIds = {0x100, 0x200, 0x300}; }));

    goldens.push_back(Golden<NackEntityPacket>(
        {
            0x24, 0x00,              // type 36
            0x01, 0x00, 0x00, 0x00,  // 1 entity id
            0xBC, 0x0A, 0x00, 0x00,  //   0xABC
        },
        {{2, 4}}, [](NackEntityPacket& p) { p.entityIds = {0xABC}; }));

    goldens.push_back(Golden<WarpEntityPacket>(
        {
            0x25, 0x00,              // type 37
            0x05, 0x00, 0x00, 0x00,  // warp point: region 5
            0x00, 0x00, 0x80, 0xC0,  //   x -4.0
            0x00, 0x00, 0x00, 0x3F,  //   y 0.5
            0x00, 0x00, 0x20, 0x41,  //   z 10.0
        },
        {}, [](WarpEntityPacket& p) { p.warpPoint = GoldenPoint(5, -4.0f, 0.5f, 10.0f); }));

    // player; state, loaded
    goldens.push_back(GoldenWords<NRLoaderStatePacket>(
        47, {0x20000002, 2}, [](NRLoaderStatePacket& p) {
            p.playerId = 0x20000002;
            p.state = NRLoaderState_Loaded;
        }));

    goldens.push_back(Golden<StartServerRespawnPacket>(
        {
            0x30, 0x00,              // type 48
            0x01, 0x00, 0x00, 0x10,  // player 0x10000001
            0x02, 0x00, 0x00, 0x00,  // location: region 2
            0x00, 0x00, 0x00, 0x41,  //   x 8.0
            0x00, 0x00, 0x80, 0xBF,  //   y -1.0
            0x00, 0x00, 0x80, 0x41,  //   z 16.0
        },
        {}, [](StartServerRespawnPacket& p) {
            p.playerId = 0x10000001;
            p.location = GoldenPoint(2, 8.0f, -1.0f, 16.0f);
        }));

    goldens.push_back(Golden<UpdatePositionPacket>(
        {
            0x6A, 0x00,              // type 106
            0x02, 0x00, 0x00, 0x00,  // originator host 2
            0x10, 0x00, 0x00, 0x20,  // entity 0x20000010
            0x04, 0x00, 0x00, 0x00,  // target coordinates: region 4
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // x axis 0, 1, 0
            0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // y axis -1, 0, 0
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis 0, 0, 1
            0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x80, 0x40, 0x00, 0x00, 0xA0, 0x40,  // origin 3, 4, 5
        },
        {}, [](UpdatePositionPacket& p) {
            p.originatorHostId = 2;
            p.entityId = 0x20000010;
            Coords frame;
            frame.xAxis = Vec3(0, 1, 0);
            frame.yAxis = Vec3(-1, 0, 0);
            frame.origin = Vec3(3, 4, 5);
            p.targetCoords = GoldenFrame(4, frame);
        }));
}

}  // namespace GAME
