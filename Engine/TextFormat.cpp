#include "Engine/TextFormat.h"

#include <charconv>
#include <cstdio>

#include "Engine/Localization.h"
#include "Engine/TextUtil.h"

namespace GAME {

// The parsed form of one conversion. It is named, not file-local, because the parsed
// formats the header declares keep it.
namespace format_detail {

enum class Length { None, HH, H, L, LL, BigL, J, Z, T, W, I32, I64 };
enum class ConversionClass { Integer, Float, Character, Text, Percent };

struct Conversion {
    int position = 0;         // "%N$": the N-th value (from 1); 0: the next value in turn
    std::string flags;        // as written, '-', '+', ' ', '#', '0'
    int width = -1;           // -1: none
    bool widthStar = false;
    int precision = -1;       // -1: none
    bool precisionStar = false;
    Length length = Length::None;
    char type = 0;
    ConversionClass cls = ConversionClass::Percent;
};

}  // namespace format_detail

namespace {

using namespace format_detail;

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool IsFlag(char16_t c)
{
    return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0';
}

// Digits at `pos`, refused above the largest field width.
bool ParseNumber(std::u16string_view format, size_t& pos, int& out)
{
    out = 0;
    while (pos < format.size() && IsDigit(format[pos])) {
        out = out * 10 + (format[pos] - u'0');
        if (out > kMaxFormatFieldWidth)
            return false;
        ++pos;
    }
    return true;
}

bool StartsWith(std::u16string_view text, size_t pos, std::u16string_view prefix)
{
    return text.substr(pos, prefix.size()) == prefix;
}

// Chosen by the first character, then the longest modifier that fits ("hh" before "h",
// "I64" before nothing): it runs for every conversion of every line written.
Length ParseLength(std::u16string_view format, size_t& pos)
{
    if (pos >= format.size())
        return Length::None;
    const char16_t next = pos + 1 < format.size() ? format[pos + 1] : u'\0';
    Length length = Length::None;
    size_t size = 1;
    switch (format[pos]) {
    case u'I':
        if (StartsWith(format, pos, u"I64"))
            length = Length::I64;
        else if (StartsWith(format, pos, u"I32"))
            length = Length::I32;
        size = 3;
        break;
    case u'h':
        length = next == u'h' ? Length::HH : Length::H;
        size = next == u'h' ? 2 : 1;
        break;
    case u'l':
        length = next == u'l' ? Length::LL : Length::L;
        size = next == u'l' ? 2 : 1;
        break;
    case u'L': length = Length::BigL; break;
    case u'j': length = Length::J; break;
    case u'z': length = Length::Z; break;
    case u't': length = Length::T; break;
    case u'w': length = Length::W; break;
    default: break;
    }
    if (length != Length::None)
        pos += size;
    return length;
}

bool Classify(Conversion& conversion)
{
    const Length length = conversion.length;
    switch (conversion.type) {
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
        conversion.cls = ConversionClass::Integer;
        return length != Length::BigL && length != Length::W;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
        conversion.cls = ConversionClass::Float;
        return length == Length::None || length == Length::L || length == Length::BigL;
    case 'c': case 'C':
        conversion.cls = ConversionClass::Character;
        return length == Length::None || length == Length::H || length == Length::L || length == Length::W;
    case 's': case 'S':
        conversion.cls = ConversionClass::Text;
        return length == Length::None || length == Length::H || length == Length::L || length == Length::W;
    default:
        return false;
    }
}

// A position "N$" at `pos` (N from 1), read and stepped over; `pos` stays where it was when
// the digits there are a width instead.
bool ParsePosition(std::u16string_view format, size_t& pos, int& position)
{
    size_t end = pos;
    while (end < format.size() && IsDigit(format[end]))
        ++end;
    if (end == pos || end >= format.size() || format[end] != u'$')
        return true;
    if (format[pos] == u'0' || !ParseNumber(format, pos, position))
        return false;
    ++pos;   // the '$'
    return true;
}

// Reads one conversion; `pos` is just past the '%' and ends just past the conversion.
bool ParseConversion(std::u16string_view format, size_t& pos, Conversion& conversion)
{
    if (pos < format.size() && format[pos] == u'%') {
        ++pos;
        conversion.cls = ConversionClass::Percent;
        return true;
    }
    if (!ParsePosition(format, pos, conversion.position))
        return false;
    while (pos < format.size() && IsFlag(format[pos]))
        conversion.flags.push_back(static_cast<char>(format[pos++]));
    if (pos < format.size() && format[pos] == u'*') {
        conversion.widthStar = true;
        ++pos;
    } else if (pos < format.size() && IsDigit(format[pos])) {
        if (!ParseNumber(format, pos, conversion.width))
            return false;
    }
    if (pos < format.size() && format[pos] == u'.') {
        ++pos;
        if (pos < format.size() && format[pos] == u'*') {
            conversion.precisionStar = true;
            ++pos;
        } else if (!ParseNumber(format, pos, conversion.precision)) {
            return false;
        }
    }
    // A conversion that names its value takes its width and precision as digits.
    if (conversion.position > 0 && (conversion.widthStar || conversion.precisionStar))
        return false;
    conversion.length = ParseLength(format, pos);
    if (pos >= format.size() || format[pos] > 0x7f)
        return false;
    conversion.type = static_cast<char>(format[pos++]);
    return Classify(conversion);
}

bool KindFits(ConversionClass cls, FormatArgKind kind)
{
    switch (cls) {
    case ConversionClass::Integer:
    case ConversionClass::Character:
        return kind == FormatArgKind::Integer || kind == FormatArgKind::Character;
    case ConversionClass::Float:
        return kind == FormatArgKind::Float;
    case ConversionClass::Text:
        return kind == FormatArgKind::NarrowText || kind == FormatArgKind::WideText;
    case ConversionClass::Percent:
        return true;
    }
    return false;
}

// Walks the format: literal runs go to `literal`, each conversion to `convert`. Stops
// with false at the first malformed conversion, at a conversion that names its value in a
// format whose others take theirs in turn (or the reverse), or when a callback refuses.
template <class Literal, class Convert>
bool Walk(std::u16string_view format, Literal&& literal, Convert&& convert)
{
    bool positional = false;
    bool inTurn = false;
    size_t pos = 0;
    while (pos < format.size()) {
        size_t percent = format.find(u'%', pos);
        if (percent == std::u16string_view::npos)
            percent = format.size();
        if (percent > pos)
            literal(format.substr(pos, percent - pos));
        if (percent == format.size())
            break;
        pos = percent + 1;
        Conversion conversion;
        if (!ParseConversion(format, pos, conversion))
            return false;
        if (conversion.cls != ConversionClass::Percent) {
            (conversion.position > 0 ? positional : inTurn) = true;
            if (positional && inTurn)
                return false;
        }
        if (!convert(conversion))
            return false;
    }
    return true;
}

// The number of bits a whole-number conversion reads with this length modifier, as on
// the platform the texts were written for (long is 32 bits there).
int IntegerBits(Length length)
{
    switch (length) {
    case Length::HH: return 8;
    case Length::H: return 16;
    case Length::LL: case Length::I64: case Length::J: case Length::Z: case Length::T: return 64;
    default: return 32;
    }
}

void AppendAscii(std::u16string& out, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i])));
}

// Runs snprintf with a conversion we built ourselves and the value of the type it names.
template <class T>
void AppendPrintf(std::u16string& out, const char* spec, T value)
{
    char small[128];
    const int n = std::snprintf(small, sizeof small, spec, value);
    if (n < 0)
        return;
    if (static_cast<size_t>(n) < sizeof small) {
        AppendAscii(out, small, static_cast<size_t>(n));
        return;
    }
    std::string large(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(large.data(), large.size(), spec, value);
    AppendAscii(out, large.data(), static_cast<size_t>(n));
}

// A printf conversion of our own making, written into a buffer of the caller's: each
// flag once (printf reads a repeated flag as one), then width, precision, length, type.
struct Spec {
    char text[48];
};

void BuildSpec(Spec& spec, const Conversion& conversion, int width, int precision, const char* lengthText, char type)
{
    char* at = spec.text;
    *at++ = '%';
    for (char flag : {'-', '+', ' ', '#', '0'})
        if (conversion.flags.find(flag) != std::string::npos && (flag != '#' || (type != 'd' && type != 'i' && type != 'u')))
            *at++ = flag;
    // Width and precision are at most kMaxFormatFieldWidth: the buffer always holds them.
    char* const end = spec.text + sizeof spec.text - 4;   // room for length, type and the end
    if (width >= 0)
        at = std::to_chars(at, end, width).ptr;
    if (precision >= 0) {
        *at++ = '.';
        at = std::to_chars(at, end, precision).ptr;
    }
    for (; *lengthText; ++lengthText)
        *at++ = *lengthText;
    *at++ = type;
    *at = '\0';
}

void AppendInteger(std::u16string& out, const Conversion& conversion, int width, int precision, uint64_t bits)
{
    const int size = IntegerBits(conversion.length);
    const uint64_t mask = size == 64 ? ~0ull : (1ull << size) - 1;
    const uint64_t value = bits & mask;
    Spec spec;
    BuildSpec(spec, conversion, width, precision, "ll", conversion.type);
    if (conversion.type == 'd' || conversion.type == 'i') {
        const uint64_t sign = 1ull << (size - 1);
        const long long signedValue = static_cast<long long>((value ^ sign) - sign);   // sign-extend
        AppendPrintf(out, spec.text, signedValue);
    } else {
        AppendPrintf(out, spec.text, static_cast<unsigned long long>(value));
    }
}

void Pad(std::u16string& out, size_t count)
{
    out.append(count, u' ');
}

// A text field: at most `precision` units (never half a surrogate pair), padded to `width`.
void AppendField(std::u16string& out, std::u16string_view text, const Conversion& conversion, int width,
                 int precision)
{
    if (precision >= 0)
        text = CutUnits(text, static_cast<size_t>(precision));
    const size_t padding = width > 0 && text.size() < static_cast<size_t>(width) ? width - text.size() : 0;
    const bool left = conversion.flags.find('-') != std::string::npos;
    if (!left)
        Pad(out, padding);
    out.append(text);
    if (left)
        Pad(out, padding);
}

std::u16string CharacterText(uint64_t bits)
{
    const uint64_t code = bits & 0xFFFFFFFFu;
    if (code <= 0xFFFF)
        return std::u16string(1, static_cast<char16_t>(code));
    if (code <= 0x10FFFF) {
        const uint64_t v = code - 0x10000;
        return {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
    }
    return std::u16string(1, u'\uFFFD');
}

// Writes a format's pieces: its literal runs as they stand, and each conversion once the
// values it reads are checked to be there and of the kinds it takes; it refuses the
// conversion (and so the whole format) when they are not. Filling words, a conversion that
// writes nothing takes one blank beside it away with it: the blank the format writes right
// after it, else the one just written before it.
class Writer {
public:
    Writer(std::span<const FormatArg> args, std::u16string& out, FormatSpacing spacing)
        : m_args(args), m_out(out), m_start(out.size()), m_words(spacing == FormatSpacing::Words)
    {
    }

    void Literal(std::u16string_view text)
    {
        if (m_emptyBefore && !text.empty() && text.front() == u' ')
            text.remove_prefix(1);
        else
            DropBlankOfEmpty();
        m_emptyBefore = false;
        m_out.append(text);
    }

    // After the last piece.
    void Finish() { DropBlankOfEmpty(); }

    bool operator()(const Conversion& conversion)
    {
        DropBlankOfEmpty();
        const size_t before = m_out.size();
        if (!Write(conversion))
            return false;
        m_emptyBefore = m_words && conversion.cls != ConversionClass::Percent && m_out.size() == before;
        return true;
    }

private:
    // The blank an empty value leaves before the piece that follows it, when that piece
    // does not begin with a blank of its own.
    void DropBlankOfEmpty()
    {
        if (m_emptyBefore && m_out.size() > m_start && m_out.back() == u' ')
            m_out.pop_back();
        m_emptyBefore = false;
    }

    bool Write(const Conversion& conversion)
    {
        if (conversion.cls == ConversionClass::Percent) {
            m_out.push_back(u'%');
            return true;
        }
        Conversion adjusted = conversion;
        int width = conversion.width;
        int precision = conversion.precision;
        if (conversion.widthStar && !TakeStar(width, adjusted, true))
            return false;
        if (conversion.precisionStar && !TakeStar(precision, adjusted, false))
            return false;
        const FormatArg* value = Take(conversion.cls, conversion.position);
        if (!value)
            return false;
        const FormatArg& arg = *value;
        switch (conversion.cls) {
        case ConversionClass::Integer:
            AppendInteger(m_out, adjusted, width, precision, arg.bits);
            break;
        case ConversionClass::Float:
        {
            Spec spec;
            BuildSpec(spec, adjusted, width, precision, "", conversion.type);
            AppendPrintf(m_out, spec.text, arg.real);
        }
            break;
        case ConversionClass::Character:
            AppendField(m_out, CharacterText(arg.bits), adjusted, width, -1);
            break;
        case ConversionClass::Text:
            if (arg.kind == FormatArgKind::WideText)
                AppendField(m_out, arg.wide, adjusted, width, precision);
            else
                AppendField(m_out, LocalizationManager::ToWChar(arg.narrow), adjusted, width, precision);
            break;
        case ConversionClass::Percent:
            break;
        }
        return true;
    }

    // A '*' width or precision: the next argument, a whole number. A negative width
    // means left-aligned; a negative precision means none.
    bool TakeStar(int& out, Conversion& conversion, bool isWidth)
    {
        const FormatArg* taken = Take(ConversionClass::Integer, 0);
        if (!taken)
            return false;
        const FormatArg& arg = *taken;
        const long long value = static_cast<int32_t>(static_cast<uint32_t>(arg.bits));
        if (value < -kMaxFormatFieldWidth || value > kMaxFormatFieldWidth)
            return false;
        out = static_cast<int>(value);
        if (out < 0 && isWidth) {
            conversion.flags.push_back('-');
            out = -out;
        } else if (out < 0) {
            out = -1;
        }
        return true;
    }

    // The value a conversion reads: the one at its position (from 1), else the next in turn;
    // none when it is not there or is not of a kind the class reads.
    const FormatArg* Take(ConversionClass cls, int position)
    {
        const size_t index = position > 0 ? static_cast<size_t>(position - 1) : m_next++;
        if (index >= m_args.size() || !KindFits(cls, m_args[index].kind))
            return nullptr;
        return &m_args[index];
    }

    std::span<const FormatArg> m_args;
    std::u16string& m_out;
    const size_t m_start;   // what `out` held before: never touched
    const bool m_words;
    size_t m_next = 0;
    bool m_emptyBefore = false;   // the last piece was a value that wrote nothing
};

}  // namespace

bool FormatMatches(std::u16string_view format, std::span<const FormatArgKind> kinds)
{
    size_t next = 0;
    auto take = [&](ConversionClass cls, int position = 0) {
        const size_t index = position > 0 ? static_cast<size_t>(position - 1) : next++;
        return index < kinds.size() && KindFits(cls, kinds[index]);
    };
    return Walk(
        format, [](std::u16string_view) {},
        [&](const Conversion& conversion) {
            if (conversion.cls == ConversionClass::Percent)
                return true;
            if (conversion.widthStar && !take(ConversionClass::Integer))
                return false;
            if (conversion.precisionStar && !take(ConversionClass::Integer))
                return false;
            return take(conversion.cls, conversion.position);
        });
}

bool FormatText(std::u16string_view format, std::span<const FormatArg> args, std::u16string& out,
                FormatSpacing spacing)
{
    // One walk both checks and writes: a format that does not fit its values stops the
    // walk at the first conversion that does not, and what was written is dropped.
    out.clear();
    out.reserve(format.size());
    Writer writer(args, out, spacing);
    if (!Walk(format, [&](std::u16string_view text) { writer.Literal(text); }, writer)) {
        out.clear();
        return false;
    }
    writer.Finish();
    return true;
}

// One piece of a parsed format: a literal run of its text, or a conversion.
struct FormatPiece {
    size_t start = 0;
    size_t length = 0;
    bool literal = true;
    format_detail::Conversion conversion;
};

ParsedFormat::ParsedFormat(std::u16string_view format) : m_text(format)
{
    const std::u16string_view text = m_text;
    m_wellFormed = Walk(
        text,
        [&](std::u16string_view run) {
            m_pieces.push_back({static_cast<size_t>(run.data() - text.data()), run.size(), true, {}});
        },
        [&](const Conversion& conversion) {
            m_pieces.push_back({0, 0, false, conversion});
            return true;
        });
    if (!m_wellFormed)
        m_pieces.clear();
}

ParsedFormat::ParsedFormat(const ParsedFormat&) = default;
ParsedFormat::ParsedFormat(ParsedFormat&&) noexcept = default;
ParsedFormat& ParsedFormat::operator=(const ParsedFormat&) = default;
ParsedFormat& ParsedFormat::operator=(ParsedFormat&&) noexcept = default;
ParsedFormat::~ParsedFormat() = default;

bool ParsedFormat::Format(std::span<const FormatArg> args, std::u16string& out, FormatSpacing spacing) const
{
    out.clear();
    if (!m_wellFormed)
        return false;
    out.reserve(m_text.size());
    return AppendTo(args, out, spacing);
}

bool ParsedFormat::AppendTo(std::span<const FormatArg> args, std::u16string& out, FormatSpacing spacing) const
{
    if (!m_wellFormed)
        return false;
    const size_t start = out.size();
    Writer writer(args, out, spacing);
    const std::u16string_view text = m_text;
    for (const FormatPiece& piece : m_pieces) {
        if (piece.literal) {
            writer.Literal(text.substr(piece.start, piece.length));
        } else if (!writer(piece.conversion)) {
            out.resize(start);
            return false;
        }
    }
    writer.Finish();
    return true;
}

}  // namespace GAME
