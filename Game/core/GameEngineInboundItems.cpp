// The inbound interface's creation of items and entities. An item dropped into the world
// is placed with randomness seeded from the item's own seed, so every peer that applies
// the same creation puts it in the same place, turned and spinning the same way. An
// object that is created but cannot be placed is destroyed rather than left behind.
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/Item.h"

namespace GAME {

namespace {

constexpr const char* kSourceName = "GameEngineNetworkInterface";

// A dropped item: where it appears around the drop point, how it is thrown and spun.
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kDropRadius = 0.5f;
constexpr float kDropHeight = 1.0f;
constexpr float kDropUpwardSpeed = 4.0f;
constexpr float kDropSpinLimit = 8.0f;
constexpr float kDropMaxFallVelocity = -25.0f;
constexpr int kDroppedItemPhysicsType = 2;
constexpr Vec3 kUp{0.0f, 1.0f, 0.0f};

void Destroy(Object* object, int line)
{
    ObjectManager::Get().DestroyObjectEx(object, kSourceName, line);
}

// Where a dropped item appears, from the drop point: the first draw of its seeded stream.
Vec3 DrawDropOffset(RandomUniform& random)
{
    const float direction = random.FGenerate(0.0f, kTwoPi);
    return Vec3{kDropRadius * std::cos(direction), kDropHeight, kDropRadius * std::sin(direction)};
}

// Draws, in this order, the direction of the offset and the turn about the vertical;
// then, once the world has taken the item, three spins.
void DropIntoWorld(Item* item, const WorldCoords& where, uint32_t seed)
{
    RandomUniform random;
    random.Seed(seed);
    const Vec3 offset = DrawDropOffset(random);
    const float turn = random.FGenerate(0.0f, kTwoPi);

    WorldVec3 position = where.GetPosition();
    position.Translate(offset);
    Coords frame = Coords::MakeRotation(kUp, turn);
    frame.origin = position.GetRegionPosition();

    item->SetPhysicsType(kDroppedItemPhysicsType);
    if (!World::Get().AddEntity(item, WorldCoords(where.GetRegion(), frame))) {
        NetPacketRegistry::DropHandled("GameEngine", "dropped item (%u) could not be placed in the world; destroyed",
                                       item->GetObjectId());
        Destroy(item, __LINE__);
        return;
    }

    // Thrown straight up, as a character's own drop is: the drop point says where the item
    // falls, never how fast it flies.
    const float spinX = random.FGenerate(-kDropSpinLimit, kDropSpinLimit);
    const float spinY = random.FGenerate(-kDropSpinLimit, kDropSpinLimit);
    const float spinZ = random.FGenerate(-kDropSpinLimit, kDropSpinLimit);
    PhysicsEngine& physics = PhysicsEngine::Get();
    physics.SetEntityLinearVelocity(item, Vec3{0.0f, kDropUpwardSpeed, 0.0f});
    physics.SetEntityAngularVelocity(item, Vec3{spinX, spinY, spinZ});
    physics.SetEntityMaxFallVelocity(item, kDropMaxFallVelocity);
    item->SetDropSoundToPlay();
}

}  // namespace

void GameEngineInboundInterface::CreateItem(uint32_t receiver, const WorldCoords& where, const ItemReplicaInfo& item,
                                            std::u16string* nameOut)
{
    Item* created = Item::CreateItem(item);
    if (!created)
        return;
    if (nameOut)
        *nameOut = created->GetGameDescription();
    if (receiver == 0) {
        DropIntoWorld(created, where, item.seed);
        return;
    }
    if (Character* character = ObjectManager::Get().GetObject<Character>(receiver)) {
        character->GiveItemToCharacter(created);
        return;
    }
    NetPacketRegistry::DropHandled("GameEngine", "Unable to resolve character (%d) to give item (%d)",
                                   static_cast<int>(receiver), static_cast<int>(created->GetObjectId()));
    Destroy(created, __LINE__);
}

// A drop appears at the drop point moved by the seed's offset, and thrown straight up it
// falls back where it appeared: from the resting place moved back by that offset, the
// item appears where it lay and comes to rest there again.
WorldCoords GameEngineInboundInterface::DropPointFor(const WorldCoords& restingAt, uint32_t seed)
{
    RandomUniform random;
    random.Seed(seed);
    WorldVec3 point = restingAt.GetPosition();
    point.Translate(-DrawDropOffset(random));
    return WorldCoords(restingAt.GetRegion(), Coords::MakeTranslation(point.GetRegionPosition()));
}

void GameEngineInboundInterface::CreateEntity(const WorldCoords& where, const std::string& recordName,
                                              uint32_t objectId)
{
    if (recordName.empty())
        return;
    // The object manager takes a fresh id for an id of 0.
    Object* object = ObjectManager::Get().CreateObjectFromFile(recordName, objectId, true);
    if (!object)
        return;
    Entity* entity = DynamicCast<Entity>(object);
    if (entity && World::Get().AddEntity(entity, where))
        return;
    NetPacketRegistry::DropHandled("GameEngine", "object \"%s\" (%u) could not be placed in the world; destroyed",
                                   recordName.c_str(), object->GetObjectId());
    Destroy(object, __LINE__);
}

}  // namespace GAME
