#include "midi/outbox.h"

#include "core/short_message.h"

namespace ostrel {

void Outbox::Forget() {
    ring_.Clear();
    releasing_.store(false, std::memory_order_release);
    forgetReleased_ = false;
    panicNext_ = kNoPanic;
}

void Outbox::DrainWaiting(MidiWriter& out, size_t largest, NoteLedger& ledger, MonitorTap* tap) {
    const auto write = [&](const ShortMessage& m) { return out.Write(m.bytes, m.length); };
    // Releases that did not fit in the last cycle come before anything else.
    if (!ledger.WritePostponed(write)) return;
    for (;;) {
        if (releasing_.load(std::memory_order_relaxed)) {
            const bool all = ledger.ReleaseAll([&](const ShortMessage& m) {
                if (!write(m)) return false;
                // A panic's releases are told in its own line.
                if (panicNext_ != kNoPanic)
                    ++panicReleased_;
                else if (tap != nullptr)
                    tap->Release(m);
                return true;
            });
            if (!all) return;  // the cycle is full: the rest next cycle
            if (forgetReleased_) ledger.Clear();
            forgetReleased_ = false;
            releasing_.store(false, std::memory_order_release);
        }
        if (panicNext_ != kNoPanic && !WritePanic(out, tap)) return;
        OutputRing::Record record;
        if (!ring_.Front(record)) return;
        switch (record.kind) {
            case OutputRing::Kind::Message:
                if (record.length > largest)
                    tooLarge_.fetch_add(1, std::memory_order_relaxed);  // never cut
                else if (!out.Write(record.bytes, record.length))
                    return;  // the cycle is full: the record waits for the next one
                break;
            case OutputRing::Kind::Panic:
                panicNext_ = 0;
                panicReleased_ = 0;
                [[fallthrough]];
            case OutputRing::Kind::ReleaseAndForget:
                forgetReleased_ = true;
                [[fallthrough]];
            case OutputRing::Kind::ReleaseHeld:
                releasing_.store(true, std::memory_order_relaxed);
                break;
        }
        ring_.PopFront();
    }
}

bool Outbox::WritePanic(MidiWriter& out, MonitorTap* tap) {
    constexpr int kEach = static_cast<int>(std::size(kPanicControllers));
    for (; panicNext_ < 16 * kEach; ++panicNext_) {
        const ShortMessage m = MakeShort(midi::OnChannel(midi::kControlChange, panicNext_ / kEach),
                                         kPanicControllers[panicNext_ % kEach], 0);
        if (!out.Write(m.bytes, m.length)) return false;
    }
    if (tap != nullptr) tap->Panic(panicReleased_);
    panicNext_ = kNoPanic;
    return true;
}

}  // namespace ostrel
