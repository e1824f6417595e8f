// The byte form of the keyed property stream, its writer IOStreamWrite and its reader
// IOStreamRead, each over a byte vector in memory or over a file.
//
// Layout, version 1; every number little-endian:
//
//   header     8        the magic "GKPS", then u32 format version (1)
//   then items, each starting with one tag byte:
//   value      2+k+v    tag, u8 key length k, the k key bytes (no terminator), the value
//   begin      1        tag 0x40: a block begins
//   end        1        tag 0x41: the innermost open block ends
//
//   tag  value kind    v      value bytes
//   1    UniqueId      16     its four u32 words in order
//   2    wide string   4+2n   u32 unit count n, then n u16 units
//   3    bool          1      0 or 1; any other byte fails the read
//   4    u32           4
//   5    string        4+n    u32 byte count n, then n bytes
//   6    float         4      IEEE-754 single bits, any bits kept as they are
//   7    i32           4      two's complement
//
// A stream is at most kMaxSize bytes and a key at most 255 bytes; the writer refuses
// what the reader would refuse. Trailing bytes after what a caller reads are not read.
//
// Failures. Each stream keeps its first failure: Failed() turns true, GetError() holds
// the reason, and the reason is logged once at error level. A reader fails when a
// value's tag or key is not the one asked for, a block marker is not where it is asked
// for, an end has no open block, a bool byte is not 0 or 1, a length does not fit in the
// bytes left (checked before anything is allocated), or the bytes end; after that no
// value is touched again. A writer fails on an overlong key or stream, an end without a
// begin, a block still open at Close, or an error of the file; after that it writes
// nothing more.
//
// Files. A reader reads the whole file at construction. A writer keeps its bytes in
// memory and writes them at Close (or destruction): to a fresh temporary file in the
// same folder, flushed and synced, then renamed over the target. Any failure removes the
// temporary file, so the old file stays as it was; a writer that failed before Close
// writes no file at all. Files that belong together (a save and its companion) close
// through CloseTogether: every temporary file is written before any is renamed, and a
// rename that fails puts back the targets already replaced, so the set changes whole or
// not at all. A set that must also survive its process ending at any moment (a save)
// closes through a journal beside it (CloseTogether with a stem, below).
//
// Speed: the writer appends each value with one size check into a buffer that grows by
// doubling; the reader checks each item with one bounds check and compares the key's
// bytes in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Engine/IOStream.h"

namespace GAME {

namespace IOStreamFormat {
inline constexpr unsigned char kMagic[4] = {'G', 'K', 'P', 'S'};
inline constexpr uint32_t kVersion = 1;
inline constexpr size_t kHeaderSize = 8;
inline constexpr size_t kMaxKeyLength = 255;
inline constexpr size_t kMaxSize = size_t{256} << 20;

enum Tag : unsigned char {
    kUniqueId = 1,
    kWString = 2,
    kBool = 3,
    kUInt32 = 4,
    kString = 5,
    kFloat = 6,
    kInt32 = 7,
    kBeginBlock = 0x40,
    kEndBlock = 0x41,
};
}  // namespace IOStreamFormat

// What reader and writer share: the first failure, kept and logged once.
class IOStreamStatus {
public:
    bool Failed() const { return m_failed; }
    const std::string& GetError() const { return m_error; }

protected:
    // `who` names the stream in the log line ("IOStreamRead", "IOStreamWrite").
    IOStreamStatus(const char* who, std::string source) : m_who(who), m_source(std::move(source)) {}
    [[gnu::cold]] void Fail(std::string reason);
    const std::string& GetSource() const { return m_source; }

private:
    const char* m_who;
    std::string m_source;   // the file's path, or "memory"
    std::string m_error;
    bool m_failed = false;
};

class IOStreamWrite : public IOStream, public IOStreamStatus {
public:
    // Into memory; GetBytes gives what was written.
    IOStreamWrite();
    // Into memory, then to `path` at Close.
    explicit IOStreamWrite(const std::string& path);
    // A file of `plain` bytes as they are, with no stream header (a text written beside the
    // streams it closes together with), to `path` at Close; nothing is streamed into it.
    IOStreamWrite(const std::string& path, std::string_view plain);
    // Closes the stream when Close was not called.
    ~IOStreamWrite() override;
    IOStreamWrite(const IOStreamWrite&) = delete;
    IOStreamWrite& operator=(const IOStreamWrite&) = delete;

    void StreamUniqueId(const char* key, UniqueId& value) override;
    void StreamWString(const char* key, std::u16string& value) override;
    void StreamBool(const char* key, bool& value) override;
    void StreamUInt32(const char* key, uint32_t& value) override;
    void StreamString(const char* key, std::string& value) override;
    void StreamFloat(const char* key, float& value) override;
    void StreamInt32(const char* key, int32_t& value) override;
    bool IsReading() const override { return false; }
    void BeginBlock() override;
    void EndBlock() override;
    bool Failed() const override { return IOStreamStatus::Failed(); }
    void Refuse(const std::string& reason) override { Fail(reason); }

    // Ends the stream: fails when a block is open; for a file, writes it as described
    // above. Later writes fail. True when the stream has not failed. A second call
    // answers the same and writes nothing.
    bool Close();
    // Closes the writers as one: their files are written to temporary files, and only
    // once every one was written are they renamed over their targets, in the order
    // given; when a rename fails, the targets already renamed get their previous files
    // back (or are removed when there were none). On any failure no target changes, no
    // temporary file stays, and every writer with a file fails, the others with the
    // reason of the first. Writers already closed commit nothing; one that failed fails
    // the set. True when no writer failed.
    static bool CloseTogether(std::initializer_list<IOStreamWrite*> writers);
    static bool CloseTogether(std::span<IOStreamWrite* const> writers);
    // As CloseTogether, for a set that must survive its process ending at any moment: each
    // path (the writers' and those of `removed`) is `stem` and a suffix, and the set goes
    // through a journal at JournalPath(stem) (a journal left there is finished first). The
    // journal first lists the temporary files to come; once every one is written and synced
    // it is replaced, in one rename, by the record of the renames to come and of the files
    // of `removed` to remove (files of the set before that the new one has not): from that
    // moment the set is the new one. The renames and the removals follow, then the journal
    // goes. A previous file is kept aside until the set is in place (by a hard link, or by a
    // rename where the file system has none), so a rename that fails still puts the set
    // before back. A process ended midway leaves the journal: FinishTogether completes it.
    static bool CloseTogether(std::span<IOStreamWrite* const> writers, const std::string& stem,
                              std::span<const std::string> removed);
    // Completes what a CloseTogether through the journal of `stem` left when its process
    // ended: once the record of the renames was in place, the renames and removals not yet
    // done are done; before it, the temporary files go and the set before stays. Then no
    // temporary file of the set and no journal is left. Nothing when there is no journal.
    // Empty when done, else why not (the journal does not read, a rename fails), and the
    // journal stays.
    static std::string FinishTogether(const std::string& stem);
    static std::string JournalPath(const std::string& stem);
    // The bytes written so far, header included.
    std::span<const unsigned char> GetBytes() const { return {m_bytes.data(), m_size}; }

private:
    // Room for `count` more bytes, or null (the stream failed) when there is none.
    unsigned char* Claim(size_t count)
    {
        if (m_bytes.size() - m_size < count && !Grow(count))
            return nullptr;
        unsigned char* at = m_bytes.data() + m_size;
        m_size += count;
        return at;
    }
    bool Grow(size_t count);
    // The tag and key of a value followed by `size` bytes of it, whose start it returns.
    unsigned char* ClaimValue(IOStreamFormat::Tag tag, const char* key, size_t size);
    void WriteU32(IOStreamFormat::Tag tag, const char* key, uint32_t bits);
    void WriteMarker(IOStreamFormat::Tag tag);
    // Marks the stream closed; fails when a block is still open.
    void End();
    // The set's common part: `stem` null closes without a journal.
    static bool CommitTogether(std::span<IOStreamWrite* const> writers, const std::string* stem,
                              std::span<const std::string> removed);
    // Writes the bytes to the fresh file `temporary` beside the target, synced, kept in
    // m_temporary; false (failed, nothing left behind) otherwise.
    bool WriteTemporary(const std::string& temporary);
    // Keeps the current target aside at `backup` (a hard link, or a rename where links
    // fail) so that it can be put back; `backup` is emptied when there is no target. False
    // (failed) when it cannot be kept or is a folder.
    bool KeepPrevious(std::string& backup);
    bool RenameTemporary();
    // Undoes KeepPrevious and RenameTemporary (`renamed`): the kept file goes back, or the
    // new one goes.
    void PutBack(const std::string& backup, bool renamed);
    void RemoveTemporary();

    std::vector<unsigned char> m_bytes;   // at least m_size long
    size_t m_size = 0;
    std::string m_path;                    // empty for memory
    std::string m_temporary;               // written and not yet renamed
    int m_depth = 0;
    bool m_closed = false;
};

class IOStreamRead : public IOStream, public IOStreamStatus {
public:
    IOStreamRead(const void* data, size_t size);
    explicit IOStreamRead(std::vector<unsigned char> bytes);
    // Reads the whole file; a file that cannot be read fails the stream.
    explicit IOStreamRead(const std::string& path);
    IOStreamRead(const IOStreamRead&) = delete;
    IOStreamRead& operator=(const IOStreamRead&) = delete;

    void StreamUniqueId(const char* key, UniqueId& value) override;
    void StreamWString(const char* key, std::u16string& value) override;
    void StreamBool(const char* key, bool& value) override;
    void StreamUInt32(const char* key, uint32_t& value) override;
    void StreamString(const char* key, std::string& value) override;
    void StreamFloat(const char* key, float& value) override;
    void StreamInt32(const char* key, int32_t& value) override;
    bool IsReading() const override { return true; }
    void BeginBlock() override;
    void EndBlock() override;
    bool Failed() const override { return IOStreamStatus::Failed(); }
    // The smallest value under a key is a bool: tag, key length, key and one byte.
    bool CheckCount(const char* countKey, uint32_t count, uint32_t cap, const char* itemKey) override;
    bool IsNextKey(const char* key) const override;
    void Refuse(const std::string& reason) override { FailAt(reason); }

    // The form of a whole stream, checked without reading its values and without logging:
    // the header, each item's tag, key and value within the bytes (a bool 0 or 1), every
    // block begun ended and none ended that was not begun, and the bytes ending after an
    // item. Empty when the stream is well formed, else the reason with the item's offset.
    // A file is checked this way before what would read it starts.
    static std::string CheckForm(std::span<const unsigned char> bytes);

private:
    size_t Left() const { return static_cast<size_t>(m_end - m_cursor); }
    void CheckHeader();
    // The value bytes of the next item when it is a value of `tag` under `key` with at
    // least `size` bytes after its key; the cursor moves past those bytes. Null (the
    // stream failed) otherwise.
    const unsigned char* TakeValue(IOStreamFormat::Tag tag, const char* key, size_t size);
    // A u32 length followed by that many elements of `unit` bytes; the elements' start
    // with the cursor past them, or null.
    const unsigned char* TakeSized(IOStreamFormat::Tag tag, const char* key, size_t unit, uint32_t& count);
    bool TakeU32(IOStreamFormat::Tag tag, const char* key, uint32_t& bits);
    void TakeMarker(IOStreamFormat::Tag tag);
    [[gnu::cold]] void Mismatch(IOStreamFormat::Tag tag, const char* key);
    // Fails with the reason and the offset of the item; no bytes are left after.
    [[gnu::cold]] void FailAt(const std::string& reason);

    std::vector<unsigned char> m_bytes;
    const unsigned char* m_cursor;
    const unsigned char* m_item;   // start of the item being read
    const unsigned char* m_end;    // the cursor after a failure
    int m_depth = 0;
};

}  // namespace GAME
