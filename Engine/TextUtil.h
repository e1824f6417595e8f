// Small text helpers shared by the readers of record and text files.
#pragma once

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

}  // namespace GAME
