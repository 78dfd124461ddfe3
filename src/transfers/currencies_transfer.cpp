#include "transfers/currencies_transfer.h"

#include "core/numbers.h"
#include "core/config_level.h"
#include "store/currencies.h"

namespace {

// The rate of a received line as the file keeps it: "," becomes the
// system's separator, a text that is no number is 0, and a rate that does
// not fit "000000.00000000" cannot be stored.
bool StoredRate(std::string& field) {
    double value = StrToDbl(ReplaceChr(field, ",", Numbers.strDecSep));
    std::string text = FormatRate(value, 6, Numbers.strDecSep.substr(0, 1));
    if (text.empty() || static_cast<int>(text.size()) > decltype(ValutaRec::P530)::kWidth) return false;
    field = text;
    return true;
}

// P532 is sent as it stands and stored as its numeric value.
bool StoredDigit(std::string& field) {
    return FormatNumberField(tables::NumValue(field), 1, field);
}

bool ValutaReceived(std::string& line) {
    return ChangeLineField(line, 1, StoredRate) && ChangeLineField(line, 2, StoredDigit);
}

// The rate of an answer as the register takes it.
bool WireRate(std::string& field) {
    field = FormatRate(StrToDbl(field), 5, ",");
    return true;
}

// The pieces of an answer in three digits, zeros kept.
bool WirePieces(std::string& field) {
    field = tables::FormatNum(tables::NumValue(field), 3);
    return true;
}

// An answer (not "*") with field k changed.
std::string Changed(std::string answer, size_t k, bool (*change)(std::string&)) {
    if (answer == "*") return answer;
    answer += ':';
    ChangeLineField(answer, k, change);
    answer.pop_back();
    return answer;
}

TableDesc MakeValuta(int16_t first) {
    return TableDesc{.fileName = kValuteFile,
                     .layout = &ValutaRec::Layout,
                     .size = &TableSizes::nMaxValute,
                     .wire = {{"number", WireKind::Number},
                              {"P530", WireKind::Text},
                              {"P532", WireKind::Text},
                              {"P531", WireKind::Text}},
                     .txWord = &ReqStateRec::nTxValuta,
                     .txIdx = &TxCountersRec::nTxValutaIdx,
                     .sendStatusKey = "52",
                     .rdFlag = &ReqStateRec::bRdValuta,
                     .firstEntry = first,
                     .received = ValutaReceived};
}

}  // namespace

const TableDesc& ValutaTable() {
    static const TableDesc all = MakeValuta(1);
    static const TableDesc fromSecond = MakeValuta(2);
    return NewerFamily() ? fromSecond : all;
}

const TableDesc& RRestoTable() {
    static const TableDesc t{.fileName = kRRestoFile,
                             .layout = &RRestoRec::Layout,
                             .size = &TableSizes::nMaxRResto,
                             .wire = {{"number", WireKind::Number}, {"pieces", WireKind::Number}},
                             .txWord = &ReqStateRec::nTxRResto,
                             .txIdx = &TxCountersRec::nTxRRestoIdx,
                             .sendStatusKey = "rrestosend"};
    return t;
}

std::string AnsValuta() { return Changed(AnswerTable(ValutaTable()), 1, WireRate); }

int16_t DataValuta() { return DataTable(ValutaTable()); }

std::string AnsRResto() { return Changed(AnswerTable(RRestoTable()), 1, WirePieces); }
