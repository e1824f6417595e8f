#include "Engine/Trigger.h"

#include "Engine/Engine.h"
#include "Engine/IOStream.h"

namespace GAME {

TriggerConditionFactory& TriggerConditionFactory::Get()
{
    static TriggerConditionFactory factory;
    return factory;
}

TriggerActionFactory& TriggerActionFactory::Get()
{
    static TriggerActionFactory factory;
    return factory;
}

void TriggerCondition::ParentStatusChange(bool value)
{
    if (m_parent)
        m_parent->OnStatusChange(value);
}

bool Trigger::AreConditionsSatisfied()
{
    bool satisfied = true;
    for (const std::unique_ptr<TriggerCondition>& condition : m_conditions)
        condition->IsSatisfied(satisfied);
    return satisfied;
}

void Trigger::Fire(bool runActions)
{
    m_fired = true;
    if (!runActions)
        return;
    for (const std::unique_ptr<TriggerAction>& action : m_actions) {
        if (m_container)
            m_container->FireAction(action.get(), m_playerId);
        else
            action->Fire(m_playerId, false);
    }
    if (m_notifyFired)
        m_notifyFired(this);
}

void Trigger::ReFire(uint32_t playerId)
{
    m_playerId = playerId;
    m_fired = true;
    for (const std::unique_ptr<TriggerAction>& action : m_actions)
        if (action->CanReFire())
            action->Fire(playerId, true);
}

void Trigger::OnStatusChange(bool)
{
    if (m_fired || (m_arming && !m_arming()))
        return;
    if (AreConditionsSatisfied())
        Fire(true);
}

bool Trigger::AddCondition(std::unique_ptr<TriggerCondition> condition)
{
    if (!condition || m_conditions.size() >= kMaxChildren)
        return false;
    condition->SetId(m_id | static_cast<uint32_t>(m_conditions.size()));
    condition->SetParent(this);
    m_conditions.push_back(std::move(condition));
    return true;
}

bool Trigger::AddAction(std::unique_ptr<TriggerAction> action)
{
    if (!action || m_actions.size() >= kMaxChildren)
        return false;
    action->SetId(m_id | static_cast<uint32_t>(m_actions.size()));
    action->SetParent(this);
    m_actions.push_back(std::move(action));
    return true;
}

namespace {

// A count read from a quest file: negative counts are none; more than a trigger can hold,
// or more than the bytes left can carry, fails the stream.
bool ReadChildCount(IOStream& stream, const char* countKey, int32_t& count)
{
    stream.StreamInt32(countKey, count);
    if (count < 0)
        count = 0;
    if (!stream.CheckCount(countKey, static_cast<uint32_t>(count), Trigger::kMaxChildren, "className")) {
        if (!stream.Failed())
            stream.Refuse(std::string("Trigger: \"") + countKey + "\" " + std::to_string(count) + " is above " +
                          std::to_string(Trigger::kMaxChildren));
        return false;
    }
    return true;
}

}  // namespace

void Trigger::Serialize(IOStream& stream)
{
    const bool reading = stream.IsReading();
    stream.BeginBlock();
    stream.StreamString("displayTag", m_displayTag);

    int32_t count = static_cast<int32_t>(m_conditions.size());
    if (!ReadChildCount(stream, "numConditions", count))
        return;
    for (int32_t i = 0; i < count && !stream.Failed(); ++i) {
        stream.BeginBlock();
        std::string className = reading ? std::string() : m_conditions[i]->GetName();
        stream.StreamString("className", className);
        if (reading) {
            std::unique_ptr<TriggerCondition> made = TriggerConditionFactory::Get().Create(className, 0);
            if (!made) {
                if (!stream.Failed())
                    stream.Refuse("Trigger: no condition kind \"" + className + "\"");
                return;
            }
            AddCondition(std::move(made));
        }
        TriggerCondition& condition = *m_conditions[i];
        stream.StreamBool("negate", condition.m_negate);
        stream.StreamBool("exclusive", condition.m_exclusive);
        stream.StreamBool("lenient", condition.m_lenient);
        condition.SerializeChildProperties(stream);
        stream.EndBlock();
    }

    count = static_cast<int32_t>(m_actions.size());
    if (!ReadChildCount(stream, "numActions", count))
        return;
    for (int32_t i = 0; i < count && !stream.Failed(); ++i) {
        stream.BeginBlock();
        std::string className = reading ? std::string() : m_actions[i]->GetName();
        stream.StreamString("className", className);
        if (reading) {
            std::unique_ptr<TriggerAction> made = TriggerActionFactory::Get().Create(className, 0);
            if (!made) {
                if (!stream.Failed())
                    stream.Refuse("Trigger: no action kind \"" + className + "\"");
                return;
            }
            AddAction(std::move(made));
        }
        TriggerAction& action = *m_actions[i];
        stream.StreamBool("flag", action.m_flag);
        action.SerializeChildProperties(stream);
        stream.EndBlock();
    }
    stream.EndBlock();
}

void Trigger::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.StreamBool("fired", m_fired);
    stream.StreamUInt32("target", m_playerId);
    stream.StreamUInt32("value", m_value);
    for (const std::unique_ptr<TriggerCondition>& condition : m_conditions) {
        bool satisfied = condition->GetSatisfied();
        stream.StreamBool("satisfied", satisfied);
        if (stream.IsReading() && !stream.Failed())
            condition->SetSatisfied(satisfied);
        condition->StreamChildProperties(stream);
    }
    for (const std::unique_ptr<TriggerAction>& action : m_actions)
        action->StreamChildProperties(stream);
    stream.EndBlock();
}

void Trigger::UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z)
{
    if (m_container)
        m_container->UpdateContainerUI(a, b, x, y, z);
}

void Trigger::UpdateDialogTab(const std::string& text)
{
    if (m_container)
        m_container->UpdateDialogTab(text);
}

void Trigger::GetQuestInformation(std::vector<std::string>& out)
{
    for (const std::unique_ptr<TriggerCondition>& condition : m_conditions)
        condition->GetQuestInformation(out);
}

bool Trigger::ContainsToken(const std::string& token) const
{
    for (const std::unique_ptr<TriggerCondition>& condition : m_conditions)
        if (condition->ContainsToken(token))
            return true;
    for (const std::unique_ptr<TriggerAction>& action : m_actions)
        if (action->ContainsToken(token))
            return true;
    return false;
}

void Trigger::RemoveTokenReferences(const std::string& token)
{
    for (const std::unique_ptr<TriggerCondition>& condition : m_conditions)
        condition->RemoveTokenReferences(token);
    for (const std::unique_ptr<TriggerAction>& action : m_actions)
        action->RemoveTokenReferences(token);
}

}  // namespace GAME
