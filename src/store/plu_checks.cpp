#include "store/plu_checks.h"

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/table_sizes.h"

namespace {

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

bool InRange(std::string_view field, int64_t lo, int64_t hi) {
    int64_t v = 0;
    return NumericField(field, v) && v >= lo && v <= hi;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The multiple-function check: numeric, and within the table on every model
// but LX4100.
bool MultipleFunctionOk(std::string_view field, bool lx4100) {
    int64_t v = 0;
    if (!NumericField(field, v)) return false;
    return lx4100 || (v >= 0 && v <= Sizes.nMaxFunMul);
}

// The bytes of a record's field, without a copy.
template <std::size_t N>
std::string_view View(const tables::Fixed<N>& field) {
    return std::string_view(field.c, N);
}

// The text without its leading and trailing spaces, without a copy.
std::string_view TrimSpaces(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return t;
}

}  // namespace

bool NumericField(std::string_view field, int64_t& value) {
    const std::string_view t = TrimSpaces(field);
    const std::string_view sep =
        Numbers.strDecSep.empty() ? std::string_view(".") : std::string_view(Numbers.strDecSep);
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    int64_t whole = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        if (whole < (int64_t{1} << 50)) whole = whole * 10 + (t[i] - '0');
        ++i;
        ++digits;
    }
    bool roundUp = false;
    if (i < t.size() && t.compare(i, sep.size(), sep) == 0) {
        i += sep.size();
        size_t first = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        digits += i - first;
        // Halves go to the even neighbour, as the numeric value of fields does.
        if (i > first) {
            const char d = t[first];
            bool rest = false;
            for (size_t k = first + 1; k < i; ++k) rest = rest || t[k] != '0';
            roundUp = d > '5' || (d == '5' && (rest || whole % 2 == 1));
        }
    }
    if (digits == 0 || i != t.size()) return false;
    if (roundUp) ++whole;
    value = t[0] == '-' ? -whole : whole;
    return true;
}

bool AlphanumericPLUCodes() { return (CassaConf.P210 & 1) != 0; }

bool PLUCodeCharsOk(std::string_view code) {
    return code.find(':') == std::string_view::npos && code.find(';') == std::string_view::npos;
}

bool PLUHasExtraFields() {
    const std::string& m = ConfigLevel.CashType();
    return (m == "DRAVO57" || m == "ZANDORE" || m == "MERIDOTAN") &&
           ConfigLevel.GetProtoLevel(Core.nOpenCash) > 0;
}

PLUCheckModel CurrentPLUCheckModel() {
    PLUCheckModel m;
    m.lx4100 = IsLX4100();
    m.extraFields = PLUHasExtraFields();
    m.maxTabIva = ConfigLevel.GetMaxTabIva();
    return m;
}

int16_t TestPLU(const PLURec& rec) { return TestPLU(rec, CurrentPLUCheckModel()); }

int16_t TestPLU(const PLURec& rec, const PLUCheckModel& model) {
    if (!rec.end.IsSet()) return 1;
    const std::string_view code = View(rec.code);
    if (static_cast<int64_t>(TrimSpaces(code).size()) > CassaConf.P211) return 2;
    if (!PLUCodeCharsOk(code)) return 4;
    int64_t v = 0;
    if (!AlphanumericPLUCodes() && !NumericField(code, v)) return 4;
    if (!InRange(View(rec.P220A), 0, 999999999)) return 5;
    if (!InRange(View(rec.P220B), 1, Sizes.nMaxReparti)) return 6;
    if (!NumericField(View(rec.P220D), v)) return 7;
    if (model.lx4100 ? (v < -999 || v > 999) : (v < 0 || v > Sizes.nMaxScoMag)) return 7;
    int64_t e = 0;
    if (!NumericField(View(rec.P220E), e) || e < 0 || e > 9999) return 8;
    if (e != 0) {
        int64_t g = 0;
        if (!NumericField(View(rec.P220G), g) || g != 9) return 9;
    }
    if (model.extraFields &&
        (!InRange(View(rec.P220Ea), 0, 9999) || !InRange(View(rec.P220Eb), 0, 9999)))
        return 8;
    if (!InRange(View(rec.P220F), 0, 999999999)) return 10;
    int64_t g = 0;
    if (!NumericField(View(rec.P220G), g) || g < 0 || (g > model.maxTabIva && g != 9))
        return 9;
    if (!MultipleFunctionOk(View(rec.P220H), model.lx4100)) return 11;
    return 0;
}

int16_t TestOff(PLURec& rec) {
    const std::string code = rec.code.Trim();
    if (code.compare(0, 8, kOfferPrefix) != 0 || code.size() < 8) return 4;
    if (code.size() > 12) return 4;
    if (!AllDigits(code)) return 4;
    if (!InRange(rec.P220A.str(), 0, 999999999)) return 5;
    if (!InRange(rec.P220B.str(), 1, Sizes.nMaxReparti)) return 6;
    if (!InRange(rec.P220E.str(), 0, 9999)) return 8;
    if (PLUHasExtraFields()) {
        if (!InRange(rec.P220Ea.str(), 0, 9999)) return 8;
        int64_t eb = 0;
        if (!NumericField(rec.P220Eb.str(), eb) || eb > 9999) return 8;
    }
    if (!InRange(rec.P220D.str(), 0, 0)) return 7;
    if (!(rec.P220F == "000000000")) return 10;
    if (!(rec.P220G == "9")) rec.P220G = "9";
    if (!MultipleFunctionOk(rec.P220H.str(), IsLX4100())) return 11;
    return 0;
}

bool ClearSep(std::string& text) {
    bool changed = false;
    for (char& c : text)
        if (c == ':' || c == ';') {
            c = ' ';
            changed = true;
        }
    return changed;
}
