#include "cli/midi_session.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "cli/quoted_text.h"
#include "midi/device_list.h"
#include "midi/remembered_ports.h"
#include "store/ini_settings.h"

namespace ostrel::cli {

bool IsPortArgument(const char* text) {
    int index = 0;
    return ParseDeviceIndex(text, index) || (std::strchr(text, ':') != nullptr && text[0] != ':');
}

const char* DirectionWord(PortDirection direction) {
    return direction == PortDirection::Input ? "input" : "output";
}

namespace {
const char* OptionName(PortDirection direction) {
    return direction == PortDirection::Input ? "--in" : "--out";
}
}  // namespace

bool RemembersPort(PortDirection direction) {
    CIniSettings settings;
    return settings.InitPath() && ostrel::RemembersPort(settings, direction);
}

std::string NoPortChosen(PortDirection direction) {
    return std::string("no MIDI ") + DirectionWord(direction) + " port chosen: give " +
           OptionName(direction) + ", or choose one in the window";
}

Options::Check PortCheck(PortDirection direction) {
    return [direction](const char* value) {
        if (IsPortArgument(value)) return std::string();
        return std::string("bad ") + DirectionWord(direction) + " port " + QuoteText(value);
    };
}

std::string ClientNameCheck(const char* value) {
    const size_t length = std::strlen(value);
    if (length <= kMaxClientNameLength) return "";
    return "--name is longer than " + std::to_string(kMaxClientNameLength) + " bytes (" +
           std::to_string(length) + " given), the longest client name of the MIDI graph";
}

bool MidiSession::Join(const std::string& clientName, std::string& why, bool* built) {
    if (built) *built = false;
    std::unique_ptr<MidiSystem> system = CreateSystemMidi(&why);
    if (!system) return false;
    link.Link(std::move(system), table, curves, clientName);
    if (built) *built = true;
    std::string reason;
    if (link.Join(&reason)) return true;
    why = std::string("cannot join the ") + link.system->Name() + " MIDI graph: " + reason;
    return false;
}

bool MidiSession::Resolve(PortDirection direction, const std::string& text, std::string& device,
                          std::string& why) {
    int index = 0;
    if (!ParseDeviceIndex(text.c_str(), index)) {
        if (text.find(':') == std::string::npos) {
            why = std::string("bad ") + DirectionWord(direction) + " port '" + text +
                  "': give a full port name (client:port) or its number";
            return false;
        }
        // A port of another kind (audio) would never connect: said now, not
        // waited for as a port that is not there yet.
        const std::string kind = link.system->KindOfOtherPort(text);
        if (!kind.empty()) {
            why = text + " is " + kind + ", not a MIDI port: give a MIDI " +
                  DirectionWord(direction) + " port (ostrel-cli ports lists them)";
            return false;
        }
        device = text;
        return true;
    }
    if (index < 0) {
        device.clear();
        return true;
    }
    const std::vector<std::string> devices = link.keeper->Devices(direction);
    if (index >= static_cast<int>(devices.size())) {
        why = std::string("no MIDI ") + DirectionWord(direction) + " port " + text + " (" +
              std::to_string(devices.size()) + " listed by ostrel-cli ports)";
        return false;
    }
    device = devices[static_cast<size_t>(index)];
    return true;
}

bool MidiSession::JoinWithPort(PortDirection direction, const char* option, std::string& why) {
    if (!Join(kDefaultClientName, why)) return false;
    std::string device;
    if (option != nullptr && !Resolve(direction, option, device, why)) return false;
    if (option == nullptr) device = Remembered(direction);
    const std::string word = DirectionWord(direction);
    if (device.empty()) {
        if (option != nullptr)
            why = "no MIDI " + word + " port chosen (" + OptionName(direction) + " " + option + ")";
        else
            why = "the MIDI " + word + " port that Ostrel.ini remembers by its number is not " +
                  "listed; give " + OptionName(direction);
        return false;
    }
    std::string reason;
    if (link.keeper->Choose(direction, device, &reason) && link.keeper->Connected(direction))
        return true;
    why = "MIDI " + word + " " + device +
          " not connected: " + (reason.empty() ? std::string("no such port") : reason);
    return false;
}

std::string MidiSession::Remembered(PortDirection direction) {
    CIniSettings settings;
    if (!settings.InitPath()) return "";
    const std::string problem = settings.ReadProblem();
    if (!problem.empty() && !toldSettingsProblem_) {
        // Said once for both directions: nothing is remembered then.
        toldSettingsProblem_ = true;
        std::fprintf(stderr, "ostrel-cli: cannot read the settings file %s: %s\n", settings.Path(),
                     problem.c_str());
    }
    return ReadRememberedPort(settings, direction, link.keeper->Devices(direction));
}

}  // namespace ostrel::cli
