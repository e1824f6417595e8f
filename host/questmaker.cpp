// questmaker: writes the bundled quest files (data/Levels/Quests/*.qst) through the game
// library's own quest writer (Quest::Serialize), the bytes the game reads back.
//
//   questmaker DIR      writes ArenaTrial.qst and VillageRoad.qst into DIR
//
// Each bundled quest has three steps: talk to a person, kill the pack of a proxy, reach a
// volume with the pack cleared. Reaching it so rewards the player with gold, an item drawn
// from a loot table and experience, and completes the quest's journal entry. A quest of
// another shape is built the same way, from the step, trigger, condition and action classes
// of Game/quests/.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "Engine/IOStreamReadWrite.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestConditions.h"

using namespace GAME;

namespace {

// The texts are tags of data/Text/ (the step names excepted); the records are paths under
// the data folder.
struct ErrandQuest {
    const char* file;
    const char* titleTag;
    const char* rewardTag;     // the journal's name of the item reward
    const char* locationTag;   // where the rewards say they were earned
    struct Step {
        const char* name;
        const char* nextTaskTag;
    } steps[3];
    const char* person;   // talked to: step 1
    const char* pack;     // the proxy whose creatures all die: step 2
    const char* volume;   // reached, the pack cleared: step 3
};

constexpr ErrandQuest kBundled[] = {
    {"ArenaTrial.qst", "tagQuestArenaTrial", "tagQuestArenaReward", "tagQuestArenaLocation",
     {{"Hear the quest giver", "tagQuestArenaKill"}, {"Clear the arena pack", "tagQuestArenaShrine"},
      {"Reach the shrine", "tagQuestArenaDone"}},
     "Records/Creatures/QuestGiver.dbr", "Records/Quests/ArenaPack.dbr", "Records/Quests/ArenaShrine.dbr"},
    {"VillageRoad.qst", "tagQuestVillageRoad", "tagQuestVillageReward", "tagQuestVillageLocation",
     {{"Hear the elder", "tagQuestVillageKill"}, {"Clear the road", "tagQuestVillageShrine"},
      {"Reach the road shrine", "tagQuestVillageDone"}},
     "Records/Creatures/QuestGiver.dbr", "Records/Village/RoadPack.dbr", "Records/Village/RoadShrine.dbr"},
};

// The rewards of every bundled quest, by difficulty.
constexpr int kGold[Quest::kDifficulties] = {150, 300, 450};
constexpr int kExperience[Quest::kDifficulties] = {500, 1000, 1500};
constexpr const char* kRewardTable = "Records/Quests/ArenaRewardTable.dbr";
constexpr int kRewardRegion = 1;

template <class T>
T& AddCondition(Trigger& trigger)
{
    auto made = std::make_unique<T>(0, nullptr);
    T& condition = *made;
    trigger.AddCondition(std::move(made));
    return condition;
}

template <class T>
T& AddReward(Trigger& trigger, const ErrandQuest& quest)
{
    auto made = std::make_unique<T>(0, nullptr);
    T& action = *made;
    action.SetRegion(kRewardRegion);
    action.SetLocationTag(quest.locationTag);
    action.SetTitleTag(quest.titleTag);
    trigger.AddAction(std::move(made));
    return action;
}

void Build(const ErrandQuest& made, Quest& quest)
{
    quest.SetName(made.titleTag);
    for (int difficulty = 0; difficulty < Quest::kDifficulties; ++difficulty) {
        quest.m_rewardItemTag[difficulty] = made.rewardTag;
        quest.m_rewardGold[difficulty] = kGold[difficulty];
        quest.m_rewardXP[difficulty] = kExperience[difficulty];
    }
    QuestStep* steps[3];
    for (int s = 0; s < 3; ++s) {
        steps[s] = quest.AddNewQuestStep();
        steps[s]->SetName(made.steps[s].name);
        steps[s]->SetNextTaskDescription(made.steps[s].nextTaskTag);
    }
    AddCondition<Condition_ConversationStart>(*steps[0]->AddNewTrigger()).SetPersonRecord(made.person);
    AddCondition<Condition_KillAllCreaturesFromProxy>(*steps[1]->AddNewTrigger()).SetProxyRecord(made.pack);
    // Every step's trigger listens from the start, whatever the steps before it: the last
    // asks for the pack's kill as well, so that its reward needs the pack cleared too.
    Trigger& reached = *steps[2]->AddNewTrigger();
    AddCondition<Condition_EnterVolume>(reached).SetVolumeRecord(made.volume);
    AddCondition<Condition_KillAllCreaturesFromProxy>(reached).SetProxyRecord(made.pack);
    auto& gold = AddReward<Action_GiveMoney>(reached, made);
    gold.SetMoneyAmountNormal(kGold[0]);
    gold.SetMoneyAmountEpic(kGold[1]);
    gold.SetMoneyAmountLegendary(kGold[2]);
    auto& item = AddReward<Action_GiveItem>(reached, made);
    item.SetItemNormal(kRewardTable);
    item.SetItemEpic(kRewardTable);
    item.SetItemLegendary(kRewardTable);
    auto& experience = AddReward<Action_GiveExp>(reached, made);
    experience.SetExperiencePtsNormal(kExperience[0]);
    experience.SetExperiencePtsEpic(kExperience[1]);
    experience.SetExperiencePtsLegendary(kExperience[2]);
    auto& journal = AddReward<Action_UpdateJournalEntry>(reached, made);
    journal.SetFullTextTag(made.steps[2].nextTaskTag);
    journal.SetDoComplete(true);
    journal.SetDoSound(true);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || !std::filesystem::is_directory(argv[1])) {
        std::fprintf(stderr, "usage: questmaker DIR (an existing folder; the bundled quests are written into it)\n");
        return 2;
    }
    for (const ErrandQuest& made : kBundled) {
        Quest quest(0);
        Build(made, quest);
        const std::string path = std::string(argv[1]) + "/" + made.file;
        IOStreamWrite stream(path);
        quest.Serialize(stream);
        if (!stream.Close()) {
            std::fprintf(stderr, "questmaker: %s: %s\n", path.c_str(), stream.GetError().c_str());
            return 1;
        }
        std::printf("questmaker: wrote %s\n", path.c_str());
    }
    return 0;
}
