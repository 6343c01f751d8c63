// The MIDI driver setting dialog with fake port lists: what the lists show,
// what OK stores (positions and names in DEVNAME, input first) and that Cancel
// and the close box change nothing.
#include "midi/gui/midi_driver_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <filesystem>

#include "res/dialog_builder.h"
#include "store/ini_settings.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using Names = std::vector<std::string>;

QStringList Texts(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

class MidiDriverDlgTest : public ::testing::Test {
  protected:
    MidiDriverDlgTest() { settings.SetPath(dir.file("Ostrel.ini")); }

    static CMidiDriverDlg::Lists Lists(Names inputs, Names outputs, std::string in = "",
                                       std::string out = "") {
        return {std::move(inputs), std::move(outputs), std::move(in), std::move(out), "", ""};
    }
    QComboBox* In(QWidget* d) { return res::Item<QComboBox>(d, 1003); }
    QComboBox* Out(QWidget* d) { return res::Item<QComboBox>(d, 1004); }
    void PressOk(QWidget* d) { res::Item<QPushButton>(d, 1)->click(); }
    std::string Setting(const char* key) { return settings.ReadString("DEVNAME", key); }

    test::TempDir dir;
    CIniSettings settings;
};

TEST_F(MidiDriverDlgTest, LayoutFollowsTemplate131) {
    CMidiDriverDlg dlg(Lists({"A:a"}, {"B:b"}), settings);
    EXPECT_EQ(dlg.objectName(), "CMidiDriverDlg");
    EXPECT_EQ(dlg.windowTitle(), "DO Darivu v1.0 beta   --  Midi Driver Setting");
    EXPECT_EQ(dlg.size(), QSize(322, 172));  // 215 x 106 dialog units
    ASSERT_NE(res::Item<QPushButton>(&dlg, 1), nullptr);
    EXPECT_EQ(res::Item<QPushButton>(&dlg, 1)->text(), "OK");
    EXPECT_TRUE(res::Item<QPushButton>(&dlg, 1)->isDefault());
    EXPECT_EQ(res::Item<QPushButton>(&dlg, 2)->text(), "Cancel");
    ASSERT_NE(In(&dlg), nullptr);
    ASSERT_NE(Out(&dlg), nullptr);
    EXPECT_EQ(dlg.findChild<QLabel*>("MidiProblem"), nullptr);
}

TEST_F(MidiDriverDlgTest, ListsShowPortsByFullNameInListOrder) {
    CMidiDriverDlg dlg(Lists({"Alpha:out", "Mid:midi", "Zeta Keys:out"}, {"Synth:in"}), settings);
    EXPECT_EQ(Texts(In(&dlg)), QStringList({"00:Alpha:out", "01:Mid:midi", "02:Zeta Keys:out"}));
    EXPECT_EQ(Texts(Out(&dlg)), QStringList({"00:Synth:in"}));
}

TEST_F(MidiDriverDlgTest, TheRememberedPortsAreSelectedEvenWhileAbsent) {
    CMidiDriverDlg dlg(Lists({"a:1", "b:1", "c:1"}, {"x:1", "y:1"}, "c:1", "gone:in"), settings);
    EXPECT_EQ(In(&dlg)->currentText(), "02:c:1");
    EXPECT_EQ(Out(&dlg)->currentText(), "--:gone:in");
    EXPECT_EQ(dlg.ChosenInput(), "c:1");
    EXPECT_EQ(dlg.ChosenOutput(), "gone:in");
    PressOk(&dlg);
    EXPECT_EQ(Setting("MIDIIN"), "2");
    EXPECT_EQ(Setting("MIDIINNAME"), "c:1");
    EXPECT_EQ(Setting("MIDIOUT"), "-1");  // not in today's list
    EXPECT_EQ(Setting("MIDIOUTNAME"), "gone:in");
}

TEST_F(MidiDriverDlgTest, OkWithoutChangesStillWritesBothInputFirst) {
    CMidiDriverDlg dlg(Lists({"a:1", "b:1"}, {"x:1"}, "b:1", "x:1"), settings);
    PressOk(&dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const std::string file = test::TempDir::Read(dir.file("Ostrel.ini"));
    const size_t in = file.find("MIDIIN=1");
    const size_t out = file.find("MIDIOUT=0");
    ASSERT_NE(in, std::string::npos) << file;
    ASSERT_NE(out, std::string::npos) << file;
    EXPECT_LT(in, out);
    EXPECT_NE(file.find("[DEVNAME]"), std::string::npos);
}

TEST_F(MidiDriverDlgTest, NoChoiceAndNoOutputDeviceStoreMinusOneAndNoName) {
    CMidiDriverDlg dlg(Lists({"a:1"}, {}), settings);
    EXPECT_EQ(Out(&dlg)->count(), 0);
    EXPECT_EQ(In(&dlg)->currentIndex(), -1);
    PressOk(&dlg);
    EXPECT_EQ(Setting("MIDIIN"), "-1");
    EXPECT_EQ(Setting("MIDIOUT"), "-1");
    EXPECT_EQ(Setting("MIDIOUTNAME"), "");
}

TEST_F(MidiDriverDlgTest, CancelAndTheCloseBoxChangeNothing) {
    {
        CMidiDriverDlg dlg(Lists({"a:1", "b:1"}, {"x:1", "y:1"}, "b:1", "y:1"), settings);
        In(&dlg)->setCurrentIndex(0);
        Out(&dlg)->setCurrentIndex(0);
        res::Item<QPushButton>(&dlg, 2)->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    {
        CMidiDriverDlg dlg(Lists({"a:1", "b:1"}, {"x:1", "y:1"}, "b:1", "y:1"), settings);
        In(&dlg)->setCurrentIndex(0);
        dlg.reject();  // Escape and the close box
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Ostrel.ini")));
}

// Typed text chooses the port it names: its entry, its full name, a part only
// it has (case ignored); an emptied field chooses none. Text that names no port,
// or several, is refused with a message that quotes it, and nothing changes.
TEST_F(MidiDriverDlgTest, TypedTextChoosesThePortItNamesOrIsRefused) {
    const struct {
        const char* typed;
        const char* stored;  // MIDIOUTNAME after OK, or nullptr: refused
        const char* quoted = nullptr;
    } cases[] = {
        {"zsink:in", "zsink:in"},  // a full name, although zsink:in2 holds it too
        {" ZSINK:IN2", "zsink:in2"},
        {"00:aaa_other:in", "aaa_other:in"},
        {"other", "aaa_other:in"},
        {"", ""},
        {"zsnk:in", nullptr, "\"zsnk:in\" names no listed MIDI output port"},
        {"sink", nullptr, "\"sink\" is part of the names of several MIDI output ports"},
    };
    for (const auto& c : cases) {
        test::ScriptedUi ui;
        std::filesystem::remove(dir.file("Ostrel.ini"));
        CMidiDriverDlg dlg(Lists({"kbd:out"}, {"aaa_other:in", "zsink:in", "zsink:in2"}, "kbd:out",
                                 "aaa_other:in"),
                           settings);
        ASSERT_TRUE(Out(&dlg)->isEditable());
        Out(&dlg)->setEditText(c.typed);
        PressOk(&dlg);
        if (c.stored) {
            EXPECT_EQ(dlg.result(), QDialog::Accepted) << c.typed;
            EXPECT_EQ(Setting("MIDIOUTNAME"), c.stored) << c.typed;
            EXPECT_EQ(dlg.ChosenOutput(), c.stored) << c.typed;
            EXPECT_TRUE(ui.shown.empty()) << c.typed;
            continue;
        }
        EXPECT_NE(dlg.result(), QDialog::Accepted) << c.typed;
        EXPECT_FALSE(std::filesystem::exists(dir.file("Ostrel.ini"))) << c.typed;
        ASSERT_EQ(ui.shown.size(), 1u) << c.typed;
        EXPECT_TRUE(ui.shown[0].text.startsWith(c.quoted)) << ui.shown[0].text.toStdString();
    }
}

// From 100 ports on, text order and list order part ("100:" sorts before
// "11:"); the position stored is still the port's own.
TEST_F(MidiDriverDlgTest, ManyPortsStillStoreTheirOwnPosition) {
    Names many;
    for (int i = 0; i < 105; ++i) many.push_back("port:" + std::to_string(1000 + i));
    CMidiDriverDlg dlg(Lists(many, {"x:1"}, "port:1100"), settings);
    EXPECT_EQ(In(&dlg)->currentText(), "100:port:1100");
    const int pos11 = In(&dlg)->findText("11:port:1011");
    ASSERT_GE(pos11, 0);
    In(&dlg)->setCurrentIndex(pos11);
    PressOk(&dlg);
    EXPECT_EQ(Setting("MIDIIN"), "11");
    EXPECT_EQ(Setting("MIDIINNAME"), "port:1011");
}

TEST_F(MidiDriverDlgTest, ALineSaysWhichMidiSystemOrWhyThereIsNone) {
    CMidiDriverDlg::Lists lists = Lists({}, {});
    lists.system = "PipeWire";
    {
        CMidiDriverDlg dlg(lists, settings);
        auto* line = dlg.findChild<QLabel*>("MidiSystem");
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text(), "MIDI system: PipeWire");
    }
    lists.problem = "No MIDI system: no JACK server is running.";
    CMidiDriverDlg dlg(lists, settings);
    EXPECT_EQ(dlg.findChild<QLabel*>("MidiSystem"), nullptr);
    auto* line = dlg.findChild<QLabel*>("MidiProblem");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "No MIDI system: no JACK server is running.");
}

}  // namespace
}  // namespace ostrel
