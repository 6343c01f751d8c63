// How the dialog builder draws what the templates lay out.
#include "res/dialog_builder.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>

#include "res/template_dump_receive.h"
#include "res/template_dump_send.h"
#include "res/template_main_form.h"

namespace ostrel::res {
namespace {

TEST(DialogBuilder, GroupBoxFrameLinesRunThroughTheirCaptionsAndMissTheLabels) {
    for (const DialogTemplate* t :
         {&MainFormTemplate(), &kDumpSendTemplate, &kDumpReceiveTemplate}) {
        QWidget dialog;
        BuildDialog(&dialog, *t);
        const int textHeight = dialog.fontMetrics().height();
        for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
            // The top line is the first row, right of any caption, unlike the window.
            const QImage picture = group->grab().toImage();
            const int x = picture.width() - 3;
            int row = 1;
            while (row < textHeight && picture.pixel(x, row) == picture.pixel(x, 0)) ++row;
            EXPECT_LT(row, textHeight) << t->className << " " << group->title().toStdString();
            const QRect line(group->x(), group->y() + row, group->width(), 1);
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                EXPECT_FALSE(line.intersects({label->pos(), QSize(label->width(), textHeight)}))
                    << t->className << ": " << label->text().toStdString();
        }
    }
}

}  // namespace
}  // namespace ostrel::res
