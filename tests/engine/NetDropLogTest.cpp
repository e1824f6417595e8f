// The drop log tells kinds apart by host, what was dropped and the reason's key, however the
// drops of a flood take turns; and the text shown for peer input loses its control characters
// in place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/NetDropLog.h"
#include "Engine/TextUtil.h"

using namespace GAME;

namespace {

uint64_t gNowMs = 0;

struct DropLogClock {
    DropLogClock() { NetDropLog::SetClock([] { return gNowMs; }); }
    ~DropLogClock() { NetDropLog::SetClock(nullptr); }
};

}  // namespace

// Drops of two reasons from one host, and of one of them from another host, in turn: each
// kind is logged whole once with the text of its first drop and counted on its own, and a
// kind that stayed quiet for a second is forgotten and logged whole again.
TEST(NetDropLog, KindsTakingTurnsAreEachCountedOnTheirOwn)
{
    DropLogClock clock;
    LogCapture log;   // a new sink: the drop log starts over
    const uint64_t before = NetDropLog::GetTotal();
    for (int i = 0; i < 3; ++i) {
        LogNetDrop("ChatPacket", 3, "it asks more than %d times a second", 16 + i);
        NetDropLog::Note("ChatPacket", 3, "queue full", "the host's queue is full");
    }
    LogNetDrop("ChatPacket", 4, "it asks more than %d times a second", 16);
    EXPECT_EQ(NetDropLog::GetTotal() - before, 7u);
    gNowMs += NetDropLog::kWindowMs;
    NetDropLog::Flush();   // host 4's kind was quiet: forgotten
    gNowMs += NetDropLog::kWindowMs;
    NetDropLog::Flush();   // so were host 3's
    LogNetDrop("ChatPacket", 3, "it asks more than %d times a second", 99);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                               "ChatPacket from host 3 dropped: it asks more than 16 times a second",
                               "ChatPacket from host 3 dropped: the host's queue is full",
                               "ChatPacket from host 4 dropped: it asks more than 16 times a second",
                               "ChatPacket from host 3: 2 more dropped in the last second: it asks more than 16 times "
                               "a second",
                               "ChatPacket from host 3: 2 more dropped in the last second: the host's queue is full",
                               "ChatPacket from host 3 dropped: it asks more than 99 times a second",
                           }));
}

// A packet held for objects not arrived yet is information, its count too; a drop is a warning.
TEST(NetDropLog, HeldIsInformationAndDroppedAWarning)
{
    DropLogClock clock;
    LogCapture log;
    NetDropLog::Note("MovePacket", 2, "wait", "it names objects that do not exist yet", "held");
    NetDropLog::Note("MovePacket", 2, "wait", "it names objects that do not exist yet", "held");
    LogNetDrop("MovePacket", 2, "the objects it names did not arrive (%d tries)", 120);
    gNowMs += NetDropLog::kWindowMs;
    NetDropLog::Flush();
    std::vector<int> levels;
    for (const LogLine& line : log.Lines())
        levels.push_back(line.level);
    EXPECT_EQ(levels, (std::vector<int>{LOG_INFO, LOG_WARNING, LOG_INFO})) << ::testing::PrintToString(log.Texts());
}

TEST(TextUtil, ControlCharactersAreRemovedInPlace)
{
    std::u16string text = u"\x1b[2Jone\r\ntwo\x7f\x85!\a";
    RemoveControlCharacters(text);
    EXPECT_EQ(text, u"[2Jonetwo!");
    std::u16string plain = u"nothing to remove";
    RemoveControlCharacters(plain);
    EXPECT_EQ(plain, u"nothing to remove");
    std::u16string controls = u"\t\n\x9f";
    RemoveControlCharacters(controls);
    EXPECT_EQ(controls, u"");
}
