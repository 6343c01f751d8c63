// File New, Open, Save and Save As on the main form, the title, the remembered
// file at start-up and the curve boxes after a table is shown.
#include <QMessageBox>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/assignment_code.h"
#include "core/config_file.h"
#include "main_form_fixture.h"
#include "res/path_bytes.h"
#include "store/ini_file.h"
#include "store/settings_keys.h"

namespace ostrel::test {
namespace {

constexpr int kKnob1 = 1046, kKnob2 = 1077, kVelocityBox = 1069, kTouchBox = 1070;
const char* const kDefaultTitle = "DO Darivu v1.0 beta   [default]";

QString TitleWith(const char* name) { return QString("DO Darivu v1.0 beta   [%1]").arg(name); }

std::string CfgValue(const std::string& path, const char* section, const char* key = "DATA") {
    IniFile file;
    file.Load(path);
    return file.Get(section, key);
}

class MainFormFiles : public MainFormTest {
  protected:
    void SetUp() override { StartForm(); }
};

TEST_F(MainFormFiles, SaveWithoutAFileInUseAsksForOneThenWritesToItWithoutAsking) {
    PickText(kKnob1, "007");
    ui.ChooseNext(Path("first.cfg"));
    form->OnFileSave();
    ASSERT_EQ(ui.fileSpecs.size(), 1u);
    EXPECT_TRUE(ui.fileSpecs[0].save);
    EXPECT_EQ(ui.fileSpecs[0].initialName, "midi.cfg");
    EXPECT_EQ(ui.fileSpecs[0].filter, "config file (*.cfg)|*.cfg||");
    EXPECT_EQ(CfgValue(dir.file("first.cfg"), "KNOB01"), "007");
    EXPECT_EQ(CfgValue(dir.file("first.cfg"), "RTZ"), "115");
    EXPECT_EQ(Title(), TitleWith("first.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FULLNAME"), dir.file("first.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "first.cfg");

    PickText(kKnob1, "###");
    form->OnFileSave();
    EXPECT_EQ(ui.fileSpecs.size(), 1u);  // no second dialog
    EXPECT_EQ(CfgValue(dir.file("first.cfg"), "KNOB01"), "###");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(MainFormFiles, APathTooLongToRememberIsSaidOnceAndTheEarlierFileStaysRemembered) {
    WriteTable("first.cfg", AssignmentTable{});
    Open("first.cfg");
    std::filesystem::create_directory(dir.file(std::string(200, 'f')));  // path > 255 bytes
    const std::string longPath = std::string(200, 'f') + "/" + std::string(60, 'n') + ".cfg";
    WriteTable(longPath.c_str(), AssignmentTable{});
    Open(longPath.c_str());
    form->OnFileSave();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(ui.shown[0].text.startsWith("This file cannot be remembered for the next start"));
    EXPECT_EQ(Title(), TitleWith((std::string(60, 'n') + ".cfg").c_str()));  // in use all the same
    EXPECT_EQ(Setting("SYSTEM", "FULLNAME"), dir.file("first.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "first.cfg");
}

// The file dialog hands a name that is not UTF-8 over as its bytes.
TEST_F(MainFormFiles, AFileNamedInLatin1OpensAndSavesUnderItsOwnBytes) {
    const std::string path = dir.file("caf\xE9.cfg");
    AssignmentTable t;
    t.Set(Entry::KNOB01, "007");
    WriteTable("caf\xE9.cfg", t);
    ui.ChooseNext(res::PathFromBytes(path));
    form->OnFileOpen();
    EXPECT_EQ(Code(Entry::KNOB01), "007");
    PickText(kKnob1, "###");
    form->OnFileSave();
    EXPECT_EQ(CfgValue(path, "KNOB01"), "###");
}

TEST_F(MainFormFiles, CancelledDialogsChangeNothing) {
    PickText(kKnob1, "007");
    ui.ChooseNext("");
    form->OnFileSave();
    ui.ChooseNext("");
    form->OnFileSaveAs();
    ui.ChooseNext("");
    form->OnFileOpen();
    EXPECT_EQ(ui.fileSpecs.size(), 3u);
    EXPECT_EQ(Code(Entry::KNOB01), "007");
    EXPECT_EQ(Title(), kDefaultTitle);
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "");
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Stopped);
}

TEST_F(MainFormFiles, SaveThenOpenRestoresEveryBox) {
    // A different item in every combo; keys in octave 0, which Open shows.
    for (const FormCombo& c : FormCombos()) {
        if (c.role == ComboRole::KeyOctave || c.role == ComboRole::Curve) continue;
        const int count = Combo(c.id)->count();
        Pick(c.id, (c.id * 7) % count);
    }
    QStringList before;
    for (const FormCombo& c : FormCombos()) before << Shown(c.id);
    SaveAs("round.cfg");
    Pick(kIdKeyOctave, 4);

    form->OnFileNew();
    EXPECT_EQ(Code(Entry::KNOB01), "***");
    EXPECT_EQ(Shown(kKnob1), "***     --Default No Change");

    Open("round.cfg");
    ASSERT_EQ(ui.fileSpecs.back().initialName, "*.cfg");
    EXPECT_FALSE(ui.fileSpecs.back().save);
    int i = 0;
    for (const FormCombo& c : FormCombos()) EXPECT_EQ(Shown(c.id), before[i++]) << c.id;
    // The table holds what each box shows.
    for (const FormCombo& c : FormCombos()) {
        if (c.role != ComboRole::Entry && c.role != ComboRole::MasterFader) continue;
        EXPECT_EQ(Shown(c.id).left(3).toStdString(), Code(c.entry)) << c.id;
    }
    for (int k = 0; k < kKeyCount; ++k)
        EXPECT_EQ(Shown(KeyComboId(k)).left(3).toStdString(), Note(k)) << k;
    EXPECT_EQ(Title(), TitleWith("round.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FULLNAME"), dir.file("round.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "round.cfg");
}

TEST_F(MainFormFiles, NewShowsTheDefaultsAndEndsTheUseOfTheFile) {
    PickText(1088, "***");  // REC
    PickText(1060, "003");
    SaveAs("kept.cfg");
    ASSERT_EQ(Title(), TitleWith("kept.cfg"));
    Pick(kIdKeyOctave, 10);
    ASSERT_FALSE(Combo(1067)->isEnabled());

    form->OnFileNew();
    EXPECT_EQ(Code(Entry::REC), "114");
    EXPECT_EQ(Code(Entry::CHANEL), "***");
    EXPECT_EQ(Shown(1088), "114     -Undefined");
    EXPECT_EQ(Shown(1060), "***      --Default No Change");
    EXPECT_EQ(Combo(kIdKeyOctave)->currentIndex(), 0);
    // Octave 0 is shown with all twelve keys.
    EXPECT_TRUE(Combo(1067)->isEnabled());
    EXPECT_EQ(Title(), kDefaultTitle);
    EXPECT_EQ(state->fileInUse.Path(), "");
    // New does not touch the settings: the next start reopens the file.
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "kept.cfg");
}

TEST_F(MainFormFiles, SaveAsWhileAFileIsInUseWritesACopyAndKeepsTheFile) {
    PickText(kKnob1, "001");
    SaveAs("main.cfg");
    ASSERT_EQ(Title(), TitleWith("main.cfg"));

    PickText(kKnob1, "002");
    SaveAs("copy.cfg");
    EXPECT_EQ(CfgValue(dir.file("copy.cfg"), "KNOB01"), "002");
    EXPECT_EQ(CfgValue(dir.file("main.cfg"), "KNOB01"), "001");
    EXPECT_EQ(Title(), TitleWith("main.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "main.cfg");

    PickText(kKnob1, "003");
    form->OnFileSave();
    EXPECT_EQ(CfgValue(dir.file("main.cfg"), "KNOB01"), "003");
    EXPECT_EQ(CfgValue(dir.file("copy.cfg"), "KNOB01"), "002");
}

TEST_F(MainFormFiles, FailedWritesAreReportedAndDoNotBecomeTheFileInUse) {
    const QString unwritable = Path("no-such-folder/x.cfg");
    ui.ChooseNext(unwritable);
    form->OnFileSave();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Error);
    EXPECT_EQ(ui.shown[0].caption, "DO Darivu v1.0 beta");
    EXPECT_TRUE(ui.shown[0].text.contains(unwritable));
    EXPECT_TRUE(ui.shown[0].text.endsWith("No such file or directory"));
    EXPECT_EQ(Title(), kDefaultTitle);
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "");

    SaveAs("good.cfg");
    ui.ChooseNext(unwritable);
    form->OnFileSaveAs();
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(Title(), TitleWith("good.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "good.cfg");
}

TEST_F(MainFormFiles, OpenRefusesWhatIsNoConfigurationSaysWhyAndKeepsTheTable) {
    PickText(kKnob1, "009");
    std::filesystem::create_directory(dir.file("folder.cfg"));
    TempDir::Write(dir.file("dump.syx"), "\xF0\x42\x30\x00\x01\x2F\x51\xF7");
    const std::pair<const char*, const char*> cases[] = {
        {"missing.cfg", "No such file or directory"},
        {"folder.cfg", "not a regular file"},
        {"dump.syx", "not an Ostrel configuration file"},
    };
    for (const auto& [name, reason] : cases) {
        ui.shown.clear();
        Open(name);
        ASSERT_EQ(ui.shown.size(), 1u) << name;
        EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Error);
        EXPECT_EQ(
            ui.shown[0].text,
            QStringLiteral("Cannot open the configuration file\n%1\n%2").arg(Path(name), reason));
        EXPECT_EQ(Code(Entry::KNOB01), "009") << name;
        EXPECT_EQ(Title(), kDefaultTitle) << name;
    }
}

// Each failed write of the settings is said once, with the system's reason: a
// remembered file, and a value that another part of the window writes.
TEST_F(MainFormFiles, FailedSettingsWritesAreSaidOnceWithTheirReason) {
    std::filesystem::create_directory(dir.file("Ostrel.ini"));
    SaveAs("kept.cfg");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(
        ui.shown[0].text.startsWith("This file cannot be remembered for the next start: "
                                    "the settings file could not be written: "
                                    "not a regular file."));
    EXPECT_EQ(WriteMonitorOn(state->settings, true), StoreResult::IoFailure);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, QStringLiteral("The settings file could not be written:\n%1\n"
                                               "not a regular file")
                                    .arg(Path("Ostrel.ini")));
}

TEST_F(MainFormFiles, OpenKeepsThePassThroughRunningAndShowsOctaveZero) {
    AssignmentTable t;
    t.Set(Entry::KNOB02, "064");
    t.SetNote(0, "###");
    WriteTable("run.cfg", t);
    QTest::mouseClick(Button(1004), Qt::LeftButton);
    Pick(kIdKeyOctave, 10);

    Open("run.cfg");
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Running);
    EXPECT_EQ(Code(Entry::KNOB02), "064");
    EXPECT_EQ(Shown(kKnob2), "064     --Damper pedal on/off (Sustain)");
    EXPECT_EQ(Combo(kIdKeyOctave)->currentIndex(), 0);
    EXPECT_EQ(Shown(1045), "###     --Off");
    EXPECT_TRUE(Combo(1067)->isEnabled());
}

TEST_F(MainFormFiles, CodesThatAreNoItemAreShownAndKeptAsTheFileHasThem) {
    TempDir::Write(dir.file("odd.cfg"),
                   "[KNOB01]\nDATA=1\n[KNOB02]\nDATA=5x\n[KNOB03]\nDATA=\x80\n");
    Open("odd.cfg");
    EXPECT_EQ(Shown(1078), QStringLiteral(u"\u20AC"));  // Windows-1252, as it was written
    EXPECT_EQ(Code(Entry::KNOB01), "1");
    EXPECT_EQ(Shown(kKnob1), "001     --Modulation wheel");  // "1" is controller 1
    EXPECT_EQ(Code(Entry::KNOB02), "5x");
    EXPECT_EQ(Shown(kKnob2), "5x");
    form->OnFileSave();
    EXPECT_EQ(CfgValue(dir.file("odd.cfg"), "KNOB01"), "1");
}

// Answers the open dialog after feeding the keyboard's message to the running
// pass-through, as happens when a knob moves while the dialog is open.
class DialogWhileRunning final : public res::UiSeam {
  public:
    DialogWhileRunning(FakeMidiSystem& midi, PassThrough& passThrough, QString path)
        : midi_(midi), passThrough_(passThrough), path_(std::move(path)) {}
    res::MsgResult Message(QWidget*, const QString&, const QString&, res::MsgButtons,
                           res::MsgIcon) override {
        return res::MsgResult::Ok;
    }
    res::FileChoice ChooseFile(QWidget*, const res::FileDialogSpec&) override {
        stateDuringDialog = passThrough_.State();
        midi_.Deliver({0xB0, 0x4A, 0x40});
        return {true, path_, path_.section('/', -1)};
    }
    PassThroughState stateDuringDialog = PassThroughState::Stopped;

  private:
    FakeMidiSystem& midi_;
    PassThrough& passThrough_;
    QString path_;
};

TEST_F(MainFormFiles, MessagesKeepFlowingWhileTheOpenDialogIsShown) {
    AssignmentTable t;
    t.Set(Entry::KNOB01, "010");
    WriteTable("flow.cfg", t);
    PickText(kKnob1, "007");
    QTest::mouseClick(Button(1004), Qt::LeftButton);
    midi->ClearSent();

    DialogWhileRunning seam(*midi, *state->passThrough, Path("flow.cfg"));
    res::SetUi(&seam);
    form->OnFileOpen();
    res::SetUi(&ui);

    EXPECT_EQ(seam.stateDuringDialog, PassThroughState::Running);
    // Translated with the table in force while the dialog was open.
    ASSERT_EQ(midi->Sent().size(), 1u);
    EXPECT_EQ(midi->Sent()[0], (std::vector<uint8_t>{0xB0, 0x07, 0x40}));
    // And with the new table afterwards.
    midi->Deliver({0xB0, 0x4A, 0x41});
    ASSERT_EQ(midi->Sent().size(), 2u);
    EXPECT_EQ(midi->Sent()[1], (std::vector<uint8_t>{0xB0, 0x0A, 0x41}));
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Running);
}

// Curve libraries in the settings file, loaded as start-up does before the form exists.
class MainFormCurves : public MainFormTest {
  protected:
    void SetUp() override {
        TempDir::Write(dir.file("Ostrel.ini"),
                       "[CURVE]\nNUMS=4\n"
                       "NAME00=flat\nFIRSTX00=1\nFIRSTY00=2\nSECONDX00=3\nSECONDY00=4\n"
                       "NAME01=soft\nFIRSTX01=10\nFIRSTY01=20\nSECONDX01=30\nSECONDY01=40\n"
                       "NAME02=hard\nFIRSTX02=11\nFIRSTY02=21\nSECONDX02=31\nSECONDY02=41\n"
                       "NAME03=Late Bloom\nFIRSTX03=50\nFIRSTY03=60\nSECONDX03=70\n"
                       "SECONDY03=80\n"
                       "[TOUCH]\nNUMS=2\n"
                       "NAME00=t0\nFIRSTX00=5\nFIRSTY00=6\nSECONDX00=7\nSECONDY00=8\n"
                       "NAME01=t1\nFIRSTX01=15\nFIRSTY01=16\nSECONDX01=17\nSECONDY01=18\n");
        LoadCurveLibraries(state->settings, state->curveLibraries, state->curves);
        state->curves.Of(CurveKind::Velocity).SetArea(200, 100);
        state->curves.Of(CurveKind::Touch).SetArea(200, 100);
        StartForm();
    }
    CurvePoints Velocity() const { return state->curves.Of(CurveKind::Velocity).Load(); }
    CurvePoints Touch() const { return state->curves.Of(CurveKind::Touch).Load(); }
};

TEST_F(MainFormCurves, CurveBoxesListTheLibrariesInIndexOrder) {
    QComboBox* box = Combo(kVelocityBox);
    ASSERT_EQ(box->count(), 5);
    EXPECT_EQ(box->itemText(0), "***     -- Default");
    EXPECT_EQ(box->itemText(1), "000     -- flat");
    EXPECT_EQ(box->itemText(4), "003     -- Late Bloom");
    EXPECT_EQ(Combo(kTouchBox)->count(), 3);
    EXPECT_EQ(Combo(kTouchBox)->itemText(2), "001     -- t1");
}

TEST_F(MainFormCurves, PickingACurveWritesTheTableAndMakesItCurrent) {
    PickText(kVelocityBox, "001");
    EXPECT_EQ(Code(Entry::CURVE), "001");
    EXPECT_EQ(Velocity(), (CurvePoints{10, 20, 30, 40, 200, 100}));
    PickText(kTouchBox, "***");
    EXPECT_EQ(Code(Entry::TOUCH), "***");
    EXPECT_EQ(Touch(), (CurvePoints{100, 50, 100, 50, 200, 100}));
    EXPECT_EQ(Code(Entry::CURVE), "001");
}

TEST_F(MainFormCurves, AfterOpenAndNewTheCurveBoxesShowTheCurvesInForce) {
    AssignmentTable t;
    t.Set(Entry::CURVE, "003");
    t.Set(Entry::TOUCH, "001");
    WriteTable("curves.cfg", t);
    Open("curves.cfg");
    EXPECT_EQ(Shown(kVelocityBox), "003     -- Late Bloom");
    EXPECT_EQ(Velocity(), (CurvePoints{50, 60, 70, 80, 200, 100}));
    EXPECT_EQ(Shown(kTouchBox), "001     -- t1");
    EXPECT_EQ(Touch(), (CurvePoints{15, 16, 17, 18, 200, 100}));

    form->OnFileNew();
    EXPECT_EQ(Shown(kVelocityBox), "***     -- Default");
    EXPECT_EQ(Velocity(), (CurvePoints{100, 50, 100, 50, 200, 100}));
    EXPECT_EQ(Touch(), (CurvePoints{100, 50, 100, 50, 200, 100}));
}

TEST_F(MainFormCurves, ACurveCodeNamingNoEntryHereOpensAsTheDefaultCurve) {
    // CURVE and TOUCH as the file holds them; what the velocity box shows.
    for (const auto& [code, shown] :
         std::vector<std::pair<const char*, const char*>>{{"007", "***     -- Default"},
                                                          {"abc", "***     -- Default"},
                                                          {"1", "001     -- soft"}}) {
        AssignmentTable t;
        t.Set(Entry::CURVE, code);
        t.Set(Entry::TOUCH, "003");  // the touch library has two entries
        WriteTable("foreign.cfg", t);
        Open("foreign.cfg");
        EXPECT_EQ(Shown(kVelocityBox), shown) << code;
        EXPECT_EQ(Code(Entry::CURVE), std::string(shown, 3)) << code;
        EXPECT_EQ(Velocity(), (shown[0] == '*' ? CurvePoints{100, 50, 100, 50, 200, 100}
                                               : CurvePoints{10, 20, 30, 40, 200, 100}));
        EXPECT_EQ(Shown(kTouchBox), "***     -- Default");
        EXPECT_EQ(Touch(), (CurvePoints{100, 50, 100, 50, 200, 100}));
    }
}

// The form's first showing with a remembered file.
class MainFormStart : public MainFormTest {};

TEST_F(MainFormStart, TheRememberedFileIsReopenedWithItsCurves) {
    AssignmentTable t;
    t.Set(Entry::KNOB01, "007");
    ASSERT_EQ(WriteConfig(dir.file("last.cfg").c_str(), t), StoreResult::Ok);
    state->settings.WriteValue("SYSTEM", "FULLNAME", dir.file("last.cfg").c_str());
    state->settings.WriteValue("SYSTEM", "FILENAME", "last.cfg");
    state->curves.Of(CurveKind::Velocity).SetArea(40, 20);
    state->curves.Of(CurveKind::Velocity).SetPoints(1, 2, 3, 4);
    StartForm();
    EXPECT_EQ(Code(Entry::KNOB01), "007");
    EXPECT_EQ(Shown(kKnob1), "007     --Channel Volume");
    EXPECT_EQ(Title(), TitleWith("last.cfg"));
    // CURVE "***": the default curve is the one in force.
    EXPECT_EQ(state->curves.Of(CurveKind::Velocity).Load(), (CurvePoints{20, 10, 20, 10, 40, 20}));
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Stopped);
    // No device remembered: the first of each list (an absent index reads as 0).
    EXPECT_EQ(midi->Connections(PortDirection::Input),
              std::vector<std::string>{"Fake Keyboard:out"});
    EXPECT_EQ(midi->Connections(PortDirection::Output), std::vector<std::string>{"Fake Synth:in"});
}

TEST_F(MainFormStart, AMissingRememberedFileIsSaidWithoutBlockingAndStaysRemembered) {
    state->settings.WriteValue("SYSTEM", "FULLNAME", dir.file("gone.cfg").c_str());
    state->settings.WriteValue("SYSTEM", "FILENAME", "gone.cfg");
    StartForm();
    EXPECT_EQ(Code(Entry::RTZ), "115");
    EXPECT_EQ(Title(), kDefaultTitle);
    EXPECT_TRUE(ui.shown.empty());
    const auto notices = form->findChildren<QMessageBox*>("FileNotice");
    ASSERT_EQ(notices.size(), 1);
    EXPECT_FALSE(notices[0]->isModal());
    EXPECT_TRUE(notices[0]->text().contains(Path("gone.cfg")));
    ui.ChooseNext("");
    form->OnFileSave();  // asks for a name: the defaults are no file
    EXPECT_EQ(ui.fileSpecs.size(), 1u);
    EXPECT_EQ(Setting("SYSTEM", "FULLNAME"), dir.file("gone.cfg"));
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), "gone.cfg");
}

// A path that is not UTF-8 (a Windows-1252 name) is opened, saved and remembered
// by its bytes; only the title decodes it.
TEST_F(MainFormStart, ARememberedFileNamedInWindows1252IsSavedWhereItWasRead) {
    const std::string name = "Jos\xE9.cfg", path = dir.file(name);
    AssignmentTable t;
    t.Set(Entry::KNOB01, "007");
    ASSERT_EQ(WriteConfig(path.c_str(), t), StoreResult::Ok);
    ASSERT_EQ(WriteRememberedFile(state->settings, path, name), StoreResult::Ok);
    StartForm();
    EXPECT_EQ(Code(Entry::KNOB01), "007");
    EXPECT_EQ(Title(), TitleWith("Jos\u00E9.cfg"));
    PickText(kKnob1, "###");
    form->OnFileSave();
    EXPECT_TRUE(ui.fileSpecs.empty());
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(CfgValue(path, "KNOB01"), "###");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    EXPECT_EQ(Setting("SYSTEM", "FULLNAME"), path);
    EXPECT_EQ(Setting("SYSTEM", "FILENAME"), name);
}

// A path copied from Windows names no file here, and a file that is no
// configuration is not written over: the defaults, said once, and Save asks for
// a name instead of creating a file named with backslashes.
TEST_F(MainFormStart, ARememberedWindowsPathOrNoConfigurationStartsWithTheDefaults) {
    TempDir::Write(dir.file("notes.txt"), "shopping list\n");
    const QString notFound(
        "The file remembered from the last session could not be found:\n%1\n"
        "The defaults are in force."),
        notOpened(
            "The file remembered from the last session cannot be opened:\n%1\n"
            "not an Ostrel configuration file\nThe defaults are in force.");
    const std::pair<std::string, QString> cases[] = {{"C:\\Users\\me\\midi.cfg", notFound},
                                                     {"\\\\server\\sets\\midi.cfg", notFound},
                                                     {dir.file("notes.txt"), notOpened}};
    for (const auto& [path, message] : cases) {
        ASSERT_EQ(WriteRememberedFile(state->settings, path, "midi.cfg"), StoreResult::Ok);
        ui.shown.clear();
        ui.fileSpecs.clear();
        StartForm();
        ASSERT_EQ(ui.shown.size(), 1u) << path;
        EXPECT_EQ(ui.shown[0].text, message.arg(QString::fromStdString(path)));
        EXPECT_EQ(Title(), kDefaultTitle);
        EXPECT_EQ(Code(Entry::RTZ), "115");
        ui.ChooseNext("");
        form->OnFileSave();
        EXPECT_EQ(ui.fileSpecs.size(), 1u);  // asked for a name, then cancelled
        EXPECT_EQ(ui.shown.size(), 1u);
    }
    EXPECT_FALSE(std::filesystem::exists("C:\\Users\\me\\midi.cfg"));
    EXPECT_EQ(TempDir::Read(dir.file("notes.txt")), "shopping list\n");
}

TEST_F(MainFormStart, ANameWithoutItsPathStartsWithTheDefaults) {
    state->settings.WriteValue("SYSTEM", "FILENAME", "orphan.cfg");
    StartForm();
    EXPECT_EQ(Title(), kDefaultTitle);
    EXPECT_EQ(state->fileInUse.Name(), "");
}

}  // namespace
}  // namespace ostrel::test
