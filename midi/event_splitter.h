#pragma once
// Every input event stands alone. A MIDI library that assembles System
// Exclusive messages may glue an event that never ended (F0 without F7: a
// keyboard reset or unplugged in the middle of a dump) to the events after it.
// This takes such a block apart again: the unterminated System Exclusive part
// as it came, then each message that followed, one by one.
#include <cstddef>
#include <cstdint>

#include "midi/short_message.h"

namespace ostrel {

template <typename Emit>
void SplitJoinedEvents(const uint8_t* bytes, size_t length, Emit&& emit) {
    if (length == 0) return;
    if (bytes[0] != midi::kSystemExclusive) {
        emit(bytes, length);
        return;
    }
    size_t i = 0;
    while (i < length) {
        const uint8_t status = bytes[i];
        if (status == midi::kSystemExclusive) {
            size_t end = i + 1;
            while (end < length && !midi::IsStatus(bytes[end])) ++end;
            if (end < length && bytes[end] == midi::kEndOfExclusive) ++end;  // complete: F0 ... F7
            emit(bytes + i, end - i);
            i = end;
            continue;
        }
        if (!midi::IsStatus(status) || status == midi::kEndOfExclusive) {
            ++i;  // a stray data byte or end mark belongs to no message
            continue;
        }
        size_t n = static_cast<size_t>(ShortMessageLength(status));
        if (n > length - i) n = length - i;
        emit(bytes + i, n);
        i += n;
    }
}

}  // namespace ostrel
