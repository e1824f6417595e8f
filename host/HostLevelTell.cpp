#include "host/HostLevelTell.h"

#include "Engine/Localization.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/TextUtil.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/network/GameWorldPackets.h"

namespace GAME {

namespace {

constexpr const char* kPrefix = "gamehost: the server plays ";

std::string Named(const std::string& level) { return level.empty() ? "the bundled run" : "the level " + level; }

}  // namespace

HostLevelTell::HostLevelTell(std::string level)
    : m_level(std::move(level)), m_message(LocalizationManager::ToWChar(kPrefix + Named(m_level)))
{
}

bool HostLevelTell::IsLevelMessage(const std::string& text) { return text.starts_with(kPrefix); }

void HostLevelTell::Tell(GameEngine& engine, int host) const
{
    // The client's player may not stand in this world yet, or ever: the message goes to the
    // first id of the client's host number, which routes it to that host.
    if (host > 0 && host < (1 << (32 - kPlayerHostIdShift)))
        engine.DisplayWMessageRemote(static_cast<uint32_t>(host) << kPlayerHostIdShift, true, m_message);
}

void HostLevelTell::Travelled(const unsigned char* data, size_t size)
{
    NetPacketType type = 0;
    RemoteWMessagePacket message;
    if (!m_refusal.empty() || !NetPacketRegistry::PeekType(data, size, type) || type != RemoteWMessagePacket::kType ||
        !message.CopyInbound(data, static_cast<int>(size)))
        return;
    const std::string text = LocalizationManager::ToChar(message.text);
    if (!IsLevelMessage(text))
        return;
    // The server's words, bounded and shown escaped.
    const std::string theirs = EscapedExcerpt(text.substr(std::string(kPrefix).size()), 80);
    if (theirs == Named(m_level))
        return;
    const std::string level = theirs.starts_with("the level ") ? theirs.substr(10) : std::string();
    m_refusal = "the server plays " + theirs + ", not " + Named(m_level) +
                " this client plays (give it " + (level.empty() ? std::string("no --level") : "--level " + level) + ")";
}

std::string HostLevelTell::RefusedInput(const std::string& connectTo) const
{
    return m_level.empty() ? "--connect " + connectTo : "--level " + m_level;
}

}  // namespace GAME
