#include "transfers/options_transfer.h"

#include <algorithm>
#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "core/record.h"
#include "transfers/transfer.h"

namespace {

// How a member travels.
enum class Kind {
    Num,      // a 16-bit number, its digits without padding
    Text,     // a text, as it stands
    Filled,   // a text of `width` characters, zero-filled on the left
    Date,     // three numbers (day, month, year) as one field of six digits
    Zero,     // the constant "0" going out; read and ignored coming in
    Skip,     // read and ignored (coming in only)
};

struct Field {
    const char* name;
    Kind kind;
    int16_t* num = nullptr;  // Num; Date: the day, month and year below
    int16_t* month = nullptr;
    int16_t* year = nullptr;
    std::string* text = nullptr;
    int width = 0;
    bool hidden = false;     // sent as "999" unless the service mode is on
    bool optional = false;   // a line may end before it
};

Field Num(const char* name, int16_t& v) { return {name, Kind::Num, &v}; }
Field Text(const char* name, std::string& v) {
    Field f{name, Kind::Text};
    f.text = &v;
    return f;
}
Field Filled(const char* name, std::string& v, int width) {
    Field f = Text(name, v);
    f.kind = Kind::Filled;
    f.width = width;
    return f;
}
Field Hidden(const char* name, int16_t& v) {
    Field f = Num(name, v);
    f.hidden = true;
    return f;
}
Field Skip() { return {"", Kind::Skip}; }
Field Zero() { return {"", Kind::Zero}; }
Field Optional(Field f) {
    f.optional = true;
    return f;
}

CassaConfRec& C() { return udtCassaConf; }
bool LX() { return ConfigLevel.CashType() == "LX4100"; }
bool Extension(int kind) { return ConfigLevel.B72Extension(kind, Core.nOpenCash); }

std::string Two(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

// ---- The groups ------------------------------------------------------------

std::vector<Field> CommFields(bool in) {
    CassaConfRec& c = C();
    std::vector<Field> f = {Num("P914", c.P914), Num("P922N", c.P922N), Num("P922F", c.P922F),
                            Num("P922S", c.P922S), Num("P921", c.P921),   Num("P920", c.P920),
                            Num("P923", c.P923),   Num("P910", c.P910),   Num("P930", c.P930),
                            Num("P013", c.P013)};
    if (in) {
        f.insert(f.end(), {Num("P681S", c.P681S), Skip(), Skip(), Skip(), Skip(),
                           Num("P681C", c.P681C), Skip(), Skip(), Num("P9Addr", c.P9Addr),
                           Num("P911", c.P911)});
        if (ConfigLevel.C24Extension(1, Core.nOpenCash)) f.push_back(Num("P911_2", c.P911_2));
        if (ConfigLevel.C24Extension(2, Core.nOpenCash)) f.push_back(Num("P681F", c.P681F));
    } else {
        f.insert(f.end(), {Hidden("P681S", c.P681S), Num("P9Addr", c.P9Addr), Num("P911", c.P911),
                           Hidden("P681C", c.P681C)});
        if (Extension(1)) f.push_back(Num("P911_2", c.P911_2));
        if (Extension(2)) f.push_back(Hidden("P681F", c.P681F));
    }
    return f;
}

std::vector<Field> OpGenFields(bool) {
    CassaConfRec& c = C();
    Field date{"P601", Kind::Date, &c.P601G, &c.P601M, &c.P601A};
    return {Num("P042", c.P042), Num("P110", c.P110), Num("P019", c.P019), Num("P019_1", c.P019_1),
            Num("P015", c.P015), Num("P040", c.P040), Num("P012", c.P012), Num("P017", c.P017),
            Num("P213", c.P213), Num("PX2", c.PX2),   Num("P915", c.P915), Num("P216", c.P216),
            Num("P041", c.P041), date,                Num("P312", c.P312)};
}

std::vector<Field> TabIvaFields(bool) {
    static const char* const names[] = {"P0160", "P0161", "P0162", "P0163", "P0164", "P0165"};
    const int n = std::clamp<int>(ConfigLevel.GetMaxTabIva(), 0, 6);
    std::vector<Field> f;
    for (int i = 0; i < n; ++i) f.push_back(Num(names[i], C().P016[i]));
    return f;
}

std::vector<Field> GlbCassaFields(bool in) {
    CassaConfRec& c = C();
    std::vector<Field> f = {Text("P511", c.P511), Text("P512", c.P512), in ? Skip() : Zero(),
                            Num("P510", c.P510), Num("P513", c.P513)};
    if (in && LX()) {
        // LX4100 keeps no P518 and P519: its record is whole after P513.
        f.push_back(Optional(Skip()));
        f.push_back(Optional(Skip()));
    } else {
        f.push_back(Text("P518", c.P518));
        f.push_back(Text("P519", c.P519));
    }
    return f;
}

std::vector<Field> GlbCassa2Fields(bool) {
    CassaConfRec& c = C();
    return {Text("P514", c.P514), Text("P515", c.P515), Text("P516", c.P516), Num("P517", c.P517)};
}

std::vector<Field> ScontrinoFields(bool) {
    CassaConfRec& c = C();
    std::vector<Field> f = {Num("P030", c.P030), Num("P032", c.P032), Num("P031", c.P031)};
    if (!LX()) f.push_back(Num("P033", c.P033));
    return f;
}

std::vector<Field> Scontrino2Fields(bool) {
    CassaConfRec& c = C();
    return {Num("P020A", c.P020A), Num("P020B", c.P020B), Num("P020C", c.P020C)};
}

std::vector<Field> OpeCamCliFields(bool) {
    CassaConfRec& c = C();
    return {Num("P310", c.P310), Num("P311", c.P311)};
}

std::vector<Field> OpeCamCli2Fields(bool) {
    CassaConfRec& c = C();
    return {Filled("P050P", c.P050P, 3), Num("P050", c.P050), Filled("P050C", c.P050C, 5)};
}

// ---- Answer and data procedures --------------------------------------------

std::string Answer(const std::vector<Field>& fields) {
    TxLineArrived();
    std::string record;
    for (size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (i) record += ':';
        switch (f.kind) {
        case Kind::Num:
            record += f.hidden && !ConfigLevel.ServiceMode() ? "999" : std::to_string(*f.num);
            break;
        case Kind::Text:
        case Kind::Filled: record += WireText(*f.text); break;
        case Kind::Date: record += Two(*f.num) + Two(*f.month) + Two(*f.year); break;
        case Kind::Zero:
        case Kind::Skip: record += "0"; break;
        }
    }
    DecPending();
    ShowSentStatus();
    return record;
}

void Refused(const std::string& what, const std::string& value) {
    ReportTransferProblem(GetText("Log", "optrange") + " " + what + "=" + value);
}

// A number that fits 16 bits; false (noted) when it does not.
bool Number16(const char* name, const std::string& field, int16_t& out) {
    if (NumberField16(field, out)) return true;
    Refused(name, field);
    return false;
}

// The changes one received field makes, applied once the line is known whole.
struct Change {
    int16_t* num = nullptr;
    int16_t value = 0;
    std::string* text = nullptr;
    std::string textValue = {};
};

void Take(const Field& f, const std::string& field, std::vector<Change>& changes) {
    switch (f.kind) {
    case Kind::Num: {
        int16_t v;
        if (Number16(f.name, field, v)) changes.push_back({f.num, v});
        break;
    }
    case Kind::Text: changes.push_back({nullptr, 0, f.text, WireText(field)}); break;
    case Kind::Filled: {
        const std::string t = WireText(field);
        if (static_cast<int>(t.size()) > f.width) {
            Refused(f.name, field);
            break;
        }
        changes.push_back({nullptr, 0, f.text, std::string(f.width - t.size(), '0') + t});
        break;
    }
    case Kind::Date: {
        if (field.size() != 6) {
            Refused(f.name, field);
            break;
        }
        changes.push_back({f.num, static_cast<int16_t>(tables::NumValue(field.substr(0, 2)))});
        changes.push_back({f.month, static_cast<int16_t>(tables::NumValue(field.substr(2, 2)))});
        changes.push_back({f.year, static_cast<int16_t>(tables::NumValue(field.substr(4, 2)))});
        break;
    }
    case Kind::Zero:
    case Kind::Skip: break;
    }
}

// The fields of a line, each ended by ":" (a last field without its ":" is
// not one).
std::vector<std::string> EndedFields(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t colon; (colon = line.find(':', start)) != std::string::npos; start = colon + 1)
        out.push_back(line.substr(start, colon - start));
    return out;
}

// Stores one received record of the group; false when nothing could be
// stored (too few fields).
bool Store(const std::vector<Field>& fields, const std::string& line) {
    const std::vector<std::string> got = EndedFields(line);
    size_t required = fields.size();
    while (required > 0 && fields[required - 1].optional) --required;
    if (got.size() < required) {
        ReportTransferProblem(GetText("Log", "notstored") + " " + line);
        return false;
    }
    if (got.size() > fields.size())
        ReportTransferProblem(GetText("Log", "extrafields") + " " + line);
    std::vector<Change> changes;
    for (size_t i = 0; i < fields.size() && i < got.size(); ++i) Take(fields[i], got[i], changes);
    for (const Change& c : changes) {
        if (c.num) *c.num = c.value;
        if (c.text) *c.text = c.textValue;
    }
    return true;
}

// The data procedure of a group. endStar: only a first field that is "*"
// alone ends the group (its first field is a text that may start with "*").
int16_t Data(int16_t& flag, const std::vector<Field>& fields, const std::string& line,
             bool endStar = false, void (*after)() = nullptr) {
    TxLineArrived();
    if (flag == False) {
        SendAck();
        return True;
    }
    const std::string& data = AnswerRec.strAnsData;
    const bool end = endStar ? data.substr(0, data.find(':')) == "*" : (!data.empty() && data[0] == '*');
    if (end) {
        flag = False;
        return EndTableRead();
    }
    if (Store(fields, line) && after) after();
    SendAck();
    return True;
}

// After a communication record: the link's addressed mode as its P911 says,
// by the same rule as the register's opening.
void AddressedFromP911() { LinkState.bAddressed = GetAddressedMode(C().P911); }

}  // namespace

std::string AnsComm() { return Answer(CommFields(false)); }
std::string AnsOpGen() { return Answer(OpGenFields(false)); }
std::string AnsTabIva() { return Answer(TabIvaFields(false)); }
std::string AnsGlbCassa() { return Answer(GlbCassaFields(false)); }
std::string AnsGlbCassa2() { return Answer(GlbCassa2Fields(false)); }
std::string AnsScontrino() { return Answer(ScontrinoFields(false)); }
std::string AnsScontrino2() { return Answer(Scontrino2Fields(false)); }
std::string AnsOpeCamCli() { return Answer(OpeCamCliFields(false)); }
std::string AnsOpeCamCli2() { return Answer(OpeCamCli2Fields(false)); }

int16_t DataComm() {
    // The record part of the line: its last field is never read.
    return Data(ReqState.bRdComm, CommFields(true), AnswerRec.strAnsRec, false, AddressedFromP911);
}

int16_t DataOpGen() { return Data(ReqState.bRdOpGen, OpGenFields(true), AnswerRec.strAnsData); }
int16_t DataTabIva() { return Data(ReqState.bRdTabIva, TabIvaFields(true), AnswerRec.strAnsData); }

int16_t DataGlbCassa() {
    return Data(ReqState.bRdGlbCassa, GlbCassaFields(true), AnswerRec.strAnsData);
}

int16_t DataGlbCassa2() {
    return Data(ReqState.bRdGlbCassa2, GlbCassa2Fields(true), AnswerRec.strAnsData, true);
}

int16_t DataScontrino() {
    return Data(ReqState.bRdScontrino, ScontrinoFields(true), AnswerRec.strAnsData);
}

int16_t DataScontrino2() {
    return Data(ReqState.bRdScontrino2, Scontrino2Fields(true), AnswerRec.strAnsData);
}

int16_t DataOpeCamCli() {
    return Data(ReqState.bRdOpeCamCli, OpeCamCliFields(true), AnswerRec.strAnsData);
}

int16_t DataOpeCamCli2() {
    return Data(ReqState.bRdOpeCamCli2, OpeCamCli2Fields(true), AnswerRec.strAnsData);
}
