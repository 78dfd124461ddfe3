// Files and folders over POSIX calls. Names are resolved without regard to
// case when the exact name is missing, because installations are copied
// from systems whose file names ignore case.
#include "platform/files.h"

#include <dirent.h>
#include <malloc.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {
namespace {

bool SameNameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of folder dir whose name equals name without regard to case
// (the first in sorted order when several do); empty when none does.
std::string FindNoCase(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::vector<std::string> found;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (SameNameNoCase(n, name)) found.push_back(n);
    }
    ::closedir(d);
    if (found.empty()) return {};
    std::sort(found.begin(), found.end());
    return found.front();
}

mode_t NewFileMode() {
    static const mode_t mode = [] {
        mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

bool WriteAllFd(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string JoinPath(const std::string& a, const std::string& b) {
    std::string tail = b;
    std::replace(tail.begin(), tail.end(), '\\', '/');
    if (a.empty()) return tail;
    if (tail.empty()) return a;
    std::string head = a;
    while (head.size() > 1 && head.back() == '/') head.pop_back();
    size_t skip = 0;
    while (skip < tail.size() && tail[skip] == '/') ++skip;
    tail.erase(0, skip);
    if (head == "/") return head + tail;
    return head + "/" + tail;
}

std::string ResolvePath(const std::string& path) {
    if (path.empty() || Exists(path)) return path;
    // Walk the components; each one that does not exist as spelled is
    // looked up without regard to case. From the first one that matches
    // nothing on, the rest is kept as given, so that a new file is created
    // with exactly its given name inside the existing folder.
    std::string out;
    size_t pos = 0;
    if (path[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool matching = true;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        std::string comp = path.substr(pos, slash - pos);
        std::string next = out.empty() || out.back() == '/' ? out + comp : out + "/" + comp;
        if (matching && !comp.empty() && comp != "." && comp != ".." && !Exists(next)) {
            std::string found = FindNoCase(out, comp);
            if (found.empty()) {
                matching = false;
            } else {
                next = out.empty() || out.back() == '/' ? out + found : out + "/" + found;
            }
        }
        out = next;
        if (slash == path.size()) break;
        pos = slash + 1;
    }
    if (path.back() == '/' && (out.empty() || out.back() != '/')) out += '/';
    return out;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
    struct stat st;
    return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SamePath(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(ResolvePath(a).c_str(), &sa) == 0 && ::stat(ResolvePath(b).c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool MakeDir(const std::string& path) {
    std::string p = ResolvePath(path);
    struct stat st;
    if (::stat(p.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    size_t slash = p.find_last_of('/', p.size() > 1 && p.back() == '/' ? p.size() - 2 : std::string::npos);
    if (slash != std::string::npos && slash > 0) MakeDir(p.substr(0, slash));
    if (::mkdir(p.c_str(), 0777) == 0) return true;
    return errno == EEXIST && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) {
    std::string p = ResolvePath(path);
    if (::unlink(p.c_str()) == 0) return true;
    return errno == ENOENT;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    std::string bytes;
    return ReadFile(from, bytes) && WriteFile(to, bytes);
}

bool RenameFile(const std::string& from, const std::string& to) {
    return ::rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) == 0;
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    if (::stat(ResolvePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

void GiveBackLargeBlocks() { ::mallopt(M_MMAP_THRESHOLD, 1 << 20); }

bool ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // Straight into the string, at the size the file has; a file that grows
    // meanwhile is read on to its end through the buffer.
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

std::string WriteTarget(const std::string& path) {
    std::string target = ResolvePath(path);
    // Through a link, the file it points at is replaced, not the link.
    if (char* real = ::realpath(target.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    return target;
}

namespace {
FileErrorWordsFn fileErrorWords = nullptr;

std::string Words(const char* key, const char* english) {
    std::string words = fileErrorWords ? fileErrorWords(key) : std::string();
    return words.empty() ? english : words;
}
}  // namespace

void SetFileErrorWords(FileErrorWordsFn words) { fileErrorWords = words; }

std::string FileErrorText(int err, const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!folder.empty() && !DirExists(folder)) return Words("errnopath", "Path not found");
    switch (err) {
    case ENOENT: return Words("errnofile", "File not found");
    case EACCES:
    case EPERM: return Words("errdenied", "Permission denied");
    case EROFS: return Words("errreadonly", "Read-only file system");
    case ENOSPC:
    case EDQUOT: return Words("errdiskfull", "Disk full");
    case EFBIG: return Words("errtoolarge", "File too large");
    case 0: return Words("erraccess", "File access error");
    default: return std::strerror(err);
    }
}

MappedFile::~MappedFile() {
    if (map_) ::munmap(map_, size_);
}

bool MappedFile::Open(const std::string& path) {
    int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISREG(st.st_mode) ? errno : EISDIR;
        ::close(fd);
        errno = err;
        return false;
    }
    size_ = static_cast<size_t>(st.st_size);
    if (size_ > 0) {
        // Read in at once: the records are then taken in any order.
        void* m = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (m == MAP_FAILED) {
            const int err = errno;
            ::close(fd);
            size_ = 0;
            errno = err;
            return false;
        }
        map_ = m;
    }
    ::close(fd);
    return true;
}

FileReplacement::FileReplacement(const std::string& path) : target_(WriteTarget(path)) {
    mode_t mode = NewFileMode();
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0) mode = st.st_mode & 07777;
    tmp_ = target_ + ".tmpXXXXXX";
    fd_ = ::mkstemp(tmp_.data());
    if (fd_ < 0) {
        err_ = errno;
        tmp_.clear();
    } else if (::fchmod(fd_, mode) != 0) {
        err_ = errno;
    }
}

FileReplacement::~FileReplacement() {
    const int err = errno;  // the caller's reason stays
    if (fd_ >= 0) ::close(fd_);
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    errno = err;
}

bool FileReplacement::Write(const char* data, size_t size) {
    if (err_ == 0 && (fd_ < 0 || !WriteAllFd(fd_, data, size))) err_ = fd_ < 0 ? EBADF : errno;
    errno = err_;
    return err_ == 0;
}

bool FileReplacement::Commit() {
    if (fd_ >= 0) {
        if (::close(fd_) != 0 && err_ == 0) err_ = errno;
        fd_ = -1;
    } else if (err_ == 0) {
        err_ = EBADF;  // committed before
    }
    if (err_ == 0 && ::rename(tmp_.c_str(), target_.c_str()) != 0) err_ = errno;
    if (err_ == 0) tmp_.clear();  // renamed: nothing to remove
    else if (!tmp_.empty()) {
        ::unlink(tmp_.c_str());
        tmp_.clear();
    }
    errno = err_;  // why the write failed, not what the clean-up met
    return err_ == 0;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    FileReplacement file(path);
    return file.Write(bytes) && file.Commit();
}

bool AppendFile(const std::string& path, const std::string& bytes) {
    int fd = ::open(ResolvePath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat st;
    const off_t start = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    bool ok = WriteAllFd(fd, bytes.data(), bytes.size());
    if (!ok && start >= 0) {
        // A full disk took part of the text: the part goes, so that the
        // file's next text starts a line of its own rather than ending this
        // one. Left as it is when another writer has appended meanwhile.
        const int saved = errno;
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        if (end > start && ::fstat(fd, &st) == 0 && st.st_size == end && ::ftruncate(fd, start) != 0) {
            // The part stays: nothing more can be done about it.
        }
        errno = saved;
    }
    const bool closed = ::close(fd) == 0;
    return closed && ok;
}

// --- RecordFile ---

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Open(const std::string& path, int recordLength, bool create) {
    Close();
    if (recordLength <= 0) return false;
    std::string p = ResolvePath(path);
    int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
    int fd = ::open(p.c_str(), flags, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    length_ = recordLength;
    return true;
}

void RecordFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int32_t RecordFile::Count() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
    int64_t n = static_cast<int64_t>(st.st_size) / length_;
    return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}

bool RecordFile::Read(int32_t n, std::string& record) const {
    if (fd_ < 0 || n < 1) return false;
    off_t offset = static_cast<off_t>(n - 1) * length_;
    record.assign(static_cast<size_t>(length_), ' ');
    size_t got = 0;
    while (got < record.size()) {
        ssize_t r = ::pread(fd_, record.data() + got, record.size() - got,
                            offset + static_cast<off_t>(got));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    return got > 0;
}

bool RecordFile::Write(int32_t n, const std::string& record) {
    if (fd_ < 0 || n < 1) return false;
    std::string data = record.substr(0, static_cast<size_t>(length_));
    data.resize(static_cast<size_t>(length_), ' ');
    off_t offset = static_cast<off_t>(n - 1) * length_;
    struct stat st;
    if (::fstat(fd_, &st) != 0) return false;
    // Records skipped over by writing past the end become blanks, not NULs.
    if (st.st_size < offset) {
        std::string gap(static_cast<size_t>(offset - st.st_size), ' ');
        data = gap + data;
        offset = st.st_size;
    }
    size_t done = 0;
    while (done < data.size()) {
        ssize_t w = ::pwrite(fd_, data.data() + done, data.size() - done,
                             offset + static_cast<off_t>(done));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}

bool RecordFile::Truncate(int32_t n) {
    if (fd_ < 0 || n < 0) return false;
    return ::ftruncate(fd_, static_cast<off_t>(n) * length_) == 0;
}

namespace {

// The files a process has open, each by the stat of what it reaches; false
// when they cannot be looked at (a process that is gone, or another user's).
bool OpenFilesOf(const std::string& pid, int skipFd, std::vector<struct stat>& files) {
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) return false;
    const std::string fds = "/proc/" + pid + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (!dir) return false;
    const bool self = pid == std::to_string(::getpid());
    while (const dirent* e = ::readdir(dir)) {
        struct stat st;
        if (e->d_name[0] == '.' || (self && std::atoi(e->d_name) == skipFd) ||
            ::stat((fds + "/" + e->d_name).c_str(), &st) != 0)
            continue;
        files.push_back(st);
    }
    ::closedir(dir);
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    if (S_ISCHR(a.st_mode)) return S_ISCHR(b.st_mode) && a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The words in a lock file name process pid, which is gone or can be seen
// not to have the file open (fd, this process's own look at it, aside).
bool StaleHolder(const std::string& pid, const std::string& path, int fd) {
    struct stat want;
    if (::stat(path.c_str(), &want) != 0) return false;
    std::vector<struct stat> files;
    if (!OpenFilesOf(pid, fd, files)) {
        struct stat proc;
        return ::stat(("/proc/" + pid).c_str(), &proc) != 0;
    }
    return std::none_of(files.begin(), files.end(),
                        [&](const struct stat& f) { return SameFile(f, want); });
}

}  // namespace

bool ProcessHasOpen(const std::string& pid, const std::string& path) {
    struct stat want;
    std::vector<struct stat> files;
    if (::stat(path.c_str(), &want) != 0 || !OpenFilesOf(pid, -1, files)) return false;
    return std::any_of(files.begin(), files.end(),
                       [&](const struct stat& f) { return SameFile(f, want); });
}

FolderLock::Result FolderLock::Hold(const std::string& folder, const std::string& who,
                                    std::string& holder) {
    Release();
    holder.clear();
    const std::string path = JoinPath(ResolvePath(folder), kFolderLockFile);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file that another user made, or one on a folder this user may
    // not write, still takes a lock through a read-only opening: a flock
    // does not need the file to be writable.
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        const int refused = errno;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        // No lock file to open: the reason is the refused writing.
        if (fd < 0) errno = refused;
    }
    if (fd < 0) return Result::Failed;
    const bool writable = (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EWOULDBLOCK) {
            char buf[512];
            const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
            if (n > 0) holder.assign(buf, static_cast<size_t>(n));
            // A holder that could not write the file left the words of an
            // earlier one: they name a process that does not hold it now.
            if (holder.rfind("pid ", 0) == 0) {
                const std::string pid = holder.substr(4, holder.find(':') - 4);
                if (StaleHolder(pid, path, fd)) holder.clear();
            }
        }
        ::close(fd);
        errno = err;
        return err == EWOULDBLOCK ? Result::Busy : Result::Failed;
    }
    fd_ = fd;
    // Who holds it, for the one refused; a failure here costs only that. A
    // holder that cannot write the file leaves another holder's words there.
    if (writable && ::ftruncate(fd_, 0) == 0) {
        ssize_t done = ::pwrite(fd_, who.data(), who.size(), 0);
        (void)done;
    }
    return Result::Held;
}

void FolderLock::Release() {
    if (fd_ < 0) return;
    // The file stays: removing it could let two runs hold two different files.
    ::close(fd_);
    fd_ = -1;
}

}  // namespace platform
