// Small value types the game engine shares with the rest of the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

enum GameDifficulty : int32_t {
    GameDifficulty_Normal = 0,
    GameDifficulty_Epic = 1,
    GameDifficulty_Legendary = 2,
};

// What designer formulas read about the players of the game.
struct PlayerInfo {
    uint32_t averagePlayerLevel = 0;
    uint32_t minPlayerLevel = 0;
    uint32_t maxPlayerLevel = 0;
    uint32_t numberOfPlayers = 0;
    uint32_t gameDifficulty = 0;
};

// Why rendering is switched off; each reason has its own switch.
enum RenderingDisable : int32_t {
    RenderingDisable_Host = 0,
    RenderingDisable_Loading = 1,
    RenderingDisable_Teleport = 2,
    RenderingDisable_Respawn = 3,
};
inline constexpr int kRenderingDisableReasons = 4;

// The kind of a user-interface notification; its meaning belongs to the interface.
enum UINotificationType : int32_t {
    UINotificationType_Default = 0,
    UINotificationType_PlayerMessage = 6,   // a message from or about another player
};

struct UINotification {
    std::vector<std::string> tags;        // localization tags
    std::vector<std::u16string> texts;    // ready texts
    UINotificationType type = UINotificationType_Default;

    bool operator==(const UINotification& other) const = default;
};

// The load state of a network region loader as the loaders report it to each other (a
// 32-bit value); its values belong to the loaders.
enum NRLoaderState : uint32_t;

struct ChatMessage {
    std::u16string sender;
    std::u16string text;
    unsigned char channel = 0;
};

struct PartyRequestResponse {
    uint32_t playerId = 0;
    bool answer = false;
};

}  // namespace GAME
