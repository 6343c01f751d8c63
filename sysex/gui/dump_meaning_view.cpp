#include "sysex/gui/dump_meaning_view.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "res/dialog_template.h"
#include "res/message_box_seam.h"
#include "store/hex_text.h"

namespace ostrel {
namespace {

enum Column { kControl, kSends, kChannel, kAction, kMarks, kColumnCount };

const QColor kMarkedBackground(255, 222, 222);
constexpr int kIconSize = 12;
// The controller's name is cut at this width (the whole of it is in the tip),
// so that the reasons of a marked row keep their room.
constexpr int kSendsWidth = 150;
// Rows beyond the nineteen: second reasons, each on a line of its own.
constexpr int kSecondReasons = 3;

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

QIcon BlankIcon() {
    QPixmap blank(kIconSize, kIconSize);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

}  // namespace

DumpMeaningView::DumpMeaningView(QWidget* parent)
    : QGroupBox(QString::fromLatin1(kDumpMeaningTitle), parent) {
    setObjectName(QString::fromLatin1(kDumpMeaningViewName));
    rows_ = new QTreeWidget(this);
    rows_->setColumnCount(kColumnCount);
    rows_->setHeaderLabels({"Control", "Sends", "Ch", "What Ostrel does", "Marked because"});
    rows_->setRootIsDecorated(false);
    rows_->setIconSize(QSize(kIconSize, kIconSize));
    rows_->setSelectionMode(QAbstractItemView::NoSelection);
    rows_->setAccessibleName(QString::fromLatin1(kDumpMeaningTitle));
    QHeaderView* header = rows_->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kSends, QHeaderView::Fixed);
    header->resizeSection(kSends, kSendsWidth);
    header->setStretchLastSection(true);
    for (const DumpField& field : kDumpFields) {
        auto* row = new QTreeWidgetItem(QStringList{QString::fromLatin1(field.label)});
        row->setIcon(kControl, BlankIcon());  // labels line up with those of marked rows
        rows_->addTopLevelItem(row);
    }
    // Every row in sight: the whole set-up is read at a glance.
    rows_->setFixedHeight(header->sizeHint().height() +
                          (kDumpFieldCount + kSecondReasons) * rows_->sizeHintForRow(0) +
                          2 * rows_->frameWidth());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(res::DluToPixelsX(2), res::DluToPixelsY(2), res::DluToPixelsX(2),
                               res::DluToPixelsY(1));
    layout->addWidget(rows_);
}

DumpMeaningView* DumpMeaningView::AddBelow(QDialog* dialog) {
    auto* view = new DumpMeaningView(dialog);
    const QSize above = dialog->size();
    const int margin = res::DluToPixelsX(3);
    const int height = view->sizeHint().height();
    view->setGeometry(margin, above.height(), above.width() - 2 * margin, height);
    dialog->setFixedSize(above.width(), above.height() + height + margin);
    return view;
}

void DumpMeaningView::ShowDump(const std::string& hexText) {
    std::vector<uint8_t> bytes;
    shown_ = HexTextToByteVector(hexText, bytes) == HexParseResult::Ok &&
             StartsWithDumpHeader(bytes.data(), bytes.size());
    if (shown_)
        meaning_ = ReadDumpMeaning(bytes.data(), bytes.size(), source_ ? source_() : defaults_);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int i = 0; i < kDumpFieldCount; ++i) {
        QTreeWidgetItem* row = rows_->topLevelItem(i);
        const DumpLineTexts t = shown_ ? DescribeDumpLine(meaning_[i]) : DumpLineTexts{};
        const bool marked = shown_ && meaning_[i].marks != 0;
        const QString sends =
            Latin1(t.controller.empty() ? t.sends : t.sends + "  " + t.controller);
        row->setText(kSends, sends);
        row->setToolTip(kSends, sends);
        row->setText(kChannel, shown_ ? Latin1(t.channel) : QString());
        row->setText(kAction, Latin1(t.entry.empty() ? t.action : t.entry + ": " + t.action));
        // Each reason on a line of its own, so that none is cut.
        row->setText(kMarks, Latin1(t.marks).replace(QStringLiteral("; "), QStringLiteral("\n")));
        row->setIcon(kControl, marked ? warning : BlankIcon());
        for (int c = 0; c < kColumnCount; ++c)
            row->setBackground(c, marked ? QBrush(kMarkedBackground) : QBrush());
    }
}

bool DumpMeaningView::ConfirmSend(QWidget* parent) const {
    if (!shown_ || !AnyMarked(meaning_)) return true;
    QString which;
    for (const DumpLine& line : meaning_) {
        if (line.marks == 0) continue;
        const DumpLineTexts t = DescribeDumpLine(line);
        which += Latin1(t.control + " " + t.sends + ": " + t.marks + "\n");
    }
    const QString text =
        QStringLiteral("With this dump, these controls will not do what the table says:\n\n") +
        which + QStringLiteral("\nSend it anyway?");
    return res::Ui().Message(parent, text, QString::fromLatin1(res::kAppCaption),
                             res::MsgButtons::YesNo,
                             res::MsgIcon::Information) == res::MsgResult::Yes;
}

}  // namespace ostrel
