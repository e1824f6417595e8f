#include "world/PlacedObjectFixture.h"

#include "Game/characters/Character.h"
#include "Game/world/CharFxPak.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/Fx.h"
#include "Game/world/FxPak.h"
#include "Game/world/PFxManager.h"
#include "Game/world/SpecialFX.h"

namespace GAME {
namespace {

class EffectsTest : public PlacedObjectTest {
protected:
    void SetUp() override
    {
        PlacedObjectTest::SetUp();
        // 30 frames at 30 a second: the animation ends after 1000 ms.
        GraphicsEngine::Get()->RegisterAnimation("Glow.anm", "length,30,\n");
    }
    FxMesh* Mesh(const std::string& fadeIn, const std::string& sustain, const std::string& fadeOut)
    {
        return MakeOf<FxMesh>("FxMesh", "meshName,Glow.msh,\nanimationName,Glow.anm,\nspeed,1,\nfadeInTime," + fadeIn +
                                          ",\nsustainTime," + sustain + ",\nfadeOutTime," + fadeOut + ",\n");
    }
    Character* MakeCharacter()
    {
        return Place(DynamicCast<Character>(ObjectManager::Get().CreateObject("Character")), 5.0f);
    }
};

TEST_F(EffectsTest, AMeshFadesInHoldsFadesOutAndGoesWhenItsAnimationHasEnded)
{
    FxMesh* mesh = Place(Mesh("0.5", "1", "0.5"));
    const uint32_t id = mesh->GetObjectId();
    struct Look {
        int frames;         // frames of 100 ms run before the look
        float brightness;   // the mesh's diffuse colour then
        int fadeState;
    };
    // Fully bright at 500 ms, fading from 1500 ms, dark and gone at 2000 ms.
    const Look looks[] = {{1, 0.2f, FxMesh::Fade_In}, {4, 1.0f, FxMesh::Fade_Sustain},
                          {10, 1.0f, FxMesh::Fade_Out}, {1, 0.8f, FxMesh::Fade_Out}, {3, 0.2f, FxMesh::Fade_Out}};
    for (const Look& look : looks) {
        for (int i = 0; i < look.frames; ++i)
            Step();
        ASSERT_TRUE(Live(id));
        EXPECT_FLOAT_EQ(mesh->GetDiffuseColor().red, look.brightness);
        EXPECT_EQ(mesh->GetFadeState(), look.fadeState);
    }
    EXPECT_TRUE(mesh->IsAnimationEnded());
    Step();
    EXPECT_FALSE(Live(id));
}

TEST_F(EffectsTest, AFadeOfNoLengthShowsTheMeshAtOnceAndAMeshWithoutFadesEndsWithItsAnimation)
{
    FxMesh* held = Place(Mesh("0", "0.5", "0"));   // no fade in: bright from the start
    Step();
    EXPECT_FLOAT_EQ(held->GetDiffuseColor().red, 1.0f);
    EXPECT_EQ(held->GetFadeState(), FxMesh::Fade_Sustain);

    FxMesh* plain = Place(Mesh("0", "0", "0"));
    const uint32_t id = plain->GetObjectId();
    for (int i = 0; i < 9; ++i)
        Step();
    EXPECT_TRUE(Live(id));
    Step();
    Step();
    EXPECT_FALSE(Live(id));
}

TEST_F(EffectsTest, AnEffectPackMakesItsEffectsAndSoundOnceAndGoes)
{
    const std::string mesh = NewRecord("FxMesh", "meshName,Glow.msh,\nanimationName,Glow.anm,\n");
    FxPak* pak = MakeOf<FxPak>("FxPak", "particleEffectNames," + std::string(kSpark) + ",\nmeshEffectNames," + mesh +
                                          ",\nactivateSound," + kSound + ",\n");
    const uint32_t soundId = pak->GetActivateSound()->GetObjectId();
    const size_t before = World::Get().GetEntityCount();
    Place(pak, 3.0f);
    const uint32_t id = pak->GetObjectId();
    Step();
    EXPECT_FALSE(Live(id));
    EXPECT_EQ(World::Get().GetEntityCount(), before + 2);   // the particles and the mesh
    EXPECT_FALSE(Live(soundId));                            // the pak's sound went with it
}

// Effects and effect packs are plain entities of the class tree, not actors, and still
// take their frame from the world's walk: the mesh is drawn where the effect stands.
TEST_F(EffectsTest, EffectsAreEntitiesNotActorsAndStillTakeTheirFrame)
{
    for (const char* kind : {"Fx", "FxMesh", "FxPak"}) {
        Object* made = ObjectManager::Get().CreateObject(kind);
        ASSERT_NE(made, nullptr) << kind;
        EXPECT_TRUE(made->IsA<Entity>()) << kind;
        EXPECT_FALSE(made->IsA<Actor>()) << kind;
        ObjectManager::Get().DestroyObjectEx(made, "test", __LINE__);
    }
    EXPECT_STREQ(Fx::GetStaticClassInfo().GetParent()->GetName(), "Entity");
    EXPECT_STREQ(FxPak::GetStaticClassInfo().GetParent()->GetName(), "Entity");

    FxMesh* mesh = Place(Mesh("0", "0.5", "0"), 2.0f);
    Step();
    ASSERT_NE(mesh->GetMeshInstance(), nullptr);
    EXPECT_EQ(mesh->GetMeshInstance()->GetMeshName(), "Glow.msh");
    EXPECT_EQ(mesh->GetMeshInstance()->GetSceneCount(), 1u);
    EXPECT_EQ(mesh->GetMeshInstance()->GetCoords().origin, mesh->GetCoords().GetRegionCoords().origin);
    const float half = GraphicsMesh::kDefaultHalfSize;
    EXPECT_EQ(mesh->GetRegionBoundingBox().extents, Vec3(half, half, half));
    Step();
    EXPECT_EQ(mesh->GetMeshInstance()->GetSceneCount(), 2u);

    FxPak* pak = Place(MakeOf<FxPak>("FxPak"), 4.0f);
    EXPECT_EQ(pak->GetRegionBoundingBox().extents, Vec3(1, 1, 1));
    const uint32_t id = pak->GetObjectId();
    Step();
    EXPECT_FALSE(Live(id));
}

TEST_F(EffectsTest, ACharacterPakAttachesItsEffectsStartsOnceAndGivesTheTintBack)
{
    const std::string pakRecord = NewRecord("", "particleEffectNames," + std::string(kSpark) + ";" + kSpark +
                                                 ",\nparticleEffectAttachPoints,hand,\nuseTintColor,1,\ncolorRed,0.5,\n"
                                                 "activeSound," + kSound + ",\n");
    Character* character = MakeCharacter();
    const Color red{1.0f, 0.0f, 0.0f, 1.0f};
    character->SetTintColor(red);
    CharFxPak pak;
    pak.LoadFromDatabase(pakRecord);
    pak.SetParent(character->GetObjectId());
    pak.InitializeFxPak();
    ASSERT_EQ(pak.GetParticleIds().size(), 2u);
    EXPECT_TRUE(pak.GetParticleEffectNames().empty());

    pak.Start();
    pak.Start();
    const PFxManager& book = character->GetPFxManager();
    EXPECT_EQ(book.FindParticleEffect(pak.GetParticleIds()[0])->attachPoint, "hand");
    EXPECT_EQ(book.FindParticleEffect(pak.GetParticleIds()[1])->attachPoint, "");
    EXPECT_EQ(character->GetNumAttachedEntities(), 2u);
    EXPECT_EQ(character->GetTintColor(), (Color{0.5f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(pak.GetSavedTintColor(), (std::array<float, 4>{1.0f, 0.0f, 0.0f, 1.0f}));   // saved the first time only
    EXPECT_TRUE(pak.GetActiveSound()->IsPlaying());

    pak.Stop();
    EXPECT_EQ(character->GetTintColor(), red);
    EXPECT_FALSE(book.FindParticleEffect(pak.GetParticleIds()[0])->isEmitting);
    const uint32_t effectId = pak.GetParticleIds()[0];
    pak.UnLoad();
    EXPECT_TRUE(pak.GetParticleIds().empty());
    EXPECT_TRUE(book.FindParticleEffect(effectId)->isRemoved);
}

TEST_F(EffectsTest, ARemovedParticleEffectGoesOnceItsParticlesAreGoneAndMeshEffectsRideTheActor)
{
    Character* character = MakeCharacter();
    PFxManager& book = character->GetPFxManager();
    uint32_t id = book.AddParticleEffect(kSpark, "hand");
    const uint32_t kept = id;
    book.StartParticleEffect(id);
    book.RemoveParticleEffect(id);
    EXPECT_EQ(id, 0u);
    EXPECT_TRUE(Live(kept));
    book.Update(16);
    EXPECT_FALSE(Live(kept));
    EXPECT_EQ(character->GetNumAttachedEntities(), 0u);

    uint32_t mesh = book.AddMeshEffect(NewRecord("FxMesh", "meshName,Glow.msh,\nattachPoint,head,\n"));
    ASSERT_NE(mesh, 0u);
    EXPECT_EQ(book.FindMeshEffect(mesh)->attachPoint, "head");
    book.StartMeshEffect(mesh);
    EXPECT_TRUE(ObjectManager::Get().GetObject<FxMesh>(mesh)->IsActive());
    EXPECT_EQ(character->GetNumAttachedEntities(), 1u);
    const uint32_t meshKept = mesh;
    book.RemoveMeshEffect(mesh);
    EXPECT_EQ(mesh, 0u);
    EXPECT_FALSE(Live(meshKept));
    EXPECT_EQ(character->GetNumAttachedEntities(), 0u);
}

TEST_F(EffectsTest, AnOwnedEffectRidesItsOwnerAndIsDestroyedWhenReleasedUnstarted)
{
    Character* owner = MakeCharacter();
    SpecialFX effect;
    effect.LoadFX(kSpark, owner);
    ASSERT_NE(effect.GetEffect(), nullptr);
    EXPECT_TRUE(effect.GetEffect()->IsAttachedTo(owner));
    EXPECT_FALSE(effect.GetEffect()->IsEmitting());
    const uint32_t id = effect.GetEffect()->GetObjectId();
    effect.ReleaseFx(Facing(1.0f));
    EXPECT_FALSE(Live(id));
    EXPECT_EQ(owner->GetNumAttachedEntities(), 0u);

    effect.LoadFX(kSpark, owner);
    effect.StartFx();
    EffectEntity* started = effect.GetEffect();
    effect.ReleaseFx(Facing(1.0f));
    EXPECT_EQ(effect.GetEffect(), nullptr);
    EXPECT_TRUE(started->IsInWorld() && started->IsSelfDeleting());
}

TEST_F(EffectsTest, TheEditorPicksAnEffectWithinOneUnitOfItsPosition)
{
    FxMesh* mesh = Place(Mesh("0", "1", "0"), 10.0f);
    const WorldRay ray{WorldVec3(region, Vec3(0, 0, 0)), Vec3(1, 0, 0)};
    const WorldRay past{WorldVec3(region, Vec3(0, 1.5f, 0)), Vec3(1, 0, 0)};
    float distance = 0.0f;
    WorldVec3 hit;
    EXPECT_FALSE(mesh->GetIntersection(ray, 1, distance, hit)) << "outside the editor";
    EXPECT_FALSE(distance < kPositiveInfinity);
    gEngine->SetEditorMode(true);
    EXPECT_FALSE(mesh->GetIntersection(ray, 0, distance, hit)) << "not a picking surface";
    EXPECT_FALSE(mesh->GetIntersection(past, 1, distance, hit)) << "a ray passing above the sphere";
    ASSERT_TRUE(mesh->GetIntersection(ray, 1, distance, hit));
    gEngine->SetEditorMode(false);
    EXPECT_NEAR(distance, 9.0f, 1e-4f);
    EXPECT_NEAR(hit.GetRegionPosition().x, 9.0f, 1e-4f);
}

}  // namespace
}  // namespace GAME
