// Which level a network game plays, told by the server to each client as it joins: a client
// that plays another level (the bundled run, the boss arena, a village: any two of them)
// learns it in its first frames and is refused, both levels named, instead of playing on in
// a world it does not hold. The client is told before its player stands in the server's
// world, which a client of another region never does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace GAME {

class GameEngine;

class HostLevelTell {
public:
    // `level`: what this host plays (a level's NAME, or empty for the bundled run).
    explicit HostLevelTell(std::string level);

    // On a server: the client at `host`, which has just joined, is sent, as a message, the
    // level the server plays.
    void Tell(GameEngine& engine, int host) const;
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
    std::u16string m_message;   // the message that names m_level, sent to each client
    std::string m_refusal;
};

}  // namespace GAME
