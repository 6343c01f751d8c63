#pragma once
// The live pass-through: owns the input and output ports, translates every
// message that arrives while Running and sends it on at once. Monitor entries and
// received dumps leave the MIDI thread through a bounded lock-free queue that the
// window (or the command line) drains; nothing on the MIDI path waits or allocates.
//
// CONTRACT for the window and the command line (implemented in midi/):
//   PassThrough(table, curves, services)  -- services: the MIDI system (RtMidi or a fake)
//   SetState / State                      -- PassThroughState, atomic
//   OpenInput(i) / CloseInput() / OpenOutput(i) / CloseOutput() / ReopenBoth(in, out)
//   IsInputOpen() / IsOutputOpen()
//   SendLong(bytes, n)                    -- one System Exclusive message, from the GUI thread
//   SetMonitorLogging(bool)               -- the monitor window is open and logging
//   SetReceiveHook(bool)                  -- the dump receive dialog is open
//   PopEvent(MonitorEvent&)               -- consumer side of the queue (one consumer thread)
//   DroppedEvents()                       -- entries lost because the queue was full
// and in midi/monitor_line.h:
//   std::string FormatMonitorLine(const MonitorEvent&)  -- the line text, time first
//   std::string FormatDumpText(const MonitorEvent&)     -- "F0 00 5A ... F7 " upper case
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "curves/current_curve.h"
#include "midi/midi_services.h"
#include "midi/output_gate.h"
#include "midi/pass_through_state.h"
#include "midi/spsc_queue.h"

namespace ostrel {

// One record of the queue, fixed size. A monitor entry carries what was received
// (up to 256 bytes shown, the real length kept) and what was sent; a dump entry
// carries the received bytes for the receive dialog.
struct MonitorEvent {
    enum class Kind : uint8_t { ShortMessage, LongMessage, ReceivedDump };
    Kind kind = Kind::ShortMessage;
    std::time_t time = 0;         // local time of arrival
    uint32_t receivedLength = 0;  // real length of the message (may exceed 256)
    uint32_t packedIn = 0;        // short: received bytes, lowest byte first
    uint32_t packedOut = 0;       // short: sent bytes (0 when suppressed)
    int changedCount = 0;         // long: 0 = no change
    int outLength = 0;            // long: sent length (0 = suppressed)
    uint8_t received[256] = {};   // long / dump: first 256 received bytes
    uint8_t sent[256] = {};       // long: first outLength bytes of the work buffer
};

class PassThrough final : private MidiInputHandler {
  public:
    static constexpr size_t kDefaultEventCapacity = 2048;

    PassThrough(const AssignmentTable& table, const CurrentCurves& curves, MidiServices& services,
                size_t eventCapacity = kDefaultEventCapacity);
    // Stopped, input closed, output closed.
    ~PassThrough() override;
    PassThrough(const PassThrough&) = delete;
    PassThrough& operator=(const PassThrough&) = delete;

    // Start and Stop change only the state; the ports stay open.
    void SetState(PassThroughState state) { state_.store(state, std::memory_order_release); }
    PassThroughState State() const { return state_.load(std::memory_order_acquire); }
    void Start() { SetState(PassThroughState::Running); }
    void Stop() { SetState(PassThroughState::Stopped); }

    // Opening closes the port first if it is open. A port that cannot be opened
    // stays closed: false, with the reason in *why if given.
    bool OpenInput(int deviceIndex, std::string* why = nullptr);
    void CloseInput();
    bool OpenOutput(int deviceIndex, std::string* why = nullptr);
    void CloseOutput();
    // Close input, open input, close output, open output, in this order.
    void ReopenBoth(int inputIndex, int outputIndex);
    bool IsInputOpen() const { return input_ != nullptr; }
    bool IsOutputOpen() const { return gate_.HasPort(); }

    // One System Exclusive message from the window's thread (or the command
    // line); waits at most for one send of the MIDI thread. Nothing is sent while
    // the output is closed.
    void SendLong(const uint8_t* bytes, size_t length);

    void SetMonitorLogging(bool on) { monitorLogging_.store(on, std::memory_order_release); }
    bool MonitorLogging() const { return monitorLogging_.load(std::memory_order_acquire); }
    void SetReceiveHook(bool on) { receiveHook_.store(on, std::memory_order_release); }
    bool ReceiveHook() const { return receiveHook_.load(std::memory_order_acquire); }

    // Consumer side of the event queue: one consumer thread.
    bool PopEvent(MonitorEvent& event) { return events_.TryPop(event); }
    // Monitor entries and received dumps lost because the queue was full.
    uint64_t DroppedEvents() const { return droppedEvents_.load(std::memory_order_relaxed); }
    // Messages lost because the window held the output while the queue of
    // waiting output was full.
    uint64_t DroppedSends() const { return gate_.DroppedSends(); }

    // The input callback: the MIDI system calls it for every message of the open
    // input port. Tests drive it through a fake input port.
    void OnMidiMessage(const uint8_t* bytes, size_t length) override;

  private:
    void HandleShort(const uint8_t* bytes, size_t length);
    void HandleLong(const uint8_t* bytes, size_t length);
    // A free record of the event queue to fill, or null (counted as dropped).
    MonitorEvent* BeginEvent(MonitorEvent::Kind kind, std::time_t now);

    MidiServices& services_;
    TranslationEngine engine_;  // MIDI thread only
    std::atomic<PassThroughState> state_{PassThroughState::Stopped};
    std::atomic<bool> monitorLogging_{false};
    std::atomic<bool> receiveHook_{false};
    std::atomic<uint64_t> droppedEvents_{0};
    std::unique_ptr<MidiInputPort> input_;  // window thread only
    OutputGate gate_;
    SpscQueue<MonitorEvent> events_;  // producer: MIDI thread; consumer: window
    // The message and work buffers of the callback, cleared for every message.
    uint8_t message_[kMessageBufferSize] = {};
    uint8_t work_[kMessageBufferSize] = {};
};

}  // namespace ostrel
