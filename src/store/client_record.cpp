// The customer record generations: one field table per layout (taken from
// the record structs), the properties each generation has, its wire forms
// and its checks.
#include "store/client_record.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <vector>

#include "core/config_level.h"
#include "core/numbers.h"
#include "core/table_sizes.h"
#include "platform/files.h"
#include "core/record.h"
#include "store/file_numbers.h"

using tables::FieldKind;

namespace {

// The fields by name, for the message log.
const char* const kCliFieldNames[kCliFieldCount] = {
    "code",  "description 1", "description 2", "description 3",   "description 4",
    "price list", "VAT", "multiple function", "credit", "flag", "group",
    "tax identification", "loyalty line", "points"};

// The field table of a generation: the fields of the 90-character record,
// those the larger layouts add in their order, and the record end.
template <class Rec>
std::vector<tables::FieldDef> CliFields() {
    std::vector<tables::FieldDef> fields = {
        TABLE_FIELD(Rec, strCodice, RightText), TABLE_FIELD(Rec, strDesc1, Text),
        TABLE_FIELD(Rec, strDesc2, Text),       TABLE_FIELD(Rec, strListino, Text),
        TABLE_FIELD(Rec, strIVA, Text),         TABLE_FIELD(Rec, strFMUlt, Text),
        TABLE_FIELD(Rec, strCredito, Text),     TABLE_FIELD(Rec, strFlag, Text),
    };
    if constexpr (sizeof(Rec) >= sizeof(Cliente3Rec)) {
        for (tables::FieldDef f : {TABLE_FIELD(Rec, strGroup, Text), TABLE_FIELD(Rec, strDesc3, Text),
                                   TABLE_FIELD(Rec, strDesc4, Text), TABLE_FIELD(Rec, strCF_PIVA, Text)})
            fields.push_back(f);
    }
    if constexpr (sizeof(Rec) >= sizeof(Cliente4Rec)) {
        fields.push_back(TABLE_FIELD(Rec, strLineaFid, Text));
        fields.push_back(TABLE_FIELD(Rec, strSaldoPunti, Text));
    }
    fields.push_back(TABLE_FIELD(Rec, end, End));
    return fields;
}

}  // namespace

const tables::RecordLayout& Cliente1Rec::Layout() {
    static const tables::RecordLayout layout(sizeof(Cliente1Rec), -1, CliFields<Cliente1Rec>());
    return layout;
}

const tables::RecordLayout& Cliente3Rec::Layout() {
    static const tables::RecordLayout layout(sizeof(Cliente3Rec), -1, CliFields<Cliente3Rec>());
    return layout;
}

const tables::RecordLayout& Cliente4Rec::Layout() {
    static const tables::RecordLayout layout(sizeof(Cliente4Rec), -1, CliFields<Cliente4Rec>());
    return layout;
}

namespace {

using F = CliField;

const char* const kFieldNames[kCliFieldCount] = {
    "strCodice", "strDesc1", "strDesc2",   "strDesc3", "strDesc4",   "strListino",  "strIVA",
    "strFMUlt",  "strCredito", "strFlag", "strGroup", "strCF_PIVA", "strLineaFid", "strSaldoPunti",
};

// The wire fields: the base ones of types 1, 3 and 4, those of type 2, and
// the ones types 3 and 4 add.
const std::vector<F> kBase = {F::strCodice, F::strDesc1, F::strDesc2,   F::strListino,
                              F::strIVA,    F::strFMUlt, F::strCredito, F::strFlag};
const std::vector<F> kBase2 = {F::strCodice, F::strDesc1, F::strDesc2,
                               F::strListino, F::strIVA,  F::strCredito};
const std::vector<F> kExt3 = {F::strGroup, F::strDesc3, F::strDesc4, F::strCF_PIVA};
const std::vector<F> kExt4 = {F::strGroup,   F::strDesc3,   F::strDesc4,
                              F::strCF_PIVA, F::strLineaFid, F::strSaldoPunti};

const std::vector<F>& BaseFields(int16_t type) { return type == 2 ? kBase2 : kBase; }
const std::vector<F>& ExtFields(int16_t type) {
    static const std::vector<F> none;
    return type == 3 ? kExt3 : type == 4 ? kExt4 : none;
}

// The position of the next record of each open customer file, by file
// number ("the next record" of ReadRec and WriteRec).
std::map<int16_t, int32_t>& NextRecords() {
    static std::map<int16_t, int32_t> next;
    return next;
}

// Blanks allowed around; an optional sign, digits and a fraction after the
// decimal separator; at least one digit.
std::string_view Trim(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return t;
}

bool IsNumber(std::string_view field) {
    const std::string_view t = Trim(field);
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (!point && (c == '.' || (Numbers.strDecSep.size() == 1 && c == Numbers.strDecSep[0]))) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

// A customer code: digits only (a sign or a fraction has no place in a code
// that the register and the sort order take as plain digits).
bool IsCode(std::string_view field) {
    const std::string_view t = Trim(field);
    if (t.empty()) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

bool InRange(std::string_view field, int64_t low, int64_t high) {
    const int32_t v = tables::NumValue(field);
    return v >= low && v <= high;
}

}  // namespace

std::string ClearSepCli(std::string text) {
    for (char& c : text)
        if (c == ':' || c == ';') c = ' ';
    return text;
}

int ClientRecordLength(int16_t type) {
    switch (type) {
    case 1:
    case 2: return 90;
    case 3: return 169;
    case 4: return 175;
    default: return 0;
    }
}

int FirstLineLength(const std::string& path) {
    std::FILE* f = std::fopen(platform::ResolvePath(path).c_str(), "rb");
    if (!f) return 0;
    char buf[1024];
    const size_t got = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    for (size_t i = 0; i < got; ++i)
        if (buf[i] == '\r') return static_cast<int>(i) + 2;
    return 0;
}

ClientRecord::ClientRecord(int16_t type) : type_(type) { Clear(); }

ClientRecord::ClientRecord(int16_t type, bool) : type_(type) {}

const tables::RecordLayout& ClientRecord::Layout() const {
    switch (type_) {
    case 3: return Cliente3Rec::Layout();
    case 4: return Cliente4Rec::Layout();
    default: return Cliente1Rec::Layout();
    }
}

int ClientRecord::GetLen() const { return Layout().Length(); }

bool ClientRecord::Has(CliField field) const {
    switch (field) {
    case F::strCodice:
    case F::strDesc1:
    case F::strDesc2:
    case F::strListino:
    case F::strIVA:
    case F::strCredito: return true;
    case F::strFMUlt:
    case F::strFlag: return type_ != 2;
    case F::strDesc3:
    case F::strDesc4:
    case F::strGroup:
    case F::strCF_PIVA: return type_ >= 3;
    case F::strLineaFid:
    case F::strSaldoPunti: return type_ == 4;
    }
    return false;
}

const tables::FieldDef* ClientRecord::Field(CliField field) const {
    // The field definitions of each type, looked up once.
    static const auto defs = [] {
        std::array<std::array<const tables::FieldDef*, kCliFieldCount>, 5> d{};
        for (int16_t type = 1; type <= 4; ++type) {
            const ClientRecord probe(type, true);
            for (int f = 0; f < kCliFieldCount; ++f)
                if (probe.Has(static_cast<F>(f))) d[type][f] = probe.Layout().Find(kFieldNames[f]);
        }
        return d;
    }();
    return type_ >= 1 && type_ <= 4 ? defs[type_][static_cast<int>(field)] : nullptr;
}

std::string_view ClientRecord::View(CliField field) const {
    const tables::FieldDef* f = Field(field);
    return f ? std::string_view(rec_).substr(static_cast<size_t>(f->offset),
                                             static_cast<size_t>(f->width))
             : std::string_view();
}

void ClientRecord::ClearSep(CliField field) {
    // In place, as ClearSepCli does it.
    if (const tables::FieldDef* f = Field(field)) {
        const size_t end = std::min(rec_.size(), static_cast<size_t>(f->offset + f->width));
        for (size_t i = static_cast<size_t>(f->offset); i < end; ++i)
            if (rec_[i] == ':' || rec_[i] == ';') rec_[i] = ' ';
    }
}

void ClientRecord::Clear() {
    rec_ = tables::DefaultRecordBytes(Layout(), 0);
    // Type 2 keeps the bytes of the fields it has no property for: blanks.
    Let(F::strGroup, "0");
}

void ClientRecord::Let(CliField field, std::string_view text) {
    const tables::FieldDef* f = Field(field);
    if (!f) return;
    if (field == F::strCodice) {
        const std::string code = tables::TrimBlanks(text);
        if (static_cast<int>(code.size()) > f->width) return;
        rec_.replace(static_cast<size_t>(f->offset), static_cast<size_t>(f->width),
                     tables::PadLeft(code, f->width));
        return;
    }
    rec_.replace(static_cast<size_t>(f->offset), static_cast<size_t>(f->width),
                 tables::PadRight(text, f->width));
}

std::string ClientRecord::Get(CliField field) const {
    const tables::FieldDef* f = Field(field);
    return f ? tables::FieldText(*f, rec_) : std::string();
}

int16_t ClientRecord::CheckCli() {
    if (!IsCode(View(F::strCodice))) return 1;
    for (F d : {F::strDesc1, F::strDesc2, F::strDesc3, F::strDesc4}) ClearSep(d);
    const std::string_view listino = View(F::strListino);
    if (!IsNumber(listino) || !InRange(listino, 0, 1)) return 2;
    const std::string_view iva = View(F::strIVA);
    if (!IsNumber(iva)) return 3;
    const int32_t vat = tables::NumValue(iva);
    if (vat < 0 || (vat > ConfigLevel.GetMaxTabIva() && vat != 9)) return 3;
    if (type_ != 2) {
        const std::string_view fm = View(F::strFMUlt);
        if (!IsNumber(fm) || !InRange(fm, 0, Sizes.nMaxFunMul)) return 4;
    }
    const std::string_view credit = View(F::strCredito);
    if (!IsNumber(credit)) return 5;
    // The stored credit is already in minor currency units: its own value is
    // tested, whatever the number of currency decimals.
    if (type_ != 2 && !InRange(credit, 0, 99999999)) return 5;
    if (type_ != 2 && !IsNumber(View(F::strFlag))) return 6;
    if (type_ >= 3) {
        const std::string_view group = View(F::strGroup);
        if (!IsNumber(group) || !InRange(group, 0, Sizes.nMaxClientG)) return 7;
        ClearSep(F::strCF_PIVA);
    }
    if (type_ == 4) {
        if (!InRange(View(F::strLineaFid), 0, 2)) return 8;
        if (!InRange(View(F::strSaldoPunti), 0, 30000)) return 9;
    }
    return 0;
}

void ClientRecord::CleanTexts() {
    for (F d : {F::strDesc1, F::strDesc2, F::strDesc3, F::strDesc4}) ClearSep(d);
    if (type_ >= 3) ClearSep(F::strCF_PIVA);
}

void ClientRecord::SetRecord(std::string_view raw) {
    const size_t len = static_cast<size_t>(GetLen());
    rec_.assign(raw.substr(0, len));
    rec_.resize(len, ' ');
    rec_[len - 2] = '\r';
    rec_[len - 1] = '\n';
}

void ClientRecord::SetFormattedRecord(const std::string& text, const std::string& sep, int level) {
    Clear();
    const std::vector<F>& base = BaseFields(type_);
    const std::vector<F>& ext = level >= 1 ? ExtFields(type_) : ExtFields(0);
    std::vector<std::string> values;
    size_t cursor = 0;
    while (!sep.empty() && values.size() < base.size() + ext.size()) {
        const size_t at = text.find(sep, cursor);
        if (at == std::string::npos) break;
        values.push_back(text.substr(cursor, at - cursor));
        cursor = at + sep.size();
    }
    for (size_t i = 0; i < base.size() && i < values.size(); ++i) Let(base[i], values[i]);
    if (values.size() == base.size() + ext.size())
        for (size_t i = 0; i < ext.size(); ++i) Let(ext[i], values[base.size() + i]);
}

std::string ClientRecord::GetFormattedRecord(const std::string& sep, int level) const {
    std::string out;
    const bool ended = type_ <= 2;  // a separator after every field
    std::vector<F> fields = BaseFields(type_);
    if (level > 0) fields.insert(fields.end(), ExtFields(type_).begin(), ExtFields(type_).end());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0 && !ended) out += sep;
        out += tables::TrimBlanks(Get(fields[i]));
        if (ended) out += sep;
    }
    return out;
}

int16_t ClientRecord::OpenFile(const std::string& path, CliDropped* dropped) {
    if (!UpgradeFile(path, nullptr, dropped)) return -1;
    const int16_t number = OpenRandomFileNum(path, GetLen());
    if (number == 0) return -1;
    NextRecords()[number] = 1;
    return number;
}

bool ClientRecord::ReadRec(int16_t fileNo, std::string& record, int32_t recNo) const {
    platform::RecordFile* file = RandomFileNum(fileNo);
    if (!file || file->RecordLength() != GetLen()) return false;
    int32_t& next = NextRecords()[fileNo];
    const int32_t n = recNo == -1 ? (next < 1 ? 1 : next) : recNo;
    std::string raw;
    if (n < 1 || n > file->Count() || !file->Read(n, raw)) return false;
    ClientRecord copy(type_);
    copy.SetRecord(raw);
    record = copy.rec_;
    next = n + 1;
    return true;
}

bool ClientRecord::WriteRec(int16_t fileNo, const std::string& record, int32_t recNo) {
    platform::RecordFile* file = RandomFileNum(fileNo);
    if (!file || file->RecordLength() != GetLen()) return false;
    int32_t& next = NextRecords()[fileNo];
    const int32_t n = recNo == -1 ? (next < 1 ? 1 : next) : recNo;
    ClientRecord copy(type_);
    copy.SetRecord(record);
    if (n < 1 || !file->Write(n, copy.rec_)) return false;
    next = n + 1;
    return true;
}

namespace {

// The backup of an archive before a conversion: the path with ".bak"
// appended, or, when that name is taken, ".bak2", ".bak3" and so on.
// An earlier backup is never replaced: it may be the only place of values an
// earlier conversion dropped (a 175-character archive taken to 169
// characters and back keeps its points only in the first backup). A backup
// that already holds the same bytes is the backup: none is written again.
std::string BackupName(const std::string& file, const std::string& bytes, bool& exists) {
    std::string name = file + ".bak";
    for (int n = 2;; ++n) {
        if (!platform::FileExists(name) && !platform::DirExists(name)) break;
        std::string held;
        if (platform::FileSize(name) == static_cast<int64_t>(bytes.size()) && platform::ReadFile(name, held) &&
            held == bytes) {
            exists = true;
            return name;
        }
        name = file + ".bak" + std::to_string(n);
    }
    exists = false;
    return name;
}

}  // namespace

bool ClientRecord::UpgradeFile(const std::string& path, std::string* why, CliDropped* dropped) const {
    const int len = GetLen();
    const int first = FirstLineLength(path);
    if (first == 0 || first == len) return true;
    // The generation the file holds, by its record length: an archive is
    // brought to the register's generation in either direction (a register
    // older than assumed at the first hello needs shorter records).
    int16_t oldType = 0;
    for (int16_t t : {int16_t(1), int16_t(3), int16_t(4)})
        if (first == ClientRecordLength(t)) oldType = t;
    if (oldType == 0) {
        if (why)
            *why = "Records of " + std::to_string(first) + " characters, expected " +
                   std::to_string(len);
        return false;
    }
    const std::string file = platform::ResolvePath(path);
    std::string old;
    if (!platform::ReadFile(file, old)) {
        if (why) *why = "File cannot be read";
        return false;
    }
    const size_t oldLen = static_cast<size_t>(first);
    const size_t count = (old.size() + oldLen / 2) / oldLen;
    std::string converted;
    converted.reserve(count * static_cast<size_t>(len));
    ClientRecord from(oldType);
    ClientRecord to(type_);
    // What a shorter record cannot keep, customer by customer.
    std::vector<std::string> lost;
    for (size_t i = 0; i < count; ++i) {
        from.SetRecord(std::string_view(old).substr(i * oldLen, oldLen));
        to.Clear();
        std::string fields;
        for (int f = 0; f < kCliFieldCount; ++f) {
            const F field = static_cast<F>(f);
            if (!from.Has(field)) continue;
            const std::string value = tables::TrimBlanks(from.Get(field));
            if (to.Has(field)) to.Let(field, from.Get(field));
            const bool kept = to.Has(field) && tables::TrimBlanks(to.Get(field)) == value;
            if (!kept && !value.empty() && !(value.find_first_not_of('0') == std::string::npos))
                fields += std::string(fields.empty() ? "" : ", ") + kCliFieldNames[f] + " \"" +
                          value + "\"";
        }
        // A field the old generation lacks gets what a new customer gets
        // (Clear gave the group "0" and blank texts): the loyalty line and
        // the points 0, values the customer's checks take.
        for (F field : {F::strLineaFid, F::strSaldoPunti})
            if (to.Has(field) && !from.Has(field)) to.Let(field, "0");
        if (!fields.empty())
            lost.push_back(tables::TrimBlanks(from.Get(F::strCodice)) + ": " + fields);
        converted += to.rec_;
    }
    // Every conversion keeps the archive as it was first; only then is the
    // file replaced, in one step.
    bool backedUp = false;
    const std::string bak = BackupName(file, old, backedUp);
    if ((!backedUp && !platform::WriteFile(bak, old)) || !platform::WriteFile(file, converted)) {
        if (why) *why = "Disk full or write error";
        return false;
    }
    if (dropped && !lost.empty()) *dropped = CliDropped{file, bak, std::move(lost)};
    return true;
}
