// The game's texts as the host prints them: narrowed to UTF-8 and without the colour codes
// (a caret and one letter, "^g") that tell a user interface how to draw them.
#pragma once

#include <string>
#include <string_view>

namespace GAME {

std::string HostPlainText(std::u16string_view text);
// The same for text already narrowed.
std::string HostPlainText(std::string_view text);

}  // namespace GAME
