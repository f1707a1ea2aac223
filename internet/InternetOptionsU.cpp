#include "internet/InternetOptionsU.h"

#include "internet/LibraryLog.h"
#include "internet/StringsU.h"
#include "platform/registry/Registry.h"
#include "rtl/Text.h"

namespace palvrek {

using platform::registry::Registry;
using platform::registry::RootKey;
using platform::registry::ValueType;

std::vector<TInternetOption::Entry> TInternetOption::ParseProxyServer(const std::string& text) {
    std::vector<std::string> pieces;
    SplitString(text, pieces, ';');
    std::vector<Entry> entries;
    for (const std::string& pieceText : pieces) {
        std::string_view piece = pieceText;
        Entry e;
        size_t eq = piece.find('=');
        std::string_view hostPort = piece;
        if (eq != std::string_view::npos) {
            e.protocol = std::string(piece.substr(0, eq));
            hostPort = piece.substr(eq + 1);
        }
        size_t colon = hostPort.find(':');
        e.host = std::string(hostPort.substr(0, colon));
        if (colon != std::string_view::npos) e.port = std::string(hostPort.substr(colon + 1));
        entries.push_back(std::move(e));
    }
    if (entries.size() == 1) entries[0].protocol = "all";
    return entries;
}

bool TInternetOption::ReadProxy() {
    enabled_ = false;
    proxyServer_.clear();
    entries_.clear();
    try {
        Registry reg(RootKey::HKEY_CURRENT_USER);
        // Here the key exists only once someone configured a proxy: without it there is none.
        if (!reg.OpenKeyReadOnly(kInternetSettingsKey)) return true;
        int64_t flag = 0;
        if (auto v = reg.ReadValue("ProxyEnable")) {
            if (v->type == ValueType::DWord || (v->type == ValueType::Binary && v->data.size() <= 4)) {
                for (size_t i = 0; i < v->data.size() && i < 4; ++i)
                    flag |= static_cast<int64_t>(static_cast<uint8_t>(v->data[i])) << (8 * i);
            }
        }
        enabled_ = flag == 1;
        if (!enabled_) return true;
        auto server = reg.ReadValue("ProxyServer");
        if (!server || server->type != ValueType::String) {
            enabled_ = false;
            return false;
        }
        proxyServer_ = server->data;
        entries_ = ParseProxyServer(proxyServer_);
        return true;
    } catch (const rtl::Exception& e) {
        WriteLog("ReadProxy", std::string(e.className()) + ":" + e.message());
        enabled_ = false;
        return false;
    }
}

bool TInternetOption::GetProxy(const std::string& protocol, std::string& host, int& port) const {
    host = "127.0.0.1";
    port = 80;
    if (!enabled_ || entries_.empty()) return false;
    const Entry* found = nullptr;
    if (entries_.size() == 1) {
        found = &entries_[0];
    } else {
        for (const Entry& e : entries_)
            if (rtl::SameText(e.protocol, protocol)) {
                found = &e;
                break;
            }
    }
    if (!found) return false;
    int32_t n = 80;
    std::string portText = NormalizeSpaces(found->port);
    if (!portText.empty() && (!TryStrToInt(portText, n) || n <= 0 || n > 65535)) {
        WriteLog("GetProxy", "'" + found->port + "' is not a valid proxy port; no proxy is used");
        return false;
    }
    if (NormalizeSpaces(found->host).empty()) {
        WriteLog("GetProxy", "the proxy entry names no host; no proxy is used");
        return false;
    }
    host = NormalizeSpaces(found->host);
    port = n;
    return true;
}

}  // namespace palvrek
