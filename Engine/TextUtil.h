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

}  // namespace GAME
