// Animation files are read from disk once per data root: one loaded again after its last
// unload comes from memory, and a file that is missing is not looked for again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/LoadTable.h"
#include "TempFolder.h"

using namespace GAME;

namespace {

TEST(AnimationFileCache, AFileIsReadOncePerDataRootAndAMissingOneStaysMissing)
{
    const TempFolder folder("anim_file_cache_");
    const std::filesystem::path& root = folder.Path();
    ASSERT_FALSE(root.empty());
    std::filesystem::create_directories(root / "Anims");
    auto write = [&](const char* text) { std::ofstream(root / "Anims" / "Step.anm") << text; };
    write("length,40,\n");
    RecordDatabase::Get().SetDataRoot(root.string());
    GraphicsEngine& graphics = *GraphicsEngine::Get();

    GraphicsAnim* first = graphics.LoadAnimation("anims/step.anm");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetLength(), 40u);
    graphics.UnloadAnimation(first);
    EXPECT_EQ(graphics.LoadAnimation("Anims/Missing.anm"), nullptr);

    // What is on disk now is not read again under the same root.
    write("length,12,\n");
    std::ofstream(root / "Anims" / "Missing.anm") << "length,5,\n";
    GraphicsAnim* again = graphics.LoadAnimation("Anims/Step.anm");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetLength(), 40u);
    graphics.UnloadAnimation(again);
    EXPECT_EQ(graphics.LoadAnimation("Anims/Missing.anm"), nullptr);

    // A new data root reads the files anew.
    RecordDatabase::Get().SetDataRoot((root / ".").string());
    GraphicsAnim* fresh = graphics.LoadAnimation("Anims/Step.anm");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetLength(), 12u);
    graphics.UnloadAnimation(fresh);
    GraphicsAnim* found = graphics.LoadAnimation("Anims/Missing.anm");
    ASSERT_NE(found, nullptr);
    graphics.UnloadAnimation(found);

    RecordDatabase::Get().SetDataRoot("");
}

TEST(AnimationFileCache, AFileThatParsedCleanlyIsCopiedAndOneThatWarnedWarnsAtEveryLoad)
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "anim_file_parse_cache_test";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "Anims");
    std::ofstream(root / "Anims" / "Clean.anm") << "length,20,\nframeRate,24,\nevent,3,LeftFoot,\nragDollPush,far,\n";
    std::ofstream(root / "Anims" / "Warns.anm") << "length,20,\ncolour,red,\nevent,30,PastTheEnd,\n";
    RecordDatabase::Get().SetDataRoot(root.string());
    GraphicsEngine& graphics = *GraphicsEngine::Get();
    LogCapture log;

    for (const char* spelling : {"Anims/Clean.anm", "anims\\CLEAN.anm"}) {
        GraphicsAnim* clean = graphics.LoadAnimation(spelling);
        ASSERT_NE(clean, nullptr);
        EXPECT_EQ(clean->GetName(), spelling);
        EXPECT_EQ(clean->GetLength(), 20u);
        EXPECT_EQ(clean->GetFrameRate(), 24);
        ASSERT_EQ(clean->GetEvents().size(), 1u);
        EXPECT_EQ(clean->GetEvents()[0].frame, 3);
        EXPECT_EQ(clean->GetRagDollPush(), "far");
        graphics.UnloadAnimation(clean);
    }
    EXPECT_TRUE(log.Lines().empty());

    for (int load = 1; load <= 2; ++load) {
        GraphicsAnim* warns = graphics.LoadAnimation("Anims/Warns.anm");
        ASSERT_NE(warns, nullptr);
        EXPECT_TRUE(warns->GetEvents().empty());
        graphics.UnloadAnimation(warns);
        EXPECT_EQ(log.Lines().size(), 2u * load);   // the unknown key and the late event, each time
    }

    RecordDatabase::Get().SetDataRoot("");
    std::filesystem::remove_all(root);
}

}  // namespace
