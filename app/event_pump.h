#pragma once
// The one place where the window takes records off the pass-through's queue. A
// timer on the window's thread drains the queue in batches and hands monitor
// entries to the monitor window and received dumps to the dump receive dialog,
// so the two never take each other's records. The MIDI thread only pushes and
// never waits for the window.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "midi/pass_through.h"

namespace ostrel {

// Where the monitor's entries go: each entry as the pump takes it, unformatted
// so that the receiver formats only what it shows, then the end of the batch.
class MonitorReceiver {
  public:
    virtual ~MonitorReceiver() = default;
    virtual void AddEvent(const MonitorEvent& event, bool explain) = 0;
    // A line made already (a scene switch named by its file, a loss).
    virtual void AddLine(const QString& line) = 0;
    virtual void EndBatch() = 0;
};

class EventPump : public QObject {
    Q_OBJECT
  public:
    // Takes one record off the queue; false when it is empty.
    using Source = std::function<bool(MonitorEvent&)>;
    // What the pass-through has lost so far, by cause.
    using LossCounter = std::function<Losses()>;
    // Receives the lines of one batch, each ending with a line feed.
    using LineSink = std::function<void(const QStringList& lines)>;
    using DumpSink = std::function<void(const MonitorEvent& dump)>;
    // Receives each short message received (learning a trigger).
    using MessageSink = std::function<void(ShortMessage message)>;
    // The file of a scene of the open setlist, for the monitor's scene lines.
    using SceneNames = std::function<std::string(int scene)>;

    // Reads the pass-through's queue.
    explicit EventPump(PassThrough& passThrough, QObject* parent = nullptr);
    // Reads any source (tests).
    EventPump(Source source, LossCounter lost, QObject* parent = nullptr);
    ~EventPump() override;

    // The monitor window while it is open; null unregisters. While no one
    // listens the timer sleeps; records that arrive for no one are dropped.
    void SetMonitorReceiver(MonitorReceiver* receiver);
    // The same, with each batch's lines formatted; an empty function unregisters.
    void SetMonitorSink(LineSink sink);
    void SetDumpSink(DumpSink sink);
    // While set, each short message that the monitor's records carry goes here
    // too (the pass-through queues them only while monitor logging is on).
    void SetMessageSink(MessageSink sink);
    void SetSceneNames(SceneNames names) { sceneNames_ = std::move(names); }
    // Monitor lines name the entries that decided each message (from the next batch on).
    void SetMonitorExplain(bool on) { explain_ = on; }
    bool HasMonitorSink() const { return monitor_ != nullptr; }

    // Takes what the queue holds now (at most kMaxPerDrain records) and hands it on.
    // Returns the number of records taken.
    int Drain();

    // Ten times a second, as often as the monitor shows its lines (MonitorFeed):
    // the queue (8192 records) holds 200 ms at 40,000 messages a second.
    static constexpr int kIntervalMs = 100;
    // A bound per tick, so that a dense stream never keeps the window from painting.
    static constexpr int kMaxPerDrain = 8192;

  private:
    class LineCollector;
    void UpdateTimer();

    Source source_;
    LossCounter lost_;
    Losses lostSeen_;
    MonitorReceiver* monitor_ = nullptr;
    std::unique_ptr<LineCollector> lineCollector_;  // behind SetMonitorSink
    bool explain_ = false;
    DumpSink dumpSink_;
    MessageSink messageSink_;
    SceneNames sceneNames_;
    QTimer timer_;
};

}  // namespace ostrel
