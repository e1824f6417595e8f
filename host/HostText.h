// The game's texts as the host prints them: narrowed to UTF-8 and without the colour codes
// (a caret and one letter, "^g") that tell a user interface how to draw them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace GAME {

class Object;

std::string HostPlainText(std::u16string_view text);
// The same for text already narrowed.
std::string HostPlainText(std::string_view text);

// The name the game shows for an object: a character's, an item's, a usable object's or a
// skill's own display name; the record's name where the game gives it none, or "nothing"
// for no object. Characters of one name are told apart: the first the host names keeps the
// name, each later one takes a number after it ("Bystander 2"), chosen the first time it is
// named and kept for the run (a character whose name changes is named anew).
std::string HostName(const Object* object);
// The game's name alone, without the number that tells a character from others of its name:
// for what counts characters by their kind ("killed 2 of Field Wisp").
std::string HostKindName(const Object* object);
// The display name of a skill record (a buff's, a hot slot's), or the record's name when
// it names none.
std::string HostSkillName(const std::string& record);

// "1 bag", "2 bags": a count with its word, the word taking an "s" unless the count is 1.
std::string HostCount(size_t count, std::string_view word);

}  // namespace GAME
