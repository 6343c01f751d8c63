#include "core/setlist.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "core/config_file.h"
#include "core/midi_bytes.h"
#include "store/display_text.h"
#include "store/hex_text.h"
#include "store/ini_file.h"
#include "store/read_file.h"

namespace ostrel {
namespace {

constexpr const char* kSetlistSection = "SETLIST";
constexpr const char* kTriggerSection = "TRIGGER";
constexpr const char* kProgramKey = "PROGRAM";
constexpr const char* kNextKey = "NEXT";
constexpr const char* kPreviousKey = "PREV";
constexpr const char* kPassKey = "PASS";

std::string FileKey(int number) { return "FILE" + std::to_string(number); }

bool ParseProgramChannel(const std::string& text, int& channel) {
    if (text.empty() || text == "###") {
        channel = SetlistTriggers::kNever;
        return true;
    }
    if (text == "***") {
        channel = SetlistTriggers::kAnyChannel;
        return true;
    }
    if (text.size() != 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    channel = std::stoi(text);
    return channel >= 1 && channel <= 16;
}

std::string ProgramText(int channel) {
    if (channel == SetlistTriggers::kNever) return "###";
    if (channel == SetlistTriggers::kAnyChannel) return "***";
    char text[8] = {};
    std::snprintf(text, sizeof text, "%03d", channel);
    return text;
}

void SetWhy(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The scene number of a key FILEn as the reader looks it up (no leading zero),
// or 0 for any other key.
long SceneNumber(std::string_view key) {
    if (key.size() < 5 || !SameName(key.substr(0, 4), "FILE") || key[4] == '0' || key.size() > 13 ||
        key.find_first_not_of("0123456789", 4) != std::string_view::npos)
        return 0;
    return std::stol(std::string(key.substr(4)));
}

// One warning that names every key the reader does not use: unknown keys,
// FILE01 (looked up as FILE1), keys given twice, scenes past the limit.
std::string UnusedKeys(const IniFile& file) {
    constexpr size_t kNamed = 10;  // the rest are counted
    std::string names;
    size_t count = 0;
    bool pastLimit = false;
    for (const IniFile::KeyLine& line : file.KeyLines()) {
        const bool setlist = SameName(line.section, kSetlistSection);
        const bool trigger = SameName(line.section, kTriggerSection);
        const long scene = setlist ? SceneNumber(line.key) : 0;
        bool known = scene >= 1 && scene <= kMaxSetlistFiles;
        for (const char* key : {kProgramKey, kNextKey, kPreviousKey, kPassKey})
            known = known || (trigger && SameName(line.key, key));
        if (known && line.found) continue;
        pastLimit = pastLimit || scene > kMaxSetlistFiles;
        if (count++ >= kNamed) continue;
        if (!names.empty()) names += ", ";
        names += setlist || trigger ? line.key : "[" + line.section + "] " + line.key;
        if (known) names += " (given again)";
    }
    if (count == 0) return "";
    if (count > kNamed) names += " and " + std::to_string(count - kNamed) + " more";
    std::string warning = "keys not used: " + names;
    if (pastLimit)
        warning += "; a setlist holds at most " + std::to_string(kMaxSetlistFiles) +
                   " scenes, FILE1 to FILE" + std::to_string(kMaxSetlistFiles);
    return warning;
}

}  // namespace

bool ParseTriggerMessage(const std::string& text, ShortMessage& message) {
    message = {};
    const std::string digits = RemoveBlanks(text);
    if (digits.empty()) return true;
    if (digits.size() % 2 != 0 || digits.size() > 6) return false;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int byte = HexPairToByte(digits[i], digits[i + 1]);
        if (byte < 0) return false;
        message.bytes[message.length++] = static_cast<uint8_t>(byte);
    }
    // A clock or a reset would switch many times a beat, or at every start:
    // a trigger is a channel message.
    if (!midi::IsStatus(message.bytes[0]) || midi::IsSystem(message.bytes[0])) return false;
    if (ShortMessageLength(message.bytes[0]) != message.length) return false;
    for (size_t i = 1; i < message.length; ++i)
        if (midi::IsStatus(message.bytes[i])) return false;
    return true;
}

TriggerMatch MatchTrigger(const SetlistTriggers& t, ShortMessage message) {
    TriggerMatch match;
    if (message.length == 0) return match;
    const uint8_t status = message.Status();
    if (t.programChannel != SetlistTriggers::kNever && message.length >= 2 &&
        midi::KindOf(status) == midi::kProgramChange &&
        (t.programChannel == SetlistTriggers::kAnyChannel ||
         midi::ChannelOf(status) + 1 == t.programChannel)) {
        match.action = TriggerMatch::Action::Select;
        match.scene = message.bytes[1] & midi::kMaxData;
        return match;
    }
    const auto same = [&](const ShortMessage& m) {
        return m.length != 0 && m.length == message.length &&
               std::equal(m.bytes, m.bytes + m.length, message.bytes);
    };
    // The rest of the trigger's control: the same status and first data byte
    // with another value (a button's release), or a trigger key's note-off.
    const auto sameControl = [&](const ShortMessage& m) {
        if (m.length < 2 || message.length < 2 || m.bytes[1] != message.bytes[1]) return false;
        if (m.bytes[0] == status) return true;
        return midi::IsNote(m.bytes[0]) && midi::IsNote(status) &&
               midi::ChannelOf(m.bytes[0]) == midi::ChannelOf(status);
    };
    if (same(t.next))
        match.action = TriggerMatch::Action::Next;
    else if (same(t.previous))
        match.action = TriggerMatch::Action::Previous;
    else if (sameControl(t.next) || sameControl(t.previous))
        match.action = TriggerMatch::Action::Control;
    return match;
}

bool ReadSetlist(const std::string& path, Setlist& setlist, std::string* why) {
    setlist = {};
    std::string text;
    // A regular file of at most 1 MB, opened without blocking; a missing one is said.
    if (!ReadStoredFile(path, text, why)) return false;
    const IniFile file = IniFile::FromText(text);
    for (int n = 1; n <= kMaxSetlistFiles; ++n) {
        std::string name = file.Get(kSetlistSection, FileKey(n), kMaxScenePathLength);
        if (!name.empty()) setlist.files.push_back(std::move(name));
    }
    SetlistTriggers& t = setlist.triggers;
    const std::string program = file.Get(kTriggerSection, kProgramKey);
    if (!ParseProgramChannel(program, t.programChannel)) {
        SetWhy(why, "PROGRAM=" + program + ": give ***, ### or 001 to 016");
        return false;
    }
    for (const auto& [key, message] :
         {std::pair{kNextKey, &t.next}, std::pair{kPreviousKey, &t.previous}}) {
        const std::string value = file.Get(kTriggerSection, key);
        if (!ParseTriggerMessage(value, *message)) {
            SetWhy(why, std::string(key) + "=" + value + ": " + kTriggerRule);
            return false;
        }
    }
    const std::string pass = file.Get(kTriggerSection, kPassKey);
    if (pass != "" && pass != "0" && pass != "1") {
        SetWhy(why, "PASS=" + pass + ": give 0 or 1");
        return false;
    }
    t.pass = pass == "1";
    setlist.warning = UnusedKeys(file);
    return true;
}

StoreResult WriteSetlist(const std::string& path, const Setlist& setlist) {
    IniFile file;
    if (file.Load(path) != StoreResult::Ok) return StoreResult::IoFailure;
    const auto set = [&](const char* section, const std::string& key, const std::string& value) {
        return file.Set(section, key, value);
    };
    for (int n = 1; n <= kMaxSetlistFiles; ++n) {
        const size_t i = static_cast<size_t>(n - 1);
        // Numbers beyond the list that an older version of the file has are emptied.
        if (i >= setlist.files.size() && !file.Has(kSetlistSection, FileKey(n))) continue;
        const StoreResult r =
            file.Set(kSetlistSection, FileKey(n), i < setlist.files.size() ? setlist.files[i] : "",
                     kMaxScenePathLength);
        if (r != StoreResult::Ok) return r;
    }
    const SetlistTriggers& t = setlist.triggers;
    const std::pair<const char*, std::string> triggers[] = {
        {kProgramKey, ProgramText(t.programChannel)},
        {kNextKey, FormatHexLine(t.next.bytes, t.next.length)},
        {kPreviousKey, FormatHexLine(t.previous.bytes, t.previous.length)},
        {kPassKey, t.pass ? "1" : "0"},
    };
    for (const auto& [key, value] : triggers) {
        const StoreResult r = set(kTriggerSection, key, value);
        if (r != StoreResult::Ok) return r;
    }
    return file.Save(path);
}

std::string ScenePath(const std::string& setlistPath, const std::string& file) {
    const std::filesystem::path name(file);
    if (name.is_absolute()) return file;
    return (std::filesystem::path(setlistPath).parent_path() / name).string();
}

std::string SceneNumber(int index, int count) {
    return std::to_string(index + 1) + "/" + std::to_string(count);
}

std::string SceneName(int index, int count, const std::string& file) {
    std::string name = "scene " + SceneNumber(index, count);
    if (!file.empty()) name += ": " + file;
    return name;
}

bool LoadSetlist(const std::string& path, LoadedSetlist& loaded, std::string* why) {
    loaded = {};
    Setlist setlist;
    if (!ReadSetlist(path, setlist, why)) return false;
    loaded.triggers = setlist.triggers;
    loaded.warning = setlist.warning;
    for (const std::string& file : setlist.files) {
        // Read into a table of its own: a file that fails leaves nothing behind.
        auto table = std::make_unique<AssignmentTable>();
        std::string failed;
        if (ReadConfig(ScenePath(path, file).c_str(), *table, &failed) == StoreResult::Ok) {
            loaded.scenes.push_back({file, std::move(table)});
            continue;
        }
        // A setlist written on Windows names its files in Windows-1252; copied
        // from there, the files themselves are named in UTF-8.
        if (const std::string converted = DisplayText(file); converted != file) {
            auto again = std::make_unique<AssignmentTable>();
            if (ReadConfig(ScenePath(path, converted).c_str(), *again) == StoreResult::Ok) {
                loaded.scenes.push_back({converted, std::move(again)});
                continue;
            }
        }
        loaded.skipped.push_back(EscapedText(file) + ": " + failed);
    }
    return true;
}

}  // namespace ostrel
