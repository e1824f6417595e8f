// Which level a network game plays, told by the server to each client's player: a client
// that plays another level (a bundled-run client of a village's server, a village's client
// of the bundled run's server) learns it in its first frames and is refused, both levels
// named, instead of playing on in a world it does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace GAME {

class GameEngine;

class HostLevelTell {
public:
    // `level`: what this host plays (a level's NAME, or empty for the bundled run).
    explicit HostLevelTell(std::string level);

    // On a server, after a frame: each client's player new in the roster is sent, as a
    // message, the level the server plays.
    void AfterFrame(GameEngine& engine);
    // On a client: a packet that arrived; the server's message of its level is read.
    void Travelled(const unsigned char* data, size_t size);
    // On a client told of another level than its own: the refusal, "the server plays the
    // level village, not the bundled run this client plays (give it --level village)";
    // empty otherwise.
    const std::string& GetRefusal() const { return m_refusal; }
    // The input a refusal names: "--level NAME", or "--connect" for the bundled run.
    std::string RefusedInput(const std::string& connectTo) const;
    // Whether a message's text is the server's message of its level (not printed).
    static bool IsLevelMessage(const std::string& text);

private:
    std::string m_level;
    std::u16string m_message;   // the message that names m_level, sent to each client's player
    std::set<uint32_t> m_told;
    std::string m_refusal;
};

}  // namespace GAME
