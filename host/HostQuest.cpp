#include "host/HostQuest.h"

#include <cstdio>
#include <filesystem>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestRepository.h"
#include "Game/world/BoundingVolume.h"
#include "host/HostSession.h"
#include "host/HostSave.h"
#include "host/HostText.h"

namespace GAME {

namespace {

std::string Text(const std::string& tag)
{
    std::u16string text;
    if (!LocalizationManager::Instance().GetFormat(tag.c_str(), text))
        return tag;
    return HostPlainText(text);
}

}  // namespace

Quest* HostQuest::GetQuest() const
{
    return QuestRepository::Get()->GetQuest(Name::Create(GetNormalizedPath(m_setup.questFile)));
}

std::string HostQuest::StateFolder(const std::string& savePath)
{
    return savePath + ".quests";
}

std::string HostQuest::CheckFile(const std::string& questFile)
{
    // The reason is the refusal's: the read's own log line is not printed beside it.
    const LogCapture quiet;
    std::string why;
    if (!QuestRepository::ReadQuestFile(questFile, 0, why))
        return "the quest " + questFile + " " + (why == "not found" ? "does not exist" : why);
    return {};
}

std::string HostQuest::CheckSavedState(const std::string& questFile, const std::string& loadPath)
{
    const LogCapture quiet;
    std::string why;
    const std::unique_ptr<Quest> quest = QuestRepository::ReadQuestFile(questFile, 0, why);
    if (!quest)
        return {};   // CheckFile says why
    const std::string folder = StateFolder(loadPath);
    if (const std::string held = QuestRepository::CheckQuestState(folder, *quest); !held.empty())
        return folder + " " + held + (held.starts_with("holds no state") ? " (a save of another level)" : "");
    return {};
}

HostQuest::HostQuest() = default;
HostQuest::~HostQuest() = default;

bool HostQuest::Start(uint32_t playerId, uint32_t monsterId, const std::string& loadPath)
{
    QuestRepository* quests = QuestRepository::Get();
    const char* file = m_setup.questFile.c_str();
    World::Get().AddQuestFile(file);
    quests->Load();
    Quest* quest = GetQuest();
    if (!quest) {
        std::printf("gamehost: the quest %s did not load\n", file);
        return false;
    }
    m_playerId = playerId;
    m_shrineFrame = m_custom ? m_setup.shrineFrame
                  : gGameEngine && gGameEngine->GetNetworkRole() != NetworkRole::Single ? kNetworkShrineFrame
                                                                                         : kShrineFrame;
    m_stepsShown.assign(quest->GetStepCount(), false);
    std::printf("gamehost: quest \"%s\" loaded from %s: %s, crc %08x\n", Text(quest->GetName()).c_str(), file,
                HostCount(quest->GetStepCount(), "step").c_str(), quest->GetCrc());
    if (auto* monster = ObjectManager::Get().GetObject<Monster>(monsterId)) {
        monster->SetProxyParent(m_setup.packRecord);
        monster->SetProxyNumSiblings(1);
    }
    PlaceShrine();
    if (!loadPath.empty()) {
        // The save's quest state is there and well formed (CheckHostSaves, before the game
        // started); a state that still does not read refuses the run: it would play on from
        // a fresh quest.
        const std::string folder = StateFolder(loadPath);
        if (!quests->LoadQuestState(folder, kMainFile)) {
            HostRefuse("--load " + loadPath, "the quest state in " + folder + " does not read");
            return false;
        }
        quests->FireTriggers();
        const char* state = quest->IsComplete() ? (quest->IsUnsolvable() ? "unsolvable" : "complete")
                          : quest->IsActive()   ? "active"
                                                : "not started";
        std::printf("gamehost: quest state read from %s: %s, quest %s\n", folder.c_str(),
                    HostCount(quests->GetFiredTriggers().size(), "fired trigger").c_str(), state);
        // What the save already held is not printed again: a quest it holds complete paid its
        // reward before the save, and this run pays none.
        m_completeShown = quest->IsComplete();
        for (size_t s = 0; s < quest->GetStepCount(); ++s)
            if (quest->GetQuestStepAtIndx(s)->IsComplete()) {
                std::printf("gamehost: quest step %zu \"%s\" was done before the save\n", s + 1,
                            quest->GetQuestStepAtIndx(s)->GetName().c_str());
                m_stepsShown[s] = true;
            }
    }
    return true;
}

void HostQuest::PlaceShrine()
{
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player || !player->IsInWorld())
        return;
    auto* shrine = ObjectManager::Get().CreateObjectFromFile<BoundingVolume>(m_setup.shrineRecord);
    if (!shrine) {
        std::printf("gamehost: the shrine %s is no trigger volume; the quest's last step cannot be reached\n",
                    m_setup.shrineRecord.c_str());
        return;
    }
    Vec3 at = player->GetPathPosition().GetRegionPosition();
    at.x += kShrineDx;
    at.z += kShrineDz;
    if (!World::Get().AddEntity(shrine, WorldCoords(player->GetRegion(), Coords::MakeTranslation(at)))) {
        ObjectManager::Get().DestroyObjectEx(shrine, "HostQuest", __LINE__);
        return;
    }
    m_shrineId = shrine->GetObjectId();
    m_entered = std::make_unique<GameEventListener<HostQuest, GameEvent_EnterBoundingVolume>>(
        "GameEvent_EnterBoundingVolume", &HostQuest::OnEnter, this);
    std::printf("gamehost: the shrine stands at (%.1f, %.1f), radius %.1f\n", at.x, at.z, shrine->GetRadius());
}

bool HostQuest::AsksForShrine() const
{
    const Quest* quest = GetQuest();
    const size_t steps = quest ? quest->GetStepCount() : 0;
    if (steps == 0 || quest->GetQuestStepAtIndx(steps - 1)->IsComplete())
        return false;
    for (size_t s = 0; s + 1 < steps; ++s)
        if (!quest->GetQuestStepAtIndx(s)->IsComplete())
            return false;
    return true;
}

void HostQuest::BeforeFrame(int frame, bool held)
{
    m_frame = frame;
    if (m_shrineReached || (frame < m_shrineFrame && !m_shrineDue) || m_clicks >= kMaxClicks || !AsksForShrine())
        return;
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    const auto* shrine = ObjectManager::Get().GetObject<BoundingVolume>(m_shrineId);
    ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    if (!shrine || !controller || !player->IsAlive())
        return;
    if (held) {
        // A trade that opens while the player walks (a client hears of it only when the
        // other player offers it) stops the walk where the player stands: the shrine's step
        // is no part of a trade. Once the trade is over the walk is clicked again.
        if (m_clicks > 0 && !m_walkHeld && controller->GetExecutingStateName().find("Idle") == std::string::npos) {
            m_walkHeld = true;
            player->CharacterStopMoving();
            std::printf("quest: frame %d: the player stops on the way to the shrine for its trade\n", frame);
        }
        return;
    }
    m_walkHeld = false;
    const WorldVec3 centre = shrine->GetCentre();
    if (player->GetPathPosition().GetRegionId() != centre.GetRegionId()) {
        // No walk leads from one region into another.
        std::printf("quest: frame %d: the player stands in region %u, the shrine in region %u: no walk leads there\n", frame,
                    player->GetPathPosition().GetRegionId(), centre.GetRegionId());
        m_clicks = kMaxClicks;
        return;
    }
    const float away = (centre - player->GetPathPosition()).Length();
    // A walk under way goes on; one that ended short of the shrine is clicked again.
    if (m_clicks > 0 && (controller->GetExecutingStateName().find("Idle") == std::string::npos ||
                         away < shrine->GetRadius()))
        return;
    ++m_clicks;
    uint32_t ground = 0;
    const bool moved = controller->HandleActionFromMouse(true, false, false, false, centre, ground);
    std::printf("quest: frame %d: the player %s to the shrine, %.2f units away: %s\n", frame,
                m_clicks == 1 ? "walks" : "walks again", away, moved ? "a move" : "no move");
}

void HostQuest::OnEnter(const GameEvent_EnterBoundingVolume& event)
{
    if (m_shrineReached || event.volumeId != m_shrineId || event.entityId != m_playerId)
        return;
    m_shrineReached = true;
    std::printf("quest: frame %d: the player reaches the shrine\n", m_frame);
}

void HostQuest::AfterFrame(int frame)
{
    PrintJournal(frame);
}

void HostQuest::PrintJournal(int frame)
{
    const Quest* quest = GetQuest();
    if (!quest)
        return;
    for (size_t s = 0; s < quest->GetStepCount() && s < m_stepsShown.size(); ++s) {
        const QuestStep* step = quest->GetQuestStepAtIndx(s);
        if (m_stepsShown[s] || !step->IsComplete())
            continue;
        m_stepsShown[s] = true;
        std::printf("journal: frame %d: \"%s\" step %zu \"%s\" done; next: %s\n", frame,
                    Text(quest->GetName()).c_str(), s + 1, step->GetName().c_str(),
                    Text(step->GetNextTaskDescription()).c_str());
    }
    if (quest->IsComplete() && !m_completeShown) {
        m_completeShown = true;
        std::printf("journal: frame %d: \"%s\" %s; reward: %d gold, %d experience, %s\n", frame,
                    Text(quest->GetName()).c_str(), quest->IsUnsolvable() ? "can no longer be solved" : "complete",
                    quest->m_rewardGold[0], quest->m_rewardXP[0], Text(quest->m_rewardItemTag[0]).c_str());
    }
}

void HostQuest::PrintSummary() const
{
    if (const Quest* quest = GetQuest())
        std::printf("summary: %s\n", StateLine(*quest).c_str());
    else
        std::printf("summary: quest %s did not load\n", m_setup.questFile.c_str());
}

std::string HostQuest::StateLine(const Quest& quest)
{
    size_t done = 0;
    for (size_t s = 0; s < quest.GetStepCount(); ++s)
        done += quest.GetQuestStepAtIndx(s)->IsComplete() ? 1 : 0;
    const char* state = quest.IsComplete() ? (quest.IsUnsolvable() ? "unsolvable" : "complete")
                      : quest.IsActive()   ? "active"
                                           : "not started";
    return "quest \"" + Text(quest.GetName()) + "\" " + state + ", " + std::to_string(done) + " of " +
           std::to_string(quest.GetStepCount()) + " steps done";
}

void HostQuest::AddState(HostSaveParts& save)
{
    QuestRepository* quests = QuestRepository::Get();
    quests->WaitDone();
    // Every quest's state, not only those that changed since they were read: a save of a run
    // resumed from another folder holds every quest's state all the same, or the quest would
    // be dropped when the save is read back.
    const std::string folder = StateFolder(save.GetPath());
    for (size_t i = 0; i < quests->GetQuestCount(); ++i) {
        Quest& quest = *quests->GetQuestAt(i);
        quests->StreamQuestState(&save.Stream(QuestRepository::GetQuestStatePath(folder, quest).substr(save.GetPath().size())),
                                 quest);
    }
    quests->StreamProperties(save.Stream(folder.substr(save.GetPath().size()) + "/" + kMainFile));
}

}  // namespace GAME
