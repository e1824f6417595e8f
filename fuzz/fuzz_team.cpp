// Reads teams from any bytes, one after another, as a character packet carries them
// after its header. Every team read must be written back to the same bytes it was read
// from, except for the unused high bits of its first byte and a long form holding a
// small minor team; what is written must read back to the same team.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/core/Team.h"

using namespace GAME;

namespace {

constexpr NetPacketType kCarrierType = 250;

// A packet body of teams, written and read one team at a time by the fuzzer.
class TeamCarrier : public NetPacket {
public:
    TeamCarrier() : NetPacket(kCarrierType) {}
    uint32_t PrepareOutBuffer() override { return 0; }
    bool CopyInbound(const unsigned char*, int) override { return false; }
    std::string GetPacketDescription(bool) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        gEngine->SetLogSink([](const LogLine&) {});
        return true;
    }();
    (void)quiet;
    if (size + NetLimits::kHeaderSize > NetLimits::kMaxPacketSize)
        return 0;

    std::vector<unsigned char> bytes = {kCarrierType & 0xFF, kCarrierType >> 8};
    bytes.insert(bytes.end(), data, data + size);
    TeamCarrier carrier;
    NetPacketInBuffer in(carrier.GetHeader(), bytes.data(), static_cast<int>(bytes.size()));
    while (in.IsOk() && in.GetRemaining() > 0) {
        const size_t before = in.GetRemaining();
        Team team;
        const bool read = team.RemoveFromPacket(in);
        if (read != in.IsOk())
            std::abort();   // the answer and the buffer must agree
        if (!read) {
            if (before >= 5 || in.GetError().empty())
                std::abort();   // only a cut team fails, and it says why
            break;
        }
        const size_t used = before - in.GetRemaining();
        if (used != 2 && used != 5)
            std::abort();

        NetPacketOutBuffer out(&carrier);
        team.AddToPacket(out);
        const uint32_t written = out.Done();
        if (written == 0)
            std::abort();
        NetPacketInBuffer again(carrier.GetHeader(), carrier.GetOutBuffer(), static_cast<int>(written));
        Team copy;
        if (!copy.RemoveFromPacket(again) || again.GetRemaining() != 0 || !(copy == team))
            std::abort();
    }
    return 0;
}
