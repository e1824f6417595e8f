// Bytes of any kind read as a property stream through one fixed routine that streams
// every value kind, a trigger token and nested and empty blocks. A read that succeeds
// must have read the stream's canonical form: writing the values read gives back the
// bytes read, a prefix of the input. A read that fails must say why. The check of a file's
// form, run on the same bytes, passes every stream that the routine read whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/TriggerToken.h"

using namespace GAME;

namespace {

struct Values {
    UniqueId id;
    std::u16string name = u"sentinel";
    bool flag = true;
    uint32_t count = 7;
    std::string text = "sentinel";
    float speed = 1.0f;
    int32_t level = -1;
    TriggerToken token{"sentinel"};
    uint32_t after = 9;

    void Stream(IOStream& s)
    {
        s.BeginBlock();
        s.StreamUniqueId("id", id);
        s.StreamWString("name", name);
        s.StreamBool("flag", flag);
        s.StreamUInt32("count", count);
        s.BeginBlock();
        s.StreamString("text", text);
        s.StreamFloat("speed", speed);
        s.StreamInt32("level", level);
        token.StreamProperties(s);
        s.EndBlock();
        s.BeginBlock();
        s.EndBlock();
        s.EndBlock();
        s.StreamUInt32("after", after);
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The check of a whole file's form reads any bytes without reading past them.
    const std::string form = IOStreamRead::CheckForm({data, size});
    IOStreamRead in(data, size);
    Values values;
    values.Stream(in);
    if (in.Failed()) {
        if (in.GetError().empty())
            std::abort();   // a failure without its reason
        return 0;
    }
    IOStreamWrite out;
    values.Stream(out);
    if (!out.Close())
        std::abort();   // what was read could not be written back
    const auto bytes = out.GetBytes();
    if (bytes.size() > size || std::memcmp(bytes.data(), data, bytes.size()) != 0)
        std::abort();   // the read accepted bytes that are not the canonical form
    if (bytes.size() == size && !form.empty())
        std::abort();   // a stream read whole, of a form the check refuses
    return 0;
}
