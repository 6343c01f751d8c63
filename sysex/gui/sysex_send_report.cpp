#include "sysex/gui/sysex_send_report.h"

#include <QString>

#include "res/message_box_seam.h"

namespace ostrel {

TransmitResult SendSysExText(QWidget* owner, PassThrough& passThrough,
                             const std::string& hexDigits) {
    const TransmitResult result =
        TransmitSysEx(passThrough, hexDigits.c_str(), static_cast<int>(hexDigits.size()));
    if (result.outcome != TransmitOutcome::Sent)
        res::Ui().Message(owner, QString::fromLatin1(result.text),
                          QString::fromLatin1(result.caption), res::MsgButtons::Ok,
                          res::MsgIcon::Error);
    return result;
}

}  // namespace ostrel
