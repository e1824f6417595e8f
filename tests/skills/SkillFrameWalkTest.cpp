// The skill manager's frame: every skill and buff updated once, whatever a skill's or a
// buff's update does to the manager's lists, and the attributes gathered from the skills
// that exist and count at the moment they are asked for.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"
#include "tests/TestDraws.h"

namespace GAME {

// Counts its updates, destroys the skill `doomed` names at its next update, and adds one to
// the cooldown reduction whenever it is asked.
class FrameCountedSkill : public Skill {
    GAME_DECLARE_CLASS(FrameCountedSkill)

public:
    void Update(Character& character, int elapsedMs) override
    {
        ++updates;
        if (Object* victim = ObjectManager::Get().GetObject(doomed))
            ObjectManager::Get().DestroyObjectEx(victim, "test", __LINE__);
        doomed = 0;
        Skill::Update(character, elapsedMs);
    }
    void CollectPassiveSkillAttributes(SkillAttributeAccumulator& accumulator) const override
    {
        accumulator.AddValue(SkillAttributeType_CooldownReduction, 1.0f);
    }
    int updates = 0;
    uint32_t doomed = 0;
};
GAME_IMPLEMENT_CLASS(FrameCountedSkill, Skill)

// A buff that counts its updates and, when told, has its holder's skills disrupted in its
// update (a walk of the holder's skills inside the walk of its buffs).
class FrameCountedBuff : public SkillBuff {
    GAME_DECLARE_CLASS(FrameCountedBuff)

public:
    void Update(Character& holder, int elapsedMs) override
    {
        ++updates;
        if (disrupts)
            holder.GetSkillManager().ApplyCooldownDamage(1.0f);
        SkillBuff::Update(holder, elapsedMs);
    }
    void CollectPassiveSkillAttributes(SkillAttributeAccumulator& accumulator) const override
    {
        accumulator.AddValue(SkillAttributeType_CooldownReduction, 1.0f);
    }
    int updates = 0;
    bool disrupts = false;
};
GAME_IMPLEMENT_CLASS(FrameCountedBuff, SkillBuff)

namespace {

class SkillFrameWalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeSeededObjects();
        previousSink = gEngine->SetLogSink([](const LogLine&) {});
        RecordDatabase::Get().RegisterRecord("Records/Frame/Owner.dbr", "Class,Character,\n");
        character = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Frame/Owner.dbr");
        ASSERT_NE(character, nullptr);
        LoadTable tree;
        for (int i = 1; i <= 3; ++i) {
            const std::string index = std::to_string(i);
            tree.SetValue(("skillName" + index).c_str(), Record("Skill" + index, "FrameCountedSkill"));
            tree.SetValue(("skillLevel" + index).c_str(), "1");
        }
        manager().LoadSkills(tree, 3);
        for (int i = 1; i <= 3; ++i) {
            skills.push_back(Find<FrameCountedSkill>("Skill" + std::to_string(i)));
            ASSERT_NE(skills.back(), nullptr);
        }
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    static std::string Record(const std::string& name, const char* className)
    {
        const std::string record = "Records/Frame/" + name + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, std::string("Class,") + className + ",\nskillMaxLevel,5,\n");
        return record;
    }
    SkillManager& manager() { return character->GetSkillManager(); }
    template <class T>
    T* Find(const std::string& name)
    {
        return ObjectManager::Get().GetObject<T>(manager().FindSkillId("Records/Frame/" + name + ".dbr"));
    }
    FrameCountedBuff* PutBuff(const std::string& name)
    {
        manager().CreateRemoveSkillBuff(0, Record(name, "FrameCountedBuff"), 1, "", 0, "", 0, 0, 0, false);
        return Find<FrameCountedBuff>(name);
    }
    float CooldownReduction() const
    {
        SkillAttributeAccumulator totals;
        character->GetSkillManager().GetSkillAttributes(totals);
        return totals.GetValue(SkillAttributeType_CooldownReduction);
    }
    std::vector<int> Updates(const std::vector<FrameCountedBuff*>& buffs) const
    {
        std::vector<int> counts;
        for (const FrameCountedSkill* skill : skills)
            counts.push_back(skill->updates);
        for (const FrameCountedBuff* buff : buffs)
            counts.push_back(buff->updates);
        return counts;
    }

    Character* character = nullptr;
    std::vector<FrameCountedSkill*> skills;
    LogSink previousSink;
};

// A buff whose update walks the holder's skills (a disruption) leaves the frame's walk of
// the buffs whole: the buff after it is updated, and no skill a second time.
TEST_F(SkillFrameWalkTest, AWalkInsideABuffsUpdateLeavesTheFramesWalksWhole)
{
    FrameCountedBuff* first = PutBuff("Disrupting");
    FrameCountedBuff* second = PutBuff("Quiet");
    ASSERT_TRUE(first && second);
    first->disrupts = true;
    manager().Update(16);
    manager().Update(16);
    EXPECT_EQ(Updates({first, second}), (std::vector<int>{2, 2, 2, 2, 2}));
}

// A skill destroyed by another's update within the frame is not updated after it, though
// the frame began with every skill known.
TEST_F(SkillFrameWalkTest, ASkillDestroyedDuringTheFrameIsNotUpdatedAfterIt)
{
    manager().Update(16);
    skills[0]->doomed = skills[2]->GetObjectId();
    manager().Update(16);
    EXPECT_EQ(Updates({}), (std::vector<int>{2, 2, 1}));
}

// The totals count the skills that exist and have a level, and the buffs, when asked, with
// no frame between a change and the question.
TEST_F(SkillFrameWalkTest, TheTotalsFollowEveryChangeOfTheSkillsAtOnce)
{
    manager().Update(16);
    FrameCountedBuff* buff = nullptr;
    struct Step {
        const char* change;
        float total;
    };
    const std::vector<std::pair<Step, std::function<void()>>> steps = {
        {{"three skills in force", 3.0f}, [] {}},
        {{"one destroyed", 2.0f},
         [&] { ObjectManager::Get().DestroyObjectEx(skills[1], "test", __LINE__); }},
        {{"one at level 0", 1.0f}, [&] { skills[0]->SetSkillLevel(0); }},
        {{"a buff put on", 2.0f}, [&] { buff = PutBuff("Granting"); }},
        {{"the buff taken off", 1.0f},
         [&] { manager().CreateRemoveSkillBuff(0, "Records/Frame/Granting.dbr", 0, "", 0, "", 0, 0, 0, false); }},
        {{"the level back", 2.0f}, [&] { skills[0]->SetSkillLevel(1); }},
    };
    for (const auto& [step, change] : steps) {
        change();
        EXPECT_EQ(CooldownReduction(), step.total) << step.change;
    }
    EXPECT_NE(buff, nullptr);
}

}  // namespace
}  // namespace GAME
