#include "engine/gpPaths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "rtl/Text.h"

namespace engine {

namespace fs = std::filesystem;

std::string RealPath(std::string_view path) {
    std::string out;
    size_t i = 0;
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) out.push_back('/');
    while (i < path.size()) {
        size_t j = i;
        while (j < path.size() && path[j] != '\\' && path[j] != '/') ++j;
        const std::string_view part = path.substr(i, j - i);
        const bool last = j >= path.size();
        i = j + 1;
        if (part.empty()) continue;
        const std::string folder = out.empty() ? std::string(".") : out;
        std::string name(part);
        std::error_code ec;
        if (part != "." && part != ".." && !fs::exists(fs::path(folder) / name, ec)) {
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                const std::string stored = it->path().filename().string();
                if (rtl::SameText(stored, part)) {
                    name = stored;
                    break;
                }
            }
        }
        if (!out.empty() && out.back() != '/') out += '/';
        out += name;
        if (last) break;
    }
    if (!path.empty() && (path.back() == '\\' || path.back() == '/') && !out.empty() && out.back() != '/') out += '/';
    return out;
}

std::string DataPath(std::string_view realPath) {
    std::string out(realPath);
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

std::string JoinDataPath(std::string_view folder, std::string_view name) {
    const bool folderEnds = !folder.empty() && folder.back() == '\\';
    const bool nameStarts = !name.empty() && name.front() == '\\';
    std::string out(folder);
    if (folderEnds && nameStarts) name.remove_prefix(1);
    else if (!folderEnds && !nameStarts) out += '\\';
    out += name;
    return out;
}

namespace {

std::string StartFolder() {
    if (const char* home = std::getenv("SPRALLION_HOME"); home && *home) return home;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return exe.parent_path().string();
    return fs::current_path(ec).string();
}

TResourceFolders Make(std::string_view realFolder) {
    TResourceFolders f;
    f.Program = DataPath(realFolder);
    if (f.Program.empty() || f.Program.back() != '\\') f.Program += '\\';
    f.Resource = JoinDataPath(f.Program, "\\Resource\\");
    f.Sound = JoinDataPath(f.Program, "\\Resource\\Sound\\");
    f.Midi = JoinDataPath(f.Program, "\\Resource\\MIDI\\");
    f.Fonts = JoinDataPath(f.Program, "\\Resource\\Fonts\\");
    f.Forms = JoinDataPath(f.Program, "\\Resource\\Forms\\");
    f.PrnScr = JoinDataPath(f.Program, "\\Resource\\PRNSCR\\");
    return f;
}

TResourceFolders& Folders() {
    static TResourceFolders folders = Make(StartFolder());
    return folders;
}

}  // namespace

const TResourceFolders& ResourceFolders() { return Folders(); }

void SetProgramFolder(std::string_view realFolder) { Folders() = Make(realFolder); }

}  // namespace engine
