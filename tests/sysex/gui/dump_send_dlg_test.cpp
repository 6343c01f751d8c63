// The bulk dump send dialog: the template on opening, setting a field from its
// list, files, and the hand-over of the message to the transmission.
#include "sysex/gui/dump_send_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "dump_dialog_fixture.h"
#include "res/template_dump_send.h"
#include "support/scripted_ui.h"

namespace ostrel {
namespace {

using test::BytesOf;
using test::ChooseEntry;
using test::ExpectSyxSaveDialog;
using test::ReadBytes;
using test::ScriptedUi;
using test::TempDir;
using test::TemplateBytes;
using test::WriteBytes;

const DumpField& Field(const char* label) {
    for (const DumpField& f : kDumpFields)
        if (std::string(f.label) == label) return f;
    throw std::logic_error(label);
}

class DumpSendDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.SetSendHandler([this](const std::string& digits) {
            handedOver.push_back(digits);
            // The box asking for the keyboard's receiving state came first.
            boxesBeforeHandOver.push_back(ui.shown.size());
        });
        dlg.show();
    }

    QComboBox* List(const char* label) const {
        return res::Item<QComboBox>(&dlg, Field(label).sendListId);
    }
    void Click(int id) { res::Item<QPushButton>(&dlg, id)->click(); }
    QString Shown() const { return test::ShownText(&dlg, res::kDumpSendText); }
    QString FileNameBox() const { return test::ShownText(&dlg, res::kDumpSendFileName); }
    std::vector<uint8_t> ShownBytes() const { return BytesOf(Shown().toStdString()); }

    ScriptedUi ui;
    TempDir dir;
    CDumpSendDlg dlg;
    std::vector<std::string> handedOver;
    std::vector<size_t> boxesBeforeHandOver;
};

TEST_F(DumpSendDlgTest, OpensWithTheTemplateAndItsValuesSelected) {
    EXPECT_EQ(dlg.objectName(), "CDumpSendDlg");
    EXPECT_EQ(dlg.windowTitle(), "DO Darivu v1.0 beta   -- System Exclusive Send ");
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(Shown().toStdString(), kDumpTemplateText);
    EXPECT_TRUE(FileNameBox().isEmpty());
    EXPECT_TRUE(dlg.CurrentFile().isEmpty());
    // Both text boxes are for display only: read-only, not disabled, so they
    // show in full contrast and their text can be selected and copied.
    auto* text = res::Item<QPlainTextEdit>(&dlg, res::kDumpSendText);
    const auto* name = res::Item<QLineEdit>(&dlg, res::kDumpSendFileName);
    EXPECT_TRUE(text->isEnabled() && text->isReadOnly());
    EXPECT_TRUE(name->isEnabled() && name->isReadOnly());
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), Shown());
    for (const DumpField& f : kDumpFields)
        ASSERT_NE(res::Item<QComboBox>(&dlg, f.sendListId), nullptr) << f.label;

    EXPECT_TRUE(List("Knob1")->currentText().startsWith("011"));
    EXPECT_TRUE(List("Knob2")->currentText().startsWith("002"));
    EXPECT_TRUE(List("Knob3")->currentText().startsWith("000"));
    EXPECT_TRUE(List("Knob4")->currentText().startsWith("032"));
    EXPECT_TRUE(List("B.C.")->currentText().startsWith("002"));
    for (const char* label : {"Sustain", "Knob5", "Knob6", "Knob7", "Knob8", "Fader.M", "Fader1",
                              "Fader2", "Fader3", "Fader4", "Fader5", "Fader6", "Fader7", "Fader8"})
        EXPECT_EQ(List(label)->currentText(), "011     --Expression Controller") << label;
}

TEST_F(DumpSendDlgTest, EveryListHoldsTheControllerEntriesInNumberOrder) {
    for (const DumpField& f : kDumpFields) {
        QComboBox* list = res::Item<QComboBox>(&dlg, f.sendListId);
        ASSERT_EQ(list->count(), 128) << f.label;
        EXPECT_EQ(list->itemText(0), "000     --Bank Select");
        EXPECT_EQ(list->itemText(2), "002     --Breath control ");
        EXPECT_EQ(list->itemText(99), "099     --Non-Registered Parameter Number MSB");
        EXPECT_EQ(list->itemText(100), "100     -Registered Parameter Number LSB* ");
        EXPECT_EQ(list->itemText(127), "127     -Poly mode on");
        for (int n = 0; n < 128; ++n)
            ASSERT_EQ(list->itemText(n).left(3).toInt(), n) << f.label << " entry " << n;
    }
}

TEST_F(DumpSendDlgTest, ChoosingAnEntrySetsOnlyItsFieldsByte) {
    ChooseEntry(List("Fader.M"), 7);
    std::vector<uint8_t> expected = TemplateBytes();
    expected[31] = 0x07;
    EXPECT_EQ(ShownBytes(), expected);
    EXPECT_TRUE(Shown().endsWith("F7 ")) << Shown().toStdString();
    EXPECT_EQ(Shown().mid(31 * 3, 3), "07 ");
    EXPECT_EQ(List("Fader.M")->currentIndex(), 7);

    ChooseEntry(List("Knob4"), 74);
    expected[10] = 0x4A;
    EXPECT_EQ(ShownBytes(), expected);
    ChooseEntry(List("Sustain"), 127);
    expected[5] = 0x7F;
    EXPECT_EQ(ShownBytes(), expected);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DumpSendDlgTest, TypingIntoAListChangesNothing) {
    QComboBox* list = List("Knob1");
    const QString before = Shown();
    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), "007");
    QTest::keyClicks(list->lineEdit(), "Pan");
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(list->currentIndex(), 11);
}

TEST_F(DumpSendDlgTest, NewReturnsToTheTemplateAndForgetsTheFile) {
    const std::string path = dir.file("a.syx");
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpSendSave);
    ChooseEntry(List("Knob8"), 64);
    Click(res::kDumpSendNew);
    EXPECT_EQ(Shown().toStdString(), kDumpTemplateText);
    EXPECT_TRUE(List("Knob8")->currentText().startsWith("011"));
    EXPECT_TRUE(dlg.CurrentFile().isEmpty());
    EXPECT_EQ(FileNameBox(), "a.syx");  // the name box keeps its text

    // With no current file, the next Save asks for a name again.
    ui.ChooseNext(QString());
    Click(res::kDumpSendSave);
    EXPECT_EQ(ui.fileSpecs.size(), 2u);
}

TEST_F(DumpSendDlgTest, SaveAsksOnceThenSaveAndSaveAsWriteTheSameFile) {
    const std::string path = dir.file("midi.syx");
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpSendSave);
    ASSERT_EQ(ui.fileSpecs.size(), 1u);
    ExpectSyxSaveDialog(ui.fileSpecs[0]);
    EXPECT_EQ(FileNameBox(), "midi.syx");
    EXPECT_EQ(ReadBytes(path), TemplateBytes());

    ChooseEntry(List("Fader8"), 1);
    Click(res::kDumpSendSave);
    ChooseEntry(List("Fader7"), 2);
    Click(res::kDumpSendSaveAs);
    EXPECT_EQ(ui.fileSpecs.size(), 1u);  // neither asked again
    std::vector<uint8_t> expected = TemplateBytes();
    expected[39] = 1;
    expected[38] = 2;
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_TRUE(ui.shown.empty());

    // A cancelled name ends the operation without writing anything.
    Click(res::kDumpSendNew);
    ui.ChooseNext(QString());
    Click(res::kDumpSendSaveAs);
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(DumpSendDlgTest, SavedFileOpensAgainByteForByte) {
    const std::string path = dir.file("round.syx");
    ChooseEntry(List("Knob1"), 74);
    ChooseEntry(List("Fader.M"), 7);
    ChooseEntry(List("B.C."), 64);
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpSendSave);
    const QString saved = Shown();
    ASSERT_EQ(ReadBytes(path).size(), 59u);

    dlg.hide();
    dlg.show();  // a new opening starts from the template
    ASSERT_EQ(Shown().toStdString(), kDumpTemplateText);
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpSendOpen);
    ASSERT_EQ(ui.fileSpecs.back().initialName, "*.syx");
    EXPECT_FALSE(ui.fileSpecs.back().save);
    EXPECT_EQ(Shown(), saved);
    EXPECT_EQ(List("Knob1")->currentIndex(), 74);
    EXPECT_EQ(List("Fader.M")->currentIndex(), 7);
    EXPECT_EQ(List("B.C.")->currentIndex(), 64);
    EXPECT_EQ(List("Knob4")->currentIndex(), 32);
    EXPECT_EQ(FileNameBox(), "round.syx");
    EXPECT_EQ(dlg.CurrentFile().toStdString(), path);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DumpSendDlgTest, FileWithoutTheHeaderIsRefusedAndTheTextStays) {
    const std::string good = dir.file("good.syx");
    ChooseEntry(List("Knob2"), 5);
    ui.ChooseNext(QString::fromStdString(good));
    Click(res::kDumpSendSave);
    const QString before = Shown();

    std::vector<uint8_t> other = TemplateBytes();
    other[4] = 0x4C;  // four header bytes right, the fifth wrong
    const std::string bad = dir.file("other.syx");
    WriteBytes(bad, other);
    ui.ChooseNext(QString::fromStdString(bad));
    Click(res::kDumpSendOpen);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "File Comment Is Invalidate !");
    EXPECT_EQ(ui.shown[0].caption, "DO Darivu v1.0 beta");
    EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Stop);
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(List("Knob2")->currentIndex(), 5);

    // The refused file never becomes the file that Save writes to.
    EXPECT_EQ(dlg.CurrentFile().toStdString(), good);
    EXPECT_EQ(FileNameBox(), "good.syx");
    Click(res::kDumpSendSave);
    EXPECT_EQ(ReadBytes(bad), other);
}

TEST_F(DumpSendDlgTest, UnreadableAndOverlongFilesAreRefusedWithTheirMessages) {
    const QString before = Shown();
    ui.ChooseNext(QString::fromStdString(dir.file("missing.syx")));
    Click(res::kDumpSendOpen);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.toStdString(),
              "File Read Failure [1]\n" + dir.file("missing.syx") + "\nNo such file or directory");
    EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Stop);

    // 129 bytes do not fit the 256 hex digits of the buffers.
    std::vector<uint8_t> longDump(129, 0x0B);
    std::copy(std::begin(kDumpHeader), std::end(kDumpHeader), longDump.begin());
    longDump.back() = 0xF7;
    const std::string path = dir.file("long.syx");
    WriteBytes(path, longDump);
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpSendOpen);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "File Too Long: a dump of at most 128 bytes can be loaded !");
    EXPECT_EQ(Shown(), before);
    EXPECT_TRUE(dlg.CurrentFile().isEmpty());
}

TEST_F(DumpSendDlgTest, ShortFileShowsItsBytesAndLeavesFieldsPastItsEndUnselected) {
    std::vector<uint8_t> shortDump = TemplateBytes();
    shortDump.resize(20);
    shortDump[7] = 0x4A;
    shortDump[14] = 0x90;  // 144 is no controller number: no selection
    const std::string path = dir.file("short.syx");
    WriteBytes(path, shortDump);
    ui.ChooseNext(QString::fromStdString(path));
    Click(res::kDumpSendOpen);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(ShownBytes(), shortDump);
    EXPECT_EQ(Shown().toStdString(), FormatHexText(shortDump.data(), shortDump.size()));
    EXPECT_EQ(List("Knob1")->currentIndex(), 74);
    EXPECT_EQ(List("Knob8")->currentIndex(), -1);
    for (const char* label : {"Fader.M", "Fader1", "Fader8"})
        EXPECT_EQ(List(label)->currentIndex(), -1) << label;

    // The fader offsets lie past the end: choosing a fader value changes nothing.
    const QString before = Shown();
    ChooseEntry(List("Fader3"), 9);
    EXPECT_EQ(Shown(), before);
    ChooseEntry(List("Knob3"), 1);
    shortDump[9] = 1;
    EXPECT_EQ(ShownBytes(), shortDump);
}

TEST_F(DumpSendDlgTest, SendAsksForTheKeyboardThenHandsOverTheBlankFreeText) {
    ChooseEntry(List("Fader1"), 7);
    const std::string expected = RemoveBlanks(Shown().toStdString());
    Click(res::kDumpSendSend);
    // The template's knobs leave their boxes: the user confirmed that first.
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].buttons, res::MsgButtons::YesNo);
    EXPECT_EQ(ui.shown[1].text, "Press VQ [A.TOUCH] + [DUAL] BUTTON ! ");
    EXPECT_EQ(ui.shown[1].caption, "DO Darivu v1.0 beta");
    EXPECT_EQ(ui.shown[1].buttons, res::MsgButtons::Ok);
    EXPECT_EQ(ui.shown[1].icon, res::MsgIcon::None);
    ASSERT_EQ(handedOver.size(), 1u);
    EXPECT_EQ(boxesBeforeHandOver[0], 2u);
    EXPECT_EQ(handedOver[0], expected);
    EXPECT_EQ(handedOver[0].size(), 118u);
}

TEST_F(DumpSendDlgTest, TheViewFollowsTheListsAndSendAsksOnceAboutMarkedLines) {
    const auto* rows = dlg.findChild<QWidget*>("dumpMeaning")->findChild<QTreeWidget*>();
    QTreeWidgetItem* knob3 = rows->topLevelItem(4);
    EXPECT_TRUE(knob3->text(4).contains("bank select changes the synth's state"));
    // Read against the table in force, the moment a field changes.
    AssignmentTable table;
    table.Set(Entry::KNOB03, "###");
    dlg.SetTableSource([&]() -> const AssignmentTable& { return table; });
    ChooseEntry(List("Knob3"), 73);
    EXPECT_EQ(knob3->text(1), "073  Sound Cont. 4 (Attack Time)");
    EXPECT_EQ(knob3->text(3), "KNOB03: suppressed");
    EXPECT_TRUE(knob3->text(4).isEmpty());

    ui.AnswerNext(res::MsgResult::No);
    Click(res::kDumpSendSend);
    ASSERT_EQ(ui.shown.size(), 1u);
    const QString& asked = ui.shown[0].text;
    EXPECT_TRUE(
        asked.contains("Knob4 032: its own KNOB04 no longer acts on it; bank select "
                       "changes the synth's state\n"));
    EXPECT_TRUE(asked.contains("Knob1 011: CONTROL acts on it, not its own KNOB01\n"));
    EXPECT_FALSE(asked.contains("Knob3"));
    EXPECT_TRUE(handedOver.empty());
}

TEST_F(DumpSendDlgTest, CloseEndsTheDialogAndTheNextOpeningStartsAfresh) {
    ChooseEntry(List("Knob5"), 3);
    ui.ChooseNext(QString::fromStdString(dir.file("x.syx")));
    Click(res::kDumpSendSave);
    Click(res::kDumpSendClose);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.show();
    EXPECT_EQ(Shown().toStdString(), kDumpTemplateText);
    EXPECT_EQ(List("Knob5")->currentIndex(), 11);
    EXPECT_TRUE(dlg.CurrentFile().isEmpty());
    EXPECT_TRUE(FileNameBox().isEmpty());
}

}  // namespace
}  // namespace ostrel
