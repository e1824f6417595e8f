// The server's refusals of a client, each at its edge: what a client may just do is taken,
// one step further is refused (a trade partner's gold when the trade completes, one item
// twice in a join image, a skill's level one above what its record allows, a reach or a
// tolerance by a little).
#include <algorithm>
#include <random>
#include <type_traits>

#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Npc.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/Bonus.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/TradeManager.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/session/SpawnReplication.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/FixedItem.h"
#include "Game/network/GameWorldPackets.h"
#include "tests/network/HostileServerFixture.h"

namespace GAME {
namespace hostile_pin_test {

// ---- Trade gold ---------------------------------------------------------------------------

class HostilePinTradeTest : public HostileServerTest {
protected:
    static constexpr int kPartnerHost = 2;
    static constexpr uint32_t kPartner = 0x20000001;

    void SetUp() override
    {
        HostileServerTest::SetUp();
        transport.Connect(kPartnerHost);
        partner = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kPartner));
        ASSERT_NE(partner, nullptr);
        World::Get().AddEntity(partner, Here());
    }
    // A trade step of `from` to `to`, sent by `from`'s host.
    template <class P>
    void Step(uint32_t from, uint32_t to, uint32_t gold = 0)
    {
        P packet;
        packet.sender = from;
        packet.receiver = to;
        if constexpr (std::is_same_v<P, TradeSetGoldPacket>)
            packet.goldAmount = gold;
        const Bytes bytes = Written(packet);
        ConnectionManager::Get().HandleIncoming(ConnectionManager::HostOfPlayer(from), bytes.data(), bytes.size());
    }
    // Steps of that type the server passed on to `host`.
    long Passed(NetPacketType type, int host) const
    {
        return std::count_if(transport.sent.begin(), transport.sent.end(),
                             [&](const auto& p) { return p.Type() == type && p.to == HostOf(host); });
    }
    std::pair<uint32_t, uint32_t> Money() const { return {client->GetCurrentMoney(), partner->GetCurrentMoney()}; }

    Player* partner = nullptr;
};

// Two clients trade through the server: each offer is held to its giver's money as it is
// made and as it finalizes (the whole money may be offered, no more), and a side that spent
// gold since it finalized holds the completion until it finalizes again.
TEST_F(HostilePinTradeTest, ATradeBetweenClientsCompletesOnlyWhileBothHoldTheGoldTheyOffer)
{
    client->SetCurrentMoney(100);
    partner->SetCurrentMoney(60);
    Step<TradeInitiatePacket>(kClientPlayer, kPartner);
    Step<TradeInitiatePacket>(kPartner, kClientPlayer);
    LogCapture log;
    transport.sent.clear();
    Step<TradeSetGoldPacket>(kClientPlayer, kPartner, 101);
    EXPECT_EQ(Passed(TradeSetGoldPacket::kType, kPartnerHost), 0);
    EXPECT_TRUE(log.Contains("TradeSetGoldPacket from host 1 dropped: it offers more gold than its player holds"));
    Step<TradeSetGoldPacket>(kClientPlayer, kPartner, 100);
    Step<TradeSetGoldPacket>(kClientPlayer, kPartner, 40);
    Step<TradeSetGoldPacket>(kPartner, kClientPlayer, 60);
    EXPECT_EQ(Passed(TradeSetGoldPacket::kType, kPartnerHost), 2);
    EXPECT_EQ(Passed(TradeSetGoldPacket::kType, kClientHost), 1);

    // The partner finalizes with all it has, then spends a coin: the client's finalize goes
    // on but completes nothing, and the partner must finalize again.
    Step<TradeFinalizePacket>(kPartner, kClientPlayer);
    EXPECT_EQ(Passed(TradeFinalizePacket::kType, kClientHost), 1);
    partner->SubtractMoney(1);
    Step<TradeFinalizePacket>(kClientPlayer, kPartner);
    EXPECT_EQ(Money(), std::make_pair(100u, 59u));
    partner->AddMoney(1);
    Step<TradeFinalizePacket>(kClientPlayer, kPartner);
    EXPECT_EQ(Money(), std::make_pair(100u, 60u));

    // Its own finalize is held to its money too, to the coin.
    partner->SubtractMoney(1);
    const uint64_t drops = NetDropLog::GetTotal();
    Step<TradeFinalizePacket>(kPartner, kClientPlayer);
    EXPECT_EQ(NetDropLog::GetTotal() - drops, 1u);
    EXPECT_TRUE(log.Contains("TradeFinalizePacket from host 2 dropped: its player no longer holds the gold it offers"));
    partner->AddMoney(1);
    Step<TradeFinalizePacket>(kPartner, kClientPlayer);
    EXPECT_EQ(Money(), std::make_pair(120u, 40u));
}

// The server's own player trades with a client: the completion waits while the client's
// player holds less than it offers, and goes through once it holds all of it again and
// finalizes again.
TEST_F(HostilePinTradeTest, TheServersPlayerCompletesOnlyWhileTheClientHoldsTheGoldItOffers)
{
    Player* own = engine->GetMainPlayer();
    ASSERT_NE(own, nullptr);
    own->SetCurrentMoney(0);
    client->SetCurrentMoney(50);
    TradeManager& trades = *engine->GetTradeManager();
    trades.HandleInitiateTradeOutbound(kClientPlayer, true);
    Step<TradeInitiatePacket>(kClientPlayer, kMainPlayerId);
    ASSERT_TRUE(trades.GetIsTradeActive());
    Step<TradeSetGoldPacket>(kClientPlayer, kMainPlayerId, 50);
    ASSERT_EQ(trades.GetHisTradeState().GetGoldAmount(), 50u);
    Step<TradeFinalizePacket>(kClientPlayer, kMainPlayerId);
    ASSERT_TRUE(trades.GetHisTradeState().GetFinalized());

    LogCapture quiet;
    client->SubtractMoney(1);
    trades.HandleFinalizeTradeOutbound();
    EXPECT_TRUE(trades.GetIsTradeActive());
    EXPECT_FALSE(trades.GetHisTradeState().GetFinalized());
    EXPECT_EQ(own->GetCurrentMoney(), 0u);
    EXPECT_EQ(client->GetCurrentMoney(), 49u);

    client->AddMoney(1);
    Step<TradeFinalizePacket>(kClientPlayer, kMainPlayerId);
    EXPECT_FALSE(trades.GetIsTradeActive());
    EXPECT_EQ(own->GetCurrentMoney(), 50u);
    EXPECT_EQ(client->GetCurrentMoney(), 0u);
}

// ---- The join image and skill levels --------------------------------------------------------

constexpr const char* kRing = "Records/Test/PinRing.dbr";
constexpr const char* kSkill = "Records/Test/PinSkill.dbr";   // levels up to 3
constexpr const char* kSkillTree = "Records/Test/PinSkillTree.dbr";
constexpr const char* kPlayer = "Records/Test/PinPlayer.dbr";   // knows kSkill at level 1

class HostilePinImageTest : public HostileServerTest {
protected:
    void SetUp() override
    {
        HostileServerTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kRing, "Class,Item,\n");
        records.RegisterRecord(kSkill, "Class,Skill_AttackInherent,\nskillMaxLevel,3,\nskillUltimateLevel,5,\n");
        records.RegisterRecord(kSkillTree, std::string("skillName1,") + kSkill + ",\nskillLevel1,1,\n");
        records.RegisterRecord(kPlayer, std::string("Class,Player,\nskillTree1,") + kSkillTree + ",\n");
        // The client has joined; its player is made by its spawn.
        ForgetClientPlayer();
    }
    // The spawn of the client's player as its client writes it: carrying rings under
    // `rings`, its skill at `level`.
    static std::unique_ptr<SpawnPlayerPacket> Spawn(const std::vector<uint32_t>& rings, int level)
    {
        ObjectManager& objects = ObjectManager::Get();
        auto* player = objects.CreateObjectFromFile<Player>(kPlayer);
        World::Get().AddEntity(player, Here());
        for (uint32_t id : rings) {
            ItemReplicaInfo info;
            info.objectId = id;
            info.baseName = kRing;
            player->GetInventory().AddItemToInventory(Item::CreateItem(info)->GetObjectId(), true);
        }
        objects.GetObject<Skill>(player->GetSkillManager().FindSkillId(kSkill))->SetSkillLevel(level);
        return ClientSpawnOf(player);
    }
    // Whether the spawn made the client's player.
    bool Joins(SpawnPlayerPacket& packet)
    {
        Send(packet);
        gEngine->UpdateFrame(0);
        return (client = ObjectManager::Get().GetObject<Player>(kClientPlayer)) != nullptr;
    }
    static bool Live(uint32_t id) { return ObjectManager::Get().GetObject(id) != nullptr; }
    Skill* ClientSkill() const
    {
        return ObjectManager::Get().GetObject<Skill>(client->GetSkillManager().FindSkillId(kSkill));
    }
    // The client sets its skill to `level`: whether the server took it.
    bool SetLevel(int level)
    {
        LogCapture log;
        const uint32_t reference = client->GetSkillReferenceNumber(ClientSkill()->GetObjectId());
        SkillStateUpdateConfigCmd update(kClientPlayer, reference, {level, true});
        std::unique_ptr<NetPacket> packet(update.GetNetPacket());
        Send(*packet);
        gEngine->UpdateFrame(16);
        return !log.Contains("SkillStateUpdateConfigCmdPacket from host 1 dropped: it sets a skill to a level its "
                             "record does not allow");
    }
};

// One item carried twice (its second entry under the first's id), an item under an id
// taken here, and a skill above its record's maximum: the image is refused whole. The
// image as its client wrote it joins.
TEST_F(HostilePinImageTest, AnImageCarryingAnItemTwiceATakenIdOrASkillPastItsMaximumMakesNothing)
{
    constexpr uint32_t kFirst = 0x10A1B2C3, kSecond = 0x10D4E5F6;
    const std::unique_ptr<SpawnPlayerPacket> honest = Spawn({kFirst, kSecond}, 3);
    const std::unique_ptr<SpawnPlayerPacket> twice = Spawn({kFirst, kSecond}, 3);
    std::vector<unsigned char>& image = twice->carriedImage;
    const unsigned char second[4] = {0xF6, 0xE5, 0xD4, 0x10}, first[4] = {0xC3, 0xB2, 0xA1, 0x10};
    const auto at = std::search(image.begin(), image.end(), std::begin(second), std::end(second));
    ASSERT_NE(at, image.end());
    std::copy(std::begin(first), std::end(first), at);
    LogCapture log;
    EXPECT_FALSE(Joins(*twice));
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: it carries one item twice"));
    EXPECT_FALSE(Live(kFirst));

    ItemReplicaInfo ring;
    ring.objectId = kSecond;
    ring.baseName = kRing;
    Item* taken = Item::CreateItem(ring);
    ASSERT_NE(taken, nullptr);
    EXPECT_FALSE(Joins(*honest));
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: it carries an item under an id that is taken"));
    ObjectManager::Get().DestroyObjectEx(taken, __FILE__, __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();

    EXPECT_FALSE(Joins(*Spawn({}, 4)));
    EXPECT_TRUE(log.Contains("SpawnPlayerPacket from host 1 dropped: it carries a skill at a level its record does "
                             "not allow"));
    ASSERT_TRUE(Joins(*honest));
    EXPECT_TRUE(Live(kFirst) && Live(kSecond));
    EXPECT_EQ(ClientSkill()->GetSkillLevel(), 3);
}

// Its skill's state goes from 0 up to the record's maximum, or up to a level the server
// already has for it above that, never one further.
TEST_F(HostilePinImageTest, ASkillsLevelStaysWithinItsRecordsMaximumOrTheLevelTheServerHas)
{
    ASSERT_TRUE(Joins(*Spawn({}, 1)));
    EXPECT_TRUE(SetLevel(3));
    EXPECT_FALSE(SetLevel(4));
    EXPECT_FALSE(SetLevel(-1));
    EXPECT_EQ(ClientSkill()->GetSkillLevel(), 3);
    EXPECT_TRUE(SetLevel(0));

    // A level its character's record gave it above the maximum.
    ClientSkill()->SetSkillLevel(5);
    EXPECT_TRUE(SetLevel(5));
    EXPECT_FALSE(SetLevel(6));
    EXPECT_EQ(ClientSkill()->GetSkillLevel(), 5);
}

// ---- Reach ------------------------------------------------------------------------------------

class HostilePinReachTest : public HostileServerTest {
protected:
    static WorldCoords At(float x) { return WorldCoords(Here().GetRegion(), Coords::MakeTranslation(Vec3(x, 0, 0))); }
    template <class C>
    static C* Place(C* made, float x)
    {
        EXPECT_TRUE(made && World::Get().AddEntity(made, At(x)));
        return made;
    }
    // Whether the action was refused for its reach.
    template <class P>
    bool Refused(P& packet, const std::string& line)
    {
        LogCapture log;
        Send(packet);
        return log.Contains(std::string(packet.GetClassName()) + " from host 1 dropped: character " +
                            std::to_string(kClientPlayer) + line);
    }
};

// A loose item is picked up, a character talked to and a fixed item used from where the
// server has the player, give or take the client's walk and the latency's ground: a little
// farther is out of reach.
TEST_F(HostilePinReachTest, APickUpATalkOrAUseReachesNoFartherThanTheClientsClickWould)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/PinSage.dbr", "Class,Npc,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/PinWell.dbr", "Class,FixedItemWell,\n");
    ItemReplicaInfo sword;
    sword.baseName = "Records/Item/Weapons/Sword.dbr";
    const auto item = [&](float x) { return Place(Item::CreateItem(sword), x); };
    const auto sage = [](float x) {
        return Place(ObjectManager::Get().CreateObjectFromFile<Npc>("Records/Test/PinSage.dbr"), x);
    };
    // The client's click reaches the item over both extents, a step and a short walk; it
    // talks over both extents, its talking range and the ground either may have covered.
    const Item* probe = item(-100.0f);
    const float itemReach = client->GetExtents() + probe->GetBoundingRadius() + 7.5f;
    const float talkReach = client->GetExtents() + sage(-200.0f)->GetExtents() + 3.0f + kClientLeadTolerance;
    const uint32_t nearItem = item(itemReach - 0.05f)->GetObjectId(), farItem = item(itemReach + 0.25f)->GetObjectId();
    const uint32_t nearSage = sage(-talkReach + 0.05f)->GetObjectId(), farSage = sage(-talkReach - 1.0f)->GetObjectId();
    // A fixed item without a mesh is used where it stands, over the player's extents, its
    // extra reach of one unit and the half unit a walk may end short of it.
    const auto well = [](float x) {
        return Place(ObjectManager::Get().CreateObjectFromFile<FixedItem>("Records/Test/PinWell.dbr"), x)->GetObjectId();
    };
    const float useReach = client->GetExtents() + 1.0f + 0.5f;
    const uint32_t nearWell = well(useReach - 0.05f), farWell = well(-useReach - 0.25f);
    PickUpItemPacket pickUp;
    pickUp.characterId = kClientPlayer;
    pickUp.position = client->GetCoords().GetPosition();
    pickUp.itemId = farItem;
    const std::string itemOutOfReach = ": it names a loose item out of its character's reach";
    EXPECT_TRUE(Refused(pickUp, itemOutOfReach));
    EngageNpcPacket engage;
    engage.characterId = kClientPlayer;
    engage.targetId = farSage;
    EXPECT_TRUE(Refused(engage, " is out of reach of " + std::to_string(farSage)));
    UseItemPacket use;
    use.characterId = kClientPlayer;
    use.position = pickUp.position;
    use.itemId = farWell;
    EXPECT_TRUE(Refused(use, " is out of reach of " + std::to_string(farWell)));
    use.itemId = nearWell;
    EXPECT_FALSE(Refused(use, " is out of reach of " + std::to_string(nearWell)));
    // Taken, each sets its character going: last.
    engage.targetId = nearSage;
    EXPECT_FALSE(Refused(engage, " is out of reach of " + std::to_string(nearSage)));
    pickUp.itemId = nearItem;
    EXPECT_FALSE(Refused(pickUp, itemOutOfReach));
}

// A run's start is the client's own within the latency tolerance of where the server has
// its player, to the edge; beyond it the server's position replaces it.
TEST_F(HostilePinReachTest, ARunStartsWhereTheClientSaysOnlyWithinTheTolerance)
{
    MoveToPacket run;
    run.characterId = kClientPlayer;
    run.worldLocation = At(-5.0f).GetPosition();
    for (const float start : {kClientLeadTolerance, -kClientLeadTolerance - 0.5f, kClientLeadTolerance + 0.5f}) {
        run.startLocation = At(start).GetPosition();
        transport.sent.clear();
        Send(run);
        ASSERT_EQ(transport.sent.size(), 1u);
        MoveToPacket played = run;
        if (start != kClientLeadTolerance)
            played.startLocation = At(0.0f).GetPosition();
        EXPECT_EQ(transport.sent.back().bytes, Written(played)) << start;
    }
}

// A client reports the gold of a pile the server dropped only within the sharing radius
// of where the roster has its player: on the radius it is refused.
TEST_F(HostilePinReachTest, AGoldReportCountsOnlyWithinTheSharingRadius)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/PinGold.dbr", "Class,OneShot_Gold,\n");
    SinglePlayerHeartbeatPacket beat;
    beat.info = Roster({kClientPlayer})[0];
    beat.info.life = beat.info.maxLife = 100.0f;
    beat.info.position = client->GetCoords().GetPosition();
    Send(beat);
    ASSERT_EQ(engine->GetPlayerManagerServer()->GetPlayerLocation(kClientPlayer), beat.info.position);
    const auto report = [this](uint32_t gold, float x) {
        ItemReplicaInfo pile;
        pile.baseName = "Records/Test/PinGold.dbr";
        pile.var1 = gold;
        const uint32_t id = Place(Item::CreateItem(pile), x)->GetObjectId();
        BonusToServerPacket packet;
        packet.bonus.goldPoints = gold;
        packet.point = At(x).GetPosition();
        packet.activePlayer = kClientPlayer;
        LogCapture log;
        Send(packet);
        ObjectManager::Get().FlushDestroyedObjects();
        const bool taken = ObjectManager::Get().GetObject(id) == nullptr;
        EXPECT_EQ(log.Contains("BonusToServerPacket from host 1 dropped: bonus reported for player " +
                               std::to_string(kClientPlayer) + " refused: it was earned far from where the player is"),
                  !taken);
        return taken;
    };
    EXPECT_FALSE(report(7, kBonusSharingRadius));
    EXPECT_TRUE(report(9, kBonusSharingRadius - 0.1f));

    // Within the radius, only a pile of the amount reported.
    ItemReplicaInfo pile;
    pile.baseName = "Records/Test/PinGold.dbr";
    pile.var1 = 10;
    const uint32_t ten = Place(Item::CreateItem(pile), 1.0f)->GetObjectId();
    BonusToServerPacket more;
    more.bonus.goldPoints = 11;
    more.point = At(1.0f).GetPosition();
    more.activePlayer = kClientPlayer;
    // Ten of them (within the reports' budget) in one second of the drop log's clock cost
    // one line.
    NetDropLog::SetClock([] { return uint64_t{0}; });
    LogCapture log;
    for (int i = 0; i < 10; ++i)
        Send(more);
    EXPECT_EQ(log.Count("BonusToServerPacket from host 1 dropped: bonus reported for player " +
                        std::to_string(kClientPlayer) + " refused: no gold pile of that amount lies there"),
              1u);
    EXPECT_EQ(log.Texts().size(), 1u);
    NetDropLog::SetClock(nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject(ten), nullptr);
}

// A skill's result strikes only within its reach and the latency's tolerance, to the edge;
// a buff carries its skill's modifier at no more than the modifier's level.
TEST_F(HostilePinReachTest, ASkillStrikesWithinItsReachAndABuffsModifierWithinItsLevel)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/PinFoe.dbr", "Class,Monster,\ncharacterLife,2000,\n");
    records.RegisterRecord("Records/Test/PinBlow.dbr", "Class,Skill_AttackInherent,\nskillMaxLevel,1,\n");
    records.RegisterRecord("Records/Test/PinRallyBoost.dbr", "Class,Skill_Modifier,\nskillMaxLevel,3,\n");
    ObjectManager& objects = ObjectManager::Get();
    const auto learn = [&](const char* record, unsigned level) {
        auto* skill = objects.CreateObjectFromFile<Skill>(record);
        client->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(level);
        return skill;
    };
    const Skill* blow = learn("Records/Test/PinBlow.dbr", 1);
    // Picked from afar by a player that does not shoot: the pick's reach and the tolerance.
    const float reach = kSkillPickReach + kClientLeadTolerance;
    Character* near = Place(objects.CreateObjectFromFile<Character>("Records/Test/PinFoe.dbr"), reach - 0.1f);
    Character* far = Place(objects.CreateObjectFromFile<Character>("Records/Test/PinFoe.dbr"), -reach - 0.1f);
    gEngine->UpdateFrame(16);
    const auto refusal = [this](auto&& command) {
        LogCapture log;
        std::unique_ptr<NetPacket> packet(command.GetNetPacket());
        Send(*packet);
        gEngine->UpdateFrame(16);
        const std::vector<std::string> lines = log.Texts();
        return lines.empty() ? std::string() : lines.front();
    };
    const auto strike = [&](const Character* target) {
        return SkillTargetResultConfigCmd(kClientPlayer, client->GetSkillReferenceNumber(blow->GetObjectId()),
                                          {target->GetObjectId()}, client->GetCoords(), 7, 0, false, 1);
    };
    EXPECT_EQ(refusal(strike(far)),
              "SkillTargetResultConfigCmdPacket from host 1 dropped: a target is beyond the skill's reach");
    EXPECT_EQ(refusal(strike(near)), "");

    Skill* rally = learn("Records/Skills/ArenaRally.dbr", 1);
    Skill* boost = learn("Records/Test/PinRallyBoost.dbr", 2);
    rally->AddModifier(boost->GetObjectId());
    const auto buff = [](uint32_t boostLevel) {
        return CreateRemoveSkillBuffConfigCmd(kClientPlayer, 0, "Records/Skills/Buffs/ArenaRallyBuff.dbr", 1,
                                              "Records/Test/PinRallyBoost.dbr", boostLevel, "", 0, 5000,
                                              kClientPlayer);
    };
    EXPECT_EQ(refusal(buff(3)), "CreateRemoveSkillBuffConfigCmdPacket from host 1 dropped: its buff carries a "
                                "modifier its caster's skill has not");
    EXPECT_EQ(refusal(buff(2)), "");
}

// ---- Reach along a walk --------------------------------------------------------------------------

// The client's player runs: it plays the data's fighter, whose run carries it 4 units a second.
class HostilePinWalkTest : public HostilePinReachTest {
protected:
    void SetUp() override
    {
        HostilePinReachTest::SetUp();
        PlayTheFighter();
        sword.baseName = "Records/Item/Weapons/Sword.dbr";
        itemReach = client->GetExtents() + Item::CreateItem(sword)->GetBoundingRadius() + kItemReach + kItemWalkLimit +
                    kUseWalkTolerance;
    }
    // The client's run from where the server has its player to `x`.
    void RunTo(float x)
    {
        MoveToPacket run;
        run.characterId = kClientPlayer;
        run.startLocation = client->GetPathPosition();
        run.worldLocation = At(x).GetPosition();
        Send(run);
        ASSERT_TRUE(client->IsMoving());
    }
    // What the server logged of a pick-up of a sword lying at `x` (nothing: it was taken).
    std::string PickUp(float x)
    {
        PickUpItemPacket pickUp;
        pickUp.characterId = kClientPlayer;
        pickUp.position = client->GetCoords().GetPosition();
        pickUp.itemId = Place(Item::CreateItem(sword), x)->GetObjectId();
        return Logged(pickUp);
    }
    // What the server logged of a drop at `x` of a sword the player holds (nothing: it
    // landed there).
    std::string Drop(float x)
    {
        CreateItemPacket packet = DropOfHeld(sword, At(x), ++seed);
        return Logged(packet);
    }
    std::string Logged(NetPacket& packet)
    {
        LogCapture log;
        Send(packet);
        std::string lines;
        for (const std::string& line : log.Texts())
            lines += line;
        return lines;
    }

    ItemReplicaInfo sword;
    float itemReach = 0.0f;
    uint32_t seed = 0;
    const std::string outOfReach = "PickUpItemPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                                   ": it names a loose item out of its character's reach";
};

// A run asked for lends its walk's end no reach: a drop, pick-up or use at once at its far
// end (500 units off, or 40) lands or is taken only within reach of where the server has the
// player and of the way it covers at its pace in the lead's time, to the edge.
TEST_F(HostilePinWalkTest, AClickFarAwayAtOnceReachesOnlyTheWayThePlayersPaceCovers)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/PinWell.dbr", "Class,FixedItemWell,\n");
    const std::string moved = "CreateItemPacket from host 1 amended: it puts an item into the world out of its "
                              "player's reach; it lands where the server has its player instead";
    // Each right after the run's request (a pick-up or use taken would end the run).
    for (const float end : {500.0f, 40.0f}) {
        RunTo(end);
        EXPECT_EQ(Drop(end), moved) << end;
        RunTo(end);
        EXPECT_EQ(PickUp(end), outOfReach) << end;
        RunTo(end);
        UseItemPacket use;
        use.characterId = kClientPlayer;
        use.position = client->GetCoords().GetPosition();
        use.itemId = Place(ObjectManager::Get().CreateObjectFromFile<FixedItem>("Records/Test/PinWell.dbr"), end)
                         ->GetObjectId();
        EXPECT_EQ(Logged(use), "UseItemPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                                   " is out of reach of " + std::to_string(use.itemId));
    }
    const float lead = client->GetMotion().Length() * kWalkLeadMs / 1000.0f;
    ASSERT_GT(lead, 1.0f);
    EXPECT_EQ(Drop(lead + itemReach + 0.25f), moved);
    EXPECT_EQ(Drop(lead + itemReach - 0.25f), "");
    EXPECT_EQ(PickUp(lead + itemReach + 0.25f), outOfReach);
    EXPECT_EQ(PickUp(lead + itemReach - 0.25f), "");
}

// A real click's walk: the client's player reaches the sword it clicked (a step off the
// walk's end) and drops another at its feet, while the server's player, whose frames lag
// the client's, still has most of the lead's way to run: both are taken where the client
// says; a click behind it is out of reach.
TEST_F(HostilePinWalkTest, AClickAtTheWalksEndIsTakenWhileTheServersPlayerStillRunsThere)
{
    constexpr float kEnd = 30.0f;
    RunTo(kEnd);
    const float lag = client->GetMotion().Length() * kWalkLeadMs / 1000.0f - 0.5f;
    for (int frames = 0; WorldDistance(client->GetPathPosition(), At(kEnd).GetPosition()) > lag; ++frames) {
        ASSERT_LT(frames, 1000);
        gEngine->UpdateFrame(100);
    }
    ASSERT_GT(WorldDistance(client->GetPathPosition(), At(kEnd).GetPosition()), lag - 1.0f);
    // The way behind the server's player lends no reach.
    EXPECT_EQ(PickUp(client->GetPathPosition().GetRegionPosition().x - itemReach - 1.0f), outOfReach);
    EXPECT_EQ(Drop(kEnd + 1.0f), "");
    EXPECT_EQ(PickUp(kEnd + client->GetExtents() + 1.0f), "");
}

// The client's frames may run far ahead of the server's: a pick-up out of reach while the
// server's player still runs towards it is held, and taken once the player is within reach;
// a use that its run never brings within reach is refused when the player stops.
TEST_F(HostilePinWalkTest, AnActionOutOfReachWaitsWhileTheServersPlayerRunsAndIsTakenOnlyWithinReach)
{
    NetPacketRegistry::Get().SetHoldLimits(120, 30000);
    const auto runUntilStopped = [this] {
        for (int frames = 0; client->IsMoving() && frames < 1000; ++frames)
            gEngine->UpdateFrame(100);
    };
    RunTo(40.0f);
    PickUpItemPacket pickUp;
    pickUp.characterId = kClientPlayer;
    pickUp.position = At(40.0f).GetPosition();
    Item* lying = Place(Item::CreateItem(sword), 40.0f);
    pickUp.itemId = lying->GetObjectId();
    EXPECT_EQ(Logged(pickUp), "PickUpItemPacket from host 1 held: its character is still on its way to what it names");
    EXPECT_TRUE(lying->IsInWorld());
    // A teleport its player asks for meanwhile waits behind it (a boat it uses on arrival).
    StartTeleportPacket teleport;
    teleport.playerId = kClientPlayer;
    EXPECT_EQ(Logged(teleport), "StartTeleportPacket from host 1 held: it follows packets held for the same objects");
    // And so does the state its loader reports, which the server's loader for it must hear.
    NRLoaderStatePacket loaded;
    loaded.playerId = kClientPlayer;
    loaded.state = NRLoaderState_Loaded;
    EXPECT_EQ(Logged(loaded), "NRLoaderStatePacket from host 1 held: it follows packets held for the same objects");
    runUntilStopped();
    EXPECT_TRUE(client->HasItem(lying->GetObjectId()));

    RecordDatabase::Get().RegisterRecord("Records/Test/PinWell.dbr", "Class,FixedItemWell,\n");
    RunTo(0.0f);
    UseItemPacket use;
    use.characterId = kClientPlayer;
    use.position = client->GetCoords().GetPosition();
    use.itemId = Place(ObjectManager::Get().CreateObjectFromFile<FixedItem>("Records/Test/PinWell.dbr"), 80.0f)
                     ->GetObjectId();
    LogCapture log;
    Send(use);
    runUntilStopped();
    gEngine->UpdateFrame(100);
    EXPECT_TRUE(log.Contains("UseItemPacket from host 1 dropped: character " + std::to_string(kClientPlayer) +
                             " is out of reach of " + std::to_string(use.itemId)));
    NetPacketRegistry::Get().SetHoldLimits(0, 0);
}

// ---- Chained run starts ---------------------------------------------------------------------

// A chain of runs, each starting 9 units beyond where the server has the player (inside the
// tolerance every time), carries it no farther than its pace covers meanwhile and the
// tolerance: all at once, after a minute idle (which banks no more than the tolerance), and
// one a frame while it runs.
TEST_F(HostilePinWalkTest, ChainedRunStartsCarryThePlayerNoFartherThanItsPace)
{
    RunTo(1000.0f);
    const float pace = client->GetMotion().Length();
    ASSERT_GT(pace, 1.0f);
    MoveToPacket run;
    run.characterId = kClientPlayer;
    run.worldLocation = At(1000.0f).GetPosition();
    const auto x = [this] { return client->GetPathPosition().GetRegionPosition().x; };
    const auto chain = [&](int runs, int frameMs) {
        const float from = x();
        LogCapture log;
        for (int i = 0; i < runs; ++i) {
            run.startLocation = At(x() + 9.0f).GetPosition();
            Send(run);
            gEngine->UpdateFrame(frameMs);
        }
        EXPECT_TRUE(log.Contains("MoveToPacket from host 1 amended: its starts carry its character farther than its "
                                 "pace covers; it starts where the server has it instead"));
        return x() - from;
    };
    GameClock::Get().Advance(60000);
    EXPECT_LE(chain(20, 0), kClientLeadTolerance);
    const float seconds = 4.0f;
    EXPECT_LE(chain(40, 100), pace * seconds + kClientLeadTolerance + 0.01f);
}

// A run the client plays a million times sped up lends its chain of starts no pace: each
// sped-up run followed by a start 9 units on, a tenth of a second apart, carries the player
// no farther than its own run covers meanwhile and the tolerance.
TEST_F(HostilePinWalkTest, ASpedUpRunAnimationDoesNotWidenTheRunStarts)
{
    RunTo(1000.0f);
    const float pace = client->GetMotion().Length();
    PlayAnimationActionPacket sprint;
    sprint.characterId = kClientPlayer;
    sprint.animationType = AnimationSet_Run;
    sprint.speedModifier = 1e6f;
    sprint.loop = true;
    MoveToPacket run;
    run.characterId = kClientPlayer;
    run.worldLocation = At(1000.0f).GetPosition();
    const auto x = [this] { return client->GetPathPosition().GetRegionPosition().x; };
    const float from = x();
    LogCapture quiet;
    for (int i = 0; i < 20; ++i) {
        Send(sprint);
        run.startLocation = At(x() + 9.0f).GetPosition();
        Send(run);
        GameClock::Get().Advance(100);
    }
    EXPECT_LE(x() - from, pace * 2.0f + kClientLeadTolerance + 0.01f);
}

// A real client clicks every 250 ms while its player runs at its pace; each request reaches
// the server after a lag of 0 to 2 s (seeded), in order: every start is taken where the
// client says, over a run of 20 s.
TEST_F(HostilePinWalkTest, ARealClientsRunsUnderAChangingLagStartWhereItSays)
{
    RunTo(1000.0f);
    const float pace = client->GetMotion().Length();
    MoveToPacket run;
    run.characterId = kClientPlayer;
    run.worldLocation = At(1000.0f).GetPosition();
    std::minstd_rand lag(20261210);
    LogCapture log;
    uint32_t now = 0, arrives = 0;
    for (uint32_t click = 250; click <= 20000; click += 250) {
        arrives = std::max(arrives, click + static_cast<uint32_t>(lag() % 2001));
        for (; now < arrives; now += 50)
            gEngine->UpdateFrame(50);
        run.startLocation = At(pace * static_cast<float>(click) / 1000.0f).GetPosition();
        Send(run);
        ASSERT_EQ(client->GetPathPosition(), run.startLocation) << click;
    }
    for (const std::string& line : log.Texts())
        EXPECT_EQ(line.find("amended"), std::string::npos) << line;
}

// ---- The run and walk budget ------------------------------------------------------------------

// A host's runs and walks draw on one budget: its burst at once, then so many a second. An
// idle host banks no more than the burst: the run or walk after it is refused.
TEST_F(HostilePinReachTest, RunsAndWalksShareABudgetThatIdlingFillsOnlyToItsBurst)
{
    constexpr int kBurst = 256;   // NetworkRoute.cpp: 256 at once, 256 a second
    int followed = 0;
    NetPacketRegistry::Get().SetAppliedObserver([&followed](NetPacket& packet, int) {
        followed += packet.GetType() == MoveToPacket::kType || packet.GetType() == WalkPacket::kType;
    });
    const std::unique_ptr<void, void (*)(void*)> observer(
        &followed, [](void*) { NetPacketRegistry::Get().SetAppliedObserver({}); });
    MoveToPacket run;
    run.characterId = kClientPlayer;
    run.startLocation = client->GetPathPosition();
    run.worldLocation = At(1.0f).GetPosition();
    WalkPacket walk;
    walk.characterId = kClientPlayer;
    walk.startLocation = run.startLocation;
    walk.worldLocation = run.worldLocation;
    Send(walk);
    GameClock::Get().Advance(60000);   // a minute idle
    for (int i = 0; i < kBurst / 2; ++i) {
        Send(run);
        Send(walk);
    }
    EXPECT_EQ(followed, kBurst + 1);
    LogCapture log;
    Send(run);
    Send(walk);
    EXPECT_EQ(followed, kBurst + 1);
    EXPECT_TRUE(log.Contains("MoveToPacket from host 1 dropped: it runs more than 256 times a second"));
    EXPECT_TRUE(log.Contains("WalkPacket from host 1 dropped: it runs more than 256 times a second"));
}

}  // namespace hostile_pin_test
}  // namespace GAME
