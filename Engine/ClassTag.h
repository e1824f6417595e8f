// The one-byte form of a character class tag: "tagCClass" followed by a number.
#pragma once

#include <string>

namespace GAME {

// The text every numbered class tag begins with.
inline constexpr char kClassTagPrefix[] = "tagCClass";
// The byte that stands for a text that is not a numbered class tag.
inline constexpr unsigned char kClassTagNotEncodable = 255;

// A text that begins with "tagCClass" and goes on with a number from 1 to 99 gives that
// number. The number is read as a C library integer conversion reads it (blanks, a
// sign, then digits up to the first other character; no digits is 0), but never
// overflows, however many digits follow. Anything else gives kClassTagNotEncodable.
unsigned char ClassTagToByte(const char* tag);

// "tagCClass" followed by n in decimal, at least two digits: 7 gives "tagCClass07".
void ByteToClassTag(unsigned char n, std::string& out);

}  // namespace GAME
