// A quest of the running world and its steps. A quest is one quest file: a title,
// rewards per difficulty and an ordered list of steps; a step holds triggers, a
// completion trigger, and a formula over the local player's tokens that decides whether
// its triggers may fire.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Name.h"
#include "Engine/Trigger.h"
#include "Game/core/foundation/DesignerEquation.h"

namespace GAME {

class IOStream;
class Quest;
struct GameEvent_CompleteQuestNow;

class QuestStep : public EquationInterface_Boolean, public TriggerContainer {
public:
    explicit QuestStep(uint32_t id);
    ~QuestStep() override;
    static std::unique_ptr<QuestStep> Spawn(uint32_t id) { return std::make_unique<QuestStep>(id); }

    // The step in a quest file (see Quest::Serialize).
    void Serialize(IOStream& stream);
    // The step's saved state; reading it also marks the step complete when every trigger
    // had fired.
    void StreamProperties(IOStream& stream);
    // Parses the enabling formula; one that does not parse leaves the step without one.
    void GenerateEnablingEquation();
    bool IsEnabled() const;
    void OnTriggerFired(Trigger* trigger);
    void OnCompletion(bool fire, bool flagA, bool flagB);
    bool GetDesignerVariable(const char* name, bool& value) override;

    Trigger* AddNewTrigger();
    size_t GetTriggerCount() const { return m_triggers.size(); }
    Trigger* GetTriggerOfIdx(size_t index) const { return index < m_triggers.size() ? m_triggers[index].get() : nullptr; }
    int GetIdxOfTrigger(const Trigger* trigger) const;
    void GetActiveTriggers(std::vector<Trigger*>& out) const;
    void GetQuestInformation(std::vector<std::string>& out) const;
    bool ContainsToken(const std::string& token) const;
    void RemoveTokenReferences(const std::string& token);
    void SetParent(Quest* quest) { m_quest = quest; }
    Quest* GetParent() const { return m_quest; }
    void MoveUpInParent();
    void MoveDownInParent();
    void RemoveFromParent();

    // TriggerContainer
    void RemoveTrigger(Trigger* trigger) override;
    void MoveUp(Trigger* trigger) override;
    void MoveDown(Trigger* trigger) override;
    void UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z) override;
    void UpdateDialogTab(const std::string& text) override;
    void FireAction(TriggerAction* action, uint32_t playerId) override;
    void SetDirty() override;

    uint32_t GetId() const { return m_id; }
    const std::string& GetEnablingTokensFunc() const { return m_enablingFunction; }
    void SetEnablingTokensFunc(const std::string& text) { m_enablingFunction = text; }
    bool HasEquation() const { return m_equation != nullptr; }
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    const std::string& GetNextTaskDescription() const { return m_nextTask; }
    void SetNextTaskDescription(const std::string& text) { m_nextTask = text; }
    const std::string& GetComments() const { return m_comments; }
    void SetComments(const std::string& text) { m_comments = text; }
    Trigger* GetCompletionTrigger() const { return m_completionTrigger.get(); }
    bool IsComplete() const { return m_complete; }
    void SetQuestTitle(const std::string& title) { m_questTitle = title; }

private:
    // Arms and watches a trigger read or made for this step.
    void AdoptTrigger(Trigger& trigger);
    // The next trigger's id; false when the step holds as many as ids allow.
    bool NextTriggerId(uint32_t& id) const;

    uint32_t m_id;
    std::string m_enablingFunction;
    std::unique_ptr<DesignerEquation_Boolean> m_equation;
    std::string m_name = "New Quest Step";
    std::string m_nextTask;
    std::string m_comments;
    std::vector<std::unique_ptr<Trigger>> m_triggers;
    std::unique_ptr<Trigger> m_completionTrigger;
    Quest* m_quest = nullptr;
    bool m_complete = false;
    std::string m_questTitle;
};

class Quest {
public:
    // The most steps of a quest, and of triggers of a step: each takes a byte of the ids.
    static constexpr uint32_t kMaxSteps = 256;
    static constexpr uint32_t kMaxTriggers = 256;
    static constexpr int kDifficulties = 3;

    explicit Quest(uint32_t id) : m_id(id) {}
    ~Quest();
    Quest(const Quest&) = delete;
    Quest& operator=(const Quest&) = delete;
    static std::unique_ptr<Quest> Spawn(uint32_t id) { return std::make_unique<Quest>(id); }

    // The quest file, both directions, through the keyed stream:
    //   block { "title", "rewardItemTag", "rewardGold", "rewardXP", "rewardSkill",
    //           "rewardAttr", "this->rewardItemTag[1]", "this->rewardGold[1]",
    //           "this->rewardXP[1]", the same for [2] }
    //   block { "max" (int, the step count), each step's Serialize }
    // A step: block { "name", "enablingTokenFunction", "nextTaskDescription" },
    //         block { "max" (the trigger count), each trigger's Serialize },
    //         block { the completion trigger's Serialize }.
    // Negative counts read as none; a count above 256, or above what the bytes left can
    // hold, fails the stream (the caller then skips the quest).
    void Serialize(IOStream& stream);
    // The quest's saved state; clears the dirty flag.
    void StreamProperties(IOStream& stream);

    void SetHandle(const std::string& fileName);
    void SetHandle(const Name& handle, const std::string& fileName);
    const Name& GetHandle() const { return m_handle; }
    const std::string& GetFileName() const { return m_fileName; }

    size_t GetStepCount() const { return m_steps.size(); }
    QuestStep* GetQuestStepAtIndx(size_t index) const { return index < m_steps.size() ? m_steps[index].get() : nullptr; }
    int GetIdxOfQuestStep(const QuestStep* step) const;
    // Null once the quest holds kMaxSteps steps.
    QuestStep* AddNewQuestStep();
    void RemoveQuestStep(QuestStep* step);
    void MoveUp(QuestStep* step);
    void MoveDown(QuestStep* step);
    void GetActiveTriggers(std::vector<Trigger*>& out) const;
    void GetInformation(std::vector<std::string>& out) const;
    bool ContainsToken(const std::string& token) const;
    void RemoveTokenReferences(const std::string& token);
    void FireAction(TriggerAction* action, uint32_t playerId);
    void OnStepComplete(bool flagA, bool flagB);
    void OnQuestComplete(bool flagA, bool flagB);
    void ForceCompleteNow(bool flagA, bool flagB);
    void OnCompleteQuestNow(const GameEvent_CompleteQuestNow& event);
    void SetUnsolvable();
    void UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z);
    void UpdateDialogTab(const std::string& text);

    uint32_t GetId() const { return m_id; }
    uint32_t GetCrc() const { return m_crc; }
    void SetCrc(uint32_t crc) { m_crc = crc; }
    const std::string& GetName() const { return m_title; }
    void SetName(const std::string& title) { m_title = title; }
    const std::string& GetSummaryTag() const { return m_summaryTag; }
    void SetSummaryTag(const std::string& tag) { m_summaryTag = tag; }
    const std::string& GetMapMarker() const { return m_mapMarker; }
    void SetMapMarker(const std::string& marker) { m_mapMarker = marker; }
    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }
    bool IsComplete() const { return m_complete; }
    bool IsUnsolvable() const { return m_unsolvable; }
    bool IsDirty() const { return m_dirty; }
    void SetDirty(bool dirty) { m_dirty = dirty; }

    std::string m_rewardItemTag[kDifficulties];
    int32_t m_rewardGold[kDifficulties] = {0, 0, 0};
    int32_t m_rewardXP[kDifficulties] = {0, 0, 0};
    int32_t m_rewardSkill = 0;
    int32_t m_rewardAttr = 0;
    std::string m_comments;

private:
    uint32_t m_id;
    uint32_t m_crc = 0;
    std::string m_title = "New Quest";
    std::string m_summaryTag;
    std::string m_mapMarker;
    std::vector<std::unique_ptr<QuestStep>> m_steps;
    Name m_handle;
    std::string m_fileName;
    bool m_active = false;
    bool m_complete = false;
    bool m_unsolvable = false;
    bool m_dirty = true;
};

}  // namespace GAME
