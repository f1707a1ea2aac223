// The hall-of-fame page as a player opens it: the library writes it with the demo's header and
// footer and pictures, as the game sets the page up, and headless Chromium shows it. Its HTML
// is well formed, it carries a heading naming the game, every earned medal's picture loads,
// and every picture's corners show the page's own colour (no squares round the pictures).
// Skipped where Chromium is not installed.
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "platform/com/ComObj.h"
#include "rtl/Text.h"
#include "tests/internet/Chromium.h"
#include "tests/internet/Fixture.h"
#include "tools/datagen/demo/DemoDataSet.h"
#include "tools/datagen/demo/DemoTexts.h"

namespace {

namespace fs = std::filesystem;
using namespace platform::com;

// The game's texts are its code page's: what it hands the library converts from there.
std::u16string Wide(const std::string& utf8) { return rtl::AnsiToUtf16(rtl::Utf8ToAnsi(utf8)); }

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows top-down
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

Picture ReadPng(const fs::path& file) {
    Picture p;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return p;
    image.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) return {};
    p.width = static_cast<int>(image.width), p.height = static_cast<int>(image.height);
    return p;
}

// HTML is well formed here when HEAD comes before BODY within HTML and every element is closed
// in order; void elements need no end, and cells, rows, table bodies and paragraphs end where
// HTML ends them (at the next of their kind or their container's end).
std::string StructureFaults(const std::string& html) {
    const std::vector<std::string> voids{"img", "meta", "br", "hr", "link", "input"};
    const std::vector<std::string> implied{"td", "th", "tr", "tbody", "p"};
    auto in = [](const std::vector<std::string>& list, const std::string& s) { return std::find(list.begin(), list.end(), s) != list.end(); };
    std::vector<std::string> open;
    std::string faults, seen;
    for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        if (html.compare(at, 4, "<!--") == 0) {
            at = html.find("-->", at);
            if (at == std::string::npos) return faults + "a comment runs to the end";
            continue;
        }
        const bool closing = at + 1 < html.size() && html[at + 1] == '/';
        size_t end = at + (closing ? 2 : 1);
        while (end < html.size() && std::isalnum(static_cast<unsigned char>(html[end]))) ++end;
        const std::string name = rtl::LowerCase(html.substr(at + (closing ? 2 : 1), end - at - (closing ? 2 : 1)));
        if (name.empty() || in(voids, name)) continue;  // a declaration, or an element without an end
        if (!closing) {
            if (name == "head" || name == "body") seen += name + " ";
            if (name == "td" || name == "th" || name == "tr")
                while (!open.empty() && (open.back() == "td" || open.back() == "th" || (name == "tr" && open.back() == "tr")))
                    open.pop_back();
            if (name == "p" && !open.empty() && open.back() == "p") open.pop_back();
            if ((name == "head" || name == "body") && (open.size() != 1 || open.back() != "html"))
                faults += name + " not directly in html; ";
            open.push_back(name);
            continue;
        }
        while (!open.empty() && open.back() != name && in(implied, open.back())) open.pop_back();
        if (open.empty() || open.back() != name) {
            faults += "</" + name + "> closes nothing open; ";
            continue;
        }
        open.pop_back();
    }
    if (!open.empty()) faults += "left open: " + open.back() + "; ";
    if (seen != "head body ") faults += "head and body come as: " + seen + "; ";
    return faults;
}

class HallOfFamePage : public palvrek::testing::GameFixture {};

TEST_F(HallOfFamePage, ChromiumShowsTheHeadingEveryMedalAndNoSquaresRoundThePictures) {
    const std::string chromium = browsertest::FindChromium();
    if (chromium.empty()) GTEST_SKIP() << "Chromium is not installed";
    Initialize();
    const fs::path home = env_.Dir() / "game";
    datagen::demo::WriteDemoFiles(home.string(), datagen::demo::HallOfFameFiles());

    // The page's settings as the game gives them.
    palvrek::TLocalTopListSetup setup;
    const std::pair<BSTR*, std::string> values[] = {
        {&setup.HTMLDir, (home / "TopList").string()}, {&setup.FileName, "TopList.htm"}, {&setup.TemplateDir, "Template"},
        {&setup.RanksDir, "Ranks"},  {&setup.MedalsDir, "Medals"}, {&setup.LevelDir, "Levels"},  {&setup.MaxCount, "100"},
        {&setup.ImgHeight, "48"},    {&setup.LevelWidth, "48"},    {&setup.RanksWidth, "48"},   {&setup.MedalWidth, "34"},
        {&setup.RanksExp, "bmp"},    {&setup.MedalExp, "bmp"},     {&setup.LevelExp, "bmp"}};
    for (const auto& [field, value] : values) AssignBstr(*field, Wide(value));
    game_->SetLocalTopListSettings(setup);
    palvrek::FreeRecord(setup);

    // Three games, every medal earned in one of them, every difficulty.
    using datagen::demo::MedalName;
    std::vector<std::string> medals;
    for (int m = 1; m <= 10; ++m) medals.push_back(MedalName(m));
    const struct {
        const char* player;
        int score, rank, difficulty;
        std::vector<int> medals;
    } games[] = {{"Мария", 52000, 19, 3, {1, 2, 3, 4, 5}}, {"Пётр", 31000, 9, 2, {6, 7, 8}}, {"Анна", 900, 1, 1, {9, 10}}};
    for (const auto& g : games) {
        std::string earned;
        for (int m : g.medals) earned += (earned.empty() ? "" : ",") + MedalName(m);
        palvrek::TPlayer p;
        AssignBstr(p.Player, Wide(g.player));
        AssignBstr(p.Score, Wide(std::to_string(g.score)));
        AssignBstr(p.Rank, Wide(datagen::demo::RankName(g.rank)));
        AssignBstr(p.Difficulty, Wide(datagen::demo::DifficultyName(g.difficulty)));
        AssignBstr(p.Medals, Wide(earned));
        game_->AddLocalScore(p);
        palvrek::FreeRecord(p);
    }
    const fs::path page = home / "TopList" / "TopList.htm";
    std::ifstream in(page, std::ios::binary);
    const std::string html{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(html.empty());
    EXPECT_EQ(StructureFaults(html), "");

    // A copy of the page reports, once it has loaded, its heading and every picture: its name,
    // whether it loaded, and where it lies.
    const fs::path probe = page.parent_path() / "probe.htm";
    std::ofstream(probe, std::ios::binary)
        << html
        << "<script>window.addEventListener('load', () => { const out = [];"
           " for (const h of document.querySelectorAll('h1')) out.push('heading|' + h.textContent);"
           " for (const i of document.images) { const r = i.getBoundingClientRect();"
           " out.push(['picture', i.alt, i.naturalWidth, Math.round(r.left), Math.round(r.top), Math.round(r.width),"
           " Math.round(r.height)].join('|')); }"
           " const pre = document.createElement('pre'); pre.id = 'report'; pre.textContent = out.join('\\n');"
           " document.documentElement.appendChild(pre); });</script>";
    const std::string dom = browsertest::RunChromium(chromium, probe, env_.Dir() / "profile", "--dump-dom");
    const size_t report = dom.find("<pre id=\"report\">");
    ASSERT_NE(report, std::string::npos) << "Chromium rendered nothing:\n" << dom;
    std::vector<std::vector<std::string>> lines;
    std::istringstream rows(dom.substr(report + 17, dom.find("</pre>", report) - report - 17));
    for (std::string line; std::getline(rows, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string f; std::getline(cells, f, '|');) fields.push_back(f);
        lines.push_back(fields);
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0][0], "heading");
    EXPECT_NE(lines[0].back().find("Спраллион"), std::string::npos) << "the heading names the game";
    for (const std::string& medal : medals) {
        const auto shown = std::find_if(lines.begin(), lines.end(), [&](const auto& l) {
            return l.size() == 7 && l[0] == "picture" && l[1] == medal && l[2] != "0";
        });
        EXPECT_NE(shown, lines.end()) << medal << " is not shown";
    }

    // The page as a picture: each picture's corners are the page's colour.
    const fs::path shot = env_.Dir() / "page.png";
    browsertest::RunChromium(chromium, page, env_.Dir() / "profile", "--screenshot='" + shot.string() + "'");
    const Picture screen = ReadPng(shot);
    if (const char* keep = std::getenv("SPRALLION_PAGE_SHOT")) fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
    ASSERT_GT(screen.width, 0) << "no screenshot";
    const int page_r = datagen::demo::kHallOfFameColour >> 16, page_g = (datagen::demo::kHallOfFameColour >> 8) & 0xFF,
              page_b = datagen::demo::kHallOfFameColour & 0xFF;
    int pictures = 0;
    for (const auto& l : lines) {
        if (l.size() != 7 || l[0] != "picture") continue;
        const int x = std::stoi(l[3]), y = std::stoi(l[4]), w = std::stoi(l[5]), h = std::stoi(l[6]);
        if (x < 0 || y < 0 || x + w > screen.width || y + h > screen.height) continue;  // below the fold
        ++pictures;
        for (const auto& [cx, cy] : {std::pair{x + 1, y + 1}, {x + w - 2, y + 1}, {x + 1, y + h - 2}, {x + w - 2, y + h - 2}}) {
            const uint8_t* c = screen.At(cx, cy);
            EXPECT_TRUE(std::abs(c[0] - page_r) <= 6 && std::abs(c[1] - page_g) <= 6 && std::abs(c[2] - page_b) <= 6)
                << l[1] << " at (" << cx << ", " << cy << ") shows " << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
        }
    }
    EXPECT_GE(pictures, 16) << "the pictures of the three games lie on the screen";
}

}  // namespace
