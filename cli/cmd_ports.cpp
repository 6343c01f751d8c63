// ostrel-cli ports: the MIDI ports a device can be chosen from, by full name
// with the number that --in and --out also take, as the device dialog lists them.
#include <cstdio>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "midi/device_list.h"

namespace ostrel::cli {
namespace {

int RunPorts(int argc, char** argv);
const Command kPorts = {"ports", "ports [--name NAME]", &RunPorts};

int RunPorts(int argc, char** argv) {
    const char* name = kDefaultClientName;
    if (const auto exit = Options(kPorts).Value("--name", name, ClientNameCheck).Parse(argc, argv))
        return *exit;
    MidiSession session;
    std::string why;
    if (!session.Join(name, why)) return RuntimeError(why);
    std::printf("MIDI SYSTEM %s\n", session.link.system->Name());
    std::printf("MIDI IN DEVICE\n");
    for (const std::string& entry :
         DeviceListEntries(session.link.keeper->Devices(PortDirection::Input)))
        std::printf("%s\n", entry.c_str());
    std::printf("MIDI OUT DEVICE\n");
    for (const std::string& entry :
         DeviceListEntries(session.link.keeper->Devices(PortDirection::Output)))
        std::printf("%s\n", entry.c_str());
    return 0;
}

const Registration kRegistration(kPorts);

}  // namespace
}  // namespace ostrel::cli
