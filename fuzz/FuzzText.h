// Whether a text line shows a number that is not finite ("inf" or "nan", as printf writes
// them). Searched in the 16-bit text itself: converting every line first cost more than
// the lines took to make.
#pragma once

#include <string_view>

namespace GAME {

inline bool ShowsNonFinite(std::u16string_view text)
{
    return text.find(u"inf") != std::u16string_view::npos || text.find(u"nan") != std::u16string_view::npos;
}

}  // namespace GAME
