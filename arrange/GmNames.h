// Instrument names of the General MIDI program numbers, for the report.
#pragma once

namespace kelvane::arrange {

// The General MIDI name of program 0-127 ("Acoustic Grand Piano").
const char* GmProgramName(int program);

// The name of a drum kit chosen by a program change on a drum channel.
const char* GmDrumKitName(int program);

}  // namespace kelvane::arrange
