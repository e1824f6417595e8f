// Path and display-text string routines shared by the game rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Game/core/foundation/GameTextLine.h"

namespace GAME {

// Record paths: lower case with '\' separators, the form records are filed under.
void NormalizePath(std::string& path);
std::string GetNormalizedPath(std::string_view path);
// Whether GetNormalizedPath(path) equals `normalised`, without building the copy.
bool NormalizedPathEquals(std::string_view normalised, std::string_view path);

void ConvertToBackslashes(std::string& path);
void ConvertToForwardSlashes(std::string& path);
// Removes every '/' and '\'.
void RemoveSlashes(std::string& path);

// Appends the lower-cased characters of `text` to `out`.
void ToLowerCase(std::string_view text, std::string& out);

// Case-insensitive; '/' and '\' are the same. False when either is null.
bool PathEqualsNoCase(const char* a, const char* b);
// Same length and equal ignoring case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The part after the last '/' or '\'; with `stripExtension` also without the part of the
// file name from its last '.'.
std::string GetFileName(std::string_view path, bool stripExtension);

// Removes the line-break codes "^n" and "^N" and every newline; other '^' codes stay.
// A removal can join a new code ("^^nn"), so sweeps repeat, at most 50 of them.
void RemoveLineBreakCodes(std::u16string& text);

// Removes blanks at the start and the end, at most 50 on each side, stepping over '{'
// and '}' without removing them.
void TrimDisplayText(std::u16string& text);

// True when some string of `b` equals some string of `a`.
bool HasCommonString(const std::vector<std::string>& a, const std::vector<std::string>& b);

std::string IntToString(int value);
// Six significant digits, or `significantDigits` when it is given (>= 1).
std::string FloatToString(float value, int significantDigits = -1);

// Appends every string to `out`, in order, with no separator.
void JoinStrings(const std::vector<std::u16string>& strings, std::u16string& out);

// One line of `textClass` with the flag false per string, in order.
void AppendGameTextLines(const std::vector<std::u16string>& strings, GameTextClass textClass,
                         std::vector<GameTextLine>& lines);

}  // namespace GAME
