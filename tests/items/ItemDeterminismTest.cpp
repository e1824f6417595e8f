// Every bundled item record, at several seeds and with bundled prefixes and suffixes,
// rebuilds the same values along every road an item is made by.
//
// Affixes: a bundled record under Records/Item that names no "Class" and either has
// "lootRandomizerName" or lies in a folder named Affix, Prefix or Suffix. It is a prefix
// when its path says "prefix" (any case), else a suffix. Every other record is tried as
// an item; records of other classes create nothing and are left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Engine/IOStreamReadWrite.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/network/ItemTradePackets.h"
#include "core/EngineFixture.h"
#include "items/ItemFingerprint.h"
#include "network/PacketTestUtil.h"

namespace GAME {
namespace {

struct BundledItems {
    std::vector<std::string> items, prefixes, suffixes;
};

BundledItems FindBundledItems()
{
    namespace fs = std::filesystem;
    BundledItems found;
    const fs::path root(GAME_DATA_DIR);
    for (const auto& entry : fs::recursive_directory_iterator(root / "Records" / "Item")) {
        if (!entry.is_regular_file() || entry.path().extension() != ".dbr")
            continue;
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        const std::string record = "\n" + text.str();
        std::string name = fs::relative(entry.path(), root).generic_string();
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::string folder = fs::path(lower).parent_path().filename().string();
        const bool affix = record.find("\nClass,") == std::string::npos &&
                           (record.find("\nlootRandomizerName,") != std::string::npos || folder == "affix" ||
                            folder == "prefix" || folder == "suffix");
        if (!affix)
            found.items.push_back(name);
        else if (lower.find("prefix") != std::string::npos)
            found.prefixes.push_back(name);
        else
            found.suffixes.push_back(name);
    }
    for (auto* list : {&found.items, &found.prefixes, &found.suffixes})
        std::sort(list->begin(), list->end());
    return found;
}

class ItemDeterminismTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        previousSink = gEngine->SetLogSink([](const LogLine&) {});
        World::Get().AddRegion(1, "R");
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
    const BundledItems bundled = FindBundledItems();
    ASSERT_FALSE(bundled.prefixes.empty());
    ASSERT_FALSE(bundled.suffixes.empty());
    size_t itemsMade = 0;
    const uint32_t seeds[] = {0, 1, 4464, 65535};
    for (const std::string& record : bundled.items) {
        std::vector<std::string> prints;
        for (size_t k = 0; k < std::size(seeds); ++k) {
            ItemReplicaInfo info;
            info.baseName = record;
            info.seed = seeds[k];
            info.prefixName = k % 2 ? bundled.prefixes[k % bundled.prefixes.size()] : "";
            info.suffixName = k >= 2 ? bundled.suffixes[k % bundled.suffixes.size()] : "";
            SCOPED_TRACE(record + " " + info.prefixName + " " + info.suffixName + " " + std::to_string(info.seed));
            Item* item = Item::CreateItem(info);
            if (!item)
                continue;   // not an item record
            ++itemsMade;
            const std::string print = Print(item);
            prints.push_back(print);
            EXPECT_EQ(Print(Item::CreateItem(info)), print) << "created twice";
            item->InitializeItem();
            EXPECT_EQ(Print(item), print) << "initialised again";

            BinaryWriter saved;
            item->SaveState(saved);
            auto* restored = ObjectManager::Get().CreateObjectFromFile<Item>(record);
            BinaryReader reader(saved.GetBuffer(), saved.GetLength());
            ASSERT_TRUE(restored->RestoreState(reader));
            EXPECT_EQ(Print(restored), print) << "binary form";

            IOStreamWrite stream;
            ItemReplicaInfo streamed = item->GetItemReplicaInfo();
            streamed.StreamProperties(stream);
            const auto bytes = stream.GetBytes();
            IOStreamRead streamReader(bytes.data(), bytes.size());
            ItemReplicaInfo read;
            read.StreamProperties(streamReader);
            ASSERT_FALSE(streamReader.Failed());
            EXPECT_EQ(Print(Item::CreateItem(read)), print) << "stream form";

            // The packet that creates an item on another peer, under the same id there.
            CreateItemPacket packet;
            packet.item = item->GetItemReplicaInfo();
            const Bytes sent = Written(packet);
            ObjectManager::Get().DestroyObjectEx(item, "test", __LINE__);
            ObjectManager::Get().FlushDestroyedObjects();
            CreateItemPacket received;
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
    EXPECT_GT(itemsMade, 0u);
}

}  // namespace
}  // namespace GAME
