// Small text helpers shared by the readers of record and text files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace GAME {

// Without the blanks (spaces, tabs) at either end, and a carriage return at the end.
std::string_view TrimBlanks(std::string_view text);

// ASCII letters lowered; other bytes, UTF-8 included, unchanged.
std::string LowerAscii(std::string_view text);

// Without the UTF-8 byte order mark that some editors put at the start of a file.
std::string_view SkipByteOrderMark(std::string_view text);

// Text from a peer made safe to print: without control characters (C0, DEL and C1), so
// that no terminal escape sequence, line break or carriage return it carries takes effect.
// The 8-bit form reads UTF-8: a C1 character is the two bytes C2 80 to C2 9F there.
std::u16string WithoutControlCharacters(std::u16string_view text);
std::string WithoutControlCharacters(std::string_view text);
// The same in place: a text that holds none is left as it is, at no cost of a copy.
void RemoveControlCharacters(std::u16string& text);

// The first `maxUnits` units of 16-bit text at most, never half a surrogate pair: a pair
// that would be cut is left out whole.
std::u16string_view CutUnits(std::u16string_view text, size_t maxUnits);

// Decodes one UTF-8 character at `pos` into `out`, moving `pos` past it; false (and `pos`
// one byte on) when the bytes there are not a well-formed character (overlong forms,
// surrogates and code points past U+10FFFF included).
bool DecodeUtf8(std::string_view text, size_t& pos, char32_t& out);

// Text from a file or an argument quoted in a message, shown so that what it holds can be
// read and nothing of it takes effect: its first `maxBytes` bytes, with "..." when there
// were more; printable ASCII and well-formed UTF-8 characters as they are, a backslash and
// a double quote escaped ("\\", "\""), a tab "\t", and every other byte (a control
// character, a NUL, a byte that is not UTF-8) as "\xNN".
constexpr size_t kExcerptBytes = 64;
std::string EscapedExcerpt(std::string_view text, size_t maxBytes = kExcerptBytes);
// Whether the text is what EscapedExcerpt shows as it is: printable ASCII, tabs and
// well-formed UTF-8 characters that are no control characters, no other byte.
bool IsPrintableText(std::string_view text);

}  // namespace GAME
