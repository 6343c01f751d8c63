#pragma once
// Sending a System Exclusive message that the user composed as blank-free hex
// text: the text is converted, checked (it must begin with F0 and hold an F7),
// cut after its last F7 and sent as one long message. The checks' messages, and
// the output's refusal, go back to the caller, which shows them.
#include <cstdint>

namespace ostrel {

class PassThrough;

enum class TransmitOutcome {
    Sent,             // checked and handed to the output (nothing goes out while it is closed)
    NoData,           // no characters
    NotF0,            // the first byte is not F0 (every text of odd length included)
    NoF7,             // no F7 in the message
    TooLong,          // more than 256 characters: refused, nothing converted
    TooLargeForPort,  // larger than the largest event the output port carries
    OutputFull,       // the output's queue has no room for it now
};

struct TransmitResult {
    TransmitOutcome outcome = TransmitOutcome::Sent;
    const char* text = "";     // message box text, empty when Sent
    const char* caption = "";  // message box caption, empty when Sent
    int sentLength = 0;        // bytes of the message when Sent
};

inline constexpr int kTransmitBufferSize = 256;
inline constexpr const char* kTransmitCaption = "DO Darivu v1.0 beta";
inline constexpr const char* kNoDataText = "No data will be send ! ";
inline constexpr const char* kNotF0Text = "Send Data Is Invalidate,First Data Must be F0 ! ";
inline constexpr const char* kNotF0Caption = "Err ";
inline constexpr const char* kNoF7Text = "Send Data Is Invalidate , No F7 ! ";
inline constexpr const char* kTooLongText =
    "Send Data Is Too Long: at most 256 hex digits (128 bytes) can be sent ! ";
inline constexpr const char* kTooLargeForPortText =
    "Send Data Is Too Large: the MIDI output port carries smaller events, nothing was sent ! ";
inline constexpr const char* kOutputFullText =
    "The MIDI output is busy: nothing was sent, try again ! ";

// Converts and checks text (length characters, blank-free hex) into bytes (a
// 256-byte buffer); when the outcome is Sent, the message is the first
// sentLength bytes of it.
TransmitResult PrepareSysEx(const char* text, int length, uint8_t* bytes);

// PrepareSysEx, then sends the message through the pass-through's output;
// TooLargeForPort or OutputFull when the output refuses it.
TransmitResult TransmitSysEx(PassThrough& passThrough, const char* text, int length);

}  // namespace ostrel
