#pragma once
// Payment types, ModPag.txt (record n = payment type n, nMaxModPag records),
// and meal-ticket amounts, TicketAmount.txt (34 tickets of 15 denominations;
// the record of ticket t and denomination d is (t - 1) * 15 + d). Meal
// ticket t is payment type t + 5.
#include <cstdint>

#include "core/record.h"

struct ModPagRec {
    tables::Fixed<2> number;  // "00"
    tables::Fixed<30> P520;   // name
    tables::Fixed<3> P521;    // option flags, "000"
    tables::Fixed<8> P522;    // plain digits, left-aligned
    tables::Fixed<8> P523;
    tables::Fixed<4> P524;
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(ModPagRec) == 57);

struct TicketAmountRec {
    tables::Fixed<2> ticket;        // 1 to 34, "00"
    tables::Fixed<2> denomination;  // 1 to 15, "00"
    tables::Fixed<9> amount;        // minor currency units, zero-padded
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(TicketAmountRec) == 15);

inline constexpr const char* kModPagFile = "ModPag.txt";
inline constexpr const char* kTicketAmountFile = "TicketAmount.txt";
inline constexpr int kMealTickets = 34;
inline constexpr int kTicketDenominations = 15;

// Payment type n; a file error shows "GetModPag - " or "SaveModPag - " with
// the description (interactive runs) and gives false.
bool GetModPag(int16_t n, ModPagRec& rec);
bool SaveModPag(int16_t n, ModPagRec& rec);
// Ticket 1..34, denomination 1..15 (anything else is refused with false);
// file errors show "GetTicketAmount - " or "SaveTicketAmount - ".
bool GetTicketAmount(int16_t ticket, int16_t denomination, TicketAmountRec& rec);
bool SaveTicketAmount(int16_t ticket, int16_t denomination, TicketAmountRec& rec);

// Default-file writers (also declared in store/create_tables.h).
bool CreateModPag();
bool CreateTicketAmount();
