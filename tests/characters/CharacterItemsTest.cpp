// A character's animation sets, its loot rolled from the seed, the item operations, item
// sets, the inventory replica and what it forwards to its auras and statistics.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/AnimationTableLoader.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/Bonus.h"
#include "Game/items/Inventory.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/ItemSet.h"
#include "Game/items/OneShot.h"
#include "Game/items/Weapon.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// A relic spent by one use, and a potion that counts its uses.
class SpentRelic : public ItemRelic {
    GAME_DECLARE_CLASS(SpentRelic)
public:
    bool UseRelicOn(Entity*, bool localPlayer) override
    {
        lastLocal = localPlayer;
        level = 0;
        return true;
    }
    uint32_t GetRelicLevel() const override { return level; }
    uint32_t level = 1;
    static inline bool lastLocal = false;
};
GAME_IMPLEMENT_CLASS(SpentRelic, ItemRelic)

class CountedPotion : public OneShot_PotionHealth {
    GAME_DECLARE_CLASS(CountedPotion)
public:
    void Use(Character&) override { ++uses; }
    static inline int uses = 0;
};
GAME_IMPLEMENT_CLASS(CountedPotion, OneShot_PotionHealth)

namespace {

class CharacterItemsTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        CountedPotion::uses = 0;
        RecordingDatabase().RegisterRecord("Records/Test/Bow.dbr", "Class,WeaponHunting_Bow,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Staff.dbr", "Class,WeaponMagical_Staff,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Sword.dbr", "Class,WeaponMelee_Sword,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Ring.dbr", "Class,ItemEquipment,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Cap.dbr", "Class,ItemEquipment,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Potion.dbr", "Class,CountedPotion,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Relic.dbr", "Class,SpentRelic,\n");
        RecordingDatabase().RegisterRecord("Records/Test/Glow.dbr", "Class,Entity,\n");
    }
    static RecordDatabase& RecordingDatabase() { return RecordDatabase::Get(); }

    // A character of that kind made from a record of this text, under a name of its own.
    Character* Make(const std::string& text, const char* kind = "Character")
    {
        const std::string name = "Records/Test/Creature" + std::to_string(++m_records) + ".dbr";
        RecordingDatabase().RegisterRecord(name, std::string("Class,") + kind + ",\n" + text);
        return ObjectManager::Get().CreateObjectFromFile<Character>(name);
    }
    Item* MakeItem(const char* record)
    {
        ItemReplicaInfo info;
        info.baseName = record;
        return Item::CreateItem(info);
    }
    // One loot location listing one item.
    static std::string Loot(const char* location, float chance, const char* record)
    {
        return std::string("chanceToEquip") + location + "," + std::to_string(chance) + ",\nloot" + location +
               "Item1," + record + ",\nchanceToEquip" + location + "Item1,1,\n";
    }
    static std::string ItemAt(const Character& c, EquipLocations location)
    {
        const Object* item = ObjectManager::Get().GetObject(c.GetCombatManager().GetEquipManager().GetItemId(location));
        return item ? item->GetObjectName() : std::string();
    }

    // The same items, seeds and places, each under its own id.
    static void ExpectSameItems(const Character& one, const Character& other)
    {
        std::vector<InventoryReplica> a, b;
        one.GetInventoryReplica(a);
        other.GetInventoryReplica(b);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].info.baseName, b[i].info.baseName) << i;
            EXPECT_EQ(a[i].info.seed, b[i].info.seed) << i;
            EXPECT_EQ(a[i].location, b[i].location) << i;
            EXPECT_NE(a[i].info.objectId, b[i].info.objectId) << i;
        }
    }

    int m_records = 0;
};

TEST_F(CharacterItemsTest, LootRollsTheSameItemsFromOneSeedInAFixedOrder)
{
    const std::string every = Loot("Head", 100, "Records/Test/Cap.dbr") + Loot("LeftHand", 100, "Records/Test/Sword.dbr") +
                              Loot("RightHand", 100, "Records/Test/Sword.dbr") +
                              Loot("Finger1", 60, "Records/Test/Ring.dbr") + Loot("Finger2", 60, "Records/Test/Ring.dbr");
    Character* first = Make(every);
    Character* second = Make(every);
    first->LoadLootFromSeed(1234, 0);
    second->LoadLootFromSeed(1234, 0);
    ASSERT_FALSE(first->GetAttachedItems().empty());
    ExpectSameItems(*first, *second);
    EXPECT_EQ(ItemAt(*first, EquipLocation_Head), "Records/Test/Cap.dbr");
    EXPECT_EQ(ItemAt(*first, EquipLocation_RightHand), "Records/Test/Sword.dbr");
    EXPECT_EQ(first->GetLootInfo().itemIds[0], first->GetCombatManager().GetEquipManager().GetItemId(EquipLocation_Head));

    // Creatures roll at load, except on a network client.
    EXPECT_EQ(ItemAt(*Make(Loot("Head", 100, "Records/Test/Cap.dbr"), "Monster"), EquipLocation_Head),
              "Records/Test/Cap.dbr");
    engine->SetAsNetworkClient();
    EXPECT_TRUE(Make(Loot("Head", 100, "Records/Test/Cap.dbr"), "Npc")->GetAttachedItems().empty());

    // A chance of 0 never equips: the roll is at least 0.1.
    for (uint16_t seed = 0; seed < 40; ++seed) {
        Character* never = Make(Loot("Head", 0, "Records/Test/Cap.dbr"));
        never->LoadLootFromSeed(seed, 0);
        EXPECT_TRUE(never->GetAttachedItems().empty()) << seed;
    }
}

// A bow or staff in the left hand leaves the right hand without a roll: the rings after
// it draw what the right hand would have drawn.
TEST_F(CharacterItemsTest, ABowOrStaffInTheLeftHandSkipsTheRightHandRoll)
{
    const std::string rest = Loot("RightHand", 100, "Records/Test/Sword.dbr") + Loot("Finger1", 100, "Records/Test/Ring.dbr");
    for (const char* twoHanded : {"Records/Test/Bow.dbr", "Records/Test/Staff.dbr"}) {
        Character* archer = Make(Loot("LeftHand", 100, twoHanded) + rest);
        archer->LoadLootFromSeed(99, 0);
        EXPECT_EQ(ItemAt(*archer, EquipLocation_LeftHand), twoHanded);
        EXPECT_EQ(ItemAt(*archer, EquipLocation_RightHand), "");
        EXPECT_EQ(archer->GetAttachedItems().size(), 2u);
    }
    Character* skipped = Make(Loot("LeftHand", 100, "Records/Test/Bow.dbr") + Loot("Finger1", 100, "Records/Test/Ring.dbr"));
    Character* rolled = Make(Loot("LeftHand", 100, "Records/Test/Sword.dbr") + Loot("Finger1", 100, "Records/Test/Ring.dbr"));
    skipped->LoadLootFromSeed(99, 0);
    rolled->LoadLootFromSeed(99, 0);
    const auto ringSeed = [](Character* c) {
        return ObjectManager::Get().GetObject<Item>(c->GetCombatManager().GetEquipManager().GetItemId(EquipLocation_Finger))
            ->GetItemReplicaInfo().seed;
    };
    EXPECT_NE(ringSeed(skipped), ringSeed(rolled));
}

TEST_F(CharacterItemsTest, EquipmentMovesBetweenInventoryAndBody)
{
    Character* c = Make("");
    Item* sword = MakeItem("Records/Test/Sword.dbr");
    Item* ring = MakeItem("Records/Test/Ring.dbr");
    c->GetInventory().AddItemToInventory(sword->GetObjectId(), false);
    c->GetInventory().AddItemToInventory(ring->GetObjectId(), false);
    c->SetActionState(Character_ActionState_Attack);
    c->AttachItemAction(sword->GetObjectId(), EquipLocation_RightHand);
    EXPECT_EQ(c->GetActionState(), Character_ActionState_ForcedStop);
    EXPECT_TRUE(c->GetChangeOfEquipmentNotification());
    EXPECT_FALSE(c->GetInventory().IsItemInInventory(sword->GetObjectId()));
    EXPECT_TRUE(c->HasItem(sword->GetObjectId()) && c->HasItem("records\\test\\SWORD.dbr"));
    EXPECT_EQ(c->GetCombatManager().GetHandState(), EquipManager_SingleHanded);

    c->DetachItemAction(ring->GetObjectId());   // not worn: nothing happens
    EXPECT_FALSE(c->GetChangeOfEquipmentNotification());
    c->DetachItemAction(sword->GetObjectId());
    EXPECT_TRUE(c->GetInventory().IsItemInInventory(sword->GetObjectId()));

    c->AttachItemAction(sword->GetObjectId(), EquipLocation_RightHand);
    c->TakeItemFromCharacter("RECORDS/TEST/sword.dbr");
    EXPECT_FALSE(c->HasItem(sword->GetObjectId()));
    EXPECT_TRUE(c->HasItem(ring->GetObjectId()));
}

TEST_F(CharacterItemsTest, DroppedItemsLeaveTheInventoryForTheWorld)
{
    Region* home = World::Get().AddRegion(1, "Home");
    Character* c = Make("");
    World::Get().AddEntity(c, WorldCoords(home, Coords::MakeTranslation({5, 0, 5})));
    c->SetAttachPoint(Name("L Hand"), {1, 2, 0});
    Item* cap = MakeItem("Records/Test/Cap.dbr");
    Item* ring = MakeItem("Records/Test/Ring.dbr");
    c->GetInventory().AddItemToInventory(cap->GetObjectId(), false);
    c->DropItem(nullptr, 0, 0);
    c->DropItem(cap, 0, 0);
    EXPECT_TRUE(cap->IsInWorld());
    EXPECT_EQ(cap->GetPhysicsType(), 2);
    EXPECT_EQ(cap->GetCoords().GetRegionCoords().origin, (Vec3{6, 2, 5}));
    PhysicsEngine::EntityState state;
    ASSERT_TRUE(PhysicsEngine::Get().GetEntityState(cap->GetObjectId(), state));
    EXPECT_EQ(state.linearVelocity, (Vec3{0, 4, 0}));
    EXPECT_FLOAT_EQ(state.maxFallVelocity, -25.0f);
    EXPECT_TRUE(c->GetInventoryItems().empty());

    c->AttachItemAction(ring->GetObjectId(), EquipLocation_Finger);
    uint32_t id = ring->GetObjectId();
    c->DropItemFromEquipLocation(id, EquipLocation_Finger, false);
    EXPECT_EQ(id, 0u);
    EXPECT_TRUE(ring->IsInWorld());
    EXPECT_EQ(ring->GetPhysicsType(), 0);
    uint32_t missing = 4242;
    c->DropItemFromEquipLocation(missing, EquipLocation_Head, true);
    EXPECT_EQ(missing, 0u);
    World::Get().Reset();
}

TEST_F(CharacterItemsTest, PotionsAndRelicsAreUsedUp)
{
    Character* c = Make("");
    Item* potion = MakeItem("Records/Test/Potion.dbr");
    c->GetInventory().AddItemToInventory(potion->GetObjectId(), false);
    c->UseInventoryItem(potion->GetObjectId(), false);
    c->UseInventoryItem(potion->GetObjectId(), true);
    c->UseInventoryItem(potion->GetObjectId(), true);   // gone
    EXPECT_EQ(CountedPotion::uses, 2);
    EXPECT_EQ(c->GetPlayStats().GetHealthPotionsUsed(), 2u);
    EXPECT_TRUE(c->GetInventoryItems().empty());

    Item* relic = MakeItem("Records/Test/Relic.dbr");
    Item* ring = MakeItem("Records/Test/Ring.dbr");
    c->GetInventory().AddItemToInventory(relic->GetObjectId(), false);
    c->GetInventory().AddItemToInventory(ring->GetObjectId(), false);
    c->UseRelic(relic->GetObjectId(), 12345);   // no such item: nothing
    EXPECT_TRUE(c->HasItem(relic->GetObjectId()));
    c->UseRelic(relic->GetObjectId(), ring->GetObjectId());
    EXPECT_FALSE(c->HasItem(relic->GetObjectId()));
    EXPECT_EQ(ObjectManager::Get().GetObject(relic->GetObjectId()), nullptr);
}

// The replica rebuilds items where they were; a location that is no equipment slot
// leaves the item in the inventory.
TEST_F(CharacterItemsTest, TheInventoryReplicaRebuildsItemsWhereTheyWere)
{
    LogCapture log;
    Character* c = Make("");
    ItemReplicaInfo sword, ring, cap;
    sword.baseName = "Records/Test/Sword.dbr";
    ring.baseName = "Records/Test/Ring.dbr";
    ring.seed = 77;
    cap.baseName = "Records/Test/Cap.dbr";
    c->SetInventoryReplica({{sword, EquipLocation_LeftHand},
                            {ring, EquipLocation_None},
                            {cap, static_cast<EquipLocations>(42)},
                            {cap, static_cast<EquipLocations>(-1)}});
    EXPECT_EQ(c->GetInventoryItems().size(), 3u);
    EXPECT_EQ(c->GetAttachedItems().size(), 1u);
    EXPECT_EQ(c->GetCombatManager().GetHandState(), EquipManager_SingleHanded);   // a lone left sword is drawn right
    const std::vector<LogLine> lines = log.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const LogLine& line) { return line.text.find("SetInventoryReplica") != std::string::npos; }),
              2);

    std::vector<InventoryReplica> out;
    c->GetInventoryReplica(out);
    for (InventoryReplica& entry : out)
        entry.info.objectId = 0;   // another peer's ids: fresh ones here
    Character* copy = Make("");
    copy->SetInventoryReplica(out);
    ExpectSameItems(*c, *copy);
}

class CountingSet : public ItemSet {
public:
    void GetCharAttributes(CharAttributeAccumulator&, unsigned pieces) const override { seen.push_back(pieces); }
    mutable std::vector<unsigned> seen;
};

TEST_F(CharacterItemsTest, ItemSetsCountNormalizedPieces)
{
    Character* c = Make("");
    CountingSet set;
    engine->RegisterItemSet("Armour", &set);
    c->AddItemToSet("Armour", "Records/Test/Cap.dbr");
    c->AddItemToSet("Armour", "Records/Test/CAP.dbr");
    c->AddItemToSet("Unknown", "x");
    c->AddItemToSet("Empty", "y");
    c->RemoveItemFromSet("Empty", "Y");
    c->RemoveItemFromSet("Missing", "z");
    EXPECT_EQ(c->GetNumberOfItemsInSet("Armour"), 2u);
    EXPECT_EQ(c->GetItemsInSet("Armour").front(), "records\\test\\cap.dbr");
    EXPECT_EQ(c->GetNumberOfItemsInSet("Missing"), 0u);
    CharAttributeAccumulator sum;
    c->ContributeItemSetCharAttributes(sum);
    EXPECT_EQ(set.seen, std::vector<unsigned>{2});
    engine->RegisterItemSet("Armour", nullptr);
}

TEST_F(CharacterItemsTest, AnimationSetsComeFromTheSharedTableOrTheOwnRecord)
{
    GraphicsEngine::Get()->RegisterAnimation("A.anm", "length,30,\n");
    RecordingDatabase().RegisterRecord("Records/Test/Table.dbr", "unarmedRunAnim,A.anm,\n");
    Character* shared = Make("charAnimationTableName,Records/Test/Table.dbr,\nunarmedWalkAnim,A.anm,\n", "Player");
    EXPECT_TRUE(shared->CanPlayAnimation(AnimationSet_Run));
    EXPECT_FALSE(shared->CanWalk());   // the table wins over the own record

    Character* own = Make("forcedUpdates,1,\nunarmedWalkAnim,A.anm,\nbowSpecialAnim10,A.anm,\nbowSpecialAnimRef10,Volley,\n"
                          "spearSpecialAnim11,A.anm,\n",
                          "Player");
    EXPECT_TRUE(own->GetForcedUpdates());
    EXPECT_TRUE(own->CanWalk());
    EXPECT_TRUE(own->GetAnimationSet(AnimationStyle_Bow)->DoesAnimationExist(AnimationSet_Special));
    EXPECT_FALSE(own->GetAnimationSet(AnimationStyle_Spear)->DoesAnimationExist(AnimationSet_Special));

    // The hand state picks the set; the current set's own state does not switch it.
    own->SetAnimation(EquipManager_Bow);
    EXPECT_EQ(own->GetAnimationSet(), own->GetAnimationSet(AnimationStyle_Bow));
    own->SetAnimation(static_cast<EquipManager_HandState>(17));
    EXPECT_EQ(own->GetAnimationSet(), own->GetAnimationSet(AnimationStyle_Unarmed));

    // A creature makes only the set of what its hands hold.
    Character* npc = Make("", "Npc");
    EXPECT_NE(npc->GetAnimationSet(AnimationStyle_Unarmed), nullptr);
    EXPECT_EQ(npc->GetAnimationSet(AnimationStyle_Bow), nullptr);
    GraphicsEngine::Get()->ClearRegisteredAnimations();

    // The bundled fighters name the bundled table.
    RecordingDatabase().SetDataRoot(GAME_DATA_DIR);
    for (const char* fighter : {"Records/Creatures/ArenaPlayer.dbr", "Records/Creatures/ArenaMonster.dbr"}) {
        Character* c = ObjectManager::Get().CreateObjectFromFile<Character>(fighter);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->CanWalk()) << fighter;
        // Only the monster's skills know they are a monster's.
        EXPECT_EQ(c->GetSkillManager().IsMonsterSkill(), c->IsA<Monster>()) << fighter;
    }
    RecordingDatabase().SetDataRoot("");
}

TEST_F(CharacterItemsTest, AurasLifeAndManaGoThroughTheirParts)
{
    Character* c = Make("");
    const uint32_t glow = c->AddAura("Records/Test/Glow.dbr", true, 0);
    EXPECT_NE(glow, 0u);
    c->AddAura("Records/Test/Glow.dbr", true, 0);
    c->RemoveAura(glow);
    c->GetAuraManager().Update(*c, 0);
    EXPECT_EQ(c->GetAuraManager().GetAuras().size(), 1u);
    c->ImDying();
    EXPECT_TRUE(c->GetAuraManager().GetAuras().empty());

    const PlayStatsDamageType fire{};
    c->SetCurrentLife(50.0f);
    c->SubtractLife(10.0f, fire);
    EXPECT_FLOAT_EQ(c->GetPlayStats().GetDamageReceived(fire), 10.0f);
    c->SetInvincible(true);
    c->SubtractLife(10.0f, fire);
    EXPECT_FLOAT_EQ(c->GetPlayStats().GetDamageReceived(fire), 10.0f);
    Bonus bonus;
    bonus.lifePoints = 100.0f;
    c->SetLifeLimit(60.0f);
    c->TakeBonus(bonus, false, static_cast<PlayStatsLifeType>(1));
    EXPECT_FLOAT_EQ(c->GetPlayStats().GetLifeGained(static_cast<PlayStatsLifeType>(1)), 20.0f);   // 40 to 60
    c->SubtractMana(4.0f);
    c->SetOmnipotent(true);
    c->SubtractMana(4.0f);
    EXPECT_FLOAT_EQ(c->GetPlayStats().GetManaUsed(), 4.0f);
}

}  // namespace
}  // namespace GAME
