#include "host/HostVillageNet.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Item.h"
#include "Game/quests/DialogManager.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestRepository.h"
#include "Game/world/FixedItemContainer.h"
#include "host/HostFight.h"
#include "host/HostFixedItems.h"
#include "host/HostInput.h"
#include "host/HostLevel.h"
#include "host/HostLevelTell.h"
#include "host/HostLevelUI.h"
#include "host/HostLoot.h"
#include "host/HostNetwork.h"
#include "host/HostQuest.h"
#include "host/HostSeed.h"
#include "host/HostSession.h"
#include "host/HostText.h"

namespace GAME {

namespace {

// The region the village stands in on every host, and its half size.
constexpr uint32_t kNetVillageRegion = 1;
constexpr float kNetVillageHalfSize = 100.0f;
// A client's player starts this far from the village's centre, a step further for each host.
constexpr float kGuestStart = 4.0f;
constexpr float kGuestSpacing = 2.0f;

std::vector<Entity*> EntitiesOf(const std::function<bool(const Entity&)>& wanted)
{
    struct Wanted : FilterFunction<Entity> {
        const std::function<bool(const Entity&)>& test;
        explicit Wanted(const std::function<bool(const Entity&)>& t) : test(t) {}
        bool operator()(const Entity* entity) const override { return entity && test(*entity); }
    };
    std::vector<Entity*> found;
    World::Get().GetEntities(found, Wanted(wanted), EntityList_All);
    return found;
}

// An item lying in the world by itself, neither carried nor worn.
bool LooseItem(const Entity& entity)
{
    return entity.IsA<Item>() && entity.IsInWorld() && !entity.GetAttachParent();
}

// The distance across the ground between two entities of one region; -1 across regions.
float VillageNetDistance(const Entity& a, const Entity& b)
{
    if (a.GetCoords().GetRegion() != b.GetCoords().GetRegion())
        return -1.0f;
    const Vec3 p = a.GetCoords().GetRegionCoords().origin;
    const Vec3 q = b.GetCoords().GetRegionCoords().origin;
    const float dx = p.x - q.x, dz = p.z - q.z;
    return std::sqrt(dx * dx + dz * dz);
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

HostWorldTally::~HostWorldTally()
{
    StopObserving();
}

void HostWorldTally::ObserveDeaths()
{
    m_deaths.Start([this](const GameEvent& event) {
        if (const auto* death = dynamic_cast<const GameEvent_CreatureDeath*>(&event))
            CreatureDied(death->objectId);
    });
}

void HostWorldTally::StopObserving()
{
    m_deaths.Stop();
}

void HostWorldTally::Watch()
{
    ++m_looks;
    struct Source {
        const Entity* entity;
        std::string name;
    };
    std::vector<Source> sources;
    for (Entity* entity : EntitiesOf([](const Entity& e) { return e.IsA<Monster>(); })) {
        const auto& monster = static_cast<const Monster&>(*entity);
        const bool dead = monster.GetLifeState() == Character_LifeState_Dying ||
                          monster.GetLifeState() == Character_LifeState_Dead;
        if (!dead)
            continue;
        CreatureDied(monster.GetObjectId());
        if (monster.GetClassification() == MonsterClassification_Boss)
            sources.push_back({&monster, "boss " + HostKindName(&monster)});
    }
    const auto opened = [](const Entity& e) {
        return e.IsA<FixedItemContainer>() && e.IsInWorld() &&
               static_cast<const FixedItemContainer&>(e).GetCurrentState() == FixedItemState_Open;
    };
    for (Entity* entity : EntitiesOf(opened))
        sources.push_back({entity, "chest " + HostName(entity)});
    for (const Source& source : sources) {
        m_sourceSince.try_emplace(source.entity->GetObjectId(), m_looks);
        // A source that has dropped nothing yet is still listed.
        m_loot.try_emplace(source.name);
    }
    for (Entity* entity : EntitiesOf(LooseItem)) {
        if (!m_itemsSeen.insert(entity->GetObjectId()).second)
            continue;
        const Source* nearest = nullptr;
        float nearestDistance = 0.0f;
        for (const Source& source : sources) {
            if (m_looks - m_sourceSince[source.entity->GetObjectId()] > kLootLooks)
                continue;
            const float distance = VillageNetDistance(*entity, *source.entity);
            if (distance >= 0.0f && (!nearest || distance < nearestDistance)) {
                nearest = &source;
                nearestDistance = distance;
            }
        }
        if (nearest)
            m_loot[nearest->name].push_back(HostLoot::Identity(static_cast<const Item&>(*entity)));
    }
}

void HostWorldTally::CreatureDied(uint32_t id)
{
    if (const auto* monster = ObjectManager::Get().GetObject<Monster>(id))
        m_killed.emplace(id, HostKindName(monster));
}

std::vector<std::string> HostWorldTally::Lines(const std::string& level, bool finished) const
{
    std::vector<std::string> lines = WorldLines(HostVillageNet::kWorldPrefix);
    lines.insert(lines.begin(),
                 HostVillageNet::kWorldPrefix + ("level " + level + (finished ? " finished" : " not finished")));
    return lines;
}

std::vector<std::string> HostWorldTally::GroundLines(const std::string& prefix)
{
    std::vector<std::string> items;
    for (Entity* entity : EntitiesOf(LooseItem))
        items.push_back(HostLoot::Identity(static_cast<const Item&>(*entity)));
    std::sort(items.begin(), items.end());
    std::vector<std::string> lines{prefix + "on the ground: " + std::to_string(items.size()) + " items"};
    for (const std::string& item : items)
        lines.push_back(prefix + "on the ground: " + item);
    return lines;
}

std::vector<std::string> HostWorldTally::WorldLines(const std::string& prefix) const
{
    std::vector<std::string> lines;
    std::map<std::string, int> byRecord;
    for (const auto& [id, record] : m_killed)
        ++byRecord[record];
    lines.push_back("monsters killed: " + std::to_string(m_killed.size()));
    for (const auto& [record, count] : byRecord)
        lines.push_back("killed " + std::to_string(count) + " of " + record);
    if (QuestRepository* quests = QuestRepository::Get())
        for (size_t q = 0; q < quests->GetQuestCount(); ++q)
            if (const Quest* quest = quests->GetQuestAt(q))
                lines.push_back(HostQuest::StateLine(*quest));
    for (const auto& [source, items] : m_loot) {
        std::vector<std::string> sorted = items;
        std::sort(sorted.begin(), sorted.end());
        lines.push_back("loot of the " + source + ": " + std::to_string(sorted.size()) + " items");
        for (const std::string& item : sorted)
            lines.push_back("loot of the " + source + ": " + item);
    }
    for (std::string& line : lines)
        line = prefix + line;
    return lines;
}

HostVillageNet::HostVillageNet() : m_network(std::make_unique<HostNetwork>()) {}

HostVillageNet::~HostVillageNet()
{
    Close();
}

bool HostVillageNet::Open(const HostOptions& options)
{
    m_clients = std::max(options.clients, 0);
    m_lateJoinFrame = options.lateJoinFrame;
    m_open = m_network->Open(options);
    return m_open;
}

void HostVillageNet::PrintOpened() const
{
    m_network->PrintOpened();
}

GameSession& HostVillageNet::Session()
{
    return m_network->Session();
}

void HostVillageNet::StartGame(GameEngine& engine)
{
    m_network->StartGame(engine, "single");
}

void HostVillageNet::Start(GameEngine& engine, uint32_t playerId)
{
    if (!m_open)
        return;
    m_engine = &engine;
    m_playerId = playerId;
    m_network->Start(engine, playerId);
    // A monster that dies and goes within one frame (or within a step's own frames) is
    // counted as it starts dying.
    m_tally.ObserveDeaths();
    std::printf("gamehost: the server waits up to %g s for %s to join\n", kClientWaitMs / 1000.0,
                HostCount(static_cast<size_t>(m_clients), "client").c_str());
    std::fflush(stdout);
    if (!WaitForJoins(m_clients - 1))
        std::printf("gamehost: %d of %d clients joined; the server plays on\n", m_joins, m_clients);
    // The road's beast may fall in the first frames, and its kill counts for the quest only
    // when the player who lands the last blow is in the server player's party: every
    // client's player there now is invited, and in the party, before the first frame.
    m_network->BeforeFrame(0);
    InviteClients(0);
    if (!WaitForParty())
        std::printf("gamehost: not every client's player joined the party; the server plays on\n");
    std::printf("gamehost: the village starts with %d clients\n", m_joins);
    std::fflush(stdout);
}

bool HostVillageNet::InParty() const
{
    const PartyManager* parties = m_engine ? m_engine->GetPartyManager() : nullptr;
    if (!parties)
        return false;
    for (uint32_t id : m_clientPlayers)
        if (!parties->AreInPartyTogether(m_playerId, id))
            return false;
    return true;
}

bool HostVillageNet::WaitForParty()
{
    // A client's player that comes meanwhile is invited too.
    return WaitUntil([this] {
        InviteClients(0);
        return InParty();
    });
}

void HostVillageNet::CountJoins()
{
    const PlayerManagerServer* roster = m_engine ? m_engine->GetPlayerManagerServer() : nullptr;
    if (!roster)
        return;
    std::set<uint32_t> now;
    for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos())
        if (PlayerHostId(record.playerId) != ConnectionManager::kServerHost)
            now.insert(record.playerId);
    for (uint32_t id : now)
        if (!m_clientPlayers.count(id))
            ++m_joins;
    // A player that left is invited again should its id come back with a new client.
    for (uint32_t id : m_clientPlayers)
        if (!now.count(id))
            m_invited.erase(id);
    m_clientPlayers = std::move(now);
}

// The network's own start invites the first client's player of the roster into the server
// player's party; every other client's player, and each that joins later, is invited here,
// so that the road's kill counts for the quest whoever lands the last blow.
void HostVillageNet::InviteClients(int frame)
{
    const PlayerManagerServer* roster = m_engine ? m_engine->GetPlayerManagerServer() : nullptr;
    if (!roster)
        return;
    for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos()) {
        if (PlayerHostId(record.playerId) == ConnectionManager::kServerHost || !m_invited.insert(record.playerId).second)
            continue;
        if (!m_firstInvited) {   // the one the network's start invites
            m_firstInvited = true;
            continue;
        }
        std::printf("session: frame %d: the player invites player %u into its party\n", frame, record.playerId);
        m_engine->InvitePlayerToParty(record.playerId, static_cast<int>(m_playerId));
    }
}

bool HostVillageNet::WaitUntil(const std::function<bool()>& done)
{
    return m_network->Session().WaitUntil(
        [this, &done] {
            CountJoins();
            return done();
        },
        kClientWaitMs);
}

bool HostVillageNet::WaitForJoins(int count)
{
    return WaitUntil([this, count] { return m_joins > count; });
}

void HostVillageNet::BeforeFrame(int frame)
{
    if (!m_open)
        return;
    m_network->BeforeFrame(frame);
    InviteClients(frame);
    if (frame != m_lateJoinFrame)
        return;
    std::printf("village: frame %d: the server waits for a late client, up to %g s\n", frame, kClientWaitMs / 1000.0);
    std::fflush(stdout);
    if (WaitForJoins(m_clients))
        std::printf("village: frame %d: a late client has joined (%d clients in all)\n", frame, m_joins);
    else
        std::printf("village: frame %d: no late client joined; the server plays on\n", frame);
}

void HostVillageNet::AfterFrame(int frame)
{
    if (!m_open)
        return;
    m_network->AfterFrame(frame);
    CountJoins();
    m_tally.Watch();
    Pause(kFrameSleepMs);
}

void HostVillageNet::Finish(const std::string& level, bool finished)
{
    if (!m_open)
        return;
    m_tally.Watch();
    std::vector<std::string> lines = m_tally.Lines(level, finished);
    std::vector<uint32_t> present;
    if (const PlayerManagerServer* roster = m_engine ? m_engine->GetPlayerManagerServer() : nullptr)
        for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos())
            present.push_back(record.playerId);
    std::sort(present.begin(), present.end());
    std::string players;
    for (uint32_t id : present)
        players += " " + std::to_string(id);
    lines.push_back(std::string(kWorldPrefix) + "players at the end:" + (players.empty() ? " none" : players));
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
    const std::u16string end = LocalizationManager::ToWChar(std::string(kWorldPrefix) + "end");
    for (uint32_t id : present) {
        if (PlayerHostId(id) == ConnectionManager::kServerHost)
            continue;
        // Each line goes with its number: the game shows a message that repeats the one
        // before it only once, and a summary may hold two lines alike (two equal piles).
        for (size_t n = 0; n < lines.size(); ++n)
            m_engine->DisplayWMessageRemote(id, true, LocalizationManager::ToWChar(std::to_string(n) + " " + lines[n]));
        m_engine->DisplayWMessageRemote(id, true, end);
    }
    m_network->Session().Poll();
    m_network->PrintEnd();
    std::fflush(stdout);
}

void HostVillageNet::Close()
{
    m_tally.StopObserving();
    m_network->Close();
    m_open = false;
    m_engine = nullptr;
}

namespace {

// A client's run: its own player in the village, the server's world as it arrives, and
// the summary of the shared world as the server sends it.
class HostVillageGuest {
public:
    HostVillageGuest(const HostOptions& options, const HostLevel* beyond) : m_options(options), m_beyond(beyond) {}

    // The frames until the client's own last or until the server goes away; the exit code.
    int Play(GameEngine& engine, HostNetwork& network)
    {
        const bool scripted = HostLoadInput(m_options, m_input);
        if (HostRefused())
            return kHostExitRefused;
        const int host = ConnectionManager::Get().GetLocalHostId();
        const std::u16string name = LocalizationManager::ToWChar("Guest " + std::to_string(host));
        const Vec3 start{0.0f, 0.0f, kGuestStart + kGuestSpacing * static_cast<float>(host)};
        if (!m_fight.StartGuest(name, start)) {
            std::printf("gamehost: the client's player cannot be placed\n");
            return 1;
        }
        if (Region* region = World::Get().GetRegionById(kNetVillageRegion)) {
            ABBox bounds;
            bounds.extents = Vec3{kNetVillageHalfSize, kNetVillageHalfSize, kNetVillageHalfSize};
            region->SetBounds(bounds);
        }
        // The shore the server's player is carried to by the road's boat is opened here as
        // the server opens it, so that what the server sends of it is placed.
        if (!HostFixedItems::BoatDestinationRegion(kNetVillageRegion))
            std::printf("gamehost: the shore across the village's boat cannot be opened\n");
        if (m_beyond && !m_beyond->OpenRegion(true))
            std::printf("gamehost: the region beyond the village's portal cannot be opened\n");
        const uint32_t playerId = m_fight.GetPlayerId();
        m_fight.SetPlayerScripted(true);
        EventManager::Get().Send(GameEvent_PreRun(), "GameEvent_PreRun");
        engine.GetPlayerManagerClient()->SetMainPlayer(playerId);
        engine.SetPlayer(ObjectManager::Get().GetObject<Player>(playerId));
        network.Start(engine, playerId);
        const HostLevelTell& levelTell = network.GetLevelTell();
        network.WatchTraffic({}, [this] { m_fight.WatchDrops(m_frame); });
        m_tally.ObserveDeaths();
        bool serverGone = false;
        for (m_frame = 1; m_frame <= m_options.frames && !m_ended; ++m_frame) {
            network.BeforeFrame(m_frame);
            if (scripted)
                m_input.Apply(m_frame, playerId);
            network.Session().UpdateGame(m_options.stepMs);
            m_fight.Update(m_frame, m_options.stepMs);
            network.Session().UpdateWorld(m_options.stepMs);
            engine.GetCamera().Update();
            m_crowding.FixupCharacterCollisions(engine.GetCamera());
            m_fight.AfterFrame(m_frame);
            if (scripted)
                m_input.AfterFrame(m_frame, playerId);
            m_tally.Watch();
            TakeMessages(engine);
            network.AfterFrame(m_frame);
            if (!levelTell.GetRefusal().empty()) {
                m_tally.StopObserving();
                m_fight.Stop();
                return HostRefuse(levelTell.RefusedInput(m_options.connectTo), levelTell.GetRefusal());
            }
            if (network.ShouldStop()) {
                serverGone = true;
                break;
            }
            Pause(HostVillageNet::kFrameSleepMs);
        }
        std::printf("gamehost: the client %s after frame %d\n",
                    m_ended ? "has the summary" : serverGone ? "lost its server" : "leaves the village",
                    std::min(m_frame, m_options.frames));
        m_tally.StopObserving();
        m_fight.Stop();
        if (m_ended || !serverGone)
            return kHostExitDone;
        const std::string& lost = network.GetLossReason();
        return HostEndShort("the server went away (" + (lost.empty() ? std::string("it closed the game") : lost) +
                            ") before its summary came: the run ended short");
    }

private:
    // The server's summary has come: what this client saw of the shared world, to set beside it.
    void End()
    {
        if (m_ended)
            return;
        m_ended = true;
        m_tally.Watch();
        for (const std::string& line : m_tally.WorldLines(HostVillageNet::kSeenPrefix))
            std::printf("%s\n", line.c_str());
        for (const std::string& line : HostWorldTally::GroundLines(HostVillageNet::kSeenPrefix))
            std::printf("%s\n", line.c_str());
    }

    // The server's summary comes as messages to this client's player; the dialogs the game
    // asks of the user (an invitation into the server's party) are answered yes.
    void TakeMessages(GameEngine& engine)
    {
        const std::string prefix = HostVillageNet::kWorldPrefix;
        while (engine.GetNumNotifications() > 0) {
            UINotification notification = engine.TakeTopNotification();
            for (const std::u16string& text : notification.texts) {
                std::string line = HostPlainText(text);
                // A summary line comes with its number before it.
                const size_t digits = line.find_first_not_of("0123456789");
                if (digits != std::string::npos && digits > 0 && line[digits] == ' ')
                    line.erase(0, digits + 1);
                if (line.rfind(prefix, 0) != 0)
                    continue;
                if (line == prefix + "end")
                    End();
                else
                    std::printf("%s\n", line.c_str());
            }
        }
        DialogManager& dialogs = engine.GetDialogManager();
        while (const DialogManager::Dialog* dialog = dialogs.PeekTopDialog()) {
            if (dialog->type == kDialogTypeYesNo)
                dialogs.AddResponse(dialog->party, true);
            dialogs.RemoveTopDialog();
        }
    }

    const HostOptions& m_options;
    const HostLevel* m_beyond;
    HostFight m_fight;
    HostInput m_input;
    InterpenetrationManager m_crowding;
    HostWorldTally m_tally;
    int m_frame = 0;
    bool m_ended = false;
};

}  // namespace

int HostVillageNet::RunClient(const HostOptions& options, const HostLevel& level, const HostLevel* beyond)
{
    HostNetwork network;
    if (!network.Open(options))
        return kHostExitRefused;
    level.Accepted(options);
    network.PrintOpened();
    InitializeObjects();
    HostNamesNewGame();   // a game names its characters afresh
    GameEngine& engine = *gGameEngine;
    SeedGameRules(engine, options);
    int result = 1;
    {
        HostLevelUI ui;
        engine.SetUI(&ui);
        gEngine->SetActiveCamera(&engine.GetCamera());
        network.StartGame(engine, "client");
        engine.SetGameLoading(false);
        HostVillageGuest guest(options, beyond);
        result = guest.Play(engine, network);
        network.Close();
        engine.SetUI(nullptr);
        gEngine->SetActiveCamera(nullptr);
        ShutdownObjects();
    }
    std::printf("gamehost: game engine shut down\n");
    return result;
}

}  // namespace GAME
