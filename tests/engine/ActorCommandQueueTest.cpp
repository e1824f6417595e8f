// An actor's queued commands run in the order queued, those queued while the queue runs
// included, however long the queue grows before it empties and whatever their size.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "Engine/ActorConfigCommand.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace GAME {
namespace {

struct Chain {
    std::vector<int> ran;
    int next = 0;    // the number the next command queued takes
    int total = 0;   // commands made in all
};

// Notes its number; while the chain has numbers left, queues the next one on its actor.
// Every third is larger than the engine keeps blocks of.
class ChainedCommand : public ActorConfigCommand {
public:
    ChainedCommand(uint32_t actorId, Chain& chain) : ActorConfigCommand(actorId), m_chain(chain), m_number(chain.next++) {}
    static ActorConfigCommand* Make(uint32_t actorId, Chain& chain);
    void Execute() override
    {
        m_chain.ran.push_back(m_number);
        if (m_chain.next < m_chain.total)
            ObjectManager::Get().GetObject<Actor>(m_actorId)->Enqueue(Make(m_actorId, m_chain));
    }

private:
    Chain& m_chain;
    int m_number;
};

class LargeChainedCommand : public ChainedCommand {
public:
    using ChainedCommand::ChainedCommand;
    std::array<char, 1024> payload{};
};

ActorConfigCommand* ChainedCommand::Make(uint32_t actorId, Chain& chain)
{
    if (chain.next % 3 == 2)
        return new LargeChainedCommand(actorId, chain);
    return new ChainedCommand(actorId, chain);
}

TEST(ActorCommandQueue, RunsInOrderTheQueuedAndThoseQueuedWhileRunning)
{
    struct Case {
        int upFront;
        int total;
    };
    for (const Case c : {Case{1, 1}, Case{1, 50}, Case{40, 100}, Case{3, 3}}) {
        auto* actor = DynamicCast<Actor>(ObjectManager::Get().CreateObject("Actor"));
        ASSERT_NE(actor, nullptr);
        Chain chain;
        chain.total = c.total;
        for (int i = 0; i < c.upFront; ++i)
            actor->Enqueue(ChainedCommand::Make(actor->GetObjectId(), chain));
        EXPECT_EQ(actor->GetQueuedCommandCount(), static_cast<size_t>(c.upFront));
        EXPECT_EQ(gEngine->RunActorCommands(), c.total);
        std::vector<int> expected;
        for (int i = 0; i < c.total; ++i)
            expected.push_back(i);
        EXPECT_EQ(chain.ran, expected) << c.upFront << " up front, " << c.total << " in all";
        EXPECT_EQ(actor->GetQueuedCommandCount(), 0u);
        ObjectManager::Get().DestroyAllObjects();
    }
}

// Freed commands' blocks wait, poisoned, for the next command of their size. The leak
// checker reads no poisoned memory, so it must find each kept block from the store itself:
// a check in the middle of a run (as the fuzzers make after each input) reports none.
TEST(ActorCommandQueue, KeptBlocksAreNoLeakMidRun)
{
#if defined(__SANITIZE_ADDRESS__)
    Chain chain;
    std::vector<ActorConfigCommand*> made;
    for (chain.total = 10; chain.next < chain.total;)
        made.push_back(new ChainedCommand(1, chain));
    for (ActorConfigCommand* command : made)
        delete command;
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#else
    GTEST_SKIP() << "needs the address sanitizer";
#endif
}

}  // namespace
}  // namespace GAME
