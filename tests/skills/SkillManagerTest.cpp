// The character's skill manager: the skills it makes from records and how it links them,
// reference numbers, points, masteries, reclamation, augments, the attributes it gathers
// and its save block.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "Game/combat/SkillAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/core/foundation/AimSolver.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServicesBase.h"
#include "tests/TestDraws.h"

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

// An activated skill that notes what its use is told: the hit iteration at each hit.
class UsedSkill : public SkillActivated {
    GAME_DECLARE_CLASS(UsedSkill)

public:
    bool StartAction(Character&, unsigned, const WorldVec3&, unsigned, const TargetLeadingData&) override
    {
        return starts;
    }
    void HitAction(Character&, const Name&, unsigned, const WorldVec3&) override
    {
        hits.push_back(GetManager()->GetSkillServices()->GetHitIteration());
    }
    bool EndAction(Character&) override { return ends; }
    void ApplyDisruptionCooldownTime(float ms) override { disrupted += ms; }
    void TargetResult(Character&, const std::vector<uint32_t>&, const WorldCoords&, unsigned, unsigned,
                      bool) override
    {
    }
    bool starts = true;
    bool ends = true;
    float disrupted = 0.0f;
    std::vector<uint32_t> hits;
};
GAME_IMPLEMENT_CLASS(UsedSkill, SkillActivated)

namespace {

using namespace std::string_literals;

// The block of a skill "Records/Skills/Kept.dbr" at level 1 (enabled), two masteries
// allowed and seven reclamation points used: after the stream's header, each value is its
// kind, its key's length, its key and its bytes; 0x40 and 0x41 begin and end a block.
const std::string kGoldenBlock = "GKPS\x01\0\0\0\x40"
                                 "\x07\x03max\x01\0\0\0"
                                 "\x40\x05\x09skillName\x17\0\0\0Records/Skills/Kept.dbr"
                                 "\x07\x0askillLevel\x01\0\0\0\x03\x0cskillEnabled\x01"
                                 "\x07\x0dskillSubLevel\0\0\0\0\x03\x0bskillActive\0\x03\x0fskillTransition\0\x41"
                                 "\x04\x10masteriesAllowed\x02\0\0\0"
                                 "\x04\x1askillReclamationPointsUsed\x07\0\0\0\x41"s;

class SkillManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeSeededObjects();
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
        RecordDatabase::Get().SetDataRoot("");
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
    Record("Default/DefaultWPBasicAttack", "Class,Skill,\n");   // not a weapon-pool attack: left out
    EXPECT_EQ(manager().LoadDefaultSkills(), 0u);                 // and no default weapon attack
    EXPECT_TRUE(manager().GetUISkillList().empty());
    EXPECT_EQ(manager().GetBareHandReference(), SkillManager::kBareHandSkill);

    Record("Default/DefaultWPBasicAttack", "Class,ManagedPoolAttack,\nskillMaxLevel,1,\n");
    Record("Default/DefaultWeaponAttack", "Class,Skill,\nskillMaxLevel,1,\n");
    const uint32_t attack = manager().LoadDefaultSkills();
    EXPECT_EQ(manager().GetDefaultSkillId(), attack);
    EXPECT_EQ(manager().GetSkillReferenceNumber(manager().GetDefaultWPSkillId()), 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(attack), 1u);
    EXPECT_EQ(manager().GetBareHandReference(), 1u);   // the stand-in answers for the default attack
    EXPECT_EQ(manager().GetDefaultWPWeight(), 40u);
    EXPECT_EQ(manager().GetNumRegularSkillPoints() + manager().GetNumMasteryPoints(), 0u);
}

// A mastery, A, M, S, a second modifier, then B; a duplicate, a modifier listed twice and
// a record that makes nothing.
TEST_F(SkillManagerTest, MasteryAndBaseCarryFromSkillToSkill)
{
    const std::string a = SkillRecord("A", "ManagedPoolAttack"), m = SkillRecord("M", "Skill_Modifier");
    manager().LoadSkills(Tree({SkillRecord("Mastery", "ManagedMastery"), a, m, SkillRecord("S", "SkillSecondary"),
                               SkillRecord("M2", "Skill_Modifier"), SkillRecord("B", "ManagedOnDeath"), a, m,
                               "Records/Skills/Missing.dbr"}),
                         9);
    Skill *mastery = Find("Mastery"), *skillA = Find("A"), *s = Find("S"), *b = Find("B");
    ASSERT_TRUE(mastery && skillA && s && b);
    const uint32_t modifier = manager().FindSkillId(m);
    EXPECT_EQ(skillA->GetModifiers(), std::vector<uint32_t>{modifier});
    EXPECT_EQ(skillA->GetSecondarySkills(), std::vector<uint32_t>{s->GetObjectId()});
    EXPECT_EQ(s->GetModifiers(), std::vector<uint32_t>{manager().FindSkillId("Records/Skills/M2.dbr")});
    EXPECT_EQ(b->GetModifiers(), std::vector<uint32_t>{modifier});   // the one object linked again
    for (const char* name : {"A", "M", "S", "M2", "B"})
        EXPECT_EQ(Find(name)->GetMasteryId(), mastery->GetObjectId()) << name;
    EXPECT_EQ(manager().GetWeaponPoolAttacks(), std::vector<uint32_t>{skillA->GetObjectId()});
    EXPECT_EQ(manager().GetOnDeathSkills(), std::vector<uint32_t>{b->GetObjectId()});
    EXPECT_EQ(Logged("duplicate non-modifier skill (" + a + ")"), 1u);
    EXPECT_EQ(Logged("Unable to create skill (Records/Skills/Missing.dbr)"), 1u);
    EXPECT_EQ(manager().GetUISkillList().size(), 6u);
    // Level 1 each at Normal: the mastery's point and five regular points.
    EXPECT_EQ(manager().GetNumMasteryPoints(), 1u);
    EXPECT_EQ(manager().GetNumRegularSkillPoints(), 5u);
    EXPECT_EQ(manager().GetNumOfNonMasterySkillsWithPoints(), 5u);
    std::vector<uint32_t> masteries;
    manager().GetSkillMasteries(masteries);
    EXPECT_EQ(masteries, std::vector<uint32_t>{5});
}

// The real kinds, from the bundled records and one written here, are told apart as the
// stand-ins are; the real mastery keeps its level through every skill's augment.
TEST_F(SkillManagerTest, TheRealKindsAreListedAsTheStandIns)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    const uint32_t attack = manager().LoadDefaultSkills();
    ASSERT_NE(attack, 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(manager().GetDefaultWPSkillId()), 0u);
    EXPECT_EQ(manager().GetDefaultWPWeight(), 100u);
    const std::string mastery = "Records/Skills/Warfare/WarfareMastery.dbr";
    const std::string pool = Record("Pool", "Class,Skill_WPAttack_BasicAttack,\nskillMaxLevel,4,\n"
                                            "skillUltimateLevel,4,\nskillChanceWeight,30,\n");
    const std::string onDeath = SkillRecord("Dying", "SkillOnDeath");
    manager().LoadSkills(Tree({mastery, pool, onDeath}), 3);
    Skill *m = ObjectManager::Get().GetObject<Skill>(manager().FindSkillId(mastery)), *p = Find("Pool"),
          *d = Find("Dying");
    ASSERT_TRUE(m && p && d);
    EXPECT_EQ(manager().GetWeaponPoolAttacks(), std::vector<uint32_t>{p->GetObjectId()});
    EXPECT_EQ(manager().GetOnDeathSkills(), std::vector<uint32_t>{d->GetObjectId()});
    EXPECT_EQ(p->GetMasteryId(), m->GetObjectId());
    EXPECT_EQ(d->GetMasteryId(), m->GetObjectId());
    EXPECT_EQ(manager().GetUISkillList().size(), 5u);
    std::vector<uint32_t> masteries;
    manager().GetSkillMasteries(masteries);
    EXPECT_EQ(masteries, std::vector<uint32_t>{7});   // "MasteryWarfare"
    EXPECT_EQ(manager().GetSkillMasteriesActive(), 1u);
    EXPECT_EQ(manager().GetNumMasteryPoints(), 1u);
    EXPECT_EQ(manager().GetNumRegularSkillPoints(), 2u);
    EXPECT_EQ(manager().GetNumOfNonMasterySkillsWithPoints(), 2u);

    manager().SetAllSkillAugment(1, "");
    EXPECT_EQ(m->GetCurrentLevel(), 1u);
    EXPECT_EQ(p->GetCurrentLevel(), 2u);
    EXPECT_EQ(d->GetCurrentLevel(), 2u);
    manager().SetMasteryAugment(mastery, 2);
    EXPECT_EQ(m->GetCurrentLevel(), 1u);
    EXPECT_EQ(p->GetCurrentLevel(), 4u);
    manager().RemoveAllSkillAugment(1, "");
    manager().RemoveMasteryAugment(mastery, 2);
    EXPECT_EQ(m->GetCurrentLevel(), 1u);
    EXPECT_EQ(p->GetCurrentLevel(), 1u);
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
    EXPECT_EQ(Find("T31")->GetSkillLevel(), 3);
    // A level array shorter than the difficulty, or a negative level, gives level 0.
    LoadTable tree;
    tree.SetValue("skillName1", SkillRecord("Short"));
    tree.SetValue("skillLevel1", "4;5");
    tree.SetValue("skillName2", SkillRecord("Negative"));
    tree.SetValue("skillLevel2", "-1;-1;-7");
    manager().LoadSkills(tree, 2);
    EXPECT_EQ(Find("Short")->GetSkillLevel(), 0);
    EXPECT_EQ(Find("Negative")->GetSkillLevel(), 0);
    // The difficulty's entry alone is read, as a whole number: one that does not parse
    // gives 0, a real number its whole part, the first entry for the first difficulty.
    LoadTable entries;
    const char* const levels[] = {"1;2;x", "1;2; 4.7", "x;1;1", "2.9;1;1"};
    for (int i = 0; i < 4; ++i) {
        entries.SetValue("skillName" + std::to_string(i + 1), SkillRecord("Entry" + std::to_string(i)));
        entries.SetValue("skillLevel" + std::to_string(i + 1), levels[i]);
    }
    manager().LoadSkills(entries, 2);
    EXPECT_EQ(Find("Entry0")->GetSkillLevel(), 0);
    EXPECT_EQ(Find("Entry1")->GetSkillLevel(), 4);
    gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
    manager().LoadSkills(entries, 4);
    EXPECT_EQ(Find("Entry2")->GetSkillLevel(), 0);
    EXPECT_EQ(Find("Entry3")->GetSkillLevel(), 2);
}

TEST_F(SkillManagerTest, ReferenceNumbersAndItemSkills)
{
    manager().LoadSkills(Tree({SkillRecord("Own")}), 1);
    const std::string itemRecord = SkillRecord("ItemGranted");
    auto* itemSkill = ObjectManager::Get().CreateObjectFromFile<Skill>(itemRecord);
    manager().AddItemSkill(itemSkill->GetObjectId(), 2);
    manager().AddItemSkill(itemSkill->GetObjectId(), 4);   // the same copy, a new level
    const uint32_t owned = manager().FindItemSkillId(itemRecord);
    ASSERT_NE(owned, 0u);
    EXPECT_EQ(manager().FindSkillId(itemRecord), 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(owned), 4096u);
    EXPECT_EQ(manager().GetSkillIdFromReference(4096), owned);
    EXPECT_EQ(manager().GetSkillIdFromReference(0xFFFFFFFFu), 0u);
    EXPECT_EQ(manager().GetSkillReferenceNumber(12345), 0xFFFFFFFFu);
    EXPECT_EQ(ObjectManager::Get().GetObject<Skill>(owned)->GetSkillLevel(), 4);
    manager().RemoveItemSkill(itemSkill->GetObjectId());
    EXPECT_FALSE(manager().IsSkillValidForUse(owned, false));
    EXPECT_TRUE(manager().IsSkillValidForUse(owned, true));
}

// A record name finds the first listed skill of that record in any spelling; once that
// skill is gone, a later one of the same record answers.
TEST_F(SkillManagerTest, ASkillIsFoundByItsRecordInAnySpellingWhileItLasts)
{
    const std::string own = SkillRecord("Own");
    manager().LoadSkills(Tree({own}), 1);
    Skill* first = Find("Own");
    auto* copy = ObjectManager::Get().CreateObjectFromFile<Skill>(own);
    ASSERT_TRUE(first && copy);
    manager().AddSkill(copy);
    EXPECT_EQ(manager().FindSkillId("RECORDS\\skills/own.DBR"), first->GetObjectId());
    EXPECT_EQ(manager().FindSkillId("Records/Skills/Own.db"), 0u);
    ObjectManager::Get().DestroyObjectEx(first, "test", __LINE__);
    EXPECT_EQ(manager().FindSkillId(own), copy->GetObjectId());
}

// A monster's record lists 17 skills; its default attack comes after them and is the
// controller's default attack.
TEST_F(SkillManagerTest, AMonsterLoadsItsRecordsSkillsThenItsDefaults)
{
    RecordDatabase::Get().RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
    Record("Default/DefaultWeaponAttack", "Class,Skill,\nskillMaxLevel,1,\n");
    const std::string record = Record("Monster", "Class,Monster,\nskillName17," + SkillRecord("M17") +
                                                     ",\nskillLevel17,2,\nskillName18," + SkillRecord("M18") +
                                                     ",\nskillLevel18,2,\n");
    auto* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(record);
    ASSERT_TRUE(monster && monster->GetMonsterController());
    const SkillManager& skills = monster->GetSkillManager();
    const auto* m17 = ObjectManager::Get().GetObject<Skill>(skills.FindSkillId("Records/Skills/M17.dbr"));
    ASSERT_NE(m17, nullptr);
    EXPECT_TRUE(m17->IsSkillEnabled());   // a monster's skills are enabled by their level
    EXPECT_EQ(skills.FindSkillId("Records/Skills/M18.dbr"), 0u);
    EXPECT_EQ(skills.GetSkillReferenceNumber(skills.GetDefaultSkillId()), 1u);
    EXPECT_EQ(monster->GetMonsterController()->GetDefaultSkillId(), skills.GetDefaultSkillId());
}

// ---- Points ------------------------------------------------------------------------------

TEST_F(SkillManagerTest, MasteriesAllowedOneStepPerLevelGained)
{
    RecordDatabase::Get().RegisterRecord("Records/Skills/Levels.dbr",
                                         "experienceLevelEquation,playerLevel*100,\nmaxPlayerLevel,20,\n");
    LoadTable levels;
    levels.SetValue("levelFileName", "Records/Skills/Levels.dbr");
    levels.SetValue("charLevel", "9");
    character->GetLevelControl().SetParent(character);
    character->GetLevelControl().Load(levels);
    LoadTable record;
    record.SetValue("masteryIncrementLevel", "2;10;0");
    manager().Load(record);
    character->IncrementCharLevel();   // level 10
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 1u);
    manager().UpdateMasteriesAllowed(10);
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 2u);
    manager().UpdateMasteriesAllowed(1000);   // the 0 never grants
    EXPECT_EQ(manager().GetSkillMasteriesAllowed(), 2u);
}

TEST_F(SkillManagerTest, ReclamationCostsTiersAndRefunds)
{
    LoadTable record;
    record.SetValue("reclamationPointTiers", "0;10;20");
    record.SetValue("reclamationPointCosts", "1;2;3");
    manager().Load(record);
    character->AddMoney(100);
    for (const auto& [used, cost] : {std::pair{9u, 1u}, {10u, 2u}, {19u, 2u}, {20u, 3u}, {500u, 3u}}) {
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
    EXPECT_FALSE(manager().UseReclamationPoints(60));   // beyond the money: nothing changes
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 9u);
    EXPECT_EQ(character->GetCurrentMoney(), 100u);

    // One cost for three tiers: always that cost; more given back than was bought.
    record.SetValue("reclamationPointCosts", "5");
    manager().Load(record);
    manager().SetSkillReclamationPointsUsed(25);
    EXPECT_EQ(manager().GetCurrentSkillReclamationCost(), 5u);
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
    const std::string mastery = SkillRecord("Mastery", "ManagedMastery"), a = SkillRecord("A");
    manager().LoadSkills(Tree({mastery, a, SkillRecord("B")}), 3);
    manager().LoadSkills(Tree({SkillRecord("Other")}), 1);
    Skill *skillA = Find("A"), *skillB = Find("B"), *other = Find("Other");
    manager().SetAllSkillAugment(1, a);
    EXPECT_EQ(skillA->GetCurrentLevel(), 1u);
    EXPECT_EQ(skillB->GetCurrentLevel(), 2u);
    EXPECT_EQ(other->GetCurrentLevel(), 2u);
    manager().RemoveAllSkillAugment(1, a);
    manager().SetAllSkillAugment(1, "records/skills/a.dbr");   // byte for byte: A is not spared
    EXPECT_EQ(skillA->GetCurrentLevel(), 2u);
    manager().RemoveAllSkillAugment(1, "records/skills/a.dbr");
    manager().SetMasteryAugment(mastery, 2);
    EXPECT_EQ(skillB->GetCurrentLevel(), 3u);
    EXPECT_EQ(other->GetCurrentLevel(), 1u);
    manager().RemoveMasteryAugment(mastery, 2);
    manager().SetSkillLevelAugment("RECORDS\\SKILLS\\B.DBR", 3);
    EXPECT_EQ(skillB->GetCurrentLevel(), 4u);
}

// ---- Attributes and the frame ----------------------------------------------------------------

TEST_F(SkillManagerTest, SkillsInForceBuffsAndItemSkillsAddToTheFramesTotals)
{
    LoadTable tree = Tree({SkillRecord("Granting", "GrantingSkill"), SkillRecord("Idle", "GrantingSkill")});
    tree.SetValue("skillLevel2", "0");
    manager().LoadSkills(tree, 2);
    const auto total = [&] { return manager().GetTotalSkillAttribute(SkillAttributeType_CooldownReduction); };
    manager().Update(16);
    manager().Update(16);
    EXPECT_EQ(total(), 1.0f);   // rebuilt, not piled up; the level-0 skill adds nothing
    auto* itemSkill = ObjectManager::Get().CreateObjectFromFile<Skill>(SkillRecord("Item", "GrantingSkill"));
    manager().AddItemSkill(itemSkill->GetObjectId(), 1);
    manager().CreateRemoveSkillBuff(0, SkillRecord("Buff", "GrantingSkill"), 1, "", 0, "", 0, 1000, 0, false);
    manager().Update(16);
    EXPECT_EQ(total(), 3.0f);
    manager().RemoveItemSkill(itemSkill->GetObjectId());
    manager().Update(16);
    EXPECT_EQ(total(), 2.0f);

    manager().SetAsControllingManager();
    SkillServicesBase* services = manager().GetSkillServices();
    manager().SetAsControllingManager();
    EXPECT_TRUE(services && manager().GetSkillServices() == services);
}

// ---- Save block ---------------------------------------------------------------------------------

TEST_F(SkillManagerTest, SaveBlockGoldenBytesAndBadBlocks)
{
    manager().LoadSkills(Tree({SkillRecord("Kept"), SkillRecord("Zero")}), 2);
    Find("Zero")->SetSkillLevel(0);
    manager().SetSkillMasteriesAllowed(2);
    manager().SetSkillReclamationPointsUsed(7);
    IOStreamWrite out;
    ASSERT_TRUE(manager().StreamProperties(out));
    EXPECT_EQ(std::string(out.GetBytes().begin(), out.GetBytes().end()), kGoldenBlock);

    // Blocks of that count and entries: an unknown name, a negative level or count.
    const auto block = [](int32_t max, const std::vector<std::pair<std::string, int32_t>>& entries) {
        IOStreamWrite s;
        s.BeginBlock();
        s.StreamInt32("max", max);
        for (auto [name, level] : entries) {
            SkillManager::_SkillReplica entry{name, SkillState{level, true}, SkillActiveState{}};
            entry.StreamProperties(s);
        }
        uint32_t allowed = 3, used = 4;
        s.StreamUInt32("masteriesAllowed", allowed);
        s.StreamUInt32("skillReclamationPointsUsed", used);
        s.EndBlock();
        return std::vector<unsigned char>(s.GetBytes().begin(), s.GetBytes().end());
    };
    Skill* kept = Find("Kept");
    IOStreamRead unknown(block(2, {{"Records/Skills/Gone.dbr", 5}, {"records\\skills\\kept.dbr", 6}}));
    ASSERT_TRUE(manager().StreamProperties(unknown));
    EXPECT_EQ(kept->GetSkillLevel(), 6);
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 4u);
    IOStreamRead negative(block(1, {{"Records/Skills/Kept.dbr", -4}}));
    ASSERT_TRUE(manager().StreamProperties(negative));
    EXPECT_EQ(kept->GetSkillLevel(), 0);
    manager().SetSkillReclamationPointsUsed(0);
    IOStreamRead none(block(-5, {}));
    ASSERT_TRUE(manager().StreamProperties(none));
    EXPECT_EQ(manager().GetSkillReclamationPointsUsed(), 4u);
    log.clear();
    IOStreamRead beyond(block(1000, {{"Records/Skills/Kept.dbr", 9}}));   // more than the bytes hold
    EXPECT_FALSE(manager().StreamProperties(beyond));
    EXPECT_FALSE(log.empty());
    EXPECT_EQ(kept->GetSkillLevel(), 0);
}

}  // namespace

}  // namespace GAME

namespace GAME {
namespace {

// ---- Skill use ----------------------------------------------------------------------------

class SkillUseTest : public SkillManagerTest {
protected:
    UsedSkill* Used(const std::string& name)
    {
        Record(name, "Class,UsedSkill,\nskillMaxLevel,20,\nskillManaCost,10,\nskillCooldownTime,5,\n");
        auto* skill = ObjectManager::Get().CreateObjectFromFile<UsedSkill>("Records/Skills/" + name + ".dbr");
        manager().AddSkill(skill);
        skill->SetSkillLevel(1);
        skill->SetSkillEnabled(true);
        return skill;
    }
    uint32_t Ref(const Skill* skill) { return manager().GetSkillReferenceNumber(skill->GetObjectId()); }
    bool Event(const char* name, uint32_t reference)
    {
        return manager().HandleSkillAnimationCallback(Name(name), reference, 0, WorldVec3());
    }
};

// Each hit raises the hit iteration before the skill's hit runs; "End" answers what the
// skill's end answers; a reference to a skill of another class does nothing.
TEST_F(SkillUseTest, HitsCountFromTheStartAndEndAnswersForTheSkill)
{
    manager().SetAsControllingManager();
    UsedSkill* skill = Used("Used");
    const uint32_t ref = Ref(skill);
    ASSERT_TRUE(manager().StartSkill(ref, 0, WorldVec3(), 1, TargetLeadingData{}));
    EXPECT_FALSE(Event("Hit", ref));
    EXPECT_FALSE(Event("RightHandHit", ref));
    EXPECT_FALSE(Event("Footstep", ref));
    EXPECT_EQ(skill->hits, (std::vector<uint32_t>{1, 2}));
    ASSERT_TRUE(manager().StartSkill(ref, 0, WorldVec3(), 1, TargetLeadingData{}));
    EXPECT_FALSE(Event("SpecialHit01", ref));
    EXPECT_EQ(skill->hits.back(), 1u);   // a new use counts anew
    EXPECT_TRUE(Event("End", ref));
    skill->ends = false;
    EXPECT_FALSE(Event("End", ref));

    skill->starts = false;
    EXPECT_FALSE(manager().StartSkill(ref, 0, WorldVec3(), 1, TargetLeadingData{}));
    EXPECT_EQ(Logged("Animation failed to start in SkillManager::StartSkill"), 1u);
    skill->starts = true;
    skill->SetSkillEnabled(false);
    EXPECT_FALSE(manager().StartSkill(ref, 0, WorldVec3(), 1, TargetLeadingData{}));

    // A plain skill (not activated) by its reference: refused, its events do nothing.
    auto* plain = ObjectManager::Get().CreateObjectFromFile<Skill>(SkillRecord("Plain"));
    manager().AddSkill(plain);
    plain->SetSkillLevel(1);
    plain->SetSkillEnabled(true);
    EXPECT_FALSE(manager().StartSkill(Ref(plain), 0, WorldVec3(), 1, TargetLeadingData{}));
    EXPECT_FALSE(Event("End", Ref(plain)));
    EXPECT_EQ(Logged("Animation failed"), 1u);

    // Disruption reaches the skills in force.
    skill->SetSkillEnabled(true);
    manager().ApplyCooldownDamage(2000.0f);
    EXPECT_EQ(skill->disrupted, 2000.0f);
}

// Only the first hit of a use pays: a target result only when it names targets, a
// projectile always.
TEST_F(SkillUseTest, TheFirstHitPaysManaAndCooldown)
{
    UsedSkill* skill = Used("Paid");
    const uint32_t ref = Ref(skill);
    auto paid = [&] { return character->GetPlayStats().GetManaUsed(); };
    const std::vector<uint32_t> none, one{character->GetObjectId()};
    manager().SkillTargetResult(ref, none, WorldCoords(), 1, 0, false, 1);
    manager().SkillTargetResult(ref, one, WorldCoords(), 1, 0, false, 2);
    EXPECT_EQ(paid(), 0.0f);
    EXPECT_EQ(skill->GetCooldownRemaining(), 0);
    manager().SkillTargetResult(ref, one, WorldCoords(), 1, 0, false, 1);
    EXPECT_EQ(paid(), 10.0f);
    EXPECT_GT(skill->GetCooldownRemaining(), 0);
    manager().CreateProjectile(ref, 0, WorldCoords(), 0, WorldVec3(), 0, 1, 1);
    EXPECT_EQ(paid(), 20.0f);
}

// The pool pick: the default fills the weights up to 100.
TEST_F(SkillUseTest, PoolPickFillsUpToAHundred)
{
    Record("Default/DefaultWPBasicAttack", "Class,ManagedPoolAttack,\nskillMaxLevel,1,\n");
    Record("Default/DefaultWeaponAttack", "Class,Skill,\nskillMaxLevel,1,\n");
    manager().LoadDefaultSkills();
    const std::string a = SkillRecord("PoolA", "ManagedPoolAttack");
    manager().LoadSkills(Tree({a}), 1);   // weight 40, the default 40 of it: 60
    const uint32_t pooled = manager().FindSkillId(a);
    RandomUniform rng;
    rng.Seed(12345);
    int picked = 0;
    // Asked as the pool skill asks it, through the base: the manager's own pick answers.
    const SkillManagerBase& base = manager();
    for (int i = 0; i < 400; ++i) {
        const uint32_t id = base.SelectWeaponPoolSkill(rng);
        ASSERT_TRUE(id == pooled || id == manager().GetDefaultWPSkillId());
        picked += id == pooled;
    }
    EXPECT_GT(picked, 100);
    EXPECT_LT(picked, 220);

}

}  // namespace
}  // namespace GAME
