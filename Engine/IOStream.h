// A keyed stream of saved values: one routine both writes an object's values and reads
// them back, naming each value by a key. Whether the stream writes or reads, and how
// keys, values and blocks become bytes, is the stream's own; a block's routine relies
// only on reading back, in the same order, what it wrote.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/UniqueId.h"

namespace GAME {

class IOStream {
public:
    virtual ~IOStream() = default;

    // On write each stores the value under the key; on read each overwrites the value
    // with what is stored under the key, or leaves it as it is when the stream cannot
    // give it.
    virtual void StreamProperty(const char* key, UniqueId& value) = 0;
    virtual void StreamProperty(const char* key, std::u16string& value) = 0;
    virtual void StreamProperty(const char* key, bool& value) = 0;
    virtual void StreamProperty(const char* key, uint32_t& value) = 0;
    virtual void StreamProperty(const char* key, std::string& value) = 0;
    virtual void StreamProperty(const char* key, float& value) = 0;
    virtual void StreamProperty(const char* key, int32_t& value) = 0;

    virtual bool IsReading() const = 0;

    // Values between the two belong to one block of the save.
    virtual void BeginBlock() = 0;
    virtual void EndBlock() = 0;
};

}  // namespace GAME
