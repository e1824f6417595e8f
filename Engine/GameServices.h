// Engine services the game core drives each frame whose output (music, ambiance, screen)
// has no form here: each keeps the state the game sets so that tests and the host can
// read it back.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Engine/GraphicsAnim.h"
#include "Engine/GraphicsMesh.h"
#include "Engine/Math.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"

namespace GAME {

// Music: follows one player and one boss and changes its mood when either dies.
class Jukebox {
public:
    static Jukebox& Get();

    uint32_t GetTrackedPlayer() const { return m_trackedPlayer; }
    void SetTrackedPlayer(uint32_t id) { m_trackedPlayer = id; }
    uint32_t GetTrackedBoss() const { return m_trackedBoss; }
    void SetTrackedBoss(uint32_t id) { m_trackedBoss = id; }
    void SetTrackedPlayerDead(bool dead) { m_playerDead = dead; }
    bool IsTrackedPlayerDead() const { return m_playerDead; }
    void SetTrackedBossDead(bool dead) { m_bossDead = dead; }
    bool IsTrackedBossDead() const { return m_bossDead; }
    // Boss music: a track started by name, left again for the level's music, and every
    // track cut at once (counted).
    void InitiateBossMusic(const std::string& name)
    {
        m_bossMusic = name;
        m_playingBossMusic = true;
    }
    void BossMusicLeave()
    {
        m_bossMusic.clear();
        m_playingBossMusic = false;
    }
    bool IsPlayingBossMusic() const { return m_playingBossMusic; }
    const std::string& GetBossMusic() const { return m_bossMusic; }
    void AbsoluteMusicFade() { ++m_absoluteFades; }
    int GetAbsoluteFadeCount() const { return m_absoluteFades; }
    // ---- playlists, event music and fades ----
    // The level's playlists as last loaded, the event track last started, and whether the
    // music is faded out (with the fade's length and how often each fade ran).
    void LoadAmbientPlaylist(const std::string& name, bool /*immediate*/) { m_ambientPlaylist = name; }
    void LoadMusicPlaylist(const std::string& name) { m_musicPlaylist = name; }
    void PlayEventMusic(const std::string& name, bool /*loop*/)
    {
        m_eventMusic = name;
        ++m_eventMusicPlays;
    }
    void FadeOutMusic(int ms)
    {
        m_musicFadedOut = true;
        m_lastFadeOutMs = ms;
        ++m_fadeOuts;
    }
    void FadeInMusic()
    {
        m_musicFadedOut = false;
        ++m_fadeIns;
    }
    // Ends the event track, fading it out over `ms`.
    void EndEventMusic(int ms)
    {
        m_eventMusic.clear();
        m_lastEventEndMs = ms;
        ++m_eventMusicEnds;
    }
    int GetLastEventEndMs() const { return m_lastEventEndMs; }
    int GetEventMusicEndCount() const { return m_eventMusicEnds; }
    const std::string& GetAmbientPlaylist() const { return m_ambientPlaylist; }
    const std::string& GetMusicPlaylist() const { return m_musicPlaylist; }
    const std::string& GetEventMusic() const { return m_eventMusic; }
    int GetEventMusicPlayCount() const { return m_eventMusicPlays; }
    bool IsMusicFadedOut() const { return m_musicFadedOut; }
    int GetLastFadeOutMs() const { return m_lastFadeOutMs; }
    int GetFadeOutCount() const { return m_fadeOuts; }
    int GetFadeInCount() const { return m_fadeIns; }
    // ---- end playlists ----
    void Reset();

private:
    std::string m_ambientPlaylist;
    std::string m_musicPlaylist;
    std::string m_eventMusic;
    int m_eventMusicPlays = 0;
    bool m_musicFadedOut = false;
    int m_lastFadeOutMs = 0;
    int m_fadeOuts = 0;
    int m_fadeIns = 0;
    int m_lastEventEndMs = 0;
    int m_eventMusicEnds = 0;
    std::string m_bossMusic;
    bool m_playingBossMusic = false;
    int m_absoluteFades = 0;
    uint32_t m_trackedPlayer = 0;
    uint32_t m_trackedBoss = 0;
    bool m_playerDead = false;
    bool m_bossDead = false;
};

// The round loading indicator drawn while a place loads: a grey picture filled in by a
// coloured one as it turns. It fades in and out over a quarter of a second.
class PieOmatic {
public:
    PieOmatic(const std::string& greyTexture, const std::string& colourTexture);
    ~PieOmatic();
    PieOmatic(const PieOmatic&) = delete;
    PieOmatic& operator=(const PieOmatic&) = delete;

    void Update(int ms);
    void FadeIn() { m_fadingIn = true; }
    void FadeOut() { m_fadingIn = false; }
    float GetAlpha() const { return m_alpha; }
    // Draws the indicator with its top left corner at (x, y); nothing while invisible.
    void Render(class GraphicsCanvas& canvas, int x, int y) const;

    const std::string& GetGreyTexture() const { return m_grey; }
    const std::string& GetColourTexture() const { return m_colour; }

private:
    std::string m_grey;
    std::string m_colour;
    float m_alpha = 0.0f;
    bool m_fadingIn = false;
};

// The time of day: whether it runs on its own, and the hour it starts from.
class DayNightManager {
public:
    static DayNightManager& Get();

    bool IsEnabled() const { return m_enabled; }
    void Enable(bool on) { m_enabled = on; }
    float GetStartTime() const { return m_startHours; }
    void SetStartTime(float hours) { m_startHours = hours; }
    void Reset() { *this = DayNightManager(); }

private:
    bool m_enabled = true;
    float m_startHours = 0.0f;
};

// The editor's lists of designer objects by kind, so that it can show or hide each kind.
class EditorFilter {
public:
    static EditorFilter& Get();

    // Enters an object under a kind (entered again, it takes the new kind).
    void Add(uint32_t objectId, int type);
    void Remove(uint32_t objectId);
    // The kind an object was entered under; -1 when it is not entered.
    int GetType(uint32_t objectId) const;
    size_t GetCount() const;
    void Reset();

private:
    mutable std::mutex m_lock;
    std::unordered_map<uint32_t, int> m_types;
};

// Weather and environment effects around a position.
class AmbianceManager {
public:
    static AmbianceManager& Get();

    void SetTargetPosition(const WorldVec3& position) { m_target = position; }
    const WorldVec3& GetTargetPosition() const { return m_target; }
    // Whether the target stands in a zone that plays boss music; false until set.
    void SetTargetInBossMusicZone(bool inside) { m_targetInBossMusicZone = inside; }
    bool TargetIsInBossMusicZone() const { return m_targetInBossMusicZone; }
    void UpdateEnvironmentEffects(const WorldVec3& position);
    void UpdateEnvironmentEffects(const WorldFrustum& frustum);
    int GetUpdateCount() const { return m_updates; }
    // The sky's ambient colour of each environment (black until set); an environment
    // outside 0 .. kEnvironmentCount - 1 is ignored and reads black.
    static constexpr int kEnvironmentCount = 4;
    void SetSkyAmbientColor(int environment, const Color& color);
    Color GetSkyAmbientColor(int environment) const;
    void Reset();

private:
    WorldVec3 m_target;
    bool m_targetInBossMusicZone = false;
    Color m_skyAmbient[kEnvironmentCount]{};
    int m_updates = 0;
};

// Facts about the running game that the engine keeps for everyone.
class GameInfo {
public:
    static GameInfo& Get();

    void SetPlayerLevel(uint32_t level) { m_playerLevel = level; }
    uint32_t GetPlayerLevel() const { return m_playerLevel; }
    void SetGameDifficulty(int32_t difficulty) { m_difficulty = difficulty; }
    int32_t GetGameDifficulty() const { return m_difficulty; }

    // The names of the players in the game, as the game last listed them, and their number.
    void ClearPlayerList() { m_playerNames.clear(); }
    void AddPlayer(const std::u16string& name) { m_playerNames.push_back(name); }
    const std::vector<std::u16string>& GetPlayerList() const { return m_playerNames; }
    void SetNumOfPlayers(uint32_t count) { m_numOfPlayers = count; }
    uint32_t GetNumOfPlayers() const { return m_numOfPlayers; }

    // Whether players may fight players of another team number.
    void SetPvP(bool on) { m_pvp = on; }
    bool GetPvP() const { return m_pvp; }

    // The mod being played (empty for the game's own map) and the path of its level.
    void SetModName(const std::string& name) { m_modName = name; }
    const std::string& GetModName() const { return m_modName; }
    void SetLevelName(const std::string& name) { m_levelName = name; }
    const std::string& GetLevelName() const { return m_levelName; }
    void Reset();

private:
    uint32_t m_playerLevel = 0;
    int32_t m_difficulty = 0;
    std::vector<std::u16string> m_playerNames;
    uint32_t m_numOfPlayers = 0;
    bool m_pvp = false;
    std::string m_modName;
    std::string m_levelName;
};

// The graphics engine: there is no screen, so it never downsizes. It loads animations,
// shared by name and counted: each LoadAnimation is paired with an UnloadAnimation, and
// the last unload frees it.
class GraphicsEngine {
public:
    static GraphicsEngine* Get();   // the one graphics engine, never null
    ~GraphicsEngine();

    bool IsDownsizing() const { return false; }

    // The size of the screen drawn to, in pixels: 1024 x 768 until set. A size without
    // area is logged and ignored.
    void SetScreenSize(int width, int height);
    int GetScreenWidth() const { return m_screenWidth; }
    int GetScreenHeight() const { return m_screenHeight; }
    Rect GetResAdjRect(const Rect& rect) const { return rect; }

    // The animation of that name: the built-in default (GraphicsAnim::GetDefaultName), one
    // registered in memory, or the file of that name under the record data root. Null (and
    // a log line) when there is none or it does not parse; null for an empty name.
    GraphicsAnim* LoadAnimation(const std::string& name);
    // Gives back one load; null does nothing, a pointer that is not loaded is logged.
    void UnloadAnimation(GraphicsAnim* animation);
    // Animation text under a name (tests); taken before files. Loaded ones stay as they are.
    void RegisterAnimation(const std::string& name, const std::string& text);
    // How many animations are loaded now.
    size_t GetLoadedAnimationCount() const;
    // Forgets registered texts (tests, between cases); loaded animations stay loaded.
    void ClearRegisteredAnimations();

    // The rigid bodies a mesh can go limp with, each between two of its bones. Whoever
    // loads a mesh registers them under its name (registering again replaces them; an
    // empty list forgets the mesh); null for a mesh without any.
    struct MeshRigidBody {
        int boneA = 0;
        int boneB = 0;
    };
    void RegisterMeshRigidBodies(const std::string& mesh, const std::vector<MeshRigidBody>& bodies);
    const std::vector<MeshRigidBody>* GetMeshRigidBodies(const std::string& mesh) const;
    void ClearMeshRigidBodies();

    // The mesh of that name, shared by every instance that shows it and kept for the
    // engine's life (so a pointer to it stays good); made on first use with the default
    // box. Null for an empty name.
    const GraphicsMesh* GetMesh(const std::string& name);
    // Gives a mesh its box and hit boxes (see GraphicsMesh::SetData); instances showing it
    // see the new data at once.
    void RegisterMesh(const std::string& name, const ABBox& box, const std::vector<ABBox>& hitBoxes);

    // The pre-load frustum: what the camera sees, pushed out so that things about to come
    // into view are ready. An entity is inside when its bounding sphere reaches past no
    // plane. Until one is set (no camera: a server, tests) every entity counts as inside.
    void SetPreLoadFrustum(const WorldFrustum& frustum);
    void ClearPreLoadFrustum();
    bool IsInPreLoadFrustum(const Entity& entity) const;

    // Textures, shared by name and counted like animations: each LoadTexture (false for an
    // empty name) is paired with an UnloadTexture, and the last unload frees the name.
    bool LoadTexture(const std::string& name);
    void UnloadTexture(const std::string& name);
    unsigned GetTextureLoadCount(const std::string& name) const;

    // Makes every resource ready again after a change of place (a teleport); `flush` also
    // drops what is cached. Counted, since nothing is drawn here.
    void ReloadAllResources(bool flush);
    int GetReloadCount() const { return m_reloads; }

private:
    GraphicsEngine() = default;

    struct Loaded {
        std::unique_ptr<GraphicsAnim> animation;
        unsigned loads = 0;
    };
    mutable std::mutex m_lock;
    std::unordered_map<std::string, Loaded> m_loaded;       // by normalised name
    std::unordered_map<std::string, std::string> m_texts;   // by normalised name
    // What the files under the data root held when first read (none: no such file), by
    // normalised name: an animation loaded again after its last unload is read from here,
    // not looked for on disk again. Forgotten when the data root changes.
    // A file's text, and the animation it gave when it parsed without a warning.
    struct FileText {
        std::string text;
        std::unique_ptr<const GraphicsAnim> parsed;
    };
    static constexpr size_t kMaxFileTexts = 4096;
    std::unordered_map<std::string, std::optional<FileText>> m_fileTexts;
    std::string m_fileTextsRoot;
    // The cached file of that name under the data root; null when there is none.
    FileText* FindFileText(const std::string& key, const std::string& name);
    std::unordered_map<std::string, std::vector<MeshRigidBody>> m_meshBodies;   // by normalised name
    std::unordered_map<std::string, std::unique_ptr<GraphicsMesh>> m_meshes;    // by normalised name
    GraphicsMesh* FindOrMakeMesh(const std::string& name);   // under m_lock
    WorldFrustum m_preLoadFrustum;
    bool m_hasPreLoadFrustum = false;
    std::unordered_map<std::string, unsigned> m_textures;   // by normalised name
    int m_reloads = 0;
    int m_screenWidth = 1024;
    int m_screenHeight = 768;
};

}  // namespace GAME
