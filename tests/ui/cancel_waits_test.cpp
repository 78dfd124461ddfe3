// The progress window's Cancel and the modem window's Abort, clicked as the
// window system delivers a click while the link waits (a silent register's
// hello retries, before its command and in its release; a read on a slow
// line; a bulk send; a dial the modem never answers), against the register
// emulator: the wait ends at once. Each figure is printed.
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "common/batch_fixture.h"
#include "core/cash_list.h"
#include "emulator/bulk_receiver.h"
#include "emulator/modem_front.h"
#include "engine/builders_bulk.h"
#include "engine/builders_tables.h"
#include "link/hello.h"
#include "link/modem.h"
#include "ui/editor_fixture.h"
#include "ui/frmModemConnection.h"

namespace {

enum Wait { kHello, kRelease, kRead, kBulk, kDial };
struct WaitCase {
    const char* id;  // the test's name, and the figure printed's
    Wait wait;
};

// A register of the emulator on port 1 (behind a modem for the dial), the
// main window with its timer running, and the operation whose wait the row
// names under way.
class CancelWaitsTest : public editortest::EditorTest, public ::testing::WithParamInterface<WaitCase> {
protected:
    void TearDown() override {
        if (main_) main_->tmrMain()->stop();
        SetModemDialer(nullptr);
        SetPortFactory({});
        if (line) line->Stop();
        EditorTest::TearDown();
    }
    void StartLine(Wait wait) {
        emu::Options options;
        emu::RegisterConfig config;
        config.model = "DRAVO57";
        config.lineDelay = wait == kRead ? 0.5 : wait == kRelease ? 0.1 : 0;
        std::string cassa = "[P9]\r\n11=0\r\n[Communication]\r\nhellotype=1\r\n";
        if (wait == kBulk) {
            cassa = "[P2]\r\n10=0\r\n11=13\r\n12=30\r\n" + cassa;
            options.lineBaud = 9600;
            bulk = std::make_shared<emu::BulkReceiver>(0);
        }
        if (wait == kDial) {
            cassa = "[P9]\r\n11=129\r\n[Communication]\r\nhellotype=1\r\nPhoneBookIndex=1\r\n";
            emu::ModemScript silent;
            silent.dialAnswer.clear();
            options.modem = modem = std::make_shared<emu::ModemFront>(silent);
            Core.strModemIni = dir.file("modem.ini");
            Core.strPhoneBookIni = dir.file("PhoneBook.ini");
            Write("modem.ini", "[Init1]\r\nCmd1=ATZ\r\n[Connect1]\r\nDial=ATDT\r\n[Disconnect1]\r\nDisconnect=ATH\r\n");
            Write("PhoneBook.ini", "[PhoneBook]\r\n1=Shop|0123\r\n");
            InstallModemConnection();
        }
        Write("Shop/Cassa1/Cassa.txt", cassa);
        RegisterTableProcs();
        line = std::make_unique<emu::Emulator>(options);
        if (bulk) line->AddHandler(bulk);
        reg = std::make_shared<emu::CashRegister>(0, config);
        std::vector<std::string> records;
        for (int n = 1; n <= 6; ++n) records.push_back(std::to_string(n) + ":DEPT:1:0:0:0:1:0:0:0:1:");
        reg->SetRecords("departments", records);
        line->AddHandler(reg);
        std::string error;
        ASSERT_TRUE(line->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", line->SlavePath()));
        Main(3);
        if (wait == kBulk) {
            std::string plus;
            for (int n = 1; n <= 2000; ++n) plus += testsupport::PluRecord(std::to_string(n), 1, "Item");
            Write("Shop/Cassa1/" + std::string(kPLUFile), plus);
        }
        main_->tmrMain()->start();
        if (wait == kHello) {
            // Reached by an earlier operation, then silent: its hello is tried again and again.
            ASSERT_TRUE(SendReparto(1, 6));
            ASSERT_TRUE(shelltest::EventsUntil([] { return !ExchangeRunning(); }, 30000, 1));
            config.silentPolls = -1;
            reg->SetConfig(config);
        }
        const bool started = wait == kBulk                      ? SendFastPLU(1, 2000)
                             : wait == kRead || wait == kRelease ? ReqReparto(1, 99)
                                                                 : SendReparto(1, 6);
        ASSERT_TRUE(started);
    }

    std::unique_ptr<emu::Emulator> line;
    std::shared_ptr<emu::CashRegister> reg;
    std::shared_ptr<emu::BulkReceiver> bulk;
    std::shared_ptr<emu::ModemFront> modem;
};

TEST_P(CancelWaitsTest, CancelOrAbortEndsTheWaitAtOnce) {
    const Wait wait = GetParam().wait;
    ASSERT_NO_FATAL_FAILURE(StartLine(wait));
    frmProgress* progress = frmProgress::Instance();
    bool silenced = false;
    // Where the link waits when the user clicks.
    const auto waiting = [&]() -> QPushButton* {
        // An attempt went unanswered.
        const bool said = !progress->lstErrors->findItems("no answer in time", Qt::MatchContains).empty();
        const bool reading = platform::FileExists(dir.file("Shop/Cassa1/Reparti.txt.part"));
        auto* dial = qobject_cast<frmModemConnection*>(QApplication::activeModalWidget());
        switch (wait) {
            case kHello: return said && LinkState.nState == 1 ? progress->cmdCancel : nullptr;
            case kRelease:
                // The register falls silent while it sends the table: its
                // release is tried again (five times, then it answers).
                if (reading && !silenced) {
                    emu::RegisterConfig config = reg->Config();
                    config.silentPolls = 5;
                    reg->SetConfig(config);
                    silenced = true;
                }
                return said && LinkState.bReleasing ? progress->cmdCancel : nullptr;
            case kRead: return reading ? progress->cmdCancel : nullptr;
            case kBulk: return bulk->Rows().size() >= 20 ? progress->cmdCancel : nullptr;
            case kDial:
                return dial && !modem->Commands().empty() && modem->Commands().back() == "ATDT0123" ? dial->cmdAbort
                                                                                                : nullptr;
        }
        return nullptr;
    };
    // The wait is over: the answers of the command, the release's hello, the
    // stream of records are no longer awaited; the modem window has gone.
    const auto over = [&] {
        switch (wait) {
            case kHello:
            case kRead: return LinkState.nState != 1;
            case kRelease: return !ReleaseRetrying() || !LinkState.bReleasing;
            case kBulk: return LinkState.bReleasing || LinkState.nState != 4;
            case kDial: return QApplication::activeModalWidget() == nullptr;
        }
        return false;
    };

    QElapsedTimer clicked;
    double waitEnded = -1;
    bool greyed = false;
    QObject::connect(progress->cmdCancel, &QPushButton::clicked, [&] { greyed = !progress->cmdCancel->isEnabled(); });
    QTimer user;  // looks every few milliseconds, also while the link waits inside a tick
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!clicked.isValid()) {
            if (QPushButton* button = waiting()) {
                clicked.start();
                shelltest::PostClick(button);
            }
        } else if (waitEnded < 0 && over()) {
            waitEnded = clicked.elapsed() / 1000.0;
        }
    });
    user.start(2);
    ASSERT_TRUE(shelltest::EventsUntil([&] { return waitEnded >= 0; }, 60000, 1));
    ASSERT_TRUE(shelltest::EventsUntil([] { return !ExchangeRunning(); }, 30000, 1));
    const double operationEnded = clicked.elapsed() / 1000.0;
    user.stop();
    std::printf("%s: the wait ended %.3f s after the click, the operation %.3f s\n", GetParam().id, waitEnded,
                operationEnded);
    EXPECT_LT(waitEnded, 1.0);
    if (wait == kDial) {
        EXPECT_EQ(modem->Commands().back(), "ATH");  // hung up all the same
        ASSERT_FALSE(progress->lstErrors->count() == 0);
        EXPECT_EQ(progress->lstErrors->item(0)->text().toStdString(),
                  "Register 1: Modem: dialling stopped by the user: 0123");
    } else {
        EXPECT_TRUE(greyed);  // taken: the button said so at once
        EXPECT_EQ(progress->cmdCancel->text().toStdString(), "Close");
        EXPECT_TRUE(progress->cmdCancel->isEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Waits, CancelWaitsTest,
                         ::testing::Values(WaitCase{"HelloRetries", kHello}, WaitCase{"ReleaseRetries", kRelease},
                                           WaitCase{"SlowRead", kRead}, WaitCase{"BulkSend", kBulk},
                                           WaitCase{"SilentDial", kDial}),
                         [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.id); });

}  // namespace
