// A save stream kept in memory for the tests: values with their keys in order, blocks
// marked; reading gives the values back in the same order.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "Engine/IOStream.h"

namespace GAME {

class RecordingStream : public IOStream {
public:
    using Value = std::variant<UniqueId, std::u16string, bool, uint32_t, std::string, float, int32_t>;
    struct Entry {
        std::string key;
        Value value;
    };

    void StreamUniqueId(const char* key, UniqueId& value) override { Stream(key, value); }
    void StreamWString(const char* key, std::u16string& value) override { Stream(key, value); }
    void StreamBool(const char* key, bool& value) override { Stream(key, value); }
    void StreamUInt32(const char* key, uint32_t& value) override { Stream(key, value); }
    void StreamString(const char* key, std::string& value) override { Stream(key, value); }
    void StreamFloat(const char* key, float& value) override { Stream(key, value); }
    void StreamInt32(const char* key, int32_t& value) override { Stream(key, value); }
    bool IsReading() const override { return reading; }
    void BeginBlock() override { entries.push_back({"<block>", 0u}); }
    void EndBlock() override { entries.push_back({"</block>", 0u}); }

    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const Entry& entry : entries)
            keys.push_back(entry.key);
        return keys;
    }

    std::vector<Entry> entries;
    bool reading = false;
    size_t next = 0;

private:
    template <class T>
    void Stream(const char* key, T& value)
    {
        if (!reading) {
            entries.push_back({key, value});
            return;
        }
        while (next < entries.size() && entries[next].key.front() == '<')
            ++next;
        if (next < entries.size() && entries[next].key == key)
            value = std::get<T>(entries[next].value);
        ++next;
    }
};

}  // namespace GAME
