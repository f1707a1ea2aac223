// The server replies (the result line, the plain number) and the proxy-server setting text.
#include <cstdint>
#include <string>
#include <string_view>

#include "internet/HTTPResultU.h"
#include "internet/InternetOptionsU.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    palvrek::ParseHTTPResult(text);
    int32_t value = 0;
    palvrek::ParseNumberReply(text, value);
    palvrek::TInternetOption::ParseProxyServer(std::string(text));
    return 0;
}
