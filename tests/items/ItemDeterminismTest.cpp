// Every bundled item record, at several seeds with bundled affixes, rebuilds the same
// values along every road an item is made by. Affixes: records under Records/Item naming
// no "Class" that have "lootRandomizerName" or lie in an Affix, Prefix or Suffix folder;
// a prefix when the path says "prefix", else a suffix. Other records are tried as items.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Engine/IOStreamReadWrite.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/items/ItemFingerprint.h"
#include "Game/network/ItemTradePackets.h"
#include "core/EngineFixture.h"
#include "network/PacketTestUtil.h"

namespace GAME {
namespace {

class ItemDeterminismTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        previousSink = gEngine->SetLogSink([](const LogLine&) {});
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        EngineTest::TearDown();
    }
    static std::string Print(const Item* item) { return item ? ItemFingerprint(*item).Get() : "none"; }
    LogSink previousSink;
};

TEST_F(ItemDeterminismTest, EveryRoadRebuildsTheSameItem)
{
    namespace fs = std::filesystem;
    std::vector<std::string> items, affixes[2];   // prefixes, suffixes
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(GAME_DATA_DIR) / "Records" / "Item")) {
        std::stringstream text;
        text << "\n" << std::ifstream(entry.path()).rdbuf();
        std::string name = fs::relative(entry.path(), GAME_DATA_DIR).generic_string(), lower = name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string folder = fs::path(lower).parent_path().filename().string();
        if (!entry.is_regular_file() || entry.path().extension() != ".dbr")
            continue;
        if (text.str().find("\nClass,") == std::string::npos &&
            (text.str().find("\nlootRandomizerName,") != std::string::npos || folder == "affix" ||
             folder == "prefix" || folder == "suffix"))
            affixes[lower.find("prefix") == std::string::npos].push_back(name);
        else
            items.push_back(name);
    }
    ASSERT_FALSE(affixes[0].empty() || affixes[1].empty());
    size_t made = 0;
    const uint32_t seeds[] = {0, 1, 4464, 65535};
    for (const std::string& record : items) {
        std::vector<std::string> prints;
        for (size_t k = 0; k < std::size(seeds); ++k) {
            ItemReplicaInfo info;
            info.baseName = record;
            info.seed = seeds[k];
            info.prefixName = k % 2 ? affixes[0][k % affixes[0].size()] : "";
            info.suffixName = k >= 2 ? affixes[1][k % affixes[1].size()] : "";
            SCOPED_TRACE(record + " " + info.prefixName + " " + info.suffixName + " " + std::to_string(info.seed));
            Item* item = Item::CreateItem(info);
            if (!item)
                continue;   // a record of another class
            ++made;
            prints.push_back(Print(item));
            const std::string& print = prints.back();
            EXPECT_EQ(Print(Item::CreateItem(info)), print) << "created twice";
            item->InitializeItem();
            EXPECT_EQ(Print(item), print) << "initialised again";

            BinaryWriter saved;
            item->SaveState(saved);
            auto* restored = ObjectManager::Get().CreateObjectFromFile<Item>(record);
            BinaryReader reader(saved.GetBuffer(), saved.GetLength());
            EXPECT_TRUE(restored->RestoreState(reader));
            EXPECT_EQ(Print(restored), print) << "binary form";

            IOStreamWrite stream;
            ItemReplicaInfo streamed = item->GetItemReplicaInfo();
            streamed.StreamProperties(stream);
            IOStreamRead streamReader(stream.GetBytes().data(), stream.GetBytes().size());
            ItemReplicaInfo read;
            read.StreamProperties(streamReader);
            EXPECT_EQ(Print(Item::CreateItem(read)), print) << "stream form";

            // The packet that creates the item on another peer, under the same id there.
            CreateItemPacket packet, received;
            packet.item = item->GetItemReplicaInfo();
            const Bytes sent = Written(packet);
            ObjectManager::Get().DestroyObjectEx(item, "test", __LINE__);
            ObjectManager::Get().FlushDestroyedObjects();
            ASSERT_TRUE(ReadInto(received, sent));
            Item* remote = Item::CreateItem(received.item);
            ASSERT_NE(remote, nullptr);
            EXPECT_EQ(remote->GetObjectId(), packet.item.objectId);
            EXPECT_EQ(Print(remote), print) << "create-item packet";

            Player* wearer = MakeMainPlayer();
            remote->AttachItem(*wearer, "");
            remote->InitializeItem();
            EXPECT_EQ(Print(remote), print) << "initialised again while worn";
            remote->DetachItem(*wearer);
            ObjectManager::Get().DestroyObjectEx(wearer, "test", __LINE__);
            ObjectManager::Get().FlushDestroyedObjects();
        }
        if (prints.size() == std::size(seeds)) {
            EXPECT_NE(prints[0], prints[3]) << record << ": the fingerprint sees the identity";
        }
    }
    EXPECT_GT(made, 0u);
}

}  // namespace
}  // namespace GAME
