// Animation files are read from disk once per data root: one loaded again after its last
// unload comes from memory, and a file that is missing is not looked for again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace
