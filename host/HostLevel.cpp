#include "host/HostLevel.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/TextUtil.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/ai/ControllerTyphon.h"
#include "Game/characters/Player.h"
#include "Game/characters/Typhon.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/world/MapMarkers.h"
#include "host/HostBosses.h"
#include "host/HostFight.h"
#include "host/HostLevelTell.h"
#include "host/HostLevelUI.h"
#include "host/HostNetwork.h"
#include "host/HostSeed.h"
#include "host/HostText.h"
#include "host/HostVillage.h"

namespace GAME {

namespace {

// The characters of the world: those the level placed and those that came over the network.
class HostLevelCharacters : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override { return entity && entity->IsA<Character>(); }
};

// A networked frame gives the other process a moment: its packets arrive in time.
constexpr int kLevelNetworkFrameSleepMs = 4;
// A client's player stands this far behind the level's player.
constexpr float kGuestOffset = -3.0f;

}  // namespace

// ---- The run --------------------------------------------------------------------------------

class HostLevelRun {
public:
    explicit HostLevelRun(const HostLevel& level) : m_level(level) {}

    // A guest (a network client) places only its own player; the rest comes from the server.
    bool Start(GameEngine& engine, bool guest)
    {
        Region* region = m_level.OpenRegion(false);
        if (!region)
            return false;
        HostLevel::Placement own = m_level.m_player;
        if (guest)
            own.where.z += kGuestOffset;
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(own.record);
        if (player)
            player->SetPlayerName(u"Hero");   // named before its placement is told
        if (!player || !Place(*player, region, own))
            return false;
        m_playerId = player->GetObjectId();
        player->SetIsControllingCharacter(true);
        engine.GetPlayerManagerClient()->SetMainPlayer(m_playerId);
        engine.SetPlayer(player);
        if (!guest)
            PlaceAll(region);
        return true;
    }

    // A player already in the world arrives in the level's region (made set apart when it
    // is new), where the level places its player, and the level's objects are placed.
    bool Arrive(uint32_t playerId)
    {
        auto* player = ObjectManager::Get().GetObject<Character>(playerId);
        if (!player)
            return false;
        Region* region = m_level.OpenRegion(true);
        if (!region)
            return false;
        const Vec3& where = m_level.m_player.where;
        if (!World::Get().SetCoords(player, WorldCoords(region, Coords::MakeTranslation(where))))
            return false;
        player->SetPathPosition(WorldVec3(region, where));
        m_playerId = playerId;
        m_printHurt = false;
        std::printf("level: the player arrives in %s at (%.1f, %.1f, %.1f)\n", m_level.m_regionName.c_str(), where.x,
                    where.y, where.z);
        PlaceAll(region);
        return true;
    }

    void BeforeFrame(int frame)
    {
        for (const HostLevel::Step& step : m_level.m_steps) {
            if (step.frame != frame)
                continue;
            if (step.kind == HostLevel::Step::Attack || step.kind == HostLevel::Step::Break) {
                m_attacks.push_back(&step);   // taken up once the player's earlier foe has fallen
                continue;
            }
            Character* target = Find(step.record);
            if (!target) {
                std::printf("level: frame %d: nobody of %s is there\n", frame, step.record.c_str());
                continue;
            }
            const std::string name = HostName(target);
            if (step.kind == HostLevel::Step::Wake) {
                if (auto* mind = ObjectManager::Get().GetObject<ControllerAI>(target->GetControllerId()))
                    mind->WakeUp(m_playerId);
                std::printf("level: frame %d: the player wakes %s\n", frame, name.c_str());
            } else if (HostLevelOrderSkill(*target, m_playerId)) {
                std::printf("level: frame %d: the quest orders %s to use a skill\n", frame, name.c_str());
            }
        }
        HoldAttack(frame);
    }

    // The held button on the character the player attacks: the first frame a new click on
    // it, then the button held, until it falls; then the next attack the script asked for.
    // The blows, and the hits the player takes, are the game's.
    void HoldAttack(int frame)
    {
        auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
        ControllerPlayer* controller = player && player->IsAlive() ? player->GetPlayerController() : nullptr;
        if (!controller)
            return;
        auto* target = ObjectManager::Get().GetObject<Character>(m_attacked);
        while ((!target || !target->IsAlive()) && !m_attacks.empty()) {
            const HostLevel::Step& step = *m_attacks.front();
            const bool statue = step.kind == HostLevel::Step::Break;
            target = statue ? FindWieldedStatue() : FindNearest(step.record, *player);
            if (!target && statue && FindFinalBoss()) {
                // The boss wields no god yet: the player waits for it to take one.
                if (!m_waitingForGod)
                    std::printf("level: frame %d: the player waits for the final boss to take a god\n", frame);
                m_waitingForGod = true;
                m_attacked = 0;
                return;
            }
            m_waitingForGod = false;
            m_attacks.pop_front();
            if (!target) {
                std::printf("level: frame %d: nobody of %s is there to attack\n", frame,
                            statue ? "the wielded god's statue" : step.record.c_str());
                continue;
            }
            m_attacked = target->GetObjectId();
            m_attackHeld = false;
            std::printf("level: frame %d: the player attacks %s (life %.0f of %.0f)\n", frame,
                        HostName(target).c_str(), target->GetCurrentLife(),
                        target->GetCharacterBio().GetLifeLimit());
        }
        if (!target || !target->IsAlive()) {
            m_attacked = 0;
            return;
        }
        uint32_t id = m_attacked;
        controller->HandleActionFromMouse(true, false, false, m_attackHeld, target->GetPathPosition(), id);
        m_attackHeld = true;
    }

    void AfterFrame(int frame)
    {
        std::vector<Entity*> found;
        World::Get().GetEntities(found, HostLevelCharacters(), EntityList_All);
        for (Entity* entity : found)
            m_seen.try_emplace(entity->GetObjectId());
        for (auto& [id, seen] : m_seen) {
            auto* character = ObjectManager::Get().GetObject<Character>(id);
            if (!character)
                continue;
            const std::string name = HostName(character);
            const Character_LifeState life = character->GetLifeState();
            if (life != seen.life && (life == Character_LifeState_Dying || life == Character_LifeState_Dead))
                std::printf("level: frame %d: %s %s\n", frame, name.c_str(),
                            life == Character_LifeState_Dying ? "is dying" : "is dead");
            seen.life = life;
            auto* mind = ObjectManager::Get().GetObject<ControllerAI>(character->GetControllerId());
            if (!mind || !HostLevelIsBoss(*mind))
                continue;
            const std::string state = mind->GetExecutingStateName();
            if (state != seen.state && !state.empty())
                std::printf("boss: frame %d: %s is in state %s\n", frame, name.c_str(), state.c_str());
            seen.state = state;
            if (const auto* typhon = DynamicCast<ControllerTyphon>(mind); typhon && typhon->GetCurrentGod() != seen.god) {
                seen.god = typhon->GetCurrentGod();
                std::printf("boss: frame %d: %s fights with %s\n", frame, name.c_str(),
                            seen.god < ControllerTyphon::kGodCount ? GodIndexToName(seen.god) : "its own attacks");
            }
        }
        // The player's blows on its foe, and, in a level of its own, the blows it takes.
        if (const auto* foe = ObjectManager::Get().GetObject<Character>(m_attacked)) {
            const float life = foe->GetCurrentLife();
            if (m_foeLife >= 0.0f && m_foeId == m_attacked && life < m_foeLife)
                std::printf("level: frame %d: %s takes the player's blows: life %.1f -> %.1f\n", frame,
                            HostName(foe).c_str(), m_foeLife, life);
            m_foeId = m_attacked;
            m_foeLife = life;
        }
        if (const auto* player = ObjectManager::Get().GetObject<Character>(m_playerId); player && m_printHurt) {
            const float life = player->GetCurrentLife();
            if (m_playerLife >= 0.0f && life < m_playerLife - 0.05f)
                std::printf("level: frame %d: the player is hurt: life %.1f -> %.1f\n", frame, m_playerLife, life);
            m_playerLife = life;
        }
        const std::string& music = Jukebox::Get().GetEventMusic();
        if (music != m_music) {
            m_music = music;
            std::printf("music: frame %d: %s\n", frame, music.c_str());
        }
    }

private:
    // Places the level's objects, then tells the scripted characters where the script
    // points placed for them stand: every character of the level is there by then,
    // whatever the order of the lines.
    void PlaceAll(Region* region)
    {
        std::vector<uint32_t> points;
        for (const HostLevel::Placement& placement : m_level.m_placements) {
            auto* entity = ObjectManager::Get().CreateObjectFromFile<Entity>(placement.record);
            if (!entity || !Place(*entity, region, placement)) {
                std::printf("level: %s could not be placed\n", placement.record.c_str());
                continue;
            }
            if (entity->IsA<ScriptPoint>())
                points.push_back(entity->GetObjectId());
        }
        for (uint32_t id : points)
            if (const auto* point = ObjectManager::Get().GetObject<ScriptPoint>(id))
                HostLevel::AnnounceScriptPoint(*point);
    }

    struct Seen {
        Character_LifeState life = Character_LifeState_Unknown;
        std::string state;
        uint32_t god = ControllerTyphon::kNoGod;
    };

    bool Place(Entity& entity, Region* region, const HostLevel::Placement& placement)
    {
        if (!World::Get().AddEntity(&entity, WorldCoords(region, Coords::MakeTranslation(placement.where))))
            return false;
        if (auto* character = DynamicCast<Character>(&entity)) {
            character->SetPathPosition(WorldVec3(region, placement.where));
            character->GetCharacterBio().InitialUpdate(*character);
            character->GetCharacterBio().Update(*character, 0);
            m_seen[character->GetObjectId()] = Seen();
        }
        std::printf("level: %s placed at (%.1f, %.1f, %.1f)\n", HostName(&entity).c_str(), placement.where.x,
                    placement.where.y, placement.where.z);
        return true;
    }

    // A living final boss of the level.
    const Typhon* FindFinalBoss() const
    {
        for (const auto& entry : m_seen)
            if (const auto* boss = ObjectManager::Get().GetObject<Typhon>(entry.first); boss && boss->IsAlive())
                return boss;
        return nullptr;
    }

    // The living statue of the god a final boss of the level wields now.
    Character* FindWieldedStatue() const
    {
        for (const auto& entry : m_seen) {
            const auto* boss = ObjectManager::Get().GetObject<Typhon>(entry.first);
            const ControllerTyphon* mind = boss ? boss->GetTyphonController() : nullptr;
            if (!mind || mind->GetCurrentGod() >= ControllerTyphon::kGodCount)
                continue;
            for (const auto& other : m_seen) {
                auto* statue = ObjectManager::Get().GetObject<TyphonStatue>(other.first);
                if (statue && statue->IsAlive() && statue->GetGod() == mind->GetCurrentGod())
                    return statue;
            }
        }
        return nullptr;
    }

    // The living character of that record nearest the player (the first placed of those
    // as near).
    Character* FindNearest(const std::string& record, Character& player) const
    {
        Character* nearest = nullptr;
        float best = 0.0f;
        for (const auto& entry : m_seen) {
            auto* character = ObjectManager::Get().GetObject<Character>(entry.first);
            if (!character || character->GetObjectName() != record || !character->IsAlive())
                continue;
            const float distance = (character->GetPathPosition().GetRegionPosition() -
                                    player.GetPathPosition().GetRegionPosition()).Length();
            if (!nearest || distance < best) {
                nearest = character;
                best = distance;
            }
        }
        return nearest;
    }

    Character* Find(const std::string& record) const
    {
        for (const auto& entry : m_seen)
            if (auto* character = ObjectManager::Get().GetObject<Character>(entry.first))
                if (character->GetObjectName() == record && character->IsAlive())
                    return character;
        return nullptr;
    }

    const HostLevel& m_level;
    uint32_t m_playerId = 0;
    std::deque<const HostLevel::Step*> m_attacks;   // attack steps due, not yet taken up
    uint32_t m_attacked = 0;                         // the character the player attacks
    bool m_attackHeld = false;
    bool m_waitingForGod = false;
    uint32_t m_foeId = 0;
    float m_foeLife = -1.0f;
    bool m_printHurt = true;   // the blows the player takes (a village prints them itself)
    float m_playerLife = -1.0f;
    std::map<uint32_t, Seen> m_seen;
    std::string m_music;
};

bool HostLevel::Accepted(const HostOptions& options) const
{
    if (!HostAccepted(options))
        return false;
    // A level of none of either (the village) says what it holds itself.
    if (!GetPlacements().empty() || !GetSteps().empty())
        std::printf("gamehost: level %s: %s, %s\n", options.level.c_str(), HostCount(GetPlacements().size(), "object").c_str(),
                    HostCount(GetSteps().size(), "scripted step").c_str());
    return true;
}

void HostLevel::AnnounceScriptPoint(const ScriptPoint& point)
{
    GameEvent_ScriptPoint event;
    event.coords = point.GetCoords();
    event.characterName = point.GetScriptCharacter();
    event.sequenceNum = point.GetSequenceNum();
    EventManager::Get().Send(event, "GameEvent_ScriptPoint");
}

Region* HostLevel::OpenRegion(bool setApart) const
{
    if (Region* region = World::Get().GetRegionById(m_regionId))
        return region;
    const float offset = setApart ? HostLevelArrival::kRegionOffset : 0.0f;
    return World::Get().AddRegion(m_regionId, m_regionName, Vec3{offset, 0.0f, offset});
}

HostLevelArrival::HostLevelArrival(const HostLevel& level) : m_level(level)
{
    m_level.m_villageLines.clear();
}

HostLevelArrival::~HostLevelArrival() = default;

bool HostLevelArrival::Arrive(uint32_t playerId, int frame)
{
    if (m_arrived)
        return false;
    // The level's steps count from the frame of the arrival.
    for (HostLevel::Step& step : m_level.m_steps)
        step.frame += frame;
    m_run = std::make_unique<HostLevelRun>(m_level);
    m_arrived = m_run->Arrive(playerId);
    return m_arrived;
}

void HostLevelArrival::BeforeFrame(int frame)
{
    if (m_arrived)
        m_run->BeforeFrame(frame);
}

void HostLevelArrival::AfterFrame(int frame)
{
    if (m_arrived)
        m_run->AfterFrame(frame);
}

int HostLevel::Run(const HostOptions& options)
{
    HostLevel level;
    if (!Read(options.level, level))
        return kHostExitRefused;
    // The records every game reads are there before a level starts, as the bundled run's are.
    if (const std::string why = HostFight::CheckGameRecords(); !why.empty())
        return HostRefuse("--data " + options.dataRoot, why);
    if (!level.GetVillageLines().empty())
        return HostVillage::Run(options, level);
    // Only a village's server waits for clients before its first frame.
    if (options.clients > 0 || options.lateJoinFrame > 0)
        return HostRefuse(options.clients > 0 ? "--clients " + std::to_string(options.clients)
                                              : "--late-join " + std::to_string(options.lateJoinFrame),
                          "only a village's server waits for clients (the level " + options.level + " is no village)");
    // Only a village has a save point to save at or resume from.
    if (!options.savePath.empty())
        return HostRefuse("--save " + options.savePath, "the level " + options.level + " has no save point");
    if (!options.loadPath.empty())
        return HostRefuse("--load " + options.loadPath, "the level " + options.level + " has no save point");
    // On the network the client learns its host number first, so that every object it
    // makes has an id of its own range.
    HostNetwork network;
    const bool networked = HostNetwork::Wanted(options);
    if (networked && !network.Open(options))
        return kHostExitRefused;
    if (!level.Accepted(options))
        return kHostExitRefused;
    network.PrintOpened();
    const bool guest = networked && options.role == "client";
    InitializeObjects();
    HostNamesNewGame();   // a game names its characters afresh
    GameEngine& engine = *gGameEngine;
    SeedGameRules(engine, options);
    HostLevelUI ui;
    engine.SetUI(&ui);
    network.StartGame(engine, options.role);
    engine.SetGameLoading(false);
    HostLevelRun run(level);
    int result = 0;
    if (run.Start(engine, guest)) {
        // A server tells its clients the level it plays; a client of another level is refused.
        const HostLevelTell& levelTell = network.GetLevelTell();
        if (networked) {
            network.Start(engine, engine.GetPlayerId());
            network.WaitForFirstClient();
        }
        int framesRun = options.frames;
        for (int frame = 1; frame <= options.frames; ++frame) {
            if (networked)
                network.BeforeFrame(frame);
            // The player's script is the server's (or the single game's) to play.
            if (!guest)
                run.BeforeFrame(frame);
            network.Session().UpdateGame(options.stepMs);
            network.Session().UpdateWorld(options.stepMs);
            run.AfterFrame(frame);
            if (!networked)
                continue;
            network.AfterFrame(frame);
            if (!levelTell.GetRefusal().empty())
                break;
            if (network.ShouldStop()) {
                std::printf("gamehost: the server went away; the level ends after frame %d\n", frame);
                framesRun = frame;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kLevelNetworkFrameSleepMs));
        }
        std::printf("gamehost: ran %s of %d ms of the level\n",
                    HostCount(static_cast<size_t>(framesRun), "frame").c_str(), options.stepMs);
        if (networked)
            network.PrintEnd();
        // A level is played to the end of the game; one that stops short of it says so.
        if (!levelTell.GetRefusal().empty()) {
            result = HostRefuse(levelTell.RefusedInput(options.connectTo), levelTell.GetRefusal());
        } else if (!ui.EndSequenceRan()) {
            std::printf("gamehost: the level ended short: the end of the game was not reached\n");
            result = kHostExitShort;
            if (!network.GetLossReason().empty())
                HostEndShort("the server went away (" + network.GetLossReason() + "): the level ended short");
        }
    } else {
        // Nothing was played: the level is refused.
        result = HostRefuse("--level " + options.level,
                            "the level's player " + EscapedExcerpt(level.GetPlayer().record) + " cannot be placed");
    }
    network.Close();
    engine.SetUI(nullptr);
    ShutdownObjects();
    std::printf("gamehost: game engine shut down\n");
    return result;
}

}  // namespace GAME
