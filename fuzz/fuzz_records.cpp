// Record text of any bytes: parse it, then read every key it names with every getter.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"

using namespace GAME;

namespace {

constexpr size_t kMaxKeysRead = 16;

// The keys to read: the text before the first comma of the first lines, and a few fixed ones.
std::vector<std::string> KeysOf(std::string_view text)
{
    std::vector<std::string> keys = {"Class", "levels", "", "missing"};
    while (!text.empty() && keys.size() < kMaxKeysRead) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        keys.emplace_back(line.substr(0, std::min(line.find(','), line.size())));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return keys;
}

void ReadEverything(const LoadTable& table, const std::string& key)
{
    const char* k = key.c_str();
    volatile size_t sink = 0;
    const char* text = table.GetString(k, "");
    sink = sink + (text ? std::string_view(text).size() : 0);
    sink = sink + static_cast<size_t>(table.GetInt(k, 0));
    sink = sink + static_cast<size_t>(table.GetFloat(k, 0.0f) != 0.0f);
    sink = sink + static_cast<size_t>(table.GetBool(k, false));
    sink = sink + static_cast<size_t>(table.GetFloat(k, 2, 0.0f) != 0.0f);
    std::vector<int> ints;
    std::vector<float> floats;
    std::vector<std::string> texts;
    table.GetIntArray(k, ints);
    table.GetFloatArray(k, floats);
    table.GetStringArray(k, texts);
    sink = sink + ints.size() + floats.size() + texts.size() + static_cast<size_t>(table.HasKey(k));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    LoadTable table("Records/Fuzz.dbr");
    table.Parse(text, size, "Records/Fuzz.dbr");
    for (const std::string& key : KeysOf(std::string_view(text, size)))
        ReadEverything(table, key);
    return 0;
}
