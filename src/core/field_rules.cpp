#include "core/field_rules.h"

#include <cmath>

#include "core/globals.h"
#include "core/numbers.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "core/record.h"

namespace fields {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsEmpty(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }
bool InRange(int64_t v, int64_t lo, int64_t hi, int64_t& value) {
    if (v < lo || v > hi) return false;
    value = v;
    return true;
}

}  // namespace

std::string TypedNumber(const std::string& text) {
    // One "." or "," is the decimal separator whatever the desktop's locale;
    // a text with more than one is no number.
    const std::string sep = Numbers.strDecSep.empty() ? std::string(".") : Numbers.strDecSep;
    if (text.find_first_of(".,") != text.find_last_of(".,")) return text;
    const size_t at = text.find_first_of(".,");
    if (at == std::string::npos) return text;
    return text.substr(0, at) + sep + text.substr(at + 1);
}

bool IsNumber(const std::string& text) {
    const std::string sep = Numbers.strDecSep.empty() ? std::string(".") : Numbers.strDecSep;
    size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false;
    while (i < n && IsDigit(text[i])) ++i, digits = true;
    if (i < n && text.compare(i, sep.size(), sep) == 0) {
        i += sep.size();
        while (i < n && IsDigit(text[i])) ++i, digits = true;
    }
    while (i < n && IsBlank(text[i])) ++i;
    return digits && i == n;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool TakeAmount(const std::string& typed, int64_t lo, int64_t hi, int64_t& value) {
    const std::string text = TypedNumber(typed);
    if (IsEmpty(text)) return InRange(0, lo, hi, value);
    if (!IsNumber(text)) return false;
    const int64_t v = StrToCur(text);
    // StrToCur gives 0 for an amount it cannot hold: the size is judged on
    // the number itself too.
    const double scaled = StrToDbl(text) * Numbers.nCurrScale;
    if (scaled > static_cast<double>(hi) + 1 || scaled < static_cast<double>(lo) - 1) return false;
    if (v == 0 && std::fabs(scaled) >= 1) return false;
    return InRange(v, lo, hi, value);
}

bool TakeWhole(const std::string& typed, int64_t lo, int64_t hi, int64_t& value) {
    const std::string text = TypedNumber(typed);
    if (IsEmpty(text)) return InRange(0, lo, hi, value);
    if (!IsNumber(text)) return false;
    const double d = StrToDbl(text);
    if (d != std::floor(d) || d < static_cast<double>(lo) || d > static_cast<double>(hi)) return false;
    return InRange(static_cast<int64_t>(d), lo, hi, value);
}

bool TakeNumber(const std::string& text, int64_t lo, int64_t hi, int64_t& value) {
    if (!IsNumber(text)) return false;
    const double d = StrToDbl(text);
    if (d < static_cast<double>(lo) || d > static_cast<double>(hi)) return false;
    value = static_cast<int64_t>(std::nearbyint(d));  // rounded, halves to even
    return value >= lo && value <= hi;
}

std::string WireSafe(const std::string& text) { return tables::BlankControls(text, ":;"); }

std::string RateText(double rate) {
    return FormatRate(std::isfinite(rate) ? rate : 0, 6, Numbers.strDecSep.substr(0, 1));
}

bool EditorFolderReady() {
    if (Core.nOpenCash == LinkState.nCurCash) return true;
    ShowMsg("otherfolder", "");
    return false;
}

bool TestLimiti(const std::string& from, const std::string& to, int64_t lo, int64_t hi) {
    int64_t a = 0, b = 0;
    if (TakeNumber(from, lo, hi, a) && TakeNumber(to, lo, hi, b)) return true;
    ShowMsg("8", "6");
    return false;
}

bool DateExists(int day, int month, int year2) {
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || year2 < 0 || year2 > 99) return false;
    // Every fourth year of 2000 to 2099 is a leap year, 2000 included.
    if (month == 2 && year2 % 4 != 0) return day <= 28;
    return day <= kDays[month - 1];
}

}  // namespace fields
