// The number and currency texts.
//
// Input: one byte for the decimals (of the text and of the currency), one for
// the decimal separator, eight for an amount, then the text.
//
// A number read from a text and written with DecToStr reads back the same;
// the same for an amount and CurToStr; a written number reads as the double
// nearest to its value; an amount written and read back moves by less than
// one unit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"

namespace {
const char* const kSeparators[] = {".", ","};  // what the system's number settings give
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 10) return 0;
    Core = CoreGlobals{};  // no base folder: the currency decimals are not stored
    Numbers = NumbersGlobals{};
    Numbers.strDecSep = kSeparators[data[1] % 2];
    const int16_t decimals = static_cast<int16_t>(data[0] % 12 - 1);  // -1 to 10
    double amount;
    std::memcpy(&amount, data + 2, sizeof amount);
    const std::string text(reinterpret_cast<const char*>(data) + 10, size - 10);

    const int32_t value = StrToDec(text, decimals);
    const std::string written = DecToStr(value, decimals);
    if (decimals >= 0 && StrToDec(written, decimals) != value) abort();
    if (decimals >= 0 && decimals <= 9 &&
        StrToDbl(written) != value / std::pow(10.0, decimals))
        abort();
    StrToSng(text);
    StrToDbl(text);

    if (!SetCurrencyDecimals(decimals)) return 0;
    const int32_t cur = StrToCur(text);
    if (StrToCur(CurToStr(cur)) != cur) abort();
    if (std::isfinite(amount) && std::fabs(amount) < 2e9) {
        const double back = StrToCur(CurToStr(amount));
        if (std::fabs(back - amount) >= 1) abort();
    }
    return 0;
}
