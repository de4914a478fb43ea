// Start-up, the message loop and window set-up.
#pragma once

namespace quorvanta {

inline constexpr const char* kDatabaseFileName = "/wavelength.dat";

// The program's entry: prepares everything once, then runs the message loop for the rest of the
// process's life. A second call returns at once.
void Entry();

// Entry's preparation without the loop: clears the program-wide state (once per process), then,
// unless it has run before, registers the names, initialises the program, creates and sets up the
// windows and installs the pointer filter. Returns false when it had run before.
bool startUp();

// Clears every program-wide variable; startUp does this once, tests before each case.
void clearProgramState();

// Display size, console, help, start values, working directory, settings and database.
void initialiseProgram();
// The start values of the view, the database's extremes and the flags, in table order.
void assignStartValues();
// Loads programDirectory + "/wavelength.dat", or the built-in catalogue when there is none there.
void loadDatabase();

// Titles, hiding of the three secondary windows, background colours, then the program's picture.
void windowSetUp();

// One pass of the message loop: the first drawing at the start of the third pass, then one
// message.
void messageLoopPass();

}  // namespace quorvanta
