// The skill manager's replicas: a character's skills and buffs copied whole, to a peer
// that joins or into a copy of the character, and their network forms.
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// One skill in its network form. Replica is a _SkillReplica, const when writing.
template <class V, class Replica>
void SkillReplicaFields(V& v, Replica& replica)
{
    v(Wire::fn, replica.skillName);
    Wire::SkillStateFields(v, replica.state);
    Wire::SkillActiveStateFields(v, replica.activeState);
}

template <class V, class Replica>
void SkillBuffReplicaFields(V& v, Replica& replica)
{
    SkillReplicaFields(v, replica.buff);
    SkillReplicaFields(v, replica.modifier1);
    SkillReplicaFields(v, replica.modifier2);
    v(Wire::u32, replica.casterId);
    v(Wire::i32, replica.durationMs);   // buff26: the time left
}

template <class Replica>
Replica ReplicaOf(const Skill& skill)
{
    return Replica{skill.GetObjectName(), skill.GetSkillState(), skill.GetActiveState()};
}

}  // namespace

void SkillManager::GetSkillReplica(std::vector<_SkillReplica>& out) const
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_skills)
        if (const Skill* skill = objects.GetObject<Skill>(id))
            if (skill->GetSkillState().level > 0)
                out.push_back(ReplicaOf<_SkillReplica>(*skill));
}

void SkillManager::SetSkillReplica(const std::vector<_SkillReplica>& replica)
{
    ObjectManager& objects = ObjectManager::Get();
    for (const _SkillReplica& entry : replica) {
        Skill* skill = objects.GetObject<Skill>(FindSkillId(entry.skillName));
        if (!skill)
            continue;
        skill->ReceiveStateUpdate(entry.state, true);
        if (m_parent)
            skill->ReceiveActiveUpdate(*m_parent, entry.activeState, true);
    }
}

void SkillManager::GetSkillBuffReplica(std::vector<_SkillBuffReplica>& out) const
{
    ObjectManager& objects = ObjectManager::Get();
    for (const BuffEntry& entry : m_buffs) {
        const Skill* buff = objects.GetObject<Skill>(entry.buffId);
        if (!buff)
            continue;
        _SkillBuffReplica replica;
        replica.buff = ReplicaOf<_SkillReplica>(*buff);
        if (const Skill* modifier = objects.GetObject<Skill>(entry.modifierId1))
            replica.modifier1 = ReplicaOf<_SkillReplica>(*modifier);
        if (const Skill* modifier = objects.GetObject<Skill>(entry.modifierId2))
            replica.modifier2 = ReplicaOf<_SkillReplica>(*modifier);
        replica.durationMs = entry.timeToLiveMs;
        // A buff's copy lives for what is left of it
        if (const auto* timed = DynamicCast<const SkillBuff>(buff))
            replica.durationMs = timed->GetReplicaTimeToLive();
        replica.casterId = entry.casterId;
        out.push_back(std::move(replica));
    }
}

void SkillManager::SetSkillBuffReplica(const std::vector<_SkillBuffReplica>& replica)
{
    for (const _SkillBuffReplica& entry : replica)
        CreateSkillBuff(entry, true);
    RebuildTempSkillList();
}

void SkillManager::CreateSkillBuff(const _SkillBuffReplica& replica, bool fromReplica)
{
    const std::string name = GetNormalizedPath(replica.buff.skillName);
    RemoveSkillBuffEntry(name, fromReplica);
    BuffEntry entry;
    entry.name = name;
    entry.buffId = CreateBuffSkill(replica.buff, false, fromReplica);
    Skill* buff = ObjectManager::Get().GetObject<Skill>(entry.buffId);
    if (!buff)
        return;
    if (!replica.modifier1.skillName.empty())
        entry.modifierId1 = CreateBuffSkill(replica.modifier1, true, fromReplica);
    if (!replica.modifier2.skillName.empty())
        entry.modifierId2 = CreateBuffSkill(replica.modifier2, true, fromReplica);
    for (uint32_t modifier : {entry.modifierId1, entry.modifierId2})
        if (modifier != 0)
            buff->AddModifier(modifier);
    entry.casterId = replica.casterId;
    entry.timeToLiveMs = replica.durationMs;
    // The buff counts its own time and knows its caster
    if (auto* timed = DynamicCast<SkillBuff>(buff)) {
        timed->SetCasterId(replica.casterId);
        timed->SetTimeToLive(SkillBuff::BoundedTimeToLive(replica.durationMs));
    }
    m_buffs.push_back(entry);
    ListsChanged();
    buff->Install(m_parent);
}

// ---- Network forms ------------------------------------------------------------------------

void SkillManager::WriteSkillReplicas(NetPacketOutBuffer& out, const std::vector<_SkillReplica>& replica)
{
    NetFieldWriter writer(out);
    writer.SignedList(replica, kSkillReplicaMinSize, [](auto& v, const _SkillReplica& r) { SkillReplicaFields(v, r); });
}

bool SkillManager::ReadSkillReplicas(NetPacketInBuffer& in, std::vector<_SkillReplica>& replica)
{
    NetFieldReader reader(in);
    reader.SignedList(replica, kSkillReplicaMinSize, [](auto& v, _SkillReplica& r) { SkillReplicaFields(v, r); });
    return in.IsOk();
}

void SkillManager::WriteSkillBuffReplicas(NetPacketOutBuffer& out, const std::vector<_SkillBuffReplica>& replica)
{
    NetFieldWriter writer(out);
    writer.SignedList(replica, kSkillBuffReplicaMinSize,
                      [](auto& v, const _SkillBuffReplica& r) { SkillBuffReplicaFields(v, r); });
}

bool SkillManager::ReadSkillBuffReplicas(NetPacketInBuffer& in, std::vector<_SkillBuffReplica>& replica)
{
    NetFieldReader reader(in);
    reader.SignedList(replica, kSkillBuffReplicaMinSize,
                      [](auto& v, _SkillBuffReplica& r) { SkillBuffReplicaFields(v, r); });
    return in.IsOk();
}

}  // namespace GAME
