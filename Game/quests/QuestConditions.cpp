#include "Game/quests/QuestConditions.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/core/GameEvents.h"
#include "Game/world/FixedItem.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {

const TriggerConditionProducerOf<Condition_KillCreature> kKillCreatureProducer("Condition_KillCreature");
const TriggerConditionProducerOf<Condition_KillAllCreaturesFromProxy> kKillAllProducer(
    "Condition_KillAllCreaturesFromProxy");
const TriggerConditionProducerOf<Condition_KillCreatureHerd> kKillHerdProducer("Condition_KillCreatureHerd");
const TriggerConditionProducerOf<Condition_UseFixedItem> kUseFixedItemProducer("Condition_UseFixedItem");
const TriggerConditionProducerOf<Condition_PickupItem> kPickupItemProducer("Condition_PickupItem");
const TriggerConditionProducerOf<Condition_ConversationStart> kConversationProducer("Condition_ConversationStart");
const TriggerConditionProducerOf<Condition_OwnsTriggerToken> kOwnsTokenProducer("Condition_OwnsTriggerToken");
const TriggerConditionProducerOf<Condition_GotToken> kGotTokenProducer("Condition_GotToken");
const TriggerConditionProducerOf<Condition_CharacterHasItem> kHasItemProducer("Condition_CharacterHasItem");
const TriggerConditionProducerOf<Condition_OnLevelLoad> kLevelLoadProducer("Condition_OnLevelLoad");
const TriggerConditionProducerOf<Condition_OnQuestComplete> kQuestCompleteProducer("Condition_OnQuestComplete");
const TriggerConditionProducerOf<Condition_MoveCompleted> kMoveCompletedProducer("Condition_MoveCompleted");
const TriggerConditionProducerOf<Condition_AnimationCompleted> kAnimationCompletedProducer(
    "Condition_AnimationCompleted");
const TriggerConditionProducerOf<Condition_EnterVolume> kEnterVolumeProducer("Condition_EnterVolume");
const TriggerConditionProducerOf<Condition_ExitVolume> kExitVolumeProducer("Condition_ExitVolume");

// A player in the game and in the local player's party (the local player counts).
bool IsPartyPlayer(uint32_t playerId)
{
    if (!ObjectManager::Get().GetObject<Player>(playerId))
        return false;
    return playerId == QuestRepository::GetLocalPlayerId() || QuestRepository::IsPartyPlayerInGame(playerId);
}

bool RecordMatches(const std::string& record, const std::string& name)
{
    return !record.empty() && record.size() == name.size() && PathEqualsNoCase(record.c_str(), name.c_str());
}

// A kill: on the server or in single play of a networked game, the kill goes to every
// host and counts here only when the local player made it; a kill by a player of
// another party never counts.
template <class Message>
bool ShareKill(uint32_t conditionId, uint32_t killerId, Message& message)
{
    if (!QuestRepository::IsNetworked())
        return true;
    bool ok = true;
    if (QuestRepository::IsServerOrSingle()) {
        message.id = ConditionId(conditionId);
        message.sender = killerId;
        QuestRepository::Get()->SendNetMsg(message, 0);
        ok = killerId == QuestRepository::GetLocalPlayerId();
    }
    if (ObjectManager::Get().GetObject<Player>(killerId) && killerId != QuestRepository::GetLocalPlayerId() &&
        !QuestRepository::IsPartyPlayerInGame(killerId))
        ok = false;
    return ok;
}

// A kill of a creature of the condition's record, shared as `Message` (killer, creature,
// exclusive flag): whether it counts here.
template <class Message>
bool ShareCreatureKill(uint32_t conditionId, bool exclusive, const GameEvent_CreatureDeath& event)
{
    Message message;
    message.args[0] = event.attackerId;
    message.args[1] = event.objectId;
    message.args[2] = exclusive ? 1u : 0u;
    return ShareKill(conditionId, event.attackerId, message);
}

void BroadcastSatisfied(uint32_t conditionId)
{
    if (!QuestRepository::IsServerOrSingle())
        return;
    QuestNetMsg_Satisfied message;
    message.id = ConditionId(conditionId);
    message.sender = QuestRepository::GetLocalPlayerId();
    QuestRepository::Get()->SendNetMsg(message, 0);
}

}  // namespace

// ---- QuestCondition ----------------------------------------------------------------------

QuestCondition::~QuestCondition()
{
    QuestRepository::Forget(static_cast<TriggerCondition*>(this));
}

std::string QuestCondition::GetDescription() const
{
    return (m_negate ? std::string("{BNot }") : std::string()) + DescribeBody();
}

std::string QuestCondition::DescribeRecord(const char* prefix, const std::string& record)
{
    return std::string(prefix) + "{B" + (record.empty() ? std::string("[empty]") : GetFileName(record, true)) + "}";
}

bool QuestCondition::IsParentFired() const
{
    return m_parent && m_parent->m_fired;
}

void QuestCondition::SatisfyWithPlayer(const uint32_t* playerId)
{
    SetSatisfied(true);
    if (playerId && m_parent)
        m_parent->m_playerId = *playerId;
    ParentStatusChange(false);
}

// ---- Kills -------------------------------------------------------------------------------

void Condition_KillCreature::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("creatureRecord", m_record);
    if (stream.IsReading() && QuestRepository::IsServerOrSingle())
        QuestRepository::Get()->AddCreatureDeath(m_record, this);
}

void Condition_KillCreature::OnCreatureDeath(const GameEvent_CreatureDeath& event)
{
    if (!RecordMatches(m_record, event.objectName))
        return;
    const bool ok = ShareCreatureKill<QuestNetMsg_KillCreature>(m_id, m_exclusive, event);
    if (!IsParentFired() && ok)
        Satisfy(event.attackerId, event.objectId, true);
}

void Condition_KillCreature::Satisfy(uint32_t killerId, uint32_t creatureId, bool broadcast)
{
    SetSatisfied(true);
    if (broadcast)
        BroadcastSatisfied(m_id);
    if (m_parent) {
        m_parent->m_playerId = killerId;
        m_parent->m_value = creatureId;
    }
    ParentStatusChange(false);
}

void Condition_KillAllCreaturesFromProxy::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("proxyRecord", m_record);
    if (stream.IsReading() && QuestRepository::IsServerOrSingle())
        QuestRepository::Get()->AddCreatureDeath(m_record, this);
}

void Condition_KillAllCreaturesFromProxy::StreamChildProperties(IOStream& stream)
{
    stream.StreamUInt32("killCount", m_count);
}

void Condition_KillAllCreaturesFromProxy::OnCreatureDeath(const GameEvent_CreatureDeath& event)
{
    const Monster* monster = ObjectManager::Get().GetObject<Monster>(event.objectId);
    if (!monster || !RecordMatches(m_record, monster->GetProxyParent()))
        return;
    QuestNetMsg_KillAllFromProxy message;
    message.args[0] = monster->GetProxyNumSiblings();
    message.args[1] = m_exclusive ? 1u : 0u;
    const bool ok = ShareKill(m_id, event.attackerId, message);
    if (!IsParentFired() && ok)
        Satisfy(monster->GetProxyNumSiblings(), true);
}

// Satisfied on the death that makes the count equal the siblings, never on a later one.
void Condition_KillAllCreaturesFromProxy::Satisfy(uint32_t siblingCount, bool broadcast)
{
    if (m_count < 0xFFFFFFFFu)
        ++m_count;
    if (m_count != siblingCount)
        return;
    SetSatisfied(true);
    if (broadcast)
        BroadcastSatisfied(m_id);
    ParentStatusChange(false);
}

void Condition_KillCreatureHerd::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("creatureRecord", m_record);
    stream.StreamInt32("creatureCount", m_creatureCount);
    stream.StreamString("questWindowDisplay", m_display);
    if (stream.IsReading() && QuestRepository::IsServerOrSingle())
        QuestRepository::Get()->AddCreatureDeath(m_record, this);
}

void Condition_KillCreatureHerd::StreamChildProperties(IOStream& stream)
{
    stream.StreamInt32("killCount", m_count);
}

void Condition_KillCreatureHerd::GetQuestInformation(std::vector<std::string>& out)
{
    if (!m_display.empty())
        out.push_back(m_display + " " + std::to_string(m_count) + "/" + std::to_string(m_creatureCount));
}

std::string Condition_KillCreatureHerd::DescribeBody() const
{
    return "Player Kills {B" + std::to_string(m_creatureCount) + " " +
           (m_record.empty() ? std::string("[empty]") : GetFileName(m_record, true)) + "}";
}

void Condition_KillCreatureHerd::OnCreatureDeath(const GameEvent_CreatureDeath& event)
{
    if (!RecordMatches(m_record, event.objectName))
        return;
    const bool ok = ShareCreatureKill<QuestNetMsg_KillCreatureHerd>(m_id, m_exclusive, event);
    if (!IsParentFired() && ok)
        Satisfy(event.attackerId, event.objectId, true);
}

void Condition_KillCreatureHerd::Satisfy(uint32_t killerId, uint32_t creatureId, bool broadcast)
{
    if (m_count < INT32_MAX)
        ++m_count;
    if (m_count < m_creatureCount || GetSatisfied())
        return;
    SetSatisfied(true);
    if (broadcast)
        BroadcastSatisfied(m_id);
    if (m_parent) {
        m_parent->m_playerId = killerId;
        m_parent->m_value = creatureId;
    }
    ParentStatusChange(false);
}

// ---- Items -------------------------------------------------------------------------------

Condition_UseFixedItem::Condition_UseFixedItem(uint32_t id, Trigger* parent)
    : QuestCondition(id, parent), m_listener("GameEvent_FixedItemUse", &Condition_UseFixedItem::OnFixedItemUse, this)
{
}

void Condition_UseFixedItem::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("itemRecord", m_record);
}

void Condition_UseFixedItem::OnFixedItemUse(const GameEvent_FixedItemUse& event)
{
    const Object* item = ObjectManager::Get().GetObject(event.objectId);
    if (IsParentFired() || !item || !RecordMatches(m_record, item->GetObjectName()) || !IsPartyPlayer(event.actorId))
        return;
    SatisfyWithPlayer(&event.actorId);
}

Condition_PickupItem::Condition_PickupItem(uint32_t id, Trigger* parent)
    : QuestCondition(id, parent), m_listener("GameEvent_ItemAdd", &Condition_PickupItem::OnItemAdd, this)
{
}

void Condition_PickupItem::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("itemRecord", m_record);
}

void Condition_PickupItem::OnItemAdd(const GameEvent_ItemAdd& event)
{
    if (IsParentFired() || event.flag || !IsPartyPlayer(event.ownerId))
        return;
    const Object* item = ObjectManager::Get().GetObject(event.itemId);
    if (!item || !RecordMatches(m_record, item->GetObjectName()))
        return;
    SatisfyWithPlayer(&event.ownerId);
}

void Condition_CharacterHasItem::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("itemName", m_item);
}

void Condition_CharacterHasItem::IsSatisfied(bool& value)
{
    const Character* character =
        m_parent ? ObjectManager::Get().GetObject<Character>(m_parent->m_playerId) : nullptr;
    const bool holds = character && character->HasItem(m_item);
    value = value && (holds != m_negate);
}

// ---- Conversation and tokens -------------------------------------------------------------

void Condition_ConversationStart::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("personRecord", m_record);
    if (stream.IsReading())
        QuestRepository::Get()->AddConversationStart(m_record, this);
}

namespace {

// Whether this machine serves a networked game, where another host's word is checked.
bool ChecksPartners()
{
    return QuestRepository::IsNetworked() && QuestRepository::IsServerOrSingle();
}

}  // namespace

void Condition_ConversationStart::OnConversationBegin(const GameEvent_ConversationBegin& event)
{
    const uint32_t local = QuestRepository::GetLocalPlayerId();
    if (IsParentFired() || !RecordMatches(m_record, event.npcName))
        return;
    if (event.playerId == local) {
        Satisfy(local, true, false);
        return;
    }
    // Another host's player began it here: the talk its partner's message tells of.
    if (!ChecksPartners())
        return;
    if (m_talksTold.Take(event.playerId))
        SatisfySeen(event.playerId);
    else
        m_talksSeen.Add(event.playerId);
}

bool Condition_ConversationStart::SatisfyByPartner(uint32_t partner)
{
    if (!ChecksPartners()) {
        Satisfy(QuestRepository::GetLocalPlayerId(), false, true);
        return true;
    }
    if (GetSatisfied() || IsParentFired())
        return true;   // told already (the server hears its own word passed on, too)
    if (!m_talksSeen.Take(partner)) {
        m_talksTold.Add(partner);
        return false;
    }
    SatisfySeen(partner);
    return true;
}

void Condition_ConversationStart::SatisfySeen(uint32_t partner)
{
    Satisfy(QuestRepository::GetLocalPlayerId(), false, true);
    // The server passes on no client's word of it: the other clients hear it from here.
    QuestNetMsg_ConversationStart message;
    message.id = ConditionId(m_id);
    message.sender = partner;
    message.args[0] = partner;
    QuestRepository::Get()->SendNetMsg(message, 0);
}

void Condition_ConversationStart::Satisfy(uint32_t playerId, bool, bool fromMessage)
{
    SetSatisfied(true);
    if (!m_parent)
        return;
    m_parent->m_playerId = playerId;
    m_parent->OnStatusChange(false);
    if (fromMessage || !m_parent->m_fired)
        return;
    QuestNetMsg_ConversationStart message;
    message.id = ConditionId(m_id);
    message.sender = QuestRepository::GetLocalPlayerId();
    message.args[0] = playerId;
    QuestRepository::Get()->SendDelayedNetMsg(message, 0);
}

void Condition_OwnsTriggerToken::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("tokenName", m_token);
}

void Condition_OwnsTriggerToken::IsSatisfied(bool& value)
{
    const Player* player = QuestRepository::GetLocalPlayer();
    const bool holds = player && player->HasToken(m_token);
    value = value && (holds != m_negate);
}

void Condition_OwnsTriggerToken::RemoveTokenReferences(const std::string& token)
{
    if (token == m_token)
        m_token.clear();
}

Condition_GotToken::Condition_GotToken(uint32_t id, Trigger* parent)
    : QuestCondition(id, parent), m_listener("GameEvent_GotToken", &Condition_GotToken::OnGotToken, this)
{
}

void Condition_GotToken::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("tokenName", m_token);
}

void Condition_GotToken::RemoveTokenReferences(const std::string& token)
{
    if (token == m_token)
        m_token.clear();
}

void Condition_GotToken::OnGotToken(const GameEvent_GotToken& event)
{
    if (IsParentFired() || m_token.empty() || event.tokenName != m_token)
        return;
    SatisfyWithPlayer(&event.objectId);
}

// ---- Level and quests --------------------------------------------------------------------

Condition_OnLevelLoad::Condition_OnLevelLoad(uint32_t id, Trigger* parent)
    : QuestCondition(id, parent), m_listener("GameEvent_PreRun", &Condition_OnLevelLoad::OnPreRun, this)
{
}

void Condition_OnLevelLoad::OnPreRun(const GameEvent_PreRun&)
{
    if (!IsParentFired())
        SatisfyWithPlayer(nullptr);
}

Condition_OnQuestComplete::Condition_OnQuestComplete(uint32_t id, Trigger* parent)
    : QuestCondition(id, parent),
      m_listener("GameEvent_QuestComplete", &Condition_OnQuestComplete::OnQuestComplete, this)
{
}

void Condition_OnQuestComplete::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("questFile", m_questFile);
}

std::string Condition_OnQuestComplete::DescribeBody() const
{
    return "Quest {B" + (m_questFile.empty() ? std::string("[empty]") : m_questFile) + "} Complete";
}

void Condition_OnQuestComplete::OnQuestComplete(const GameEvent_QuestComplete& event)
{
    if ((!event.flagA && !event.flagB) || IsParentFired() || m_questFile.empty())
        return;
    if (Name::Create(GetNormalizedPath(m_questFile)) == event.handle)
        SatisfyWithPlayer(nullptr);
}

// ---- Move and animation ------------------------------------------------------------------

void CharacterCompletionCondition::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("characterRecord", m_record);
    if (stream.IsReading())
        QuestRepository::Get()->AddGenericEntityInitialUpdate(m_record, this);
}

void CharacterCompletionCondition::OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event)
{
    if (!RecordMatches(m_record, event.objectName))
        return;
    Track(Proxy::PrimaryObjectsOf(event.objectId));
}

void CharacterCompletionCondition::OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message)
{
    Track(message.primaryObjects);
}

void CharacterCompletionCondition::Track(const std::vector<uint32_t>& monsters)
{
    for (uint32_t id : monsters)
        if (id != 0 && std::find(m_tracked.begin(), m_tracked.end(), id) == m_tracked.end())
            m_tracked.push_back(id);
}

void CharacterCompletionCondition::OnCompleted(const std::string& objectName)
{
    if (IsParentFired())
        return;
    bool matches = RecordMatches(m_record, objectName);
    for (size_t i = 0; i < m_tracked.size() && !matches; ++i) {
        const Object* monster = ObjectManager::Get().GetObject(m_tracked[i]);
        matches = monster && monster->GetObjectName().size() == objectName.size() &&
                  PathEqualsNoCase(monster->GetObjectName().c_str(), objectName.c_str());
    }
    if (matches)
        SatisfyWithPlayer(nullptr);
}

Condition_MoveCompleted::Condition_MoveCompleted(uint32_t id, Trigger* parent)
    : CharacterCompletionCondition(id, parent),
      m_listener("GameEvent_MoveCompleted", &Condition_MoveCompleted::OnMoveCompleted, this)
{
}

Condition_AnimationCompleted::Condition_AnimationCompleted(uint32_t id, Trigger* parent)
    : CharacterCompletionCondition(id, parent),
      m_listener("GameEvent_AnimationCompleted", &Condition_AnimationCompleted::OnAnimationCompleted, this)
{
}

// ---- Volumes -----------------------------------------------------------------------------

VolumeCondition::VolumeCondition(uint32_t id, Trigger* parent)
    : QuestCondition(id, parent),
      m_spawnListener("GameEvent_GenericEntitySpawn", &VolumeCondition::OnSpawn, this),
      m_destroyListener("GameEvent_GenericEntityDestroy", &VolumeCondition::OnDestroy, this)
{
}

void VolumeCondition::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("volumeRecord", m_record);
}

void VolumeCondition::OnSpawn(const GameEvent_GenericEntitySpawn& event)
{
    if (!IsParentFired() && RecordMatches(m_record, event.objectName) && !IsTracked(event.objectId))
        m_volumes.push_back(event.objectId);
}

void VolumeCondition::OnDestroy(const GameEvent_GenericEntityDestroy& event)
{
    if (!IsParentFired() && RecordMatches(m_record, event.objectName))
        std::erase(m_volumes, event.objectId);
}

bool VolumeCondition::IsTracked(uint32_t volumeId) const
{
    return std::find(m_volumes.begin(), m_volumes.end(), volumeId) != m_volumes.end();
}

void Condition_EnterVolume::SerializeChildProperties(IOStream& stream)
{
    VolumeCondition::SerializeChildProperties(stream);
    if (stream.IsReading())
        QuestRepository::Get()->AddEnterBoundingVolume(m_record, this);
}

void Condition_EnterVolume::OnEnterBoundingVolume(const GameEvent_EnterBoundingVolume& event)
{
    if (IsParentFired() || !IsTracked(event.volumeId) || !IsPartyPlayer(event.entityId))
        return;
    SatisfyWithPlayer(&event.entityId);
}

Condition_ExitVolume::Condition_ExitVolume(uint32_t id, Trigger* parent)
    : VolumeCondition(id, parent),
      m_exitListener("GameEvent_ExitBoundingVolume", &Condition_ExitVolume::OnExitBoundingVolume, this)
{
}

void Condition_ExitVolume::OnExitBoundingVolume(const GameEvent_ExitBoundingVolume& event)
{
    if (IsParentFired() || !IsTracked(event.volumeId))
        return;
    const Player* player = ObjectManager::Get().GetObject<Player>(event.entityId);
    if (player && player->IsControllingCharacter())
        SatisfyWithPlayer(&event.entityId);
}

}  // namespace GAME
