#include "midi/forwarder.h"

#include <algorithm>
#include <cstring>

#include "core/midi_bytes.h"

namespace ostrel {
namespace {

// A note-on keeps its meaning: one that was played never leaves with velocity 0
// (that would end the note), and the end of a note (velocity 0) never leaves as
// the start of one, whatever the velocity curve makes of it.
void KeepNoteOnMeaning(const ShortMessage& received, ShortMessage& sent) {
    if (!midi::IsNoteOnStatus(received.bytes[0]) || !midi::IsNoteOnStatus(sent.bytes[0])) return;
    const bool played = received.bytes[2] != 0;
    if (played && sent.bytes[2] == 0) sent.bytes[2] = 1;
    if (!played) sent.bytes[2] = 0;
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

ForwardedShort Forwarder::GoesOn(const ShortMessage& received, ShortMessage sent,
                                 NoteLedger::Held held) const {
    ForwardedShort f;
    f.sent = sent;
    if (f.sent.length != 0 && midi::KindOf(f.sent.bytes[0]) == midi::kNoteOff)
        f.sent.bytes[2] =
            plan_ != nullptr
                ? curveValues_->velocity[f.sent.bytes[2]]
                : static_cast<uint8_t>(curves_.MapValue(CurveKind::Velocity, f.sent.bytes[2]));
    f.decision = HeldByLedger(received.bytes);
    f.decision.changedBy = held == NoteLedger::Held::ReleasedBefore ? kReleasedBefore : kByLedger;
    f.decision.heldOn = f.sent.length != 0 ? static_cast<uint8_t>(midi::ChannelOf(f.sent.bytes[0]))
                                           : kHeldSuppressed;
    return f;
}

ForwardedShort Forwarder::ForwardHeld(ShortMessage received) {
    ShortMessage sent;
    const NoteLedger::Held held = ledger_.Intercept(received, &sent);
    if (held != NoteLedger::Held::No) return GoesOn(received, sent, held);
    const TranslatedShort t = Translate(received);
    ForwardedShort f{t.message, t.decision, {}};
    Record(received, f);
    return f;
}

void Forwarder::Record(const ShortMessage& received, ForwardedShort& f) {
    KeepNoteOnMeaning(received, f.sent);
    ledger_.Record(received, f.sent, &f.endFirst);
}

ForwardedLong Forwarder::ForwardLong(const uint8_t* bytes, size_t length) {
    if (plan_ != nullptr) {
        const TranslatedLong t = plan_->TranslateLong(bytes, length, engine_.Transport());
        ForwardedLong f{bytes, length, t.matchedSteps, t.decision};
        if (t.out == TranslatedLong::Out::Suppressed) f.length = 0;
        if (t.out == TranslatedLong::Out::Replaced) {
            std::memcpy(work_, t.replacement.bytes, sizeof t.replacement.bytes);
            f.bytes = work_;
            f.length = t.replacement.length;
        }
        return f;
    }
    // Recognition looks at the first 256 bytes.
    const size_t head = std::min<size_t>(length, kMessageBufferSize);
    std::memcpy(message_, bytes, head);
    const TranslateResult r = engine_.TranslateMessage(message_, static_cast<int>(head), work_);
    ForwardedLong f{bytes, length, r.matchedSteps, r.decision};
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
    const ForwardedShort f = ForwardShort(ReadShort(bytes, length));
    size_t n = 0;
    for (const ShortMessage& m : {f.endFirst, f.sent}) {
        std::memcpy(shortOut_ + n, m.bytes, m.length);
        n += m.length;
    }
    *outLength = n;
    return shortOut_;
}

}  // namespace ostrel
