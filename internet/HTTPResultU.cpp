#include "internet/HTTPResultU.h"

#include "internet/StringsU.h"

namespace palvrek {

THTTPResult& HTTPResult() {
    static THTTPResult result;
    return result;
}

void ResetHTTPResult() { HTTPResult() = THTTPResult(); }

bool ParseHTTPResult(std::string_view reply) {
    ResetHTTPResult();
    THTTPResult& r = HTTPResult();
    std::vector<std::string> lines = SplitLines(reply);
    if (lines.empty()) {
        r.Message = "No HTTP result found!";
        return false;
    }
    static constexpr std::string_view kMarker = "result code ";
    std::string_view first = lines[0];
    size_t at = first.find(kMarker);
    if (at == std::string_view::npos) return false;
    std::string_view rest = first.substr(at + kMarker.size());
    size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return false;
    std::string code = RemoveSpaces(rest.substr(0, blank));
    std::string_view afterCode = rest.substr(blank + 1);
    size_t next = afterCode.find(' ');
    if (next == std::string_view::npos) return false;
    std::string value = RemoveSpaces(afterCode.substr(0, next));
    int32_t n = 0;
    if (!value.empty() && value[0] >= '0' && value[0] <= '9' && TryStrToInt(value, n)) r.Value = n;
    if (!TryStrToInt(code, n)) return false;
    r.Code = n;
    r.Message = std::string(afterCode.substr(next + 1));
    return true;
}

bool ParseNumberReply(std::string_view body, int32_t& value) {
    std::string trimmed = NormalizeSpaces(body);
    return !trimmed.empty() && TryStrToInt(trimmed, value);
}

}  // namespace palvrek
