// The game's texts as the host prints them: narrowed to UTF-8 and without the colour codes
// (a caret and one letter, "^g") that tell a user interface how to draw them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace GAME {

class Object;
class Player;

std::string HostPlainText(std::u16string_view text);
// The same for text already narrowed.
std::string HostPlainText(std::string_view text);

// The name the game shows for an object: a character's, an item's, a usable object's or a
// skill's own display name; the record's name where the game gives it none, or "nothing"
// for no object. Characters of one name are told apart: the first the host names keeps the
// name, each later one takes a number after it ("Bystander 2"), chosen the first time it is
// named and kept for the game (a character whose name changes is named anew); a player
// is named as HostPlayerName says.
std::string HostName(const Object* object);
// A player's name as printed (a peer chose it: without control characters), told apart
// from the other players of that name in the world as characters are, but numbered by
// their ids (the server's player first, then each client's by its host), so that every
// host numbers them alike: the first keeps the name, a later one takes its number after
// it ("Hero 2"). Chosen the first time it is named beside a player of its name, and kept.
std::string HostPlayerName(const Player& player);
// Forgets every name given: a new game names its characters afresh (object ids start
// over with it).
void HostNamesNewGame();
// The game's name alone, without the number that tells a character from others of its name:
// for what counts characters by their kind ("killed 2 of Field Wisp").
std::string HostKindName(const Object* object);
// The display name of a skill record (a buff's, a hot slot's), or the record's name when
// it names none.
std::string HostSkillName(const std::string& record);

// "1 bag", "2 bags": a count with its word, the word taking an "s" unless the count is 1.
std::string HostCount(size_t count, std::string_view word);

}  // namespace GAME
