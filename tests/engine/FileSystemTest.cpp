// A file is read whole, to a bound, and only a regular file is: a pipe or a device is refused
// unopened, so that no read waits on a writer (a save's stream, an animation file). A script a user pipes in is read to its end,
// and given up when its writer is silent.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "TempFolder.h"

namespace GAME {
namespace {

namespace fs = std::filesystem;

TEST(ReadWholeFile, ReadsARegularFileToItsBoundAndRefusesEveryOtherKind)
{
    TempFolder folder{"read_whole_"};
    ASSERT_FALSE(folder.Path().empty());
    const std::string file = (folder.Path() / "clicks.txt").string();
    std::ofstream(file) << "at 1 walk\n";
    std::string text;
    EXPECT_EQ(ReadWholeFile(file, text, 10), "");
    EXPECT_EQ(text, "at 1 walk\n");
    EXPECT_EQ(ReadWholeFile(file, text, 9), "is larger than 9 bytes");
    EXPECT_EQ(text, "");
    EXPECT_EQ(ReadWholeFile(folder.Path().string(), text), "is a folder, not a file");
    EXPECT_EQ(ReadWholeFile(file + ".none", text), "cannot be read (No such file or directory)");
    // A device and a pipe nobody writes to, by their names or through a link.
    EXPECT_EQ(ReadWholeFile("/dev/zero", text, 1000), "is not a regular file (a character device)");
    const std::string pipe = (folder.Path() / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, folder.Path() / "link");
    EXPECT_EQ(ReadWholeFile(pipe, text), "is not a regular file (a FIFO)");
    EXPECT_EQ(ReadWholeFile((folder.Path() / "link").string(), text), "is not a regular file (a FIFO)");
    // A save's stream and an animation file are read so too.
    const IOStreamRead stream(pipe);
    EXPECT_TRUE(stream.Failed());
    EXPECT_NE(stream.GetError().find("is not a regular file (a FIFO)"), std::string::npos) << stream.GetError();
    const LogCapture log;
    RecordDatabase::Get().SetDataRoot(folder.Path().string());
    EXPECT_EQ(GraphicsEngine::Get()->LoadAnimation("Pipe"), nullptr);
    RecordDatabase::Get().SetDataRoot("");
}

TEST(ReadWholeStream, ReadsAPipeToItsEndAndGivesUpOnASilentOne)
{
    TempFolder folder{"read_stream_"};
    ASSERT_FALSE(folder.Path().empty());
    // A pipe whose writer wrote and closed it: its bytes, once.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string clicks = "1 clear\n2 pet 3 4\n";
    ASSERT_EQ(::write(ends[1], clicks.data(), clicks.size()), static_cast<ssize_t>(clicks.size()));
    ::close(ends[1]);
    std::string text;
    EXPECT_EQ(ReadWholeStream("/proc/self/fd/" + std::to_string(ends[0]), text), "");
    ::close(ends[0]);
    EXPECT_EQ(text, clicks);
    // Nobody ever writes to this one.
    const std::string pipe = (folder.Path() / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeStream(pipe, text, kMaxReadFileBytes, 50),
              "sent nothing for 50 ms (a pipe or a terminal nobody writes to)");
    EXPECT_EQ(ReadWholeStream("/dev/zero", text, 1000), "is larger than 1000 bytes");
    EXPECT_EQ(ReadWholeStream(folder.Path().string(), text), "is a folder, not a file");
}

TEST(FindUnreadableFile, NamesTheFirstFileThatIsNoRegularFileOrPastItsBound)
{
    TempFolder folder{"scan_"};
    ASSERT_FALSE(folder.Path().empty());
    const fs::path root = folder.Path();
    fs::create_directories(root / "Fighter");
    std::ofstream(root / "Fighter" / "Run.anm") << "length,30,\n";
    std::ofstream(root / "Walk.anm") << "length,9,\n";
    // Links back up make a folder without end: the scan ends all the same.
    fs::create_directory_symlink(root, root / "Fighter" / "Up");
    fs::create_directory_symlink(root, root / "Fighter" / "Upper");
    EXPECT_EQ(FindUnreadableFile(root.string(), 11), "");
    EXPECT_EQ(FindUnreadableFile(root.string(), 10), "Fighter/Run.anm is larger than 10 bytes");
    ASSERT_EQ(::mkfifo((root / "Fighter" / "Idle.anm").c_str(), 0600), 0);
    EXPECT_EQ(FindUnreadableFile(root.string(), 11), "Fighter/Idle.anm is not a regular file (a FIFO)");
    EXPECT_EQ(FindUnreadableFile((root / "Nowhere").string(), 11), "");
}

}  // namespace
}  // namespace GAME
