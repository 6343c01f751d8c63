// The bulk dump receive dialog: received dumps, files, and the limits of the
// 256-byte buffers.
#include "sysex/gui/dump_receive_dlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstring>

#include "dump_dialog_fixture.h"
#include "res/template_dump_receive.h"
#include "support/scripted_ui.h"

namespace ostrel {
namespace {

using test::ExpectSyxSaveDialog;
using test::ReadBytes;
using test::ScriptedUi;
using test::TempDir;
using test::TemplateBytes;
using test::WriteBytes;

MonitorEvent DumpRecord(const std::vector<uint8_t>& bytes, uint32_t realLength = 0) {
    MonitorEvent event;
    // Records of the queue are reused: bytes past the message's end are stale.
    std::memset(event.received, 0x55, sizeof event.received);
    event.kind = MonitorEvent::Kind::ReceivedDump;
    event.receivedLength = realLength ? realLength : uint32_t(bytes.size());
    std::memcpy(event.received, bytes.data(), std::min(bytes.size(), sizeof event.received));
    return event;
}

class DumpReceiveDlgTest : public ::testing::Test {
  protected:
    void SetUp() override { dlg.show(); }

    QString FieldText(const char* label) const {
        for (const DumpField& f : kDumpFields)
            if (std::string(f.label) == label)
                return res::Item<QLineEdit>(&dlg, f.receiveFieldId)->text();
        ADD_FAILURE() << label;
        return {};
    }
    // The nineteen field texts in dialog order.
    std::vector<std::string> Fields() const {
        std::vector<std::string> out;
        for (const DumpField& f : kDumpFields)
            out.push_back(res::Item<QLineEdit>(&dlg, f.receiveFieldId)->text().toStdString());
        return out;
    }
    void Click(int id) { res::Item<QPushButton>(&dlg, id)->click(); }
    QString Shown() const { return test::ShownText(&dlg, res::kDumpReceiveText); }

    ScriptedUi ui;
    TempDir dir;
    CDumpReceiveDlg dlg;
};

TEST_F(DumpReceiveDlgTest, OpensEmpty) {
    EXPECT_EQ(dlg.objectName(), "CDumpReceiveDlg");
    EXPECT_EQ(dlg.windowTitle(), "DO Darivu v1.0 beta   -- System Exclusive Receive");
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
    // Read-only, not disabled: the values show in full contrast.
    EXPECT_TRUE(res::Item<QPlainTextEdit>(&dlg, res::kDumpReceiveText)->isReadOnly());
    for (const DumpField& f : kDumpFields) {
        const QLineEdit* field = res::Item<QLineEdit>(&dlg, f.receiveFieldId);
        ASSERT_NE(field, nullptr) << f.label;
        EXPECT_TRUE(field->isEnabled() && field->isReadOnly()) << f.label;
    }
    EXPECT_TRUE(Shown().isEmpty());
    for (const std::string& f : Fields()) EXPECT_EQ(f, "");
}

TEST_F(DumpReceiveDlgTest, ReceivedDumpShowsItsTextAndNineteenValues) {
    std::vector<uint8_t> dump = TemplateBytes();
    dump[5] = 0x90;  // shown unsigned
    dump[31] = 0x07;
    dlg.ShowReceivedDump(DumpRecord(dump));
    EXPECT_EQ(Shown().toStdString(), FormatHexText(dump.data(), dump.size()));
    EXPECT_TRUE(Shown().startsWith("F0 00 5A 52 4B 90 02 0B "));
    EXPECT_TRUE(Shown().endsWith("0B F7 "));
    const std::vector<std::string> expected = {"144", "002", "011", "002", "000", "032", "011",
                                               "011", "011", "011", "007", "011", "011", "011",
                                               "011", "011", "011", "011", "011"};
    EXPECT_EQ(Fields(), expected);

    // A newer dump replaces whatever is shown.
    dump[14] = 0x4A;
    dlg.ShowReceivedDump(DumpRecord(dump));
    EXPECT_EQ(FieldText("Knob8"), "074");
    EXPECT_TRUE(ui.shown.empty());

    // The shown values can be selected and copied with the keyboard.
    for (const auto& [id, copied] :
         {std::pair{1010 /* Knob8 */, QString("074")}, {res::kDumpReceiveText, Shown()}}) {
        QTest::keyClick(res::Item<QWidget>(&dlg, id), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(res::Item<QWidget>(&dlg, id), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), copied) << id;
    }
}

TEST_F(DumpReceiveDlgTest, ShortDumpShowsZeroForFieldsPastItsEnd) {
    std::vector<uint8_t> dump = TemplateBytes();
    dump.resize(20);
    dump[19] = 0xF7;
    dlg.ShowReceivedDump(DumpRecord(dump));
    EXPECT_EQ(Shown().toStdString(), FormatHexText(dump.data(), 20));
    EXPECT_EQ(FieldText("Sustain"), "011");
    EXPECT_EQ(FieldText("B.C."), "002");
    EXPECT_EQ(FieldText("Knob4"), "032");
    EXPECT_EQ(FieldText("Knob8"), "011");
    for (const char* label : {"Fader.M", "Fader1", "Fader4", "Fader8"})
        EXPECT_EQ(FieldText(label), "000") << label;

    // Only the header: every field lies past the end.
    dlg.ShowReceivedDump(DumpRecord({0xF0, 0x00, 0x5A, 0x52, 0x4B}));
    for (const std::string& f : Fields()) EXPECT_EQ(f, "000");
}

TEST_F(DumpReceiveDlgTest, NothingIsShownWhileClosedAndNewClearsEverything) {
    dlg.hide();
    dlg.ShowReceivedDump(DumpRecord(TemplateBytes()));
    dlg.show();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(FieldText("Knob1"), "");

    dlg.ShowReceivedDump(DumpRecord(TemplateBytes()));
    ASSERT_FALSE(Shown().isEmpty());
    Click(res::kDumpReceiveNew);
    EXPECT_TRUE(Shown().isEmpty());
    for (const std::string& f : Fields()) EXPECT_EQ(f, "");

    // Closing and opening again starts empty too.
    dlg.ShowReceivedDump(DumpRecord(TemplateBytes()));
    Click(res::kDumpReceiveClose);
    EXPECT_FALSE(dlg.isVisible());
    dlg.show();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(FieldText("Fader8"), "");
}

TEST_F(DumpReceiveDlgTest, SaveAsThenOpenShowsTheSameTextAndValues) {
    std::vector<uint8_t> dump = TemplateBytes();
    dump[5] = 0x90;
    dump[36] = 0x40;
    dlg.ShowReceivedDump(DumpRecord(dump));
    const QString text = Shown();
    const std::vector<std::string> fields = Fields();

    const std::string path = dir.file("in.syx");
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpReceiveSaveAs);
    ASSERT_EQ(ui.fileSpecs.size(), 1u);
    ExpectSyxSaveDialog(ui.fileSpecs[0]);
    EXPECT_EQ(ReadBytes(path), dump);

    Click(res::kDumpReceiveNew);
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpReceiveOpen);
    EXPECT_FALSE(ui.fileSpecs[1].save);
    EXPECT_EQ(Shown(), text);
    // A loaded byte of 0x90 shows as 144, just as a received one does.
    EXPECT_EQ(Fields(), fields);
    EXPECT_EQ(FieldText("Sustain"), "144");
    EXPECT_TRUE(ui.shown.empty());

    // Every Save As asks for a name; cancelling writes nothing.
    ui.ChooseNext(QString());
    Click(res::kDumpReceiveSaveAs);
    EXPECT_EQ(ui.fileSpecs.size(), 3u);
    EXPECT_EQ(ReadBytes(path), dump);
}

TEST_F(DumpReceiveDlgTest, ShortFileShowsZeroPastItsEnd) {
    std::vector<uint8_t> bytes = TemplateBytes();
    bytes.resize(12);
    const std::string path = dir.file("short.syx");
    WriteBytes(path, bytes);
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpReceiveOpen);
    EXPECT_EQ(Shown().toStdString(), FormatHexText(bytes.data(), bytes.size()));
    EXPECT_EQ(FieldText("Knob5"), "011");  // offset 11, the last byte
    EXPECT_EQ(FieldText("Knob6"), "000");
    EXPECT_EQ(FieldText("Fader.M"), "000");
}

TEST_F(DumpReceiveDlgTest, RefusedFilesLeaveTheShownDumpInPlace) {
    std::vector<uint8_t> dump = TemplateBytes();
    dump[7] = 0x22;
    dlg.ShowReceivedDump(DumpRecord(dump));
    const QString text = Shown();
    const std::vector<std::string> fields = Fields();

    // A pipe is refused at once, not waited on.
    const std::string fifo = dir.file("pipe.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ui.ChooseNext(QString::fromStdString(fifo));
    Click(res::kDumpReceiveOpen);
    std::vector<uint8_t> noDump = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    WriteBytes(dir.file("gm.syx"), noDump);
    ui.ChooseNext(QString::fromStdString(dir.file("gm.syx")));
    Click(res::kDumpReceiveOpen);
    std::vector<uint8_t> longDump(200, 0x01);
    std::copy(std::begin(kDumpHeader), std::end(kDumpHeader), longDump.begin());
    WriteBytes(dir.file("long.syx"), longDump);
    ui.ChooseNext(QString::fromStdString(dir.file("long.syx")));
    Click(res::kDumpReceiveOpen);

    ASSERT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[0].text.toStdString(),
              "File Read Failure [1] !\n" + fifo + "\nnot a regular file");
    EXPECT_EQ(ui.shown[1].text, "File Comment Is Invalidate !");
    EXPECT_EQ(ui.shown[2].text, "File Too Long: a dump of at most 128 bytes can be loaded !");
    for (const auto& box : ui.shown) {
        EXPECT_EQ(box.caption, "DO Darivu v1.0 beta");
        EXPECT_EQ(box.icon, res::MsgIcon::Stop);
    }
    EXPECT_EQ(Shown(), text);
    EXPECT_EQ(Fields(), fields);
}

TEST_F(DumpReceiveDlgTest, DumpTooLongForTheBuffersIsShownButNotSaved) {
    // 300 bytes arrived; the record holds the first 256.
    std::vector<uint8_t> dump(256, 0x05);
    std::copy(std::begin(kDumpHeader), std::end(kDumpHeader), dump.begin());
    dlg.ShowReceivedDump(DumpRecord(dump, 300));
    EXPECT_TRUE(Shown().endsWith("05 ...")) << Shown().right(20).toStdString();
    EXPECT_EQ(FieldText("Fader8"), "005");

    const std::string path = dir.file("kept.syx");
    WriteBytes(path, TemplateBytes());
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpReceiveSaveAs);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Data Too Long: at most 128 bytes can be saved !");
    EXPECT_EQ(ReadBytes(path), TemplateBytes());  // the old file is untouched

    // 129 bytes are whole, yet still beyond the 256 hex digits of the buffers.
    dump.resize(129);
    dlg.ShowReceivedDump(DumpRecord(dump));
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpReceiveSaveAs);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "Data Too Long: at most 128 bytes can be saved !");
    EXPECT_EQ(ReadBytes(path), TemplateBytes());
}

TEST_F(DumpReceiveDlgTest, APipeIsNotReplacedAndTheWriteFailureNamesFileAndReason) {
    dlg.ShowReceivedDump(DumpRecord(TemplateBytes()));
    const std::string fifo = dir.file("pipe.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ui.ChooseNext(QString::fromStdString(fifo));
    Click(res::kDumpReceiveSaveAs);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.toStdString(),
              "File Write Failure [1] !\n" + fifo + "\nnot a regular file");
    struct stat st {};
    EXPECT_TRUE(stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace ostrel
