// One change to one actor, carried with its arguments. The game creates a command with
// `new` and hands it to the actor (Actor::Enqueue); from then on the engine owns it: it
// runs the command at its point of the frame (Engine::RunActorCommands), sends the
// command's packet to the other peers and frees it. Commands come and go every frame, so
// their memory is kept for the next one: a freed command's block waits in a store of the
// freeing thread, by size, for the next command of that size made on the thread. The
// game's commands are named after what they change, ending in ConfigCmd
// (CharPickUpConfigCmd, FixedItemStateChangeConfigCmd ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace GAME {

class NetPacket;

class ActorConfigCommand {
public:
    explicit ActorConfigCommand(uint32_t actorId) : m_actorId(actorId) {}
    ActorConfigCommand(const ActorConfigCommand&) = default;
    ActorConfigCommand& operator=(const ActorConfigCommand&) = default;
    virtual ~ActorConfigCommand() = default;

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    // Over-aligned commands (none today) go to the global heap.
    static void* operator new(std::size_t size, std::align_val_t align) { return ::operator new(size, align); }
    static void operator delete(void* block, std::size_t, std::align_val_t align) noexcept
    {
        ::operator delete(block, align);
    }

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
