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

size_t LoadTable::KeyHash::operator()(std::string_view key) const
{
    // Eight bytes at a time, each with its 0x20 bit set: letters hash alike in either
    // case (a few other bytes do too, which only shares a bucket, never a key).
    constexpr uint64_t kFold = 0x2020202020202020ull;
    constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t hash = 14695981039346656037ull ^ key.size();
    size_t i = 0;
    for (; i + sizeof(uint64_t) <= key.size(); i += sizeof(uint64_t)) {
        uint64_t word = 0;
        std::memcpy(&word, key.data() + i, sizeof(word));
        hash = (hash ^ (word | kFold)) * kPrime;
        hash ^= hash >> 29;
    }
    for (; i < key.size(); ++i)
        hash = (hash ^ (static_cast<unsigned char>(key[i]) | 0x20u)) * kPrime;
    return static_cast<size_t>(hash);
}

bool LoadTable::KeyEqual::operator()(std::string_view a, std::string_view b) const
{
    // Code names a key as the record writes it, mostly: the exact match is the quick one.
    return a.size() == b.size() && (std::memcmp(a.data(), b.data(), a.size()) == 0 || EqualsIgnoringCase(a, b));
}

const LoadTable::Value* LoadTable::Find(const char* key) const
{
    if (!key)
        return nullptr;
    auto it = m_values.find(std::string_view(key));
    return it == m_values.end() ? nullptr : &it->second;
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
    return value && index < value->entries.size() ? &value->entries[index] : nullptr;
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

int LoadTable::GetInt(const char* key, int def) const
{
    return ReadEntry(FindEntry(key, 0), def, ParseInt);
}

float LoadTable::GetFloat(const char* key, float def) const
{
    return ReadEntry(FindEntry(key, 0), def, ParseFloat);
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
    return ReadEntry(FindEntry(key, index), def, ParseFloat);
}

int LoadTable::GetInt(const char* key, unsigned index, int def) const
{
    return ReadEntry(FindEntry(key, index), def, ParseInt);
}

void LoadTable::GetIntArray(const char* key, std::vector<int>& out) const
{
    const Value* value = Find(key);
    ReadEntries(value ? &value->entries : nullptr, out, ParseInt);
}

void LoadTable::GetFloatArray(const char* key, std::vector<float>& out) const
{
    const Value* value = Find(key);
    ReadEntries(value ? &value->entries : nullptr, out, ParseFloat);
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
    }
    m_values.insert_or_assign(key, std::move(value));
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
        SetValue(std::string(key), std::string(TrimBlanks(value)));
        ++kept;
    }
    return kept;
}

RecordDatabase& RecordDatabase::Get()
{
    static RecordDatabase database;
    return database;
}

std::string RecordDatabase::NormalizeName(const std::string& recordName)
{
    // One pass and one allocation: every record lookup comes through here.
    // A leading separator names the same record as none.
    const size_t start = recordName.find_first_not_of("/\\");
    if (start == std::string::npos)
        return {};
    std::string out(recordName, start);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '\\')
            c = '/';
    }
    return out;
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
}

std::string RecordDatabase::GetDataRoot() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_dataRoot;
}

const LoadTable* RecordDatabase::Find(const std::string& recordName) const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    auto it = m_tables.find(NormalizeName(recordName));
    return it == m_tables.end() ? nullptr : it->second.get();
}

const LoadTable* RecordDatabase::Load(const std::string& recordName)
{
    const std::string key = NormalizeName(recordName);
    if (key.empty())
        return nullptr;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    auto it = m_tables.find(key);
    if (it != m_tables.end())
        return it->second.get();
    if (m_dataRoot.empty() || key.find("..") != std::string::npos)
        return nullptr;
    const std::string path = FindPathIgnoringCase(m_dataRoot, key);
    if (path.empty())
        return nullptr;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return nullptr;   // a folder is not a record
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return nullptr;
    std::ostringstream contents;
    contents << file.rdbuf();
    std::string text = contents.str();
    auto table = std::make_unique<LoadTable>(recordName);
    table->Parse(text.data(), text.size(), recordName);
    const LoadTable* result = table.get();
    m_tables[key] = std::move(table);
    return result;
}

const LoadTable* RecordDatabase::RegisterRecord(const std::string& recordName, const std::string& text)
{
    auto table = std::make_unique<LoadTable>(recordName);
    table->Parse(text.data(), text.size(), recordName);
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const LoadTable* result = table.get();
    auto& slot = m_tables[NormalizeName(recordName)];
    if (slot)
        m_retired.push_back(std::move(slot));   // callers may still hold the old table
    slot = std::move(table);
    return result;
}

void RecordDatabase::Clear()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_tables.clear();
    m_retired.clear();
}

}  // namespace GAME
