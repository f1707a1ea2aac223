// The library's HTTP client: a blocking GET of an absolute URL on a port, optionally through a
// proxy, with a time-out. While it waits it calls the installed message pump, so the caller's
// thread keeps dispatching its messages (and may cancel the request from there).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "internet/R_InternetI.h"
#include "rtl/Exceptions.h"

namespace palvrek {

// A request that did not get a reply: no connection, time-out, cancel, broken transfer.
class EHTTPClientError : public rtl::Exception {
public:
    using rtl::Exception::Exception;
    const char* className() const noexcept override { return "EHTTPClientError"; }
};

inline constexpr int kDefaultTimeOut = 5000;

// The pump called while requests wait (PalvrekSetMessagePump).
void SetMessagePump(PalvrekMessagePump pump, void* context);

class THTTPClient {
public:
    int Port = 80;  // 0: the URL's own port
    bool UseProxy = false;
    std::string ProxyHost;
    int ProxyPort = 0;
    int TimeOut = kDefaultTimeOut;  // ms for the whole request; <= 0 means the default

    int StatusCode() const { return statusCode_; }
    const std::string& Body() const { return body_; }
    void ClearBody() { body_.clear(); }

    // Receives the body in pieces instead of Body(); answering false aborts the transfer.
    using DataSink = std::function<bool(const char* data, size_t size)>;

    // Raises EHTTPClientError when no reply arrives; any status is a reply.
    void Get(const std::string& url, const DataSink& sink = {});
    // Aborts the running request (callable from the message pump).
    void Cancel() { cancel_ = true; }

private:
    int statusCode_ = 0;
    std::string body_;
    std::atomic<bool> cancel_{false};
};

}  // namespace palvrek
