#include "platform/text/TextSystem.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/text/Font.h"
#include "platform/text/FontMatch.h"
#include "rtl/Text.h"

namespace platform::text {

namespace {

constexpr size_t kMaxFontFileBytes = size_t(64) << 20;
constexpr size_t kFontCacheSize = 64;

std::function<void(const std::string&)>& Sink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

std::shared_ptr<const std::vector<uint8_t>> ReadFontFile(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0 || size > kMaxFontFileBytes) return nullptr;
    std::ifstream in(path, std::ios::binary);
    auto bytes = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()))) return nullptr;
    return bytes;
}

// The name a font file is counted under: the file itself, however the path spells it.
std::string FileKey(const std::string& path) {
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(path, error);
    if (error) canonical = std::filesystem::absolute(path, error).lexically_normal();
    return canonical.string();
}

}  // namespace

void SetLogSink(std::function<void(const std::string&)> sink) { Sink() = std::move(sink); }

void Log(const std::string& line) {
    if (Sink())
        Sink()("text: " + line);
    else
        std::fprintf(stderr, "sprallion: text: %s\n", line.c_str());
}

struct TextSystem::Impl {
    struct Resource {
        int Count = 0;
        std::vector<std::shared_ptr<const FontFace>> Faces;
    };

    Backend backend;
    std::shared_ptr<FtLibrary> library = std::make_shared<FtLibrary>();
    mutable std::mutex mutex;
    std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>> files;  // by path
    std::map<std::pair<std::string, int32_t>, std::shared_ptr<const FontFace>> faces;
    std::map<std::string, Resource> resources;  // by FileKey
    std::vector<std::pair<LogFont, FontPtr>> fonts;  // most recent first
    std::set<std::string> logged;  // face names whose substitution was told

    explicit Impl(Backend b) : backend(b) {}

    // Reads the face's family and style; nullptr when FreeType cannot use it.
    std::shared_ptr<const FontFace> Describe(const std::string& path,
                                             std::shared_ptr<const std::vector<uint8_t>> bytes, int32_t index,
                                             FT_Long* faceCount = nullptr) {
        if (!bytes || !library->Get()) return nullptr;
        auto lock = library->Lock();
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library->Get(), bytes->data(), static_cast<FT_Long>(bytes->size()), index, &face) != 0)
            return nullptr;
        std::shared_ptr<FontFace> described;
        if (FT_IS_SCALABLE(face)) {
            described = std::make_shared<FontFace>();
            described->Path = path;
            described->Bytes = std::move(bytes);
            described->Index = index;
            described->Family = face->family_name ? face->family_name : "";
            described->Bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
            described->Italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        }
        if (faceCount) *faceCount = face->num_faces;
        FT_Done_Face(face);
        return described;
    }

    std::shared_ptr<const FontFace> FaceAt(const std::string& path, int32_t index) {
        const auto key = std::make_pair(path, index);
        if (auto it = faces.find(key); it != faces.end()) return it->second;
        auto& bytes = files[path];
        if (!bytes) bytes = ReadFontFile(path);
        auto face = Describe(path, bytes, index);
        if (!bytes) files.erase(path);
        faces[key] = face;  // a failure is remembered too
        return face;
    }

    void TellOnce(const std::string& faceName, const std::string& line) {
        if (logged.insert(rtl::UpperCase(faceName)).second) Log(line);
    }

    std::shared_ptr<const FontFace> DejaVu(bool bold) {
        if (bold)
            if (auto face = FaceAt(kDejaVuSansBold, 0)) return face;
        return FaceAt(kDejaVuSans, 0);
    }

    // Among the added files' faces of the family, the one whose style is nearest.
    std::shared_ptr<const FontFace> PrivateFace(const LogFont& font) const {
        std::shared_ptr<const FontFace> best;
        int bestScore = -1;
        for (const auto& [key, resource] : resources)
            for (const auto& face : resource.Faces) {
                if (!rtl::SameText(face->Family, font.FaceName)) continue;
                const int score = (face->Bold == (font.Weight >= 600)) * 2 + (face->Italic == font.Italic);
                if (score > bestScore) {
                    best = face;
                    bestScore = score;
                }
            }
        return best;
    }

    std::shared_ptr<const FontFace> Resolve(const LogFont& font) {
        const bool bold = font.Weight >= 600;
        if (backend == Backend::Headless) {
            auto face = DejaVu(bold);
            if (!face) TellOnce("", std::string("DejaVu Sans is missing (") + kDejaVuSans + "): no text is drawn");
            return face;
        }
        if (!font.FaceName.empty())
            if (auto face = PrivateFace(font)) return face;
        if (auto where = MatchFace(font))
            if (auto face = FaceAt(where->Path, where->Index)) {
                if (where->Substituted)
                    TellOnce(font.FaceName, "face \"" + rtl::AnsiToUtf8(font.FaceName) + "\" is not installed; drawn with \"" +
                                                where->Family + "\"");
                return face;
            }
        auto face = DejaVu(bold);
        TellOnce(font.FaceName, "no usable face for \"" + rtl::AnsiToUtf8(font.FaceName) + "\"; " +
                                    (face ? "drawn with DejaVu Sans" : "DejaVu Sans is missing too: no text is drawn"));
        return face;
    }
};

TextSystem::TextSystem(Backend backend) : impl_(std::make_unique<Impl>(backend)) {}
TextSystem::~TextSystem() = default;

TextSystem& TextSystem::Default() {
    static TextSystem* system = [] {
        const char* env = std::getenv("SPRALLION_TEXT");
        const std::string choice = env ? env : "";
        Backend backend = Backend::Headless;
        if (choice == "headless") {
            Log("headless, DejaVu Sans, monochrome (SPRALLION_TEXT=headless)");
        } else if (StartFontconfig()) {
            backend = Backend::FreeType;
            Log("FreeType with fontconfig");
        } else if (choice == "freetype") {
            backend = Backend::FreeType;
            Log("FreeType without fontconfig: every face is DejaVu Sans");
        } else {
            Log("fontconfig does not start; headless, DejaVu Sans, monochrome");
        }
        return new TextSystem(backend);  // lives to the end of the process: fonts may outlive statics
    }();
    return *system;
}

Backend TextSystem::Kind() const { return impl_->backend; }

FontPtr TextSystem::CreateFont(const LogFont& font) {
    const LogFont desc = NormalFont(font);
    std::lock_guard lock(impl_->mutex);
    auto& fonts = impl_->fonts;
    for (size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i].first == desc) {
            FontPtr found = fonts[i].second;
            fonts.erase(fonts.begin() + static_cast<ptrdiff_t>(i));
            fonts.insert(fonts.begin(), {desc, found});
            return found;
        }
    auto made = std::make_shared<const Font>(impl_->library, impl_->Resolve(desc), desc,
                                             impl_->backend == Backend::Headless);
    fonts.insert(fonts.begin(), {desc, made});
    if (fonts.size() > kFontCacheSize) fonts.pop_back();
    return made;
}

int TextSystem::AddFontResource(const std::string& path) {
    std::lock_guard lock(impl_->mutex);
    const std::string key = FileKey(path);
    if (auto it = impl_->resources.find(key); it != impl_->resources.end()) {
        ++it->second.Count;
        return static_cast<int>(it->second.Faces.size());
    }
    auto bytes = ReadFontFile(path);
    if (!bytes) return 0;
    Impl::Resource resource;
    FT_Long count = 1;
    for (FT_Long index = 0; index < count && index < 256; ++index)
        if (auto face = impl_->Describe(key, bytes, static_cast<int32_t>(index), index == 0 ? &count : nullptr))
            resource.Faces.push_back(std::move(face));
    if (resource.Faces.empty()) return 0;
    resource.Count = 1;
    const int added = static_cast<int>(resource.Faces.size());
    impl_->resources.emplace(key, std::move(resource));
    impl_->fonts.clear();  // a name may now find another face
    return added;
}

bool TextSystem::RemoveFontResource(const std::string& path) {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->resources.find(FileKey(path));
    if (it == impl_->resources.end()) return false;
    if (--it->second.Count == 0) {
        impl_->resources.erase(it);
        impl_->fonts.clear();
    }
    return true;
}

int TextSystem::FontResourceCount(const std::string& path) const {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->resources.find(FileKey(path));
    return it == impl_->resources.end() ? 0 : it->second.Count;
}

FontPtr CreateFont(const LogFont& font) { return TextSystem::Default().CreateFont(font); }
int AddFontResource(const std::string& path) { return TextSystem::Default().AddFontResource(path); }
bool RemoveFontResource(const std::string& path) { return TextSystem::Default().RemoveFontResource(path); }

}  // namespace platform::text
