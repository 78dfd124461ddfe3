#pragma once
// Every global record of the program's logic back to its start-up value, so
// that a test starts as a freshly started program whatever ran before it.
// The serial port and the answer procedures are set up by the tests that use
// them.
#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "core/numbers.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "store/keyboard.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/hello.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "link/modem.h"
#include "core/req_state.h"
#include "link/serial_log.h"
#include "engine/batch.h"
#include "engine/cycle.h"
#include "engine/operation.h"
#include "core/shell_state.h"
#include "engine/startup.h"
#include "store/cards.h"
#include "transfers/bulk_transfer.h"
#include "store/plu.h"
#include "store/table_file.h"
#include "transfers/history.h"
#include "transfers/reports.h"
#include "transfers/transfer.h"

namespace testsupport {

inline void ResetGlobals() {
    Core = CoreGlobals{};
    Texts = TextsGlobals{};
    Work = WorkRecord{};
    Numbers = NumbersGlobals{};
    ConfigLevel = ConfigLevelClass{};
    CassaList = {};
    CashListState = CashListGlobals{};
    udtCassaConf = CassaConfRec{};
    udtCassaConfSaved = CassaConfRec{};
    CassaFile = CassaFileValues{};
    Sizes = TableSizes{};
    Keyb = KeyboardGlobals{};
    MainTimer = MainTimerGlobals{};
    LinkState = LinkStateRec{};
    Modem = ModemGlobals{};
    HelloRec = HelloRecT{};
    Hello = HelloGlobals{};
    ReqState = ReqStateRec{};
    CmdQueue = CmdQueueState{};
    AnswerRec = AnswerRecT{};
    SerLog = SerLogGlobals{};
    Tx = TxCountersRec{};
    Transfer = TransferGlobals{};
    tables::TableFiles = tables::TableFileGlobals{};
    PLUFiles = PLUFilesGlobals{};
    Bulk = BulkGlobals{};
    OpeCard = OpeCardRec{};
    CamCard = CamCardRec{};
    Reports = ReportGlobals{};
    History = HistoryGlobals{};
    ShellState = ShellGlobals{};
    Batch = BatchGlobals{};
    Cycle = CycleGlobals{};
    Operation = OperationGlobals{};
    Startup = StartupGlobals{};
}

}  // namespace testsupport
