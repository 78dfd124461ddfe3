#pragma once
// The receipt header and the icon periods over the line, fed from and stored
// into the options record (CassaConf).
//
// Receipt header: three records, "A:" with the texts P021 1 to 3, "B:" with
// P021 4 to 6 and "F:" with P023 1 and 2. Icon periods: one record per period
// n, "n:icon:ddmmyy:ddmmyy" (P024, P025 and P026 element n; a date's unset
// digits "_" go out as "0").
#include <cstdint>
#include <string>

// B 85: the next header record from the one the send started at; "*" after
// "F", and the send's start put back for the next register.
std::string AnsIntScontrino();
// C 10: one header record; a letter other than A, B and F stores nothing.
int16_t DataIntScontrino();
// B 50: the next period up to the register's number of periods; then "*".
std::string AnsIconePeriodo();
// C 50: one period; a period number the register does not have stores
// nothing.
int16_t DataIconePeriodo();
