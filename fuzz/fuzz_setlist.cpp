// Reading a setlist of any content with its scenes: no crash, every trigger a
// channel message, at most 999 scenes, and what was read survives writing the
// setlist again and reading it back.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/setlist.h"
#include "fuzz_inputs.h"

namespace {

using ostrel::fuzz::Check;

const std::string& Folder() {
    static const std::string folder = [] {
        // Memory-backed when possible: every save syncs its file to disk.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/ostrel-fuzz-setlist-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        if (!made) std::abort();
        // One scene that can be read, for names that reach it.
        FILE* scene = std::fopen((std::string(made) + "/a.cfg").c_str(), "wb");
        if (!scene) std::abort();
        std::fputs("[KNOB01]\nDATA=007\n", scene);
        std::fclose(scene);
        return std::string(made);
    }();
    return folder;
}

void CheckTrigger(const ostrel::ShortMessage& m) {
    Check(m.length <= 3);
    Check(m.length == 0 || (m.bytes[0] >= 0x80 && m.bytes[0] < 0xF0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "/fuzz.setlist";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    ostrel::LoadedSetlist loaded;
    ostrel::Setlist setlist;
    const bool read = ostrel::ReadSetlist(path, setlist);
    Check(ostrel::LoadSetlist(path, loaded) == read);
    if (!read) return 0;
    Check(setlist.files.size() <= static_cast<size_t>(ostrel::kMaxSetlistFiles));
    Check(loaded.scenes.size() + loaded.skipped.size() == setlist.files.size());
    CheckTrigger(setlist.triggers.next);
    CheckTrigger(setlist.triggers.previous);
    const int program = setlist.triggers.programChannel;
    Check(program >= ostrel::SetlistTriggers::kNever && program <= 16);
    for (const uint8_t status : {0xC0, 0xB0, 0xF8, 0xFF})
        ostrel::MatchTrigger(setlist.triggers, ostrel::MakeShort(status, 0x76, 0x7F));

    // Written again, it reads back the same; names that a file cannot hold (a
    // line break) are refused instead.
    const std::string copy = Folder() + "/copy.setlist";
    std::remove(copy.c_str());
    if (ostrel::WriteSetlist(copy, setlist) != ostrel::StoreResult::Ok) return 0;
    ostrel::Setlist again;
    Check(ostrel::ReadSetlist(copy, again));
    Check(again.files == setlist.files);
    Check(again.triggers == setlist.triggers);
    return 0;
}
