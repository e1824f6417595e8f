#include "Engine/Localization.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/LoadTable.h"
#include "Engine/TextUtil.h"

namespace GAME {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr const char* kTextFolder = "text";
constexpr const char* kTextExtension = ".txt";
constexpr int kLoggedTextLength = 100;   // longest tag or format quoted in a log line

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// "\n" is a line break and "\\" a backslash; any other backslash stays as written.
std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out.push_back(text[i + 1] == 'n' ? '\n' : '\\');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool IsValidTag(std::string_view tag)
{
    return !tag.empty() && std::none_of(tag.begin(), tag.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == '=';
    });
}

// Converts a terminated text into a buffer of `capacity` units, terminator included.
template <class Out, class In, class Convert>
size_t ConvertIntoBuffer(const In* text, Out* buffer, size_t capacity, Convert convert)
{
    if (!buffer || capacity == 0)
        return 0;
    const auto converted = convert(text ? std::basic_string_view<In>(text) : std::basic_string_view<In>(), capacity - 1);
    std::copy(converted.begin(), converted.end(), buffer);
    buffer[converted.size()] = Out(0);
    return converted.size();
}

}  // namespace

LocalizationManager& LocalizationManager::Instance()
{
    static LocalizationManager manager;
    return manager;
}

std::string LocalizationManager::Key(std::string_view tag)
{
    return LowerAscii(tag);
}

size_t LocalizationManager::RegisterTags(std::string_view text, const std::string& sourceName)
{
    text = SkipByteOrderMark(text);
    size_t count = 0;
    size_t lineNumber = 0;
    CriticalSectionLock lock(m_lock);
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (TrimBlanks(line).empty() || TrimBlanks(line).front() == '#')
            continue;
        const size_t equals = line.find('=');
        const std::string_view tag = TrimBlanks(line.substr(0, std::min(equals, line.size())));
        if (equals == std::string_view::npos || !IsValidTag(tag)) {
            gEngine->Log(LOG_WARNING, "%s(%zu): text line does not parse, skipped", sourceName.c_str(), lineNumber);
            continue;
        }
        std::string_view format = line.substr(equals + 1);
        while (!format.empty() && (format.front() == ' ' || format.front() == '\t'))
            format.remove_prefix(1);
        m_formats.Emplace(Key(tag)).value = std::make_unique<ParsedFormat>(ToWChar(Unescape(format)));
        ++count;
    }
    return count;
}

size_t LocalizationManager::LoadFile(const std::string& path)
{
    std::string contents;
    if (const std::string why = ReadWholeFile(path, contents); !why.empty()) {
        gEngine->Log(LOG_WARNING, "LocalizationManager: the text file %s %s, not read", path.c_str(), why.c_str());
        return 0;
    }
    return RegisterTags(contents, path);
}

size_t LocalizationManager::Load()
{
    const std::string root = RecordDatabase::Get().GetDataRoot();
    const std::string folder = root.empty() ? std::string() : RecordDatabase::FindPathIgnoringCase(root, kTextFolder);
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
        gEngine->Log(LOG_WARNING, "LocalizationManager: no text folder under the data root (%s)", root.c_str());
        return 0;
    }
    std::vector<std::filesystem::path> files;
    // A text file that is no regular file (a pipe, a device) is refused by its read, and
    // logged, rather than passed over unseen.
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (!entry.is_directory(ec) && LowerAscii(entry.path().extension().string()) == kTextExtension)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    size_t count = 0;
    for (const auto& file : files)
        count += LoadFile(file.string());
    return count;
}

void LocalizationManager::Clear()
{
    CriticalSectionLock lock(m_lock);
    m_formats.Clear();
    m_reportedUnknown.clear();
}

bool LocalizationManager::HasTag(const char* tag) const
{
    std::u16string unused;
    return GetFormat(tag, unused);
}

const ParsedFormat* LocalizationManager::FindFormat(const char* tag) const
{
    const std::unique_ptr<ParsedFormat>* format = m_formats.Find(tag);
    return format ? format->get() : nullptr;
}

bool LocalizationManager::GetFormat(const char* tag, std::u16string& out) const
{
    if (!tag)
        return false;
    CriticalSectionLock lock(m_lock);
    const ParsedFormat* format = FindFormat(tag);
    if (!format)
        return false;
    out = format->GetText();
    return true;
}

std::u16string LocalizationManager::FormatTagArgs(const char* tag, std::span<const FormatArg> args,
                                                  FormatSpacing spacing)
{
    std::u16string out;
    AppendFormatTagArgs(out, tag, args, spacing);
    return out;
}

void LocalizationManager::AppendFormatTagArgs(std::u16string& out, const char* tag, std::span<const FormatArg> args,
                                              FormatSpacing spacing)
{
    if (!tag) {
        gEngine->Log(LOG_WARNING, "LocalizationManager: no tag given to format");
        return;
    }
    bool known = true;
    bool firstUnknown = false;
    {
        // Formatted in place from the stored format, under the lock that keeps it.
        CriticalSectionLock lock(m_lock);
        if (const ParsedFormat* format = FindFormat(tag)) {
            if (format->AppendTo(args, out, spacing))
                return;
            // A format its values do not fit is shown as it stands.
            out += format->GetText();
        } else {
            known = false;
            firstUnknown = m_reportedUnknown.insert(Key(tag)).second;
        }
    }
    if (!known) {
        if (firstUnknown)
            gEngine->Log(LOG_WARNING, "LocalizationManager: unknown tag (%.*s)", kLoggedTextLength, tag);
        out += ToWChar(tag);
        return;
    }
    gEngine->Log(LOG_WARNING, "LocalizationManager: format of tag (%.*s) does not fit its values, shown as plain text",
                 kLoggedTextLength, tag);
}

std::u16string LocalizationManager::FormatStringArgs(std::u16string_view format, std::span<const FormatArg> args)
{
    std::u16string out;
    if (FormatText(format, args, out))
        return out;
    gEngine->Log(LOG_WARNING, "LocalizationManager: format \"%s\" does not fit its values, shown as plain text",
                 ToChar(format, kLoggedTextLength).c_str());
    return std::u16string(format);
}

bool LocalizationManager::TagMatches(const char* tag, std::span<const FormatArgKind> kinds) const
{
    std::u16string format;
    return GetFormat(tag, format) && FormatMatches(format, kinds);
}

std::u16string LocalizationManager::ToWChar(std::string_view text, size_t maxLength)
{
    std::u16string out;
    out.reserve(std::min(text.size(), maxLength));
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t code = 0;
        if (!DecodeUtf8(text, pos, code))
            code = kReplacement;
        const size_t units = code >= 0x10000 ? 2 : 1;
        if (out.size() + units > maxLength)
            break;
        if (units == 1) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
    }
    return out;
}

size_t LocalizationManager::ToWChar(const char* text, char16_t* buffer, size_t capacity)
{
    return ConvertIntoBuffer<char16_t>(text, buffer, capacity, [](std::string_view in, size_t max) { return ToWChar(in, max); });
}

std::string LocalizationManager::ToChar(std::u16string_view text, size_t maxLength)
{
    std::string out;
    out.reserve(std::min(text.size(), maxLength));
    std::string character;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        character.clear();
        AppendUtf8(character, code);
        if (out.size() + character.size() > maxLength)
            break;
        out += character;
    }
    return out;
}

size_t LocalizationManager::ToChar(const char16_t* text, char* buffer, size_t capacity)
{
    return ConvertIntoBuffer<char>(text, buffer, capacity, [](std::u16string_view in, size_t max) { return ToChar(in, max); });
}

}  // namespace GAME
