// Picking items writes the assignment table at once; typed text never does.
#include <QApplication>
#include <QWheelEvent>
#include <cstdlib>
#include <functional>

#include "main_form_fixture.h"
#include "midi/port_keeper.h"
#include "res/item_lists.h"

namespace ostrel::test {
namespace {

constexpr int kKnob1 = 1046, kFader1 = 1019, kKeyC = 1045, kKeyCSharp = 1074, kKeyG = 1065;
constexpr int kUpperKeys[] = {1072, 1066, 1073, 1067};  // G#, A, A#, B

class MainFormSelection : public MainFormTest {
  protected:
    void SetUp() override { StartForm(); }
};

TEST_F(MainFormSelection, AfterStartTheFormShowsTheDefaultsStoppedWithPortsOpen) {
    for (const FormCombo& c : FormCombos()) {
        QString expected;
        switch (c.list) {
            case ComboList::Controller:
            case ComboList::OffDefault:
                expected = "***     --Default No Change";
                break;
            case ComboList::Channel:
                expected = "***      --Default No Change";
                break;
            case ComboList::Transport:
                expected = res::ControllerItem(std::atoi(EntryDefault(c.entry)));
                break;
            case ComboList::Octave:
                expected = "C0-B0\t   (0-11)";
                break;
            case ComboList::Curves:
                expected = "***     -- Default";
                break;
        }
        EXPECT_EQ(Shown(c.id), expected) << c.id;
        EXPECT_TRUE(Combo(c.id)->isEnabled()) << c.id;
    }
    EXPECT_EQ(Shown(1085), "115     -Undefined");  // RTZ
    // A closed combo shows its text from the beginning.
    EXPECT_EQ(Combo(kKnob1)->lineEdit()->cursorPosition(), 0);
    EXPECT_EQ(Title(), "DO Darivu v1.0 beta   [default]");
    EXPECT_TRUE(Button(1004)->isEnabled());
    EXPECT_FALSE(Button(1005)->isEnabled());
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Stopped);
    EXPECT_TRUE(midi->IsOpen());
    EXPECT_TRUE(state->ports->Connected(PortDirection::Input));
    EXPECT_TRUE(state->ports->Connected(PortDirection::Output));
}

TEST_F(MainFormSelection, StartAndStopSwapTheButtonsAndTheState) {
    QTest::mouseClick(Button(1004), Qt::LeftButton);
    EXPECT_FALSE(Button(1004)->isEnabled());
    EXPECT_TRUE(Button(1005)->isEnabled());
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Running);
    // Forwarding now runs: knob 1 on "007" becomes control change 7.
    PickText(kKnob1, "007");
    midi->ClearSent();
    ASSERT_TRUE(midi->Deliver({0xB0, 0x4A, 0x40}));
    ASSERT_EQ(midi->Sent().size(), 1u);
    EXPECT_EQ(midi->Sent()[0], (std::vector<uint8_t>{0xB0, 0x07, 0x40}));

    QTest::mouseClick(Button(1005), Qt::LeftButton);
    EXPECT_TRUE(Button(1004)->isEnabled());
    EXPECT_FALSE(Button(1005)->isEnabled());
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Stopped);
    midi->ClearSent();
    midi->Deliver({0xB0, 0x4A, 0x40});
    EXPECT_TRUE(midi->Sent().empty());
    // Neither button touches the ports.
    EXPECT_TRUE(state->ports->Connected(PortDirection::Input));
}

TEST_F(MainFormSelection, StopReleasesAHeldNoteWhereItWent) {
    QTest::mouseClick(Button(1004), Qt::LeftButton);
    PickText(1060, "005");  // Channel
    ASSERT_TRUE(midi->Deliver({0x90, 0x3C, 0x64}));
    PickText(1060, "***");
    midi->ClearSent();
    QTest::mouseClick(Button(1005), Qt::LeftButton);
    EXPECT_EQ(midi->Sent(), (std::vector<std::vector<uint8_t>>{{0x84, 0x3C, 0x40}}));
}

TEST_F(MainFormSelection, PicksWriteTheirEntries) {
    PickText(kKnob1, "###");
    EXPECT_EQ(Code(Entry::KNOB01), "###");
    PickText(kKnob1, "007");
    EXPECT_EQ(Code(Entry::KNOB01), "007");
    EXPECT_EQ(Shown(kKnob1), "007     --Channel Volume");
    PickText(kFader1, "007");
    EXPECT_EQ(Code(Entry::VOL01), "007");
    PickText(1060, "016");
    EXPECT_EQ(Code(Entry::CHANEL), "016");
    PickText(1085, "***");
    EXPECT_EQ(Code(Entry::RTZ), "***");
    PickText(1057, "###");
    EXPECT_EQ(Code(Entry::GMON), "###");
    // Nothing else moved.
    EXPECT_EQ(Code(Entry::KNOB02), "***");
    EXPECT_EQ(Code(Entry::REW), "116");
}

TEST_F(MainFormSelection, BothMasterFaderCombosShowAndWriteTheOneEntry) {
    PickText(1043, "011");
    EXPECT_EQ(Code(Entry::VOLM), "011");
    EXPECT_EQ(Shown(1084), "011     --Expression Controller");
    EXPECT_EQ(Shown(1043), "011     --Expression Controller");
    PickText(1084, "###");
    EXPECT_EQ(Code(Entry::VOLM), "###");
    EXPECT_EQ(Shown(1043), "###     --Off");
}

TEST_F(MainFormSelection, KeyCombosEditTheNotesOfTheChosenOctave) {
    Pick(kIdKeyOctave, 3);
    PickText(kKeyCSharp, "064");
    EXPECT_EQ(Note(37), "064");
    EXPECT_EQ(Note(1), "***");
    Pick(kIdKeyOctave, 5);
    PickText(kKeyC, "###");
    PickText(1067, "001");  // B
    EXPECT_EQ(Note(60), "###");
    EXPECT_EQ(Note(71), "001");

    // Back in octave 3 the key combos show its cells, item by code.
    Pick(kIdKeyOctave, 3);
    EXPECT_EQ(Combo(kKeyCSharp)->currentIndex(), 66);  // "064"
    EXPECT_EQ(Combo(kKeyC)->currentIndex(), 1);        // "***"
    Pick(kIdKeyOctave, 5);
    EXPECT_EQ(Combo(kKeyC)->currentIndex(), 0);  // "###"
    EXPECT_EQ(Shown(1067), "001     --Modulation wheel");
}

TEST_F(MainFormSelection, TopOctaveHasOnlyCToGAndTheNextOctaveEnablesAllAgain) {
    state->table.SetNote(127, "005");
    state->table.SetNote(119, "010");
    Pick(kIdKeyOctave, 10);
    EXPECT_EQ(Shown(kKeyG), "005     --Portamento time");
    for (int id : kUpperKeys) EXPECT_FALSE(Combo(id)->isEnabled()) << id;
    PickText(kKeyG, "###");
    EXPECT_EQ(Note(127), "###");

    Pick(kIdKeyOctave, 9);
    for (int id : kUpperKeys) EXPECT_TRUE(Combo(id)->isEnabled()) << id;
    EXPECT_EQ(Shown(1067), "010     --Pan");  // B9 is note 119
    EXPECT_EQ(Note(127), "###");
}

TEST_F(MainFormSelection, AKeyCodeThatIsNoListItemIsShownAsItIs) {
    state->table.SetNote(12, "1");  // a file may hold short codes
    state->table.SetNote(13, "200");
    Pick(kIdKeyOctave, 1);
    EXPECT_EQ(Shown(kKeyC), "001     --Modulation wheel");  // "1" is controller 1
    EXPECT_EQ(Combo(kKeyCSharp)->currentIndex(), -1);
    EXPECT_EQ(Shown(kKeyCSharp), "200");
    // Showing never writes.
    EXPECT_EQ(Note(12), "1");
}

TEST_F(MainFormSelection, TypingCompletesWhileTheListIsOpenButNeverWritesTheTable) {
    QComboBox* knob = Combo(kKnob1);
    knob->showPopup();
    QTest::keyClick(knob->view(), '0');
    EXPECT_EQ(knob->currentText(), "000     --Bank Select");
    EXPECT_EQ(form->LastItemText(), "000     --Bank Select");
    EXPECT_EQ(knob->view()->currentIndex().row(), 2);  // the open list follows
    // Keys in quick succession search on, as in any list; a key that no item
    // begins with after them changes nothing.
    QTest::keyClicks(knob->view(), "10x");
    EXPECT_EQ(knob->currentText(), "010     --Pan");
    EXPECT_EQ(knob->view()->currentIndex().row(), 12);
    EXPECT_EQ(Code(Entry::KNOB01), "***");
    knob->hidePopup();

    // Return after typing does not turn the text into a pick.
    QTest::keyClick(knob, Qt::Key_Return);
    EXPECT_EQ(Code(Entry::KNOB01), "***");

    // With the list closed, typing selects nothing: the combo brings back the last
    // completed text, even one from another combo, and its entry stays as it was.
    QComboBox* fader = Combo(kFader1);
    QTest::keyClicks(fader, "0");
    EXPECT_EQ(fader->currentText(), "010     --Pan");
    EXPECT_EQ(Code(Entry::VOL01), "***");
    EXPECT_EQ(form->LastItemText(), "010     --Pan");

    // In a list where the last text begins no item, it is shown as plain text.
    QComboBox* channel = Combo(1060);
    QTest::keyClicks(channel, "0");
    EXPECT_EQ(channel->currentText(), "010     --Pan");
    EXPECT_EQ(channel->currentIndex(), -1);
    EXPECT_EQ(Code(Entry::CHANEL), "***");
    EXPECT_EQ(Code(Entry::KNOB01), "***");
}

TEST_F(MainFormSelection, TypingBeforeAnyCompletionLeavesTheComboEmpty) {
    // Nothing has been completed yet: the last completed text is empty, and an
    // empty text names no item, so the combo shows no choice at all.
    QComboBox* knob = Combo(kKnob1);
    QTest::keyClicks(knob, "x");
    EXPECT_EQ(knob->currentText(), "");
    EXPECT_EQ(knob->currentIndex(), -1);
    EXPECT_EQ(Code(Entry::KNOB01), "***");
    // A pick elsewhere leaves it so; a pick in it shows the item again.
    PickText(kFader1, "005");
    EXPECT_EQ(knob->currentText(), "");
    PickText(kKnob1, "###");
    EXPECT_EQ(knob->currentText(), "###     --Off");
    EXPECT_EQ(Code(Entry::KNOB01), "###");
}

TEST_F(MainFormSelection, ReturnPicksTheRowTypingHighlightedAndEscapeLeavesTheBox) {
    QComboBox* knob = Combo(kKnob1);
    for (Qt::Key end : {Qt::Key_Escape, Qt::Key_Return}) {
        QTest::keyClick(knob, Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(knob->view()->isVisible());
        QTest::keyClicks(knob->view(), "007");
        QTest::keyClick(knob->view(), end);
        EXPECT_FALSE(knob->view()->isVisible());
        const bool picked = end == Qt::Key_Return;
        EXPECT_EQ(Code(Entry::KNOB01), picked ? "007" : "***");
        EXPECT_EQ(knob->currentText(),
                  picked ? "007     --Channel Volume" : "***     --Default No Change");
    }

    // In Key Octave's open list, Enter on the octave typing found shows it.
    state->table.SetNote(36, "064");
    QComboBox* octave = Combo(kIdKeyOctave);
    octave->showPopup();
    QTest::keyClicks(octave->view(), "c3");
    QTest::keyClick(octave->view(), Qt::Key_Enter);
    EXPECT_EQ(octave->currentIndex(), 3);
    EXPECT_EQ(Combo(kKeyC)->currentText(), "064     --Damper pedal on/off (Sustain)");
}

TEST_F(MainFormSelection, KeyPicksEditTheOctaveTheKeysShowWhateverIsTypedIntoKeyOctave) {
    Pick(kIdKeyOctave, 3);
    QComboBox* octave = Combo(kIdKeyOctave);
    octave->showPopup();
    QTest::keyClick(octave->view(), 'c');  // the next octave after the one shown
    octave->hidePopup();
    QTest::keyClicks(octave, "x");  // brings it back into the closed box
    ASSERT_EQ(octave->currentIndex(), 4);
    PickText(kKeyC, "###");
    EXPECT_EQ(Note(36), "###");
}

// Each way typing ends: Return in the closed box, the list closing, the focus
// leaving. The box then shows the choice in force (and tells it as its tooltip).
TEST_F(MainFormSelection, WhenTypingEndsTheComboShowsTheChoiceInForceAgain) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    PickText(kFader1, "007");
    Pick(kIdKeyOctave, 3);
    const std::pair<bool, std::function<void(QComboBox*)>> endings[] = {
        {false, [](QComboBox* c) { QTest::keyClick(c, Qt::Key_Return); }},
        {true, [](QComboBox* c) { c->hidePopup(); }},
        {false, [this](QComboBox*) { Combo(kKnob1)->setFocus(); }},
    };
    for (const auto& [inOpenList, end] : endings) {
        for (int id : {kFader1, 1060 /* Channel */, 1069 /* velocity curve */, kIdKeyOctave}) {
            QComboBox* combo = Combo(id);
            const QString inForce = combo->currentText();
            // A list of one item has nothing that typing could move to.
            if (inOpenList && id == 1069) continue;
            combo->setFocus();
            combo->showPopup();
            QTest::keyClick(combo->view(), id == kIdKeyOctave ? 'c' : '0');
            if (!inOpenList) combo->hidePopup(), QTest::keyClicks(combo, "5");
            ASSERT_NE(combo->currentText(), inForce) << id;
            end(combo);
            EXPECT_EQ(combo->currentText(), inForce) << id;
            EXPECT_EQ(combo->toolTip(), inForce) << id;
        }
    }
    EXPECT_EQ(Code(Entry::CHANEL), "***");
}

TEST_F(MainFormSelection, TheWheelChangesOnlyAComboThatHasTheFocus) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    for (bool focused : {false, true}) {
        Combo(focused ? 1078 : kKnob1)->setFocus();
        QWheelEvent wheel({10, 5}, {}, {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Combo(1078), &wheel);
        EXPECT_EQ(Code(Entry::KNOB03), focused ? "000" : "***");  // with the focus: a pick
    }
}

TEST_F(MainFormSelection, OpenListsShowTheirLongestItemWholeAndTheBoxKeepsItsSize) {
    for (int id : {kKnob1, 1060 /* Channel */, kIdKeyOctave, 1069 /* velocity curve */}) {
        Combo(id)->showPopup();
        QAbstractItemView* list = Combo(id)->view();
        EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0)) << id;
        Combo(id)->hidePopup();
        EXPECT_EQ(Combo(id)->width(), res::DluToPixelsX(res::kFormComboWidth)) << id;
    }
}

TEST_F(MainFormSelection, DestroyingTheFormStopsAndClosesBothPorts) {
    QTest::mouseClick(Button(1004), Qt::LeftButton);
    frame.reset();
    EXPECT_EQ(state->passThrough->State(), PassThroughState::Stopped);
    EXPECT_FALSE(midi->IsOpen());
}

}  // namespace
}  // namespace ostrel::test
