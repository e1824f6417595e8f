// Bytes of any kind read as a quest file. A read that fails must say why; a read that
// succeeds must give a quest whose file, written and read again, writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "Engine/Engine.h"
#include "FuzzBytes.h"
#include "FuzzOptions.h"
#include "FuzzQuest.h"

using namespace GAME;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);
    gEngine->SetLogSink([](const LogLine&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IOStreamRead in(data, size);
    Quest quest(0);
    quest.Serialize(in);
    if (in.Failed()) {
        Check(!in.GetError().empty());
        return 0;
    }
    Check(quest.GetStepCount() <= Quest::kMaxSteps);
    IOStreamWrite out;
    quest.Serialize(out);
    Check(out.Close());
    IOStreamRead again(std::vector<unsigned char>(out.GetBytes().begin(), out.GetBytes().end()));
    Quest copy(0);
    copy.Serialize(again);
    Check(!again.Failed());
    IOStreamWrite twice;
    copy.Serialize(twice);
    Check(twice.Close());
    Check(out.GetBytes().size() == twice.GetBytes().size() &&
          std::equal(out.GetBytes().begin(), out.GetBytes().end(), twice.GetBytes().begin()));
    return 0;
}
