// A printf-style formatter for 16-bit text that knows the kind of every argument it is
// given. Each conversion of the format is checked against its argument before anything
// is written, so a format that does not fit its arguments is refused instead of
// reading values it was not given.
//
// Conversions: %d %i %u %x %X %o (whole numbers), %f %F %e %E %g %G (floating point),
// %c %C (one character), %s %S (text; narrow UTF-8 or 16-bit text alike), %% (a percent
// sign). Flags "-+ #0", a width and a precision (digits or '*', which takes a whole
// number argument), and the length modifiers hh h l ll L j z t w I32 I64. Arguments left
// over after the last conversion are ignored, as printf does.
//
// A conversion may name its value by position, as printf's "%2$s" does (from 1), so a
// text can place its values in the order its language wants: "%4$s %1$s %5$s" writes the
// fourth, the first and the fifth. In such a format every conversion names its value (a
// format that mixes the two, or a named one with a '*' width or precision, is malformed); a
// value may be written more than once, and values no conversion names are ignored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace GAME {

enum class FormatArgKind : uint8_t {
    Integer,
    Float,
    Character,
    NarrowText,
    WideText,
};

// One argument as the formatter sees it. The texts are views: they must outlive the call.
struct FormatArg {
    FormatArgKind kind = FormatArgKind::Integer;
    bool isSigned = true;
    uint64_t bits = 0;          // Integer and Character: the value (two's complement when signed)
    double real = 0.0;          // Float
    std::string_view narrow;    // NarrowText
    std::u16string_view wide;   // WideText
};

// Widths and precisions above this are refused: no text needs them, and a format
// from a record or a peer must not make the formatter allocate without bound.
constexpr int kMaxFormatFieldWidth = 1024;

namespace detail {

template <class T>
constexpr bool kIsNarrowText = std::is_same_v<T, const char*> || std::is_same_v<T, char*> ||
                               std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>;
template <class T>
constexpr bool kIsWideText = std::is_same_v<T, const char16_t*> || std::is_same_v<T, char16_t*> ||
                             std::is_same_v<T, std::u16string> || std::is_same_v<T, std::u16string_view>;
template <class T>
constexpr bool kIsCharacter = std::is_same_v<T, char> || std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;

template <class T>
constexpr FormatArgKind KindOf()
{
    if constexpr (kIsNarrowText<T>)
        return FormatArgKind::NarrowText;
    else if constexpr (kIsWideText<T>)
        return FormatArgKind::WideText;
    else if constexpr (kIsCharacter<T>)
        return FormatArgKind::Character;
    else if constexpr (std::is_floating_point_v<T>)
        return FormatArgKind::Float;
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return FormatArgKind::Integer;
    else
        static_assert(sizeof(T) == 0, "this type cannot be formatted: pass a number, a character or a text");
}

}  // namespace detail

// The kind an argument of type T (after array-to-pointer decay) is formatted as.
template <class T>
constexpr FormatArgKind FormatArgKindOf = detail::KindOf<std::decay_t<T>>();

template <class T>
FormatArg MakeFormatArg(const T& value)
{
    using V = std::decay_t<T>;
    FormatArg arg;
    arg.kind = FormatArgKindOf<T>;
    if constexpr (detail::kIsNarrowText<V>) {
        if constexpr (std::is_pointer_v<V>) {
            const char* text = value;   // an array decays here
            arg.narrow = text ? std::string_view(text) : std::string_view("(null)");
        } else
            arg.narrow = value;
    } else if constexpr (detail::kIsWideText<V>) {
        if constexpr (std::is_pointer_v<V>) {
            const char16_t* text = value;
            arg.wide = text ? std::u16string_view(text) : std::u16string_view(u"(null)");
        } else
            arg.wide = value;
    } else if constexpr (std::is_same_v<V, char>) {
        arg.isSigned = false;
        arg.bits = static_cast<unsigned char>(value);
    } else if constexpr (detail::kIsCharacter<V>) {
        arg.isSigned = false;
        arg.bits = static_cast<uint64_t>(value);
    } else if constexpr (std::is_floating_point_v<V>) {
        arg.real = static_cast<double>(value);
    } else if constexpr (std::is_enum_v<V>) {
        using U = std::underlying_type_t<V>;
        arg.isSigned = std::is_signed_v<U>;
        arg.bits = static_cast<uint64_t>(static_cast<U>(value));
    } else {
        arg.isSigned = std::is_signed_v<V> && !std::is_same_v<V, bool>;
        arg.bits = static_cast<uint64_t>(value);
    }
    return arg;
}

// How the blanks beside a value that writes nothing are kept.
enum class FormatSpacing : uint8_t {
    AsWritten,   // every blank of the format stays, as printf keeps them
    // The values are words the format spaces (a name of its parts, some of them empty): a
    // value that writes nothing takes one blank beside it away with it, the blank the
    // format writes right after it, else the one right before it; every other blank stays.
    Words,
};

// Formats `format` with `args` into `out`. False, with `out` left empty, when the
// format is malformed or a conversion does not fit its argument.
bool FormatText(std::u16string_view format, std::span<const FormatArg> args, std::u16string& out,
                FormatSpacing spacing = FormatSpacing::AsWritten);

struct FormatPiece;

// A format read once into its literal runs and conversions, for a text formatted again and
// again (a tag's format): each use checks and writes its values without reading the
// format's characters anew. Formats exactly as FormatText does with the same text.
class ParsedFormat {
public:
    explicit ParsedFormat(std::u16string_view format);
    ParsedFormat(const ParsedFormat&);
    ParsedFormat(ParsedFormat&&) noexcept;
    ParsedFormat& operator=(const ParsedFormat&);
    ParsedFormat& operator=(ParsedFormat&&) noexcept;
    ~ParsedFormat();

    const std::u16string& GetText() const { return m_text; }
    bool Format(std::span<const FormatArg> args, std::u16string& out,
                FormatSpacing spacing = FormatSpacing::AsWritten) const;
    // The same written after what `out` holds (never touching that); on false `out` is as
    // it was.
    bool AppendTo(std::span<const FormatArg> args, std::u16string& out,
                  FormatSpacing spacing = FormatSpacing::AsWritten) const;

private:
    std::u16string m_text;
    std::vector<FormatPiece> m_pieces;
    bool m_wellFormed = false;
};

// Whether `format` is well formed and each conversion fits the argument of that kind.
bool FormatMatches(std::u16string_view format, std::span<const FormatArgKind> kinds);

template <class... Args>
bool FormatMatches(std::u16string_view format)
{
    const std::array<FormatArgKind, sizeof...(Args)> kinds = {FormatArgKindOf<Args>...};
    return FormatMatches(format, std::span<const FormatArgKind>(kinds));
}

}  // namespace GAME
