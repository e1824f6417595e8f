// Animations read from files, actors playing them, entity attachment and the journal.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"

using namespace GAME;

namespace {

GraphicsAnim ParsedAnim(const std::string& text, bool* ok = nullptr)
{
    GraphicsAnim anim("test.anm");
    const bool parsed = anim.Parse(text.data(), text.size(), "test.anm");
    if (ok)
        *ok = parsed;
    return anim;
}

}  // namespace

TEST(GraphicsAnim, ReadsItsFormAndSkipsEachBadLineWithALogLine)
{
    LogCapture log;
    bool ok = false;
    const GraphicsAnim anim = ParsedAnim("# a comment\n"
                                     "length,30,\n"
                                     "FRAMERATE, 24\n"
                                     "speed,1.5,\n"
                                     "motionSpeed,2,\n"
                                     "event,20,RightFoot,\n"
                                     "event,5,LeftFoot,\n"
                                     "\n"
                                     "speed,0,\n"            // not above 0
                                     "frameRate,1e9,\n"      // not whole, too large
                                     "motionSpeed,nan,\n"
                                     "length,-3,\n"
                                     "event,30,PastTheEnd,\n"  // skipped once the length is known
                                     "event,x,Bad,\n"
                                     "event,1,,\n"
                                     "event,1," + std::string(64, 'n') + ",\n"
                                     "colour,red,\n"
                                     "length,10,11,\n",
                                     &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(anim.GetLength(), 30u);
    EXPECT_EQ(anim.GetFrameRate(), 24);
    EXPECT_FLOAT_EQ(anim.GetAnimSpeed(), 1.5f);
    EXPECT_FLOAT_EQ(anim.GetMotionSpeed(), 2.0f);
    ASSERT_EQ(anim.GetEvents().size(), 2u);
    EXPECT_STREQ(anim.GetEvents()[0].name.c_str(), "LeftFoot");   // by frame
    EXPECT_EQ(anim.GetEvents()[1].frame, 20);
    EXPECT_EQ(log.Lines().size(), 10u);

    ParsedAnim("frameRate,30,\n", &ok);
    EXPECT_FALSE(ok);
    const std::string huge(GraphicsAnim::kMaxFileBytes + 1, '#');
    ParsedAnim(huge, &ok);
    EXPECT_FALSE(ok);
    std::string manyEvents = "length,10,\n";
    for (size_t i = 0; i <= GraphicsAnim::kMaxEvents; ++i)
        manyEvents += "event,1,E,\n";
    EXPECT_EQ(ParsedAnim(manyEvents).GetEvents().size(), GraphicsAnim::kMaxEvents);
}

TEST(GraphicsAnim, FramePoseWrapsWhenLoopingAndIsHeldOtherwise)
{
    const GraphicsAnim anim = ParsedAnim("length,30,\n");
    struct Case {
        int frame;
        bool loop;
        int expected;
    };
    for (const Case& c : {Case{31, true, 1}, Case{-1, true, 29}, Case{60, true, 0}, Case{31, false, 29},
                          Case{-5, false, 0}, Case{12, false, 12}}) {
        SkeletalPose pose;
        anim.GetFramePose(c.frame, c.loop, pose);
        EXPECT_EQ(pose.frame, c.expected) << c.frame << (c.loop ? " loop" : "");
        EXPECT_EQ(pose.animation, "test.anm");
    }
}

TEST(GraphicsEngine, SharesLoadsByNameAndFreesOnTheLastUnload)
{
    LogCapture log;
    Journal::Get().Clear();
    GraphicsEngine& graphics = *GraphicsEngine::Get();
    graphics.RegisterAnimation("Anims/Walk.anm", "length,12,\n");
    const size_t before = graphics.GetLoadedAnimationCount();

    GraphicsAnim* first = graphics.LoadAnimation("Anims/Walk.anm");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(graphics.LoadAnimation("anims\\WALK.anm"), first);
    GraphicsAnim* fallback = graphics.LoadAnimation(GraphicsAnim::GetDefaultName());
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->GetLength(), 1u);
    EXPECT_EQ(graphics.LoadAnimation(""), nullptr);
    EXPECT_EQ(graphics.LoadAnimation("Anims/Missing.anm"), nullptr);
    EXPECT_EQ(graphics.GetLoadedAnimationCount(), before + 2);

    graphics.UnloadAnimation(first);
    EXPECT_EQ(graphics.GetLoadedAnimationCount(), before + 2);
    graphics.UnloadAnimation(first);
    graphics.UnloadAnimation(fallback);
    EXPECT_EQ(graphics.GetLoadedAnimationCount(), before);
    EXPECT_EQ(log.Lines().size(), 1u);   // the missing file
    EXPECT_EQ(Journal::Get().Count("GraphicsEngine::LoadAnimation"), 3u);
    EXPECT_EQ(Journal::Get().Count("GraphicsEngine::UnloadAnimation"), 3u);
    std::vector<std::string> details;
    for (const JournalEntry& entry : Journal::Get().GetEntries())
        details.push_back(entry.detail);
    const std::string fallbackName = GraphicsAnim::GetDefaultName();
    EXPECT_EQ(details, (std::vector<std::string>{"Anims/Walk.anm (1 load)", "anims\\WALK.anm (2 loads)",
                                                 fallbackName + " (1 load)", "Anims/Walk.anm (1 loads left)",
                                                 "Anims/Walk.anm (0 loads left)", fallbackName + " (0 loads left)"}));
    graphics.ClearRegisteredAnimations();
}

TEST(Actor, PlaysOnChannelsSetsPosesAndJournalsEachCall)
{
    LogCapture log;
    Journal::Get().Clear();
    const GraphicsAnim anim = ParsedAnim("length,30,\n");
    Actor actor;
    actor.PlayAnimation(0, &anim, true, 1.25f, -40);
    actor.SetAnimationSpeedMultiplier(0, 2.0f);
    SkeletalPose pose;
    anim.GetFramePose(7, false, pose);
    actor.SetPose(pose);
    const AnimChannel* channel = actor.GetAnimationChannel(0);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->animation, "test.anm");
    EXPECT_TRUE(channel->loop);
    EXPECT_EQ(channel->blendMs, 0);
    EXPECT_EQ(channel->speedMultiplier, 2.0f);
    EXPECT_EQ(actor.GetPose().frame, 7);

    actor.PlayAnimation(Actor::kAnimationChannels, &anim, false, 1.0f, 0);
    actor.PlayAnimation(1, nullptr, false, 1.0f, 0);
    actor.SetAnimationSpeedMultiplier(-1, 1.0f);
    actor.SetAnimationSpeedMultiplier(0, std::numeric_limits<float>::infinity());
    EXPECT_EQ(log.Lines().size(), 4u);
    EXPECT_EQ(actor.GetAnimationChannel(0)->speedMultiplier, 2.0f);
    EXPECT_EQ(actor.GetAnimationChannel(Actor::kAnimationChannels), nullptr);
    EXPECT_EQ(Journal::Get().GetEntries().size(), 3u);
    EXPECT_EQ(Journal::Get().GetLast("Actor::SetPose").detail, "test.anm frame 7");

    // Only the newest entries are kept.
    for (size_t i = 0; i < Journal::kMaxEntries; ++i)
        actor.SetPose(pose);
    EXPECT_EQ(Journal::Get().GetEntries().size(), Journal::kMaxEntries);
    EXPECT_EQ(Journal::Get().Count("Actor::PlayAnimation"), 0u);
}

TEST(Journal, KeepsTheNewestEntriesInOrderThroughWrapsAndClears)
{
    Journal& journal = Journal::Get();
    journal.Clear();
    const size_t total = Journal::kMaxEntries + 5;
    for (size_t i = 0; i < total; ++i)
        journal.Record(i % 2 ? "Odd" : "Even", static_cast<uint32_t>(i), "entry %zu", i);
    std::vector<JournalEntry> entries = journal.GetEntries();
    ASSERT_EQ(entries.size(), Journal::kMaxEntries);
    for (size_t i = 0; i < entries.size(); ++i)
        ASSERT_EQ(entries[i].detail, "entry " + std::to_string(i + 5));
    EXPECT_EQ(journal.GetLast("Even").detail, "entry " + std::to_string(total - 1));
    EXPECT_EQ(journal.GetLast("Odd").detail, "entry " + std::to_string(total - 2));
    EXPECT_EQ(journal.Count("Odd"), Journal::kMaxEntries / 2);
    EXPECT_EQ(journal.Count("Odd", 3), 0u);   // written, then overwritten by newer ones
    EXPECT_EQ(journal.Count("Odd", static_cast<uint32_t>(total - 2)), 1u);

    // After a clear only what follows is kept, though the old slots are written over.
    journal.Clear();
    journal.Record("Short", 1, "%s", "a");
    journal.Record("Long", 2, "%s", std::string(300, 'x').c_str());   // cut to the detail's 255
    entries = journal.GetEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].call, "Short");
    EXPECT_EQ(entries[0].detail, "a");
    EXPECT_EQ(entries[1].detail, std::string(255, 'x'));
    journal.RecordText("Text", 3, std::string(300, 'y'));   // cut alike
    EXPECT_EQ(journal.GetLast("Text").detail, std::string(Journal::kMaxDetailLength, 'y'));
    EXPECT_EQ(journal.Count("Odd"), 0u);
    EXPECT_EQ(journal.GetLast("Even").call, "");
    journal.Clear();
}

TEST(Entity, AttachesAtAPointMovesBetweenParentsAndLetsGoWhenDestroyed)
{
    LogCapture log;
    ObjectManager& objects = ObjectManager::Get();
    auto* parent = static_cast<Entity*>(objects.CreateObject("Entity"));
    auto* other = static_cast<Entity*>(objects.CreateObject("Entity"));
    auto* child = static_cast<Entity*>(objects.CreateObject("Entity"));
    ASSERT_TRUE(parent && other && child);

    EXPECT_TRUE(parent->Attach(child, Coords(), Name::Create("R Hand")));
    EXPECT_TRUE(child->IsAttachedTo(parent));
    EXPECT_EQ(parent->GetAttachedEntity(0), child);
    EXPECT_EQ(parent->GetAttachedEntity(1), nullptr);
    EXPECT_EQ(parent->GetAttachedEntities()[0].attachPoint, Name::Create("R Hand"));

    EXPECT_TRUE(other->Attach(child, Coords(), Name()));   // taken from the first parent
    EXPECT_EQ(parent->GetNumAttachedEntities(), 0u);
    EXPECT_EQ(child->GetAttachParent(), other);

    EXPECT_TRUE(parent->Attach(other, Coords(), Name()));
    EXPECT_FALSE(child->Attach(parent, Coords(), Name()));   // its own grandparent
    EXPECT_FALSE(child->Attach(child, Coords(), Name()));
    EXPECT_FALSE(child->Attach(nullptr, Coords(), Name()));
    EXPECT_EQ(log.Lines().size(), 3u);
    EXPECT_FALSE(parent->Detach(child));

    objects.DestroyObjectEx(other, "test", __LINE__);
    EXPECT_EQ(parent->GetNumAttachedEntities(), 0u);
    EXPECT_EQ(child->GetAttachParent(), nullptr);
    objects.DestroyAllObjects();
}
