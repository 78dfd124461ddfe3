#include "transfers/discounts_transfer.h"

#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/config_level.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "store/discounts.h"

namespace {

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

// P423 and P422 are stored as their numeric values, left-aligned; a value
// wider than the field cannot be stored.
bool StoredLeftNumber(std::string& field) {
    field = std::to_string(tables::NumValue(field));
    return static_cast<int>(field.size()) <= decltype(ScoMagRec::P423)::kWidth;
}

bool ScoMagReceived(std::string& line) {
    return ChangeLineField(line, 2, StoredLeftNumber) && ChangeLineField(line, 3, StoredLeftNumber);
}

// ---- The options: one answer, one line

// Stores an option line's fields; false when the line cannot be stored (and
// nothing is changed).
bool StoreConfScoMag(const std::vector<std::string>& f) {
    if (IsLX4100()) {
        int16_t p4122 = 0;
        if (f.size() < 3 || !NumberField16(f[2], p4122)) return false;
        CassaConf.P4102 = tables::TrimBlanks(f[0]);
        CassaConf.P4112 = tables::TrimBlanks(f[1]);
        CassaConf.P4122 = p4122;
    } else if (KnownModel()) {
        int16_t p4101b = 0;
        if (f.size() < 2 || !NumberField16(f[1], p4101b)) return false;
        CassaConf.P4101A = tables::TrimBlanks(f[0]);
        CassaConf.P4101B = p4101b;
    }
    return true;
}

bool StoreConfScoMag2(const std::vector<std::string>& f) {
    std::array<int16_t, 7> values = CassaConf.P4111;
    for (size_t i = 1; i <= 6; ++i)
        if (f.size() < i || !NumberField16(f[i - 1], values[i])) return false;
    CassaConf.P4111 = values;
    return true;
}

// The data procedure of an option line: the line's fields stored into the
// options record, the closing line ends the read (the dispatcher then writes
// Cassa.txt). No file is copied, neither status nor progress is shown.
int16_t DataOptions(int16_t& pending, size_t fields, bool (*store)(const std::vector<std::string>&)) {
    LinkState.sngLastRx = platform::Timer();
    const std::string& line = AnswerRec.strAnsData;
    if (pending != False) {
        if (!line.empty() && line[0] == '*') {
            pending = False;
            DecPending();
            SendAck();
            return 0;
        }
        std::vector<std::string> f;
        if (!CutLineFields(line, fields, f) || !store(f)) {
            ReportTransferProblem(GetText("Log", "notstored") + " Cassa.txt: " + line);
        }
    }
    SendAck();
    return -1;
}

// ---- Stamps

std::vector<WireField> StampWire() {
    std::vector<WireField> wire = {{"number", WireKind::Number}, {"P430", WireKind::Number}};
    static const char* const kPairs[] = {"P431_1", "P432_1", "P431_2", "P432_2",
                                         "P431_3", "P432_3", "P431_4", "P432_4"};
    for (const char* name : kPairs) wire.push_back({name, WireKind::Number});
    return wire;
}

}  // namespace

const TableDesc& ScoMagTable() {
    static const TableDesc t{.fileName = kScoMagFile,
                             .layout = &ScoMagRec::Layout,
                             .size = &TableSizes::nMaxScoMag,
                             .wire = {{"number", WireKind::Number},
                                      {"P421", WireKind::Number},
                                      {"P423", WireKind::Text},
                                      {"P422", WireKind::Text},
                                      {"P420", WireKind::Descr}},
                             .txWord = &ReqStateRec::nTxScoMag,
                             .txIdx = &TxCountersRec::nTxScoMagIdx,
                             .sendStatusKey = "67",
                             .rdFlag = &ReqStateRec::bRdScoMag,
                             .received = ScoMagReceived};
    return t;
}

const TableDesc& BollinoTable() {
    static const TableDesc t{.fileName = kBolliniFile,
                             .layout = &BollinoRec::Layout,
                             .size = &TableSizes::nMaxBollini,
                             .wire = StampWire(),
                             .txWord = &ReqStateRec::nTxBollino,
                             .txIdx = &TxCountersRec::nTxBollinoIdx,
                             .sendStatusKey = "4",
                             .rdFlag = &ReqStateRec::bRdBollino,
                             .readStatusKey = "3"};
    return t;
}

std::string AnsScoMag() { return AnswerTable(ScoMagTable()); }
int16_t DataScoMag() { return DataTable(ScoMagTable()); }
std::string AnsBollino() { return AnswerTable(BollinoTable()); }
int16_t DataBollino() { return DataTable(BollinoTable()); }

std::string AnsConfScoMag() {
    LinkState.sngLastRx = platform::Timer();
    std::string answer;
    // The texts through the shared cleaning: no ":" or ";" of theirs on the wire.
    auto text = [](const std::string& t) { return tables::TrimBlanks(WireText(t)); };
    if (IsLX4100())
        answer = text(CassaConf.P4102) + ":" + text(CassaConf.P4112) + ":" +
                 std::to_string(CassaConf.P4122);
    else if (KnownModel())
        answer = text(CassaConf.P4101A) + ":" + std::to_string(CassaConf.P4101B);
    DecPending();
    return answer;
}

std::string AnsConfScoMag2() {
    LinkState.sngLastRx = platform::Timer();
    std::string answer;
    for (size_t i = 1; i <= 6; ++i) answer += (i > 1 ? ":" : "") + std::to_string(CassaConf.P4111[i]);
    DecPending();
    return answer;
}

int16_t DataConfScoMag() {
    return DataOptions(ReqState.bRdConfScoMag, IsLX4100() ? 3 : 2, StoreConfScoMag);
}

int16_t DataConfScoMag2() { return DataOptions(ReqState.bRdConfScoMag2, 6, StoreConfScoMag2); }
