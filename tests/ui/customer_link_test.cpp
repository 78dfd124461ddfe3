// The customer and loyalty windows on the line, against the register
// emulator: a customer added in the editor reaches the register and a read
// brings the register's customers back into the editor; loyalty lines set
// from the departments window reach RepFid.txt and the register.
#include "ui/frmClienti.h"
#include "ui/frmLineeFid.h"
#include "ui/editor_fixture.h"
#include "ui/frmReparti.h"
#include "engine/builders_tables.h"

namespace {

class CustomerLinkTest : public editortest::LinkEditorTest {
protected:
    // The register's release in the list, so that the editor opened before
    // the first hello works in the record generation the link will use.
    void Start(const char* model, int16_t number, const char* release = "R022050") {
        Write("Shop/config.ini", std::string("[Casse]\r\nC0=1|Front||") + release +
                                     "|1|0|0|1\r\nC1=2|Back|||1|0|1|0\r\n");
        emu::RegisterConfig config;
        config.model = model;
        config.release = release;
        StartLine(number, config);
    }
};

TEST_F(CustomerLinkTest, ACustomerAddedReachesTheRegisterAndAReadBringsTheRegistersBack) {
    ASSERT_NO_FATAL_FAILURE(Start("TIMBREL", 9));
    frmClienti* w = Open<frmClienti>("K_FRMCLIENTI");
    w->cbxCli->setEditText("123");
    w->cbxCli_Enter();
    Type(w->txtDesc[0], "STORE 1");
    Type(w->txtListino, "1");
    w->cmdAdd->click();
    EXPECT_TRUE(w->cmdSend->isEnabled());
    EXPECT_EQ(File("Clienti.txt").size(), 169u);
    w->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::vector<std::string> got = reg->Customers();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].substr(0, 12), "123:STORE 1:") << got[0];

    std::string other = got[0];
    other.replace(0, 3, "77");
    reg->SetCustomers({got[0], other});
    w->cmdLoad->click();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(Status(), "Read from register 1");  // after the archive's rebuild
    ASSERT_EQ(w->cbxCli->count(), 2);
    EXPECT_EQ(w->cbxCli->itemText(0).toStdString(), "77");
    w->cbxCli->setCurrentIndex(0);
    EXPECT_EQ(w->EditState(), 2);
    EXPECT_EQ(Shown(w->txtDesc[0]), "STORE 1");
    EXPECT_EQ(Shown(w->txtListino), "1");
    // The register's other customer came into the archive before it.
    EXPECT_EQ(File("Clienti.txt").substr(0, 12), "          77");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(CustomerLinkTest, LoyaltyLinesSetFromTheDepartmentsWindowReachTheRegister) {
    ASSERT_NO_FATAL_FAILURE(Start("ZANDORE", 11));
    auto* w = Open<frmReparti>("K_FRMREPARTI");
    Choose(w->cbxReparto, 3);
    editortest::WhenShown<frmLineeFid>([](frmLineeFid* d) {
        Choose(d->cbxLineaFid, 2);
        Type(d->txtTipo, "1");
        Type(d->txtCalcolo, "2");
        Type(d->txtStep1, "2.5");
        Type(d->txtValore1, "12");
        d->cmdOk->click();
    });
    w->cmdRepFid->click();
    EXPECT_EQ(Record("RepFid.txt", 3, 156).substr(54, 50),
              "12" + std::string("00000250") + std::string(24, '0') + "00000012" + "00000000");
    SendRepFid(3, 3);
    ASSERT_TRUE(RunToIdle());
    const std::vector<std::string> got = reg->Received("loyalty by department");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1], "3:1:1:2:00000250:00000000:00000000:00000000:00000012:00000000");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

}  // namespace
