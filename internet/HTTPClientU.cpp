#include "internet/HTTPClientU.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>

namespace palvrek {
namespace {

using Clock = std::chrono::steady_clock;

PalvrekMessagePump gPump = nullptr;
void* gPumpContext = nullptr;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    const THTTPClient::DataSink* sink;
    std::string* body;
    int64_t limit;  // <= 0: none
    int64_t received = 0;
    Clock::time_point lastByte;
    bool sinkRefused = false;
    bool tooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    t->lastByte = Clock::now();
    t->received += static_cast<int64_t>(n);
    if (t->limit > 0 && t->received > t->limit) {
        t->tooLarge = true;
        return 0;  // makes curl stop with a write error
    }
    if (*t->sink) {
        if (!(*t->sink)(data, n)) {
            t->sinkRefused = true;
            return 0;
        }
    } else {
        t->body->append(data, n);
    }
    return n;
}

// A header is bounded as a whole: its lines, sent one by one, do not end a silence; only the
// empty line that completes it does (so a server that never finishes its header cannot keep
// a request alive).
size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
    const size_t n = size * count;
    if ((n == 2 && data[0] == '\r' && data[1] == '\n') || (n == 1 && data[0] == '\n'))
        static_cast<Transfer*>(user)->lastByte = Clock::now();
    return n;
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

long Milliseconds(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

}  // namespace

void SetMessagePump(PalvrekMessagePump pump, void* context) {
    gPump = pump;
    gPumpContext = context;
}

void THTTPClient::Get(const std::string& url, const DataSink& sink) {
    if (running_) throw EHTTPClientError("A request of this client is already running");
    InitCurlOnce();
    cancel_ = false;
    statusCode_ = 0;
    body_.clear();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) throw EHTTPClientError("HTTP client cannot be made");
    const long timeOut = TimeOut > 0 ? TimeOut : kDefaultTimeOut;
    const Clock::time_point start = Clock::now();
    Transfer transfer{&sink, &body_, MaxReplySize, 0, start};
    CURL* c = easy.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    if (Port > 0) curl_easy_setopt(c, CURLOPT_PORT, static_cast<long>(Port));
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeOut);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    if (MaxReplySize > 0) curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxReplySize));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &ReadHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
    // An empty proxy also keeps curl from taking one from the environment.
    std::string proxy = UseProxy ? ProxyHost + ":" + std::to_string(ProxyPort) : std::string();
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    if (UseProxy) curl_easy_setopt(c, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    curl_multi_add_handle(multi.get(), c);

    // The pump may call back into the library; this client refuses a second request meanwhile.
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};

    std::string timedOut;
    int running = 1;
    CURLMcode mc = CURLM_OK;
    while (running && mc == CURLM_OK) {
        mc = curl_multi_perform(multi.get(), &running);
        if (!running || mc != CURLM_OK) break;
        mc = curl_multi_poll(multi.get(), nullptr, 0, 20, nullptr);
        if (gPump) gPump(gPumpContext);
        if (cancel_) break;
        const Clock::time_point now = Clock::now();
        if (Milliseconds(now - transfer.lastByte) >= timeOut) {
            timedOut = "no data for " + std::to_string(timeOut) + " ms";
            break;
        }
        if (TotalTimeOut > 0 && Milliseconds(now - start) >= TotalTimeOut) {
            timedOut = "no whole reply within " + std::to_string(TotalTimeOut) + " ms";
            break;
        }
    }
    CURLcode result = CURLE_OK;
    bool finished = false;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
        if (msg->msg == CURLMSG_DONE) {
            result = msg->data.result;
            finished = true;
        }
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi.get(), c);
    if (cancel_ && !finished) throw EHTTPClientError("Operation aborted");
    if (mc != CURLM_OK) throw EHTTPClientError(curl_multi_strerror(mc));
    if (!timedOut.empty() && !finished) throw EHTTPClientError("Operation timed out: " + timedOut);
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
        throw EHTTPClientError("The reply is larger than " + std::to_string(MaxReplySize) + " bytes");
    if (!finished || transfer.sinkRefused) throw EHTTPClientError("Operation aborted");
    if (result != CURLE_OK) throw EHTTPClientError(curl_easy_strerror(result));
    statusCode_ = static_cast<int>(status);
}

}  // namespace palvrek
