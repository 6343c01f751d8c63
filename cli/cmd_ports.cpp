// ostrel-cli ports: the MIDI input and output devices, as the device dialog lists them.
#include <cstdio>

#include "cli/command.h"
#include "midi/device_list.h"
#include "midi/midi_services.h"

namespace ostrel::cli {
namespace {

int RunPorts(int argc, char** argv);
const Command kPorts = {"ports", "ports", &RunPorts};

int RunPorts(int argc, char** argv) {
    if (WantsHelp(kPorts, argc, argv)) return 0;
    if (argc > 1) return UsageError(kPorts, std::string("unexpected argument '") + argv[1] + "'");
    std::unique_ptr<MidiServices> services = CreateSystemMidiServices();
    std::printf("MIDI IN DEVICE\n");
    for (const std::string& entry : DeviceListEntries(services->InputDeviceNames()))
        std::printf("%s\n", entry.c_str());
    std::printf("MIDI OUT DEVICE\n");
    for (const std::string& entry : DeviceListEntries(services->OutputDeviceNames()))
        std::printf("%s\n", entry.c_str());
    return 0;
}

const Registration kRegistration(kPorts);

}  // namespace
}  // namespace ostrel::cli
