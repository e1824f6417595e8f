#include "Game/session/ConfigCmdDispatch.h"

#include <algorithm>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/session/CharacterActionDispatch.h"
#include "Game/session/ClientCommandKinds.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/items/Weapon.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillProfile.h"

namespace GAME {

namespace {

// One entry a command, rebuilt from its packet's fields (ConfigCmdOf::FromPacket). The
// lists in a packet come bounded from its reader; a skill number is looked up, never used
// as an index, and a buff's records are tested for their class.
std::vector<ConfigCmdRebuild> BuildTable()
{
#define GAME_CONFIG_CMD_REBUILD(Command) {Command::PacketType::kType, &Command::FromPacket},
    std::vector<ConfigCmdRebuild> table = {GAME_CONFIG_COMMANDS(GAME_CONFIG_CMD_REBUILD)};
#undef GAME_CONFIG_CMD_REBUILD
    std::sort(table.begin(), table.end(),
              [](const ConfigCmdRebuild& a, const ConfigCmdRebuild& b) { return a.type < b.type; });
    return table;
}

bool Drop(const NetPacket& packet, int fromHost, const char* reason)
{
    return DropReceived(packet, fromHost, reason);
}

// The farthest a projectile record says it flies when it has no target point.
float FlightOf(const std::string& projectile)
{
    return projectile.empty() ? 0.0f
                              : ObjectManager::Get().GetRecordOrEmpty(projectile).GetFloat("projectileDistance", 0.0f);
}

// Whether the character shoots: a skill of its at a level fires projectiles, or a weapon it
// holds does. Its skills' modifiers and secondaries hear of what its projectiles hit, so
// any of its skills may then report targets as far off as a shot flies.
bool Shoots(const Character& caster)
{
    const ObjectManager& objects = ObjectManager::Get();
    for (const uint32_t id : caster.GetSkillManager().GetUISkillList()) {
        const auto* skill = objects.GetObject<SkillActivated>(id);
        if (skill && skill->GetCurrentLevel() > 0 && !skill->GetProjectileName().empty())
            return true;
    }
    for (const uint32_t id : caster.GetAttachedItems()) {
        const Weapon* weapon = objects.GetObject<Weapon>(id);
        if (weapon && !weapon->GetProjectileName().empty())
            return true;
    }
    return false;
}

// How far a skill of the character reaches at its present level: the farthest its user
// picks a target or a point (or aims a shot, for a character that shoots), or its
// projectile and their fragments fly; then its area and its chain of sparks around that
// point.
float SkillReach(const Character& caster, const Skill& skill, unsigned level)
{
    float reach = Shoots(caster) ? kShotReach : kSkillPickReach;
    if (const SkillProfile* profile = skill.GetSkillProfile()) {
        reach = std::max(reach, FlightOf(profile->GetProjectileName(level)) +
                                    FlightOf(profile->GetSkillProjectileModifierData(level).fragmentsName));
        reach += profile->GetSparkGap(level) * static_cast<float>(profile->GetSparkMaxNumber(level));
    }
    SkillProfile_Modifiers modifiers;
    skill.GetSkillModifierData(modifiers);
    return reach + modifiers.targetRadius + modifiers.explosionRadius;
}

// The most targets one result of the skill names: the skill's own number where it has
// one, its chain of sparks, else as many as one result may carry.
size_t SkillTargetLimit(const Skill& skill, unsigned level)
{
    if (const unsigned number = skill.ResultTargetNumber(); number > 0)
        return number;
    const SkillProfile* profile = skill.GetSkillProfile();
    const unsigned sparks = profile ? profile->GetSparkMaxNumber(level) : 0;
    return sparks > 0 ? sparks : kMaxSkillResultTargets;
}

// The caster's skill of that reference number when it has it at a level; null otherwise.
const Skill* UsableSkill(const Character& caster, uint32_t reference)
{
    const SkillManager& skills = caster.GetSkillManager();
    const uint32_t skillId = skills.GetSkillIdFromReference(reference);
    const Skill* skill = ObjectManager::Get().GetObject<Skill>(skillId);
    if (!skill || skill->GetCurrentLevel() == 0 || !skills.IsSkillValidForUse(skillId, false))
        return nullptr;
    return skill;
}

// Whether the point lies within `reach` of where the server has the caster, give or take
// what is left of its one allowance for being ahead (ReachesOnServer): the ground the
// caster and its targets may have covered on its client before the server heard of it,
// less what a run start taken ahead of the server spent of it.
bool WithinReachOnServer(Character& caster, const WorldVec3& at, float reach)
{
    return ReachesOnServer(caster,
                           [&](const WorldVec3& from, float spare) { return WorldDistance(from, at) <= reach + spare; });
}

// Why the skill could not have struck that character from where its actor stands; null
// when it could.
const char* RefuseSkillTarget(Character& caster, const Skill& skill, uint32_t target, float reach)
{
    const Character* struck = ObjectManager::Get().GetObject<Character>(target);
    if (!struck || !struck->IsAlive())
        return "a target is not a living character";
    if (!WithinReachOnServer(caster, struck->GetCoords().GetPosition(), reach))
        return "a target is beyond the skill's reach";
    // The skill's own rule of friend and foe: an attack strikes foes, a blessing friends.
    unsigned kept = target;
    if (!skill.GetValidTarget(caster, kept, struck->GetCoords().GetPosition(), true, reach) ||
        (kept != 0 && kept != target))
        return "a target is not one the skill may strike";
    return nullptr;
}

const char* RefuseSkillTargetResult(Character& caster, const SkillTargetResultConfigCmd& result)
{
    const Skill* skill = UsableSkill(caster, result.skillNumber);
    if (!skill)
        return "its actor has no such skill at a level";
    const unsigned level = skill->GetCurrentLevel();
    const float reach = SkillReach(caster, *skill, level);
    // A skill that lists its chosen target at the head of its result may name nobody
    // there (0), and may name that target once more among the characters it gathered.
    auto gathered = result.targets.begin();
    if (skill->ResultLeadsWithChosenTarget() && gathered != result.targets.end()) {
        if (const uint32_t head = *gathered++; head != 0)
            if (const char* refusal = RefuseSkillTarget(caster, *skill, head, reach))
                return refusal;
    }
    if (static_cast<size_t>(result.targets.end() - gathered) > SkillTargetLimit(*skill, level))
        return "it names more targets than the skill strikes";
    for (auto target = gathered; target != result.targets.end(); ++target) {
        if (std::find(gathered, target, *target) != target)
            return "it names a target twice";
        if (const char* refusal = RefuseSkillTarget(caster, *skill, *target, reach))
            return refusal;
    }
    // What the result says beside its targets is held to the same reach: the character
    // the skill chose, and the place it moves its actor to.
    if (const uint32_t chosen = skill->ResultChosenTarget(result.weaponId); chosen != 0)
        if (const char* refusal = RefuseSkillTarget(caster, *skill, chosen, reach))
            return refusal;
    if (skill->ResultMovesUser()) {
        const WorldVec3 to = result.origin.GetPosition();
        if (!result.origin.IsValid() || to.GetRegion() != caster.GetPathPosition().GetRegion() ||
            !WithinReachOnServer(caster, to, reach))
            return "it moves its actor beyond the skill's reach";
    }
    return nullptr;
}

// A projectile or pets of a skill the caster has, under the sender's own ids, within its
// host's quota.
const char* RefuseSkillObjects(const Character& caster, uint32_t reference, const std::vector<uint32_t>& ids,
                               int fromHost)
{
    if (!UsableSkill(caster, reference))
        return "its actor has no such skill at a level";
    return RefuseClientSkillObjects(fromHost, ids);
}

}  // namespace

const char* RefuseClientSkillCommand(const ActorConfigCommand& command, int fromHost)
{
    const auto* result = dynamic_cast<const SkillTargetResultConfigCmd*>(&command);
    const auto* launch = dynamic_cast<const CreateProjectileConfigCmd*>(&command);
    const auto* spawn = dynamic_cast<const SpawnObjectConfigCmd*>(&command);
    if (!result && !launch && !spawn)
        return nullptr;
    Character* caster = ObjectManager::Get().GetObject<Character>(command.GetActorId());
    if (!caster)
        return "its actor is no character";
    if (result)
        return RefuseSkillTargetResult(*caster, *result);
    if (launch)
        return RefuseSkillObjects(*caster, launch->skillNumber, {launch->projectileId}, fromHost);
    return RefuseSkillObjects(*caster, spawn->skillNumber, spawn->spawnIds, fromHost);
}

const std::vector<ConfigCmdRebuild>& ConfigCmdRebuilds()
{
    static const std::vector<ConfigCmdRebuild> table = BuildTable();
    return table;
}

const char* RefuseClientItemCommand(const ActorConfigCommand& command)
{
    uint32_t named[2] = {0, 0};
    bool pickUp = false;
    if (const auto* drop = dynamic_cast<const DropItemConfigCmd*>(&command))
        named[0] = drop->itemId;
    else if (const auto* attach = dynamic_cast<const AttachItemConfigCmd*>(&command))
        named[0] = attach->itemId;
    else if (const auto* detach = dynamic_cast<const DetachItemConfigCmd*>(&command))
        named[0] = detach->itemId;
    else if (const auto* fromEquip = dynamic_cast<const DropItemFromEquipLocationConfigCmd*>(&command))
        named[0] = fromEquip->itemId;
    else if (const auto* relic = dynamic_cast<const UseRelicConfigCmd*>(&command))
        named[0] = relic->relicId, named[1] = relic->itemId;
    else if (const auto* use = dynamic_cast<const UseItemConfigCmd*>(&command))
        named[0] = use->itemId;
    else if (const auto* remove = dynamic_cast<const RemoveInventoryItemConfigCmd*>(&command))
        named[0] = remove->itemId;
    else if (const auto* pick = dynamic_cast<const CharPickUpConfigCmd*>(&command))
        named[0] = pick->itemId, pickUp = true;
    else
        return nullptr;
    Character* actor = ObjectManager::Get().GetObject<Character>(command.GetActorId());
    if (!actor)
        return "its actor is no character";
    for (uint32_t item : named)
        if (const char* refusal = item != 0 ? RefuseClientItem(*actor, item, pickUp) : nullptr)
            return refusal;
    return nullptr;
}

std::unique_ptr<ActorConfigCommand> RebuildConfigCmdFrom(NetPacket& packet)
{
    const std::vector<ConfigCmdRebuild>& table = ConfigCmdRebuilds();
    const NetPacketType type = packet.GetType();
    auto found = std::lower_bound(table.begin(), table.end(), type,
                                  [](const ConfigCmdRebuild& entry, NetPacketType t) { return entry.type < t; });
    if (found == table.end() || found->type != type)
        return nullptr;
    return found->rebuild(packet);
}

bool MaySendConfigCmd(uint32_t actorId, int fromHost)
{
    ConnectionManager& connections = ConnectionManager::Get();
    if (connections.GetLocalHostId() != ConnectionManager::kServerHost)
        return fromHost == ConnectionManager::kServerHost;
    return connections.IsClientConnected(fromHost) && ConnectionManager::HostOfPlayer(actorId) == fromHost;
}

void HandleConfigCmdPacket(NetPacket& packet, int fromHost)
{
    std::unique_ptr<ActorConfigCommand> command = RebuildConfigCmdFrom(packet);
    if (!command) {
        Drop(packet, fromHost, "no command of its type exists");
        return;
    }
    const uint32_t actorId = command->GetActorId();
    if (!MaySendConfigCmd(actorId, fromHost)) {
        DropReceivedFormatted(packet, fromHost, "the host may not command actor %u", actorId);
        return;
    }
    Actor* actor = ObjectManager::Get().GetObject<Actor>(actorId);
    if (!actor) {
        DropReceivedFormatted(packet, fromHost, "actor %u is no actor here", actorId);
        return;
    }
    // The server takes from a client only the kinds of command its own play makes, what
    // its skill could have done, and no other player's item.
    if (fromHost != ConnectionManager::kServerHost) {
        const char* refusal = RefuseClientCommandKind(*command, packet.GetType(), fromHost);
        if (!refusal)
            refusal = RefuseClientSkillCommand(*command, fromHost);
        if (!refusal)
            refusal = RefuseClientItemCommand(*command);
        if (refusal) {
            Drop(packet, fromHost, refusal);
            return;
        }
    }
    actor->EnqueueReceived(command.release(), fromHost);
}

void RegisterConfigCmdDispatch()
{
    for (const ConfigCmdRebuild& entry : ConfigCmdRebuilds())
        NetPacketRegistry::Get().SetHandler(entry.type, &HandleConfigCmdPacket);
}

void UnregisterConfigCmdDispatch()
{
    for (const ConfigCmdRebuild& entry : ConfigCmdRebuilds())
        NetPacketRegistry::Get().SetHandler(entry.type, {});
}

}  // namespace GAME
