// The bulk dump dialogs: the send dialog with its template, the receive dialog
// showing a dump as the keyboard sends it.
#include <cstring>

#include "app/main_frame.h"
#include "app/screenshot/shot_registry.h"
#include "midi/pass_through.h"
#include "sysex/bulk_dump.h"
#include "sysex/gui/dump_receive_dlg.h"
#include "sysex/gui/dump_send_dlg.h"

namespace ostrel::shots {
namespace {

std::unique_ptr<QWidget> ReceiveWithDump(ShotContext& c) {
    auto dlg = std::make_unique<CDumpReceiveDlg>(c.frame);
    dlg->show();  // opening clears the dialog; the dump arrives while it is open
    std::vector<uint8_t> bytes;
    HexTextToByteVector(kDumpTemplateText, bytes);
    bytes[7] = 74;  // Knob1 sends controller 74
    bytes[31] = 7;  // Fader.M sends controller 7
    MonitorEvent dump;
    dump.kind = MonitorEvent::Kind::ReceivedDump;
    dump.receivedLength = uint32_t(bytes.size());
    std::memcpy(dump.received, bytes.data(), bytes.size());
    dlg->ShowReceivedDump(dump);
    return dlg;
}

const RegisterShot kDumpSend("dump_send", [](ShotContext& c) {
    return std::make_unique<CDumpSendDlg>(c.frame);
});
const RegisterShot kDumpReceive("dump_receive", ReceiveWithDump);

}  // namespace
}  // namespace ostrel::shots
