// The quest repository's messages between hosts, and the id of a quest condition.
//
// Words of a message: the head {kind, condition id packed, sender player id}, then by kind
//   0 satisfied              nothing
//   1 kill creature          a1 killer, a2 creature id, a3 exclusive flag
//   2 kill all from proxy    a1 sibling count, a2 exclusive flag
//   3 conversation started   a1 talker
//   4 kill creature herd     a1 killer, a2 creature id, a3 exclusive flag
//   5 proxy spawned          record's network index, n, n primary ids, m, m accessory ids
//   6 asks for quest data    nothing
// A reader takes exactly these words: fewer, more, or counts that do not match the words
// left refuse the message.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <vector>

namespace GAME {

// {quest number, step index, trigger index, condition index}, packed from the highest
// byte down: exactly the id the condition carries.
struct ConditionId {
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    uint32_t packed = kNone;

    ConditionId() = default;
    explicit ConditionId(uint32_t value) : packed(value) {}
    ConditionId(uint32_t quest, uint32_t step, uint32_t trigger, uint32_t condition)
        : packed(((quest & 0xFFu) << 24) | ((step & 0xFFu) << 16) | ((trigger & 0xFFu) << 8) | (condition & 0xFFu))
    {
    }
    uint32_t Quest() const { return packed >> 24; }
    uint32_t Step() const { return (packed >> 16) & 0xFFu; }
    uint32_t TriggerIndex() const { return (packed >> 8) & 0xFFu; }
    uint32_t Condition() const { return packed & 0xFFu; }
    bool IsNone() const { return packed == kNone; }
    auto operator<=>(const ConditionId&) const = default;
};

class QuestNetMsg {
public:
    enum Kind : uint32_t {
        kSatisfied = 0,
        kKillCreature = 1,
        kKillAllFromProxy = 2,
        kConversationStart = 3,
        kKillCreatureHerd = 4,
        kProxySpawn = 5,
        kRequestData = 6,
        kKindCount = 7,
    };
    static constexpr size_t kHeadWords = 3;
    // The most object ids one proxy-spawn message carries in each list.
    static constexpr uint32_t kMaxObjectIds = 1024;

    virtual ~QuestNetMsg() = default;
    // A message of that kind with its fields empty; null for a kind above 6.
    static std::unique_ptr<QuestNetMsg> Create(uint32_t kind);
    // A message read from words; null (logged) when the words do not make one.
    static std::unique_ptr<QuestNetMsg> FromWords(const std::vector<uint32_t>& words);

    void Write(std::vector<uint32_t>& out) const;
    bool Read(const std::vector<uint32_t>& words);
    virtual std::unique_ptr<QuestNetMsg> Clone() const = 0;
    // Argument word `index` after the head of a fixed-size kind; 0 past its arguments.
    virtual uint32_t GetArg(size_t) const { return 0; }

    uint32_t GetKind() const { return m_kind; }
    ConditionId id;
    uint32_t sender = 0;

protected:
    explicit QuestNetMsg(uint32_t kind) : m_kind(kind) {}
    virtual void WriteBody(std::vector<uint32_t>& out) const = 0;
    // Reads the words after the head; false when they are not exactly the body.
    virtual bool ReadBody(const uint32_t* words, size_t count) = 0;

private:
    uint32_t m_kind;
};

// Kinds 0, 1, 2, 3, 4 and 6: a fixed number of argument words.
template <uint32_t KindValue, size_t Args>
class QuestNetMsgArgs : public QuestNetMsg {
public:
    QuestNetMsgArgs() : QuestNetMsg(KindValue) {}
    std::unique_ptr<QuestNetMsg> Clone() const override { return std::make_unique<QuestNetMsgArgs>(*this); }
    uint32_t GetArg(size_t index) const override { return index < Args ? args[index] : 0; }
    uint32_t args[Args == 0 ? 1 : Args] = {};

protected:
    void WriteBody(std::vector<uint32_t>& out) const override
    {
        for (size_t i = 0; i < Args; ++i)
            out.push_back(args[i]);
    }
    bool ReadBody(const uint32_t* words, size_t count) override
    {
        if (count != Args)
            return false;
        for (size_t i = 0; i < Args; ++i)
            args[i] = words[i];
        return true;
    }
};

using QuestNetMsg_Satisfied = QuestNetMsgArgs<QuestNetMsg::kSatisfied, 0>;
using QuestNetMsg_KillCreature = QuestNetMsgArgs<QuestNetMsg::kKillCreature, 3>;
using QuestNetMsg_KillAllFromProxy = QuestNetMsgArgs<QuestNetMsg::kKillAllFromProxy, 2>;
using QuestNetMsg_ConversationStart = QuestNetMsgArgs<QuestNetMsg::kConversationStart, 1>;
using QuestNetMsg_KillCreatureHerd = QuestNetMsgArgs<QuestNetMsg::kKillCreatureHerd, 3>;
using QuestNetMsg_RequestData = QuestNetMsgArgs<QuestNetMsg::kRequestData, 0>;

class QuestNetMsg_ProxySpawn : public QuestNetMsg {
public:
    QuestNetMsg_ProxySpawn() : QuestNetMsg(kProxySpawn) {}
    std::unique_ptr<QuestNetMsg> Clone() const override { return std::make_unique<QuestNetMsg_ProxySpawn>(*this); }

    uint32_t recordIndex = 0;
    uint32_t proxyId = 0;   // kept here, not sent
    std::vector<uint32_t> primaryObjects;
    std::vector<uint32_t> accessoryObjects;

protected:
    void WriteBody(std::vector<uint32_t>& out) const override;
    bool ReadBody(const uint32_t* words, size_t count) override;
};

}  // namespace GAME
