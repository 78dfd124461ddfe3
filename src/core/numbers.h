#pragma once
// Number, currency and text helpers. Amounts are whole numbers of minor
// currency units (with 2 decimals 12.50 is kept as 1250). Texts typed by the
// user and shown to the user use the system's decimal separator
// (Numbers.strDecSep).
#include <cstdint>
#include <string>

struct NumbersGlobals {
    std::string strDecSep = ".";  // the system's decimal separator
    std::string strCurrFmt = "0"; // "0", or "0." and one "0" per currency decimal
    int32_t nCurrScale = 1;       // 10 raised to the currency decimals
};
extern NumbersGlobals Numbers;

// Takes the decimal separator from the system's number settings.
void InitDecSep();
// Currency decimals from config.ini [Locale] "CurrencyDecimals", else from
// setup.ini (default 0); then SetCurrencyDecimals.
void InitCurrency();
// Sets the format and scale for 0 to 9 decimals and writes the number to
// config.ini. A value outside 0..9 changes nothing and returns false.
bool SetCurrencyDecimals(int16_t decimals);
// config.ini [Locale] "CurrencyDecimals"; -1 when the key is absent.
int16_t GetCurrencyDecimals();

// Amount in minor units -> display text ("12,50").
std::string CurToStr(double amount);
// Display text -> amount in minor units, halves to even; 0 when the text is
// not a number or the amount does not fit.
int32_t StrToCur(const std::string& text);
// value / 10^decimals as text with that many decimals ("12.50"; with 0
// decimals the text ends with the separator, "5."). Exact.
std::string DecToStr(int32_t value, int16_t decimals);
// text * 10^decimals as a whole number, halves to even; 0 when the text is
// not a number or the result does not fit. Exact.
int32_t StrToDec(const std::string& text, int16_t decimals);
// The text as a number by the system's rules (blanks, sign, digits, the
// decimal separator and a fraction); 0 when it is not a number.
float StrToSng(const std::string& text);
double StrToDbl(const std::string& text);

// A rate with eight decimals and at least intDigits integer digits, the
// decimal separator sep between them; "" when it cannot be written.
std::string FormatRate(double value, int intDigits, const std::string& sep);

// The value held in 16 bits: below -32768 it is -32768, above 32767 it is
// 32767 (a progress-bar bound or a counter taken from a wider number).
int16_t ClampInt16(int64_t value);

// An empty text becomes one blank; a text longer than the model's description
// length is cut to it.
std::string CutDescr(const std::string& text);
// The n (1 to 4) low-order bytes of the value, least significant first.
std::string LongToChars(int32_t value, int16_t n);
// Every character equal to `from` (one character, case included) replaced by
// `to`; a `from` of any other length changes nothing.
std::string ReplaceChr(const std::string& text, const std::string& from, const std::string& to);
