#include "midi/sysex_transmit.h"

#include <cstring>

#include "core/midi_bytes.h"
#include "midi/pass_through.h"
#include "store/hex_text.h"

namespace ostrel {
namespace {

TransmitResult Refused(TransmitOutcome outcome, const char* text, const char* caption) {
    TransmitResult result;
    result.outcome = outcome;
    result.text = text;
    result.caption = caption;
    return result;
}

}  // namespace

TransmitResult PrepareSysEx(const char* text, int length, uint8_t* bytes) {
    std::memset(bytes, 0, kTransmitBufferSize);
    if (length <= 0 || text == nullptr)
        return Refused(TransmitOutcome::NoData, kNoDataText, kTransmitCaption);
    // A longer text does not fit the 256-character buffer: refused whole rather
    // than cut, so that no part of a message goes out as if it were all of it.
    if (length > kTransmitBufferSize)
        return Refused(TransmitOutcome::TooLong, kTooLongText, kTransmitCaption);

    char copy[kTransmitBufferSize + 1] = {};
    std::memcpy(copy, text, static_cast<size_t>(length));
    HexTextToBytes(copy, bytes, length);  // an odd length leaves all bytes 0

    if (bytes[0] != midi::kSystemExclusive)
        return Refused(TransmitOutcome::NotF0, kNotF0Text, kNotF0Caption);
    int lastF7 = -1;
    for (int i = 0; i < length / 2; ++i)
        if (bytes[i] == midi::kEndOfExclusive) lastF7 = i;
    if (lastF7 < 0) return Refused(TransmitOutcome::NoF7, kNoF7Text, kTransmitCaption);

    TransmitResult result;
    result.sentLength = lastF7 + 1;
    return result;
}

TransmitResult TransmitSysEx(PassThrough& passThrough, const char* text, int length) {
    uint8_t bytes[kTransmitBufferSize];
    const TransmitResult result = PrepareSysEx(text, length, bytes);
    if (result.outcome != TransmitOutcome::Sent) return result;
    switch (passThrough.SendMessage(bytes, static_cast<size_t>(result.sentLength))) {
        case PassThrough::Sending::Queued:
            return result;
        case PassThrough::Sending::TooLarge:
            return Refused(TransmitOutcome::TooLargeForPort, kTooLargeForPortText,
                           kTransmitCaption);
        case PassThrough::Sending::NoRoom:
            return Refused(TransmitOutcome::OutputFull, kOutputFullText, kTransmitCaption);
    }
    return result;
}

}  // namespace ostrel
