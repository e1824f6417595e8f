// A running game whose connection manager sends into a recording transport.
#pragma once

#include "Engine/ConnectionManager.h"
#include "Engine/Localization.h"
#include "core/EngineFixture.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {

// Where the recording transport says a packet went.
inline const NetDestination kServer{NetDestination::Server, ConnectionManager::kServerHost};
inline const NetDestination kAllClients{NetDestination::AllClients, -1};
inline NetDestination HostOf(int host)
{
    return {NetDestination::Host, host};
}

class GameWireTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ConnectionManager::Get().SetTransport(&transport);
        World::Get().AddRegion(7, "Region7");
        LocalizationManager::Instance().RegisterTags("SimpleStringFormat=<%s>\ntagJoined=%s joined\ntagCount=%d items\n");
    }
    void TearDown() override
    {
        ConnectionManager::Get().SetTransport(nullptr);
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }
    // Where each packet sent so far went.
    std::vector<NetDestination> Destinations() const
    {
        std::vector<NetDestination> destinations;
        for (const auto& packet : transport.sent)
            destinations.push_back(packet.to);
        return destinations;
    }

    RecordingTransport transport;
};

}  // namespace GAME
