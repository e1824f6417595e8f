#include "host/HostText.h"

#include <cctype>

#include "Engine/Localization.h"

namespace GAME {

std::string HostPlainText(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[i + 1]))) {
            ++i;   // the code's letter
            continue;
        }
        plain += text[i];
    }
    return plain;
}

std::string HostPlainText(std::u16string_view text) { return HostPlainText(LocalizationManager::ToChar(text)); }

}  // namespace GAME
