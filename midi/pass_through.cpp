#include "midi/pass_through.h"

#include <bit>
#include <cstring>
#include <thread>

#include "core/short_message.h"
#include "midi/event_splitter.h"
#include "sysex/dump_header.h"

namespace ostrel {
namespace {

// How often a waiting thread looks whether the MIDI thread has come round.
constexpr auto kLookEvery = std::chrono::microseconds(200);

// The watcher of a table or the curves: the pass-through that set it works its
// snapshot out again, as long as it lives.
std::function<void()> Republisher(const std::shared_ptr<PassThrough*>& self,
                                  void (PassThrough::*republish)()) {
    return [self = std::weak_ptr<PassThrough*>(self), republish] {
        if (const auto p = self.lock()) ((*p)->*republish)();
    };
}

}  // namespace

PassThrough::PassThrough(AssignmentTable& table, CurrentCurves& curves, MidiSystem& system,
                         size_t eventCapacity, size_t ringBytes)
    : table_(table),
      system_(system),
      tap_(system, eventCapacity),
      outbox_(ringBytes),
      builder_(table, curves),
      snapshots_(builder_.Build()),
      forwarder_(table, curves) {
    // A watcher outlives this harmlessly: it reaches nothing once this is gone.
    table_.Watch(Republisher(self_, &PassThrough::Republish));
    curves.Watch(Republisher(self_, &PassThrough::Republish));
}

void PassThrough::Republish() { lastPublishBegun_ = snapshots_.Publish(builder_.Build()); }

void PassThrough::WatchScenes(SceneTables* scenes) {
    if (scenes == nullptr) return;
    for (AssignmentTable* table : scenes->tables)
        table->Watch(Republisher(self_, &PassThrough::Republish));
}

void PassThrough::Stop() {
    SetState(PassThroughState::Stopped);
    ReleaseHeld();
}

PassThrough::Sending PassThrough::SendMessage(const uint8_t* bytes, size_t length) {
    if (length == 0) return Sending::Queued;
    const size_t largest = LargestEvent();
    if (largest != 0 && length > largest) {
        droppedLarge_.fetch_add(1, std::memory_order_relaxed);
        return Sending::TooLarge;
    }
    if (!outbox_.Push(OutputRing::Kind::Message, bytes, length)) {
        droppedSends_.fetch_add(1, std::memory_order_relaxed);
        return Sending::NoRoom;
    }
    system_.Wake();
    return Sending::Queued;
}

void PassThrough::ReleaseHeld() {
    if (outbox_.Push(OutputRing::Kind::ReleaseHeld)) system_.Wake();
}

void PassThrough::ReleaseAndForgetHeld() {
    if (outbox_.Push(OutputRing::Kind::ReleaseAndForget)) system_.Wake();
}

bool PassThrough::Panic() {
    if (!outbox_.Push(OutputRing::Kind::Panic)) return false;
    system_.Wake();
    return true;
}

template <typename Pred>
bool PassThrough::WaitUntil(Clock::time_point deadline, Pred pred) {
    while (!pred()) {
        if (Clock::now() >= deadline) return false;
        system_.Wake();
        std::this_thread::sleep_for(kLookEvery);
    }
    return true;
}

bool PassThrough::Flush() {
    const auto deadline = Clock::now() + kLongestWait;
    if (!WaitUntil(deadline, [this] { return outbox_.Idle(); })) return false;
    // The cycle that took the last record may still be writing it; what it
    // wrote has left the graph once the cycle after it has ended too.
    const uint64_t begun = Cycles();
    return WaitUntil(deadline, [&] { return CyclesEnded() > begun; });
}

void PassThrough::PublishTable(const AssignmentTable& staged) {
    table_.CopyFrom(staged);  // published by the table's watcher
    // One table after another each gets a cycle: the next publish waits until
    // a cycle has taken this one, while cycles run.
    if (system_.IsOpen())
        WaitUntil(Clock::now() + kLongestWait, [this] { return Cycles() > lastPublishBegun_; });
}

void PassThrough::SetScenes(SceneTables* scenes) {
    // Scene 1 in force, whatever a trigger chose in the meantime.
    scenes_.Restart();
    WatchScenes(scenes);
    builder_.SetScenes(scenes);
    Republish();
}

bool PassThrough::RequestScene(int index) {
    scenes_.Request(index);
    system_.Wake();
    return WaitUntil(Clock::now() + kLongestWait, [this] { return scenes_.RequestTaken(); });
}

bool PassThrough::RequestStep(int by) {
    scenes_.Step(by);
    system_.Wake();
    return WaitUntil(Clock::now() + kLongestWait, [this] { return scenes_.StepsTaken(); });
}

void PassThrough::ForgetGraph() {
    outbox_.Forget();
    inputLinked_ = false;
    forwarder_.Ledger().Clear();
    // What was set aside is freed by the next publish, on its own thread.
    snapshots_.ForgetCycles();
}

bool PassThrough::PopEvent(MonitorEvent& event, bool withCodes) {
    if (!tap_.Pop(event)) return false;
    if (withCodes && !event.decision.Empty() &&
        (event.kind == MonitorEvent::Kind::ShortMessage ||
         event.kind == MonitorEvent::Kind::LongMessage)) {
        // The codes in force now of the entries that decided: the line shows
        // them a moment after the message, by which a box is rarely changed.
        const CycleSnapshot& latest = snapshots_.Latest();
        const int scene = std::min(CurrentScene(), std::max(latest.SceneCount() - 1, 0));
        event.codes = CodesOf(latest.InForce(scene).table, event.decision);
    }
    return true;
}

// The cycle: the snapshot, the outbox, then every input event in order.

void PassThrough::BeginCycle(MidiWriter& out) {
    largest_ = out.Room();
    largestSeen_.store(largest_, std::memory_order_relaxed);
    tap_.BeginCycle(system_.CycleMicros());
    snapshot_ = &snapshots_.Enter();
    hasScenes_ = !snapshot_->scenes.empty();
    const TableTranslation& inForce = snapshot_->InForce(scenes_.Pick(*snapshot_, tap_));
    forwarder_.Use(inForce.table, &inForce.plan, &snapshot_->curves);
    FollowLinks();
    // The monitor logs, or not, for a whole cycle.
    logging_ = MonitorLogging();
    lights_ = activity_.Watched();
    outbox_.Drain(out, largest_, forwarder_.Ledger(), logging_ ? &tap_ : nullptr);
}

void PassThrough::FollowLinks() {
    NoteLedger& ledger = forwarder_.Ledger();
    const bool input = system_.Linked(PortDirection::Input);
    // The keyboard went away (unplugged, its bridge restarted): the ends of the
    // notes and the pedal it holds will never come from it.
    if (inputLinked_ && !input && ledger.HoldsAnything()) outbox_.ReleaseAll();
    inputLinked_ = input;
    // Nobody listens on the output any more (a wire pulled, the synth gone): a
    // release would reach nobody, and what sounded there went with the wire.
    // Forgotten, so that each key's own note-off goes out like any other.
    if (!system_.Linked(PortDirection::Output) && !ledger.Blank()) ledger.Clear();
}

inline bool PassThrough::Send(MidiWriter& out, const uint8_t* bytes, size_t length) {
    if (length > largest_) {
        // Larger than the port carries at all: never cut, counted.
        droppedLarge_.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    return out.Write(bytes, length);
}

inline void PassThrough::SendShort(MidiWriter& out, uint32_t message) {
    const uint32_t length = LengthOf(message);
    if (length == 0) return;
    uint8_t bytes[4];
    std::memcpy(bytes, &message, sizeof bytes);
    if (!Send(out, bytes, length)) [[unlikely]]
        NotSent(message);
}

[[gnu::noinline]] void PassThrough::NotSent(uint32_t message) {
    // A release is never lost to a full cycle: it goes out first in the next.
    if (NoteLedger::IsRelease(MessageOf(message)))
        forwarder_.Ledger().Postpone(MessageOf(message));
    else
        droppedSends_.fetch_add(1, std::memory_order_relaxed);
}

[[gnu::noinline]] void PassThrough::EndFirst(MidiWriter& out, uint32_t release) {
    // A line of Ostrel's own.
    SendShort(out, release);
    if (logging_) tap_.Release(MessageOf(release));
}

void PassThrough::Event(const uint8_t* bytes, size_t length, MidiWriter& out) {
    // Stopped ignores the message entirely; nothing is held back for
    // it, so later System Exclusive input is never blocked by it.
    if (State() != PassThroughState::Running || length == 0) return;
    const uint8_t status = bytes[0];
    // A System Exclusive event is one message, whatever bytes it carries (a
    // dump may hold bytes above 7F).
    if (status == midi::kSystemExclusive) {
        ForwardLong(bytes, length, out);
        return;
    }
    // Most events are one whole short message, read in place (a lone end mark
    // F7 belongs to no message: the splitter skips it).
    if (length == static_cast<size_t>(ShortMessageLength(status)) &&
        status != midi::kEndOfExclusive) {
        uint32_t value = status | static_cast<uint32_t>(length) << 24;
        if (length > 1) value |= uint32_t{bytes[1]} << 8;
        if (length > 2) value |= uint32_t{bytes[2]} << 16;
        if ((value & 0x808000u) == 0) {  // no status byte among the data
            ForwardShort(value, out);
            return;
        }
    }
    ForwardJoined(bytes, length, out);
}

// Kept out of Event, so that the common case calls straight on.
[[gnu::noinline]] void PassThrough::ForwardJoined(const uint8_t* bytes, size_t length,
                                                  MidiWriter& out) {
    // Short messages joined in one event are forwarded one by one.
    SplitJoinedEvents(bytes, length,
                      [&](const uint8_t* b, size_t n) { ForwardMessage(b, n, out); });
}

bool PassThrough::TakenAsTrigger(ShortMessage received) {
    const TriggerMatch match = MatchTrigger(snapshot_->triggers, received);
    if (match.action == TriggerMatch::Action::None) return false;
    const int count = snapshot_->SceneCount();
    scenes_.Choose(match, count);
    if (snapshot_->triggers.pass) return false;
    // Taken by the setlist, with every other message of the trigger's control
    // (a button's release): shown as received, nothing sent; a program change
    // past the last scene is shown as naming no scene.
    if (!logging_) return true;
    if (match.action == TriggerMatch::Action::Select && match.scene >= count)
        tap_.Scene(match.scene, count, received);
    else
        tap_.Short(received, 0, DecisionWord(kNoEntry, kNoNote, kByTrigger, 0));
    return true;
}

void PassThrough::ForwardMessage(const uint8_t* bytes, size_t length, MidiWriter& out) {
    if (bytes[0] == midi::kSystemExclusive) {
        ForwardLong(bytes, length, out);
        return;
    }
    const ShortMessage received = ReadShort(bytes, length);
    if (received.Incomplete()) {
        droppedIncomplete_.fetch_add(1, std::memory_order_relaxed);
        if (logging_) tap_.Incomplete(received);
        return;
    }
    ForwardShort(WordOf(received), out);
}

inline void PassThrough::ForwardShort(uint32_t received, MidiWriter& out) {
    if (hasScenes_ && TakenAsTrigger(MessageOf(received))) return;
    const ForwardedShort f = forwarder_.ForwardShort(received);
    if (lights_) activity_.Fire(f.decision);
    if (LengthOf(f.endFirst) != 0) [[unlikely]]
        EndFirst(out, f.endFirst);
    // Recorded before it is written, so that nothing but the message is
    // still needed once the writer returns.
    if (logging_) tap_.Short(MessageOf(received), f.sent, f.decision);
    SendShort(out, f.sent);
}

void PassThrough::ForwardLong(const uint8_t* bytes, size_t length, MidiWriter& out) {
    const ForwardedLong f = forwarder_.ForwardLong(bytes, length);
    if (lights_) activity_.Fire(f.decision);
    const bool tooLarge = f.length > largest_;
    if (f.length != 0 && !Send(out, f.bytes, f.length))
        droppedSends_.fetch_add(1, std::memory_order_relaxed);
    if (ReceiveHook() && StartsWithDumpHeader(bytes, length)) tap_.KeepDump(bytes, length);
    if (logging_)
        tap_.Long(bytes, length, f.bytes, f.length, f.matchedSteps, tooLarge,
                  DecisionOf(f.decision));
}

}  // namespace ostrel
