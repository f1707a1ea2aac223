// TInternetOption: the system's proxy settings, read from the current user's Internet settings
// ("ProxyEnable", "ProxyServer" = "proto=host:port;..." or a single "host:port").
#pragma once

#include <string>
#include <vector>

namespace palvrek {

inline constexpr const char* kInternetSettingsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class TInternetOption {
public:
    // False when the settings cannot be read, or a proxy is enabled without a server.
    bool ReadProxy();
    // The proxy for a protocol. True only when a proxy is enabled and one serves the protocol
    // with a port that is a number; otherwise host "127.0.0.1", port 80 and false.
    bool GetProxy(const std::string& protocol, std::string& host, int& port) const;

    bool Enabled() const { return enabled_; }
    const std::string& ProxyServer() const { return proxyServer_; }

    struct Entry {
        std::string protocol, host, port;
    };
    const std::vector<Entry>& Entries() const { return entries_; }

    // Splits a "ProxyServer" text into entries (exported for the reader's tests and fuzzing).
    static std::vector<Entry> ParseProxyServer(const std::string& text);

private:
    bool enabled_ = false;
    std::string proxyServer_;
    std::vector<Entry> entries_;
};

}  // namespace palvrek
