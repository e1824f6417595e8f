#include "Engine/TextUtil.h"

#include <cctype>

namespace GAME {

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view SkipByteOrderMark(std::string_view text)
{
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    return text;
}

namespace {

bool IsControlUnit(char32_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

}  // namespace

std::u16string WithoutControlCharacters(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char16_t unit : text)
        if (!IsControlUnit(unit))
            out.push_back(unit);
    return out;
}

std::string WithoutControlCharacters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            ++i;   // a C1 character in UTF-8
            continue;
        }
        if (byte < 0x20 || byte == 0x7F)
            continue;
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace GAME
