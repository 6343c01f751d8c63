#include "midi/midi_link.h"

#include <utility>

namespace ostrel {

MidiLink::MidiLink(std::unique_ptr<MidiSystem> midi, AssignmentTable& table,
                   const CurrentCurves& curves, const std::string& clientName) {
    Link(std::move(midi), table, curves, clientName);
}

MidiLink::~MidiLink() { Unlink(); }

void MidiLink::Link(std::unique_ptr<MidiSystem> midi, AssignmentTable& table,
                    const CurrentCurves& curves, const std::string& clientName) {
    Unlink();
    system = std::move(midi);
    passThrough = std::make_unique<PassThrough>(table, curves, *system);
    keeper = std::make_unique<PortKeeper>(*system, *passThrough, clientName);
}

bool MidiLink::Join(std::string* why) {
    std::string reason;
    if (keeper->Start(&reason)) return true;
    if (why != nullptr) *why = reason + NoMidiSystemHint(*system);
    return false;
}

void MidiLink::Unlink() {
    keeper.reset();
    passThrough.reset();
    system.reset();
}

}  // namespace ostrel
