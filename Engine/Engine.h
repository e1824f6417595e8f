// The global engine object: the log with its levels and channels, and the frame hooks
// that belong to the platform rather than to the game.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace GAME {

enum LogLevel : int {
    LOG_INFO = 0,
    LOG_WARNING = 1,
    LOG_ERROR = 2,
};

// One line as it was logged. `channel` is 0 for the plain log.
struct LogLine {
    int level = 0;
    int channel = 0;
    std::string text;
};

using LogSink = std::function<void(const LogLine&)>;

class WorldCamera;
class ConnectionManager;
class NetworkShim;
class FileSystem;
class ResourceLoader;

class Engine {
public:
    Engine();

    // The plain log: level 0 information, 1 warning, 2 error; printf-style.
    void Log(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void LogV(int level, const char* format, va_list args);

    // A trace line on a channel. Channel 0 means "switched off": nothing is formatted.
    void ChannelLog(int level, int channel, const char* format, ...) __attribute__((format(printf, 4, 5)));

    // Channels are named; the same name always gives the same non-zero number.
    int RegisterLogChannel(const char* name);
    int FindLogChannel(const char* name) const;   // 0 when unknown
    std::string GetLogChannelName(int channel) const;

    // Where lines go. The default sink prints to standard error. Returns the old sink.
    LogSink SetLogSink(LogSink sink);

    // The engine's own part of a frame, run by the host after the game's update, in this
    // order: the frame count goes up, the clocks advance, the active camera takes its input step, the peers'
    // packets are applied, the world walks its actors (World::UpdateActors) and the
    // objects destroyed during the frame are freed. This is the only place a frame frees.
    void UpdateFrame(int elapsedMilliseconds);
    // Frames run by UpdateFrame; the count goes up as the frame starts, so the game's
    // update before UpdateFrame sees the count of the frame before.
    uint32_t GetFrameCount() const { return m_frameCount; }

    // The engine's mode query that holds the game back: while it answers true, characters
    // are not placed by their movement and the game does not autosave. Off by default.
    bool GetThirdQuery() const { return m_thirdQuery; }
    void SetThirdQuery(bool on) { m_thirdQuery = on; }
    // The character data log: while on, characters draw their debug data each update.
    // Off by default.
    bool IsCharacterDataLogEnabled() const { return m_characterDataLog; }
    void SetCharacterDataLogEnabled(bool on) { m_characterDataLog = on; }
    void SetActiveCamera(WorldCamera* camera) { m_activeCamera = camera; }
    WorldCamera* GetActiveCamera() const { return m_activeCamera; }

    // The engine's numbered on/off options (display and game settings the host sets);
    // an option never set, or a number outside the table, is off.
    static constexpr int kBoolOptionCount = 32;
    bool GetBoolOption(int option) const
    {
        return option >= 0 && option < kBoolOptionCount && m_boolOptions[option];
    }
    void SetBoolOption(int option, bool on)
    {
        if (option >= 0 && option < kBoolOptionCount)
            m_boolOptions[option] = on;
    }
    // States without visual effects.
    // A host with no display and the display setting that turns effects off: in either
    // state cosmetic effects (item sparkles) are not made. Both off by default.
    void SetHeadless(bool on) { m_headless = on; }
    bool IsHeadless() const { return m_headless; }
    void SetEffectsDisabled(bool on) { m_effectsDisabled = on; }
    bool AreEffectsDisabled() const { return m_effectsDisabled; }
    // Sends packets to the other hosts and dispatches the packets they send.
    ConnectionManager* GetNetworkConnectionManager();
    // The network as the game set it up (NetworkShim::SetRole): whether it is on, and the
    // shim that sends this peer's packets to the peers that must see them. Never null.
    NetworkShim* GetNetworkShim();
    bool IsNetworkEnabled() const;

    // Objects the engine keeps updating even where it would otherwise skip them (out of
    // sight, in a region not shown), by object id, in the order registered. Registering
    // an id twice keeps one entry; id 0 is ignored. The object manager unregisters an
    // object when it is destroyed, so no stale id stays behind.
    // Whether the program runs as the world editor (designers' markers show, placed
    // characters take the editor's controller). Off unless set.
    void SetEditorMode(bool on) { m_editorMode = on; }
    bool IsEditorMode() const { return m_editorMode; }
    void RegisterForcedUpdate(uint32_t objectId);
    void UnregisterForcedUpdate(uint32_t objectId);
    bool IsRegisteredForForcedUpdate(uint32_t objectId) const;
    std::vector<uint32_t> GetForcedUpdateIds() const;

    // Actor commands: Actor::Enqueue notes the actor here, once per command. The pass runs
    // the commands in the order queued, a command queued during the pass included: each is
    // executed, then its packet goes to the other peers (ConnectionManager::SendActorCommand).
    // A command whose actor was destroyed is not run (the actor freed it). UpdateFrame runs
    // the pass after the actors' update, before the frame's frees; returns how many ran
    // (0 from inside a running pass, which goes on to run what was queued).
    void QueueActorCommand(uint32_t actorId);
    int RunActorCommands();

    // The platform's file system.
    FileSystem& GetFileSystem();
    // The loader that makes resources ready ahead of use (ResourceLoader::Get).
    ResourceLoader& GetResourceLoader();

    // How far, in metres, a level load reaches past the view: region loaders push every
    // side of the view frustum out by this much. 0 until set; a value that is not a
    // finite number or is negative is logged and ignored.
    float GetLevelLoadInflation() const { return m_levelLoadInflation; }
    void SetLevelLoadInflation(float metres);

    // Teleport mode: on while a teleport or respawn loads the place it leads to (the
    // engine keeps the view and streaming still meanwhile). Off by default.
    void SetTeleportMode(bool on) { m_teleportMode = on; }
    bool IsTeleportMode() const { return m_teleportMode; }

    // Two switches the engine reads while a quest hands out an item without announcing
    // it; both off by default.
    void SetQuietItemFlags(bool first, bool second)
    {
        m_quietItemFlags[0] = first;
        m_quietItemFlags[1] = second;
    }
    bool GetQuietItemFlag(int which) const { return which >= 0 && which < 2 && m_quietItemFlags[which]; }

    // Sends a client host what it now sees: the objects of its frustum entry
    // (NetworkEntityList). Counted per host, for tests and the host program.
    void UpdateClientEntities(int hostId);
    int GetClientEntityUpdateCount(int hostId) const;

    // The statistics display: lines shown over the current frame, in the order added;
    // the end of the engine's frame clears them.
    void AddStatisticText(const std::string& text);
    std::vector<std::string> GetStatisticText() const;

private:
    void Emit(int level, int channel, const char* format, va_list args);

    mutable std::mutex m_lock;
    LogSink m_sink;
    std::vector<std::string> m_channels;   // channel n is m_channels[n - 1]
    WorldCamera* m_activeCamera = nullptr;
    uint32_t m_frameCount = 0;
    bool m_thirdQuery = false;
    bool m_characterDataLog = false;
    bool m_editorMode = false;
    bool m_headless = false;          // id27
    bool m_effectsDisabled = false;   // id27
    float m_levelLoadInflation = 0.0f;
    bool m_teleportMode = false;
    bool m_quietItemFlags[2] = {false, false};
    std::vector<std::pair<int, int>> m_clientEntityUpdates;   // (host, count), under m_lock
    bool m_boolOptions[kBoolOptionCount] = {};
    std::vector<uint32_t> m_forcedUpdates;   // under m_lock
    std::vector<uint32_t> m_commandActors;   // under m_lock: one actor id per queued command
    bool m_runningCommands = false;   // a pass is on the stack (the world's thread only)
    std::vector<std::string> m_statisticText;   // under m_lock
};

// Always valid while the engine library is loaded.
extern Engine* gEngine;

// Collects every logged line while it lives (tests); restores the previous sink after.
class LogCapture {
public:
    explicit LogCapture(bool alsoPrint = false);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogLine> Lines() const;
    std::vector<std::string> Texts() const;
    bool Contains(const std::string& text) const;       // some line equals text exactly
    size_t Count(const std::string& text) const;         // lines equal to text
    void Clear();

private:
    mutable std::mutex m_lock;
    std::vector<LogLine> m_lines;
    LogSink m_previous;
    bool m_alsoPrint;
};

}  // namespace GAME
