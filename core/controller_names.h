#pragma once
// The names of the 128 MIDI controller numbers, as the window's lists show them
// and as ostrel-cli prints them beside a number.

namespace ostrel {

// Name of controller number 0..127 as the lists show it (some end in a blank);
// "Undefined" for any other number.
const char* ControllerName(int number);

}  // namespace ostrel
