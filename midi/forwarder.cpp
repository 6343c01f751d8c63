#include "midi/forwarder.h"

#include <algorithm>
#include <cstring>

#include "core/midi_bytes.h"

namespace ostrel {
namespace {

// A note-on keeps its meaning: one that was played never leaves with velocity 0
// (that would end the note), and the end of a note (velocity 0) never leaves as
// the start of one, whatever the velocity curve makes of it.
uint32_t KeepNoteOnMeaning(uint32_t received, uint32_t sent) {
    if (!midi::IsNoteOnStatus(received & 0xFF) || !midi::IsNoteOnStatus(sent & 0xFF)) return sent;
    const bool played = (received & 0xFF0000u) != 0;
    if (played && (sent & 0xFF0000u) == 0) return sent | 1u << 16;
    if (!played) return sent & ~0xFF0000u;
    return sent;
}

// What a message that the ledger decides belongs to: the key of a note on
// channel 1, or the sustain pedal.
uint32_t HeldByLedger(uint32_t in, uint8_t changedBy, uint8_t heldOn) {
    const uint8_t status = in & 0xFF, data1 = in >> 8 & 0xFF;
    if (midi::IsChannelOneNote(status)) return DecisionWord(kNoEntry, data1, changedBy, heldOn);
    if (midi::IsControlChange(status) && data1 == midi::kSustainPedal)
        return DecisionWord(static_cast<int8_t>(Entry::SUSTAIN), kNoNote, changedBy, heldOn);
    return DecisionWord(kNoEntry, kNoNote, changedBy, heldOn);
}

}  // namespace

ForwardedShort Forwarder::GoesOn(uint32_t received, uint32_t sent, NoteLedger::Held held) const {
    // A note's end goes through the velocity curve as the note's start did.
    if (LengthOf(sent) != 0 && midi::KindOf(sent & 0xFF) == midi::kNoteOff) {
        const uint8_t velocity = sent >> 16 & 0xFF;
        const uint32_t curved =
            plan_ != nullptr
                ? curveValues_->velocity[velocity]
                : static_cast<uint32_t>(curves_.MapValue(CurveKind::Velocity, velocity));
        sent = (sent & ~0xFF0000u) | curved << 16;
    }
    const uint8_t by = held == NoteLedger::Held::ReleasedBefore ? kReleasedBefore : kByLedger;
    const uint8_t heldOn =
        LengthOf(sent) != 0 ? static_cast<uint8_t>(midi::ChannelOf(sent & 0xFF)) : kHeldSuppressed;
    return {sent, HeldByLedger(received, by, heldOn), 0};
}

ForwardedShort Forwarder::ForwardHeld(uint32_t received) {
    const NoteLedger::Interception held = ledger_.Intercept(received);
    if (held.how != NoteLedger::Held::No) return GoesOn(received, held.out, held.how);
    const PlannedShort t = Translate(received);
    const uint32_t sent = KeepNoteOnMeaning(received, t.message);
    return {sent, t.decision, ledger_.Record(received, sent)};
}

ForwardedLong Forwarder::ForwardLongByEngine(const uint8_t* bytes, size_t length) {
    // Recognition looks at the first 256 bytes.
    const size_t head = std::min<size_t>(length, kMessageBufferSize);
    std::memcpy(message_, bytes, head);
    const TranslateResult r = engine_.TranslateMessage(message_, static_cast<int>(head), work_);
    ForwardedLong f{bytes, length, r.matchedSteps, WordOf(r.decision)};
    if (r.matchedSteps == 0) return f;
    f.bytes = work_;
    f.length = static_cast<size_t>(r.outLength);
    if (f.length == 0) return f;  // suppressed
    if (work_[0] != midi::kSystemExclusive) {
        // Turned into a control change (master volume): as long as its status implies.
        f.length = static_cast<size_t>(ShortMessageLength(work_[0]));
    } else if (length > head && f.length == head && std::memcmp(work_, bytes, head) == 0) {
        // A copy of the first 256 bytes of a longer message is the message itself.
        f.bytes = bytes;
        f.length = length;
    }
    return f;
}

const uint8_t* Forwarder::Forward(const uint8_t* bytes, size_t length, size_t* outLength) {
    *outLength = 0;
    if (length == 0) return nullptr;
    if (bytes[0] == midi::kSystemExclusive) {
        const ForwardedLong f = ForwardLong(bytes, length);
        *outLength = f.length;
        return f.bytes;
    }
    // The end of the key's earlier note elsewhere, when there is one, goes
    // first: both are what the pass-through writes for this message.
    const ForwardedShort f = ForwardShort(WordOf(ReadShort(bytes, length)));
    size_t n = 0;
    for (const ShortMessage m : {MessageOf(f.endFirst), MessageOf(f.sent)}) {
        std::memcpy(shortOut_ + n, m.bytes, m.length);
        n += m.length;
    }
    *outLength = n;
    return shortOut_;
}

}  // namespace ostrel
