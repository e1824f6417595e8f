// The player's image for other peers and for its copies: written behind the spawn packet,
// read into a held record, applied; and the copies made through it.
//
// Wire order (fixed-size values little-endian, lists behind a 4-byte count that a reader
// takes as signed, 0 or less meaning none):
//   name (ws), coordinates (WC), current life, current mana (f32), bio tainted (b),
//   base life, mana, strength, dexterity, intelligence (f32), team (major u32, minor u32,
//   set flag b, three zero bytes), level, experience, money (u32), texture (s),
//   damage over time and fixed damage over time (each record in its own form), skills
//   and skill buffs (SkillManager's forms), inventory (location u32, base record fn,
//   item identity IRI), action state (u32), moving (b), and only while moving: path
//   target (V3), attack target id, attack skill id (u32).
#include <utility>

#include "Engine/Engine.h"
#include "Engine/NetPacketFields.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/items/Item.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/GameWorldPackets.h"

namespace GAME {

namespace {

constexpr size_t kDamageRecordMinSize = 12;        // type, attacker, count
constexpr size_t kFixedDamageRecordMinSize = 8;    // type, count
constexpr size_t kInventoryEntryMinSize = 4 + 2 + ItemReplicaInfo::kNetMinSize;

// A damage-over-time record in the form its own writer and reader give it.
template <class V, class Record>
void DamageRecordFields(V& v, Record& record)
{
    if constexpr (V::kReading) {
        NetPacketInBuffer& in = v.Buffer();
        const unsigned char* start = in.Peek();
        const unsigned char* cursor = start;
        if (record.Read(cursor, start + in.GetRemaining()))
            in.Skip(static_cast<size_t>(cursor - start));
        else
            in.Fail("malformed damage over time record");
    } else {
        std::vector<uint8_t> bytes;
        record.Write(bytes);
        v.Buffer().AddRawBytes(bytes.data(), bytes.size());
    }
}

template <class V, class Entry>
void InventoryEntryFields(V& v, Entry& entry)
{
    v(Wire::Enum<EquipLocation_NoBone>{}, entry.location);
    v(Wire::fn, entry.info.baseName);
    v(Wire::IRI, entry.info);
}

// The whole image. Record is a Player::ReplicationRecord, const when writing.
template <class V, class Record>
void ImageFields(V& v, Record& r)
{
    v(Wire::ws, r.playerName);
    v(Wire::WC, r.coords);
    v(Wire::f32, r.currentLife);
    v(Wire::f32, r.currentMana);
    v(Wire::b, r.bioTainted);
    v(Wire::f32, r.baseLife);
    v(Wire::f32, r.baseMana);
    v(Wire::f32, r.baseStrength);
    v(Wire::f32, r.baseDexterity);
    v(Wire::f32, r.baseIntelligence);
    Wire::TeamRecordFields(v, r.team);
    v(Wire::u32, r.level);
    v(Wire::u32, r.experience);
    v(Wire::u32, r.money);
    v(Wire::s, r.playerTexture);
    v.SignedList(r.damage, kDamageRecordMinSize, [](auto& e, auto& record) { DamageRecordFields(e, record); });
    v.SignedList(r.fixedDamage, kFixedDamageRecordMinSize,
                 [](auto& e, auto& record) { DamageRecordFields(e, record); });
    if constexpr (V::kReading) {
        SkillManager::ReadSkillReplicas(v.Buffer(), r.skills);
        SkillManager::ReadSkillBuffReplicas(v.Buffer(), r.skillBuffs);
    } else {
        SkillManager::WriteSkillReplicas(v.Buffer(), r.skills);
        SkillManager::WriteSkillBuffReplicas(v.Buffer(), r.skillBuffs);
    }
    v.SignedList(r.inventory, kInventoryEntryMinSize, [](auto& e, auto& entry) { InventoryEntryFields(e, entry); });
    v(Wire::Enum<Character_ActionState_Dying>{}, r.actionState);
    v(Wire::b, r.isMoving);
    if (r.isMoving) {
        v(Wire::V3, r.pathTarget);
        v(Wire::u32, r.attackTargetId);
        v(Wire::u32, r.attackSkillId);
    }
}

// Writes the image into a packet of its own and reads it back into the copy.
template <class Source, class Copy>
bool CopyThroughPacket(Source& source, NetPacket& packet, Copy& copy)
{
    NetPacketOutBuffer out(&packet);
    source.WriteReplicationData(out);
    const uint32_t size = out.Done();
    if (size == 0)
        return false;
    NetPacketInBuffer in(packet.GetHeader(), packet.GetOutBuffer(), static_cast<int>(size));
    return copy.ReadReplicationData(in);
}

}  // namespace

void Player::WriteReplicationData(NetPacketOutBuffer& out)
{
    ReplicationRecord r;
    r.playerName = m_playerName;
    r.coords = GetCoords();
    CharacterBioReplicaInfo bio;
    GetCharacterBio().GetCurrentBioStats(bio);
    r.currentLife = static_cast<float>(bio.currentLife);
    r.currentMana = static_cast<float>(bio.currentMana);
    r.bioTainted = bio.tainted;
    r.baseLife = static_cast<float>(bio.baseLife);
    r.baseMana = static_cast<float>(bio.baseMana);
    r.baseStrength = static_cast<float>(bio.baseStrength);
    r.baseDexterity = static_cast<float>(bio.baseDexterity);
    r.baseIntelligence = static_cast<float>(bio.baseIntelligence);
    r.team = GetTeam();
    GetLevelControl().GetLevelAndExperience(r.level, r.experience);
    r.money = GetCurrentMoney();
    r.playerTexture = m_playerTexture;
    GetDurationDamageMgr().GetDamageReplica(r.damage);
    GetDurationDamageMgr().GetFixedDamageReplica(r.fixedDamage);
    GetSkillManager().GetSkillReplica(r.skills);
    GetSkillManager().GetSkillBuffReplica(r.skillBuffs);
    GetInventoryReplica(r.inventory);
    r.actionState = GetActionState();
    r.isMoving = IsMoving();
    if (r.isMoving) {
        r.pathTarget = GetMovementManager().GetPathTarget();
        WorldVec3 point;
        GetCurrentAttackTarget(r.attackTargetId, point, r.attackSkillId);
    }
    NetFieldWriter writer(out);
    ImageFields(writer, std::as_const(r));
}

bool Player::ReadReplicationData(NetPacketInBuffer& in)
{
    m_replication.reset();
    auto record = std::make_unique<ReplicationRecord>();
    NetFieldReader reader(in);
    ImageFields(reader, *record);
    if (!in.IsOk()) {
        gEngine->Log(LOG_WARNING, "Player::ReadReplicationData: %s; nothing is kept", in.GetError().c_str());
        return false;
    }
    if (m_isACopy)
        for (InventoryReplica& entry : record->inventory)
            entry.info.objectId = 0;
    m_replication = std::move(record);
    return true;
}

void Player::ApplyReplicationData()
{
    if (!m_replication) {
        gEngine->Log(LOG_WARNING, "Player::ApplyReplicationData: Attempt to apply NULL replication data.");
        return;
    }
    const std::unique_ptr<ReplicationRecord> r = std::move(m_replication);
    SetPlayerName(r->playerName);
    SetSpawnPoint(r->coords);
    CharacterBioReplicaInfo bio;
    bio.currentLife = ToBioImage(r->currentLife);
    bio.currentMana = ToBioImage(r->currentMana);
    bio.tainted = r->bioTainted;
    bio.baseLife = ToBioImage(r->baseLife);
    bio.baseMana = ToBioImage(r->baseMana);
    bio.baseStrength = ToBioImage(r->baseStrength);
    bio.baseDexterity = ToBioImage(r->baseDexterity);
    bio.baseIntelligence = ToBioImage(r->baseIntelligence);
    GetCharacterBio().RestoreCurrentBioStats(bio, true);
    SetTeam(r->team);
    GetDurationDamageMgr().SetDamageReplica(r->damage);
    GetDurationDamageMgr().SetFixedDamageReplica(r->fixedDamage);
    GetSkillManager().SetSkillReplica(r->skills);
    GetSkillManager().SetSkillBuffReplica(r->skillBuffs);
    SetInventoryReplica(r->inventory);
    GetLevelControl().SetLevelAndExperience(r->level, r->experience);
    SetCurrentMoney(r->money);
    m_playerTexture = r->playerTexture;
    ResetPlayerTexture();
    SetInitialStateInfo(r->actionState, r->pathTarget, r->attackTargetId, r->attackSkillId);
}

std::unique_ptr<NetPacket> Player::CreateSpawnNetPacket() const
{
    auto packet = std::make_unique<SpawnPlayerPacket>();
    packet->playerObjectId = GetObjectId();
    return packet;
}

// ---- Copies ---------------------------------------------------------------------------------

Player* Player::CreateCopy()
{
    ObjectManager& objects = ObjectManager::Get();
    Player* copy = objects.CreateObjectFromFile<Player>(GetObjectName());
    if (!copy)
        return nullptr;
    copy->SetIsACopy(true);
    const std::unique_ptr<NetPacket> packet = CreateSpawnNetPacket();
    if (!CopyThroughPacket(*this, *packet, *copy)) {
        gEngine->Log(LOG_WARNING, "Player::CreateCopy: the image of %s did not read back; no copy",
                     GetObjectName().c_str());
        objects.DestroyObjectEx(copy, "Player", __LINE__);
        return nullptr;
    }
    copy->ApplyReplicationData();
    copy->SetIsControllingCharacter(false);
    return copy;
}

// An item's state is its identity: the copy is made from it under an object id of its
// own. Entities of other kinds carry no image to copy.
Entity* Player::CreateCopy(uint32_t entityId)
{
    const Item* item = ObjectManager::Get().GetObject<Item>(entityId);
    if (!item)
        return nullptr;
    ItemReplicaInfo identity = item->GetItemReplicaInfo();
    identity.objectId = 0;
    return Item::CreateItem(identity);
}

}  // namespace GAME
