// The window's side of Send: the text is checked and sent, and the
// transmission's refusals are shown as message boxes.
#include "sysex/gui/sysex_send_report.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "dump_dialog_fixture.h"
#include "support/fake_midi_system.h"
#include "midi/pass_through.h"
#include "res/template_dump_send.h"
#include "support/scripted_ui.h"
#include "sysex/gui/dump_send_dlg.h"

namespace ostrel {
namespace {

using test::ScriptedUi;

class SysExSendReportTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr)); }

    ScriptedUi ui;
    AssignmentTable table;
    CurrentCurves curves;
    FakeMidiSystem midi;
    PassThrough passThrough{table, curves, midi};
};

TEST_F(SysExSendReportTest, EachRefusalShowsItsMessageAndSendsNothing) {
    struct Case {
        std::string text;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"", "No data will be send ! ", "DO Darivu v1.0 beta"},
        {"7E01F7", "Send Data Is Invalidate,First Data Must be F0 ! ", "Err "},
        {"F001020", "Send Data Is Invalidate,First Data Must be F0 ! ", "Err "},
        {"F00102", "Send Data Is Invalidate , No F7 ! ", "DO Darivu v1.0 beta"},
        {"F0" + std::string(254, '1') + "F7",
         "Send Data Is Too Long: at most 256 hex digits (128 bytes) can be sent ! ",
         "DO Darivu v1.0 beta"},
    };
    for (const Case& c : cases) {
        ui.shown.clear();
        SendSysExText(nullptr, passThrough, c.text);
        ASSERT_EQ(ui.shown.size(), 1u) << c.text;
        EXPECT_EQ(ui.shown[0].text.toStdString(), c.message) << c.text;
        EXPECT_EQ(ui.shown[0].caption.toStdString(), c.caption) << c.text;
        EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Error);
        EXPECT_EQ(ui.shown[0].buttons, res::MsgButtons::Ok);
    }
    EXPECT_TRUE(midi.Sent().empty());
}

TEST_F(SysExSendReportTest, ValidTextIsSentUpToItsLastF7WithoutAMessage) {
    SendSysExText(nullptr, passThrough, "F00102F70304");
    EXPECT_TRUE(ui.shown.empty());
    ASSERT_EQ(midi.Sent().size(), 1u);
    EXPECT_EQ(midi.Sent()[0], (std::vector<uint8_t>{0xF0, 0x01, 0x02, 0xF7}));
}

TEST_F(SysExSendReportTest, SendDialogDeliversItsDumpThroughTheTransmission) {
    CDumpSendDlg dlg;
    dlg.SetSendHandler(
        [&](const std::string& digits) { SendSysExText(&dlg, passThrough, digits); });
    dlg.show();
    test::ChooseEntry(res::Item<QComboBox>(&dlg, kDumpFields[2].sendListId), 74);
    res::Item<QPushButton>(&dlg, res::kDumpSendSend)->click();
    // The template's marked lines confirmed, then the request to press the buttons.
    ASSERT_EQ(ui.shown.size(), 2u);
    ASSERT_EQ(midi.Sent().size(), 1u);
    std::vector<uint8_t> expected = test::TemplateBytes();
    expected[7] = 74;
    EXPECT_EQ(midi.Sent()[0], expected);

    // A loaded 20-byte dump holds no F7: the transmission says so after the box.
    test::TempDir dir;
    std::vector<uint8_t> shortDump = test::TemplateBytes();
    shortDump.resize(20);
    test::WriteBytes(dir.file("s.syx"), shortDump);
    ui.ChooseNext(QString::fromStdString(dir.file("s.syx")));
    res::Item<QPushButton>(&dlg, res::kDumpSendOpen)->click();
    res::Item<QPushButton>(&dlg, res::kDumpSendSend)->click();
    ASSERT_EQ(ui.shown.size(), 5u);
    EXPECT_EQ(ui.shown[3].text, "Press VQ [A.TOUCH] + [DUAL] BUTTON ! ");
    EXPECT_EQ(ui.shown[4].text, "Send Data Is Invalidate , No F7 ! ");
    EXPECT_EQ(midi.Sent().size(), 1u);
}

}  // namespace
}  // namespace ostrel
