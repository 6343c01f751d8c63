#pragma once
// What the MIDI thread tells the window about the events of a cycle: one record
// shape per kind, each holding only what its kind carries. A short message, the
// busiest kind, fills less than a cache line; the bytes of a System Exclusive
// message travel beside its record in a queue of their own, and received dumps
// in another, so that a busy monitor never loses a dump. Filled on the MIDI
// thread, read where the records are turned into lines (MonitorEvent).
#include <cstdint>

#include "core/decision.h"
#include "core/short_message.h"

namespace ostrel {

// How many bytes of a System Exclusive message a record keeps (the monitor
// shows no more; the message itself goes out whole).
inline constexpr size_t kRecordedBytes = 256;

// A short message received, and what was sent for it (length 0: nothing, as
// when it was suppressed or taken as a trigger), with the entries that decided
// (their codes are looked up when the line is shown).
struct ShortRecord {
    ShortMessage received;
    ShortMessage sent;
    Decision decision;
};

// A short message that came without all its data bytes, not sent.
struct IncompleteRecord {
    ShortMessage received;
};

// What Ostrel sent on its own to end a held note or pedal.
struct ReleaseRecord {
    ShortMessage sent;
};

// A panic went out: how many held notes and pedals it released first, then
// all sound off, reset all controllers and all notes off on every channel.
struct PanicRecord {
    uint16_t released;
};

// The scene in force from this cycle on, and how many scenes there are; or a
// program change (asked) that named a scene past the last one (scene).
struct SceneRecord {
    int16_t scene;
    int16_t count;
    ShortMessage asked;  // length 0 for a switch
};

// A System Exclusive message: its real lengths, and what decided. Its first
// bytes are in the SysExBytes record queued with it.
struct SysExRecord {
    uint32_t receivedLength;
    uint32_t sentLength;    // what went out (a control change when one replaced it); 0: nothing
    uint16_t matchedSteps;  // 0: it went out unchanged
    bool tooLarge;          // not sent: larger than the output port carries
    bool sentAsReceived;    // what went out is the received bytes (not kept twice)
    Decision decision;
};

struct SysExBytes {
    uint8_t received[kRecordedBytes];
    uint8_t sent[kRecordedBytes];
};

// A received bulk dump for the receive dialog: its real length and first bytes.
struct DumpRecord {
    uint32_t length = 0;
    uint8_t bytes[kRecordedBytes] = {};
};

enum class RecordKind : uint8_t { Short, SysEx, Released, Incomplete, Scene, Panic };

// One entry of the monitor queue, in the order of the events.
struct MonitorRecord {
    MonitorRecord() : shortMessage{} {}

    uint64_t cycleMicros = 0;  // when its cycle began (MidiSystem::CycleMicros)
    union {
        ShortRecord shortMessage;
        SysExRecord sysEx;
        ReleaseRecord release;
        IncompleteRecord incomplete;
        SceneRecord scene;
        PanicRecord panic;
    };
    RecordKind kind = RecordKind::Short;
};
static_assert(sizeof(MonitorRecord) <= 32);

}  // namespace ostrel
