// The library's HTTP client: a blocking GET of an absolute http URL on a port, optionally through
// a proxy. While it waits it calls the installed message pump, so the caller's thread keeps
// dispatching its messages (and may cancel the request from there).
//
// Limits. `TimeOut` bounds the connection and every silence: the request fails when no byte
// arrives for that long, however long a steady transfer takes. The reply's header counts as
// one piece: it must come whole within the time-out, however its lines trickle in. `TotalTimeOut` bounds the whole
// request where a reply must be short (the score scripts, the update list). `MaxReplySize` bounds
// the reply body: a larger Content-Length is refused before the body comes, and a reply that
// grows past the limit is cut off. Redirects are never followed and only http is spoken.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "internet/R_InternetI.h"
#include "rtl/Exceptions.h"

namespace palvrek {

// A request that did not get a whole reply: no connection, time-out, cancel, a reply too large,
// a broken transfer, or a request made while this client's previous one still runs.
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
    int TimeOut = kDefaultTimeOut;  // ms of connection or silence; <= 0 means the default
    int TotalTimeOut = 0;           // ms for the whole request; <= 0 means no bound
    int64_t MaxReplySize = 0;       // bytes of the body; <= 0 means no bound

    int StatusCode() const { return statusCode_; }
    const std::string& Body() const { return body_; }
    void ClearBody() { body_.clear(); }

    // Receives the body in pieces instead of Body(); answering false aborts the transfer.
    using DataSink = std::function<bool(const char* data, size_t size)>;

    // Raises EHTTPClientError when no whole reply arrives; any status is a reply. One request at a
    // time: a Get from the message pump while this client's request waits raises at once.
    void Get(const std::string& url, const DataSink& sink = {});
    // Aborts the running request (callable from the message pump).
    void Cancel() { cancel_ = true; }
    bool Running() const { return running_; }

private:
    int statusCode_ = 0;
    std::string body_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

}  // namespace palvrek
