#include "Engine/IOStreamReadWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>

#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/NetPacketBuffer.h"

namespace GAME {

using namespace IOStreamFormat;

namespace {

// The buffer's first size: a small save never grows it.
constexpr size_t kInitialBytes = 4096;
constexpr const char* kMemory = "memory";

const char* TagName(unsigned tag)
{
    switch (tag) {
    case kUniqueId: return "a unique id";
    case kWString: return "a wide string";
    case kBool: return "a bool";
    case kUInt32: return "an unsigned integer";
    case kString: return "a string";
    case kFloat: return "a float";
    case kInt32: return "a signed integer";
    case kBeginBlock: return "a begin of block";
    case kEndBlock: return "an end of block";
    default: return "an unknown tag";
    }
}

bool IsValueTag(unsigned tag)
{
    return tag >= kUniqueId && tag <= kInt32;
}

std::string Quoted(const char* text)
{
    return std::string("\"") + text + "\"";
}

// Bytes read from a stream, shown in a log line: what is not printable ASCII becomes '?'.
std::string QuotedBytes(const unsigned char* bytes, size_t count)
{
    std::string text = "\"";
    for (size_t i = 0; i < count; ++i)
        text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?';
    return text + "\"";
}

std::string SystemError(const std::string& what, const std::string& path)
{
    return what + " " + Quoted(path.c_str()) + " failed: " + std::strerror(errno);
}

// Makes a rename in the folder of `path` durable; a folder that cannot be synced leaves
// the file renamed all the same.
void SyncFolder(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A name beside `path` that no other writer of this or another process takes.
std::string FreshSibling(const std::string& path, const char* suffix)
{
    static std::atomic<unsigned> s_serial{0};
    return path + "." + std::to_string(::getpid()) + "." + std::to_string(s_serial++) + suffix;
}

bool PathExists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// The journal of a set closed together through one (CloseTogether with a stem), in the
// keyed stream: a block of the unsigned "state" (JournalState), the unsigned "files", then
// for each file the string "file" (its path after the stem), the string "temporary" (the
// name after its path its new bytes wait at; empty: the file is removed) and the string
// "kept" (the name after its path its previous file is kept aside at; empty: it had none).
enum JournalState : uint32_t { kJournalWriting = 0, kJournalCommitted = 1, kJournalUndoing = 2 };
constexpr uint32_t kMaxJournalFiles = 16384;
constexpr size_t kMaxJournalBytes = size_t{16} << 20;

struct SetFile {
    std::string file;
    std::string temporary;
    std::string kept;
};

void StreamJournal(IOStream& stream, uint32_t& state, std::vector<SetFile>& entries)
{
    stream.BeginBlock();
    stream.StreamUInt32("state", state);
    uint32_t count = static_cast<uint32_t>(entries.size());
    stream.StreamUInt32("files", count);
    if (!stream.CheckCount("files", count, kMaxJournalFiles, "file"))
        return;
    entries.resize(count);
    for (SetFile& entry : entries) {
        stream.StreamString("file", entry.file);
        stream.StreamString("temporary", entry.temporary);
        stream.StreamString("kept", entry.kept);
        if (stream.Failed())
            return;
    }
    stream.EndBlock();
}

// Whether a journal's entry names files beside the stem and nothing else: no step up out
// of a folder, and temporary and kept files named as a set names its own.
bool OwnEntry(const SetFile& entry)
{
    const auto own = [](const std::string& tail) {
        return tail.empty() || (tail.front() == '.' && tail.ends_with(".tmp") && tail.find('/') == std::string::npos &&
                                tail.find('\0') == std::string::npos);
    };
    return ("/" + entry.file + "/").find("/../") == std::string::npos && entry.file.find('\0') == std::string::npos &&
           own(entry.temporary) && own(entry.kept);
}

// The name `name` has after `path` (empty for none).
std::string NameAfter(const std::string& name, const std::string& path)
{
    return name.empty() ? name : name.substr(path.size());
}

}  // namespace

// ---- Status -----------------------------------------------------------------------------

void IOStreamStatus::Fail(std::string reason)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error = std::move(reason);
    gEngine->Log(LOG_ERROR, "%s (%s): %s", m_who, m_source.c_str(), m_error.c_str());
}

// ---- Writer -----------------------------------------------------------------------------

IOStreamWrite::IOStreamWrite() : IOStreamWrite(std::string())
{
}

IOStreamWrite::IOStreamWrite(const std::string& path)
    : IOStreamStatus("IOStreamWrite", path.empty() ? kMemory : path), m_bytes(kInitialBytes), m_path(path)
{
    unsigned char* at = Claim(kHeaderSize);
    std::memcpy(at, kMagic, sizeof kMagic);
    NetBytes::StoreU32(at + 4, kVersion);
}

IOStreamWrite::IOStreamWrite(const std::string& path, std::string_view plain)
    : IOStreamStatus("IOStreamWrite", path), m_bytes(plain.begin(), plain.end()), m_size(plain.size()), m_path(path)
{
}

IOStreamWrite::~IOStreamWrite()
{
    if (!m_closed)
        Close();
}

bool IOStreamWrite::Grow(size_t count)
{
    if (count > kMaxSize - m_size) {
        Fail("the stream would be larger than " + std::to_string(kMaxSize) + " bytes");
        return false;
    }
    m_bytes.resize(std::min(kMaxSize, std::max(m_size + count, 2 * m_bytes.size())));
    return true;
}

unsigned char* IOStreamWrite::ClaimValue(Tag tag, const char* key, size_t size)
{
    const size_t keyLength = std::strlen(key);
    if (Failed() || m_closed || keyLength > kMaxKeyLength) {
        if (m_closed)
            Fail("the value " + Quoted(key) + " was written after the stream was closed");
        else if (keyLength > kMaxKeyLength)
            Fail("the key " + Quoted(key) + " is longer than " + std::to_string(kMaxKeyLength) + " bytes");
        return nullptr;
    }
    unsigned char* at = Claim(2 + keyLength + size);
    if (!at)
        return nullptr;
    at[0] = tag;
    at[1] = static_cast<unsigned char>(keyLength);
    std::memcpy(at + 2, key, keyLength);
    return at + 2 + keyLength;
}

void IOStreamWrite::WriteU32(Tag tag, const char* key, uint32_t bits)
{
    if (unsigned char* at = ClaimValue(tag, key, 4))
        NetBytes::StoreU32(at, bits);
}

void IOStreamWrite::StreamUniqueId(const char* key, UniqueId& value)
{
    if (unsigned char* at = ClaimValue(kUniqueId, key, 16))
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            NetBytes::StoreU32(at + 4 * i, value.GetPart(i));
}

void IOStreamWrite::StreamWString(const char* key, std::u16string& value)
{
    // The size check of the claim keeps the count far below 2^32.
    if (value.size() > kMaxSize / 2) {
        Fail("the wide string " + Quoted(key) + " is too long");
        return;
    }
    if (unsigned char* at = ClaimValue(kWString, key, 4 + 2 * value.size())) {
        NetBytes::StoreU32(at, static_cast<uint32_t>(value.size()));
        unsigned char* units = at + 4;
        for (char16_t unit : value) {
            NetBytes::StoreU16(units, unit);
            units += 2;
        }
    }
}

void IOStreamWrite::StreamBool(const char* key, bool& value)
{
    if (unsigned char* at = ClaimValue(kBool, key, 1))
        *at = value ? 1 : 0;
}

void IOStreamWrite::StreamUInt32(const char* key, uint32_t& value)
{
    WriteU32(kUInt32, key, value);
}

void IOStreamWrite::StreamString(const char* key, std::string& value)
{
    if (value.size() > kMaxSize) {
        Fail("the string " + Quoted(key) + " is too long");
        return;
    }
    if (unsigned char* at = ClaimValue(kString, key, 4 + value.size())) {
        NetBytes::StoreU32(at, static_cast<uint32_t>(value.size()));
        std::memcpy(at + 4, value.data(), value.size());
    }
}

void IOStreamWrite::StreamFloat(const char* key, float& value)
{
    WriteU32(kFloat, key, std::bit_cast<uint32_t>(value));
}

void IOStreamWrite::StreamInt32(const char* key, int32_t& value)
{
    WriteU32(kInt32, key, static_cast<uint32_t>(value));
}

void IOStreamWrite::WriteMarker(Tag tag)
{
    if (Failed())
        return;
    if (m_closed) {
        Fail("a block marker was written after the stream was closed");
        return;
    }
    if (unsigned char* at = Claim(1))
        *at = tag;
}

void IOStreamWrite::BeginBlock()
{
    WriteMarker(kBeginBlock);
    ++m_depth;
}

void IOStreamWrite::EndBlock()
{
    if (m_depth == 0) {
        Fail("a block was ended that was not begun");
        return;
    }
    WriteMarker(kEndBlock);
    --m_depth;
}

void IOStreamWrite::End()
{
    if (m_depth != 0)
        Fail(std::to_string(m_depth) + " block(s) not ended");
    m_closed = true;
}

bool IOStreamWrite::Close()
{
    return m_closed ? !Failed() : CloseTogether({this});
}

bool IOStreamWrite::CloseTogether(std::initializer_list<IOStreamWrite*> writers)
{
    return CloseTogether(std::span<IOStreamWrite* const>(writers.begin(), writers.size()));
}

bool IOStreamWrite::CloseTogether(std::span<IOStreamWrite* const> writers)
{
    return CommitTogether(writers, nullptr, {});
}

bool IOStreamWrite::CloseTogether(std::span<IOStreamWrite* const> writers, const std::string& stem,
                                  std::span<const std::string> removed)
{
    return CommitTogether(writers, &stem, removed);
}

std::string IOStreamWrite::JournalPath(const std::string& stem) { return stem + ".commit"; }

bool IOStreamWrite::CommitTogether(std::span<IOStreamWrite* const> writers, const std::string* stem,
                                  std::span<const std::string> removed)
{
    // The first failure: the writer it is of (none for the journal's), and why.
    const IOStreamWrite* failed = nullptr;
    std::string failure;
    const auto fail = [&](const IOStreamWrite* writer, const std::string& why) {
        if (failure.empty()) {
            failed = writer;
            failure = why;
        }
    };
    std::vector<IOStreamWrite*> files;   // those with a file to commit, in order
    for (IOStreamWrite* writer : writers) {
        if (!writer->m_closed) {
            writer->End();
            if (!writer->m_path.empty())
                files.push_back(writer);
        }
        if (writer->Failed())
            fail(writer, writer->GetError());
    }
    std::vector<std::string> temporaries(files.size());
    std::vector<std::string> backups(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        temporaries[i] = FreshSibling(files[i]->m_path, ".tmp");
    // Through a journal every previous file is kept aside; without one, only those renamed
    // before the last (a failed last rename replaces nothing).
    std::vector<SetFile> entries;
    if (stem && failure.empty()) {
        for (IOStreamWrite* file : files)
            if (!file->m_path.starts_with(*stem))
                fail(file, Quoted(file->m_path.c_str()) + " is not beside " + Quoted(stem->c_str()));
        for (const std::string& file : removed)
            if (!file.starts_with(*stem))
                fail(nullptr, Quoted(file.c_str()) + " is not beside " + Quoted(stem->c_str()));
        if (failure.empty())
            if (std::string why = FinishTogether(*stem); !why.empty())
                fail(nullptr, why);
        for (size_t i = 0; i < files.size() && failure.empty(); ++i) {
            const std::string& path = files[i]->m_path;
            backups[i] = PathExists(path) ? FreshSibling(path, ".old.tmp") : std::string();
            entries.push_back({path.substr(stem->size()), NameAfter(temporaries[i], path), NameAfter(backups[i], path)});
        }
        for (const std::string& file : removed)
            entries.push_back({file.substr(stem->size()), {}, {}});
    } else if (!stem) {
        for (size_t i = 0; i + 1 < files.size(); ++i)
            backups[i] = FreshSibling(files[i]->m_path, ".old.tmp");
    }
    // Puts the journal in place in one rename, synced; empty when it is.
    const auto writeJournal = [&](uint32_t state) {
        const std::string path = JournalPath(*stem);
        IOStreamWrite journal(path);
        StreamJournal(journal, state, entries);
        journal.End();
        ::unlink((path + ".tmp").c_str());
        if (!journal.Failed() && journal.WriteTemporary(path + ".tmp") && journal.RenameTemporary())
            SyncFolder(path);
        journal.RemoveTemporary();
        return journal.Failed() ? journal.GetError() : std::string();
    };
    const auto syncFolders = [&] {
        for (const IOStreamWrite* file : files)
            SyncFolder(file->m_path);
    };
    bool journalPlaced = false;
    if (stem && failure.empty()) {
        if (std::string why = writeJournal(kJournalWriting); !why.empty())
            fail(nullptr, why);
        else
            journalPlaced = true;
    }
    for (size_t i = 0; i < files.size() && failure.empty(); ++i)
        if (!files[i]->WriteTemporary(temporaries[i]))
            fail(files[i], files[i]->GetError());
    // The moment the set changes: the temporary files' names are durable, then the record
    // of the renames to come.
    bool committed = false;
    if (stem && failure.empty()) {
        syncFolders();
        if (std::string why = writeJournal(kJournalCommitted); !why.empty())
            fail(nullptr, why);
        else
            committed = true;
    }
    // The files reached (their previous kept aside, or tried to be) and those renamed.
    size_t reached = 0;
    size_t renamed = 0;
    while (failure.empty() && renamed < files.size()) {
        IOStreamWrite& file = *files[renamed];
        ++reached;
        if ((!backups[renamed].empty() && !file.KeepPrevious(backups[renamed])) || !file.RenameTemporary())
            fail(&file, file.GetError());
        else
            ++renamed;
    }
    if (!failure.empty()) {
        // A process ended while the set is put back finishes putting it back.
        if (committed)
            if (std::string why = writeJournal(kJournalUndoing); !why.empty())
                gEngine->Log(LOG_ERROR, "IOStreamWrite (%s): %s", JournalPath(*stem).c_str(), why.c_str());
        for (size_t i = 0; i < reached; ++i)
            files[i]->PutBack(backups[i], i < renamed);
    } else {
        for (const std::string& backup : backups)
            if (!backup.empty())
                ::unlink(backup.c_str());
        for (const std::string& file : removed)
            if (::unlink(file.c_str()) != 0 && errno != ENOENT)
                gEngine->Log(LOG_WARNING, "IOStreamWrite (%s): %s", file.c_str(), SystemError("removing", file).c_str());
    }
    for (IOStreamWrite* file : files)
        file->RemoveTemporary();
    if (renamed > 0 || journalPlaced) {
        syncFolders();
        for (const std::string& file : removed)
            SyncFolder(file);
    }
    if (journalPlaced) {
        ::unlink(JournalPath(*stem).c_str());
        SyncFolder(JournalPath(*stem));
    }
    if (failure.empty())
        return true;
    for (IOStreamWrite* writer : writers)
        if (writer != failed && !writer->m_path.empty())
            writer->Fail("not written, since " + failure);
    return false;
}

std::string IOStreamWrite::FinishTogether(const std::string& stem)
{
    const std::string path = JournalPath(stem);
    // A journal never put in place: its set had not begun.
    ::unlink((path + ".tmp").c_str());
    if (!PathExists(path))
        return {};
    std::string bytes;
    std::string why = ReadWholeFile(path, bytes, kMaxJournalBytes);
    uint32_t state = 0;
    std::vector<SetFile> entries;
    if (why.empty()) {
        if (why = IOStreamRead::CheckForm({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
            why.empty()) {
            IOStreamRead stream(bytes.data(), bytes.size());
            StreamJournal(stream, state, entries);
            why = stream.GetError();
        }
        if (why.empty() && (state > kJournalUndoing || !std::all_of(entries.begin(), entries.end(), OwnEntry)))
            why = "it names files that are none of the set's";
        if (!why.empty())
            why = "does not read (" + why + ")";
    }
    if (!why.empty())
        return Quoted(path.c_str()) + " " + why;
    for (const SetFile& entry : entries) {
        const std::string file = stem + entry.file;
        const std::string temporary = entry.temporary.empty() ? std::string() : file + entry.temporary;
        const std::string kept = entry.kept.empty() ? std::string() : file + entry.kept;
        bool done = true;
        if (state == kJournalCommitted) {
            // Once recorded, the new set is the set: what is not yet renamed is, and the
            // files of the set before that it has not go.
            if (temporary.empty())
                ::unlink(file.c_str());
            else if (PathExists(temporary))
                done = ::rename(temporary.c_str(), file.c_str()) == 0;
        } else if (state == kJournalUndoing && !temporary.empty()) {
            // What was kept aside goes back; a new file where there was none goes.
            if (!kept.empty() && PathExists(kept))
                done = ::rename(kept.c_str(), file.c_str()) == 0;
            else if (kept.empty() && !PathExists(temporary))
                ::unlink(file.c_str());
        }
        if (!done)
            return SystemError("renaming to", file);
        if (!temporary.empty())
            ::unlink(temporary.c_str());
        if (!kept.empty())
            ::unlink(kept.c_str());
        SyncFolder(file);
    }
    ::unlink(path.c_str());
    SyncFolder(path);
    return {};
}

bool IOStreamWrite::WriteTemporary(const std::string& temporary)
{
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail(SystemError("creating", temporary));
        return false;
    }
    std::string failure;
    for (size_t done = 0; done < m_size && failure.empty();) {
        const ssize_t n = ::write(fd, m_bytes.data() + done, m_size - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            failure = n == 0 ? "writing " + Quoted(temporary.c_str()) + " stopped" : SystemError("writing", temporary);
    }
    if (failure.empty() && ::fsync(fd) != 0)
        failure = SystemError("syncing", temporary);
    if (::close(fd) != 0 && failure.empty())
        failure = SystemError("closing", temporary);
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        Fail(failure);
        return false;
    }
    m_temporary = temporary;
    return true;
}

bool IOStreamWrite::KeepPrevious(std::string& backup)
{
    // A folder would only fail at its rename; said plainly here.
    struct stat info;
    if (::stat(m_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        Fail(Quoted(m_path.c_str()) + " is a folder");
        return false;
    }
    // A hard link keeps the file in its place meanwhile. A file system without links has
    // it renamed aside: it is missing until the new one is renamed in, which a journal
    // covers.
    if (::link(m_path.c_str(), backup.c_str()) == 0 || (errno != ENOENT && ::rename(m_path.c_str(), backup.c_str()) == 0))
        return true;
    const bool none = errno == ENOENT;
    if (!none)
        Fail(SystemError("keeping the previous", m_path));
    backup.clear();
    return none;
}

bool IOStreamWrite::RenameTemporary()
{
    if (::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        Fail(SystemError("renaming to", m_path));
        return false;
    }
    m_temporary.clear();
    return true;
}

void IOStreamWrite::PutBack(const std::string& backup, bool renamed)
{
    bool back = true;
    if (!backup.empty()) {
        back = ::rename(backup.c_str(), m_path.c_str()) == 0;
        // A hard link of a file never replaced stays after its rename onto it (the same file).
        if (back)
            ::unlink(backup.c_str());
    } else if (renamed) {
        back = ::unlink(m_path.c_str()) == 0;
    }
    if (!back)
        gEngine->Log(LOG_ERROR, "IOStreamWrite (%s): %s", m_path.c_str(),
                     SystemError("putting back the previous", m_path).c_str());
}

void IOStreamWrite::RemoveTemporary()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

// ---- Reader -----------------------------------------------------------------------------

IOStreamRead::IOStreamRead(const void* data, size_t size)
    : IOStreamRead(std::vector<unsigned char>(static_cast<const unsigned char*>(data),
                                              static_cast<const unsigned char*>(data) + size))
{
}

IOStreamRead::IOStreamRead(std::vector<unsigned char> bytes)
    : IOStreamStatus("IOStreamRead", kMemory), m_bytes(std::move(bytes))
{
    CheckHeader();
}

IOStreamRead::IOStreamRead(const std::string& path) : IOStreamStatus("IOStreamRead", path)
{
    // Read as every file is: a regular file alone, so that a pipe or a device never waits.
    std::string text;
    if (const std::string why = ReadWholeFile(path, text, kMaxSize); !why.empty())
        Fail(Quoted(path.c_str()) + " " + why);
    else
        m_bytes.assign(text.begin(), text.end());
    CheckHeader();
}

void IOStreamRead::CheckHeader()
{
    m_cursor = m_item = m_bytes.data();
    m_end = m_cursor + m_bytes.size();
    if (Failed()) {
        m_end = m_cursor;
    } else if (m_bytes.size() > kMaxSize) {
        FailAt("the stream is larger than " + std::to_string(kMaxSize) + " bytes");
    } else if (Left() < kHeaderSize || std::memcmp(m_cursor, kMagic, sizeof kMagic) != 0) {
        FailAt("not a property stream");
    } else if (const uint32_t version = NetBytes::LoadU32(m_cursor + 4); version != kVersion) {
        FailAt("format version " + std::to_string(version) + " is not known");
    } else {
        m_cursor += kHeaderSize;
    }
}

void IOStreamRead::FailAt(const std::string& reason)
{
    Fail(reason + " (at byte " + std::to_string(m_item - m_bytes.data()) + ")");
    m_end = m_cursor;
}

const unsigned char* IOStreamRead::TakeValue(Tag tag, const char* key, size_t size)
{
    m_item = m_cursor;
    const size_t keyLength = std::strlen(key);
    if (Left() < 2 + keyLength + size || m_cursor[0] != tag || m_cursor[1] != keyLength ||
        std::memcmp(m_cursor + 2, key, keyLength) != 0) {
        Mismatch(tag, key);
        return nullptr;
    }
    const unsigned char* at = m_cursor + 2 + keyLength;
    m_cursor = at + size;
    return at;
}

void IOStreamRead::Mismatch(Tag tag, const char* key)
{
    if (Failed())
        return;
    const std::string wanted = Quoted(key) + " (" + TagName(tag) + ")";
    if (Left() == 0) {
        FailAt("the bytes end where " + wanted + " was expected");
    } else if (m_cursor[0] != tag) {
        FailAt(wanted + " expected, " + TagName(m_cursor[0]) + " found");
    } else if (Left() < 2 || Left() - 2 < m_cursor[1]) {
        FailAt("the bytes end inside the key of " + wanted);
    } else if (m_cursor[1] != std::strlen(key) || std::memcmp(m_cursor + 2, key, m_cursor[1]) != 0) {
        FailAt(wanted + " expected, the key " + QuotedBytes(m_cursor + 2, m_cursor[1]) + " found");
    } else {
        FailAt("the bytes end inside the value of " + wanted);
    }
}

const unsigned char* IOStreamRead::TakeSized(Tag tag, const char* key, size_t unit, uint32_t& count)
{
    const unsigned char* at = TakeValue(tag, key, 4);
    if (!at)
        return nullptr;
    count = NetBytes::LoadU32(at);
    if (count > Left() / unit) {
        FailAt("the length " + std::to_string(count) + " of " + Quoted(key) + " does not fit in the " +
               std::to_string(Left()) + " bytes left");
        return nullptr;
    }
    at = m_cursor;
    m_cursor += count * unit;
    return at;
}

bool IOStreamRead::TakeU32(Tag tag, const char* key, uint32_t& bits)
{
    const unsigned char* at = TakeValue(tag, key, 4);
    if (at)
        bits = NetBytes::LoadU32(at);
    return at != nullptr;
}

void IOStreamRead::StreamUniqueId(const char* key, UniqueId& value)
{
    if (const unsigned char* at = TakeValue(kUniqueId, key, 16))
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            value.SetPart(i, NetBytes::LoadU32(at + 4 * i));
}

void IOStreamRead::StreamWString(const char* key, std::u16string& value)
{
    uint32_t count = 0;
    if (const unsigned char* at = TakeSized(kWString, key, 2, count)) {
        value.resize(count);
        for (uint32_t i = 0; i < count; ++i)
            value[i] = NetBytes::LoadU16(at + 2 * i);
    }
}

void IOStreamRead::StreamBool(const char* key, bool& value)
{
    const unsigned char* at = TakeValue(kBool, key, 1);
    if (!at)
        return;
    if (*at > 1)
        FailAt("the bool " + Quoted(key) + " holds " + std::to_string(*at));
    else
        value = *at == 1;
}

void IOStreamRead::StreamUInt32(const char* key, uint32_t& value)
{
    TakeU32(kUInt32, key, value);
}

void IOStreamRead::StreamString(const char* key, std::string& value)
{
    uint32_t count = 0;
    if (const unsigned char* at = TakeSized(kString, key, 1, count))
        value.assign(reinterpret_cast<const char*>(at), count);
}

void IOStreamRead::StreamFloat(const char* key, float& value)
{
    uint32_t bits;
    if (TakeU32(kFloat, key, bits))
        value = std::bit_cast<float>(bits);
}

void IOStreamRead::StreamInt32(const char* key, int32_t& value)
{
    uint32_t bits;
    if (TakeU32(kInt32, key, bits))
        value = static_cast<int32_t>(bits);
}

uint32_t IOStream::SavedCount(size_t held, uint32_t cap, const char* countKey)
{
    if (held <= cap)
        return static_cast<uint32_t>(held);
    gEngine->Log(LOG_WARNING, "IOStream: %zu entries under \"%s\"; the first %u are saved, %zu are left out", held,
                 countKey, cap, held - cap);
    return cap;
}

bool IOStreamRead::CheckCount(const char* countKey, uint32_t count, uint32_t cap, const char* itemKey)
{
    if (Failed())
        return false;
    const size_t smallest = 3 + std::strlen(itemKey);
    if (count > cap)
        FailAt("the count " + std::to_string(count) + " of " + Quoted(countKey) + " is above its cap of " +
               std::to_string(cap));
    else if (count > Left() / smallest)
        FailAt("the count " + std::to_string(count) + " of " + Quoted(countKey) + " does not fit in the " +
               std::to_string(Left()) + " bytes left");
    return !Failed();
}

bool IOStreamRead::IsNextKey(const char* key) const
{
    const size_t keyLength = std::strlen(key);
    return !Failed() && Left() >= 2 + keyLength && m_cursor[0] >= kUniqueId && m_cursor[0] <= kInt32 &&
           m_cursor[1] == keyLength && std::memcmp(m_cursor + 2, key, keyLength) == 0;
}

void IOStreamRead::TakeMarker(Tag tag)
{
    m_item = m_cursor;
    if (Left() > 0 && m_cursor[0] == tag && (tag == kBeginBlock || m_depth > 0)) {
        ++m_cursor;
        m_depth += tag == kBeginBlock ? 1 : -1;
        return;
    }
    if (Failed())
        return;
    if (tag == kEndBlock && m_depth == 0)
        FailAt("a block was ended that was not begun");
    else if (Left() == 0)
        FailAt(std::string("the bytes end where ") + TagName(tag) + " was expected");
    else if (IsValueTag(m_cursor[0]) && Left() >= 2 && Left() - 2 >= m_cursor[1])
        FailAt(std::string(TagName(tag)) + " expected, " + TagName(m_cursor[0]) + " " +
               QuotedBytes(m_cursor + 2, m_cursor[1]) + " found");
    else
        FailAt(std::string(TagName(tag)) + " expected, " + TagName(m_cursor[0]) + " found");
}

std::string IOStreamRead::CheckForm(std::span<const unsigned char> bytes)
{
    const auto at = [](size_t offset) { return " (at byte " + std::to_string(offset) + ")"; };
    if (bytes.size() > kMaxSize)
        return "the stream is larger than " + std::to_string(kMaxSize) + " bytes";
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return "not a property stream" + at(0);
    if (const uint32_t version = NetBytes::LoadU32(bytes.data() + 4); version != kVersion)
        return "format version " + std::to_string(version) + " is not known" + at(0);
    int depth = 0;
    size_t item = kHeaderSize;
    while (item < bytes.size()) {
        const unsigned char* cursor = bytes.data() + item;
        const unsigned tag = cursor[0];
        size_t left = bytes.size() - item - 1;   // after the tag
        if (tag == kBeginBlock || tag == kEndBlock) {
            depth += tag == kBeginBlock ? 1 : -1;
            if (depth < 0)
                return "a block was ended that was not begun" + at(item);
            ++item;
            continue;
        }
        if (!IsValueTag(tag))
            return std::string("an unknown tag ") + std::to_string(tag) + " found" + at(item);
        if (left < 1 || left - 1 < cursor[1])
            return std::string("the bytes end inside the key of ") + TagName(tag) + at(item);
        const std::string key = QuotedBytes(cursor + 2, cursor[1]);
        left -= 1 + cursor[1];
        const unsigned char* value = cursor + 2 + cursor[1];
        size_t size = tag == kUniqueId ? 16 : tag == kBool ? 1 : 4;
        if (left >= 4 && (tag == kWString || tag == kString)) {
            const size_t unit = tag == kWString ? 2 : 1;
            const uint32_t count = NetBytes::LoadU32(value);
            if (count > (left - 4) / unit)
                return "the length " + std::to_string(count) + " of " + key + " does not fit in the " +
                       std::to_string(left - 4) + " bytes left" + at(item);
            size += count * unit;
        }
        if (left < size)
            return "the bytes end inside the value of " + key + at(item);
        if (tag == kBool && *value > 1)
            return "the bool " + key + " holds " + std::to_string(*value) + at(item);
        item = bytes.size() - (left - size);
    }
    if (depth > 0)
        return "the bytes end inside a block" + at(bytes.size());
    return {};
}

void IOStreamRead::BeginBlock()
{
    TakeMarker(kBeginBlock);
}

void IOStreamRead::EndBlock()
{
    TakeMarker(kEndBlock);
}

}  // namespace GAME
