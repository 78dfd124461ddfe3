// Profile (INI) files. The file is kept as a list of lines, each with its own
// line ending, so that an edit changes only the lines it must and leaves
// every other byte of the file as it was.
#include "platform/profile.h"

#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace platform {
namespace {

// The names and values given as arguments lose their spaces, and only their
// spaces: a tab or a vertical tab at the edge of an argument is part of it.
std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

// The blanks that the lines of a file lose around a key, a value, a section
// name and before a header or a comment. A NUL byte (the filler some editors
// leave after the last line) counts as one, so a line of them is blank.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\0';
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A name whose edges the file would trim away does not read back by the name
// given.
bool HasBlankEdge(const std::string& name) {
    return !name.empty() && (IsBlank(name.front()) || IsBlank(name.back()));
}

// Upper case of a Windows-1252 byte: ASCII letters, the accented letters of
// the Latin-1 range and the four letters of the 0x80 block with a pair.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

// A name as the comparisons see it, for indexing.
std::string FoldName(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
    return out;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// CR and LF in a written text would break the line structure of the file;
// each becomes a blank.
std::string OneLine(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// A section name that a header line holds whole: "[name]" reads back as name
// (the header ends at its first "]", and a line ends at CR or LF).
bool FitsHeader(const std::string& name) {
    return name.find_first_of("\r\n]") == std::string::npos && !HasBlankEdge(name);
}

// A key name that a key line holds whole: "name=value" reads back with this
// name (the name ends at the first "=", and a line that starts with "[" is a
// header and one that starts with ";" a comment).
bool FitsKey(const std::string& name) {
    if (name.find_first_of("\r\n=") != std::string::npos || HasBlankEdge(name)) return false;
    return name.empty() || (name[0] != '[' && name[0] != ';');
}

enum class Kind { Blank, Comment, Section, Key };

struct Line {
    std::string text;    // without the line ending
    std::string ending;  // "\r\n", "\r", "\n" or "" (last line without one)
    Kind kind = Kind::Blank;
    std::string name;    // section name or key, trimmed
    bool hasValue = false;
    std::string value;   // trimmed, quotes kept
};

void Classify(Line& line) {
    std::string t = TrimBlanks(line.text);
    line.name.clear();
    line.value.clear();
    line.hasValue = false;
    if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t[0] == ';') {
        line.kind = Kind::Comment;
    } else if (t[0] == '[') {
        // The name ends at the first "]"; a header without one still opens
        // its section, named by the rest of the line.
        line.kind = Kind::Section;
        size_t close = t.find(']', 1);
        line.name = TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    } else {
        line.kind = Kind::Key;
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            line.name = t;
        } else {
            line.name = TrimBlanks(t.substr(0, eq));
            line.value = TrimBlanks(t.substr(eq + 1));
            line.hasValue = true;
        }
    }
}

struct Profile {
    std::string path;  // resolved
    bool exists = false;
    // There but cannot be read (not a file, not readable, or larger than
    // kProfileMaxBytes): read as empty, never written over.
    bool unreadable = false;
    std::vector<Line> lines;
};

// The file of the open ProfileBatch, held in memory until it is committed.
struct BatchFile {
    Profile profile;
    bool changed = false;
};
std::unique_ptr<BatchFile> batchFile;

// A line ends at CR LF, at a CR alone or at an LF alone.
void ParseLines(const std::string& bytes, Profile& p) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        Line line;
        if (end == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            size_t next = end + 1;
            if (bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
            line.text = bytes.substr(pos, end - pos);
            line.ending = bytes.substr(end, next - end);
            pos = next;
        }
        Classify(line);
        p.lines.push_back(std::move(line));
    }
}

// The lines [begin, end) of the body of the first section of that name;
// begin is the header's index.
struct Range {
    size_t header, end;
};

// What identifies one version of a file's contents: a write in place changes
// the size or the change time, a replacement the inode.
struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{}, ctime{};
};

FileStamp StampOf(const struct stat& st) {
    return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.dev == b.dev && a.ino == b.ino && a.size == b.size && SameTime(a.mtime, b.mtime) &&
           SameTime(a.ctime, b.ctime);
}

// A file read once and kept with an index of its first sections and their
// first keys, as the lookups find them.
struct Snapshot {
    Profile profile;
    FileStamp stamp;
    // False when the file had changed so shortly before it was read that a
    // later change could leave the same times behind (the file system keeps
    // times at a coarse step): such a copy is used again only while the
    // file's bytes, read again, are the bytes it was made from (kept in
    // bytes).
    std::atomic<bool> settled{false};
    std::string bytes;
    std::unordered_map<std::string, Range> sections;  // folded name -> first section of it
    std::unordered_map<size_t, std::unordered_map<std::string, size_t>> keys;  // header -> folded key -> line
};


bool ChangedBefore(const timespec& t, const timespec& limit) {
    return t.tv_sec < limit.tv_sec || (t.tv_sec == limit.tv_sec && t.tv_nsec < limit.tv_nsec);
}

void IndexSnapshot(Snapshot& s) {
    const std::vector<Line>& lines = s.profile.lines;
    Range* current = nullptr;  // the section being indexed, when it is the first of its name
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.kind == Kind::Section) {
            if (current) current->end = i;
            auto [it, added] = s.sections.emplace(FoldName(l.name), Range{i, lines.size()});
            current = added ? &it->second : nullptr;
        } else if (l.kind == Kind::Key && current) {
            s.keys[current->header].emplace(FoldName(l.name), i);  // the first one stays
        }
    }
}

// Profile files read again and again (texts, the register list, the options
// of the run) come from memory while the file on disk is the one that was
// read; every call still looks at the file's stamp, so that a change by any
// program is seen by the next read. Our own writes drop the copy.
std::mutex cacheMutex;
std::unordered_map<std::string, std::shared_ptr<Snapshot>> cache;
constexpr size_t kCacheFiles = 64;

void Forget(const std::string& path) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache.erase(path);
}

// The file's bytes and status as one read found them.
struct RawRead {
    bool ok = false;
    struct stat st {};
    timespec start{};  // when the read began
    std::string bytes;
};

RawRead ReadRaw(const std::string& path) {
    RawRead r;
    ::clock_gettime(CLOCK_REALTIME, &r.start);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // A file far larger than any profile is not read at all; one that grows
    // past the bound while it is read is given up.
    r.ok = fd >= 0 && ::fstat(fd, &r.st) == 0 && S_ISREG(r.st.st_mode) &&
           r.st.st_size <= kProfileMaxBytes;
    if (r.ok) {
        r.bytes.reserve(static_cast<size_t>(r.st.st_size));
        char buf[65536];
        for (;;) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0) {
                if (errno == EINTR) continue;
                r.ok = false;
                break;
            }
            if (n == 0) break;
            r.bytes.append(buf, static_cast<size_t>(n));
            if (r.bytes.size() > static_cast<size_t>(kProfileMaxBytes)) {
                r.ok = false;
                r.bytes = std::string();
                break;
            }
        }
    }
    if (fd >= 0) ::close(fd);
    return r;
}

// The file had not changed within kProfileSettleMs before the read began.
bool Settled(const RawRead& r) {
    timespec limit = r.start;
    limit.tv_sec -= kProfileSettleMs / 1000;
    limit.tv_nsec -= (kProfileSettleMs % 1000) * 1'000'000L;
    if (limit.tv_nsec < 0) {
        limit.tv_nsec += 1'000'000'000L;
        --limit.tv_sec;
    }
    return ChangedBefore(r.st.st_mtim, limit) && ChangedBefore(r.st.st_ctim, limit);
}

std::shared_ptr<Snapshot> MakeSnapshot(const std::string& path, RawRead&& r) {
    auto s = std::make_shared<Snapshot>();
    s->profile.path = path;
    if (!r.ok) {
        struct stat there;
        s->profile.unreadable = ::stat(path.c_str(), &there) == 0;
        return s;
    }
    s->stamp = StampOf(r.st);
    s->profile.exists = true;
    ParseLines(r.bytes, s->profile);
    IndexSnapshot(*s);
    s->settled = Settled(r);
    if (!s->settled) s->bytes = std::move(r.bytes);
    return s;
}

// The file as it is on disk now: the copy in memory when the file's stamp
// is the one it was read with (and, for a copy of a file that had only just
// changed, when the file still holds the same bytes), else the file read
// again.
std::shared_ptr<const Snapshot> Current(const std::string& path) {
    struct stat st;
    bool there = ::stat(path.c_str(), &st) == 0;
    std::shared_ptr<Snapshot> unsure;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        auto it = cache.find(path);
        if (it != cache.end()) {
            if (there && SameStamp(it->second->stamp, StampOf(st))) {
                if (it->second->settled) return it->second;
                unsure = it->second;
            } else {
                cache.erase(it);
            }
        }
    }
    RawRead r = ReadRaw(path);
    if (unsure && r.ok && SameStamp(unsure->stamp, StampOf(r.st)) && r.bytes == unsure->bytes) {
        // The bytes it was made from: the copy serves; once the file is
        // older than the settling time its stamp alone will do.
        if (Settled(r)) unsure->settled = true;
        return unsure;
    }
    std::shared_ptr<Snapshot> s = MakeSnapshot(path, std::move(r));
    if (s->profile.exists) {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (cache.size() >= kCacheFiles) cache.clear();
        cache[path] = s;
    } else if (unsure) {
        Forget(path);
    }
    return s;
}

// What a read looks at: the lines of the file, and its index when it has
// one (a file held by an open ProfileBatch is looked through line by line).
struct View {
    std::shared_ptr<const Snapshot> hold;
    const Profile* profile = nullptr;
    const Snapshot* index = nullptr;
};

View Read(const char* file) {
    View v;
    std::string path = ResolvePath(file);
    if (batchFile && path == batchFile->profile.path) {
        v.profile = &batchFile->profile;
        return v;
    }
    v.hold = Current(path);
    v.profile = &v.hold->profile;
    v.index = v.hold.get();
    return v;
}

// A copy of the file's lines to edit.
Profile Load(const char* file) {
    View v = Read(file);
    return *v.profile;
}

// Writes the lines back; a line without an ending (the file's last line, as
// it was found) gets CR LF, so that nothing written after it joins it.
bool Save(const Profile& p) {
    if (batchFile && p.path == batchFile->profile.path) {
        batchFile->profile = p;
        batchFile->changed = true;
        return true;
    }
    std::string bytes;
    for (const Line& l : p.lines) bytes += l.text + (l.ending.empty() ? "\r\n" : l.ending);
    bool ok = WriteFile(p.path, bytes);
    int err = errno;
    Forget(p.path);
    errno = err;
    return ok;
}

Line MakeLine(const std::string& text) {
    Line l;
    l.text = text;
    l.ending = "\r\n";
    Classify(l);
    return l;
}

// The first section of that name; nothing when the section is missing.
std::optional<Range> FindSection(const Profile& p, const std::string& name, size_t from = 0) {
    for (size_t i = from; i < p.lines.size(); ++i) {
        if (p.lines[i].kind == Kind::Section && SameName(p.lines[i].name, name)) {
            size_t e = i + 1;
            while (e < p.lines.size() && p.lines[e].kind != Kind::Section) ++e;
            return Range{i, e};
        }
    }
    return std::nullopt;
}

const Line* FindKey(const Profile& p, const Range& r, const std::string& key) {
    for (size_t i = r.header + 1; i < r.end; ++i)
        if (p.lines[i].kind == Kind::Key && SameName(p.lines[i].name, key)) return &p.lines[i];
    return nullptr;
}

// The same two lookups through the index when the view has one.
std::optional<Range> FindSection(const View& v, const std::string& name) {
    if (!v.index) return FindSection(*v.profile, name);
    auto it = v.index->sections.find(FoldName(name));
    if (it == v.index->sections.end()) return std::nullopt;
    return it->second;
}

const Line* FindKey(const View& v, const Range& r, const std::string& key) {
    if (!v.index) return FindKey(*v.profile, r, key);
    auto section = v.index->keys.find(r.header);
    if (section == v.index->keys.end()) return nullptr;
    auto it = section->second.find(FoldName(key));
    if (it == section->second.end()) return nullptr;
    return &v.profile->lines[it->second];
}

std::string StripQuotes(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

// The value of the key as a read returns it; nothing when the key is absent
// or has no "=".
std::optional<std::string> ReadValue(const char* section, const char* key, const char* file) {
    if (!section || !key || !file) return std::nullopt;
    View v = Read(file);
    auto r = FindSection(v, Trim(section));
    if (!r) return std::nullopt;
    const Line* l = FindKey(v, *r, Trim(key));
    if (!l || !l->hasValue) return std::nullopt;
    return StripQuotes(l->value);
}

// Copies a value with the value rule: cut to size - 1.
uint32_t CopyValue(const std::string& v, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return 0;
    uint32_t n = v.size() < size ? static_cast<uint32_t>(v.size()) : size - 1;
    std::memcpy(buffer, v.data(), n);
    buffer[n] = '\0';
    return n;
}

// A name that a double-NUL list can hold: not empty (it would end the list
// there) and without a NUL of its own (it would cut it).
bool ListName(const std::string& name) {
    return !name.empty() && name.find('\0') == std::string::npos;
}

// Copies a list with the list rule: every item ends in NUL and the list in a
// second NUL. The list must leave one byte of the buffer to spare; one that
// does not (even one that only just fits) is cut, ends in two NULs and the
// result is size - 2. Below two bytes there is room for one NUL only.
uint32_t CopyList(const std::vector<std::string>& items, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return 0;
    std::string all;
    for (const std::string& s : items) {
        all += s;
        all += '\0';
    }
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    if (all.size() + 2 <= size) {
        std::memcpy(buffer, all.data(), all.size());
        buffer[all.size()] = '\0';
        if (all.empty()) buffer[1] = '\0';
        return static_cast<uint32_t>(all.size());
    }
    std::memcpy(buffer, all.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// Removes trailing spaces, as the A-function does with a default.
std::string DefaultText(const char* def) {
    std::string d = def ? def : "";
    while (!d.empty() && d.back() == ' ') d.pop_back();
    return d;
}

// Appends a new section header at the end of the file; returns its range.
Range AppendSection(Profile& p, const std::string& name) {
    p.lines.push_back(MakeLine("[" + name + "]"));
    return Range{p.lines.size() - 1, p.lines.size()};
}

// Where a new key line goes: after the last key line of the section, or
// right after the header, so that blank lines before the next section stay
// where they are.
size_t InsertPoint(const Profile& p, const Range& r) {
    size_t at = r.header + 1;
    for (size_t i = r.header + 1; i < r.end; ++i)
        if (p.lines[i].kind == Kind::Key) at = i + 1;
    return at;
}

void InsertLine(Profile& p, size_t at, const std::string& text) {
    p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(text));
}

bool DeleteSections(Profile& p, const std::string& name) {
    bool changed = false;
    while (auto r = FindSection(p, name)) {
        p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(r->header),
                      p.lines.begin() + static_cast<std::ptrdiff_t>(r->end));
        changed = true;
    }
    return changed;
}

}  // namespace

uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* def,
                                  char* buffer, uint32_t size, const char* file) {
    if (!buffer || size == 0) return 0;
    if (!file) return CopyValue(DefaultText(def), buffer, size);
    View v = Read(file);
    const Profile& p = *v.profile;
    // In both lists an empty name is left out: it would end the list there.
    std::vector<std::string> items;
    if (!section) {
        // A missing file gives an empty list of one NUL; the rest of the
        // buffer stays as it was.
        if (!p.exists) {
            buffer[0] = '\0';
            return 0;
        }
        for (const Line& l : p.lines)
            if (l.kind == Kind::Section && ListName(l.name)) items.push_back(l.name);
        return CopyList(items, buffer, size);
    }
    auto r = FindSection(v, Trim(section));
    if (!key) {
        if (r)
            for (size_t i = r->header + 1; i < r->end; ++i) {
                const Line& l = p.lines[i];
                if (l.kind == Kind::Key && l.hasValue && ListName(l.name)) items.push_back(l.name);
            }
        if (items.empty()) return CopyValue(DefaultText(def), buffer, size);
        return CopyList(items, buffer, size);
    }
    const Line* l = r ? FindKey(v, *r, Trim(key)) : nullptr;
    if (l && l->hasValue) return CopyValue(StripQuotes(l->value), buffer, size);
    return CopyValue(DefaultText(def), buffer, size);
}

uint32_t GetPrivateProfileIntA(const char* section, const char* key, int def, const char* file) {
    auto v = ReadValue(section, key, file);
    if (!v || v->empty()) return static_cast<uint32_t>(def);
    const std::string& s = *v;
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    uint32_t n = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        n = n * 10u + static_cast<uint32_t>(s[i++] - '0');  // wraps as the A-function does
    return negative ? 0u - n : n;
}

uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                   const char* file) {
    if (!buffer || size == 0) return 0;
    std::vector<std::string> items;
    if (section && file) {
        View v = Read(file);
        const Profile& p = *v.profile;
        if (auto r = FindSection(v, Trim(section))) {
            for (size_t i = r->header + 1; i < r->end; ++i) {
                const Line& l = p.lines[i];
                if (l.kind != Kind::Key) continue;
                // A line without "=" comes back as it stands; one with an
                // empty key name as "=value". A NUL would cut the list.
                std::string item = l.hasValue ? l.name + "=" + l.value : l.name;
                if (item.find('\0') == std::string::npos) items.push_back(std::move(item));
            }
        }
    }
    return CopyList(items, buffer, size);
}

int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file) {
    // Without a section there is nothing to write; all three null is a
    // request to flush a cache, which this layer does not keep: FALSE too.
    if (!file || !section) return 0;
    Profile p = Load(file);
    if (p.unreadable) return 0;
    std::string sec = Trim(section);
    // A deletion from a missing file leaves an empty file there.
    if ((!key || !value) && !p.exists) return Save(p) ? 1 : 0;
    if (!key) {
        if (!DeleteSections(p, sec)) return 1;
        return Save(p) ? 1 : 0;
    }
    std::string k = Trim(key);
    auto r = FindSection(p, sec);
    if (!value) {
        if (!r) return 1;
        bool changed = false;
        for (size_t i = r->end; i-- > r->header + 1;) {
            if (p.lines[i].kind == Kind::Key && SameName(p.lines[i].name, k)) {
                p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(i));
                changed = true;
            }
        }
        if (!changed) return 1;
        return Save(p) ? 1 : 0;
    }
    // A name that the file cannot hold as given would not read back.
    if (!FitsHeader(sec) || !FitsKey(k)) return 0;
    std::string v = OneLine(value);
    if (!r) r = AppendSection(p, sec);
    for (size_t i = r->header + 1; i < r->end; ++i) {
        Line& l = p.lines[i];
        if (l.kind == Kind::Key && SameName(l.name, k)) {
            std::string text = l.name + "=" + v;
            if (text == l.text) return 1;
            l.text = text;
            Classify(l);
            return Save(p) ? 1 : 0;
        }
    }
    InsertLine(p, InsertPoint(p, *r), k + "=" + v);
    return Save(p) ? 1 : 0;
}

int WritePrivateProfileSectionA(const char* section, const char* data, const char* file) {
    if (!file || !section) return 0;
    std::string sec = Trim(section);
    Profile p = Load(file);
    if (p.unreadable) return 0;
    if (!data) {
        if (!p.exists) return Save(p) ? 1 : 0;  // an empty file, as a key deletion leaves
        if (!DeleteSections(p, sec)) return 1;
        return Save(p) ? 1 : 0;
    }
    if (!FitsHeader(sec)) return 0;
    std::vector<std::string> texts;
    for (const char* item = data; *item; item += std::strlen(item) + 1) {
        std::string text = TrimBlanks(OneLine(item));
        if (text.empty()) continue;
        if (text[0] == '[') return 0;  // would open another section
        size_t eq = text.find('=');
        if (eq != std::string::npos) text = Trim(text.substr(0, eq)) + "=" + Trim(text.substr(eq + 1));
        texts.push_back(std::move(text));
    }
    auto r = FindSection(p, sec);
    if (!r) {
        r = AppendSection(p, sec);
    } else {
        // Drop the body, keeping the blank lines that end it.
        size_t keepFrom = r->end;
        while (keepFrom > r->header + 1 && p.lines[keepFrom - 1].kind == Kind::Blank) --keepFrom;
        p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(r->header + 1),
                      p.lines.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    }
    size_t at = r->header + 1;
    for (const std::string& text : texts) InsertLine(p, at++, text);
    return Save(p) ? 1 : 0;
}

std::string ProfileString(const std::string& section, const std::string& key,
                          const std::string& def, const std::string& file) {
    auto v = ReadValue(section.c_str(), key.c_str(), file.c_str());
    return v ? *v : def;
}

int ProfileInt(const std::string& section, const std::string& key, int def,
               const std::string& file) {
    return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), def, file.c_str()));
}

bool ProfileHasKey(const std::string& section, const std::string& key, const std::string& file) {
    return ReadValue(section.c_str(), key.c_str(), file.c_str()).has_value();
}

bool ProfileUnreadable(const std::string& file) { return Read(file.c_str()).profile->unreadable; }

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool DeleteProfileKey(const std::string& section, const std::string& key, const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != 0;
}

std::vector<std::pair<std::string, std::string>> ProfileSection(const std::string& section,
                                                                const std::string& file) {
    std::vector<std::pair<std::string, std::string>> out;
    View v = Read(file.c_str());
    const Profile& p = *v.profile;
    if (auto r = FindSection(v, Trim(section))) {
        for (size_t i = r->header + 1; i < r->end; ++i) {
            const Line& l = p.lines[i];
            if (l.kind == Kind::Key) out.emplace_back(l.name, l.value);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// ProfileBatch

ProfileBatch::ProfileBatch(const std::string& file) {
    if (batchFile) return;  // one at a time: this one writes through
    Profile p = Load(file.c_str());
    batchFile = std::make_unique<BatchFile>(BatchFile{std::move(p), false});
    open_ = true;
}

ProfileBatch::~ProfileBatch() {
    if (open_) batchFile.reset();
}

bool ProfileBatch::Commit() {
    if (!open_) return true;
    open_ = false;
    std::unique_ptr<BatchFile> b = std::move(batchFile);
    return !b->changed || Save(b->profile);
}

// ---------------------------------------------------------------------------
// ProfileReader

struct ProfileReader::Lines {
    Profile profile;
};

ProfileReader::ProfileReader(std::string file) : file_(std::move(file)) {}

ProfileReader::~ProfileReader() = default;

const ProfileReader::Section& ProfileReader::Index(const std::string& section) {
    const std::string name = FoldName(Trim(section));
    auto it = sections_.find(name);
    if (it != sections_.end()) return it->second;
    Section& keys = sections_[name];
    if (file_.empty()) return keys;
    if (!lines_) lines_ = std::make_unique<Lines>(Lines{Load(file_.c_str())});
    const Profile& p = lines_->profile;
    if (auto r = FindSection(p, Trim(section)))
        for (size_t i = r->header + 1; i < r->end; ++i) {
            const Line& l = p.lines[i];
            // The first of repeated keys stays, as in a single read; a key
            // line without "=" is there but has no value.
            if (l.kind != Kind::Key) continue;
            keys.emplace(FoldName(l.name), l.hasValue ? std::optional<std::string>(StripQuotes(l.value))
                                                      : std::nullopt);
        }
    return keys;
}

bool ProfileReader::Get(const std::string& section, const std::string& key, std::string& value,
                        size_t maxLength) {
    const Section& keys = Index(section);
    auto it = keys.find(FoldName(Trim(key)));
    if (it == keys.end() || !it->second) return false;
    value = *it->second;
    if (value.size() > maxLength) value.resize(maxLength);
    return true;
}

}  // namespace platform
