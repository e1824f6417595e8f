// Records: text files of `key,value,` lines under a data root, opened by record name
// and read by key. A missing file or key gives the default, never an error.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace GAME {

// One record, read by key. Keys compare without regard to case.
class LoadTable {
public:
    LoadTable() = default;
    explicit LoadTable(std::string name) : m_name(std::move(name)) {}

    const std::string& GetName() const { return m_name; }

    // The text of the key, or `def` when absent. The pointer lives as long as the table.
    const char* GetString(const char* key, const char* def) const;
    int GetInt(const char* key, int def) const;
    float GetFloat(const char* key, float def) const;
    bool GetBool(const char* key, bool def) const;
    // One entry of an array value; `def` when the key or the entry is absent.
    float GetFloat(const char* key, unsigned index, float def) const;
    int GetInt(const char* key, unsigned index, int def) const;
    // Whole arrays: each replaces the vector's contents (empty when the key is absent).
    void GetIntArray(const char* key, std::vector<int>& out) const;
    void GetFloatArray(const char* key, std::vector<float>& out) const;
    void GetStringArray(const char* key, std::vector<std::string>& out) const;

    bool HasKey(const char* key) const;
    // Sets or replaces a value (the raw text, array entries separated by ';').
    void SetValue(const std::string& key, const std::string& value);
    size_t GetKeyCount() const { return m_values.size(); }

    // Parses record text. Lines that do not parse are logged with `sourceName` and
    // their line number and skipped; the rest are kept. Returns the lines kept.
    size_t Parse(const char* text, size_t length, const std::string& sourceName);

private:
    struct Value {
        std::string text;                  // as written
        std::vector<std::string> entries;  // split on ';'
    };
    const Value* Find(const char* key) const;
    // One entry of the key's value, or null when the key or the entry is absent.
    const std::string* FindEntry(const char* key, unsigned index) const;

    // Keys compare without regard to ASCII case, and a look-up by a key as given makes no
    // copy of it: records are read key by key while objects load.
    struct KeyHash {
        using is_transparent = void;
        size_t operator()(std::string_view key) const;
    };
    struct KeyEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::string m_name;
    std::unordered_map<std::string, Value, KeyHash, KeyEqual> m_values;
};

// Every record the engine has opened, by normalised record name ('\' and '/' are the
// same, case does not matter). Records come from files under the data root, or from
// text registered in memory (tests), which takes precedence over files.
class RecordDatabase {
public:
    static RecordDatabase& Get();

    void SetDataRoot(const std::string& path);
    std::string GetDataRoot() const;

    // Loads a record once; later calls give the same table. Null when there is none.
    const LoadTable* Load(const std::string& recordName);
    // A record already loaded, or null.
    const LoadTable* Find(const std::string& recordName) const;

    // Registers record text under a name; replaces an earlier record of that name.
    const LoadTable* RegisterRecord(const std::string& recordName, const std::string& text);
    // Forgets every loaded and registered record (the data root stays). Tables handed
    // out before are freed: only tests call it, between cases.
    void Clear();

    static std::string NormalizeName(const std::string& recordName);
    // The path under `folder` whose '/'-separated components match those of
    // `relativePath` without regard to case; empty when there is none.
    static std::string FindPathIgnoringCase(const std::string& folder, const std::string& relativePath);

private:
    mutable std::recursive_mutex m_lock;
    std::string m_dataRoot;
    std::unordered_map<std::string, std::unique_ptr<LoadTable>> m_tables;
    std::vector<std::unique_ptr<LoadTable>> m_retired;   // replaced tables, freed by Clear
};

}  // namespace GAME
