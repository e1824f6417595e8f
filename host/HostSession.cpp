// The session of gamehost: starts the game, gives it a console user interface, runs the
// frames at a fixed step, prints what the game tells the user, and shuts it down.
#include "host/HostSession.h"
#include "host/HostFight.h"
#include "host/HostFixedItems.h"
#include "host/HostFixedItemsNet.h"
#include "host/HostInput.h"
#include "host/HostItems.h"
#include "host/HostLevel.h"
#include "host/HostLevelTell.h"
#include "host/HostLevelUI.h"
#include "host/HostSeed.h"
#include "host/HostMarket.h"
#include "host/HostNetwork.h"
#include "host/HostProxies.h"
#include "host/HostMonsterStates.h"
#include "host/HostTrade.h"
#include "host/HostQuest.h"
#include "host/HostNpc.h"
#include "host/HostQuestGiver.h"
#include "host/HostQuestRewards.h"
#include "host/HostRelics.h"
#include "host/HostSave.h"
#include "host/HostScenery.h"
#include "host/HostShrines.h"
#include "host/HostSkills.h"
#include "host/HostTeleport.h"
#include "host/HostText.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <thread>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/FileSystem.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Object.h"
#include "Engine/ObjectManager.h"
#include "Engine/TextUtil.h"
#include "Engine/World.h"
#include "Game/characters/Npc.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameUIInterface.h"
#include "Game/quests/DialogPak.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerNetInfo.h"

using namespace GAME;

namespace {

// The character a player talks to, by its name: of the characters of the record that the
// conversation names, the one nearest the player; the record when none stands in the world.
std::string TalkedTo(const std::string& record, uint32_t playerId)
{
    struct OfRecord : FilterFunction<Entity> {
        const std::string& record;
        explicit OfRecord(const std::string& r) : record(r) {}
        bool operator()(const Entity* entity) const override
        {
            return entity->IsA<Npc>() && PathEqualsNoCase(entity->GetObjectName().c_str(), record.c_str());
        }
    };
    std::vector<Entity*> found;
    World::Get().GetEntities(found, OfRecord(record), EntityList_All);
    const auto* player = ObjectManager::Get().GetObject<Entity>(playerId);
    const Entity* nearest = nullptr;
    float nearestDistance = 0.0f;
    for (const Entity* entity : found) {
        const float distance =
            player ? (entity->GetCoords().GetRegionCoords().origin - player->GetCoords().GetRegionCoords().origin).Length()
                   : 0.0f;
        if (!nearest || distance < nearestDistance) {
            nearest = entity;
            nearestDistance = distance;
        }
    }
    return nearest ? HostName(nearest) : record;
}


// Prints what the game asks of the user and answers as told.
class ConsoleUI : public HostNpcDialogs<HostSavePrompts> {
public:
    bool DisplaySkillReallocationWindow(uint32_t playerId) override
    {
        std::printf("ui: skill reallocation window for player %u\n", playerId);
        return true;
    }
    bool SaveQuest(bool flag) override
    {
        // The flag is set when a quest's saved state was dropped for not matching its file.
        std::printf("ui: save the quest state%s\n", flag ? " (a saved quest did not match its file)" : "");
        return true;
    }
    bool BackupGame() override
    {
        std::printf("ui: back up game\n");
        return true;
    }
};

void AnswerDialogs(GameEngine& engine, int frame, bool answerYes)
{
    DialogManager& dialogs = engine.GetDialogManager();
    while (const DialogManager::Dialog* dialog = dialogs.PeekTopDialog()) {
        const bool question = dialog->type == kDialogTypeYesNo;
        std::printf("dialog: frame %d: %s%s\n", frame, HostPlainText(dialog->text).c_str(),
                    question ? (answerYes ? " -> yes" : " -> no") : "");
        if (question)
            dialogs.AddResponse(dialog->party, answerYes);
        dialogs.RemoveTopDialog();
    }
}

void PrintMailbox(GameEngine& engine, int frame)
{
    while (engine.GetNumNotifications() > 0) {
        UINotification notification = engine.TakeTopNotification();
        for (const std::string& tag : notification.tags)
            std::printf("notification: frame %d: %s\n", frame,
                        HostPlainText(LocalizationManager::Instance().Format(tag.c_str())).c_str());
        for (const std::u16string& text : notification.texts)
            if (const std::string line = HostPlainText(text); !HostLevelTell::IsLevelMessage(line))
                std::printf("notification: frame %d: %s\n", frame, line.c_str());
    }
    std::vector<ChatMessage> chat;
    engine.RemovePendingMessages(chat);
    for (const ChatMessage& message : chat)
        std::printf("chat: frame %d: from %s: %s\n", frame, HostPlainText(message.sender).c_str(), HostPlainText(message.text).c_str());
}

// What the game asked the user interface to pass on: the answers to party invitations.
void PrintPartyAnswers(GameEngine& engine, int frame)
{
    while (engine.GetNumPartyRequestResponses() > 0) {
        const PartyRequestResponse answer = engine.GetTopPartyRequestResponse();
        std::printf("party: frame %d: answer from player %u: %s\n", frame, answer.playerId,
                    answer.answer ? "yes" : "no");
    }
}

// The companion of the single-process run: a second player, "Companion", staged as if it
// played on network host 1, so that a run alone shows a second player in the roster, its
// invitation into a party and the answer. No process and no connection stand behind it:
// the host hands the game its join and its invitation through the inbound operations, the
// ones that apply what a peer sends. It never moves or fights. On the network the second
// player is a client's own.
constexpr int kCompanionHost = 1;
constexpr uint32_t kCompanionId = (static_cast<uint32_t>(kCompanionHost) << 28) | 7u;
constexpr int kInvitationFrame = 2;
constexpr int32_t kCompanionLevel = 1;

class Companion {
public:
    explicit Companion(GameEngine& engine) : m_engine(engine)
    {
        m_record.playerId = kCompanionId;
        m_record.playerName = u"Companion";
        m_record.level = kCompanionLevel;   // a character's first level, as a new one's join tells
    }

    // The companion joins the game.
    void Join() { m_engine.GetInboundNetworkInterface()->CtoS_AddNewPlayer(m_record); }

    // The companion invites the local player into the party it leads.
    void Invite()
    {
        m_engine.GetInboundNetworkInterface()->InvitePlayerToParty(m_engine.GetPlayerId(),
                                                                   static_cast<int>(kCompanionId));
    }

private:
    GameEngine& m_engine;
    PlayerNetBasicInfo m_record;
};

void PrintRoster(GameEngine& engine)
{
    for (const PlayerNetBasicInfo& record : engine.GetPlayerManagerClient()->GetPlayerInfoCache())
        std::printf("gamehost: roster: player %u \"%s\" level %d on host %u\n", record.playerId,
                    HostPlainText(record.playerName).c_str(), record.level, record.playerId >> 28);
}

// A networked frame gives the other process a moment: its packets arrive in time.
constexpr int kNetworkFrameSleepMs = 4;
constexpr int kGuestDistance = 4;

// The run's refusal, "INPUT: REASON" (empty while it is not refused).
std::string gRefusal;
// Whether the header was printed.
bool gAccepted = false;
// The scripted clicks (--input) as read once, at the start.
std::string gInputText;

}  // namespace

int GAME::HostRefuse(const std::string& input, const std::string& reason)
{
    if (gRefusal.empty())
        gRefusal = input + ": " + reason;
    return kHostExitRefused;
}

bool GAME::HostRefused() { return !gRefusal.empty(); }

int GAME::HostEndShort(const std::string& reason)
{
    const std::string line = "gamehost: " + reason + "\n";
    std::fflush(stdout);
    std::fputs(line.c_str(), stderr);
    return kHostExitShort;
}

bool GAME::HostAccepted(const HostOptions& options)
{
    if (gAccepted)
        return true;
    if (const std::string refusal = ProbeHostSave(options.savePath); !refusal.empty()) {
        gRefusal = refusal;
        return false;
    }
    gAccepted = true;
    std::fputs(options.header.c_str(), stdout);
    return true;
}

std::string GAME::HostUnreadable(const std::string& path)
{
    std::string bytes;
    return ReadWholeFile(path, bytes);
}

std::string GAME::HostCheckRecord(const std::string& record, const std::string& role, const RTTI_ClassInfo* made)
{
    const std::string shown = "the " + role + "'s record " + EscapedExcerpt(record);
    std::vector<LogLine> logged;
    const LoadTable* table = nullptr;
    {
        LogCapture capture;
        table = RecordDatabase::Get().Load(record);
        logged = capture.Lines();
    }
    if (!table) {
        const std::string why = RecordDatabase::Get().Unreadable(record);
        return shown + " " + (why.empty() ? "does not exist" : why);
    }
    // A table of values that holds none (an empty file, or a pipe that gave nothing) would
    // play as if every value took its default.
    if (!made && table->GetKeyCount() == 0)
        return shown + " holds no values (" +
               (logged.empty() ? std::string("it is empty") : EscapedExcerpt(logged.front().text, 160)) + ")";
    const std::string className = table->GetString("Class", "");
    const RTTI_ClassInfo* info = Object::GetStaticClassInfo().FindClassByName(className.c_str());
    if (made && (!info || !info->IsA(*made)))
        return shown + " makes no " + role + " (its class is \"" + EscapedExcerpt(className) + "\"" +
               (logged.empty() ? std::string() : "; " + EscapedExcerpt(logged.front().text, 160)) + ")";
    // A record that serves is read once: what its loading logged is said now.
    for (const LogLine& line : logged)
        gEngine->Log(line.level, "%s", line.text.c_str());
    return {};
}

bool GAME::HostLoadInput(const HostOptions& options, HostInput& input)
{
    if (options.inputPath.empty())
        return false;
    // The text the start check read: a pipe gives its bytes to one read alone.
    input.Parse(gInputText, options.inputPath);
    return true;
}

extern "C" const char* GameHostRefusal() { return gRefusal.c_str(); }

extern "C" int GameHostRun(const HostOptions* options)
{
    gRefusal.clear();
    gAccepted = false;
    gInputText.clear();
    // A channel the game exports as "gLog<Name>" is switched on by giving it a number; a
    // channel the game has not refuses the run.
    std::vector<int*> slots;
    for (const std::string& channel : options->logChannels) {
        std::string symbol = "gLog" + channel;
        symbol[4] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[4])));
        int* slot = static_cast<int*>(dlsym(RTLD_DEFAULT, symbol.c_str()));
        if (!slot)
            return HostRefuse("--log " + EscapedExcerpt(channel), "the game has no such log channel");
        slots.push_back(slot);
    }
    // The scripted clicks, the save read and the folder saved to, before anything else is
    // read.
    if (!options->inputPath.empty())
        if (const std::string why = ReadWholeStream(options->inputPath, gInputText); !why.empty())
            return HostRefuse("--input " + options->inputPath, why);
    if (const std::string refusal = CheckHostSaves(options->loadPath, options->savePath); !refusal.empty()) {
        gRefusal = refusal;
        return kHostExitRefused;
    }
    for (size_t i = 0; i < slots.size(); ++i)
        *slots[i] = gEngine->RegisterLogChannel(options->logChannels[i].c_str());

    if (!options->level.empty())
        return HostLevel::Run(*options);

    // What the bundled run plays is there before it starts: the records its fighters are
    // made from, its quest, and the state of that quest in a save it resumes (the game
    // would drop a state of another quest, or of another version of it, and play on).
    const bool networked = HostNetwork::Wanted(*options);
    std::string lacking = HostFight::CheckRecords(networked && options->role == "client");
    if (lacking.empty())
        lacking = HostQuest::CheckFile(HostQuest::kQuestFile);
    if (!lacking.empty())
        return HostRefuse("--data " + options->dataRoot, lacking);
    if (!options->loadPath.empty())
        if (const std::string why = HostQuest::CheckSavedState(HostQuest::kQuestFile, options->loadPath); !why.empty())
            return HostRefuse("--load " + options->loadPath, why);

    // Scripted clicks steer the player in place of the host's own strikes; read before
    // anything starts, a file that cannot be read refuses the run.
    HostInput input;
    const bool scripted = HostLoadInput(*options, input);
    if (HostRefused())
        return kHostExitRefused;

    // Every game event the game sends is shown with the frame it happened in.
    int frame = 0;
    auto previousObserver = EventManager::Get().SetSendObserver([&frame](const GameEvent& event, const Name& name) {
        if (const auto* unlock = dynamic_cast<const GameEvent_TutorialUnlock*>(&event))
            std::printf("event: frame %d: %s (page %u)\n", frame, name.c_str(), unlock->page);
        else if (const auto* talk = dynamic_cast<const GameEvent_ConversationBegin*>(&event))
            std::printf("event: frame %d: %s (%s, player %u)\n", frame, name.c_str(),
                        TalkedTo(talk->npcName, talk->playerId).c_str(), talk->playerId);
        else
            std::printf("event: frame %d: %s\n", frame, name.c_str());
    });

    // On the network the client learns its host number first, so that every object it
    // makes has an id of its own range.
    HostNetwork network;
    if (networked && !network.Open(*options)) {
        EventManager::Get().SetSendObserver(std::move(previousObserver));
        return kHostExitRefused;
    }
    if (!HostAccepted(*options)) {
        EventManager::Get().SetSendObserver(std::move(previousObserver));
        return kHostExitRefused;
    }
    network.PrintOpened();
    InitializeObjects();
    HostNamesNewGame();   // a game names its characters afresh
    GameEngine& engine = *gGameEngine;
    SeedGameRules(engine, *options);
    ConsoleUI ui;
    engine.SetUI(&ui);
    gEngine->SetActiveCamera(&engine.GetCamera());
    network.StartGame(engine, options->role);
    engine.SetGameLoading(false);
    std::printf("gamehost: game engine started (%s role, server side %s)\n", options->role.c_str(),
                engine.IsServerOrSingle() ? "runs here" : "is remote");

    // The game's packets go to a recording transport when there are no other processes:
    // nobody receives them, so they are dropped unprinted after each frame.
    RecordingTransport transport;
    if (!networked)
        ConnectionManager::Get().SetTransport(&transport);
    // A client on the network plays only its own player; the fight is the server's.
    const bool guest = networked && options->role == "client";
    HostFight fight;
    fight.SetPlayerScripted(scripted);
    HostQuestGiver questGiver;
    Companion companion(engine);
    // A saved character (--load) plays the fight: it is read into the player as the fight
    // makes it, and a save that cannot be read ends the run before anything is written.
    const bool fighting = guest ? fight.StartGuest(u"Guest", Vec3{0.0f, 0.0f, static_cast<float>(kGuestDistance)},
                                                   options->loadPath)
                                : fight.Start(options->loadPath);
    // The monster's name, for the summary once its body may be gone.
    const std::string monsterName = HostName(ObjectManager::Get().GetObject(fight.GetMonsterId()));
    // The game is about to run: the characters read what they read at the start (the
    // statistics' score formula).
    EventManager::Get().Send(GameEvent_PreRun(), "GameEvent_PreRun");
    if (fighting) {
        engine.GetPlayerManagerClient()->SetMainPlayer(fight.GetPlayerId());
        // The game camera follows the player: what it sees is what the crowding pushes.
        engine.SetPlayer(ObjectManager::Get().GetObject<Player>(fight.GetPlayerId()));
        if (!networked)
            companion.Join();
        PrintRoster(engine);
    }
    const bool questGiving = fighting && !guest && questGiver.Start(fight.GetPlayerId());
    HostNpc townsfolk;
    // The server's townsfolk come to a client with its other characters.
    const bool townsfolkHere = fighting && (guest ? townsfolk.StartGuest(fight.GetPlayerId()) : questGiving && townsfolk.Start());
    HostQuest quest;
    const HostQuestRewards questRewards(frame);
    const bool questing = fighting && quest.Start(fight.GetPlayerId(), fight.GetMonsterId(), options->loadPath);
    // The end of a run that started: the fight's characters go, then the network and the game.
    const auto shutDown = [&] {
        if (fighting)
            fight.Stop();
        network.Close();
        engine.SetUI(nullptr);
        gEngine->SetActiveCamera(nullptr);
        ConnectionManager::Get().SetTransport(nullptr);
        ShutdownObjects();
        EventManager::Get().SetSendObserver(std::move(previousObserver));
    };
    // A saved character or quest state that does not read refuses the run before its first
    // frame.
    if (HostRefused()) {
        shutDown();
        return kHostExitRefused;
    }
    HostProxies level;
    if (fighting && !guest)
        level.Start(fight.GetPlayerId());
    // The teleport is played in the single-process run only.
    HostTeleport teleport;
    HostItems items;
    if (fighting && !networked)
        teleport.Start(fight.GetPlayerId());
    HostScenery scenery;
    const bool scenic = fighting && scenery.Start(fight.GetPlayerId(), !guest);
    HostShrines shrines;
    const bool shrining = fighting && shrines.Start(fight.GetPlayerId());
    HostMarket market;
    HostTrade trade;
    if (scripted && fighting && !networked)
        market.StartClicked(engine, fight.GetPlayerId(), fight.GetMonsterId());
    HostFixedItemsNet fixedItemsNet;
    if (networked && fighting) {
        market.Start(engine, fight.GetPlayerId());
        trade.Start(engine, fight.GetPlayerId());
        fixedItemsNet.Start(fight.GetPlayerId(), !guest);
    }
    HostMonsterStates monsterStates(fighting, networked);
    // A server tells its clients it plays the bundled run; a client of another level is
    // refused (HostNetwork::GetLevelTell).
    const HostLevelTell& levelTell = network.GetLevelTell();
    if (networked) {
        network.Start(engine, fight.GetPlayerId());
        // A client can receive, in one frame, a gold pile and the server's player picking
        // it up: the pile is seen as it lands, before the pick-up is applied.
        network.WatchTraffic(
            [&market, &input, &fixedItemsNet, &monsterStates](const unsigned char* data, size_t size) {
                market.Travelled(data, size);
                input.Travelled(data, size);
                fixedItemsNet.Travelled(data, size);
                monsterStates.Travelled(data, size);
            },
                             [&fight, &frame, fighting] {
                                 if (fighting)
                                     fight.WatchDrops(frame);
                             });
        network.WaitForFirstClient();
    }
    transport.sent.clear();
    InterpenetrationManager crowding;
    int framesRun = options->frames;
    for (frame = 1; frame <= options->frames; ++frame) {
        monsterStates.BeforeFrame(frame);
        if (networked)
            network.BeforeFrame(frame);
        else if (frame == kInvitationFrame && engine.GetPlayerId() != 0)
            companion.Invite();
        if (scripted && fighting)
            input.Apply(frame, fight.GetPlayerId());
        // The player walks to the shrine once the quest asks for it, never during its trade.
        if (questing)
            quest.BeforeFrame(frame, trade.InProgress());
        network.Session().UpdateGame(options->stepMs);
        if (fighting)
            fight.Update(frame, options->stepMs);
        if (questGiving && !scripted)   // scripted clicks talk to the quest giver themselves
            questGiver.Update(frame);
        teleport.Update(frame, static_cast<long long>(frame - 1) * options->stepMs);
        network.Session().UpdateWorld(options->stepMs);
        // Characters that walked into each other this frame are pushed apart in view of
        // the camera, brought to where the player now stands.
        engine.GetCamera().Update();
        crowding.FixupCharacterCollisions(engine.GetCamera());
        if (fighting)
            fight.AfterFrame(frame);
        if (scripted && fighting)
            input.AfterFrame(frame, fight.GetPlayerId());
        if (scripted && fighting && !networked)
            market.AfterFrameClicked(engine, frame);
        if (questGiving)
            questGiver.AfterFrame(frame);
        if (townsfolkHere)
            townsfolk.AfterFrame(frame);
        if (questing)
            quest.AfterFrame(frame);
        level.AfterFrame(frame);
        monsterStates.AfterFrame(frame);
        teleport.AfterFrame(frame);
        if (shrining)
            shrines.AfterFrame(frame);
        if (scenic)
            scenery.AfterFrame(frame);
        // Before the console answers: the walk answers its own questions.
        if (networked)
            fixedItemsNet.AfterFrame(frame);
        PrintMailbox(engine, frame);
        PrintPartyAnswers(engine, frame);
        AnswerDialogs(engine, frame, options->answerYes);
        transport.sent.clear();
        if (!networked)
            continue;
        network.AfterFrame(frame);
        if (!levelTell.GetRefusal().empty())
            break;
        if (fighting) {
            items.AfterFrame(engine, frame, fight.GetPlayerId());
            market.AfterFrame(engine, frame);
            trade.AfterFrame(engine, frame, !fight.LootPileTaken());
            // The players' trade comes before the quest's end: the walk to the shrine
            // follows it at once, in whatever frame each host's trade ended.
            if (questing && trade.Over())
                quest.MakeShrineDue();
        }
        if (network.ShouldStop()) {
            std::printf("gamehost: the server went away; the game ends after frame %d\n", frame);
            framesRun = frame;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kNetworkFrameSleepMs));
    }

    if (!levelTell.GetRefusal().empty()) {
        fixedItemsNet.Stop();
        shutDown();
        return HostRefuse(levelTell.RefusedInput(options->connectTo), levelTell.GetRefusal());
    }
    std::printf("gamehost: ran %s of %d ms (%.3f s of game time); %s unlocked\n",
                HostCount(static_cast<size_t>(framesRun), "frame").c_str(), options->stepMs,
                static_cast<double>(static_cast<long long>(framesRun) * options->stepMs) / 1000.0,
                HostCount(engine.GetTutorialUnlockList().size(), "tutorial page").c_str());
    if (fighting)
        HostSkills::Run(fight.GetPlayerId());
    if (fighting && !networked)
        HostItems::FillBags(fight.GetPlayerId());
    // The character, its tokens and the quest state are one save, written whole or not at all.
    bool saved = true;
    if (fighting && !options->savePath.empty())
        saved = SaveHostRun(fight.GetPlayerId(), options->savePath, questing);
    // The items' showcase comes after the save, which it must not change.
    if (fighting && !networked) {
        HostItems::Run(fight.GetPlayerId());
        if (!scripted)   // scripted clicks visit the merchant during the frames
            HostMarket::Run(engine, fight.GetPlayerId(), options->stepMs);
        HostRelics::Run(fight.GetPlayerId(), options->stepMs);
        HostFixedItems::Run(fight.GetPlayerId(), options->stepMs);
    }
    // The run ends with what became of the monster, the quest and the player.
    if (fighting) {
        const auto* monster = ObjectManager::Get().GetObject<Character>(fight.GetMonsterId());
        if (monster && monster->IsAlive())
            std::printf("summary: the monster, %s, lives: life %.1f of %.1f\n", monsterName.c_str(),
                        monster->GetCurrentLife(), monster->GetLifeLimit());
        else if (fight.GetMonsterId())
            std::printf("summary: the monster, %s, is dead\n", monsterName.c_str());
        if (questing)
            quest.PrintSummary();
        if (auto* player = ObjectManager::Get().GetObject<Player>(fight.GetPlayerId()))
            HostItems::PrintSummary(*player);
    }
    fixedItemsNet.Stop();
    // A client's server that stopped answering or dropped it ended the game short of its
    // frames, unlike one that closed the game.
    const std::string lost = network.GetLossReason();
    if (networked) {
        market.PrintHeld();
        trade.PrintEnd();
        network.PrintEnd();
    }
    shutDown();
    std::printf("gamehost: game engine shut down\n");
    // The records and the quest were checked before the start; a fight or a quest that
    // still could not be staged is no run done.
    if (!fighting || !questing) {
        std::printf("gamehost: the run ended short: its %s could not be started\n", fighting ? "quest" : "fight");
        return kHostExitShort;
    }
    if (!lost.empty())
        return HostEndShort("the server went away (" + lost + ") after frame " + std::to_string(framesRun) +
                            " of " + std::to_string(options->frames) + ": the run ended short");
    return saved ? kHostExitDone : kHostExitShort;
}
