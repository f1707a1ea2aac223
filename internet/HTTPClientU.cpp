#include "internet/HTTPClientU.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace palvrek {
namespace {

PalvrekMessagePump gPump = nullptr;
void* gPumpContext = nullptr;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    THTTPClient::DataSink sink;
    std::string* body;
    bool sinkRefused = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    if (t->sink) {
        if (!t->sink(data, n)) {
            t->sinkRefused = true;
            return 0;  // makes curl stop with a write error
        }
    } else {
        t->body->append(data, n);
    }
    return n;
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

}  // namespace

void SetMessagePump(PalvrekMessagePump pump, void* context) {
    gPump = pump;
    gPumpContext = context;
}

void THTTPClient::Get(const std::string& url, const DataSink& sink) {
    InitCurlOnce();
    cancel_ = false;
    statusCode_ = 0;
    body_.clear();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) throw EHTTPClientError("HTTP client cannot be made");
    Transfer transfer{sink, &body_};
    const long timeOut = TimeOut > 0 ? TimeOut : kDefaultTimeOut;
    CURL* c = easy.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    if (Port > 0) curl_easy_setopt(c, CURLOPT_PORT, static_cast<long>(Port));
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, timeOut);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeOut);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    // An empty proxy also keeps curl from taking one from the environment.
    std::string proxy = UseProxy ? ProxyHost + ":" + std::to_string(ProxyPort) : std::string();
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    if (UseProxy) curl_easy_setopt(c, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    curl_multi_add_handle(multi.get(), c);

    int running = 1;
    CURLMcode mc = CURLM_OK;
    while (running && mc == CURLM_OK) {
        mc = curl_multi_perform(multi.get(), &running);
        if (!running || mc != CURLM_OK) break;
        mc = curl_multi_poll(multi.get(), nullptr, 0, 20, nullptr);
        if (gPump) gPump(gPumpContext);
        if (cancel_) break;
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
    if (!finished) throw EHTTPClientError("Operation aborted");
    if (transfer.sinkRefused) throw EHTTPClientError("Operation aborted");
    if (result != CURLE_OK) throw EHTTPClientError(curl_easy_strerror(result));
    statusCode_ = static_cast<int>(status);
}

}  // namespace palvrek
