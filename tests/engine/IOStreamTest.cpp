#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/TriggerToken.h"

using namespace GAME;

namespace {

using Bytes = std::vector<unsigned char>;

// One value of every kind and a trigger token, in two nested blocks, and one value after them.
struct Values {
    UniqueId id;
    std::u16string name = u"N\u00e4me";
    bool flag = true;
    uint32_t money = 0xDEADBEEFu;
    std::string texture = "tex";
    float speed = -1.5f;
    int32_t level = -7;
    std::string empty;
    TriggerToken token{"Q1_Done"};
    int32_t last = 42;

    Values()
    {
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            id.SetPart(i, 0x01020304u * (i + 1));
    }
    // Every field different from the defaults.
    static Values Sentinels()
    {
        Values v;
        v.id = UniqueId();
        v.name = u"x", v.flag = false, v.money = 1, v.texture = "y";
        v.speed = 9.0f, v.level = 9, v.empty = "z", v.last = 9;
        v.token = TriggerToken();
        return v;
    }
    // Per field, in stream order: whether it equals the other's.
    std::vector<bool> Same(const Values& o) const
    {
        return {id == o.id,       name == o.name,   flag == o.flag,   money == o.money, texture == o.texture,
                speed == o.speed, level == o.level, empty == o.empty, token == o.token, last == o.last};
    }

    void Stream(IOStream& s)
    {
        s.BeginBlock();
        s.StreamUniqueId("id", id);
        s.StreamWString("name", name);
        s.StreamBool("flag", flag);
        s.StreamUInt32("money", money);
        s.StreamString("texture", texture);
        s.StreamFloat("speed", speed);
        s.StreamInt32("level", level);
        s.BeginBlock();
        s.StreamString("empty", empty);
        token.StreamProperties(s);
        s.EndBlock();
        s.EndBlock();
        s.StreamInt32("last", last);
    }
};

Bytes Written()
{
    IOStreamWrite out;
    Values().Stream(out);
    EXPECT_TRUE(out.Close());
    return Bytes(out.GetBytes().begin(), out.GetBytes().end());
}

// Reads `bytes` into sentinels and checks: the stream failed with one logged line, the
// fields read before the failure are the written ones and every later one is untouched.
void ExpectCleanFailure(const Bytes& bytes, const std::string& what)
{
    LogCapture log;
    IOStreamRead in(bytes);
    Values read = Values::Sentinels();
    read.Stream(in);
    EXPECT_TRUE(in.Failed()) << what;
    EXPECT_EQ(1u, log.Lines().size()) << what;
    const std::vector<bool> same = read.Same(Values());
    const std::vector<bool> untouched = read.Same(Values::Sentinels());
    size_t i = 0;
    while (i < same.size() && same[i])
        ++i;
    for (; i < untouched.size(); ++i)
        EXPECT_TRUE(untouched[i]) << what << ": field " << i << " was touched after the failure";
}

size_t Find(const Bytes& bytes, const std::string& key)
{
    auto at = std::search(bytes.begin(), bytes.end(), key.begin(), key.end());
    return static_cast<size_t>(at - bytes.begin()) + key.size();
}

}  // namespace

TEST(IOStreamTest, EveryKindRoundTripsThroughNestedBlocks)
{
    const Bytes bytes = Written();
    IOStreamRead in(bytes);
    Values read = Values::Sentinels();
    read.Stream(in);
    EXPECT_FALSE(in.Failed()) << in.GetError();
    EXPECT_EQ(std::vector<bool>(10, true), read.Same(Values()));
    EXPECT_EQ("Q1_Done", read.token.GetName());
}

TEST(IOStreamTest, GoldenBytes)
{
    IOStreamWrite out;
    uint32_t money = 0x01020304;
    bool flag = true;
    std::u16string name = u"A";
    out.BeginBlock();
    out.StreamUInt32("m", money);
    out.StreamBool("f", flag);
    out.StreamWString("n", name);
    out.EndBlock();
    const Bytes golden = {
        'G', 'K', 'P', 'S', 1, 0, 0, 0,   // magic, format version 1
        0x40,                             // begin block
        4, 1, 'm', 4, 3, 2, 1,            // u32 tag, key length, key "m", value
        3, 1, 'f', 1,                     // bool tag, key "f", true
        2, 1, 'n', 1, 0, 0, 0, 'A', 0,    // wide string tag, key "n", 1 unit, u"A"
        0x41,                             // end block
    };
    EXPECT_EQ(golden, Bytes(out.GetBytes().begin(), out.GetBytes().end()));
}

TEST(IOStreamTest, BrokenStreamsFailCleanlyAndLeaveLaterValuesAlone)
{
    const Bytes bytes = Written();
    for (size_t n = 0; n < bytes.size(); ++n)
        ExpectCleanFailure(Bytes(bytes.begin(), bytes.begin() + n), "cut at " + std::to_string(n));

    Bytes wrongKey = bytes;
    wrongKey[Find(bytes, "money") - 1] = 'X';
    ExpectCleanFailure(wrongKey, "wrong key");

    Bytes wrongType = bytes;
    wrongType[Find(bytes, "money") - 7] = IOStreamFormat::kInt32;
    ExpectCleanFailure(wrongType, "wrong type");

    Bytes badBool = bytes;
    badBool[Find(bytes, "flag")] = 2;
    ExpectCleanFailure(badBool, "bool of 2");

    for (uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, static_cast<uint32_t>(bytes.size())}) {
        for (const char* key : {"name", "texture"}) {
            Bytes huge = bytes;
            std::memcpy(&huge[Find(bytes, key)], &length, 4);
            ExpectCleanFailure(huge, std::string("huge length of ") + key);
        }
    }

    // A value where the end of the inner block should be.
    Bytes missingEnd = bytes;
    missingEnd.erase(missingEnd.begin() + static_cast<long>(Find(bytes, "empty") + 4));
    ExpectCleanFailure(missingEnd, "missing end");

    Bytes badHeader = bytes;
    badHeader[4] = 2;
    ExpectCleanFailure(badHeader, "unknown version");
}

// The check of a whole stream's form before it is read: what a writer wrote passes, and a
// stream cut short inside an item or a block, or holding what no reader takes, fails with
// the reason; nothing is logged.
TEST(IOStreamTest, CheckFormPassesWrittenStreamsAndNamesBrokenOnes)
{
    LogCapture log;
    const Bytes bytes = Written();
    EXPECT_EQ("", IOStreamRead::CheckForm(bytes));
    // Only the cuts after the header and after the outer block leave whole items.
    const size_t lastItem = 2 + std::strlen("last") + 4;
    for (size_t n = 0; n < bytes.size(); ++n) {
        const bool whole = n == IOStreamFormat::kHeaderSize || n == bytes.size() - lastItem;
        EXPECT_EQ(whole, IOStreamRead::CheckForm(Bytes(bytes.begin(), bytes.begin() + n)).empty()) << "cut at " << n;
    }
    Bytes badBool = bytes;
    badBool[Find(bytes, "flag")] = 2;
    EXPECT_EQ("the bool \"flag\" holds 2 (at byte " + std::to_string(Find(bytes, "flag") - 6) + ")",
              IOStreamRead::CheckForm(badBool));
    for (uint32_t length : {0xFFFFFFFFu, static_cast<uint32_t>(bytes.size())}) {
        Bytes huge = bytes;
        std::memcpy(&huge[Find(bytes, "texture")], &length, 4);
        EXPECT_NE("", IOStreamRead::CheckForm(huge)) << length;
    }
    Bytes unknownTag = bytes;
    unknownTag[Find(bytes, "money") - 7] = 0x20;
    EXPECT_NE("", IOStreamRead::CheckForm(unknownTag));
    Bytes endWithoutBegin = bytes;
    endWithoutBegin.push_back(IOStreamFormat::kEndBlock);
    EXPECT_EQ("a block was ended that was not begun (at byte " + std::to_string(bytes.size()) + ")",
              IOStreamRead::CheckForm(endWithoutBegin));
    Bytes badHeader = bytes;
    badHeader[4] = 2;
    EXPECT_NE("", IOStreamRead::CheckForm(badHeader));
    EXPECT_TRUE(log.Lines().empty());
}

TEST(IOStreamTest, WriterRefusesMisuse)
{
    LogCapture log;
    IOStreamWrite unbalanced;
    unbalanced.EndBlock();
    EXPECT_TRUE(unbalanced.Failed());

    IOStreamWrite open;
    open.BeginBlock();
    EXPECT_FALSE(open.Close());
    EXPECT_EQ("1 block(s) not ended", open.GetError());

    IOStreamWrite longKey;
    int32_t value = 1;
    longKey.StreamInt32(std::string(256, 'k').c_str(), value);
    EXPECT_TRUE(longKey.Failed());
    EXPECT_EQ(3u, log.Lines().size());
}

// A file of the stream's own, in a fresh folder; a failing write at any byte keeps it.
TEST(IOStreamTest, FilesAreReplacedWholeOrNotAtAll)
{
    std::string pattern = testing::TempDir() + "iostreamXXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    const std::filesystem::path folder = pattern;
    const std::string path = folder / "hero.chr";
    const auto fileBytes = [&] {
        std::ifstream file(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), {});
    };
    const auto names = [&] {
        std::vector<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            out.push_back(entry.path().filename());
        return out;
    };
    {
        IOStreamWrite out(path);
        Values().Stream(out);
    }   // closed by the destructor
    const Bytes oldBytes = fileBytes();
    EXPECT_EQ(Written(), oldBytes);
    IOStreamRead in(path);
    Values read = Values::Sentinels();
    read.Stream(in);
    EXPECT_FALSE(in.Failed()) << in.GetError();
    EXPECT_EQ(std::vector<bool>(10, true), read.Same(Values()));

    // The file size limit fails the write with EFBIG once the file reaches it.
    rlimit saved;
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &saved));
    const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
    LogCapture log;
    uint32_t changed = 1;
    size_t newSize = 1;
    for (size_t limit = 0; limit < newSize; ++limit) {
        IOStreamWrite out(path);
        out.StreamUInt32("changed", changed);
        Values().Stream(out);
        newSize = out.GetBytes().size();
        rlimit small = saved;
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool closed = out.Close();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_FALSE(closed) << limit;
        EXPECT_EQ(oldBytes, fileBytes()) << limit;
        EXPECT_EQ(std::vector<std::string>{"hero.chr"}, names()) << limit;
    }
    ::signal(SIGXFSZ, handler);
    EXPECT_EQ(newSize, log.Lines().size());

    // A writer that failed before Close writes no file; a missing file fails the read.
    IOStreamWrite broken(path);
    broken.EndBlock();
    EXPECT_FALSE(broken.Close());
    EXPECT_EQ(oldBytes, fileBytes());
    EXPECT_TRUE(IOStreamRead((folder / "none.chr").string()).Failed());
    std::filesystem::remove_all(folder);
}

// A save and its companion file close together: both change, or neither does and no
// temporary file stays, whichever of the two fails.
TEST(IOStreamTest, PairsAreReplacedTogetherOrNotAtAll)
{
    std::string folder = testing::TempDir() + "iostreampairXXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(folder.data()));
    const auto valueIn = [](const std::string& path) {
        IOStreamRead in(path);
        int32_t value = -1;
        in.StreamInt32("v", value);
        return value;
    };
    const auto savePair = [](const std::string& path, int32_t value, bool refuse) {
        IOStreamWrite first(path), second(path + ".tokens");
        first.StreamInt32("v", value), second.StreamInt32("v", value);
        if (refuse)
            first.Refuse("refused");
        const bool closed = IOStreamWrite::CloseTogether({&first, &second});
        EXPECT_EQ(closed, !second.Failed());
        return closed;
    };
    LogCapture log;
    const std::string hero = folder + "/hero", fresh = folder + "/new";
    ASSERT_TRUE(savePair(hero, 1, false));
    EXPECT_EQ(std::pair(1, 1), std::pair(valueIn(hero), valueIn(hero + ".tokens")));
    EXPECT_FALSE(savePair(hero, 2, true));
    EXPECT_EQ(std::pair(1, 1), std::pair(valueIn(hero), valueIn(hero + ".tokens")));
    // The second target is a folder, found only at its rename: the first, already
    // renamed, gets its previous file back, or goes when it had none.
    std::filesystem::remove(hero + ".tokens");
    std::filesystem::create_directory(hero + ".tokens");
    std::filesystem::create_directory(fresh + ".tokens");
    EXPECT_FALSE(savePair(hero, 3, false) || savePair(fresh, 3, false));
    EXPECT_EQ(1, valueIn(hero));
    EXPECT_EQ(3, std::distance(std::filesystem::directory_iterator(folder), {}));   // hero and the two folders
    std::filesystem::remove_all(folder);
}

// A set whose process ended while it was put back is put back by the next finish: what was
// kept aside returns, a new file where there was none goes, and no temporary file stays. A
// journal naming a file out of its set is refused and touches nothing.
TEST(IOStreamTest, AnUnfinishedSetIsFinishedWithinItsOwnFiles)
{
    std::string folder = testing::TempDir() + "iostreamjournalXXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(folder.data()));
    const std::string hero = folder + "/hero";
    const auto put = [](const std::string& path, const std::string& text) { std::ofstream(path) << text; };
    const auto text = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto journal = [&](uint32_t state, std::vector<std::array<std::string, 3>> files) {
        IOStreamWrite out(IOStreamWrite::JournalPath(hero));
        uint32_t count = static_cast<uint32_t>(files.size());
        out.BeginBlock();
        out.StreamUInt32("state", state);
        out.StreamUInt32("files", count);
        for (auto& file : files)
            out.StreamString("file", file[0]), out.StreamString("temporary", file[1]), out.StreamString("kept", file[2]);
        out.EndBlock();
        ASSERT_TRUE(out.Close());
    };
    // Putting back (state 2): the character renamed in, its previous kept aside; the tokens
    // not yet renamed; the progress renamed in where there was none.
    put(hero, "new"), put(hero + ".1.old.tmp", "old"), put(hero + ".tokens", "old"), put(hero + ".tokens.2.tmp", "new");
    put(hero + ".village", "new");
    journal(2, {{"", ".0.tmp", ".1.old.tmp"}, {".tokens", ".2.tmp", ".3.old.tmp"}, {".village", ".4.tmp", ""}});
    EXPECT_EQ("", IOStreamWrite::FinishTogether(hero));
    EXPECT_EQ(std::pair(std::string("old"), std::string("old")), std::pair(text(hero), text(hero + ".tokens")));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(folder), {}));   // hero and its tokens
    // Committed (state 1), naming a file beside the set's folder.
    std::filesystem::create_directory(hero + ".quests");
    put(folder + "/../victim.tmp", "new");
    journal(1, {{".quests/../../victim", ".tmp", ""}});
    LogCapture log;
    EXPECT_NE("", IOStreamWrite::FinishTogether(hero));
    EXPECT_EQ("new", text(folder + "/../victim.tmp"));
    EXPECT_TRUE(std::filesystem::exists(IOStreamWrite::JournalPath(hero)));
    std::filesystem::remove(folder + "/../victim.tmp");
    std::filesystem::remove_all(folder);
}
