// Lines of user-interface text with their style class, the style table that maps each
// class to a font style and indent, and the measured strings the user interface draws.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace GAME {

class LoadTable;

// Every style class with the record key of its style name; the indent's key is the same
// word followed by "Indent". Values count from 0 in this order.
#define GAME_TEXT_CLASSES(X)                                                                 \
    X(Default) X(ItemBanner) X(ItemNameCommon) X(ItemNameMagical) X(ItemNameRare)            \
    X(ItemNameEpic) X(ItemNameLegendary) X(ItemNameBroken) X(ItemNamePotion) X(ItemNameRelic) \
    X(ItemNameQuest) X(ItemDescription) X(ItemBaseStats) X(ItemBonuses) X(ItemRequirements)   \
    X(ItemSetName) X(ItemSetDescription) X(ItemSetComponentNotAvailable)                      \
    X(ItemSetComponentAvailable) X(ItemSetBonuses) X(ItemRelicName) X(ItemRelicNumber)        \
    X(ItemRelicDescription) X(ItemRelicBonus) X(ItemRelicCompleteTitle) X(ItemDirections)     \
    X(ItemSkillHeading) X(ItemSkillName) X(SkillName) X(SkillDescription) X(SkillLevelTitles) \
    X(SkillStatsCurrent) X(SkillStatsNext) X(SkillRequirements) X(SkillRequirementsNotMet)    \
    X(PetSkillNameCurrent) X(PetSkillNameNext) X(PetSkillStatsCurrent) X(PetSkillStatsNext)

enum class GameTextClass : int32_t {
#define GAME_TEXT_CLASS_VALUE(name) name,
    GAME_TEXT_CLASSES(GAME_TEXT_CLASS_VALUE)
#undef GAME_TEXT_CLASS_VALUE
};

inline constexpr int kGameTextClassCount = 39;

// The record key of a class's style name ("ItemBanner"), or null for a value out of range.
const char* GetGameTextClassKey(GameTextClass textClass);

// One line of text as the game rules build it.
struct GameTextLine {
    GameTextLine(GameTextClass lineClass, const std::u16string& lineText, bool lineFlag)
        : textClass(lineClass), text(lineText), flag(lineFlag)
    {
    }

    GameTextClass textClass;
    std::u16string text;   // localized and formatted
    bool flag;             // carried unchanged to the user interface
};

struct GameTextStyle {
    std::string styleName;   // a font style known to the StyleManager
    int indent = 0;          // pixels
};

using GameTextStyleTable = std::map<GameTextClass, GameTextStyle>;

// Reads the style name and indent of every class from the game-wide record into the
// table. Classes already in the table keep their entry.
void LoadGameTextStyles(const LoadTable& record, GameTextStyleTable& table);

// The style name of a class, or an empty string when the table has none.
std::string GetGameTextStyleName(const GameTextStyleTable& table, GameTextClass textClass);
// The indent of a class as a float, or 0.
float GetGameTextStyleIndent(const GameTextStyleTable& table, GameTextClass textClass);

// One line ready to draw: its font style, margins and measured size.
class GameTextString {
public:
    static constexpr int kMargin = 6;   // pixels on each side, added to the indent on the left

    GameTextString(const std::string& styleName, const std::u16string& text, bool flag, int indent);

    std::string styleName;
    std::u16string text;
    int width = 0;    // text width plus both margins; 0 when the style is unknown
    int height = 0;   // the style's size; 0 when the style is unknown
    int leftMargin = 0;
    int rightMargin = 0;
    bool flag = false;

private:
    void Measure();
};

// Turns lines into strings with the style of each line's class, in order.
void GameTextLineToString(const GameTextStyleTable& styles, const std::vector<GameTextLine>& lines,
                          std::list<GameTextString>& out);

}  // namespace GAME
