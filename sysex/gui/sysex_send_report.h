#pragma once
// The hand-over of the send dialog on the window's side: the blank-free hex text
// is checked and sent as one System Exclusive message, and a refusal is shown.
#include <string>

#include "midi/sysex_transmit.h"

class QWidget;

namespace ostrel {

class PassThrough;

// Sends hexDigits through the pass-through's output. When the transmission
// refuses the text (empty, no F0 first, no F7, too long) or the output refuses
// the message (larger than its port carries, no room now), its message is shown
// with its caption and the error icon, owner being the box's owner window.
TransmitResult SendSysExText(QWidget* owner, PassThrough& passThrough,
                             const std::string& hexDigits);

}  // namespace ostrel
