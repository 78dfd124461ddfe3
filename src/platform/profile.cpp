// Profile (INI) files. The file is kept as its own bytes with the offsets of
// its section and key lines, so that a file costs little more memory than its
// size whatever its lines, and an edit changes only the bytes it must and
// leaves every other byte of the file as it was.
#include "platform/profile.h"

#include "platform/files.h"

#include <fcntl.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
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
// leave after the last line) counts as one, so a line of them is blank, and
// one inside a name or a value reads as a space.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\0';
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string TrimBlanks(const std::string& s) { return std::string(TrimBlanks(std::string_view(s))); }

// A name or a value of the file as the reads give it: a NUL in it is the
// blank it stands for.
std::string Text(std::string_view s) {
    std::string out(s);
    std::replace(out.begin(), out.end(), '\0', ' ');
    return out;
}

// A name whose edges the file would trim away does not read back by the name
// given.
bool HasBlankEdge(const std::string& name) {
    return !name.empty() && (IsBlank(name.front()) || IsBlank(name.back()));
}

// Upper case of a Windows-1252 byte: ASCII letters, the accented letters of
// the Latin-1 range and the four letters of the 0x80 block with a pair. A
// NUL compares as the blank it stands for.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    if (c == 0) return ' ';
    return c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A hash of a name as the comparisons see it.
uint32_t HashName(std::string_view s) {
    uint32_t h = 2166136261u;
    for (char c : s) h = (h ^ FoldCase(static_cast<unsigned char>(c))) * 16777619u;
    return h;
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

// One line of the file, as found at its offset: views into the file's bytes.
struct Line {
    size_t start = 0, textEnd = 0, next = 0;  // text is [start, textEnd), the ending up to next
    Kind kind = Kind::Blank;
    std::string_view name;  // section name or key, trimmed
    bool hasValue = false;
    std::string_view value;  // trimmed, quotes kept
};

bool IsEnd(char c) { return c == '\r' || c == '\n'; }

// The end of the line's text and the start of the next line: a line ends at
// CR LF, at a CR alone or at an LF alone.
void LineBounds(const std::string& b, size_t start, size_t& textEnd, size_t& next) {
    const char* d = b.data();
    const size_t n = b.size();
    size_t i = start;
    // Eight bytes at a time while none of them is below 14 (CR is 13, LF 10).
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    for (uint64_t x; i + 8 <= n; i += 8) {
        std::memcpy(&x, d + i, 8);
        if ((x - kOnes * 14) & ~x & kHighs) break;
    }
    while (i < n && !IsEnd(d[i])) ++i;
    textEnd = i;
    if (i < n) i += (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ? 2 : 1;
    next = i;
}

// The line ends (CR or LF) of a file's bytes, found in order sixteen bytes
// at a time: a file of many short lines is looked through at the speed of
// its bytes, not of its lines.
class LineEnds {
public:
    explicit LineEnds(const std::string& b) : d_(b.data()), n_(b.size()) {}

    // The first CR or LF at or after i (the size when there is none); i
    // never goes back from one call to the next.
    size_t From(size_t i) {
#if defined(__SSE2__)
        for (;;) {
            if (!loaded_ || i >= block_ + 16) {
                if (i + 16 > n_) break;
                Load(i);
            }
            const uint32_t m = ends_ & (0xFFFFu << (i - block_));
            if (m) return block_ + static_cast<size_t>(__builtin_ctz(m));
            i = block_ + 16;
        }
#endif
        while (i < n_ && !IsEnd(d_[i])) ++i;
        return i;
    }

private:
#if defined(__SSE2__)
    void Load(size_t at) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d_ + at));
        const __m128i end = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\n')));
        ends_ = static_cast<uint32_t>(_mm_movemask_epi8(end));
        block_ = at;
        loaded_ = true;
    }
    size_t block_ = 0;  // the sixteen bytes whose ends are the bits of ends_
    uint32_t ends_ = 0;
    bool loaded_ = false;
#endif
    const char* d_;
    size_t n_;
};

Line LineAt(const std::string& b, size_t start) {
    Line line;
    line.start = start;
    LineBounds(b, start, line.textEnd, line.next);
    std::string_view t = TrimBlanks(std::string_view(b).substr(start, line.textEnd - start));
    if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t[0] == ';') {
        line.kind = Kind::Comment;
    } else if (t[0] == '[') {
        // The name ends at the first "]"; a header without one still opens
        // its section, named by the rest of the line.
        line.kind = Kind::Section;
        size_t close = t.find(']', 1);
        line.name = TrimBlanks(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    } else {
        line.kind = Kind::Key;
        size_t eq = t.find('=');
        if (eq == std::string_view::npos) {
            line.name = t;
        } else {
            line.name = TrimBlanks(t.substr(0, eq));
            line.value = TrimBlanks(t.substr(eq + 1));
            line.hasValue = true;
        }
    }
    return line;
}

// The first character of the line after its blanks: '[' for a header, the
// end of the line, ';' for a blank line or a comment, anything else for a key.
char LeadOf(const std::string& b, size_t start) {
    size_t i = start;
    while (i < b.size() && IsBlank(b[i])) ++i;
    return i < b.size() ? b[i] : '\n';
}

// The name of the section or key line at start, as LineAt reads it (the
// text after "[" up to the first "]", or up to the first "=", or up to the
// line's end; blanks trimmed), taken without the rest of the line.
std::string_view NameAt(const std::string& b, size_t start) {
    const char* d = b.data();
    const size_t n = b.size();
    size_t i = start;
    while (i < n && IsBlank(d[i])) ++i;
    const bool header = i < n && d[i] == '[';
    if (header)
        for (++i; i < n && IsBlank(d[i]);) ++i;
    const size_t from = i;
    const char stop = header ? ']' : '=';
    while (i < n && d[i] != stop && !IsEnd(d[i])) ++i;
    while (i > from && IsBlank(d[i - 1])) --i;
    return std::string_view(d + from, i - from);
}

struct Profile {
    std::string path;  // resolved
    bool exists = false;
    // There but cannot be read (not a file, not readable, or larger than
    // kProfileMaxBytes): read as empty, never written over.
    bool unreadable = false;
    std::string bytes;            // the file
    std::vector<uint32_t> lines;  // offset of every section header and key line, in file order
    // The first header of each name that the edits of this copy looked for,
    // by line number, kept in step with the lines inserted and erased: a
    // file edited key after key is not searched again for every key.
    mutable std::vector<std::pair<std::string, size_t>> hints;
    // Once a name was looked for through the whole file: a bit for the hash
    // of every header's name, so that a name with no bit set is known to be
    // missing without another look through the file. A bit left by a section
    // erased since costs a look, no more.
    mutable std::vector<uint64_t> headerNames;
    // The table of first sections of the index of the copy these lines were
    // moved from (see LineIndex): a name whose tag no slot bears was no
    // header then, and a header added since has its hint; let go with the
    // hints.
    mutable std::vector<uint32_t> knownHeaders;

    Line At(size_t item) const { return LineAt(bytes, lines[item]); }
    std::string_view NameOf(size_t item) const { return NameAt(bytes, lines[item]); }
    Kind KindOf(size_t item) const {
        return LeadOf(bytes, lines[item]) == '[' ? Kind::Section : Kind::Key;
    }
};

// The file of the open ProfileBatch, held in memory until it is committed.
struct BatchFile {
    Profile profile;
    bool changed = false;
};
std::unique_ptr<BatchFile> batchFile;

// A file saved by a text editor as UTF-8 may begin with a byte-order mark:
// the lines start after it, and it stays in place when the file is written.
size_t FirstLine(const std::string& b) { return b.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; }

// Finds the section and key lines; blank lines and comments are the bytes
// between them.
void ParseLines(Profile& p) {
    const std::string& b = p.bytes;
    p.hints.clear();
    p.headerNames.clear();
    p.knownHeaders.clear();
    // Counted first, so that the offsets take their room once and no more.
    auto each = [&](auto&& take) {
        LineEnds ends(b);
        const size_t n = b.size();
        size_t pos = FirstLine(b);
        while (pos < n) {
            const char lead = LeadOf(b, pos);
            if (!IsEnd(lead) && lead != ';') take(pos);
            const size_t e = ends.From(pos);
            pos = e == n ? n : e + ((b[e] == '\r' && e + 1 < n && b[e + 1] == '\n') ? 2 : 1);
        }
    };
    size_t count = 0;
    each([&](size_t) { ++count; });
    std::vector<uint32_t>().swap(p.lines);
    p.lines.reserve(count);
    each([&](size_t pos) { p.lines.push_back(static_cast<uint32_t>(pos)); });
}

// The lines [header, end) of the first section of that name, as indexes of
// Profile::lines; header is the header's.
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

// An index of the first section of each name, built with the copy of the
// file, and of the first key of each name in the sections whose keys are
// looked up, each built at the first lookup of a key in its section (a file
// may hold sections of many lines that no read asks about). Open-addressing
// tables whose slots hold a line number plus one (0 is a free slot) in the
// low 24 bits and 8 bits of the name's hash above, so that a probe looks at
// the file's bytes only when those bits agree, and the index costs a few
// bytes per line. A file of kProfileMaxBytes has fewer than 2^23 lines. A
// section of a few lines is looked through instead.
class LineIndex {
public:
    void Build(const Profile& p) {
        size_t sections = 0;
        for (size_t i = 0; i < p.lines.size(); ++i)
            if (p.KindOf(i) == Kind::Section) ++sections;
        headers_.reserve(sections);
        for (size_t i = 0; i < p.lines.size(); ++i)
            if (p.KindOf(i) == Kind::Section) headers_.push_back(static_cast<uint32_t>(i));
        sections_.assign(TableSize(sections), 0);
        TakeAll(sections_, p, headers_.size(), [&](size_t n) { return headers_[n]; });
    }

    std::optional<Range> FindSection(const Profile& p, std::string_view name) const {
        auto item = Find(sections_, p, name);
        if (!item) return std::nullopt;
        return Range{*item, EndOf(p, *item)};
    }

    std::optional<size_t> FindKey(const Profile& p, const Range& r, std::string_view key) const {
        if (r.end - r.header <= kLookThrough) {
            for (size_t i = r.header + 1; i < r.end; ++i)
                if (SameName(p.NameOf(i), key)) return i;
            return std::nullopt;
        }
        return Find(KeysOf(p, r), p, key);
    }

    // The table of first sections, taken out of the index.
    std::vector<uint32_t> TakeSections() { return std::move(sections_); }
    // Some header of the file the table was made for may have that name:
    // a slot of its probe bears its hash's tag.
    static bool MayHold(const std::vector<uint32_t>& sections, std::string_view name) {
        if (sections.empty()) return false;
        const uint32_t h = HashName(name);
        const size_t mask = sections.size() - 1;
        for (size_t s = h & mask; sections[s]; s = (s + 1) & mask)
            if (Tag(sections[s]) == Tag(h)) return true;
        return false;
    }

private:
    static constexpr size_t kLookThrough = 16;
    static constexpr uint32_t kItemBits = 24, kItemMask = (1u << kItemBits) - 1;

    static uint32_t Tag(uint32_t h) { return h >> kItemBits; }
    // Room for n names at most three quarters full (a power of two).
    static size_t TableSize(size_t n) {
        size_t size = 16;
        while (size * 3 < n * 4) size *= 2;
        return size;
    }
    // Places the name of one line, unless it has a slot: the first one wins.
    static bool Place(std::vector<uint32_t>& table, const Profile& p, size_t item, std::string_view name,
                      uint32_t h) {
        const size_t mask = table.size() - 1;
        size_t s = h & mask;
        for (; table[s]; s = (s + 1) & mask)
            if (Tag(table[s]) == Tag(h) && SameName(p.NameOf((table[s] & kItemMask) - 1), name)) return false;
        table[s] = (Tag(h) << kItemBits) | static_cast<uint32_t>(item + 1);
        return true;
    }
    // Places the lines items(0) ... items(count - 1), each under its name
    // unless an earlier line has that name (the first one wins); the table
    // grows with the names it takes (many lines may repeat one name). Each
    // line's name is hashed and its slot fetched some lines ahead of its
    // placing: the slots are far apart in a large table, and their fetches
    // from memory overlap instead of coming one after the other.
    template <class Items>
    static void TakeAll(std::vector<uint32_t>& table, const Profile& p, size_t count, Items items) {
        constexpr size_t kAhead = 16;
        struct Ahead {
            std::string_view name;
            uint32_t hash;
        } ahead[kAhead];
        size_t mask = table.size() - 1, names = 0;
        auto fetch = [&](size_t n) {
            Ahead& a = ahead[n % kAhead];
            a.name = p.NameOf(items(n));
            a.hash = HashName(a.name);
            __builtin_prefetch(&table[a.hash & mask], 1);
        };
        for (size_t n = 0; n < count && n < kAhead; ++n) fetch(n);
        for (size_t n = 0; n < count; ++n) {
            const Ahead a = ahead[n % kAhead];
            if (n + kAhead < count) fetch(n + kAhead);
            if (TableSize(names + 1) > table.size()) {
                std::vector<uint32_t> old(table.size() * 2, 0);
                old.swap(table);
                for (uint32_t slot : old) {
                    if (!slot) continue;
                    const size_t item = (slot & kItemMask) - 1;
                    const std::string_view name = p.NameOf(item);
                    Place(table, p, item, name, HashName(name));
                }
                mask = table.size() - 1;
            }
            if (Place(table, p, items(n), a.name, a.hash)) ++names;
        }
    }
    static std::optional<size_t> Find(const std::vector<uint32_t>& table, const Profile& p,
                                      std::string_view name) {
        if (table.empty()) return std::nullopt;
        const uint32_t h = HashName(name);
        const size_t mask = table.size() - 1;
        for (size_t s = h & mask; table[s]; s = (s + 1) & mask) {
            if (Tag(table[s]) != Tag(h)) continue;
            const size_t item = (table[s] & kItemMask) - 1;
            if (SameName(p.NameOf(item), name)) return item;
        }
        return std::nullopt;
    }
    // The keys of the section, indexed at the first lookup.
    const std::vector<uint32_t>& KeysOf(const Profile& p, const Range& r) const {
        std::lock_guard<std::mutex> lock(keysMutex_);
        std::vector<uint32_t>& table = keys_[static_cast<uint32_t>(r.header)];
        if (table.empty()) {
            // Room for every line, within a byte for each byte of the
            // section: a section of one name repeated grows its table instead.
            const size_t bytes = (r.end < p.lines.size() ? p.lines[r.end] : p.bytes.size()) - p.lines[r.header];
            size_t size = TableSize(r.end - r.header - 1);
            while (size > 16 && size * 4 > bytes) size /= 2;
            table.assign(size, 0);
            TakeAll(table, p, r.end - r.header - 1, [&](size_t n) { return r.header + 1 + n; });
        }
        return table;
    }
    size_t EndOf(const Profile& p, size_t header) const {
        auto it = std::upper_bound(headers_.begin(), headers_.end(), header);
        return it == headers_.end() ? p.lines.size() : *it;
    }

    std::vector<uint32_t> headers_;  // every header line, in file order
    std::vector<uint32_t> sections_;
    // By header line; a table once built stays where it is.
    mutable std::mutex keysMutex_;
    mutable std::unordered_map<uint32_t, std::vector<uint32_t>> keys_;
};

// A file read once and kept with its index.
struct Snapshot {
    Profile profile;
    FileStamp stamp;
    // False when the file had changed so shortly before it was read that a
    // later change could leave the same times behind (the file system keeps
    // times at a coarse step): such a copy is used again only while the
    // file's bytes, read again, are the bytes it was made from.
    std::atomic<bool> settled{false};
    LineIndex index;
};

bool ChangedBefore(const timespec& t, const timespec& limit) {
    return t.tv_sec < limit.tv_sec || (t.tv_sec == limit.tv_sec && t.tv_nsec < limit.tv_nsec);
}

// Profile files read again and again (texts, the register list, the options
// of the run) come from memory while the file on disk is the one that was
// read; every call still looks at the file's stamp, so that a change by any
// program is seen by the next read. Our own writes drop the copy.
std::mutex cacheMutex;
std::unordered_map<std::string, std::shared_ptr<Snapshot>> cache;
constexpr size_t kCacheFiles = 64;

// The files of the openings that live, each with the copy its first read
// made (none before that read, and none of a missing file).
struct Opened {
    std::string path;
    int depth = 0;
    std::shared_ptr<Snapshot> snapshot;
};
std::vector<Opened> openings;  // under cacheMutex

Opened* OpenedFile(const std::string& path) {
    for (Opened& o : openings)
        if (o.path == path) return &o;
    return nullptr;
}

void Forget(const std::string& path) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache.erase(path);
    if (Opened* o = OpenedFile(path)) o->snapshot.reset();
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
        // Read straight into the string, which holds the file and no more
        // (one byte more tells a file that grew).
        r.bytes.resize(static_cast<size_t>(r.st.st_size) + 1);
        size_t got = 0;
        for (;;) {
            if (got == r.bytes.size()) {
                if (r.bytes.size() > static_cast<size_t>(kProfileMaxBytes)) {
                    r.ok = false;
                    break;
                }
                r.bytes.resize(std::min<size_t>(r.bytes.size() * 2, kProfileMaxBytes + 1));
            }
            ssize_t n = ::read(fd, r.bytes.data() + got, r.bytes.size() - got);
            if (n < 0) {
                if (errno == EINTR) continue;
                r.ok = false;
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        if (r.ok) {
            r.bytes.resize(got);
            if (r.bytes.capacity() > got + got / 8 + 64) r.bytes.shrink_to_fit();
        } else {
            r.bytes = std::string();
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

// The file's lines as one read found them.
Profile FromRaw(const std::string& path, RawRead&& r) {
    Profile p;
    p.path = path;
    if (!r.ok) {
        struct stat there;
        p.unreadable = ::stat(path.c_str(), &there) == 0;
        return p;
    }
    p.exists = true;
    p.bytes = std::move(r.bytes);
    ParseLines(p);
    return p;
}

std::shared_ptr<Snapshot> MakeSnapshot(const std::string& path, RawRead&& r) {
    auto s = std::make_shared<Snapshot>();
    if (r.ok) {
        s->stamp = StampOf(r.st);
        s->settled = Settled(r);
    }
    s->profile = FromRaw(path, std::move(r));
    if (s->profile.exists) s->index.Build(s->profile);
    return s;
}

// Reads the file only to compare it with bytes, a piece at a time: ok when
// it holds exactly those bytes.
RawRead CompareRaw(const std::string& path, const std::string& bytes) {
    RawRead r;
    ::clock_gettime(CLOCK_REALTIME, &r.start);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return r;
    if (::fstat(fd, &r.st) == 0 && S_ISREG(r.st.st_mode) &&
        r.st.st_size == static_cast<off_t>(bytes.size())) {
        char piece[65536];
        size_t got = 0;
        for (;;) {
            const ssize_t n = ::read(fd, piece, sizeof piece);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                r.ok = n == 0 && got == bytes.size();
                break;
            }
            if (got + static_cast<size_t>(n) > bytes.size() ||
                std::memcmp(piece, bytes.data() + got, static_cast<size_t>(n)) != 0)
                break;
            got += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    return r;
}

// The file as it is on disk now: the copy in memory when the file's stamp
// is the one it was read with (and, for a copy of a file that had only just
// changed, when the file still holds the same bytes), else the file read
// again.
std::shared_ptr<Snapshot> OnDisk(const std::string& path) {
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
    if (unsure) {
        const RawRead same = CompareRaw(path, unsure->profile.bytes);
        if (same.ok && SameStamp(unsure->stamp, StampOf(same.st))) {
            // The bytes it was made from: the copy serves; once the file is
            // older than the settling time its stamp alone will do.
            if (Settled(same)) unsure->settled = true;
            return unsure;
        }
    }
    unsure.reset();  // one copy of the file in memory at a time
    std::shared_ptr<Snapshot> s = MakeSnapshot(path, ReadRaw(path));
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (s->profile.exists) {
            if (cache.size() >= kCacheFiles) cache.clear();
            cache[path] = s;
        } else {
            cache.erase(path);
        }
    }
    return s;
}

// The file as it is on disk now, or as an opening of it read it.
std::shared_ptr<const Snapshot> Current(const std::string& path) {
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (Opened* o = OpenedFile(path); o && o->snapshot) return o->snapshot;
    }
    std::shared_ptr<Snapshot> s = OnDisk(path);
    if (s->profile.exists) {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (Opened* o = OpenedFile(path)) o->snapshot = s;
    }
    return s;
}

// What a read looks at: the lines of the file, and its index when it has
// one (a file held by an open ProfileBatch is looked through line by line).
struct View {
    std::shared_ptr<const Snapshot> hold;
    const Profile* profile = nullptr;
    const LineIndex* index = nullptr;
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
    v.index = &v.hold->index;
    return v;
}

// The copy is still the file on disk: its stamp, and for a copy of a file
// that had only just changed, its bytes too.
bool StillOnDisk(const std::string& path, Snapshot& s) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !SameStamp(s.stamp, StampOf(st))) return false;
    if (s.settled) return true;
    const RawRead same = CompareRaw(path, s.profile.bytes);
    if (!same.ok || !SameStamp(s.stamp, StampOf(same.st))) return false;
    if (Settled(same)) s.settled = true;
    return true;
}

// A copy of the file's lines to edit (which needs no index: the edits find
// their lines in order). The copy in memory is let go, so that the file is
// held once, in the copy: while it is the file on disk, its lines become the
// copy's (moved when no read holds them) and the file is not taken apart
// again; else the file is read.
Profile Load(const char* file) {
    const std::string path = ResolvePath(file);
    if (batchFile && path == batchFile->profile.path) return batchFile->profile;
    std::shared_ptr<Snapshot> kept;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (auto it = cache.find(path); it != cache.end()) {
            kept = std::move(it->second);
            cache.erase(it);
        }
        if (Opened* o = OpenedFile(path)) {
            if (!kept) kept = o->snapshot;
            o->snapshot.reset();
        }
    }
    if (kept && kept->profile.exists && StillOnDisk(path, *kept)) {
        const bool own = kept.use_count() == 1;
        Profile p = own ? std::move(kept->profile) : kept->profile;
        p.hints.clear();
        p.headerNames.clear();
        if (own) p.knownHeaders = kept->index.TakeSections();
        return p;
    }
    kept.reset();
    return FromRaw(path, ReadRaw(path));
}

// Writes the file back; a last line without an ending gets CR LF, so that
// nothing written after it joins it. A file that would grow past
// kProfileMaxBytes is not written (errno EFBIG): no read would take it.
bool Save(const Profile& p) {
    if (batchFile && p.path == batchFile->profile.path) {
        batchFile->profile = p;
        batchFile->changed = true;
        return true;
    }
    const bool closeLast = !p.bytes.empty() && !IsEnd(p.bytes.back());
    if (static_cast<int64_t>(p.bytes.size() + (closeLast ? 2 : 0)) > kProfileMaxBytes) {
        errno = EFBIG;
        return false;
    }
    FileReplacement out(p.path);
    bool ok = out.Write(p.bytes) && (!closeLast || out.Write("\r\n", 2)) && out.Commit();
    int err = errno;
    Forget(p.path);
    errno = err;
    return ok;
}

// The first section of that name; nothing when the section is missing.
// The section's lines from its header.
Range SectionAt(const Profile& p, size_t header) {
    size_t e = header + 1;
    while (e < p.lines.size() && p.KindOf(e) != Kind::Section) ++e;
    return Range{header, e};
}

constexpr size_t kHints = 64;

void Hint(const Profile& p, std::string_view name, size_t header) {
    if (p.hints.size() >= kHints) {
        p.hints.clear();
        p.knownHeaders.clear();
    }
    p.hints.emplace_back(std::string(name), header);
}

// The line at start is a header of that name, as LineAt reads the name (the
// text after "[" up to the first "]" or the line's end, blanks trimmed),
// looked at only as far as the name goes: a file of many sections is looked
// through for a name that is not there.
bool IsHeaderOf(const std::string& b, size_t start, std::string_view name) {
    if (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back()))) return false;
    const char* d = b.data();
    const size_t n = b.size();
    size_t i = start;
    while (i < n && IsBlank(d[i])) ++i;
    if (i == n || d[i] != '[') return false;
    ++i;
    while (i < n && IsBlank(d[i])) ++i;
    for (char c : name) {
        if (i == n || d[i] == ']' || IsEnd(d[i]) ||
            FoldCase(static_cast<unsigned char>(d[i])) != FoldCase(static_cast<unsigned char>(c)))
            return false;
        ++i;
    }
    while (i < n && IsBlank(d[i])) ++i;
    return i == n || d[i] == ']' || IsEnd(d[i]);
}

// The word and bit of a header name (some eight bits for each line).
uint64_t& HeaderNameWord(const Profile& p, std::string_view name, uint64_t& mask) {
    const size_t bit = HashName(name) & (p.headerNames.size() * 64 - 1);
    mask = uint64_t{1} << (bit % 64);
    return p.headerNames[bit / 64];
}

void NoteHeaderName(const Profile& p, std::string_view name) {
    uint64_t mask = 0;
    uint64_t& word = HeaderNameWord(p, name, mask);  // sets the mask first
    word |= mask;
}

std::optional<Range> FindSection(const Profile& p, std::string_view name) {
    for (const auto& [hinted, header] : p.hints)
        if (SameName(hinted, name)) return SectionAt(p, header);
    if (!p.knownHeaders.empty()) {
        if (!LineIndex::MayHold(p.knownHeaders, name)) return std::nullopt;
    } else if (p.headerNames.empty()) {
        size_t words = 1;
        while (words * 8 < p.lines.size()) words *= 2;
        p.headerNames.assign(words, 0);
        for (size_t i = 0; i < p.lines.size(); ++i)
            if (p.KindOf(i) == Kind::Section) NoteHeaderName(p, p.NameOf(i));
    }
    if (p.knownHeaders.empty()) {
        // The word first: it sets the mask.
        uint64_t mask = 0;
        const uint64_t word = HeaderNameWord(p, name, mask);
        if (!(word & mask)) return std::nullopt;
    }
    for (size_t i = 0; i < p.lines.size(); ++i) {
        if (!IsHeaderOf(p.bytes, p.lines[i], name)) continue;
        Hint(p, name, i);
        return SectionAt(p, i);
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const Profile& p, const Range& r, std::string_view key) {
    for (size_t i = r.header + 1; i < r.end; ++i)
        if (SameName(p.NameOf(i), key)) return i;
    return std::nullopt;
}

// The same two lookups through the index when the view has one.
std::optional<Range> FindSection(const View& v, std::string_view name) {
    return v.index ? v.index->FindSection(*v.profile, name) : FindSection(*v.profile, name);
}

std::optional<size_t> FindKey(const View& v, const Range& r, std::string_view key) {
    return v.index ? v.index->FindKey(*v.profile, r, key) : FindKey(*v.profile, r, key);
}

std::string StripQuotes(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

// The value of the key as a read returns it; nothing when the key is absent
// or has no "=".
std::optional<std::string> ValueOf(const View& v, const std::string& section, const std::string& key) {
    auto r = FindSection(v, Trim(section));
    if (!r) return std::nullopt;
    auto item = FindKey(v, *r, Trim(key));
    if (!item) return std::nullopt;
    const Line l = v.profile->At(*item);
    if (!l.hasValue) return std::nullopt;
    return StripQuotes(Text(l.value));
}

std::optional<std::string> ReadValue(const char* section, const char* key, const char* file) {
    if (!section || !key || !file) return std::nullopt;
    return ValueOf(Read(file), section, key);
}

// Copies a value with the value rule: cut to size - 1.
uint32_t CopyValue(const std::string& v, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return 0;
    uint32_t n = v.size() < size ? static_cast<uint32_t>(v.size()) : size - 1;
    std::memcpy(buffer, v.data(), n);
    buffer[n] = '\0';
    return n;
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

// --- edits of the bytes, keeping the line offsets in step ---

void Shift(Profile& p, size_t fromItem, int64_t delta) {
    for (size_t i = fromItem; i < p.lines.size(); ++i)
        p.lines[i] = static_cast<uint32_t>(static_cast<int64_t>(p.lines[i]) + delta);
}

// Where the bytes of the lines from item on begin (the end of the file after
// the last line).
size_t ByteAt(const Profile& p, size_t item) {
    return item < p.lines.size() ? p.lines[item] : p.bytes.size();
}

// Room for add more bytes and one more line, grown by an eighth when it runs
// out: a file edited in memory never takes twice its size, as the library's
// doubling would have it.
void Room(Profile& p, size_t add) {
    if (p.bytes.size() + add > p.bytes.capacity())
        p.bytes.reserve(p.bytes.size() + add + p.bytes.size() / 8);
    if (p.lines.size() + 1 > p.lines.capacity()) p.lines.reserve(p.lines.size() + 1 + p.lines.size() / 8);
}

void ReplaceText(Profile& p, size_t item, const std::string& text) {
    Room(p, text.size() + 2);
    const Line l = p.At(item);
    p.bytes.replace(l.start, l.textEnd - l.start, text);
    Shift(p, item + 1, static_cast<int64_t>(text.size()) - static_cast<int64_t>(l.textEnd - l.start));
}

// Inserts a line (CR LF) at byte offset at, the start of a line, as line
// number item; a last line without an ending gets CR LF first.
void InsertLine(Profile& p, size_t item, size_t at, const std::string& text) {
    Room(p, text.size() + 4);
    if (at == p.bytes.size() && !p.bytes.empty() && !IsEnd(p.bytes.back())) {
        p.bytes += "\r\n";
        at = p.bytes.size();
    }
    p.bytes.insert(at, text + "\r\n");
    p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(item), static_cast<uint32_t>(at));
    Shift(p, item + 1, static_cast<int64_t>(text.size() + 2));
    for (auto& hint : p.hints)
        if (hint.second >= item) ++hint.second;
}

// Erases the bytes [from, to) that hold exactly the lines [first, last).
void Erase(Profile& p, size_t first, size_t last, size_t from, size_t to) {
    p.bytes.erase(from, to - from);
    p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(first),
                  p.lines.begin() + static_cast<std::ptrdiff_t>(last));
    Shift(p, first, -static_cast<int64_t>(to - from));
    std::erase_if(p.hints, [&](const auto& hint) { return hint.second >= first && hint.second < last; });
    for (auto& hint : p.hints)
        if (hint.second >= last) hint.second -= last - first;
}

// Appends a new section header at the end of the file; returns its range.
Range AppendSection(Profile& p, const std::string& name) {
    InsertLine(p, p.lines.size(), p.bytes.size(), "[" + name + "]");
    Hint(p, name, p.lines.size() - 1);
    if (!p.headerNames.empty()) NoteHeaderName(p, name);
    return Range{p.lines.size() - 1, p.lines.size()};
}

// Where a new key line goes: after the last key line of the section, or
// right after the header, so that blank lines before the next section stay
// where they are.
size_t InsertAfter(const Range& r) { return r.end - 1; }

bool DeleteSections(Profile& p, const std::string& name) {
    bool changed = false;
    while (auto r = FindSection(p, name)) {
        Erase(p, r->header, r->end, p.lines[r->header], ByteAt(p, r->end));
        changed = true;
    }
    return changed;
}

// The lines to edit: those of the open batch when it holds the file, else a
// copy of the file's. Store makes the edit the file's.
struct Editing {
    Profile copy;
    Profile* p = nullptr;
};

void Edit(const char* file, Editing& e) {
    std::string path = ResolvePath(file);
    if (batchFile && path == batchFile->profile.path) {
        e.p = &batchFile->profile;
        return;
    }
    e.copy = Load(file);
    e.p = &e.copy;
}

bool Store(Editing& e) {
    if (e.p != &e.copy) {
        batchFile->changed = true;
        return true;
    }
    return Save(e.copy);
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
        for (size_t i = 0; i < p.lines.size(); ++i) {
            const Line l = p.At(i);
            if (l.kind == Kind::Section && !l.name.empty()) items.push_back(Text(l.name));
        }
        return CopyList(items, buffer, size);
    }
    auto r = FindSection(v, Trim(section));
    if (!key) {
        if (r)
            for (size_t i = r->header + 1; i < r->end; ++i) {
                const Line l = p.At(i);
                if (l.hasValue && !l.name.empty()) items.push_back(Text(l.name));
            }
        if (items.empty()) return CopyValue(DefaultText(def), buffer, size);
        return CopyList(items, buffer, size);
    }
    if (auto value = ValueOf(v, section, key)) return CopyValue(*value, buffer, size);
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
                const Line l = p.At(i);
                // A line without "=" comes back as it stands; one with an
                // empty key name as "=value".
                items.push_back(Text(l.hasValue ? std::string(l.name) + "=" + std::string(l.value)
                                                : std::string(l.name)));
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
    Editing e;
    Edit(file, e);
    Profile& p = *e.p;
    if (p.unreadable) return 0;
    std::string sec = Trim(section);
    // A deletion from a missing file leaves an empty file there.
    if ((!key || !value) && !p.exists) return Store(e) ? 1 : 0;
    if (!key) {
        if (!DeleteSections(p, sec)) return 1;
        return Store(e) ? 1 : 0;
    }
    std::string k = Trim(key);
    auto r = FindSection(p, sec);
    if (!value) {
        if (!r) return 1;
        bool changed = false;
        for (size_t i = r->end; i-- > r->header + 1;) {
            if (SameName(p.NameOf(i), k)) {
                const Line l = p.At(i);
                Erase(p, i, i + 1, l.start, l.next);
                changed = true;
            }
        }
        if (!changed) return 1;
        return Store(e) ? 1 : 0;
    }
    // A name that the file cannot hold as given would not read back.
    if (!FitsHeader(sec) || !FitsKey(k)) return 0;
    std::string v = OneLine(value);
    if (!r) r = AppendSection(p, sec);
    if (auto item = FindKey(p, *r, k)) {
        const Line l = p.At(*item);
        std::string text = std::string(l.name) + "=" + v;
        if (text == std::string_view(p.bytes).substr(l.start, l.textEnd - l.start)) return 1;
        ReplaceText(p, *item, text);
        return Store(e) ? 1 : 0;
    }
    const size_t after = InsertAfter(*r);
    InsertLine(p, after + 1, p.At(after).next, k + "=" + v);
    return Store(e) ? 1 : 0;
}

int WritePrivateProfileSectionA(const char* section, const char* data, const char* file) {
    if (!file || !section) return 0;
    std::string sec = Trim(section);
    Editing e;
    Edit(file, e);
    Profile& p = *e.p;
    if (p.unreadable) return 0;
    if (!data) {
        if (!p.exists) return Store(e) ? 1 : 0;  // an empty file, as a key deletion leaves
        if (!DeleteSections(p, sec)) return 1;
        return Store(e) ? 1 : 0;
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
        const size_t from = p.At(r->header).next, to = ByteAt(p, r->end);
        size_t keepFrom = to;
        bool inRun = false;
        for (size_t at = from; at < to;) {
            const Line l = LineAt(p.bytes, at);
            if (l.kind != Kind::Blank) {
                inRun = false;
            } else if (!inRun) {
                inRun = true;
                keepFrom = at;
            }
            at = l.next;
        }
        if (!inRun) keepFrom = to;
        Erase(p, r->header + 1, r->end, from, keepFrom);
        r->end = r->header + 1;
    }
    size_t item = r->header + 1;
    for (const std::string& text : texts) {
        InsertLine(p, item, p.At(item - 1).next, text);
        ++item;
    }
    return Store(e) ? 1 : 0;
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
            const Line l = p.At(i);
            out.emplace_back(Text(l.name), Text(l.value));
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

int ProfileBatch::DropLines(const std::function<bool(std::string_view)>& foreign) {
    if (!open_) return 0;
    Profile& p = batchFile->profile;
    // The lines kept move down over the dropped ones, in place.
    int dropped = 0;
    size_t to = FirstLine(p.bytes);
    for (size_t at = to; at < p.bytes.size();) {
        size_t textEnd = 0, next = 0;
        LineBounds(p.bytes, at, textEnd, next);
        if (foreign(std::string_view(p.bytes).substr(at, textEnd - at))) {
            ++dropped;
        } else {
            if (to != at) std::memmove(p.bytes.data() + to, p.bytes.data() + at, next - at);
            to += next - at;
        }
        at = next;
    }
    if (dropped == 0) return 0;
    p.bytes.resize(to);
    // Lines dropped add no header: the names known missing stay missing.
    std::vector<uint32_t> known = std::move(p.knownHeaders);
    ParseLines(p);
    p.knownHeaders = std::move(known);
    batchFile->changed = true;
    return dropped;
}

// ---------------------------------------------------------------------------
// ProfileOpening

ProfileOpening::ProfileOpening(const std::string& file) : path_(ResolvePath(file)) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (Opened* o = OpenedFile(path_))
        ++o->depth;
    else
        openings.push_back(Opened{path_, 1, nullptr});
}

ProfileOpening::~ProfileOpening() {
    std::lock_guard<std::mutex> lock(cacheMutex);
    std::erase_if(openings, [&](Opened& o) { return o.path == path_ && --o.depth == 0; });
}

std::shared_ptr<const std::string> ProfileBytes(const std::string& file) {
    std::shared_ptr<const Snapshot> s = Current(ResolvePath(file));
    if (!s->profile.exists) return nullptr;
    return std::shared_ptr<const std::string>(s, &s->profile.bytes);
}

// ---------------------------------------------------------------------------
// ProfileReader

struct ProfileReader::Lines {
    View view;
    Profile copy;  // the lines of a file held by an open batch, which may end first
};

ProfileReader::ProfileReader(std::string file) : file_(std::move(file)) {}

ProfileReader::~ProfileReader() = default;

bool ProfileReader::Get(const std::string& section, const std::string& key, std::string& value,
                        size_t maxLength) {
    if (file_.empty()) return false;
    if (!lines_) {
        lines_ = std::make_unique<Lines>(Lines{Read(file_.c_str()), Profile()});
        if (!lines_->view.hold) {
            lines_->copy = *lines_->view.profile;
            lines_->view.profile = &lines_->copy;
        }
    }
    auto found = ValueOf(lines_->view, section, key);
    if (!found) return false;
    value = std::move(*found);
    if (value.size() > maxLength) value.resize(maxLength);
    return true;
}

}  // namespace platform
