#include "Engine/ClassTag.h"

#include <cstring>
#include <utility>

namespace GAME {

namespace {

constexpr int kLargestClassNumber = 99;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Whether the text begins with the prefix: one comparison with a constant per letter.
// The prefix holds no zero byte, so a shorter text differs at its end at the latest and
// nothing past it is read.
template <size_t... I>
bool HasPrefix(const char* tag, std::index_sequence<I...>)
{
    return ((tag[I] == kClassTagPrefix[I]) && ...);
}

}  // namespace

unsigned char ClassTagToByte(const char* tag)
{
    constexpr size_t prefixLength = sizeof kClassTagPrefix - 1;
    if (!tag || !HasPrefix(tag, std::make_index_sequence<prefixLength>()))
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
    // Written straight into the string: a reused tag keeps its storage.
    constexpr size_t prefixLength = sizeof kClassTagPrefix - 1;
    const size_t digits = n >= 100 ? 3 : 2;
    out.resize(prefixLength + digits);
    char* text = out.data();
    std::memcpy(text, kClassTagPrefix, prefixLength);
    text += prefixLength;
    if (digits == 3)
        *text++ = static_cast<char>('0' + n / 100);
    *text++ = static_cast<char>('0' + n / 10 % 10);
    *text = static_cast<char>('0' + n % 10);
}

}  // namespace GAME
