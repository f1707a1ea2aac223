// The per-user folder where running copies of the game meet: the instance lock and the
// message sockets of every copy live there.
//
// SPRALLION_RUNTIME_DIR when set (tests), else $XDG_RUNTIME_DIR/sprallion, else a folder
// named after the user id in the system's temporary folder. The folder is made with mode 0700
// when missing; an existing one must be a real folder (not a link) owned by the user,
// and is closed to others when it is not already.
#pragma once

#include <string>

namespace platform::instance {

// The folder's path without a trailing '/'; "" when no usable folder exists, with the
// reason in `error` when given.
std::string RuntimeFolder(std::string* error = nullptr);

// Checks (and makes when missing) one such folder.
bool PrepareRuntimeFolder(const std::string& path, std::string* error = nullptr);

}  // namespace platform::instance
