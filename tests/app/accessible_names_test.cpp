// The window as a screen reader reads it through the accessibility interface:
// every item that takes the keyboard has a name of its own that is not the value
// it shows, and a box's description says what its choice does.
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <set>

#include "app/monitor_dlg.h"
#include "app/setlist_dlg.h"
#include "curves/gui/curve_dialog.h"
#include "curves/gui/curve_editor.h"
#include "curves/gui/curve_list_dlg.h"
#include "main_form_fixture.h"
#include "midi/gui/midi_driver_dlg.h"
#include "res/template_curve.h"
#include "sysex/gui/dump_receive_dlg.h"
#include "sysex/gui/dump_send_dlg.h"

namespace ostrel::test {
namespace {

QAccessibleInterface* Accessible(QObject* o) { return QAccessible::queryAccessibleInterface(o); }
QString NameOf(QObject* o) { return Accessible(o)->text(QAccessible::Name); }
QString DescriptionOf(QObject* o) { return Accessible(o)->text(QAccessible::Description); }

// The value an item shows: a box's or text's text, a list's current entry.
QString ValueOf(QWidget* w) {
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* l = qobject_cast<QListWidget*>(w))
        return l->currentItem() ? l->currentItem()->text() : "";
    return {};
}

// Walks the window's items that take the keyboard or are named (a status line):
// each has a name, not its value, that no other item of the window has.
// Returns the names.
std::set<QString> WalkNames(QWidget* window) {
    std::set<QString> names;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window->window() || w->objectName().toInt() <= 0 ||
            (w->focusPolicy() == Qt::NoFocus && w->accessibleName().isEmpty()))
            continue;
        QAccessibleInterface* a = Accessible(w);
        const QString name = a->text(QAccessible::Name);
        const std::string where = window->objectName().toStdString() + " item " +
                                  w->objectName().toStdString() + " \"" + name.toStdString() + "\"";
        EXPECT_FALSE(name.isEmpty()) << where;
        EXPECT_NE(name, ValueOf(w)) << where;
        EXPECT_TRUE(names.insert(name).second) << where << " twice";
    }
    return names;
}

class AccessibleNamesTest : public MainFormTest {
  protected:
    void SetUp() override { StartForm(); }
    CurveDialogServices Services() {
        return {state->settings, state->curves, state->curveLibraries};
    }
};

TEST_F(AccessibleNamesTest, EveryWindowNamesItsItemsByTheirCaptionsOnce) {
    const CMidiDriverDlg::Lists ports{{"kbd:out"}, {"synth:in"}, "", "", "", "JACK"};
    const struct {
        std::function<QWidget*()> open;
        std::vector<const char*> someNames;
    } windows[] = {
        {[&] { return form; },
         {"Knob, Default Controller, Knob1", "Fader, VOL 1-8, Fader3", "Fader, DRAWBAR, Fader.M",
          "SEQ REMOTE, REC", "Wheel, PitchBend", "External Controller, B.C", "System, Channel",
          "Keys, Key Octave", "Keys, C#", "Keys, B", "Curve, V.Curve", "Curve, A.Touch", "V.Curve",
          "Start", "Monitor", "Send", "Receive"}},
        {[&] { return new CDumpSendDlg(form); },
         {"Knob, KN 1-8, Knob1", "Fader, CS 1-8, Fader8", "Sustain", "B.C.", "File name", "Send"}},
        {[&] { return new CDumpReceiveDlg(form); },
         {"Knob, KN 1-8, Knob8", "Fader, CS 1-8, Fader.M", "Sustain", "B.C.", "Message"}},
        {[&] { return new CVelocityCurveDlg(Services(), form); }, {"Default", "Load", "Close"}},
        {[&] { return new CTouchCurveDlg(Services(), form); }, {"Save", "Delete"}},
        {[&] {
             return new CCurveListDlg(state->settings, CurveKind::Velocity, CCurveListDlg::kLoad,
                                      form);
         },
         {"Curve name", "Curve library", "OK"}},
        {[&] { return new CMidiDriverDlg(ports, state->settings, form); },
         {"MIDI IN DEVICE", "MIDI OUT DEVICE", "Cancel"}},
        {[&] { return ShowMonitorWindow(form, *state); }, {"Messages", "Clear", "Exit"}},
        {[&] { return new CSetlistDlg("", form); },
         {"Scenes", "Triggers, Program change", "Triggers, Pass on", "Triggers, Next",
          "Triggers, Previous", "Triggers, Learn status", "Learn the next trigger"}},
    };
    for (const auto& w : windows) {
        QWidget* window = w.open();
        const std::set<QString> names = WalkNames(window);
        for (const char* name : w.someNames)
            EXPECT_TRUE(names.count(QString::fromLatin1(name)))
                << window->objectName().toStdString() << " lacks " << name;
    }
}

TEST_F(AccessibleNamesTest, TheCurveDialogNamesItsDrawingAndPreviewByTheirPlaces) {
    CVelocityCurveDlg dlg(Services(), form);
    dlg.show();
    EXPECT_EQ(NameOf(dlg.Editor()), "Velocity curve");
    EXPECT_TRUE(DescriptionOf(dlg.Editor()).contains(QRegularExpression("^first point \\d+ to")));
    QLabel* last = res::Item<QLabel>(&dlg, res::kPreviewOutputIds[res::kPreviewRows - 1]);
    EXPECT_EQ(NameOf(last), "127, New");
    EXPECT_EQ(DescriptionOf(last), "127");  // the default curve maps 127 to itself
}

TEST_F(AccessibleNamesTest, ABoxDescribesTheChoiceInForceAndKeepsItsName) {
    const struct {
        int id;
        const char* pick;
        const char* description;
    } cases[] = {
        {1046, "###", "suppressed"},        {1046, "007", "replaced by controller 7"},
        {1046, "***", "passes unchanged"},  {1060, "003", "sent on channel 3"},
        {1060, "***", "channel unchanged"}, {kIdKeyOctave, "C3", "the keys show C3-B3 (36-47)"},
        {1069, "***", "default curve"},
    };
    const QString knobName = NameOf(Combo(1046));
    for (const auto& c : cases) {
        PickText(c.id, c.pick);
        EXPECT_EQ(DescriptionOf(Combo(c.id)), c.description) << c.id << " " << c.pick;
    }
    EXPECT_EQ(NameOf(Combo(1046)), knobName);
    // Typing shows a text that is not in force; the description stays with the choice.
    QTest::keyClicks(Combo(1046), "12");
    EXPECT_EQ(DescriptionOf(Combo(1046)), "passes unchanged");
    PickText(1060, "005");
    form->OnFileNew();
    EXPECT_EQ(DescriptionOf(Combo(1060)), "channel unchanged");
}

}  // namespace
}  // namespace ostrel::test
