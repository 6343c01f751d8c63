// How the dialog builder draws what the templates lay out.
#include "res/dialog_builder.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QImage>
#include <QLabel>

#include "res/template_dump_receive.h"
#include "res/template_dump_send.h"
#include "res/template_main_form.h"

namespace ostrel::res {
namespace {

// Row of the group box's top frame line, found in its picture away from the
// caption: the first row that differs from the window behind it; -1 for none.
int FrameLineRow(QGroupBox* group) {
    const QImage picture = group->grab().toImage();
    const int x = picture.width() - 3;
    for (int y = 1; y < picture.height() / 2; ++y)
        if (picture.pixel(x, y) != picture.pixel(x, 0)) return y;
    return -1;
}

TEST(DialogBuilder, GroupBoxCaptionsLieAcrossTheFrameLineAboveTheColumnLabels) {
    for (const DialogTemplate* tmpl :
         {&MainFormTemplate(), &kDumpSendTemplate, &kDumpReceiveTemplate}) {
        QWidget dialog;
        BuildDialog(&dialog, *tmpl);
        const int textHeight = dialog.fontMetrics().height();
        const QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
        ASSERT_FALSE(groups.isEmpty()) << tmpl->className;
        for (QGroupBox* group : groups) {
            const std::string where =
                std::string(tmpl->className) + " \"" + group->title().toStdString() + "\"";
            const int row = FrameLineRow(group);
            // The line runs through the caption's height, not below it.
            ASSERT_GT(row, 0) << where;
            EXPECT_LT(row, textHeight) << where;
            const int lineY = group->y() + row;
            for (const QLabel* label : dialog.findChildren<QLabel*>()) {
                const QRect text(label->x(), label->y(), label->width(), textHeight);
                const bool under = text.left() < group->geometry().right() &&
                                   text.right() > group->x() && text.top() <= lineY &&
                                   text.bottom() >= lineY;
                EXPECT_FALSE(under) << where << " crosses label " << label->text().toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace ostrel::res
