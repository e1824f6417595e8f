// The keyed property stream a save is written to and read back from. One routine serves
// both directions: each value operation names its value by a key and, when the stream is
// writing, stores the value; when it is reading, overwrites it with what was stored. Blocks
// group the values of one part. How keys, values and blocks become bytes is the stream's
// own affair; a caller relies only on reading back, in the same order, what it wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Engine/UniqueId.h"

namespace GAME {

class IOStream {
public:
    virtual ~IOStream() = default;

    virtual void StreamUniqueId(const char* key, UniqueId& value) = 0;
    virtual void StreamWString(const char* key, std::u16string& value) = 0;
    virtual void StreamBool(const char* key, bool& value) = 0;
    virtual void StreamUInt32(const char* key, uint32_t& value) = 0;
    virtual void StreamString(const char* key, std::string& value) = 0;
    virtual void StreamFloat(const char* key, float& value) = 0;
    virtual void StreamInt32(const char* key, int32_t& value) = 0;
    virtual bool IsReading() const = 0;
    virtual void BeginBlock() = 0;
    virtual void EndBlock() = 0;

    // True once the stream has failed: from then on it leaves every value alone.
    virtual bool Failed() const { return false; }
    // Before a count read from the stream sizes or loops anything: whether `count` values
    // under `itemKey` may follow. A reader fails (logged) when the count is above `cap` or
    // when the bytes left cannot hold that many values under that key; a writer answers
    // whether it has not failed.
    virtual bool CheckCount(const char* /*countKey*/, uint32_t count, uint32_t cap, const char* /*itemKey*/)
    {
        return !Failed() && count <= cap;
    }
    // Before a writer writes a count: `held` held to the `cap` a reader takes, so that every
    // save the game writes loads. What is left out is logged under the count's key.
    static uint32_t SavedCount(size_t held, uint32_t cap, const char* countKey);
    // Whether the next value is stored under `key`, for a key that older saves lack: a
    // reader looks without moving or failing (false once failed); a writer answers true.
    virtual bool IsNextKey(const char* /*key*/) const { return !Failed(); }
    // The caller refuses what it read: the stream fails with the reason, logged, as it
    // would on its own failure.
    virtual void Refuse(const std::string& /*reason*/) {}
};

}  // namespace GAME
