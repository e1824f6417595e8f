#include "Engine/Engine.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "Engine/ConnectionManager.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/Entity.h"
#include "Engine/GameClock.h"
#include "Engine/NetDropLog.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"

namespace GAME {

namespace {
Engine gEngineInstance;

// Writes the whole line to standard error in one call, so that a line of standard output
// written at the same time into the same file (`> log 2>&1`) lands before or after it,
// never inside it.
void PrintLine(const LogLine& line)
{
    static const char* const kLevels[] = {"info", "warning", "error"};
    const char* level = (line.level >= 0 && line.level <= 2) ? kLevels[line.level] : "log";
    std::string text = "[";
    text += level;
    if (line.channel != 0) {
        text += ':';
        text += gEngine->GetLogChannelName(line.channel);
    }
    text += "] ";
    text += line.text;
    // Trace formats often end in their own line break; print one either way.
    if (line.text.empty() || line.text.back() != '\n')
        text += '\n';
    std::fflush(stderr);
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            break;
    }
}
}  // namespace

Engine* gEngine = &gEngineInstance;

Engine::Engine() : m_sink(PrintLine) {}

void Engine::Log(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(level, 0, format, args);
    va_end(args);
}

void Engine::LogV(int level, const char* format, va_list args)
{
    Emit(level, 0, format, args);
}

void Engine::ChannelLog(int level, int channel, const char* format, ...)
{
    if (channel == 0)
        return;
    va_list args;
    va_start(args, format);
    Emit(level, channel, format, args);
    va_end(args);
}

void Engine::Emit(int level, int channel, const char* format, va_list args)
{
    if (!format)
        return;
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    LogLine line;
    line.level = level;
    line.channel = channel;
    if (n < 0) {
        line.text = format;
    } else if (static_cast<size_t>(n) < sizeof small) {
        line.text.assign(small, static_cast<size_t>(n));
    } else {
        line.text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(line.text.data(), line.text.size(), format, args);
        line.text.resize(static_cast<size_t>(n));
    }
    LogSink sink;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        sink = m_sink;
    }
    if (sink)
        sink(line);
}

int Engine::RegisterLogChannel(const char* name)
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < m_channels.size(); ++i)
        if (m_channels[i] == name)
            return static_cast<int>(i + 1);
    m_channels.emplace_back(name ? name : "");
    return static_cast<int>(m_channels.size());
}

int Engine::FindLogChannel(const char* name) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = 0; i < m_channels.size(); ++i)
        if (m_channels[i] == name)
            return static_cast<int>(i + 1);
    return 0;
}

std::string Engine::GetLogChannelName(int channel) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (channel >= 1 && static_cast<size_t>(channel) <= m_channels.size())
        return m_channels[static_cast<size_t>(channel) - 1];
    return std::to_string(channel);
}

LogSink Engine::SetLogSink(LogSink sink)
{
    // The old sink gets the drop log's counts; the new one sees each kind's line whole.
    NetDropLog::Reset();
    std::lock_guard<std::mutex> guard(m_lock);
    LogSink old = std::move(m_sink);
    m_sink = std::move(sink);
    return old;
}

void Engine::UpdateFrame(int elapsedMilliseconds)
{
    ++m_frameCount;
    GameClock::Get().Advance(elapsedMilliseconds > 0 ? static_cast<uint32_t>(elapsedMilliseconds) : 0u);
    if (m_activeCamera)
        m_activeCamera->UpdateFromInputImpl();
    // What the peers sent is applied now, so objects it destroys go with this frame.
    ConnectionManager::Get().ProcessIncoming();
    // Packets that named objects not there yet are tried again: what just arrived may hold them.
    NetPacketRegistry::Get().RetryHeld();
    // The actors' frame, then the frees: an actor destroyed on the way (even inside its
    // own update) is freed only once nothing of the walk is on the stack.
    // The bodies move before the actors' walk, so an actor's update sees where it now is
    // and the contacts of the step.
    PhysicsEngine::Get().Step(World::Get(), elapsedMilliseconds);
    World::Get().UpdateActors(elapsedMilliseconds > 0 ? elapsedMilliseconds : 0);
    // The commands the peers sent and those the actors queued in their update, in order.
    RunActorCommands();
    ObjectManager::Get().FlushDestroyedObjects();
    std::lock_guard<std::mutex> guard(m_lock);
    m_statisticText.clear();
}

void Engine::QueueActorCommand(uint32_t actorId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_commandActors.push_back(actorId);
}

int Engine::RunActorCommands()
{
    // A command that asks for a pass from inside its Execute gets none: the running pass
    // reaches whatever it queued, in order.
    if (m_runningCommands)
        return 0;
    m_runningCommands = true;
    int ran = 0;
    for (size_t next = 0;; ++next) {
        uint32_t actorId = 0;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (next >= m_commandActors.size()) {
                m_commandActors.clear();
                break;
            }
            actorId = m_commandActors[next];
        }
        // A destroyed actor is out of the look-ups; it frees its commands itself.
        Actor* actor = ObjectManager::Get().GetObject<Actor>(actorId);
        if (!actor)
            continue;
        Actor::QueuedCommand queued = actor->TakeCommand();
        if (!queued.command)
            continue;
        queued.command->Execute();
        ++ran;
        ConnectionManager& connections = ConnectionManager::Get();
        const bool here = queued.fromHost == Actor::kQueuedHere;
        if (connections.GetTransport() && (!here || queued.command->IsReplicated())) {
            std::unique_ptr<NetPacket> packet(queued.command->GetNetPacket());
            if (packet)
                connections.SendActorCommand(*packet, queued.fromHost);
        }
    }
    m_runningCommands = false;
    return ran;
}

void Engine::AddStatisticText(const std::string& text)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_statisticText.push_back(text);
}

std::vector<std::string> Engine::GetStatisticText() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_statisticText;
}

void Engine::RegisterForcedUpdate(uint32_t objectId)
{
    if (objectId == 0)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (std::find(m_forcedUpdates.begin(), m_forcedUpdates.end(), objectId) == m_forcedUpdates.end())
        m_forcedUpdates.push_back(objectId);
}

void Engine::UnregisterForcedUpdate(uint32_t objectId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto found = std::find(m_forcedUpdates.begin(), m_forcedUpdates.end(), objectId);
    if (found != m_forcedUpdates.end())
        m_forcedUpdates.erase(found);
}

bool Engine::IsRegisteredForForcedUpdate(uint32_t objectId) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return std::find(m_forcedUpdates.begin(), m_forcedUpdates.end(), objectId) != m_forcedUpdates.end();
}

std::vector<uint32_t> Engine::GetForcedUpdateIds() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_forcedUpdates;
}

LogCapture::LogCapture(bool alsoPrint) : m_alsoPrint(alsoPrint)
{
    m_previous = gEngine->SetLogSink([this](const LogLine& line) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_lines.push_back(line);
        }
        if (m_alsoPrint)
            PrintLine(line);
    });
}

LogCapture::~LogCapture()
{
    gEngine->SetLogSink(std::move(m_previous));
}

std::vector<LogLine> LogCapture::Lines() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lines;
}

std::vector<std::string> LogCapture::Texts() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::string> out;
    out.reserve(m_lines.size());
    for (const LogLine& line : m_lines)
        out.push_back(line.text);
    return out;
}

bool LogCapture::Contains(const std::string& text) const
{
    return Count(text) > 0;
}

size_t LogCapture::Count(const std::string& text) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    for (const LogLine& line : m_lines)
        if (line.text == text)
            ++n;
    return n;
}

void LogCapture::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_lines.clear();
}

void Engine::UpdateClientEntities(int hostId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& [host, count] : m_clientEntityUpdates) {
        if (host == hostId) {
            ++count;
            return;
        }
    }
    m_clientEntityUpdates.emplace_back(hostId, 1);
}

int Engine::GetClientEntityUpdateCount(int hostId) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (const auto& [host, count] : m_clientEntityUpdates)
        if (host == hostId)
            return count;
    return 0;
}

}  // namespace GAME
