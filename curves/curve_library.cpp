#include "curves/curve_library.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "store/ini_file.h"
#include "store/ini_settings.h"
#include "store/settings_keys.h"

namespace ostrel {
namespace {

// The file's NUMS held to what the slots can take.
int ClampCount(int nums) { return nums < 0 ? 0 : (nums > kCurveSlots ? kCurveSlots : nums); }

// At most 255 bytes, not ending inside a UTF-8 character.
std::string CutName(const char* name) {
    std::string s = name ? name : "";
    if (s.size() <= static_cast<size_t>(kCurveNameSize - 1)) return s;
    size_t n = kCurveNameSize - 1;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

void SetName(CurveRecord& record, const std::string& name) {
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, name.data(), name.size() < 255 ? name.size() : 255);
}

void AddPointWrites(std::vector<CIniSettings::ValueWrite>& writes, const char* section, int index,
                    const CurveRecord& r) {
    writes.push_back({section, CurveEntryKey(kCurveFirstXStem, index), std::to_string(r.firstX)});
    writes.push_back({section, CurveEntryKey(kCurveFirstYStem, index), std::to_string(r.firstY)});
    writes.push_back({section, CurveEntryKey(kCurveSecondXStem, index), std::to_string(r.secondX)});
    writes.push_back({section, CurveEntryKey(kCurveSecondYStem, index), std::to_string(r.secondY)});
}

CurveStoreResult FromStore(StoreResult r) {
    switch (r) {
        case StoreResult::Ok:
            return CurveStoreResult::Ok;
        case StoreResult::InvalidText:
            return CurveStoreResult::InvalidName;
        default:
            return CurveStoreResult::WriteFailure;
    }
}

int ReadFileInt(const IniFile& file, const char* section, const std::string& key) {
    return ParseIntLikeAtoi(file.Get(section, key));
}

}  // namespace

std::string CurveItemText(int index, const char* name) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d     -- ", index);
    return std::string(prefix) + (name ? name : "");
}

const char* CurveSection(CurveKind kind) {
    return kind == CurveKind::Velocity ? kVelocityCurvesSection : kTouchCurvesSection;
}

CurveId CurveId::ForIndex(int index) {
    CurveId id;
    char text[16];
    std::snprintf(text, sizeof text, "%03d", index);
    std::memcpy(id.text, text, 3);  // indices 0..98 always give three digits
    id.text[3] = '\0';
    return id;
}

CurveId CurveId::FromText(const char* text) {
    CurveId id;
    std::memset(id.text, 0, sizeof id.text);
    for (int i = 0; i < 3 && text && text[i]; ++i) id.text[i] = text[i];
    return id;
}

bool CurveId::IsDefault() const { return std::memcmp(text, "***", 4) == 0; }

int CurveId::Index() const { return ParseIntLikeAtoi(std::string_view(text, strnlen(text, 3))); }

bool CurveId::operator==(const CurveId& o) const { return std::memcmp(text, o.text, 4) == 0; }

void LoadCurveLibraries(const CIniSettings& settings, CurveLibraries& libraries,
                        CurrentCurves& curves) {
    libraries.Clear();
    curves.Reset();
    const IniFile file = settings.Snapshot();  // one read for some five hundred values

    for (CurveKind kind : {CurveKind::Velocity, CurveKind::Touch}) {
        const char* section = CurveSection(kind);
        CurveLibrary& library = libraries.Of(kind);
        library.count = ClampCount(ReadFileInt(file, section, kCurveCountKey));
        for (int i = 0; i < library.count; ++i) {
            CurveRecord& r = library.entries[i];
            SetName(r, file.Get(section, CurveEntryKey(kCurveNameStem, i)));
            r.firstX = ReadFileInt(file, section, CurveEntryKey(kCurveFirstXStem, i));
            r.firstY = ReadFileInt(file, section, CurveEntryKey(kCurveFirstYStem, i));
            r.secondX = ReadFileInt(file, section, CurveEntryKey(kCurveSecondXStem, i));
            r.secondY = ReadFileInt(file, section, CurveEntryKey(kCurveSecondYStem, i));
        }
    }

    // Start points: each kind's live in a section of their own.
    const struct {
        CurveKind kind;
        const char* section;
    } starts[] = {{CurveKind::Velocity, kVelocityStartSection},
                  {CurveKind::Touch, kTouchStartSection}};
    for (const auto& s : starts)
        curves.Of(s.kind).SetPoints(
            ReadFileInt(file, s.section, kStartX0Key), ReadFileInt(file, s.section, kStartY0Key),
            ReadFileInt(file, s.section, kStartX1Key), ReadFileInt(file, s.section, kStartY1Key));
}

CurveId CurveChoiceIn(const CurveLibrary& library, const char* code) {
    const std::string_view text(code ? code : "", code ? strnlen(code, 3) : 0);
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return CurveId::Default();
    const int index = ParseIntLikeAtoi(text);
    return index < library.count ? CurveId::ForIndex(index) : CurveId::Default();
}

void SelectCurve(CurveKind kind, const CurveId& id, const CurveLibraries& libraries,
                 CurrentCurves& curves) {
    CurrentCurve& current = curves.Of(kind);
    const CurveLibrary& library = libraries.Of(kind);
    const CurveId choice = CurveChoiceIn(library, id.text);
    if (choice.IsDefault()) {
        current.SetDefault();
        return;
    }
    const CurveRecord& r = library.entries[choice.Index()];
    current.SetPoints(r.firstX, r.firstY, r.secondX, r.secondY);
}

int ReadCurveCount(const CIniSettings& settings, CurveKind kind) {
    return ClampCount(settings.ReadInt(CurveSection(kind), kCurveCountKey));
}

std::vector<std::string> ReadCurveNames(const CIniSettings& settings, CurveKind kind) {
    const IniFile file = settings.Snapshot();
    const char* section = CurveSection(kind);
    const int count = ClampCount(ReadFileInt(file, section, kCurveCountKey));
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(file.Get(section, CurveEntryKey(kCurveNameStem, i)));
    return names;
}

AddCurveOutcome AddCurve(CurveKind kind, const char* name, int32_t firstX, int32_t firstY,
                         int32_t secondX, int32_t secondY, CIniSettings& settings,
                         CurveLibraries& libraries) {
    const char* section = CurveSection(kind);
    const int n = ClampCount(settings.ReadInt(section, kCurveCountKey));
    if (n >= kCurveSlots) return {CurveStoreResult::LibraryFull, -1};

    CurveRecord record;
    const std::string cut = CutName(name);
    SetName(record, cut);
    record.firstX = firstX;
    record.firstY = firstY;
    record.secondX = secondX;
    record.secondY = secondY;

    std::vector<CIniSettings::ValueWrite> writes;
    writes.push_back({section, CurveEntryKey(kCurveNameStem, n), cut});
    AddPointWrites(writes, section, n, record);
    writes.push_back({section, kCurveCountKey, std::to_string(n + 1)});
    const StoreResult r = settings.WriteValues(writes);
    if (r != StoreResult::Ok) return {FromStore(r), -1};

    CurveLibrary& library = libraries.Of(kind);
    library.entries[n] = record;
    library.count = n + 1;
    return {CurveStoreResult::Ok, n};
}

CurveStoreResult OverwriteCurve(CurveKind kind, int index, int32_t firstX, int32_t firstY,
                                int32_t secondX, int32_t secondY, CIniSettings& settings,
                                CurveLibraries& libraries) {
    CurveLibrary& library = libraries.Of(kind);
    if (index < 0 || index >= library.count) return CurveStoreResult::NoSuchEntry;
    CurveRecord record = library.entries[index];
    record.firstX = firstX;
    record.firstY = firstY;
    record.secondX = secondX;
    record.secondY = secondY;

    std::vector<CIniSettings::ValueWrite> writes;
    AddPointWrites(writes, CurveSection(kind), index, record);
    const StoreResult r = settings.WriteValues(writes);
    if (r != StoreResult::Ok) return FromStore(r);
    library.entries[index] = record;
    return CurveStoreResult::Ok;
}

CurveStoreResult DeleteCurve(CurveKind kind, int index, CIniSettings& settings,
                             CurveLibraries& libraries) {
    const char* section = CurveSection(kind);
    const int c = ClampCount(settings.ReadInt(section, kCurveCountKey)) - 1;
    if (index < 0 || index > c) return CurveStoreResult::NoSuchEntry;

    CurveLibrary& library = libraries.Of(kind);
    CurveLibrary moved = library;  // changed only once the file has taken it
    std::vector<CIniSettings::ValueWrite> writes;
    writes.push_back({section, kCurveCountKey, std::to_string(c)});
    for (int j = index; j < c; ++j) {
        moved.entries[j] = moved.entries[j + 1];
        writes.push_back({section, CurveEntryKey(kCurveNameStem, j), moved.entries[j].name});
        AddPointWrites(writes, section, j, moved.entries[j]);
    }
    const StoreResult r = settings.WriteValues(writes);
    if (r != StoreResult::Ok) return FromStore(r);
    moved.count = c;
    library = moved;
    return CurveStoreResult::Ok;
}

}  // namespace ostrel
