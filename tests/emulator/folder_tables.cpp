#include "emulator/folder_tables.h"

#include "core/config_level.h"
#include "core/req_state.h"
#include "core/table_sizes.h"
#include "emulator/cash_register.h"
#include "engine/builders_tables.h"
#include "link/dispatch.h"
#include "store/plu.h"
#include "store/plu_directory.h"
#include "store/table_file.h"
#include "platform/files.h"
#include "transfers/transfer.h"

namespace emu {

namespace {

// How the program's send of a table starts: the send counters and file
// words its builder sets (engine/builders_tables.cpp) for the whole table.
struct SendStart {
    const char* token;
    bool option;  // an option group, sent from the options record
    void (*start)();
};

void OpenNext(uint16_t& word) { word = kFileOpenNext; }

// Whole records of a table file.
int32_t Records(const std::string& path, int64_t length) {
    const int64_t size = platform::FileSize(path);
    return size > 0 ? static_cast<int32_t>(size / length) : 0;
}

const SendStart kStarts[] = {
    {"*F", false, [] {
         Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0 = 1;
         Tx.nTxRepartoTo = Tx.nTxRepartoTo0 = Sizes.nMaxReparti;
     }},
    {"^e", false, [] {
         Tx.nTxRepFidFrom = Tx.nTxRepFidFrom0 = 1;
         Tx.nTxRepFidTo = Tx.nTxRepFidTo0 = Sizes.nMaxReparti;
     }},
    {"*G", false, [] {
         Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = 1;
         Tx.nTxPLUTo = Tx.nTxPLUTo0 = Records(PLUFilePath(), sizeof(PLURec));
         OpenNext(ReqState.nTxPLU);
     }},
    {"*L", false, [] {
         Tx.nTxOffFrom = Tx.nTxOffFrom0 = 1;
         Tx.nTxOffTo = Tx.nTxOffTo0 = Records(tables::TablePath(kOffFile), sizeof(PLURec));
         OpenNext(ReqState.nTxOff);
     }},
    {"*M", false, [] {
         Tx.nTxCliFrom = Tx.nTxCliFrom0 = 1;
         Tx.nTxCliTo = Tx.nTxCliTo0 = -1;
         OpenNext(ReqState.nTxCli);
     }},
    {"*l", false, [] {
         Tx.nTxFMultFrom = Tx.nTxFMultFrom0 = 1;
         Tx.nTxFMultTo = Tx.nTxFMultTo0 = Sizes.nMaxFunMul;
         OpenNext(ReqState.nTxFMult2);
         OpenNext(ReqState.nTxFMult);
     }},
    {"*P", false, [] { OpenNext(ReqState.nTxValuta); }},
    {"*Z", false, [] { OpenNext(ReqState.nTxTestoIcone); }},
    {"*Y", false, [] {
         OpenNext(ReqState.nTxScoMag);
         Tx.nTxScoMagIdx = 1;
     }},
    {"^d", false, [] { Tx.nTxSubFidIdx = 0; }},
    {"^f", false, [] {
         Tx.nTxCirCliIdx = 1;
         OpenNext(ReqState.nTxCirCli);
     }},
    {"*H", false, [] { OpenNext(ReqState.nTxOpe); }},
    {"*U", false, [] {
         OpenNext(ReqState.nTxModPag);
         Tx.nTxModPagIdx = 1;
     }},
    {"*a", false, [] { OpenNext(ReqState.nTxTicketAmount); }},
    {"*N", false, [] { Tx.nTxIconePeriodoIdx = 1; }},
    {"*O", false, [] { OpenNext(ReqState.nTxGrpRep); }},
    {"^i", false, [] { OpenNext(ReqState.nTxGrpSta); }},
    {"*o", false, [] { ReqState.nTxClientGroup = 0; }},
    {"*J", false, [] { OpenNext(ReqState.nTxCam); }},
    {"*Q", false, [] { OpenNext(ReqState.nTxBollino); }},
    {"^g", false, [] {
         Tx.nTxPrzPesoIdx = 1;
         OpenNext(ReqState.nTxPrzPeso);
     }},
    // The receipt header and the option groups come from the options record.
    {"*T", true, [] { Tx.nTxIntScontrinoIdx = Tx.nTxIntScontrinoIdx0 = 0; }},
    {"*V", true, [] {}},
    {"*X", true, [] {}},
    {"*I", true, [] {}},
    {"*n", true, [] {}},
    {"*t", true, [] {}},
    {"*s", true, [] {}},
    {"*r", true, [] {}},
    {"*p", true, [] {}},
    {"*v", true, [] {}},
    {"*W", true, [] {}},
    {"*m", true, [] {}},
};

const TableInfo* InfoOf(const std::string& token) {
    for (const TableInfo& t : KnownTables())
        if (t.sendToken == token && !t.chipCard) return &t;
    return nullptr;
}

// The occupied slots of the PLU directory as a send sets them ("code:slot").
std::vector<std::string> DirectorySlots() {
    std::vector<std::string> slots;
    for (int16_t slot = 1; slot <= Sizes.nMaxDirPLU; ++slot) {
        DirPLURec rec;
        if (!GetDirPLU(std::to_string(slot), rec)) break;
        if (!rec.code.Trim().empty()) slots.push_back(rec.code.Trim() + ":" + std::to_string(slot));
    }
    return slots;
}

}  // namespace

std::vector<std::pair<std::string, std::vector<std::string>>> FolderTables(bool withOptions) {
    std::vector<std::pair<std::string, std::vector<std::string>>> out;
    const bool lx = ConfigLevel.CashType() == "LX4100";
    for (const SendStart& s : kStarts) {
        const TableInfo* info = InfoOf(s.token);
        const AnsProc answer = info ? AnsProcOf(info->bCode) : nullptr;
        if (!answer || (s.option && !withOptions) || !ModelHasRequestTable(s.token)) continue;
        // LX4100 keeps neither the second register options nor the discount
        // option array.
        if (lx && (std::string(s.token) == "*X" || std::string(s.token) == "*m")) continue;
        InitFlags();
        Tx = TxCountersRec{};
        s.start();
        std::vector<std::string> records;
        // One answer per request of the register, up to the send's end ("*")
        // or a refusal ("0;"); an option group is one record.
        for (int32_t n = 0; n < 1000000; ++n) {
            const std::string record = answer();
            if (record.empty() || record[0] == '*' || record.rfind("0;", 0) == 0) break;
            records.push_back(record);
            if (info->singleRecord) break;
        }
        out.emplace_back(info->name, std::move(records));
    }
    out.emplace_back("plu directory", DirectorySlots());
    // The PLU options, which the register only sends: as the program keeps
    // them from its last read (the answer it gives a register that asks).
    if (const AnsProc options = AnsProcOf("78"); options && withOptions)
        out.emplace_back("plu options", std::vector<std::string>{options()});
    InitFlags();
    Tx = TxCountersRec{};
    return out;
}

}  // namespace emu
