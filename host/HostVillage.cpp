#include "host/HostVillage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/FileSystem.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Engine/TextUtil.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/EquipmentCtrl.h"
#include "Game/items/InventorySack.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/quests/Quest.h"
#include "host/HostFight.h"
#include "host/HostFixedItems.h"
#include "host/HostInput.h"
#include "host/HostItems.h"
#include "host/HostLevel.h"
#include "host/HostLevelUI.h"
#include "host/HostMarket.h"
#include "host/HostMonsterStates.h"
#include "host/HostNpc.h"
#include "host/HostProxies.h"
#include "host/HostQuestGiver.h"
#include "host/HostQuestRewards.h"
#include "host/HostSave.h"
#include "host/HostSeed.h"
#include "host/HostSession.h"
#include "host/HostShrines.h"
#include "host/HostText.h"
#include "Game/session/GameSession.h"
#include "host/HostVillageNet.h"

namespace GAME {

namespace {

// The fight of the road stands in this region: the village is around it.
constexpr uint32_t kVillageRegionId = 1;
// The village and its road cover this much on each side of its centre.
constexpr float kVillageHalfSize = 100.0f;
// From the save on, every run (saved, unbroken or resumed) draws from these seeds, so a
// resumed run plays on as the run that saved it did.
constexpr uint32_t kAfterSaveSeed = 5757;

// The level's interface, which also shows the quest giver's dialogs.
using HostVillageUI = HostNpcDialogs<HostLevelUI>;

bool ReadVillageFrame(const std::string& word, int& out)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || value < 1 || value > HostLevel::kMaxFrame)
        return false;
    out = static_cast<int>(value);
    return true;
}

// A file or record under the data folder: relative and without "..", as the record
// database takes its names, and of a sane length.
bool IsVillageDataPath(const std::string& path)
{
    constexpr size_t kMaxPath = 256;
    return !path.empty() && path.size() <= kMaxPath && path[0] != '/' && path[0] != '\\' &&
           path.find("..") == std::string::npos;
}

std::vector<std::string> VillageWords(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// A village's steps: the word after the frame, what follows it (with the check it must
// pass), and whether the village holds one of it at most.
struct VillageStepForm {
    const char* word;
    HostVillage::Step::Kind kind;
    const char* argument;   // null when nothing follows
    bool (*valid)(const std::string&);
    bool once;
};

const VillageStepForm* FindVillageStep(const std::string& word)
{
    static const VillageStepForm kForms[] = {
        {"sell", HostVillage::Step::Sell, "RECORD", IsVillageDataPath, false},
        {"chest", HostVillage::Step::Chest, nullptr, nullptr, false},
        {"save", HostVillage::Step::Save, nullptr, nullptr, true},
        {"portal", HostVillage::Step::Portal, "LEVEL", HostLevel::IsLevelName, true},
    };
    for (const VillageStepForm& form : kForms)
        if (word == form.word)
            return &form;
    return nullptr;
}

bool IsVillageStepWord(const std::string& word) { return FindVillageStep(word) != nullptr; }

bool IsVillagePieceWord(const std::string& word)
{
    return word == "quest" || word == "townsfolk" || word == "merchant" || word == "road" || word == "shrines";
}

void ReseedAfterSave(GameEngine& engine)
{
    GAME::srand(kAfterSaveSeed);
    engine.GetRandomGen().Seed(kAfterSaveSeed);
}

// The player walks with its main weapons in hand: it cannot run with the spear of its
// other set drawn.
void DrawMainWeaponsToWalk(Player& player, int frame)
{
    ControllerPlayer* controller = player.GetPlayerController();
    if (!controller || !controller->GetEquipmentCtrl().IsAlternateEquipment())
        return;
    controller->SetAlternateEquipment(false);
    std::printf("village: frame %d: the player draws its main weapon set again\n", frame);
}

// The player a save is resumed into, standing where the road's fight places its own; 0 when
// it cannot be read or placed.
uint32_t MakeResumedVillagePlayer(const std::string& loadPath, const std::string& record)
{
    const uint32_t id = ResumeHostPlayer(loadPath, record);
    auto* player = ObjectManager::Get().GetObject<Player>(id);
    if (!player)
        return 0;
    Region* region = World::Get().GetRegionById(kVillageRegionId);
    if (!World::Get().AddEntity(player, WorldCoords(region, Coords()))) {
        ObjectManager::Get().DestroyObjectEx(player, "HostVillage", __LINE__);
        return 0;
    }
    player->SetPathPosition(WorldVec3(region, Vec3{}));
    return id;
}

}  // namespace

bool HostVillage::Owns(const std::string& line)
{
    const std::vector<std::string> words = VillageWords(line);
    if (words.empty())
        return false;
    if (words[0] == "at")
        return words.size() >= 3 && IsVillageStepWord(words[2]);
    return IsVillagePieceWord(words[0]);
}

std::string HostVillage::ParseLine(const std::string& line)
{
    const std::vector<std::string> w = VillageWords(line);
    if (w.empty())
        return "a village line";
    if (w[0] == "quest") {
        HostQuest::Setup setup;
        if (w.size() != 5 || m_hasQuest || !IsVillageDataPath(w[1]) || !IsVillageDataPath(w[2]) ||
            !IsVillageDataPath(w[3]) || !ReadVillageFrame(w[4], setup.shrineFrame))
            return "quest FILE PACK SHRINE FRAME, once, with paths under the data folder";
        setup.questFile = w[1];
        setup.packRecord = w[2];
        setup.shrineRecord = w[3];
        m_quest = setup;
        m_hasQuest = true;
        return {};
    }
    if (IsVillagePieceWord(w[0])) {
        if (w.size() != 1)
            return w[0] + " alone on its line";
        bool& piece = w[0] == "townsfolk" ? m_townsfolk : w[0] == "merchant" ? m_merchant : w[0] == "road" ? m_road : m_shrines;
        piece = true;
        return {};
    }
    Step step;
    const std::string action = w.size() >= 3 ? w[2] : "";
    const VillageStepForm* known = FindVillageStep(action);
    const std::string form = known ? std::string("at FRAME ") + known->word +
                                         (known->argument ? std::string(" ") + known->argument : "") +
                                         (known->once ? ", once" : "")
                                   : "at FRAME sell|chest|save|portal ...";
    const std::string frames = ", FRAME from 1 to " + std::to_string(HostLevel::kMaxFrame);
    if (w[0] != "at" || !known || !ReadVillageFrame(w[1], step.frame))
        return form + frames;
    const auto has = [this](Step::Kind kind) {
        return std::any_of(m_steps.begin(), m_steps.end(), [kind](const Step& s) { return s.kind == kind; });
    };
    if (w.size() != (known->argument ? 4u : 3u) || (known->once && has(known->kind)) ||
        (known->valid && !known->valid(w[3])))
        return form + frames;
    step.kind = known->kind;
    if (known->argument)
        step.name = w[3];
    m_steps.push_back(step);
    return {};
}

bool HostVillage::Parse(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (const std::string form = ParseLine(line); !form.empty()) {
            gEngine->Log(LOG_WARNING, "village line does not parse (%s): %s", form.c_str(),
                         EscapedExcerpt(line).c_str());
            return false;
        }
    std::stable_sort(m_steps.begin(), m_steps.end(), [](const Step& a, const Step& b) { return a.frame < b.frame; });
    return m_hasQuest;
}

int HostVillage::GetSaveFrame() const
{
    for (const Step& step : m_steps)
        if (step.kind == Step::Save)
            return step.frame;
    return 0;
}

std::string HostVillage::ProgressPath(const std::string& savePath) { return savePath + ".village"; }

std::string HostVillage::ProgressText(const Progress& progress)
{
    return "frame " + std::to_string(progress.frame) + "\nplayed " + std::to_string(progress.playedMs) + "\n";
}

bool HostVillage::ReadProgress(const std::string& savePath, Progress& out)
{
    // Two short lines: a file much longer is none of them.
    std::string text;
    if (!ReadWholeFile(ProgressPath(savePath), text, 256).empty())
        return false;
    std::istringstream file(text);
    std::string frameWord, frameText, playedWord, rest;
    long long played = -1;
    Progress read;
    if (!(file >> frameWord >> frameText >> playedWord >> played) || frameWord != "frame" || playedWord != "played" ||
        (file >> rest) || !ReadVillageFrame(frameText, read.frame) || played < 0 || played > kMaxPlayedMs)
        return false;
    read.playedMs = played;
    out = read;
    return true;
}

namespace {

// The run of a village: its pieces around the player, the frames, the steps and the
// summary. Fresh, the road's fight makes the player and the road's monster and the pieces
// the level names stand round them; resumed, the saved player comes back alone with its
// quest: what the village held before the save is behind it.
class HostVillageRun {
public:
    HostVillageRun(const HostVillage& village, const HostLevel& beyond, const HostOptions& options,
                   const HostVillage::Progress& progress)
        : m_village(village), m_beyond(beyond), m_options(options), m_resumed(!options.loadPath.empty()),
          m_frame(progress.frame), m_lastFrame(progress.frame), m_playedMs(progress.playedMs),
          m_resumedFrom(progress),
          m_saveDue(!options.savePath.empty()), m_rewards(m_frame)
    {
    }

    // False (printed) when the player cannot be made.
    bool Start(GameEngine& engine, const std::string& playerRecord)
    {
        m_scripted = HostLoadInput(m_options, m_input);
        if (HostRefused())
            return false;
        m_fight.SetPlayerScripted(m_scripted);
        m_playerId = m_resumed ? MakeResumedVillagePlayer(m_options.loadPath, playerRecord)
                   : m_fight.Start() ? m_fight.GetPlayerId()
                                     : 0;
        Player* player = GetPlayer();
        if (!player) {
            if (!HostRefused())   // a save that does not read has said why
                std::printf("gamehost: the village's player cannot be placed\n");
            return false;
        }
        EventManager::Get().Send(GameEvent_PreRun(), "GameEvent_PreRun");
        engine.GetPlayerManagerClient()->SetMainPlayer(m_playerId);
        engine.SetPlayer(player);
        const bool fresh = !m_resumed;
        m_giving = fresh && m_village.HasTownsfolk() && m_questGiver.Start(m_playerId);
        m_villagers = m_giving && m_townsfolk.Start();
        m_quest.Use(m_village.GetQuest());
        m_questing = m_quest.Start(m_playerId, fresh ? m_fight.GetMonsterId() : 0, m_options.loadPath);
        // The village is played for its quest: one that does not load, or a saved state of it
        // that does not read, refuses the run.
        if (!m_questing && !HostRefused())
            HostRefuse("--level " + m_options.level, "its quest " + m_village.GetQuest().questFile + " does not load");
        if (HostRefused()) {
            if (!m_resumed)
                m_fight.Stop();
            return false;
        }
        if (fresh && m_village.HasRoad())
            m_road.Start(m_playerId);
        m_shrining = fresh && m_village.HasShrines() && m_shrines.Start(m_playerId);
        m_shopping = fresh && m_scripted && m_village.HasMerchant();
        if (m_shopping)
            m_market.StartClicked(engine, m_playerId, m_fight.GetMonsterId());
        // The run that saved drew from the same seeds from here on.
        if (m_resumed)
            ReseedAfterSave(engine);
        return true;
    }

    // The frames from the first after the save (or the first) on, until the level is over.
    void Play(GameEngine& engine)
    {
        for (m_frame = m_lastFrame + 1; m_frame <= m_options.frames && !m_finished; ++m_frame) {
            m_lastFrame = m_frame;
            m_playedMs += m_options.stepMs;
            if (m_network)
                m_network->BeforeFrame(m_frame);
            Frame(engine);
            for (const HostVillage::Step& step : m_village.GetSteps())
                if (step.frame == m_frame)
                    RunStep(engine, step);
            if (m_network)
                m_network->AfterFrame(m_frame);
            m_transport.sent.clear();
            const Quest* quest = m_quest.GetQuest();
            m_finished = m_ui.EndSequenceRan() && quest && quest->IsComplete();
        }
    }

    // The summary's lines; the process exit code.
    int Finish()
    {
        std::printf("gamehost: the village ran to frame %d, %d ms a frame\n", m_lastFrame, m_options.stepMs);
        std::printf("summary: level %s %s\n", m_options.level.c_str(), m_finished ? "finished" : "not finished");
        m_quest.PrintSummary();
        if (Player* player = GetPlayer())
            HostItems::PrintSummary(*player);
        PrintTimePlayed();
        if (m_saveDue)
            std::printf("gamehost: the run was not saved: its save point was not reached\n");
        if (!m_resumed)
            m_fight.Stop();
        return m_finished && m_saved && !m_saveDue ? kHostExitDone : kHostExitShort;
    }

    // The game time played, and what it is made of: the time before the save point a resumed
    // run starts from (as saved), the level's frames this run played, and the walk at the
    // chest, which plays frames of its own within one of the level's.
    void PrintTimePlayed() const
    {
        const auto seconds = [](long long ms) {
            char text[48];
            std::snprintf(text, sizeof text, "%lld.%03lld s", ms / 1000, ms % 1000);
            return std::string(text);
        };
        std::string parts;
        if (m_resumed)
            parts = seconds(m_resumedFrom.playedMs) + " up to the save point at frame " +
                    std::to_string(m_resumedFrom.frame) + " (as saved), then ";
        const long long levelMs = m_playedMs - m_resumedFrom.playedMs - m_walkMs;
        parts += std::to_string(m_lastFrame - m_resumedFrom.frame) + " frames of the level (" + seconds(levelMs) + ")";
        if (m_walkMs > 0)
            parts += " and the walk at the chest in frames of its own (" + seconds(m_walkMs) + ")";
        std::printf("summary: time played %s of game time: %s\n", seconds(m_playedMs).c_str(), parts.c_str());
    }

    HostLevelUI& GetUI() { return m_ui; }
    RecordingTransport& GetTransport() { return m_transport; }
    uint32_t GetPlayerId() const { return m_playerId; }
    bool IsFinished() const { return m_finished; }
    // A server on the network hears its clients around each frame.
    void SetNetwork(HostVillageNet* network) { m_network = network; }
    // The game's session runs the frames.
    void SetSession(GameSession* session) { m_session = session; }

private:
    Player* GetPlayer() const { return ObjectManager::Get().GetObject<Player>(m_playerId); }

    void Frame(GameEngine& engine)
    {
        const int frame = m_frame;
        const int stepMs = m_options.stepMs;
        const bool fresh = !m_resumed;
        if (m_scripted)
            m_input.Apply(frame, m_playerId);
        if (m_arrival)
            m_arrival->BeforeFrame(frame);
        if (m_questing)
            m_quest.BeforeFrame(frame);
        m_session->UpdateGame(stepMs);
        if (fresh)
            m_fight.Update(frame, stepMs);
        if (m_giving && !m_scripted)   // scripted clicks talk to the quest giver themselves
            m_questGiver.Update(frame);
        m_session->UpdateWorld(stepMs);
        // Characters that walked into each other are pushed apart in view of the camera.
        engine.GetCamera().Update();
        m_crowding.FixupCharacterCollisions(engine.GetCamera());
        if (fresh)
            m_fight.AfterFrame(frame);
        if (m_scripted)
            m_input.AfterFrame(frame, m_playerId);
        if (m_shopping)
            m_market.AfterFrameClicked(engine, frame);
        if (m_giving)
            m_questGiver.AfterFrame(frame);
        if (m_villagers)
            m_townsfolk.AfterFrame(frame);
        if (m_questing)
            m_quest.AfterFrame(frame);
        m_road.AfterFrame(frame);
        m_monsterStates.AfterFrame(frame);
        if (m_shrining)
            m_shrines.AfterFrame(frame);
        if (m_arrival)
            m_arrival->AfterFrame(frame);
    }

    void RunStep(GameEngine& engine, const HostVillage::Step& step)
    {
        const int frame = m_frame;
        Player* player = GetPlayer();
        if (!player)
            return;
        switch (step.kind) {
        case HostVillage::Step::Sell:
            m_market.SellCarried(engine, frame, step.name);
            return;
        case HostVillage::Step::Chest: {
            std::printf("village: frame %d: the player walks the road's chest and the places beside it\n", frame);
            DrawMainWeaponsToWalk(*player, frame);
            const long long walkMs =
                static_cast<long long>(HostFixedItems::Run(m_playerId, m_options.stepMs)) * m_options.stepMs;
            m_walkMs += walkMs;
            m_playedMs += walkMs;
            return;
        }
        case HostVillage::Step::Save:
            if (m_saveDue) {
                m_saveDue = false;
                m_saved = SaveHostRun(m_playerId, m_options.savePath, true,
                                      HostVillage::ProgressText(HostVillage::Progress{frame, m_playedMs}));
                std::printf("village: frame %d: the run is %s\n", frame,
                            m_saved ? "saved at the quest's midpoint" : "not saved");
            }
            ReseedAfterSave(engine);
            return;
        case HostVillage::Step::Portal:
            std::printf("village: frame %d: the player steps through the portal into %s\n", frame, step.name.c_str());
            m_arrival = std::make_unique<HostLevelArrival>(m_beyond);
            if (!m_arrival->Arrive(m_playerId, frame))
                std::printf("village: frame %d: the portal leads nowhere\n", frame);
            return;
        }
    }

    const HostVillage& m_village;
    const HostLevel& m_beyond;
    const HostOptions& m_options;
    const bool m_resumed;
    int m_frame;
    int m_lastFrame;
    long long m_playedMs;
    const HostVillage::Progress m_resumedFrom;   // where a resumed run starts (nothing for a fresh one)
    long long m_walkMs = 0;                      // the walks' own frames in this run
    bool m_saveDue;
    bool m_saved = true;
    bool m_finished = false;
    bool m_scripted = false;
    bool m_giving = false;
    bool m_villagers = false;
    bool m_questing = false;
    bool m_shrining = false;
    bool m_shopping = false;
    uint32_t m_playerId = 0;
    HostVillageUI m_ui;
    RecordingTransport m_transport;
    HostFight m_fight;
    HostInput m_input;
    HostQuestGiver m_questGiver;
    HostNpc m_townsfolk;
    HostQuest m_quest;
    HostQuestRewards m_rewards;
    HostProxies m_road;
    HostShrines m_shrines;
    HostMarket m_market;
    HostMonsterStates m_monsterStates{true, false};
    InterpenetrationManager m_crowding;
    std::unique_ptr<HostLevelArrival> m_arrival;
    HostVillageNet* m_network = nullptr;
    GameSession* m_session = nullptr;
};

}  // namespace

int HostVillage::Run(const HostOptions& options, const HostLevel& level)
{
    HostVillage village;
    const bool hasQuest = village.Parse(level.GetVillageLines());
    // The level beyond the portal is read before anything starts.
    HostLevel beyond;
    bool hasBeyond = false;
    for (const Step& step : village.GetSteps()) {
        if (step.kind != Step::Portal)
            continue;
        if (!HostLevel::Read(step.name, beyond))
            return kHostExitRefused;
        hasBeyond = true;
    }
    // Together: the server plays the village and serves it; a client plays its own player
    // and is shown the level beyond the portal as the server plays it. The save is the
    // server's.
    if (options.role == "client") {
        if (!options.savePath.empty() || !options.loadPath.empty())
            return HostRefuse(options.savePath.empty() ? "--load " + options.loadPath : "--save " + options.savePath,
                              "a client of a village neither saves nor resumes (the server does)");
        return HostVillageNet::RunClient(options, level, hasBeyond ? &beyond : nullptr);
    }
    const bool serving = options.role == "server";
    if (!hasQuest)
        return HostRefuse("--level " + options.level, "the village has no quest line");
    // The save and the load are judged before anything is played or written.
    // The quest it is played for, and the fight of its road, are there before it starts.
    if (const std::string why = HostQuest::CheckFile(village.GetQuest().questFile); !why.empty())
        return HostRefuse("--level " + options.level, why);
    if (options.loadPath.empty())
        if (const std::string why = HostFight::CheckRecords(false); !why.empty())
            return HostRefuse("--data " + options.dataRoot, why);
    if (!options.savePath.empty() && village.GetSaveFrame() == 0)
        return HostRefuse("--save " + options.savePath, "the level " + options.level + " has no save point");
    // The progress goes beside the character, as a file.
    if (std::error_code error; !options.savePath.empty() && std::filesystem::is_directory(ProgressPath(options.savePath), error))
        return HostRefuse("--save " + options.savePath, ProgressPath(options.savePath) + " is a folder, not a file");
    // A resumed run plays on from the frame its save was made on.
    Progress progress;
    if (!options.loadPath.empty()) {
        const std::string progressPath = ProgressPath(options.loadPath);
        std::error_code error;
        if (!std::filesystem::exists(progressPath, error))
            return HostRefuse("--load " + options.loadPath,
                              progressPath + " does not exist (a village's save has it beside the character)");
        if (!ReadProgress(options.loadPath, progress) || progress.frame != village.GetSaveFrame())
            return HostRefuse("--load " + options.loadPath, progressPath + " holds no save of this village");
        // Its quest state is the state of this village's quest.
        if (const std::string why = HostQuest::CheckSavedState(village.GetQuest().questFile, options.loadPath);
            !why.empty())
            return HostRefuse("--load " + options.loadPath, why);
        // It starts after the save point, which it never reaches again.
        if (!options.savePath.empty())
            return HostRefuse("--save " + options.savePath, "a run resumed from the save point (frame " +
                                                                std::to_string(progress.frame) + ") never reaches it again");
    }

    HostVillageNet network;
    if (serving && !network.Open(options))
        return kHostExitRefused;
    if (!level.Accepted(options))
        return kHostExitRefused;
    // The steps counted are the level's own (sales, the chest's walk, the save point, the
    // portal); the quest's steps are printed once its file is read.
    std::printf("gamehost: village: quest %s%s%s%s%s; %s of the level\n",
                village.GetQuest().questFile.c_str(), village.HasTownsfolk() ? ", townsfolk" : "",
                village.HasMerchant() ? ", a merchant" : "", village.HasRoad() ? ", the road's proxies" : "",
                village.HasShrines() ? ", shrines" : "", HostCount(village.GetSteps().size(), "scripted step").c_str());
    network.PrintOpened();
    InitializeObjects();
    HostNamesNewGame();   // a game names its characters afresh
    GameEngine& engine = *gGameEngine;
    SeedGameRules(engine, options);
    int result = kHostExitShort;
    {
        HostVillageRun run(village, beyond, options, progress);
        run.SetNetwork(serving ? &network : nullptr);
        run.SetSession(&network.Session());
        engine.SetUI(&run.GetUI());
        gEngine->SetActiveCamera(&engine.GetCamera());
        network.StartGame(engine);
        engine.SetGameLoading(false);
        if (!serving)
            ConnectionManager::Get().SetTransport(&run.GetTransport());
        Region* region = World::Get().GetRegionById(kVillageRegionId);
        if (!region)
            region = World::Get().AddRegion(kVillageRegionId, "Village");
        ABBox bounds;
        bounds.extents = Vec3{kVillageHalfSize, kVillageHalfSize, kVillageHalfSize};
        region->SetBounds(bounds);
        if (run.Start(engine, level.GetPlayer().record)) {
            network.Start(engine, run.GetPlayerId());
            run.Play(engine);
            result = run.Finish();
            network.Finish(options.level, run.IsFinished());
        } else if (HostRefused()) {
            result = kHostExitRefused;
        }
        network.Close();
        engine.SetUI(nullptr);
        gEngine->SetActiveCamera(nullptr);
        ConnectionManager::Get().SetTransport(nullptr);
        ShutdownObjects();
    }
    std::printf("gamehost: game engine shut down\n");
    return result;
}

}  // namespace GAME
