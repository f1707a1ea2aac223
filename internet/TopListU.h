// TTopList: the server's connection check, last score and score upload.
#pragma once

#include <memory>
#include <string>

#include "internet/HTTPClientU.h"

namespace palvrek {

inline constexpr const char* kCheckInternetScript = "cgi-bin/check_internet.pl";
// The scripts answer one short line; a longer reply is refused rather than kept.
inline constexpr int64_t kScriptReplyLimit = 8 * 1024;

class TTopList {
public:
    TTopList() : client_(std::make_unique<THTTPClient>()) {}

    std::string Host;        // may carry a path ("server/ru"); URLs are "http://" + Host + "/" + script
    std::string LastScript;
    std::string SendScript;
    int Port = 80;
    // The client's own time-out, not the update service's: it bounds each whole request.
    int TimeOut = kDefaultTimeOut;
    bool UseProxy = false;
    std::string ProxyHost;
    int ProxyPort = 80;

    THTTPClient* Client() { return client_.get(); }

    // Hands host, port, time-out, reply limit and proxy to the client and clears its body.
    void Prepare();
    // Aborts the running request.
    void Cancel() { client_->Cancel(); }
    // The fixed check script answers a "result code" line.
    bool CheckInternet();
    // The server's last score, -1 on any failure.
    int GetLast();
    // Uploads a score; the server's answer value, -1 on any failure.
    int SendScore(const std::string& email, const std::string& difficulty, const std::string& score,
                  const std::string& rank, const std::string& medals, const std::string& time);

    // The upload's query, every value percent-encoded after its blanks are normalised.
    static std::string ScoreQuery(const std::string& email, const std::string& difficulty, const std::string& score,
                                  const std::string& rank, const std::string& medals, const std::string& time);

private:
    std::string Url(const std::string& script) const { return "http://" + Host + "/" + script; }
    std::unique_ptr<THTTPClient> client_;
};

// The player's e-mail: "PlayerEmail" under the current user's registryKey; "" when unreadable.
std::string ReadPlayerEmail(const std::string& registryKey);

}  // namespace palvrek
