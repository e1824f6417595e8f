// One change to one actor, carried with its arguments. The game creates a command with
// `new` and hands it to the actor (Actor::Enqueue); from then on the engine owns it: it
// runs the command at its point of the frame (Engine::RunActorCommands), sends the
// command's packet to the other peers and frees it.
#pragma once

#include <cstdint>

namespace GAME {

class NetPacket;

class ActorConfigCommand {
public:
    explicit ActorConfigCommand(uint32_t actorId) : m_actorId(actorId) {}
    ActorConfigCommand(const ActorConfigCommand&) = default;
    ActorConfigCommand& operator=(const ActorConfigCommand&) = default;
    virtual ~ActorConfigCommand() = default;

    // Applies the change to the objects of this peer; re-resolves every id it holds.
    virtual void Execute() {}
    // A new packet carrying the same arguments (the caller owns it); null when the command
    // does not travel.
    virtual NetPacket* GetNetPacket() { return nullptr; }

    uint32_t GetActorId() const { return m_actorId; }

    // Whether the command's packet goes to the other peers when it runs where it was
    // queued. Off in the base; every command of the game switches it on.
    bool IsReplicated() const { return m_replicate != 0; }
    void SetReplicated(bool on) { m_replicate = on ? 1 : 0; }

protected:
    uint32_t m_actorId;
    uint8_t m_replicate = 0;
};

}  // namespace GAME
