// Opening a document or URL with the desktop's default application, and starting a program.
//
// The real backend starts `xdg-open TARGET` (or the program) and does not wait for it; a
// failure to start it is reported through a close-on-exec pipe, so "started" means the
// program really runs. A local file that does not exist fails before anything starts. The
// recorder backend, chosen with SPRALLION_SHELL=record:FILE (tests always choose it), makes
// the same check and then appends each target as one line to FILE instead, so that a test
// process and a component it loaded record to the same place.
#pragma once

#include <string>

namespace platform::shell {

// Answers as the system's shell did: above 32 when started, else the error.
inline constexpr int kShellStarted = 42;
inline constexpr int SE_ERR_FNF = 2;            // the file or program does not exist
inline constexpr int SE_ERR_ACCESSDENIED = 5;   // it may not be run
inline constexpr int SE_ERR_OOM = 8;            // no process could be made
inline constexpr int SE_ERR_NOASSOC = 31;       // no program to open it with

// Opens a URL (anything with a scheme, "mailto:" included) or a local file or folder.
int ShellExecute(const std::string& target);
// Starts a program (looked up in PATH) with one argument.
int ShellExecuteProgram(const std::string& program, const std::string& argument);
// The system's text for an answer of 32 or below.
std::string ShellErrorText(int code);

// True when the request was handed on (the opener started, or the target recorded).
inline bool ShellOpen(const std::string& target) { return ShellExecute(target) > 32; }

}  // namespace platform::shell
