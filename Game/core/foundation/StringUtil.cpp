#include "Game/core/foundation/StringUtil.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace GAME {

namespace {

constexpr int kMaxLineBreakSweeps = 50;
constexpr int kMaxTrimmedBlanks = 50;
constexpr int kDefaultSignificantDigits = 6;
constexpr int kMaxSignificantDigits = 64;

constexpr char16_t kCodeCharacter = u'^';
constexpr char16_t kBlank = u' ';

char LowerChar(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsSlash(char c)
{
    return c == '/' || c == '\\';
}

void ReplaceChar(std::string& text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
}

bool IsLineBreakCode(const std::u16string& text, size_t i)
{
    return text[i] == kCodeCharacter && i + 1 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'N');
}

// One sweep over the text; true when something was removed.
bool RemoveLineBreaksOnce(std::u16string& text)
{
    std::u16string kept;
    kept.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLineBreakCode(text, i))
            ++i;
        else if (text[i] != u'\n')
            kept.push_back(text[i]);
    }
    if (kept.size() == text.size())
        return false;
    text.swap(kept);
    return true;
}

bool IsBrace(char16_t c)
{
    return c == u'{' || c == u'}';
}

// A path's character as the normalised path holds it: lower case, back slashes.
char PathChar(char c)
{
    return c == '/' ? '\\' : LowerChar(c);
}

}  // namespace

void NormalizePath(std::string& path)
{
    for (char& c : path)
        c = PathChar(c);
}

std::string GetNormalizedPath(std::string_view path)
{
    std::string copy(path);
    NormalizePath(copy);
    return copy;
}

bool NormalizedPathEquals(std::string_view normalised, std::string_view path)
{
    return normalised.size() == path.size() &&
           std::equal(path.begin(), path.end(), normalised.begin(),
                      [](char c, char n) { return PathChar(c) == n; });
}

void ConvertToBackslashes(std::string& path)
{
    ReplaceChar(path, '/', '\\');
}

void ConvertToForwardSlashes(std::string& path)
{
    ReplaceChar(path, '\\', '/');
}

void RemoveSlashes(std::string& path)
{
    std::erase_if(path, IsSlash);
}

void ToLowerCase(std::string_view text, std::string& out)
{
    out.reserve(out.size() + text.size());
    for (char c : text)
        out.push_back(LowerChar(c));
}

bool PathEqualsNoCase(const char* a, const char* b)
{
    if (!a || !b)
        return false;
    for (; *a && *b; ++a, ++b) {
        const bool same = (IsSlash(*a) && IsSlash(*b)) || LowerChar(*a) == LowerChar(*b);
        if (!same)
            return false;
    }
    return *a == *b;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
}

std::string GetFileName(std::string_view path, bool stripExtension)
{
    const size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (stripExtension) {
        const size_t dot = name.rfind('.');
        if (dot != std::string_view::npos)
            name = name.substr(0, dot);
    }
    return std::string(name);
}

void RemoveLineBreakCodes(std::u16string& text)
{
    for (int sweep = 0; sweep < kMaxLineBreakSweeps; ++sweep)
        if (!RemoveLineBreaksOnce(text))
            return;
}

void TrimDisplayText(std::u16string& text)
{
    int removed = 0;
    for (size_t i = 0; i < text.size() && removed < kMaxTrimmedBlanks;) {
        if (IsBrace(text[i])) {
            ++i;
        } else if (text[i] == kBlank) {
            text.erase(i, 1);
            ++removed;
        } else {
            break;
        }
    }
    removed = 0;
    for (size_t end = text.size(); end > 0 && removed < kMaxTrimmedBlanks;) {
        const size_t i = end - 1;
        if (IsBrace(text[i])) {
            end = i;
        } else if (text[i] == kBlank) {
            text.erase(i, 1);
            end = i;
            ++removed;
        } else {
            break;
        }
    }
}

bool HasCommonString(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    for (const std::string& x : b)
        if (std::find(a.begin(), a.end(), x) != a.end())
            return true;
    return false;
}

std::string IntToString(int value)
{
    return std::to_string(value);
}

std::string FloatToString(float value, int significantDigits)
{
    int digits = significantDigits < 1 ? kDefaultSignificantDigits : significantDigits;
    digits = std::min(digits, kMaxSignificantDigits);
    char buffer[128];
    std::snprintf(buffer, sizeof(buffer), "%.*g", digits, static_cast<double>(value));
    return buffer;
}

void JoinStrings(const std::vector<std::u16string>& strings, std::u16string& out)
{
    for (const std::u16string& s : strings)
        out += s;
}

void AppendGameTextLines(const std::vector<std::u16string>& strings, GameTextClass textClass,
                         std::vector<GameTextLine>& lines)
{
    for (const std::u16string& s : strings)
        lines.emplace_back(textClass, s, false);
}

}  // namespace GAME
