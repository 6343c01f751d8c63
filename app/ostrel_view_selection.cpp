// Picks in the boxes: a pick in a list writes the table, Key Octave chooses the
// twelve notes that the key boxes show. Typed text is the boxes' own; once
// typing ends a box shows the choice in force again. The two curve boxes list
// the default item and each library curve; a pick, a curve dialog or a table
// shown by New, Open and the start selects the curve in force.
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/app_state.h"
#include "app/code_box.h"
#include "app/ostrel_view.h"
#include "curves/curve_library.h"
#include "curves/gui/run_curve_dialog.h"
#include "res/dialog_builder.h"
#include "res/item_lists.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

QString CodeText(const AssignmentCode& code) {
    return QString::fromStdString(DisplayText(code.text));
}

const char* CurveName(const CurveLibrary& library, int index) {
    return library.entries[index].name;
}

}  // namespace

void COstrelView::ConnectBox(int index) {
    CodeBox* box = boxes_[index];
    connect(box, &QComboBox::activated, this, [this, index](int item) {
        if (item < 0) return;
        OnBoxPicked(index, item);
        ShowTextStarts();
    });
    connect(box, &CodeBox::TypingEnded, this, [this, index] { ShowChoiceInForce(index); });
    connect(box, &CodeBox::TextCompleted, this, &COstrelView::ShowTextStarts);
}

AssignmentCode COstrelView::CodeInForce(const FormCombo& combo) const {
    return combo.role == ComboRole::Key ? TableInView().GetNote(NoteIndex(octaveShown_, combo.key))
                                        : TableInView().Get(combo.entry);
}

void COstrelView::ShowChoiceInForce(int index) {
    const FormCombo& c = FormCombos()[index];
    CodeBox* box = boxes_[index];
    if (c.role == ComboRole::KeyOctave) {
        const QSignalBlocker block(box);
        box->setCurrentIndex(octaveShown_);
    } else if (c.role != ComboRole::Key || NoteIndex(octaveShown_, c.key) <= 127) {
        // (The keys past G10 of the top octave are disabled and keep their text.)
        box->ShowText(CodeText(ListFormOf(CodeInForce(c))));
    }
    box->lineEdit()->setCursorPosition(0);
    DescribeChoice(index);
}

void COstrelView::ShowTextStarts() {
    for (QComboBox* box : boxes_) box->lineEdit()->setCursorPosition(0);
    // A pick can change other boxes' choices too (the other master fader, the
    // keys of a new octave).
    for (int i = 0; i < kFormComboCount; ++i) DescribeChoice(i);
}

void COstrelView::DescribeChoice(int index) {
    const FormCombo& c = FormCombos()[index];
    QString words;
    if (c.role == ComboRole::KeyOctave) {
        words = QStringLiteral("the keys show ") + res::OctaveItems()[octaveShown_].simplified();
    } else if (c.role == ComboRole::Key && NoteIndex(octaveShown_, c.key) > 127) {
        words = QStringLiteral("no note in this octave");
    } else if (c.role == ComboRole::Curve) {
        const CurveLibrary& library = state_.curveLibraries.Of(CurveKindOf(c));
        const CurveId id = CurveChoiceIn(library, TableInView().Get(c.entry).text);
        words = id.IsDefault()
                    ? QStringLiteral("default curve")
                    : QStringLiteral("curve ") +
                          QString::fromStdString(DisplayText(CurveName(library, id.Index())));
    } else {
        words = CodeInWords(c, CodeInForce(c));
    }
    if (boxes_[index]->accessibleDescription() != words)
        boxes_[index]->setAccessibleDescription(words);
}

void COstrelView::OnBoxPicked(int index, int item) {
    const FormCombo& combo = FormCombos()[index];
    const QString text = boxes_[index]->itemText(item);
    const QByteArray bytes = text.toLatin1();
    switch (combo.role) {
        case ComboRole::Entry:
            TableInView().Set(combo.entry, bytes.constData());
            break;
        case ComboRole::MasterFader: {
            // Both master fader boxes edit VOLM and always show the same item.
            const int other =
                combo.id == kIdMasterFaderUpper ? kIdMasterFaderLower : kIdMasterFaderUpper;
            QComboBox* mirror = BoxById(other);
            const QSignalBlocker block(mirror);
            mirror->setCurrentIndex(item);
            TableInView().Set(Entry::VOLM, bytes.constData());
            break;
        }
        case ComboRole::Key: {
            // The cell of the octave the key boxes show, whatever text is typed
            // into Key Octave meanwhile.
            const int note = NoteIndex(octaveShown_, combo.key);
            if (note <= 127) TableInView().SetNote(note, bytes.constData());
            break;
        }
        case ComboRole::Curve:
            UseCurveChoice(CurveKindOf(combo), bytes.constData());
            break;
        case ComboRole::KeyOctave:
            OnOctavePicked(item);
            break;
    }
}

void COstrelView::OnOctavePicked(int octave) {
    if (octave < 0 || octave > res::kTopOctave) return;
    octaveShown_ = octave;
    EnableUpperKeys(true);
    const int keys = octave == res::kTopOctave ? 8 : kKeyCount;  // C10..G10: notes 120..127
    for (int k = 0; k < keys; ++k)
        ShowCodeByIndex(BoxById(KeyComboId(k)), TableInView().GetNote(NoteIndex(octave, k)));
    if (octave == res::kTopOctave) EnableUpperKeys(false);
}

void COstrelView::EnableUpperKeys(bool on) {
    for (int k = 8; k < kKeyCount; ++k) BoxById(KeyComboId(k))->setEnabled(on);
}

void COstrelView::ShowCodeByIndex(QComboBox* combo, const AssignmentCode& code) {
    const int position = CodeToListPosition(code);
    if (position >= 0 && position < combo->count()) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(position);
    } else {
        // A code that is no list item (from a hand-edited file) is shown as it is,
        // exactly as opening the file showed it.
        res::LoadComboText(combo, CodeText(code));
    }
}

CodeBox* COstrelView::CurveCombo(CurveKind kind) const {
    return BoxById(kind == CurveKind::Velocity ? kIdVelocityCurves : kIdTouchCurves);
}

void COstrelView::FillCurveCombo(CurveKind kind) {
    QComboBox* combo = CurveCombo(kind);
    const CurveLibrary& library = state_.curveLibraries.Of(kind);
    QStringList items{QString::fromLatin1(res::kDefaultCurveItem)};
    for (int i = 0; i < library.count && i < kCurveSlots; ++i)
        items << res::CurveItem(i, QString::fromStdString(DisplayText(CurveName(library, i))));
    const QSignalBlocker block(combo);
    combo->clear();
    res::AddComboItems(combo, items);
}

// The box's curve goes into the dialog; afterwards the box lists the library
// again, and the curve the dialog ended with becomes the choice exactly as a pick
// in the box makes it: so the box, CURVE / TOUCH and the curve in force agree,
// and Save stores the curve that plays.
void COstrelView::RunCurveDialogOf(CurveKind kind) {
    const QString id = RunCurveDialog(this, kind, CurveCombo(kind)->currentText(),
                                      {state_.settings, state_.curves, state_.curveLibraries});
    FillCurveCombo(kind);
    UseCurveChoice(kind, id.toLatin1().constData());
}

void COstrelView::UseCurveChoice(CurveKind kind, const char* code) {
    const CurveId choice = CurveChoiceIn(state_.curveLibraries.Of(kind), code);
    TableInView().Set(kind == CurveKind::Velocity ? Entry::CURVE : Entry::TOUCH, choice.text);
    SelectCurve(kind, choice, state_.curveLibraries, state_.curves);
    QComboBox* combo = CurveCombo(kind);
    res::LoadComboText(combo, QString::fromLatin1(choice.text));
    combo->lineEdit()->setCursorPosition(0);
    const int curveId = kind == CurveKind::Velocity ? kIdVelocityCurves : kIdTouchCurves;
    for (int i = 0; i < kFormComboCount; ++i)
        if (FormCombos()[i].id == curveId) DescribeChoice(i);
}

// The table's CURVE and TOUCH become the curves in force, so that what the curve
// boxes show is what the pass-through maps with.
void COstrelView::SelectCurvesInForce() {
    UseCurveChoice(CurveKind::Velocity, TableInView().Get(Entry::CURVE).text);
    UseCurveChoice(CurveKind::Touch, TableInView().Get(Entry::TOUCH).text);
}

}  // namespace ostrel
