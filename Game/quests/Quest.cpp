#include "Game/quests/Quest.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/IOStream.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/QuestRepository.h"

namespace GAME {

namespace {

// A count from a quest file: negative is none; above `cap` or above what the bytes left
// can hold fails the stream.
bool StreamQuestCount(IOStream& stream, int32_t& count, uint32_t cap)
{
    stream.StreamInt32("max", count);
    if (count < 0)
        count = 0;
    if (!stream.CheckCount("max", static_cast<uint32_t>(count), cap, "displayTag")) {
        if (!stream.Failed())
            stream.Refuse("Quest: \"max\" " + std::to_string(count) + " is above " + std::to_string(cap));
        return false;
    }
    return true;
}

template <class T>
void SwapWithNeighbour(std::vector<std::unique_ptr<T>>& list, const T* item, int offset)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].get() != item)
            continue;
        const long other = static_cast<long>(i) + offset;
        if (other >= 0 && other < static_cast<long>(list.size()))
            std::swap(list[i], list[static_cast<size_t>(other)]);
        return;
    }
}

}  // namespace

// ---- QuestStep ---------------------------------------------------------------------------

QuestStep::QuestStep(uint32_t id) : m_id(id), m_completionTrigger(Trigger::Spawn(0xFFFFFFFFu)) {}

QuestStep::~QuestStep() = default;

bool QuestStep::NextTriggerId(uint32_t& id) const
{
    if (m_triggers.size() >= Quest::kMaxTriggers)
        return false;
    id = ((static_cast<uint32_t>(m_triggers.size()) & 0xFFu) << 8) | m_id;
    return true;
}

void QuestStep::AdoptTrigger(Trigger& trigger)
{
    trigger.SetArmingFunctor([this] { return IsEnabled(); });
    trigger.SetNotifyFiredFunctor([this](Trigger* fired) { OnTriggerFired(fired); });
    trigger.SetParent(this);
}

Trigger* QuestStep::AddNewTrigger()
{
    uint32_t id = 0;
    if (!NextTriggerId(id))
        return nullptr;
    std::unique_ptr<Trigger> trigger = Trigger::Spawn(id);
    trigger->SetDisplayTag("New Trigger");
    AdoptTrigger(*trigger);
    m_triggers.push_back(std::move(trigger));
    return m_triggers.back().get();
}

void QuestStep::Serialize(IOStream& stream)
{
    const bool reading = stream.IsReading();
    stream.BeginBlock();
    stream.StreamString("name", m_name);
    stream.StreamString("enablingTokenFunction", m_enablingFunction);
    if (reading && !stream.Failed())
        GenerateEnablingEquation();
    stream.StreamString("nextTaskDescription", m_nextTask);
    stream.EndBlock();

    stream.BeginBlock();
    int32_t count = static_cast<int32_t>(m_triggers.size());
    if (!StreamQuestCount(stream, count, Quest::kMaxTriggers))
        return;
    for (int32_t t = 0; t < count && !stream.Failed(); ++t) {
        if (!reading) {
            m_triggers[t]->Serialize(stream);
            continue;
        }
        uint32_t id = 0;
        NextTriggerId(id);   // the count was bounded above
        std::unique_ptr<Trigger> trigger = Trigger::Spawn(id);
        trigger->m_ownerName = m_questTitle;
        trigger->Serialize(stream);
        AdoptTrigger(*trigger);
        m_triggers.push_back(std::move(trigger));
    }
    stream.EndBlock();

    stream.BeginBlock();
    m_completionTrigger->Serialize(stream);
    stream.EndBlock();
}

void QuestStep::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.BeginBlock();
    stream.StreamString("comments", m_comments);
    stream.EndBlock();
    stream.BeginBlock();
    for (const std::unique_ptr<Trigger>& trigger : m_triggers)
        trigger->StreamProperties(stream);
    stream.EndBlock();
    stream.EndBlock();
    // The state keeps the triggers' fired flags, not the step's own: a step all of whose
    // triggers fired was complete when it was saved.
    if (stream.IsReading() && !stream.Failed() && !m_triggers.empty())
        m_complete = std::all_of(m_triggers.begin(), m_triggers.end(),
                                 [](const std::unique_ptr<Trigger>& trigger) { return trigger->m_fired; });
}

void QuestStep::GenerateEnablingEquation()
{
    const std::string text = m_enablingFunction.empty() ? std::string("1") : m_enablingFunction;
    auto equation = std::make_unique<DesignerEquation_Boolean>();
    if (equation->ParseEquation(text.c_str(), this)) {
        m_equation = std::move(equation);
        return;
    }
    m_equation.reset();
    gEngine->Log(LOG_WARNING, "A quest step equation for Quest \"%s\" failed.  Quest will not function.",
                 m_questTitle.c_str());
}

bool QuestStep::GetDesignerVariable(const char* name, bool& value)
{
    const Player* player = QuestRepository::GetLocalPlayer();
    value = player && name && player->HasToken(name);
    return true;
}

bool QuestStep::IsEnabled() const
{
    if (m_complete || !m_equation)
        return false;
    return (*m_equation)();
}

int QuestStep::GetIdxOfTrigger(const Trigger* trigger) const
{
    for (size_t i = 0; i < m_triggers.size(); ++i)
        if (m_triggers[i].get() == trigger)
            return static_cast<int>(i);
    return -1;
}

void QuestStep::OnTriggerFired(Trigger* trigger)
{
    if (m_quest)
        m_quest->SetDirty(true);
    if (m_quest)
        QuestRepository::Get()->AddTrigger(m_quest->GetHandle(), m_quest->GetIdxOfQuestStep(this),
                                           GetIdxOfTrigger(trigger), trigger ? trigger->m_playerId : 0);
    const bool allFired = std::all_of(m_triggers.begin(), m_triggers.end(),
                                      [](const std::unique_ptr<Trigger>& each) { return each->m_fired; });
    if (allFired)
        OnCompletion(true, true, true);
}

void QuestStep::OnCompletion(bool fire, bool flagA, bool flagB)
{
    if (m_complete)
        return;
    if (fire && m_completionTrigger) {
        m_completionTrigger->m_playerId = QuestRepository::GetLocalPlayerId();
        m_completionTrigger->Fire(true);
    }
    m_complete = true;
    if (m_quest)
        m_quest->SetDirty(true);
    if (fire && m_quest) {
        m_quest->SetSummaryTag(m_nextTask);
        m_quest->OnStepComplete(flagA, flagB);
    }
}

void QuestStep::GetActiveTriggers(std::vector<Trigger*>& out) const
{
    for (const std::unique_ptr<Trigger>& trigger : m_triggers)
        if (trigger->IsActive())
            out.push_back(trigger.get());
}

void QuestStep::GetQuestInformation(std::vector<std::string>& out) const
{
    for (const std::unique_ptr<Trigger>& trigger : m_triggers)
        trigger->GetQuestInformation(out);
}

bool QuestStep::ContainsToken(const std::string& token) const
{
    return std::any_of(m_triggers.begin(), m_triggers.end(),
                       [&](const std::unique_ptr<Trigger>& trigger) { return trigger->ContainsToken(token); });
}

void QuestStep::RemoveTokenReferences(const std::string& token)
{
    for (const std::unique_ptr<Trigger>& trigger : m_triggers)
        trigger->RemoveTokenReferences(token);
}

void QuestStep::MoveUpInParent()
{
    if (m_quest)
        m_quest->MoveUp(this);
}

void QuestStep::MoveDownInParent()
{
    if (m_quest)
        m_quest->MoveDown(this);
}

void QuestStep::RemoveFromParent()
{
    if (m_quest)
        m_quest->RemoveQuestStep(this);   // destroys this step
}

void QuestStep::RemoveTrigger(Trigger* trigger)
{
    std::erase_if(m_triggers, [trigger](const std::unique_ptr<Trigger>& each) { return each.get() == trigger; });
}

void QuestStep::MoveUp(Trigger* trigger) { SwapWithNeighbour(m_triggers, trigger, -1); }
void QuestStep::MoveDown(Trigger* trigger) { SwapWithNeighbour(m_triggers, trigger, 1); }

void QuestStep::UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z)
{
    if (m_quest)
        m_quest->UpdateContainerUI(a, b, x, y, z);
}

void QuestStep::UpdateDialogTab(const std::string& text)
{
    if (m_quest)
        m_quest->UpdateDialogTab(text);
}

void QuestStep::FireAction(TriggerAction* action, uint32_t playerId)
{
    if (m_quest)
        m_quest->FireAction(action, playerId);
    else if (action)
        action->Fire(playerId, false);
}

void QuestStep::SetDirty()
{
    if (!m_quest)
        return;
    m_quest->SetDirty(true);
    m_quest->SetActive(true);
}

// ---- Quest -------------------------------------------------------------------------------

Quest::~Quest() { QuestRepository::Forget(this); }

void Quest::Serialize(IOStream& stream)
{
    const bool reading = stream.IsReading();
    stream.BeginBlock();
    stream.StreamString("title", m_title);
    stream.StreamString("rewardItemTag", m_rewardItemTag[0]);
    stream.StreamInt32("rewardGold", m_rewardGold[0]);
    stream.StreamInt32("rewardXP", m_rewardXP[0]);
    stream.StreamInt32("rewardSkill", m_rewardSkill);
    stream.StreamInt32("rewardAttr", m_rewardAttr);
    stream.StreamString("this->rewardItemTag[1]", m_rewardItemTag[1]);
    stream.StreamInt32("this->rewardGold[1]", m_rewardGold[1]);
    stream.StreamInt32("this->rewardXP[1]", m_rewardXP[1]);
    stream.StreamString("this->rewardItemTag[2]", m_rewardItemTag[2]);
    stream.StreamInt32("this->rewardGold[2]", m_rewardGold[2]);
    stream.StreamInt32("this->rewardXP[2]", m_rewardXP[2]);
    stream.EndBlock();

    stream.BeginBlock();
    int32_t count = static_cast<int32_t>(m_steps.size());
    if (!StreamQuestCount(stream, count, kMaxSteps))
        return;
    for (int32_t s = 0; s < count && !stream.Failed(); ++s) {
        QuestStep* step = reading ? AddNewQuestStep() : m_steps[s].get();
        if (reading)
            step->SetQuestTitle(m_title);
        step->Serialize(stream);
    }
    stream.EndBlock();
}

void Quest::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.BeginBlock();
    stream.StreamString("comments", m_comments);
    stream.StreamBool("active", m_active);
    stream.EndBlock();
    stream.BeginBlock();
    for (const std::unique_ptr<QuestStep>& step : m_steps)
        step->StreamProperties(stream);
    stream.EndBlock();
    stream.EndBlock();
    if (stream.IsReading() && !stream.Failed() && !m_steps.empty())
        m_complete = std::all_of(m_steps.begin(), m_steps.end(),
                                 [](const std::unique_ptr<QuestStep>& step) { return step->IsComplete(); });
    m_dirty = false;
}

void Quest::SetHandle(const std::string& fileName)
{
    SetHandle(Name::Create(GetNormalizedPath(fileName)), fileName);
}

void Quest::SetHandle(const Name& handle, const std::string& fileName)
{
    m_handle = handle;
    m_fileName = fileName;
    QuestRepository::Get()->AddCompleteQuestNow(handle, this);
}

int Quest::GetIdxOfQuestStep(const QuestStep* step) const
{
    for (size_t i = 0; i < m_steps.size(); ++i)
        if (m_steps[i].get() == step)
            return static_cast<int>(i);
    return -1;
}

QuestStep* Quest::AddNewQuestStep()
{
    if (m_steps.size() >= kMaxSteps)
        return nullptr;
    const uint32_t id = ((static_cast<uint32_t>(m_steps.size()) & 0xFFu) << 16) | m_id;
    std::unique_ptr<QuestStep> step = QuestStep::Spawn(id);
    step->SetParent(this);
    m_steps.push_back(std::move(step));
    return m_steps.back().get();
}

void Quest::RemoveQuestStep(QuestStep* step)
{
    std::erase_if(m_steps, [step](const std::unique_ptr<QuestStep>& each) { return each.get() == step; });
}

void Quest::MoveUp(QuestStep* step) { SwapWithNeighbour(m_steps, step, -1); }
void Quest::MoveDown(QuestStep* step) { SwapWithNeighbour(m_steps, step, 1); }

void Quest::GetActiveTriggers(std::vector<Trigger*>& out) const
{
    for (const std::unique_ptr<QuestStep>& step : m_steps)
        step->GetActiveTriggers(out);
}

void Quest::GetInformation(std::vector<std::string>& out) const
{
    for (const std::unique_ptr<QuestStep>& step : m_steps)
        step->GetQuestInformation(out);
}

bool Quest::ContainsToken(const std::string& token) const
{
    return std::any_of(m_steps.begin(), m_steps.end(),
                       [&](const std::unique_ptr<QuestStep>& step) { return step->ContainsToken(token); });
}

void Quest::RemoveTokenReferences(const std::string& token)
{
    for (const std::unique_ptr<QuestStep>& step : m_steps)
        step->RemoveTokenReferences(token);
}

void Quest::FireAction(TriggerAction* action, uint32_t playerId)
{
    QuestRepository::Get()->FireAction(action, playerId);
}

void Quest::OnStepComplete(bool flagA, bool flagB)
{
    if (!m_active) {
        m_active = true;
        GameEvent_InheritQuest event;
        event.handle = m_handle;
        EventManager::Get().Send(event, "GameEvent_InheritQuest");
    }
    const bool allComplete = std::all_of(m_steps.begin(), m_steps.end(),
                                         [](const std::unique_ptr<QuestStep>& step) { return step->IsComplete(); });
    if (allComplete)
        OnQuestComplete(flagA, flagB);
}

void Quest::OnQuestComplete(bool flagA, bool flagB)
{
    m_complete = true;
    GameEvent_QuestComplete event;
    event.handle = m_handle;
    event.flagA = flagA;
    event.flagB = flagB;
    EventManager::Get().Send(event, "GameEvent_QuestComplete");
}

void Quest::ForceCompleteNow(bool flagA, bool flagB)
{
    for (size_t s = 0; s < m_steps.size(); ++s) {
        QuestStep* step = m_steps[s].get();
        step->OnCompletion(true, flagA, flagB);
        for (size_t t = 0; t < step->GetTriggerCount(); ++t)
            step->GetTriggerOfIdx(t)->Fire(false);
    }
}

void Quest::OnCompleteQuestNow(const GameEvent_CompleteQuestNow& event)
{
    if (Name::Create(GetNormalizedPath(event.questFile)) == m_handle)
        ForceCompleteNow(event.flagA, event.flagB);
}

void Quest::SetUnsolvable()
{
    if (m_unsolvable)
        return;
    m_unsolvable = true;
    m_active = true;
    m_complete = true;
    m_dirty = true;
    for (const std::unique_ptr<QuestStep>& step : m_steps) {
        step->OnCompletion(false, false, false);
        for (size_t t = 0; t < step->GetTriggerCount(); ++t)
            step->GetTriggerOfIdx(t)->Fire(false);
    }
    GameEvent_QuestUnsolvable event;
    event.handle = m_handle;
    EventManager::Get().Send(event, "GameEvent_QuestUnsolvable");
}

void Quest::UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z)
{
    GameEvent_UpdateMapMarker event;
    event.handle = m_handle;
    event.first = a;
    event.second = b;
    event.flags[0] = x;
    event.flags[1] = y;
    event.flags[2] = z;
    EventManager::Get().Send(event, "GameEvent_UpdateMapMarker");
}

void Quest::UpdateDialogTab(const std::string& text)
{
    GameEvent_UpdateDialogTab event;
    event.handle = m_handle;
    event.text = text;
    EventManager::Get().Send(event, "GameEvent_UpdateDialogTab");
}

}  // namespace GAME
