#include "core/cash_list.h"

std::array<CashRec, kMaxCash + 1> CassaList;
