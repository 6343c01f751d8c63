#include "midi/pass_through.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <thread>

#include "core/short_message.h"
#include "midi/event_splitter.h"
#include "sysex/dump_header.h"

namespace ostrel {
namespace {

// How often a waiting thread looks whether the MIDI thread has come round.
constexpr auto kLookEvery = std::chrono::microseconds(200);

// Received dumps waiting for the receive dialog.
constexpr size_t kDumpCapacity = 16;

}  // namespace

PassThrough::PassThrough(AssignmentTable& table, const CurrentCurves& curves, MidiSystem& system,
                         size_t eventCapacity, size_t ringBytes)
    : table_(table),
      system_(system),
      forwarder_(table, curves),
      records_(eventCapacity),
      // System Exclusive comes far more rarely than short messages, dumps
      // more rarely still.
      sysExBytes_(std::max<size_t>(eventCapacity / 8, 4)),
      dumps_(kDumpCapacity),
      ring_(ringBytes),
      published_(&table),
      tableInForce_(&table),
      copies_(2),
      inForce_(&table) {}

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
    if (!ring_.Push(OutputRing::Kind::Message, bytes, length)) {
        droppedSends_.fetch_add(1, std::memory_order_relaxed);
        return Sending::NoRoom;
    }
    system_.Wake();
    return Sending::Queued;
}

void PassThrough::ReleaseHeld() {
    if (ring_.Push(OutputRing::Kind::ReleaseHeld, nullptr, 0)) system_.Wake();
}

void PassThrough::ReleaseAndForgetHeld() {
    if (ring_.Push(OutputRing::Kind::ReleaseAndForget, nullptr, 0)) system_.Wake();
}

bool PassThrough::Panic() {
    if (!ring_.Push(OutputRing::Kind::Panic, nullptr, 0)) return false;
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
    if (!WaitUntil(deadline,
                   [this] { return ring_.Empty() && !releasing_.load(std::memory_order_acquire); }))
        return false;
    // The cycle that took the last record may still be writing it; what it
    // wrote has left the graph once the cycle after it has ended too.
    const uint64_t begun = Cycles();
    return WaitUntil(deadline, [&] { return CyclesEnded() > begun; });
}

uint64_t PassThrough::Publish(AssignmentTable* table) {
    published_.store(table, std::memory_order_release);
    // Read as an update, so that it is ordered with the MIDI thread's own at the
    // start of a cycle: a cycle it does not count takes the new table.
    const uint64_t begun = cycles_.fetch_add(0, std::memory_order_acq_rel);
    if (inForce_ == &table_) liveReadUntil_ = begun;
    for (Copy& copy : copies_)
        if (inForce_ == copy.table.get()) copy.readUntil = begun;
    inForce_ = table;
    return begun;
}

AssignmentTable* PassThrough::FreeCopy() {
    for (Copy& copy : copies_)
        if (inForce_ != copy.table.get() && NoCycleReads(copy.readUntil)) return copy.table.get();
    return copies_.emplace_back().table.get();
}

bool PassThrough::TakeOverCopy() {
    if (inForce_ == &table_) return true;
    if (!NoCycleReads(liveReadUntil_)) return false;
    table_.CopyFrom(*inForce_);
    Publish(&table_);
    return true;
}

void PassThrough::PublishTable(const AssignmentTable& staged) {
    AssignmentTable* copy = FreeCopy();
    copy->CopyFrom(staged);
    // One table after another each gets a cycle: the next publish waits until
    // a cycle has taken this one, while cycles run.
    const uint64_t begun = Publish(copy);
    if (system_.IsOpen()) WaitUntil(Clock::now() + kLongestWait, [&] { return Cycles() > begun; });
    TakeOverCopy();
}

AssignmentTable& PassThrough::TableForEdits() {
    TakeOverCopy();
    return *inForce_;
}

void PassThrough::SetScenes(const SceneTables* scenes) {
    // Scene 1 in force, whatever a trigger chose in the meantime.
    requestedScene_.store(0, std::memory_order_release);
    currentScene_.store(0, std::memory_order_release);
    sceneStarts_.fetch_add(1, std::memory_order_release);
    SwapSceneList(scenes);
}

void PassThrough::ReplaceScenes(const SceneTables* scenes) { SwapSceneList(scenes); }

void PassThrough::SwapSceneList(const SceneTables* scenes) {
    sceneList_.store(scenes, std::memory_order_release);
    // Ordered with the start of a cycle as in Publish: once every cycle counted
    // here has ended, none reads the list set before.
    lastSwapBegun_ = cycles_.fetch_add(0, std::memory_order_acq_rel);
    WaitUntil(Clock::now() + kLongestWait, [this] { return NoCycleReads(lastSwapBegun_); });
    Retire(nullptr);
}

void PassThrough::Retire(std::shared_ptr<void> old) {
    if (old) retired_.push_back({lastSwapBegun_, std::move(old)});
    std::erase_if(retired_, [this](const Retired& r) { return NoCycleReads(r.readUntil); });
}

bool PassThrough::RequestScene(int index) {
    requestedScene_.store(index, std::memory_order_release);
    system_.Wake();
    return WaitUntil(Clock::now() + kLongestWait, [this] {
        return requestedScene_.load(std::memory_order_acquire) == kNoScene;
    });
}

bool PassThrough::RequestStep(int by) {
    requestedSteps_.fetch_add(by, std::memory_order_acq_rel);
    system_.Wake();
    return WaitUntil(Clock::now() + kLongestWait,
                     [this] { return requestedSteps_.load(std::memory_order_acquire) == 0; });
}

void PassThrough::ForgetGraph() {
    ring_.Clear();
    releasing_.store(false, std::memory_order_release);
    forgetReleased_ = false;
    panicNext_ = kNoPanic;
    inputLinked_ = false;
    forwarder_.Ledger().Clear();
    // Every cycle of the old graph has ended, whether or not it said so.
    cyclesEnded_.store(Cycles(), std::memory_order_release);
}

void PassThrough::PickUpScenes() {
    const SceneTables* list = sceneList_.load(std::memory_order_acquire);
    // A start counted before the list was set is seen with it.
    const uint64_t starts = sceneStarts_.load(std::memory_order_acquire);
    if (list != scenes_ || starts != sceneStartsSeen_) {
        if (starts != sceneStartsSeen_ || scenes_ == nullptr) {
            scene_ = 0;
            chosenScene_ = kNoScene;
        }
        sceneStartsSeen_ = starts;
        scenes_ = list;
    }
    const int requested = requestedScene_.exchange(kNoScene, std::memory_order_acq_rel);
    const int steps = requestedSteps_.exchange(0, std::memory_order_acq_rel);
    if (scenes_ == nullptr || scenes_->tables.empty()) {
        scenes_ = nullptr;
        return;
    }
    const int count = static_cast<int>(scenes_->tables.size());
    if (scene_ >= count) {  // a list replaced by a shorter one
        scene_ = count - 1;
        currentScene_.store(scene_, std::memory_order_release);
    }
    int chosen = requested != kNoScene ? requested : chosenScene_;
    if (steps != 0)
        chosen = std::clamp((chosen != kNoScene ? chosen : scene_) + steps, 0, count - 1);
    chosenScene_ = kNoScene;
    if (chosen >= 0 && chosen < count && chosen != scene_) {
        scene_ = chosen;
        currentScene_.store(scene_, std::memory_order_release);
        MonitorScene(scene_);
    }
    forwarder_.UseTable(TableInForce());
}

void PassThrough::ChooseScene(const TriggerMatch& match) {
    const int count = static_cast<int>(scenes_->tables.size());
    const int from = chosenScene_ != kNoScene ? chosenScene_ : scene_;
    switch (match.action) {
        case TriggerMatch::Action::Select:
            if (match.scene < count) chosenScene_ = match.scene;
            break;
        case TriggerMatch::Action::Next:
            chosenScene_ = std::min(from + 1, count - 1);
            break;
        case TriggerMatch::Action::Previous:
            chosenScene_ = std::max(from - 1, 0);
            break;
        case TriggerMatch::Action::None:
        case TriggerMatch::Action::Control:
            break;
    }
}

const AssignmentTable& PassThrough::TableInForce() const {
    return scenes_ != nullptr ? *scenes_->tables[static_cast<size_t>(scene_)] : *tableInForce_;
}

void PassThrough::BeginCycle(MidiWriter& out) {
    cycles_.fetch_add(1, std::memory_order_acq_rel);
    largest_ = out.Room();
    largestSeen_.store(largest_, std::memory_order_relaxed);
    cycleMicros_ = system_.CycleMicros();
    tableInForce_ = published_.load(std::memory_order_acquire);
    forwarder_.UseTable(*tableInForce_);
    PickUpScenes();
    FollowLinks();
    DrainRing(out);
}

void PassThrough::FollowLinks() {
    NoteLedger& ledger = forwarder_.Ledger();
    const bool input = system_.Linked(PortDirection::Input);
    // The keyboard went away (unplugged, its bridge restarted): the ends of the
    // notes and the pedal it holds will never come from it.
    if (inputLinked_ && !input && ledger.HoldsAnything())
        releasing_.store(true, std::memory_order_release);
    inputLinked_ = input;
    // Nobody listens on the output any more (a wire pulled, the synth gone): a
    // release would reach nobody, and what sounded there went with the wire.
    // Forgotten, so that each key's own note-off goes out like any other.
    if (!system_.Linked(PortDirection::Output) && !ledger.Blank()) ledger.Clear();
}

void PassThrough::EndCycle() {
    cyclesEnded_.store(cyclesEnded_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

bool PassThrough::Send(MidiWriter& out, const uint8_t* bytes, size_t length) {
    if (length > largest_) {
        // Larger than the port carries at all: never cut, counted.
        droppedLarge_.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    return out.Write(bytes, length);
}

void PassThrough::DrainRing(MidiWriter& out) {
    NoteLedger& ledger = forwarder_.Ledger();
    const auto write = [&](const ShortMessage& m) { return out.Write(m.bytes, m.length); };
    // Releases that did not fit in the last cycle come before anything else.
    if (!ledger.WritePostponed(write)) return;
    for (;;) {
        if (releasing_.load(std::memory_order_relaxed)) {
            const bool all = ledger.ReleaseAll([&](const ShortMessage& m) {
                if (!write(m)) return false;
                // A panic's releases are told in its own line.
                if (panicNext_ == kNoPanic)
                    MonitorRelease(m);
                else
                    ++panicReleased_;
                return true;
            });
            if (!all) return;  // the cycle is full: the rest next cycle
            if (forgetReleased_) ledger.Clear();
            forgetReleased_ = false;
            releasing_.store(false, std::memory_order_release);
        }
        if (panicNext_ != kNoPanic && !WritePanic(out)) return;
        OutputRing::Record record;
        if (!ring_.Front(record)) return;
        if (record.kind == OutputRing::Kind::Panic) {
            panicNext_ = 0;
            panicReleased_ = 0;
        }
        if (record.kind != OutputRing::Kind::Message) {
            forgetReleased_ = forgetReleased_ || record.kind != OutputRing::Kind::ReleaseHeld;
            releasing_.store(true, std::memory_order_relaxed);
        } else if (!Send(out, record.bytes, record.length)) {
            return;  // the cycle is full: the record waits for the next one
        }
        ring_.PopFront();
    }
}

bool PassThrough::WritePanic(MidiWriter& out) {
    constexpr int kCount = 16 * static_cast<int>(std::size(kPanicControllers));
    for (; panicNext_ < kCount; ++panicNext_) {
        const int channel = panicNext_ / static_cast<int>(std::size(kPanicControllers));
        const uint8_t controller =
            kPanicControllers[panicNext_ % static_cast<int>(std::size(kPanicControllers))];
        const ShortMessage m =
            MakeShort(midi::OnChannel(midi::kControlChange, channel), controller, 0);
        if (!out.Write(m.bytes, m.length)) return false;
    }
    MonitorPanic();
    panicNext_ = kNoPanic;
    return true;
}

void PassThrough::SendShort(MidiWriter& out, const ShortMessage& m) {
    if (m.length == 0 || Send(out, m.bytes, m.length)) return;
    // A release is never lost to a full cycle: it goes out first in the next.
    if (NoteLedger::IsRelease(m))
        forwarder_.Ledger().Postpone(m);
    else
        droppedSends_.fetch_add(1, std::memory_order_relaxed);
}

void PassThrough::Event(const uint8_t* bytes, size_t length, MidiWriter& out) {
    // Stopped ignores the message entirely; nothing is held back for
    // it, so later System Exclusive input is never blocked by it.
    if (State() != PassThroughState::Running || length == 0) return;
    // A System Exclusive event is one message, whatever bytes it carries (a
    // dump may hold bytes above 7F); short messages joined in one event are
    // forwarded one by one.
    if (bytes[0] == midi::kSystemExclusive) {
        ForwardMessage(bytes, length, out);
        return;
    }
    SplitJoinedEvents(bytes, length,
                      [&](const uint8_t* b, size_t n) { ForwardMessage(b, n, out); });
}

void PassThrough::ForwardMessage(const uint8_t* bytes, size_t length, MidiWriter& out) {
    if (bytes[0] == midi::kSystemExclusive) {
        ForwardLong(bytes, length, out);
        return;
    }
    const ShortMessage received = ReadShort(bytes, length);
    if (received.Incomplete()) {
        droppedIncomplete_.fetch_add(1, std::memory_order_relaxed);
        if (MonitorLogging()) MonitorIncomplete(received);
        return;
    }
    if (scenes_ != nullptr) {
        const TriggerMatch match = MatchTrigger(scenes_->triggers, received);
        if (match.action != TriggerMatch::Action::None) {
            ChooseScene(match);
            // Taken by the setlist, with every other message of the trigger's
            // control (a button's release): shown as received, nothing sent; a
            // program change past the last scene is shown as naming no scene.
            if (!scenes_->triggers.pass) {
                if (!MonitorLogging()) return;
                if (match.action == TriggerMatch::Action::Select &&
                    match.scene >= static_cast<int>(scenes_->tables.size()))
                    MonitorScene(match.scene, received);
                else
                    MonitorShort(received, {{}, Decision{kNoEntry, kNoNote, kByTrigger, 0}, {}});
                return;
            }
        }
    }
    const ForwardedShort f = forwarder_.ForwardShort(received);
    activity_.Fire(f.decision);
    if (f.endFirst.length != 0) {
        // The key's earlier note, ended where it sounds: a line of Ostrel's own.
        SendShort(out, f.endFirst);
        MonitorRelease(f.endFirst);
    }
    SendShort(out, f.sent);
    if (MonitorLogging()) MonitorShort(received, f);
}

void PassThrough::ForwardLong(const uint8_t* bytes, size_t length, MidiWriter& out) {
    const ForwardedLong f = forwarder_.ForwardLong(bytes, length);
    activity_.Fire(f.decision);
    const bool tooLarge = f.length > largest_;
    if (f.length != 0 && !Send(out, f.bytes, f.length))
        droppedSends_.fetch_add(1, std::memory_order_relaxed);
    if (ReceiveHook() && StartsWithDumpHeader(bytes, length)) KeepDump(bytes, length);
    if (MonitorLogging()) MonitorLong(f, bytes, length, tooLarge);
}

void PassThrough::KeepDump(const uint8_t* bytes, size_t length) {
    DumpRecord* dump = FreeSlot(dumps_);
    if (dump == nullptr) return;
    dump->length = static_cast<uint32_t>(length);
    std::memcpy(dump->bytes, bytes, std::min(length, kRecordedBytes));
    dumps_.Commit(1);
}

// Each record is built where it lies in the queue, the member of its kind made
// the live one, rather than put together on the stack and copied there.
void PassThrough::MonitorIncomplete(const ShortMessage& received) {
    if (MonitorRecord* record = BeginRecord(RecordKind::Incomplete)) {
        ::new (&record->incomplete) IncompleteRecord{received};
        CommitRecord();
    }
}

void PassThrough::MonitorShort(const ShortMessage& received, const ForwardedShort& f) {
    if (MonitorRecord* record = BeginRecord(RecordKind::Short)) {
        ::new (&record->shortMessage)
            ShortRecord{received, f.sent, f.decision, CodesOf(forwarder_.Table(), f.decision)};
        CommitRecord();
    }
}

void PassThrough::MonitorLong(const ForwardedLong& f, const uint8_t* bytes, size_t length,
                              bool tooLarge) {
    SysExBytes* kept = FreeSlot(sysExBytes_);
    if (kept == nullptr) return;
    MonitorRecord* record = BeginRecord(RecordKind::SysEx);
    if (record == nullptr) return;
    std::memcpy(kept->received, bytes, std::min(length, kRecordedBytes));
    std::memcpy(kept->sent, f.bytes, std::min(f.length, kRecordedBytes));
    ::new (&record->sysEx) SysExRecord{static_cast<uint32_t>(length),
                                       static_cast<uint32_t>(f.length),
                                       static_cast<uint16_t>(f.matchedSteps),
                                       tooLarge,
                                       f.decision,
                                       CodesOf(forwarder_.Table(), f.decision)};
    // The bytes first: the reader takes them once it sees the record.
    sysExBytes_.Commit(1);
    CommitRecord();
}

void PassThrough::MonitorRelease(const ShortMessage& sent) {
    if (!MonitorLogging()) return;
    if (MonitorRecord* record = BeginRecord(RecordKind::Released)) {
        ::new (&record->release) ReleaseRecord{sent};
        CommitRecord();
    }
}

void PassThrough::MonitorScene(int scene, const ShortMessage& asked) {
    // A switch is shown whether or not the monitor logs: the command line names each.
    if (MonitorRecord* record = BeginRecord(RecordKind::Scene)) {
        ::new (&record->scene) SceneRecord{static_cast<int16_t>(scene),
                                           static_cast<int16_t>(scenes_->tables.size()), asked};
        CommitRecord();
    }
}

void PassThrough::MonitorPanic() {
    if (!MonitorLogging()) return;
    if (MonitorRecord* record = BeginRecord(RecordKind::Panic)) {
        ::new (&record->panic) PanicRecord{static_cast<uint16_t>(panicReleased_)};
        CommitRecord();
    }
}

MonitorRecord* PassThrough::BeginRecord(RecordKind kind) {
    MonitorRecord* record = FreeSlot(records_);
    if (record == nullptr) return nullptr;
    record->kind = kind;
    record->cycleMicros = cycleMicros_;
    return record;
}

bool PassThrough::PopEvent(MonitorEvent& event) {
    if (const DumpRecord* dump = dumps_.Front()) {
        event = {};
        event.kind = MonitorEvent::Kind::ReceivedDump;
        event.time = std::time(nullptr);
        event.receivedLength = dump->length;
        std::memcpy(event.received, dump->bytes, kRecordedBytes);
        dumps_.PopFront();
        return true;
    }
    const MonitorRecord* record = records_.Front();
    if (record == nullptr) return false;
    ReadRecord(*record, event);
    // Read before the slot is given back: the MIDI thread may fill it at once.
    const uint64_t cycleMicros = record->cycleMicros;
    records_.PopFront();
    // The MIDI thread never reads the wall clock: its cycle's time, in the MIDI
    // system's clock, is turned into local time here.
    using namespace std::chrono;
    auto arrival = system_clock::now();
    const uint64_t now = cycleMicros != 0 ? system_.NowMicros() : 0;
    if (now > cycleMicros) arrival -= microseconds(now - cycleMicros);
    event.time = system_clock::to_time_t(time_point_cast<seconds>(arrival));
    return true;
}

void PassThrough::ReadRecord(const MonitorRecord& record, MonitorEvent& event) {
    // Every field but the bytes of System Exclusive, which only that kind reads.
    event.receivedLength = 0;
    event.in = event.out = {};
    event.matchedSteps = event.outLength = event.scene = event.sceneCount = 0;
    event.tooLarge = false;
    event.decision = {};
    event.codes = {};
    switch (record.kind) {
        case RecordKind::Short: {
            const ShortRecord& r = record.shortMessage;
            event.kind = MonitorEvent::Kind::ShortMessage;
            event.in = r.received;
            event.out = r.sent;
            event.decision = r.decision;
            event.codes = r.codes;
            return;
        }
        case RecordKind::Incomplete:
            event.kind = MonitorEvent::Kind::Incomplete;
            event.in = record.incomplete.received;
            return;
        case RecordKind::Released:
            event.kind = MonitorEvent::Kind::Released;
            event.out = record.release.sent;
            return;
        case RecordKind::Panic:
            event.kind = MonitorEvent::Kind::Panic;
            event.scene = record.panic.released;
            return;
        case RecordKind::Scene:
            event.kind = MonitorEvent::Kind::SceneSwitch;
            event.scene = record.scene.scene;
            event.sceneCount = record.scene.count;
            event.in = record.scene.asked;
            return;
        case RecordKind::SysEx: {
            const SysExRecord& r = record.sysEx;
            const SysExBytes* bytes = sysExBytes_.Front();
            event.kind = MonitorEvent::Kind::LongMessage;
            event.receivedLength = r.receivedLength;
            event.outLength = static_cast<int>(r.sentLength);
            event.matchedSteps = r.matchedSteps;
            event.tooLarge = r.tooLarge;
            event.decision = r.decision;
            event.codes = r.codes;
            if (bytes == nullptr) return;  // cannot be: committed before the record
            std::memcpy(event.received, bytes->received, kRecordedBytes);
            std::memcpy(event.sent, bytes->sent, kRecordedBytes);
            sysExBytes_.PopFront();
            return;
        }
    }
}

}  // namespace ostrel
