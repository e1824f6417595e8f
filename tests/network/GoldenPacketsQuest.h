// Golden quest command and game balance packets (the quest message is in
// GoldenPackets.h).
#pragma once

#include <vector>

#include "Game/network/QuestPackets.h"
#include "tests/network/GoldenPacket.h"

namespace GAME {

inline void AddGoldenQuestPackets(std::vector<GoldenPacket>& goldens)
{
    goldens.push_back(Golden<QuestCommandMovePacket>(
        {
            0x38, 0x00,              // type 56
            0x01, 0xA0, 0x00, 0x00,  // character 0xA001
            0x02, 0xB0, 0x00, 0x00,  // target 0xB002
            0x04, 0x00, 0x00, 0x00,  // target position: region 4
            0x00, 0x00, 0x80, 0x3F,  //   x 1.0
            0x00, 0x00, 0x00, 0xC0,  //   y -2.0
            0x00, 0x00, 0x00, 0x3F,  //   z 0.5
            0x01,                    // allow interruptions
        },
        {}, [](QuestCommandMovePacket& p) {
            p.characterId = 0xA001;
            p.targetId = 0xB002;
            p.targetPosition = GoldenPoint(4, 1.0f, -2.0f, 0.5f);
            p.allowInterruptions = true;
        }));

    goldens.push_back(Golden<QuestCommandWalkPacket>(
        {
            0x39, 0x00,              // type 57
            0x03, 0xA0, 0x00, 0x00,  // character 0xA003
            0x00, 0x00, 0x00, 0x00,  // no target
            0x01, 0x00, 0x00, 0x00,  // target position: region 1
            0x00, 0x00, 0x40, 0x41,  //   x 12.0
            0x00, 0x00, 0x00, 0x00,  //   y 0.0
            0x00, 0x00, 0x80, 0x41,  //   z 16.0
            0x00,                    // no interruptions
        },
        {}, [](QuestCommandWalkPacket& p) {
            p.characterId = 0xA003;
            p.targetId = 0;
            p.targetPosition = GoldenPoint(1, 12.0f, 0.0f, 16.0f);
            p.allowInterruptions = false;
        }));

    goldens.push_back(Golden<QuestCommandPlayAnimationPacket>(
        {
            0x3A, 0x00,              // type 58
            0x04, 0xA0, 0x00, 0x00,  // character 0xA004
            0x06, 0x00, 0x00, 0x00,  // animation 6
            0x01,                    // looping
            0x00,                    // no interruptions
        },
        {}, [](QuestCommandPlayAnimationPacket& p) {
            p.characterId = 0xA004;
            p.animation = 6;
            p.looping = true;
            p.allowInterruptions = false;
        }));

    goldens.push_back(Golden<QuestCommandUseSkillPacket>(
        {
            0x3B, 0x00,              // type 59
            0x05, 0xA0, 0x00, 0x00,  // character 0xA005
            0x06, 0xB0, 0x00, 0x00,  // target 0xB006
            0x0F, 0x00, 'S', 'k', 'i', 'l', 'l', 's', '/', 'F', 'i', 'r', 'e', '.', 'd', 'b', 'r',  // skill
            0x01,                    // allow interruptions
        },
        {{10, 2}}, [](QuestCommandUseSkillPacket& p) {
            p.characterId = 0xA005;
            p.targetId = 0xB006;
            p.skillName = "Skills/Fire.dbr";
            p.allowInterruptions = true;
        }));

    goldens.push_back(Golden<QuestCommandLockFixedItemPacket>(
        {
            0x3C, 0x00,              // type 60
            0x07, 0xC0, 0x00, 0x00,  // fixed item 0xC007
            0x01,                    // locked
        },
        {}, [](QuestCommandLockFixedItemPacket& p) {
            p.objectId = 0xC007;
            p.locked = true;
        }));

    // game balance level
    goldens.push_back(GoldenWords<GameBalanceUpdatePacket>(
        61, {3}, [](GameBalanceUpdatePacket& p) { p.level = 3; }));
}

}  // namespace GAME
