// The game's trigger actions. Each registers with the action factory under its class name,
// persists its own values by key in SerializeChildProperties (quest and level files) and,
// where it keeps run-time state across a save, streams that state in StreamChildProperties.
// The quest repository owns quest actions and finds them by id, so a character restored
// from a save can run its saved action again.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "Engine/Trigger.h"

namespace GAME {

class Npc;

// What every action shares: the id of "no action", the character lookup, and a Fire that
// does nothing until the action's own effect is built.
class QuestAction : public TriggerAction {
public:
    // The id of "no action" in saved per-player state.
    static constexpr uint32_t kNoAction = 0xffffffffu;

    QuestAction(uint32_t id, Trigger* parent) : TriggerAction(id, parent) {}
    explicit QuestAction(uint32_t id) : TriggerAction(id, nullptr) {}
    void Fire(uint32_t, bool) override {}

protected:
    // The character in the world with that object name; null when none is.
    static Npc* FindNpc(const std::string& name);
};

// The announcement the five reward actions add: a banner and, with both tags, a reward entry.
class ActionRewardInterface {
public:
    virtual ~ActionRewardInterface() = default;
    void SetRegion(int region) { m_region = region; }
    int GetRegion() const { return m_region; }
    void SetLocationTag(const char* tag) { m_locationTag = tag ? tag : ""; }
    void SetTitleTag(const char* tag) { m_titleTag = tag ? tag : ""; }
    const char* GetLocationTag() const { return m_locationTag.c_str(); }
    const char* GetTitleTag() const { return m_titleTag.c_str(); }

protected:
    // "region", "locationTag", "titleTag", after the action's own keys.
    void SerializeRewardKeys(IOStream& stream);

    int32_t m_region = 1;
    std::string m_locationTag;
    std::string m_titleTag;
};

#define GAME_QUEST_ACTION_NAME(Name)                                   \
public:                                                                \
    Name(uint32_t id, Trigger* parent) : QuestAction(id, parent) {}   \
    const char* GetName() const override { return #Name; }

// Rewards.
class Action_GiveMoney : public QuestAction, public ActionRewardInterface {
    GAME_QUEST_ACTION_NAME(Action_GiveMoney)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetMoneyAmountNormal(int v) { m_amount[0] = v; }
    void SetMoneyAmountEpic(int v) { m_amount[1] = v; }
    void SetMoneyAmountLegendary(int v) { m_amount[2] = v; }

private:
    int32_t m_amount[3] = {0, 0, 0};
};

class Action_GiveItem : public QuestAction, public ActionRewardInterface {
    GAME_QUEST_ACTION_NAME(Action_GiveItem)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetItemNormal(const char* v) { m_item[0] = v; }
    void SetItemEpic(const char* v) { m_item[1] = v; }
    void SetItemLegendary(const char* v) { m_item[2] = v; }
    const char* GetItemLegendary() const { return m_item[2].c_str(); }

private:
    std::string m_item[3];
};

class Action_GiveAttributePoints : public QuestAction, public ActionRewardInterface {
    GAME_QUEST_ACTION_NAME(Action_GiveAttributePoints)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    int32_t m_amount[3] = {0, 0, 0};
};

class Action_GiveSkillPoints : public QuestAction, public ActionRewardInterface {
    GAME_QUEST_ACTION_NAME(Action_GiveSkillPoints)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    int32_t m_amount[3] = {0, 0, 0};
    std::string m_skill;
};

class Action_GiveExp : public QuestAction, public ActionRewardInterface {
    GAME_QUEST_ACTION_NAME(Action_GiveExp)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    int32_t m_amount[3] = {0, 0, 0};
};

// An action that waits for its target to be reported and keeps that wait across a save.
class PendingQuestAction : public QuestAction {
public:
    using QuestAction::QuestAction;
    void StreamChildProperties(IOStream& stream) override;
    bool IsPendingFire() const { return m_pendingFire; }

protected:
    bool m_pendingFire = false;
};

#define GAME_PENDING_ACTION_NAME(Name)                                        \
public:                                                                       \
    Name(uint32_t id, Trigger* parent) : PendingQuestAction(id, parent) {}   \
    const char* GetName() const override { return #Name; }

// One string value under one key; the answers to CanReFire and CanDelay per kind.
class OneStringAction : public QuestAction {
public:
    OneStringAction(uint32_t id, Trigger* parent, const char* key, bool reFire, bool delay)
        : QuestAction(id, parent), m_key(key), m_reFire(reFire), m_delay(delay)
    {
    }
    bool CanReFire() const override { return m_reFire; }
    bool CanDelay() const override { return m_delay; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetValue(const char* v) { m_value = v ? v : ""; }
    const char* GetValue() const { return m_value.c_str(); }

protected:
    const char* m_key;
    bool m_reFire;
    bool m_delay;
    std::string m_value;
};

#define GAME_ONE_STRING_ACTION(Name, key, reFire, delay)                                      \
    class Name : public OneStringAction {                                                     \
    public:                                                                                   \
        Name(uint32_t id, Trigger* parent) : OneStringAction(id, parent, key, reFire, delay) {} \
        const char* GetName() const override { return #Name; }                                \
    };

// Trigger tokens: a token removed from the trigger system empties the name here.
class TokenAction : public OneStringAction {
public:
    TokenAction(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "tokenName", false, false) {}
    bool ContainsToken(const std::string& name) const override { return m_value == name; }
    void RemoveTokenReferences(const std::string& name) override
    {
        if (m_value == name)
            m_value.clear();
    }
};

class Action_BestowTriggerToken : public TokenAction {
public:
    using TokenAction::TokenAction;
    const char* GetName() const override { return "Action_BestowTriggerToken"; }
};

class Action_RemoveTriggerToken : public TokenAction {
public:
    using TokenAction::TokenAction;
    const char* GetName() const override { return "Action_RemoveTriggerToken"; }
};

GAME_ONE_STRING_ACTION(Action_RemoveItemFromInventory, "itemName", false, false)
GAME_ONE_STRING_ACTION(Action_LoadAmbientPlaylist, "playlist", false, true)
GAME_ONE_STRING_ACTION(Action_LoadMusicPlaylist, "playlist", false, true)
GAME_ONE_STRING_ACTION(Action_LoadEventMusic, "playlist", false, true)
GAME_ONE_STRING_ACTION(Action_PlaySoundEffect, "soundEffect", false, true)
GAME_ONE_STRING_ACTION(Action_DebugText, "debugText", false, false)

class Action_BestowQuest : public OneStringAction {
public:
    Action_BestowQuest(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "questFile", false, false) {}
    const char* GetName() const override { return "Action_BestowQuest"; }
    void Fire(uint32_t playerId, bool reFire) override;
};

class Action_CompleteQuestNow : public OneStringAction {
public:
    Action_CompleteQuestNow(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "questFile", true, true) {}
    const char* GetName() const override { return "Action_CompleteQuestNow"; }
    void Fire(uint32_t playerId, bool reFire) override;
};
#undef GAME_ONE_STRING_ACTION

class Action_UpdateDialogTab : public OneStringAction {
public:
    Action_UpdateDialogTab(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "dialogPak", true, true)
    {
        m_flag = true;
    }
    const char* GetName() const override { return "Action_UpdateDialogTab"; }
    void Fire(uint32_t playerId, bool reFire) override;
};

class Action_FadeInMusic : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_FadeInMusic)
    bool CanDelay() const override { return true; }
};

class Action_FadeOutMusic : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_FadeOutMusic)
    bool CanDelay() const override { return true; }
};

class Action_ScreenFade : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_ScreenFade)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetFadeInOut(float v) { m_fadeInOut = v; }
    void SetBlackout(float v) { m_blackout = v; }

private:
    float m_fadeInOut = 0.0f;
    float m_blackout = 0.0f;
};

class Action_TeleportPlayer : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_TeleportPlayer)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetTeleportXCoord(float v) { m_x = v; }
    void SetTeleportYCoord(float v) { m_y = v; }
    void SetTeleportZCoord(float v) { m_z = v; }
    void SetRegionId(int v) { m_regionId = v; }

private:
    float m_x = 0.0f, m_y = 0.0f, m_z = 0.0f;
    int32_t m_regionId = -1;
};

class Action_SetTimeOfDay : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_SetTimeOfDay)
    void SerializeChildProperties(IOStream& stream) override;
    void SetTimeOfDay(float hours) { m_timeOfDay = hours; }
    void SetEnableProgression(bool on) { m_enableProgression = on ? 1 : 0; }
    bool GetEnableProgression() const { return m_enableProgression != 0; }

private:
    float m_timeOfDay = 0.0f;
    int32_t m_enableProgression = 1;
};

class Action_FadeOutEventMusic : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_FadeOutEventMusic)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    float m_timeInSecs = 0.0f;
};

class Action_UpdateMapMarker : public QuestAction {
public:
    Action_UpdateMapMarker(uint32_t id, Trigger* parent) : QuestAction(id, parent) { m_flag = true; }
    const char* GetName() const override { return "Action_UpdateMapMarker"; }
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetDescriptionTag(const char* v) { m_descriptionTag = v ? v : ""; }
    void SetBulletPointTag(const char* v) { m_bulletPointTag = v ? v : ""; }
    void SetDoSound(bool v) { m_doSound = v; }
    void SetDoComplete(int v) { m_doComplete = v > 0; }
    int GetDoComplete() const { return m_doComplete ? 1 : 0; }

private:
    std::string m_descriptionTag;
    std::string m_bulletPointTag;
    bool m_doComplete = false;
    bool m_doSound = true;
};

class Action_ClearMapMarker : public QuestAction {
public:
    Action_ClearMapMarker(uint32_t id, Trigger* parent) : QuestAction(id, parent) { m_flag = true; }
    const char* GetName() const override { return "Action_ClearMapMarker"; }
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    bool m_doSound = true;
};

class Action_UpdateJournalEntry : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_UpdateJournalEntry)
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    int32_t m_region = 1;
    std::string m_locationTag;
    std::string m_titleTag;
    std::string m_fullTextTag;
    bool m_doComplete = false;
    bool m_doSound = true;
};

class Action_SendTutorialEvent : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_SendTutorialEvent)
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;

private:
    int32_t m_index = 0;
};

class Action_ScreenShake : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_ScreenShake)
    void Fire(uint32_t playerId, bool reFire) override;
    void SerializeChildProperties(IOStream& stream) override;
    void SetDuration(int ms) { m_duration = ms; }
    void SetAmplitude(int v) { m_amplitude = v; }

private:
    int32_t m_duration = 0;
    int32_t m_amplitude = 0;
};

#undef GAME_QUEST_ACTION_NAME
#undef GAME_PENDING_ACTION_NAME

}  // namespace GAME
