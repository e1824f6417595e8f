#include "Game/core/foundation/GameTextLine.h"

#include <cmath>
#include <iterator>
#include <string_view>

#include "Engine/GraphicsFont.h"
#include "Engine/LoadTable.h"
#include "Engine/StyleManager.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

namespace {

constexpr const char* kGameTextClassKeys[] = {
#define GAME_TEXT_CLASS_KEY(name) #name,
    GAME_TEXT_CLASSES(GAME_TEXT_CLASS_KEY)
#undef GAME_TEXT_CLASS_KEY
};
static_assert(std::size(kGameTextClassKeys) == kGameTextClassCount);

constexpr const char* kIndentKeySuffix = "Indent";

// Characters are measured in runs of at most this many, as the font draws them.
constexpr size_t kMaxRunLength = 511;

// Pixel width of `text` in `font` at `size`: codes are skipped, line breaks end a run,
// and the widths of all runs are added.
long long MeasureTextWidth(const GraphicsFont& font, int size, std::u16string_view text)
{
    long long width = 0;
    std::u16string run;
    run.reserve(kMaxRunLength);
    auto flush = [&] {
        width += font.GetRunWidth(run, size);
        run.clear();
    };
    for (size_t i = 0; i < text.size();) {
        const FontCharacterStep step = font.ProcessCharacter(text, i);
        if (step.action == FontCharacterAction::Drawn) {
            run.push_back(text[i]);
            if (run.size() == kMaxRunLength)
                flush();
        } else if (step.action == FontCharacterAction::EndRun) {
            flush();
        }
        i += step.length == 0 ? 1 : step.length;
    }
    flush();
    return width;
}

}  // namespace

const char* GetGameTextClassKey(GameTextClass textClass)
{
    const auto index = static_cast<int32_t>(textClass);
    if (index < 0 || index >= kGameTextClassCount)
        return nullptr;
    return kGameTextClassKeys[index];
}

void LoadGameTextStyles(const LoadTable& record, GameTextStyleTable& table)
{
    for (int32_t index = 0; index < kGameTextClassCount; ++index) {
        const std::string key = kGameTextClassKeys[index];
        const std::string indentKey = key + kIndentKeySuffix;
        GameTextStyle style;
        style.styleName = record.GetString(key.c_str(), "");
        style.indent = record.GetInt(indentKey.c_str(), 0);
        table.emplace(static_cast<GameTextClass>(index), std::move(style));
    }
}

std::string GetGameTextStyleName(const GameTextStyleTable& table, GameTextClass textClass)
{
    auto it = table.find(textClass);
    return it == table.end() ? std::string() : it->second.styleName;
}

float GetGameTextStyleIndent(const GameTextStyleTable& table, GameTextClass textClass)
{
    auto it = table.find(textClass);
    return it == table.end() ? 0.0f : static_cast<float>(it->second.indent);
}

GameTextString::GameTextString(const std::string& name, const std::u16string& lineText, bool lineFlag,
                               int indent)
    : styleName(name),
      text(lineText),
      leftMargin(ClampToInt(static_cast<long long>(indent) + kMargin)),
      rightMargin(kMargin),
      flag(lineFlag)
{
    Measure();
}

void GameTextString::Measure()
{
    const FontStyle* style = StyleManager::Get().GetStyle(styleName);
    if (!style || !style->font)
        return;
    const long long textWidth = MeasureTextWidth(*style->font, style->size, text);
    width = ClampToInt(textWidth + rightMargin + leftMargin);
    height = style->size;
}

void GameTextLineToString(const GameTextStyleTable& styles, const std::vector<GameTextLine>& lines,
                          std::list<GameTextString>& out)
{
    for (const GameTextLine& line : lines) {
        const int indent = TruncateToInt(GetGameTextStyleIndent(styles, line.textClass));
        out.emplace_back(GetGameTextStyleName(styles, line.textClass), line.text, line.flag, indent);
    }
}

}  // namespace GAME
