// The dump dialogs over the real MIDI system: a private JACK server, Ostrel's
// JACK client and pass-through, and a test client playing the keyboard and the
// synth. Skipped unless run beside the server (scripts/with-jack.sh).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "res/template_dump_receive.h"
#include "res/template_dump_send.h"
#include "support/pass_through_over_jack.h"
#include "support/scripted_ui.h"
#include "sysex/gui/dump_receive_dlg.h"
#include "sysex/gui/dump_send_dlg.h"
#include "sysex/gui/sysex_send_report.h"
#include "tests/sysex/gui/dump_dialog_fixture.h"

namespace ostrel {
namespace {

using test::Bytes;
using test::kJackWait;

class DumpOverJack : public test::PassThroughChainTest {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PassThroughChainTest::SetUp());
        if (IsSkipped()) return;
        ASSERT_NO_FATAL_FAILURE(Connect());
    }

    // What the window's event pump does for the receive dialog: takes the
    // pass-through's records on this thread and hands received dumps over.
    void Pump(CDumpReceiveDlg& dlg) {
        MonitorEvent event;
        while (passThrough->PopEvent(event))
            if (event.kind == MonitorEvent::Kind::ReceivedDump) dlg.ShowReceivedDump(event);
        QApplication::processEvents();
    }

    test::ScriptedUi ui;
};

TEST_F(DumpOverJack, SendDeliversTheDumpIntactAfterTheBoxIsAnswered) {
    CDumpSendDlg dlg;
    dlg.SetSendHandler(
        [&](const std::string& digits) { SendSysExText(&dlg, *passThrough, digits); });
    dlg.show();
    test::ChooseEntry(res::Item<QComboBox>(&dlg, kDumpFields[10].sendListId), 7);  // Fader.M
    res::Item<QPushButton>(&dlg, res::kDumpSendSend)->click();
    // The template's marked lines confirmed, then the request to press the buttons.
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "Press VQ [A.TOUCH] + [DUAL] BUTTON ! ");

    ASSERT_TRUE(client->WaitForCount(1, kJackWait)) << "the dump did not arrive";
    Bytes expected = test::TemplateBytes();
    expected[31] = 0x07;
    ASSERT_EQ(client->Received().size(), 1u);
    EXPECT_EQ(client->Received()[0], expected);
    EXPECT_EQ(client->Received()[0].size(), 59u);
}

TEST_F(DumpOverJack, ReceivedDumpIsShownAndForwardedUnchanged) {
    CDumpReceiveDlg dlg;
    dlg.show();
    passThrough->SetReceiveHook(true);
    passThrough->Start();

    Bytes dump = test::TemplateBytes();
    dump[5] = 0x40;   // Sustain
    dump[14] = 0x4A;  // Knob8
    dump[39] = 0x01;  // Fader8
    ASSERT_TRUE(client->Send(dump));
    ASSERT_TRUE(client->WaitForCount(1, kJackWait)) << "the dump was not forwarded";
    EXPECT_EQ(client->Received()[0], dump);

    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    while (dlg.MessageText().empty() && std::chrono::steady_clock::now() < deadline) {
        Pump(dlg);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(test::ShownText(&dlg, res::kDumpReceiveText).toStdString(),
              FormatHexText(dump.data(), dump.size()));
    std::vector<std::string> fields;
    for (const DumpField& f : kDumpFields)
        fields.push_back(res::Item<QLineEdit>(&dlg, f.receiveFieldId)->text().toStdString());
    const std::vector<std::string> expected = {"064", "002", "011", "002", "000", "032", "011",
                                               "011", "011", "074", "011", "011", "011", "011",
                                               "011", "011", "011", "011", "001"};
    EXPECT_EQ(fields, expected);
    passThrough->SetReceiveHook(false);
}

TEST_F(DumpOverJack, NothingAppearsWhileThePassThroughIsStopped) {
    CDumpReceiveDlg dlg;
    dlg.show();
    passThrough->SetReceiveHook(true);
    passThrough->Stop();
    ASSERT_TRUE(client->Send(test::TemplateBytes()));
    ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
    Pump(dlg);
    EXPECT_TRUE(dlg.MessageText().empty());
    EXPECT_TRUE(client->Received().empty());

    // Started, the same dump goes through: the set-up itself was sound.
    passThrough->Start();
    ASSERT_TRUE(client->Send(test::TemplateBytes()));
    ASSERT_TRUE(client->WaitForCount(1, kJackWait));
    ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
    Pump(dlg);
    EXPECT_EQ(test::ShownText(&dlg, res::kDumpReceiveText).toStdString(),
              FormatHexText(test::TemplateBytes().data(), 59));
    passThrough->SetReceiveHook(false);
}

}  // namespace
}  // namespace ostrel
