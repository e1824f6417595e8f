// A bare-hand attack through the world's frame: its animation plays at the attacker's
// attack speed, and an attacker without one still lands its blow.
#include <string>

#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/CharacterActions.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

class FightAttackSpeed : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        arena = World::Get().AddRegion(1, "Arena");
        // One second at full speed; the blow lands half way.
        GraphicsEngine::Get()->RegisterAnimation("FightSwing.anm", "length,30,\nframeRate,30,\nevent,15,Hit,\n");
    }
    void TearDown() override
    {
        GraphicsEngine::Get()->ClearRegisteredAnimations();
        EngineTest::TearDown();
    }
    Character* Place(const std::string& text, float x)
    {
        const std::string name = "Records/Test/Fight" + std::to_string(++records) + ".dbr";
        RecordDatabase::Get().RegisterRecord(
            name, "Class,Character,\nunarmedAttackAnim1,FightSwing.anm,\nunarmedAttackAnimWeight1,100,\n"
                  "characterLife,100,\n" + text);
        auto* character = ObjectManager::Get().CreateObjectFromFile<Character>(name);
        Coords at;
        at.origin = Vec3{x, 0.0f, 0.0f};
        World::Get().AddEntity(character, WorldCoords(arena, at));
        return character;
    }
    // Hands the attacker a bare-hand attack on the target; the frames of 100 ms until
    // the target has taken the blow (-1 when it never comes).
    int FramesToBlow(Character& attacker, Character& target)
    {
        const uint32_t before = target.GetPlayStats().GetHitsReceived();
        attacker.GetActionHandler()->Execute(new AttackAction(attacker.GetObjectId(), target.GetObjectId(),
                                                              target.GetCoords().GetPosition(), 0, 7, {}));
        for (int frame = 1; frame <= 100; ++frame) {
            gEngine->UpdateFrame(100);
            if (target.GetPlayStats().GetHitsReceived() != before)
                return frame;
        }
        return -1;
    }

    Region* arena = nullptr;
    int records = 0;
};

TEST_F(FightAttackSpeed, FightTheAttackPlaysAtTheAttackSpeedAndNeverStops)
{
    Character* quick = Place("characterAttackSpeed,2.0,\n", 0.0f);
    Character* still = Place("", 1.0f);   // no attack speed in its record: 0
    Character* target = Place("", 2.0f);
    gEngine->UpdateFrame(16);
    ASSERT_FLOAT_EQ(quick->GetAttackSpeed(), 2.0f);
    ASSERT_EQ(still->GetAttackSpeed(), 0.0f);

    // Half a second at twice the speed: the blow lands in the third frame of 100 ms.
    EXPECT_EQ(FramesToBlow(*quick, *target), 3);
    EXPECT_FLOAT_EQ(quick->GetAnimationChannel(0)->speed, 2.0f);
    // A speed update during the attack keeps the speed: it does not compound.
    quick->GetActionHandler()->Execute(new AttackAction(quick->GetObjectId(), target->GetObjectId(),
                                                        target->GetCoords().GetPosition(), 0, 7, {}));
    quick->ForceSpeedUpdate();
    const AnimChannel* swing = quick->GetAnimationChannel(0);
    EXPECT_FLOAT_EQ(swing->speed * swing->speedMultiplier, 2.0f);
    quick->GetActionHandler()->Stop();

    // Without an attack speed the animation plays at the slowest speed: the blow lands
    // after 2.5 s.
    EXPECT_EQ(FramesToBlow(*still, *target), 25);
    EXPECT_FLOAT_EQ(still->GetAnimationChannel(0)->speed, SkillManager::kMinAttackAnimationSpeed);
    // A speed update during its attack does not stop it either.
    gEngine->UpdateFrame(3000);
    still->GetActionHandler()->Execute(new AttackAction(still->GetObjectId(), target->GetObjectId(),
                                                        target->GetCoords().GetPosition(), 0, 7, {}));
    ASSERT_EQ(still->GetActionState(), Character_ActionState_Attack);
    still->ForceSpeedUpdate();
    EXPECT_FLOAT_EQ(still->GetAnimationChannel(0)->speedMultiplier, SkillManager::kMinAttackAnimationSpeed);
}

}  // namespace

}  // namespace GAME
