// Animation files and animation table records of any bytes. The input is the text of an
// animation file and of a table record at once: the file is parsed and posed, the table
// names that file under some keys, and the six sets it fills are played kind by kind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/RecordKept.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/AnimationTableLoader.h"
#include "fuzz/FuzzOptions.h"

using namespace GAME;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    GraphicsAnim anim("fuzz.anm");
    if (anim.Parse(text.data(), text.size(), "fuzz.anm")) {
        SkeletalPose pose;
        for (int frame : {-1, 0, 1, static_cast<int>(anim.GetLength()), 1 << 30})
            for (bool loop : {false, true})
                anim.GetFramePose(frame, loop, pose);
    }

    GraphicsEngine::Get()->RegisterAnimation("F.anm", text);
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Fuzz/Table.dbr", text);
    {
        AnimationSet sets[AnimationStyle_Count];
        LoadAnimationTable("Records/Fuzz/Table.dbr", &sets[0], &sets[1], &sets[2], &sets[3], &sets[4], &sets[5]);
        Actor actor;
        const Name end = Name::Create("End");
        const Name requested = Name::Create(text.substr(0, 16));
        for (AnimationSet& set : sets) {
            for (int type = -1; type <= AnimationSet_Count; ++type) {
                set.PlayAnimation(actor, type, requested, 1.0f, false, 2);
                set.HandleAnimationCallback(actor, end);
                set.SetLastPost(actor, type);
                set.AdjustAnimation(actor, 0.5f);
                volatile float sink = set.GetAnimSpeed(type) + static_cast<float>(set.GetLength(type));
                (void)sink;
            }
            set.PreLoad();
        }
    }
    records.Clear();
    // What was worked out from the input's table is kept until the kept values are next
    // looked at under the records' new generation: look now, so that it goes with this
    // input. Left to the next one, this input would end with more allocations than it freed,
    // and the fuzzer runs every such input again to look for a leak.
    static const LoadTable kNoRecord;
    RecordKept::Find(kNoRecord, nullptr, 0);
    GraphicsEngine::Get()->ClearRegisteredAnimations();
    // What the input played is written down in the engine's journal; kept from input to
    // input it would leave hundreds of allocations behind each, and every input whose
    // allocations outlive it costs libFuzzer a leak scan of the whole heap.
    Journal::Get().Clear();
    return 0;
}
