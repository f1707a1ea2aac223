// TUpdateSession: the update service's settings, applied with the library's settings.
#pragma once

#include <string>

#include "internet/HTTPClientU.h"

namespace palvrek {

class TUpdateSession {
public:
    std::string Host;
    std::string Version;
    std::string Language;  // "eng", "rus", "grm" or "fr"
    std::string UpdateScript;
    int Port = 80;
    int TimeOut = kDefaultTimeOut;
    std::string Project;
    std::string DownloadDir;
    std::string FreeWord = "Free";  // the update lines' word for free updates
    bool UseProxy = false;
    std::string ProxyHost;
    int ProxyPort = 80;
};

}  // namespace palvrek
