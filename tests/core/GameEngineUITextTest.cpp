// The game engine's user-interface texts: a skill's rollover in the skill window and on a
// hot slot, a monster's name with its rank's colour, and the map's name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/world/MapMarkers.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "tests/core/EngineFixture.h"

namespace GAME {
namespace {

using Lines = std::vector<GameTextLine>;

class GameEngineUIText : public EngineTest {
protected:
    void SetUp() override
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kGameEngineRecordName, "skillMasteryTierLevel,1;4;10,\nbossMonsterColor,^r,\n");
        records.RegisterRecord("Records/Test/Mastery.dbr", "Class,Skill,\nskillDisplayName,tagMastery,\nskillMaxLevel,30,\n");
        records.RegisterRecord("Records/Test/Base.dbr", "Class,Skill,\nskillDisplayName,tagBase,\n");
        records.RegisterRecord("Records/Test/Dep.dbr", "Class,Skill,\nskillDisplayName,tagDep,\nskillMaxLevel,3,\n");
        records.RegisterRecord("Records/Test/Onslaught.dbr",
                               "Class,Skill,\nskillDisplayName,tagSkill,\nskillBaseDescription,tagDesc,\n"
                               "skillMaxLevel,3,\nskillTier,3,\nskillDependancy,Records/Test/Dep.dbr,\n");
        records.RegisterRecord("Records/Test/Brute.dbr", "Class,Monster,\nmonsterClassification,Boss,\n");
        records.RegisterRecord("Records/Test/Ogre.dbr", "Class,Monster,\ndescription,tagOgre,\n");
        records.RegisterRecord("Records/Test/Elder.dbr", "Class,Npc,\ndescription,tagElder,\n");
        EngineTest::SetUp();
        LocalizationManager::Instance().Clear();
        LocalizationManager::Instance().RegisterTags(
            "SimpleStringFormat=%s\ntagMastery=Warfare\ntagBase=Rage\ntagDep=Strike\ntagSkill=Onslaught\n"
            "tagDesc=Hits hard\ntagSkillReq01=Needs %d more %s\ntagSkillReq01Singular=Needs %d point of %s\n"
            "FailedSkillDependancy=[%s]\ntagSkillReq03=Needs %d in %s\nNoSkillPointsToAdd=No points\n"
            "PressToAddUnusedSkillPoints=Press to add\ntagDecreaseMasteryError=Mastery stays\n"
            "tagReclaimNoPoints=Nothing to reclaim\ntagReclaimNoGold=Needs %d gold\ntagReclaimBase=Base stays\n"
            "tagReclaimPoint=Reclaim for %d gold\ntagSkillUnusableCooldown=Cooling\n"
            "tagSkillUnusableLowMana=Low mana\ntagSkillUnusableConfiguration=Wrong setup\n"
            "tagSkillUsableReady=Ready\ntagDefaultMap=Home\ntagOgre=Hill Ogre\ntagElder=Old Maren\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }
    template <class T = Skill>
    static T* Make(const char* record)
    {
        return ObjectManager::Get().CreateObjectFromFile<T>(record);
    }
};

TEST_F(GameEngineUIText, SkillWindowLinesFollowTheReasons)
{
    Skill* mastery = Make("Records/Test/Mastery.dbr");
    Skill* skill = Make("Records/Test/Onslaught.dbr");
    Skill* base = Make("Records/Test/Base.dbr");
    ASSERT_TRUE(mastery && skill && base);
    skill->AddMastery(mastery->GetObjectId());
    skill->AddBaseSkill(base->GetObjectId());
    mastery->SetSkillLevel(8);   // tier 3 asks for 10
    Player* player = MakeMainPlayer();
    Skill* dependency = Make("Records/Test/Dep.dbr");
    player->GetSkillManager().AddSkill(dependency);

    struct Case {
        std::vector<size_t> flags;
        bool reclaiming;
        GameTextClass textClass;
        std::u16string last;   // empty: no reason line
    };
    constexpr GameTextClass kMet = GameTextClass::SkillRequirements;
    constexpr GameTextClass kNotMet = GameTextClass::SkillRequirementsNotMet;
    const Case cases[] = {
        {{1, 0}, false, kNotMet, u"Needs 2 more Warfare"},
        {{5, 2}, false, kNotMet, u"[Strike]"},
        {{2, 0}, false, kNotMet, u"Needs 1 in Rage"},
        {{4, 0}, false, kNotMet, u""},
        {{0}, false, kNotMet, u"No points"},
        {{}, false, kMet, u"Press to add"},
        {{1}, true, kNotMet, u""},
        {{8, 6}, true, kNotMet, u"Nothing to reclaim"},
        {{6, 7}, true, kNotMet, u"Needs 250 gold"},
        {{7}, true, kNotMet, u"Base stays"},
        {{3}, true, kMet, u"Reclaim for 250 gold"},
    };
    for (const Case& c : cases) {
        SkillReasons reasons{};
        for (size_t flag : c.flags)
            reasons[flag] = true;
        Lines lines;
        GameEngine::GenerateUISkillText(skill, lines, &reasons, false, c.reclaiming, 250);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[0].text, u"Onslaught");
        EXPECT_EQ(lines[1].text, u"Hits hard");
        EXPECT_EQ(lines[2].text, u"");
        if (c.last.empty()) {
            EXPECT_EQ(lines.back().text, u"");
            continue;
        }
        EXPECT_EQ(lines.back().text, c.last);
        EXPECT_EQ(lines.back().textClass, c.textClass);
        EXPECT_TRUE(lines.back().flag);
        EXPECT_EQ(lines[lines.size() - 2].text, u"");   // the blank line before the reason
    }

    // One point short reads in the singular; a mastery's own skill is never reclaimed.
    mastery->SetSkillLevel(9);
    SkillReasons reasons{};
    reasons[1] = true;
    Lines lines;
    GameEngine::GenerateUISkillText(skill, lines, &reasons, false, false, 0);
    EXPECT_EQ(lines.back().text, u"Needs 1 point of Warfare");
    lines.clear();
    reasons = SkillReasons{};
    GameEngine::GenerateUISkillText(mastery, lines, &reasons, false, true, 0);
    EXPECT_EQ(lines.back().text, u"Mastery stays");

    // A learnt dependency, the current-only flag, the heading-only call and no reasons
    // leave the reason line out.
    dependency->SetSkillLevel(1);
    reasons[5] = true;
    lines.clear();
    GameEngine::GenerateUISkillText(skill, lines, &reasons, false, false, 0);
    EXPECT_NE(lines.back().textClass, kNotMet);
    for (bool headingOnly : {false, true}) {
        reasons = SkillReasons{};
        reasons[3] = !headingOnly;
        lines.clear();
        GameEngine::GenerateUISkillText(skill, lines, &reasons, headingOnly, false, 0);
        EXPECT_EQ(lines.size(), 3u);
    }
    lines.clear();
    GameEngine::GenerateUISkillText(skill, lines, nullptr, false, false, 0);
    EXPECT_NE(lines.back().text, u"");
    EXPECT_NE(lines.back().textClass, kNotMet);
    lines.clear();
    GameEngine::GenerateUISkillText(nullptr, lines, &reasons, false, false, 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(GameEngineUIText, HotSlotLineTellsWhetherTheSkillIsUsable)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/Costly.dbr", "Class,Skill,\nskillDisplayName,tagSkill,\nskillMaxLevel,3,\nskillManaCost,5,\n");
    records.RegisterRecord("Records/Test/Sworded.dbr", "Class,Skill,\nskillDisplayName,tagSkill,\nskillMaxLevel,3,\nSword,1,\n");
    const struct {
        const char* record;
        unsigned level;
        bool coolingDown;
        Skill_UseQuery reason;
        const char16_t* text;
        GameTextClass textClass;
    } cases[] = {
        {"Records/Test/Onslaught.dbr", 1, true, Skill_CoolingDown, u"Cooling", GameTextClass::SkillRequirementsNotMet},
        {"Records/Test/Costly.dbr", 1, false, Skill_NotEnoughMana, u"Low mana", GameTextClass::SkillRequirementsNotMet},
        {"Records/Test/Sworded.dbr", 1, false, Skill_WeaponNotQualifying, u"Wrong setup",
         GameTextClass::SkillRequirementsNotMet},
        {"Records/Test/Onslaught.dbr", 0, false, Skill_LevelZero, u"Wrong setup",
         GameTextClass::SkillRequirementsNotMet},
        {"Records/Test/Onslaught.dbr", 1, false, Skill_Usable, u"Ready", GameTextClass::SkillRequirements},
    };
    for (const auto& c : cases) {
        Skill* skill = Make(c.record);
        ASSERT_NE(skill, nullptr);
        if (c.level != 0)
            skill->SetSkillLevel(c.level);
        if (c.coolingDown)
            skill->ReplaceCooldownTime(1000.0f);
        skill->SetAvailability(false, false);
        ASSERT_EQ(skill->GetReason(), c.reason) << c.record;
        Lines lines;
        GameEngine::GenerateUISkillInfo(skill, lines);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0].text, u"Onslaught");
        EXPECT_EQ(lines.back().text, c.text);
        EXPECT_EQ(lines.back().textClass, c.textClass);
        EXPECT_FALSE(lines.back().flag);
        if (c.level == 0) {
            EXPECT_EQ(lines.size(), 4u);   // heading, description, blank, the usability line
        }
    }
}

TEST_F(GameEngineUIText, MonsterNameAndMapName)
{
    auto* brute = Make<Monster>("Records/Test/Brute.dbr");
    ASSERT_NE(brute, nullptr);
    EXPECT_EQ(brute->GetGameDescription(false), u"^rRecords/Test/Brute.dbr");
    // A record that names its character: the text of its tag, for a monster and a townsman.
    auto* ogre = Make<Monster>("Records/Test/Ogre.dbr");
    ASSERT_NE(ogre, nullptr);
    EXPECT_EQ(ogre->GetGameDescription(false), u"Hill Ogre");
    auto* elder = Make<Npc>("Records/Test/Elder.dbr");
    ASSERT_NE(elder, nullptr);
    EXPECT_EQ(elder->GetGameDescription(false), u"Old Maren");
    // A skill record's display name, and none for a record that does not exist.
    EXPECT_EQ(engine->GetSkillDisplayName("Records/Test/Onslaught.dbr"), u"Onslaught");
    EXPECT_EQ(engine->GetSkillDisplayName("Records/Test/Nowhere.dbr"), u"");

    GameInfo& info = GameInfo::Get();
    EXPECT_EQ(engine->GetMapName(), u"Home");
    info.SetModName("Isles");
    info.SetLevelName("Levels/World/Coast.map");
    EXPECT_EQ(engine->GetMapName(), u"Isles ~ Coast.map");
    info.SetLevelName("Coast.map");
    EXPECT_EQ(engine->GetMapName(), u"Isles ~ Coast.map");
}

TEST_F(GameEngineUIText, DetailMapListsEveryPlayerAndMarksTheLocalParty)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    std::vector<PlayerNetBasicInfo> roster = Roster({self, 0x20000002, 0x30000003});
    roster[0].partyId = roster[1].partyId = 3;
    roster[2].position = WorldVec3(nullptr, Vec3(4, 0, 2));
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(roster);

    std::vector<MinimapGameNugget> nuggets;
    engine->GetDetailMapData(nuggets, WorldFrustum{});   // no region: nothing
    EXPECT_TRUE(nuggets.empty());

    WorldFrustum frustum;
    frustum.region = World::Get().AddRegion(1, "Map");
    engine->GetDetailMapData(nuggets, frustum);
    ASSERT_EQ(nuggets.size(), 3u);
    EXPECT_EQ(nuggets[0].kind, GameEngine::kMinimapPlayer);   // the local player is never its own party
    EXPECT_EQ(nuggets[1].kind, GameEngine::kMinimapPartyMember);
    EXPECT_EQ(nuggets[2].kind, GameEngine::kMinimapPlayer);
    // Players whose objects are not in the world show their cached name and place.
    EXPECT_EQ(nuggets[2].text, u"P805306371");
    EXPECT_EQ(nuggets[2].position.GetRegionPosition(), Vec3(4, 0, 2));
    EXPECT_EQ(nuggets[2].facing, Vec3(0, 0, 1));
}

}  // namespace
}  // namespace GAME
