// A monster's level state image and its replication image.
#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/Monster.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {

namespace {

// Bits of the replication image's flags byte; bits 0-2 hold the life state.
constexpr uint8_t kLifeStateMask = 0x07;
constexpr uint8_t kFlagVisible = 0x08;
constexpr uint8_t kFlagAlive = 0x10;
constexpr uint8_t kFlagMoving = 0x20;
constexpr uint8_t kFlagTainted = 0x40;
constexpr uint8_t kFlagConsecutiveIds = 0x80;
// What a one-byte count can tell.
constexpr size_t kMaxByteCount = 255;
constexpr size_t kSkillMinSize = 2 + 2 + 2 + 1;   // empty file name, two values, flags

bool IsKnownLifeState(uint32_t state)
{
    return state <= Character_LifeState_Respawning;
}

template <class T>
size_t CappedCount(const std::vector<T>& list, const char* what)
{
    if (list.size() > kMaxByteCount)
        gEngine->Log(LOG_WARNING, "Monster::WriteReplicationData: %zu %s, only the first 255 are sent", list.size(),
                     what);
    return std::min(list.size(), kMaxByteCount);
}

void WriteSkill(NetPacketOutBuffer& out, const SkillManager::_SkillReplica& skill)
{
    out.AddFileName(skill.skillName);
    unsigned int level = static_cast<unsigned int>(skill.state.level);
    unsigned int subLevel = static_cast<unsigned int>(skill.activeState.subLevel);
    out.Add16Bit(&level);
    out.Add16Bit(&subLevel);
    out.AddU8(static_cast<uint8_t>((skill.state.enabled ? 1 : 0) | (skill.activeState.active ? 2 : 0) |
                                   (skill.activeState.transition ? 4 : 0)));
}

void ReadSkill(NetPacketInBuffer& in, SkillManager::_SkillReplica& skill)
{
    in.RemoveFileName(skill.skillName);
    unsigned int level = 0, subLevel = 0;
    in.Remove16Bit(&level);
    in.Remove16Bit(&subLevel);
    const uint8_t flags = in.RemoveU8();
    if (flags & ~0x07)
        in.Fail("skill replica with unknown flags");
    skill.state.level = static_cast<int32_t>(level);
    skill.state.enabled = (flags & 1) != 0;
    skill.activeState.subLevel = static_cast<int32_t>(subLevel);
    skill.activeState.active = (flags & 2) != 0;
    skill.activeState.transition = (flags & 4) != 0;
}

}  // namespace

// ---- Level state ---------------------------------------------------------------------------

void Monster::SaveState(BinaryWriter& writer)
{
    Character::SaveState(writer);
    const LootStruct& loot = GetLootInfo();
    writer.WriteUInt32(static_cast<uint32_t>(GetLifeState()));
    writer.WriteUInt16(loot.seed);
    writer.WriteUInt16(loot.level);
    writer.WriteUInt32(m_leaderId);
    writer.WriteString(m_proxyParent);
    writer.WriteUInt32(m_proxySiblings);
    m_dropPerPartyMember.SaveState(writer);
    writer.WriteUInt32(m_poppedOut ? 1 : 0);
}

void Monster::RestoreState(BinaryReader& reader)
{
    Character::RestoreState(reader);
    const uint32_t lifeState = reader.ReadUInt32();
    const uint16_t seed1 = reader.ReadUInt16();
    const uint16_t seed2 = reader.ReadUInt16();
    const uint32_t leaderId = reader.ReadUInt32();
    if (reader.HasFailed() || !IsKnownLifeState(lifeState)) {
        gEngine->Log(LOG_WARNING, "Monster %s: level state unreadable (life state %u); nothing restored",
                     GetObjectName().c_str(), lifeState);
        return;
    }
    SetLifeState(static_cast<Character_LifeState>(lifeState));
    RestoreLifeState();
    if (lifeState != Character_LifeState_Dead)
        LoadLootFromSeed(seed1, seed2);
    if (leaderId != 0 && IsAlive())
        JoinMe(leaderId, -1, false);

    // Everything after the proxy parent lies at an unknown place once it is rejected.
    std::string parent = reader.ReadString();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Monster %s: proxy parent rejected; the rest of the level state is left",
                     GetObjectName().c_str());
        return;
    }
    m_proxyParent = std::move(parent);
    const uint32_t siblings = reader.ReadUInt32();
    // The drop's base record is the monster's own "perPartyMemberDropItemName".
    ItemReplicaInfo drop = m_dropPerPartyMember;
    const bool dropRead = drop.RestoreState(reader);
    const bool poppedOut = reader.ReadBool();
    if (!dropRead || reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Monster %s: level state ends early; the rest of it is left",
                     GetObjectName().c_str());
        return;
    }
    m_proxySiblings = siblings;
    m_dropPerPartyMember = drop;
    m_poppedOut = poppedOut;
}

// ---- Replication ---------------------------------------------------------------------------

void Monster::WriteReplicationData(NetPacketOutBuffer& out) const
{
    const LootStruct& loot = GetLootInfo();
    const bool alive = IsAlive();
    const bool moving = IsMoving();
    bool consecutive = true;
    for (size_t k = 1; k < loot.itemIds.size(); ++k)
        consecutive = consecutive && loot.itemIds[k] == loot.itemIds[0] + static_cast<uint32_t>(k);
    uint8_t flags = static_cast<uint8_t>(GetLifeState()) & kLifeStateMask;
    flags |= GetVisibility() ? kFlagVisible : 0;
    flags |= alive ? kFlagAlive : 0;
    flags |= moving ? kFlagMoving : 0;
    flags |= GetCharacterBio().GetTaintedBio() ? kFlagTainted : 0;
    flags |= consecutive ? kFlagConsecutiveIds : 0;
    out.AddU8(flags);
    out.AddU32(static_cast<uint32_t>(GetActionState()));
    out.AddF32(GetCurrentLife());
    out.AddF32(GetCurrentMana());
    out.AddU32(m_leaderId);

    if (m_proxySiblings > kMaxByteCount)
        gEngine->Log(LOG_WARNING, "Monster::WriteReplicationData: %u proxy siblings sent as 255", m_proxySiblings);
    out.AddU8(static_cast<uint8_t>(std::min<uint32_t>(m_proxySiblings, kMaxByteCount)));
    out.AddFileName(m_proxyParent);
    GetTeam().AddToPacket(out);

    std::vector<DurationDamageReplication> damage;
    std::vector<FixedDurationDamageReplication> fixedDamage;
    const_cast<Monster*>(this)->GetDurationDamageMgr().GetDamageReplica(damage);
    const_cast<Monster*>(this)->GetDurationDamageMgr().GetFixedDamageReplica(fixedDamage);
    std::vector<uint8_t> bytes;
    WriteDurationDamageReplicas(bytes, damage, fixedDamage);
    out.AddRawBytes(bytes.data(), bytes.size());

    std::vector<SkillManager::_SkillReplica> skills;
    std::vector<SkillManager::_SkillBuffReplica> buffs;
    GetSkillManager().GetSkillReplica(skills);
    GetSkillManager().GetSkillBuffReplica(buffs);
    const size_t skillCount = CappedCount(skills, "skills");
    out.AddU8(static_cast<uint8_t>(skillCount));
    for (size_t i = 0; i < skillCount; ++i)
        WriteSkill(out, skills[i]);
    const size_t buffCount = CappedCount(buffs, "buffs");
    out.AddU8(static_cast<uint8_t>(buffCount));
    for (size_t i = 0; i < buffCount; ++i) {
        WriteSkill(out, buffs[i].buff);
        WriteSkill(out, buffs[i].modifier1);
        WriteSkill(out, buffs[i].modifier2);
        out.AddU32(buffs[i].casterId);
        out.AddU32(static_cast<uint32_t>(buffs[i].durationMs));
    }

    if (alive) {
        unsigned int seed1 = loot.seed, seed2 = loot.level;
        out.Add16Bit(&seed1);
        out.Add16Bit(&seed2);
        out.AddU32(loot.itemIds[0]);
        if (!consecutive)
            for (size_t k = 1; k < loot.itemIds.size(); ++k)
                out.AddU32(loot.itemIds[k]);
    }
    if (moving) {
        const WorldVec3 target = GetPathTarget();
        uint32_t targetId = 0, value = 0;
        WorldVec3 point;
        GetCurrentAttackTarget(targetId, point, value);
        out.Add(&target);
        out.AddU32(targetId);
        out.AddU32(value);
    }
}

bool Monster::ReadReplicationData(NetPacketInBuffer& in)
{
    m_replication.reset();
    auto r = std::make_unique<ReplicationRecord>();
    const uint8_t flags = in.RemoveU8();
    const uint8_t lifeState = flags & kLifeStateMask;
    if (in.IsOk() && !IsKnownLifeState(lifeState))
        in.Fail("unknown life state");
    r->lifeState = static_cast<Character_LifeState>(lifeState);
    r->visible = (flags & kFlagVisible) != 0;
    r->alive = (flags & kFlagAlive) != 0;
    r->moving = (flags & kFlagMoving) != 0;
    r->tainted = (flags & kFlagTainted) != 0;
    r->actionState = in.RemoveU32();
    if (in.IsOk() && r->actionState > Character_ActionState_Dying)
        in.Fail("unknown action state");
    r->currentLife = in.RemoveF32();
    r->currentMana = in.RemoveF32();
    r->leaderId = in.RemoveU32();
    r->proxySiblings = in.RemoveU8();
    in.RemoveFileName(r->proxyParent);
    r->team.RemoveFromPacket(in);

    if (in.IsOk()) {
        const unsigned char* start = in.Peek();
        const unsigned char* cursor = start;
        if (ReadDurationDamageReplicas(cursor, start + in.GetRemaining(), r->damage, r->fixedDamage))
            in.Skip(static_cast<size_t>(cursor - start));
        else
            in.Fail("malformed damage over time records");
    }

    r->skills.resize(in.RemoveCount(NetCount::Byte, kSkillMinSize));
    for (auto& skill : r->skills)
        if (in.IsOk())
            ReadSkill(in, skill);
    r->skillBuffs.resize(in.RemoveCount(NetCount::Byte, 3 * kSkillMinSize + 4 + 4));
    for (auto& buff : r->skillBuffs) {
        if (!in.IsOk())
            break;
        ReadSkill(in, buff.buff);
        ReadSkill(in, buff.modifier1);
        ReadSkill(in, buff.modifier2);
        buff.casterId = in.RemoveU32();
        buff.durationMs = static_cast<int32_t>(in.RemoveU32());
    }

    if (r->alive) {
        unsigned int seed1 = 0, seed2 = 0;
        in.Remove16Bit(&seed1);
        in.Remove16Bit(&seed2);
        r->lootSeed1 = static_cast<uint16_t>(seed1);
        r->lootSeed2 = static_cast<uint16_t>(seed2);
        r->itemIds[0] = in.RemoveU32();
        for (size_t k = 1; k < r->itemIds.size(); ++k)
            r->itemIds[k] = (flags & kFlagConsecutiveIds) ? r->itemIds[0] + static_cast<uint32_t>(k) : in.RemoveU32();
    }
    if (r->moving) {
        in.Remove(&r->pathTarget);
        r->attackTargetId = in.RemoveU32();
        r->attackTargetValue = in.RemoveU32();
    }
    if (!in.IsOk()) {
        gEngine->Log(LOG_WARNING, "Monster::ReadReplicationData: %s; nothing is kept", in.GetError().c_str());
        return false;
    }
    m_replication = std::move(r);
    return true;
}

void Monster::ApplyReplicationData()
{
    if (!m_replication) {
        gEngine->Log(LOG_WARNING, "Monster::ApplyReplicationData: Attempt to Apply NULL replication data.");
        return;
    }
    const std::unique_ptr<ReplicationRecord> r = std::move(m_replication);
    SetCurrentLife(r->currentLife);
    SetCurrentMana(r->currentMana);
    if (r->tainted)
        GetCharacterBio().BioIsTainted();
    SetTeam(r->team);
    SetLeader(r->leaderId);
    SetVisibility(r->visible);
    GetDurationDamageMgr().SetDamageReplica(r->damage);
    GetDurationDamageMgr().SetFixedDamageReplica(r->fixedDamage);
    GetSkillManager().SetSkillReplica(r->skills);
    GetSkillManager().SetSkillBuffReplica(r->skillBuffs);
    SetLifeState(r->lifeState);
    m_proxyParent = r->proxyParent;
    m_proxySiblings = r->proxySiblings;
    SetInitialStateInfo(static_cast<Character_ActionState>(r->actionState), r->pathTarget, r->attackTargetId,
                        r->attackTargetValue);
    if (r->alive) {
        LootStruct loot;
        loot.seed = r->lootSeed1;
        loot.level = r->lootSeed2;
        loot.itemIds = r->itemIds;
        // An image sent again (a peer's word on a blow or a new life state) names the loot
        // this monster already wears: its items are made once, not again under ids in use.
        const LootStruct& worn = GetLootInfo();
        if (loot.seed != worn.seed || loot.level != worn.level || loot.itemIds != worn.itemIds)
            LoadLootFromStruct(loot);
    }
}

}  // namespace GAME
