#pragma once
// Record count of each fixed-size table file, set by model whenever a register
// folder is opened.
#include <cstdint>

struct TableSizes {
    int16_t nMaxReparti = 0, nMaxDirPLU = 0, nMaxScoMag = 0, nMaxModPag = 0, nMaxValute = 0,
            nMaxRResto = 0, nMaxBollini = 0, nMaxOpe = 0, nMaxCam = 0, nMaxGrpRep = 0,
            nMaxGrpSta = 0, nMaxFunMul = 0, nMaxClientG = 0;
    // Meal-ticket amounts: 34 tickets of 15 denominations on the models that
    // have them, none on the others.
    int16_t nMaxTicketAmount = 0;
    // Slots of the customer circularity and of the price/weight codes: the
    // same on every model that has them.
    int16_t nMaxCirCli = 10, nMaxPrzPeso = 11;
};

extern TableSizes Sizes;
