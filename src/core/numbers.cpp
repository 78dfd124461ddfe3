#include "core/numbers.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/config_level.h"
#include "core/globals.h"
#include "platform/files.h"
#include "platform/profile.h"

NumbersGlobals Numbers;

namespace {

// A decimal text taken apart exactly: sign, the digits before and after the
// separator. Parsing never goes through the C library's locale: the program
// runs under Qt, which switches the process to the user's locale.
struct DecimalText {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts optional blanks, an optional sign, digits, an optional decimal
// separator (Numbers.strDecSep) with more digits, optional blanks; at least
// one digit. Anything else is not a number.
bool ParseDecimal(const std::string& text, DecimalText& out) {
    const std::string& sep = Numbers.strDecSep.empty() ? std::string(".") : Numbers.strDecSep;
    size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        out.negative = text[i] == '-';
        ++i;
    }
    while (i < n && IsDigit(text[i])) out.intDigits += text[i++];
    if (i < n && text.compare(i, sep.size(), sep) == 0) {
        i += sep.size();
        while (i < n && IsDigit(text[i])) out.fracDigits += text[i++];
    }
    while (i < n && IsBlank(text[i])) ++i;
    return i == n && !(out.intDigits.empty() && out.fracDigits.empty());
}

// The parsed number times 10^decimals, rounded half to even, when it fits
// an int32.
bool ScaleExact(const DecimalText& d, int decimals, int32_t& result) {
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    std::string digits = d.intDigits;
    std::string rest;
    if (static_cast<int>(d.fracDigits.size()) >= decimals) {
        digits += d.fracDigits.substr(0, decimals);
        rest = d.fracDigits.substr(decimals);
    } else {
        digits += d.fracDigits + std::string(decimals - d.fracDigits.size(), '0');
    }
    int64_t mag = 0;
    for (char c : digits) {
        mag = mag * 10 + (c - '0');
        if (mag > kLimit) return false;
    }
    // Rounding from the digits left over: above half up, below half down,
    // exactly half to the even neighbour.
    if (!rest.empty()) {
        bool up;
        if (rest[0] > '5') {
            up = true;
        } else if (rest[0] < '5') {
            up = false;
        } else {
            bool beyond = rest.find_first_not_of('0', 1) != std::string::npos;
            up = beyond || (mag % 2 != 0);
        }
        if (up) ++mag;
    }
    int64_t value = d.negative ? -mag : mag;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        return false;
    result = static_cast<int32_t>(value);
    return true;
}

std::string ConfigIni() { return platform::JoinPath(Core.strRootDir, "config.ini"); }

std::string SetupIni() {
    if (!Core.strSetupIni.empty()) return Core.strSetupIni;
    return platform::JoinPath(Core.strStartDir, "setup.ini");
}

constexpr int kMaxCurrencyDecimals = 9;  // 10^9 still fits the Long scale

}  // namespace

void InitDecSep() {
    // The user's numeric locale, read without changing the process's locale.
    std::string sep = ".";
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc != static_cast<locale_t>(0)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, loc);
        if (radix && std::strlen(radix) == 1) sep = radix;
        freelocale(loc);
    }
    Numbers.strDecSep = sep;
}

int16_t GetCurrencyDecimals() {
    int d = platform::ProfileInt("Locale", "CurrencyDecimals", -1, ConfigIni());
    if (d < std::numeric_limits<int16_t>::min() || d > std::numeric_limits<int16_t>::max())
        return static_cast<int16_t>(kMaxCurrencyDecimals + 1);  // out of range either way
    return static_cast<int16_t>(d);
}

void InitCurrency() {
    int d = GetCurrencyDecimals();
    if (d < 0) d = platform::ProfileInt("Locale", "CurrencyDecimals", 0, SetupIni());
    // A value no scale can hold counts as no decimals.
    if (d < 0 || d > kMaxCurrencyDecimals) d = 0;
    SetCurrencyDecimals(static_cast<int16_t>(d));
}

bool SetCurrencyDecimals(int16_t decimals) {
    if (decimals < 0 || decimals > kMaxCurrencyDecimals) return false;
    int32_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    Numbers.nCurrScale = scale;
    Numbers.strCurrFmt = decimals == 0 ? "0" : "0." + std::string(decimals, '0');
    // Kept in the base folder's config.ini; before that folder is known there
    // is nowhere to keep it.
    if (!Core.strRootDir.empty())
        platform::WriteProfileString("Locale", "CurrencyDecimals", std::to_string(decimals),
                                     ConfigIni());
    return true;
}

std::string CurToStr(double amount) {
    size_t dot = Numbers.strCurrFmt.find('.');
    int decimals = dot == std::string::npos ? 0 : static_cast<int>(Numbers.strCurrFmt.size() - dot - 1);
    if (!std::isfinite(amount)) return "0";
    // Whole amounts (the usual case) are formatted exactly.
    if (amount == std::floor(amount) && std::fabs(amount) <= 2147483647.0) {
        if (decimals == 0) return std::to_string(static_cast<int32_t>(amount));
        return DecToStr(static_cast<int32_t>(amount), static_cast<int16_t>(decimals));
    }
    double value = amount / (Numbers.nCurrScale > 0 ? Numbers.nCurrScale : 1);
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) return "0";
    std::string text(buf, res.ptr);
    if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-')
        text.erase(0, 1);  // no "-0.00"
    size_t p = text.find('.');
    if (p != std::string::npos) text.replace(p, 1, Numbers.strDecSep);
    return text;
}

int32_t StrToCur(const std::string& text) {
    // Exact decimal scaling: the amount typed is exactly the amount kept.
    DecimalText d;
    if (!ParseDecimal(text, d)) return 0;
    int decimals = 0;
    for (int32_t s = Numbers.nCurrScale; s >= 10; s /= 10) ++decimals;
    int32_t result = 0;
    return ScaleExact(d, decimals, result) ? result : 0;
}

std::string DecToStr(int32_t value, int16_t decimals) {
    if (decimals < 0 || decimals > 30) return "0";
    bool negative = value < 0;
    std::string digits = std::to_string(negative ? -int64_t{value} : int64_t{value});
    if (static_cast<int>(digits.size()) <= decimals)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - decimals) + Numbers.strDecSep +
                       digits.substr(digits.size() - decimals);
    return negative ? "-" + text : text;
}

int32_t StrToDec(const std::string& text, int16_t decimals) {
    if (decimals < 0 || decimals > 30) return 0;
    DecimalText d;
    if (!ParseDecimal(text, d)) return 0;
    int32_t result = 0;
    return ScaleExact(d, decimals, result) ? result : 0;
}

namespace {

// The decimal text as a floating-point number of type T; 0 when it cannot
// be read.
template <class T>
T FloatValue(const std::string& text) {
    DecimalText d;
    if (!ParseDecimal(text, d)) return 0;
    std::string plain = (d.intDigits.empty() ? "0" : d.intDigits) + "." +
                        (d.fracDigits.empty() ? "0" : d.fracDigits);
    T value = 0;
    auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc()) return 0;
    return d.negative ? -value : value;
}

}  // namespace

double StrToDbl(const std::string& text) { return FloatValue<double>(text); }

float StrToSng(const std::string& text) { return FloatValue<float>(text); }

std::string CutDescr(const std::string& text) {
    if (text.empty()) return " ";
    size_t max = static_cast<size_t>(ConfigLevel.GetMaxDescrLen());
    return text.size() > max ? text.substr(0, max) : text;
}

std::string LongToChars(int32_t value, int16_t n) {
    // Negative values give their two's-complement bytes.
    uint32_t v = static_cast<uint32_t>(value);
    std::string out;
    for (int i = 0; i < n && i < 4; ++i) {
        out += static_cast<char>(v & 0xFF);
        v >>= 8;
    }
    return out;
}

std::string ReplaceChr(const std::string& text, const std::string& from, const std::string& to) {
    if (from.size() != 1) return text;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == from[0])
            out += to;
        else
            out += c;
    }
    return out;
}

int16_t ClampInt16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

std::string FormatRate(double value, int intDigits, const std::string& sep) {
    if (!std::isfinite(value)) return "";
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, 8);
    if (res.ec != std::errc()) return "";
    std::string digits(buf, res.ptr);
    size_t dot = digits.find('.');
    std::string whole = digits.substr(0, dot);
    if (static_cast<int>(whole.size()) < intDigits) whole.insert(0, intDigits - whole.size(), '0');
    std::string text = whole + sep + digits.substr(dot + 1);
    return value < 0 && digits.find_first_not_of("0.") != std::string::npos ? "-" + text : text;
}
