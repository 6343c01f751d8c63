#include "bench/lv2_filter_host.h"

#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>

#include <cmath>

namespace ostrel::bench {

namespace {

// A lilv node freed when it goes out of scope.
class Node {
  public:
    Node(LilvWorld* world, const char* uri) : node_(lilv_new_uri(world, uri)) {}
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node() { lilv_node_free(node_); }
    const LilvNode* get() const { return node_; }

  private:
    LilvNode* node_;
};

}  // namespace

LV2_URID Lv2FilterHost::Map(LV2_URID_Map_Handle handle, const char* uri) {
    auto& urids = static_cast<Lv2FilterHost*>(handle)->urids_;
    return urids.try_emplace(uri, static_cast<LV2_URID>(urids.size() + 1)).first->second;
}

Lv2FilterHost::Lv2FilterHost(const std::string& uri) : world_(lilv_world_new()) {
    lilv_world_load_all(world_);
    const Node pluginUri(world_, uri.c_str());
    const LilvPlugin* plugin =
        lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), pluginUri.get());
    if (plugin == nullptr) {
        error_ = "LV2 plugin " + uri + " is not installed";
        return;
    }
    lv2_atom_forge_init(&forge_, &map_);
    midiEvent_ = Map(this, LV2_MIDI__MidiEvent);
    chunk_ = Map(this, LV2_ATOM__Chunk);
    sequence_ = Map(this, LV2_ATOM__Sequence);
    const LV2_Feature mapFeature{LV2_URID__map, &map_};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    LilvInstance* instance = lilv_plugin_instantiate(plugin, kSampleRate, features);
    if (instance == nullptr) {
        error_ = "LV2 plugin " + uri + " could not be instantiated";
        return;
    }

    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    std::vector<float> minimum(ports), maximum(ports);
    controls_.resize(ports);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), controls_.data());
    const Node atomPort(world_, LV2_ATOM__AtomPort);
    const Node controlPort(world_, LV2_CORE__ControlPort);
    const Node inputPort(world_, LV2_CORE__InputPort);
    for (uint32_t p = 0; p < ports; ++p) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
        if (lilv_port_is_a(plugin, port, atomPort.get())) {
            const bool input = lilv_port_is_a(plugin, port, inputPort.get());
            lilv_instance_connect_port(instance, p, input ? in_.data() : out_.data());
        } else if (lilv_port_is_a(plugin, port, controlPort.get())) {
            // A port without a default starts at its minimum, or 0 without one.
            if (std::isnan(controls_[p])) controls_[p] = std::isnan(minimum[p]) ? 0 : minimum[p];
            lilv_instance_connect_port(instance, p, &controls_[p]);
        } else {
            error_ = "LV2 plugin " + uri + " has a port that is neither MIDI nor control";
            lilv_instance_free(instance);
            return;
        }
    }
    lilv_instance_activate(instance);
    instance_ = instance;
}

Lv2FilterHost::~Lv2FilterHost() {
    if (instance_ != nullptr) {
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
    lilv_world_free(world_);
}

void Lv2FilterHost::FillCycle(const std::vector<Message>& stream, size_t* next, int count) {
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<uint8_t*>(in_.data()), kBufferBytes);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
    for (int frame = 0; frame < count; ++frame) {
        const Message& m = stream[*next];
        lv2_atom_forge_frame_time(&forge_, frame);
        lv2_atom_forge_atom(&forge_, static_cast<uint32_t>(m.size()), midiEvent_);
        lv2_atom_forge_write(&forge_, m.data(), static_cast<uint32_t>(m.size()));
        if (++*next == stream.size()) *next = 0;
    }
    lv2_atom_forge_pop(&forge_, &sequence);
    // An output sequence starts as a chunk of the buffer's whole capacity.
    auto* out = reinterpret_cast<LV2_Atom*>(out_.data());
    out->size = kBufferBytes - sizeof(LV2_Atom);
    out->type = chunk_;
}

void Lv2FilterHost::Run(uint32_t frames) { lilv_instance_run(instance_, frames); }

int Lv2FilterHost::EventsOut() const {
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(out_.data());
    if (sequence->atom.type != sequence_) return 0;
    int events = 0;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) { ++events; }
    return events;
}

}  // namespace ostrel::bench
