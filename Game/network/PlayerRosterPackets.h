// Player roster packets: a client's own player in full and as heartbeats, and the
// server's whole roster in full and as heartbeats. The all-players packets use a compact
// form per player: a flag byte lets a small level and a numbered class tag travel in
// one byte each.
//
// A record carries at most 255 status skills in either form (the compact form counts
// them in one byte), and a roster at most 255 players. The packets' setters make any
// record fit: a record with more status skills sends the first 255, and a roster sends
// every record that fits in one packet, so no single record can stop the roster.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "Engine/ClassTag.h"
#include "Engine/NetPacketFields.h"
#include "Game/core/PlayerNetInfo.h"

namespace GAME {

// Which layout a player record travels in.
enum class PlayerNetForm {
    Single,    // u32 level, class tag as a string, u32 status-skill count
    Compact,   // flag byte, u8 or u32 level, class byte or string, u8 status-skill count
};

namespace PlayerNetFlags {
inline constexpr uint8_t kMale = 1;        // basic records only
inline constexpr uint8_t kSmallLevel = 2;  // the level travels in one byte
inline constexpr uint8_t kClassByte = 4;   // the class tag travels as its number
inline constexpr int32_t kSmallLevelLimit = 256;
inline constexpr size_t kMaxStatusSkills = 255;
inline constexpr size_t kMaxRosterPlayers = 255;
// Id, four floats and the party id.
inline constexpr size_t kHeadSize = 24;
// Smallest compact player: head, flags, one-byte level, class byte, point, skill count.
inline constexpr size_t kMinCompactSize = kHeadSize + 1 + 1 + 1 + NetLimits::kVec3Size + 1;
}  // namespace PlayerNetFlags

// The flag byte of a compact record. A level travels in one byte only when it is 0 to
// 255: a negative level would not survive the trip through one unsigned byte. `classByte`
// is the class tag as one byte, or kClassTagNotEncodable.
uint8_t CompactPlayerFlags(const PlayerNetHeartbeatInfo& info, bool isMale, bool basic, uint8_t classByte);

// The fields of one player record in either form. Info is PlayerNetHeartbeatInfo or
// PlayerNetBasicInfo (const when writing). The basic record's description has its own
// order: name, gender and level first, then id, life, mana and party.
template <class V, class Info>
void PlayerNetFields(V& v, Info& info, PlayerNetForm form)
{
    constexpr bool kBasic = std::is_base_of_v<PlayerNetBasicInfo, std::remove_const_t<Info>>;
    const auto rank = [](int basicRank) { return kBasic ? basicRank : 0; };
    if (!kBasic || form == PlayerNetForm::Compact)
        v.Heading("Game Player");
    v(Wire::u32, info.playerId, FieldLabel(kBasic ? "Player ID: " : "Player: ", 0, rank(4)));
    v(Wire::f32, info.life, FieldLabel("Health: ", 0, rank(5)));
    v(Wire::f32, info.maxLife, FieldLabel("Maximum Health: ", 0, rank(6)));
    v(Wire::f32, info.mana, FieldLabel("Mana: ", 0, rank(7)));
    v(Wire::f32, info.maxMana, FieldLabel("Maximum Mana: ", 0, rank(8)));
    v(Wire::u32, info.partyId, FieldLabel("Party ID: ", 0, rank(9)));
    if constexpr (kBasic)
        v(Wire::ws, info.playerName, FieldLabel("Player: ", 0, 1));
    const FieldLabel levelLabel("Level: ", 0, rank(3));
    if (form == PlayerNetForm::Single) {
        if constexpr (kBasic)
            v(Wire::b, info.isMale, FieldLabel("Is Male: ", 0, 2));
        v(Wire::u32, info.level, levelLabel);
        v(Wire::sr, info.classTag);
        v(Wire::V3, info.position);
        v(NetCount::Word, Wire::fn, info.statusSkills);
        if constexpr (!V::kDescribing)
            if (info.statusSkills.size() > PlayerNetFlags::kMaxStatusSkills)
                v.Fail("player record with more than 255 status skills");
        return;
    }
    uint8_t flags = 0;
    uint8_t classByte = 0;   // the class tag is parsed once, for its flag and its byte
    if constexpr (!V::kReading) {
        bool isMale = false;
        if constexpr (kBasic)
            isMale = info.isMale;
        classByte = ClassTagToByte(info.classTag.c_str());
        flags = CompactPlayerFlags(info, isMale, kBasic, classByte);
    }
    v(Wire::u8, flags);
    const uint8_t allowed = PlayerNetFlags::kSmallLevel | PlayerNetFlags::kClassByte | (kBasic ? PlayerNetFlags::kMale : 0);
    if constexpr (V::kReading) {
        if (flags & ~allowed)
            v.Fail("player record with unknown flags");
        if constexpr (kBasic)
            info.isMale = (flags & PlayerNetFlags::kMale) != 0;
    }
    if constexpr (V::kDescribing && kBasic)
        v(Wire::b, info.isMale, FieldLabel("Is Male: ", 0, 2));
    if (flags & PlayerNetFlags::kSmallLevel) {
        uint8_t level = static_cast<uint8_t>(info.level);
        v(Wire::u8, level, levelLabel);
        if constexpr (V::kReading)
            info.level = level;
    } else {
        v(Wire::u32, info.level, levelLabel);
    }
    if (flags & PlayerNetFlags::kClassByte) {
        v(Wire::u8, classByte);
        if constexpr (V::kReading)
            ByteToClassTag(classByte, info.classTag);
    } else {
        v(Wire::sr, info.classTag);
    }
    v(Wire::V3, info.position);
    v(NetCount::Byte, Wire::fn, info.statusSkills);
}

class SinglePlayerHeartbeatPacket : public NetPacketOf<SinglePlayerHeartbeatPacket, 22> {
    GAME_DECLARE_CLASS(SinglePlayerHeartbeatPacket)

public:
    PlayerNetHeartbeatInfo info;

    // The record with at most 255 status skills.
    void SetInfo(const PlayerNetHeartbeatInfo& heartbeat);

    template <class V>
    void Fields(V& v)
    {
        PlayerNetFields(v, info, PlayerNetForm::Single);
    }
};

class SinglePlayerBasicInfoPacket : public NetPacketOf<SinglePlayerBasicInfoPacket, 24> {
    GAME_DECLARE_CLASS(SinglePlayerBasicInfoPacket)

public:
    PlayerNetBasicInfo info;

    // The record with at most 255 status skills.
    void SetInfo(const PlayerNetBasicInfo& player);

    template <class V>
    void Fields(V& v)
    {
        PlayerNetFields(v, info, PlayerNetForm::Single);
    }
};

// At most 255 players; more fail to build (SetPlayers leaves them out).
class AllPlayersHeartbeatPacket : public NetPacketOf<AllPlayersHeartbeatPacket, 21> {
    GAME_DECLARE_CLASS(AllPlayersHeartbeatPacket)

public:
    std::vector<PlayerNetHeartbeatInfo> players;

    // Every record of the roster that fits, in roster order; those left out are logged.
    void SetPlayers(const std::vector<PlayerNetHeartbeatInfo>& roster);

    template <class V>
    void Fields(V& v)
    {
        v.List(NetCount::Byte, players, PlayerNetFlags::kMinCompactSize,
               [](auto& visitor, auto& player) { PlayerNetFields(visitor, player, PlayerNetForm::Compact); });
    }
};

// At most 255 players; more fail to build (SetPlayers leaves them out).
class AllPlayersBasicInfoPacket : public NetPacketOf<AllPlayersBasicInfoPacket, 23> {
    GAME_DECLARE_CLASS(AllPlayersBasicInfoPacket)

public:
    std::vector<PlayerNetBasicInfo> players;

    // Every record of the roster that fits, in roster order; those left out are logged.
    void SetPlayers(const std::vector<PlayerNetBasicInfo>& roster);

    template <class V>
    void Fields(V& v)
    {
        v.List(NetCount::Byte, players, PlayerNetFlags::kMinCompactSize + 2,
               [](auto& visitor, auto& player) { PlayerNetFields(visitor, player, PlayerNetForm::Compact); });
    }
};

// The server's word that a client host has left the game: every other client removes
// that host's players as the server did. The host number travels as a 32-bit word; a client
// applies only 1 to 15 (0 is the server's).
class PlayerLeftPacket : public NetPacketOf<PlayerLeftPacket, 19> {
    GAME_DECLARE_CLASS(PlayerLeftPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, host, "Host: "))
};

}  // namespace GAME
