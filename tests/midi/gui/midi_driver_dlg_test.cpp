// The MIDI driver setting dialog with fake device lists: what the lists show,
// what OK stores (indices and DEVNAME keys, in that order) and that Cancel and
// the close box change nothing.
#include "midi/gui/midi_driver_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QStringList>
#include <filesystem>

#include "midi/pass_through_state.h"
#include "res/dialog_builder.h"
#include "store/ini_settings.h"
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

    QComboBox* In(QWidget* d) { return res::Item<QComboBox>(d, 1003); }
    QComboBox* Out(QWidget* d) { return res::Item<QComboBox>(d, 1004); }
    void PressOk(QWidget* d) { res::Item<QPushButton>(d, 1)->click(); }

    test::TempDir dir;
    CIniSettings settings;
    DeviceIndices devices;
};

TEST_F(MidiDriverDlgTest, LayoutFollowsTemplate131) {
    CMidiDriverDlg dlg({"A"}, {"B"}, devices, settings);
    EXPECT_EQ(dlg.objectName(), "CMidiDriverDlg");
    EXPECT_EQ(dlg.windowTitle(), "DO Darivu v1.0 beta   --  Midi Driver Setting");
    EXPECT_EQ(dlg.size(), QSize(322, 172));  // 215 x 106 dialog units
    ASSERT_NE(res::Item<QPushButton>(&dlg, 1), nullptr);
    EXPECT_EQ(res::Item<QPushButton>(&dlg, 1)->text(), "OK");
    EXPECT_TRUE(res::Item<QPushButton>(&dlg, 1)->isDefault());
    EXPECT_EQ(res::Item<QPushButton>(&dlg, 2)->text(), "Cancel");
    ASSERT_NE(In(&dlg), nullptr);
    ASSERT_NE(Out(&dlg), nullptr);
}

TEST_F(MidiDriverDlgTest, ListsShowDevicesInDeviceOrderWhateverTheirNames) {
    CMidiDriverDlg dlg({"Zeta Keys", "Alpha", "Mid"}, {"Synth"}, devices, settings);
    EXPECT_EQ(Texts(In(&dlg)), QStringList({"00:Zeta Keys", "01:Alpha", "02:Mid"}));
    EXPECT_EQ(Texts(Out(&dlg)), QStringList({"00:Synth"}));
}

TEST_F(MidiDriverDlgTest, OpensWithTheCurrentDevicesSelected) {
    devices.input = 2;
    devices.output = 1;
    CMidiDriverDlg dlg({"a", "b", "c"}, {"x", "y"}, devices, settings);
    EXPECT_EQ(In(&dlg)->currentText(), "02:c");
    EXPECT_EQ(Out(&dlg)->currentText(), "01:y");
    EXPECT_EQ(dlg.ChosenInput(), 2);
    EXPECT_EQ(dlg.ChosenOutput(), 1);
}

TEST_F(MidiDriverDlgTest, ADeviceThatHasGoneAwayLeavesNoSelectionAndOkStoresMinusOne) {
    devices.input = 5;
    devices.output = -1;
    CMidiDriverDlg dlg({"a", "b"}, {"x"}, devices, settings);
    EXPECT_EQ(In(&dlg)->currentIndex(), -1);
    EXPECT_EQ(Out(&dlg)->currentIndex(), -1);
    PressOk(&dlg);
    EXPECT_EQ(devices.input.load(), -1);
    EXPECT_EQ(devices.output.load(), -1);
    EXPECT_EQ(settings.ReadString("DEVNAME", "MIDIIN"), "-1");
    EXPECT_EQ(settings.ReadString("DEVNAME", "MIDIOUT"), "-1");
}

TEST_F(MidiDriverDlgTest, OkWithoutChangesStillWritesBothKeysInputFirst) {
    devices.input = 1;
    devices.output = 0;
    CMidiDriverDlg dlg({"a", "b"}, {"x"}, devices, settings);
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

TEST_F(MidiDriverDlgTest, ChoosingTheThirdInputStoresTwo) {
    CMidiDriverDlg dlg({"a", "b", "c"}, {"x"}, devices, settings);
    In(&dlg)->setCurrentIndex(2);
    PressOk(&dlg);
    EXPECT_EQ(devices.input.load(), 2);
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIIN"), 2);
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIOUT"), 0);
}

TEST_F(MidiDriverDlgTest, NoOutputDeviceStoresMinusOne) {
    CMidiDriverDlg dlg({"a"}, {}, devices, settings);
    EXPECT_EQ(Out(&dlg)->count(), 0);
    PressOk(&dlg);
    EXPECT_EQ(devices.output.load(), -1);
    EXPECT_EQ(settings.ReadString("DEVNAME", "MIDIOUT"), "-1");
}

TEST_F(MidiDriverDlgTest, CancelAndTheCloseBoxChangeNothing) {
    devices.input = 1;
    devices.output = 1;
    {
        CMidiDriverDlg dlg({"a", "b"}, {"x", "y"}, devices, settings);
        In(&dlg)->setCurrentIndex(0);
        Out(&dlg)->setCurrentIndex(0);
        res::Item<QPushButton>(&dlg, 2)->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    {
        CMidiDriverDlg dlg({"a", "b"}, {"x", "y"}, devices, settings);
        In(&dlg)->setCurrentIndex(0);
        dlg.reject();  // Escape and the close box
    }
    EXPECT_EQ(devices.input.load(), 1);
    EXPECT_EQ(devices.output.load(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Ostrel.ini")));
}

TEST_F(MidiDriverDlgTest, TypedTextThatNamesNoEntryLeavesNoChoice) {
    CMidiDriverDlg dlg({"a", "b"}, {"x"}, devices, settings);
    ASSERT_TRUE(In(&dlg)->isEditable());
    In(&dlg)->setEditText("something else");
    PressOk(&dlg);
    EXPECT_EQ(devices.input.load(), -1);
    EXPECT_EQ(devices.output.load(), 0);
}

// From 100 devices on, text order and device order part ("100:" sorts before
// "11:"); the choice must still name the device, not the list position.
TEST_F(MidiDriverDlgTest, ManyDevicesStillStoreTheDeviceIndex) {
    Names many;
    for (int i = 0; i < 105; ++i) many.push_back("port " + std::to_string(i));
    devices.input = 100;
    CMidiDriverDlg dlg(many, {"x"}, devices, settings);
    EXPECT_EQ(In(&dlg)->currentText(), "100:port 100");
    const int pos11 = In(&dlg)->findText("11:port 11");
    ASSERT_GE(pos11, 0);
    In(&dlg)->setCurrentIndex(pos11);
    PressOk(&dlg);
    EXPECT_EQ(devices.input.load(), 11);
}

}  // namespace
}  // namespace ostrel
