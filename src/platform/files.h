#pragma once
// Files and folders. Paths are joined with "/". Opening an existing file or
// folder falls back to a match without regard to case in its folder, so that
// installations copied from Windows open.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// a + "/" + b, without doubling a separator; a Windows "\" in b is turned
// into "/".
std::string JoinPath(const std::string& a, const std::string& b);
// The path of an existing file or folder: the path itself when it exists,
// else each component matched without regard to case. From the first
// component that matches nothing on, the rest is kept as given (so that a
// new file gets exactly the given name, inside the existing folder).
std::string ResolvePath(const std::string& path);
bool FileExists(const std::string& path);   // a regular file (after ResolvePath)
bool DirExists(const std::string& path);    // a folder (after ResolvePath)
// True when both paths (after ResolvePath) name one existing file or folder,
// however spelled.
bool SamePath(const std::string& a, const std::string& b);
bool MakeDir(const std::string& path);      // creates it (and its parents); true when it exists after
bool RemoveFile(const std::string& path);   // true when it no longer exists
bool CopyFileTo(const std::string& from, const std::string& to);  // overwrites; true on success
bool RenameFile(const std::string& from, const std::string& to);
int64_t FileSize(const std::string& path);  // -1 when missing
// The description of a failed file operation (errno err on the path), in the
// words of the usual causes: "Path not found" when the folder is missing,
// "File not found", "Permission denied", "Disk full", else the system's text.
std::string FileErrorText(int err, const std::string& path);
// Where FileErrorText takes the words of the user's language: a function
// that gives the words for a key ("errnopath", "errnofile", "errdenied",
// "errdiskfull", "errtoolarge", "erraccess"), or an empty text to keep the
// words above. Installed once by the layer that reads the language file.
using FileErrorWordsFn = std::string (*)(const char* key);
void SetFileErrorWords(FileErrorWordsFn words);
// Blocks of a megabyte or more (a profile or table file read whole) are
// taken from the system for themselves and given back when freed, so that
// the program's resident memory follows what it holds: the allocator would
// otherwise keep the room of a large block it freed for later ones, and a
// run that reads a large file twice would hold it twice. Called once at
// start-up.
void GiveBackLargeBlocks();
// Whole file; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes);
// Replaces the file with the bytes in one step: they go into a temporary
// file beside it, which is then renamed over it. On failure the file is as it
// was, no temporary file is left behind and errno tells why. Through a link,
// the file it points at is replaced.
bool WriteFile(const std::string& path, const std::string& bytes);
// A whole file mapped read-only into memory, for reading a large file
// without copying it; the mapping ends with the object. False, with errno
// set, when the file cannot be opened or is not a regular file.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Open(const std::string& path);
    std::string_view Bytes() const { return {static_cast<const char*>(map_), size_}; }

private:
    void* map_ = nullptr;
    size_t size_ = 0;
};

// The same replacement written piece by piece, for a file too large to hold
// whole in memory: Write appends to the temporary file, Commit renames it
// over the file. Until Commit succeeds the file is as it was; a replacement
// dropped without Commit (or whose Commit fails) leaves no temporary file.
// False, with errno set, at the first failure; later calls then fail too.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool Write(const char* data, size_t size);
    bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }
    bool Commit();

private:
    std::string target_, tmp_;
    int fd_ = -1;
    int err_ = 0;  // the first failure's errno, 0 while none
};
// The file that a write of the path reaches: the path resolved without regard
// to case and, through a link, the file the link points at.
std::string WriteTarget(const std::string& path);
// Appends the bytes, creating the file when missing. A write that fails (a
// full disk) takes back the part it wrote.
bool AppendFile(const std::string& path, const std::string& bytes);

// True when the process (its pid as a text) has the file open: the same
// file, or for a device the same device. False when it cannot be seen (a
// process of another user).
bool ProcessHasOpen(const std::string& pid, const std::string& path);

// Holds a folder for one run of the program: an exclusive flock on the file
// kFolderLockFile in it, which every run of this program asks for before it
// writes there. The system lets the lock go when the holder releases it or
// its process ends, so a crash leaves nothing held (the file itself stays
// and means nothing while nobody holds it). The holder writes who it is
// into the file, so that a refused one can say; words that name a process
// ("pid N: ...") that does not have the file open are another run's, left
// by a holder that could not write the file, and are not taken.
inline constexpr const char* kFolderLockFile = "ecrprog.lock";
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock() { Release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Result { Held, Busy, Failed };
    // Holds the folder and writes `who` into the lock file. Busy when
    // another holds it (`holder` is then what that one wrote, empty when it
    // wrote nothing yet); Failed, with errno set, when the lock file cannot
    // be made (a missing or read-only folder).
    Result Hold(const std::string& folder, const std::string& who, std::string& holder);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A file of fixed-length records numbered from 1, opened for one operation
// and closed at once (the destructor closes it).
class RecordFile {
public:
    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens (creating when create is true and the file is missing) for reading
    // and writing with records of recordLength bytes. False on failure.
    bool Open(const std::string& path, int recordLength, bool create = true);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int RecordLength() const { return length_; }
    // Number of whole records in the file.
    int32_t Count() const;
    // Reads record n (from 1) into record (recordLength bytes); false past the
    // end or on an error. A short last record is padded with blanks.
    bool Read(int32_t n, std::string& record) const;
    // Writes record n (from 1); the text is cut or padded with blanks to the
    // record length. Writing past the end extends the file; records skipped
    // over are filled with blanks.
    bool Write(int32_t n, const std::string& record);
    // Cuts the file to n records.
    bool Truncate(int32_t n);

private:
    int fd_ = -1;
    int length_ = 0;
};

}  // namespace platform
