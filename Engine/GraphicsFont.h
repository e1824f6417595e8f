// A font of the platform's text drawing. Nothing is drawn here: every visible character
// advances by a fixed share of the size, so widths are deterministic and easy to predict.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace GAME {

// What one character does to the text being measured or drawn.
enum class FontCharacterAction {
    Drawn,     // drawn and measured
    Skipped,   // part of a two-character code such as "^y" (colour, line break)
    EndRun,    // ends the current run (a line break)
};

struct FontCharacterStep {
    FontCharacterAction action = FontCharacterAction::Drawn;
    size_t length = 1;   // characters consumed: 2 for a code, else 1
};

class GraphicsFont {
public:
    // A character is `advancePercent` per cent of the size wide, rounded down.
    static constexpr int kDefaultAdvancePercent = 50;
    // The character that starts a two-character code, and the one that ends a run.
    static constexpr char16_t kCodeCharacter = u'^';
    static constexpr char16_t kLineBreak = u'\n';

    explicit GraphicsFont(std::string name, int advancePercent = kDefaultAdvancePercent);

    const std::string& GetName() const { return m_name; }
    int GetAdvancePercent() const { return m_advancePercent; }

    // Decides what the character at `index` of `text` does. A code character as the last
    // character has nothing to introduce and is drawn.
    FontCharacterStep ProcessCharacter(std::u16string_view text, size_t index) const;

    // Pixel advance of one drawn character at `size`.
    int GetCharacterWidth(char16_t character, int size) const;
    // Pixel width of a run of drawn characters at `size`.
    int GetRunWidth(std::u16string_view run, int size) const;

private:
    std::string m_name;
    int m_advancePercent;
};

}  // namespace GAME
