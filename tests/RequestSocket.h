// A UDP socket of an address of the test's choosing that asks a server on the loopback to
// connect, as an ENet client's first datagram does, and answers nothing: what a sender of
// made-up addresses, or one that never finishes its handshake, sends.
#pragma once

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class RequestSocket {
public:
    // Bound to `address` and `port` (0: any free port); see Bound.
    explicit RequestSocket(const std::string& address, uint16_t port = 0)
    {
        m_fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        m_bound = m_fd >= 0 && inet_pton(AF_INET, address.c_str(), &local.sin_addr) == 1 &&
                  bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    }
    ~RequestSocket()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    RequestSocket(const RequestSocket&) = delete;
    RequestSocket& operator=(const RequestSocket&) = delete;

    bool Bound() const { return m_bound; }
    uint16_t Port() const
    {
        sockaddr_in local{};
        socklen_t size = sizeof local;
        return getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 ? ntohs(local.sin_port) : 0;
    }

    // Sends a request to connect to 127.0.0.1:`port`, with that connect id (as ENet sends
    // it, unconverted) and connect data; returns the datagram's size, 0 when not sent.
    size_t Request(uint16_t port, uint32_t connectId, uint32_t connectData = 0)
    {
        struct {
            ENetProtocolHeader header;
            ENetProtocolConnect connect;
        } __attribute__((packed)) request{};
        request.header.peerID = htons(int{ENET_PROTOCOL_MAXIMUM_PEER_ID} | int{ENET_PROTOCOL_HEADER_FLAG_SENT_TIME});
        request.header.sentTime = htons(1);
        request.connect.header.command = int{ENET_PROTOCOL_COMMAND_CONNECT} | int{ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE};
        request.connect.header.channelID = 0xFF;
        request.connect.header.reliableSequenceNumber = htons(1);
        request.connect.incomingSessionID = request.connect.outgoingSessionID = 0xFF;
        request.connect.mtu = htonl(ENET_HOST_DEFAULT_MTU);
        request.connect.windowSize = htonl(ENET_PROTOCOL_MAXIMUM_WINDOW_SIZE);
        request.connect.channelCount = htonl(2);
        request.connect.packetThrottleInterval = htonl(ENET_PEER_PACKET_THROTTLE_INTERVAL);
        request.connect.packetThrottleAcceleration = htonl(ENET_PEER_PACKET_THROTTLE_ACCELERATION);
        request.connect.packetThrottleDeceleration = htonl(ENET_PEER_PACKET_THROTTLE_DECELERATION);
        request.connect.connectID = connectId;
        request.connect.data = htonl(connectData);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const ssize_t sent = sendto(m_fd, &request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        return sent == static_cast<ssize_t>(sizeof request) ? sizeof request : 0;
    }

    // The next datagram that arrived for it; empty when none waits.
    std::vector<unsigned char> Received()
    {
        std::vector<unsigned char> datagram(2048);
        const ssize_t size = recv(m_fd, datagram.data(), datagram.size(), MSG_DONTWAIT);
        datagram.resize(size > 0 ? static_cast<size_t>(size) : 0);
        return datagram;
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

}  // namespace GAME
