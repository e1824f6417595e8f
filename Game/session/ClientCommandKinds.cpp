#include "Game/session/ClientCommandKinds.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

using KindCheck = const char* (*)(const ActorConfigCommand& command, int fromHost);

template <class Command>
const Command& As(const ActorConfigCommand& command)
{
    return static_cast<const Command&>(command);
}

// Life and mana rise from a client only by a point spent: an amount of 0.
template <class Command>
const char* SpendsAPoint(const ActorConfigCommand& command, int)
{
    return As<Command>(command).amount == 0 ? nullptr : "a client raises life or mana only by spending a point";
}

// What a pet's own mind queues, never a player's.
const char* NotOnAPlayer(const ActorConfigCommand& command, int)
{
    return ObjectManager::Get().GetObject<Player>(command.GetActorId()) ? "a player's own play does not make it"
                                                                        : nullptr;
}

// A request to a pet comes from the sender's own character.
template <class Command>
const char* FromItsOwnCharacter(const ActorConfigCommand& command, int fromHost)
{
    return ConnectionManager::HostOfPlayer(As<Command>(command).requesterId) == fromHost
               ? nullptr
               : "it speaks for a character of another host";
}

// A skill's state changes its level only as far as ClientSkillLevelAllowed says.
const char* LevelWithinTheRecord(const ActorConfigCommand& command, int)
{
    const auto& update = As<SkillStateUpdateConfigCmd>(command);
    const Character* actor = ObjectManager::Get().GetObject<Character>(command.GetActorId());
    const SkillManager* skills = actor ? &actor->GetSkillManager() : nullptr;
    const Skill* skill =
        skills ? ObjectManager::Get().GetObject<Skill>(skills->GetSkillIdFromReference(update.skillNumber)) : nullptr;
    if (!skill)
        return nullptr;   // names no skill: the command does nothing
    if (ClientSkillLevelAllowed(*skill, update.state.level))
        return nullptr;
    return "it sets a skill to a level its record does not allow";
}

// Whether the skill grants the buff of that (normalised) record: the buff is the skill's
// own record, or the record it hands its buff from.
bool GrantsBuff(const Skill& skill, const std::string& wanted)
{
    if (RecordDatabase::NormalizeName(skill.GetObjectName()) == wanted)
        return true;
    const std::string handed =
        ObjectManager::Get().GetRecordOrEmpty(skill.GetObjectName()).GetString("buffSkillName", "");
    return !handed.empty() && RecordDatabase::NormalizeName(handed) == wanted;
}

// The caster's own skill (or item skill) that grants the buff; null when none does. A
// buff another character holds grants itself (one that spreads hands itself on); the
// actor's own held buff grants nothing, or it could be renewed for ever.
const Skill* GrantingSkill(const Character& caster, const std::string& buffName, uint32_t actorId)
{
    const std::string wanted = RecordDatabase::NormalizeName(buffName);
    const ObjectManager& objects = ObjectManager::Get();
    const SkillManager& skills = caster.GetSkillManager();
    for (const uint32_t id : skills.GetUISkillList())
        if (const Skill* skill = objects.GetObject<Skill>(id); skill && GrantsBuff(*skill, wanted))
            return skill;
    return caster.GetObjectId() != actorId ? objects.GetObject<Skill>(skills.FindSkillId(buffName)) : nullptr;
}

// A modifier the buff carries is one of the granting skill's, at no more than its level.
bool HasModifier(const Skill& skill, const std::string& name, uint32_t level)
{
    if (name.empty())
        return level == 0;
    const std::string wanted = RecordDatabase::NormalizeName(name);
    for (const uint32_t id : skill.GetModifiers()) {
        const auto* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(id);
        if (modifier && RecordDatabase::NormalizeName(modifier->GetObjectName()) == wanted)
            return level <= modifier->GetCurrentLevel();
    }
    return false;
}

// A buff put on: see RefuseClientBuff. Taking one off is the actor's machine's to say.
const char* OfItsCastersSkill(const ActorConfigCommand& command, int)
{
    const auto& buff = As<CreateRemoveSkillBuffConfigCmd>(command);
    const Character* actor = ObjectManager::Get().GetObject<Character>(command.GetActorId());
    if (buff.level == 0 || !actor)
        return nullptr;
    return RefuseClientBuff(*actor, buff.skillName, buff.level, buff.modifierName1, buff.modifierLevel1,
                            buff.modifierName2, buff.modifierLevel2, buff.casterId);
}

struct ClientKind {
    NetPacketType type;
    KindCheck check;   // null: taken as it comes (other checks of the dispatch aside)
};

template <class Command>
constexpr NetPacketType TypeOf()
{
    return Command::PacketType::kType;
}

// The kinds a client's own play makes, in packet type order.
std::vector<ClientKind> BuildClientKinds()
{
    std::vector<ClientKind> kinds = {
        // A player's item moves and uses (the items they name are checked apart).
        {TypeOf<DropItemConfigCmd>(), nullptr},
        {TypeOf<UseItemConfigCmd>(), nullptr},
        {TypeOf<UseRelicConfigCmd>(), nullptr},
        {TypeOf<AttachItemConfigCmd>(), nullptr},
        {TypeOf<DetachItemConfigCmd>(), nullptr},
        {TypeOf<DropItemFromEquipLocationConfigCmd>(), nullptr},
        {TypeOf<RemoveInventoryItemConfigCmd>(), nullptr},
        {TypeOf<CharPickUpConfigCmd>(), nullptr},
        {TypeOf<ReleasePetConfigCmd>(), nullptr},
        // Points spent, releases, sounds.
        {TypeOf<IncrementBaseStrengthConfigCmd>(), nullptr},
        {TypeOf<IncrementBaseDexterityConfigCmd>(), nullptr},
        {TypeOf<IncrementBaseIntelligenceConfigCmd>(), nullptr},
        {TypeOf<IncrementBaseLifeConfigCmd>(), &SpendsAPoint<IncrementBaseLifeConfigCmd>},
        {TypeOf<IncrementBaseManaConfigCmd>(), &SpendsAPoint<IncrementBaseManaConfigCmd>},
        {TypeOf<ReleaseTrapConfigCmd>(), nullptr},
        {TypeOf<ReleaseStunConfigCmd>(), nullptr},
        {TypeOf<ReleaseImmobilizeConfigCmd>(), nullptr},
        {TypeOf<PlaySoundConfigCmd>(), nullptr},
        {TypeOf<ShowCharacterConfigCmd>(), nullptr},
        // A player's requests to its pets; a pet's own mind.
        {TypeOf<RequestAllyAttackConfigCmd>(), &FromItsOwnCharacter<RequestAllyAttackConfigCmd>},
        {TypeOf<RequestAllyMoveConfigCmd>(), &FromItsOwnCharacter<RequestAllyMoveConfigCmd>},
        {TypeOf<StartStopDamageEffectConfigCmd>(), &NotOnAPlayer},
        {TypeOf<ActivateSkillConfigCmd>(), &NotOnAPlayer},
        // What its skills announce (results, projectiles and pets are checked apart).
        {TypeOf<SkillTargetResultConfigCmd>(), nullptr},
        {TypeOf<CreateProjectileConfigCmd>(), nullptr},
        {TypeOf<SpawnObjectConfigCmd>(), nullptr},
        {TypeOf<SkillStateUpdateConfigCmd>(), &LevelWithinTheRecord},
        {TypeOf<SkillActiveStateUpdateConfigCmd>(), nullptr},
        {TypeOf<CreateRemoveSkillBuffConfigCmd>(), &OfItsCastersSkill},
    };
    std::sort(kinds.begin(), kinds.end(), [](const ClientKind& a, const ClientKind& b) { return a.type < b.type; });
    return kinds;
}

}  // namespace

const char* RefuseClientBuff(const Character& actor, const std::string& name, uint32_t level,
                             const std::string& modifier1, uint32_t modifierLevel1, const std::string& modifier2,
                             uint32_t modifierLevel2, uint32_t casterId)
{
    const uint32_t actorId = actor.GetObjectId();
    const Character* caster = casterId != 0 ? ObjectManager::Get().GetObject<Character>(casterId) : &actor;
    if (!caster)
        return "its buff's caster is no character";
    const Skill* skill = GrantingSkill(*caster, name, actorId);
    if (!skill || skill->GetCurrentLevel() == 0)
        return "its buff is of no skill its caster has";
    if (level > skill->GetCurrentLevel())
        return "its buff is of a higher level than its caster's skill";
    if (!HasModifier(*skill, modifier1, modifierLevel1) || !HasModifier(*skill, modifier2, modifierLevel2))
        return "its buff carries a modifier its caster's skill has not";
    return nullptr;
}

bool ClientSkillLevelAllowed(const Skill& skill, int64_t level)
{
    const int64_t top = std::max<int64_t>(skill.GetMaxLevel(), skill.GetSkillLevel());
    return level >= 0 && level <= top;
}

const char* RefuseClientCommandKind(const ActorConfigCommand& command, NetPacketType type, int fromHost)
{
    static const std::vector<ClientKind> kinds = BuildClientKinds();
    const auto found = std::lower_bound(kinds.begin(), kinds.end(), type,
                                        [](const ClientKind& kind, NetPacketType t) { return kind.type < t; });
    if (found == kinds.end() || found->type != type)
        return "a client's own play does not make that command";
    return found->check ? found->check(command, fromHost) : nullptr;
}

}  // namespace GAME
