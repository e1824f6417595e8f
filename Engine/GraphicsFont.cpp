#include "Engine/GraphicsFont.h"

#include <cstdint>
#include <utility>

namespace GAME {

GraphicsFont::GraphicsFont(std::string name, int advancePercent)
    : m_name(std::move(name)), m_advancePercent(advancePercent < 0 ? 0 : advancePercent)
{
}

FontCharacterStep GraphicsFont::ProcessCharacter(std::u16string_view text, size_t index) const
{
    if (index >= text.size())
        return {FontCharacterAction::EndRun, 1};
    const char16_t c = text[index];
    if (c == kLineBreak)
        return {FontCharacterAction::EndRun, 1};
    if (c == kCodeCharacter && index + 1 < text.size())
        return {FontCharacterAction::Skipped, 2};
    return {FontCharacterAction::Drawn, 1};
}

int GraphicsFont::GetCharacterWidth(char16_t /*character*/, int size) const
{
    if (size <= 0)
        return 0;
    const long long width = static_cast<long long>(size) * m_advancePercent / 100;
    return width > INT32_MAX ? INT32_MAX : static_cast<int>(width);
}

int GraphicsFont::GetRunWidth(std::u16string_view run, int size) const
{
    long long width = 0;
    for (char16_t c : run)
        width += GetCharacterWidth(c, size);
    return width > INT32_MAX ? INT32_MAX : static_cast<int>(width);
}

}  // namespace GAME
