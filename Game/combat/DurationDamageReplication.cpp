#include "Game/combat/DurationDamageReplication.h"

#include <bit>
#include <cmath>
#include <iterator>

#include "Engine/Engine.h"
#include "Game/combat/DurationDamageConstants.h"

namespace GAME {

namespace {

constexpr size_t kWordBytes = 4;
constexpr size_t kRunBytes = 2 * kWordBytes;

// Appends little-endian words.
class WordWriter {
public:
    explicit WordWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void U32(uint32_t value)
    {
        for (size_t i = 0; i < kWordBytes; ++i)
            m_out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void F32(float value) { U32(std::bit_cast<uint32_t>(value)); }

private:
    std::vector<uint8_t>& m_out;
};

// Reads little-endian words, never past `end`; after the first short read it returns
// zeros and keeps the failure.
class WordReader {
public:
    WordReader(const uint8_t* cursor, const uint8_t* end) : m_cursor(cursor), m_end(end) {}

    uint32_t U32()
    {
        if (Left() < kWordBytes) {
            m_failed = true;
            return 0;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < kWordBytes; ++i)
            value |= static_cast<uint32_t>(m_cursor[i]) << (8 * i);
        m_cursor += kWordBytes;
        return value;
    }
    float F32() { return std::bit_cast<float>(U32()); }

    size_t Left() const { return static_cast<size_t>(m_end - m_cursor); }
    bool Failed() const { return m_failed; }
    const uint8_t* Cursor() const { return m_cursor; }

private:
    const uint8_t* m_cursor;
    const uint8_t* m_end;
    bool m_failed = false;
};

// What differs between the two records: their name in the log and the attacker word.
template <class Record>
struct RecordForm;

template <>
struct RecordForm<DurationDamageReplication> {
    static constexpr const char* kName = "DurationDamageReplication";
    static constexpr bool kHasAttacker = true;
};

template <>
struct RecordForm<FixedDurationDamageReplication> {
    static constexpr const char* kName = "FixedDurationDamageReplication";
    static constexpr bool kHasAttacker = false;
};

template <class Record>
void WriteRecord(const Record& record, std::vector<uint8_t>& out)
{
    WordWriter writer(out);
    writer.U32(record.type);
    if constexpr (RecordForm<Record>::kHasAttacker)
        writer.U32(record.attacker);
    writer.U32(static_cast<uint32_t>(static_cast<int32_t>(record.infos.size())));
    for (const DurationDamageInfo& info : record.infos) {
        writer.F32(info.damage);
        writer.F32(info.duration);
    }
}

bool IsTickValue(float value) { return std::isfinite(value) && value > 0.0f; }

// A run's tick count: a number from 0 up to what one track may hold.
bool IsTickCount(float count)
{
    return std::isfinite(count) && count >= 0.0f && count < static_cast<float>(DurationDamage::kMaxTrackTicks + 1);
}

// Reads the count and the runs after a record's header; false (logged) when they are
// malformed. Everything is checked before anything is allocated.
bool ReadRuns(WordReader& reader, const char* name, std::vector<DurationDamageInfo>& runs)
{
    const int32_t count = static_cast<int32_t>(reader.U32());
    if (reader.Failed() || (count > 0 && static_cast<size_t>(count) > reader.Left() / kRunBytes)) {
        gEngine->Log(LOG_WARNING, "%s: record runs past the end of the data", name);
        return false;
    }
    if (count < 0 || static_cast<size_t>(count) > DurationDamage::kMaxTrackTicks) {
        gEngine->Log(LOG_WARNING, "%s: count of runs %d is out of range", name, count);
        return false;
    }
    runs.reserve(static_cast<size_t>(count));
    size_t totalTicks = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float value = reader.F32();
        const float ticks = reader.F32();
        if (!IsTickValue(value)) {
            gEngine->Log(LOG_WARNING, "%s: tick value %f is not a positive number", name, value);
            return false;
        }
        if (!IsTickCount(ticks)) {
            gEngine->Log(LOG_WARNING, "%s: tick count %f is out of range", name, ticks);
            return false;
        }
        totalTicks += static_cast<size_t>(ticks);
        if (totalTicks > DurationDamage::kMaxTrackTicks) {
            gEngine->Log(LOG_WARNING, "%s: more than %zu ticks in one record", name, DurationDamage::kMaxTrackTicks);
            return false;
        }
        runs.push_back({value, ticks});
    }
    return true;
}

template <class Record>
bool ReadRecord(Record& record, const uint8_t*& cursor, const uint8_t* end)
{
    const char* name = RecordForm<Record>::kName;
    WordReader reader(cursor, end);
    const uint32_t type = reader.U32();
    uint32_t attacker = 0;
    if constexpr (RecordForm<Record>::kHasAttacker)
        attacker = reader.U32();
    if (reader.Failed()) {
        gEngine->Log(LOG_WARNING, "%s: record runs past the end of the data", name);
        return false;
    }
    if (type >= kCombatAttributeTypeCount) {
        gEngine->Log(LOG_WARNING, "%s: type %u is not a combat attribute type", name, type);
        return false;
    }
    std::vector<DurationDamageInfo> runs;
    if (!ReadRuns(reader, name, runs))
        return false;

    record.type = static_cast<CombatAttributeType>(type);
    if constexpr (RecordForm<Record>::kHasAttacker)
        record.attacker = attacker;
    record.infos.insert(record.infos.end(), runs.begin(), runs.end());
    cursor = reader.Cursor();
    return true;
}

template <class Record>
void WriteFramed(std::vector<uint8_t>& out, const std::vector<Record>& records)
{
    size_t count = records.size();
    if (count > DurationDamage::kMaxReplicaRecords) {
        gEngine->Log(LOG_WARNING, "%s: %zu records, only the first %zu are sent", RecordForm<Record>::kName, count,
                     DurationDamage::kMaxReplicaRecords);
        count = DurationDamage::kMaxReplicaRecords;
    }
    out.push_back(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i)
        records[i].Write(out);
}

template <class Record>
bool ReadFramed(const uint8_t*& cursor, const uint8_t* end, std::vector<Record>& records)
{
    if (cursor >= end) {
        gEngine->Log(LOG_WARNING, "%s: record count runs past the end of the data", RecordForm<Record>::kName);
        return false;
    }
    const size_t count = *cursor++;
    records.resize(count);
    for (Record& record : records)
        if (!record.Read(cursor, end))
            return false;
    return true;
}

// The ticks the records carry; each record was checked to hold at most one track's.
template <class Record>
size_t FrameTicks(const std::vector<Record>& records)
{
    size_t ticks = 0;
    for (const Record& record : records)
        for (const DurationDamageInfo& info : record.infos)
            ticks += static_cast<size_t>(info.duration);
    return ticks;
}

}  // namespace

void DurationDamageReplication::Write(std::vector<uint8_t>& out) const { WriteRecord(*this, out); }

bool DurationDamageReplication::Read(const uint8_t*& cursor, const uint8_t* end)
{
    return ReadRecord(*this, cursor, end);
}

void FixedDurationDamageReplication::Write(std::vector<uint8_t>& out) const { WriteRecord(*this, out); }

bool FixedDurationDamageReplication::Read(const uint8_t*& cursor, const uint8_t* end)
{
    return ReadRecord(*this, cursor, end);
}

void WriteDurationDamageReplicas(std::vector<uint8_t>& out, const std::vector<DurationDamageReplication>& damage,
                                 const std::vector<FixedDurationDamageReplication>& fixedDamage)
{
    WriteFramed(out, damage);
    WriteFramed(out, fixedDamage);
}

bool ReadDurationDamageReplicas(const uint8_t*& cursor, const uint8_t* end,
                                std::vector<DurationDamageReplication>& damage,
                                std::vector<FixedDurationDamageReplication>& fixedDamage)
{
    const uint8_t* position = cursor;
    std::vector<DurationDamageReplication> readDamage;
    std::vector<FixedDurationDamageReplication> readFixed;
    if (!ReadFramed(position, end, readDamage) || !ReadFramed(position, end, readFixed))
        return false;
    const size_t ticks = FrameTicks(readDamage) + FrameTicks(readFixed);
    if (ticks > DurationDamage::kMaxManagerTicks) {
        gEngine->Log(LOG_WARNING, "DurationDamageReplication: %zu ticks in one frame, more than the %zu a character holds",
                     ticks, DurationDamage::kMaxManagerTicks);
        return false;
    }
    damage.insert(damage.end(), std::make_move_iterator(readDamage.begin()), std::make_move_iterator(readDamage.end()));
    fixedDamage.insert(fixedDamage.end(), std::make_move_iterator(readFixed.begin()),
                       std::make_move_iterator(readFixed.end()));
    cursor = position;
    return true;
}

}  // namespace GAME
