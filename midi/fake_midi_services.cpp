#include "midi/fake_midi_services.h"

#include "midi/short_message.h"

namespace ostrel {

class FakeMidiServices::InputPort final : public MidiInputPort {
  public:
    explicit InputPort(FakeMidiServices& owner) : owner_(owner) {}
    ~InputPort() override {
        owner_.handler_ = nullptr;
        owner_.openInput_ = -1;
    }

  private:
    FakeMidiServices& owner_;
};

class FakeMidiServices::OutputPort final : public MidiOutputPort {
  public:
    explicit OutputPort(FakeMidiServices& owner) : owner_(owner) {}
    ~OutputPort() override { owner_.openOutput_ = -1; }

    void SendShort(uint32_t packed) override {
        const uint8_t bytes[3] = {PackedByte(packed, 0), PackedByte(packed, 1),
                                  PackedByte(packed, 2)};
        const int length = ShortMessageLength(bytes[0]);
        if (length > 0) owner_.Record(true, bytes, static_cast<size_t>(length));
    }
    void SendLong(const uint8_t* bytes, size_t length) override {
        owner_.Record(false, bytes, length);
    }

  private:
    FakeMidiServices& owner_;
};

FakeMidiServices::FakeMidiServices(std::vector<std::string> inputs,
                                   std::vector<std::string> outputs)
    : inputs_(std::move(inputs)), outputs_(std::move(outputs)) {}

std::unique_ptr<MidiInputPort> FakeMidiServices::OpenInput(int index, MidiInputHandler& handler,
                                                           std::string* why) {
    if (index < 0 || index >= static_cast<int>(inputs_.size()) || handler_ != nullptr) {
        if (why) *why = "no such input device: " + std::to_string(index);
        return nullptr;
    }
    handler_ = &handler;
    openInput_ = index;
    ++inputOpens_;
    return std::make_unique<InputPort>(*this);
}

std::unique_ptr<MidiOutputPort> FakeMidiServices::OpenOutput(int index, std::string* why) {
    if (index < 0 || index >= static_cast<int>(outputs_.size()) || openOutput_ >= 0) {
        if (why) *why = "no such output device: " + std::to_string(index);
        return nullptr;
    }
    openOutput_ = index;
    ++outputOpens_;
    return std::make_unique<OutputPort>(*this);
}

bool FakeMidiServices::Deliver(const std::vector<uint8_t>& bytes) {
    if (handler_ == nullptr) return false;
    handler_->OnMidiMessage(bytes.data(), bytes.size());
    return true;
}

void FakeMidiServices::Record(bool isShort, const uint8_t* bytes, size_t length) {
    if (sending_.fetch_add(1) != 0) overlaps_.fetch_add(1);
    sent_.push_back(SentMessage{isShort, std::vector<uint8_t>(bytes, bytes + length)});
    sending_.fetch_sub(1);
}

}  // namespace ostrel
