// The bundled quest's shrine is reached on its frame, or ahead of it once made due, or, held
// back then, on the first frame that lets it; once in every case, and never by a run that
// starts after its frame.
#include <functional>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/EventManager.h"
#include "Game/core/GameEvents.h"
#include "Game/quests/QuestRepository.h"
#include "host/HostQuest.h"

namespace GAME {
namespace {

class HostQuestShrineTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        QuestRepository::Get()->Reset();
    }
    void TearDown() override
    {
        QuestRepository::Get()->Reset();
        EngineTest::TearDown();
    }

    // The frames from `first` to `last` on which a fresh quest's player reached the
    // shrine, with the shrine held back on the frames `held` names and made due after the
    // frame `due` (0: never).
    std::vector<int> Reached(int first, int last, const std::function<bool(int)>& held, int due = 0)
    {
        struct Recorder {
            const int* frame;
            std::vector<int> frames;
            void On(const GameEvent_EnterBoundingVolume&) { frames.push_back(*frame); }
        };
        int frame = 0;
        Recorder recorder{&frame, {}};
        GameEventListener<Recorder, GameEvent_EnterBoundingVolume> listener("GameEvent_EnterBoundingVolume",
                                                                              &Recorder::On, &recorder);
        HostQuest quest;
        EXPECT_TRUE(quest.Start(kMainPlayerId, 0, ""));
        for (frame = first; frame <= last; ++frame) {
            quest.AfterFrame(frame, held(frame));
            if (due != 0 && frame >= due)
                quest.MakeShrineDue();
        }
        return recorder.frames;
    }
};

TEST_F(HostQuestShrineTest, AShrineHeldOnItsFrameIsReachedOnceWhenLetGo)
{
    constexpr int due = HostQuest::kShrineFrame;
    EXPECT_EQ(Reached(1, due + 5, [](int) { return false; }), std::vector<int>{due});
    // Held from before its frame until three frames after it.
    EXPECT_EQ(Reached(1, due + 5, [](int frame) { return frame <= due + 3; }), std::vector<int>{due + 4});
    // Held only before its frame: reached on time.
    EXPECT_EQ(Reached(1, due + 5, [](int frame) { return frame < due; }), std::vector<int>{due});
    // Made due early (and again on every frame after): reached once, on the next frame
    // that lets it.
    EXPECT_EQ(Reached(1, due + 5, [](int frame) { return frame < 100; }, 50), std::vector<int>{100});
    // A run resumed after the frame does not reach it again.
    EXPECT_TRUE(Reached(due + 1, due + 5, [](int) { return false; }).empty());
}

}  // namespace
}  // namespace GAME
