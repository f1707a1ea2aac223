#include "internet/TopListU.h"

#include "internet/HTTPResultU.h"
#include "internet/StringsU.h"
#include "platform/registry/Registry.h"

namespace palvrek {

void TTopList::Prepare() {
    client_->Port = Port;
    client_->TimeOut = TimeOut;
    client_->TotalTimeOut = TimeOut;
    client_->MaxReplySize = kScriptReplyLimit;
    client_->UseProxy = UseProxy;
    client_->ProxyHost = ProxyHost;
    client_->ProxyPort = ProxyPort;
    client_->ClearBody();
}

bool TTopList::CheckInternet() {
    if (!client_) return false;
    Prepare();
    try {
        client_->Get(Url(kCheckInternetScript));
    } catch (const std::exception&) {
        return false;
    }
    int status = client_->StatusCode();
    if (status < 200 || status > 299) return false;
    return ParseHTTPResult(client_->Body());
}

int TTopList::GetLast() {
    if (!client_) return -1;
    Prepare();
    try {
        client_->Get(Url(LastScript));
    } catch (const std::exception&) {
        return -1;
    }
    int status = client_->StatusCode();
    HTTPResult().Code = status;
    int32_t value = -1;
    if (status < 200 || status > 299 || !ParseNumberReply(client_->Body(), value)) return -1;
    return value;
}

std::string TTopList::ScoreQuery(const std::string& email, const std::string& difficulty, const std::string& score,
                                 const std::string& rank, const std::string& medals, const std::string& time) {
    auto v = [](const std::string& s) { return EncodeQueryValue(NormalizeSpaces(s)); };
    return "eml=" + v(email) + "&sc=" + v(score) + "&lv=" + v(difficulty) + "&rk=" + v(rank) + "&ml=" + v(medals) +
           "&tm=" + v(time) + "&hall=rus";
}

int TTopList::SendScore(const std::string& email, const std::string& difficulty, const std::string& score,
                        const std::string& rank, const std::string& medals, const std::string& time) {
    if (!client_) return -1;
    Prepare();
    try {
        client_->Get(Url(SendScript) + "?" + ScoreQuery(email, difficulty, score, rank, medals, time));
    } catch (const std::exception&) {
        return -1;
    }
    int status = client_->StatusCode();
    if (status < 200 || status > 299) return -1;
    return ParseHTTPResult(client_->Body()) ? HTTPResult().Value : -1;
}

std::string ReadPlayerEmail(const std::string& registryKey) {
    try {
        platform::registry::Registry reg(platform::registry::RootKey::HKEY_CURRENT_USER);
        if (!reg.OpenKeyReadOnly(registryKey)) return {};
        return reg.ReadString("PlayerEmail");
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace palvrek
