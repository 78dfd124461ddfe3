#include "core/cassa_conf.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "platform/profile.h"

CassaConfRec udtCassaConf;
CassaConfRec udtCassaConfSaved;
CassaFileValues CassaFile;

namespace {

const char* const kNoDate = "__/__/__";
constexpr size_t kMaxText = 127;  // a value is read into a 128-character buffer

enum class Branch { L, Ten, Other };

Branch ModelBranch() {
    const std::string& m = ConfigLevel.CashType();
    if (m == "LX4100") return Branch::L;
    static const char* const ten[] = {"TAV3800", "QUENTARO", "VELTA7300", "ORBA",
                                      "KWT1900", "DRAVO57", "TIMBREL", "NAVOSK",
                                      "ZANDORE", "MERIDOTAN"};
    for (const char* k : ten)
        if (m == k) return Branch::Ten;
    return Branch::Other;
}

int VatCount() { return std::clamp<int>(ConfigLevel.GetMaxTabIva(), 0, 6); }
int PeriodCount() { return std::clamp<int>(ConfigLevel.GetNIconePeriodo(Core.nOpenCash), 0, 10); }

std::string Num(int n) { return std::to_string(n); }

// The leading number of a profile value as the INI integer read takes it
// (optional sign, then digits; no digits gives 0). False when it does not
// fit a 16-bit Integer.
bool ParseInt16(const std::string& text, int16_t& out) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool neg = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 100000) return false;
    }
    if (neg) v = -v;
    if (v < INT16_MIN || v > INT16_MAX) return false;
    out = static_cast<int16_t>(v);
    return true;
}

// Reads one options file key by key into fields that already hold their
// defaults, and notes the keys whose values could not be taken.
class OptionReader {
public:
    static constexpr bool kWriting = false;
    explicit OptionReader(std::string file) : reader_(std::move(file)) {}

    // A missing key or an empty value keeps the default (as the profile
    // integer read has it); a value that does not fit, or lies outside
    // lo..hi, keeps it too.
    void Int(const char* section, const std::string& key, int16_t& field, int lo = INT16_MIN,
             int hi = INT16_MAX) {
        std::string value;
        if (!Read(section, key, value) || value.empty()) return;
        int16_t v = 0;
        if (ParseInt16(value, v) && v >= lo && v <= hi)
            field = v;
        else
            Bad(section, key);
    }
    // The field is cleared first; a missing key gives the default, a key
    // with an empty value leaves the cleared text.
    void Text(const char* section, const std::string& key, std::string& field,
              const std::string& cleared = std::string()) {
        std::string def = field;
        std::string value;
        field = cleared;
        if (!Read(section, key, value)) {
            field = def;
            return;
        }
        if (!value.empty()) field = value;
    }
    // A text kept zero-filled on the left to `width` characters; a longer
    // value is refused and the default stays.
    void Padded(const char* section, const std::string& key, std::string& field, size_t width) {
        std::string value;
        if (!Read(section, key, value)) return;
        if (value.size() > width) {
            Bad(section, key);
            return;
        }
        field = std::string(width - value.size(), '0') + value;
    }

    bool ok() const { return bad_.empty(); }
    const std::vector<std::string>& bad() const { return bad_; }

private:
    bool Read(const char* section, const std::string& key, std::string& value) {
        return reader_.Get(section, key, value, kMaxText);
    }
    void Bad(const char* section, const std::string& key) {
        bad_.push_back(std::string("[") + section + "] " + key);
    }

    platform::ProfileReader reader_;
    std::vector<std::string> bad_;
};

// A line of an options file that is no part of it: neither blank, a
// comment, a section nor a key with "=", or longer than any value could be.
// A NUL byte counts as the blank it stands for. A save drops such lines.
bool ForeignLine(std::string_view line) {
    constexpr size_t kLongest = 1024;
    const size_t first = line.find_first_not_of(std::string_view(" \t\v\0", 4));
    if (first == std::string_view::npos) return false;
    const char c = line[first];
    const bool known = c == ';' || (c == '[' && line.find(']') != std::string_view::npos) ||
                       (c != '=' && line.find('=') != std::string_view::npos);
    return !known || line.size() > kLongest;
}

// The foreign lines of an options file, and the bytes a save keeps of it
// (at least: a dropped line's second line-ending byte is counted as kept).
struct FileLines {
    int foreign = 0;
    size_t kept = 0;
};

FileLines CountLines(const std::string& bytes) {
    FileLines lines;
    lines.kept = bytes.size();
    // A UTF-8 byte-order mark (a file saved by a text editor) is read past,
    // as the profile functions do.
    size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < bytes.size()) {
        size_t end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (ForeignLine(std::string_view(bytes.data() + at, end - at))) {
            ++lines.foreign;
            lines.kept -= std::min(end + 1, bytes.size()) - at;
        }
        at = end + 1;
    }
    return lines;
}

// Room kept below the bound of the profile reader for what a save adds to
// the lines it keeps: every option key with its section (under 4 KB with
// ordinary values), and texts longer than the file held.
constexpr int64_t kSaveRoom = 64 * 1024;

// The file keeps so much that a save of the options could pass the bound
// and fail, every time: it is refused at the read, as an unreadable one is.
bool NoRoomToSave(const FileLines& lines) {
    return static_cast<int64_t>(lines.kept) > platform::kProfileMaxBytes - kSaveRoom;
}

std::string NoRoomText() {
    const std::string text = GetText("Log", "cassafull");
    return text.empty() ? "Options file too large: with the options a save writes it would pass 16 MB; "
                          "not used:"
                        : text;
}

// Says that the file is not used, in these words followed by its name: a
// message box in an interactive run, the progress window's errors and the
// error log (kErrFile) in a command-line run, and the message log; once
// while it stays refused. Returns refused.
bool ReportRefusedProfile(const std::string& file, bool refused, const std::string& words) {
    // Said once while the file stays so, however often it is opened; said
    // again should it be refused again.
    std::vector<std::string>& reported = CashListState.reported;
    const auto seen = std::find(reported.begin(), reported.end(), file);
    if (!refused) {
        if (seen != reported.end()) reported.erase(seen);
        return false;
    }
    if (seen != reported.end()) return true;
    reported.push_back(file);
    const std::string text = words + " " + file;
    if (Core.bInteractive) {
        CurrentShell().MsgBox(text, "");
        WriteMsgLog(text);
    } else {
        CurrentShell().AddError(text, true);
        LogErr(kErrFile, OpenTurnSubject());
    }
    return true;
}

// A text as written into Cassa.txt: never a line break (control characters
// become blanks), and quoted when the profile read would otherwise change it
// (blanks at either end, or a matching pair of outer quotes), since the read
// trims blanks and strips one pair of outer quotes.
std::string FileText(const std::string& text) {
    std::string v = text;
    for (char& c : v)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    if (v.empty()) return v;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    if (blank(v.front()) || blank(v.back()) || quoted) return "\"" + v + "\"";
    return v;
}

// Writes the keys of one options file; the reader's defaults and widths
// don't apply to writing.
class OptionWriter {
public:
    static constexpr bool kWriting = true;
    explicit OptionWriter(std::string file) : file_(std::move(file)) {}
    void Int(const char* section, const std::string& key, int16_t value, int = 0, int = 0) {
        Put(section, key, std::to_string(value));
    }
    void Text(const char* section, const std::string& key, const std::string& value,
              const std::string& = std::string()) {
        Put(section, key, FileText(value));
    }
    void Padded(const char* section, const std::string& key, const std::string& value, size_t) {
        Text(section, key, value);
    }
    bool ok() const { return ok_; }

private:
    // Stops at the first key that cannot be written.
    void Put(const char* section, const std::string& key, const std::string& value) {
        if (ok_ && !platform::WriteProfileString(section, key, value, file_)) ok_ = false;
    }
    std::string file_;
    bool ok_ = true;
};

// Every key of Cassa.txt that mirrors the options record (and the history
// position), in the order the file keeps them; the reader and the writer
// walk the same list. Which keys a model has depends on its branch.
template <class Keys>
void EachOption(Keys& k, CassaConfRec& c, CassaFileValues& f) {
    const Branch b = ModelBranch();
    k.Text("B90", "indi", f.strB90Indi);
    k.Text("B90", "pg", f.strB90Pg);
    k.Int("B90", "type", f.nB90Type);

    k.Int("P0", "19", c.P019);
    k.Int("P0", "19_1", c.P019_1);
    k.Int("P0", "12", c.P012);
    k.Int("P0", "13", c.P013);
    k.Int("P0", "15", c.P015);
    for (int n = 0; n < VatCount(); ++n) k.Int("P0", "16" + Num(n), c.P016[n]);
    k.Int("P0", "17", c.P017);
    for (int n = 1; n <= 6; ++n) k.Text("P0", "21" + Num(n), c.P021[n]);
    k.Int("P0", "22", c.P022);
    for (int n = 1; n <= 2; ++n) k.Text("P0", "23" + Num(n), c.P023[n]);
    for (int n = 1; n <= PeriodCount(); ++n) {
        k.Int("P0", "24" + Num(n), c.P024[n]);
        k.Text("P0", "25" + Num(n), c.P025[n], kNoDate);
        k.Text("P0", "26" + Num(n), c.P026[n], kNoDate);
    }
    k.Int("P0", "30", c.P030);
    k.Int("P0", "31", c.P031);
    k.Int("P0", "32", c.P032);
    k.Int("P0", "40", c.P040);
    k.Int("P0", "41", c.P041);
    k.Int("P0", "42", c.P042);
    k.Int("P0", "50", c.P050);
    k.Padded("P0", "50C", c.P050C, 5);
    k.Padded("P0", "50P", c.P050P, 3);
    if (b != Branch::Other) {
        // LX4100 has the third receipt byte too; it is kept and sent like
        // the others.
        k.Int("P0", "20A", c.P020A);
        k.Int("P0", "20B", c.P020B);
        k.Int("P0", "20C", c.P020C);
    }
    // Read for every model, kept in the file by the models of the ten.
    if (b == Branch::Ten || !Keys::kWriting) k.Int("P0", "33", c.P033);

    k.Int("P1", "10", c.P110);
    k.Int("P2", "10", c.P210);
    k.Int("P2", "11", c.P211);
    k.Int("P2", "12", c.P212);
    k.Int("P2", "13", c.P213);
    k.Int("P2", "X2", c.PX2);
    k.Int("P2", "16", c.P216);
    k.Int("P3", "10", c.P310);
    k.Int("P3", "11", c.P311);
    k.Int("P3", "12", c.P312);
    if (b == Branch::L) k.Text("P3", "46", c.P346);

    if (b == Branch::L) {
        k.Text("P4", "102", c.P4102);
        k.Text("P4", "112", c.P4112);
        k.Int("P4", "122", c.P4122);
    } else if (b == Branch::Ten) {
        k.Text("P4", "101A", c.P4101A);
        k.Int("P4", "101B", c.P4101B);
        for (int n = 1; n <= 6; ++n) k.Int("P4", "111" + Num(n), c.P4111[n]);
    }

    k.Int("P5", "10", c.P510);
    k.Text("P5", "11", c.P511);
    k.Text("P5", "12", c.P512);
    k.Int("P5", "13", c.P513);
    k.Text("P5", "14", c.P514);
    k.Text("P5", "15", c.P515);
    k.Text("P5", "16", c.P516);
    k.Int("P5", "17", c.P517);
    k.Text("P5", "18", c.P518);
    k.Text("P5", "19", c.P519);
    k.Int("P6", "01A", c.P601A);
    k.Int("P6", "01G", c.P601G);
    k.Int("P6", "01M", c.P601M);
    k.Int("P6", "81S", c.P681S);
    k.Int("P6", "81C", c.P681C);
    k.Int("P6", "81F", c.P681F);

    k.Int("P9", "10", c.P910);
    // The link's bit words are one byte each: a value outside it (-5 would
    // set every bit, the modem's among them) is not taken.
    k.Int("P9", "11", c.P911, 0, 255);
    k.Int("P9", "11_2", c.P911_2, 0, 255);
    // The station address goes into the file for the register's sake; the
    // read takes it from the register list instead.
    if (Keys::kWriting) k.Int("P9", "13", c.P9Addr);
    k.Int("P9", "14", c.P914);
    k.Int("P9", "15", c.P915, 0, 255);
    k.Int("P9", "20", c.P920);
    k.Int("P9", "21", c.P921);
    k.Int("P9", "22N", c.P922N);
    k.Int("P9", "22F", c.P922F);
    k.Int("P9", "22S", c.P922S);
    k.Int("P9", "23", c.P923);
    k.Int("P9", "30", c.P930);
    k.Int("Communication", "hellotype", c.nHelloType);
    k.Int("Communication", "PhoneBookIndex", c.nPhoneBookIndex);
}

}  // namespace

std::string CassaTxtPath() {
    if (Core.strCashDir.empty()) return std::string();
    return platform::JoinPath(Core.strCashDir, "Cassa.txt");
}

CassaConfRec CassaConfDefaults() {
    const Branch b = ModelBranch();
    const std::string& m = ConfigLevel.CashType();
    CassaConfRec c;
    c.P019 = ConfigLevel.GetP019Default(0);
    c.P019_1 = ConfigLevel.GetP019Default(1);
    c.P015 = 1;
    if (!Core.strSetupIni.empty())
        for (int n = 0; n < VatCount(); ++n)
            c.P016[n] = static_cast<int16_t>(
                platform::ProfileInt("Locale", "VAT" + Num(n), 0, Core.strSetupIni));
    if (b == Branch::Ten) {
        c.P020A = 16, c.P020B = 192, c.P020C = 32;
    } else if (b == Branch::L) {
        c.P020A = 35, c.P020B = 196, c.P020C = 0;
    }
    for (int n = 1; n <= 10; ++n) c.P025[n] = c.P026[n] = kNoDate;
    c.P030 = 52, c.P031 = 20, c.P032 = 2, c.P033 = 10;
    c.P050C = "00000";
    c.P050P = "000";
    c.P110 = 3;
    if (m == "LX4100")
        c.P210 = 60;
    else if (m == "DRAVO57" || m == "ZANDORE" || m == "MERIDOTAN")
        c.P210 = 254;
    else if (b == Branch::Ten)
        c.P210 = 126;
    c.P211 = 12, c.P212 = 28;
    c.P311 = 4;
    c.P312 = ConfigLevel.GetP312Default();
    c.P4101A = "0";
    c.P4102 = "0";
    c.P510 = b == Branch::Ten ? 128 : 0;
    c.P511 = c.P512 = "0";
    c.P517 = 224;
    c.P518 = c.P519 = "0";
    c.P601A = 10, c.P601G = 1, c.P601M = 1;
    c.P681C = 2, c.P681S = 1, c.P681F = 1;
    c.P910 = 3;
    c.P911 = ConfigLevel.GetP911Default(1);
    c.P911_2 = ConfigLevel.GetP911Default(2);
    c.P9Addr = static_cast<int16_t>(LinkState.nAddress + 1);
    c.P915 = b == Branch::L ? 192 : 224;
    c.P921 = 10;
    c.P922N = c.P922F = c.P922S = 999;
    c.P923 = 3, c.P930 = 1;
    c.nHelloType = ConfigLevel.GetHelloTypeDefault();
    return c;
}

bool ReadCassaTipo() {
    OptionReader r(CassaTxtPath());
    CassaFile.nTipoTastiera = 0;
    r.Int("Tastiera", "tipo", CassaFile.nTipoTastiera);
    if (!r.ok()) WriteMsgLog(GetText("Log", "badvalues") + " " + CassaTxtPath() + " [Tastiera] tipo");
    return r.ok();
}

bool ReadCassaConf() {
    CassaConfRec& c = udtCassaConf;
    c = CassaConfDefaults();
    CassaFile.strB90Indi.clear();
    CassaFile.strB90Pg.clear();
    CassaFile.nB90Type = 0;

    // The bytes the options are read from (within an opening of the file
    // the reader takes the same ones): the file is not read again.
    const std::shared_ptr<const std::string> bytes = platform::ProfileBytes(CassaTxtPath());
    const FileLines lines = bytes ? CountLines(*bytes) : FileLines{};
    const bool noRoom = NoRoomToSave(lines);
    OptionReader r(CassaTxtPath());
    if (!noRoom) EachOption(r, c, CassaFile);

    // The link settings that follow from the options.
    LinkState.bAddressed = GetAddressedMode(c.P911);
    SetDefTimeouts((c.P911 & 1) ? 1 : 0, LinkState);
    int16_t level = (c.P911 & 8) ? 1 : 0;
    ConfigLevel.SetProtoLevel(Core.nOpenCash, level);

    // A file that cannot be read (far too large, not a file) gave nothing,
    // nor one that leaves no room for a save: the defaults stand.
    CassaFile.bUnreadable = noRoom ? ReportRefusedProfile(CassaTxtPath(), true, NoRoomText())
                                   : ReportUnreadableProfile(CassaTxtPath());
    if (CassaFile.bUnreadable) return false;

    // Values that could not be taken, or lines that are no options: the
    // file is kept as it is in Cassa.txt.bak before a save normalises it,
    // and the message log says which keys went back to their defaults.
    const int foreign = lines.foreign;
    if (!r.ok() || foreign > 0) {
        // Lines that are no options are no values: a file that has only
        // those says so, and no value of it went back to its default.
        std::string text;
        if (r.ok()) {
            text = GetText("Log", "junklines") + " " + CassaTxtPath() + " (" + std::to_string(foreign) + ")";
        } else {
            text = GetText("Log", "badvalues") + " " + CassaTxtPath();
            std::string keys;
            for (const std::string& k : r.bad()) keys += (keys.empty() ? "" : ", ") + k;
            if (!keys.empty()) text += " " + keys;
            if (foreign > 0) text += "; " + GetText("Log", "foreignlines") + " " + std::to_string(foreign);
        }
        // The backup keeps the file as this run first found it: a later
        // opening, after the program's own changes, leaves it alone.
        const std::string bak = CassaTxtPath() + ".bak";
        std::vector<std::string>& kept = CassaFile.backedUp;
        if (std::find(kept.begin(), kept.end(), bak) != kept.end()) {
            text += "; " + GetText("Log", "keptas") + " " + bak;
        } else if (platform::WriteFile(bak, bytes ? *bytes : std::string())) {
            kept.push_back(bak);
            text += "; " + GetText("Log", "keptas") + " " + bak;
        } else {
            text += "; " + GetText("Log", "nowrite") + " " + bak;
        }
        WriteMsgLog(text);
    }
    return r.ok();
}

std::string UnreadableProfileText() {
    const std::string text = GetText("Log", "badprofile");
    // Without a language file (config.ini names it) the English text.
    return text.empty() ? "Settings file cannot be read (over 16 MB, or not a readable file); not used:"
                        : text;
}

bool ReportUnreadableProfile(const std::string& file) {
    if (file.empty()) return false;
    return ReportRefusedProfile(file, platform::ProfileUnreadable(file), UnreadableProfileText());
}

bool SaveCassa() {
    const std::string file = CassaTxtPath();
    if (file.empty()) return false;
    // A file that leaves no room for a save was refused at the read: the
    // options are the defaults, and they are not written over it.
    const std::shared_ptr<const std::string> bytes = platform::ProfileBytes(file);
    int err = EFBIG;
    bool written = false;
    if (!bytes || !NoRoomToSave(CountLines(*bytes))) {
        // Every key goes into the file's lines in memory; the file is then
        // replaced once, whole (a missing file is created).
        platform::ProfileBatch batch(file);
        batch.DropLines(ForeignLine);
        OptionWriter w(file);
        w.Int("Tastiera", "tipo", CassaFile.nTipoTastiera);
        EachOption(w, udtCassaConf, CassaFile);
        err = 0;  // a file that cannot be read is not written over
        written = w.ok();
        if (written) {
            errno = 0;
            written = batch.Commit();
            err = errno;
        }
    }
    if (!written) {
        const std::string reason = platform::FileErrorText(err, file);
        const std::string text = GetText("Log", "nowrite") + " " + file + ": " + reason;
        if (Core.bInteractive) {
            CurrentShell().MsgBox("SaveCassa - " + reason, "");
            WriteMsgLog(text);
        } else {
            CurrentShell().AddError(text, true);
            LogErr(kErrFile, OpenTurnSubject());
        }
        return false;
    }
    return SaveCasse();
}

bool TestGlbDiff() {
    const CassaConfRec& a = udtCassaConf;
    const CassaConfRec& s = udtCassaConfSaved;
    // Every scalar and text of the record.
    auto scalars = [](const CassaConfRec& r) {
        return std::tie(r.P019, r.P019_1, r.PX2, r.P012, r.P013, r.P015, r.P017, r.P020A,
                        r.P020B, r.P020C, r.P022, r.P030, r.P031, r.P032, r.P033, r.P040,
                        r.P041, r.P042, r.P050, r.P050C, r.P050P, r.P110, r.P210, r.P211,
                        r.P212, r.P213, r.P216, r.P310, r.P311, r.P312, r.P4101A, r.P4101B,
                        r.P4102, r.P4112, r.P4122, r.P510, r.P511, r.P512, r.P513, r.P514,
                        r.P515, r.P516, r.P517, r.P518, r.P519, r.P601G, r.P601M, r.P601A,
                        r.P681S, r.P681C, r.P681F, r.P910, r.P911, r.P911_2, r.P9Addr, r.P914,
                        r.P915, r.P920, r.P921, r.P922N, r.P922F, r.P922S, r.P923, r.P930,
                        r.P346, r.nHelloType, r.nPhoneBookIndex);
    };
    if (scalars(a) != scalars(s)) return true;
    for (int n = 0; n < VatCount(); ++n)
        if (a.P016[n] != s.P016[n]) return true;
    for (int n = 1; n <= 6; ++n)
        if (a.P021[n] != s.P021[n] || a.P4111[n] != s.P4111[n]) return true;
    for (int n = 1; n <= 2; ++n)
        if (a.P023[n] != s.P023[n]) return true;
    for (int n = 1; n <= PeriodCount(); ++n)
        if (a.P024[n] != s.P024[n] || a.P025[n] != s.P025[n] || a.P026[n] != s.P026[n])
            return true;
    return false;
}

Reply AskGlbDiff() {
    if (!TestGlbDiff()) return Reply::Yes;
    const Reply answer = AskConfirm();
    if (answer == Reply::Yes) return answer;
    udtCassaConf = udtCassaConfSaved;
    LinkState.bAddressed = GetAddressedMode(udtCassaConf.P911);
    return answer;
}

bool GetAddressedMode(int16_t p911) { return (p911 & 2) != 0; }
