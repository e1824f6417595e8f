// The character save: a full round trip, saves of older versions built key by key, the
// tutorial pages, places appended, skipped groups, refused counts and controllers, values
// out of range, and a save cut at every byte.
#include <cstdlib>
#include <fstream>

#include "characters/CharacterWorldFixture.h"
#include "characters/RecordingStream.h"
#include "Engine/IOStreamReadWrite.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/characters/PlayerSave.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

UniqueId Id(uint32_t value)
{
    UniqueId id;
    id.SetPart(0, value);
    id.SetPart(3, ~value);
    return id;
}

class RecordingUI : public PlayerGameInterface {
public:
    void RestoreUISettings(const PlayerSave_UISetting& settings) override { restored.push_back(settings); }
    std::vector<PlayerSave_UISetting> restored;
};

// The player's own block as a save of `version` holds it, field by field; the parts'
// blocks follow from a donor player.
struct SaveBuilder {
    uint32_t version = 5;
    std::vector<int32_t> pages = std::vector<int32_t>(36, -1);
    uint32_t pageCount = 36;
    int32_t groupVersion[3] = {1, 1, 1};
    std::vector<UniqueId> teleports{Id(7), Id(7)};
    uint32_t teleportCount = 2;   // the count written for Normal
    int32_t temp = 1;

    std::vector<unsigned char> Build(Player& donor) const
    {
        IOStreamWrite s;
        uint32_t v = version;
        s.StreamUInt32("playerVersion", v);
        s.BeginBlock();
        std::u16string name = u"Old";
        s.StreamWString("myPlayerName", name);
        bool flag = false;
        if (version >= 5)
            s.StreamBool("isInMainQuest", flag);
        s.StreamBool("disableAutoPopV2", flag);
        uint32_t n = pageCount;
        s.StreamUInt32("numTutorialPagesV2", n);
        for (int32_t page : pages)
            s.StreamInt32("currentPageV2", page);
        const char* keys[3][3] = {{"versionCheckTeleportInfo", "teleportUIDsSize", "teleportUID"},
                                  {"versionCheckMovementInfo", "markerUIDsSize", "markerUID"},
                                  {"versionCheckRespawnInfo", "respawnUIDsSize", "respawnUID"}};
        for (int group = 0; group < 3; ++group) {
            int32_t g = groupVersion[group];
            s.StreamInt32(keys[group][0], g);
            if (g != 1)
                continue;
            for (int difficulty = 0; difficulty < 3; ++difficulty) {
                const bool listed = group == 0 && difficulty == 0;
                uint32_t count = listed ? teleportCount : 0;
                s.StreamUInt32(keys[group][1], count);
                if (listed)
                    for (UniqueId id : teleports)
                        s.StreamUniqueId(keys[group][2], id);
            }
        }
        int32_t one = 1;
        s.StreamInt32("versionRespawnPoint", one);
        for (int i = 0; i < 3; ++i) {
            UniqueId id = Id(30 + i);
            s.StreamUniqueId("strategicMovementRespawnPoint[i]", id);
        }
        uint32_t money = 77;
        s.StreamUInt32("money", money);
        int32_t compass = 2;
        s.StreamInt32("compassState", compass);
        s.StreamBool("skillWindowShowHelp", flag);
        s.StreamBool("alternateConfig", flag);
        s.StreamBool("alternateConfigEnabled", flag);
        std::string texture = "Old.tex";
        s.StreamString("playerTexture", texture);
        int32_t difficulty = temp;
        if (version >= 3)
            s.StreamInt32("temp", difficulty);
        bool been = true;
        if (version >= 4)
            s.StreamBool("hasBeenInGame", been);
        s.EndBlock();
        donor.GetSkillManager().StreamProperties(s);
        donor.StreamPropertiesUI(s);
        donor.GetLevelControl().StreamProperties(s);
        donor.GetCharacterBio().StreamProperties(s);
        donor.GetPlayStats().StreamProperties(s);
        donor.StreamPropertiesInventory(s);
        donor.GetPlayerHotSlotCtrl().StreamProperties(s);
        EXPECT_TRUE(s.Close());
        return {s.GetBytes().begin(), s.GetBytes().end()};
    }
};

}  // namespace

class PlayerSaveTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        RecordDatabase::Get().RegisterRecord(kSkill, "Class,Skill,\nskillMaxLevel,10,\n");
        RecordDatabase::Get().RegisterRecord(kPlayer, "Class,Player,\n");
        // Items with a bitmap: they take a cell in the bags.
        RecordDatabase::Get().RegisterRecord(kItem, "Class,ItemEquipment,\n");
        RecordDatabase::Get().RegisterRecord(kPotion, "Class,OneShot_PotionHealth,\nbitmap,P.tex,\n");
        engine->ResetTutorialState();
    }
    Player* Fresh(bool controlling = true)
    {
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayer);
        player->SetIsControllingCharacter(controlling);
        return player;
    }
    static std::vector<unsigned char> Save(Player& player)
    {
        IOStreamWrite out;
        EXPECT_TRUE(player.StreamProperties(out));
        EXPECT_TRUE(out.Close());
        return {out.GetBytes().begin(), out.GetBytes().end()};
    }
    static bool Load(Player& player, const std::vector<unsigned char>& bytes, std::string* error = nullptr)
    {
        IOStreamRead in(bytes);
        const bool ok = player.StreamProperties(in);
        EXPECT_EQ(ok, !in.Failed());
        if (error)
            *error = in.GetError();
        return ok;
    }
    static constexpr const char* kSkill = "Records/Test/SavedSkill.dbr";
    static constexpr const char* kPlayer = "Records/Test/SavedPlayer.dbr";
    static constexpr const char* kItem = "Records/Test/SavedItem.dbr";
    static constexpr const char* kPotion = "Records/Test/SavedPotion.dbr";
};

TEST_F(PlayerSaveTest, FullRoundTrip)
{
    Player* player = Place(Fresh());
    player->SetPlayerName(u"Hero");
    player->SetCurrentMoney(1234);
    player->SetIsInMainQuest(false);
    player->SetHasBeenInGame(true);
    player->SetGreatestDifficultyCompleted(1);
    player->SetCompassState(-4);
    player->EnableAlternateConfig();
    player->SetPlayerTexture("Skin.tex");
    for (int difficulty = 0; difficulty < 3; ++difficulty) {
        engine->SetGameDifficulty(static_cast<GameDifficulty>(difficulty));
        player->AddTeleportUID(Id(10 + difficulty));
        player->AddMarkerUID(Id(20 + difficulty));
        player->AddRespawnUID(Id(30 + difficulty));
    }
    engine->SetGameDifficulty(GameDifficulty_Normal);
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
    player->GetSkillManager().AddSkill(skill);
    skill->ReceiveStateUpdate(SkillState{3, true}, true);
    player->GetSkillManager().SetSkillMasteriesAllowed(2);
    HotSlotOptionSkill primary(skill->GetObjectId());
    primary.SetPlayer(player);
    player->GetPlayerHotSlotCtrl().SetPrimarySlot(&primary);
    player->BestowToken(TriggerToken("Gate"));
    ItemReplicaInfo identity;
    identity.baseName = kItem;
    identity.suffixName = "Records/Test/Suffix.dbr";
    identity.seed = 0xBEEF;
    Item* item = Item::CreateItem(identity);
    player->GetInventory().AddItemToInventory(item->GetObjectId(), true);
    player->GetPlayerController()->GetInventoryCtrl().AddItem(item->GetObjectId(), true);
    Frame();
    engine->UnlockTutorialPage(9, false);
    engine->UnlockTutorialPage(3, false);
    engine->SetDisableTutorialAutoPop(true);
    const std::vector<unsigned char> bytes = Save(*player);
    IOStreamWrite tokensOut;
    EXPECT_TRUE(player->StreamPropertiesQuestTokens(tokensOut));

    engine->ResetTutorialState();
    Player* loaded = Fresh();
    RecordingUI ui;
    loaded->SetGameInterface(&ui);
    auto* copy = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkill);
    loaded->GetSkillManager().AddSkill(copy);
    ASSERT_TRUE(Load(*loaded, bytes));
    IOStreamRead tokensIn(tokensOut.GetBytes().data(), tokensOut.GetBytes().size());
    EXPECT_TRUE(loaded->StreamPropertiesQuestTokens(tokensIn));

    EXPECT_EQ(loaded->GetPlayerName(), u"Hero");
    EXPECT_EQ(loaded->GetCurrentMoney(), 1234u);
    EXPECT_FALSE(loaded->IsInMainQuest());
    EXPECT_TRUE(loaded->GetHasBeenInGame());
    EXPECT_EQ(loaded->GetGreatestDifficultyCompleted(), 1);
    EXPECT_EQ(loaded->GetCompassState(), -4);
    EXPECT_TRUE(loaded->GetAlternateConfigEnabled());
    EXPECT_EQ(loaded->GetPlayerTexture(), "Skin.tex");
    for (int difficulty = 0; difficulty < 3; ++difficulty) {
        EXPECT_EQ(loaded->GetTeleportUIDs(difficulty), std::vector<UniqueId>{Id(10 + difficulty)});
        EXPECT_EQ(loaded->GetMarkerUIDs(difficulty), std::vector<UniqueId>{Id(20 + difficulty)});
        EXPECT_EQ(loaded->GetRespawnUIDs(difficulty), std::vector<UniqueId>{Id(30 + difficulty)});
        EXPECT_EQ(loaded->GetRespawnPoint(difficulty), Id(30 + difficulty));
    }
    EXPECT_EQ(copy->GetSkillState(), (SkillState{3, true}));
    EXPECT_EQ(loaded->GetSkillManager().GetSkillMasteriesAllowed(), 2u);
    ASSERT_NE(loaded->GetPlayerHotSlotCtrl().GetPrimarySlot(), nullptr);
    EXPECT_EQ(loaded->GetPlayerHotSlotCtrl().GetPrimarySlot()->GetSkillId(), copy->GetObjectId());
    EXPECT_TRUE(loaded->HasToken("Gate"));
    // The bag's item is made afresh from its identity and owned by the player's inventory.
    const std::vector<uint32_t>& bag = loaded->GetPlayerController()->GetInventoryCtrl().GetItems();
    ASSERT_EQ(bag.size(), 1u);
    EXPECT_NE(bag[0], item->GetObjectId());
    EXPECT_TRUE(loaded->GetInventory().IsItemInInventory(bag[0]));
    const ItemReplicaInfo& restored = ObjectManager::Get().GetObject<Item>(bag[0])->GetItemReplicaInfo();
    EXPECT_EQ(restored.suffixName, identity.suffixName);
    EXPECT_EQ(restored.seed, identity.seed);
    EXPECT_EQ(engine->GetTutorialUnlockList(), (std::vector<uint32_t>{9, 3}));
    EXPECT_TRUE(engine->GetDisableTutorialAutoPop());
    // The settings are always the defaults: the first skill entry active.
    ASSERT_EQ(ui.restored.size(), 1u);
    EXPECT_TRUE(ui.restored[0].skillBar[0].skillActive);
    EXPECT_FALSE(ui.restored[0].skillBar[1].skillActive);
    EXPECT_FALSE(loaded->GetNeedsSave());
    // What was read writes the same bytes again.
    engine->SetDisableTutorialAutoPop(true);
    EXPECT_EQ(Save(*loaded), bytes);
}

TEST_F(PlayerSaveTest, OlderVersionsAndTheTutorialPages)
{
    Player* donor = Fresh();
    std::vector<std::pair<uint32_t, uint32_t>> unlocks;
    auto previous = EventManager::Get().SetSendObserver([&](const GameEvent&, const Name& name) {
        if (std::string(name.c_str()) == "GameEvent_TutorialUnlock")
            unlocks.emplace_back(0, 0);
    });
    // Version 2: no "isInMainQuest", "temp" or "hasBeenInGame"; those keep their values.
    SaveBuilder v2;
    v2.version = 2;
    Player* old = Fresh();
    ASSERT_TRUE(Load(*old, v2.Build(*donor)));
    EXPECT_EQ(old->GetPlayerName(), u"Old");
    EXPECT_EQ(old->GetCurrentMoney(), 77u);
    EXPECT_TRUE(old->IsInMainQuest());
    EXPECT_FALSE(old->GetHasBeenInGame());
    EXPECT_EQ(old->GetGreatestDifficultyCompleted(), 0);   // still "none"

    // Ten pages are read and dropped: the tutorial state stays reset.
    engine->UnlockTutorialPage(5, false);
    SaveBuilder ten;
    ten.pageCount = 10;
    ten.pages = std::vector<int32_t>(10, 4);
    ASSERT_TRUE(Load(*Fresh(), ten.Build(*donor)));
    EXPECT_TRUE(engine->GetTutorialUnlockList().empty());

    // A full list: the pages that are not -1, in stored order, with no event.
    SaveBuilder full;
    full.pages[0] = 12;
    full.pages[2] = 4;
    full.pages[35] = 30;
    ASSERT_TRUE(Load(*Fresh(), full.Build(*donor)));
    EXPECT_EQ(engine->GetTutorialUnlockList(), (std::vector<uint32_t>{12, 4, 30}));
    EXPECT_TRUE(unlocks.empty());
    EventManager::Get().SetSendObserver(std::move(previous));
}

TEST_F(PlayerSaveTest, PlacesAppendAndSkippedGroups)
{
    Player* donor = Fresh();
    Player* player = Fresh();
    player->AddTeleportUID(Id(7));
    player->AddTeleportUID(Id(1));
    SaveBuilder builder;   // two stored entries, both Id(7)
    ASSERT_TRUE(Load(*player, builder.Build(*donor)));
    EXPECT_EQ(player->GetTeleportUIDs(0), (std::vector<UniqueId>{Id(7), Id(1), Id(7), Id(7)}));

    // A group version of 0 has no counts: the next group follows at once.
    SaveBuilder skipped;
    skipped.groupVersion[0] = 0;
    Player* other = Fresh();
    ASSERT_TRUE(Load(*other, skipped.Build(*donor)));
    EXPECT_TRUE(other->GetTeleportUIDs(0).empty());
    EXPECT_EQ(other->GetCurrentMoney(), 77u);
}

TEST_F(PlayerSaveTest, RefusedCountsControllersAndValues)
{
    Player* donor = Fresh();
    std::string error;
    // A count beyond the bytes left, and one above its cap.
    for (uint32_t count : {3u, 0xFFFFFFFFu, Player::kMaxSavedPlaces + 1}) {
        SaveBuilder flipped;
        flipped.teleportCount = count;
        EXPECT_FALSE(Load(*Fresh(), flipped.Build(*donor), &error)) << count;
    }
    EXPECT_NE(error.find("\"teleportUIDsSize\""), std::string::npos) << error;
    SaveBuilder pages;
    pages.pageCount = 0x7FFFFFFF;
    EXPECT_FALSE(Load(*Fresh(), pages.Build(*donor), &error));
    EXPECT_NE(error.find("numTutorialPagesV2"), std::string::npos) << error;

    IOStreamWrite tokens;
    int32_t version = 1, count = 0x40000000;
    tokens.StreamInt32("versionNumber", version);
    tokens.BeginBlock();
    tokens.StreamInt32("numberOfTriggerTokens", count);
    IOStreamRead tokensIn(tokens.GetBytes().data(), tokens.GetBytes().size());
    Player* holder = Fresh();
    EXPECT_FALSE(holder->StreamPropertiesQuestTokens(tokensIn));
    EXPECT_TRUE(holder->GetTriggerTokens().empty());

    // Inventory data for a player with the stub controller: refused, nothing read into it.
    EXPECT_FALSE(Load(*Fresh(false), Save(*donor), &error));
    EXPECT_NE(error.find("without its own controller"), std::string::npos) << error;

    // A difficulty and a level out of range are not taken; the rest reads.
    SaveBuilder odd;
    odd.temp = 7;
    Player* player = Fresh();
    player->SetGreatestDifficultyCompleted(2);
    ASSERT_TRUE(Load(*player, odd.Build(*donor)));
    EXPECT_EQ(player->GetGreatestDifficultyCompleted(), 2);
    RecordingStream levels;
    levels.entries = {{"<block>", 0u}, {"currentStats.charLevel", 0u}, {"currentStats.experiencePoints", 9u},
                      {"modifierPoints", 0u}, {"skillPoints", 0u}, {"</block>", 0u}};
    levels.reading = true;
    player->GetLevelControl().StreamProperties(levels);
    EXPECT_EQ(player->GetLevelControl().GetLevel(), 1u);
    EXPECT_EQ(player->GetLevelControl().GetExperience(), 9u);
}

// Whatever a player holds, its save loads: bags, places and tokens past the caps a read
// takes are saved up to them, and what is left out is logged.
TEST_F(PlayerSaveTest, ListsPastTheReadCapsSaveUpToThemAndLoad)
{
    // Reads append, so two full lists of places and of tokens hold twice the caps.
    SaveBuilder places;
    places.teleports.assign(places.teleportCount = Player::kMaxSavedPlaces, Id(7));
    const std::vector<unsigned char> placeBytes = places.Build(*Fresh());
    IOStreamWrite tokens;
    int32_t version = 1, count = static_cast<int32_t>(Player::kMaxSavedTokens);
    tokens.StreamInt32("versionNumber", version);
    tokens.BeginBlock();
    tokens.StreamInt32("numberOfTriggerTokens", count);
    for (int32_t i = 0; i < count; ++i)
        TriggerToken("T" + std::to_string(i)).StreamProperties(tokens);
    tokens.EndBlock();
    Player* player = Place(Fresh());
    for (int i = 0; i < 2; ++i) {
        IOStreamRead tokensIn(tokens.GetBytes().data(), tokens.GetBytes().size());
        ASSERT_TRUE(Load(*player, placeBytes) && player->StreamPropertiesQuestTokens(tokensIn));
    }
    PlayerInventoryCtrl& bag = player->GetPlayerController()->GetInventoryCtrl();
    // One potion in the bag, the others stacked beneath it.
    RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "potionStackLimit,20000,\n");
    ItemReplicaInfo identity;
    identity.baseName = kPotion;
    for (uint32_t i = 0; i <= PlayerInventoryCtrl::kMaxSavedItems; ++i)
        bag.AddItem(Item::CreateItem(identity)->GetObjectId(), false);

    LogCapture log;
    const std::vector<unsigned char> bytes = Save(*player);
    IOStreamWrite tokensOut;
    player->StreamPropertiesQuestTokens(tokensOut);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{
        "IOStream: 20000 entries under \"teleportUIDsSize\"; the first 10000 are saved, 10000 are left out",
        "IOStream: 10001 entries under \"size\"; the first 10000 are saved, 1 are left out",
        "IOStream: 200000 entries under \"numberOfTriggerTokens\"; the first 100000 are saved, 100000 are left out"}));
    Player* loaded = Fresh();
    ASSERT_TRUE(Load(*loaded, bytes));
    IOStreamRead tokensIn(tokensOut.GetBytes().data(), tokensOut.GetBytes().size());
    ASSERT_TRUE(loaded->StreamPropertiesQuestTokens(tokensIn));
    EXPECT_EQ(loaded->GetTeleportUIDs(0).size(), Player::kMaxSavedPlaces);
    EXPECT_EQ(loaded->GetTriggerTokens().size(), Player::kMaxSavedTokens);
    EXPECT_EQ(loaded->GetPlayerController()->GetInventoryCtrl().GetItems().size(), PlayerInventoryCtrl::kMaxSavedItems);
}

// Cut at every byte, each read into a fresh player fails, and the engine's tutorial
// state and the interface are left alone.
TEST_F(PlayerSaveTest, ASaveCutAtEveryByteFailsCleanly)
{
    Player* donor = Fresh();
    SaveBuilder builder;
    builder.pages[0] = 3;
    const std::vector<unsigned char> bytes = builder.Build(*donor);
    engine->UnlockTutorialPage(8, false);
    RecordingUI ui;
    for (size_t size = 0; size < bytes.size(); size += 1) {
        Player* player = Fresh();
        player->SetGameInterface(&ui);
        EXPECT_FALSE(Load(*player, {bytes.begin(), bytes.begin() + static_cast<long>(size)})) << size;
        ObjectManager::Get().DestroyObjectEx(player, "test", __LINE__);
    }
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(engine->GetTutorialUnlockList(), std::vector<uint32_t>{8});
    EXPECT_TRUE(ui.restored.empty());
}

// The tokens' save, byte by byte.
TEST_F(PlayerSaveTest, GoldenTokens)
{
    Player* player = Place(Fresh());
    player->BestowToken(TriggerToken("Key"));
    Frame();
    IOStreamWrite out;
    ASSERT_TRUE(player->StreamPropertiesQuestTokens(out));
    const std::vector<unsigned char> golden = {
        'G', 'K', 'P', 'S', 1, 0, 0, 0,                                      // magic, format version 1
        7, 13, 'v', 'e', 'r', 's', 'i', 'o', 'n', 'N', 'u', 'm', 'b', 'e', 'r', 1, 0, 0, 0,   // "versionNumber" i32 1
        0x40,                                                                // begin block
        7, 21, 'n', 'u', 'm', 'b', 'e', 'r', 'O', 'f', 'T', 'r', 'i', 'g', 'g', 'e', 'r', 'T', 'o', 'k', 'e', 'n', 's',
        1, 0, 0, 0,                                                          // "numberOfTriggerTokens" i32 1
        5, 9, 't', 'o', 'k', 'e', 'n', 'N', 'a', 'm', 'e', 3, 0, 0, 0, 'K', 'e', 'y',   // "tokenName" string "Key"
        0x41,                                                                // end block
    };
    EXPECT_EQ(std::vector<unsigned char>(out.GetBytes().begin(), out.GetBytes().end()), golden);
}

// With FUZZ_SAVE_CORPUS set, writes a save of each version 1 to 5 there (the fuzzer's seeds).
TEST_F(PlayerSaveTest, WritesCorpusSeedsWhenAsked)
{
    const char* folder = std::getenv("FUZZ_SAVE_CORPUS");
    if (!folder)
        GTEST_SKIP() << "FUZZ_SAVE_CORPUS not set";
    Player* donor = Fresh();
    for (uint32_t version = 1; version <= 5; ++version) {
        SaveBuilder builder;
        builder.version = version;
        builder.pages[0] = 2;
        const std::vector<unsigned char> bytes = builder.Build(*donor);
        std::ofstream(std::string(folder) + "/version" + std::to_string(version) + ".chr", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

}  // namespace GAME
