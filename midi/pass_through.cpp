#include "midi/pass_through.h"

#include <algorithm>
#include <cstring>

#include "midi/short_message.h"
#include "sysex/dump_header.h"

namespace ostrel {
namespace {

// The first four bytes of a buffer as a packed short message, lowest byte first.
uint32_t PackFour(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

}  // namespace

PassThrough::PassThrough(const AssignmentTable& table, const CurrentCurves& curves,
                         MidiServices& services, size_t eventCapacity)
    : services_(services), engine_(table, curves), events_(eventCapacity) {}

PassThrough::~PassThrough() {
    Stop();
    CloseInput();
    CloseOutput();
}

bool PassThrough::OpenInput(int deviceIndex, std::string* why) {
    CloseInput();
    input_ = services_.OpenInput(deviceIndex, *this, why);
    return input_ != nullptr;
}

void PassThrough::CloseInput() {
    // Destroying the port waits until the MIDI system no longer calls us.
    input_.reset();
}

bool PassThrough::OpenOutput(int deviceIndex, std::string* why) {
    CloseOutput();
    std::unique_ptr<MidiOutputPort> port = services_.OpenOutput(deviceIndex, why);
    if (!port) return false;
    gate_.Exchange(std::move(port));
    return true;
}

void PassThrough::CloseOutput() {
    // The old port is destroyed outside the gate: closing may wait for the MIDI
    // system to send what it still holds.
    std::unique_ptr<MidiOutputPort> old = gate_.Exchange(nullptr);
    old.reset();
}

void PassThrough::ReopenBoth(int inputIndex, int outputIndex) {
    CloseInput();
    OpenInput(inputIndex);
    CloseOutput();
    OpenOutput(outputIndex);
}

void PassThrough::SendLong(const uint8_t* bytes, size_t length) {
    if (length == 0) return;
    gate_.SendLongFromOtherThread(bytes, length);
}

void PassThrough::OnMidiMessage(const uint8_t* bytes, size_t length) {
    // Stopped and Loading ignore the message entirely. Nothing is held back for
    // it, so later System Exclusive input is never blocked by it.
    if (State() != PassThroughState::Running || length == 0) return;
    if (bytes[0] == 0xF0)
        HandleLong(bytes, length);
    else
        HandleShort(bytes, length);
}

void PassThrough::HandleShort(const uint8_t* bytes, size_t length) {
    const uint32_t packedIn = PackShort(bytes, length);
    std::memset(message_, 0, sizeof message_);
    std::memset(work_, 0, sizeof work_);
    for (int i = 0; i < 4; ++i) message_[i] = PackedByte(packedIn, i);
    const TranslateResult result = engine_.TranslateMessage(message_, 4, work_);

    uint32_t packedOut = packedIn;
    if (result.changedCount != 0) packedOut = result.outLength != 0 ? PackFour(work_) : 0;
    if (packedOut != 0) gate_.SendShortFromMidi(packedOut);

    if (!MonitorLogging()) return;
    if (MonitorEvent* event = BeginEvent(MonitorEvent::Kind::ShortMessage, std::time(nullptr))) {
        event->receivedLength = static_cast<uint32_t>(length);
        event->packedIn = packedIn;
        event->packedOut = packedOut;
        event->changedCount = result.changedCount;
        event->outLength = result.outLength;
        events_.Commit(1);
    }
}

void PassThrough::HandleLong(const uint8_t* bytes, size_t length) {
    // Recognition looks at the first 256 bytes; a longer message that nothing
    // changed still goes out whole.
    const size_t head = std::min<size_t>(length, kMessageBufferSize);
    std::memset(message_, 0, sizeof message_);
    std::memset(work_, 0, sizeof work_);
    std::memcpy(message_, bytes, head);
    const TranslateResult result =
        engine_.TranslateMessage(message_, static_cast<int>(head), work_);

    // What goes out, and what the monitor shows as sent.
    const uint8_t* sent = work_;
    size_t sentLength = static_cast<size_t>(std::max(result.outLength, 0));
    if (result.changedCount == 0) {
        sent = bytes;
        sentLength = length;
        gate_.SendLongFromMidi(bytes, length);
    } else if (sentLength == 0) {
        // suppressed
    } else if (work_[0] == 0xF0) {
        // A copy of the first 256 bytes of a longer message is the message itself.
        if (length > head && sentLength == head && std::memcmp(work_, bytes, head) == 0) {
            sent = bytes;
            sentLength = length;
        }
        gate_.SendLongFromMidi(sent, sentLength);
    } else {
        // A System Exclusive message turned into a control change (master volume).
        const uint32_t packed = PackFour(work_);
        if (packed != 0) gate_.SendShortFromMidi(packed);
    }

    const std::time_t now = std::time(nullptr);
    if (ReceiveHook() && StartsWithDumpHeader(bytes, length)) {
        if (MonitorEvent* event = BeginEvent(MonitorEvent::Kind::ReceivedDump, now)) {
            event->receivedLength = static_cast<uint32_t>(length);
            std::memcpy(event->received, bytes, head);
            events_.Commit(1);
        }
    }
    if (!MonitorLogging()) return;
    if (MonitorEvent* event = BeginEvent(MonitorEvent::Kind::LongMessage, now)) {
        event->receivedLength = static_cast<uint32_t>(length);
        std::memcpy(event->received, bytes, head);
        event->changedCount = result.changedCount;
        event->outLength = result.changedCount == 0 ? 0 : static_cast<int>(sentLength);
        std::memcpy(event->sent, sent, std::min<size_t>(sentLength, sizeof event->sent));
        events_.Commit(1);
    }
}

MonitorEvent* PassThrough::BeginEvent(MonitorEvent::Kind kind, std::time_t now) {
    if (events_.FreeSlots() == 0) {
        droppedEvents_.fetch_add(1, std::memory_order_relaxed);
        return nullptr;
    }
    MonitorEvent& event = events_.SlotAhead(0);
    event.kind = kind;
    event.time = now;
    event.receivedLength = 0;
    event.packedIn = 0;
    event.packedOut = 0;
    event.changedCount = 0;
    event.outLength = 0;
    return &event;
}

}  // namespace ostrel
