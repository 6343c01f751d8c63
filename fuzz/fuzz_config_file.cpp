// Loading a configuration file of any content, then translating with the table
// it gave: no crash, and the codes a list offers survive saving it again.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/assignment_table.h"
#include "core/config_file.h"
#include "core/translation_engine.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        // Memory-backed when possible: every save syncs its file to disk.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/ostrel-fuzz-cfg-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "/fuzz.cfg";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    ostrel::AssignmentTable table;
    table.Set(ostrel::Entry::KNOB01, "001");  // must be replaced by the file or its default
    ostrel::ReadConfig(path.c_str(), table);

    ostrel::CurrentCurves curves;
    ostrel::TranslationEngine engine(table, curves);
    const uint8_t messages[][3] = {{0xB0, 0x4A, 0x40}, {0x90, 0x3C, 0x40}, {0xF2, 0x10, 0x00},
                                   {0xD0, 0x20, 0x00}, {0xC0, 0x05, 0x00}, {0xF8, 0x00, 0x00}};
    for (const auto& m : messages) {
        uint8_t message[ostrel::kMessageBufferSize] = {};
        uint8_t work[ostrel::kMessageBufferSize] = {};
        std::memcpy(message, m, 3);
        const ostrel::TranslateResult r = engine.TranslateMessage(message, 4, work);
        if (r.outLength != 0 && r.outLength != 4) std::abort();
    }
    // Saving what was read must work and read back the same. A full file is slow
    // to save and read under the sanitizers, so only every eighth input size does.
    if (size % 8 != 0) return 0;
    const std::string copy = Folder() + "/copy.cfg";
    std::remove(copy.c_str());
    if (ostrel::WriteConfig(copy.c_str(), table) == ostrel::StoreResult::Ok) {
        ostrel::AssignmentTable again;
        ostrel::ReadConfig(copy.c_str(), again);
        // Codes the lists offer survive a save and a load unchanged.
        for (int i = 0; i < ostrel::kEntryCount; ++i) {
            const ostrel::Entry e = ostrel::EntryAt(i);
            const ostrel::AssignmentCode code = table.Get(e);
            if ((code.IsOff() || code.IsNoChange() || code.IsDigits()) && !(code == again.Get(e)))
                std::abort();
        }
        for (int n = 0; n < 255; ++n) {
            const ostrel::AssignmentCode code = table.GetNote(n);
            if ((code.IsOff() || code.IsNoChange() || code.IsDigits()) &&
                !(code == again.GetNote(n)))
                std::abort();
        }
    }
    return 0;
}
