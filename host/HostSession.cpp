// The session of gamehost: starts the game, gives it a console user interface, runs the
// frames at a fixed step, prints what the game tells the user, and shuts it down.
#include "host/HostSession.h"
#include "host/HostDispatch.h"
#include "host/HostFight.h"

#include <cctype>
#include <cstdio>
#include <dlfcn.h>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/characters/Player.h"

using namespace GAME;

namespace {

std::string Narrow(const std::u16string& text)
{
    return LocalizationManager::ToChar(text);
}

// Prints what the game asks of the user and answers as told.
class ConsoleUI : public GameUIInterface {
public:
    bool DisplaySkillReallocationWindow(uint32_t playerId) override
    {
        std::printf("ui: skill reallocation window for player %u\n", playerId);
        return true;
    }
    bool SaveGame(GameDifficulty difficulty) override
    {
        std::printf("ui: save game (difficulty %d)\n", static_cast<int>(difficulty));
        return true;
    }
    bool SaveGame() override
    {
        std::printf("ui: save game\n");
        return true;
    }
    bool SaveQuest(bool flag) override
    {
        std::printf("ui: save quest (%s)\n", flag ? "true" : "false");
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
        std::printf("frame %d: dialog: %s%s\n", frame, Narrow(dialog->text).c_str(),
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
            std::printf("frame %d: notification: %s\n", frame,
                        Narrow(LocalizationManager::Instance().Format(tag.c_str())).c_str());
        for (const std::u16string& text : notification.texts)
            std::printf("frame %d: notification: %s\n", frame, Narrow(text).c_str());
    }
    std::vector<ChatMessage> chat;
    engine.RemovePendingMessages(chat);
    for (const ChatMessage& message : chat)
        std::printf("frame %d: chat from %s: %s\n", frame, Narrow(message.sender).c_str(), Narrow(message.text).c_str());
}

// A companion on network host 1 who invites the local player into a party once the game
// runs, so the bundled run shows an invitation and its answer.
constexpr uint32_t kCompanionId = (1u << 28) | 7u;
constexpr int kInvitationFrame = 2;

// The local player joins the game: it becomes the main player of the client's roster and
// is entered into the host's.
void JoinLocalPlayer(GameEngine& engine, uint32_t playerId)
{
    PlayerManagerClient* client = engine.GetPlayerManagerClient();
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!client || !player)
        return;
    client->SetMainPlayer(playerId);
    PlayerNetBasicInfo self;
    player->GetPlayerNetBasicInfo(self);
    if (PlayerManagerServer* server = engine.GetPlayerManagerServer())
        server->HandleNewPlayer(self);
    PlayerNetBasicInfo companion;
    companion.playerId = kCompanionId;
    companion.playerName = u"Companion";
    client->HandlePlayerUpdate({self, companion});
    for (const PlayerNetBasicInfo& record : client->GetPlayerInfoCache())
        std::printf("gamehost: roster: player %u \"%s\" level %d on host %u\n", record.playerId,
                    Narrow(record.playerName).c_str(), record.level, record.playerId >> 28);
}

void SelectRole(GameEngine& engine, const std::string& role)
{
    if (role == "server")
        engine.SetAsNetworkServer();
    else if (role == "client")
        engine.SetAsNetworkClient();
    else
        engine.SetAsNetworkStub();
}

}  // namespace

extern "C" int GameHostRun(const HostOptions* options)
{
    for (const std::string& channel : options->logChannels) {
        const int number = gEngine->RegisterLogChannel(channel.c_str());
        // A channel the game exports as "gLog<Name>" is switched on by giving it a number.
        std::string symbol = "gLog" + channel;
        if (!symbol.empty())
            symbol[4] = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[4])));
        if (int* slot = static_cast<int*>(dlsym(RTLD_DEFAULT, symbol.c_str())))
            *slot = number;
        else
            std::printf("gamehost: the game has no log channel \"%s\"\n", channel.c_str());
    }

    // Every game event the game sends is shown with the frame it happened in.
    int frame = 0;
    auto previousObserver = EventManager::Get().SetSendObserver([&frame](const GameEvent& event, const Name& name) {
        if (const auto* unlock = dynamic_cast<const GameEvent_TutorialUnlock*>(&event))
            std::printf("frame %d: event %s (page %u)\n", frame, name.c_str(), unlock->page);
        else
            std::printf("frame %d: event %s\n", frame, name.c_str());
    });

    InitializeObjects();
    RegisterHostDispatch();
    GameEngine& engine = *gGameEngine;
    ConsoleUI ui;
    engine.SetUI(&ui);
    gEngine->SetActiveCamera(&engine.GetCamera());
    SelectRole(engine, options->role);
    engine.SetGameLoading(false);
    std::printf("gamehost: game engine started (%s role, server side %s)\n", options->role.c_str(),
                engine.IsServerOrSingle() ? "runs here" : "is remote");

    HostFight fight;
    const bool fighting = fight.Start();
    if (fighting)
        JoinLocalPlayer(engine, fight.GetPlayerId());
    for (frame = 1; frame <= options->frames; ++frame) {
        if (frame == kInvitationFrame && engine.GetPlayerId() != 0)
            engine.GetInboundNetworkInterface()->InvitePlayerToParty(engine.GetPlayerId(), static_cast<int>(kCompanionId));
        engine.Update(options->stepMs);
        if (fighting)
            fight.Update(frame, options->stepMs);
        gEngine->UpdateFrame(options->stepMs);
        PrintMailbox(engine, frame);
        AnswerDialogs(engine, frame, options->answerYes);
    }

    std::printf("gamehost: ran %d frames of %d ms (%d s of game time); %zu tutorial pages unlocked\n",
                options->frames, options->stepMs, static_cast<int>(static_cast<long long>(options->frames) * options->stepMs / 1000),
                engine.GetTutorialUnlockList().size());
    if (fighting)
        fight.Stop();
    engine.SetUI(nullptr);
    gEngine->SetActiveCamera(nullptr);
    UnregisterHostDispatch();
    ShutdownObjects();
    EventManager::Get().SetSendObserver(std::move(previousObserver));
    std::printf("gamehost: game engine shut down\n");
    return 0;
}
