#pragma once
// The live pass-through: what runs on the MIDI thread for every cycle of the
// MIDI system, and what the other threads ask of it. A cycle takes the
// snapshot in force (the tables worked out into plans, the scenes and their
// triggers), writes what waits in the outbox, then translates each input event
// (Forwarder: the plan, the ledger) and writes it at its own time while
// Running; the monitor tap tells the reader what happened. Nothing on the MIDI
// path waits, locks or allocates.
//
// Threads: Processor() is run by the MIDI thread. Every change of the table,
// the curves or the scenes (PublishTable, a cell written through
// TableForEdits or in a scene's table, SetScenes, a curve moved), PopEvent, Flush,
// RequestScene and RequestStep come from one thread (the window's, or the
// command line's). SendMessage, ReleaseHeld, ReleaseAndForgetHeld, Panic, the
// switches and the counts from any thread.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/cycle_snapshot.h"
#include "midi/entry_activity.h"
#include "midi/forwarder.h"
#include "midi/midi_system.h"
#include "midi/monitor_tap.h"
#include "midi/outbox.h"
#include "midi/pass_through_state.h"
#include "midi/read_copy_cell.h"
#include "midi/scene_switch.h"

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

class PassThrough final : private MidiProcessor {
  public:
    // Monitor records: 200 ms at 40,000 messages a second, so that a reader
    // that takes them ten times a second never loses one.
    static constexpr size_t kDefaultEventCapacity = 8192;
    static constexpr size_t kDefaultRingBytes = 256 * 1024;

    // table: the live table, curves: the curves in force; both watched, so
    // that every change of either is in force from the next cycle on.
    // system: where Wake() goes.
    PassThrough(AssignmentTable& table, CurrentCurves& curves, MidiSystem& system,
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
    // Everything off, for a synth that hangs on a note whoever left it there: at
    // the start of the next cycle every note and pedal the ledger holds is
    // released where it went and forgotten (a key still held sends its note-off
    // like any other later), then every channel of the output gets all sound
    // off (120: silences at once, release tails and sustained notes too),
    // reset all controllers (121: a pedal, bend or modulation left on) and all
    // notes off (123: for synths that know no 120). Shown by the monitor as one
    // line. False when the ring of waiting output has no room for it now.
    bool Panic();

    // The longest that Flush, PublishTable, RequestScene and RequestStep wait
    // for the MIDI thread: many periods of the slowest usual setting.
    static constexpr std::chrono::milliseconds kLongestWait{250};
    // Waits until the MIDI thread has written everything queued so far, for at
    // most kLongestWait. False when it has not (no MIDI graph, or the MIDI thread
    // stalled): what is left goes out when cycles run again.
    bool Flush();

    // A whole new table in force from the next cycle on: every message is
    // translated wholly by the old or wholly by the new table, and none is
    // lost. While cycles run, this returns once one has taken it (at most
    // kLongestWait), so that tables published one after another each get a
    // cycle.
    void PublishTable(const AssignmentTable& staged);
    // The live table: a cell written there is in force from the next cycle on.
    AssignmentTable& TableForEdits() { return table_; }

    // Translates with the scenes' tables (scene 1 in force) instead of the live
    // table, switched by their triggers; null goes back to the live table. The
    // tables are watched as the live table is (a cell written in one is in force
    // from the next cycle on, the scene in force staying in force) and must
    // outlive their use: until the next SetScenes, or the pass-through.
    void SetScenes(SceneTables* scenes);
    // The scene in force (its index), 0 without scenes.
    int CurrentScene() const { return scenes_.Current(); }
    // The scene in force from the next cycle on. Waits, at most kLongestWait,
    // until the MIDI thread took it, so that CurrentScene() then tells the scene
    // in force. False when no cycle took it: it is taken when one does.
    bool RequestScene(int index);
    // One step (+1 next, -1 previous) from the scene in force when the MIDI
    // thread takes it, at the start of its next cycle; steps asked between two
    // cycles, and triggers in the same cycle, add up. Waits as RequestScene
    // does; false when no cycle took it.
    bool RequestStep(int by);

    // Only while no MIDI thread runs (the graph went away with the server):
    // queued output and held notes belong to the old graph and are forgotten.
    void ForgetGraph();

    void SetMonitorLogging(bool on) { monitorLogging_.store(on, std::memory_order_release); }
    bool MonitorLogging() const { return monitorLogging_.load(std::memory_order_acquire); }
    void SetReceiveHook(bool on) { receiveHook_.store(on, std::memory_order_release); }
    bool ReceiveHook() const { return receiveHook_.load(std::memory_order_acquire); }

    // The next monitor record or received dump (a waiting dump first), with the
    // codes in force of the entries that decided it when withCodes (a reader
    // that does not explain its lines leaves them out: a third of its cost).
    bool PopEvent(MonitorEvent& event, bool withCodes = true);
    // Monitor entries and received dumps lost because their queue was full.
    uint64_t DroppedEvents() const { return tap_.Dropped(); }
    // Messages not sent because the cycle's output was full, or because they
    // are larger than the largest event the output port carries (never cut).
    uint64_t DroppedSends() const { return droppedSends_.load(std::memory_order_relaxed); }
    uint64_t DroppedLarge() const {
        return droppedLarge_.load(std::memory_order_relaxed) + outbox_.TooLarge();
    }
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
    uint64_t Cycles() const { return snapshots_.Begun(); }
    uint64_t CyclesEnded() const { return snapshots_.Ended(); }
    // When each entry last decided a message that was forwarded.
    const EntryActivity& Activity() const { return activity_; }
    EntryActivity& Activity() { return activity_; }

  private:
    using Clock = std::chrono::steady_clock;

    void BeginCycle(MidiWriter& out) override;
    void Event(const uint8_t* bytes, size_t length, MidiWriter& out) override;
    void EndCycle() override {
        tap_.EndCycle();
        snapshots_.Leave();
    }

    // Builds the snapshot of the table, curves and scenes as they stand now and
    // publishes it.
    void Republish();
    // Every change of these tells Republish.
    void WatchScenes(SceneTables* scenes);
    // Waits until pred() holds or the deadline has passed; false then.
    template <typename Pred>
    bool WaitUntil(Clock::time_point deadline, Pred pred);

    // What the graph did to our ports since the last cycle, for the ledger.
    void FollowLinks();
    // Writes one message; false when the cycle is full (try again next cycle).
    bool Send(MidiWriter& out, const uint8_t* bytes, size_t length);
    // Writes a short message of an input event, a word (length 0: nothing). When the
    // cycle is full, a release is kept for the next cycle, anything else is
    // dropped and counted.
    void SendShort(MidiWriter& out, uint32_t message);
    void NotSent(uint32_t message);  // SendShort's full cycle, out of the common path
    // The key's earlier note, ended where it sounds, before its new start.
    void EndFirst(MidiWriter& out, uint32_t release);
    // One message of an input event, and a complete short message.
    void ForwardMessage(const uint8_t* bytes, size_t length, MidiWriter& out);
    void ForwardShort(uint32_t received, MidiWriter& out);  // the message's word
    // An event that is not one whole message: taken apart into its messages.
    void ForwardJoined(const uint8_t* bytes, size_t length, MidiWriter& out);
    void ForwardLong(const uint8_t* bytes, size_t length, MidiWriter& out);
    // A trigger of the setlist in force: true when the message is taken by it.
    bool TakenAsTrigger(ShortMessage received);

    AssignmentTable& table_;
    MidiSystem& system_;
    EntryActivity activity_;
    std::atomic<PassThroughState> state_{PassThroughState::Stopped};
    std::atomic<bool> monitorLogging_{false};
    std::atomic<bool> receiveHook_{false};
    std::atomic<uint64_t> droppedSends_{0}, droppedLarge_{0}, droppedIncomplete_{0};
    std::atomic<size_t> largestSeen_{0};
    MonitorTap tap_;
    Outbox outbox_;
    SceneSwitch scenes_;

    // The publisher's side, and the snapshot that cycles read.
    SnapshotBuilder builder_;
    ReadCopyCell<CycleSnapshot> snapshots_;
    uint64_t lastPublishBegun_ = 0;  // the cycles begun before the last publish
    // What the watchers of the tables and curves reach while this lives.
    std::shared_ptr<PassThrough*> self_ = std::make_shared<PassThrough*>(this);

    // MIDI thread only.
    Forwarder forwarder_;
    const CycleSnapshot* snapshot_ = nullptr;  // taken at the start of the cycle
    bool hasScenes_ = false;                   // ... and it holds a setlist's scenes
    bool logging_ = false;                     // the monitor logs this cycle
    bool lights_ = false;                      // ... and the window's lights look
    bool inputLinked_ = false;                 // our input had a connection
    size_t largest_ = 0;                       // largest event of this cycle
};

}  // namespace ostrel
