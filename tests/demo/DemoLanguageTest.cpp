// The edition speaks one language: every text the demo data gives the player (the menus'
// labels, the language strings and hall-of-fame names, the level sets' titles and heads-up
// formats, the help page and text, the hall-of-fame page's templates) is Russian. Latin
// letters stand only in key names and format specifiers.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
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

// The Latin words of a text (UTF-8) that are no key names; format specifiers do not count.
std::string ForeignWords(const std::string& text) {
    static const std::regex specifier("%[-0-9.:*]*[a-zA-Z]"), word("[A-Za-z]+");
    const std::string plain = std::regex_replace(text, specifier, " ");
    std::string foreign;
    for (std::sregex_iterator it(plain.begin(), plain.end(), word), end; it != end; ++it)
        if (!KeyNames().count(it->str())) foreign += it->str() + " ";
    return foreign;
}

// What a page shows: its text without markup, style sheet and character references.
std::string PageText(const std::string& html) {
    static const std::regex style("<style[\\s\\S]*?</style>", std::regex::icase), tag("<[^>]*>"), reference("&[#a-zA-Z0-9]+;?");
    return std::regex_replace(std::regex_replace(std::regex_replace(html, style, " "), tag, " "), reference, " ");
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
    std::function<void(const datagen::demo::WidgetSpec&)> walk = [&](const datagen::demo::WidgetSpec& w) {
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
