#include <gtest/gtest.h>

#include "Game/core/foundation/EnumConverter.h"

namespace GAME {
namespace {

TEST(EnumConverter, WordsRoundTrip)
{
    using C = PlayerCharacterClassType;
    for (C value : {C::Warrior, C::Archer, C::Sorceress})
        EXPECT_EQ(EnumConverter::GetStringAsEnum<C>(EnumConverter::GetEnumAsString(value)), value);
    EXPECT_EQ(EnumConverter::GetEnumAsString(C::Sorceress), "Sorceress");
    EXPECT_EQ(EnumConverter::GetStringAsEnum<ActorMountType>("Centaur"), ActorMountType::Centaur);
    EXPECT_EQ(EnumConverter::GetEnumAsString(ActorMountType::Centaur), "Centaur");
    EXPECT_EQ(EnumConverter::GetStringAsEnum<CharacterPathGenerationStyle>("Sheep"),
              CharacterPathGenerationStyle::Sheep);
    EXPECT_EQ(EnumConverter::GetEnumAsString(CharacterPathGenerationStyle::Default), "Default");
}

TEST(EnumConverter, WordsCompareExactly)
{
    using C = PlayerCharacterClassType;
    for (const char* word : {"warrior", "Warrior ", " Warrior", "", "Warrio", "None"})
        EXPECT_EQ(EnumConverter::GetStringAsEnum<C>(word), C::Invalid) << '"' << word << '"';
    EXPECT_EQ(static_cast<int>(C::Invalid), -1);
    EXPECT_EQ(EnumConverter::GetStringAsEnum<ActorMountType>("centaur"), ActorMountType::Invalid);
    EXPECT_EQ(EnumConverter::GetStringAsEnum<ActorMountType>("None"), ActorMountType::Invalid);
    EXPECT_EQ(static_cast<int>(ActorMountType::Invalid), -1);
}

TEST(EnumConverter, UnknownPathStyleIsDefault)
{
    using S = CharacterPathGenerationStyle;
    for (const char* word : {"Default", "sheep", "Goat", "", "None"})
        EXPECT_EQ(EnumConverter::GetStringAsEnum<S>(word), S::Default) << '"' << word << '"';
}

TEST(EnumConverter, ValuesWithoutWordsGiveNone)
{
    EXPECT_EQ(EnumConverter::GetEnumAsString(PlayerCharacterClassType::Invalid), "None");
    EXPECT_EQ(EnumConverter::GetEnumAsString(static_cast<PlayerCharacterClassType>(3)), "None");
    EXPECT_EQ(EnumConverter::GetEnumAsString(static_cast<ActorMountType>(1)), "None");
    EXPECT_EQ(EnumConverter::GetEnumAsString(ActorMountType::Invalid), "None");
    EXPECT_EQ(EnumConverter::GetEnumAsString(static_cast<CharacterPathGenerationStyle>(-1)), "None");
}

}  // namespace
}  // namespace GAME
