#include "midi/monitor_tap.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ostrel {
namespace {

// Received dumps waiting for the receive dialog.
constexpr size_t kDumpCapacity = 16;

}  // namespace

MonitorTap::MonitorTap(const MidiSystem& system, size_t capacity)
    : system_(system),
      records_(capacity),
      // System Exclusive comes far more rarely than short messages, dumps
      // more rarely still.
      sysExBytes_(std::max<size_t>(capacity / 8, 4)),
      dumps_(kDumpCapacity) {}

void MonitorTap::Long(const uint8_t* bytes, size_t length, const uint8_t* sent, size_t sentLength,
                      int matchedSteps, bool tooLarge, const Decision& decision) {
    SysExBytes* kept = FreeSlot(sysExBytes_);
    if (kept == nullptr) return;
    MonitorRecord* record = Begin(RecordKind::SysEx);
    if (record == nullptr) return;
    std::memcpy(kept->received, bytes, std::min(length, kRecordedBytes));
    // Most go out as they came: their bytes are kept once.
    const bool asReceived = sent == bytes;
    if (!asReceived) std::memcpy(kept->sent, sent, std::min(sentLength, kRecordedBytes));
    ::new (&record->sysEx) SysExRecord{static_cast<uint32_t>(length),
                                       static_cast<uint32_t>(sentLength),
                                       static_cast<uint16_t>(matchedSteps),
                                       tooLarge,
                                       asReceived,
                                       decision};
    sysExBytes_.Stage();
    records_.Stage();
}

void MonitorTap::Incomplete(const ShortMessage& received) {
    if (MonitorRecord* record = Begin(RecordKind::Incomplete)) {
        ::new (&record->incomplete) IncompleteRecord{received};
        records_.Stage();
    }
}

void MonitorTap::Release(const ShortMessage& sent) {
    if (MonitorRecord* record = Begin(RecordKind::Released)) {
        ::new (&record->release) ReleaseRecord{sent};
        records_.Stage();
    }
}

void MonitorTap::Scene(int scene, int count, const ShortMessage& asked) {
    if (MonitorRecord* record = Begin(RecordKind::Scene)) {
        ::new (&record->scene)
            SceneRecord{static_cast<int16_t>(scene), static_cast<int16_t>(count), asked};
        records_.Stage();
    }
}

void MonitorTap::Panic(int released) {
    if (MonitorRecord* record = Begin(RecordKind::Panic)) {
        ::new (&record->panic) PanicRecord{static_cast<uint16_t>(released)};
        records_.Stage();
    }
}

void MonitorTap::KeepDump(const uint8_t* bytes, size_t length) {
    DumpRecord* dump = FreeSlot(dumps_);
    if (dump == nullptr) return;
    dump->length = static_cast<uint32_t>(length);
    std::memcpy(dump->bytes, bytes, std::min(length, kRecordedBytes));
    dumps_.Stage();
}

std::time_t MonitorTap::LocalTime(uint64_t cycleMicros) {
    using namespace std::chrono;
    // The clocks are read once a drain, and again only for a record of a cycle
    // that began after that reading.
    if (!clocksRead_ || cycleMicros > systemNow_) {
        wallNow_ = system_clock::now();
        systemNow_ = system_.NowMicros();
        clocksRead_ = true;
    }
    // The MIDI thread never reads the wall clock: its cycle's time, in the MIDI
    // system's clock, is turned into local time here.
    auto arrival = wallNow_;
    if (cycleMicros != 0 && systemNow_ > cycleMicros)
        arrival -= microseconds(systemNow_ - cycleMicros);
    lastCycle_ = cycleMicros;
    lastTime_ = system_clock::to_time_t(time_point_cast<seconds>(arrival));
    return lastTime_;
}

bool MonitorTap::Pop(MonitorEvent& event) {
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
    if (record == nullptr) {
        clocksRead_ = false;  // the drain is over
        return false;
    }
    Read(*record, event);
    // Read before the slot is given back: the MIDI thread may fill it at once.
    const uint64_t cycleMicros = record->cycleMicros;
    records_.PopFront();
    // The records of one cycle share its time.
    event.time = clocksRead_ && cycleMicros == lastCycle_ ? lastTime_ : LocalTime(cycleMicros);
    return true;
}

void MonitorTap::Read(const MonitorRecord& record, MonitorEvent& event) {
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
            if (bytes == nullptr) return;  // cannot be: committed before the record
            std::memcpy(event.received, bytes->received, kRecordedBytes);
            std::memcpy(event.sent, r.sentAsReceived ? bytes->received : bytes->sent,
                        kRecordedBytes);
            sysExBytes_.PopFront();
            return;
        }
    }
}

}  // namespace ostrel
