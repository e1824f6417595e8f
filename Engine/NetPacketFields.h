// One field list per packet drives its writer, its reader and its describer.
//
// A packet states its fields once, in wire order, in a member template
//
//     template <class V> void Fields(V& v)
//     {
//         v(Wire::u32, playerId, "PlayerID: ");
//         v(Wire::i32, amount, "GoldAmount: ");
//     }
//
// and derives from NetPacketOf<Itself, TYPE>, which runs that list with the writer
// (PrepareOutBuffer), the reader (CopyInbound) and the describer (GetPacketDescription).
// A field is a kind (Wire::...), a member, and a label; a field without a label is not
// described. The kind fixes the bytes (NetPacketBuffer.h); the member's own type picks
// how it is described. Lists take a count width, the smallest size of one element, and
// a field list for one element. Visitors tell what they do through kReading, kWriting
// and kDescribing, for the few layouts whose later fields depend on earlier ones.
//
// A kind's Read assigns the member whatever happens: the value read, or zeros and empty
// values once the read has failed. Lists rely on it when they read into the elements of
// an earlier read.
//
// Most packets declare each field in one row, its member and its place in the list at
// once (GAME_NET_FIELDS below):
//
//     GAME_NET_FIELDS((Wire::u32, uint32_t, playerId, "PlayerID: "),
//                     (Wire::i32, int32_t, amount, "GoldAmount: "))
//
// which also gives Values(), the members in list order, for copying a packet's fields to
// and from the arguments of what it carries (AssignFields).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketDescriber.h"
#include "Engine/NetPacketRows.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

// The text a field is described with, its indent level and its rank (see
// NetPacketDescriber). A null text leaves the field out of the description.
struct FieldLabel {
    const char* text = nullptr;
    int level = 0;
    int rank = 0;

    constexpr FieldLabel() = default;
    constexpr FieldLabel(const char* text_, int level_ = 0, int rank_ = 0) : text(text_), level(level_), rank(rank_) {}
};

// How a list is described: an optional heading line, an optional line with the count,
// and the label of each element (at level 1).
struct ListLabel {
    const char* heading = nullptr;
    const char* count = nullptr;
    const char* element = nullptr;
};

namespace Wire {

template <class T>
inline constexpr bool kIsWord = (std::is_integral_v<T> || std::is_enum_v<T>) && sizeof(T) == 4;

// u8: one byte.
struct U8 {
    static constexpr size_t kMinSize = 1;
    static void Write(NetPacketOutBuffer& out, uint8_t value) { out.AddU8(value); }
    static void Read(NetPacketInBuffer& in, uint8_t& value) { value = in.RemoveU8(); }
};

// u16: two bytes.
struct U16 {
    static constexpr size_t kMinSize = 2;
    static void Write(NetPacketOutBuffer& out, const uint16_t& value) { out.Add(&value); }
    static void Read(NetPacketInBuffer& in, uint16_t& value) { in.Remove(&value); }
};

// u32 and i32: four bytes of an integer or an enum.
struct Word {
    static constexpr size_t kMinSize = 4;
    template <class T>
    static void Write(NetPacketOutBuffer& out, const T& value)
    {
        static_assert(kIsWord<T>, "a 32-bit field needs a 32-bit integer or enum member");
        out.AddU32(static_cast<uint32_t>(value));
    }
    template <class T>
    static void Read(NetPacketInBuffer& in, T& value)
    {
        static_assert(kIsWord<T>, "a 32-bit field needs a 32-bit integer or enum member");
        value = static_cast<T>(in.RemoveU32());
    }
};

// u32 carrying an enum whose values run from 0 to Max; any other value fails the read.
template <auto Max>
struct Enum {
    static constexpr size_t kMinSize = 4;
    using T = decltype(Max);
    static void Write(NetPacketOutBuffer& out, const T& value) { out.AddU32(static_cast<uint32_t>(value)); }
    static void Read(NetPacketInBuffer& in, T& value)
    {
        const uint32_t raw = in.RemoveU32();
        if (raw > static_cast<uint32_t>(Max))
            in.Fail("enum value " + std::to_string(raw) + " is out of range");
        value = in.IsOk() ? static_cast<T>(raw) : T{};
    }
};

// f32: four bytes of a float.
struct F32 {
    static constexpr size_t kMinSize = 4;
    static void Write(NetPacketOutBuffer& out, const float& value) { out.AddF32(value); }
    static void Read(NetPacketInBuffer& in, float& value) { value = in.RemoveF32(); }
};

// rN: a small record copied whole.
template <size_t N>
struct Raw {
    static constexpr size_t kMinSize = N;
    template <class T>
    static void Write(NetPacketOutBuffer& out, const T& value)
    {
        static_assert(std::is_trivially_copyable_v<T> && sizeof(T) == N, "a raw field copies its record whole");
        out.AddRawBytes<N>(&value);
    }
    template <class T>
    static void Read(NetPacketInBuffer& in, T& value)
    {
        static_assert(std::is_trivially_copyable_v<T> && sizeof(T) == N, "a raw field copies its record whole");
        unsigned char bytes[N];
        in.RemoveRawBytes(bytes, N);
        std::memcpy(&value, bytes, N);
    }
};

// b: a bool.
struct Bool {
    static constexpr size_t kMinSize = 1;
    static void Write(NetPacketOutBuffer& out, const bool& value) { out.Add(&value); }
    static void Read(NetPacketInBuffer& in, bool& value) { in.Remove(&value); }
};

// h16: a 32-bit value in its 16-bit form.
struct Half {
    static constexpr size_t kMinSize = 2;
    template <class T>
    static void Write(NetPacketOutBuffer& out, const T& value)
    {
        out.Add16Bit(&value);
    }
    template <class T>
    static void Read(NetPacketInBuffer& in, T& value)
    {
        in.Remove16Bit(&value);
    }
};

// Id and Id?: one object id.
struct Id {
    static constexpr size_t kMinSize = 4;
    static void Write(NetPacketOutBuffer& out, const SmartObjectId& value) { out.Add(&value); }
    static void Read(NetPacketInBuffer& in, SmartObjectId& value) { in.Remove(&value); }
};

// IdL and IdL?: a list of object ids.
struct IdList {
    static constexpr size_t kMinSize = 4;
    static void Write(NetPacketOutBuffer& out, const SmartObjectIdList& value) { out.Add(value); }
    static void Read(NetPacketInBuffer& in, SmartObjectIdList& value) { in.Remove(value); }
};

// V3: a world point.
struct Point {
    static constexpr size_t kMinSize = NetLimits::kVec3Size;
    static void Write(NetPacketOutBuffer& out, const WorldVec3& value) { out.Add(&value); }
    static void Read(NetPacketInBuffer& in, WorldVec3& value) { in.Remove(&value); }
};

// WC: a world position and orientation.
struct Frame {
    static constexpr size_t kMinSize = NetLimits::kCoordsSize;
    static void Write(NetPacketOutBuffer& out, const WorldCoords& value) { out.Add(&value); }
    static void Read(NetPacketInBuffer& in, WorldCoords& value) { in.Remove(&value); }
};

// s: an 8-bit string.
struct String {
    static constexpr size_t kMinSize = 2;
    static void Write(NetPacketOutBuffer& out, const std::string& value) { out.Add(value); }
    static void Read(NetPacketInBuffer& in, std::string& value) { in.Remove(value); }
};

// sr: an 8-bit string in the raw form.
struct RawString {
    static constexpr size_t kMinSize = 2;
    static void Write(NetPacketOutBuffer& out, const std::string& value) { out.AddRaw(value); }
    static void Read(NetPacketInBuffer& in, std::string& value) { in.RemoveRaw(value); }
};

// fn: a record file name.
struct FileName {
    static constexpr size_t kMinSize = 2;
    static void Write(NetPacketOutBuffer& out, const std::string& value) { out.AddFileName(value); }
    static void Read(NetPacketInBuffer& in, std::string& value) { in.RemoveFileName(value); }
};

// ws: a 16-bit string.
struct WideString {
    static constexpr size_t kMinSize = 2;
    static void Write(NetPacketOutBuffer& out, const std::u16string& value) { out.Add(value); }
    static void Read(NetPacketInBuffer& in, std::u16string& value) { in.Remove(value); }
};

// The abbreviations the packet tables use.
inline constexpr U8 u8{};
inline constexpr U16 u16{};
inline constexpr Word u32{};
inline constexpr Word i32{};
inline constexpr F32 f32{};
inline constexpr Raw<8> r8{};
inline constexpr Raw<12> r12{};
inline constexpr Raw<16> r16{};
inline constexpr Bool b{};
inline constexpr Half h16{};
inline constexpr Id id{};
inline constexpr Id idNullable{};
inline constexpr IdList idList{};
inline constexpr IdList idListNullable{};
inline constexpr Point V3{};
inline constexpr Frame WC{};
inline constexpr String s{};
inline constexpr RawString sr{};
inline constexpr FileName fn{};
inline constexpr WideString ws{};

}  // namespace Wire

// ---- The three visitors ---------------------------------------------------------------

class NetFieldWriter {
public:
    static constexpr bool kReading = false;
    static constexpr bool kWriting = true;
    static constexpr bool kDescribing = false;

    explicit NetFieldWriter(NetPacketOutBuffer& out) : m_out(out) {}

    template <class Kind, class T>
    void operator()(Kind, const T& value, FieldLabel = {})
    {
        Kind::Write(m_out, value);
    }

    // A vector of elements of one kind.
    template <class Kind, class T>
    void operator()(NetCount width, Kind, const std::vector<T>& values, ListLabel = {})
    {
        List(width, values, Kind::kMinSize, [](auto& v, const T& value) { v(Kind{}, value); });
    }

    template <class T, class ElementFields>
    void List(NetCount width, const std::vector<T>& values, size_t, ElementFields&& fields, ListLabel = {})
    {
        m_out.AddCount(width, values.size());
        if (!m_out.IsOk())
            return;
        for (const T& value : values)
            fields(*this, value);
    }

    // A list whose count a reader takes as signed (see NetFieldReader::SignedList).
    template <class T, class ElementFields>
    void SignedList(const std::vector<T>& values, size_t minElementSize, ElementFields&& fields)
    {
        List(NetCount::Word, values, minElementSize, fields);
    }

    void Heading(const char*) {}
    void Fail(const char* reason) { m_out.Fail(reason); }
    bool IsOk() const { return m_out.IsOk(); }
    // For records with a writer of their own form.
    NetPacketOutBuffer& Buffer() { return m_out; }

private:
    NetPacketOutBuffer& m_out;
};

class NetFieldReader {
public:
    static constexpr bool kReading = true;
    static constexpr bool kWriting = false;
    static constexpr bool kDescribing = false;

    explicit NetFieldReader(NetPacketInBuffer& in) : m_in(in) {}

    template <class Kind, class T>
    void operator()(Kind, T& value, FieldLabel = {})
    {
        Kind::Read(m_in, value);
    }

    template <class Kind, class T>
    void operator()(NetCount width, Kind, std::vector<T>& values, ListLabel = {})
    {
        List(width, values, Kind::kMinSize, [](auto& v, T& value) { v(Kind{}, value); });
    }

    // The list becomes what is read. Its existing elements are read into again, so a
    // packet read over and over keeps its elements' storage; every field reader assigns
    // its member even when it fails, so nothing of an earlier read survives. Reading
    // stops at the first failure, keeping the elements up to the one that failed.
    template <class T, class ElementFields>
    void List(NetCount width, std::vector<T>& values, size_t minElementSize, ElementFields&& fields, ListLabel = {})
    {
        const uint32_t count = m_in.RemoveCount(width, minElementSize);
        values.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            fields(*this, values[i]);
            if (!m_in.IsOk()) {
                values.resize(i + 1);
                return;
            }
        }
    }

    // A list behind a 4-byte count read as signed: 0 or less is no element; a larger one
    // is checked against the bytes left before anything is allocated. The list becomes
    // what is read, or empty when the read fails.
    template <class T, class ElementFields>
    void SignedList(std::vector<T>& values, size_t minElementSize, ElementFields&& fields)
    {
        std::vector<T> read(m_in.RemoveSignedCount(minElementSize));
        for (T& value : read) {
            fields(*this, value);
            if (!m_in.IsOk())
                break;
        }
        if (m_in.IsOk())
            values = std::move(read);
        else
            values.clear();
    }

    void Heading(const char*) {}
    void Fail(const char* reason) { m_in.Fail(reason); }
    bool IsOk() const { return m_in.IsOk(); }
    // For records with a reader of their own form.
    NetPacketInBuffer& Buffer() { return m_in; }

private:
    NetPacketInBuffer& m_in;
};

class NetFieldDescriber {
public:
    static constexpr bool kReading = false;
    static constexpr bool kWriting = false;
    static constexpr bool kDescribing = true;

    explicit NetFieldDescriber(NetPacketDescriber& describer) : m_describer(describer) {}

    // A field without a label is not described; one with a label must be of a type
    // the describer knows.
    template <class Kind, class T>
    void operator()(Kind, const T&)
    {
    }

    template <class Kind, class T>
    void operator()(Kind, const T& value, FieldLabel label)
    {
        if (!label.text)
            return;
        m_describer.SetRank(label.rank);
        if constexpr (std::is_enum_v<T>)
            m_describer.Describe(label.text, static_cast<uint32_t>(value), label.level);
        else
            m_describer.Describe(label.text, value, label.level);
    }

    template <class Kind, class T>
    void operator()(NetCount width, Kind, const std::vector<T>& values, ListLabel label = {})
    {
        List(width, values, Kind::kMinSize,
             [&label](auto& v, const T& value) { v(Kind{}, value, FieldLabel(label.element, 1)); }, label);
    }

    template <class T, class ElementFields>
    void List(NetCount, const std::vector<T>& values, size_t, ElementFields&& fields, ListLabel label = {})
    {
        if (label.heading)
            m_describer.Heading(label.heading, 0);
        if (label.count)
            m_describer.Describe(label.count, static_cast<uint32_t>(values.size()), 0);
        for (const T& value : values)
            fields(*this, value);
    }

    void Heading(const char* label) { m_describer.Heading(label, 0); }
    void Fail(const char*) {}
    bool IsOk() const { return true; }

private:
    NetPacketDescriber& m_describer;
};

// ---- Packets declared by their field list ---------------------------------------------

// The packets' writers and readers are flattened (see NetPacketOf) except in the sanitized
// build, which checks what they do, not how fast: flattening them there, every check
// inlined with them, costs more compile time than any other code of the libraries.
#ifdef GAME_SANITIZED_BUILD
#define GAME_NET_FLATTEN
#else
#define GAME_NET_FLATTEN [[gnu::flatten]]
#endif

// Derived states its fields once in `template <class V> void Fields(V&)`.
template <class Derived, NetPacketType Type, class Base = NetPacket>
class NetPacketOf : public Base {
public:
    static constexpr NetPacketType kType = Type;

    NetPacketOf() : Base(Type) {}

    // Both are flattened: the field list and every writer or reader it calls are
    // inlined here, so the buffer never leaves the function and its cursor stays in a
    // register instead of being stored and loaded again around every byte (a byte
    // written or read could otherwise be the cursor itself). The buffers' slow paths
    // are static functions for that reason.
    GAME_NET_FLATTEN uint32_t PrepareOutBuffer() override
    {
        NetPacketOutBuffer out(this);
        NetFieldWriter writer(out);
        Self().Fields(writer);
        return out.Done();
    }

    GAME_NET_FLATTEN bool CopyInbound(const unsigned char* data, int size) override
    {
        NetPacketInBuffer in(this->GetHeader(), data, size);
        NetFieldReader reader(in);
        Self().Fields(reader);
        return this->EndRead(in);
    }

    std::string GetPacketDescription(bool verbose) override
    {
        NetPacketDescriber describer(this, verbose);
        NetFieldDescriber visitor(describer);
        Self().Fields(visitor);
        return describer.GetDescription();
    }

private:
    Derived& Self() { return static_cast<Derived&>(*this); }
};

// ---- Fields declared in one row each -----------------------------------------------------

// What a member starts from: an id field is made with its packet, which enters it there
// (made in place: a copy would enter the copy's address); anything else starts
// value-initialized.
template <class T, class Packet>
auto NetFieldStart(Packet* packet)
{
    if constexpr (std::is_base_of_v<SmartObjectId, T> || std::is_base_of_v<SmartObjectIdList, T>)
        return static_cast<ObjectInteractionPacket*>(packet);
    else
        return T{};
}

namespace Wire {
// A vector of one kind behind a count of the given width, described as its label says.
template <class Kind>
struct List {
    NetCount width;
    Kind kind;
    ListLabel label = {};

    template <class V, class T>
    void Visit(V& v, std::vector<T>& values) const
    {
        v(width, kind, values, label);
    }
};
template <class Kind>
List(NetCount, Kind, ListLabel) -> List<Kind>;
}  // namespace Wire

// One row of a field list. A kind with a Visit of its own lays out a record or a list
// of several fields; a plain kind is one field.
template <class V, class Kind, class T, class... Label>
void VisitField(V& v, const Kind& kind, T& value, Label... label)
{
    if constexpr (requires { kind.Visit(v, value); })
        kind.Visit(v, value);
    else
        v(kind, value, label...);
}

// Copies one value between a packet's field and an argument that holds it: an id list
// gives its ids, an enum is taken from the integer a packet holds it as.
template <class To, class From>
void AssignField(To& to, const From& from)
{
    if constexpr (std::is_base_of_v<SmartObjectIdList, From>)
        to = from.GetIds();
    else if constexpr (std::is_enum_v<To> && std::is_integral_v<From>)
        to = static_cast<To>(from);
    else
        to = from;
}

// Copies two lists of values of the same length element by element (see Values()).
template <class... To, class... From>
void AssignFields(std::tuple<To&...> to, std::tuple<From&...> from)
{
    static_assert(sizeof...(To) == sizeof...(From), "both lists name the same fields");
    [&]<size_t... I>(std::index_sequence<I...>) {
        (AssignField(std::get<I>(to), std::get<I>(from)), ...);
    }(std::index_sequence_for<To...>{});
}

// The fields a packet's base puts before its rows, and the tests a packet makes of the
// values its rows read, where it has them.
template <class Packet, class V>
void NetLeadingFields(Packet& packet, V& v)
{
    if constexpr (requires { packet.LeadingFields(v); })
        packet.LeadingFields(v);
}
template <class Packet, class V>
void NetCheckFields(Packet& packet, V& v)
{
    if constexpr (requires { packet.CheckFields(v); })
        packet.CheckFields(v);
}

#define GAME_NET_FIELD_MEMBER(kind, type, name, ...) type name = type(::GAME::NetFieldStart<type>(this));
#define GAME_NET_FIELD_VISIT(kind, type, name, ...) ::GAME::VisitField(v, kind, name __VA_OPT__(, ) __VA_ARGS__);
#define GAME_NET_FIELD_NAME(kind, type, name, ...) , name

// Rows (kind, type, member[, label]) in wire order: declares the members, the field list
// Fields and Values(). A kind whose braces hold a comma goes in parentheses. A packet's fields may start with LeadingFields (its base's, such
// as the actor of a command) and end with CheckFields (tests of the values read).
#define GAME_NET_FIELDS(...)                                                                         \
    GAME_NET_FOR_EACH(GAME_NET_FIELD_MEMBER, __VA_ARGS__)                                            \
    template <class V>                                                                                \
    void Fields(V& v)                                                                                 \
    {                                                                                                 \
        ::GAME::NetLeadingFields(*this, v);                                                           \
        GAME_NET_FOR_EACH(GAME_NET_FIELD_VISIT, __VA_ARGS__)                                         \
        ::GAME::NetCheckFields(*this, v);                                                             \
    }                                                                                                 \
    auto Values() { return ::GAME::TieFields(0 GAME_NET_FOR_EACH(GAME_NET_FIELD_NAME, __VA_ARGS__)); }

}  // namespace GAME
