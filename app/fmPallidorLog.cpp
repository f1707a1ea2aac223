// The log: one line per event in "Exception.Log" beside the program, started anew once it
// has passed 1 MiB; and the application's handler of exceptions that escaped.
#include <cxxabi.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "app/fmPallidor.h"
#include "engine/gpPaths.h"
#include "platform/window/Application.h"
#include "rtl/Format.h"

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

// The class name and the message of an exception, as the log shows them.
std::pair<std::string, std::string> Describe(std::exception_ptr error) {
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
        struct stat st {};
        int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
        // Past 1 MiB at the previous write: the log starts anew.
        if (::stat(file.c_str(), &st) != 0 || LogSize >= kLogLimit) flags |= O_TRUNC;
        const int fd = ::open(file.c_str(), flags, 0644);
        if (fd < 0) throw rtl::EFOpenError(rtl::Format(rtl::texts::SFOpenError, {file}));
        if (::fstat(fd, &st) == 0) LogSize = st.st_size;
        const bool written = WriteAll(fd, line);
        ::close(fd);
        if (!written) throw rtl::EWriteError(rtl::texts::SWriteError);
    } catch (...) {
        LoggingEnabled = false;  // for the rest of the run; nothing is reported
    }
}

void TDlg_Sprallion::WriteLogException(std::string_view tag) {
    const auto [className, message] = Describe(std::current_exception());
    WriteLog(tag, rtl::Format("%S:%S", {className, message}));
}

void TDlg_Sprallion::OnApplicationException(void*, std::exception_ptr error) {
    if (!error) return;
    const auto [className, message] = Describe(error);
    WriteLog(className, rtl::Format("Losing Message %S.", {message}));
}

void TDlg_Sprallion::InstallExceptionHandler() {
    platform::window::App().SetExceptionHandler([this](std::exception_ptr error) { OnApplicationException(nullptr, error); });
    handlerInstalled_ = true;
}

}  // namespace app
