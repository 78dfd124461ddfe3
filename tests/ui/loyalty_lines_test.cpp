// The loyalty lines dialog and its caller in the departments window: the
// conversions and refusals of a line, the change of line held on a refused
// field, Clear, OK with its question, Cancel, and the department's record
// written back to RepFid.txt after either.
#include "ui/frmLineeFid.h"
#include "ui/editor_fixture.h"
#include "ui/frmReparti.h"
#include "store/table_file.h"

namespace {

// A line as the record keeps it: type, calculation, the six 8-digit fields.
std::string Line(const char* tipo, const char* calcolo, std::initializer_list<int> values) {
    std::string s = std::string(tipo) + calcolo;
    for (int v : values) s += tables::FormatNum(v, 8);
    return s;
}

std::string Bytes(const LineeFidRec& r) { return std::string(reinterpret_cast<const char*>(&r), sizeof r); }

LineeFidRec Lines(const std::string& bytes) {
    LineeFidRec r;
    std::memcpy(&r, bytes.data(), sizeof r);
    return r;
}

class LoyaltyLinesTest : public editortest::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Main(11);  // ZANDORE: loyalty by department
        LineeFid = Lines(Line("0", "1", {100, 200, 300, 400, 150, 7}) + Line("2", "2", {0, 0, 0, 0, 1250, 10000}) +
                         Line("1", "0", {1, 2, 3, 4, 5, 6}));
        strLineeFidCaption = "Source";
    }
};

TEST_F(LoyaltyLinesTest, TypeTwoValuesAreHundredthsUpToOneHundred) {
    frmLineeFid d;
    EXPECT_EQ(d.lblSourceDesc->text().toStdString(), "Source");
    EXPECT_EQ(d.CurLine(), -1);
    EXPECT_FALSE(d.txtTipo->isEnabled());
    Choose(d.cbxLineaFid, 2);
    EXPECT_TRUE(d.txtTipo->isEnabled());
    EXPECT_EQ(Shown(d.txtValore1), "12.50");
    EXPECT_EQ(Shown(d.txtValore2), "100.00");
    EXPECT_EQ(Shown(d.txtStep1), "0.00");
    struct Case {
        const char* typed;
        const char* stored;  // nullptr: refused
    };
    for (const Case& c : {Case{"100.00", "00010000"}, Case{"0.5", "00000050"}, Case{"100.01", nullptr},
                          Case{"-1", nullptr}, Case{"abc", nullptr}, Case{"1e9", nullptr}}) {
        Type(d.txtValore1, c.typed);
        const std::string before = Bytes(d.Edited()).substr(50 + 34, 8);
        EXPECT_EQ(d.SaveTmpSlot(1), c.stored != nullptr) << c.typed;
        EXPECT_EQ(Bytes(d.Edited()).substr(50 + 34, 8), c.stored ? c.stored : before) << c.typed;
        if (!c.stored) {
            EXPECT_EQ(Status(), "Line 1-value not valid") << c.typed;
        }
    }
    // Amounts in minor units; a whole value of another type is digits only.
    Type(d.txtValore1, "1");
    Type(d.txtTipo, "0");
    Type(d.txtStep1, "12.50");
    Type(d.txtValore2, "99999999");
    EXPECT_TRUE(d.SaveTmpSlot(1));
    EXPECT_EQ(Bytes(d.Edited()).substr(50, 50), Line("0", "2", {1250, 0, 0, 0, 1, 99999999}));
    for (const char* bad : {"1.5", "-3", "1e3"}) {
        Type(d.txtValore2, bad);
        EXPECT_FALSE(d.SaveTmpSlot(1)) << bad;
    }
    EXPECT_EQ(Bytes(LineeFid), Bytes(Lines(Bytes(LineeFid))));  // LineeFid itself untouched
}

TEST_F(LoyaltyLinesTest, ARefusedFieldHoldsTheLineAndTheOtherFieldsAreStored) {
    frmLineeFid d;
    Choose(d.cbxLineaFid, 1);
    EXPECT_EQ(Shown(d.txtValore1), "00000150");
    // Type 0 -> 2 with the whole value 150 shown: it reads as 150.00.
    Type(d.txtTipo, "2");
    Type(d.txtStep2, "9");
    Choose(d.cbxLineaFid, 3);
    EXPECT_EQ(d.CurLine(), 0);
    EXPECT_EQ(d.cbxLineaFid->currentIndex(), 0);
    EXPECT_EQ(Status(), "Line 0-value not valid");
    EXPECT_EQ(Bytes(d.Edited()).substr(0, 50), Line("2", "1", {100, 900, 300, 400, 150, 700}));
    // A type out of range holds the line too.
    Type(d.txtValore1, "1.50");
    Type(d.txtValore2, "0.07");
    Type(d.txtTipo, "5");
    Choose(d.cbxLineaFid, 2);
    EXPECT_EQ(d.CurLine(), 0);
    Type(d.txtTipo, "2");
    Choose(d.cbxLineaFid, 2);
    EXPECT_EQ(d.CurLine(), 1);
    EXPECT_EQ(Bytes(d.Edited()).substr(0, 50), Line("2", "1", {100, 900, 300, 400, 150, 7}));
}

// Empty boxes are 0, whatever the type; a value that is no number is still
// refused.
TEST_F(LoyaltyLinesTest, EmptyBoxesAreZero) {
    frmLineeFid d;
    for (const char* tipo : {"2", "0"}) {
        SCOPED_TRACE(tipo);
        Choose(d.cbxLineaFid, 2);
        Type(d.txtTipo, tipo);
        for (FieldBox* box : {d.txtStep1, d.txtValore1, d.txtValore2}) Type(box, "");
        Type(d.txtCalcolo, "");
        EXPECT_TRUE(d.SaveTmpSlot(1));
        EXPECT_EQ(Bytes(d.Edited()).substr(50, 50), Line(tipo, "0", {0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(Status(), "");
    }
    Type(d.txtTipo, "");
    Type(d.txtValore1, "12");
    EXPECT_TRUE(d.SaveTmpSlot(1));
    EXPECT_EQ(Bytes(d.Edited()).substr(50, 50), Line("0", "0", {0, 0, 0, 0, 12, 0}));
    Type(d.txtValore2, "x");
    EXPECT_FALSE(d.SaveTmpSlot(1));
    EXPECT_EQ(Status(), "Line 1-value not valid");
}

TEST_F(LoyaltyLinesTest, ClearZeroesTheShownLineOnly) {
    frmLineeFid d;
    Choose(d.cbxLineaFid, 2);
    d.cmdClear->click();
    const std::string lines = Bytes(d.Edited());
    EXPECT_EQ(lines.substr(50, 50), "00" + std::string(48, '0'));
    EXPECT_EQ(lines.substr(0, 50), Bytes(LineeFid).substr(0, 50));
    EXPECT_EQ(lines.substr(100, 50), Bytes(LineeFid).substr(100, 50));
    EXPECT_EQ(Shown(d.txtStep1), "00000000");
}

TEST_F(LoyaltyLinesTest, OkAsksOnlyForAChangeAndCancelKeepsTheLines) {
    const std::string original = Bytes(LineeFid);
    {
        frmLineeFid d;
        d.show();
        d.cmdOk->click();  // no line chosen: nothing differs
        EXPECT_TRUE(shell.questions.empty());
        EXPECT_FALSE(d.isVisible());
    }
    for (bool yes : {false, true}) {
        frmLineeFid d;
        d.show();
        Choose(d.cbxLineaFid, 3);
        Type(d.txtCalcolo, "2");
        shell.answers = {yes};
        d.cmdOk->click();
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(Bytes(LineeFid).substr(101, 1), yes ? "2" : "0");
    }
    EXPECT_EQ(shell.questions.size(), 2u);
    LineeFid = Lines(original);
    frmLineeFid d;
    d.show();
    Choose(d.cbxLineaFid, 1);
    Type(d.txtTipo, "1");
    d.cmdAnnulla->click();
    EXPECT_EQ(Bytes(LineeFid), original);
}

TEST_F(LoyaltyLinesTest, TheDepartmentsLoyaltyButtonWritesTheChosenDepartmentsLines) {
    auto* w = Open<frmReparti>("K_FRMREPARTI");
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->cbxReparto->count(), 250);
    const std::string file = File("RepFid.txt");
    // No department chosen: nothing.
    w->cmdRepFid->click();
    EXPECT_EQ(File("RepFid.txt"), file);

    Choose(w->cbxReparto, 3);
    editortest::WhenShown<frmLineeFid>([](frmLineeFid* d) {
        EXPECT_EQ(d->lblSourceDesc->text().toStdString(), "Loyalty lines of the department");
        Choose(d->cbxLineaFid, 2);
        Type(d->txtTipo, "1");
        Type(d->txtStep1, "2.5");
        Type(d->txtValore1, "12");
        d->cmdOk->click();
    });
    w->cmdRepFid->click();
    const std::string record = Record("RepFid.txt", 3, 156);
    EXPECT_EQ(record.substr(0, 4), "0003");
    EXPECT_EQ(record.substr(4 + 50, 50), Line("1", "0", {250, 0, 0, 0, 12, 0}));
    EXPECT_EQ(record.substr(154), "\r\n");
    EXPECT_EQ(File("RepFid.txt").substr(0, 2 * 156), file.substr(0, 2 * 156));

    // Cancel after edits: the record is written back as it was.
    const std::string after = File("RepFid.txt");
    editortest::WhenShown<frmLineeFid>([](frmLineeFid* d) {
        Choose(d->cbxLineaFid, 1);
        Type(d->txtTipo, "2");
        d->cmdAnnulla->click();
    });
    w->cmdRepFid->click();
    EXPECT_EQ(File("RepFid.txt"), after);
}

TEST_F(LoyaltyLinesTest, ADepartmentWithoutARecordStartsFromZeros) {
    auto* w = Open<frmReparti>("K_FRMREPARTI");
    Write("Shop/Cassa1/RepFid.txt", File("RepFid.txt").substr(0, 156));  // department 1 only
    Choose(w->cbxReparto, 2);
    editortest::WhenShown<frmLineeFid>([](frmLineeFid* d) {
        Choose(d->cbxLineaFid, 1);
        EXPECT_EQ(Shown(d->txtTipo), "0");
        EXPECT_EQ(Shown(d->txtValore2), "00000000");
    });
    w->cmdRepFid->click();
    EXPECT_EQ(Record("RepFid.txt", 2, 156), "0002" + std::string(150, '0') + "\r\n");
}

}  // namespace
