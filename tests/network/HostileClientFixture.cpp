#include "tests/network/HostileClientFixture.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's count of the bytes allocated and not yet freed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/MarketClient.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestRepository.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

constexpr int kRegionId = 1;
// Frames the server plays on once a client is done: the answers its packets set off have
// gone out and every heartbeat interval has passed.
constexpr int kFramesAfterDone = 90;

// The same skill on every player, so that a reference number names it on every peer.
void GiveSkill(Player& player, const char* record)
{
    if (player.GetSkillManager().GetSkillIdFromReference(0) == 0)
        player.GetSkillManager().AddSkill(ObjectManager::Get().CreateObjectFromFile<Skill>(record));
}

Player* PlacePlayer(const char* record, uint32_t id)
{
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(record, id);
    if (player)
        World::Get().AddEntity(player, WorldCoords(World::Get().GetRegionById(kRegionId), Coords()));
    return player;
}

void PlaceMerchant(const char* record, uint32_t id)
{
    if (auto* merchant = ObjectManager::Get().CreateObjectFromFile<NpcMerchant>(record, id))
        World::Get().AddEntity(merchant, WorldCoords(World::Get().GetRegionById(kRegionId),
                                                     Coords::MakeTranslation(Vec3(5, 0, 0))));
}

bool Sound(const PlayerNetHeartbeatInfo& record)
{
    return std::isfinite(record.life) && std::isfinite(record.maxLife) && std::isfinite(record.mana) &&
           record.maxLife >= 0.0f && record.life <= record.maxLife;
}

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A record of the data under a name of its own, with those keys' values replaced.
void RegisterAltered(const std::string& from, const char* as, const std::map<std::string, std::string>& values)
{
    std::ifstream in(std::string(GAME_DATA_DIR) + "/" + from);
    std::string text, line;
    while (std::getline(in, line)) {
        const std::string key = line.substr(0, line.find(','));
        const auto found = values.find(key);
        text += (found == values.end() ? line : key + "," + found->second + ",") + "\n";
    }
    RecordDatabase::Get().RegisterRecord(as, text);
}

}  // namespace

void HostileClientTest::SetUp()
{
    EngineTest::SetUp();
    RegisterGamePacketDispatch();
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    // The server runs frames, and its game time passes, for as long as its clients'
    // processes take: its market must not draw a new stock in the middle of a case,
    // however slow they are. Registered before the clients' processes part from this one.
    RegisterAltered("Records/Market/Market.dbr", kMarketRecord,
                    {{"marketRefreshTimeMin", "2000000000"}, {"marketRefreshTimeMax", "2000000000"}});
    RegisterAltered("Records/Creatures/Merchant.dbr", kMerchantRecord, {{"marketFileName", kMarketRecord}});
    LocalizationManager::Instance().Load();
    World::Get().AddRegion(kRegionId, "Arena");
    std::string error;
    auto server = EnetTransport::Listen(0, error);
    ASSERT_NE(server, nullptr) << error;
    server->SetGoodbyeWait(kGoodbyeWaitMs);
    // A client process that a loaded machine leaves unscheduled for a few seconds (or that
    // is busy forging a flood) acknowledges nothing meanwhile: ENet's own time-out (5 s
    // once a quick round trip was seen) would drop it, and every wait on it would run to
    // its hang guard. Only a peer silent for as long as the hang guard is taken for gone.
    server->SetPeerTimeout(kHangGuardMs, kHangGuardMs);
    // A client joins once its process gets to it, which a loaded machine can put off past
    // the transport's deadline for joining (tested on its own in EnetTransportTest): here
    // the deadline's clock moves only when a case moves it.
    server->SetClock([this] { return serverClockMs; });
    port = server->GetPort();
    sniffer = std::make_unique<SniffingTransport>(std::move(server));
}

void HostileClientTest::TearDown()
{
    SetSpawnObservers({}, {});
    UnregisterGamePacketDispatch();
    ConnectionManager::Get().SetTransport(nullptr);
    ConnectionManager::Get().SetConnectionListener({});
    ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
    sniffer.reset();
    LocalizationManager::Instance().Clear();
    EngineTest::TearDown();
}

std::string HostileClientTest::RosterText() const
{
    std::vector<PlayerNetBasicInfo> records = engine->GetPlayerManagerClient()->GetPlayerInfoCache();
    std::sort(records.begin(), records.end(),
              [](const PlayerNetBasicInfo& a, const PlayerNetBasicInfo& b) { return a.playerId < b.playerId; });
    std::string text;
    for (const PlayerNetBasicInfo& record : records)
        text += "roster " + std::to_string(record.playerId) + " party " + std::to_string(record.partyId) +
                (Sound(record) ? "" : " unsound") + "\n";
    return text;
}

void HostileClientTest::AnswerDialogs(bool yes)
{
    DialogManager& dialogs = engine->GetDialogManager();
    for (; dialogs.PeekTopDialog(); dialogs.RemoveTopDialog())
        dialogs.AddResponse(dialogs.PeekTopDialog()->party, yes);
}

// ---- The server ---------------------------------------------------------------------------

void HostileClientTest::Serve()
{
    ConnectionManager::Get().SetTransport(sniffer.get());
    engine->SetAsNetworkServer();
    ConnectionManager::Get().SetConnectionListener([this](const NetConnectionEvent& event) {
        engine->HandleConnectionEvent(event);
        if (event.kind == NetConnectionEvent::Joined) {
            joinedHosts.push_back(event.host);
            SendWorldToHost(event.host, [](const Character&) {});
        }
    });
    // The players the clients spawn here know the skill the clients' own know.
    SetSpawnObservers(
        [](const SpawnReport& report) {
            if (auto* player = ObjectManager::Get().GetObject<Player>(report.id))
                GiveSkill(*player, kSkillRecord);
        },
        {});
    Player* player = PlacePlayer(kPlayerRecord, kServerPlayer);
    ASSERT_NE(player, nullptr);
    player->SetIsControllingCharacter(true);
    player->SetPlayerName(u"Host");
    player->SetCurrentMoney(0);
    player->GetLevelControl().SetSkillPoints(kServerSkillPoints);
    GiveSkill(*player, kSkillRecord);
    engine->GetPlayerManagerClient()->SetMainPlayer(kServerPlayer);
    PlaceMerchant(kMerchantRecord, kMerchant);
}

PeerProcess HostileClientTest::Client(const std::u16string& name, uint32_t money,
                                      const std::function<std::string()>& play)
{
    return PeerProcess(-1, [=, this] {
        static LogCapture quiet;
        // The server's transport was copied into this process: it is the parent's to close.
        (void)sniffer.release();
        std::string error;
        auto enet = EnetTransport::Connect("127.0.0.1", port, kConnectTimeoutMs, error);
        if (!enet)
            return "refused: " + error + "\n";
        enet->SetPeerTimeout(kHangGuardMs, kHangGuardMs);   // as the server's (SetUp)
        localHost = enet->GetLocalHost();
        sniffer = std::make_unique<SniffingTransport>(std::move(enet));
        ConnectionManager::Get().SetTransport(sniffer.get());
        ConnectionManager::Get().SetLocalHostId(localHost);
        engine->SetAsNetworkClient();
        SetSpawnObservers({}, [this] {
            if (std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*OwnPlayer()))
                ConnectionManager::Get().SendToServer(*spawn);
        });
        Player* own = PlacePlayer(kPlayerRecord, PlayerOf(localHost));
        if (!own)
            return std::string("no player\n");
        own->SetIsControllingCharacter(true);
        own->SetPlayerName(name);
        own->SetCurrentMoney(money);
        GiveSkill(*own, kSkillRecord);
        engine->GetPlayerManagerClient()->SetMainPlayer(own->GetObjectId());
        PlaceMerchant(kMerchantRecord, kMerchant);
        // A client the server dropped before its go waits no more.
        const auto go = [this] { return sniffer->Count(ConnectionManager::kServerHost, SniffingTransport::kGo) > 0; };
        RunUntil([&] { return go() || !sniffer->IsConnected(ConnectionManager::kServerHost); });
        if (!go())
            return std::string("no go\n");
        std::string report = play();
        // A clean goodbye, which the server answers while it waits for this process to end.
        ConnectionManager::Get().SetTransport(nullptr);
        sniffer.reset();
        return report;
    });
}

int HostileClientTest::AwaitJoin(PeerProcess& client)
{
    int host = 0;
    RunUntil([&] {
        if (host == 0 && claimedHosts < joinedHosts.size())
            host = joinedHosts[claimedHosts++];
        const PlayerManagerServer* roster = engine->GetPlayerManagerServer();
        if (host != 0)
            for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos())
                if (record.playerId == PlayerOf(host) && record.maxLife > 0.0f &&
                    ObjectManager::Get().GetObject<Player>(record.playerId))
                    return true;   // its first heartbeat has arrived too
        return client.IsDone();
    });
    return client.IsDone() ? 0 : host;
}

bool HostileClientTest::AwaitDone(int host, const std::function<void()>& watch)
{
    const bool done = RunUntil([&] {
        if (watch)
            watch();
        return sniffer->Count(host, SniffingTransport::kDone) > 0;
    });
    for (int i = 0; i < kFramesAfterDone; ++i) {
        Frame();
        if (watch)
            watch();
    }
    return done;
}

void HostileClientTest::EndClients(std::initializer_list<PeerProcess*> clients)
{
    // One at a time, in the order they joined: a client that leaves is removed from the others'
    // rosters, so a client still reporting must not see an earlier leaver's departure.
    for (int host : joinedHosts) {
        if (!sniffer->IsConnected(host))
            continue;
        sniffer->Signal({NetDestination::Host, host}, SniffingTransport::kBye);
        RunUntil([&] { return !sniffer->IsConnected(host); });
    }
    RunUntil([&] { return std::all_of(clients.begin(), clients.end(), [](PeerProcess* c) { return c->IsDone(); }); });
}

std::string HostileClientTest::ServerState() const
{
    std::string text;
    std::vector<PlayerNetBasicInfo> records = engine->GetPlayerManagerServer()->GetPlayerInfos();
    std::sort(records.begin(), records.end(),
              [](const PlayerNetBasicInfo& a, const PlayerNetBasicInfo& b) { return a.playerId < b.playerId; });
    for (const PlayerNetBasicInfo& record : records) {
        text += "roster " + std::to_string(record.playerId) + " party " + std::to_string(record.partyId) + " life " +
                Number(record.life) + "/" + Number(record.maxLife) + " mana " + Number(record.mana) +
                (Sound(record) ? "" : " unsound") + "\n";
        const auto* player = ObjectManager::Get().GetObject<Player>(record.playerId);
        if (!player) {
            text += "player " + std::to_string(record.playerId) + " missing\n";
            continue;
        }
        auto& level = const_cast<Player*>(player)->GetLevelControl();
        text += "player " + std::to_string(record.playerId) + " money " + std::to_string(player->GetCurrentMoney()) +
                " skill points " + std::to_string(level.GetSkillPoints()) + " attribute points " +
                std::to_string(level.GetModifierPoints()) + " life " + Number(player->GetCurrentLife()) + " mana " +
                Number(player->GetCurrentMana()) + " " + player->GetLifeStateAsText() + "\n";
        const Vec3& at = player->GetCoords().GetRegionCoords().origin;
        text += "player " + std::to_string(record.playerId) + " at region " +
                std::to_string(player->GetCoords().GetRegion() ? player->GetCoords().GetRegion()->GetId() : 0) + " " +
                Number(at.x) + " " + Number(at.y) + " " + Number(at.z) + "\n";
        std::vector<InventoryReplica> items;
        player->GetInventoryReplica(items);
        text += "player " + std::to_string(record.playerId) + " items " + std::to_string(items.size()) + ":";
        for (const InventoryReplica& item : items)
            text += " " + std::to_string(item.info.objectId) + " " + item.info.baseName + " seed " +
                    std::to_string(item.info.seed) + " var " + std::to_string(item.info.var1) + " at " +
                    std::to_string(static_cast<int>(item.location)) + ";";
        text += "\n";
        text += "player " + std::to_string(record.playerId) + " tokens:";
        for (const std::string& token : player->GetTriggerTokensAsString())
            text += " " + token;
        text += "\n";
    }
    const QuestRepository* quests = QuestRepository::Get();
    for (size_t q = 0; q < quests->GetQuestCount(); ++q) {
        const Quest* quest = quests->GetQuestAt(q);
        text += std::string("quest ") + quest->GetHandle().c_str() + (quest->IsActive() ? " active" : "") +
                (quest->IsComplete() ? " complete" : "") + ", steps:";
        for (size_t s = 0; s < quest->GetStepCount(); ++s) {
            const QuestStep* step = quest->GetQuestStepAtIndx(s);
            text += step->IsComplete() ? " done(" : " open(";
            for (size_t t = 0; t < step->GetTriggerCount(); ++t)
                text += step->GetTriggerOfIdx(t)->IsActive() ? "-" : "f";
            text += ")";
        }
        text += "\n";
    }
    for (const QuestRepository::FiredTrigger& fired : quests->GetFiredTriggers())
        text += std::string("fired ") + fired.questName.c_str() + " step " + std::to_string(fired.step) + " trigger " +
                std::to_string(fired.trigger) + " for " + std::to_string(fired.target) + "\n";
    if (const MarketServer* market = Market()) {
        text += "stock seed " + std::to_string(market->GetSeed()) + " of " + std::to_string(market->GetNumStatuses()) +
                ", unavailable:";
        for (uint32_t index : market->GetUnavailableIndices())
            text += " " + std::to_string(index);
        text += "\n";
    }
    text += "entities " + std::to_string(World::Get().GetEntityCount()) + "\n";
    return text;
}

std::string HostileClientTest::StateWithout(const std::string& state, const std::string& prefix)
{
    std::string kept;
    for (size_t at = 0; at < state.size();) {
        const size_t end = std::min(state.find('\n', at), state.size());
        if (state.compare(at, prefix.size(), prefix) != 0)
            kept += state.substr(at, end - at) + "\n";
        at = end + 1;
    }
    return kept;
}

long HostileClientTest::HeapKb()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);
#endif
}

// ---- A client -----------------------------------------------------------------------------

void HostileClientTest::TakeChat(std::vector<ChatMessage>& lines)
{
    std::vector<ChatMessage> pending;
    engine->RemovePendingMessages(pending);
    lines.insert(lines.end(), pending.begin(), pending.end());
}

void HostileClientTest::SignalDoneUntilBye(const std::function<void()>& each)
{
    // Again every few milliseconds, not every frame: a client sends no more than a real one.
    auto last = std::chrono::steady_clock::time_point{};
    RunUntil([&] {
        if (each)
            each();
        if (const auto now = std::chrono::steady_clock::now(); now - last >= std::chrono::milliseconds(kDoneEveryMs)) {
            sniffer->Signal({NetDestination::Server, ConnectionManager::kServerHost}, SniffingTransport::kDone);
            last = now;
        }
        return HeardBye() || !sniffer->IsConnected(ConnectionManager::kServerHost);
    });
}

namespace {

// Control characters as \xNN, so that a report shows what would have reached a terminal.
std::string HostileShownText(const std::u16string& text)
{
    std::string shown;
    for (char16_t c : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        shown += control ? std::string(escaped) : std::string(1, static_cast<char>(c & 0x7F));
    }
    return shown;
}

}  // namespace

std::string HostileClientTest::HonestPlay()
{
    std::string report;
    MarketClient* market = engine->GetClientServices()->GetMarketClient(kMerchant);
    const uint32_t money = OwnPlayer()->GetCurrentMoney();
    const auto entry = [&]() -> const MarketClient::StockEntry* {
        const auto& stock = market->GetGeneratedStock();
        return kBoughtIndex < stock.size() ? &stock[kBoughtIndex] : nullptr;
    };
    bool asked = false;
    RunUntil([&] {
        AnswerDialogs(true);
        if (!asked && entry())
            asked = engine->PlayerPurchaseRequest(kMerchant, entry()->itemId);
        const bool answered = asked && entry()->status != MarketItemStatus_PurchasePending;
        return answered && engine->GetPartyManager()->GetParty(OwnPlayer()->GetObjectId()) == kServerPlayer;
    });
    if (entry())
        report += "purchase: status " + std::to_string(entry()->status) + ", paid the price " +
                  std::to_string(money - OwnPlayer()->GetCurrentMoney() == entry()->price) + "\n";
    const int updatesByDone = sniffer->Count(ConnectionManager::kServerHost, MarketS2CUpdatePacket::kType);
    std::vector<ChatMessage> chat;
    SignalDoneUntilBye([&] {
        AnswerDialogs(true);
        TakeChat(chat);
    });
    report += RosterText();
    report += "market updates by done " + std::to_string(updatesByDone) + ", by bye " +
              std::to_string(sniffer->Count(ConnectionManager::kServerHost, MarketS2CUpdatePacket::kType)) + "\n";
    for (const ChatMessage& line : chat)
        report += "chat " + HostileShownText(line.sender) + ": " + HostileShownText(line.text) + "\n";
    return report;
}

HostileClientTest::Outcome HostileClientTest::RunHostile(const std::function<std::string()>& forge,
                                                         const std::function<void()>& watch)
{
    Outcome outcome;
    Serve();
    PeerProcess honest = Client(u"Honest", kHonestMoney, [this] { return HonestPlay(); });
    outcome.honestHost = AwaitJoin(honest);
    PeerProcess hostile = Client(u"Mallory", 0, [&, this] {
        std::string report = forge();
        SignalDoneUntilBye();
        return report;
    });
    outcome.hostileHost = AwaitJoin(hostile);
    if (outcome.honestHost != 0 && outcome.hostileHost != 0) {
        const uint32_t honestPlayer = PlayerOf(outcome.honestHost);
        Go(outcome.honestHost);
        engine->InvitePlayerToParty(honestPlayer, static_cast<int>(kServerPlayer));
        EXPECT_TRUE(AwaitDone(outcome.honestHost));
        // Honest play works: the item is sold, the invitation accepted.
        EXPECT_EQ(Market()->GetItemStatus(kBoughtIndex), MarketItemStatus_Sold);
        EXPECT_EQ(engine->GetPartyManager()->GetParty(honestPlayer), kServerPlayer);
        outcome.honestMoneyOnServer = ObjectManager::Get().GetObject<Player>(honestPlayer)->GetCurrentMoney();
        outcome.before = ServerState();
        outcome.heapBeforeKb = HeapKb();
        Go(outcome.hostileHost);
        EXPECT_TRUE(AwaitDone(outcome.hostileHost, watch));
        outcome.after = ServerState();
        outcome.heapAfterKb = HeapKb();
        EXPECT_LE(outcome.heapAfterKb - outcome.heapBeforeKb, kHeapGrowthLimitKb)
            << "the heap grew from " << outcome.heapBeforeKb << " kB to " << outcome.heapAfterKb << " kB";
    }
    EndClients({&honest, &hostile});
    outcome.honest = honest.GetReport();
    outcome.hostile = hostile.GetReport();
    EXPECT_NE(outcome.honestHost, 0) << outcome.honest;
    EXPECT_NE(outcome.hostileHost, 0) << outcome.hostile;
    EXPECT_NE(outcome.honest.find("purchase: status 3, paid the price 1\n"), std::string::npos) << outcome.honest;
    return outcome;
}

void HostileClientTest::AwaitBye()
{
    RunUntil([this] { return HeardBye() || !sniffer->IsConnected(ConnectionManager::kServerHost); });
}

}  // namespace GAME
