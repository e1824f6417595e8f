// Received bytes become packets here. Each packet class is registered under its type
// number; a received packet is made as a new object of the class registered for the
// type in its header, filled with CopyInbound, checked, and handed to the handler set
// for that type. A type nobody registered and a packet that does not read cleanly are
// logged and dropped whole, before any handler runs. A packet whose object ids do not
// resolve is dropped the same way, unless holding is on (SetHoldLimits): then it waits
// for the objects it names (a peer may send them after it), is tried again on every
// RetryHeld, and is dropped, logged, after the allowed tries or time. What arrives for an
// object that held packets wait for is held behind them, so that each object's packets
// apply in the order they were sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/NetPacket.h"

namespace GAME {

class NetPacketRegistry {
public:
    using Handler = std::function<void(NetPacket& packet, int fromHost)>;
    using Handlers = std::map<NetPacketType, Handler>;

    static NetPacketRegistry& Get();

    // Enters a packet class under its type number. A number already taken keeps its
    // first class (the second is refused and logged).
    bool RegisterType(NetPacketType type, const RTTI_ClassInfo& info);
    const RTTI_ClassInfo* FindType(NetPacketType type) const;
    std::vector<NetPacketType> GetTypes() const;

    // A new packet of the class registered for the type; null when there is none.
    std::unique_ptr<NetPacket> Create(NetPacketType type) const;

    // The handler of received packets of one type (an empty one removes it).
    void SetHandler(NetPacketType type, Handler handler);
    void ClearHandlers();
    // Exchanges the whole table of handlers with `handlers`, so that a game that takes one
    // role and then another keeps each role's table and puts it back at once, without
    // making its handlers again.
    void SwapHandlers(Handlers& handlers);
    // Called with each received packet that was applied: its handler ran and dropped
    // nothing (NetDropLog counted no drop meanwhile). Empty: nobody is told.
    void SetAppliedObserver(Handler observer);

    // Decodes one received packet and hands it to its handler. False when it was dropped.
    bool Dispatch(int fromHost, const unsigned char* data, size_t size);

    // How long a packet naming objects that do not exist yet is held: at most `tries`
    // tries (the first included) and `ms` milliseconds of the engine's frame clock
    // (GameClock's real time), so that a slow machine holds it as many frames as a fast
    // one: how long a frame takes in wall time is no part of the rule. 0 tries drops such packets at
    // once, as does a registry where it was never set; setting the limits drops anything
    // held. At most kMaxHeld packets wait; a further one pushes out the oldest of the host
    // that has the most waiting (logged), so that one peer's flood pushes out only its own.
    static constexpr size_t kMaxHeld = 256;
    void SetHoldLimits(int tries, int ms);
    // Tries each held packet again, in the order they arrived: applies those whose objects
    // now exist and drops those past their limits; one that names an object an older held
    // packet still waits for stays behind it (without spending a try). Returns how many
    // were applied.
    int RetryHeld();
    size_t GetHeldCount() const;

    // Asked by a handler whose packet cannot apply yet, but may once the game has run on
    // (a character still on its way to what it uses): the packet is held, as one naming
    // objects that do not exist yet is, behind it what comes later for the objects it
    // names, and handled again at each RetryHeld. True when it will be: holding is on and
    // this is not the packet's last try; otherwise false, and the handler decides now. The
    // reason (a literal) is logged as the packet's holding.
    static bool HoldHandled(const char* reason);

    // The type number a received packet's header names; false when it is too short.
    static bool PeekType(const unsigned char* data, size_t size, NetPacketType& type);

    // A refusal by code that applies a received packet deeper than its handler, where the
    // sender is not known: logged through the drop log as the refusal of the packet this
    // thread's handler runs and of its sender, so that it is summarised and the packet is
    // not seen as applied. Called outside any handler (the game's own call), it is logged
    // as a warning about `what`. Returns false.
    static bool DropHandled(const char* what, const char* reasonFormat, ...) __attribute__((format(printf, 2, 3)));
    // The same for a failure whose text is made already (`reason`, of the kind `reasonKey`,
    // as NetDropLog tells kinds apart): true when it was noted as the refusal of the
    // packet this thread's handler runs; false, and nothing logged, outside any handler.
    static bool NoteHandledDrop(const char* reasonKey, std::string_view reason);

private:
    NetPacketRegistry() = default;

    struct Held {
        std::unique_ptr<NetPacket> packet;
        int fromHost = 0;
        int tries = 0;
        uint32_t since = 0;   // the frame clock when it was first held
        // The objects it waits for: those missing, and those older held packets wait for.
        std::vector<uint32_t> waitsFor;
    };
    // Drops the oldest held packet of the host that has the most held (under m_lock).
    void DropOldestOfBusiestHost();
    // The ids among `named` that a held packet waits for (m_held, under m_lock).
    std::vector<uint32_t> HeldWaitsFor(const std::vector<uint32_t>& named) const;
    // Runs the handler of the packet's type; false when there is none (logged), when the
    // handler refused it, and when it asked to be held (`*heldFor` set to its reason, when
    // `mayHold`).
    bool Handle(NetPacket& packet, int fromHost, bool mayHold = false, const char** heldFor = nullptr);

    mutable CriticalSection m_lock;
    std::map<NetPacketType, const RTTI_ClassInfo*> m_types;
    // Shared, so that a packet's handling holds its handler (which it may replace meanwhile)
    // without copying what the handler captured.
    std::map<NetPacketType, std::shared_ptr<const Handler>> m_handlers;
    std::shared_ptr<const Handler> m_appliedObserver;
    std::deque<Held> m_held;
    int m_holdTries = 0;
    int m_holdMs = 0;
};

// Registers a packet class when the library that defines it loads.
struct NetPacketRegistration {
    NetPacketRegistration(NetPacketType type, const RTTI_ClassInfo& info)
    {
        NetPacketRegistry::Get().RegisterType(type, info);
    }
};

}  // namespace GAME

// Defines a packet class's class information (under Parent) and registers the class
// under its type number (Class::kType).
#define GAME_IMPLEMENT_PACKET(Class, Parent)                                                          \
    ::GAME::RTTI_ClassInfo Class::classInfo(#Class, &Parent::GetStaticClassInfo(), &Class::RTTI_new); \
    void* Class::RTTI_new() { return static_cast<::GAME::NetPacket*>(new Class()); }                 \
    static const ::GAME::NetPacketRegistration registration_##Class(Class::kType, Class::GetStaticClassInfo());
