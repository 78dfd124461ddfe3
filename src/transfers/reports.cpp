#include "transfers/reports.h"

#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

ReportGlobals Reports;

namespace {

using R = ReqStateRec;

const ReportInfo kPLU = {"04", "RptPLU", "PLUGiorno.rpt", &R::nRptPLU, "*B", true};

int16_t Write(const std::string& code);

}  // namespace

const std::vector<ReportInfo>& ReportInfos() {
    static const std::vector<ReportInfo> reports = {
        {"02", "RptReparti", "Reparti.rpt", &R::nRptReparti, "*A", true},
        {"03", "RptIVA", "IVA.rpt", &R::nRptIVA, "*E", true},
        kPLU,
        {"05", "RptOperatori", "Operatori.rpt", &R::nRptOperatori, "*C", false},
        {"06", "RptCamerieri", "Camerieri.rpt", &R::nRptCamerieri, "*D", true},
        {"19", "RptValute", "Valute.rpt", &R::nRptValute, "*w", true},
        {"21", "RptOraria", "Oraria.rpt", &R::nRptOraria, "*h", true},
        {"22", "RptFinanziario", "Finanziario.rpt", &R::nRptFinanziario, "*f", true},
        {"30", "RptClienti", "Clienti.rpt", &R::nRptClienti, "*R", true},
        {"31", "RptFatture", "Fatture.rpt", &R::nRptFatture, "*S", true},
        {"32", "RptBollini", "Bollini.rpt", &R::nRptBollini, "*g", true},
        {"33", "RptTavoli", "Tavoli.rpt", &R::nRptTavoli, "*u", true},
        {"34", "RptTicketAmount", "TicketAmount.rpt", &R::nRptTicketAmount, "*b", true},
        {"35", "RptClientG", "ClientG.rpt", &R::nRptClientG, "", true},
        // The customer chip card read: its lines land like a report's.
        {"63", "DataCliCard", "ClientChipCard.rpt", &R::nFileCliChipCard, "&c", true},
    };
    return reports;
}

std::string ReportFileName(const ReportInfo& report) {
    if (report.word == &R::nRptPLU) return Reports.bRptPLUDay ? "PLUGiorno.rpt" : "PLUPeriodo.rpt";
    return report.file;
}

bool DataLineWhole() {
    const std::string& p = AnswerRec.strAnsFrame;
    if (p.size() < 4) return false;
    const size_t first = p.find(':', 4);
    return first != std::string::npos && p.find(':', first + 1) != std::string::npos;
}

int16_t RptReparti() { return Write("02"); }
int16_t RptIVA() { return Write("03"); }
int16_t RptPLU() { return Write("04"); }
int16_t RptOperatori() { return Write("05"); }
int16_t RptCamerieri() { return Write("06"); }
int16_t RptValute() { return Write("19"); }
int16_t RptOraria() { return Write("21"); }
int16_t RptFinanziario() { return Write("22"); }
int16_t RptClienti() { return Write("30"); }
int16_t RptFatture() { return Write("31"); }
int16_t RptBollini() { return Write("32"); }
int16_t RptTavoli() { return Write("33"); }
int16_t RptTicketAmount() { return Write("34"); }
int16_t RptClientG() { return Write("35"); }
int16_t DataCliCard() { return Write("63"); }

namespace {

std::string WorkFile(const std::string& name) { return tables::TablePath(name + ".part"); }

// A file of the report could not be written: said, counted as a failure of
// the run, and the report given up (its work file removed) so that no later
// line completes a report with a hole in it; the previous report stays.
void GiveUp(uint16_t& word, const std::string& name, const char* what) {
    CloseFileNum(word, static_cast<int16_t>(kFileDone));
    platform::RemoveFile(WorkFile(name));
    ReportTransferFailure(GetText("Log", what) + " " + tables::TablePath(name));
}

int16_t Write(const std::string& code) {
    TxLineArrived();
    const ReportInfo* report = nullptr;
    for (const ReportInfo& r : ReportInfos())
        if (code == r.code) report = &r;
    uint16_t& word = ReqState.*report->word;
    if (word == kFileDone) return SendAck();
    if (!DataLineWhole()) {
        // A line lost leaves a hole in the report: a failure of the read.
        ReportTransferFailure(GetText("Log", "notstored") + " " + AnswerRec.strAnsFrame);
        return SendAck();
    }
    const std::string name = ReportFileName(*report);
    const std::string& data = AnswerRec.strAnsData;
    if (word == kFileOpenNext) {
        if (report->countsRecords) SetCntRec(0);
        const int16_t number = OpenOutputFileNum(WorkFile(name), false);
        if (number == 0) {
            GiveUp(word, name, "nocreate");
            return SendAck();
        }
        word = static_cast<uint16_t>(number);
    }
    Shell& shell = CurrentShell();
    if (!data.empty() && data[0] == '*') {
        CloseFileNum(word, static_cast<int16_t>(kFileDone));
        if (platform::RenameFile(WorkFile(name), tables::TablePath(name))) {
            CopyRecvFile("\\" + name);
        } else {
            GiveUp(word, name, "nowrite");
        }
        shell.SetPGBValue(-1);
        ShowMsg("", "");
        // A whole report, even an empty one, is a complete read and stored
        // (a report given up, or with a line lost, has said so instead).
        if (ShowReadStatus()) NoteFileStored();
        DecPending();
        return SendAck();
    }
    if (report->countsRecords) IncCntRec();
    shell.IncPGBValue();
    if (!PrintFileNum(static_cast<int16_t>(word), data)) GiveUp(word, name, "nowrite");
    return SendAck();
}

}  // namespace
