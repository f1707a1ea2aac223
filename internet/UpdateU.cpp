#include "internet/UpdateU.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "internet/FilesU.h"
#include "internet/StringsU.h"
#include "rtl/Text.h"

namespace palvrek {
namespace {

// Takes `count` fields, each ended by "||", from line.
bool TakeFields(std::string_view line, std::string* const* fields, int count) {
    for (int i = 0; i < count; ++i) {
        size_t end = line.find("||");
        if (end == std::string_view::npos) return false;
        *fields[i] = NormalizeSpaces(line.substr(0, end));
        line.remove_prefix(end + 2);
    }
    return true;
}

int SizeOf(const std::string& text) {
    int32_t n = 0;
    return TryStrToInt(text, n) && n > 0 ? n : 0;
}

int SaturatingAdd(int a, int b) {
    int64_t sum = static_cast<int64_t>(a) + b;
    return sum > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(sum);
}

}  // namespace

bool ParseUpdateLine(std::string_view line, TUpdateFile& f) {
    f = TUpdateFile();
    std::string* fields[] = {&f.FileName, &f.Description, &f.Name, &f.Version, &f.Licence, &f.Price, &f.Path, &f.Size};
    return TakeFields(line, fields, 8);
}

bool ParseInstalledLine(std::string_view line, TExsistsComponent& item) {
    item = TExsistsComponent();
    std::string* fields[] = {&item.Name, &item.Version};
    return TakeFields(line, fields, 2);
}

std::string FormatUpdateLine(const TUpdateFile& f) {
    std::string out;
    for (const std::string* s : {&f.FileName, &f.Description, &f.Name, &f.Version, &f.Licence, &f.Price, &f.Path, &f.Size})
        out += NormalizeSpaces(*s) + "||";
    return out;
}

std::string FormatInstalledLine(const TExsistsComponent& item) {
    return NormalizeSpaces(item.Name) + "||" + NormalizeSpaces(item.Version) + "||";
}

bool IsSafeFileName(std::string_view name) {
    return !name.empty() && name != "." && name.find('/') == std::string_view::npos &&
           name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// Marks the session busy for a scope.
class TUpdateSession::TBusy {
public:
    explicit TBusy(bool& busy) : busy_(busy) { busy_ = true; }
    ~TBusy() { busy_ = false; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    bool& busy_;
};

void TUpdateSession::Prepare(int port, int totalTimeOut, int64_t maxReplySize) {
    client_->Port = port;
    client_->TimeOut = TimeOut;
    client_->TotalTimeOut = totalTimeOut;
    client_->MaxReplySize = maxReplySize;
    client_->UseProxy = UseProxy;
    client_->ProxyHost = ProxyHost;
    client_->ProxyPort = ProxyPort;
    client_->ClearBody();
}

int TUpdateSession::Query() {
    if (!client_ || busy_) return -1;
    TBusy busy(busy_);
    // The list is one short reply: its time-out bounds the whole request.
    Prepare(Port, TimeOut > 0 ? TimeOut : kDefaultTimeOut, kUpdateListLimit);
    const std::string url = "http://" + Host + "/" + UpdateScript + "?lng=" + EncodeQueryValue(Language) +
                            "&pr=" + EncodeQueryValue(ReplaceChar(Project, ' ', '_')) + "&vr=" + EncodeQueryValue(Version);
    try {
        client_->Get(url);
    } catch (const std::exception&) {
        return -1;
    }
    if (client_->StatusCode() < 200 || client_->StatusCode() > 299) return -1;
    updates_.clear();
    for (const std::string& line : SplitLines(client_->Body())) {
        TUpdateFile f;
        if (ParseUpdateLine(line, f)) updates_.push_back(std::move(f));
    }
    return static_cast<int>(updates_.size());
}

bool TUpdateSession::IsInstalled(const TUpdateFile& f) const {
    for (const auto& item : installed_)
        if (item.Name == f.Name && item.Version == f.Version) return true;
    return false;
}

int TUpdateSession::Collect(std::vector<std::string>& list, bool hideInstalled, int mask, bool showPrice) {
    if (updates_.empty()) return -1;
    int added = 0;
    for (TUpdateFile& f : updates_) {
        f.Installed = IsInstalled(f);
        if (hideInstalled && f.Installed) continue;
        bool licensed = (f.Licence == "free" && (mask & kMaskFree)) || (f.Licence == "shareware" && (mask & kMaskShareware)) ||
                        (f.Licence == "paid" && (mask & kMaskPaid));
        if (!licensed) continue;
        std::string price;
        if (showPrice) price = f.Price != "0.00" ? " (" + f.Price + " $)" : " (" + FreeWord + ")";
        list.push_back(f.Description + price);
        ++added;
    }
    return added;
}

bool TUpdateSession::DownloadList(const std::vector<std::string>& descriptions) {
    if (!client_ || busy_) return false;
    TBusy busy(busy_);
    status_ = TRcvdStatus();
    done_.clear();
    failed_.clear();
    std::vector<std::string> files;
    for (const std::string& d : descriptions)
        for (const TUpdateFile& f : updates_)
            if (f.Description == d) {
                files.push_back(f.FileName);
                status_.TotalSize = SaturatingAdd(status_.TotalSize, SizeOf(f.Size));
                break;
            }
    status_.FileCount = static_cast<int>(files.size());
    stop_ = false;
    for (size_t i = 0; i < files.size(); ++i) {
        status_.FileName = files[i];
        status_.FileIndex = static_cast<int>(i) + 1;
        if (stop_) break;
        if (DownloadFile(files[i])) {
            ++status_.Downloaded;
            done_.push_back(files[i]);
            status_.DoneBytes = SaturatingAdd(status_.DoneBytes, status_.FileBytes);
        } else {
            failed_.push_back(files[i]);
        }
        status_.FileBytes = 0;
    }
    return status_.Downloaded == status_.FileCount;
}

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool TUpdateSession::DownloadFile(const std::string& name) {
    if (!client_) return false;
    status_.FileBytes = 0;
    status_.FileSize = 0;
    const TUpdateFile* found = nullptr;
    for (const TUpdateFile& f : updates_)
        if (rtl::SameText(f.FileName, name)) {
            found = &f;
            break;
        }
    // A server name must not reach outside the download folder.
    if (!found || !IsSafeFileName(found->FileName)) return false;
    const TUpdateFile file = *found;
    status_.FileSize = SizeOf(file.Size);
    // The file may take as long as it needs while bytes keep coming, but not grow without end.
    int32_t declared = 0;
    const int64_t limit =
        TryStrToInt(file.Size, declared) && declared >= 0 ? int64_t{declared} + kDownloadSlack : MaxFileSize;
    const std::string url = "http://" + file.Path + EncodeQueryValue(file.FileName);
    // A path that names its own port keeps it; otherwise the service's port applies.
    const std::string authority = file.Path.substr(0, file.Path.find('/'));
    Prepare(authority.find(':') == std::string::npos ? Port : 0, 0, limit);

    // The data goes to a fresh name of our own (made exclusively, so a link planted in a shared
    // folder is never followed) and replaces the target only once it is complete.
    const std::string target = IncludeBackslash(DownloadDir) + file.FileName;
    std::string part = target + ".XXXXXX.part";
    const int fd = ::mkstemps(part.data(), 5);
    if (fd < 0) return false;
    ::fchmod(fd, 0644);
    bool written = true;
    int64_t received = 0;
    try {
        client_->Get(url, [&](const char* data, size_t size) {
            written = WriteAll(fd, data, size);
            received += static_cast<int64_t>(size);
            status_.FileBytes = SaturatingAdd(status_.FileBytes, static_cast<int>(std::min<size_t>(size, INT32_MAX)));
            return written;
        });
    } catch (const std::exception&) {
        written = false;
    }
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    // Only a complete 2xx reply counts; anything else leaves no file behind. A reply without a
    // length ends when the server closes, so a broken one looks complete: a file shorter than
    // its line says is one.
    const int status = client_->StatusCode();
    const bool whole = received >= status_.FileSize;
    if (!written || !whole || status < 200 || status > 299 || std::rename(part.c_str(), target.c_str()) != 0) {
        ::unlink(part.c_str());
        return false;
    }
    return true;
}

int TUpdateSession::DownloadAll(bool hideInstalled) {
    if (busy_) return 0;
    std::vector<std::string> work;
    if (Collect(work, hideInstalled, kMaskFree | kMaskShareware, false) <= 0) return 0;
    DownloadList(work);
    return status_.Downloaded;
}

void TUpdateSession::Cancel(bool stopAll) {
    if (!client_) return;
    client_->Cancel();
    stop_ = stopAll;
}

void TUpdateSession::LoadInstalledList(const std::string& fileName) {
    auto text = ReadWholeFile(NormalizeSpaces(fileName));
    if (!text) return;
    installed_.clear();
    for (const std::string& line : SplitLines(*text)) {
        TExsistsComponent item;
        ParseInstalledLine(line, item);
        installed_.push_back(std::move(item));
    }
}

void TUpdateSession::AddInstalled(const std::string& name, const std::string& version) {
    TExsistsComponent item;
    ParseInstalledLine(name + "||" + version + "||", item);
    installed_.push_back(std::move(item));
}

}  // namespace palvrek
