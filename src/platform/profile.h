#pragma once
// Profile (INI) files with the contracts of the classic A-functions, so that
// files written by the older Windows program keep working:
// - a line ends at CR LF, at a CR alone or at an LF alone;
// - a UTF-8 byte-order mark at the start of the file (a file saved by a text
//   editor) is read past, and a write keeps it;
// - sections and keys match without regard to case;
// - in the file, blanks (space, tab, vertical tab) are trimmed around keys,
//   values and section names (inside the brackets) and before a header; the
//   arguments lose their spaces only; one pair of matching outer quotes is
//   stripped from a value;
// - ';' starts a comment only at the start of a line, after any blanks;
// - a section header ends at its first ']'; a header without one still opens
//   its section, named by the rest of the line;
// - for repeated sections or keys the first one wins;
// - a null value deletes the key, a null key deletes the section; deleting
//   what is not there succeeds and writes nothing, and from a missing file
//   it leaves an empty file there;
// - a missing file or section is created on write;
// - writing keeps every other line, comment, blank line and line ending; new
//   lines end in CR LF, and so does a last line that had no line end;
// - what a write puts in the file reads back: CR and LF in a value become
//   blanks, and a name that a line cannot hold as given (CR or LF in it, ']'
//   in a section name, '=' in a key, a key that starts with '[' or ';', a
//   blank at either edge) is refused with FALSE and the file is left as it was;
// - a file that is there but cannot be read (not a regular file, not
//   readable, or larger than kProfileMaxBytes, which no file of this program
//   comes near) reads as empty and is never written over: writes to it fail;
//   it is never read whole into memory; no write makes a file larger than
//   kProfileMaxBytes (it fails with errno EFBIG and the file stays as it was);
// - a NUL byte counts as a blank: trimmed at the edges of names and values,
//   read as a space inside them;
// - a file is held in memory as its bytes and a few bytes per section or key
//   line, whatever its lines, and read in one pass;
// - every call sees the file as it is on disk (within a ProfileOpening, as
//   the opening read it): a file read before is used
//   from memory only while its inode, size and times are those it was read
//   with (and it had not changed just before that read, see
//   kProfileSettleMs); a write goes through a temporary file and a rename,
//   so that a failed write leaves the old file whole, and drops the copy in
//   memory.
// All texts are Windows-1252 bytes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Copies the value (or, with a null section, the double-NUL list of section
// names; with a null key, the double-NUL list of keys of the section) into
// buffer. Returns the number of characters copied without the final NUL.
// A value that does not fit is cut and the result is size - 1. A list must
// leave a byte of the buffer to spare: one that does not (also one that only
// just fits) is cut, ends in two NULs and the result is size - 2; a buffer of
// one byte gets one NUL. An empty name is left out of a list. With a null key
// and no keys in the section, the default is copied as a value. The section
// names of a missing file are a single NUL, the rest of the buffer untouched.
uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* def,
                                  char* buffer, uint32_t size, const char* file);

// The value read as a decimal integer (leading digits only; a leading '-' is
// honoured); def when the key is absent.
uint32_t GetPrivateProfileIntA(const char* section, const char* key, int def, const char* file);

// The "key=value" lines of a section as a double-NUL list (comments left
// out); a line without '=' comes back as it stands, one with an empty key
// name as "=value".
// The result follows the list rule above.
uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                   const char* file);

// Writes (creates, replaces) the key; a null value deletes the key, a null key
// deletes the whole section. Nonzero on success; a null section (also all
// three names null) gives FALSE.
int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file);

// Replaces the whole section with the given double-NUL list of "key=value"
// lines (an item that would open another section is refused). Nonzero on
// success.
int WritePrivateProfileSectionA(const char* section, const char* data, const char* file);

// Far larger than any profile file of this program (a few hundred kilobytes
// at most): a file above it is taken for one that is not a profile file.
inline constexpr int64_t kProfileMaxBytes = 16 * 1024 * 1024;

// --- conveniences over the functions above ---

// The value of the key, or def when absent. No length limit.
std::string ProfileString(const std::string& section, const std::string& key,
                          const std::string& def, const std::string& file);
// The value as GetPrivateProfileIntA reads it, as a signed int.
int ProfileInt(const std::string& section, const std::string& key, int def,
               const std::string& file);
// True when the key is present in the section (even with an empty value).
bool ProfileHasKey(const std::string& section, const std::string& key, const std::string& file);
// True when the file is there but cannot be read as a profile file (see
// above): every read finds it empty, every write fails.
bool ProfileUnreadable(const std::string& file);
// Writes the value; true on success.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);
// Deletes the key; true on success (also when it was not there).
bool DeleteProfileKey(const std::string& section, const std::string& key, const std::string& file);
// The key/value pairs of a section in file order (first of repeated keys kept
// as it stands: every line is returned, as the A-function does).
std::vector<std::pair<std::string, std::string>> ProfileSection(const std::string& section,
                                                                const std::string& file);

// A file whose contents or status changed within this time before a read may
// change again without a change of its times (file systems keep times at a
// coarse step, two seconds on some); such a file is read from disk on every
// call until it is older, and its copy in memory serves only while the bytes
// read are the bytes the copy was made from.
inline constexpr int kProfileSettleMs = 2000;

// Gathers the writes to one profile file into one replacement of the file.
// While a batch is open, the functions above read and write that file's lines
// in memory, by the same rules as always; Commit then writes the file once,
// through a temporary file and a rename, when a write changed it. Until
// then, and when Commit fails, the file on disk is as it was. One batch at a
// time; a batch ends with Commit or when it goes out of scope.
class ProfileBatch {
public:
    explicit ProfileBatch(const std::string& file);
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;

    // Writes the file when a write changed it; true when it is written or
    // there was nothing to write. False, with errno set, when it cannot be
    // written. Writes after Commit go to the file directly.
    bool Commit();

    // Drops the lines of the file (its text without the line ending) that
    // foreign says hold no part of it; the number dropped. Nothing while the
    // batch writes through.
    int DropLines(const std::function<bool(std::string_view)>& foreign);

private:
    bool open_ = false;
};

// One use of a profile file read once: while an opening of the file lives,
// every read of it (the functions above, a ProfileReader, ProfileBytes)
// answers from the file as the first of those reads found it, without
// looking at the disk again; a write to it through this layer is seen by the
// next read, which reads the file again. For the reads that make one use of
// a file (a register's opening, a run's set-up), so that a file just written
// is not read again for each key. Openings of one file may nest.
class ProfileOpening {
public:
    explicit ProfileOpening(const std::string& file);
    ~ProfileOpening();
    ProfileOpening(const ProfileOpening&) = delete;
    ProfileOpening& operator=(const ProfileOpening&) = delete;

private:
    std::string path_;
};

// The file's bytes as a read finds them (within an opening, as the opening
// read them), the byte-order mark included; null when the file is missing or
// cannot be read as a profile file (see above).
std::shared_ptr<const std::string> ProfileBytes(const std::string& file);

// Reads many keys of one file without reading the file again for every key:
// the file is read once, on first use, with the index of its sections and
// keys, and kept as it was read while the reader lives. A value comes out as GetPrivateProfileStringA gives it (the
// same name, quote and first-one-wins rules). For files that are read, not
// changed, while the reader lives.
class ProfileReader {
public:
    explicit ProfileReader(std::string file);
    ~ProfileReader();
    ProfileReader(const ProfileReader&) = delete;
    ProfileReader& operator=(const ProfileReader&) = delete;

    // The value of the key, cut to at most maxLength characters; false when
    // the key is absent (or has no "=").
    bool Get(const std::string& section, const std::string& key, std::string& value,
             size_t maxLength = 127);

    const std::string& file() const { return file_; }

private:
    struct Lines;
    std::string file_;
    std::unique_ptr<Lines> lines_;  // the file, once read
};

}  // namespace platform
