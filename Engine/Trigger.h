// Triggers: a trigger holds conditions and actions, sits in a container (a quest step),
// and fires its actions once all its conditions hold. Condition and action kinds are made
// by class name through their factories, where each kind registers one producer at load.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace GAME {

class IOStream;
class Trigger;
class TriggerAction;
struct GameEvent;

using BooleanCallbackFunctor = std::function<bool()>;
using VoidCallbackFunctor = std::function<void(Trigger*)>;

class TriggerCondition {
public:
    TriggerCondition(uint32_t id, Trigger* parent) : m_id(id), m_parent(parent) {}
    virtual ~TriggerCondition() = default;
    TriggerCondition(const TriggerCondition&) = delete;
    TriggerCondition& operator=(const TriggerCondition&) = delete;

    virtual void HandleEvent(const GameEvent&) {}
    // ANDs whether the condition holds into `value`.
    virtual void IsSatisfied(bool& value) { value = value && m_satisfied; }
    virtual const char* GetName() const = 0;
    virtual std::string GetDescription() const { return GetName(); }
    virtual void GetQuestInformation(std::vector<std::string>&) {}
    virtual bool ContainsToken(const std::string&) const { return false; }
    virtual void RemoveTokenReferences(const std::string&) {}
    // The condition's saved state (quest state files).
    virtual void StreamChildProperties(IOStream&) {}
    // The condition's own values (quest files).
    virtual void SerializeChildProperties(IOStream&) {}

    void SetSatisfied(bool value) { m_satisfied = value; }
    bool GetSatisfied() const { return m_satisfied; }
    // Makes the parent trigger test its conditions again.
    void ParentStatusChange(bool value);

    uint32_t GetId() const { return m_id; }
    void SetId(uint32_t id) { m_id = id; }
    Trigger* GetParent() const { return m_parent; }
    void SetParent(Trigger* parent) { m_parent = parent; }

    // Inverts what the token and item tests report.
    bool m_negate = false;
    // Only one party can meet this condition: met elsewhere, it makes the quest unsolvable
    // here (the kill conditions send it as the last word of their messages).
    bool m_exclusive = false;
    // Left out of the strict search for unsolvable quests (a condition set from the server).
    bool m_lenient = false;

protected:
    uint32_t m_id;
    Trigger* m_parent;
    bool m_satisfied = false;
};

class TriggerAction {
public:
    TriggerAction(uint32_t id, Trigger* parent) : m_id(id), m_parent(parent) {}
    virtual ~TriggerAction() = default;
    TriggerAction(const TriggerAction&) = delete;
    TriggerAction& operator=(const TriggerAction&) = delete;

    virtual void Fire(uint32_t playerId, bool replay) = 0;
    virtual const char* GetName() const = 0;
    virtual std::string GetDescription() const { return GetName(); }
    virtual bool ContainsToken(const std::string&) const { return false; }
    virtual void RemoveTokenReferences(const std::string&) {}
    virtual bool CanReFire() const { return false; }
    virtual bool CanDelay() const { return false; }
    virtual void StreamChildProperties(IOStream&) {}
    virtual void SerializeChildProperties(IOStream&) {}

    uint32_t GetId() const { return m_id; }
    void SetId(uint32_t id) { m_id = id; }
    Trigger* GetParent() const { return m_parent; }
    void SetParent(Trigger* parent) { m_parent = parent; }

    bool m_flag = false;

protected:
    uint32_t m_id;
    Trigger* m_parent;
};

// What holds triggers (a quest step).
class TriggerContainer {
public:
    virtual ~TriggerContainer() = default;
    virtual void RemoveTrigger(Trigger* trigger) = 0;
    virtual void MoveUp(Trigger* trigger) = 0;
    virtual void MoveDown(Trigger* trigger) = 0;
    virtual void UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z) = 0;
    virtual void UpdateDialogTab(const std::string& text) = 0;
    virtual void FireAction(TriggerAction* action, uint32_t playerId) = 0;
    virtual void SetDirty() = 0;
};

class TriggerConditionProducer {
public:
    virtual ~TriggerConditionProducer() = default;
    virtual TriggerCondition* Produce(uint32_t id) const = 0;
};

class TriggerActionProducer {
public:
    virtual ~TriggerActionProducer() = default;
    virtual TriggerAction* Produce(uint32_t id) const = 0;
};

// Producers by class name; a name registered again keeps its first producer.
template <class Producer, class Made>
class TriggerFactory {
public:
    void Register(const char* name, const Producer* producer) { m_producers.emplace(name, producer); }
    // A new object of that kind with the id and no parent; null for a name not registered.
    std::unique_ptr<Made> Create(const std::string& name, uint32_t id) const
    {
        auto found = m_producers.find(name);
        return found == m_producers.end() ? nullptr : std::unique_ptr<Made>(found->second->Produce(id));
    }
    bool IsRegistered(const std::string& name) const { return m_producers.count(name) != 0; }

private:
    std::map<std::string, const Producer*> m_producers;
};

class TriggerConditionFactory : public TriggerFactory<TriggerConditionProducer, TriggerCondition> {
public:
    static TriggerConditionFactory& Get();
};

class TriggerActionFactory : public TriggerFactory<TriggerActionProducer, TriggerAction> {
public:
    static TriggerActionFactory& Get();
};

// One static object per kind registers the kind under its name at load.
template <class T>
class TriggerConditionProducerOf : public TriggerConditionProducer {
public:
    explicit TriggerConditionProducerOf(const char* name) { TriggerConditionFactory::Get().Register(name, this); }
    TriggerCondition* Produce(uint32_t id) const override { return new T(id, nullptr); }
};

template <class T>
class TriggerActionProducerOf : public TriggerActionProducer {
public:
    explicit TriggerActionProducerOf(const char* name) { TriggerActionFactory::Get().Register(name, this); }
    TriggerAction* Produce(uint32_t id) const override { return new T(id, nullptr); }
};

class Trigger {
public:
    // The most conditions or actions one trigger holds: each takes the low byte of its id.
    static constexpr uint32_t kMaxChildren = 256;

    explicit Trigger(uint32_t id) : m_id(id) {}
    virtual ~Trigger() = default;
    Trigger(const Trigger&) = delete;
    Trigger& operator=(const Trigger&) = delete;
    static std::unique_ptr<Trigger> Spawn(uint32_t id) { return std::make_unique<Trigger>(id); }

    // Marks the trigger fired; with `runActions`, hands each action to the container (or
    // fires it) and then calls the notify-fired functor.
    void Fire(bool runActions);
    // Fires again, after a load, the actions that may run again; marks it fired.
    void ReFire(uint32_t playerId);
    // Fires when not fired yet, armed, and every condition holds.
    void OnStatusChange(bool value);
    // Not yet fired.
    bool IsActive() const { return !m_fired; }
    bool AreConditionsSatisfied();

    // The trigger with its conditions and actions (quest files). Layout, beside the reader:
    //   block { "displayTag" (string), "numConditions" (int),
    //           per condition: block { "className" (string), "negate", "exclusive",
    //                                  "lenient" (bools), the kind's own values },
    //           "numActions" (int),
    //           per action: block { "className" (string), "flag" (bool), its own values } }
    // A reader refuses a count above 256, one the bytes left cannot hold, or a class name
    // no kind is registered under (logged; the stream fails and so the whole file).
    void Serialize(IOStream& stream);
    // The trigger's saved state: block { "fired" (bool), "target" (unsigned),
    // "value" (unsigned), per condition: "satisfied" (bool) and its own state,
    // per action: its own state }.
    void StreamProperties(IOStream& stream);

    void SetParent(TriggerContainer* parent) { m_container = parent; }
    TriggerContainer* GetParent() const { return m_container; }
    void SetDisplayTag(const std::string& tag) { m_displayTag = tag; }
    const std::string& GetDisplayTag() const { return m_displayTag; }
    void SetArmingFunctor(BooleanCallbackFunctor functor) { m_arming = std::move(functor); }
    void SetNotifyFiredFunctor(VoidCallbackFunctor functor) { m_notifyFired = std::move(functor); }
    void UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z);
    void UpdateDialogTab(const std::string& text);

    size_t GetConditionCount() const { return m_conditions.size(); }
    TriggerCondition* GetConditionAtIdx(size_t index) const
    {
        return index < m_conditions.size() ? m_conditions[index].get() : nullptr;
    }
    size_t GetActionCount() const { return m_actions.size(); }
    TriggerAction* GetActionAtIdx(size_t index) const
    {
        return index < m_actions.size() ? m_actions[index].get() : nullptr;
    }
    // Takes the condition (or action), gives it the next id and this parent; false (the
    // object dropped) once the trigger holds kMaxChildren.
    bool AddCondition(std::unique_ptr<TriggerCondition> condition);
    bool AddAction(std::unique_ptr<TriggerAction> action);

    void GetQuestInformation(std::vector<std::string>& out);
    bool ContainsToken(const std::string& token) const;
    void RemoveTokenReferences(const std::string& token);

    uint32_t GetId() const { return m_id; }
    bool m_fired = false;
    uint32_t m_playerId = 0;
    uint32_t m_value = 0;
    std::string m_ownerName;

private:
    uint32_t m_id;
    TriggerContainer* m_container = nullptr;
    std::string m_displayTag;
    BooleanCallbackFunctor m_arming;
    VoidCallbackFunctor m_notifyFired;
    std::vector<std::unique_ptr<TriggerCondition>> m_conditions;
    std::vector<std::unique_ptr<TriggerAction>> m_actions;
};

}  // namespace GAME
