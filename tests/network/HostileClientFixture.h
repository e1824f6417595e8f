// A real server in this process, over ENet on loopback, and clients in child processes
// that join it the way a game does (connection, roster, the server's world, their own
// player's spawn): an honest one and a hostile one that then sends what no honest game
// would. The server's state is written down before the hostile client starts and after
// it is done; what the rules say must hold compares the two.
//
// The three sides signal each other with packets of types no game packet has, sent on the
// game's own ordered channel: the server's go to a client, a client's done (repeated
// until answered, since a flooded inbox may drop one), the server's bye. A done seen means
// everything its client sent before it has been received and dispatched (or dropped).
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Engine/EnetTransport.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/NpcMerchant.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/items/MarketServer.h"
#include "core/EngineFixture.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/session/SpawnReplication.h"
#include "tests/network/PeerProcess.h"

namespace GAME {

// Passes everything to the ENet transport, counts what arrives, by sender and type, and
// what is sent, by type, with the size of the largest of each.
class SniffingTransport : public NetTransport {
public:
    explicit SniffingTransport(std::unique_ptr<EnetTransport> inner) : enet(std::move(inner)) {}

    void Service() override { enet->Service(); }
    bool PollConnectionEvent(NetConnectionEvent& event) override { return enet->PollConnectionEvent(event); }
    void Send(const NetDestination& to, const unsigned char* data, size_t size) override
    {
        NetPacketType type = 0;
        if (NetPacketRegistry::PeekType(data, size, type)) {
            largestSent[type] = std::max(largestSent[type], size);
            ++sentCounts[type];
        }
        enet->Send(to, data, size);
    }
    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override
    {
        if (!enet->Receive(fromHost, bytes))
            return false;
        NetPacketType type = 0;
        if (NetPacketRegistry::PeekType(bytes.data(), bytes.size(), type))
            ++counts[fromHost][type];
        return true;
    }
    void Disconnect(int host, const std::string& reason) override { enet->Disconnect(host, reason); }
    bool IsConnected(int host) const override { return enet->IsConnected(host); }
    // That a client plays is not passed on: no deadline for joining ends here, and a client
    // holds its number by how far it came.
    void ConfirmInWorld(int host) override { enet->ConfirmInWorld(host); }

    int Count(int fromHost, NetPacketType type) const
    {
        const auto host = counts.find(fromHost);
        if (host == counts.end())
            return 0;
        const auto found = host->second.find(type);
        return found == host->second.end() ? 0 : found->second;
    }
    // Sends a signal: a packet of one of the types below, its header alone.
    void Signal(const NetDestination& to, NetPacketType type)
    {
        const unsigned char bytes[2] = {static_cast<unsigned char>(type & 0xFF), static_cast<unsigned char>(type >> 8)};
        enet->Send(to, bytes, sizeof bytes);
    }

    static constexpr NetPacketType kGo = 0xFE01;
    static constexpr NetPacketType kDone = 0xFE02;
    static constexpr NetPacketType kBye = 0xFE03;

    std::unique_ptr<EnetTransport> enet;
    std::map<int, std::map<NetPacketType, int>> counts;
    std::map<NetPacketType, size_t> largestSent;   // the largest of each type sent, in bytes
    std::map<NetPacketType, int> sentCounts;
};

class HostileClientTest : public EngineTest {
protected:
    static constexpr int kFrameMs = 16;
    // A wait runs frames until what it waits for has happened, however slow the other
    // processes are. It gives up only once it has run kFrameLimit frames AND kHangGuardMs
    // have passed: a guard against a wait that would never end, never a measure of pace.
    static constexpr int kFrameLimit = 400000;
    static constexpr int kHangGuardMs = 240000;
    static constexpr int kPauseUs = 200;
    // How often a client that is done says so until the server's bye.
    static constexpr int kDoneEveryMs = 10;
    // Connecting and saying goodbye end as soon as the other side answers; these limits
    // only end a wait for a side that is gone.
    static constexpr int kConnectTimeoutMs = 120000;
    static constexpr int kGoodbyeWaitMs = 60000;
    // What the server's heap may grow by over a hostile client's run.
    static constexpr long kHeapGrowthLimitKb = 64 * 1024;
    static constexpr uint32_t kServerPlayer = 0x00000100;
    static constexpr uint32_t kMerchant = 0x0FFFFE20;
    static constexpr uint32_t kServerSkillPoints = 3;
    static constexpr uint32_t kHonestMoney = 100000;
    static constexpr uint32_t kBoughtIndex = 1;   // the stock item the honest client buys
    static constexpr const char* kPlayerRecord = "Records/Creatures/ArenaPlayer.dbr";
    static constexpr const char* kSkillRecord = "Records/Skills/ArenaSmite.dbr";
    // The data's merchant and market, but for the market's refresh (see SetUp).
    static constexpr const char* kMerchantRecord = "Records/Test/HostileMerchant.dbr";
    static constexpr const char* kMarketRecord = "Records/Test/HostileMarket.dbr";

    // The player a client on `host` joins with.
    static uint32_t PlayerOf(int host)
    {
        return (static_cast<uint32_t>(host) << ConnectionManager::kPlayerIdShift) | 1u;
    }

    void SetUp() override;
    void TearDown() override;

    // ---- Both sides --------------------------------------------------------------------

    void Frame()
    {
        gEngine->UpdateFrame(frameMs);
        engine->Update(frameMs);
    }
    // Runs frames until `done` holds, giving the other processes the processor between
    // frames.
    bool RunUntil(const std::function<bool()>& done)
    {
        const HangGuard guard(kFrameLimit, kHangGuardMs);
        for (int frames = 0; !done(); ++frames) {
            if (guard.Expired(frames))
                return false;
            Frame();
            Pause();
        }
        return true;
    }
    // Gives the other processes the processor between frames. A process that sleeps is
    // woken promptly on a loaded machine; one that only yields waits behind every busy
    // process there, each frame.
    static void Pause() { std::this_thread::sleep_for(std::chrono::microseconds(kPauseUs)); }
    void RunFrames(int frames)
    {
        for (int i = 0; i < frames; ++i)
            Frame();
    }
    size_t RosterSize() const { return engine->GetPlayerManagerClient()->GetPlayerInfoCache().size(); }
    // The roster as this machine sees it: id and party of each player, by id.
    std::string RosterText() const;
    // Answers every dialog waiting (party invitations) with `yes`.
    void AnswerDialogs(bool yes);

    // ---- The server ---------------------------------------------------------------------

    // This process serves: the server's player stands beside the merchant, with no money
    // and kServerSkillPoints skill points.
    void Serve();
    // A client process on the next free host: it connects, joins with its own player
    // (`money` in its purse) once the server's world has arrived, waits for the server's
    // go, then `play` runs and returns the report, read once the client has ended.
    PeerProcess Client(const std::u16string& name, uint32_t money, const std::function<std::string()>& play);
    // Runs frames until the next client to connect has its player in the server's roster
    // (with its first heartbeat) and world, and returns its host (0: it ended first).
    int AwaitJoin(PeerProcess& client);
    void Go(int host) { sniffer->Signal({NetDestination::Host, host}, SniffingTransport::kGo); }
    // Runs frames until the host signalled done, then a few more: whatever its packets
    // set off has happened. `watch` runs after every frame, to catch what would not last.
    bool AwaitDone(int host, const std::function<void()>& watch = {});
    // Tells every client to end and runs frames until each has.
    void EndClients(std::initializer_list<PeerProcess*> clients);
    // What the rules protect on the server: every player's money, points, life and mana,
    // position, items (bags and worn, each with its identity) and quest tokens; the roster
    // with each record's party and health; the merchant's stock; every quest's steps and
    // triggers; the world's entity count (a line of its own, "entities N").
    std::string ServerState() const;
    // The state without its lines that start with `prefix` (a case that lets some change).
    static std::string StateWithout(const std::string& state, const std::string& prefix);
    // What this process holds allocated, in kilobytes: what it keeps, not what its
    // allocator kept of what it freed (the address sanitizer's quarantine, and so the
    // resident memory, grows with every frame's allocations until it is full: it would
    // measure how many frames the run took).
    static long HeapKb();
    Player* ServerPlayer() const { return ObjectManager::Get().GetObject<Player>(kServerPlayer); }
    MarketServer* Market() const { return engine->GetServerServices()->GetMarketServer(kMerchant); }

    // What one run with an honest and a hostile client gives.
    struct Outcome {
        int honestHost = 0;
        int hostileHost = 0;
        std::string before, after;     // the server's state
        long heapBeforeKb = 0, heapAfterKb = 0;   // the server's heap
        std::string honest, hostile;   // the clients' reports
        uint32_t honestMoneyOnServer = 0;   // once it bought
    };
    // Serves; the honest client joins, buys and accepts the server player's invitation
    // (which must all work); the server's state is written down; the hostile client joins
    // and runs `forge` in its process (what it returns is its report); the server's state
    // is written down again and both clients end.
    Outcome RunHostile(const std::function<std::string()>& forge, const std::function<void()>& watch = {});

    // ---- A client -----------------------------------------------------------------------

    // Appends the chat lines that arrived since it was last called.
    void TakeChat(std::vector<ChatMessage>& lines);
    // Sends a forged packet as it is, bypassing every check of the client's own game.
    static void Forge(NetPacket& packet) { ConnectionManager::Get().SendToServer(packet); }
    // Signals done, again every frame, until the server's bye; `each` runs every frame.
    void SignalDoneUntilBye(const std::function<void()>& each = {});
    // The honest client's play: it buys stock item kBoughtIndex, accepts the invitation
    // into the server player's party, signals done and plays on until the bye, keeping the
    // chat it hears. Its report: the purchase, its roster, the market updates that reached
    // it by its done and by the bye, and each chat line with its control characters shown.
    std::string HonestPlay();
    // Runs frames until the server's bye (or its loss).
    void AwaitBye();
    bool HeardBye() const { return sniffer->Count(ConnectionManager::kServerHost, SniffingTransport::kBye) > 0; }
    Player* OwnPlayer() const { return ObjectManager::Get().GetObject<Player>(PlayerOf(localHost)); }

    // The game time of each frame: a case that holds the game's clock still sets it to 0.
    int frameMs = kFrameMs;
    uint16_t port = 0;
    // The server transport's clock, for its join deadline: it stands still unless a case
    // moves it, so that a loaded machine's slow join is never taken for a stalled one.
    int64_t serverClockMs = 0;
    std::unique_ptr<SniffingTransport> sniffer;   // this process's transport
    int localHost = ConnectionManager::kServerHost;
    std::vector<int> joinedHosts;   // on the server: every host that connected, in order
    size_t claimedHosts = 0;        // of those, the ones AwaitJoin has returned
};

}  // namespace GAME
