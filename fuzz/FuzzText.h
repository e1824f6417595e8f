// The game's texts for the targets that write lines, and whether a text line shows a number that is not finite ("inf" or "nan", as printf writes
// them). Searched in the 16-bit text itself: converting every line first cost more than
// the lines took to make.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "Engine/Localization.h"

namespace GAME {

// A check of the target's own, not code under test: its comparisons, one per character of
// every line, are left out of the coverage the fuzzer is steered by, which they only slowed.
__attribute__((no_sanitize("coverage"))) inline bool ShowsNonFinite(std::u16string_view text)
{
    // One pass for both words: the checked targets write thousands of lines per input.
    const char16_t* const c = text.data();
    for (size_t i = 0; i + 2 < text.size(); ++i) {
        if ((c[i] == u'i' && c[i + 1] == u'n' && c[i + 2] == u'f') ||
            (c[i] == u'n' && c[i + 1] == u'a' && c[i + 2] == u'n'))
            return true;
    }
    return false;
}

// Loads the bundled text formats. Without them every tag is written as itself and no
// number reaches a line, so a target that checks lines would check nothing: a missing file
// stops the run. The data folder is the source tree's, given by the build.
inline void LoadGameTexts()
{
    const std::string path = std::string(GAME_FUZZ_DATA_DIR) + "/Text/English.txt";
    if (LocalizationManager::Instance().LoadFile(path) == 0) {
        std::fprintf(stderr, "no text formats loaded from %s\n", path.c_str());
        __builtin_trap();
    }
}

}  // namespace GAME
