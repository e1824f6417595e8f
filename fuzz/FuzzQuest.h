// A quest of every condition kind the repository's messages name, built in memory and
// loaded through the repository from a file in a fresh folder: what the quest targets
// read state and messages against.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/World.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestRepository.h"

namespace GAME {

// The bytes of a quest file of two steps: the first holds a trigger per kill kind and a
// conversation, the second a token test and an empty trigger.
inline std::vector<unsigned char> FuzzQuestFileBytes()
{
    Quest quest(0);
    quest.SetName("Fuzz");
    QuestStep* first = quest.AddNewQuestStep();
    for (const char* kind : {"Condition_KillCreature", "Condition_KillAllCreaturesFromProxy",
                             "Condition_ConversationStart", "Condition_KillCreatureHerd"}) {
        auto made = TriggerConditionFactory::Get().Create(kind, 0);
        made->m_exclusive = true;
        first->AddNewTrigger()->AddCondition(std::move(made));
    }
    QuestStep* second = quest.AddNewQuestStep();
    second->AddNewTrigger()->AddCondition(TriggerConditionFactory::Get().Create("Condition_OwnsTriggerToken", 0));
    second->AddNewTrigger();
    IOStreamWrite stream;
    quest.Serialize(stream);
    stream.Close();
    return {stream.GetBytes().begin(), stream.GetBytes().end()};
}

// Loads the quest once into the repository; the folder is the data root.
inline Quest* FuzzLoadQuest()
{
    static Quest* quest = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-quest-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return static_cast<Quest*>(nullptr);
        RecordDatabase::Get().SetDataRoot(pattern);
        const std::vector<unsigned char> bytes = FuzzQuestFileBytes();
        std::ofstream(pattern + "/Fuzz.qst", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        Quest* loaded = QuestRepository::Get()->LoadQuestFile("Fuzz.qst");
        std::filesystem::remove_all(pattern);
        return loaded;
    }();
    return quest;
}

}  // namespace GAME
