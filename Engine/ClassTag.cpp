#include "Engine/ClassTag.h"

#include <cstdio>
#include <cstring>

namespace GAME {

namespace {

constexpr int kLargestClassNumber = 99;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

unsigned char ClassTagToByte(const char* tag)
{
    const size_t prefixLength = sizeof kClassTagPrefix - 1;
    if (!tag || std::strncmp(tag, kClassTagPrefix, prefixLength) != 0)
        return kClassTagNotEncodable;
    const char* c = tag + prefixLength;
    while (IsBlank(*c))
        ++c;
    bool negative = false;
    if (*c == '+' || *c == '-')
        negative = *c++ == '-';
    // Once the number is past the largest class it can only stay out of range, so the
    // remaining digits are skipped instead of accumulated.
    int number = 0;
    for (; *c >= '0' && *c <= '9'; ++c)
        if (number <= kLargestClassNumber)
            number = number * 10 + (*c - '0');
    if (negative || number < 1 || number > kLargestClassNumber)
        return kClassTagNotEncodable;
    return static_cast<unsigned char>(number);
}

void ByteToClassTag(unsigned char n, std::string& out)
{
    char text[sizeof kClassTagPrefix + 4];
    std::snprintf(text, sizeof text, "%s%02i", kClassTagPrefix, static_cast<int>(n));
    out = text;
}

}  // namespace GAME
