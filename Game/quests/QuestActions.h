// The game's trigger actions. Each registers with the action factory under its class name,
// persists its own values by key in SerializeChildProperties (quest and level files) and,
// where it keeps run-time state across a save, streams that state in StreamChildProperties.
// The quest repository owns quest actions and finds them by id, so a character restored
// from a save can run its saved action again.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "Engine/Name.h"
#include "Engine/Trigger.h"

namespace GAME {

class Character;
class Npc;
class Player;
class Quest;
class RandomUniform;

// What every action shares: the id of "no action", the character lookup, and a Fire that
// does nothing until the action's own effect is built.
class QuestAction : public TriggerAction {
public:
    // The id of "no action" in saved per-player state.
    static constexpr uint32_t kNoAction = 0xffffffffu;

    QuestAction(uint32_t id, Trigger* parent) : TriggerAction(id, parent) {}
    explicit QuestAction(uint32_t id) : TriggerAction(id, nullptr) {}
    void Fire(uint32_t, bool) override {}

    // Turns an item field into one item: a loot table record (master, fixed-weight or
    // dynamic-weight table) draws the item and its affixes; any other record is the item
    // itself. False, logged under `owner`, when the record cannot be opened or the table
    // draws nothing.
    static bool ResolveItemRecord(const std::string& record, std::string& base, std::string& prefix,
                                  std::string& suffix, RandomUniform& random, const char* owner);

protected:
    // The character in the world with that object name; null when none is.
    static Npc* FindNpc(const std::string& name);
    // The current game difficulty as an index of the per-difficulty values (0 .. 2).
    static int DifficultyIndex();
    // The local player; null when there is none.
    static Player* FindLocalPlayer();
    // The quest that owns the step holding this action's trigger; null outside a quest.
    Quest* FindOwningQuest() const;
};

// The announcement the five reward actions add: a banner and, with both tags, a reward entry.
class ActionRewardInterface {
public:
    virtual ~ActionRewardInterface() = default;
    // Region 0 sends nothing. Otherwise "GameEvent_ShowTextBanner" with the reward's
    // description and, when both tags are set, "GameEvent_Reward" for the quest.
    virtual void SendRewardEvents(const Name& questHandle, int region, const std::string& locationTag,
                                  const std::string& titleTag);
    // The banner's text (at most kMaxRewardText characters).
    virtual std::u16string GetRewardDescription() = 0;

    static constexpr size_t kMaxRewardText = 512;

    void SetRegion(int region) { m_region = region; }
    int GetRegion() const { return m_region; }
    void SetLocationTag(const char* tag) { m_locationTag = tag ? tag : ""; }
    void SetTitleTag(const char* tag) { m_titleTag = tag ? tag : ""; }
    const char* GetLocationTag() const { return m_locationTag.c_str(); }
    const char* GetTitleTag() const { return m_titleTag.c_str(); }

protected:
    // "region", "locationTag", "titleTag", after the action's own keys.
    void SerializeRewardKeys(IOStream& stream);
    // After the reward is given: the announcement for the quest that owns the action's
    // trigger. A trigger outside any quest step announces nothing.
    void AnnounceReward(const Quest* quest);
    // "<amount> <text of the tag>", the text through "SimpleStringFormat".
    static std::u16string AmountText(int32_t amount, const char* tag);

    int32_t m_region = 1;
    std::string m_locationTag;
    std::string m_titleTag;
};

// A reward of an amount per difficulty for the player who fired the trigger (the local
// player for id 0): money, attribute points, skill points or experience.
class AmountRewardAction : public QuestAction, public ActionRewardInterface {
public:
    AmountRewardAction(uint32_t id, Trigger* parent, const char* keyStem, const char* rewardTag)
        : QuestAction(id, parent), m_keyStem(keyStem), m_rewardTag(rewardTag)
    {
    }
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    std::u16string GetRewardDescription() override;

    void SetAmount(int difficulty, int32_t amount);
    int32_t GetAmount(int difficulty) const;

protected:
    // The three amounts joined by "," (the editor line).
    std::string DescribeAmounts() const;
    // Hands the amount to the recipient.
    virtual void Give(Character& recipient, uint32_t amount) = 0;
    // The amount of the current difficulty; false (logged) for a negative one.
    bool CurrentAmount(uint32_t& amount) const;
    // "<stem>[0]", "<stem>[1]", "<stem>[2]".
    void SerializeAmounts(IOStream& stream);

    const char* m_keyStem;
    const char* m_rewardTag;
    int32_t m_amount[3] = {0, 0, 0};
};

#define GAME_QUEST_ACTION_NAME(Name)                                   \
public:                                                                \
    Name(uint32_t id, Trigger* parent) : QuestAction(id, parent) {}   \
    const char* GetName() const override { return #Name; }            \
    std::string GetDescription() const override;

#define GAME_AMOUNT_REWARD(Name, stem, tag)                                                       \
public:                                                                                           \
    Name(uint32_t id, Trigger* parent) : AmountRewardAction(id, parent, stem, tag) {}             \
    const char* GetName() const override { return #Name; }                                        \
    std::string GetDescription() const override;

// Rewards.
class Action_GiveMoney : public AmountRewardAction {
    GAME_AMOUNT_REWARD(Action_GiveMoney, "moneyAmount", "tagRewardGold")
    void SetMoneyAmountNormal(int v) { SetAmount(0, v); }
    void SetMoneyAmountEpic(int v) { SetAmount(1, v); }
    void SetMoneyAmountLegendary(int v) { SetAmount(2, v); }
    int GetMoneyAmountNormal() const { return GetAmount(0); }
    int GetMoneyAmountEpic() const { return GetAmount(1); }
    int GetMoneyAmountLegendary() const { return GetAmount(2); }

protected:
    void Give(Character& recipient, uint32_t amount) override;
};

class Action_GiveAttributePoints : public AmountRewardAction {
    GAME_AMOUNT_REWARD(Action_GiveAttributePoints, "attributeAmount", "tagRewardAttribute")
    void SetAttributeAmountNormal(int v) { SetAmount(0, v); }
    void SetAttributeAmountEpic(int v) { SetAmount(1, v); }
    void SetAttributeAmountLegendary(int v) { SetAmount(2, v); }
    int GetAttributeAmountNormal() const { return GetAmount(0); }
    int GetAttributeAmountEpic() const { return GetAmount(1); }
    int GetAttributeAmountLegendary() const { return GetAmount(2); }

protected:
    void Give(Character& recipient, uint32_t amount) override;
};

class Action_GiveExp : public AmountRewardAction {
    GAME_AMOUNT_REWARD(Action_GiveExp, "experiencePts", "tagRewardExperience")
    void SetExperiencePtsNormal(int v) { SetAmount(0, v); }
    void SetExperiencePtsEpic(int v) { SetAmount(1, v); }
    void SetExperiencePtsLegendary(int v) { SetAmount(2, v); }
    int GetExperiencePtsNormal() const { return GetAmount(0); }
    int GetExperiencePtsEpic() const { return GetAmount(1); }
    int GetExperiencePtsLegendary() const { return GetAmount(2); }

protected:
    void Give(Character& recipient, uint32_t amount) override;
};

// Skill points, or levels of the named skill (which the recipient must have).
class Action_GiveSkillPoints : public AmountRewardAction {
    GAME_AMOUNT_REWARD(Action_GiveSkillPoints, "skillAmount", "tagRewardSkill")
    void SetSkillAmountNormal(int v) { SetAmount(0, v); }
    void SetSkillAmountEpic(int v) { SetAmount(1, v); }
    void SetSkillAmountLegendary(int v) { SetAmount(2, v); }
    int GetSkillAmountNormal() const { return GetAmount(0); }
    int GetSkillAmountEpic() const { return GetAmount(1); }
    int GetSkillAmountLegendary() const { return GetAmount(2); }
    void Fire(uint32_t playerId, bool reFire) override;
    void SerializeChildProperties(IOStream& stream) override;
    std::u16string GetRewardDescription() override;
    void SetSkill(const char* record) { m_skill = record ? record : ""; }
    const char* GetSkill() const { return m_skill.c_str(); }

protected:
    void Give(Character& recipient, uint32_t amount) override;

private:
    std::string m_skill;
    std::string m_skillDisplayTag;   // the named skill's "skillDisplayName"
};
#undef GAME_AMOUNT_REWARD

// An item for the player, drawn from a loot table or named by its record, made with a
// fresh seed and handed over at the local player's place.
class Action_GiveItem : public QuestAction, public ActionRewardInterface {
    GAME_QUEST_ACTION_NAME(Action_GiveItem)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    // The description of the item given last.
    std::u16string GetRewardDescription() override { return m_description; }
    void SetItemNormal(const char* v) { m_item[0] = v ? v : ""; }
    void SetItemEpic(const char* v) { m_item[1] = v ? v : ""; }
    void SetItemLegendary(const char* v) { m_item[2] = v ? v : ""; }
    const char* GetItemNormal() const { return m_item[0].c_str(); }
    const char* GetItemEpic() const { return m_item[1].c_str(); }
    const char* GetItemLegendary() const { return m_item[2].c_str(); }
    uint32_t GetLastItemId() const { return m_lastItemId; }

private:
    std::string m_item[3];
    uint32_t m_lastItemId = 0;
    std::u16string m_description;
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

// The head of an action of one string value that acts at once when fired; the class goes
// on with the setter and getter named after its key.
#define GAME_ONE_STRING_ACTION_FIRE(Name, key, reFire, delay)                                 \
    class Name : public OneStringAction {                                                     \
    public:                                                                                   \
        Name(uint32_t id, Trigger* parent) : OneStringAction(id, parent, key, reFire, delay) {} \
        const char* GetName() const override { return #Name; }                                \
        std::string GetDescription() const override;                                          \
        void Fire(uint32_t playerId, bool replay) override;

// Trigger tokens: a token removed from the trigger system empties the name here.
class TokenAction : public OneStringAction {
public:
    TokenAction(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "tokenName", false, false) {}
    void SetTokenName(const char* v) { SetValue(v); }
    const char* GetTokenName() const { return GetValue(); }
    bool ContainsToken(const std::string& name) const override { return m_value == name; }
    void RemoveTokenReferences(const std::string& name) override
    {
        if (m_value == name)
            m_value.clear();
    }
};

// The local player's controller gives or takes the token.
class Action_BestowTriggerToken : public TokenAction {
public:
    using TokenAction::TokenAction;
    const char* GetName() const override { return "Action_BestowTriggerToken"; }
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
};

class Action_RemoveTriggerToken : public TokenAction {
public:
    using TokenAction::TokenAction;
    const char* GetName() const override { return "Action_RemoveTriggerToken"; }
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
};

// Takes the item of that record from the local player.
GAME_ONE_STRING_ACTION_FIRE(Action_RemoveItemFromInventory, "itemName", false, false)
    void SetItemName(const char* v) { SetValue(v); }
    const char* GetItemName() const { return GetValue(); }
};
// The music and ambient sound of the level.
GAME_ONE_STRING_ACTION_FIRE(Action_LoadAmbientPlaylist, "playlist", false, true)
    void SetPlaylist(const char* v) { SetValue(v); }
    const char* GetPlaylist() const { return GetValue(); }
};
GAME_ONE_STRING_ACTION_FIRE(Action_LoadMusicPlaylist, "playlist", false, true)
    void SetPlaylist(const char* v) { SetValue(v); }
    const char* GetPlaylist() const { return GetValue(); }
};
GAME_ONE_STRING_ACTION_FIRE(Action_LoadEventMusic, "playlist", false, true)
    void SetPlaylist(const char* v) { SetValue(v); }
    const char* GetPlaylist() const { return GetValue(); }
};
// Plays the sound pak of that record once, for a player who exists.
GAME_ONE_STRING_ACTION_FIRE(Action_PlaySoundEffect, "soundEffect", false, true)
    void SetSoundEffect(const char* v) { SetValue(v); }
    const char* GetSoundEffect() const { return GetValue(); }
};
// Hands a designer's line to the user interface.
GAME_ONE_STRING_ACTION_FIRE(Action_DebugText, "debugText", false, false)
    void SetDebugText(const char* v) { SetValue(v); }
    const char* GetDebugText() const { return GetValue(); }
};
#undef GAME_ONE_STRING_ACTION_FIRE

class Action_BestowQuest : public OneStringAction {
public:
    Action_BestowQuest(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "questFile", false, false) {}
    const char* GetName() const override { return "Action_BestowQuest"; }
    void SetQuestFile(const char* v) { SetValue(v); }
    const char* GetQuestFile() const { return GetValue(); }
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
};

class Action_CompleteQuestNow : public OneStringAction {
public:
    Action_CompleteQuestNow(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "questFile", true, true) {}
    const char* GetName() const override { return "Action_CompleteQuestNow"; }
    void SetQuestFile(const char* v) { SetValue(v); }
    const char* GetQuestFile() const { return GetValue(); }
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
};

class Action_UpdateDialogTab : public OneStringAction {
public:
    Action_UpdateDialogTab(uint32_t id, Trigger* parent) : OneStringAction(id, parent, "dialogPak", true, true)
    {
        m_flag = true;
    }
    const char* GetName() const override { return "Action_UpdateDialogTab"; }
    void SetDialogPak(const char* v) { SetValue(v); }
    const char* GetDialogPak() const { return GetValue(); }
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
};

class Action_FadeInMusic : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_FadeInMusic)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
};

// Fades the music out over kFadeOutMs.
class Action_FadeOutMusic : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_FadeOutMusic)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    static constexpr int kFadeOutMs = 5000;
};

class Action_ScreenFade : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_ScreenFade)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetFadeInOut(float v) { m_fadeInOut = v; }
    void SetBlackout(float v) { m_blackout = v; }
    float GetFadeInOut() const { return m_fadeInOut; }
    float GetBlackout() const { return m_blackout; }

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
    float GetTeleportXCoord() const { return m_x; }
    float GetTeleportYCoord() const { return m_y; }
    float GetTeleportZCoord() const { return m_z; }
    int GetRegionId() const { return m_regionId; }

private:
    float m_x = 0.0f, m_y = 0.0f, m_z = 0.0f;
    int32_t m_regionId = -1;
};

// Sets the hour the day starts from, and whether the day then runs on.
class Action_SetTimeOfDay : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_SetTimeOfDay)
    void Fire(uint32_t playerId, bool reFire) override;
    void SerializeChildProperties(IOStream& stream) override;
    void SetTimeOfDay(float hours) { m_timeOfDay = hours; }
    float GetTimeOfDay() const { return m_timeOfDay; }
    void SetEnableProgression(bool on) { m_enableProgression = on ? 1 : 0; }
    bool GetEnableProgression() const { return m_enableProgression != 0; }

private:
    float m_timeOfDay = 0.0f;
    int32_t m_enableProgression = 1;
};

class Action_FadeOutEventMusic : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_FadeOutEventMusic)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetTimeInSecs(float v) { m_timeInSecs = v; }
    float GetTimeInSecs() const { return m_timeInSecs; }

private:
    float m_timeInSecs = 0.0f;
};

class Action_UpdateMapMarker : public QuestAction {
public:
    Action_UpdateMapMarker(uint32_t id, Trigger* parent) : QuestAction(id, parent) { m_flag = true; }
    const char* GetName() const override { return "Action_UpdateMapMarker"; }
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetDescriptionTag(const char* v) { m_descriptionTag = v ? v : ""; }
    void SetBulletPointTag(const char* v) { m_bulletPointTag = v ? v : ""; }
    void SetDoSound(bool v) { m_doSound = v; }
    void SetDoComplete(int v) { m_doComplete = v > 0; }
    int GetDoComplete() const { return m_doComplete ? 1 : 0; }
    const char* GetDescriptionTag() const { return m_descriptionTag.c_str(); }
    const char* GetBulletPointTag() const { return m_bulletPointTag.c_str(); }
    bool GetDoSound() const { return m_doSound; }

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
    std::string GetDescription() const override;
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetDoSound(bool v) { m_doSound = v; }
    bool GetDoSound() const { return m_doSound; }

private:
    bool m_doSound = true;
};

// Writes the quest's journal entry with the quest's rewards; silent when fired again.
class Action_UpdateJournalEntry : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_UpdateJournalEntry)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanReFire() const override { return true; }
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetRegion(int v) { m_region = v; }
    void SetLocationTag(const char* v) { m_locationTag = v ? v : ""; }
    void SetTitleTag(const char* v) { m_titleTag = v ? v : ""; }
    void SetFullTextTag(const char* v) { m_fullTextTag = v ? v : ""; }
    void SetDoComplete(bool v) { m_doComplete = v; }
    void SetDoSound(bool v) { m_doSound = v; }
    int GetRegion() const { return m_region; }
    const char* GetLocationTag() const { return m_locationTag.c_str(); }
    const char* GetTitleTag() const { return m_titleTag.c_str(); }
    const char* GetFullTextTag() const { return m_fullTextTag.c_str(); }
    bool GetDoComplete() const { return m_doComplete; }
    bool GetDoSound() const { return m_doSound; }

private:
    int32_t m_region = 1;
    std::string m_locationTag;
    std::string m_titleTag;
    std::string m_fullTextTag;
    bool m_doComplete = false;
    bool m_doSound = true;
};

// Unlocks a tutorial page, only on the machine of the player it fired for.
class Action_SendTutorialEvent : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_SendTutorialEvent)
    void Fire(uint32_t playerId, bool reFire) override;
    bool CanDelay() const override { return true; }
    void SerializeChildProperties(IOStream& stream) override;
    void SetIndex(int v) { m_index = v; }
    int GetIndex() const { return m_index; }

private:
    int32_t m_index = 0;
};

class Action_ScreenShake : public QuestAction {
    GAME_QUEST_ACTION_NAME(Action_ScreenShake)
    void Fire(uint32_t playerId, bool reFire) override;
    void SerializeChildProperties(IOStream& stream) override;
    void SetDuration(int ms) { m_duration = ms; }
    void SetAmplitude(int v) { m_amplitude = v; }
    int GetDuration() const { return m_duration; }
    int GetAmplitude() const { return m_amplitude; }

private:
    int32_t m_duration = 0;
    int32_t m_amplitude = 0;
};

#undef GAME_QUEST_ACTION_NAME
#undef GAME_PENDING_ACTION_NAME

}  // namespace GAME
