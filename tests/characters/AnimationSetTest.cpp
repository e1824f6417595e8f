// Animation sets by kind, their entries, animation sounds and the shared table loaders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/AnimationSound.h"
#include "Game/characters/AnimationTableLoader.h"

using namespace GAME;

namespace {

class AnimationSetTest : public ::testing::Test {
protected:
    AnimationSetTest()
    {
        GraphicsEngine& graphics = *GraphicsEngine::Get();
        for (const char* name : {"A.anm", "B.anm", "C.anm"})
            graphics.RegisterAnimation(name, "length,30,\nspeed,2,\n");
        Journal::Get().Clear();
    }
    ~AnimationSetTest() override
    {
        GraphicsEngine::Get()->ClearRegisteredAnimations();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
    }
    Actor actor;
};

TEST_F(AnimationSetTest, KindsByNumberAndNameFallBackToNone)
{
    AnimationSet set;
    EXPECT_EQ(set.GetAnimationBase(32), set.GetAnimationBase(AnimationSet_None));
    EXPECT_EQ(set.GetAnimationBase(-1), set.GetAnimationBase(AnimationSet_None));
    EXPECT_STREQ(AnimationSet::GetAnimTypeAsText(AnimationSet_Special), "Special");
    EXPECT_STREQ(AnimationSet::GetAnimTypeAsText(32), "");
    EXPECT_EQ(AnimationSet::GetAnimTextAsType("attack"), AnimationSet_None);
    EXPECT_EQ(AnimationSet::GetAnimTextAsType("Attack"), AnimationSet_Attack);
    EXPECT_TRUE(set.DoesAnimationExist(AnimationSet_None));   // the default animation
    EXPECT_FALSE(set.DoesAnimationExist(AnimationSet_Run));
}

// A set's entries are of three kinds, each answering for its own types, and a set gives
// its animations back from the last type to the first.
TEST_F(AnimationSetTest, EntriesOfEachKindAreTheSetsOwnAndGoLastTypeFirst)
{
    {
        AnimationSet set;
        EXPECT_NE(dynamic_cast<AnimationSingle*>(set.GetAnimationBase(AnimationSet_Run)), nullptr);
        EXPECT_NE(dynamic_cast<AnimationWeighted*>(set.GetAnimationBase(AnimationSet_Die)), nullptr);
        EXPECT_NE(dynamic_cast<AnimationReferenced*>(set.GetAnimationBase(AnimationSet_Special)), nullptr);
        set.AddAnimation(AnimationSet_Run, "A.anm", 1.0f, 0.0f, nullptr);
        set.AddAnimation(AnimationSet_Special, "C.anm", 1.0f, 0.0f, "Leap");
        set.AddAnimation(AnimationSet_Die, "B.anm", 1.0f, 1.0f, nullptr);
        EXPECT_TRUE(set.DoesAnimationExist(AnimationSet_Die));
        Journal::Get().Clear();
    }
    std::vector<std::string> unloaded;
    for (const JournalEntry& entry : Journal::Get().GetEntries())
        if (entry.call == "GraphicsEngine::UnloadAnimation")
            unloaded.push_back(entry.detail.substr(0, entry.detail.find(' ')));
    EXPECT_EQ(unloaded, (std::vector<std::string>{"C.anm", "B.anm", "A.anm", GraphicsAnim::GetDefaultName()}));
}

TEST_F(AnimationSetTest, WeightedPicksTheFirstRunningSumAtLeastTheDraw)
{
    struct Case {
        float weights[3];
        float r;
        size_t expected;
    };
    for (const Case& c : {Case{{100, 0, 0}, 0.0f, 0}, Case{{100, 0, 0}, 100.0f, 0}, Case{{0, 50, 50}, 0.0f, 0},
                          Case{{0, 50, 50}, 50.0f, 1}, Case{{0, 50, 50}, 50.5f, 2}}) {
        AnimationWeighted entry;
        for (float weight : c.weights)
            entry.AddAnimation("A.anm", 1.0f, weight, nullptr);
        EXPECT_EQ(entry.PickIndex(c.r), c.expected) << c.r;
    }
    AnimationWeighted none;
    EXPECT_EQ(none.PickIndex(0.0f), 0u);
    EXPECT_FALSE(none.PlayAnimation(actor, Name(), 1.0f, false, 0));
}

TEST_F(AnimationSetTest, IterationsAskToPlayAgainUntilTheLastRound)
{
    AnimationSet set;
    set.AddAnimation(AnimationSet_Attack, "A.anm", 0.5f, 100.0f, nullptr);
    ASSERT_TRUE(set.PlayAnimation(actor, AnimationSet_Attack, Name(), 2.0f, false, 3));
    EXPECT_EQ(set.GetCurrentType(), AnimationSet_Attack);
    EXPECT_TRUE(actor.GetAnimationChannel(0)->loop);   // iterations loop in the engine
    EXPECT_FLOAT_EQ(actor.GetAnimationChannel(0)->speed, 1.0f);
    EXPECT_EQ(actor.GetAnimationChannel(0)->blendMs, 250);
    const Name end = Name::Create("End");
    EXPECT_FALSE(set.HandleAnimationCallback(actor, Name::Create("RightHandHit")));
    EXPECT_TRUE(set.HandleAnimationCallback(actor, end));
    EXPECT_TRUE(set.HandleAnimationCallback(actor, end));
    EXPECT_FALSE(set.HandleAnimationCallback(actor, end));
    EXPECT_FALSE(set.HandleAnimationCallback(actor, end));

    set.AdjustAnimation(actor, 3.0f);
    EXPECT_FLOAT_EQ(actor.GetAnimationChannel(0)->speedMultiplier, 1.5f);
    EXPECT_TRUE(set.SetLastPost(actor, AnimationSet_Attack));
    EXPECT_EQ(actor.GetPose().frame, 29);
    EXPECT_FLOAT_EQ(set.GetAnimSpeed(AnimationSet_Attack), 4.0f);   // 2 / 0.5
}

TEST_F(AnimationSetTest, AnEmptyKindPlaysTheDefaultAndReportsFailure)
{
    AnimationSet set;
    set.AddAnimation(AnimationSet_Run, "A.anm", 1.0f, 0.0f, nullptr);
    set.AddAnimation(AnimationSet_Run, "B.anm", 1.0f, 0.0f, nullptr);   // the first stays
    ASSERT_TRUE(set.PlayAnimation(actor, AnimationSet_Run, Name(), 1.0f, true, 0));
    EXPECT_EQ(actor.GetAnimationChannel(0)->animation, "A.anm");

    EXPECT_FALSE(set.PlayAnimationIfAvailable(actor, AnimationSet_Die, Name(), 1.0f, false, 0));
    EXPECT_EQ(set.GetCurrentType(), AnimationSet_Run);
    EXPECT_FALSE(set.PlayAnimation(actor, AnimationSet_Die, Name(), 1.0f, false, 0));
    EXPECT_EQ(set.GetCurrentType(), AnimationSet_None);
    EXPECT_EQ(actor.GetAnimationChannel(0)->animation, GraphicsAnim::GetDefaultName());
    EXPECT_EQ(set.GetAnimSpeed(AnimationSet_Die), 0.0f);

    set.PreLoad();
    EXPECT_EQ(Journal::Get().Count("ResourceLoader::EnqueueResource"), 2u);   // None and Run
    EXPECT_EQ(Journal::Get().GetLast("ResourceLoader::EnqueueResource").detail, "A.anm priority 1 async");
}

TEST_F(AnimationSetTest, BadFilesAndReferencesAreLoggedAndEveryLoadIsGivenBack)
{
    const size_t loadedBefore = GraphicsEngine::Get()->GetLoadedAnimationCount();
    {
        LogCapture log;
        AnimationSet set;
        set.AddAnimation(AnimationSet_Fidget, "Missing.anm", 1.0f, 10.0f, nullptr);
        set.AddAnimation(AnimationSet_Fidget, "B.anm", 1.0f, -5.0f, nullptr);
        set.AddAnimation(AnimationSet_Special, "A.anm", 1.0f, 0.0f, "");
        set.AddAnimation(AnimationSet_Special, "B.anm", 1.0f, 0.0f, "Leap");
        set.AddAnimation(AnimationSet_Special, "C.anm", 1.0f, 0.0f, "Leap");   // dropped
        std::vector<std::string> lines;
        for (const LogLine& line : log.Lines())
            lines.push_back(line.text);
        EXPECT_EQ(lines, (std::vector<std::string>{
                             "GraphicsEngine: animation (Missing.anm) not found",
                             "AnimationPool:: Unable to load animation (Missing.anm)",
                             "AnimationPool:: weight -5 of animation (B.anm) taken as 0",
                             "AnimationSelected: Invalid reference () name for animation (A.anm)"}));
        EXPECT_FALSE(set.PlayAnimation(actor, AnimationSet_Special, Name::Create("Kick"), 1.0f, false, 0));
        EXPECT_TRUE(set.PlayAnimation(actor, AnimationSet_Special, Name::Create("Leap"), 1.0f, false, 0));
        EXPECT_EQ(actor.GetAnimationChannel(0)->animation, "B.anm");
        EXPECT_EQ(GraphicsEngine::Get()->GetLoadedAnimationCount(), loadedBefore + 2);   // default and B; C given back
    }
    EXPECT_EQ(GraphicsEngine::Get()->GetLoadedAnimationCount(), loadedBefore);
}

TEST_F(AnimationSetTest, SoundsPlayByChanceOnATargetOrAtTheActor)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Sounds/Step.dbr", "Class,SoundPak,\n");
    records.RegisterRecord("Records/Sounds/Swing.dbr", "Class,SoundPak,\n");
    records.RegisterRecord("Records/Sounds/NotASound.dbr", "Class,Entity,\n");
    const Name step = Name::Create("Step"), swing = Name::Create("Swing"), other = Name::Create("Other");
    AnimationSound sounds;
    sounds.AddSound(step, "Records/Sounds/Step.dbr", 100.0f);
    sounds.AddSound(step, "Records/Sounds/Swing.dbr", 50.0f);   // the first pack stays
    sounds.AddSound(swing, "Records/Sounds/Swing.dbr", 0.05f);
    sounds.AddSound(other, "Records/Sounds/NotASound.dbr", 100.0f);
    sounds.AddSound(other, "Records/Sounds/Step.dbr", 0.0f);
    EXPECT_EQ(sounds.GetSound(other), nullptr);
    EXPECT_EQ(sounds.GetChance(step), 100.0f);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), 2u);   // the refused packs are gone

    GAME::srand(7);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(sounds.PlaySound(actor, step, i % 2 ? 42u : 0u));
        ASSERT_FALSE(sounds.PlaySound(actor, swing, 0));
    }
    EXPECT_FALSE(sounds.PlaySound(actor, other, 0));
    EXPECT_EQ(sounds.GetSound(step)->GetPlayCount(), 2000u);
    EXPECT_EQ(sounds.GetSound(step)->GetLastTarget(), 42u);
    EXPECT_EQ(Journal::Get().Count("SoundPak::PlayOnTarget"), 1000u);
}

TEST_F(AnimationSetTest, ATableWithOnlyARunFillsOnlyThatKind)
{
    LogCapture log;
    RecordDatabase::Get().RegisterRecord("Records/Anims/OnlyRun.dbr", "unarmedRunAnim,A.anm,\n"
                                                                       "spearSpecialAnim15,B.anm,\n"
                                                                       "spearSpecialAnimRef15,Lunge,\n");
    AnimationSet unarmed, spear, bow;
    EXPECT_FALSE(LoadAnimationTable("", &unarmed, nullptr, nullptr, &spear, nullptr, nullptr));
    EXPECT_FALSE(LoadAnimationTable("Records/Anims/Missing.dbr", &unarmed, nullptr, nullptr, &spear, nullptr, nullptr));
    EXPECT_FALSE(unarmed.DoesAnimationExist(AnimationSet_Run));
    ASSERT_TRUE(LoadAnimationTable("Records/Anims/OnlyRun.dbr", &unarmed, nullptr, nullptr, &spear, &bow, nullptr));
    for (int type = 1; type < AnimationSet_Count; ++type) {
        EXPECT_EQ(unarmed.DoesAnimationExist(type), type == AnimationSet_Run) << type;
        EXPECT_EQ(spear.DoesAnimationExist(type), type == AnimationSet_Special) << type;
        EXPECT_FALSE(bow.DoesAnimationExist(type)) << type;
    }
    EXPECT_FLOAT_EQ(unarmed.GetAnimSpeed(AnimationSet_Run), 2.0f);   // record speed 1.0

    // A character's own record reads special attacks 1 to 10 only.
    AnimationSet own;
    LoadStyleAnimationSet(*ObjectManager::Get().GetLoadTable("Records/Anims/OnlyRun.dbr"), own, AnimationStyle_Spear,
                          kOwnRecordSpecialAttacks);
    EXPECT_FALSE(own.DoesAnimationExist(AnimationSet_Special));
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AnimationSetTest, EverySetOfATableGetsItsAnimationsUntilTheTableChanges)
{
    LogCapture log;
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Anims/Shared.dbr", "unarmedAttackAnim1,A.anm,\nunarmedAttackAnimWeight1,3,\n"
                                                       "unarmedAttackAnim2,B.anm,\nunarmedAttackAnimSpeed2,0.5,\n"
                                                       "unarmedAttackAnimWeight2,1,\n"
                                                       "unarmedSpecialAnim4,C.anm,\n");   // no reference
    AnimationSet first, second;
    for (AnimationSet* set : {&first, &second}) {
        ASSERT_TRUE(LoadAnimationTable("Records/Anims/Shared.dbr", set, nullptr, nullptr, nullptr, nullptr, nullptr));
        const auto& variants = static_cast<AnimationWeighted*>(set->GetAnimationBase(AnimationSet_Attack))->GetVariants();
        ASSERT_EQ(variants.size(), 2u);
        EXPECT_EQ(variants[0].animation->GetName(), "A.anm");
        EXPECT_EQ(variants[0].weight, 3.0f);
        EXPECT_EQ(variants[0].speed, 1.0f);
        EXPECT_EQ(variants[1].animation->GetName(), "B.anm");
        EXPECT_EQ(variants[1].weight, 1.0f);
        EXPECT_EQ(variants[1].speed, 0.5f);
        EXPECT_FALSE(set->DoesAnimationExist(AnimationSet_Special));
    }
    // Each set refuses the entry without a reference, and says so.
    EXPECT_EQ(log.Count("AnimationSelected: Invalid reference () name for animation (C.anm)"), 2u);

    records.RegisterRecord("Records/Anims/Shared.dbr", "unarmedAttackAnim1,C.anm,\n");
    AnimationSet third;
    ASSERT_TRUE(LoadAnimationTable("Records/Anims/Shared.dbr", &third, nullptr, nullptr, nullptr, nullptr, nullptr));
    const auto& variants = static_cast<AnimationWeighted*>(third.GetAnimationBase(AnimationSet_Attack))->GetVariants();
    ASSERT_EQ(variants.size(), 1u);
    EXPECT_EQ(variants[0].animation->GetName(), "C.anm");
}

TEST_F(AnimationSetTest, TheBundledFighterTableLoadsEveryFileItNames)
{
    LogCapture log;
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    AnimationSet unarmed, sword;
    ASSERT_TRUE(LoadAnimationTable("Records/Creatures/Animations/FighterAnimations.dbr", &unarmed, &sword, nullptr,
                                   nullptr, nullptr, nullptr));
    for (AnimationSet* set : {&unarmed, &sword})
        for (int type : {AnimationSet_AttackIdle, AnimationSet_Run, AnimationSet_Walk, AnimationSet_Attack,
                         AnimationSet_Die, AnimationSet_Spawn})
            EXPECT_TRUE(set->DoesAnimationExist(type)) << type;
    const auto& variants = static_cast<AnimationWeighted*>(sword.GetAnimationBase(AnimationSet_Attack))->GetVariants();
    ASSERT_EQ(variants.size(), 2u);
    EXPECT_FALSE(variants[1].animation->GetEvents().empty());
    // A skill strikes on every hit event it hears: each attack lands one blow.
    for (AnimationSet* set : {&unarmed, &sword})
        for (const auto& variant : static_cast<AnimationWeighted*>(set->GetAnimationBase(AnimationSet_Attack))->GetVariants()) {
            int hits = 0;
            for (const GraphicsAnimEvent& event : variant.animation->GetEvents())
                hits += std::string(event.name.c_str()).ends_with("Hit");
            EXPECT_EQ(hits, 1);
        }

    // The stooge answers a blow with a guard it raises on itself: its table has the
    // animation that guard plays, and the guard is set once.
    AnimationSet stooge;
    ASSERT_TRUE(LoadAnimationTable("Records/Creatures/Animations/StoogeAnimations.dbr", &stooge, nullptr, nullptr,
                                   nullptr, nullptr, nullptr));
    ASSERT_TRUE(stooge.DoesAnimationExist(AnimationSet_BuffSelf));
    for (const auto& variant : static_cast<AnimationWeighted*>(stooge.GetAnimationBase(AnimationSet_BuffSelf))->GetVariants()) {
        int hits = 0;
        for (const GraphicsAnimEvent& event : variant.animation->GetEvents())
            hits += std::string(event.name.c_str()).ends_with("Hit");
        EXPECT_EQ(hits, 1);
    }
    EXPECT_TRUE(log.Lines().empty());
    RecordDatabase::Get().SetDataRoot("");
}

}  // namespace
