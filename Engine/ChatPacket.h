// A chat line between players: who said it, what, its kind, and whom it is for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/NetPacketFields.h"

namespace GAME {

// Type numbers 1 to 16 belong to the engine's own packets.
class ChatPacket : public NetPacketOf<ChatPacket, 16> {
    GAME_DECLARE_CLASS(ChatPacket)

public:
    std::u16string sender;
    std::u16string text;
    uint8_t kind = 0;
    std::vector<uint32_t> recipients;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::ws, sender, "Sender: ");
        v(Wire::ws, text, "Text: ");
        v(Wire::u8, kind, "Kind: ");
        v(NetCount::Word, Wire::u32, recipients, ListLabel{"Recipients: ", nullptr, "Recipient: "});
    }
};

}  // namespace GAME
