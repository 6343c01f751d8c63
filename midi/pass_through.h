#pragma once
// The live pass-through: what runs on the MIDI thread for every cycle of the
// MIDI system. Each input event is translated (Forwarder) and written to the
// output at its own time while Running. Output of other threads (System
// Exclusive, releases of held notes) arrives through one byte ring drained at
// the start of a cycle; the table in force is taken there too. Monitor
// entries and received dumps leave through a bounded lock-free queue that the
// window (or the command line) drains. Nothing on the MIDI path waits, locks or
// allocates.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#include "core/assignment_table.h"
#include "core/setlist.h"
#include "curves/current_curve.h"
#include "midi/entry_activity.h"
#include "midi/forwarder.h"
#include "midi/midi_system.h"
#include "midi/monitor_record.h"
#include "midi/output_ring.h"
#include "midi/pass_through_state.h"
#include "midi/scene_tables.h"
#include "midi/spsc_queue.h"

namespace ostrel {

// What the pass-through lost, by cause: monitor entries (and received dumps)
// that the reader did not take in time; messages not sent because the output
// of their cycle was full, or because they are larger than the output port
// carries; short messages that came without all their data bytes.
struct Losses {
    uint64_t notShown = 0;
    uint64_t outputFull = 0;
    uint64_t tooLarge = 0;
    uint64_t incomplete = 0;

    Losses operator-(const Losses& before) const {
        return {notShown - before.notShown, outputFull - before.outputFull,
                tooLarge - before.tooLarge, incomplete - before.incomplete};
    }
    bool operator==(const Losses&) const = default;
};

// A record of the pass-through as its reader gets it (PopEvent), with the
// local time of its cycle. Which fields hold what depends on the kind:
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

class PassThrough final : private MidiProcessor {
  public:
    static constexpr size_t kDefaultEventCapacity = 2048;
    static constexpr size_t kDefaultRingBytes = 256 * 1024;

    // table: the live table; single cells may be written at any time through
    // TableForEdits, a whole new table goes through PublishTable. system:
    // where Wake() goes.
    // PublishTable, Flush, SetScenes and RequestScene come from one thread (the
    // window's, or the command line's).
    PassThrough(AssignmentTable& table, const CurrentCurves& curves, MidiSystem& system,
                size_t eventCapacity = kDefaultEventCapacity, size_t ringBytes = kDefaultRingBytes);
    PassThrough(const PassThrough&) = delete;
    PassThrough& operator=(const PassThrough&) = delete;

    // What the MIDI system runs (MidiSystem::Open).
    MidiProcessor& Processor() { return *this; }

    void SetState(PassThroughState state) { state_.store(state, std::memory_order_release); }
    PassThroughState State() const { return state_.load(std::memory_order_acquire); }
    void Start() { SetState(PassThroughState::Running); }
    // Stopped; every note and pedal still held on the output is released.
    void Stop();

    // From any thread but the MIDI thread: one message of any kind for the
    // output, written at the start of the next cycle. Refused when it is larger
    // than the largest event the output port carries (counted in DroppedLarge;
    // before the first cycle the port's size is not known and it is taken), or
    // when the ring of waiting output has no room for it now (DroppedSends).
    enum class Sending { Queued, TooLarge, NoRoom };
    Sending SendMessage(const uint8_t* bytes, size_t length);
    // Releases, at the start of the next cycle, every note and pedal that the
    // output still holds (Stop, a change of output device, exit). Their own
    // note-offs and pedal releases, when they come, are not sent again.
    void ReleaseHeld();
    // The same, for a synth that went away while the output still goes
    // elsewhere: the others get the releases, and each key's own note-off
    // still goes out when it comes, for the synth if it returns.
    void ReleaseAndForgetHeld();
    // The longest that Flush, PublishTable, SetScenes and RequestScene wait for
    // the MIDI thread: many periods of the slowest usual setting.
    static constexpr std::chrono::milliseconds kLongestWait{250};

    // Waits until the MIDI thread has written everything queued so far, for at
    // most kLongestWait. False when it has not (no MIDI graph, or the MIDI thread
    // stalled): what is left goes out when cycles run again.
    bool Flush();

    // A whole new table in force from the next cycle on: every message is
    // translated wholly by the old or wholly by the new table, and none is lost.
    // The new table goes into a copy that no cycle reads (a new copy when a
    // stalled cycle still holds them all) and is published by one pointer.
    // While cycles run, this returns once one has taken it (at most
    // kLongestWait), so that tables published one after another each get a
    // cycle. The live table takes the copy over as soon as no cycle reads the
    // live table (at once, unless a cycle stalls; else at the next
    // TableForEdits or PublishTable); until then single cells are written
    // through TableForEdits, to the copy in force.
    void PublishTable(const AssignmentTable& staged);
    // The table that single cells are written to, each in force at once: the
    // live table, or the copy in force while the live table has not yet taken
    // it over. Publisher's thread only.
    AssignmentTable& TableForEdits();

    // Translates with the scenes' tables (scene 0 in force) instead of the live
    // table, switched by their triggers; null goes back to the live table. The
    // list stays the caller's and must outlive its use: this waits, at most
    // kLongestWait, until the cycle under way has ended, after which the list set
    // before is no longer read (see Retire for a MIDI thread stalled longer).
    void SetScenes(const SceneTables* scenes);
    // The same scenes, some of their tables read again: the list set before
    // gives way to this one as SetScenes does, but the scene in force, and one
    // that a trigger chose for the next cycle, stay in force.
    void ReplaceScenes(const SceneTables* scenes);
    // What the list set before held (the list, its tables), handed over right
    // after SetScenes or ReplaceScenes: freed at once when no cycle reads it
    // any more, else kept until the cycle that stalled through the wait has
    // ended (freed by a later call, or with the pass-through).
    void Retire(std::shared_ptr<void> old);
    // The scene in force (its index), 0 without scenes.
    int CurrentScene() const { return currentScene_.load(std::memory_order_acquire); }
    // From any thread but the MIDI thread: the scene in force from the next cycle
    // on. Waits, at most kLongestWait, until the MIDI thread took it, so that
    // CurrentScene() then tells the scene in force. False when no cycle took it:
    // it is taken when one does.
    bool RequestScene(int index);
    // From any thread but the MIDI thread: one step (+1 next, -1 previous) from
    // the scene in force when the MIDI thread takes it, at the start of its
    // next cycle; steps asked between two cycles, and triggers in the same
    // cycle, add up. Waits as RequestScene does; false when no cycle took it.
    bool RequestStep(int by);

    // Everything off, for a synth that hangs on a note whoever left it there: at
    // the start of the next cycle every note and pedal the ledger holds is
    // released where it went and forgotten (a key still held sends its note-off
    // like any other later), then every channel of the output gets all sound
    // off (120: silences at once, release tails and sustained notes too),
    // reset all controllers (121: a pedal, bend or modulation left on) and all
    // notes off (123: for synths that know no 120). Shown by the monitor as one
    // line. False when the ring of waiting output has no room for it now.
    bool Panic();
    // The controllers a panic sends on every channel, in order.
    static constexpr uint8_t kPanicControllers[] = {120, 121, 123};

    // Only while no MIDI thread runs (the graph went away with the server):
    // queued output and held notes belong to the old graph and are forgotten.
    void ForgetGraph();

    void SetMonitorLogging(bool on) { monitorLogging_.store(on, std::memory_order_release); }
    bool MonitorLogging() const { return monitorLogging_.load(std::memory_order_acquire); }
    void SetReceiveHook(bool on) { receiveHook_.store(on, std::memory_order_release); }
    bool ReceiveHook() const { return receiveHook_.load(std::memory_order_acquire); }

    // Consumer side of the monitor queue and of the received dumps: one
    // consumer thread. A waiting dump comes first. The record's time is the
    // local time at which its cycle began.
    bool PopEvent(MonitorEvent& event);
    // Monitor entries and received dumps lost because their queue was full.
    uint64_t DroppedEvents() const { return droppedEvents_.load(std::memory_order_relaxed); }
    // Messages not sent because the cycle's output was full, or because they
    // are larger than the largest event the output port carries (never cut).
    uint64_t DroppedSends() const { return droppedSends_.load(std::memory_order_relaxed); }
    uint64_t DroppedLarge() const { return droppedLarge_.load(std::memory_order_relaxed); }
    // Short messages that came without all their data bytes: never sent, since
    // a made-up data byte would be a note or program the player never chose.
    uint64_t DroppedIncomplete() const {
        return droppedIncomplete_.load(std::memory_order_relaxed);
    }
    // The largest event the output port carried in the last cycle, in bytes.
    size_t LargestEvent() const { return largestSeen_.load(std::memory_order_relaxed); }
    // Every loss so far, by its cause, and all of them together.
    Losses LossCounts() const {
        return {DroppedEvents(), DroppedSends(), DroppedLarge(), DroppedIncomplete()};
    }
    uint64_t Lost() const {
        const Losses l = LossCounts();
        return l.notShown + l.outputFull + l.tooLarge + l.incomplete;
    }
    // Cycles begun so far, and ended so far.
    uint64_t Cycles() const { return cycles_.load(std::memory_order_acquire); }
    uint64_t CyclesEnded() const { return cyclesEnded_.load(std::memory_order_acquire); }
    // When each entry last decided a message that was forwarded.
    const EntryActivity& Activity() const { return activity_; }

  private:
    using Clock = std::chrono::steady_clock;

    void BeginCycle(MidiWriter& out) override;
    void Event(const uint8_t* bytes, size_t length, MidiWriter& out) override;
    void EndCycle() override;

    // Hands a new list of scenes to the MIDI thread and waits, at most
    // kLongestWait, until no cycle reads the list set before.
    void SwapSceneList(const SceneTables* scenes);
    // Takes a new list of scenes, and the scene chosen in the last cycle or by
    // another thread, and translates with it for this cycle.
    void PickUpScenes();
    // A trigger received: the scene it chooses, in force from the next cycle on.
    void ChooseScene(const TriggerMatch& match);
    const AssignmentTable& TableInForce() const;
    // What the graph did to our ports since the last cycle, for the ledger.
    void FollowLinks();
    void DrainRing(MidiWriter& out);
    // Writes one message; false when the cycle is full (try again next cycle).
    bool Send(MidiWriter& out, const uint8_t* bytes, size_t length);
    // Writes a short message of an input event (length 0: nothing). When the
    // cycle is full, a release is kept for the next cycle, anything else is
    // dropped and counted.
    void SendShort(MidiWriter& out, const ShortMessage& m);
    // One message of an input event.
    void ForwardMessage(const uint8_t* bytes, size_t length, MidiWriter& out);
    void ForwardLong(const uint8_t* bytes, size_t length, MidiWriter& out);
    void MonitorShort(const ShortMessage& received, const ForwardedShort& f);
    void MonitorLong(const ForwardedLong& f, const uint8_t* bytes, size_t length, bool tooLarge);
    void MonitorIncomplete(const ShortMessage& received);
    void MonitorRelease(const ShortMessage& sent);
    void MonitorScene(int scene, const ShortMessage& asked = {});
    void MonitorPanic();
    // Writes what a panic sends after the releases; false when the cycle is
    // full (the rest next cycle).
    bool WritePanic(MidiWriter& out);
    void KeepDump(const uint8_t* bytes, size_t length);
    // The next free slot of one of the queues to the window, or null when it is
    // full (counted as a dropped entry).
    template <typename T>
    T* FreeSlot(SpscQueue<T>& queue) {
        if (queue.FreeSlots() != 0) return &queue.SlotAhead(0);
        droppedEvents_.fetch_add(1, std::memory_order_relaxed);
        return nullptr;
    }
    // A free record of the monitor queue to fill, or null (counted as dropped).
    MonitorRecord* BeginRecord(RecordKind kind);
    void CommitRecord() { records_.Commit(1); }
    // The reader's side: a record turned into what PopEvent gives.
    void ReadRecord(const MonitorRecord& record, MonitorEvent& event);
    // Waits until pred() holds or the deadline has passed; false then.
    template <typename Pred>
    bool WaitUntil(Clock::time_point deadline, Pred pred);

    // Whether a table or list that cycles may read until `readUntil` of them
    // have ended is read by none any more.
    bool NoCycleReads(uint64_t readUntil) const { return CyclesEnded() >= readUntil; }
    // The publisher's side of the whole-table swap (see below).
    uint64_t Publish(AssignmentTable* table);
    // A copy that no cycle reads; a new one when the MIDI thread stalls in one
    // cycle through several publishes.
    AssignmentTable* FreeCopy();
    // The live table takes over the copy in force once no cycle reads it. True
    // when the live table is the one in force.
    bool TakeOverCopy();

    AssignmentTable& table_;
    MidiSystem& system_;
    Forwarder forwarder_;  // MIDI thread only
    EntryActivity activity_;
    std::atomic<PassThroughState> state_{PassThroughState::Stopped};
    std::atomic<bool> monitorLogging_{false};
    std::atomic<bool> receiveHook_{false};
    std::atomic<uint64_t> droppedEvents_{0}, droppedSends_{0}, droppedLarge_{0};
    std::atomic<uint64_t> droppedIncomplete_{0};
    std::atomic<uint64_t> cycles_{0};
    std::atomic<size_t> largestSeen_{0};
    // Producer: the MIDI thread; consumer: the window (or the command line).
    SpscQueue<MonitorRecord> records_;
    SpscQueue<SysExBytes> sysExBytes_;  // one for each SysEx record, in the same order
    SpscQueue<DumpRecord> dumps_;
    OutputRing ring_;                     // producers: other threads; consumer: MIDI thread
    std::atomic<bool> releasing_{false};  // a release of held notes is under way
    bool forgetReleased_ = false;         // MIDI thread: ... after which the ledger forgets
    // MIDI thread: a panic under way (the next of its 48 messages to write),
    // and the releases it made.
    static constexpr int kNoPanic = -1;
    int panicNext_ = kNoPanic;
    int panicReleased_ = 0;
    bool inputLinked_ = false;  // MIDI thread: our input had a connection
    size_t largest_ = 0;        // MIDI thread: largest event of this cycle
    uint64_t cycleMicros_ = 0;  // MIDI thread: when this cycle began

    // Scenes: the list that other threads set, the one the MIDI thread reads,
    // the scene in force and the one chosen for the next cycle (-1: none).
    // SetScenes counts a new start in sceneStarts_ before it sets the list; a
    // list taken with no new start since the last one replaces its scenes' tables
    // and keeps the scene, however many lists were set between two cycles.
    static constexpr int kNoScene = -1;
    std::atomic<const SceneTables*> sceneList_{nullptr};
    std::atomic<uint64_t> sceneStarts_{0};
    uint64_t sceneStartsSeen_ = 0;  // MIDI thread
    std::atomic<int> currentScene_{0};
    std::atomic<int> requestedScene_{kNoScene};
    std::atomic<int> requestedSteps_{0};
    const SceneTables* scenes_ = nullptr;  // MIDI thread
    int scene_ = 0;                        // MIDI thread
    int chosenScene_ = kNoScene;           // MIDI thread
    // What scene lists set aside still hold, and the cycles begun before the
    // swap that set each aside: freed once that many cycles have ended.
    struct Retired {
        uint64_t readUntil = 0;
        std::shared_ptr<void> kept;
    };
    uint64_t lastSwapBegun_ = 0;    // publisher only
    std::vector<Retired> retired_;  // publisher only

    // Whole-table swap. The MIDI thread counts a cycle begun, takes the table
    // in force with one load, and counts the cycle ended once it no longer
    // reads it. The publisher stores a complete table; the one it replaces is
    // read by no cycle once every cycle begun by then has ended, and only then
    // is it written again. A new table goes into a copy first, since the cycle
    // under way may still read the live table; the live table takes it over
    // afterwards and is published again.
    struct Copy {
        std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
        uint64_t readUntil = 0;  // read by no cycle once this many have ended
    };
    std::atomic<const AssignmentTable*> published_;
    std::atomic<uint64_t> cyclesEnded_{0};
    const AssignmentTable* tableInForce_;  // MIDI thread: taken at the start of the cycle
    std::vector<Copy> copies_;             // publisher only, from here on
    uint64_t liveReadUntil_ = 0;           // ... the same for the live table
    AssignmentTable* inForce_;             // the table last published
};

}  // namespace ostrel
