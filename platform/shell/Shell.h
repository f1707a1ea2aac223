// Opening a document or URL with the desktop's default application.
//
// The real backend starts `xdg-open TARGET` and does not wait for it. The recorder backend, chosen
// with SPRALLION_SHELL=record:FILE (tests always choose it), appends each target as one line to
// FILE instead, so that a test process and a component it loaded record to the same place.
#pragma once

#include <string>

namespace platform::shell {

// Answers true when the request was handed on (the opener started, or the target recorded).
bool ShellOpen(const std::string& target);

}  // namespace platform::shell
