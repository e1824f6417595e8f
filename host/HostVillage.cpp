#include "host/HostVillage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/items/EquipmentCtrl.h"
#include "Game/items/InventorySack.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/quests/DialogPak.h"
#include "Game/quests/Quest.h"
#include "host/HostDispatch.h"
#include "host/HostFight.h"
#include "host/HostFixedItems.h"
#include "host/HostInput.h"
#include "host/HostLevel.h"
#include "host/HostLevelUI.h"
#include "host/HostMarket.h"
#include "host/HostMonsterStates.h"
#include "host/HostNpc.h"
#include "host/HostProxies.h"
#include "host/HostQuestGiver.h"
#include "host/HostQuestRewards.h"
#include "host/HostSave.h"
#include "host/HostSession.h"
#include "host/HostShrines.h"

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
class HostVillageUI : public HostLevelUI {
public:
    bool ShowNpcDialog(DialogPak* pak, uint32_t playerId, uint32_t npcId) override
    {
        std::printf("ui: dialog %s (%.1f s) shown to player %u by character %u\n", pak->GetObjectName().c_str(),
                    pak->GetLength(), playerId, npcId);
        m_shown = pak;
        return true;
    }
    bool IsShowingNpcDialog(const DialogPak* pak) const override { return pak && pak == m_shown; }
    void CloseNpcDialog(DialogPak* pak) override
    {
        std::printf("ui: dialog %s closed\n", pak->GetObjectName().c_str());
        m_shown = nullptr;
    }

private:
    const DialogPak* m_shown = nullptr;
};

bool ReadFrame(const std::string& word, int& out)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || value < 1 || value > HostLevel::kMaxFrame)
        return false;
    out = static_cast<int>(value);
    return true;
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool IsStepWord(const std::string& word)
{
    return word == "sell" || word == "chest" || word == "save" || word == "portal";
}

bool IsPieceWord(const std::string& word)
{
    return word == "quest" || word == "townsfolk" || word == "merchant" || word == "road" || word == "shrines";
}

void Reseed(GameEngine& engine)
{
    GAME::srand(kAfterSaveSeed);
    engine.GetRandomGen().Seed(kAfterSaveSeed);
}

// What the player's save carries: the items in its bags and those it wears, both weapon
// sets' included.
std::vector<uint32_t> CarriedItems(Player& player)
{
    std::vector<uint32_t> ids;
    ControllerPlayer* controller = player.GetPlayerController();
    if (!controller)
        return ids;
    const PlayerInventoryCtrl& bags = controller->GetInventoryCtrl();
    for (uint32_t bag = 0; bag < bags.GetNumberOfSacks(); ++bag)
        if (const InventorySack* sack = bags.GetSack(static_cast<int>(bag)))
            for (const auto& entry : sack->GetInventory())
                ids.push_back(entry.first);
    const EquipmentCtrl& equipment = controller->GetEquipmentCtrl();
    for (int place = EquipmentCtrlLocation_Head; place <= EquipmentCtrlLocation_Forearm; ++place)
        ids.push_back(equipment.GetSlot(static_cast<EquipmentCtrlLocation>(place)).itemId);
    for (const bool alternate : {false, true})
        for (const auto side : {EquipmentCtrlWeaponSet::Right, EquipmentCtrlWeaponSet::Left})
            ids.push_back(equipment.GetWeaponSet(alternate).GetHand(side).info.itemId);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

// The player's lines of the summary: level, experience, money, then every item it carries
// or wears by record, in order.
void PrintPlayerSummary(Player& player)
{
    std::printf("summary: the player is level %u with %u experience and %u gold\n", player.GetLevelControl().GetLevel(),
                player.GetLevelControl().GetExperience(), player.GetCurrentMoney());
    std::vector<std::string> items;
    for (uint32_t id : CarriedItems(player))
        if (const Object* item = ObjectManager::Get().GetObject(id))
            items.push_back(item->GetObjectName());
    std::sort(items.begin(), items.end());
    std::printf("summary: the player carries and wears %zu items\n", items.size());
    for (const std::string& item : items)
        std::printf("summary: item %s\n", item.c_str());
}

// The player walks with its main weapons in hand: it cannot run with the spear of its
// other set drawn.
void DrawMainWeapons(Player& player, int frame)
{
    ControllerPlayer* controller = player.GetPlayerController();
    if (!controller || !controller->GetEquipmentCtrl().IsAlternateEquipment())
        return;
    controller->SetAlternateEquipment(false);
    std::printf("frame %d: village: the player draws its main weapon set again\n", frame);
}

// The player made for the run: the fight's, or the one a save is resumed into, in the
// village where the fight placed its own.
uint32_t MakeResumedPlayer(const std::string& loadPath, const std::string& record)
{
    const uint32_t id = ResumeHostPlayer(loadPath, record);
    auto* player = ObjectManager::Get().GetObject<Player>(id);
    if (!player)
        return 0;
    Region* region = World::Get().GetRegionById(kVillageRegionId);
    if (!World::Get().AddEntity(player, WorldCoords(region, Coords())))
        return 0;
    player->SetPathPosition(WorldVec3(region, Vec3{}));
    return id;
}

}  // namespace

bool HostVillage::Owns(const std::string& line)
{
    const std::vector<std::string> words = Words(line);
    if (words.empty())
        return false;
    if (words[0] == "at")
        return words.size() >= 3 && IsStepWord(words[2]);
    return IsPieceWord(words[0]);
}

bool HostVillage::ParseLine(const std::string& line)
{
    const std::vector<std::string> w = Words(line);
    if (w.empty())
        return false;
    if (w[0] == "quest" && w.size() == 5 && !m_hasQuest) {
        HostQuest::Setup setup;
        setup.questFile = w[1];
        setup.packRecord = w[2];
        setup.shrineRecord = w[3];
        if (!ReadFrame(w[4], setup.shrineFrame))
            return false;
        m_quest = setup;
        m_hasQuest = true;
        return true;
    }
    if (w.size() == 1) {
        bool* piece = w[0] == "townsfolk" ? &m_townsfolk
                    : w[0] == "merchant"  ? &m_merchant
                    : w[0] == "road"      ? &m_road
                    : w[0] == "shrines"   ? &m_shrines
                                          : nullptr;
        if (piece)
            *piece = true;
        return piece != nullptr;
    }
    Step step;
    if (w[0] != "at" || w.size() < 3 || !ReadFrame(w[1], step.frame))
        return false;
    const auto has = [this](Step::Kind kind) {
        return std::any_of(m_steps.begin(), m_steps.end(), [kind](const Step& s) { return s.kind == kind; });
    };
    if (w[2] == "sell" && w.size() == 4) {
        step.kind = Step::Sell;
        step.name = w[3];
    } else if (w[2] == "chest" && w.size() == 3) {
        step.kind = Step::Chest;
    } else if (w[2] == "save" && w.size() == 3 && !has(Step::Save)) {
        step.kind = Step::Save;
    } else if (w[2] == "portal" && w.size() == 4 && !has(Step::Portal)) {
        step.kind = Step::Portal;
        step.name = w[3];
    } else {
        return false;
    }
    m_steps.push_back(step);
    return true;
}

bool HostVillage::Parse(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (!ParseLine(line))
            gEngine->Log(LOG_WARNING, "village line does not parse; skipped: %s", line.c_str());
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

bool HostVillage::WriteProgress(const std::string& savePath, const Progress& progress)
{
    std::ofstream file(ProgressPath(savePath), std::ios::trunc);
    file << "frame " << progress.frame << "\nplayed " << progress.playedMs << "\n";
    return static_cast<bool>(file.flush());
}

bool HostVillage::ReadProgress(const std::string& savePath, Progress& out)
{
    std::ifstream file(ProgressPath(savePath));
    std::string frameWord, frameText, playedWord, rest;
    long long played = -1;
    Progress read;
    if (!(file >> frameWord >> frameText >> playedWord >> played) || frameWord != "frame" || playedWord != "played" ||
        (file >> rest) || !ReadFrame(frameText, read.frame) || played < 0 || played > kMaxPlayedMs)
        return false;
    read.playedMs = played;
    out = read;
    return true;
}

int HostVillage::Run(const HostOptions& options, const HostLevel& level)
{
    if (options.role != "single") {
        std::printf("gamehost: a village is played alone (--role single)\n");
        return 2;
    }
    HostVillage village;
    if (!village.Parse(level.GetVillageLines())) {
        std::printf("gamehost: the village has no quest\n");
        return 1;
    }
    std::printf("gamehost: village: quest %s, %zu steps%s%s%s%s\n", village.GetQuest().questFile.c_str(),
                village.GetSteps().size(), village.HasTownsfolk() ? ", townsfolk" : "",
                village.HasMerchant() ? ", a merchant" : "", village.HasRoad() ? ", the road's proxies" : "",
                village.HasShrines() ? ", shrines" : "");
    // A resumed run plays on from the frame its save was made on.
    const bool resumed = !options.loadPath.empty();
    Progress progress;
    if (resumed && (!ReadProgress(options.loadPath, progress) || progress.frame != village.GetSaveFrame())) {
        std::printf("gamehost: %s holds no save of this village\n", ProgressPath(options.loadPath).c_str());
        return 1;
    }
    // The level beyond the portal is read before anything starts.
    HostLevel beyond;
    for (const Step& step : village.GetSteps())
        if (step.kind == Step::Portal && HostLevel::Read(step.name, beyond) != 0)
            return 1;

    InitializeObjects();
    RegisterHostDispatch();
    GameEngine& engine = *gGameEngine;
    HostVillageUI ui;
    engine.SetUI(&ui);
    gEngine->SetActiveCamera(&engine.GetCamera());
    engine.SetAsNetworkStub();
    engine.SetGameLoading(false);
    RecordingTransport transport;
    ConnectionManager::Get().SetTransport(&transport);
    Region* region = World::Get().GetRegionById(kVillageRegionId);
    if (!region)
        region = World::Get().AddRegion(kVillageRegionId, "Village");
    ABBox bounds;
    bounds.extents = Vec3{kVillageHalfSize, kVillageHalfSize, kVillageHalfSize};
    region->SetBounds(bounds);

    const int firstFrame = progress.frame + 1;
    long long playedMs = progress.playedMs;
    int frame = progress.frame;
    HostFight fight;
    HostInput input;
    const bool scripted = !options.inputPath.empty() && input.Load(options.inputPath);
    fight.SetPlayerScripted(scripted);
    // Fresh, the fight makes the player and the road's monster; resumed, the saved player
    // comes back alone: what the village held before the save is behind it.
    const bool fresh = !resumed;
    const uint32_t playerId = resumed                  ? MakeResumedPlayer(options.loadPath, level.GetPlayer().record)
                            : fight.Start()            ? fight.GetPlayerId()
                                                       : 0;
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    int result = 1;
    bool finished = false;
    if (player) {
        EventManager::Get().Send(GameEvent_PreRun(), "GameEvent_PreRun");
        engine.GetPlayerManagerClient()->SetMainPlayer(playerId);
        engine.SetPlayer(player);
        HostQuestGiver questGiver;
        HostNpc townsfolk;
        const bool giving = fresh && village.HasTownsfolk() && questGiver.Start(playerId);
        const bool villagers = giving && townsfolk.Start();
        HostQuest quest;
        quest.Use(village.GetQuest());
        const HostQuestRewards rewards(frame);
        const bool questing = quest.Start(playerId, fresh ? fight.GetMonsterId() : 0, options.loadPath);
        HostProxies road;
        if (fresh && village.HasRoad())
            road.Start(playerId);
        HostShrines shrines;
        const bool shrining = fresh && village.HasShrines() && shrines.Start(playerId);
        HostMarket market;
        if (fresh && scripted && village.HasMerchant())
            market.StartClicked(engine, playerId, fight.GetMonsterId());
        HostMonsterStates monsterStates(true);
        InterpenetrationManager crowding;
        std::unique_ptr<HostLevelArrival> arrival;
        bool saved = true;
        if (resumed)
            Reseed(engine);
        int lastFrame = frame;
        for (frame = firstFrame; frame <= options.frames; ++frame) {
            lastFrame = frame;
            playedMs += options.stepMs;
            if (scripted)
                input.Apply(frame, playerId);
            if (arrival)
                arrival->BeforeFrame(frame);
            engine.Update(options.stepMs);
            if (fresh)
                fight.Update(frame, options.stepMs);
            if (giving && !scripted)   // scripted clicks talk to the quest giver themselves
                questGiver.Update(frame);
            gEngine->UpdateFrame(options.stepMs);
            engine.GetCamera().Update();
            crowding.FixupCharacterCollisions(engine.GetCamera());
            if (fresh)
                fight.AfterFrame(frame);
            if (scripted)
                input.AfterFrame(frame, playerId);
            if (fresh && scripted && village.HasMerchant())
                market.AfterFrameClicked(engine, frame);
            if (giving)
                questGiver.AfterFrame(frame);
            if (villagers)
                townsfolk.AfterFrame(frame);
            if (questing)
                quest.AfterFrame(frame);
            road.AfterFrame(frame);
            monsterStates.AfterFrame(frame);
            if (shrining)
                shrines.AfterFrame(frame);
            if (arrival)
                arrival->AfterFrame(frame);
            for (const Step& step : village.GetSteps()) {
                if (step.frame != frame)
                    continue;
                switch (step.kind) {
                case Step::Sell:
                    market.SellCarried(engine, frame, step.name);
                    break;
                case Step::Chest:
                    std::printf("frame %d: village: the player walks the road's chest and the places beside it\n",
                                frame);
                    DrawMainWeapons(*player, frame);
                    playedMs += static_cast<long long>(HostFixedItems::Run(playerId, options.stepMs)) * options.stepMs;
                    break;
                case Step::Save:
                    if (!options.savePath.empty()) {
                        saved = SaveHostPlayer(playerId, options.savePath) && HostQuest::Save(options.savePath) &&
                                WriteProgress(options.savePath, Progress{frame, playedMs});
                        std::printf("frame %d: village: the run is %s\n", frame,
                                    saved ? "saved at the quest's midpoint" : "not saved");
                    }
                    Reseed(engine);
                    break;
                case Step::Portal:
                    std::printf("frame %d: village: the player steps through the portal into %s\n", frame,
                                step.name.c_str());
                    player->SetInvincible(true);
                    arrival = std::make_unique<HostLevelArrival>(beyond);
                    if (!arrival->Arrive(playerId, frame))
                        std::printf("frame %d: village: the portal leads nowhere\n", frame);
                    break;
                }
            }
            transport.sent.clear();
            const Quest* played = quest.GetQuest();
            if (ui.EndSequenceRan() && played && played->IsComplete()) {
                finished = true;
                break;
            }
        }
        std::printf("gamehost: ran frames %d to %d of %d ms of the village\n", firstFrame, lastFrame, options.stepMs);
        std::printf("summary: level %s %s\n", options.level.c_str(), finished ? "finished" : "not finished");
        quest.PrintSummary();
        PrintPlayerSummary(*player);
        std::printf("summary: time played %lld.%03lld s, the level ended after frame %d\n", playedMs / 1000,
                    playedMs % 1000, lastFrame);
        result = finished && saved ? 0 : 1;
        if (fresh)
            fight.Stop();
    } else {
        std::printf("gamehost: the village's player cannot be placed\n");
    }
    engine.SetUI(nullptr);
    gEngine->SetActiveCamera(nullptr);
    UnregisterHostDispatch();
    ConnectionManager::Get().SetTransport(nullptr);
    ShutdownObjects();
    std::printf("gamehost: game engine shut down\n");
    return result;
}

}  // namespace GAME
