#pragma once
// The checks of PLU and offer records against the limits of the model and
// the register's options, made before a record is imported, saved or sent,
// and the cleaning of descriptions.
#include <cstdint>
#include <string>
#include <string_view>

#include "store/plu.h"

// 0 when the PLU is acceptable, else the code of the first check it fails
// (1 line end, 2 code length, 4 code, 5 price, 6 department, 7 discount,
// 8 P220E/P220Ea/P220Eb, 9 VAT code, 10 P220F, 11 multiple function).
// The record is not changed.
int16_t TestPLU(const PLURec& rec);
// What the PLU check takes from the open register's model: looked up once
// for a whole import, the same values TestPLU(rec) looks up for each record.
struct PLUCheckModel {
    bool lx4100 = false;
    bool extraFields = false;  // PLUHasExtraFields()
    int16_t maxTabIva = 0;     // ConfigLevel.GetMaxTabIva()
};
PLUCheckModel CurrentPLUCheckModel();
int16_t TestPLU(const PLURec& rec, const PLUCheckModel& model);
// 0 when the offer is acceptable, else the code of the first failed check.
// Sets P220G to "9" when it holds anything else.
int16_t TestOff(PLURec& rec);
// The register's PLU options allow alphanumeric PLU codes (P210 bit value 1).
bool AlphanumericPLUCodes();
// The characters the PLU check takes in a code: any but the field
// separators ":" and ";".
bool PLUCodeCharsOk(std::string_view code);
// Replaces every ":" and ";" of the text with a blank; true when one was.
bool ClearSep(std::string& text);
// The field, blanks allowed around it, reads as a number (digits with an
// optional sign and the system's decimal separator); its value rounded to a
// whole number into value. An all-blank field is not numeric.
bool NumericField(std::string_view field, int64_t& value);
// The models whose PLUs carry P220Ea and P220Eb when the open register's
// protocol level is above 0.
bool PLUHasExtraFields();
