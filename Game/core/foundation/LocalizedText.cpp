#include "Game/core/foundation/LocalizedText.h"

#include "Engine/Engine.h"
#include "Engine/Localization.h"

namespace GAME {

namespace {

constexpr const char* kSimpleStringFormat = "SimpleStringFormat";

// The tag's format as it stands, or the tag itself when it is unknown.
std::u16string PlainTagText(const std::string& tag)
{
    std::u16string text;
    if (!LocalizationManager::Instance().GetFormat(tag.c_str(), text)) {
        gEngine->Log(LOG_WARNING, "Localization: unknown text tag \"%s\"", tag.c_str());
        text = LocalizationManager::ToWChar(tag);
    }
    return text;
}

}  // namespace

std::u16string SimpleTagText(const std::string& tag) { return SimpleText(PlainTagText(tag)); }

std::u16string SimpleText(const std::u16string& text)
{
    LocalizationManager& localization = LocalizationManager::Instance();
    if (!localization.TagMatches<std::u16string>(kSimpleStringFormat))
        return text;
    return localization.Format(kSimpleStringFormat, text);
}

std::u16string TagTextWithName(const std::string& tag, const std::u16string& name)
{
    LocalizationManager& localization = LocalizationManager::Instance();
    if (localization.TagMatches<std::u16string>(tag.c_str()))
        return localization.Format(tag.c_str(), name);
    const std::u16string plain = PlainTagText(tag);
    if (localization.HasTag(tag.c_str()))
        gEngine->Log(LOG_WARNING, "Localization: text tag \"%s\" does not take a name; shown as plain text",
                     tag.c_str());
    return plain;
}

}  // namespace GAME
