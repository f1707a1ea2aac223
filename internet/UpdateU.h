// TUpdateSession: the product update service. It queries the maker's list of update files,
// filters their descriptions by licence and by what is installed, and downloads the chosen files
// into the download folder with progress, cancel and a list of done and failed files.
//
// Update line: FileName||Description||Name||Version||Licence||Price||Path||Size|| (Path is the
// server and folder without scheme). Installed line: Name||Version||.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "internet/HTTPClientU.h"

namespace palvrek {

struct TUpdateFile {
    std::string FileName, Description, Name, Version, Licence, Price, Path, Size;
    bool Installed = false;
};

struct TExsistsComponent {
    std::string Name, Version;
};

// False when a "||" is missing (the fields read so far stay).
bool ParseUpdateLine(std::string_view line, TUpdateFile& file);
bool ParseInstalledLine(std::string_view line, TExsistsComponent& item);
std::string FormatUpdateLine(const TUpdateFile& file);
std::string FormatInstalledLine(const TExsistsComponent& item);
// A server file name that stays inside the download folder: no separators, no "..", not empty.
bool IsSafeFileName(std::string_view name);

struct TRcvdStatus {
    std::string FileName;
    int FileIndex = 0, FileCount = 0, FileSize = 0, FileBytes = 0, TotalSize = 0, DoneBytes = 0, Downloaded = 0;
};

// Licence bits of a filter mask.
inline constexpr int kMaskFree = 1, kMaskShareware = 2, kMaskPaid = 4;

// The update list is held in memory: a longer reply is refused.
inline constexpr int64_t kUpdateListLimit = 4 * 1024 * 1024;
// A file may exceed the size its update line gives by this much (a file replaced on the server
// since the list was made); a larger one is refused and leaves nothing behind.
inline constexpr int64_t kDownloadSlack = 64 * 1024;
// The bound of a file whose update line gives no size.
inline constexpr int64_t kDownloadLimit = int64_t{1} << 30;

class TUpdateSession {
public:
    TUpdateSession() : client_(std::make_unique<THTTPClient>()) {}

    std::string Host;
    std::string Version = "1.00";
    std::string Language = "eng";  // "eng", "rus", "grm" or "fr"
    std::string UpdateScript = "cgi-bin/get_updt.pl";
    int Port = 80;
    int TimeOut = kDefaultTimeOut;
    std::string Project;
    std::string DownloadDir;
    std::string FreeWord = "Free";  // the price text of free updates
    bool UseProxy = false;
    std::string ProxyHost;
    int ProxyPort = 80;
    int64_t MaxFileSize = kDownloadLimit;  // for a file whose update line gives no size

    // The number of updates on offer, -1 when the list could not be fetched (the old list stays).
    int Query();
    // Adds "Description + price text" of every update that passes; -1 when the list is empty.
    int Collect(std::vector<std::string>& list, bool hideInstalled, int mask, bool showPrice);
    // Downloads the updates with these descriptions; true when every one arrived.
    bool DownloadList(const std::vector<std::string>& descriptions);
    // Downloads every free and shareware update; the number downloaded.
    int DownloadAll(bool hideInstalled);
    // Aborts the running transfer; stopAll also ends the run before its next file.
    void Cancel(bool stopAll);
    // A query or a download run is under way (the message pump runs meanwhile). Query, DownloadList
    // and DownloadAll called from the pump then refuse with their failure values and leave the
    // running one alone.
    bool Busy() const { return busy_; }

    const TRcvdStatus& Status() const { return status_; }
    const std::vector<std::string>& DoneFiles() const { return done_; }
    const std::vector<std::string>& FailedFiles() const { return failed_; }
    const std::vector<TUpdateFile>& Updates() const { return updates_; }

    // The installed products (in memory only).
    void LoadInstalledList(const std::string& fileName);
    void AddInstalled(const std::string& name, const std::string& version);
    const std::vector<TExsistsComponent>& Installed() const { return installed_; }

private:
    class TBusy;
    void Prepare(int port, int totalTimeOut, int64_t maxReplySize);
    bool DownloadFile(const std::string& name);
    bool IsInstalled(const TUpdateFile& file) const;

    std::unique_ptr<THTTPClient> client_;
    std::vector<TUpdateFile> updates_;
    std::vector<TExsistsComponent> installed_;
    std::vector<std::string> done_, failed_;
    TRcvdStatus status_;
    bool stop_ = false;
    bool busy_ = false;
};

}  // namespace palvrek
