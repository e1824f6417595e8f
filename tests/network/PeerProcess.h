// Peers in separate processes: a transport that carries whole packets over socket pairs,
// and a child process that runs one peer after the common setup and reports what it saw.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/core/GameEngine.h"
#include "tests/HangGuard.h"

namespace GAME {

// Each packet travels as a 4-byte length and its bytes. The server has one link per
// client; a client has one link, to the server, which carries whatever it sends.
class SocketTransport : public NetTransport {
public:
    ~SocketTransport() override
    {
        for (const auto& [host, fd] : m_links)
            close(fd);
    }

    void Link(int host, int fd) { m_links[host] = fd; }

    void Send(const NetDestination& to, const unsigned char* data, size_t size) override
    {
        const uint32_t length = static_cast<uint32_t>(size);
        for (const auto& [host, fd] : m_links) {
            const bool chosen = host == ConnectionManager::kServerHost || to.kind == NetDestination::AllClients ||
                                (to.kind == NetDestination::OtherClients && host != to.host) ||
                                (to.kind == NetDestination::Host && host == to.host);
            if (chosen && send(fd, &length, sizeof length, MSG_NOSIGNAL) == sizeof length)
                send(fd, data, size, MSG_NOSIGNAL);   // a stream socket pair takes it whole
        }
    }

    bool Receive(int& fromHost, std::vector<unsigned char>& bytes) override
    {
        for (auto it = m_links.begin(); it != m_links.end();) {
            pollfd ready{it->second, POLLIN, 0};
            if (poll(&ready, 1, 0) != 1) {
                ++it;
                continue;
            }
            uint32_t size = 0;
            if (!ReadAll(it->second, &size, sizeof size) || size > NetLimits::kMaxPacketSize ||
                !ReadAll(it->second, (bytes.resize(size), bytes.data()), size)) {
                close(it->second);   // the peer is gone, or sent what no packet is
                if (reportLeaves)
                    m_events.push_back({it->first == ConnectionManager::kServerHost ? NetConnectionEvent::ServerLost
                                                                                   : NetConnectionEvent::Left,
                                        it->first, "the link closed"});
                it = m_links.erase(it);
                continue;
            }
            fromHost = it->first;
            return true;
        }
        return false;
    }

    void Disconnect(int host, const std::string&) override
    {
        if (auto it = m_links.find(host); it != m_links.end()) {
            close(it->second);
            m_links.erase(it);
        }
    }

    bool IsConnected(int host) const override { return m_links.count(host) != 0; }

    bool PollConnectionEvent(NetConnectionEvent& event) override
    {
        if (m_events.empty())
            return false;
        event = m_events.front();
        m_events.erase(m_events.begin());
        return true;
    }

    // Whether a link that closes is reported as its host leaving (the server lost, on a
    // client), as a network transport would.
    bool reportLeaves = false;

private:
    static bool ReadAll(int fd, void* out, size_t size)
    {
        auto* bytes = static_cast<unsigned char*>(out);
        for (size_t done = 0; done < size;) {
            const ssize_t got = read(fd, bytes + done, size - done);
            if (got <= 0)
                return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }

    std::map<int, int> m_links;
    std::vector<NetConnectionEvent> m_events;
};

// A peer running in a child process. `run` plays the peer and returns its report (a few
// lines, which the pipe holds whole); the child never returns into the test. The parent
// closes `childEnd`, the child's end of its link.
class PeerProcess {
public:
    PeerProcess(int childEnd, const std::function<std::string()>& run)
    {
        int report[2] = {-1, -1};
        if (pipe(report) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            const std::string text = run();
            _exit(write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
        }
        close(childEnd);
        close(report[1]);
        m_report = report[0];
    }
    ~PeerProcess()
    {
        close(m_report);
        if (!m_done && m_pid > 0)
            waitpid(m_pid, nullptr, 0);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Whether the child has ended; its report is read then.
    bool IsDone()
    {
        if (!m_done && m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_done = true;
            char buffer[4096];
            for (ssize_t got; (got = read(m_report, buffer, sizeof buffer)) > 0;)
                m_text.append(buffer, static_cast<size_t>(got));
        }
        return m_done;
    }
    const std::string& GetReport() const { return m_text; }

private:
    pid_t m_pid = -1;
    int m_report = -1;
    bool m_done = false;
    std::string m_text;
};

// One of two peers that run the same frames in lockstep: the game sends into the recording
// transport, and between frames each peer passes what it sent over the socket pair and
// takes what the other sent in its last frame.
class LockstepPeer {
public:
    // Takes its role in the game: the server (host 0) of the client `clientHost`, or that
    // client; `linkEnd` is this peer's end of the socket pair.
    void Join(GameEngine& engine, bool server, int clientHost, int linkEnd)
    {
        other = server ? clientHost : ConnectionManager::kServerHost;
        link.Link(other, linkEnd);
        ConnectionManager::Get().SetTransport(&transport);
        if (server) {
            engine.SetAsNetworkServer();
        } else {
            engine.SetAsNetworkClient();
            ConnectionManager::Get().SetLocalHostId(clientHost);
        }
        transport.Connect(other);
    }
    // This frame's packets out over the link, closed by an empty one, then the other
    // peer's packets of its frame in, up to its empty one; `seen` hears every packet sent
    // or taken. False when the other peer is gone.
    bool Exchange(const std::function<void(const std::vector<unsigned char>&)>& seen = {})
    {
        for (; m_sentSoFar < transport.sent.size(); ++m_sentSoFar) {
            const RecordingTransport::SentPacket& packet = transport.sent[m_sentSoFar];
            link.Send(packet.to, packet.bytes.data(), packet.bytes.size());
            if (seen)
                seen(packet.bytes);
        }
        link.Send(NetDestination{NetDestination::Host, other}, nullptr, 0);
        for (std::vector<unsigned char> bytes;;) {
            int from = 0;
            if (!link.Receive(from, bytes)) {
                if (!link.IsConnected(other))
                    return false;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
                continue;
            }
            if (bytes.empty())
                return true;
            if (seen)
                seen(bytes);
            transport.Feed(other, bytes);
        }
    }

    RecordingTransport transport;
    SocketTransport link;   // to the other peer's process
    int other = 0;

private:
    size_t m_sentSoFar = 0;
};

}  // namespace GAME
