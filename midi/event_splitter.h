#pragma once
// Every message stands alone. A MIDI library that assembles System Exclusive
// messages may glue an event that never ended (F0 without F7: a keyboard reset
// or unplugged in the middle of a dump) to the events after it, and a sender
// may put several short messages in one event (a note-on and the note-off of
// another key). This takes such a block apart: the unterminated System
// Exclusive part as it came, then each message, one by one; a message cut
// short at the end comes as what is there, and stray data bytes are skipped.
#include <cstddef>
#include <cstdint>

#include "core/short_message.h"

namespace ostrel {

template <typename Emit>
void SplitJoinedEvents(const uint8_t* bytes, size_t length, Emit&& emit) {
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
        // Its data bytes, as many as its status implies, up to the next status.
        const size_t wanted = static_cast<size_t>(ShortMessageLength(status));
        size_t n = 1;
        while (n < wanted && i + n < length && !midi::IsStatus(bytes[i + n])) ++n;
        emit(bytes + i, n);
        i += n;
    }
}

}  // namespace ostrel
