// Words of any kind received as quest messages between hosts, against a loaded quest of
// every kind a message names: the first byte chooses a message (kinds 0 to 9), a
// condition set, a condition id as hex text, or a packet sender's right to send them.
// Nothing read may index past what the quest holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    if (!quest)
        return 0;
    QuestRepository* quests = QuestRepository::Get();
    FuzzBytes bytes(data, size);
    const uint8_t choice = bytes.Byte();
    std::vector<uint32_t> words;
    // Ids mostly near those the quest holds: quest 0, steps 0 and 1, triggers 0 to 3.
    if (choice % 4 == 0)
        words.push_back(bytes.Byte() % 10);
    while (!bytes.Empty() && words.size() < 64) {
        const uint8_t shape = bytes.Byte();
        words.push_back(shape < 128 ? ((shape & 1u) << 16) | (((shape >> 1) & 3u) << 8) | ((shape >> 3) & 1u)
                                    : bytes.Word());
    }
    switch (choice % 4) {
    case 0: quests->RecvNetMsg(words); break;
    case 1: quests->RecvConditionSet(words); break;
    case 2: {
        std::string text;
        for (size_t i = 1; i < size && text.size() < 16; ++i)
            text.push_back(static_cast<char>(data[i]));
        quests->CompleteCondition(text);
        break;
    }
    default: quests->MaySend(words.empty() ? 0 : words[0], (choice & 4) != 0, words); break;
    }
    Check(quests->GetConditionsSatisfiedElsewhere().size() <= 4 * 256 * 256);
    return 0;
}
