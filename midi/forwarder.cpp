#include "midi/forwarder.h"

#include <algorithm>
#include <cstring>

#include "core/midi_bytes.h"
#include "midi/short_message.h"

namespace ostrel {
namespace {

// The first four bytes of a buffer as a packed short message, lowest byte first.
uint32_t PackFour(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

bool IsNoteOnStatus(uint8_t status) { return midi::KindOf(status) == midi::kNoteOn; }

// A note-on keeps its meaning: one that was played never leaves with velocity 0
// (that would end the note), and the end of a note (velocity 0) never leaves as
// the start of one, whatever the velocity curve makes of it.
uint32_t KeepNoteOnMeaning(uint32_t packedIn, uint32_t packedOut) {
    if (!IsNoteOnStatus(PackedByte(packedIn, 0)) || !IsNoteOnStatus(PackedByte(packedOut, 0)))
        return packedOut;
    const bool played = PackedByte(packedIn, 2) != 0;
    const uint32_t velocity = PackedByte(packedOut, 2);
    if (played && velocity == 0) return packedOut | (uint32_t{1} << 16);
    if (!played && velocity != 0) return packedOut & 0xFF00FFFFu;
    return packedOut;
}

// What a message that the ledger decides belongs to: the key of a note on
// channel 1, or the sustain pedal.
Decision HeldByLedger(const uint8_t* in) {
    Decision d;
    if (midi::IsChannelOneNote(in[0]))
        d.note = in[1];
    else if (midi::IsSustainPedal(in))
        d.entry = static_cast<int8_t>(Entry::SUSTAIN);
    return d;
}

}  // namespace

Forwarded Forwarder::Forward(const uint8_t* bytes, size_t length) {
    if (length == 0) return {};
    return bytes[0] == midi::kSystemExclusive ? ForwardLong(bytes, length)
                                              : ForwardShort(bytes, length);
}

Forwarded Forwarder::ForwardShort(const uint8_t* bytes, size_t length) {
    Forwarded f;
    f.packedIn = PackShort(bytes, length);
    uint8_t in[4] = {};
    for (int i = 0; i < 4; ++i) in[i] = PackedByte(f.packedIn, i);

    size_t ledgerLength = 0;
    if (ledger_.Intercept(in, short_, &ledgerLength)) {
        // The end of a note or pedal that the ledger holds: where its start went.
        if (ledgerLength != 0 && midi::KindOf(short_[0]) == midi::kNoteOff)
            short_[2] = static_cast<uint8_t>(curves_.MapValue(CurveKind::Velocity, short_[2]));
        short_[3] = 0;
        Decision decision = HeldByLedger(in);
        decision.changedBy = ledgerLength == 0 ? kReleasedBefore : kByLedger;
        decision.heldOn = static_cast<uint8_t>(midi::ChannelOf(short_[0]));
        f.result = {static_cast<int>(ledgerLength == 0 ? 0 : 4), 1, decision};
        f.packedOut = ledgerLength == 0 ? 0 : PackFour(short_);
    } else {
        std::memset(message_, 0, sizeof message_);
        std::memset(work_, 0, sizeof work_);
        std::memcpy(message_, in, 4);
        f.result = engine_.TranslateMessage(message_, 4, work_);
        f.packedOut = f.packedIn;
        if (f.result.changedCount != 0) f.packedOut = f.result.outLength != 0 ? PackFour(work_) : 0;
        f.packedOut = KeepNoteOnMeaning(f.packedIn, f.packedOut);
        for (int i = 0; i < 4; ++i) short_[i] = PackedByte(f.packedOut, i);
    }

    // A short message goes out with as many bytes as its status implies; the
    // value 0 (suppressed) and a data byte in the status place send nothing.
    f.length = f.packedOut == 0 ? 0 : static_cast<size_t>(ShortMessageLength(short_[0]));
    if (f.length == 0) f.packedOut = 0;
    f.bytes = short_;
    ledger_.Record(in, short_, f.length);
    return f;
}

Forwarded Forwarder::ForwardLong(const uint8_t* bytes, size_t length) {
    Forwarded f;
    f.shortMessage = false;
    // Recognition looks at the first 256 bytes.
    const size_t head = std::min<size_t>(length, kMessageBufferSize);
    std::memset(message_, 0, sizeof message_);
    std::memset(work_, 0, sizeof work_);
    std::memcpy(message_, bytes, head);
    f.result = engine_.TranslateMessage(message_, static_cast<int>(head), work_);

    if (f.result.changedCount == 0) {
        f.bytes = bytes;
        f.length = length;
    } else if (f.result.outLength <= 0) {
        // suppressed
    } else if (work_[0] == midi::kSystemExclusive) {
        f.bytes = work_;
        f.length = static_cast<size_t>(f.result.outLength);
        // A copy of the first 256 bytes of a longer message is the message itself.
        if (length > head && f.length == head && std::memcmp(work_, bytes, head) == 0) {
            f.bytes = bytes;
            f.length = length;
        }
    } else {
        // A System Exclusive message turned into a control change (master volume).
        f.packedOut = PackFour(work_);
        f.length = f.packedOut == 0 ? 0 : static_cast<size_t>(ShortMessageLength(work_[0]));
        f.bytes = work_;
    }
    return f;
}

}  // namespace ostrel
