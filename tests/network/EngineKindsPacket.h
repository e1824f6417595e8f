// A test packet with one field of each engine kind, registered as type 200.
#pragma once

#include <string>

#include "Engine/NetPacketFields.h"

namespace GAME {

class EngineKindsPacket : public NetPacketOf<EngineKindsPacket, 200, ObjectInteractionPacket> {
    GAME_DECLARE_CLASS(EngineKindsPacket)

public:
    bool flag = false;
    unsigned int half = 0;
    int signedHalf = 0;
    SmartObjectId actor{this};
    SmartObjectIdNullable target{this};
    SmartObjectIdList members{this};
    SmartObjectIdListNullable slots{this};
    WorldVec3 point;
    WorldCoords coords;
    std::string text;
    std::string rawText;
    std::string fileName;
    std::u16string wide;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::b, flag, "Flag: ");
        v(Wire::h16, half, "Half: ");
        v(Wire::h16, signedHalf, "Signed half: ");
        v(Wire::id, actor, "Actor: ");
        v(Wire::idNullable, target, "Target: ");
        v(Wire::idList, members);
        v(Wire::idListNullable, slots);
        v(Wire::V3, point, "Point: ");
        v(Wire::WC, coords, "Coords: ");
        v(Wire::s, text, "Text: ");
        v(Wire::sr, rawText, "Raw text: ");
        v(Wire::fn, fileName, "File: ");
        v(Wire::ws, wide, "Wide: ");
    }
};

}  // namespace GAME
