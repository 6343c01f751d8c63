#pragma once
// A small LV2 host for one MIDI filter plugin, as a plugin host runs it: found
// by its URI among the installed plugins, instantiated at 48 kHz with the URID
// map, its MIDI input and output connected to atom sequence buffers and each
// control port to its default value. The bench sets its cost per message
// beside Ostrel's over the same stream.
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/mixed_stream_messages.h"

namespace ostrel::bench {

class Lv2FilterHost {
  public:
    static constexpr double kSampleRate = 48000;

    // Loads the plugin; on failure Ready() is false and Error() says why.
    explicit Lv2FilterHost(const std::string& uri);
    Lv2FilterHost(const Lv2FilterHost&) = delete;
    Lv2FilterHost& operator=(const Lv2FilterHost&) = delete;
    ~Lv2FilterHost();

    bool Ready() const { return instance_ != nullptr; }
    const std::string& Error() const { return error_; }

    // The next cycle's input: count messages of the stream from *next on (one
    // a frame, wrapping round), *next moved past them; and an empty output.
    void FillCycle(const std::vector<Message>& stream, size_t* next, int count);
    // One cycle of the plugin over `frames` frames.
    void Run(uint32_t frames);
    // Events the plugin wrote in the last cycle (0 when it wrote no sequence).
    int EventsOut() const;

  private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri);

    // Each URI gets the next number, from 1 on (0 is no URID).
    std::unordered_map<std::string, LV2_URID> urids_;
    LV2_URID_Map map_{this, &Lv2FilterHost::Map};
    LV2_Atom_Forge forge_{};
    LV2_URID midiEvent_ = 0;
    LV2_URID chunk_ = 0;
    LV2_URID sequence_ = 0;

    // Atom sequences, 8-byte aligned as LV2 asks.
    static constexpr size_t kBufferBytes = 64 * 1024;
    std::vector<uint64_t> in_ = std::vector<uint64_t>(kBufferBytes / sizeof(uint64_t));
    std::vector<uint64_t> out_ = std::vector<uint64_t>(kBufferBytes / sizeof(uint64_t));
    std::vector<float> controls_;

    LilvWorld* world_ = nullptr;
    LilvInstance* instance_ = nullptr;
    std::string error_;
};

}  // namespace ostrel::bench
