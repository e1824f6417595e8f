// The skill's services to its kinds: effects made once, end effects played once, the
// rag-doll push, target searches and the parameters of one attack.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/AnimationSet.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Team.h"
#include "Game/items/Weapon.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillProfile.h"
#include "Game/world/FxPak.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/PFxManager.h"
#include "Game/world/SpecialFX.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {

// Lets the tests set what an animation would have captured.
class RagDollSkill : public Skill {
    GAME_DECLARE_CLASS(RagDollSkill)

public:
    void Capture(const std::string& type, const std::string& direction)
    {
        m_ragDollEffectType = type;
        m_ragDollDirection = direction;
    }
    using Skill::ApplyBuffOtherEffects;
    using Skill::ApplyCastVisualEffects;
    using Skill::GetPetExtents;
    using Skill::PreLoadPet;
    Character* Pet() const { return m_pet; }
    Character* NextPet() const { return m_nextPet; }
};
GAME_IMPLEMENT_CLASS(RagDollSkill, Skill)

namespace {

class SkillEffectsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/Glow.dbr", "Class,EffectEntity,\n");
        records.RegisterRecord("Records/Test/Burst.dbr", "Class,FxPak,\n");
        user = Place(Make(std::string("swipeSound,") + kSound + ",\n"));
        owner.parent = user;
    }
    RagDollSkill* MakeSkill(const std::string& lines, unsigned level = 1)
    {
        const std::string name = "Records/Test/Skill" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(
            name, "Class,RagDollSkill,\nskillMaxLevel,5,\nskillUltimateLevel,5,\n" + lines);
        auto* skill = ObjectManager::Get().CreateObjectFromFile<RagDollSkill>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(level);
        }
        return skill;
    }
    size_t FxPaksInWorld() const
    {
        struct IsPak : FilterFunction<Entity> {
            bool operator()(const Entity* entity) const override { return entity->IsA<FxPak>(); }
        };
        std::vector<Entity*> found;
        World::Get().GetEntities(found, IsPak(), EntityList_All);
        return found.size();
    }
    // Puts the user on the players' side; its team.
    Team UserAmongPlayers()
    {
        Team players;
        players.Set(kTeamMajorHuman, 1);
        user->SetTeam(players);
        return players;
    }
    Character* Member(float x, uint32_t major)
    {
        return OnTeam(major, x);
    }

    FakeOwner owner;
    Character* user = nullptr;
    int skills = 0;
};

TEST_F(SkillEffectsTest, EffectsOnTheUserAreMadeOnceAndTheCastEffectIsRemoved)
{
    RagDollSkill* skill = MakeSkill("particleEffectName1,Records/Test/Glow.dbr,\nparticleEffectAttachPoint1,R Hand,\n"
                                    "skillCastAuraName,Records/Test/Glow.dbr,\n");
    ASSERT_NE(skill, nullptr);
    PFxManager& effects = user->GetPFxManager();
    skill->ParticleEffect1(*user, true);
    skill->ParticleEffect1(*user, true);
    ASSERT_EQ(effects.GetParticleEffectCount(), 1u);
    skill->ParticleEffect1(*user, false);
    skill->ParticleEffect1(*user, true);
    EXPECT_EQ(effects.GetParticleEffectCount(), 1u);   // started again, not made again
    skill->ParticleEffect2(*user, true);                // no record: nothing
    EXPECT_EQ(effects.GetParticleEffectCount(), 1u);

    skill->ApplyCastVisualEffects(*user, true);
    ASSERT_EQ(effects.GetParticleEffectCount(), 2u);
    skill->ApplyCastVisualEffects(*user, false);
    skill->ApplyCastVisualEffects(*user, true);   // removed, so made anew
    EXPECT_EQ(effects.GetParticleEffectCount(), 3u);
}

TEST_F(SkillEffectsTest, TheEndOfABuffOnOthersPlaysItsPackOnceAndPacksLeaveAfterOneFrame)
{
    RagDollSkill* skill = MakeSkill("endBuffOtherNames,Records/Test/Burst.dbr,\ncharFxPakOtherNames,Pak.dbr,\n"
                                    "weaponEnchantment,Frost.dbr,\ntargetFxPakName,Records/Test/Glow.dbr,\n");
    ASSERT_NE(skill, nullptr);
    skill->ApplyBuffOtherEffects(*user, true);
    EXPECT_EQ(owner.packs, std::vector<std::string>{"Pak.dbr"});
    EXPECT_EQ(owner.enchantment, "Frost.dbr");
    skill->ApplyBuffOtherEffects(*user, false);   // places the end effect
    EXPECT_TRUE(owner.packs.empty());
    EXPECT_TRUE(owner.enchantment.empty());
    skill->CreateEndBuffOtherFx(user->GetCoords());
    EXPECT_EQ(FxPaksInWorld(), 1u);
    skill->CreateTargetFx(user->GetCoords());   // an effect entity is no pack: destroyed
    EXPECT_EQ(FxPaksInWorld(), 1u);
    const size_t objects = ObjectManager::Get().GetObjectCount();
    Frame();
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(FxPaksInWorld(), 0u);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects - 1);
}

TEST_F(SkillEffectsTest, TheRagDollPushIsUnitOrZeroAndNeverNotANumber)
{
    RagDollSkill* skill = MakeSkill("ragDollEffect,Crumple,\nragDollDirection,Push,\nragDollElevation,Upward,\n"
                                    "ragDollAmplification,2;4,\n",
                                    2);
    ASSERT_NE(skill, nullptr);
    const WorldCoords from = user->GetCoords();
    CharacterRagDoll::EffectData data;
    data.speed = 7.0f;
    // Coincident points: the push has no direction, only the elevation stays.
    skill->Capture("TakeHit", "Push");
    skill->InitRagDollData(data, from, from);
    EXPECT_EQ(data.effect, CharacterRagDoll::TakeHit);
    EXPECT_EQ(data.direction.x, 0.0f);
    EXPECT_FLOAT_EQ(data.direction.y, 1.0f);
    EXPECT_EQ(data.amplification, 4.0f);
    EXPECT_EQ(data.speed, 7.0f);   // left as given

    // Pushed along x from captured and profile data alike, plus the lift.
    Coords away = from.GetRegionCoords();
    away.origin.x += 5.0f;
    skill->InitRagDollData(data, from, WorldCoords(region, away));
    EXPECT_TRUE(std::isfinite(data.direction.x) && std::isfinite(data.direction.y));
    EXPECT_NEAR(data.direction.Length(), 1.0f, 1e-5f);
    EXPECT_NEAR(data.direction.x / data.direction.y, 2.0f / 3.0f, 1e-5f);

    // An animation that knocks its victim back is captured when the skill plays it.
    GraphicsEngine::Get()->RegisterAnimation("Knock.anm", "length,10,\nragDollEffectType,TakeHit,\n"
                                                          "ragDollDirection,Pull,\nragDollPush,Sideways,\n");
    Character* brute = Place(Make("unarmedAttackAnim1,Knock.anm,\nunarmedAttackAnimWeight1,100,\n"), 3.0f);
    skill->Capture("", "");
    ASSERT_TRUE(skill->StartNormalAnimation(*brute, AnimationSet_Attack, Name(), 1.0f, false, 0));
    skill->InitRagDollData(data, from, WorldCoords(region, away));
    EXPECT_EQ(data.effect, CharacterRagDoll::TakeHit);
    EXPECT_NEAR(data.direction.y, 1.0f, 1e-5f);   // the pull cancels the profile's push

    // Without a captured hit the profile's word decides; nothing at all gives no push.
    skill->Capture("", "");
    skill->InitRagDollData(data, from, from);
    EXPECT_EQ(data.effect, CharacterRagDoll::Crumple);
    RagDollSkill* bare = MakeSkill("");
    bare->InitRagDollData(data, from, from);
    EXPECT_EQ(data.direction.LengthSquared(), 0.0f);
    EXPECT_EQ(data.effect, CharacterRagDoll::Random);
}

TEST_F(SkillEffectsTest, HitEventsGiveTheirAttachPointsAndSwipesTheHandsWeapon)
{
    RagDollSkill* skill = MakeSkill("");
    ASSERT_NE(skill, nullptr);
    user->SetAttachPoint(Name::Create("R Hand"), Vec3(0.5f, 1.0f, 0.0f));
    const WorldCoords hand = skill->GetCoordsFromCallback(*user, Name::Create("RightHandHit"));
    EXPECT_EQ(hand.GetPosition(), user->GetAttachPointPosition(Name::Create("R Hand")));
    EXPECT_EQ(skill->GetCoordsFromCallback(*user, Name::Create("Footstep")).GetPosition(),
              user->GetCoords().GetPosition());

    RecordDatabase::Get().RegisterRecord("Records/Test/Sword.dbr",
                                         std::string("Class,WeaponMelee_Sword,\nswipeSound,") + kSound + ",\n");
    auto* sword = ObjectManager::Get().CreateObjectFromFile<Weapon>("Records/Test/Sword.dbr");
    ASSERT_TRUE(sword && sword->GetSwipeSound() && user->GetSwipeSound());
    owner.rightWeapon = sword->GetObjectId();
    skill->PlayWeaponSwipeSound(*user, Name::Create("SwipeRight"));
    skill->PlayWeaponSwipeSound(*user, Name::Create("SwipeLeft"));   // empty hand: the arm's swipe
    skill->PlayWeaponSwipeSound(*user, Name::Create("Footstep"));    // nothing
    EXPECT_EQ(sword->GetSwipeSound()->GetPlayCount(), 1u);
    EXPECT_EQ(user->GetSwipeSound()->GetPlayCount(), 1u);
    sword->EnableWeaponTrail();
    skill->Cancel(*user);
    EXPECT_FALSE(sword->IsWeaponTrailOn());
}

TEST_F(SkillEffectsTest, FriendAndFoeSearchesKeepToTheirSide)
{
    UserAmongPlayers();
    Character* foe = Member(3.0f, kTeamMajorMonster);
    Frame();
    RagDollSkill* skill = MakeSkill("");
    ASSERT_NE(skill, nullptr);

    unsigned target = 0;
    EXPECT_TRUE(skill->GetValidFriendTarget(*user, target, At(0.0f), true, 5.0f));
    EXPECT_EQ(target, user->GetObjectId());   // alone: the user itself
    Character* ally = Member(2.0f, kTeamMajorHuman);
    Frame();
    target = 0;
    EXPECT_TRUE(skill->GetValidFriendTarget(*user, target, At(0.0f), true, 5.0f));
    EXPECT_EQ(target, ally->GetObjectId());
    target = foe->GetObjectId();
    EXPECT_FALSE(skill->GetValidFriendTarget(*user, target, At(0.0f), true, 5.0f));
    EXPECT_EQ(target, 0u);

    target = 0;
    EXPECT_TRUE(skill->GetValidRangedTarget(*user, target, At(50.0f), false, 5.0f));   // nobody there
    EXPECT_EQ(target, 0u);
    EXPECT_TRUE(skill->GetValidMeleeTarget(*user, target, At(50.0f), true, 5.0f, false));
    EXPECT_EQ(target, foe->GetObjectId());
    target = ally->GetObjectId();
    EXPECT_FALSE(skill->GetValidRangedTarget(*user, target, At(0.0f), false, 5.0f));

    // The gap between the bodies counts, not the distance between their centres.
    const float gap = 3.0f - user->GetExtents() - foe->GetExtents();
    EXPECT_TRUE(skill->IsTargetInRange(*user, foe->GetObjectId(), gap));
    EXPECT_FALSE(skill->IsTargetInRange(*user, foe->GetObjectId(), gap - 0.01f));
    EXPECT_FALSE(skill->IsTargetInRange(*user, 0, 100.0f));
}

TEST_F(SkillEffectsTest, ARacialBonusRaisesThePercentAndIsLoggedInOrder)
{
    gLogCombat = gEngine->RegisterLogChannel("Combat");
    RagDollSkill* skill = MakeSkill("racialBonusRace,Beast,\nracialBonusPercentDamage,15,\n"
                                    "racialBonusAbsoluteDamage,4,\n");
    Character* beast = Make("characterRacialProfile,Beast,\n");
    ASSERT_TRUE(skill && beast);
    beast->SetRace({"Beast"});
    for (float percent : {0.0f, 80.0f}) {
        RandomUniform random;
        ParametersCombat params(random);
        LogCapture log;
        skill->CollectCombatParameters(*user, beast, ParametersCombatStyle::Projectile, false, 0, params, percent);
        char expected[64];
        std::snprintf(expected, sizeof expected, "^bRacial Bonus Damage Percent %f", percent == 0.0f ? 115.0 : 95.0);
        std::vector<std::string> lines;
        for (const LogLine& line : log.Lines())
            if (line.channel == gLogCombat)
                lines.push_back(line.text);
        EXPECT_EQ(lines, (std::vector<std::string>{expected, "^bRacial Bonus Damage Absolute 4.000000"}));
        EXPECT_EQ(params.racialBonusDamage, 4.0f);
        EXPECT_EQ(params.attackerId, user->GetObjectId());
        EXPECT_EQ(params.combatType, ParametersCombatStyle::Projectile);
    }
    // Without a defender there is no racial step.
    RandomUniform random;
    ParametersCombat params(random);
    LogCapture log;
    skill->CollectCombatParameters(*user, nullptr, ParametersCombatStyle::Probability, true, 0, params, 0.0f);
    EXPECT_EQ(params.racialBonusDamage, 0.0f);
    gLogCombat = 0;
}

TEST_F(SkillEffectsTest, PetsForTheDescriptionAreReplacedAndSharedWhenTheRecordRepeats)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Wolf.dbr", "Class,Monster,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Bear.dbr", "Class,Monster,\n");
    RagDollSkill* skill = MakeSkill("spawnObjects,Records/Test/Wolf.dbr;Records/Test/Wolf.dbr;Records/Test/Bear.dbr,\n");
    ASSERT_NE(skill, nullptr);
    EXPECT_EQ(skill->GetPetExtents(), 2.0f);
    skill->PreLoadPet();
    ASSERT_NE(skill->Pet(), nullptr);
    EXPECT_EQ(skill->NextPet(), nullptr);   // level 2 has the same record
    EXPECT_EQ(owner.pets.size(), 1u);
    EXPECT_EQ(skill->GetPetExtents(), skill->Pet()->GetExtents() + 2.0f);
    skill->SetSkillLevel(2);
    skill->PreLoadPet();
    ASSERT_NE(skill->NextPet(), nullptr);
    EXPECT_EQ(owner.pets.size(), 2u);   // the old pet went back, two new came
}

TEST_F(SkillEffectsTest, ProjectilesGetTheSkillsAndItsModifiersContributionsOnlyAtALevel)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/Bolt.dbr", "Class,ProjectileBase,\n");
    records.RegisterRecord("Records/Test/Splinter.dbr",
                           "Class,Skill_ProjectileModifier,\nskillMaxLevel,3,\nprojectileExplosionRadius,4,\n");
    RagDollSkill* skill = MakeSkill("explosionRadius,1,\nprojectileExplosionRadius,2,\nprojectilePiercing,10,\n"
                                    "projectilePiercingChance,5,\nprojectileFragmentsName,Records/Test/Bolt.dbr,\n"
                                    "projectileFragmentsLaunchNumberMin,2,\nprojectileFragmentsLaunchNumberMax,900,\n",
                                    0);
    auto* splinter = ObjectManager::Get().CreateObjectFromFile<Skill_ProjectileModifier>("Records/Test/Splinter.dbr");
    ASSERT_TRUE(skill && splinter);
    splinter->SetSkillLevel(1);
    skill->AddModifier(splinter->GetObjectId());

    auto* bolt = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>("Records/Test/Bolt.dbr");
    ASSERT_NE(bolt, nullptr);
    skill->AddProjectileModifier(bolt);
    EXPECT_TRUE(bolt->GetModifiers().empty());   // level 0: neither the skill nor its modifier

    skill->SetSkillLevel(1);
    skill->AddProjectileModifier(bolt);
    ASSERT_EQ(bolt->GetModifiers().size(), 2u);
    const ProjectileBase::ProjectileModifierStruct& own = bolt->GetModifiers()[0]->modifier;
    EXPECT_EQ(own.skillId, skill->GetObjectId());
    EXPECT_EQ(own.explosionRadius, 3.0f);
    EXPECT_EQ(own.fragmentProjectile, "Records/Test/Bolt.dbr");
    EXPECT_EQ(own.fragmentsMin, 2u);
    EXPECT_EQ(own.fragmentsMax, SkillProfile_ProjectileModifiers::kMaxFragments);   // a careless 900 is cut
    EXPECT_EQ(own.piercingChance, 15.0f);
    EXPECT_EQ(bolt->GetModifiers()[1]->modifier.skillId, splinter->GetObjectId());
    EXPECT_EQ(bolt->GetModifiers()[1]->modifier.explosionRadius, 4.0f);
}

// What a projectile modifier's explosion finds goes out from the launch place with the
// projectile's weapon, and every peer turns it into a seeded projectile attack of the
// modifier's own damage; its impact pack shows at the impact, hits or not. The
// modifier's damage never joins the parent skill's.
TEST_F(SkillEffectsTest, AModifiedProjectilesHitBecomesTheModifiersOwnProjectileAttack)
{
    gLogCombat = gEngine->RegisterLogChannel("Combat");
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/Bolt.dbr", "Class,ProjectileBase,\n");
    records.RegisterRecord("Records/Test/Shrapnel.dbr",
                           "Class,Skill_ProjectileModifier,\nskillMaxLevel,3,\nprojectileExplosionRadius,4,\n"
                           "offensivePhysicalMin,30,\noffensivePhysicalMax,30,\n"
                           "projModImpactFxPakName,Records/Test/Burst.dbr,\n");
    const Team players = UserAmongPlayers();
    Character* foe = Member(10.0f, kTeamMajorMonster);
    Frame();
    RagDollSkill* skill = MakeSkill("");
    auto* shrapnel = ObjectManager::Get().CreateObjectFromFile<Skill_ProjectileModifier>("Records/Test/Shrapnel.dbr");
    ASSERT_TRUE(skill && shrapnel);
    EXPECT_EQ(shrapnel->GetKindText(), "^bSkill Projectile Modifier");
    shrapnel->SetManager(&owner);
    shrapnel->SetSkillLevel(1);
    skill->AddModifier(shrapnel->GetObjectId());
    CombatAttributeAccumulator parentDamage;
    skill->CollectLocalOffensiveDamageAttributes(parentDamage);
    EXPECT_TRUE(parentDamage.IsEmpty());

    auto* bolt = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>("Records/Test/Bolt.dbr");
    ASSERT_NE(bolt, nullptr);
    ProjectileInfo info;
    info.skillId = skill->GetObjectId();
    info.casterId = user->GetObjectId();
    info.launchCoords = user->GetCoords();
    info.passOnValue = 71;   // the weapon that loosed it
    info.team = players;
    bolt->LoadInfo(info, 7);
    skill->AddProjectileModifier(bolt);
    const size_t paks = FxPaksInWorld();
    EXPECT_TRUE(bolt->ProcessExplosion(true, foe->GetCoords()));   // a peer that does not drive it
    EXPECT_TRUE(owner.results.empty());
    EXPECT_EQ(FxPaksInWorld(), paks + 1);
    owner.services = &owner;
    bolt->ProcessExplosion(true, WorldCoords(region, Coords::MakeTranslation({40, 0, 0})));   // the impact alone
    EXPECT_TRUE(owner.results.empty());
    EXPECT_EQ(FxPaksInWorld(), paks + 2);

    owner.IncHitIteration();
    bolt->ProcessExplosion(true, foe->GetCoords());
    ASSERT_EQ(owner.results.size(), 1u);
    const FakeOwner::Result sent = owner.results[0];
    EXPECT_EQ(sent.skillId, shrapnel->GetObjectId());
    EXPECT_EQ(sent.targets, std::vector<uint32_t>{foe->GetObjectId()});
    EXPECT_EQ(sent.coords.GetPosition(), user->GetCoords().GetPosition());
    EXPECT_EQ(sent.value, 71u);
    EXPECT_FALSE(sent.melee);
    EXPECT_EQ(owner.GetHitIteration(), 0u);
    EXPECT_EQ(FxPaksInWorld(), paks + 3);

    const float life = foe->GetCurrentLife();
    LogCapture log;
    shrapnel->TargetResult(*user, sent.targets, sent.coords, sent.seed, sent.value, false);
    EXPECT_FLOAT_EQ(foe->GetCurrentLife(), life - 30.0f);
    size_t projectileAttacks = 0;
    for (const LogLine& line : log.Lines())
        if (line.channel == gLogCombat && line.text.find("combatType = Projectile Attack") != std::string::npos)
            ++projectileAttacks;
    EXPECT_EQ(projectileAttacks, 1u);
    shrapnel->TargetResult(*user, {}, sent.coords, sent.seed, sent.value, false);
    EXPECT_FLOAT_EQ(foe->GetCurrentLife(), life - 30.0f);
    gLogCombat = 0;
}

TEST_F(SkillEffectsTest, AnOwnedEffectIsLeftInTheWorldOnlyWhileItStillShows)
{
    const size_t objects = ObjectManager::Get().GetObjectCount();
    {
        SpecialFX trail;
        trail.LoadFX("Records/Test/Burst.dbr");   // a pack is no effect entity
        EXPECT_EQ(trail.GetEffect(), nullptr);
        trail.LoadFX("Records/Test/Glow.dbr");
        ASSERT_NE(trail.GetEffect(), nullptr);
        trail.StartFx();
        EffectEntity* effect = trail.GetEffect();
        EXPECT_TRUE(effect->IsEmitting());
        trail.ReleaseFx(user->GetCoords());   // still showing: left in the world
        EXPECT_EQ(trail.GetEffect(), nullptr);
        EXPECT_TRUE(effect->IsInWorld() && effect->IsSelfDeleting());
        ObjectManager::Get().DestroyObjectEx(effect, "test", __LINE__);

        trail.LoadFX("Records/Test/Glow.dbr");
        trail.StartFx();
        trail.StopFx();
        trail.ReleaseFx(user->GetCoords());   // nothing left to show: destroyed
        EXPECT_EQ(trail.GetEffect(), nullptr);
        trail.LoadFX("Records/Test/Glow.dbr");   // the holder destroys what it still holds
    }
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects);
}

}  // namespace
}  // namespace GAME
