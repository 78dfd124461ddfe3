#include "transfers/customers_import.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/main_timer_state.h"
#include "core/shell.h"
#include "core/texts.h"
#include "store/client_file.h"
#include "store/sort_buffer.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "store/table_file.h"
#include "transfers/transfer.h"
#include "core/record.h"

namespace {

// The source is missing, empty or not of the expected size: a command-line
// run says why (the language key and what concerns it) in the message log.
void ReportNoSource(const std::string& key, const std::string& source, const std::string& why) {
    if (Core.bInteractive) {
        CurrentShell().MsgBox(GetText("Msg", "20") + "-" + GetText("Msg1", "24"), "");
    } else {
        ReportTransferProblem(GetText("Log", key) + " " + source + (why.empty() ? "" : " (" + why + ")"));
        LogErr(8, OpenTurnSubject());
    }
}

}  // namespace

int32_t SortCli(const std::string& source, const std::string& destination) {
    ClientM cli;
    cli.CliType(ConfigLevel.GetClientType(Core.nOpenCash));
    const size_t len = static_cast<size_t>(cli.GetLen());
    // Every line of the source must be one record: a source of lines of
    // other widths (or of no line) is refused whole, and the archive stays.
    platform::MappedFile file;
    std::string normalised;
    size_t count = 0;
    bool canonical = false;
    std::string why;
    errno = 0;
    if (len < 2 || !file.Open(source)) {
        ReportNoSource("noimport", source, platform::FileErrorText(errno, source));
        return -1;
    }
    if (!SplitImportRecords(file.Bytes(), len - 2, normalised, count, canonical, why)) {
        ReportNoSource(why.empty() ? "importempty" : "importline", source, why);
        return -1;
    }
    const std::string_view bytes = canonical ? file.Bytes() : std::string_view(normalised);

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

    // First pass: check every record; the accepted ones go to the sort, by
    // code and, for one code, by line.
    SortBuffer sorted;
    sorted.Reserve(count, count * 12);
    std::string firstRefused;  // named when no record is taken
    for (size_t line = 1; line <= count; ++line) {
        IncCntRec();
        shell.IncPGBValue();
        if (MainTimer.StopRequest) break;
        cli.SetRecord(bytes.substr((line - 1) * len, len));
        const int16_t check = cli.CheckCli();
        if (check != 0) {
            errorLine("E <" + tables::FormatNum(check, 2) + "> ", line);
            if (firstRefused.empty())
                firstRefused = " (" +
                               ImportLineText(line, GetText("Log", "imprefused") + " E <" +
                                                        tables::FormatNum(check, 2) + ">") +
                               ")";
            continue;
        }
        // The code right-aligned as the archive keeps it, whatever the
        // source's alignment, so that the order is the numeric order.
        cli.Let(CliField::strCodice, cli.strCodice());
        sorted.Add(cli.strCodice(), static_cast<int32_t>(line));
    }
    sorted.Sort();

    // Second pass: one record per code, the latest in the source, written
    // into the archive's replacement a block at a time.
    errno = 0;
    platform::FileReplacement archive(destination);
    constexpr size_t kBlock = 1 << 20;
    std::string out;
    out.reserve(kBlock + len);
    size_t written = 0;
    bool ok = true;
    const size_t rows = sorted.Rows();
    for (size_t i = 0; i < rows; ++i) {
        shell.IncPGBValue();
        if (i + kFetchAhead < rows)
            FetchAhead(bytes, (static_cast<size_t>(sorted.Number(i + kFetchAhead)) - 1) * len, len);
        const size_t line = static_cast<size_t>(sorted.Number(i));
        if (i + 1 < rows && sorted.SameKey(i, i + 1)) {
            errorLine("D -    ", line);
            continue;
        }
        // The record passed its checks in the first pass: what they change
        // in it is done again (":" and ";" in the texts become blanks).
        cli.SetRecord(bytes.substr((line - 1) * len, len));
        cli.CleanTexts();
        cli.Let(CliField::strCodice, cli.strCodice());
        out += cli.RecordView();
        ++written;
        if (out.size() >= kBlock) {
            ok = ok && archive.Write(out);
            out.clear();
        }
    }
    // An import that accepts no record keeps the archive as it was.
    const bool none = written == 0;
    ok = !none && ok && archive.Write(out) && archive.Commit();
    const int err = errno;
    if (none) {
        ReportTransferProblem(GetText("Log", "importnone") + " " + source + firstRefused);
        if (!Core.bInteractive) LogErr(8, OpenTurnSubject());
    } else if (!ok) {
        tables::ReportFileError("SortCli", platform::FileErrorText(err, destination),
                                tables::Report::MsgBox);
        ReportTransferFailure(GetText("Log", "nowrite") + " " + destination + ": " +
                              std::strerror(err));
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
            LogErr(9, OpenTurnSubject());
        } else if (shell.AskYesNo(GetText("Msg", "20") + "-" + GetText("Msg1", "cliloaderr"), "")) {
            std::string why;
            if (!platform::OpenInTextEditor(tables::TablePath(kClientErrFile), why))
                shell.MsgBox(why, "");
        }
    }
    shell.SetPGBValue(-1);
    ShowMsg("", "");
    return ok ? static_cast<int32_t>(written) : -1;
}
