// The receipt header on the line: the modes typed in the editor reach the
// register emulator as marker bytes in front of the lines, and the
// register's lines come back into Cassa.txt byte for byte and onto the
// screen as modes.
#include <QRadioButton>

#include "ui/editor_fixture.h"
#include "ui/frmIntScontrino.h"

namespace {

class ReceiptHeaderLinkTest : public editortest::LinkEditorTest {
protected:
    void SetUp() override {
        LinkEditorTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartLine(9, "TIMBREL"));
    }
};

TEST_F(ReceiptHeaderLinkTest, MarkerBytesTravelBothWaysUnchanged) {
    auto* w = Open<frmIntScontrino>("K_FRMINTSCONTRINO");
    w->P021[0].optA->setChecked(true);
    Type(w->P021[0].text, "HELLO");
    w->P021[1].optI->setChecked(true);  // "21"
    Type(w->P021[4].text, "  CENTRED  ");
    w->P023[0].optA->setChecked(true);
    Type(w->P023[0].text, "X");
    w->P023[1].optI->setChecked(true);
    Type(w->P023[1].text, "Y");
    w->chkTxIntest->setChecked(true);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(Key("P0", "211"), "\x83HELLO");
    EXPECT_EQ(reg->Received("receipt header"),
              (std::vector<std::string>{"A:\x83HELLO:\x82" "21:", "B::  CENTRED  :", "F:\x83X:\x82Y"}));

    // Without the box only the further lines go.
    w->chkTxIntest->setChecked(false);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(reg->Received("receipt header"), std::vector<std::string>{"F:\x83X:\x82Y"});

    reg->SetRecords("receipt header", {"A:\x82" "21:\x83TOP:\x83\x82Z:", "B:::\x83:", "F:\x82:\x83" "END:"});
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(Key("P0", "211"), "\x82" "21");
    EXPECT_EQ(Key("P0", "212"), "\x83TOP");
    EXPECT_EQ(Key("P0", "213"), "\x83\x82Z");
    EXPECT_EQ(Key("P0", "214"), "");
    EXPECT_EQ(Key("P0", "216"), "\x83");
    EXPECT_EQ(Key("P0", "231"), "\x82");
    EXPECT_EQ(Key("P0", "232"), "\x83" "END");
    // On screen: the modes, and the texts without their markers.
    EXPECT_TRUE(w->P021[0].optI->isChecked());
    EXPECT_EQ(Shown(w->P021[0].text), "21");
    EXPECT_FALSE(w->P021[0].text->isEnabled());
    EXPECT_TRUE(w->P021[1].optA->isChecked());
    EXPECT_EQ(Shown(w->P021[1].text), "TOP");
    EXPECT_TRUE(w->P021[1].text->isEnabled());
    EXPECT_TRUE(w->P021[2].optI->isChecked());
    EXPECT_EQ(Shown(w->P021[2].text), "Z");
    EXPECT_TRUE(w->P023[1].optA->isChecked());
    EXPECT_EQ(Shown(w->P023[1].text), "END");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());

    // Saved again as shown, nothing changed: the file keeps the register's
    // bytes (both markers of a line too), and no save is said.
    w->cmdSave->click();
    EXPECT_NE(Status(), "Saved");
    EXPECT_EQ(Key("P0", "211"), "\x82" "21");
    EXPECT_EQ(Key("P0", "212"), "\x83TOP");
    EXPECT_EQ(Key("P0", "213"), "\x83\x82Z");
    EXPECT_EQ(Key("P0", "216"), "\x83");
    EXPECT_EQ(Key("P0", "231"), "\x82");
    EXPECT_EQ(Key("P0", "232"), "\x83" "END");
}

}  // namespace
