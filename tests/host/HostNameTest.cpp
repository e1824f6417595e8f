// How the host names what it prints: characters of one name told apart by a number after
// the name, chosen the first time each is named (players by their ids), for one game;
// other objects by their name alone.
#include "core/EngineFixture.h"
#include "Engine/Localization.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/items/Item.h"
#include "host/HostText.h"

namespace GAME {
namespace {

class HostNameTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        HostNamesNewGame();   // each test is a game of its own
        LocalizationManager::Instance().RegisterTags("tagMarshWolf=Marsh Wolf\ntagMarshWolf2=Marsh Wolf 2\ntagTusk=Tusk\n");
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/MarshWolf.dbr", "Class,Monster,\ndescription,tagMarshWolf,\n");
        records.RegisterRecord("Records/Test/MarshWolf2.dbr", "Class,Monster,\ndescription,tagMarshWolf2,\n");
        records.RegisterRecord("Records/Test/Tusk.dbr", "Class,Item,\ndescription,tagTusk,\n");
    }
    template <class T>
    T* Make(const char* record)
    {
        auto* made = ObjectManager::Get().CreateObjectFromFile<T>(record);
        EXPECT_NE(made, nullptr);
        return made;
    }
};

TEST_F(HostNameTest, CharactersOfOneNameAreToldApartAndKeepTheirNumber)
{
    auto* first = Make<Monster>("Records/Test/MarshWolf.dbr");
    auto* second = Make<Monster>("Records/Test/MarshWolf.dbr");
    auto* third = Make<Monster>("Records/Test/MarshWolf.dbr");
    const std::string kind = HostKindName(first);
    ASSERT_EQ(kind, "Marsh Wolf");
    EXPECT_EQ(HostName(first), kind);
    EXPECT_EQ(HostName(third), kind + " 2");   // numbered in the order they are first named
    EXPECT_EQ(HostName(second), kind + " 3");
    EXPECT_EQ(HostName(first), kind);          // and kept
    EXPECT_EQ(HostName(third), kind + " 2");
    EXPECT_EQ(HostKindName(third), kind);
    // A game name that already ends in a number never takes another's label.
    auto* native = Make<Monster>("Records/Test/MarshWolf2.dbr");
    EXPECT_NE(HostName(native), HostName(third));
    // Items are named alone, however many share the name.
    auto* tusk = Make<Item>("Records/Test/Tusk.dbr");
    auto* other = Make<Item>("Records/Test/Tusk.dbr");
    EXPECT_EQ(HostName(tusk), HostName(other));
}

TEST_F(HostNameTest, PlayersOfOneNameAreNumberedByIdAndNamesStartOverWithAGame)
{
    Region* region = World::Get().AddRegion(1, "Arena");
    auto hero = [&](uint32_t id) {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", id));
        player->SetPlayerName(u"Hero");
        World::Get().AddEntity(player, WorldCoords(region, Coords()));
        return player;
    };
    // The client's player, named first and alone, then the server's (the lower id).
    Player* guest = hero(0x10000002);
    EXPECT_EQ(HostPlayerName(*guest), "Hero");
    Player* host = hero(5);
    EXPECT_EQ(HostPlayerName(*guest), "Hero 2");
    EXPECT_EQ(HostPlayerName(*host), "Hero");

    auto* wolf = Make<Monster>("Records/Test/MarshWolf.dbr");
    EXPECT_EQ(HostName(Make<Monster>("Records/Test/MarshWolf.dbr")), "Marsh Wolf");
    EXPECT_EQ(HostName(wolf), "Marsh Wolf 2");
    HostNamesNewGame();
    EXPECT_EQ(HostName(wolf), "Marsh Wolf");
}

}  // namespace
}  // namespace GAME
