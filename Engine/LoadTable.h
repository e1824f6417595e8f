// Records: text files of `key,value,` lines under a data root, opened by record name
// and read by key. A missing file or key gives the default, never an error.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Engine/NameIndex.h"

namespace GAME {

class EffectEntity;

// One record, read by key. Keys compare without regard to case.
class LoadTable {
public:
    // One key's value: the text as written and its entries split on ';'.
    // The entries are read as numbers once, when the value is stored: objects read the
    // same keys of a record every time one is made.
    struct Value {
        std::string text;
        std::vector<std::string> entries;
        // Every entry read as a float (0 for one that is not a number), when there are two
        // or more; a single entry is read through `firstFloat`.
        std::vector<float> floats;
        float firstFloat = 0.0f;
        int firstInt = 0;
        bool firstIsFloat = false;   // the first entry reads as a float
        bool firstIsInt = false;     // the first entry reads as an int
        bool allFloats = false;      // every entry reads as a float
        // Set once a read of the value as a number that it is not was logged: the log tells
        // each such value once, however often objects are made from the record.
        struct Told {
            mutable std::atomic<bool> set{false};
            Told() = default;
            Told(const Told&) {}
            Told& operator=(const Told&) { return *this; }
        } told;

        // Entry `index`, or null when there is none.
        const std::string* GetEntry(unsigned index) const
        {
            return index < entries.size() ? &entries[index] : nullptr;
        }
        // The first entry read as a number; `def` when absent or not a number.
        int GetInt(int def) const { return firstIsInt ? firstInt : def; }
        float GetFloat(float def) const { return firstIsFloat ? firstFloat : def; }
    };
    // A key of the form "<stem><N>", N in decimal without leading zeros.
    struct NumberedValue {
        uint32_t number;
        const Value* value;
    };

    LoadTable() = default;
    explicit LoadTable(std::string name) : m_name(std::move(name)) {}
    LoadTable(const LoadTable& other);
    LoadTable& operator=(const LoadTable& other);
    LoadTable(LoadTable&&) noexcept = default;
    LoadTable& operator=(LoadTable&&) noexcept = default;

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
    // The effect made from the record named under the key: none for an empty name, a
    // record that makes nothing or one that makes another class. Effects are the game's:
    // the game library, which holds EffectEntity, defines this beside the class.
    static EffectEntity* LoadEffectEntity(const LoadTable& table, const char* key);

    bool HasKey(const char* key) const;
    // The value of a key, or null.
    const Value* FindValue(std::string_view key) const { return m_values.Find(key); }
    // Every key "<stem><N>" of the record, by increasing N: numbered rows ("lootName1",
    // "lootWeight1", ...) are read without building each key. A stem that ends in a digit
    // is ambiguous ("row1" + "2" or "row" + "12"): read those keys one by one.
    std::span<const NumberedValue> GetNumbered(std::string_view stem) const;
    // Sets or replaces a value (the raw text, array entries separated by ';').
    void SetValue(const std::string& key, const std::string& value);
    size_t GetKeyCount() const { return m_values.Size(); }

    // Parses record text. Lines that do not parse are logged with `sourceName` and
    // their line number and skipped; the rest are kept. Returns the lines kept.
    size_t Parse(const char* text, size_t length, const std::string& sourceName);

private:
    const Value* Find(const char* key) const;
    // Logs, once for the value, that the key's value does not read as `kind` and what it is
    // read as instead.
    void TellNotNumber(const char* key, const Value& value, const char* kind, double readAs) const;
    // One entry of the key's value, or null when the key or the entry is absent.
    const std::string* FindEntry(const char* key, unsigned index) const;
    // Sets the value; a new numbered key is appended to its stem's list, which is returned
    // (the caller restores the list's order), else null.
    std::vector<NumberedValue>* StoreValue(std::string_view key, const std::string& text);
    std::vector<NumberedValue>* AddNumbered(const std::string& key, const Value& value);
    // Puts every stem's list in order of number.
    void SortNumbered();

    std::string m_name;
    // Keys compare without regard to ASCII case, and a look-up by a key as given makes no
    // copy of it: records are read key by key while objects load.
    NameIndex<Value, CaseFold> m_values;
    NameIndex<std::vector<NumberedValue>, CaseFold> m_numbered;   // by stem
};

// Every record the engine has opened, by normalised record name ('\' and '/' are the
// same, case does not matter). Records come from files under the data root, or from
// text registered in memory (tests), which takes precedence over files.
class RecordDatabase {
public:
    static RecordDatabase& Get();

    void SetDataRoot(const std::string& path);
    std::string GetDataRoot() const;

    // Loads a record once; later calls give the same table. Null when there is none: a
    // name not found under the data root is remembered, and asked again it is not looked
    // for on disk until records are registered or cleared or the root is set.
    const LoadTable* Load(const std::string& recordName);
    // A record already loaded, or null.
    const LoadTable* Find(const std::string& recordName) const;
    // Why the record's file under the data root cannot be read: empty when it reads, else
    // "does not exist", "is a folder, not a file", "is larger than N bytes" or "cannot be
    // read (REASON)" (Load then gives null).
    std::string Unreadable(const std::string& recordName) const;

    // Registers record text under a name; replaces an earlier record of that name.
    const LoadTable* RegisterRecord(const std::string& recordName, const std::string& text);
    // Forgets every loaded and registered record (the data root stays). Tables handed
    // out before are freed: only tests call it, between cases.
    void Clear();
    // Counts the changes that can make a name give other contents than before (a record
    // registered, the records cleared, the data root set): what is built from records and
    // kept by name is rebuilt when this has moved on.
    uint64_t GetGeneration() const { return m_generation.load(std::memory_order_acquire); }

    static std::string NormalizeName(const std::string& recordName);
    // The same into `out`, whose storage is reused: for names normalised at every look-up.
    static void NormalizeName(std::string_view recordName, std::string& out);
    // The name without its leading separators, which name the same record as none.
    static std::string_view SkipLeadingSeparators(std::string_view recordName);
    // The path under `folder` whose '/'-separated components match those of
    // `relativePath` without regard to case; empty when there is none.
    static std::string FindPathIgnoringCase(const std::string& folder, const std::string& relativePath);

private:
    // Record names hash and compare as their normalised forms, so a look-up by any
    // spelling finds the table without making the normalised copy: records are looked up
    // by name far more often than they are loaded.
    const LoadTable* FindLocked(std::string_view recordName) const;
    // The record file under the data root for a normalised name, parsed; null when there
    // is no such file.
    std::unique_ptr<LoadTable> ReadRecordFile(const std::string& key, const std::string& recordName) const;
    // The text of the record file for a normalised name into `text` (ReadWholeFile): empty
    // when it was read, else why not ("does not exist" for a file that is not there).
    std::string ReadRecordText(const std::string& key, std::string& text) const;

    mutable std::recursive_mutex m_lock;
    std::string m_dataRoot;
    // By name as first spelled; any spelling of it finds the table.
    NameIndex<std::unique_ptr<LoadTable>, PathFold> m_tables;
    std::vector<std::unique_ptr<LoadTable>> m_retired;   // replaced tables, freed by Clear
    // Names the data root does not hold. Names may come from peers and saves, so the set
    // is bounded: when full it starts over.
    NameIndex<char, PathFold> m_missing;
    static constexpr size_t kMaxMissing = 4096;
    std::atomic<uint64_t> m_generation{0};
};

}  // namespace GAME
