// Games in separate processes over socket pairs: this process serves, each client runs
// in a child process, and every side runs its frames until what it waits for has happened.
#pragma once

#include <algorithm>
#include <chrono>
#include <list>
#include <thread>

#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/GameWireFixture.h"
#include "tests/network/PeerProcess.h"

namespace GAME {

class PeerTest : public GameWireTest {
protected:
    static constexpr int kFrameMs = 16;
    // A wait runs frames until what it waits for has happened, however slow the other
    // processes are; it gives up only once it has run kFrameLimit frames AND kHangGuardMs
    // have passed (see HangGuard).
    static constexpr int kFrameLimit = 60000;
    static constexpr int kHangGuardMs = 240000;
    // Frames a peer keeps playing once it saw what it waited for: more than a heartbeat
    // interval of every side.
    static constexpr int kFramesAfter = 90;
    static constexpr uint32_t kHost = 0x00000100;
    static constexpr uint32_t kGuest = 0x10000001;
    static constexpr uint32_t kThird = 0x20000001;

    void SetUp() override
    {
        GameWireTest::SetUp();
        RegisterGamePacketDispatch();
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        GameWireTest::TearDown();
    }

    void Frame()
    {
        gEngine->UpdateFrame(kFrameMs);
        engine->Update(kFrameMs);
    }
    // Runs frames until `done` holds; a frame waits a moment for the other processes.
    bool RunUntil(const std::function<bool()>& done)
    {
        const HangGuard guard(kFrameLimit, kHangGuardMs);
        for (int frames = 0; !done(); ++frames) {
            if (guard.Expired(frames))
                return false;
            Frame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    void KeepPlaying()
    {
        for (int i = 0; i < kFramesAfter; ++i)
            Frame();
    }
    Player* Join(uint32_t id, const std::u16string& name)
    {
        auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", id));
        player->SetPlayerName(name);
        engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
        return player;
    }
    // A client process on `host` with its own player, linked to the server by a new socket
    // pair; `play` runs once the client has joined and returns the report.
    PeerProcess Client(int host, uint32_t player, const std::u16string& name, const std::function<std::string()>& play)
    {
        int ends[2] = {-1, -1};
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        server.Link(host, ends[0]);
        return PeerProcess(ends[1], [=, this] {
            LogCapture quiet;
            transports.emplace_back();
            transports.back().Link(ConnectionManager::kServerHost, ends[1]);
            ConnectionManager::Get().SetTransport(&transports.back());
            ConnectionManager::Get().SetLocalHostId(host);
            engine->SetAsNetworkClient();
            Join(player, name);
            return play();
        });
    }
    // This process becomes the server of the clients started so far, with the host's player.
    void Serve()
    {
        ConnectionManager::Get().SetTransport(&server);
        engine->SetAsNetworkServer();
        Join(kHost, u"Host");
    }
    // The roster as this machine sees it: id, name and party of each player.
    std::string RosterText() const
    {
        // Clients join at once, so the roster's arrival order differs from run to run:
        // list it by player id.
        std::vector<PlayerNetBasicInfo> records = engine->GetPlayerManagerClient()->GetPlayerInfoCache();
        std::sort(records.begin(), records.end(),
                  [](const PlayerNetBasicInfo& a, const PlayerNetBasicInfo& b) { return a.playerId < b.playerId; });
        std::string text;
        for (const PlayerNetBasicInfo& record : records)
            text += std::to_string(record.playerId) + " " + LocalizationManager::ToChar(record.playerName) +
                    " party " + std::to_string(record.partyId) + "\n";
        return text;
    }
    size_t RosterSize() const { return engine->GetPlayerManagerClient()->GetPlayerInfoCache().size(); }
    uint32_t PartyOf(uint32_t player) const { return engine->GetPartyManager()->GetParty(player); }

    SocketTransport server;
    std::list<SocketTransport> transports;
};

}  // namespace GAME
