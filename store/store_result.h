#pragma once
// Outcome of writing to the settings file, a configuration file or another file
// the program stores.

namespace ostrel {

enum class StoreResult {
    Ok,
    TooLong,      // the text does not fit the 256-byte buffers: refused, nothing written
    IoFailure,    // the file could not be written (or could not be read before a change)
    InvalidText,  // a value with a line break, or a name the file cannot hold: refused
};

}  // namespace ostrel
