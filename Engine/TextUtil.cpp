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

namespace {

// The length of the well-formed UTF-8 character of two or more bytes at `pos` that is no
// control character; 0 when the bytes there are none.
size_t Utf8CharacterLength(std::string_view text, size_t pos)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;   // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        if (lead == 0xC2)
            low = 0xA0;   // C2 80..9F: the C1 controls
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;   // no overlong form
        if (lead == 0xED)
            high = 0x9F;   // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;   // up to U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size() || byte(pos + 1) < low || byte(pos + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF)
            return 0;
    return length;
}

}  // namespace

std::string EscapedExcerpt(std::string_view text, size_t maxBytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const bool cut = text.size() > maxBytes;
    text = text.substr(0, maxBytes);
    std::string out;
    out.reserve(text.size() + 3);
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\' || byte == '"') {
            out += '\\';
            out += text[i++];
        } else if (byte == '\t') {
            out += "\\t";
            ++i;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += text[i++];
        } else if (const size_t length = byte >= 0x80 ? Utf8CharacterLength(text, i) : 0; length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            ++i;
        }
    }
    if (cut)
        out += "...";
    return out;
}

}  // namespace GAME
