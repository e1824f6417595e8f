// The fifteen condition kinds of quest and level triggers. Each registers with the
// condition factory under its class name, reads its values in SerializeChildProperties,
// and marks itself satisfied when the game event it waits for matches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/Trigger.h"
#include "Game/core/GameEvents.h"
#include "Game/network/HostPlayerList.h"
#include "Game/quests/QuestRepository.h"

namespace GAME {

struct GameEvent_FixedItemUse;
struct GameEvent_ItemAdd;

// What the kinds share: the description markup, the parent's fired flag, and leaving
// the repository's tables when destroyed.
class QuestCondition : public TriggerCondition {
public:
    using TriggerCondition::TriggerCondition;
    ~QuestCondition() override;
    std::string GetDescription() const override;
    // `prefix`, then "{B" stem "}" of a record, or "{B[empty]}" (the trigger actions use it too).
    static std::string DescribeRecord(const char* prefix, const std::string& record);

protected:
    bool IsParentFired() const;
    // Satisfied: the id (when given) goes into the trigger's player field, then the
    // trigger tests its conditions.
    void SatisfyWithPlayer(const uint32_t* playerId);
    // The description after the "Not " part.
    virtual std::string DescribeBody() const = 0;
};

class Condition_KillCreature : public QuestCondition, public CreatureDeathListener {
public:
    Condition_KillCreature(uint32_t id, Trigger* parent) : QuestCondition(id, parent) {}
    const char* GetName() const override { return "Condition_KillCreature"; }
    void SerializeChildProperties(IOStream& stream) override;
    void OnCreatureDeath(const GameEvent_CreatureDeath& event) override;
    void Satisfy(uint32_t killerId, uint32_t creatureId, bool broadcast);
    void SetCreatureRecord(const std::string& record) { m_record = record; }

protected:
    std::string DescribeBody() const override { return DescribeRecord("Kill Creature ", m_record); }
    std::string m_record;
};

class Condition_KillAllCreaturesFromProxy : public QuestCondition, public CreatureDeathListener {
public:
    Condition_KillAllCreaturesFromProxy(uint32_t id, Trigger* parent) : QuestCondition(id, parent) {}
    const char* GetName() const override { return "Condition_KillAllCreaturesFromProxy"; }
    void SerializeChildProperties(IOStream& stream) override;
    void StreamChildProperties(IOStream& stream) override;
    void OnCreatureDeath(const GameEvent_CreatureDeath& event) override;
    // Counts a death; satisfied when the count equals the proxy's sibling count.
    void Satisfy(uint32_t siblingCount, bool broadcast);
    void SetProxyRecord(const std::string& record) { m_record = record; }
    uint32_t GetKillCount() const { return m_count; }

protected:
    std::string DescribeBody() const override { return DescribeRecord("Kill All Creatures From Proxy ", m_record); }
    std::string m_record;
    uint32_t m_count = 0;
};

class Condition_KillCreatureHerd : public QuestCondition, public CreatureDeathListener {
public:
    Condition_KillCreatureHerd(uint32_t id, Trigger* parent) : QuestCondition(id, parent) {}
    const char* GetName() const override { return "Condition_KillCreatureHerd"; }
    void SerializeChildProperties(IOStream& stream) override;
    void StreamChildProperties(IOStream& stream) override;
    void GetQuestInformation(std::vector<std::string>& out) override;
    void OnCreatureDeath(const GameEvent_CreatureDeath& event) override;
    void Satisfy(uint32_t killerId, uint32_t creatureId, bool broadcast);
    void SetCreatureRecord(const std::string& record) { m_record = record; }
    void SetCreatureCount(int32_t count) { m_creatureCount = count; }
    void SetQuestWindowDisplay(const std::string& text) { m_display = text; }
    const std::string& GetQuestWindowDisplay() const { return m_display; }

protected:
    std::string DescribeBody() const override;
    std::string m_record;
    int32_t m_creatureCount = 0;
    std::string m_display;
    int32_t m_count = 0;
};

class Condition_UseFixedItem : public QuestCondition {
public:
    Condition_UseFixedItem(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_UseFixedItem"; }
    void SerializeChildProperties(IOStream& stream) override;
    void OnFixedItemUse(const GameEvent_FixedItemUse& event);
    void SetItemRecord(const std::string& record) { m_record = record; }

protected:
    std::string DescribeBody() const override { return DescribeRecord("Use Item ", m_record); }
    std::string m_record;
    GameEventListener<Condition_UseFixedItem, GameEvent_FixedItemUse> m_listener;
};

class Condition_PickupItem : public QuestCondition {
public:
    Condition_PickupItem(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_PickupItem"; }
    void SerializeChildProperties(IOStream& stream) override;
    void OnItemAdd(const GameEvent_ItemAdd& event);
    void SetItemRecord(const std::string& record) { m_record = record; }

protected:
    std::string DescribeBody() const override { return DescribeRecord("Picks Up Item ", m_record); }
    std::string m_record;
    GameEventListener<Condition_PickupItem, GameEvent_ItemAdd> m_listener;
};

class Condition_ConversationStart : public QuestCondition {
public:
    Condition_ConversationStart(uint32_t id, Trigger* parent) : QuestCondition(id, parent) {}
    const char* GetName() const override { return "Condition_ConversationStart"; }
    void SerializeChildProperties(IOStream& stream) override;
    void OnConversationBegin(const GameEvent_ConversationBegin& event);
    // `unused` is not read; with `fromMessage` nothing is sent.
    void Satisfy(uint32_t playerId, bool unused, bool fromMessage);
    void SetPersonRecord(const std::string& record) { m_record = record; }
    // A partner's message that it began the conversation. On the server of a networked
    // game the word of another host counts only once the server saw that partner's player
    // begin the conversation here (its own talk, within reach, began it on the server too):
    // the talk and the message meet in either order, the message waiting for the talk, and
    // the server then tells the other clients (it passes on no client's quest message).
    // Elsewhere the server's word is taken. False when the message waits.
    bool SatisfyByPartner(uint32_t partner);

protected:
    std::string DescribeBody() const override { return DescribeRecord("On Interact with ", m_record); }
    std::string m_record;

private:
    // Satisfied by a partner's conversation the server saw; the other clients are told.
    void SatisfySeen(uint32_t partner);

    // On the server: the other hosts' players seen beginning the conversation, and those
    // whose message still waits for that; one entry a player, as many as a game has hosts.
    HostPlayerList m_talksSeen;
    HostPlayerList m_talksTold;
};

// Tested by IsSatisfied: the local player holds the token (inverted by the negate flag).
class Condition_OwnsTriggerToken : public QuestCondition {
public:
    Condition_OwnsTriggerToken(uint32_t id, Trigger* parent) : QuestCondition(id, parent) {}
    const char* GetName() const override { return "Condition_OwnsTriggerToken"; }
    void SerializeChildProperties(IOStream& stream) override;
    void IsSatisfied(bool& value) override;
    bool ContainsToken(const std::string& token) const override { return token == m_token; }
    void RemoveTokenReferences(const std::string& token) override;
    void SetTokenName(const std::string& token) { m_token = token; }

protected:
    std::string DescribeBody() const override { return "Owns Token {R" + m_token + "}"; }
    std::string m_token;
};

class Condition_GotToken : public QuestCondition {
public:
    Condition_GotToken(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_GotToken"; }
    void SerializeChildProperties(IOStream& stream) override;
    bool ContainsToken(const std::string& token) const override { return token == m_token; }
    void RemoveTokenReferences(const std::string& token) override;
    void OnGotToken(const GameEvent_GotToken& event);
    void SetTokenName(const std::string& token) { m_token = token; }

protected:
    std::string DescribeBody() const override { return "Got Token {R" + m_token + "}"; }
    std::string m_token;
    GameEventListener<Condition_GotToken, GameEvent_GotToken> m_listener;
};

// Tested by IsSatisfied: the character in the trigger's player field holds the item.
class Condition_CharacterHasItem : public QuestCondition {
public:
    Condition_CharacterHasItem(uint32_t id, Trigger* parent) : QuestCondition(id, parent) {}
    const char* GetName() const override { return "Condition_CharacterHasItem"; }
    void SerializeChildProperties(IOStream& stream) override;
    void IsSatisfied(bool& value) override;
    void SetItemName(const std::string& name) { m_item = name; }

protected:
    std::string DescribeBody() const override { return DescribeRecord("Has Item ", m_item); }
    std::string m_item;
};

class Condition_OnLevelLoad : public QuestCondition {
public:
    Condition_OnLevelLoad(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_OnLevelLoad"; }
    void OnPreRun(const GameEvent_PreRun& event);

protected:
    std::string DescribeBody() const override { return "On Game Level Load"; }
    GameEventListener<Condition_OnLevelLoad, GameEvent_PreRun> m_listener;
};

class Condition_OnQuestComplete : public QuestCondition {
public:
    Condition_OnQuestComplete(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_OnQuestComplete"; }
    void SerializeChildProperties(IOStream& stream) override;
    void OnQuestComplete(const GameEvent_QuestComplete& event);
    void SetQuestFile(const std::string& file) { m_questFile = file; }
    const std::string& GetQuestFile() const { return m_questFile; }

protected:
    std::string DescribeBody() const override;
    std::string m_questFile;
    GameEventListener<Condition_OnQuestComplete, GameEvent_QuestComplete> m_listener;
};

// Move and animation completion: the character of the record, or a monster a proxy of
// the record spawned.
class CharacterCompletionCondition : public QuestCondition, public GenericEntityInitialUpdateListener {
public:
    using QuestCondition::QuestCondition;
    void SerializeChildProperties(IOStream& stream) override;
    // A proxy of the record had its first update: the monsters it made are tracked.
    void OnGenericEntityInitialUpdate(const GameEvent_GenericEntityInitialUpdate& event) override;
    void OnGenericEntityInitialUpdate_Net(const QuestNetMsg_ProxySpawn& message) override;
    void SetCharacterRecord(const std::string& record) { m_record = record; }
    const std::string& GetCharacterRecord() const { return m_record; }

protected:
    void OnCompleted(const std::string& objectName);
    void Track(const std::vector<uint32_t>& monsters);
    std::string m_record;
    std::vector<uint32_t> m_tracked;
};

class Condition_MoveCompleted : public CharacterCompletionCondition {
public:
    Condition_MoveCompleted(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_MoveCompleted"; }
    void OnMoveCompleted(const GameEvent_MoveCompleted& event) { OnCompleted(event.objectName); }

protected:
    std::string DescribeBody() const override { return "Move completed"; }
    GameEventListener<Condition_MoveCompleted, GameEvent_MoveCompleted> m_listener;
};

class Condition_AnimationCompleted : public CharacterCompletionCondition {
public:
    Condition_AnimationCompleted(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_AnimationCompleted"; }
    void OnAnimationCompleted(const GameEvent_AnimationCompleted& event) { OnCompleted(event.objectName); }

protected:
    std::string DescribeBody() const override { return "Animation completed"; }
    GameEventListener<Condition_AnimationCompleted, GameEvent_AnimationCompleted> m_listener;
};

// Volumes of the record now in the world, tracked by their spawn and destroy events.
class VolumeCondition : public QuestCondition {
public:
    VolumeCondition(uint32_t id, Trigger* parent);
    void SerializeChildProperties(IOStream& stream) override;
    void OnSpawn(const GameEvent_GenericEntitySpawn& event);
    void OnDestroy(const GameEvent_GenericEntityDestroy& event);
    void SetVolumeRecord(const std::string& record) { m_record = record; }
    bool IsTracked(uint32_t volumeId) const;

protected:
    std::string m_record;
    std::vector<uint32_t> m_volumes;
    GameEventListener<VolumeCondition, GameEvent_GenericEntitySpawn> m_spawnListener;
    GameEventListener<VolumeCondition, GameEvent_GenericEntityDestroy> m_destroyListener;
};

class Condition_EnterVolume : public VolumeCondition {
public:
    using VolumeCondition::VolumeCondition;
    const char* GetName() const override { return "Condition_EnterVolume"; }
    void SerializeChildProperties(IOStream& stream) override;
    void OnEnterBoundingVolume(const GameEvent_EnterBoundingVolume& event);

protected:
    std::string DescribeBody() const override { return "Enter Bounding Volume"; }
};

class Condition_ExitVolume : public VolumeCondition {
public:
    Condition_ExitVolume(uint32_t id, Trigger* parent);
    const char* GetName() const override { return "Condition_ExitVolume"; }
    void OnExitBoundingVolume(const GameEvent_ExitBoundingVolume& event);

protected:
    std::string DescribeBody() const override { return "Exit Bounding Volume"; }
    GameEventListener<Condition_ExitVolume, GameEvent_ExitBoundingVolume> m_exitListener;
};

}  // namespace GAME
