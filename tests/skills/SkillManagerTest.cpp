// The character's skill manager: the skills it makes from records and how it links them,
// reference numbers, points, masteries, reclamation, augments, the attributes it gathers
// and its save block.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Character.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameUIInterface.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// Stand-ins for the kinds the manager tells apart, answering as those kinds do.
class ManagedMastery : public Skill {
    GAME_DECLARE_CLASS(ManagedMastery)

public:
    bool IsMasteryKind() const override { return true; }
    uint32_t GetEnumeration() const override { return 5; }
};
GAME_IMPLEMENT_CLASS(ManagedMastery, Skill)

class ManagedPoolAttack : public Skill {
    GAME_DECLARE_CLASS(ManagedPoolAttack)

public:
    bool IsWeaponPoolAttackKind() const override { return true; }
    unsigned GetChanceWeight(bool) const override { return 40; }
};
GAME_IMPLEMENT_CLASS(ManagedPoolAttack, Skill)

class ManagedOnDeath : public Skill {
    GAME_DECLARE_CLASS(ManagedOnDeath)

public:
    bool IsOnDeathKind() const override { return true; }
};
GAME_IMPLEMENT_CLASS(ManagedOnDeath, Skill)

// Adds one to the cooldown reduction whenever it is asked.
class GrantingSkill : public Skill {
    GAME_DECLARE_CLASS(GrantingSkill)

public:
    void CollectPassiveSkillAttributes(SkillAttributeAccumulator& accumulator) const override
    {
        accumulator.AddValue(SkillAttributeType_CooldownReduction, 1.0f);
    }
};
GAME_IMPLEMENT_CLASS(GrantingSkill, Skill)

namespace {

// The block of a skill "Records/Skills/Kept.dbr" at level 1 (enabled), two masteries
// allowed and seven reclamation points used.
const std::vector<unsigned char> kGoldenBlock = {
    // header
    0x47, 0x4b, 0x50, 0x53, 0x01, 0x00, 0x00, 0x00,
    // begin
    0x40,
    // "max" 1
    0x07, 0x03, 0x6d, 0x61, 0x78, 0x01, 0x00, 0x00, 0x00,
    // begin entry
    0x40,
    // "skillName"
    0x05, 0x09, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x4e, 0x61, 0x6d, 0x65, 0x17, 0x00, 0x00, 0x00, 0x52, 0x65,
    0x63, 0x6f, 0x72, 0x64, 0x73, 0x2f, 0x53, 0x6b, 0x69, 0x6c, 0x6c, 0x73, 0x2f, 0x4b, 0x65, 0x70, 0x74,
    0x2e, 0x64, 0x62, 0x72,
    // "skillLevel" 1
    0x07, 0x0a, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x4c, 0x65, 0x76, 0x65, 0x6c, 0x01, 0x00, 0x00, 0x00,
    // "skillEnabled" true
    0x03, 0x0c, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x45, 0x6e, 0x61, 0x62, 0x6c, 0x65, 0x64, 0x01,
    // "skillSubLevel" 0
    0x07, 0x0d, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x53, 0x75, 0x62, 0x4c, 0x65, 0x76, 0x65, 0x6c, 0x00, 0x00,
    0x00, 0x00,
    // "skillActive" false
    0x03, 0x0b, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x41, 0x63, 0x74, 0x69, 0x76, 0x65, 0x00,
    // "skillTransition" false
    0x03, 0x0f, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x54, 0x72, 0x61, 0x6e, 0x73, 0x69, 0x74, 0x69, 0x6f, 0x6e,
    0x00,
    // end entry
    0x41,
    // "masteriesAllowed" 2
    0x04, 0x10, 0x6d, 0x61, 0x73, 0x74, 0x65, 0x72, 0x69, 0x65, 0x73, 0x41, 0x6c, 0x6c, 0x6f, 0x77, 0x65,
    0x64, 0x02, 0x00, 0x00, 0x00,
    // "skillReclamationPointsUsed" 7
    0x04, 0x1a, 0x73, 0x6b, 0x69, 0x6c, 0x6c, 0x52, 0x65, 0x63, 0x6c, 0x61, 0x6d, 0x61, 0x74, 0x69, 0x6f,
    0x6e, 0x50, 0x6f, 0x69, 0x6e, 0x74, 0x73, 0x55, 0x73, 0x65, 0x64, 0x07, 0x00, 0x00, 0x00,
    // end
    0x41,
};

class SkillManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeObjects();
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { log.push_back(line.text); });
        Record("Owner", "Class,Character,\n");
        character = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Skills/Owner.dbr");
        ASSERT_NE(character, nullptr);
    }
    void TearDown() override
    {
        gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
        gEngine->SetLogSink(previousSink);
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    static std::string Record(const std::string& name, const std::string& text)
    {
        const std::string record = "Records/Skills/" + name + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, text);
        return record;
    }
    static std::string SkillRecord(const std::string& name, const char* className = "Skill")
    {
        return Record(name, std::string("Class,") + className + ",\nskillMaxLevel,20,\nskillUltimateLevel,20,\n");
    }
    SkillManager& manager() { return character->GetSkillManager(); }
    Skill* Find(const std::string& name)
    {
        return ObjectManager::Get().GetObject<Skill>(manager().FindSkillId("Records/Skills/" + name + ".dbr"));
    }
    // A tree record listing the names, each at levels "1;2;3".
    LoadTable Tree(const std::vector<std::string>& names)
    {
        LoadTable tree;
        for (size_t i = 0; i < names.size(); ++i) {
            tree.SetValue(("skillName" + std::to_string(i + 1)).c_str(), names[i]);
            tree.SetValue(("skillLevel" + std::to_string(i + 1)).c_str(), "1;2;3");
        }
        return tree;
    }
    size_t Logged(const std::string& text) const
    {
        return static_cast<size_t>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        }));
    }

    Character* character = nullptr;
    std::vector<std::string> log;
    LogSink previousSink;
};

// ---- Making and linking ----------------------------------------------------------------

TEST_F(SkillManagerTest, DefaultSkillsComePooledAttackFirst)
{
    Record("Default/DefaultWPBasicAttack", "Class,ManagedPoolAttack,\nskillMaxLevel,1,\n");
    Record("Default/DefaultWeaponAttack", "Class,Skill,\nskillMaxLevel,1,\n");
    const uint32_t attack = manager().LoadDefaultSkills();
    ASSERT_NE(attack, 0u);
    EXPECT_EQ(manager().GetDefaultSkillId(), attack);
    EXPECT_EQ(manager().GetSkillReferenceNumber(manager().GetDefaultWPSkillId()), 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(attack), 1u);
    EXPECT_EQ(manager().GetDefaultWPWeight(), 40u);
    EXPECT_EQ(manager().GetUISkillList().size(), 2u);
    EXPECT_EQ(manager().GetBareHandReference(), 1u);   // the stand-in answers for the default attack
    // Neither default attack counts as a point spent.
    EXPECT_EQ(manager().GetNumRegularSkillPoints() + manager().GetNumMasteryPoints(), 0u);
}

TEST_F(SkillManagerTest, APooledAttackOfAnotherClassIsLeftOut)
{
    Record("Default/DefaultWPBasicAttack", "Class,Skill,\n");
    EXPECT_EQ(manager().LoadDefaultSkills(), 0u);   // no default weapon attack record
    EXPECT_EQ(manager().GetDefaultWPSkillId(), 0u);
    EXPECT_EQ(manager().GetDefaultWPWeight(), 100u);
    EXPECT_TRUE(manager().GetUISkillList().empty());
    EXPECT_EQ(manager().GetBareHandReference(), SkillManager::kBareHandSkill);
}

// A mastery, A, M, S, a second modifier, then B.
TEST_F(SkillManagerTest, MasteryAndBaseCarryFromSkillToSkill)
{
    SkillRecord("Mastery", "ManagedMastery");
    SkillRecord("A", "ManagedPoolAttack");
    SkillRecord("M", "Skill_Modifier");
    SkillRecord("S", "SkillSecondary");
    SkillRecord("M2", "Skill_Modifier");
    SkillRecord("B", "ManagedOnDeath");
    const auto name = [](const char* n) { return "Records/Skills/" + std::string(n) + ".dbr"; };
    manager().LoadSkills(Tree({name("Mastery"), name("A"), name("M"), name("S"), name("M2"), name("B")}), 6);
    Skill *mastery = Find("Mastery"), *a = Find("A"), *m = Find("M"), *s = Find("S"), *m2 = Find("M2"),
          *b = Find("B");
    ASSERT_TRUE(mastery && a && m && s && m2 && b);
    EXPECT_EQ(a->GetModifiers(), std::vector<uint32_t>{m->GetObjectId()});
    EXPECT_EQ(a->GetSecondarySkills(), std::vector<uint32_t>{s->GetObjectId()});
    EXPECT_EQ(s->GetModifiers(), std::vector<uint32_t>{m2->GetObjectId()});
    EXPECT_TRUE(b->GetModifiers().empty());
    for (Skill* each : {a, m, s, m2, b})
        EXPECT_EQ(each->GetMasteryId(), mastery->GetObjectId());
    EXPECT_TRUE(mastery->IsSkillTheMasterySkill());
    EXPECT_EQ(manager().GetWeaponPoolAttacks(), std::vector<uint32_t>{a->GetObjectId()});
    EXPECT_EQ(manager().GetOnDeathSkills(), std::vector<uint32_t>{b->GetObjectId()});
    // Level 1 each at Normal: the mastery's point and five regular points.
    EXPECT_EQ(manager().GetNumMasteryPoints(), 1u);
    EXPECT_EQ(manager().GetNumRegularSkillPoints(), 5u);
    EXPECT_EQ(manager().GetNumOfNonMasterySkillsWithPoints(), 5u);
    EXPECT_EQ(manager().GetSkillMasteriesActive(), 1u);
    std::vector<uint32_t> masteries;
    manager().GetSkillMasteries(masteries);
    EXPECT_EQ(masteries, std::vector<uint32_t>{5});
}

TEST_F(SkillManagerTest, DuplicatesModifiersAndUnknownRecords)
{
    const std::string a = SkillRecord("A"), b = SkillRecord("B"), m = SkillRecord("M", "Skill_Modifier");
    manager().LoadSkills(Tree({a, m, b, m, a, "Records/Skills/Missing.dbr"}), 6);
    EXPECT_EQ(Logged("duplicate non-modifier skill (" + a + ")"), 1u);
    EXPECT_EQ(Logged("Unable to create skill (Records/Skills/Missing.dbr)"), 1u);
    EXPECT_EQ(manager().GetUISkillList().size(), 3u);   // one object of the modifier
    const uint32_t modifier = manager().FindSkillId(m);
    EXPECT_EQ(Find("A")->GetModifiers(), std::vector<uint32_t>{modifier});
    EXPECT_EQ(Find("B")->GetModifiers(), std::vector<uint32_t>{modifier});
}

TEST_F(SkillManagerTest, RecordCountsAndTheDifficultysLevel)
{
    std::vector<std::string> names;
    for (int i = 1; i <= 32; ++i)
        names.push_back(SkillRecord("T" + std::to_string(i)));
    manager().LoadSkills(Tree(names), 0);
    manager().LoadSkills(Tree(names), 32);
    EXPECT_TRUE(manager().GetUISkillList().empty());
    gGameEngine->SetGameDifficulty(GameDifficulty_Legendary);
    manager().LoadSkills(Tree(names), 31);
    EXPECT_EQ(manager().GetUISkillList().size(), 31u);
    ASSERT_NE(Find("T31"), nullptr);
    EXPECT_EQ(Find("T31")->GetSkillLevel(), 3);
    EXPECT_EQ(Find("T32"), nullptr);
    // A level array shorter than the difficulty, or a negative level, gives level 0.
    LoadTable tree;
    tree.SetValue("skillName1", SkillRecord("Short"));
    tree.SetValue("skillLevel1", "4;5");
    tree.SetValue("skillName2", SkillRecord("Negative"));
    tree.SetValue("skillLevel2", "-1;-1;-7");
    manager().LoadSkills(tree, 2);
    EXPECT_EQ(Find("Short")->GetSkillLevel(), 0);
    EXPECT_EQ(Find("Negative")->GetSkillLevel(), 0);
    manager().LoadSkills("", 2);   // no record: nothing
}

TEST_F(SkillManagerTest, ReferenceNumbersAndItemSkills)
{
    SkillRecord("Own");
    manager().LoadSkills(Tree({"Records/Skills/Own.dbr"}), 1);
    const std::string itemRecord = SkillRecord("ItemGranted");
    auto* itemSkill = ObjectManager::Get().CreateObjectFromFile<Skill>(itemRecord);
    ASSERT_NE(itemSkill, nullptr);
    manager().AddItemSkill(itemSkill->GetObjectId(), 2);
    manager().AddItemSkill(itemSkill->GetObjectId(), 4);   // the same copy, a new level
    const uint32_t owned = manager().FindItemSkillId(itemRecord);
    ASSERT_NE(owned, 0u);
    EXPECT_NE(owned, itemSkill->GetObjectId());
    EXPECT_EQ(manager().FindSkillId(itemRecord), 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(owned), 4096u);
    EXPECT_EQ(manager().GetSkillIdFromReference(4096), owned);
    EXPECT_EQ(manager().GetSkillIdFromReference(4097), 0u);
    EXPECT_EQ(manager().GetSkillIdFromReference(0xFFFFFFFFu), 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(12345), 0xFFFFFFFFu);
    const Skill* copy = ObjectManager::Get().GetObject<Skill>(owned);
    EXPECT_EQ(copy->GetSkillLevel(), 4);
    EXPECT_TRUE(copy->IsItemSkill());
    EXPECT_TRUE(manager().IsSkillValidForUse(owned, false));
    manager().RemoveItemSkill(itemSkill->GetObjectId());
    EXPECT_EQ(copy->GetSkillLevel(), 0);
    EXPECT_FALSE(manager().IsSkillValidForUse(owned, false));
    EXPECT_TRUE(manager().IsSkillValidForUse(owned, true));
    EXPECT_FALSE(manager().IsSkillValidForUse(12345, true));
    EXPECT_EQ(manager().GetUISkillList().size(), 2u);
    manager().RemoveFromUISkillList(owned);
    EXPECT_EQ(manager().GetUISkillList().size(), 1u);
}

// A monster's record lists 17 skills; its default attack comes after them and is the
// controller's default attack.
TEST_F(SkillManagerTest, AMonsterLoadsItsRecordsSkillsThenItsDefaults)
{
    RecordDatabase::Get().RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
    const std::string attack = Record("Default/DefaultWeaponAttack", "Class,Skill,\nskillMaxLevel,1,\n");
    const std::string record = Record("Monster", "Class,Monster,\nskillName17," + SkillRecord("M17") +
                                                     ",\nskillLevel17,2,\nskillName18," + SkillRecord("M18") +
                                                     ",\nskillLevel18,2,\n");
    auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(record);
    ASSERT_NE(monster, nullptr);
    const SkillManager& skills = monster->GetSkillManager();
    const auto* m17 = ObjectManager::Get().GetObject<Skill>(skills.FindSkillId("Records/Skills/M17.dbr"));
    ASSERT_NE(m17, nullptr);
    EXPECT_EQ(m17->GetSkillLevel(), 2);
    EXPECT_TRUE(m17->IsSkillEnabled());   // a monster's skills are enabled by their level
    EXPECT_EQ(skills.FindSkillId("Records/Skills/M18.dbr"), 0u);
    EXPECT_EQ(skills.GetSkillReferenceNumber(skills.GetDefaultSkillId()), 1u);
    ASSERT_NE(monster->GetMonsterController(), nullptr);
    EXPECT_EQ(monster->GetMonsterController()->GetDefaultAttackSkill(), skills.GetDefaultSkillId());
    EXPECT_EQ(skills.FindSkillId(attack), skills.GetDefaultSkillId());
}

// ---- Points ------------------------------------------------------------------------------

TEST_F(SkillManagerTest, MasteriesAllowedOneStepPerCall)
{
    struct SavingUI : GameUIInterface {
        bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
        bool SaveGame(GameDifficulty) override { return true; }
        bool SaveGame() override { return ++saves, true; }
        bool SaveQuest(bool) override { return true; }
        bool BackupGame() override { return true; }
        int saves = 0;
    } ui;
    gGameEngine->SetUI(&ui);
    gGameEngine->SetAutoSave(true);
    LoadTable record;
    record.SetValue("masteryIncrementLevel", "2;10;0");
    manager().Load(record);
    manager().UpdateMasteriesAllowed(10);
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 1u);
    manager().UpdateMasteriesAllowed(10);
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 2u);
    manager().UpdateMasteriesAllowed(1000);   // the 0 never grants
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 2u);
    EXPECT_EQ(ui.saves, 2);
    manager().AddMasteryAllowedIncrementLevel(0);
    manager().AddMasteryAllowedIncrementLevel(20);
    EXPECT_EQ(manager().GetMasteryIncrementLevels().size(), 4u);
    gGameEngine->SetUI(nullptr);
}

TEST_F(SkillManagerTest, ALevelGainedMayAllowAMastery)
{
    RecordDatabase::Get().RegisterRecord("Records/Skills/Levels.dbr",
                                         "experienceLevelEquation,playerLevel*100,\nmaxPlayerLevel,10,\n");
    LoadTable levels;
    levels.SetValue("levelFileName", "Records/Skills/Levels.dbr");
    levels.SetValue("charLevel", "1");
    character->GetLevelControl().SetParent(character);
    character->GetLevelControl().Load(levels);
    LoadTable record;
    record.SetValue("masteryIncrementLevel", "2;4");
    manager().Load(record);
    character->ReceiveExperience(100, true);
    EXPECT_EQ(character->GetCharLevel(), 2u);
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 1u);
    character->ReceiveExperience(100, true);   // level 3 reaches no increment level
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 1u);
}

TEST_F(SkillManagerTest, ReclamationCostsTiersAndRefunds)
{
    LoadTable record;
    record.SetValue("reclamationPointTiers", "0;10;20");
    record.SetValue("reclamationPointCosts", "1;2;3");
    manager().Load(record);
    character->AddMoney(100);
    for (const auto& [used, cost] : {std::pair{0u, 1u}, {9u, 1u}, {10u, 2u}, {19u, 2u}, {20u, 3u}, {500u, 3u}}) {
        manager().SetSkillReclamationPointsUsed(used);
        EXPECT_EQ(manager().GetCurrentSkillReclamationCost(), cost) << used;
    }
    manager().SetSkillReclamationPointsUsed(9);
    EXPECT_TRUE(manager().UseReclamationPoints(2));
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 11u);
    EXPECT_EQ(character->GetCurrentMoney(), 97u);
    EXPECT_TRUE(manager().UseReclamationPoints(-2));
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 9u);
    EXPECT_EQ(character->GetCurrentMoney(), 100u);
    EXPECT_FALSE(manager().UseReclamationPoints(60));   // 1 + 10x2 + 49x3 is beyond 100
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 9u);
    EXPECT_EQ(character->GetCurrentMoney(), 100u);
    EXPECT_TRUE(manager().UseReclamationPoints(0));

    // One cost for three tiers, then none.
    record.SetValue("reclamationPointCosts", "5");
    manager().Load(record);
    for (uint32_t used : {0u, 15u, 25u}) {
        manager().SetSkillReclamationPointsUsed(used);
        EXPECT_EQ(manager().GetCurrentSkillReclamationCost(), 5u);
    }
    // Giving back more than was bought gives back only what was.
    manager().SetSkillReclamationPointsUsed(1);
    EXPECT_TRUE(manager().UseReclamationPoints(-3));
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 0u);
    EXPECT_EQ(character->GetCurrentMoney(), 105u);
    record.SetValue("reclamationPointCosts", "");
    manager().Load(record);
    EXPECT_EQ(manager().GetCurrentSkillReclamationCost(), 0u);
}

TEST_F(SkillManagerTest, AugmentsReachTheirSkillsOnly)
{
    const std::string mastery = SkillRecord("Mastery", "ManagedMastery");
    const std::string a = SkillRecord("A"), b = SkillRecord("B");
    manager().LoadSkills(Tree({mastery, a, b}), 3);
    const std::string other = SkillRecord("Other");
    manager().LoadSkills(Tree({other}), 1);
    Skill *masterySkill = Find("Mastery"), *skillA = Find("A"), *skillB = Find("B"), *skillOther = Find("Other");
    manager().SetAllSkillAugment(1, a);
    EXPECT_EQ(skillA->GetCurrentLevel(), 1u);
    EXPECT_EQ(skillB->GetCurrentLevel(), 2u);
    EXPECT_EQ(skillOther->GetCurrentLevel(), 2u);
    EXPECT_EQ(masterySkill->GetCurrentLevel(), 2u);
    manager().RemoveAllSkillAugment(1, a);
    manager().SetAllSkillAugment(1, "records/skills/a.dbr");   // byte for byte: A is not spared
    EXPECT_EQ(skillA->GetCurrentLevel(), 2u);
    manager().RemoveAllSkillAugment(1, "records/skills/a.dbr");
    manager().SetMasteryAugment(mastery, 2);
    EXPECT_EQ(skillA->GetCurrentLevel(), 3u);
    EXPECT_EQ(skillB->GetCurrentLevel(), 3u);
    EXPECT_EQ(skillOther->GetCurrentLevel(), 1u);
    manager().RemoveMasteryAugment(mastery, 2);
    EXPECT_EQ(skillB->GetCurrentLevel(), 1u);
    manager().SetSkillLevelAugment("RECORDS\\SKILLS\\B.DBR", 3);
    EXPECT_EQ(skillB->GetCurrentLevel(), 4u);
    manager().RemoveSkillLevelAugment(b, 3);
    EXPECT_EQ(skillB->GetCurrentLevel(), 1u);
    manager().IncrementSkill(skillB->GetObjectId(), 2);
    EXPECT_EQ(skillB->GetSkillLevel(), 3);
}

// ---- Attributes and the frame ----------------------------------------------------------------

TEST_F(SkillManagerTest, SkillsInForceBuffsAndItemSkillsAddToTheFramesTotals)
{
    const std::string granting = SkillRecord("Granting", "GrantingSkill");
    const std::string idle = SkillRecord("Idle", "GrantingSkill");
    LoadTable tree = Tree({granting, idle});
    tree.SetValue("skillLevel2", "0");
    manager().LoadSkills(tree, 2);
    const auto total = [&] { return manager().GetTotalSkillAttribute(SkillAttributeType_CooldownReduction); };
    EXPECT_EQ(total(), 0.0f);   // nothing before the first frame
    manager().Update(16);
    EXPECT_EQ(total(), 1.0f);   // the level-0 skill adds nothing
    manager().Update(16);
    EXPECT_EQ(total(), 1.0f);   // rebuilt, not piled up

    auto* itemSkill = ObjectManager::Get().CreateObjectFromFile<Skill>(SkillRecord("ItemGranting", "GrantingSkill"));
    manager().AddItemSkill(itemSkill->GetObjectId(), 1);
    manager().CreateRemoveSkillBuff(0, SkillRecord("Buff", "GrantingSkill"), 1, "", 0, "", 0, 1000, 0, false);
    manager().Update(16);
    EXPECT_EQ(total(), 3.0f);
    manager().RemoveItemSkill(itemSkill->GetObjectId());
    manager().Update(16);
    EXPECT_EQ(total(), 2.0f);
    SkillAttributeAccumulator own;
    manager().GetSkillAttributes(own);
    EXPECT_EQ(own.GetValue(SkillAttributeType_CooldownReduction), 2.0f);
}

TEST_F(SkillManagerTest, OneServicesObjectHoweverOftenControlling)
{
    manager().SetAsControllingManager();
    SkillServicesBase* services = manager().GetSkillServices();
    ASSERT_NE(services, nullptr);
    manager().SetAsControllingManager();
    EXPECT_EQ(manager().GetSkillServices(), services);
}

// ---- Save block ---------------------------------------------------------------------------------

TEST_F(SkillManagerTest, SaveBlockGoldenBytesAndReading)
{
    manager().LoadSkills(Tree({SkillRecord("Kept"), SkillRecord("Zero")}), 2);
    Find("Zero")->SetSkillLevel(0);
    manager().SetSkillMasteriesAllowed(2);
    manager().SetSkillReclamationPointsUsed(7);
    IOStreamWrite out;
    ASSERT_TRUE(manager().StreamProperties(out));
    const std::span<const unsigned char> bytes = out.GetBytes();
    const std::vector<unsigned char> written(bytes.begin(), bytes.end());
    EXPECT_EQ(written, kGoldenBlock);

    // Read into a character with the skill at level 0 and another record unknown.
    Skill* kept = Find("Kept");
    kept->SetSkillLevel(0);
    manager().SetSkillMasteriesAllowed(0);
    manager().SetSkillReclamationPointsUsed(0);
    IOStreamRead in(written);
    ASSERT_TRUE(manager().StreamProperties(in));
    EXPECT_EQ(kept->GetSkillLevel(), 1);
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 2u);
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 7u);
}

TEST_F(SkillManagerTest, SaveBlockUnknownNamesNegativeCountsAndLevels)
{
    manager().LoadSkills(Tree({SkillRecord("Kept")}), 1);
    const auto block = [](int32_t max, const std::vector<std::pair<std::string, int32_t>>& entries) {
        IOStreamWrite s;
        s.BeginBlock();
        s.StreamInt32("max", max);
        for (auto [name, level] : entries) {
            bool flag = true, off = false;
            int32_t sub = 0;
            s.BeginBlock();
            s.StreamString("skillName", name);
            s.StreamInt32("skillLevel", level);
            s.StreamBool("skillEnabled", flag);
            s.StreamInt32("skillSubLevel", sub);
            s.StreamBool("skillActive", off);
            s.StreamBool("skillTransition", off);
            s.EndBlock();
        }
        uint32_t allowed = 3, used = 4;
        s.StreamUInt32("masteriesAllowed", allowed);
        s.StreamUInt32("skillReclamationPointsUsed", used);
        s.EndBlock();
        const std::span<const unsigned char> bytes = s.GetBytes();
        return std::vector<unsigned char>(bytes.begin(), bytes.end());
    };
    {
        IOStreamRead in(block(2, {{"Records/Skills/Gone.dbr", 5}, {"Records/Skills/Kept.dbr", -4}}));
        ASSERT_TRUE(manager().StreamProperties(in));
        EXPECT_EQ(Find("Kept")->GetSkillLevel(), 0);   // negative counts as 0
        EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 3u);
        EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 4u);
    }
    {
        manager().SetSkillReclamationPointsUsed(0);
        IOStreamRead in(block(-5, {}));   // a negative count reads no entry
        ASSERT_TRUE(manager().StreamProperties(in));
        EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 4u);
    }
    {
        log.clear();
        IOStreamRead in(block(1000, {{"Records/Skills/Kept.dbr", 9}}));   // more than the bytes hold
        EXPECT_FALSE(manager().StreamProperties(in));
        EXPECT_TRUE(in.Failed());
        EXPECT_FALSE(log.empty());
        EXPECT_EQ(Find("Kept")->GetSkillLevel(), 0);
    }
}


// The save corpus's skill blocks, read whole into a player as the save fuzzer does.
TEST_F(SkillManagerTest, SaveCorpusSkillBlocksReadIntoAPlayer)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord("Records/Fuzz/Player.dbr", "Class,Player,\n");
    records.RegisterRecord("Records/S.dbr", "Class,Skill,\nskillMaxLevel,10,\n");
    const std::string source = __FILE__;
    const std::string folder = source.substr(0, source.rfind("/tests/")) + "/fuzz/corpus/fuzz_save/";
    struct Case {
        const char* file;
        bool read;
        int32_t level;
    };
    for (const Case& c : {Case{"skills_known_and_unknown.chr", true, 3}, Case{"skills_negative_max.chr", true, 1},
                          Case{"skills_negative_level.chr", true, 0}, Case{"skills_count_beyond_bytes.chr", false, 1}}) {
        std::ifstream file(folder + c.file, std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
        ASSERT_FALSE(bytes.empty()) << c.file;
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Fuzz/Player.dbr");
        ASSERT_NE(player, nullptr);
        player->SetIsControllingCharacter(true);
        auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/S.dbr");
        player->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(1);
        IOStreamRead in(bytes);
        // The blocks after the skills' may name records this player lacks: only the
        // count the bytes cannot hold must fail the read.
        const bool read = player->StreamProperties(in);
        if (!c.read) {
            EXPECT_FALSE(read) << c.file;
        }
        EXPECT_EQ(skill->GetSkillLevel(), c.level) << c.file;
        if (c.read) {
            EXPECT_EQ(player->GetSkillManager().GetSkillReclamationPointsUsed(), 3u) << c.file;
        }
        ObjectManager::Get().DestroyObjectEx(player, "test", __LINE__);
    }
}

}  // namespace

}  // namespace GAME
