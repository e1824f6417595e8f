#include "Game/quests/QuestTargetedActions.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestItem.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemDoor.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {

int TargetedActionDifficulty()
{
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    return std::clamp(difficulty, 0, 2);
}

}  // namespace

// ---- The shared frame -------------------------------------------------------------------

TargetedQuestAction::TargetedQuestAction(uint32_t id, Trigger* parent, const char* key, unsigned reports,
                                         bool streamsPending)
    : PendingQuestAction(id, parent), m_key(key), m_reports(reports), m_streamsPending(streamsPending)
{
    if (reports & kFixedItems)
        m_fixedItemListener = std::make_unique<GameEventListener<TargetedQuestAction, GameEvent_FixedItemSpawn>>(
            "GameEvent_FixedItemSpawn", &TargetedQuestAction::OnFixedItemSpawn, this);
    if (reports & kCreatureSpawns)
        m_creatureSpawnListener = std::make_unique<GameEventListener<TargetedQuestAction, GameEvent_CreatureSpawn>>(
            "GameEvent_CreatureSpawn", &TargetedQuestAction::OnCreatureSpawn, this);
}

TargetedQuestAction::~TargetedQuestAction() = default;

bool TargetedQuestAction::TargetRecordMatches(const std::string& record, const std::string& name)
{
    return !record.empty() && record.size() == name.size() && PathEqualsNoCase(record.c_str(), name.c_str());
}

bool TargetedQuestAction::IsNetClient()
{
    return QuestRepository::IsNetworked() && !QuestRepository::IsServerOrSingle();
}

void TargetedQuestAction::StreamChildProperties(IOStream& stream)
{
    if (m_streamsPending)
        PendingQuestAction::StreamChildProperties(stream);
}

void TargetedQuestAction::StreamTargetRecord(IOStream& stream)
{
    stream.StreamString(m_key, m_record);
    if (stream.IsReading())
        Listen();
}

void TargetedQuestAction::SetTargetRecord(const std::string& record)
{
    m_record = record;
    Listen();
}

void TargetedQuestAction::Listen()
{
    QuestRepository* quests = QuestRepository::Get();
    if (!quests || m_record.empty())
        return;
    if (m_reports & kCreatures)
        quests->AddCreatureInitialUpdate(m_record, this);
    if (m_reports & (kProxyPrimary | kProxyAccessory | kEntityItself))
        quests->AddGenericEntityInitialUpdate(m_record, this);
}

bool TargetedQuestAction::HasTarget(uint32_t id) const
{
    return id != 0 && std::find(m_targets.begin(), m_targets.end(), id) != m_targets.end();
}

bool TargetedQuestAction::Commands(const Object& object) const
{
    return HasTarget(object.GetObjectId()) || TargetRecordMatches(m_record, object.GetObjectName());
}

void TargetedQuestAction::AddTarget(uint32_t id)
{
    if (id == 0)
        return;
    if (m_targets.size() >= kMaxTargets) {
        gEngine->Log(LOG_WARNING, "%s %u: more than %zu targets of \"%s\"; object %u left out", GetName(), GetId(),
                     kMaxTargets, m_record.c_str(), id);
        return;
    }
    m_targets.push_back(id);
}

void TargetedQuestAction::AppendTargets(const std::vector<uint32_t>& ids)
{
    for (uint32_t id : ids)
        AddTarget(id);
}

void TargetedQuestAction::OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event)
{
    if (!(m_reports & kCreatures) || !TargetRecordMatches(m_record, event.objectName))
        return;
    AddTarget(event.objectId);
    if (m_pendingFire)
        TryFire();
}

void TargetedQuestAction::OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event)
{
    if (!TargetRecordMatches(m_record, event.objectName))
        return;
    if (m_reports & kEntityItself) {
        AddTarget(event.objectId);
    } else if (const Proxy* proxy = ObjectManager::Get().GetObject<Proxy>(event.objectId)) {
        std::vector<uint32_t> made;
        if (m_reports & kProxyAccessory)
            proxy->GetAccessoryObjects(made);
        else if (m_reports & kProxyPrimary)
            proxy->GetPrimaryObjects(made);
        AppendTargets(made);
    }
    if (m_pendingFire)
        TryFire();
}

void TargetedQuestAction::OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message)
{
    if (m_reports & kEntityItself)
        AddTarget(message.proxyId);
    else if (m_reports & kProxyAccessory)
        AppendTargets(message.accessoryObjects);
    else if (m_reports & kProxyPrimary)
        AppendTargets(message.primaryObjects);
    if (m_pendingFire)
        TryFire();
}

void TargetedQuestAction::OnFixedItemSpawn(const GameEvent_FixedItemSpawn& event)
{
    if (!TargetRecordMatches(m_record, event.objectName))
        return;
    AddTarget(event.objectId);
    if (m_pendingFire)
        TryFire();
}

void TargetedQuestAction::OnCreatureSpawn(const GameEvent_CreatureSpawn& event)
{
    if (!TargetRecordMatches(m_record, event.objectName))
        return;
    AddTarget(event.objectId);
    if (m_pendingFire)
        TryFire();
}

// The server takes a client's quest command only for an action of its own that waits to
// command that very object: a client cannot steer the host's characters and fixed items
// beyond what the quests the host runs would do.
bool TargetedQuestAction::AcceptClientCommand(const char* actionType, uint32_t objectId)
{
    const Object* object = ObjectManager::Get().GetObject(objectId);
    QuestRepository* quests = QuestRepository::Get();
    if (object && quests) {
        std::vector<TriggerAction*> actions;
        quests->FindActionsByType(actionType, QuestRepository::kUnfiredTriggers | QuestRepository::kFiredTriggers,
                                  actions);
        for (TriggerAction* each : actions) {
            const auto* action = dynamic_cast<const TargetedQuestAction*>(each);
            if (action && action->IsPendingFire() && action->Commands(*object))
                return true;
        }
    }
    NetPacketRegistry::DropHandled("A client's quest command", "for object %u: no pending %s commands it", objectId,
                                   actionType);
    return false;
}

// ---- Items ------------------------------------------------------------------------------

void ItemToTargetAction::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamString("item[0]", m_item[0]);
    stream.StreamString("item[1]", m_item[1]);
    stream.StreamString("item[2]", m_item[2]);
}

void ItemToTargetAction::SetItem(int difficulty, const std::string& record)
{
    if (difficulty >= 0 && difficulty < 3)
        m_item[difficulty] = record;
}

const std::string& ItemToTargetAction::GetItemForDifficulty() const
{
    return m_item[TargetedActionDifficulty()];
}

void ItemToTargetAction::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    TryFire();
}

void Action_DispenseItemFromNpc::TryFire()
{
    const std::string& item = GetItemForDifficulty();
    for (uint32_t id : m_targets) {
        if (Npc* npc = ObjectManager::Get().GetObject<Npc>(id)) {
            npc->SetDispenseItem(QuestRepository::GetLocalPlayerId(), item);
            m_pendingFire = false;
        } else if (Monster* monster = ObjectManager::Get().GetObject<Monster>(id)) {
            monster->SetTreasureProxy(item, true);
            m_pendingFire = false;
        }
    }
}

void Action_DropItemFromNpc::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    if (GetItemForDifficulty().empty() || m_targets.empty())
        return;
    TryFire();
}

void Action_DropItemFromNpc::TryFire()
{
    const std::string& record = GetItemForDifficulty();
    if (record.empty())
        return;
    for (uint32_t id : m_targets) {
        Character* character = ObjectManager::Get().GetObject<Character>(id);
        if (!character)
            continue;
        Item* item = ObjectManager::Get().CreateObjectFromFile<Item>(record);
        ItemReplicaInfo replica;
        if (!item && gGameEngine &&
            ResolveItemRecord(record, replica.baseName, replica.prefixName, replica.suffixName,
                              gGameEngine->GetRandomGen(), GetName())) {
            replica.objectId = ObjectManager::Get().CreateObjectID();
            replica.seed = static_cast<uint32_t>(gGameEngine->GetRandomGen().IGenerate(0, 10000));
            item = Item::CreateItem(replica);
        }
        if (item) {
            m_droppedItemId = item->GetObjectId();
            character->DropItem(item, 0.5f, 0.5f);
        }
        m_pendingFire = false;
    }
}

void Action_DispenseItemFromChest::TryFire()
{
    FixedItem* chest = ObjectManager::Get().GetObject<FixedItem>(GetTarget());
    if (!chest)
        return;
    ItemReplicaInfo replica;
    replica.baseName = GetItemForDifficulty();
    chest->SetDropPerPartyMemberItem(replica);
    m_pendingFire = false;
}

// ---- Moving creatures -------------------------------------------------------------------

Action_TaskCreatureToLocation::Action_TaskCreatureToLocation(uint32_t id, Trigger* parent)
    : TargetedQuestAction(id, parent, "creature", kCreatures | kProxyPrimary, true)
{
}

Action_TaskCreatureToLocation::~Action_TaskCreatureToLocation() = default;

void Action_TaskCreatureToLocation::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamString("location", m_location);
    stream.StreamBool("fight", m_fight);
    stream.StreamBool("canReFire", m_canReFire);
    if (stream.IsReading())
        SetLocation(m_location.c_str());
}

void Action_TaskCreatureToLocation::SetLocation(const char* record)
{
    m_location = record ? record : "";
    QuestRepository* quests = QuestRepository::Get();
    if (!quests || m_location.empty())
        return;
    quests->AddCreatureInitialUpdate(m_location, this);
    quests->AddGenericEntityInitialUpdate(m_location, this);
}

void Action_TaskCreatureToLocation::OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event)
{
    if (TargetRecordMatches(m_location, event.objectName)) {
        m_locationId = event.objectId;
        if (m_pendingFire && !TargetRecordMatches(m_record, event.objectName))
            TryFire();
    }
    TargetedQuestAction::OnCreatureInitialUpdate(event);
}

void Action_TaskCreatureToLocation::OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event)
{
    if (TargetRecordMatches(m_location, event.objectName)) {
        m_locationId = event.objectId;
        if (m_pendingFire && !TargetRecordMatches(m_record, event.objectName))
            TryFire();
    }
    TargetedQuestAction::OnGenericEntityInitialUpdate(event);
}

void Action_TaskCreatureToLocation::Fire(uint32_t, bool reFire)
{
    if (reFire && (!m_canReFire || IsNetClient()))
        return;
    m_pendingFire = true;
    TryFire();
}

void Action_TaskCreatureToLocation::TryFire()
{
    std::vector<uint32_t> creatures = m_targets;
    if (creatures.empty() && m_record.empty())
        creatures.push_back(QuestRepository::GetLocalPlayerId());
    uint32_t destinationId = QuestRepository::GetLocalPlayerId();
    if (!m_location.empty()) {
        if (m_locationId == 0)
            return;
        destinationId = m_locationId;
    }
    const Entity* destination = ObjectManager::Get().GetObject<Entity>(destinationId);
    if (!destination)
        return;
    const WorldVec3 point = destination->GetCoords().GetPosition();
    const bool client = IsNetClient();
    for (uint32_t id : creatures) {
        if (client && gGameEngine)
            gGameEngine->QuestCommandMove(id, destinationId, point, m_fight);
        else if (Character* creature = ObjectManager::Get().GetObject<Character>(id))
            creature->QuestCommandMove(destinationId, point, m_fight);
    }
    m_pendingFire = false;
}

// ---- Entities at locations ---------------------------------------------------------------

void Action_SpawnEntityAtLocation::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("entity", m_entity);
    StreamTargetRecord(stream);
}

void Action_SpawnEntityAtLocation::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    TryFire();
}

void Action_SpawnEntityAtLocation::TryFire()
{
    if (m_entity.empty())
        return;
    const QuestLocation* location = ObjectManager::Get().GetObject<QuestLocation>(GetTarget());
    if (!location)
        return;
    if (QuestRepository::IsServerOrSingle() && gGameEngine)
        gGameEngine->CreateEntity(location->GetCoords(), m_entity, ObjectManager::Get().CreateObjectID());
    m_pendingFire = false;
}

// ---- Characters' dialogs -----------------------------------------------------------------

void Action_BoatDialog::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamBool("onOff", m_onOff);
    stream.StreamString("tag", m_tag);
}

void Action_BoatDialog::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    TryFire();
}

void Action_BoatDialog::TryFire()
{
    if (m_record.empty())
        return;
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(GetTarget())) {
        npc->SetBoatMaster(m_onOff, m_tag, m_x, m_y, m_z);
        m_pendingFire = false;
    }
}

void Action_TalkNPC::Fire(uint32_t, bool)
{
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(GetTarget()))
        npc->OnPlayerInteract(QuestRepository::GetLocalPlayerId(), false, false);
}

void Action_ClearNPCDialog::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    TryFire();
}

void Action_ClearNPCDialog::TryFire()
{
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(GetTarget())) {
        npc->Dialog_ReplaceStatic("", nullptr, false);
        m_pendingFire = false;
    }
}

void Action_IlluminateNpc::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamInt32("type", m_kind);
}

void Action_IlluminateNpc::StreamChildProperties(IOStream& stream)
{
    PendingQuestAction::StreamChildProperties(stream);
    stream.StreamBool("isDeluminate", m_deluminate);
}

void Action_IlluminateNpc::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    TryFire();
}

void Action_IlluminateNpc::TryFire()
{
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(GetTarget())) {
        npc->SetDialogType(m_kind);
        npc->Dialog_Illuminate(this);
        m_pendingFire = false;
    }
}

void Action_IlluminateNpc::Execute()
{
    if (Npc* npc = FindNpc(m_record))
        npc->Dialog_Illuminate(this);
    else
        gEngine->Log(LOG_WARNING, "Action_IlluminateNpc %u: no character \"%s\" in the world", GetId(),
                     m_record.c_str());
}

void Action_UpdateNPCDialog::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamString("dialogFile", m_dialogRecord);
}

void Action_UpdateNPCDialog::StreamChildProperties(IOStream& stream)
{
    PendingQuestAction::StreamChildProperties(stream);
    stream.StreamBool("noPrimaryDialog", m_noPrimaryDialog);
}

void Action_UpdateNPCDialog::Fire(uint32_t, bool)
{
    m_pendingFire = true;
    TryFire();
}

void Action_UpdateNPCDialog::TryFire()
{
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(GetTarget())) {
        npc->Dialog_ReplaceStatic(m_dialogRecord.c_str(), this, m_noPrimaryDialog);
        m_pendingFire = false;
    }
}

void Action_UpdateNPCDialog::Execute()
{
    if (Npc* npc = FindNpc(m_record))
        npc->Dialog_ReplaceStatic(m_dialogRecord.c_str(), this, m_noPrimaryDialog);
    else
        gEngine->Log(LOG_WARNING, "Action_UpdateNPCDialog %u: no character \"%s\" in the world", GetId(),
                     m_record.c_str());
}

// ---- Doors and locks ---------------------------------------------------------------------

void FixedItemAction::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    if (m_hasReFire)
        stream.StreamBool("canReFire", m_canReFire);
}

// A re-fired open runs only where the world's state is decided (the server's door command
// reaches the clients); a re-fired close runs in every role.
void DoorAction::Fire(uint32_t, bool reFire)
{
    if (reFire && (!m_canReFire || (m_open && !QuestRepository::IsServerOrSingle())))
        return;
    m_reFire = reFire;
    m_pendingFire = true;
    TryFire();
}

void DoorAction::TryFire()
{
    if (m_record.empty())
        return;
    FixedItemDoorBase* door = ObjectManager::Get().GetObject<FixedItemDoorBase>(GetTarget());
    if (!door)
        return;
    const FixedItem_State state = m_open ? FixedItemState_DoorOpenByTrigger : FixedItemState_DoorClosed;
    door->Enqueue(new FixedItemStateChangeConfigCmd(door->GetObjectId(), state, 0, !m_reFire));
    m_pendingFire = false;
}

void LockAction::Fire(uint32_t, bool reFire)
{
    if (reFire && !m_canReFire)
        return;
    m_pendingFire = true;
    TryFire();
}

void LockAction::TryFire()
{
    const bool client = IsNetClient();
    for (uint32_t id : m_targets) {
        if (client && gGameEngine) {
            gGameEngine->QuestCommandLockFixedItem(id, m_lock);
            m_pendingFire = false;
        }
        if (FixedItem* item = ObjectManager::Get().GetObject<FixedItem>(id)) {
            item->SetLock(m_lock);
            m_pendingFire = false;
        }
    }
}

// ---- Creatures ---------------------------------------------------------------------------

void Action_KillCreature::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamBool("canReFire", m_canReFire);
}

void Action_KillCreature::Fire(uint32_t, bool reFire)
{
    if (reFire && !m_canReFire)
        return;
    m_pendingFire = true;
    TryFire();
}

void Action_KillCreature::TryFire()
{
    for (uint32_t id : m_targets) {
        const Character* creature = ObjectManager::Get().GetObject<Character>(id);
        ControllerCombat* controller =
            creature ? ObjectManager::Get().GetObject<ControllerCombat>(creature->GetControllerId()) : nullptr;
        if (controller) {
            controller->KillMe();
            m_pendingFire = false;
        }
    }
}

void Action_SetCharacterInvincible::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamBool("invincible", m_invincible);
    stream.StreamBool("canReFire", m_canReFire);
}

void Action_SetCharacterInvincible::Fire(uint32_t, bool reFire)
{
    if (reFire && !m_canReFire)
        return;
    if (m_record.empty())
        AddTarget(QuestRepository::GetLocalPlayerId());
    m_pendingFire = true;
    TryFire();
}

void Action_SetCharacterInvincible::TryFire()
{
    for (uint32_t id : m_targets) {
        const Character* character = ObjectManager::Get().GetObject<Character>(id);
        ControllerAI* controller =
            character ? ObjectManager::Get().GetObject<ControllerAI>(character->GetControllerId()) : nullptr;
        if (controller && controller->GetParentId() != 0) {
            controller->SetInvincible(m_invincible);
            m_pendingFire = false;
        }
    }
}

void Action_NpcPlayAnimation::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    stream.StreamInt32("animation", m_animation);
    stream.StreamBool("allowInterruptions", m_allowInterruptions);
    stream.StreamBool("looping", m_looping);
}

void Action_NpcPlayAnimation::Fire(uint32_t, bool reFire)
{
    if (reFire && IsNetClient())
        return;
    m_pendingFire = true;
    TryFire();
}

void Action_NpcPlayAnimation::TryFire()
{
    const bool client = IsNetClient();
    bool played = false;
    for (uint32_t id : m_targets) {
        Character* character = ObjectManager::Get().GetObject<Character>(id);
        if (!character)
            continue;
        if (client && gGameEngine)
            gGameEngine->QuestCommandPlayAnimation(id, static_cast<uint32_t>(m_animation), m_looping,
                                                   m_allowInterruptions);
        else
            character->QuestCommandPlayAnimation(static_cast<uint32_t>(m_animation), m_looping, m_allowInterruptions);
        m_pendingFire = false;
        played = true;
    }
    QuestRepository* quests = QuestRepository::Get();
    if (!played || m_looping || !quests)
        return;
    std::vector<TriggerCondition*> waiting;
    quests->FindConditionsByType("Condition_AnimationCompleted",
                                 QuestRepository::kUnfiredTriggers | QuestRepository::kUnsatisfied, waiting);
    for (TriggerCondition* each : waiting) {
        const auto* condition = dynamic_cast<const Condition_AnimationCompleted*>(each);
        if (condition && TargetRecordMatches(m_record, condition->GetCharacterRecord()))
            quests->AddTimeoutCondition(each, kAnimationTimeoutSeconds);
    }
}

// ---- Visibility and proxies --------------------------------------------------------------

void NpcVisibilityAction::SerializeChildProperties(IOStream& stream)
{
    StreamTargetRecord(stream);
    if (m_hasReFire)
        stream.StreamBool("canReFire", m_canReFire);
}

void NpcVisibilityAction::Fire(uint32_t, bool reFire)
{
    if (reFire && m_hasReFire && !m_canReFire)
        return;
    m_pendingFire = true;
    TryFire();
}

void ShowHideNpcAction::TryFire()
{
    if (Actor* actor = ObjectManager::Get().GetObject<Actor>(GetTarget())) {
        actor->SetVisibility(m_visible);
        m_pendingFire = false;
    }
}

void Action_DisableProxy::TryFire()
{
    if (IsNetClient()) {
        m_pendingFire = false;
        return;
    }
    if (Proxy* proxy = ObjectManager::Get().GetObject<Proxy>(GetTarget())) {
        proxy->Disable();
        m_pendingFire = false;
    }
}

// ---- Skills ------------------------------------------------------------------------------

void Action_FireSkill::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("skill", m_skill);
    stream.StreamString("source", m_source);
    StreamTargetRecord(stream);
    stream.StreamBool("allowInterruptions", m_allowInterruptions);
    if (stream.IsReading())
        SetSource(m_source.c_str());
}

void Action_FireSkill::SetSource(const char* record)
{
    m_source = record ? record : "";
    QuestRepository* quests = QuestRepository::Get();
    if (!quests || m_source.empty())
        return;
    quests->AddCreatureInitialUpdate(m_source, this);
    quests->AddGenericEntityInitialUpdate(m_source, this);
}

bool Action_FireSkill::Commands(const Object& object) const
{
    const uint32_t id = object.GetObjectId();
    return (id != 0 && std::find(m_sources.begin(), m_sources.end(), id) != m_sources.end()) ||
           TargetRecordMatches(m_source, object.GetObjectName());
}

void Action_FireSkill::Route(const std::string& record, const std::vector<uint32_t>& ids)
{
    if (TargetRecordMatches(m_source, record))
        for (uint32_t id : ids)
            if (id != 0 && m_sources.size() < kMaxTargets)
                m_sources.push_back(id);
    if (TargetRecordMatches(m_record, record))
        AppendTargets(ids);
    if (m_pendingFire)
        TryFire();
}

void Action_FireSkill::OnCreatureInitialUpdate(const GameEvent_CreatureInitialUpdate& event)
{
    Route(event.objectName, {event.objectId});
}

void Action_FireSkill::OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event)
{
    Route(event.objectName, Proxy::PrimaryObjectsOf(event.objectId));
}

void Action_FireSkill::OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message)
{
    const QuestRepository* quests = QuestRepository::Get();
    if (quests)
        Route(quests->NetworkIndexToString(message.recordIndex), message.primaryObjects);
}

void Action_FireSkill::Fire(uint32_t, bool)
{
    if (m_source.empty())
        m_sources.push_back(QuestRepository::GetLocalPlayerId());
    if (m_record.empty())
        AddTarget(QuestRepository::GetLocalPlayerId());
    m_pendingFire = true;
    TryFire();
}

void Action_FireSkill::TryFire()
{
    if (m_sources.empty() || m_targets.empty())
        return;
    const bool client = IsNetClient();
    auto command = [&](Character& source, const std::string& skill, uint32_t targetId) {
        if (client && gGameEngine)
            gGameEngine->QuestCommandUseSkill(source.GetObjectId(), skill, targetId, m_allowInterruptions);
        else
            source.QuestCommandUseSkill(skill, targetId, m_allowInterruptions);
    };
    for (uint32_t sourceId : m_sources) {
        Character* source = ObjectManager::Get().GetObject<Character>(sourceId);
        if (!source)
            continue;
        if (m_skill.empty()) {
            command(*source, m_skill, QuestRepository::GetLocalPlayerId());
            continue;
        }
        for (uint32_t targetId : m_targets)
            command(*source, m_skill, targetId);
    }
    m_pendingFire = false;
}

}  // namespace GAME
