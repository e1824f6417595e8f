// The level the load benchmarks play: a village and a road built from the bundled records
// on a server, with 4 players against 500 monsters under their own controllers.
//
// The village holds the quest giver, the merchant and villagers round the origin; the
// bundled quest is loaded and its shrine stands in the square. The road runs 400 units
// along x: on it stand the bundled field proxies (their wisps) and ambushes, music volumes
// every 50 units, and packs of the bundled arena monster up to 500 monsters. Each player
// starts at its own stretch of the road and plays as a person would with a held button:
// every quarter second it clicks the nearest living monster in reach (its controller runs
// there and strikes), or a point further down the road. A player low on life drinks (its
// life is filled between frames).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/quests/QuestRepository.h"

namespace GAME::bench {

constexpr int kLevelFrameMs = 16;
constexpr int kPlayers = 4;
constexpr int kMonsters = 500;
constexpr uint32_t kRegionId = 1;

constexpr const char* kPlayerRecord = "Records/Creatures/ArenaPlayer.dbr";
constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
constexpr const char* kQuestFile = "Levels/Quests/ArenaTrial.qst";
constexpr const char* kShrineRecord = "Records/Quests/ArenaShrine.dbr";
constexpr const char* kMusicVolumeRecord = "Records/Volumes/ShoreMusic.dbr";
constexpr const char* kFieldProxyRecord = "Records/Proxies/FieldProxy.dbr";
constexpr const char* kAmbushRecord = "Records/Proxies/PathAmbush.dbr";

struct Placement {
    const char* record;
    Vec3 where;
};
constexpr Placement kVillage[] = {
    {"Records/Creatures/QuestGiver.dbr", {0.0f, 0.0f, 4.0f}},
    {"Records/Creatures/Merchant.dbr", {-6.0f, 0.0f, 2.0f}},
    {"Records/Creatures/Villager.dbr", {-4.0f, 0.0f, -5.0f}},
    {"Records/Creatures/Villager.dbr", {3.0f, 0.0f, -7.0f}},
    {"Records/Creatures/Villager.dbr", {-9.0f, 0.0f, -2.0f}},
    {"Records/Creatures/Villager.dbr", {6.0f, 0.0f, 6.0f}},
};

// The road: from the village's edge along x.
constexpr float kRoadStart = 20.0f;
constexpr float kRoadLength = 400.0f;
constexpr float kVolumeSpacing = 50.0f;
constexpr float kProxySpacing = 80.0f;
// The monsters' packs: kPackSize on a small grid, one pack every kPackSpacing along the
// road, alternately on either side of it.
constexpr int kPackSize = 10;
constexpr float kPackSpacing = 8.0f;
constexpr float kPackSide = 6.0f;
// A player clicks every kClickMs: on the nearest living monster within kReach, else on a
// point kStride further down the road.
constexpr int kClickMs = 250;
constexpr float kReach = 20.0f;
constexpr float kStride = 10.0f;
constexpr float kDrinkBelow = 0.4f;   // of the life limit

// A fixed sequence, so every run places the packs alike.
class Lcg {
public:
    explicit Lcg(uint64_t seed) : m_state(seed) {}
    float Range(float low, float high)
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return low + (high - low) * static_cast<float>(m_state >> 40) / static_cast<float>(1ull << 24);
    }

private:
    uint64_t m_state;
};

class FilterMonsters : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override { return entity->IsA<Monster>(); }
};

class Level {
public:
    // The server's packets go to `transport`, which the caller keeps.
    explicit Level(NetTransport& transport)
    {
        m_previousLog = gEngine->SetLogSink([](const LogLine&) {});
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        InitializeObjects();
        m_engine = gGameEngine;
        m_engine->SetAsNetworkServer();
        ConnectionManager::Get().SetTransport(&transport);
        m_engine->SetGameLoading(false);
        m_region = World::Get().AddRegion(kRegionId, "Village");
        m_previousObserver = EventManager::Get().SetSendObserver([this](const GameEvent&, const Name& name) {
            if (name == m_deathEvent)
                ++m_deaths;
        });
        BuildVillage();
        BuildRoad();
        PlacePlayers();
        // The first frame: every proxy spawns its wisps; the arena packs fill the road up
        // to the level's number of monsters.
        Frame();
        FillWithPacks();
    }
    ~Level()
    {
        EventManager::Get().SetSendObserver(std::move(m_previousObserver));
        m_engine->SetPlayer(nullptr);
        ConnectionManager::Get().SetTransport(nullptr);
        QuestRepository::Get()->Reset();
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
        gEngine->SetLogSink(m_previousLog);
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    bool IsComplete() const { return m_players.size() == kPlayers && CountMonsters(false) == kMonsters; }

    // The host's frame.
    void Frame()
    {
        m_engine->Update(kLevelFrameMs);
        gEngine->UpdateFrame(kLevelFrameMs);
        m_engine->GetCamera().Update();
        m_crowding.FixupCharacterCollisions(m_engine->GetCamera());
    }

    // Between frames: the players' clicks and drinks.
    void Play()
    {
        m_clock += kLevelFrameMs;
        const bool clicking = m_clock >= kClickMs;
        if (clicking)
            m_clock -= kClickMs;
        for (uint32_t id : m_players) {
            auto* player = ObjectManager::Get().GetObject<Player>(id);
            if (!player || !player->IsAlive())
                continue;
            CharacterBio& bio = player->GetCharacterBio();
            if (bio.GetCurrentLife() < kDrinkBelow * bio.GetLifeLimit()) {
                bio.SetCurrentLife(bio.GetLifeLimit());
                ++m_drinks;
            }
            if (clicking)
                Click(*player);
        }
    }

    int CountMonsters(bool aliveOnly) const
    {
        std::vector<Entity*> found;
        World::Get().GetEntities(found, FilterMonsters(), EntityList_All);
        int count = 0;
        for (const Entity* entity : found)
            count += !aliveOnly || static_cast<const Monster*>(entity)->IsAlive();
        return count;
    }
    int PlayersAlive() const
    {
        int alive = 0;
        for (uint32_t id : m_players)
            if (const auto* player = ObjectManager::Get().GetObject<Player>(id))
                alive += player->IsAlive();
        return alive;
    }
    long long Deaths() const { return m_deaths; }
    long long Drinks() const { return m_drinks; }

private:
    Character* Place(const char* record, const Vec3& where)
    {
        auto* entity = ObjectManager::Get().CreateObjectFromFile<Entity>(record);
        if (!entity || !World::Get().AddEntity(entity, WorldCoords(m_region, Coords::MakeTranslation(where))))
            return nullptr;
        auto* character = DynamicCast<Character>(entity);
        if (character) {
            character->SetPathPosition(WorldVec3(m_region, where));
            character->GetCharacterBio().InitialUpdate(*character);
            character->GetCharacterBio().Update(*character, 0);
        }
        return character;
    }

    void BuildVillage()
    {
        for (const Placement& placement : kVillage)
            Place(placement.record, placement.where);
        Place(kShrineRecord, Vec3(2.0f, 0.0f, 0.0f));
        World::Get().AddQuestFile(kQuestFile);
        QuestRepository::Get()->Load();
    }

    void BuildRoad()
    {
        for (float x = kRoadStart; x < kRoadStart + kRoadLength; x += kVolumeSpacing)
            Place(kMusicVolumeRecord, Vec3(x, 0.0f, 0.0f));
        bool ambush = false;
        for (float x = kRoadStart + kProxySpacing / 2; x < kRoadStart + kRoadLength; x += kProxySpacing) {
            Place(ambush ? kAmbushRecord : kFieldProxyRecord, Vec3(x, 0.0f, ambush ? 12.0f : -12.0f));
            ambush = !ambush;
        }
    }

    void PlacePlayers()
    {
        for (int i = 0; i < kPlayers; ++i) {
            const float x = kRoadStart + kRoadLength * static_cast<float>(i) / kPlayers;
            auto* player = DynamicCast<Player>(Place(kPlayerRecord, Vec3(x, 0.0f, 0.0f)));
            if (!player)
                return;
            player->SetIsControllingCharacter(true);
            m_players.push_back(player->GetObjectId());
        }
        m_engine->GetPlayerManagerClient()->SetMainPlayer(m_players.front());
        // The camera follows the first player: what it sees is what the crowding pushes.
        m_engine->SetPlayer(ObjectManager::Get().GetObject<Player>(m_players.front()));
    }

    void FillWithPacks()
    {
        Lcg random(57);
        int missing = kMonsters - CountMonsters(false);
        for (int pack = 0; missing > 0; ++pack) {
            const float x = kRoadStart + std::fmod(static_cast<float>(pack) * kPackSpacing, kRoadLength);
            const float side = pack % 2 ? kPackSide : -kPackSide;
            for (int i = 0; i < kPackSize && missing > 0; ++i, --missing) {
                const Vec3 at(x + random.Range(-3.0f, 3.0f), 0.0f, side + random.Range(-3.0f, 3.0f));
                if (!Place(kMonsterRecord, at))
                    return;
            }
        }
    }

    void Click(Player& player)
    {
        ControllerPlayer* controller = player.GetPlayerController();
        if (!controller)
            return;
        const Vec3 at = player.GetPathPosition().GetRegionPosition();
        m_found.clear();
        World::Get().GetEntitiesInSphere(m_found, m_region, Sphere{at, kReach}, EntityList_All);
        Monster* nearest = nullptr;
        float best = kReach * kReach;
        for (Entity* entity : m_found) {
            auto* monster = DynamicCast<Monster>(entity);
            if (!monster || !monster->IsAlive())
                continue;
            const Vec3 d = monster->GetPathPosition().GetRegionPosition() - at;
            const float distance = d.x * d.x + d.z * d.z;
            if (distance < best) {
                best = distance;
                nearest = monster;
            }
        }
        uint32_t target = nearest ? nearest->GetObjectId() : 0;
        const Vec3 point = nearest ? nearest->GetPathPosition().GetRegionPosition()
                                   : Vec3(std::min(at.x + kStride, kRoadStart + kRoadLength), 0.0f, 0.0f);
        controller->HandleActionFromMouse(true, false, false, true, WorldVec3(m_region, point), target);
    }

    LogSink m_previousLog;
    EventManager::SendObserver m_previousObserver;
    GameEngine* m_engine = nullptr;
    Region* m_region = nullptr;
    InterpenetrationManager m_crowding;
    std::vector<uint32_t> m_players;
    std::vector<Entity*> m_found;
    const Name m_deathEvent{"GameEvent_CreatureDeath"};
    int m_clock = 0;
    long long m_deaths = 0;
    long long m_drinks = 0;
};

}  // namespace GAME::bench
