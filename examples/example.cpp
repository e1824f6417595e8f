// A user's program over the game library: it starts the game engine on a data folder,
// places a player of its own, plays some frames (alone, as a server, or as a client of
// one) and prints how the player stands.
//   example [DATA_DIR] [--serve PORT | --join HOST:PORT] [--frames N]
// Without DATA_DIR it reads the data installed with the library (GAME_EXAMPLE_DATA_DIR,
// which CMakeLists.txt takes from the package's Game_DATA_DIR).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/combat/CharAttribute.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/session/GameSession.h"
#include "Game/session/SpawnReplication.h"

using namespace GAME;

int main(int argc, char** argv)
{
    std::string mode, address;   // mode: "", "--serve" or "--join"
    int frames = 40;
    std::string data = GAME_EXAMPLE_DATA_DIR;
    int first = 1;   // the first option
    if (argc > 1 && std::string(argv[1]).rfind("--", 0) != 0)
        data = argv[first++];
    bool usable = !data.empty();
    for (int i = first; usable && i < argc; i += 2) {
        const std::string option = argv[i];
        usable = i + 1 < argc;
        if (usable && option == "--frames")
            usable = (frames = std::atoi(argv[i + 1])) > 0;
        else if (usable && (option == "--serve" || option == "--join") && mode.empty())
            mode = option, address = argv[i + 1];
        else
            usable = false;
    }
    if (!usable) {
        std::fprintf(stderr, "usage: example [DATA_DIR] [--serve PORT | --join HOST:PORT] [--frames N]\n");
        return 2;
    }
    // The host supplies the data folder; records and texts are read from it.
    RecordDatabase::Get().SetDataRoot(data);
    LocalizationManager::Instance().Load();

    GameSession session;
    std::string error;
    if ((mode == "--serve" && !session.Listen(std::atoi(address.c_str()), error)) ||
        (mode == "--join" && !session.Connect(address, error))) {
        std::fprintf(stderr, "example: %s\n", error.c_str());
        return 1;
    }
    if (mode == "--serve") {   // at once, for whoever starts the clients
        std::printf("example: listening on port %u\n", session.GetPort());
        std::fflush(stdout);
    }
    GameSession::Observers observers;
    observers.spawned = [](const SpawnReport& report) {
        std::printf("example: a character (%u) arrived from %s\n", report.id, report.record.c_str());
    };
    session.SetObservers(std::move(observers));

    // The library's entry: the game engine, in the role the session was opened for.
    InitializeObjects();
    GameEngine& engine = *gGameEngine;
    session.Start(engine);
    engine.SetGameLoading(false);

    // The player, made from its record and standing in the world (whole from then on:
    // its life and mana are its record's), played on this host.
    World& world = World::Get();
    Region* region = world.GetRegionById(1) ? world.GetRegionById(1) : world.AddRegion(1, "Arena");
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
    int result = 0;
    if (!player) {
        std::fprintf(stderr, "example: no player record under %s\n", data.c_str());
        result = 1;
    } else {
        const Vec3 start{0.0f, 0.0f, mode == "--join" ? 4.0f : 0.0f};
        Coords place;
        place.origin = start;
        world.AddEntity(player, WorldCoords(region, place));
        player->SetPathPosition(WorldVec3(region, start));
        player->SetIsControllingCharacter(true);
        player->SetPlayerName(mode == "--join" ? u"Guest" : u"Hero");
        engine.SetPlayer(player);
        engine.GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());   // joins the roster
        session.BeginPlay(player->GetObjectId());
        if (mode == "--serve" && session.WaitForFirstClient() != GameSession::FirstClient::Ready) {
            std::fprintf(stderr, "example: no client came\n");
            result = 1;
        }
        const auto roster = [&engine] { return engine.GetPlayerManagerClient()->GetPlayerInfoCache().size(); };
        size_t playersBefore = roster();   // at the start of the last frame played
        int frame = 0;
        for (; result == 0 && frame < frames && !session.ShouldStop(); ++frame) {
            playersBefore = roster();
            if (frame == 1) {   // once the player stands in the running game: a click ahead of it
                uint32_t clicked = 0;   // nothing under the cursor
                const bool moves = player->GetPlayerController()->HandleActionFromMouse(
                    true, false, false, false, WorldVec3(region, Vec3{6.0f, 0.0f, start.z}), clicked);
                std::printf("example: a click ahead of the player: %s\n", moves ? "it walks" : "no move");
            }
            session.RunFrame(50);
            if (!mode.empty())   // the peers' packets travel between frames
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // The game's balance counts the players at the start of a frame: one who left (or came)
        // during the last frame counts from the next. Here (the balance is this host's own, a
        // client's is its server's) one more frame lets the count, the level and the life agree.
        if (result == 0 && mode != "--join" && roster() != playersBefore) {
            session.RunFrame(50);
            ++frame;
        }
        const Vec3 at = player->GetPathPosition().GetRegionPosition();
        std::printf("example: after %d frames the player stands at (%.1f, %.1f), life %.0f of %.0f, level %u, "
                    "experience %u\n", frame, at.x, at.z, player->GetCurrentLife(), player->GetLifeLimit(),
                    player->GetCharLevel(), player->GetExperiencePoints());
        // The game's balance grows with the players in the game and adds to every player's
        // life: alone a player has less than with company, made from the same record.
        CharAttributeAccumulator balance;
        player->ContributeGameBalanceCharAttributes(balance);
        const size_t players = roster();
        std::printf("example: %zu player%s in the game: the game's balance (level %u) adds %.0f to each player's "
                    "life\n", players, players == 1 ? "" : "s", engine.GetBalanceDifficulty(),
                    balance.GetValue(CharAttributeType_Life));
    }
    session.Stop();
    ShutdownObjects();   // the library's exit
    return result;
}
