// Brisklane's own addition to the platform, not a Windows API: what the user
// is to be told about the machine this process runs on, so that a stand-in
// machine is never mistaken for the real computer.
#pragma once

#include <string>

// Texts are UTF-8 and English, for the program to translate; a text may hold
// "%1", which stands for Detail (never translated).
struct BRISKLANE_MACHINE_DESCRIPTION {
  std::string Name;    // what the machine is, for the About box
  std::string Notice;  // what the main window always shows; empty on a real machine
  std::string Detail;  // put in for "%1", for example the name of a simulated laptop
};

// Describes the current machine, making it first when the process has none.
// Throws std::runtime_error naming the fault when the machine cannot be made
// (an unknown kind, an unreadable machine description): call it before any
// window, to stop start-up with that message.
BRISKLANE_MACHINE_DESCRIPTION BrisklaneDescribeMachine();
