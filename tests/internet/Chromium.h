// Headless Chromium (Debian's package) on a local page, for the checks of the hall-of-fame
// page in a real browser engine. Tests skip themselves where it is not installed.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace browsertest {

// The browser's program; empty when none is installed.
inline std::string FindChromium() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (::access(path, X_OK) == 0) return path;
    return {};
}

// Runs the browser on the page file with `action` ("--dump-dom", "--screenshot=FILE", ...) in
// a window of 1000 x 900, with a profile folder of its own and nothing fetched from the net;
// answers what it wrote to its output.
inline std::string RunChromium(const std::string& chromium, const std::filesystem::path& page,
                               const std::filesystem::path& profile, const std::string& action) {
    const std::string command = "timeout 120 " + chromium +
                                " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                                " --disable-background-networking --disable-component-update --disable-sync"
                                " --hide-scrollbars --window-size=1000,900 --user-data-dir='" + profile.string() + "' " +
                                action + " 'file://" + page.string() + "' 2>/dev/null";
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

}  // namespace browsertest
