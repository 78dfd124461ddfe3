#include "core/config_level.h"

ConfigLevelClass ConfigLevel;

namespace {

// Model keys in the column order of the per-model tables below.
enum Col { LX4100, TAV3800, QUENTARO, VELTA7300, ORBA, KWT1900, DRAVO57, TIMBREL, NAVOSK,
           ZANDORE, MERIDOTAN, kCols };

const char* const kKeys[kCols] = {"LX4100", "TAV3800", "QUENTARO", "VELTA7300", "ORBA", "KWT1900",
                                  "DRAVO57", "TIMBREL", "NAVOSK", "ZANDORE", "MERIDOTAN"};

// Per-model values, one entry per column.
constexpr int16_t kMaxTabIva[kCols] = {4, 5, 4, 4, 4, 5, 5, 5, 5, 5, 5};
constexpr int16_t kDeptVATDefault[kCols] = {4, 5, 9, 9, 9, 5, 5, 5, 5, 5, 5};
constexpr int16_t kHelloTypeDefault[kCols] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
constexpr int16_t kP019Default0[kCols] = {0, 0, 0, 0, 0, 0, 32, 32, 32, 32, 32};
constexpr int16_t kP312Default[kCols] = {0, 0, 124, 124, 124, 0, 0, 0, 0, 0, 0};
constexpr int16_t kP911Default1[kCols] = {130, 128, 128, 128, 128, 128, 136, 128, 128, 136, 136};
const char* const kKeybLayoutBase[kCols] = {"0", "0", "0", "1", "0", "0", "1", "1", "0", "2", "3"};
constexpr int16_t kNKeybConf[kCols] = {2, 3, 3, 2, 3, 2, 2, 1, 3, 1, 4};
constexpr int16_t kMaxDescrLen[kCols] = {30, 30, 30, 21, 30, 30, 21, 21, 30, 30, 30};
constexpr int16_t kNCharLineaMessaggioIcone[kCols] = {14, 14, 14, 14, 14, 14, 9, 9, 9, 9, 9};

// Release thresholds.
const std::string kR010840 = "R010840";
const std::string kR013000 = "R013000";
const std::string kR013002 = "R013002";
const std::string kR022002 = "R022002";
const std::string kR022020 = "R022020";
const std::string kR022040 = "R022040";

const std::string kEmpty;

bool IsOneOf(std::string_view letter, std::string_view letters) {
    return letter.size() == 1 && letters.find(letter[0]) != std::string_view::npos;
}

}  // namespace

void ConfigLevelClass::InitOffLine(int16_t number, const std::string& release) {
    static constexpr Col kByNumber[13] = {TAV3800, LX4100,  KWT1900, DRAVO57, DRAVO57,
                                          TAV3800, QUENTARO, VELTA7300, ORBA, TIMBREL,
                                          NAVOSK,  ZANDORE, MERIDOTAN};
    if (number < 1 || number > 12) number = 5;
    nCashType_ = number;
    strCashType_ = kKeys[kByNumber[number]];
    strOffLine_ = release;
}

void ConfigLevelClass::SetCashVersion(int idx, const std::string& release) {
    if (idx < 0 || idx >= 16) return;
    size_t first = release.find_first_not_of(' ');
    if (first == std::string::npos) {
        strRelease_[idx].clear();
        return;
    }
    size_t last = release.find_last_not_of(' ');
    strRelease_[idx] = release.substr(first, last - first + 1);
}

int16_t ConfigLevelClass::SetProtoLevel(int idx, int16_t& level) {
    if (!GetP911Enable(idx, 1, "E")) level = 0;
    if (idx >= 0 && idx < 16) nProtoLevel_[idx] = level;
    return level;
}

int16_t ConfigLevelClass::GetProtoLevel(int idx) const {
    return (idx >= 0 && idx < 16) ? nProtoLevel_[idx] : 0;
}

int ConfigLevelClass::Column() const {
    for (int c = 0; c < kCols; ++c)
        if (strCashType_ == kKeys[c]) return c;
    return TAV3800;  // before InitOffLine, or an unknown key
}

ConfigLevelClass::Family ConfigLevelClass::Fam() const {
    int c = Column();
    if (c == LX4100) return Family::L;
    if (c >= DRAVO57) return Family::N;
    return Family::T;
}

const std::string& ConfigLevelClass::Release(int idx) const {
    return (idx >= 0 && idx < 16) ? strRelease_[idx] : kEmpty;
}

bool ConfigLevelClass::GetP020Enable(int kind, std::string_view letter) const {
    int c = Column();
    Family f = Fam();
    switch (kind) {
    case 1:
        if (f == Family::L) return !IsOneOf(letter, "B");
        return !IsOneOf(letter, "AB");
    case 2:
        if (f == Family::N) return !IsOneOf(letter, "BF");
        if (f == Family::L || c == TAV3800) return !IsOneOf(letter, "EF");
        return !IsOneOf(letter, "ABEF");
    case 3:
        if (f == Family::N) return !IsOneOf(letter, "D");
        return !IsOneOf(letter, "DEFGH");
    default:
        return true;
    }
}

bool ConfigLevelClass::GetP121Enable(int kind, std::string_view letter) const {
    if (kind == 1) return true;
    if (kind != 2) return false;
    if (letter == "A") return Fam() != Family::L;
    if (letter == "B") return Fam() == Family::N && strOffLine_ >= kR013000;
    return false;
}

int16_t ConfigLevelClass::GetP911Default(int kind) const {
    return kind == 1 ? kP911Default1[Column()] : 0;
}

bool ConfigLevelClass::GetP915Enable(std::string_view letter) const {
    if (letter == "C") return Fam() != Family::L;
    if (letter == "G") return Fam() == Family::L;
    if (letter == "H") return Fam() == Family::N;
    return true;
}

bool ConfigLevelClass::GetP517Enable(std::string_view letter) const {
    if (IsOneOf(letter, "ABC")) return Fam() != Family::L;
    if (letter == "D") return Fam() == Family::N;
    if (IsOneOf(letter, "EFG")) return Fam() == Family::N && strOffLine_ >= kR013000;
    return false;
}

bool ConfigLevelClass::GetClientGroupsEnable() const {
    return Fam() == Family::N && strOffLine_ >= kR013000;
}

bool ConfigLevelClass::GetDeferredInvoicePagesEnable() const {
    return Fam() == Family::N && strOffLine_ >= kR013000;
}

int16_t ConfigLevelClass::GetDeptVATDefault() const { return kDeptVATDefault[Column()]; }
int16_t ConfigLevelClass::GetMaxTabIva() const { return kMaxTabIva[Column()]; }
int16_t ConfigLevelClass::GetHelloTypeDefault() const { return kHelloTypeDefault[Column()]; }

int16_t ConfigLevelClass::GetP019Default(int kind) const {
    return kind == 0 ? kP019Default0[Column()] : 0;
}

int16_t ConfigLevelClass::GetP312Default() const { return kP312Default[Column()]; }

std::string ConfigLevelClass::GetFunCodeFileBase() const {
    return "Cod" + std::to_string(nCashType_);
}

std::string ConfigLevelClass::GetKeybLayoutBase() const { return kKeybLayoutBase[Column()]; }

std::string ConfigLevelClass::GetKeybLayoutFileBase() const {
    return "klay" + GetKeybLayoutBase();
}

std::string ConfigLevelClass::GetKeybConfFileBase() const {
    return "Keyb" + std::to_string(nCashType_);
}

int16_t ConfigLevelClass::GetNKeybConf() const { return kNKeybConf[Column()]; }
int16_t ConfigLevelClass::GetMaxDescrLen() const { return kMaxDescrLen[Column()]; }

int16_t ConfigLevelClass::GetNMessaggiIcone(int idx) const {
    switch (Fam()) {
    case Family::L: return 7;
    case Family::T: return 6;
    case Family::N: break;
    }
    const std::string& rel = Release(idx);
    return (!rel.empty() && rel <= kR022002) ? 6 : 10;
}

int16_t ConfigLevelClass::GetNLineeMessaggioIcone(int) const { return 5; }

int16_t ConfigLevelClass::GetNCharLineaMessaggioIcone(int) const {
    return kNCharLineaMessaggioIcone[Column()];
}

int16_t ConfigLevelClass::GetNIconePeriodo(int idx) const {
    if (Fam() != Family::N) return 6;
    const std::string& rel = Release(idx);
    return (!rel.empty() && rel <= kR022002) ? 6 : 10;
}

int16_t ConfigLevelClass::GetFastPLUCodeLen(int idx) const {
    const std::string& rel = Release(idx);
    switch (Fam()) {
    case Family::L: return rel >= kR013002 ? 13 : 12;
    case Family::T: return (Column() == KWT1900 && rel >= kR010840) ? 13 : 12;
    case Family::N: return rel > kR022002 ? 13 : 12;
    }
    return 12;
}

int16_t ConfigLevelClass::GetClientType(int idx) const {
    switch (Fam()) {
    case Family::L: return 2;
    case Family::T: return 1;
    case Family::N: break;
    }
    const std::string& rel = Release(idx);
    if (!rel.empty() && rel <= kR022002) return 1;
    int c = Column();
    if (c == TIMBREL || c == NAVOSK) return 3;
    if (!rel.empty() && rel <= kR022040) return 3;
    return 4;
}

int16_t ConfigLevelClass::GetPLUType(int idx) const {
    switch (Fam()) {
    case Family::L: return 2;
    case Family::T: return 3;
    case Family::N: break;
    }
    int c = Column();
    if (c == TIMBREL || c == NAVOSK) return 3;
    const std::string& rel = Release(idx);
    return (!rel.empty() && rel <= kR022040) ? 0 : 1;
}

bool ConfigLevelClass::B72Extension(int kind, int idx) const {
    Family f = Fam();
    if (kind == 1) return f != Family::T && GetProtoLevel(idx) > 0;
    if (kind == 2) return f == Family::N && GetProtoLevel(idx) > 0;
    return false;
}

bool ConfigLevelClass::C24Extension(int kind, int idx) const { return B72Extension(kind, idx); }

bool ConfigLevelClass::GetP911Enable(int idx, int kind, std::string_view letter) const {
    Family f = Fam();
    bool newOffLine = strOffLine_ >= kR013000;
    if (kind == 1) {
        if (letter == "E") return f == Family::L || (f == Family::N && newOffLine);
        if (letter == "F") return f != Family::L;
        return true;
    }
    if (kind == 2) {
        if (letter == "A") return f != Family::T && newOffLine;
        if (letter == "B") {
            if (f == Family::L) return true;
            if (f == Family::T) return false;
            const std::string& rel = Release(idx);
            return rel.empty() || rel >= kR022020;
        }
        return false;
    }
    return false;
}

bool ConfigLevelClass::IsModel(std::initializer_list<const char*> models) const {
    for (const char* m : models)
        if (strCashType_ == m) return true;
    return false;
}

bool KnownModel() {
    return ConfigLevel.IsModel({"LX4100", "TAV3800", "QUENTARO", "VELTA7300", "ORBA", "KWT1900",
                                "DRAVO57", "TIMBREL", "NAVOSK", "ZANDORE", "MERIDOTAN"});
}

bool NewerFamily() {
    return ConfigLevel.IsModel({"DRAVO57", "TIMBREL", "NAVOSK", "ZANDORE", "MERIDOTAN"});
}

bool ModelHasTable(const std::string& name) {
    if (name == "RResto.txt" || name == "TicketAmount.txt") return NewerFamily();
    if (name == "ClientG.txt") return ConfigLevel.GetClientGroupsEnable();
    if (name == "RepFid.txt" || name == "SubFid.txt" || name == "CirCli.txt")
        return ConfigLevel.IsModel({"DRAVO57", "ZANDORE", "MERIDOTAN"});
    return true;
}
