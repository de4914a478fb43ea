// The settings file's place in the program: read at start-up, written by Quit. The file format
// itself is in settings_file.h.
#pragma once

#include "core/settings_file.h"

namespace quorvanta {

// Reads the settings of programDirectory into program.storedPositions.
void readSettings();

// Asks the toolkit where the four windows stand and writes the settings file; a failure is said
// on the console.
void saveSettings();

// The Quit operation: saves the settings, switches the toolkit's help back on, ends the process
// with exit status 0.
[[noreturn]] void quitProgram();

}  // namespace quorvanta
