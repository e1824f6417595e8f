// Received bytes become packets here. Each packet class is registered under its type
// number; a received packet is made as a new object of the class registered for the
// type in its header, filled with CopyInbound, checked, and handed to the handler set
// for that type. A type nobody registered, a packet that does not read cleanly, and one
// whose object ids do not resolve are logged and dropped whole, before any handler runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/NetPacket.h"

namespace GAME {

class NetPacketRegistry {
public:
    using Handler = std::function<void(NetPacket& packet, int fromHost)>;

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

    // Decodes one received packet and hands it to its handler. False when it was dropped.
    bool Dispatch(int fromHost, const unsigned char* data, size_t size);

    // The type number a received packet's header names; false when it is too short.
    static bool PeekType(const unsigned char* data, size_t size, NetPacketType& type);

private:
    NetPacketRegistry() = default;

    mutable CriticalSection m_lock;
    std::map<NetPacketType, const RTTI_ClassInfo*> m_types;
    std::map<NetPacketType, Handler> m_handlers;
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
