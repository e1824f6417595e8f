// A character's skills and buffs from any bytes, then the skill commands, frames, a
// dispel, a death and destruction, all on one monster with skills and a foe beside it.
//
// The monster's record gives it five skills; the family record then adds one of each
// further kind (self, radius, aura and other-target buffs, passives and modifiers,
// triggered skills, the dispel and the bonus, pets, monster pets, walls and walled
// ground) under reference numbers 5 to 27, and a second record the attack, spell,
// telekinesis, boss and small kinds under 28 to 48, so that a command may reach every kind.
//
// The input: a 16-bit length, that many bytes of replicas (the skill list, then the buff
// list, as a joining peer reads them) applied to the monster, then commands, each a
// selector byte (one of the six skill command packets), a length byte and the packet's
// body. A command that reads is sent to the monster (its actor id is set to the
// monster's) and runs as every peer runs it.
//
// The run stops where, after any step, two buffs on the monster share a name, a combat
// filter on it belongs to no skill or buff it still has, or a filter is listed twice; at
// the end every object must be gone, and ASan's leak check at exit finds what was lost.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "fuzz/FuzzBytes.h"
#include "fuzz/FuzzOptions.h"
#include "Engine/GameServices.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatFilter.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"

using namespace GAME;

namespace {

constexpr uint32_t kMonsterId = 0x3001;
constexpr uint32_t kFoeId = 0x3004;
constexpr NetPacketType kReplicaType = 40;
constexpr int kFrames = 4;
constexpr int kFrameMs = 250;

// The character's skills: a toggled self buff (a filter of its own), an inherent melee
// attack, a projectile attack and a debuffing attack, with a modifier. The buffs a replica
// or command may name: one of each buff kind, and a modifier.
void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Fuzz/Monster.dbr",
                           "Class,Monster,\ncharacterLife,1000,\ncharacterMana,100,\n"
                           "unarmedAttackAnim1,Fuzz.anm,\nunarmedAttackAnimWeight1,100,\n"
                           "unarmedDieAnim1,Fuzz.anm,\nunarmedDieAnimWeight1,100,\n"
                           "unarmedIdleAnim1,Fuzz.anm,\nunarmedIdleAnimWeight1,100,\n"
                           "skillName1,Records/Fuzz/Toggle.dbr,\nskillLevel1,1,\n"
                           "skillName2,Records/Fuzz/Inherent.dbr,\nskillLevel2,2,\n"
                           "skillName3,Records/Fuzz/Mod.dbr,\nskillLevel3,1,\n"
                           "skillName4,Records/Fuzz/Shot.dbr,\nskillLevel4,1,\n"
                           "skillName5,Records/Fuzz/Curse.dbr,\nskillLevel5,1,\n");
    records.RegisterRecord("Records/Fuzz/Foe.dbr", "Class,Monster,\ncharacterLife,1000,\n");
    records.RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
    records.RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerAI,\n");
    GraphicsEngine::Get()->RegisterAnimation("Fuzz.anm", "length,10,\n");

    records.RegisterRecord("Records/Fuzz/Toggle.dbr",
                           "Class,Skill_BuffSelfToggled,\nskillMaxLevel,5,\nskillActiveManaCost,1,\n"
                           "damageAbsorption,50,\ndamageAbsorptionPercent,20,\n");
    records.RegisterRecord("Records/Fuzz/Inherent.dbr",
                           "Class,Skill_AttackInherent,\nskillMaxLevel,5,\nskillManaCost,2,\nskillCooldownTime,1,\n"
                           "skillTargetNumber,3,\nskillTargetRadius,5,\n");
    records.RegisterRecord("Records/Fuzz/Shot.dbr",
                           "Class,Skill_AttackProjectile,\nskillMaxLevel,5,\nskillProjectileNumber,2,\n"
                           "skillProjectileName,Records/Fuzz/Arrow.dbr,\n");
    records.RegisterRecord("Records/Fuzz/Arrow.dbr", "Class,ProjectileArrowLike,\n");
    records.RegisterRecord("Records/Fuzz/Curse.dbr",
                           "Class,Skill_AttackBuff,\nskillMaxLevel,5,\nbuffSkillName,Records/Fuzz/Debuf.dbr,\n");
    records.RegisterRecord("Records/Fuzz/Mod.dbr", "Class,Skill_Modifier,\nskillMaxLevel,5,\n");

    // The family: every kind once, each with the keys any of them reads.
    const char* family[] = {
        "Skill_BuffSelfDuration",  "Skill_BuffSelfShield",          "Skill_BuffSelfColossus",
        "Skill_BuffSelfImmobilize", "Skill_BuffSelfInvulnerable",   "Skill_BuffAttackRadiusToggled",
        "Skill_BuffAttackRadiusDuration", "Skill_BuffRadius",       "Skill_BuffRadiusToggled",
        "Skill_BuffOther",         "Skill_PassiveDualWieldWeapon",  "Skill_MeleeModifier",
        "Skill_MeleeModifierRadius", "Skill_OnHitBuffSelf",         "Skill_PassiveOnHitBuffSelf",
        "Skill_PassiveOnLifeBuffSelf", "Skill_OnHitAttackRadius",   "Skill_DispelMagic",
        "Skill_GiveBonus",         "Skill_SpawnPet",                "Skill_SpawnPetMonster",
        "Skill_DefensiveWall",     "Skill_DefensiveGround",
    };
    std::string tree;
    for (size_t i = 0; i < std::size(family); ++i) {
        const std::string name = std::string("Records/Fuzz/Family/") + family[i] + ".dbr";
        const bool debuff = std::string(family[i]) == "Skill_BuffOther";
        records.RegisterRecord(
            name, std::string("Class,") + family[i] +
                      ",\nskillMaxLevel,5,\nskillManaCost,1,\nskillCooldownTime,0.5,\nskillActiveDuration,1,\n"
                      "buffSkillName," + (debuff ? "Records/Fuzz/Debuf.dbr" : "Records/Fuzz/Buff.dbr") +
                      ",\nskillTargetRadius,6,\nskillTargetNumber,3,\nonHitActivationChance,100,\n"
                      "lifeMonitorPercent,90,\nskillProjectileName,Records/Fuzz/Arrow.dbr,\n"
                      "offensivePhysicalMin,5,\noffensivePhysicalMax,9,\nskillLifeBonus,5,\nskillManaBonus,5,\n"
                      "damageAbsorption,20,\nspawnObjects,Records/Fuzz/Summoned.dbr,\nspawnObjectsTimeToLive,0;0.6,\n"
                      "petBurstSpawn,2,\npetLimit,3,\nspawnObjectsNumberOfRings,1;2,\nspawnObjectsSpacingAngle,90,\n"
                      "spawnObjectsDistanceInnerCircle,3,\nspawnObjectsDistanceIncrement,2,\n");
        tree += "skillName" + std::to_string(i + 1) + "," + name + ",\nskillLevel" + std::to_string(i + 1) + ",1;2,\n";
    }
    records.RegisterRecord("Records/Fuzz/Family.dbr", tree);
    records.RegisterRecord("Records/Fuzz/Summoned.dbr", "Class,Monster,\ncharacterLife,20,\n");

    // The attack, spell, telekinesis, boss and small kinds, under reference numbers 28 to
    // 48: each with the keys any of them reads, and the effects, beams and projectiles
    // they make.
    const char* attacks[] = {
        "Skill_AttackWeapon",          "Skill_AttackWeaponCharge",       "Skill_AttackWeaponRangedSpread",
        "Skill_AttackRadius",          "Skill_AttackRadiusLightning",    "Skill_AttackSpell",
        "Skill_AttackSpellChaos",      "Skill_AttackSpellTeleport",      "Skill_AttackSpellTeleportSelf",
        "Skill_AttackTelekinesis",     "Skill_DropProjectileTelekinesis", "Skill_MonsterGenerator",
        "Skill_OnDeathSpawnActor",     "Skill_DemoFauxAttack",           "Skill_ZoveradChainLaser",
        "Skill_SpawnMegalesiosSpirit", "Skill_TyphonSkillTransfer",      "Skill_Teleport",
        "Skill_RefreshCooldown",       "Skill_PlayAttackAnimation",      "Skill_PassiveShield",
    };
    std::string attackTree;
    for (size_t i = 0; i < std::size(attacks); ++i) {
        const std::string name = std::string("Records/Fuzz/Attack/") + attacks[i] + ".dbr";
        const bool drop = std::string(attacks[i]) == "Skill_DropProjectileTelekinesis";
        records.RegisterRecord(
            name, std::string("Class,") + attacks[i] +
                      ",\nskillMaxLevel,5,\nskillManaCost,1,\nskillCooldownTime,0.5,\nskillActiveDuration,1,\n"
                      "skillTargetRadius,6,\nskillTargetNumber,3,\nskillProjectileNumber,3,\n"
                      "skillProjectileName," + (drop ? "Records/Fuzz/Sub/Boulder.dbr" : "Records/Fuzz/Arrow.dbr") +
                      ",\noffensivePhysicalMin,5,\noffensivePhysicalMax,9,\noffensiveLightningMin,2,\n"
                      "offensiveLightningMax,4,\ndriftMin,0.75,\ndriftMax,2.5,\nexpansionTime,0.05,\n"
                      "radiusMagicName,Records/Fuzz/Sub/Ring.dbr,\nlightningName,Records/Fuzz/Sub/Bolt.dbr,\n"
                      "skillSpellAura,Records/Fuzz/Sub/Effect.dbr,\nskillSpellAuraDuration,1,\nmaxDistance,18,\n"
                      "headVelocity,2.5,\ntailVelocity,3,\nchaosBeamName,Records/Fuzz/Sub/Chaos.dbr,\nliftSpeed,2,\n"
                      "moveOverHeadVelocity,3,\npuppetName,Records/Fuzz/Sub/Puppet.dbr,\nnumProjectiles,3,\n"
                      "dropOffset,10,\ndropHeight,14,\ndropHeightDeviation,20,\n"
                      "spawnObjects,Records/Fuzz/Summoned.dbr;Records/Fuzz/Foe.dbr,\n"
                      "chainLaserBeam,Records/Fuzz/Sub/Laser.dbr,\nbeamVelocity,2,\nburstVelocity,10,\n"
                      "burstName,Records/Fuzz/Sub/Effect.dbr,\nskillGodBeam,Records/Fuzz/Sub/GodBeam.dbr,\n"
                      "sourceEnd,Records/Fuzz/Sub/Effect.dbr,\ntargetEnd,Records/Fuzz/Sub/Effect.dbr,\n"
                      "refreshTime,5;0,\nphysicalDamageQualifier,1,\ndamageAbsorptionPercent,10,\n"
                      "damageAbsorption,10,\n");
        attackTree += "skillName" + std::to_string(i + 1) + "," + name + ",\nskillLevel" + std::to_string(i + 1) +
                      ",1;2,\n";
    }
    records.RegisterRecord("Records/Fuzz/Attacks.dbr", attackTree);
    const char* effects[][2] = {
        {"Records/Fuzz/Sub/Ring.dbr", "RadiusMagic"},     {"Records/Fuzz/Sub/Bolt.dbr", "Lightning"},
        {"Records/Fuzz/Sub/Chaos.dbr", "ChaosBeam"},      {"Records/Fuzz/Sub/Puppet.dbr", "Puppet"},
        {"Records/Fuzz/Sub/Laser.dbr", "ChainLaserBeam"}, {"Records/Fuzz/Sub/GodBeam.dbr", "SkillGodBeam"},
        {"Records/Fuzz/Sub/Effect.dbr", "EffectEntity"},
    };
    for (const auto& effect : effects)
        records.RegisterRecord(effect[0], std::string("Class,") + effect[1] + ",\nfadeInTime,0.1,\nfadeOutTime,0.1,\n");
    records.RegisterRecord("Records/Fuzz/Sub/Boulder.dbr",
                           "Class,ProjectileTelekinesis,\nprojectileVelocity,14,\nprojectileDistance,30,\n");

    const char* buffs[][2] = {
        {"Records/Fuzz/Buff.dbr", "SkillBuff"},
        {"Records/Fuzz/Passive.dbr", "SkillBuff_Passive"},
        {"Records/Fuzz/Shield.dbr", "SkillBuff_PassiveShield"},
        {"Records/Fuzz/Hold.dbr", "SkillBuff_BuffImmobilize"},
        {"Records/Fuzz/Debuf.dbr", "SkillBuff_Debuf"},
        {"Records/Fuzz/Plague.dbr", "SkillBuff_Contageous"},
        {"Records/Fuzz/Trap.dbr", "SkillBuff_DebufTrap"},
        {"Records/Fuzz/Freeze.dbr", "SkillBuff_DebufFreeze"},
    };
    for (const auto& buff : buffs)
        records.RegisterRecord(buff[0], std::string("Class,") + buff[1] +
                                            ",\nskillMaxLevel,5,\nskillActiveDuration,2,\n"
                                            "damageAbsorption,100,\ndamageAbsorptionPercent,20,\n"
                                            "contagionLimit,2,\ncontagionMaxSpread,3,\ncontagionRadius,5,\n");
}

// ---- The checks -----------------------------------------------------------------------

// Every buff on the character under a name of its own; every filter on it a skill or buff
// it still holds, listed once. Checked after every step: the lists are sorted copies in
// storage kept from one check to the next, so that checking allocates next to nothing.
// Every filter is a skill (each filter class derives from Skill once), so a filter is held
// when it is the very object under an id of the skill lists: the few filters are looked
// for among the skills, rather than every skill cast to a filter.
void CheckBuffsAndFilters(Monster& monster)
{
    static std::vector<SkillManager::_SkillBuffReplica> buffs;
    static std::vector<std::string> names;
    static std::vector<const CombatFilter*> filters;

    SkillManager& manager = monster.GetSkillManager();
    buffs.clear();
    manager.GetSkillBuffReplica(buffs);
    names.resize(buffs.size());
    for (size_t i = 0; i < buffs.size(); ++i)
        names[i] = GetNormalizedPath(buffs[i].buff.skillName);
    std::sort(names.begin(), names.end());
    Check(std::adjacent_find(names.begin(), names.end()) == names.end());

    ObjectManager& objects = ObjectManager::Get();
    const auto held = [&](const Skill* skill) {
        for (const auto* list : {&manager.GetUISkillList(), &manager.GetUITempSkillList()})
            for (uint32_t id : *list)
                if (objects.GetObject<Skill>(id) == skill)
                    return true;
        return false;
    };
    const std::vector<CombatFilter*>& listed = monster.GetCombatManager().GetCombatFilters();
    filters.assign(listed.begin(), listed.end());
    std::sort(filters.begin(), filters.end());
    Check(std::adjacent_find(filters.begin(), filters.end()) == filters.end());
    for (const CombatFilter* filter : filters) {
        const auto* skill = dynamic_cast<const Skill*>(filter);
        Check(skill != nullptr && held(skill));
    }
}

// ---- The steps ------------------------------------------------------------------------

// The monster while it exists: a dead one may leave the world by itself.
Monster* Live()
{
    return ObjectManager::Get().GetObject<Monster>(kMonsterId);
}

void ApplyReplicas(Monster& monster, const uint8_t* data, size_t size)
{
    std::vector<unsigned char> bytes = {kReplicaType, 0};
    bytes.insert(bytes.end(), data, data + size);
    NetPacketHeader header{kReplicaType};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    std::vector<SkillManager::_SkillReplica> skills;
    std::vector<SkillManager::_SkillBuffReplica> buffs;
    SkillManager& manager = monster.GetSkillManager();
    if (SkillManager::ReadSkillReplicas(in, skills))
        manager.SetSkillReplica(skills);
    if (SkillManager::ReadSkillBuffReplicas(in, buffs))
        manager.SetSkillBuffReplica(buffs);
    CheckBuffsAndFilters(monster);
}

template <class P>
bool Address(NetPacket& packet, uint32_t actorId)
{
    auto* typed = dynamic_cast<P*>(&packet);
    if (typed)
        typed->actorId = actorId;
    return typed != nullptr;
}

constexpr NetPacketType kCommandTypes[] = {
    CreateRemoveSkillBuffConfigCmdPacket::kType, SkillTargetResultConfigCmdPacket::kType,
    CreateProjectileConfigCmdPacket::kType,      SpawnObjectConfigCmdPacket::kType,
    SkillStateUpdateConfigCmdPacket::kType,      SkillActiveStateUpdateConfigCmdPacket::kType,
};

void RunCommand(Monster& monster, NetPacketType type, const uint8_t* body, size_t size)
{
    std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
    Check(packet != nullptr);
    std::vector<unsigned char> bytes = {static_cast<unsigned char>(type & 0xFF), static_cast<unsigned char>(type >> 8)};
    bytes.insert(bytes.end(), body, body + size);
    if (!packet->CopyInbound(bytes.data(), static_cast<int>(bytes.size())))
        return;
    const uint32_t id = monster.GetObjectId();
    Check(Address<CreateRemoveSkillBuffConfigCmdPacket>(*packet, id) ||
          Address<SkillTargetResultConfigCmdPacket>(*packet, id) ||
          Address<CreateProjectileConfigCmdPacket>(*packet, id) || Address<SpawnObjectConfigCmdPacket>(*packet, id) ||
          Address<SkillStateUpdateConfigCmdPacket>(*packet, id) ||
          Address<SkillActiveStateUpdateConfigCmdPacket>(*packet, id));
    if (std::unique_ptr<ActorConfigCommand> command = RebuildConfigCmdFrom(*packet))
        command->Execute();
    gEngine->RunActorCommands();
    CheckBuffsAndFilters(monster);
}

void RunCommands(const uint8_t* data, size_t size)
{
    size_t at = 0;
    while (at + 2 <= size) {
        const NetPacketType type = kCommandTypes[data[at] % std::size(kCommandTypes)];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        if (Monster* monster = Live())
            RunCommand(*monster, type, data + at + 2, length);
        at += 2 + length;
    }
}

void RunFrames()
{
    for (int frame = 0; frame < kFrames; ++frame) {
        gEngine->UpdateFrame(kFrameMs);
        gEngine->RunActorCommands();
        if (Monster* monster = Live())
            CheckBuffsAndFilters(*monster);
    }
}

// Every buff on the character hears a dispel of buffs and of debuffs; those that may go
// ask to be removed, and the removals run.
void Dispel(Monster& monster)
{
    const std::vector<uint32_t> buffs = monster.GetSkillManager().GetUITempSkillList();
    for (uint32_t id : buffs)
        if (auto* buff = ObjectManager::Get().GetObject<SkillBuff>(id)) {
            buff->DispelBuff(monster);
            buff->DispelDeBuff(monster);
        }
    gEngine->RunActorCommands();
    CheckBuffsAndFilters(monster);
}

// Damage past its life, through its filters; then the frames of its dying.
void Kill(Monster& monster)
{
    monster.GetCombatManager().ApplyDamage(1.0e6f, {}, CombatAttributeType_Physical);
    gEngine->RunActorCommands();
    if (monster.GetLifeState() != Character_LifeState_Dead)
        monster.ImDead();
    CheckBuffsAndFilters(monster);
    RunFrames();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);   // a monster's frames touch thousands of features an input
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    RegisterRecords();
    InitializeObjects();
    Check(ObjectManager::Get().GetObjectCount() == 0);
    World::Get().AddRegion(1, "Fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t replicaSize = std::min<size_t>(data[0] | (size_t{data[1]} << 8), size - 2);

    ObjectManager& objects = ObjectManager::Get();
    Region* region = World::Get().GetRegionById(1);
    auto* monster = objects.CreateObjectFromFile<Monster>("Records/Fuzz/Monster.dbr", kMonsterId);
    Check(monster != nullptr);
    Check(World::Get().AddEntity(monster, WorldCoords(region, Coords())));
    monster->GetSkillManager().SetAsControllingManager();
    monster->GetSkillManager().LoadSkills("Records/Fuzz/Family.dbr", SkillManager::kMaxRecordSkills);
    monster->GetSkillManager().LoadSkills("Records/Fuzz/Attacks.dbr", SkillManager::kMaxRecordSkills);
    if (auto* foe = objects.CreateObjectFromFile<Monster>("Records/Fuzz/Foe.dbr", kFoeId))
        World::Get().AddEntity(foe, WorldCoords(region, Coords::LookAlong({2, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    gEngine->UpdateFrame(16);   // the first update

    ApplyReplicas(*monster, data + 2, replicaSize);
    RunCommands(data + 2 + replicaSize, size - 2 - replicaSize);
    RunFrames();
    if ((monster = Live()) != nullptr)
        Dispel(*monster);
    if ((monster = Live()) != nullptr)
        Kill(*monster);

    // Destruction: the monster's skills and buffs go with it; then whatever its skills
    // left in the world. Nothing may outlive the input.
    if ((monster = Live()) != nullptr)
        objects.DestroyObjectEx(monster, "fuzz", __LINE__);
    objects.FlushDestroyedObjects();
    objects.DestroyAllObjects();
    objects.FlushDestroyedObjects();
    Check(objects.GetObjectCount() == 0);
    return 0;
}
