#include "Game/core/foundation/EnumConverter.h"

#include <span>

namespace GAME {

namespace {

struct EnumWord {
    int32_t value;
    const char* word;
};

constexpr const char* kNoWord = "None";

constexpr EnumWord kPlayerClassWords[] = {
    {static_cast<int32_t>(PlayerCharacterClassType::Warrior), "Warrior"},
    {static_cast<int32_t>(PlayerCharacterClassType::Archer), "Archer"},
    {static_cast<int32_t>(PlayerCharacterClassType::Sorceress), "Sorceress"},
};

constexpr EnumWord kMountWords[] = {
    {static_cast<int32_t>(ActorMountType::Centaur), "Centaur"},
};

constexpr EnumWord kPathStyleWords[] = {
    {static_cast<int32_t>(CharacterPathGenerationStyle::Default), "Default"},
    {static_cast<int32_t>(CharacterPathGenerationStyle::Sheep), "Sheep"},
};

// Gender words in the order they are compared.
constexpr EnumWord kGenderWords[] = {
    {Character_Gender_Male, "Male"},         {Character_Gender_Female, "Female"},
    {Character_Gender_Satyr, "Satyr"},       {Character_Gender_JackalMan, "JackalMan"},
    {Character_Gender_Tigerman, "Tigerman"}, {Character_Gender_Native, "Native"},
};

constexpr EnumWord kPathingSizeWords[] = {
    {CharacterPathingSize_Small, "Small"},
    {CharacterPathingSize_Medium, "Medium"},
    {CharacterPathingSize_Large, "Large"},
};

// Tries the words in table order; `fallback` when none equals `word`.
int32_t ValueOfWord(std::span<const EnumWord> table, const std::string& word, int32_t fallback)
{
    for (const EnumWord& entry : table)
        if (word == entry.word)
            return entry.value;
    return fallback;
}

std::string WordOfValue(std::span<const EnumWord> table, int32_t value)
{
    for (const EnumWord& entry : table)
        if (entry.value == value)
            return entry.word;
    return kNoWord;
}

}  // namespace

template <>
PlayerCharacterClassType EnumConverter::GetStringAsEnum<PlayerCharacterClassType>(const std::string& word)
{
    return static_cast<PlayerCharacterClassType>(
        ValueOfWord(kPlayerClassWords, word, static_cast<int32_t>(PlayerCharacterClassType::Invalid)));
}

template <>
ActorMountType EnumConverter::GetStringAsEnum<ActorMountType>(const std::string& word)
{
    return static_cast<ActorMountType>(
        ValueOfWord(kMountWords, word, static_cast<int32_t>(ActorMountType::Invalid)));
}

template <>
CharacterPathGenerationStyle EnumConverter::GetStringAsEnum<CharacterPathGenerationStyle>(const std::string& word)
{
    return static_cast<CharacterPathGenerationStyle>(
        ValueOfWord(kPathStyleWords, word, static_cast<int32_t>(CharacterPathGenerationStyle::Default)));
}

template <>
Character_Gender EnumConverter::GetStringAsEnum<Character_Gender>(const std::string& word)
{
    return static_cast<Character_Gender>(ValueOfWord(kGenderWords, word, Character_Gender_None));
}

template <>
CharacterPathingSize EnumConverter::GetStringAsEnum<CharacterPathingSize>(const std::string& word)
{
    return static_cast<CharacterPathingSize>(ValueOfWord(kPathingSizeWords, word, CharacterPathingSize_Small));
}

std::string EnumConverter::GetEnumAsString(PlayerCharacterClassType value)
{
    return WordOfValue(kPlayerClassWords, static_cast<int32_t>(value));
}

std::string EnumConverter::GetEnumAsString(ActorMountType value)
{
    return WordOfValue(kMountWords, static_cast<int32_t>(value));
}

std::string EnumConverter::GetEnumAsString(CharacterPathGenerationStyle value)
{
    return WordOfValue(kPathStyleWords, static_cast<int32_t>(value));
}

std::string EnumConverter::GetEnumAsString(CharacterPathingSize value)
{
    return WordOfValue(kPathingSizeWords, value);
}

}  // namespace GAME
