// Conversion between enumeration values and the words that records, saves and tools use.
// Words compare exactly: case-sensitive, no trimming.
#pragma once

#include <string>

#include "Game/characters/CharacterTypes.h"
#include "Game/core/foundation/EnumTypes.h"

namespace GAME {

class EnumConverter {
public:
    // The value named by `word`. Only the enumerations specialised below have words;
    // any other type is a compile error.
    template <class E>
    static E GetStringAsEnum([[maybe_unused]] const std::string& word)
    {
        static_assert(sizeof(E) == 0, "EnumConverter has no words for this enumeration");
        return E{};
    }

    // The word of `value`, or "None" for a value with no word.
    static std::string GetEnumAsString(PlayerCharacterClassType value);
    static std::string GetEnumAsString(ActorMountType value);
    static std::string GetEnumAsString(CharacterPathGenerationStyle value);
    static std::string GetEnumAsString(CharacterPathingSize value);
};

// Unknown words give Invalid (-1).
template <>
PlayerCharacterClassType EnumConverter::GetStringAsEnum<PlayerCharacterClassType>(const std::string& word);
template <>
ActorMountType EnumConverter::GetStringAsEnum<ActorMountType>(const std::string& word);
// Unknown words give Default: a path style is never invalid.
template <>
CharacterPathGenerationStyle EnumConverter::GetStringAsEnum<CharacterPathGenerationStyle>(const std::string& word);
// Unknown words give None: a record may name no gender.
template <>
Character_Gender EnumConverter::GetStringAsEnum<Character_Gender>(const std::string& word);
// Unknown words give Small.
template <>
CharacterPathingSize EnumConverter::GetStringAsEnum<CharacterPathingSize>(const std::string& word);

}  // namespace GAME
