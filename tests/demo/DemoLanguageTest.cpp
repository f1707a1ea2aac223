// The edition speaks one language: every text the demo data gives the player (the menus'
// labels, the language strings and hall-of-fame names, the level sets' titles and heads-up
// formats, the help page and text, the hall-of-fame page's templates) is Russian. Latin
// letters stand only in key names and format specifiers.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <set>
#include <string>

#include "app/fmPuDate.h"
#include "engine/gpUtils.h"
#include "platform/text/Text.h"
#include "rtl/StringList.h"
#include "rtl/Text.h"
#include "tests/demo/DemoFixture.h"
#include "tests/demo/HeadlessGame.h"
#include "tools/datagen/demo/DemoInterface.h"
#include "tools/datagen/demo/DemoLevels.h"

namespace {

using demotest::DemoData;

// The Latin words a text may hold: the names of keys (the game's own and Enter).
const std::set<std::string>& KeyNames() {
    static const std::set<std::string> names = [] {
        std::set<std::string> n{"Enter"};
        for (int32_t code = 0; code < 256; ++code)
            if (std::string name = engine::KeyName(code); !name.empty()) n.insert(name);
        return n;
    }();
    return names;
}

bool Latin(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The Latin words of a text (UTF-8) that are no key names; format specifiers ("%s", "%-8.2D")
// do not count.
std::string ForeignWords(const std::string& text) {
    std::string foreign;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '%') {
            size_t j = i + 1;
            while (j < text.size() && std::string_view("-0123456789.:*").find(text[j]) != std::string_view::npos) ++j;
            i = j < text.size() && Latin(text[j]) ? j + 1 : j;
            continue;
        }
        if (!Latin(text[i])) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < text.size() && Latin(text[j])) ++j;
        if (const std::string word = text.substr(i, j - i); !KeyNames().count(word)) foreign += word + " ";
        i = j;
    }
    return foreign;
}

// What a page shows: its text without its style sheet, its markup and its character
// references.
std::string PageText(const std::string& html) {
    std::string out;
    for (size_t i = 0; i < html.size();) {
        if (html.compare(i, 6, "<style") == 0) {
            const size_t end = html.find("</style>", i);
            i = end == std::string::npos ? html.size() : end + 8;
        } else if (html[i] == '<' || html[i] == '&') {
            const size_t end = html.find(html[i] == '<' ? '>' : ';', i);
            i = end == std::string::npos ? html.size() : end + 1;
            out += ' ';
        } else {
            out += html[i++];
        }
    }
    return out;
}

TEST(DemoLanguage, EveryTextThePlayerReadsIsRussian) {
    const auto& data = DemoData::Get();
    int texts = 0;
    auto check = [&](const std::string& where, const std::string& utf8) {
        ++texts;
        const std::string foreign = ForeignWords(utf8);
        EXPECT_EQ(foreign, "") << where << ": " << utf8;
    };
    auto ansi = [](const std::string& text) { return rtl::AnsiToUtf8(text); };

    // The menus' labels.
    std::function<void(const datagen::demo::WidgetEntry&)> walk = [&](const datagen::demo::WidgetEntry& w) {
        if (const std::string* text = w.Property("Text")) check(w.name, *text);
        for (const auto& c : w.children) walk(c);
    };
    for (const auto& form : datagen::demo::DemoForms()) walk(form);

    // The game data's texts: the language strings and the hall-of-fame names.
    for (const auto& entry : DemoData::Section(data.set.gameData, "Strings")->entries)
        if (entry.name.ends_with("_419") || entry.name.starts_with("Name_"))
            check("Strings/" + entry.name, ansi(DemoData::StoredText(entry.data)));

    // Each level set: its title, its levels' titles, the formats of its heads-up.
    for (const auto& set : data.set.levelSets) {
        const std::string file = set.set.file;
        check(file + " title", ansi(set.set.set.header.title));
        for (size_t i = 0; i < set.set.set.levels.size(); ++i)
            check(file + " level " + std::to_string(i + 1), ansi(set.set.set.levels[i].texts[0]));
        const std::string* script = DemoData::Entry(set.sections, "Strings", "Script_Interface");
        // Without a description the shell's fixed heads-up shows "Level %D": only the test set.
        EXPECT_TRUE(script || file == datagen::demo::TestLevelSet().file) << file << " has no heads-up of its own";
        if (!script) continue;
        rtl::StringList lines;
        lines.SetText(DemoData::StoredText(*script));
        for (int i = 0; i < lines.Count(); ++i)
            if (!lines[i].starts_with(";")) check(file + " heads-up", ansi(engine::ValueAfter("TxtFormat=", lines[i])));
    }

    // The help, and the hall of fame's page around its table (whose headers the library fixes).
    check("Index.htm", PageText(data.FileBytes("Index.htm")));
    check("Help/Sprallion_419.TXT", ansi(data.FileBytes("Help/Sprallion_419.TXT")));
    check("header.htm", PageText(data.FileBytes("TopList/Template/header.htm")));
    check("footer.htm", PageText(data.FileBytes("TopList/Template/footer.htm")));
    EXPECT_GT(texts, 150);
}

TEST(DemoLanguage, TheUpdateDialogsOutcomesFitItsMessageLine) {
    demotest::HeadlessGame game;  // a main form for the dialog to belong to
    app::TGlg_UpDate dialog(game.Form(), nullptr);
    game.Form().TextCharset = 204;  // the edition's language
    dialog.FormCreate();
    for (const char* key : {"Message_20_419", "Message_21_419"}) {
        const std::string text = DemoData::StoredText(*DemoData::Entry(DemoData::Get().set.gameData, "Strings", key));
        const platform::text::Extent extent = platform::text::GetTextExtent(*dialog.MessageText.Font.Handle(), text);
        EXPECT_LE(extent.Cx, dialog.MessageText.Width()) << key << ": " << rtl::AnsiToUtf8(text);
    }
}

}  // namespace
