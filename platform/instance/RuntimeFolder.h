// The per-user folder where running copies of the game meet: the instance lock and the
// message sockets of every copy live there.
//
// "sprallion-<uid>" in the system's temporary folder "/tmp", whatever the environment says
// (XDG_RUNTIME_DIR and TMPDIR differ between a desktop session, a terminal and a launcher, and
// copies that looked in different folders would both run); SPRALLION_RUNTIME_DIR, when set,
// takes its place (tests). The folder is made with mode 0700 when missing; an existing one must
// be a real folder (not a link) owned by the user, and is closed to others when it is not
// already. One made by another user is refused: the game then runs without the single-instance
// check rather than meet others' copies there.
#pragma once

#include <string>

namespace platform::instance {

// The folder's path without a trailing '/'; "" when no usable folder exists, with the
// reason in `error` when given.
std::string RuntimeFolder(std::string* error = nullptr);

// Where the folder is, without making or checking it.
std::string RuntimeFolderPath();

// Checks (and makes when missing) one such folder.
bool PrepareRuntimeFolder(const std::string& path, std::string* error = nullptr);

}  // namespace platform::instance
