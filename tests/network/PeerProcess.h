// Peers in separate processes: a transport that carries whole packets over socket pairs,
// and a child process that runs one peer after the common setup and reports what it saw.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/NetPacketBuffer.h"

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
        if (m_links.count(ConnectionManager::kServerHost)) {
            Write(m_links[ConnectionManager::kServerHost], data, size);
            return;
        }
        for (const auto& [host, fd] : m_links) {
            const bool chosen = to.kind == NetDestination::AllClients ||
                                (to.kind == NetDestination::OtherClients && host != to.host) ||
                                (to.kind == NetDestination::Host && host == to.host);
            if (chosen)
                Write(fd, data, size);
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
            if (!ReadPacket(it->second, bytes)) {
                close(it->second);   // the peer is gone, or sent what no packet is
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

private:
    static void Write(int fd, const unsigned char* data, size_t size)
    {
        const uint32_t length = static_cast<uint32_t>(size);
        std::vector<unsigned char> frame(sizeof length + size);
        std::memcpy(frame.data(), &length, sizeof length);
        std::memcpy(frame.data() + sizeof length, data, size);
        for (size_t done = 0; done < frame.size();) {
            const ssize_t written = send(fd, frame.data() + done, frame.size() - done, MSG_NOSIGNAL);
            if (written <= 0)
                return;
            done += static_cast<size_t>(written);
        }
    }
    static bool ReadPacket(int fd, std::vector<unsigned char>& bytes)
    {
        uint32_t size = 0;
        if (!ReadAll(fd, &size, sizeof size) || size > NetLimits::kMaxPacketSize)
            return false;
        bytes.resize(size);
        return ReadAll(fd, bytes.data(), size);
    }
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
};

// One end of a socket pair each for the server and a client.
struct PeerLink {
    int serverEnd = -1;
    int clientEnd = -1;

    PeerLink()
    {
        int ends[2] = {-1, -1};
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0) {
            serverEnd = ends[0];
            clientEnd = ends[1];
        }
    }
};

// A peer running in a child process. `run` plays the peer and returns its report, which
// the parent reads once the child is done; the child never returns into the test.
class PeerProcess {
public:
    explicit PeerProcess(const std::function<std::string()>& run)
    {
        int report[2] = {-1, -1};
        if (pipe(report) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(report[0]);
            const std::string text = run();
            for (size_t done = 0; done < text.size();) {
                const ssize_t written = write(report[1], text.data() + done, text.size() - done);
                if (written <= 0)
                    break;
                done += static_cast<size_t>(written);
            }
            _exit(0);
        }
        close(report[1]);
        m_report = report[0];
    }
    ~PeerProcess()
    {
        if (m_report >= 0)
            close(m_report);
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Whether the child has written its report and ended.
    bool IsDone()
    {
        if (m_done)
            return true;
        pollfd ready{m_report, POLLIN, 0};
        if (m_report < 0 || poll(&ready, 1, 0) != 1)
            return false;
        char buffer[4096];
        const ssize_t got = read(m_report, buffer, sizeof buffer);
        if (got > 0)
            m_text.append(buffer, static_cast<size_t>(got));
        else
            m_done = true;
        return m_done;
    }
    const std::string& GetReport() const { return m_text; }

private:
    pid_t m_pid = -1;
    int m_report = -1;
    bool m_done = false;
    std::string m_text;
};

// Runs frames of `step` until `done` holds or `limit` frames have run; a frame in which
// nothing arrived waits a moment for the other processes.
inline bool RunFramesUntil(const std::function<void()>& frame, const std::function<bool()>& done, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (done())
            return true;
        frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

}  // namespace GAME
