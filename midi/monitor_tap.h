#pragma once
// What the pass-through tells its reader: the monitor's records and the
// received dumps, each through a bounded lock-free queue, and the reader that
// turns them into MonitorEvents.
//
// Threads: the writers (Short .. KeepDump) on the MIDI thread only, allocating
// nothing and never waiting (a full queue counts the entry as not shown); Pop
// on one reading thread.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <new>

#include "core/decision.h"
#include "core/short_message.h"
#include "midi/midi_system.h"
#include "midi/monitor_record.h"
#include "midi/spsc_queue.h"

namespace ostrel {

// A record of the pass-through as its reader gets it, with the local time of
// its cycle. Which fields hold what depends on the kind:
// - ShortMessage: in what came, out what went out (length 0 when nothing
//   did), decision and codes what decided;
// - LongMessage (System Exclusive): the first 256 bytes received and sent,
//   receivedLength and outLength their real lengths, matchedSteps (0: it went
//   out unchanged), tooLarge (not sent), decision and codes;
// - ReceivedDump: a bulk dump for the receive dialog, in received and
//   receivedLength;
// - Released: out, what Ostrel sent on its own to end a held note;
// - Incomplete: in, a short message that came without all its data bytes and
//   was not sent;
// - SceneSwitch: scene (its index) in force from this cycle on, of sceneCount;
//   or, past sceneCount, the scene that a program change (in) named;
// - Panic: a panic went out, after releasing scene (the count) held notes
//   and pedals.
struct MonitorEvent {
    enum class Kind : uint8_t {
        ShortMessage,
        LongMessage,
        ReceivedDump,
        Released,
        Incomplete,
        SceneSwitch,
        Panic
    };
    Kind kind = Kind::ShortMessage;
    std::time_t time = 0;
    uint32_t receivedLength = 0;  // of a System Exclusive message or dump
    ShortMessage in, out;
    int matchedSteps = 0;
    int outLength = 0;
    bool tooLarge = false;
    int scene = 0;
    int sceneCount = 0;
    uint8_t received[kRecordedBytes] = {};
    uint8_t sent[kRecordedBytes] = {};
    Decision decision;
    DecidingCodes codes;
};

class MonitorTap {
  public:
    // system: the clock of the cycles' times.
    MonitorTap(const MidiSystem& system, size_t capacity);

    // MIDI thread: the cycle's time, for every record it writes. The records
    // of a cycle reach the reader together when it ends.
    void BeginCycle(uint64_t cycleMicros) { cycleMicros_ = cycleMicros; }
    void EndCycle() {
        // The bytes of System Exclusive records first: the reader takes them
        // once it sees their record.
        sysExBytes_.Publish();
        records_.Publish();
        dumps_.Publish();
    }
    // sent and decision as words (WordOf), as the MIDI path carries them.
    void Short(ShortMessage received, uint32_t sent, uint32_t decision) {
        if (MonitorRecord* record = Begin(RecordKind::Short)) {
            ::new (&record->shortMessage)
                ShortRecord{received, MessageOf(sent), DecisionOf(decision)};
            records_.Stage();
        }
    }
    // A System Exclusive message of length bytes, and what went out for it.
    void Long(const uint8_t* bytes, size_t length, const uint8_t* sent, size_t sentLength,
              int matchedSteps, bool tooLarge, const Decision& decision);
    void Incomplete(const ShortMessage& received);
    void Release(const ShortMessage& sent);
    void Scene(int scene, int count, const ShortMessage& asked = {});
    void Panic(int released);
    void KeepDump(const uint8_t* bytes, size_t length);

    // Reader: the next record, a waiting dump first; false when none waits.
    // The codes of its decision are left for the caller, who knows the table.
    bool Pop(MonitorEvent& event);
    // Entries and dumps not shown because their queue was full.
    uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    // The next free slot of a queue, or null when it is full (counted).
    template <typename T>
    T* FreeSlot(SpscQueue<T>& queue) {
        T* slot = queue.NextFree();
        if (slot == nullptr) dropped_.fetch_add(1, std::memory_order_relaxed);
        return slot;
    }
    // Each record is built where it lies in the queue, the member of its kind
    // made the live one, rather than put together on the stack and copied there.
    MonitorRecord* Begin(RecordKind kind) {
        MonitorRecord* record = FreeSlot(records_);
        if (record == nullptr) return nullptr;
        record->kind = kind;
        record->cycleMicros = cycleMicros_;
        return record;
    }
    void Read(const MonitorRecord& record, MonitorEvent& event);
    // The local time of a cycle's time, from the clocks read once a drain.
    std::time_t LocalTime(uint64_t cycleMicros);

    const MidiSystem& system_;
    SpscQueue<MonitorRecord> records_;
    SpscQueue<SysExBytes> sysExBytes_;  // one for each SysEx record, in the same order
    SpscQueue<DumpRecord> dumps_;
    std::atomic<uint64_t> dropped_{0};
    uint64_t cycleMicros_ = 0;  // MIDI thread
    // Reader: the two clocks as read at the start of this drain (none: 0).
    std::chrono::system_clock::time_point wallNow_{};
    uint64_t systemNow_ = 0;
    bool clocksRead_ = false;
    uint64_t lastCycle_ = 0;  // ... and the cycle last turned into local time
    std::time_t lastTime_ = 0;
};

}  // namespace ostrel
