#include "Game/world/FixedItem.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSound.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/AuraManager.h"
#include "Game/world/FixedItemController.h"
#include "Game/world/FixedItemSkill.h"
#include "Game/world/MeshObstacles.h"
#include "Game/world/OwnedSound.h"
#include "Game/world/SpecialFX.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItem, Actor)

namespace {

// Beyond the two bodies' sizes, how far a character stands from what it uses.
constexpr float kStandingGapWithMesh = 2.0f;
constexpr float kStandingGapWithoutMesh = 3.0f;
constexpr float kSoundVolume = 100.0f;

static_assert(FixedItem::kSoundCount == kNumberedSoundCount);

template <class T>
void DestroyOwnedById(uint32_t& id)
{
    ObjectManager& objects = ObjectManager::Get();
    if (T* object = objects.GetObject<T>(id))
        objects.DestroyObjectEx(object, "FixedItem", __LINE__);
    id = 0;
}

}  // namespace

FixedItem::FixedItem()
    : m_activeEffect(std::make_unique<SpecialFX>()),
      m_auraManager(std::make_unique<AuraManager>()),
      m_animationSounds(std::make_unique<AnimationSound>()),
      m_team(TeamManager::DefaultMonsterTeam())
{
    m_timer.Reset();
    m_timer.Update();
}

FixedItem::~FixedItem() { RemovePathObstacle(); }

void FixedItem::OnDestroy()
{
    m_auraManager->Clear(*this);
    m_activeEffect->DeleteFx();
    DestroyOwnedById<FixedItemSkill>(m_skill);
    DestroyOwnedSound(m_lockedSound, "FixedItem");
    m_controller.reset();
    Actor::OnDestroy();
}

// ---- Record ------------------------------------------------------------------------------

void FixedItem::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_bonus.Load(table);

    DestroyOwnedById<FixedItemSkill>(m_skill);
    const std::string skillName = table.GetString("skillName", "");
    if (!skillName.empty()) {
        Object* created = ObjectManager::Get().CreateObjectFromFile(skillName);
        if (auto* skill = DynamicCast<FixedItemSkill>(created)) {
            m_skill = skill->GetObjectId();
            skill->AssignParent(this);
        } else {
            gEngine->Log(LOG_WARNING, "FixedItem %s: skill \"%s\" is no fixed item skill; the item has none",
                         GetObjectName().c_str(), skillName.c_str());
            if (created)
                ObjectManager::Get().DestroyObjectEx(created, "FixedItem", __LINE__);
        }
    }
    // A countdown of 0 means no skill pending, so a delay of 0 would never fire.
    m_skillDelay = std::max(SecondsToMs(table.GetFloat("skillDelay", 0.0f)), 1);

    const std::string effect = table.GetString("activeEffectName", "");
    if (!effect.empty())
        m_activeEffect->LoadFX(effect, this);
    for (int i = 0; i < kSoundCount; ++i)
        m_soundNames[i] = table.GetString(kNumberedSoundKeys[i], "");
    m_locked = table.GetBool("locked", false);

    DestroyOwnedSound(m_lockedSound, "FixedItem");
    m_lockedSound = CreateOwnedSound(table, "lockedSound");
    m_lockedTextTag = table.GetString("lockedTextTag", "");
    m_descriptionTag = table.GetString("description", "");
    const std::string drop = table.GetString("perPartyMemberDropItemName", "");
    if (!drop.empty())
        m_dropPerPartyMember.baseName = drop;
}

void FixedItem::PreLoad(bool flag)
{
    Actor::PreLoad(flag);
    if (FixedItemSkill* skill = GetSkill())
        skill->PreLoad(flag);
    if (SoundPak* sound = GetLockedSound())
        sound->PreLoad(flag);
    m_animationSounds->PreLoad();
}

FixedItemSkill* FixedItem::GetSkill() const { return ObjectManager::Get().GetObject<FixedItemSkill>(m_skill); }

SoundPak* FixedItem::GetLockedSound() const { return FindOwnedSound(m_lockedSound); }

const std::string& FixedItem::GetSoundName(int index) const
{
    static const std::string kNone;
    return index >= 0 && index < kSoundCount ? m_soundNames[index] : kNone;
}

// ---- Level and frame ---------------------------------------------------------------------

void FixedItem::OnAddToLevel() { CreatePathObstacle(); }

void FixedItem::OnMoveInLevel() { CreatePathObstacle(); }

void FixedItem::OnRemoveFromLevel() { RemovePathObstacle(); }

void FixedItem::InitialUpdate()
{
    Actor::InitialUpdate();
    if (m_pendingState != FixedItemState_None) {
        const FixedItem_State pending = m_pendingState;
        m_pendingState = FixedItemState_None;
        SetFixedItemState(pending, 0, true, false);
    }
    for (int i = 0; i < kSoundCount; ++i)
        if (!m_soundNames[i].empty())
            m_animationSounds->AddSound(Name(kNumberedSoundKeys[i]), m_soundNames[i].c_str(), kSoundVolume);

    GameEvent_FixedItemSpawn event;
    event.objectName = GetObjectName();
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, "GameEvent_FixedItemSpawn");
}

void FixedItem::UpdateSelf(int elapsedMs)
{
    const uint32_t frame = gEngine ? gEngine->GetFrameCount() : 0;
    const bool frameSkipped = m_lastUpdateFrame != 0 && frame - m_lastUpdateFrame > 1;
    m_lastUpdateFrame = frame;

    Actor::UpdateSelf(elapsedMs);
    m_timer.Update();
    m_elapsed = static_cast<int>(std::min<uint32_t>(m_timer.GetElapsedTime(), INT32_MAX));
    m_auraManager->Update(*this, elapsedMs);
    UpdateSkillCountdown(elapsedMs);
    if (m_controller)
        m_controller->Update(m_elapsed);

    // The first update after a request only arms the countdown; the second rebuilds.
    if (frameSkipped || m_rebuildObstacles) {
        m_obstacleCountdown = 1;
        m_rebuildObstacles = false;
    } else if (m_obstacleCountdown >= 1 && --m_obstacleCountdown == 0) {
        CreatePathObstacle();
    }
}

void FixedItem::AnimationCallback(const Name& event)
{
    Actor::AnimationCallback(event);
    m_animationSounds->PlaySound(*this, event, 0);
    if (m_controller)
        m_controller->AnimationCallback(0, event);
}

void FixedItem::DebugRender()
{
    for (const auto& obstacle : m_pathObstacles) {
        const Sphere sphere = obstacle->GetWorldSphere();
        World::Get().RenderDebugSphere(WorldVec3(nullptr, sphere.center), sphere.radius, Color{1, 0, 0, 1});
    }
}

std::u16string FixedItem::GetGameDescription(bool highlighted) const
{
    std::u16string text = highlighted ? u"^y" : u"";
    if (!m_descriptionTag.empty())
        text += SimpleTagText(m_descriptionTag);
    if (m_locked && !m_lockedTextTag.empty() && !highlighted)
        text += u"^n" + SimpleTagText(m_lockedTextTag);
    return text;
}

// ---- Replication and saved state ---------------------------------------------------------

uint8_t FixedItem::WriteReplicationData() const
{
    const FixedItem_State state = m_pendingState != FixedItemState_None ? m_pendingState : m_state;
    return static_cast<uint8_t>((state & kReplicatedStateMask) | (m_locked ? kReplicatedLockBit : 0));
}

void FixedItem::ReadReplicationData(uint8_t data)
{
    m_replicatedState = static_cast<FixedItem_State>(data & kReplicatedStateMask);
    m_replicatedLocked = (data & kReplicatedLockBit) != 0;
    m_replicationPending = true;
}

void FixedItem::ApplyReplicationData()
{
    if (!m_replicationPending)
        return;
    m_replicationPending = false;
    m_locked = m_replicatedLocked;
    m_pendingState = m_replicatedState;
}

void FixedItem::WriteReplicationData(NetPacketOutBuffer& out) const { out.AddU8(WriteReplicationData()); }

bool FixedItem::ReadReplicationData(NetPacketInBuffer& in)
{
    const uint8_t data = in.RemoveU8();
    if (!in.IsOk()) {
        gEngine->Log(LOG_WARNING, "FixedItem %s: replication data unreadable (%s); nothing kept",
                     GetObjectName().c_str(), in.GetError().c_str());
        return false;
    }
    ReadReplicationData(data);
    return true;
}

void FixedItem::SaveState(BinaryWriter& writer)
{
    writer.WriteUInt32(m_pendingState != FixedItemState_None ? m_pendingState : m_state);
    writer.WriteBool(m_locked);
    m_dropPerPartyMember.SaveState(writer);
    WriteKindState(writer);
}

bool FixedItem::RestoreState(BinaryReader& reader)
{
    const uint32_t state = reader.ReadUInt32();
    const bool locked = reader.ReadBool();
    ItemReplicaInfo drop = m_dropPerPartyMember;
    if (reader.HasFailed() || !drop.RestoreState(reader)) {
        gEngine->Log(LOG_WARNING, "FixedItem %s: saved state cut short; the item stays as its record makes it",
                     GetObjectName().c_str());
        return false;
    }
    // The replication byte keeps seven bits of the state: no kind has a state beyond them.
    if (state > kReplicatedStateMask) {
        gEngine->Log(LOG_WARNING, "FixedItem %s: saved state %u is no state; the item stays as it is",
                     GetObjectName().c_str(), state);
        return false;
    }
    if (!ReadKindState(reader)) {
        gEngine->Log(LOG_WARNING, "FixedItem %s: saved state of its kind cut short; the item stays as it is",
                     GetObjectName().c_str());
        return false;
    }
    m_pendingState = static_cast<FixedItem_State>(state);
    m_locked = locked;
    m_dropPerPartyMember = std::move(drop);
    ApplyKindState();
    return true;
}

// ---- Use ---------------------------------------------------------------------------------

void FixedItem::SetCurrentState(FixedItem_State state)
{
    m_state = state;
    if (m_controller)
        m_controller->SetFixedItemState(state);
}

bool FixedItem::DecidesRules()
{
    return gGameEngine && gGameEngine->IsServerOrSingle() && !(gEngine && gEngine->IsEditorMode());
}

void FixedItem::SetController(std::unique_ptr<FixedItemController> controller)
{
    m_controller = std::move(controller);
    if (!m_controller)
        return;
    m_controller->SetParent(this);
    m_controller->LoadFromDatabase(GetObjectName());
    m_controller->SetFixedItemState(m_state);
    m_controller->InitialUpdate();
}

void FixedItem::DropAdditionalItems(ItemReplicaInfo& info, unsigned count)
{
    if (m_controller)
        m_controller->DropAdditionalItems(info, count);
}

void FixedItem::RequestToUse(uint32_t actorId)
{
    if (m_controller)
        m_controller->HasBeenTouchedByActor(actorId);
    if (m_locked || IsAlternateLock(actorId))
        PlayLockedSound();
}

void FixedItem::PlayLockedSound()
{
    if (SoundPak* sound = GetLockedSound())
        sound->Play(GetCoords().GetPosition(), 0, true);
}

void FixedItem::UseOnTarget(uint32_t actorId, const std::vector<uint32_t>& targets)
{
    if (Player* player = ObjectManager::Get().GetObject<Player>(actorId)) {
        player->ContactWithObject(GetObjectId());
        GameEvent_FixedItemUse event;
        event.objectName = GetObjectName();
        event.actorId = actorId;
        event.objectId = GetObjectId();
        EventManager::Get().Send(event, "GameEvent_FixedItemUse");
    }
    GiveBonusToTargets(targets);
}

void FixedItem::GiveBonusToTargets(const std::vector<uint32_t>& targets)
{
    const PlayStatsLifeType lifeType =
        m_state == FixedItemState_Active ? PlayStatsLifeType_Shrine : PlayStatsLifeType_Unknown;
    for (uint32_t id : targets)
        if (Character* character = ObjectManager::Get().GetObject<Character>(id))
            character->TakeBonus(m_bonus, false, lifeType);
}

void FixedItem::UseSkillOnTargets(uint32_t actorId, const std::vector<uint32_t>& targets)
{
    if (FixedItemSkill* skill = GetSkill())
        skill->ProcessTargetResults(actorId, targets);
}

void FixedItem::SetFixedItemState(FixedItem_State /*state*/, uint32_t /*actorId*/, bool /*instant*/,
                                  bool /*withEffects*/)
{
}

void FixedItem::PlaySkillWarningFx()
{
    if (FixedItemSkill* skill = GetSkill())
        skill->PlayWarningFx();
}

void FixedItem::NotifyAllies(uint32_t attackerId) const
{
    if (!gGameEngine)
        return;
    std::vector<unsigned> allies;
    gGameEngine->GetTargetsInRadius(m_team, GetCoords().GetPosition(), kAllyCallRadius, allies, 0, true);
    for (unsigned id : allies)
        if (Character* character = ObjectManager::Get().GetObject<Character>(id))
            character->AllyAttacked(GetObjectId(), attackerId);
}

WorldVec3 FixedItem::GetLootDropCoords() const
{
    static const Name kSpawnPoint("SpawnPoint");
    return GetAttachPointPosition(kSpawnPoint);
}

// ---- Skill countdown ---------------------------------------------------------------------

void FixedItem::StartSkillCountdown(uint32_t actorId)
{
    if (!GetSkill())
        return;
    m_skillUser = actorId;
    m_skillCountdown = m_skillDelay;
}

void FixedItem::UpdateSkillCountdown(int elapsedMs)
{
    if (m_skillCountdown <= 0)
        return;
    m_skillCountdown -= std::max(elapsedMs, 0);
    if (m_skillCountdown > 0)
        return;
    m_skillCountdown = 0;
    const FixedItemSkill* skill = GetSkill();
    if (!skill || !DecidesRules())
        return;
    std::vector<uint32_t> targets;
    skill->GetTargets(m_skillUser, targets);
    Enqueue(new FixedItemSkillTargetConfigCmd(GetObjectId(), m_skillUser, targets));
}

// ---- Geometry ----------------------------------------------------------------------------

float FixedItem::GetStandingDistance(float characterExtents) const
{
    if (GetMeshName().empty())
        return characterExtents + kStandingGapWithoutMesh;
    return GetBoundingRadius() + characterExtents + kStandingGapWithMesh;
}

WorldVec3 FixedItem::GetMoveToPoint(uint32_t actorId) const
{
    const WorldVec3 here = GetCoords().GetPosition();
    const Character* character = ObjectManager::Get().GetObject<Character>(actorId);
    if (!character || GetMeshName().empty())
        return here;
    const Vec3 direction = (character->GetCoords().GetPosition() - here).Unit();
    WorldVec3 point = here;
    // A point that lands nowhere to stand is left where the item stands.
    if (!point.TranslateToFloor(direction * GetStandingDistance(character->GetExtents())))
        return here;
    return point;
}

bool FixedItem::IsCharacterInFront(const WorldCoords& character) const
{
    const Vec3 offset = character.GetPosition() - GetCoords().GetPosition();
    return Dot(offset, GetCoords().GetRegionCoords().zAxis) > 0.0f;
}

// ---- Path obstacles ----------------------------------------------------------------------

void FixedItem::CreatePathObstacle() { BuildMeshObstacles(*this, m_pathObstacles); }

void FixedItem::RemovePathObstacle() { RemoveMeshObstacles(m_pathObstacles); }

void FixedItem::KeepPathObstacle(std::unique_ptr<DynamicObstacle> obstacle)
{
    if (!obstacle)
        return;
    obstacle->Attach();
    m_pathObstacles.push_back(std::move(obstacle));
}

}  // namespace GAME
