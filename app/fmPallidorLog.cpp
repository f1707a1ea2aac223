// The log: one line per event in "Exception.Log" beside the program, started anew once it
// has passed 1 MiB; and the application's handler of exceptions that escaped.
//
// The log is opened without following a symbolic link and only when it is a regular file, so
// a link or a FIFO in its place never has a line written into it (nor waits for a reader).
// Opening never empties it: a copy of the game that made it a moment ago keeps its line. Lines
// go out under a shared lock, starting anew under an exclusive one, so that no copy empties
// the log between another's look at its size and its line.
#include <cxxabi.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "app/fmPallidor.h"
#include "engine/gpPaths.h"
#include "platform/registry/Registry.h"
#include "platform/window/Application.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace app {
namespace {

constexpr int64_t kLogLimit = 1 << 20;

// Line breaks inside a tag or a text would make lines of their own: they become blanks.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

std::string Demangled(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && plain ? std::string(plain.get()) : std::string(name);
}

// A descriptor closed (and its lock released) at the end of the scope.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool WriteAll(int fd, const std::string& bytes) {
    // One write: with O_APPEND the line lands whole after whatever another process wrote.
    ssize_t n;
    while ((n = ::write(fd, bytes.data(), bytes.size())) < 0 && errno == EINTR) {
    }
    return n == static_cast<ssize_t>(bytes.size());
}

}  // namespace

std::string TDlg_Sprallion::LogFileName() const {
    return engine::RealPath(engine::JoinDataPath(ProgramDir, "Exception.Log"));
}

void TDlg_Sprallion::WriteLog(std::string_view tag, std::string_view text) {
    if (!LoggingEnabled) return;
    try {
        const std::string line = rtl::Format("Class %S with message '%S'.\r\n", {OneLine(tag), OneLine(text)});
        const std::string file = LogFileName();
        const Descriptor log{rtl::OpenRegularFile(file, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW, 0644)};
        if (log.fd < 0) throw rtl::EFOpenError(rtl::Format(rtl::texts::SFOpenError, {file}));
        // Past 1 MiB at the previous write: the log starts anew, unless another copy of the
        // game has just done so.
        const bool anew = LogSize >= kLogLimit;
        struct stat st {};
        while (::flock(log.fd, anew ? LOCK_EX : LOCK_SH) != 0)
            if (errno != EINTR) throw rtl::EFOpenError(rtl::Format(rtl::texts::SFOpenError, {file}));
        if (::fstat(log.fd, &st) != 0) throw rtl::EFOpenError(rtl::Format(rtl::texts::SFOpenError, {file}));
        if (anew && st.st_size >= kLogLimit) {
            if (::ftruncate(log.fd, 0) != 0) throw rtl::EWriteError(rtl::texts::SWriteError);
            st.st_size = 0;
        }
        LogSize = st.st_size;
        if (!WriteAll(log.fd, line)) throw rtl::EWriteError(rtl::texts::SWriteError);
    } catch (...) {
        LoggingEnabled = false;  // for the rest of the run; nothing is reported
    }
}

void TDlg_Sprallion::WriteLogException(std::string_view tag) {
    const auto [className, message] = DescribeException(std::current_exception());
    WriteLog(tag, rtl::Format("%S:%S", {className, message}));
}

void TDlg_Sprallion::OnApplicationException(void*, std::exception_ptr error) {
    if (!error) return;
    const auto [className, message] = DescribeException(error);
    WriteLog(className, rtl::Format("Losing Message %S.", {message}));
}

void TDlg_Sprallion::InstallExceptionHandler() {
    platform::window::App().SetExceptionHandler([this](std::exception_ptr error) { OnApplicationException(nullptr, error); });
    // The registry's reports (a damaged file, kept aside) belong in the log too.
    platform::registry::SetLogHandler([this](const std::string& text) { WriteLog("Registry", text); });
    handlerInstalled_ = true;
}

std::pair<std::string, std::string> DescribeException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const rtl::Exception& e) {
        return {e.className(), e.message()};
    } catch (const std::exception& e) {
        return {Demangled(typeid(e).name()), e.what()};
    } catch (...) {
        return {"Exception", "unknown exception"};
    }
}

}  // namespace app
