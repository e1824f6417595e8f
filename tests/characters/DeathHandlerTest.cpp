// The death handlers the record chooses, driven through a real death: the die action,
// the character's frames, and the body's removal (a handler destroys the character while
// its own update runs: ASan proves the frame stays on live memory).
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Monster.h"
#include "Game/characters/DeathHandlers.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

class DeathHandlerTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(kLight, "Class,Light,\n");
        RecordDatabase::Get().RegisterRecord(kEffect, "Class,EffectEntity,\n");
        RecordDatabase::Get().RegisterRecord(kSpawn, "Class,Monster,\ncharacterLife,100,\n");
        RecordDatabase::Get().RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerAI,\n");
    }
    // Placed, and through its first update (its handlers chosen).
    Character* Doomed(const std::string& keys)
    {
        Character* character = Place(Make(keys));
        Frame();
        return character;
    }
    void Die(Character* character, const std::vector<uint32_t>& ids = {})
    {
        character->GetActionHandler()->Execute(new DieAction(character->GetObjectId(), ids));
    }
    template <class T>
    T* Handler(Character* character, size_t index)
    {
        return dynamic_cast<T*>(character->GetDeathManager()->GetHandler(index));
    }
    bool Gone(uint32_t id) const { return ObjectManager::Get().GetObject(id) == nullptr; }

    static constexpr const char* kLight = "Records/Test/DissolveLight.dbr";
    static constexpr const char* kEffect = "Records/Test/DissolveEffect.dbr";
    static constexpr const char* kSpawn = "Records/Test/Spawned.dbr";
};

TEST_F(DeathHandlerTest, RecordChoosesTheKindsInOrder)
{
    Character* character = Doomed(std::string("deleteBehavior,Fade,\nactorToSpawnOnDeath,") + kSpawn +
                                  ",\nactorToSpawnForMyBones," + kSpawn + ",\ndeathEffect," + kEffect + ",\n");
    DeathManager& manager = *character->GetDeathManager();
    ASSERT_EQ(manager.GetHandlerCount(), 5u);
    EXPECT_TRUE(Handler<DefaultDeathHandler>(character, 0));
    EXPECT_TRUE(Handler<FadeActorDeathHandler>(character, 1));
    EXPECT_TRUE(Handler<SpawnActorDeathHandler>(character, 2));
    EXPECT_TRUE(Handler<SpawnMyBonesDeathHandler>(character, 3));
    EXPECT_TRUE(Handler<PlayEffectDeathHandler>(character, 4));
    manager.ChooseHandlers();   // chosen once
    EXPECT_EQ(manager.GetHandlerCount(), 5u);
    std::vector<uint32_t> ids;
    manager.GetObjectIdRequests(ids);
    EXPECT_EQ(ids.size(), 2u);
    EXPECT_EQ(Doomed("deleteBehavior,Vanish,\n")->GetDeathManager()->GetHandlerCount(), 1u);
}

// "Delete" never dissolves; it waits for "End" or "PhysicsComplete" (the death animation
// cannot play: the default handler is done at once), then the body leaves and is freed.
TEST_F(DeathHandlerTest, DeleteEndsOnEndOrPhysicsCompleteAndRemovesTheBody)
{
    for (const char* event : {"End", "PhysicsComplete"}) {
        Character* character = Doomed("deleteBehavior,Delete,\ndissolveTime,1,\n");
        const uint32_t id = character->GetObjectId();
        Die(character);
        EXPECT_TRUE(Handler<DefaultDeathHandler>(character, 0)->IsFinished());
        Frame();
        Frame();
        EXPECT_FALSE(character->GetMeshInstance().IsDissolving());
        EXPECT_TRUE(character->IsInWorld());
        if (std::string(event) == "End")
            character->GetDeathManager()->AnimationCallback(Name(event));
        else
            character->GetDeathManager()->ExternalEvent(Name(event));
        Frame();
        EXPECT_TRUE(Gone(id)) << event;
        EXPECT_EQ(World::Get().GetEntityCount(), 0u);
    }
}

TEST_F(DeathHandlerTest, DefaultPlaysTheDeathAnimationUntilItsEnd)
{
    Character* character = Doomed(std::string("unarmedDieAnim1,Swing.anm,\nunarmedDieAnimWeight1,100,\ndeathEffect,") +
                                  kEffect + ",\n");
    Die(character);
    auto* handler = Handler<DefaultDeathHandler>(character, 0);
    EXPECT_FALSE(handler->IsFinished());
    auto* play = Handler<PlayEffectDeathHandler>(character, 1);
    EXPECT_TRUE(play->IsFinished());
    auto* effect = ObjectManager::Get().GetObject<EffectEntity>(play->GetEffectId());
    ASSERT_TRUE(effect);
    EXPECT_TRUE(effect->IsAttachedTo(character));
    EXPECT_TRUE(effect->IsEmitting());
    EXPECT_EQ(character->GetAnimationChannel(0)->animation, "Swing.anm");
    EXPECT_FALSE(character->GetAnimationChannel(0)->loop);
    character->GetDeathManager()->AnimationCallback(Name("End"));
    EXPECT_TRUE(handler->IsFinished());
    EXPECT_FALSE(effect->IsEmitting());   // the body's effects stop with the death
}

TEST_F(DeathHandlerTest, FadeOfNoTimeEndsOnTheFirstUpdate)
{
    Character* character = Doomed("deleteBehavior,Fade,\ndissolveTime,0,\n");
    const uint32_t id = character->GetObjectId();
    Die(character);
    Frame();
    EXPECT_TRUE(Gone(id));
}

TEST_F(DeathHandlerTest, FadeDarkensTheTintOverTheDissolveTime)
{
    Character* character = Doomed("deleteBehavior,Fade,\ndissolveTime,1,\n");
    character->SetTintColor(Color{0.8f, 0.6f, 0.4f, 0.5f});
    auto* fade = Handler<FadeActorDeathHandler>(character, 1);
    fade->Execute();
    fade->Update(250);
    const Color& tint = character->GetTintColor();
    EXPECT_FLOAT_EQ(tint.red, 0.6f);
    EXPECT_FLOAT_EQ(tint.green, 0.45f);
    EXPECT_FLOAT_EQ(tint.blue, 0.3f);
    EXPECT_EQ(tint.alpha, 1.0f);
    EXPECT_FALSE(fade->IsFinished());
    fade->Update(800);   // past the end: black, and done
    EXPECT_EQ(character->GetTintColor(), (Color{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_TRUE(fade->IsFinished());
}

TEST_F(DeathHandlerTest, DissolveLightShrinksAndIsDestroyedAtTheEnd)
{
    Character* character = Doomed(std::string("deleteBehavior,Dissolve,\ndissolveTime,1,\ndissolveColorR,255,\n"
                                              "dissolveLight,") + kLight + ",\ndissolveEffect," + kEffect + ",\n");
    const uint32_t id = character->GetObjectId();
    Die(character);
    auto* dissolve = Handler<DissolveActorDeathHandler>(character, 1);
    EXPECT_TRUE(character->GetMeshInstance().IsDissolving());
    EXPECT_EQ(character->GetMeshInstance().GetDissolveColor().red, 255.0f);
    auto* light = ObjectManager::Get().GetObject<Light>(dissolve->GetDissolveLightId());
    ASSERT_TRUE(light);
    EXPECT_TRUE(light->IsAttachedTo(character));
    EXPECT_EQ(light->GetRadius(), 10.0f);
    dissolve->Update(200);
    EXPECT_FLOAT_EQ(light->GetRadius(), 9.0f);
    character->GetDeathManager()->ExternalEvent(Name("PhysicsComplete"));
    EXPECT_FALSE(dissolve->IsFinished());   // "Dissolve" waits for its own end
    const uint32_t lightId = dissolve->GetDissolveLightId();
    const uint32_t effectId = dissolve->GetDissolveEffectId();
    character->GetDeathManager()->AnimationCallback(Name("End"));
    EXPECT_TRUE(dissolve->IsFinished());
    auto* effect = ObjectManager::Get().GetObject<EffectEntity>(effectId);
    ASSERT_TRUE(effect);   // left in the world where the body lay, no longer emitting
    EXPECT_TRUE(effect->IsInWorld());
    EXPECT_FALSE(effect->IsEmitting());
    Frame();
    EXPECT_TRUE(Gone(lightId));
    EXPECT_TRUE(Gone(id));
    // Its particles end, and so does the effect, instead of staying in the world for good.
    for (int frame = 0; frame < 40 && !Gone(effectId); ++frame)
        Frame();
    EXPECT_TRUE(Gone(effectId));

    // Dissolved with the frames: done, and removed.
    Character* quick = Doomed("deleteBehavior,Dissolve,\ndissolveTime,0.03,\n");
    const uint32_t quickId = quick->GetObjectId();
    Die(quick);
    Frame();
    EXPECT_FALSE(Gone(quickId));
    Frame();
    Frame();
    EXPECT_TRUE(Gone(quickId));

    // A body destroyed in mid-dissolve takes its light along.
    Character* other = Doomed(std::string("deleteBehavior,Dissolve,\ndissolveTime,1,\ndissolveLight,") + kLight + ",\n");
    Die(other);
    const uint32_t otherLight = Handler<DissolveActorDeathHandler>(other, 1)->GetDissolveLightId();
    ASSERT_TRUE(ObjectManager::Get().GetObject(otherLight));
    other->DestroyMe();
    Frame();
    Frame();
    EXPECT_TRUE(Gone(otherLight));
}

// The ids come from a peer: handed out while there are some, extra ones ignored, and an
// id already taken spawns nothing and replaces nothing.
TEST_F(DeathHandlerTest, SpawnIdsFromThePeer)
{
    const std::string keys = std::string("actorToSpawnOnDeath,") + kSpawn + ",\nactorToSpawnForMyBones," + kSpawn +
                             ",\n";
    Character* first = Doomed(keys);
    const uint32_t spawnId = ObjectManager::Get().CreateObjectID();
    Die(first, {spawnId});   // the bones get none
    auto* spawned = ObjectManager::Get().GetObject<Character>(spawnId);
    ASSERT_TRUE(spawned);
    EXPECT_TRUE(spawned->IsInWorld());
    EXPECT_EQ(spawned->GetCoords().GetPosition(), first->GetCoords().GetPosition());
    EXPECT_EQ(Handler<SpawnMyBonesDeathHandler>(first, 2)->GetBonesId(), 0u);

    Character* second = Doomed(keys);
    const uint32_t bonesId = ObjectManager::Get().CreateObjectID();
    Die(second, {first->GetObjectId(), bonesId, 777777});
    EXPECT_EQ(ObjectManager::Get().GetObject(first->GetObjectId()), first);   // not replaced
    EXPECT_EQ(Handler<SpawnMyBonesDeathHandler>(second, 2)->GetBonesId(), bonesId);
    EXPECT_FALSE(ObjectManager::Get().GetObject(777777));
}

TEST_F(DeathHandlerTest, BonesAreSetLooseAtTheEndOrDestroyedWithTheirHandler)
{
    const std::string keys = std::string("actorToSpawnForMyBones,") + kSpawn + ",\n";
    Character* corpse = Doomed(keys);
    std::vector<uint32_t> ids;
    corpse->GetDeathManager()->GetObjectIdRequests(ids);
    Die(corpse, ids);
    auto* bones = ObjectManager::Get().GetObject<Monster>(ids[0]);
    ASSERT_TRUE(bones);
    EXPECT_TRUE(bones->IsAttachedTo(corpse));
    // Held, the bones have a stub for a mind; set loose, their own mind again, the stub gone.
    EXPECT_FALSE(bones->GetMonsterController());
    const uint32_t stubId = bones->GetControllerId();
    ASSERT_NE(stubId, 0u);
    corpse->SetScale(2.0f);
    corpse->GetDeathManager()->AnimationCallback(Name("End"));
    EXPECT_FALSE(bones->IsAttachedTo(corpse));
    EXPECT_TRUE(bones->IsInWorld());
    EXPECT_EQ(bones->GetCurrentScale(), 2.0f);
    ControllerMonster* mind = bones->GetMonsterController();
    ASSERT_TRUE(mind);
    EXPECT_EQ(mind->GetParentId(), bones->GetObjectId());
    Frame();
    EXPECT_TRUE(Gone(stubId));

    Character* early = Doomed(keys);
    early->GetDeathManager()->GetObjectIdRequests(ids);
    Die(early, ids);
    ASSERT_TRUE(ObjectManager::Get().GetObject(ids[0]));
    early->DestroyMe();   // before its "End"
    Frame();
    Frame();
    EXPECT_TRUE(Gone(ids[0]));
}

// The whole road of a body going limp: the death handler sets the rag-doll physics type,
// the character makes its rag doll from its mesh's rigid bodies, the engine starts it (the
// killing blow's velocities), and its settling ends the death.
class RagDollDeathTest : public DeathHandlerTest {
protected:
    void TearDown() override
    {
        GraphicsEngine::Get()->ClearMeshRigidBodies();
        GraphicsEngine::Get()->ClearPreLoadFrustum();
        DeathHandlerTest::TearDown();
    }
    Character* Limp(const std::string& keys)
    {
        GraphicsEngine::Get()->RegisterMeshRigidBodies(kMesh, {{0, 1}, {2, 3}});
        Character* character = Doomed(keys);
        character->SetMesh(kMesh);
        return character;
    }
    static CharacterRagDoll* RagDollOf(Character* character)
    {
        return dynamic_cast<CharacterRagDoll*>(character->GetPhysicsObject());
    }
    // Only x >= 100 of the region is about to be seen.
    void LookAway()
    {
        WorldFrustum frustum;
        frustum.region = region;
        frustum.planes.push_back(Plane{Vec3(1.0f, 0.0f, 0.0f), -100.0f});
        GraphicsEngine::Get()->SetPreLoadFrustum(frustum);
    }
    static constexpr const char* kMesh = "Meshes/Test/Limp.msh";
    static constexpr const char* kDieAnim = "unarmedDieAnim1,Swing.anm,\nunarmedDieAnimWeight1,100,\n";
};

TEST_F(RagDollDeathTest, DirectLimpThrownByTheBlowEndsWhenItSettles)
{
    Character* character = Limp(std::string("deleteBehavior,Delete,\n") + kDieAnim);
    const uint32_t id = character->GetObjectId();
    EXPECT_EQ(character->GetPhysicsType(), Character::kPhysicsTypeCharacter);
    EXPECT_FALSE(RagDollOf(character));   // standing: one rigid body
    CharacterRagDoll::EffectData blow;
    blow.effect = CharacterRagDoll::TakeHit;
    blow.direction = Vec3(1.0f, 0.0f, 0.0f);
    blow.speed = 20.0f;
    blow.amplification = 2.0f;
    character->SetRagdollData(blow, true);
    Die(character);

    EXPECT_EQ(character->GetPhysicsType(), CharacterRagDoll::kPhysicsType);
    CharacterRagDoll* limp = RagDollOf(character);
    ASSERT_TRUE(limp);
    ASSERT_EQ(limp->GetNumRigidBodies(), 2u);
    EXPECT_TRUE(limp->IsEnabled());
    for (size_t body = 0; body < 2; ++body)
        EXPECT_NEAR(limp->GetLinearVelocity(body).y, 3.996f, 1e-4f);   // thrown by the blow
    const AnimChannel* body = character->GetAnimationChannel(0);
    EXPECT_TRUE(!body || body->animation != "Swing.anm");   // no death animation
    Frame();
    EXPECT_TRUE(character->IsInWorld());   // waits for the body to settle
    limp->Settle();
    EXPECT_TRUE(Handler<DefaultDeathHandler>(character, 0)->IsFinished());
    Frame();
    EXPECT_TRUE(Gone(id));
}

// A late crumple plays the death animation and goes limp at its "ragDoll" event, with the
// still crumple data; a respawned body goes limp again on its next death.
TEST_F(RagDollDeathTest, LateCrumpleGoesLimpOnItsEventAndAgainAfterRespawn)
{
    Character* character = Limp(std::string("doLateCrumple,1,\n") + kDieAnim);
    Die(character);
    EXPECT_EQ(character->GetAnimationChannel(0)->animation, "Swing.anm");
    EXPECT_FALSE(RagDollOf(character));
    character->GetDeathManager()->AnimationCallback(Name("ragDoll"));
    CharacterRagDoll* limp = RagDollOf(character);
    ASSERT_TRUE(limp);
    EXPECT_EQ(character->GetRagdollData().effect, CharacterRagDoll::Crumple);
    EXPECT_EQ(character->GetRagdollData().speed, 0.0f);
    limp->Settle();
    EXPECT_TRUE(character->GetDeathManager()->IsFinished());
    Frame();

    character->StartRespawn(character->GetCoords());
    EXPECT_EQ(character->GetPhysicsType(), Character::kPhysicsTypeCharacter);
    EXPECT_FALSE(RagDollOf(character));
    character->GetDeathManager()->Execute();
    character->GetDeathManager()->AnimationCallback(Name("ragDoll"));
    ASSERT_TRUE(RagDollOf(character));
    EXPECT_TRUE(RagDollOf(character)->IsEnabled());
}

// Out of the pre-load frustum a body never goes limp and is hidden, unless it is a
// player's; a mesh without rigid bodies plays its death animation.
TEST_F(RagDollDeathTest, OutOfViewOrWithoutBodiesNoRagDoll)
{
    Character* bare = Doomed(kDieAnim);
    EXPECT_FALSE(bare->ShouldDoRagDoll());
    Character* far = Limp(kDieAnim);
    EXPECT_TRUE(far->ShouldDoRagDoll());
    Player* hero = Place(Make<Player>(kDieAnim, "Player"));
    Frame();
    LookAway();
    EXPECT_FALSE(far->ShouldDoRagDoll());
    for (Character* character : std::initializer_list<Character*>{bare, far, hero})
        Die(character);
    EXPECT_FALSE(RagDollOf(far));
    EXPECT_EQ(far->GetAnimationChannel(0)->animation, "Swing.anm");
    EXPECT_FALSE(far->GetVisibility());
    EXPECT_FALSE(bare->GetVisibility());
    EXPECT_TRUE(hero->GetVisibility());

    // Seen again (its bounding sphere reaches over the plane) it would go limp.
    const float x = 100.0f - 0.5f * far->GetBoundingRadius();
    World::Get().SetCoords(far, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    EXPECT_TRUE(far->ShouldDoRagDoll());
    // Measured where the frustum's region lies: a region further along is in view.
    Region* beyond = World::Get().AddRegion(2, "Beyond", Vec3(150.0f, 0.0f, 0.0f));
    World::Get().SetCoords(far, WorldCoords(beyond, Coords::LookAlong({0, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    EXPECT_TRUE(far->ShouldDoRagDoll());
}

}  // namespace GAME
