#include "Engine/LoadTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/TextUtil.h"

namespace GAME {

namespace {

char LowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    return true;
}

bool ParseFloat(std::string_view text, float& out)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    float value = 0.0f;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    // "inf" and "nan" are not designer numbers: such a value reads as absent.
    if (result.ec != std::errc() || result.ptr == text.data() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

// A whole number. One written with a fraction or an exponent ("3.0", "1e5") reads as
// the integer part of its value; one outside the 32-bit range does not read.
bool ParseInt(std::string_view text, int& out)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc() && result.ptr == text.data() + text.size() && result.ptr != text.data()) {
        out = value;
        return true;
    }
    float real = 0.0f;
    if (!ParseFloat(text, real) || !(real > -2147483648.0f && real < 2147483648.0f))
        return false;
    out = static_cast<int>(real);
    return true;
}

}  // namespace

LoadTable::LoadTable(const LoadTable& other) : m_name(other.m_name), m_values(other.m_values)
{
    // The numbered keys point at this table's own values.
    for (size_t i = 0; i < m_values.Size(); ++i)
        AddNumbered(m_values.At(i).name, m_values.At(i).value);
    SortNumbered();
}

LoadTable& LoadTable::operator=(const LoadTable& other)
{
    if (this != &other)
        *this = LoadTable(other);
    return *this;
}

const LoadTable::Value* LoadTable::Find(const char* key) const
{
    if (!key)
        return nullptr;
    return m_values.Find(key);
}

std::span<const LoadTable::NumberedValue> LoadTable::GetNumbered(std::string_view stem) const
{
    const std::vector<NumberedValue>* keys = m_numbered.Find(stem);
    return keys ? std::span<const NumberedValue>(*keys) : std::span<const NumberedValue>();
}

std::vector<LoadTable::NumberedValue>* LoadTable::AddNumbered(const std::string& key, const Value& value)
{
    size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9')
        --digits;
    const std::string_view number(key.data() + digits, key.size() - digits);
    // Only the spelling a number is written in: "row01" is not row 1.
    if (number.empty() || number.size() > 10 || (number[0] == '0' && number.size() > 1))
        return nullptr;
    uint64_t n = 0;
    for (char c : number)
        n = n * 10 + static_cast<unsigned>(c - '0');
    if (n > UINT32_MAX)
        return nullptr;
    std::vector<NumberedValue>& keys = m_numbered.Emplace(std::string_view(key.data(), digits)).value;
    keys.push_back({static_cast<uint32_t>(n), &value});
    return &keys;
}

namespace {

bool NumberBefore(const LoadTable::NumberedValue& a, const LoadTable::NumberedValue& b)
{
    return a.number < b.number;
}

}  // namespace

void LoadTable::SortNumbered()
{
    // Once for a whole record: a file written in any order costs no more than a sort.
    for (size_t i = 0; i < m_numbered.Size(); ++i) {
        std::vector<NumberedValue>& keys = m_numbered.At(i).value;
        if (!std::is_sorted(keys.begin(), keys.end(), NumberBefore))
            std::sort(keys.begin(), keys.end(), NumberBefore);
    }
}

bool LoadTable::HasKey(const char* key) const
{
    return Find(key) != nullptr;
}

const char* LoadTable::GetString(const char* key, const char* def) const
{
    const Value* value = Find(key);
    return value ? value->text.c_str() : def;
}

const std::string* LoadTable::FindEntry(const char* key, unsigned index) const
{
    const Value* value = Find(key);
    return value ? value->GetEntry(index) : nullptr;
}

namespace {

// The entry read as T, or the default when it is absent or does not parse.
template <class T, class Parser>
T ReadEntry(const std::string* entry, T def, Parser parse)
{
    T out = def;
    return entry && parse(*entry, out) ? out : def;
}

// Every entry read as T; an entry that does not parse reads as 0.
template <class T, class Parser>
void ReadEntries(const std::vector<std::string>* entries, std::vector<T>& out, Parser parse)
{
    out.clear();
    if (!entries)
        return;
    out.reserve(entries->size());
    for (const std::string& entry : *entries) {
        T number{};
        parse(entry, number);
        out.push_back(number);
    }
}

}  // namespace

void LoadTable::TellNotNumber(const char* key, const Value& value, const char* kind, double readAs) const
{
    // A blank value is one not given.
    if (TrimBlanks(value.text).empty() || value.told.set.exchange(true, std::memory_order_relaxed))
        return;
    gEngine->Log(LOG_WARNING, "record %s: %s \"%s\" does not read as %s; read as %g", m_name.c_str(), key,
                 EscapedExcerpt(value.text, 64).c_str(), kind, readAs);
}

int LoadTable::GetInt(const char* key, int def) const
{
    const Value* value = Find(key);
    if (!value)
        return def;
    if (!value->firstIsInt) [[unlikely]]
        TellNotNumber(key, *value, "a whole number", def);
    return value->GetInt(def);
}

float LoadTable::GetFloat(const char* key, float def) const
{
    const Value* value = Find(key);
    if (!value)
        return def;
    if (!value->firstIsFloat) [[unlikely]]
        TellNotNumber(key, *value, "a number", def);
    return value->GetFloat(def);
}

bool LoadTable::GetBool(const char* key, bool def) const
{
    const std::string* entry = FindEntry(key, 0);
    if (!entry)
        return def;
    const std::string_view text = TrimBlanks(*entry);
    if (EqualsIgnoringCase(text, "true"))
        return true;
    if (EqualsIgnoringCase(text, "false"))
        return false;
    int number = 0;
    if (ParseInt(text, number))
        return number != 0;
    return def;
}

float LoadTable::GetFloat(const char* key, unsigned index, float def) const
{
    if (index == 0)
        return GetFloat(key, def);
    return ReadEntry(FindEntry(key, index), def, ParseFloat);
}

int LoadTable::GetInt(const char* key, unsigned index, int def) const
{
    if (index == 0)
        return GetInt(key, def);
    return ReadEntry(FindEntry(key, index), def, ParseInt);
}

void LoadTable::GetIntArray(const char* key, std::vector<int>& out) const
{
    const Value* value = Find(key);
    ReadEntries(value ? &value->entries : nullptr, out, ParseInt);
}

void LoadTable::GetFloatArray(const char* key, std::vector<float>& out) const
{
    out.clear();
    const Value* value = Find(key);
    if (!value || value->entries.empty())
        return;
    if (!value->allFloats) [[unlikely]]
        TellNotNumber(key, *value, "numbers", 0.0);
    if (value->entries.size() == 1)
        out.push_back(value->GetFloat(0.0f));
    else
        out.assign(value->floats.begin(), value->floats.end());
}

void LoadTable::GetStringArray(const char* key, std::vector<std::string>& out) const
{
    out.clear();
    const Value* value = Find(key);
    if (value)
        out = value->entries;
}

void LoadTable::SetValue(const std::string& key, const std::string& text)
{
    if (std::vector<NumberedValue>* keys = StoreValue(key, text)) {
        // One key added: move it to its place.
        auto at = std::upper_bound(keys->begin(), keys->end() - 1, keys->back(), NumberBefore);
        std::rotate(at, keys->end() - 1, keys->end());
    }
}

std::vector<LoadTable::NumberedValue>* LoadTable::StoreValue(std::string_view key, const std::string& text)
{
    Value value;
    value.text = text;
    if (!text.empty()) {
        size_t start = 0;
        for (;;) {
            size_t end = text.find(';', start);
            if (end == std::string::npos) {
                value.entries.push_back(text.substr(start));
                break;
            }
            value.entries.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        // "a;b;" ends with a separator, not with an empty entry.
        if (value.entries.size() > 1 && value.entries.back().empty())
            value.entries.pop_back();
        value.firstIsFloat = ParseFloat(value.entries[0], value.firstFloat);
        value.firstIsInt = ParseInt(value.entries[0], value.firstInt);
        value.allFloats = value.firstIsFloat;
        if (value.entries.size() > 1) {
            value.floats.resize(value.entries.size());
            for (size_t i = 0; i < value.entries.size(); ++i)
                value.allFloats = ParseFloat(value.entries[i], value.floats[i]) && value.allFloats;
        }
    }
    bool added = false;
    auto& entry = m_values.Emplace(key, &added);
    entry.value = std::move(value);
    return added ? AddNumbered(entry.name, entry.value) : nullptr;
}

size_t LoadTable::Parse(const char* text, size_t length, const std::string& sourceName)
{
    size_t kept = 0;
    size_t lineNumber = 0;
    // A byte order mark is not part of the first key.
    size_t pos = text ? length - SkipByteOrderMark(std::string_view(text, length)).size() : 0;
    while (text && pos < length) {
        size_t end = pos;
        while (end < length && text[end] != '\n')
            ++end;
        std::string_view line(text + pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        line = TrimBlanks(line);
        if (line.empty())
            continue;
        // key,value,  (the closing comma may be left out)
        size_t comma = line.find(',');
        std::string_view key = comma == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(0, comma));
        std::string_view rest = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
        size_t second = rest.find(',');
        std::string_view value = second == std::string_view::npos ? rest : rest.substr(0, second);
        std::string_view tail = second == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(second + 1));
        bool keyOk = !key.empty() && std::none_of(key.begin(), key.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == ' ' || c == ';';
        });
        bool valueOk = std::none_of(value.begin(), value.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\t';
        });
        if (comma == std::string_view::npos || !keyOk || !valueOk || !tail.empty()) {
            std::string shown(line.substr(0, std::min<size_t>(line.size(), 80)));
            for (char& c : shown)
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                    c = '?';
            gEngine->Log(LOG_WARNING, "%s(%zu): record line does not parse, skipped: %s", sourceName.c_str(),
                         lineNumber, shown.c_str());
            continue;
        }
        StoreValue(key, std::string(TrimBlanks(value)));
        ++kept;
    }
    SortNumbered();
    return kept;
}

RecordDatabase& RecordDatabase::Get()
{
    static RecordDatabase database;
    return database;
}

namespace {

// One character of a record name as its normalised form has it.
char NameChar(char c)
{
    return c == '\\' ? '/' : LowerChar(c);
}

}  // namespace

std::string_view RecordDatabase::SkipLeadingSeparators(std::string_view recordName)
{
    size_t start = 0;
    while (start < recordName.size() && (recordName[start] == '/' || recordName[start] == '\\'))
        ++start;
    return recordName.substr(start);
}

std::string RecordDatabase::NormalizeName(const std::string& recordName)
{
    std::string out;
    NormalizeName(recordName, out);
    return out;
}

void RecordDatabase::NormalizeName(std::string_view recordName, std::string& out)
{
    const std::string_view name = SkipLeadingSeparators(recordName);
    out.resize(name.size());
    // Eight bytes at a time, as record names are compared.
    size_t i = 0;
    for (; i + sizeof(uint64_t) <= name.size(); i += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, name.data() + i, sizeof(word));
        word = PathFold::Word(word);
        std::memcpy(out.data() + i, &word, sizeof(word));
    }
    for (; i < name.size(); ++i)
        out[i] = NameChar(name[i]);
}

std::string RecordDatabase::FindPathIgnoringCase(const std::string& folder, const std::string& relativePath)
{
    std::string path = folder;
    size_t start = 0;
    while (start <= relativePath.size()) {
        const size_t end = relativePath.find('/', start);
        const std::string part = LowerAscii(relativePath.substr(start, end == std::string::npos ? std::string::npos : end - start));
        std::string found;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
            std::string name = entry.path().filename().string();
            if (LowerAscii(name) == part) {
                found = std::move(name);
                break;
            }
        }
        if (found.empty())
            return {};
        path += "/" + found;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return path;
}

void RecordDatabase::SetDataRoot(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_dataRoot = path;
    m_missing.Clear();
    m_generation.fetch_add(1, std::memory_order_acq_rel);
}

std::string RecordDatabase::GetDataRoot() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_dataRoot;
}

const LoadTable* RecordDatabase::FindLocked(std::string_view recordName) const
{
    // Names are kept normalised, so without leading separators.
    const std::unique_ptr<LoadTable>* table = m_tables.Find(SkipLeadingSeparators(recordName));
    return table ? table->get() : nullptr;
}

const LoadTable* RecordDatabase::Find(const std::string& recordName) const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return FindLocked(recordName);
}

const LoadTable* RecordDatabase::Load(const std::string& recordName)
{
    const std::string_view name = SkipLeadingSeparators(recordName);
    if (name.empty())
        return nullptr;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (const LoadTable* loaded = FindLocked(recordName))
        return loaded;
    if (m_dataRoot.empty() || m_missing.Find(name))
        return nullptr;
    const std::string key = NormalizeName(recordName);
    if (key.find("..") != std::string::npos)
        return nullptr;
    std::unique_ptr<LoadTable> table = ReadRecordFile(key, recordName);
    if (!table) {
        if (m_missing.Size() >= kMaxMissing)
            m_missing.Clear();
        m_missing.Emplace(name);
        return nullptr;
    }
    const LoadTable* result = table.get();
    m_tables.Emplace(name).value = std::move(table);
    return result;
}

std::string RecordDatabase::ReadRecordText(const std::string& key, std::string& text) const
{
    const std::string path = FindPathIgnoringCase(m_dataRoot, key);
    if (path.empty())
        return "does not exist";
    std::string why = ReadWholeFile(path, text);
    // A file gone since it was found is one that does not exist.
    if (why.ends_with("(No such file or directory)"))
        return "does not exist";
    return why;
}

std::string RecordDatabase::Unreadable(const std::string& recordName) const
{
    const std::string key = NormalizeName(recordName);
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_dataRoot.empty() || key.empty() || key.find("..") != std::string::npos)
        return "does not exist";
    std::string text;
    return ReadRecordText(key, text);
}

std::unique_ptr<LoadTable> RecordDatabase::ReadRecordFile(const std::string& key, const std::string& recordName) const
{
    std::string text;
    // A record that is there but cannot be read (a folder, a file past the bound, a
    // device) is said once: its name is then remembered as missing.
    if (const std::string why = ReadRecordText(key, text); !why.empty()) {
        if (why != "does not exist")
            gEngine->Log(LOG_WARNING, "RecordDatabase: the record %s %s, not read", recordName.c_str(), why.c_str());
        return nullptr;
    }
    auto table = std::make_unique<LoadTable>(recordName);
    table->Parse(text.data(), text.size(), recordName);
    return table;
}

const LoadTable* RecordDatabase::RegisterRecord(const std::string& recordName, const std::string& text)
{
    auto table = std::make_unique<LoadTable>(recordName);
    table->Parse(text.data(), text.size(), recordName);
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const LoadTable* result = table.get();
    auto& slot = m_tables.Emplace(SkipLeadingSeparators(recordName)).value;
    if (slot)
        m_retired.push_back(std::move(slot));   // callers may still hold the old table
    slot = std::move(table);
    m_missing.Clear();
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    return result;
}

void RecordDatabase::Clear()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_tables.Clear();
    m_retired.clear();
    m_missing.Clear();
    m_generation.fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace GAME
