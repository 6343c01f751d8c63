// The forwarding of the live pass-through (engine, ledger of held notes, joined
// events taken apart) with any table, any curve and any stream, the table
// changing under held notes: it stays inside its buffers, a played note-on never
// leaves as a note-off, and a release leaves nothing held.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_inputs.h"
#include "midi/event_splitter.h"
#include "midi/forwarder.h"

using namespace ostrel;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    AssignmentTable table;
    CurrentCurves curves;
    curves.Of(CurveKind::Velocity).SetAll(fuzz::AnyCurve(in));
    Forwarder forwarder(table, curves);
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
            case 0: {  // a box changes while notes are held
                const char* codes[] = {"###", "***", "064", "007", "005", "016"};
                const char* code = codes[in.ConsumeIntegralInRange(0, 5)];
                if (in.ConsumeBool())
                    table.SetNote(in.ConsumeIntegral<uint8_t>(), code);
                else
                    table.Set(in.ConsumeBool() ? Entry::CHANEL : Entry::SUSTAIN, code);
                break;
            }
            case 1: {  // Stop, a new output, exit
                int released = 0;
                forwarder.Ledger().ReleaseAll([&](const ShortMessage& m) {
                    Check(m.length == 3 && (m.bytes[0] & 0xF0) != 0x90);
                    return ++released < 100000;
                });
                Check(!forwarder.Ledger().HoldsAnything());
                break;
            }
            default: {
                const std::vector<uint8_t> event =
                    in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(1, 300));
                if (event.empty()) break;
                SplitJoinedEvents(event.data(), event.size(), [&](const uint8_t* b, size_t n) {
                    Check(n >= 1 && n <= event.size());
                    size_t length = 0;
                    const uint8_t* sent = forwarder.Forward(b, n, &length);
                    Check(length == 0 || sent != nullptr);
                    // A short message: itself, after the end of its key's earlier note.
                    Check(length <= (b[0] == 0xF0 ? n : 6));
                    const bool played = n >= 3 && (b[0] & 0xF0) == 0x90 && b[2] != 0;
                    const uint8_t* last = sent + (length >= 3 ? length - 3 : 0);
                    if (played && length >= 3 && (last[0] & 0xF0) == 0x90) Check(last[2] != 0);
                });
            }
        }
    }
    return 0;
}
