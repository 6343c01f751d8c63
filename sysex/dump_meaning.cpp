#include "sysex/dump_meaning.h"

#include <cstdio>

#include "core/control_steps.h"
#include "core/controller_names.h"
#include "core/midi_bytes.h"
#include "curves/current_curve.h"

namespace ostrel {
namespace {

// The box on the main form that belongs to each control of the dump, and the
// channel it sends on: the faders send on channels 1 to 8, one each, as the
// VOL01 to VOL08 entries expect them; every other control on the keyboard's
// channel 1. In the order of kDumpFields.
struct DumpControl {
    Entry own;
    uint8_t channel;
};
constexpr int kKeyboardChannel = 0;
// clang-format off
constexpr std::array<DumpControl, kDumpFieldCount> kDumpControls = {{
    {Entry::SUSTAIN, kKeyboardChannel}, {Entry::BC, kKeyboardChannel},
    {Entry::KNOB01, kKeyboardChannel}, {Entry::KNOB02, kKeyboardChannel},
    {Entry::KNOB03, kKeyboardChannel}, {Entry::KNOB04, kKeyboardChannel},
    {Entry::KNOB05, kKeyboardChannel}, {Entry::KNOB06, kKeyboardChannel},
    {Entry::KNOB07, kKeyboardChannel}, {Entry::KNOB08, kKeyboardChannel},
    {Entry::VOLM, kKeyboardChannel},
    {Entry::VOL01, 0}, {Entry::VOL02, 1}, {Entry::VOL03, 2}, {Entry::VOL04, 3},
    {Entry::VOL05, 4}, {Entry::VOL06, 5}, {Entry::VOL07, 6}, {Entry::VOL08, 7},
}};
// clang-format on

// The value the probing control change carries: recognition never depends on it.
constexpr uint8_t kProbeValue = 64;

// Whether the entry's control is one that the engine knows by a control change.
// The Tempo knob's entry knows only the timing clock: no controller number
// makes it recognise Knob8, so Knob8 cannot leave it.
bool KnownByControlChange(Entry e) {
    for (const ControlStep& step : kControlSteps) {
        if (step.entry != e) continue;
        return step.sends == Sends::ControlChange || step.sends == Sends::ControlChangeOn ||
               step.sends == Sends::MasterVolume;
    }
    return false;
}

// What a controller that changes more of the synth than one sound does to it,
// or null for every other number.
const char* SynthStateChange(int controller) {
    switch (controller) {
        case 0:
        case 32:
            return "bank select";
        case 120:
            return "all sound off";
        case 121:
            return "reset all controllers";
        case 122:
            return "local control";
        case 123:
            return "all notes off";
        case 124:
        case 125:
        case 126:
        case 127:
            return "a mode change";
        default:
            return nullptr;
    }
}

// The controller number of what goes out, or -1 when nothing or no control
// change goes out.
int OutgoingController(const DumpLine& line) {
    const ShortMessage& out = line.translated.message;
    return out.length == 3 && midi::IsControlChange(out.Status()) ? out.bytes[1] : -1;
}

DumpLine ReadLine(const uint8_t* bytes, size_t length, int index, TranslationEngine& engine) {
    DumpLine line;
    line.field = &kDumpFields[index];
    line.own = kDumpControls[index].own;
    line.channel = kDumpControls[index].channel;
    line.number = ReadDumpField(bytes, length, *line.field).value_or(-1);
    if (line.number < 0 || line.number > midi::kMaxData) {
        line.marks = kNoNumber;
        return line;
    }

    line.sent = MakeShort(midi::OnChannel(midi::kControlChange, line.channel),
                          static_cast<uint8_t>(line.number), kProbeValue);
    line.translated = engine.TranslateMessage(line.sent);
    const int8_t entry = line.translated.decision.entry;
    const int own = static_cast<int>(line.own);
    if (entry != own && KnownByControlChange(line.own)) line.marks |= kLeavesOwnEntry;
    if (entry != kNoEntry && entry != own) line.marks |= kTakenByOtherEntry;
    if (SynthStateChange(OutgoingController(line))) line.marks |= kChangesSynthState;
    return line;
}

// The name as the lists show it, without the blank some end in.
std::string TrimmedName(const char* name) {
    std::string s = name;
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string ActionOf(const DumpLine& line) {
    if (line.number < 0) return "not in the dump";
    if (line.number > midi::kMaxData) return "not a controller number";
    const ShortMessage& out = line.translated.message;
    if (out.length == 0) return "suppressed";
    std::string action;
    if (line.translated.decision.entry == kNoEntry)
        action = "not recognised: passes unchanged";
    else if (OutgoingController(line) == line.number)
        action = "passed";
    else
        action = "replaced by controller " + std::to_string(OutgoingController(line));
    const int outChannel = midi::ChannelOf(out.Status());
    if (outChannel != line.channel) action += ", on channel " + std::to_string(outChannel + 1);
    return action;
}

std::string MarksOf(const DumpLine& line) {
    if (line.marks & kNoNumber) return "the dump sets no controller number for it";
    std::string marks;
    const std::string own = EntryName(line.own);
    const std::string other =
        line.marks & kTakenByOtherEntry ? EntryName(EntryAt(line.translated.decision.entry)) : "";
    if ((line.marks & kLeavesOwnEntry) && (line.marks & kTakenByOtherEntry))
        marks = other + " acts on it, not its own " + own;
    else if (line.marks & kLeavesOwnEntry)
        marks = "its own " + own + " no longer acts on it";
    else if (line.marks & kTakenByOtherEntry)
        marks = other + " acts on it, another control's entry";
    if (line.marks & kChangesSynthState) {
        if (!marks.empty()) marks += "; ";
        marks +=
            std::string(SynthStateChange(OutgoingController(line))) + " changes the synth's state";
    }
    return marks;
}

}  // namespace

DumpMeaning ReadDumpMeaning(const uint8_t* bytes, size_t length, const AssignmentTable& table) {
    // Straight curves: they only ever change notes and aftertouch.
    const CurrentCurves curves;
    TranslationEngine engine(table, curves);
    DumpMeaning meaning;
    for (int i = 0; i < kDumpFieldCount; ++i) meaning[i] = ReadLine(bytes, length, i, engine);
    return meaning;
}

bool AnyMarked(const DumpMeaning& meaning) {
    for (const DumpLine& line : meaning)
        if (line.marks != 0) return true;
    return false;
}

DumpLineTexts DescribeDumpLine(const DumpLine& line) {
    DumpLineTexts t;
    t.control = line.field ? line.field->label : "";
    t.channel = std::to_string(line.channel + 1);
    t.action = ActionOf(line);
    if (line.sent.length != 0) {
        char number[4];
        std::snprintf(number, sizeof number, "%03d", line.number);
        t.sends = number;
        t.controller = TrimmedName(ControllerName(line.number));
    }
    if (line.translated.decision.entry != kNoEntry)
        t.entry = EntryName(EntryAt(line.translated.decision.entry));
    t.marks = MarksOf(line);
    return t;
}

std::string DumpLineText(const DumpLine& line) {
    const DumpLineTexts t = DescribeDumpLine(line);
    char columns[160];
    std::snprintf(columns, sizeof columns, "%-8s %-3s  ch %-2s  %-8s  %-32s  %s", t.control.c_str(),
                  t.sends.empty() ? "---" : t.sends.c_str(), t.channel.c_str(),
                  t.entry.empty() ? "-" : t.entry.c_str(), t.action.c_str(), t.controller.c_str());
    std::string text = columns;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!t.marks.empty()) text += "  ! " + t.marks;
    return text;
}

}  // namespace ostrel
