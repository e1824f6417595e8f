// Golden actor config command packets. Their object ids name the objects of
// kGoldenConfigCmdObjects, which the golden tests create, so that the packets resolve.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "Game/network/ConfigCmdPackets.h"
#include "tests/network/GoldenPacket.h"

namespace GAME {

inline constexpr uint32_t kGoldenConfigCmdObjects[] = {0x3001, 0x3002, 0x3003, 0x3004, 0x3005, 0x3006};

// The type, then the actor id 0x3001.
inline Bytes ConfigCmdHead(uint16_t type)
{
    return {static_cast<unsigned char>(type), static_cast<unsigned char>(type >> 8), 0x01, 0x30, 0x00, 0x00};
}

inline Bytes Concat(Bytes head, std::initializer_list<unsigned char> rest)
{
    head.insert(head.end(), rest);
    return head;
}

// A packet of its actor id and the given field bytes.
template <class P, class Fill>
GoldenPacket GoldenConfigCmd(std::initializer_list<unsigned char> fields, std::vector<std::pair<size_t, size_t>> counts,
                             Fill fill)
{
    return Golden<P>(Concat(ConfigCmdHead(P::kType), fields), std::move(counts), [fill](P& p) {
        p.actorId = 0x3001;
        fill(p);
    });
}

inline void AddGoldenActorConfigCmdPackets(std::vector<GoldenPacket>& goldens)
{
    const auto none = [](auto&) {};
    // The actor alone (type, actor id 0x3001).
    goldens.push_back(GoldenConfigCmd<IncBaseStrengthConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<IncBaseDexterityConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<IncBaseIntelligenceConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<ReleaseTrapConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<ReleaseStunConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<ReleaseImmobilizeConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<QuestMoveCompletedConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<QuestAnimationCompletedConfigCmdPacket>({}, {}, none));
    goldens.push_back(GoldenConfigCmd<DisableTyphonSkillEffectsConfigCmdPacket>({}, {}, none));

    // The actor and one value.
    goldens.push_back(GoldenConfigCmd<DetachItemConfigCmdPacket>(
        {0x11, 0x90, 0x00, 0x00},  // item 0x9011 (a word: need not exist)
        {}, [](auto& p) { p.value = 0x9011; }));
    goldens.push_back(GoldenConfigCmd<ReleasePetConfigCmdPacket>(
        {0x12, 0x90, 0x00, 0x00},  // pet 0x9012
        {}, [](auto& p) { p.value = 0x9012; }));
    goldens.push_back(GoldenConfigCmd<RemoveInventoryItemConfigCmdPacket>(
        {0x13, 0x90, 0x00, 0x00},  // item 0x9013
        {}, [](auto& p) { p.value = 0x9013; }));
    goldens.push_back(GoldenConfigCmd<PlaySoundConfigCmdPacket>(
        {0x04, 0x00, 0x00, 0x00},  // sound index 4
        {}, [](auto& p) { p.value = 4; }));
    goldens.push_back(GoldenConfigCmd<IncBaseLifeConfigCmdPacket>(
        {0x05, 0x00, 0x00, 0x00},  // amount 5
        {}, [](auto& p) { p.value = 5; }));
    goldens.push_back(GoldenConfigCmd<IncBaseManaConfigCmdPacket>(
        {0xFE, 0xFF, 0xFF, 0xFF},  // amount -2
        {}, [](auto& p) { p.value = -2; }));
    goldens.push_back(GoldenConfigCmd<ShowCharacterConfigCmdPacket>(
        {0x01},  // visible
        {}, [](auto& p) { p.value = true; }));
    goldens.push_back(GoldenConfigCmd<SetCausesAngerConfigCmdPacket>(
        {0x00},  // causes no anger
        {}, [](auto& p) { p.value = false; }));
    goldens.push_back(GoldenConfigCmd<SetInvincibleConfigCmdPacket>(
        {0x01},  // invincible
        {}, [](auto& p) { p.value = true; }));

    // Target lists.
    goldens.push_back(GoldenConfigCmd<FixedItemTargetConfigCmdPacket>(
        {
            0x02, 0x30, 0x00, 0x00,  // primary target 0x3002
            0x02, 0x00, 0x00, 0x00,  // two secondary targets
            0x03, 0x30, 0x00, 0x00,  //   0x3003
            0x04, 0x30, 0x00, 0x00,  //   0x3004
        },
        {{10, 4}}, [](auto& p) {
            p.primaryTargetId = 0x3002;
            p.targetIds = std::vector<uint32_t>{0x3003, 0x3004};
        }));
    goldens.push_back(GoldenConfigCmd<FixedItemSkillTargetConfigCmdPacket>(
        {
            0x00, 0x00, 0x00, 0x00,  // no primary target
            0x01, 0x00, 0x00, 0x00,  // one skill target
            0x05, 0x30, 0x00, 0x00,  //   0x3005
        },
        {{10, 4}}, [](auto& p) {
            p.primaryTargetId = 0;
            p.targetIds = std::vector<uint32_t>{0x3005};
        }));
    goldens.push_back(GoldenConfigCmd<StrategicMovementTargetConfigCmdPacket>(
        {
            0x02, 0x00, 0x00, 0x00,  // two targets
            0x06, 0x30, 0x00, 0x00,  //   0x3006
            0x02, 0x30, 0x00, 0x00,  //   0x3002
        },
        {{6, 4}}, [](auto& p) { p.targetIds = std::vector<uint32_t>{0x3006, 0x3002}; }));
}

inline void AddGoldenItemConfigCmdPackets(std::vector<GoldenPacket>& goldens)
{
    goldens.push_back(GoldenConfigCmd<AttachItemConfigCmdPacket>(
        {
            0x21, 0x90, 0x00, 0x00,  // item 0x9021
            0x07, 0x00, 0x00, 0x00,  // finger
        },
        {}, [](auto& p) {
            p.itemId = 0x9021;
            p.location = EquipLocation_Finger;
        }));
    goldens.push_back(GoldenConfigCmd<DropItemConfigCmdPacket>(
        {
            0x22, 0x90, 0x00, 0x00,  // item 0x9022
            0x00, 0x00, 0x80, 0x3F,  // offset 1.0
            0x00, 0x00, 0x00, 0xC0,  // offset -2.0
        },
        {}, [](auto& p) {
            p.itemId = 0x9022;
            p.offset1 = 1.0f;
            p.offset2 = -2.0f;
        }));
    goldens.push_back(GoldenConfigCmd<DropItemFromEquipLocConfigCmdPacket>(
        {
            0x23, 0x90, 0x00, 0x00,  // item 0x9023
            0x09, 0x00, 0x00, 0x00,  // no bone
            0x01,                    // toss
        },
        {}, [](auto& p) {
            p.itemId = 0x9023;
            p.location = EquipLocation_NoBone;
            p.toss = true;
        }));
    goldens.push_back(GoldenConfigCmd<UseItemConfigCmdPacket>(
        {
            0x24, 0x90, 0x00, 0x00,  // item 0x9024
            0x01,                    // destroy
        },
        {}, [](auto& p) {
            p.itemId = 0x9024;
            p.destroy = true;
        }));
    goldens.push_back(GoldenConfigCmd<UseRelicConfigCmdPacket>(
        {
            0x25, 0x90, 0x00, 0x00,  // relic 0x9025
            0x26, 0x90, 0x00, 0x00,  // item 0x9026
        },
        {}, [](auto& p) {
            p.relicId = 0x9025;
            p.itemId = 0x9026;
        }));
    goldens.push_back(GoldenConfigCmd<PickupItemConfigCmdPacket>(
        {0x02, 0x30, 0x00, 0x00},  // item 0x3002 (an id: it must exist)
        {}, [](auto& p) { p.itemId = 0x3002; }));

    goldens.push_back(GoldenConfigCmd<FixedItemStateChangeConfigCmdPacket>(
        {
            0x03, 0x00, 0x00, 0x00,  // state 3
            0x00, 0x00, 0x00, 0x00,  // no target
            0x01,                    // sound
        },
        {}, [](auto& p) {
            p.state = 3;
            p.targetId = 0;
            p.doSound = true;
        }));
    goldens.push_back(GoldenConfigCmd<RequestAllyAttackConfigCmdPacket>(
        {
            0x03, 0x30, 0x00, 0x00,  // requester 0x3003
            0x31, 0x90, 0x00, 0x00,  // target 0x9031 (a word)
        },
        {}, [](auto& p) {
            p.requesterId = 0x3003;
            p.targetId = 0x9031;
        }));
    goldens.push_back(GoldenConfigCmd<RequestAllyMoveConfigCmdPacket>(
        {
            0x04, 0x30, 0x00, 0x00,  // requester 0x3004
            0x02, 0x00, 0x00, 0x00,  // point: region 2
            0x00, 0x00, 0x80, 0x3F,  //   x 1.0
            0x00, 0x00, 0x00, 0x40,  //   y 2.0
            0x00, 0x00, 0x40, 0x40,  //   z 3.0
        },
        {}, [](auto& p) {
            p.requesterId = 0x3004;
            p.targetPoint = GoldenPoint(2, 1.0f, 2.0f, 3.0f);
        }));
    goldens.push_back(GoldenConfigCmd<StartStopDamageEffectConfigCmdPacket>(
        {
            0x01,                    // start
            0x2E, 0x00, 0x00, 0x00,  // type 46, the last
        },
        {}, [](auto& p) {
            p.start = true;
            p.type = kCombatAttributeTypeLast;
        }));
    goldens.push_back(GoldenConfigCmd<SetTeamConfigCmdPacket>(
        {
            0x03, 0x00, 0x00, 0x00,  // major: monsters
            0x02, 0x00, 0x00, 0x00,  // minor: red
            0x01,                    // set
            0x00, 0x00, 0x00,        // filler
        },
        {}, [](auto& p) { p.team.Set(kTeamMajorMonster, kTeamMinorMonsterRed); }));
}

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// The 52 bytes of GoldenSkillFrame().
inline Bytes GoldenSkillFrameBytes()
{
    return {
        0x01, 0x00, 0x00, 0x00,  // region 1
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,  // origin 1, 2, 3
    };
}

inline WorldCoords GoldenSkillFrame()
{
    return GoldenFrame(1, Coords::MakeTranslation(Vec3(1, 2, 3)));
}

inline void AddGoldenSkillConfigCmdPackets(std::vector<GoldenPacket>& goldens)
{
    goldens.push_back(GoldenConfigCmd<CreateRemoveSkillBuffConfigCmdPacket>(
        {
            0x51, 0x90, 0x00, 0x00,  // skill id 0x9051
            0x04, 0x00, 0x00, 0x00,  // level 4
            0x02, 0x00, 0x00, 0x00,  // modifier level 2
            0x01, 0x00, 0x00, 0x00,  // modifier level 1
            0x08, 0x00, 'B', 'u', 'f', 'f', '.', 'd', 'b', 'r',  // skill name
            0x06, 0x00, 'M', '1', '.', 'd', 'b', 'r',            // first modifier name
            0x00, 0x00,                                          // no second modifier
            0x10, 0x27, 0x00, 0x00,  // time to live 10000
            0x52, 0x90, 0x00, 0x00,  // caster 0x9052 (a word)
        },
        {{22, 2}, {32, 2}, {40, 2}}, [](auto& p) {
            p.skillId = 0x9051;
            p.level = 4;
            p.modifierLevel1 = 2;
            p.modifierLevel2 = 1;
            p.skillName = "Buff.dbr";
            p.modifierName1 = "M1.dbr";
            p.modifierName2 = "";
            p.timeToLive = 10000;
            p.casterId = 0x9052;
        }));

    goldens.push_back(Golden<SkillTargetResultConfigCmdPacket>(
        Join({{
                  0x58, 0x00,              // type 88
                  0x0B,                    // flags: use weapon, hit iteration, target list
                  0x01, 0x30, 0x00, 0x00,  // actor 0x3001
                  0x05, 0x00,              // skill number 5
                  0x34, 0x12,              // seed 0x1234
                  0x41, 0x90, 0x00, 0x00,  // weapon 0x9041
              },
              GoldenSkillFrameBytes(),     // origin
              {
                  0xFE,                    // hit iteration -2
                  0x02, 0x00, 0x00, 0x00,  // two targets
                  0x02, 0x30, 0x00, 0x00,  //   0x3002
                  0x00, 0x00, 0x00, 0x00,  //   none
              }}),
        {{68, 4}}, [](SkillTargetResultConfigCmdPacket& p) {
            p.actorId = 0x3001;
            p.skillNumber = 5;
            p.seed = 0x1234;
            p.weaponId = 0x9041;
            p.useWeapon = true;
            p.origin = GoldenSkillFrame();
            p.hitIteration = -2;
            p.targetIds = std::vector<uint32_t>{0x3002, 0};
        }));

    goldens.push_back(Golden<CreateProjectileConfigCmdPacket>(
        Join({ConfigCmdHead(97),
              {
                  0x06, 0x00,              // skill number 6
                  0x61, 0x90, 0x00, 0x00,  // projectile 0x9061
                  0x62, 0x90, 0x00, 0x00,  // weapon 0x9062
              },
              GoldenSkillFrameBytes(),     // origin
              {
                  0x00, 0x00, 0x00, 0x00,  // no target
                  0x03, 0x00, 0x00, 0x00,  // point: region 3
                  0x00, 0x00, 0x80, 0x3F,  //   x 1.0
                  0x00, 0x00, 0x00, 0x00,  //   y 0.0
                  0x00, 0x00, 0x00, 0xC0,  //   z -2.0
                  0x21, 0x43,              // seed 0x4321
                  0x01, 0x00, 0x00, 0x00,  // hit iteration 1
              }}),
        {}, [](CreateProjectileConfigCmdPacket& p) {
            p.actorId = 0x3001;
            p.skillNumber = 6;
            p.projectileId = 0x9061;
            p.weaponId = 0x9062;
            p.origin = GoldenSkillFrame();
            p.targetId = 0;
            p.point = GoldenPoint(3, 1.0f, 0.0f, -2.0f);
            p.seed = 0x4321;
            p.hitIteration = 1;
        }));

    goldens.push_back(Golden<SpawnObjectConfigCmdPacket>(
        Join({ConfigCmdHead(98),
              {0x07, 0x00},                // skill number 7
              GoldenSkillFrameBytes(),     // origin
              {
                  0x71, 0x90, 0x00, 0x00,  // target 0x9071 (a word)
                  0x01, 0x00, 0x00, 0x00,  // one spawn position
              },
              GoldenSkillFrameBytes(),     //   the origin again
              {
                  0x02, 0x00, 0x00, 0x00,  // two spawn ids
                  0x72, 0x90, 0x00, 0x00,  //   0x9072
                  0x73, 0x90, 0x00, 0x00,  //   0x9073
                  0xCD, 0xAB,              // last value 0xABCD
              }}),
        {{64, 4}, {120, 4}}, [](SpawnObjectConfigCmdPacket& p) {
            p.actorId = 0x3001;
            p.skillNumber = 7;
            p.origin = GoldenSkillFrame();
            p.targetId = 0x9071;
            p.spawnCoords = {GoldenSkillFrame()};
            p.spawnIds = {0x9072, 0x9073};
            p.lastValue = 0xABCD;
        }));

    goldens.push_back(GoldenConfigCmd<SkillStateUpdateConfigCmdPacket>(
        {
            0x08, 0x00,              // skill number 8
            0xFE, 0xFF, 0xFF, 0xFF,  // level -2
            0x01,                    // enabled
            0x00, 0x00, 0x00,        // filler
        },
        {}, [](auto& p) {
            p.skillNumber = 8;
            p.state = {-2, true};
        }));
    goldens.push_back(GoldenConfigCmd<SkillActiveStateUpdateConfigCmdPacket>(
        {
            0x09, 0x00,              // skill number 9
            0x03, 0x00, 0x00, 0x00,  // sub level 3
            0x01,                    // active
            0x00,                    // no transition
            0x00, 0x00,              // filler
        },
        {}, [](auto& p) {
            p.skillNumber = 9;
            p.state = {3, true, false};
        }));
    goldens.push_back(GoldenConfigCmd<ActivateSkillConfigCmdPacket>(
        {
            0x0A, 0x00,              // skill index 10
            0x05, 0x30, 0x00, 0x00,  // target 0x3005
            0x04, 0x00, 0x00, 0x00,  // point: region 4
            0x00, 0x00, 0x00, 0x3F,  //   x 0.5
            0x00, 0x00, 0x80, 0x3F,  //   y 1.0
            0x00, 0x00, 0x00, 0x40,  //   z 2.0
        },
        {}, [](auto& p) {
            p.skillIndex = 10;
            p.targetId = 0x3005;
            p.targetPoint = GoldenPoint(4, 0.5f, 1.0f, 2.0f);
        }));
}

}  // namespace GAME
