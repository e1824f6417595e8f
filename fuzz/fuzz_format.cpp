// Format text of any bytes against a few fixed argument lists, the UTF conversions, and
// the reader of text files. The first byte chooses how the rest is read as a format:
// 16-bit little-endian units, or UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Engine/Engine.h"
#include "Engine/Localization.h"

using namespace GAME;

namespace {

std::u16string FormatFrom(const uint8_t* data, size_t size)
{
    if (size == 0)
        return {};
    if (data[0] & 1) {
        std::u16string out;
        for (size_t i = 1; i + 1 < size; i += 2)
            out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        return out;
    }
    return LocalizationManager::ToWChar(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
}

// Formats with one argument list and checks that formatting and matching agree.
template <class... Args>
void Try(std::u16string_view format, const Args&... args)
{
    const std::array<FormatArg, sizeof...(Args)> list = {MakeFormatArg(args)...};
    std::u16string out;
    const bool formatted = FormatText(format, list, out);
    if (formatted && !FormatMatches<Args...>(format))
        std::abort();   // the formatter wrote what the check would have refused
    if (!formatted && !out.empty())
        std::abort();
    // Filled as words, the same format fits the same values and only ever loses blanks.
    std::u16string words;
    if (FormatText(format, list, words, FormatSpacing::Words) != formatted || words.size() > out.size())
        std::abort();
}

void CheckConversions(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string wide = LocalizationManager::ToWChar(bytes);
    const std::string narrow = LocalizationManager::ToChar(wide);
    if (LocalizationManager::ToWChar(narrow) != wide)
        std::abort();   // a converted text must convert back unchanged
    char16_t buffer[17];
    if (LocalizationManager::ToWChar(narrow.c_str(), buffer, sizeof buffer / sizeof buffer[0]) > 16)
        std::abort();
    char small[9];
    if (LocalizationManager::ToChar(wide.c_str(), small, sizeof small) > 8)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string format = FormatFrom(data, size);
    Try(format);
    Try(format, 42);
    Try(format, -7, "name");
    Try(format, 1.5, 2.5f);
    Try(format, std::u16string(u"w\u00efde"), 3u, u'x');
    Try(format, 5, 3, int64_t{-9}, 0.25, "text", std::u16string_view(u"\U0001F600"), 'c', true);

    CheckConversions(data, size);

    LocalizationManager& text = LocalizationManager::Instance();
    text.RegisterTags(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.txt");
    text.Format("tag", 1, "two", 3.0);
    text.Clear();
    return 0;
}
