// A client that connects over the loopback while the test's thread keeps the server going.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>

#include "Engine/EnetTransport.h"

namespace GAME {

// Connects a client to 127.0.0.1:`port` on another thread while `serve()` runs here, again
// and again, the server's side of the handshake (its frames, or its transport's service).
// The client then waits up to `goodbyeWaitMs` for its goodbye to leave when it closes.
// Null, with the reason in `error`, when the connection is refused or times out.
template <class Serve>
std::unique_ptr<EnetTransport> ConnectServing(uint16_t port, int timeoutMs, int goodbyeWaitMs, std::string& error,
                                              Serve&& serve)
{
    auto pending = std::async(std::launch::async,
                              [&] { return EnetTransport::Connect("127.0.0.1", port, timeoutMs, error); });
    while (pending.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        serve();
    std::unique_ptr<EnetTransport> client = pending.get();
    if (client)
        client->SetGoodbyeWait(goodbyeWaitMs);
    return client;
}

}  // namespace GAME
