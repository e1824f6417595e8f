// Bytes of any kind read as saved quest state against a loaded quest: the first byte
// chooses a quest state file (".que") or the main file. A read that fails leaves the
// quest marked bad or the records as they were; what is kept is always in bounds.
#include <cstddef>
#include <cstdint>

#include "Engine/Engine.h"
#include "FuzzBytes.h"
#include "FuzzOptions.h"
#include "FuzzQuest.h"

using namespace GAME;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);
    gEngine->SetLogSink([](const LogLine&) {});
    FuzzLoadQuest();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Quest* quest = FuzzLoadQuest();
    if (!quest || size == 0)
        return 0;
    QuestRepository* quests = QuestRepository::Get();
    IOStreamRead in(data + 1, size - 1);
    if (data[0] & 1) {
        quests->StreamQuestState(&in, *quest);
        // The state read back writes and reads again.
        IOStreamWrite out;
        quests->StreamQuestState(&out, *quest);
        Check(out.Close());
    } else {
        quests->StreamProperties(in);
        quests->FireTriggers();   // replays every record read, in bounds or not
        IOStreamWrite out;
        quests->StreamProperties(out);
        Check(out.Close());
    }
    return 0;
}
