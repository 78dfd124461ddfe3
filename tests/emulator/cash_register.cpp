#include "emulator/cash_register.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace emu {

const std::vector<TableInfo>& KnownTables() {
    static const std::vector<TableInfo> tables = {
        {"departments", "*F", "80", "&L", "07"},
        {"plu", "*G", "81", "", ""},
        {"offers", "*L", "84", "", ""},
        {"operators", "*H", "83", "&N", "09", false, 10, 10},
        {"receipt header", "*T", "85", "&O", "10"},
        {"payment types", "*U", "86", "&P", "11", false, 6, 5},
        {"register options", "*V", "87", "&Q", "12", true},
        {"discounts", "*Y", "88", "&R", "13"},
        {"vat table", "*I", "89", "&W", "14", true},
        {"waiters", "*J", "82", "&K", "15", false, 2, 2},
        {"customers", "*M", "70", "&I", "16"},
        {"keyboard", "*y", "79", "&k", "20"},
        {"plu directory", "*i", "71", "&l", "23", false, 2, 2},
        {"communication", "*n", "72", "&m", "24", true},
        {"operator options", "*p", "73", "&o", "25", true},
        {"receipt options", "*s", "74", "&q", "26", true},
        {"receipt options 2", "*r", "75", "&t", "27", true},
        {"general options", "*t", "76", "&u", "28", true},
        {"operator options 2", "*v", "77", "&v", "29", true},
        // LX4100's third options token: the register asks for a plain
        // acknowledgement.
        {"operator options 3", "*d", "01", "", "", true},
        {"icon periods", "*N", "50", "&i", "50"},
        {"department groups", "*O", "51", "&p", "51"},
        {"stamps", "*Q", "52", "&r", "52"},
        {"currencies", "*P", "53", "&s", "53"},
        {"icon texts", "*Z", "54", "&Z", "54", false, 4, 4},
        {"register options 2", "*X", "55", "&S", "55", true},
        {"multiple functions", "*l", "56", "&H", "56"},
        {"discount option array", "*m", "57", "&T", "70", true},
        {"meal tickets", "*a", "58", "&a", "58", false, 3, 3},
        {"customer groups", "*o", "59", "&b", "59", false, 2, 2},
        {"statistic groups", "^i", "62", "^L", "62"},
        {"loyalty lines", "^f", "63", "^F", "71", false, 3, 3},
        {"loyalty subtotal", "^d", "64", "^D", "64", false, 9, 9},
        {"change loading", "^b", "66", "", ""},
        {"loyalty by department", "^e", "67", "^E", "67", false, 10, 10},
        {"price weight codes", "^g", "68", "^G", "68", false, 2, 2},
        {"discount options", "*W", "69", "&f", "69", true},
        {"plu options", "", "", "&z", "78"},
        {"operator card", "*a", "60", "&a", "60", true, 9, 9, true},
        {"waiter card", "*b", "61", "&b", "61", true, 9, 9, true},
    };
    return tables;
}

std::string ReportCode(const std::string& token) {
    static const std::map<std::string, std::string> codes = {
        {"*A", "02"}, {"*E", "03"}, {"*B", "04"}, {"*K", "04"}, {"*C", "05"},
        {"*D", "06"}, {"*w", "19"}, {"*h", "21"}, {"*f", "22"}, {"*R", "30"},
        {"*S", "31"}, {"*g", "32"}, {"*u", "33"}, {"*b", "34"}, {"*c", "35"},
    };
    auto it = codes.find(token.substr(0, 2));
    return it == codes.end() ? std::string() : it->second;
}

namespace {

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// The table of a request token; cardReader: a chip card of LX4100's reader
// comes first (a card write has "#H" after its token).
const TableInfo* FindTable(const std::string& token, bool send, bool cardReader = false) {
    const std::string key = token.substr(0, 2);
    for (bool card : {true, false}) {
        if (card && !cardReader) continue;
        for (const TableInfo& t : KnownTables())
            if ((send ? t.sendToken : t.readToken) == key && !key.empty() && t.chipCard == card)
                return &t;
    }
    return nullptr;
}

size_t FieldCount(const std::string& record) {
    size_t n = 1;
    for (char c : record) n += c == ':';
    return n;
}

// The sort key of an article: its code right-aligned in 13 characters, so
// that numeric codes sort numerically.
std::string ArticleKey(const std::string& record) {
    std::string code = record.substr(0, record.find(':'));
    while (!code.empty() && code.front() == ' ') code.erase(0, 1);
    while (!code.empty() && code.back() == ' ') code.pop_back();
    return code.size() >= 13 ? code : std::string(13 - code.size(), ' ') + code;
}

bool IsArticleTable(const std::string& name) { return name == "plu" || name == "offers"; }

std::vector<std::string> Fields(const std::string& record) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t colon = record.find(':', start);
        out.push_back(record.substr(start, colon == std::string::npos ? std::string::npos
                                                                      : colon - start));
        if (colon == std::string::npos) return out;
        start = colon + 1;
    }
}

// The communication record as the register sends it on a read (20 fields
// and the two extensions, the last field one the program never reads) from
// the one it was sent (14 fields and the extensions). "999" in a line
// parameter (P681S, P681C, P681F) leaves the register's own value.
std::string CommReadRecord(const std::string& sent, const std::string& held) {
    std::vector<std::string> in = Fields(sent);
    std::vector<std::string> old = Fields(held);
    auto keep = [&](size_t sentAt, size_t heldAt) {
        if (sentAt < in.size() && in[sentAt] != "999") return in[sentAt];
        return heldAt < old.size() && !old[heldAt].empty() ? old[heldAt] : std::string("1");
    };
    if (in.size() < 14) in.resize(14, "0");
    std::string out;
    for (size_t i = 0; i < 10; ++i) out += in[i] + ":";
    out += keep(10, 10) + ":0:0:0:0:" + keep(13, 15) + ":0:0:" + in[11] + ":" + in[12] + ":";
    if (in.size() > 14) out += in[14] + ":";
    if (in.size() > 15) out += keep(15, 21) + ":";
    return out + "0:";
}

std::string Word(int value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", value % 1000);
    return buf;
}

}  // namespace

CashRegister::CashRegister(int station, RegisterConfig config)
    : station_(station), config_(std::move(config)) {}

void CashRegister::SetConfig(const RegisterConfig& config) {
    std::lock_guard<std::mutex> lock(mu_);
    config_ = config;
}

RegisterConfig CashRegister::Config() const {
    std::lock_guard<std::mutex> lock(mu_);
    return config_;
}

void CashRegister::SetRecords(const std::string& table, std::vector<std::string> records) {
    std::lock_guard<std::mutex> lock(mu_);
    records_[table] = std::move(records);
}

void CashRegister::SetReport(const std::string& token, std::vector<std::string> lines) {
    std::lock_guard<std::mutex> lock(mu_);
    reports_[token] = std::move(lines);
}

void CashRegister::SetHistory(std::vector<std::pair<std::string, std::string>> lines) {
    std::lock_guard<std::mutex> lock(mu_);
    history_ = std::move(lines);
}

void CashRegister::SetCustomers(const std::vector<std::string>& records) {
    std::lock_guard<std::mutex> lock(mu_);
    customers_.Set(records);
}

std::vector<std::string> CashRegister::Customers() const {
    std::lock_guard<std::mutex> lock(mu_);
    return customers_.All();
}

void CashRegister::SetArticles(const std::vector<std::string>& records) {
    std::lock_guard<std::mutex> lock(mu_);
    articles_.clear();
    for (const std::string& r : records) articles_[ArticleKey(r)] = r;
}

std::vector<std::string> CashRegister::Articles() const {
    std::lock_guard<std::mutex> lock(mu_);
    std::vector<std::string> out;
    for (const auto& [key, record] : articles_) out.push_back(record);
    return out;
}

void CashRegister::AddHistory(std::vector<std::pair<std::string, std::string>> lines) {
    std::lock_guard<std::mutex> lock(mu_);
    history_.insert(history_.end(), lines.begin(), lines.end());
}

void CashRegister::SetClosure(const std::string& text) {
    std::lock_guard<std::mutex> lock(mu_);
    closure_ = text;
}

void CashRegister::SeedOptions(const std::string& model, int number, int station, int addressed) {
    std::lock_guard<std::mutex> lock(mu_);
    const bool lx = model == "LX4100";
    // P911: bit 2 is the addressed mode.
    const bool on = addressed < 0 ? lx : addressed != 0;
    records_["communication"] = {"0:999:999:999:10:0:3:3:1:" + std::to_string(number) + ":1:0:0:0:0:2:0:0:" +
                                 std::to_string(station + 1) + ":" + std::to_string(on ? 130 : 128) + ":0:"};
    records_["general options"] = {"0:3:" + std::string(lx ? "0" : "32") +
                                   ":0:1:0:0:0:0:0:224:0:0:010124:0:"};
    records_["vat table"] = {lx ? "22:10:4:0:" : "22:10:4:0:5:"};  // whole percents, 0 to 99
    // LX4100 keeps no P518 and P519: its record ends after P513.
    records_["register options"] = {lx ? "0:0:0:0:0:" : "0:0:0:128:0:0:0:"};
    records_["register options 2"] = {"::A:224:"};
    records_["receipt options"] = {lx ? "52:2:20:" : "52:2:20:11:"};
    records_["receipt options 2"] = {lx ? "35:196:0:" : "16:192:32:"};
    records_["operator options"] = {"0:4:"};
    records_["operator options 2"] = {"000:0:00000:"};
}

std::vector<std::string> CashRegister::Records(const std::string& table) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = records_.find(table);
    return it == records_.end() ? std::vector<std::string>{} : it->second;
}

std::vector<std::string> CashRegister::Received(const std::string& table) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = received_.find(table);
    return it == received_.end() ? std::vector<std::string>{} : it->second;
}

std::vector<std::vector<std::string>> CashRegister::Sends(const std::string& table) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = sends_.find(table);
    return it == sends_.end() ? std::vector<std::vector<std::string>>{} : it->second;
}

std::vector<std::string> CashRegister::Refused(const std::string& table) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = refused_.find(table);
    return it == refused_.end() ? std::vector<std::string>{} : it->second;
}

std::vector<std::string> CashRegister::Commands() const {
    std::lock_guard<std::mutex> lock(mu_);
    return commands_;
}

std::string CashRegister::HistoryStart() const {
    std::lock_guard<std::mutex> lock(mu_);
    return historyStart_;
}

int CashRegister::Closures() const {
    std::lock_guard<std::mutex> lock(mu_);
    return closures_;
}

std::string CashRegister::ClosureAnswer() const {
    std::lock_guard<std::mutex> lock(mu_);
    return closureAnswer_;
}

int CashRegister::Polls() const {
    std::lock_guard<std::mutex> lock(mu_);
    return polls_;
}

int CashRegister::Hellos() const {
    std::lock_guard<std::mutex> lock(mu_);
    return hellos_;
}

bool CashRegister::Busy() const {
    std::lock_guard<std::mutex> lock(mu_);
    return mode_ != Mode::Idle;
}

std::string CashRegister::HelloPayload() const {
    const bool refuses = config_.refusingHellos != 0 || (config_.refusingHello > 0 && hellos_ == config_.refusingHello);
    const int word0 = refuses ? (config_.status[0] | 8) : config_.status[0];
    std::string p = "A01:" + Word(word0) + ":" + Word(config_.status[1]) + ":" +
                    Word(config_.status[2]) + ":";
    if (config_.fourthWord) p += Word(config_.status[3]) + ":";
    return p + config_.dateTime + ":" + config_.identity + ":" + config_.release + ":" +
           config_.name;
}

bool CashRegister::OnPoll(Register& reg, const PcUnit&) {
    if (reg.Station() != station_) return false;
    std::lock_guard<std::mutex> lock(mu_);
    LeaveLateClosure(reg);
    ++polls_;
    if (polls_ == config_.silentPoll || polls_ == config_.silentPollAgain) return true;
    if (config_.silentPolls != 0) {
        if (config_.silentPolls > 0) --config_.silentPolls;
        return true;
    }
    ++hellos_;
    const bool garbled = config_.garbledHellos != 0;
    if (config_.garbledHellos > 0) --config_.garbledHellos;
    reg.Send(HelloPayload(), garbled);
    if (config_.refusingHellos > 0) --config_.refusingHellos;
    return true;
}

bool CashRegister::OnFrame(Register& reg, const PcUnit& unit) {
    if (reg.Station() != station_) return false;
    std::lock_guard<std::mutex> lock(mu_);
    const std::string& p = unit.payload;
    const bool command = p.compare(0, 2, "0;") == 0;

    if (mode_ == Mode::Sending && !(command && p.size() > 2)) {
        // A record of the table being sent, or its end.
        if (p == "*") {
            Finish();
            return true;
        }
        if (Takes(*table_, p))
            incoming_.push_back(p);
        else
            refused_[table_->name].push_back(p);
        if (table_->singleRecord)
            Finish();
        else
            NextRequest(reg, false);
        return true;
    }
    if (mode_ == Mode::Closure && !(command && p.size() > 2)) {
        // The program's acknowledgement of the closure data.
        closureAnswer_ = p;
        mode_ = Mode::Idle;
        return true;
    }
    if (mode_ == Mode::HistoryStart && !(command && p.size() > 2)) {
        // Where the program wants the history to start from: after the line
        // of the position it names, or from the first line.
        historyStart_ = p;
        mode_ = Mode::Lines;
        lines_.clear();
        size_t first = 0;
        const std::string position = p.substr(0, p.find(';'));
        for (size_t i = 0; i < history_.size(); ++i)
            if (history_[i].first == position) first = i + 1;
        for (size_t i = first; i < history_.size(); ++i)
            lines_.push_back("C00:" + history_[i].first + ":" + history_[i].second);
        lines_.push_back("C00:ZZZZ:ZZ:*");
        next_ = 0;
        NextLine(reg, true);
        return true;
    }
    if (!command) return true;  // data nobody asked for

    LeaveLateClosure(reg);
    mode_ = Mode::Idle;  // a command ends whatever was under way
    const std::string text = p.substr(2);
    commands_.push_back(text);
    StartCommand(reg, text);
    return true;
}

bool CashRegister::Loses(Register& reg, const PcUnit& unit) {
    if (reg.Station() != station_) return false;
    std::lock_guard<std::mutex> lock(mu_);
    const std::string& p = unit.payload;
    if (p.compare(0, 2, "0;") == 0 && p.size() > 2) {
        losing_ = false;  // a command: a new exchange
        return false;
    }
    const bool reply = mode_ == Mode::Closure || mode_ == Mode::HistoryStart ||
                       (mode_ == Mode::Sending && p == "*");
    if (reply && !losing_) losing_ = ++replies_ == config_.lostReply;
    return reply && losing_;
}

bool CashRegister::OnAck(Register& reg) {
    if (reg.Station() != station_) return false;
    std::lock_guard<std::mutex> lock(mu_);
    if (mode_ != Mode::Lines) return true;
    if (next_ >= lines_.size()) {
        Finish();
        if (config_.hangUpAfterRead) reg.Owner().HangUp();
    } else
        NextLine(reg, false);
    return true;
}

void CashRegister::StartCommand(Register& reg, const std::string& text) {
    if (text == "#P;#H;") {
        // The hello command: nothing to do but, if asked, a status frame.
        if (config_.statusOnHelloCommand) reg.Send("A05");
        return;
    }
    const std::vector<std::string> tokens = Tokens(text);
    bool open = false, data = false;
    std::string mode, request;
    for (const std::string& t : tokens) {
        if (t == "#H" && !request.empty()) data = true;
        if (t == "*2") {
            open = true;
        } else if (t == "#P" && open && mode.empty()) {
            // The receipt history: first the register asks where to start.
            mode_ = Mode::HistoryStart;
            sent_ = 0;
            historyStart_.clear();
            reg.Send("B90");
            ++sent_;
            return;
        } else if (t == "+2" || t == "+3" || t == "+4") {
            mode = t;
        } else if (!mode.empty() && request.empty()) {
            request = t;
        }
    }
    if (request.empty()) return;
    sent_ = 0;
    next_ = 0;
    lines_.clear();
    if (mode == "+2") {
        const std::string code = ReportCode(request);
        if (code.empty()) return;
        for (const std::string& l : reports_[request.substr(0, 2)])
            lines_.push_back("C" + code + ":ZZZZ:ZZ:" + l);
        lines_.push_back("C" + code + ":ZZZZ:ZZ:*");
        mode_ = Mode::Lines;
        NextLine(reg, true);
        return;
    }
    if (mode == "+3" && request == "#Z") {
        // The daily closure: the register asks for the acknowledgement of its
        // closure data, at once or as late as it is set to.
        ++closures_;
        closureAnswer_.clear();
        mode_ = Mode::Closure;
        if (config_.closureDataDelayMs == 0)
            reg.Send("B45:" + closure_);
        else if (config_.closureDataDelayMs > 0)
            reg.SendAfter("B45:" + closure_, config_.closureDataDelayMs / 1000.0);
        return;
    }
    if (mode != "+4") return;
    const bool cardReader = config_.model == "LX4100";
    if (request.compare(0, 2, "&M") == 0) {
        // The PLU and offer dump: every article whose code lies in the range.
        const std::string range = request.substr(2);
        const size_t colon = range.find(':');
        const std::string first = ArticleKey(range.substr(0, colon) + ":");
        const std::string last =
            ArticleKey((colon == std::string::npos ? std::string() : range.substr(colon + 1)) + ":");
        for (const auto& [key, record] : articles_)
            if (key >= first && key <= last) lines_.push_back("C08:ZZZZ:ZZ:" + record);
        lines_.push_back("C08:ZZZZ:ZZ:*");
        mode_ = Mode::Lines;
        NextLine(reg, true);
        return;
    }
    if (const TableInfo* t = FindTable(request, true, cardReader && data)) {
        table_ = t;
        incoming_.clear();
        refused_[t->name].clear();
        mode_ = Mode::Sending;
        NextRequest(reg, true);
    } else if (const TableInfo* r = FindTable(request, false, cardReader)) {
        table_ = r;
        const std::vector<std::string> records =
            KeepsCustomers(r) ? customers_.Lines(request,
                                                 CustomerGeneration(config_.model, config_.release),
                                                 config_.customerLevel)
                              : records_[r->name];
        for (const std::string& rec : records)
            lines_.push_back("C" + r->cCode + ":ZZZZ:ZZ:" + rec);
        lines_.push_back("C" + r->cCode + ":ZZZZ:ZZ:*");
        mode_ = Mode::Lines;
        NextLine(reg, true);
    }
}

void CashRegister::LeaveLateClosure(Register& reg) {
    if (mode_ == Mode::Closure && reg.Withdraw("B45:" + closure_)) mode_ = Mode::Idle;
}

bool CashRegister::Stalled() { return config_.stallAfter >= 0 && sent_ >= config_.stallAfter; }

void CashRegister::NextRequest(Register& reg, bool first) {
    if (Stalled()) return;
    ++sent_;
    const std::string payload = "B" + table_->bCode;
    if (!first && config_.lineDelay > 0)
        reg.SendAfter(payload, config_.lineDelay);
    else
        reg.Send(payload);
}

void CashRegister::NextLine(Register& reg, bool first) {
    if (next_ >= lines_.size()) {
        Finish();
        return;
    }
    if (Stalled()) return;
    ++sent_;
    const std::string payload = lines_[next_++];
    if (!first && config_.lineDelay > 0)
        reg.SendAfter(payload, config_.lineDelay);
    else
        reg.Send(payload);
}

namespace {

// The register's PLU directory after a send: a record with an empty slot
// number frees the slot that holds its code, any other puts its code in its
// slot. The directory is read back slot by slot ("code:slot:").
std::vector<std::string> ChangeDirectory(const std::vector<std::string>& held,
                                         const std::vector<std::string>& incoming) {
    std::map<int, std::string> slots;
    for (const std::string& r : held) {
        size_t colon = r.find(':');
        if (colon == std::string::npos) continue;
        slots[std::atoi(r.c_str() + colon + 1)] = r.substr(0, colon);
    }
    for (const std::string& r : incoming) {
        size_t colon = r.find(':');
        if (colon == std::string::npos) continue;
        const std::string code = r.substr(0, colon);
        const std::string slot = r.substr(colon + 1);
        if (slot.empty()) {
            for (auto it = slots.begin(); it != slots.end();)
                it = it->second == code ? slots.erase(it) : std::next(it);
        } else {
            slots[std::atoi(slot.c_str())] = code;
        }
    }
    std::vector<std::string> out;
    for (const auto& [slot, code] : slots) out.push_back(code + ":" + std::to_string(slot) + ":");
    return out;
}

// The register's keyboard after a send: each key sent ("variant:level:
// position:code:") takes the place of the key it names, the others stay;
// the keys in order of variant, level and position.
std::vector<std::string> ChangeKeyboard(const std::vector<std::string>& held,
                                        const std::vector<std::string>& sent) {
    std::map<std::array<int, 3>, std::string> keys;
    for (const auto* records : {&held, &sent})
        for (const std::string& r : *records) {
            const std::vector<std::string> f = Fields(r);
            if (f.size() < 4) continue;
            keys[{std::atoi(f[0].c_str()), std::atoi(f[1].c_str()), std::atoi(f[2].c_str())}] = r;
        }
    std::vector<std::string> out;
    for (const auto& [key, record] : keys) out.push_back(record);
    return out;
}

}  // namespace

void CashRegister::Finish() {
    if (mode_ == Mode::Sending && table_) {
        sends_[table_->name].push_back(incoming_);
        received_[table_->name] = incoming_;
        Keep(*table_, incoming_);
    }
    mode_ = Mode::Idle;
}

void CashRegister::Keep(const TableInfo& table, const std::vector<std::string>& records) {
    if (table.name == "plu directory") {
        records_[table.name] = ChangeDirectory(records_[table.name], records);
        return;
    }
    // What was sent is what a read gives back: every field ended by ":".
    std::vector<std::string> stored;
    for (const std::string& r : records) stored.push_back(r + ":");
    if (table.name == "communication" && !records.empty()) {
        const auto& held = records_[table.name];
        stored = {CommReadRecord(records.front(), held.empty() ? "" : held.front())};
    }
    if (table.name == "keyboard") stored = ChangeKeyboard(records_[table.name], stored);
    records_[table.name] = stored;
    // PLUs and offers join the register's sorted store, each by its code.
    if (IsArticleTable(table.name))
        for (const std::string& r : stored) articles_[ArticleKey(r)] = r;
}

bool CashRegister::Takes(const TableInfo& table, const std::string& record) {
    const int fields = config_.model == "LX4100" ? table.fieldsLX4100 : table.fields;
    if (KeepsCustomers(&table))
        return customers_.Take(record, CustomerGeneration(config_.model, config_.release),
                               config_.customerLevel);
    return config_.model.empty() || fields <= 0 || FieldCount(record) == static_cast<size_t>(fields);
}

void CashRegister::Hold(const std::string& table, const std::vector<std::string>& records) {
    std::lock_guard<std::mutex> lock(mu_);
    for (const TableInfo& t : KnownTables()) {
        if (t.name != table) continue;
        std::vector<std::string> taken;
        for (const std::string& r : records)
            if (Takes(t, r)) taken.push_back(r);
        Keep(t, taken);
        return;
    }
}

}  // namespace emu
