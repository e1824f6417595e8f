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
    std::u16string out(text);
    RemoveControlCharacters(out);
    return out;
}

void RemoveControlCharacters(std::u16string& text)
{
    // Most text holds none: it is only read through, and nothing moves.
    char16_t* units = text.data();
    const size_t size = text.size();
    size_t kept = 0;
    while (kept < size && !IsControlUnit(units[kept]))
        ++kept;
    for (size_t i = kept; i < size; ++i)
        if (!IsControlUnit(units[i]))
            units[kept++] = units[i];
    text.resize(kept);
}

std::u16string_view CutUnits(std::u16string_view text, size_t maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    size_t keep = maxUnits;
    if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF)
        --keep;
    return text.substr(0, keep);
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

bool DecodeUtf8(std::string_view text, size_t& pos, char32_t& out)
{
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    size_t extra = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        out = lead;
        ++pos;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + extra >= text.size()) {
        ++pos;
        return false;
    }
    for (size_t i = 1; i <= extra; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += extra + 1;
    out = code;
    return true;
}

namespace {

// Whether a well-formed UTF-8 character that is no control character stands at `pos`;
// `pos` moves past what was read.
bool DecodesPrintable(std::string_view text, size_t& pos)
{
    char32_t code = 0;
    return DecodeUtf8(text, pos, code) && !IsControlUnit(code);
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
        } else if (size_t next = i; byte >= 0x80 && DecodesPrintable(text, next)) {
            out.append(text.substr(i, next - i));
            i = next;
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

bool IsPrintableText(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\t' || (byte >= 0x20 && byte < 0x7F))
            ++i;
        else if (byte < 0x80 || !DecodesPrintable(text, i))
            return false;
    }
    return true;
}

}  // namespace GAME
