// ostrel-cli ports: the MIDI ports a device can be chosen from, by full name
// with the number that --in and --out also take, as the device dialog lists them.
#include <cstdio>
#include <cstring>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "midi/device_list.h"

namespace ostrel::cli {
namespace {

int RunPorts(int argc, char** argv);
const Command kPorts = {"ports", "ports [--name NAME]", &RunPorts};

int RunPorts(int argc, char** argv) {
    if (WantsHelp(kPorts, argc, argv)) return 0;
    std::string name = kDefaultClientName;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--name") == 0 && i + 1 < argc)
            name = argv[++i];
        else
            return UsageError(kPorts, std::string("unexpected argument '") + argv[i] + "'");
    }
    MidiSession session;
    std::string why;
    if (!session.Join(name, why)) return RuntimeError(why);
    std::printf("MIDI SYSTEM %s\n", session.system->Name());
    std::printf("MIDI IN DEVICE\n");
    for (const std::string& entry :
         DeviceListEntries(session.keeper->Devices(PortDirection::Input)))
        std::printf("%s\n", entry.c_str());
    std::printf("MIDI OUT DEVICE\n");
    for (const std::string& entry :
         DeviceListEntries(session.keeper->Devices(PortDirection::Output)))
        std::printf("%s\n", entry.c_str());
    return 0;
}

const Registration kRegistration(kPorts);

}  // namespace
}  // namespace ostrel::cli
