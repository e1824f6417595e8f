// Golden character action packets. After the type comes the pre-move flag (and, when it
// is 1, the block), then the character, one of kGoldenConfigCmdObjects.
#pragma once

#include <vector>

#include "Game/network/CharacterActionPackets.h"
#include "tests/network/GoldenPacket.h"
#include "tests/network/GoldenPacketsConfigCmd.h"

namespace GAME {

// The type, no pre-move block, then the character 0x3002.
inline Bytes ActionHead(uint16_t type)
{
    return {static_cast<unsigned char>(type), static_cast<unsigned char>(type >> 8), 0x00, 0x02, 0x30, 0x00, 0x00};
}

// A packet without a pre-move block, of the character 0x3002 and the given field bytes;
// the flag byte counts as a count (any byte but 0 and 1 fails).
template <class P, class Fill>
GoldenPacket GoldenAction(std::initializer_list<unsigned char> fields, std::vector<std::pair<size_t, size_t>> counts,
                          Fill fill)
{
    counts.push_back({2, 1});
    return Golden<P>(Concat(ActionHead(P::kType), fields), std::move(counts), [fill](P& p) {
        p.characterId = 0x3002;
        fill(p);
    });
}

// The point (region 1, x 1.0, y 2.0, z 3.0) as bytes.
#define GOLDEN_ACTION_POINT_1 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40

inline void AddGoldenActionPackets(std::vector<GoldenPacket>& goldens)
{
    const auto nothing = [](auto&) {};
    const auto atPoint1 = [](auto& p) { p.position = GoldenPoint(1, 1.0f, 2.0f, 3.0f); };
    goldens.push_back(GoldenAction<IdleActionPacket>({GOLDEN_ACTION_POINT_1}, {}, atPoint1));
    goldens.push_back(GoldenAction<LongIdleActionPacket>({GOLDEN_ACTION_POINT_1}, {}, atPoint1));

    // With a pre-move block.
    goldens.push_back(Golden<MoveToPacket>(
        {
            0x41, 0x00,              // type 65
            0x01,                    // pre-move block:
            0x02, 0x00, 0x00, 0x00,  //   position: region 2
            0x00, 0x00, 0x80, 0x40,  //     x 4.0
            0x00, 0x00, 0xA0, 0x40,  //     y 5.0
            0x00, 0x00, 0xC0, 0x40,  //     z 6.0
            0x34, 0x12, 0x00, 0x00,  //   target 0x1234
            0x07, 0x00, 0x00, 0x00,  //   skill 7
            0x00, 0x00, 0x20, 0x40,  //   speed 2.5
            0x03, 0x30, 0x00, 0x00,  // character 0x3003
            0x02, 0xB0, 0x00, 0x00,  // target 0xB002
            0x03, 0x00, 0x00, 0x00,  // start: region 3
            0x00, 0x00, 0x00, 0x3F,  //   x 0.5
            0x00, 0x00, 0x00, 0xC0,  //   y -2.0
            0x00, 0x00, 0x80, 0x3E,  //   z 0.25
            0x04, 0x00, 0x00, 0x00,  // world location: region 4
            0x00, 0x00, 0x00, 0x41,  //   x 8.0
            0x00, 0x00, 0x20, 0x41,  //   y 10.0
            0x00, 0x00, 0x40, 0x41,  //   z 12.0
            0x05, 0x01,              // skill 0x105
            0x00, 0x00, 0xC0, 0x3F,  // speed 1.5
        },
        {{2, 1}}, [](MoveToPacket& p) {
            p.preMoveFlag = 1;
            p.preMovePosition = GoldenPoint(2, 4.0f, 5.0f, 6.0f);
            p.preMoveTargetId = 0x1234;
            p.preMoveSkillNumber = 7;
            p.preMoveSpeed = 2.5f;
            p.characterId = 0x3003;
            p.targetId = 0xB002;
            p.startLocation = GoldenPoint(3, 0.5f, -2.0f, 0.25f);
            p.worldLocation = GoldenPoint(4, 8.0f, 10.0f, 12.0f);
            p.skillNumber = 0x105;
            p.speed = 1.5f;
        }));

    goldens.push_back(GoldenAction<WalkPacket>(
        {
            0x09, 0xB0, 0x00, 0x00,  // target 0xB009
            GOLDEN_ACTION_POINT_1,   // start
            0x05, 0x00, 0x00, 0x00,  // world location: region 5
            0x00, 0x00, 0x80, 0x40,  //   x 4.0
            0x00, 0x00, 0xA0, 0x40,  //   y 5.0
            0x00, 0x00, 0xC0, 0x40,  //   z 6.0
        },
        {}, [](WalkPacket& p) {
            p.targetId = 0xB009;
            p.startLocation = GoldenPoint(1, 1.0f, 2.0f, 3.0f);
            p.worldLocation = GoldenPoint(5, 4.0f, 5.0f, 6.0f);
        }));

    const auto item = [](auto& p) {
        p.itemId = 0xC00C;
        p.position = GoldenPoint(1, 1.0f, 2.0f, 3.0f);
    };
    goldens.push_back(GoldenAction<PickUpItemPacket>({0x0C, 0xC0, 0x00, 0x00, GOLDEN_ACTION_POINT_1}, {}, item));
    goldens.push_back(GoldenAction<UseItemPacket>({0x0C, 0xC0, 0x00, 0x00, GOLDEN_ACTION_POINT_1}, {}, item));

    goldens.push_back(GoldenAction<AttackPacket>(
        {
            0x0D, 0xD0, 0x00, 0x00,  // defender 0xD00D
            0x06, 0x00, 0x00, 0x00,  // location: region 6
            0x00, 0x00, 0x00, 0x41,  //   x 8.0
            0x00, 0x00, 0x00, 0x00,  //   y 0.0
            0x00, 0x00, 0x80, 0x41,  //   z 16.0
            0x03, 0x00,              // skill 3
            0x45, 0x23,              // seed 0x2345
            GOLDEN_ACTION_POINT_1,   // attacker position
        },
        {}, [](AttackPacket& p) {
            p.defenderId = 0xD00D;
            p.location = GoldenPoint(6, 8.0f, 0.0f, 16.0f);
            p.skillNumber = 3;
            p.seed = 0x2345;
            p.attackerPosition = GoldenPoint(1, 1.0f, 2.0f, 3.0f);
        }));

    goldens.push_back(GoldenAction<TakeStunPacket>({}, {}, nothing));
    goldens.push_back(GoldenAction<ImmobilizePacket>({}, {}, nothing));
    goldens.push_back(GoldenAction<TakeTrapPacket>({}, {}, nothing));

    goldens.push_back(GoldenAction<DiePacket>(
        {
            0x02, 0x00, 0x00, 0x00,  // 2 ids
            0x01, 0x00, 0x01, 0x00,  //   0x10001
            0x02, 0x00, 0x01, 0x00,  //   0x10002
        },
        {{7, 4}}, [](DiePacket& p) { p.deathHandlerIds = {0x10001, 0x10002}; }));

    goldens.push_back(GoldenAction<ChatActionPacket>({0x04, 0x30, 0x00, 0x00}, {},
                                                     [](ChatActionPacket& p) { p.targetId = 0x3004; }));

    goldens.push_back(GoldenAction<PlayAnimationActionPacket>(
        {
            0x1F, 0x00, 0x00, 0x00,  // animation type 31
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // the empty name, 16 bytes
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
            0x00, 0x00, 0x00, 0x3F,  // speed modifier 0.5
            0x01,                    // loop
            0x09, 0x00, 0x00, 0x00,  // iteration 9
        },
        {}, [](PlayAnimationActionPacket& p) {
            p.animationType = 31;
            p.speedModifier = 0.5f;
            p.loop = true;
            p.iteration = 9;
        }));

    goldens.push_back(GoldenAction<EngageNpcPacket>({0x05, 0x30, 0x00, 0x00}, {},
                                                    [](EngageNpcPacket& p) { p.targetId = 0x3005; }));
    goldens.push_back(GoldenAction<SpawnActionPacket>({}, {}, nothing));

    goldens.push_back(GoldenAction<RespawnPacket>(
        {
            0x07, 0x00, 0x00, 0x00,  // coords: region 7
            0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
            0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xC0,  // origin 10, 0, -4
        },
        {}, [](RespawnPacket& p) {
            p.respawnCoords = GoldenFrame(7, Coords::MakeTranslation(Vec3(10, 0, -4)));
        }));
}

#undef GOLDEN_ACTION_POINT_1

}  // namespace GAME
