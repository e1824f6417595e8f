// A scripted player: clicks and key presses by frame, read from a text file and handed to
// the player's controller through the operations the user interface calls.
//
// One command a line, `#` starts a comment:
//   FRAME click primary|secondary X Z [held] [inplace]   a click (or a held button) at (X, 0, Z)
//   FRAME pet X Z                                        the selected pet goes there or attacks
//   FRAME clear                                          the player forgets its target
// The object under the cursor is the first character, item or world object (in the
// world's order) whose bounding sphere holds the point, as the interface's pick would.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace GAME {

class HostInput {
public:
    enum class Kind { Click, Pet, Clear };
    struct Command {
        int frame = 0;
        Kind kind = Kind::Click;
        bool primary = true;
        bool held = false;
        bool inPlace = false;
        float x = 0.0f;
        float z = 0.0f;
    };

    // The most commands one file may hold and the last frame one may name.
    static constexpr size_t kMaxCommands = 100000;
    static constexpr int kMaxFrame = 10000000;

    // Reads the commands of a script's text (`source` names it in the log); a line that does
    // not parse is logged with its number and skipped.
    void Parse(const std::string& text, const std::string& source);
    const std::vector<Command>& GetCommands() const { return m_commands; }
    // Runs the frame's commands on the player's controller, printing each.
    void Apply(int frame, uint32_t playerId);
    // After the frame: what the clicks brought the player (items it now carries, gold).
    void AfterFrame(int frame, uint32_t playerId);
    // A packet as it travels between the hosts: a player's move, pick-up or talk (what its
    // clicks become) is one line, alike on the side that sends it and the side that
    // receives it. A server passes a client's action on to the other clients: the bytes it
    // applied travel again, unprinted.
    void Travelled(const unsigned char* data, size_t size);

private:
    std::vector<Command> m_commands;
    size_t m_next = 0;
    bool m_seen = false;            // the player's belongings were looked at once
    std::vector<uint32_t> m_carried;
    uint32_t m_money = 0;
    std::map<uint32_t, std::vector<unsigned char>> m_lastAction;   // by player: the bytes last printed
};

}  // namespace GAME
