// Starting a program in the background, as the system's shell does with a hidden window:
// the program runs in a session of its own with its standard streams on /dev/null, inherits
// none of our descriptors (everything from 3 up is closed in the child) and gets the default
// signal mask and handlers. Nobody waits for it: a thread of ours reaps it when it ends, so no
// zombie stays behind.
//
// With SPRALLION_SHELL=record:FILE (tests) nothing starts: the program and its arguments are
// appended to FILE as one line, separated by blanks, after the same check that the program
// exists.
#pragma once

#include <string>
#include <vector>

namespace platform::shell {

// Answers like the system's shell: above 32 when the program started; 2 when it does not
// exist, 5 when it may not be run, 8 when no process could be made. A program without a '/'
// is looked up in PATH.
int StartHidden(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform::shell
