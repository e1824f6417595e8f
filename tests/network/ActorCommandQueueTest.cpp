// The engine's actor command queue: order, commands queued while the queue runs, commands
// left on a destroyed actor, and where each command's packet goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/network/GoldBonusPartyPackets.h"

namespace GAME {
namespace {

std::vector<std::string> gRan;
int gFreed = 0;

// Notes its tag when it runs; may queue a follow-up on another actor; its packet is a
// gold packet carrying the tag's length.
class TaggedCommand : public ActorConfigCommand {
public:
    TaggedCommand(uint32_t actorId, std::string tag, Actor* then = nullptr)
        : ActorConfigCommand(actorId), m_tag(std::move(tag)), m_then(then)
    {
        SetReplicated(true);
    }
    ~TaggedCommand() override { ++gFreed; }
    void Execute() override
    {
        gRan.push_back(m_tag);
        EXPECT_EQ(gEngine->RunActorCommands(), 0);   // no pass inside a pass
        if (m_then)
            m_then->Enqueue(new TaggedCommand(m_then->GetObjectId(), m_tag + "+"));
    }
    NetPacket* GetNetPacket() override
    {
        auto* gold = new GiveGoldPacket();
        gold->amount = static_cast<int32_t>(m_tag.size());
        return gold;
    }

private:
    std::string m_tag;
    Actor* m_then;
};

class ActorCommandQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gRan.clear();
        gFreed = 0;
        a = DynamicCast<Actor>(ObjectManager::Get().CreateObject("Actor"));
        b = DynamicCast<Actor>(ObjectManager::Get().CreateObject("Actor"));
    }
    void TearDown() override
    {
        connections.SetTransport(nullptr);
        connections.SetLocalHostId(ConnectionManager::kServerHost);
        ObjectManager::Get().DestroyAllObjects();
    }
    void Queue(Actor* actor, const std::string& tag, Actor* then = nullptr)
    {
        actor->Enqueue(new TaggedCommand(actor->GetObjectId(), tag, then));
    }

    ConnectionManager& connections = ConnectionManager::Get();
    RecordingTransport transport;
    Actor* a = nullptr;
    Actor* b = nullptr;
};

TEST_F(ActorCommandQueueTest, RunInQueuedOrderAndWhatTheyQueueRunsInTheSamePass)
{
    Queue(a, "a1", b);
    Queue(b, "b1");
    Queue(a, "a2", a);
    EXPECT_EQ(gEngine->RunActorCommands(), 5);
    EXPECT_EQ(gRan, (std::vector<std::string>{"a1", "b1", "a2", "a1+", "a2+"}));
    EXPECT_EQ(gFreed, 5);
    EXPECT_EQ(a->GetQueuedCommandCount(), 0u);
    EXPECT_EQ(gEngine->RunActorCommands(), 0);

    // The frame runs them too.
    Queue(b, "frame");
    gEngine->UpdateFrame(16);
    EXPECT_EQ(gRan.back(), "frame");
}

TEST_F(ActorCommandQueueTest, CommandsOfADestroyedActorAreFreedNotRun)
{
    Queue(a, "a1");
    Queue(b, "b1");
    Queue(a, "a2");
    ObjectManager::Get().DestroyObjectEx(a, __FILE__, __LINE__);
    EXPECT_EQ(gEngine->RunActorCommands(), 1);
    EXPECT_EQ(gRan, (std::vector<std::string>{"b1"}));
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(gFreed, 3);

    // An actor the object manager never knew keeps its commands until it goes.
    {
        Actor loose;
        Queue(&loose, "loose");
        EXPECT_EQ(gEngine->RunActorCommands(), 0);
    }
    EXPECT_EQ(gFreed, 4);
    EXPECT_EQ(gRan.size(), 1u);
}

TEST_F(ActorCommandQueueTest, PacketsGoToThePeersButNeverBackToTheSender)
{
    connections.SetTransport(&transport);
    // On the server: queued here, to every client; from client 3, to all but 3.
    Queue(a, "here");
    a->EnqueueReceived(new TaggedCommand(a->GetObjectId(), "from3"), 3);
    // Not replicated: runs, sends nothing.
    auto* quiet = new TaggedCommand(a->GetObjectId(), "quiet");
    quiet->SetReplicated(false);
    a->Enqueue(quiet);
    EXPECT_EQ(gEngine->RunActorCommands(), 3);
    ASSERT_EQ(transport.sent.size(), 2u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::AllClients);
    EXPECT_EQ(transport.sent[0].Type(), GiveGoldPacket::kType);
    EXPECT_EQ(transport.sent[1].to, (NetDestination{NetDestination::OtherClients, 3}));

    // On a client: queued here, to the server; what the server sent runs and goes nowhere.
    transport.sent.clear();
    connections.SetLocalHostId(2);
    Queue(a, "mine");
    a->EnqueueReceived(new TaggedCommand(a->GetObjectId(), "theirs"), ConnectionManager::kServerHost);
    EXPECT_EQ(gEngine->RunActorCommands(), 2);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0].to.kind, NetDestination::Server);
    EXPECT_EQ(gRan, (std::vector<std::string>{"here", "from3", "quiet", "mine", "theirs"}));

    // A sender that is not a client is never answered.
    GiveGoldPacket gold;
    connections.SetLocalHostId(ConnectionManager::kServerHost);
    EXPECT_FALSE(connections.SendActorCommand(gold, ConnectionManager::kServerHost));
    EXPECT_FALSE(connections.SendActorCommand(gold, ConnectionManager::kMaxHost + 1));
}

}  // namespace
}  // namespace GAME
