// Payment types and meal-ticket amounts: record layouts, accessors and
// default files.
#include "store/payments.h"

#include "core/table_sizes.h"
#include "core/texts.h"
#include "store/table_file.h"

using namespace tables;

namespace {

// The record number of a ticket's denomination; 0 when either is out of range.
int32_t TicketRecord(int16_t ticket, int16_t denomination) {
    if (ticket < 1 || ticket > kMealTickets || denomination < 1 || denomination > kTicketDenominations)
        return 0;
    return (ticket - 1) * kTicketDenominations + denomination;
}

// The default name of payment type n, from section "18" of the language file.
std::string DefaultPaymentName(int32_t n) {
    switch (n) {
    case 1: return GetText("18", "cash");
    case 2: return GetText("18", "cheque");
    case 3: return GetText("18", "credit");
    case 4: return GetText("18", "ccard");
    case 5: return GetText("18", "ticket");
    case 40: return GetText("18", "bancomat");
    default: return GetText("18", "ticket") + std::to_string(n - 5);
    }
}

constexpr Table<ModPagRec> kModPag{"ModPag", kModPagFile, Report::MsgBox};
constexpr Table<TicketAmountRec> kTicketAmount{"TicketAmount", kTicketAmountFile, Report::MsgBox};

}  // namespace

const RecordLayout& ModPagRec::Layout() {
    static const RecordLayout layout(sizeof(ModPagRec), 0, {
        TABLE_FIELD(ModPagRec, number, Number), TABLE_FIELD(ModPagRec, P520, Text),
        TABLE_FIELD(ModPagRec, P521, Number),   TABLE_FIELD(ModPagRec, P522, LeftNumber),
        TABLE_FIELD(ModPagRec, P523, LeftNumber), TABLE_FIELD(ModPagRec, P524, LeftNumber),
        TABLE_FIELD(ModPagRec, end, End),
    });
    return layout;
}

const RecordLayout& TicketAmountRec::Layout() {
    static const RecordLayout layout(sizeof(TicketAmountRec), -1, {
        TABLE_FIELD(TicketAmountRec, ticket, Number),
        TABLE_FIELD(TicketAmountRec, denomination, Number),
        TABLE_FIELD(TicketAmountRec, amount, Number),
        TABLE_FIELD(TicketAmountRec, end, End),
    });
    return layout;
}

bool GetModPag(int16_t n, ModPagRec& rec) { return kModPag.Get(n, rec); }
bool SaveModPag(int16_t n, ModPagRec& rec) { return kModPag.Save(n, rec); }

bool GetTicketAmount(int16_t ticket, int16_t denomination, TicketAmountRec& rec) {
    int32_t n = TicketRecord(ticket, denomination);
    return n > 0 && kTicketAmount.Get(n, rec);
}

bool SaveTicketAmount(int16_t ticket, int16_t denomination, TicketAmountRec& rec) {
    int32_t n = TicketRecord(ticket, denomination);
    return n > 0 && kTicketAmount.Save(n, rec);
}

bool CreateModPag() {
    return kModPag.Create(Sizes.nMaxModPag, [](int32_t n) {
        ModPagRec rec = DefaultRecord<ModPagRec>(n);
        rec.P520 = DefaultPaymentName(n);
        rec.P521.PutNum(n == 3 ? 24 : n == 5 ? 136 : 8);
        return rec;
    });
}

bool CreateTicketAmount() {
    return kTicketAmount.Create(kMealTickets * kTicketDenominations, [](int32_t n) {
        TicketAmountRec rec = DefaultRecord<TicketAmountRec>(n);
        rec.ticket.PutNum((n - 1) / kTicketDenominations + 1);
        rec.denomination.PutNum((n - 1) % kTicketDenominations + 1);
        return rec;
    });
}
