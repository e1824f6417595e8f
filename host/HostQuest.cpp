#include "host/HostQuest.h"

#include <cstdio>
#include <filesystem>

#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestItem.h"
#include "Game/quests/QuestRepository.h"
#include "host/HostSession.h"
#include "host/HostText.h"

namespace GAME {

namespace {

constexpr uint32_t kShrineRegion = 1;

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
    std::printf("gamehost: quest \"%s\" loaded from %s: %zu steps, crc %08x\n", Text(quest->GetName()).c_str(),
                file, quest->GetStepCount(), quest->GetCrc());
    if (auto* monster = ObjectManager::Get().GetObject<Monster>(monsterId)) {
        monster->SetProxyParent(m_setup.packRecord);
        monster->SetProxyNumSiblings(1);
    }
    if (auto* shrine = ObjectManager::Get().CreateObjectFromFile<QuestLocation>(m_setup.shrineRecord)) {
        m_shrineId = shrine->GetObjectId();
        if (Region* region = World::Get().GetRegionById(kShrineRegion))
            World::Get().AddEntity(shrine, WorldCoords(region, Coords()));
    }
    if (!loadPath.empty()) {
        // A state that does not read refuses the run: it would play on from a fresh quest.
        if (!quests->LoadQuestState(StateFolder(loadPath), kMainFile)) {
            HostRefuse("--load " + loadPath, "the quest state in " + StateFolder(loadPath) + " does not read");
            return false;
        }
        quests->FireTriggers();
        std::printf("gamehost: quest state read from %s: %zu fired triggers, quest %s\n",
                    StateFolder(loadPath).c_str(), quests->GetFiredTriggers().size(),
                    quest->IsActive() ? "active" : "not started");
        // What the save already held is not printed again.
        for (size_t s = 0; s < quest->GetStepCount(); ++s)
            if (quest->GetQuestStepAtIndx(s)->IsComplete()) {
                std::printf("gamehost: quest step %zu \"%s\" was done before the save\n", s + 1,
                            quest->GetQuestStepAtIndx(s)->GetName().c_str());
                m_stepsShown[s] = true;
            }
    }
    return true;
}

void HostQuest::AfterFrame(int frame, bool shrineHeld)
{
    // A shrine held back on its frame is reached on the first frame that lets it.
    if (frame == m_shrineFrame)
        MakeShrineDue();
    if (m_shrineDue && !shrineHeld) {
        m_shrineDue = false;
        m_shrineReached = true;
        std::printf("frame %d: the player reaches the shrine\n", frame);
        GameEvent_EnterBoundingVolume entered;
        entered.volumeId = m_shrineId;
        entered.entityId = m_playerId;
        EventManager::Get().Send(entered, "GameEvent_EnterBoundingVolume");
    }
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
        std::printf("frame %d: journal: \"%s\" step %zu \"%s\" done; next: %s\n", frame,
                    Text(quest->GetName()).c_str(), s + 1, step->GetName().c_str(),
                    Text(step->GetNextTaskDescription()).c_str());
    }
    if (quest->IsComplete() && !m_completeShown) {
        m_completeShown = true;
        std::printf("frame %d: journal: \"%s\" %s; reward: %d gold, %d experience, %s\n", frame,
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

bool HostQuest::Save(const std::string& savePath)
{
    const std::string folder = StateFolder(savePath);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    QuestRepository* quests = QuestRepository::Get();
    // Serialised here; the save thread writes the files while the host goes on.
    quests->SaveQuestState(folder, kMainFile, true);
    quests->WaitDone();
    const bool written = std::filesystem::exists(folder + "/" + kMainFile);
    std::printf("gamehost: quest state %s %s\n", written ? "written to" : "could not be written to", folder.c_str());
    return written;
}

}  // namespace GAME
