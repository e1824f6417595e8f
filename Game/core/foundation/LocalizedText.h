// Display text built from text tags. Tags may come from records or from other peers, so
// a tag's format is filled only when it fits the values given; otherwise the text is
// shown as it stands, never formatted with values it was not written for.
#pragma once

#include <string>

namespace GAME {

// The tag's own text through "SimpleStringFormat" (or alone when that format is
// missing); an unknown tag is shown as itself.
std::u16string SimpleTagText(const std::string& tag);
// A text through "SimpleStringFormat", or the text alone when that format is missing.
std::u16string SimpleText(const std::u16string& text);

// The tag's format filled with a name. A format that does not take exactly one text is
// logged and shown unformatted; an unknown tag is shown as itself.
std::u16string TagTextWithName(const std::string& tag, const std::u16string& name);

}  // namespace GAME
