#include "tables/customers_import.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/main_timer.h"
#include "core/shell.h"
#include "core/texts.h"
#include "customers/client_file.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "tables/record.h"
#include "tables/table_file.h"
#include "tables/transfer.h"

namespace {

// One accepted record: its code as stored (12 characters) and its line, the
// record's position in the source from 1.
struct SortEntry {
    char code[12];
    int32_t line;
};

bool operator<(const SortEntry& a, const SortEntry& b) {
    const int c = std::memcmp(a.code, b.code, sizeof a.code);
    return c != 0 ? c < 0 : a.line < b.line;
}

bool SameCode(const SortEntry& a, const SortEntry& b) {
    return std::memcmp(a.code, b.code, sizeof a.code) == 0;
}

// The source is missing, empty or not of the expected size.
void ReportNoSource() {
    if (Core.bInteractive)
        CurrentShell().MsgBox(GetText("Msg", "20") + "-" + GetText("Msg1", "24"), "");
    else
        LogErr(8);
}

// The source's lines, each ended by CR LF, LF or CR (the last may have no
// end); empty lines at the end of the file are no lines. Each line must be a
// record of the width without its end: the records are given back, each
// ended by CR LF. False when a line is of another width.
bool SplitRecords(const std::string& bytes, size_t width, std::string& records, size_t& count) {
    records.clear();
    count = 0;
    size_t end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\r' || bytes[end - 1] == '\n')) --end;
    records.reserve(end + end / (width + 1) + 2);
    size_t at = 0;
    while (at < end) {
        size_t stop = bytes.find_first_of("\r\n", at);
        if (stop == std::string::npos || stop > end) stop = end;
        if (stop - at != width) return false;
        records.append(bytes, at, width);
        records += "\r\n";
        ++count;
        at = stop;
        if (at < end && bytes[at] == '\r') ++at;
        if (at < end && bytes[at] == '\n' && bytes[at - 1] != '\n') ++at;
    }
    return count > 0;
}

}  // namespace

int32_t SortCli(const std::string& source, const std::string& destination) {
    ClientM cli;
    cli.CliType(ConfigLevel.GetClientType(Core.nOpenCash));
    const size_t len = static_cast<size_t>(cli.GetLen());
    // Every line of the source must be one record: a source of lines of
    // other widths (or of no line) is refused whole, and the archive stays.
    std::string raw, bytes;
    size_t count = 0;
    if (len < 2 || !platform::ReadFile(source, raw) ||
        !SplitRecords(raw, len - 2, bytes, count)) {
        ReportNoSource();
        return -1;
    }
    raw.clear();

    Shell& shell = CurrentShell();
    shell.SetPGBRange(1, 100);
    ShowMsg("20", "2");
    SetCntRec(0);
    std::string errors;
    auto errorLine = [&](const std::string& head, size_t line) {
        // Control bytes become blanks: one record, one line of the list.
        const std::string record = tables::BlankControls(bytes.substr((line - 1) * len, len - 2));
        errors += head + record + " line " + std::to_string(line) + "\r\n";
    };

    // First pass: check every record; the accepted ones go to the sort.
    std::vector<SortEntry> sorted;
    sorted.reserve(count);
    for (size_t line = 1; line <= count; ++line) {
        IncCntRec();
        shell.IncPGBValue();
        if (MainTimer.StopRequest) break;
        cli.SetRecord(std::string_view(bytes).substr((line - 1) * len, len));
        const int16_t check = cli.CheckCli();
        if (check != 0) {
            errorLine("E <" + tables::FormatNum(check, 2) + "> ", line);
            continue;
        }
        // The code right-aligned as the archive keeps it, whatever the
        // source's alignment, so that the order is the numeric order.
        cli.Let(CliField::strCodice, cli.strCodice());
        SortEntry e;
        std::memcpy(e.code, cli.strCodice().data(), sizeof e.code);
        e.line = static_cast<int32_t>(line);
        sorted.push_back(e);
    }
    std::sort(sorted.begin(), sorted.end());

    // Second pass: one record per code, the latest in the source.
    std::string out;
    out.reserve(sorted.size() * len);
    for (size_t i = 0; i < sorted.size(); ++i) {
        shell.IncPGBValue();
        const size_t line = static_cast<size_t>(sorted[i].line);
        if (i + 1 < sorted.size() && SameCode(sorted[i], sorted[i + 1])) {
            errorLine("D -    ", line);
            continue;
        }
        cli.SetRecord(std::string_view(bytes).substr((line - 1) * len, len));
        cli.CheckCli();  // turns ":" and ";" in the texts into blanks
        cli.Let(CliField::strCodice, cli.strCodice());
        out += cli.GetRecord();
    }

    errno = 0;
    // An import that accepts no record keeps the archive as it was.
    const bool none = out.empty();
    const bool written =
        !none && tables::WriteWholeFile("SortCli", destination, out, tables::Report::MsgBox);
    if (none) {
        ReportTransferProblem(GetText("Log", "importnone") + " " + source);
        if (!Core.bInteractive) LogErr(8);
    } else if (!written) {
        ReportTransferFailure(GetText("Log", "nowrite") + " " + destination + ": " +
                              std::strerror(errno));
    }
    if (!errors.empty()) {
        errors.resize(errors.size() - 2);  // WriteTxtFile ends the text with CR LF
        Texts.bNewTxtFile = true;
        const bool listed = WriteTxtFile(kClientErrFile, errors);
        Texts.bNewTxtFile = false;
        if (!listed) {
            ReportTransferFailure(GetText("Log", "nowrite") + " " + kClientErrFile);
        }
        if (!Core.bInteractive) {
            LogErr(9);
        } else if (shell.AskYesNo(GetText("Msg", "20") + "-" + GetText("Msg1", "cliloaderr"), "")) {
            std::string why;
            if (!platform::OpenInTextEditor(tables::TablePath(kClientErrFile), why))
                shell.MsgBox(why, "");
        }
    }
    shell.SetPGBValue(-1);
    ShowMsg("", "");
    return written ? static_cast<int32_t>(out.size() / len) : -1;
}
