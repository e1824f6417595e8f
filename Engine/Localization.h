// Localization: tags mapped to 16-bit format texts, read from the text files of the data
// root ("Text/*.txt"), and the conversions between UTF-8 and 16-bit text.
//
// A text file holds one `tag=format` a line in UTF-8; blanks around the tag and before
// the format are dropped. Blank lines and lines starting with '#' are skipped; in a format "\n" stands for a line break and "\\" for a backslash.
// Tags compare without regard to case. A later definition of a tag replaces an earlier one.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "Engine/CriticalSection.h"
#include "Engine/NameIndex.h"
#include "Engine/TextFormat.h"

namespace GAME {

class LocalizationManager {
public:
    LocalizationManager() = default;
    LocalizationManager(const LocalizationManager&) = delete;
    LocalizationManager& operator=(const LocalizationManager&) = delete;

    static LocalizationManager& Instance();

    // Reads every "*.txt" of the "Text" folder under the record data root, in name order.
    // Returns the number of tags read.
    size_t Load();
    // Reads one text file; returns the tags read (0, logged, when it cannot be opened).
    size_t LoadFile(const std::string& path);
    // Reads tag lines from memory; `sourceName` names them in log lines. Returns the tags read.
    size_t RegisterTags(std::string_view text, const std::string& sourceName = "memory");
    // Forgets every tag (tests).
    void Clear();

    bool HasTag(const char* tag) const;
    // The format text of a tag; false, leaving `out` alone, for an unknown tag.
    bool GetFormat(const char* tag, std::u16string& out) const;

    // The tag's format filled with the values. An unknown tag gives the tag itself; a
    // format that does not fit the values gives the format as it stands. Both are logged
    // (an unknown tag once).
    template <class... Args>
    std::u16string Format(const char* tag, const Args&... args)
    {
        const std::array<FormatArg, sizeof...(Args)> list = {MakeFormatArg(args)...};
        return FormatTagArgs(tag, list);
    }
    // Format for a name made of words, some of which may be empty (an item's name, quality,
    // style, prefix and suffix): a value that is empty takes one blank beside it away with it
    // (FormatSpacing::Words), so the words there stand as the format spaces them.
    template <class... Args>
    std::u16string FormatWords(const char* tag, const Args&... args)
    {
        const std::array<FormatArg, sizeof...(Args)> list = {MakeFormatArg(args)...};
        return FormatTagArgs(tag, list, FormatSpacing::Words);
    }
    std::u16string FormatTagArgs(const char* tag, std::span<const FormatArg> args,
                                 FormatSpacing spacing = FormatSpacing::AsWritten);
    // Format's text written after what `out` holds, without a text of its own between.
    template <class... Args>
    void AppendFormat(std::u16string& out, const char* tag, const Args&... args)
    {
        const std::array<FormatArg, sizeof...(Args)> list = {MakeFormatArg(args)...};
        AppendFormatTagArgs(out, tag, list);
    }
    void AppendFormatTagArgs(std::u16string& out, const char* tag, std::span<const FormatArg> args,
                             FormatSpacing spacing = FormatSpacing::AsWritten);

    // A given format filled with the values; a format that does not fit is logged and
    // given back as it stands.
    template <class... Args>
    static std::u16string FormatString(std::u16string_view format, const Args&... args)
    {
        const std::array<FormatArg, sizeof...(Args)> list = {MakeFormatArg(args)...};
        return FormatStringArgs(format, list);
    }
    static std::u16string FormatStringArgs(std::u16string_view format, std::span<const FormatArg> args);

    // Whether the tag is known and its format fits values of these kinds (a tag chosen
    // by a peer or a record is checked before use).
    bool TagMatches(const char* tag, std::span<const FormatArgKind> kinds) const;
    template <class... Args>
    bool TagMatches(const char* tag) const
    {
        const std::array<FormatArgKind, sizeof...(Args)> kinds = {FormatArgKindOf<Args>...};
        return TagMatches(tag, kinds);
    }

    // UTF-8 to 16-bit text. Bytes that are not UTF-8 become U+FFFD. With a maximum,
    // the result is cut to at most that many units, never inside a surrogate pair.
    static std::u16string ToWChar(std::string_view text, size_t maxLength = std::u16string::npos);
    // Into a buffer of `capacity` units, terminator included; returns the units written
    // before the terminator. Nothing is written when the capacity is 0.
    static size_t ToWChar(const char* text, char16_t* buffer, size_t capacity);

    // 16-bit text to UTF-8. A lone surrogate becomes U+FFFD. With a maximum, the result
    // is cut to at most that many bytes, never inside a character.
    static std::string ToChar(std::u16string_view text, size_t maxLength = std::string::npos);
    static size_t ToChar(const char16_t* text, char* buffer, size_t capacity);

private:
    static std::string Key(std::string_view tag);
    // The stored format of a tag, found without copying either; the caller holds m_lock.
    const ParsedFormat* FindFormat(const char* tag) const;

    mutable CriticalSection m_lock;
    // By tag without regard to ASCII case: a look-up for every line written folds the
    // tag as it hashes, with no lower-cased copy.
    NameIndex<std::unique_ptr<ParsedFormat>, CaseFold> m_formats;
    std::unordered_set<std::string> m_reportedUnknown;
};

}  // namespace GAME
