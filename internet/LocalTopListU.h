// The local hall of fame: entries ordered by score in the current user's registry
// (<registry base>\Local Top List: "List", "Count", "LastScore" and the page's fourteen settings),
// and the HTML page built from them.
//
// An entry line is six fields each followed by "|": Player, Score, Rank, Difficulty, Medals,
// Date, with blanks normalised. Texts are stored with "|" replaced by "/" and line breaks by
// blanks, so that a name cannot break the line; the page escapes every text it shows.
//
// Stored texts are UTF-8 once the key's value "Charset" reads "utf-8", so that they hold every
// character the interface's wide strings carry. A key without that value was written in the
// game's code page and reads as such; the first change converts its texts and sets the value, in
// the same change of the registry file. All texts of this unit are UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryFile.h"

namespace palvrek {

inline constexpr int kDefaultMaxCount = 100;
inline constexpr const char* kCharsetValue = "Charset";
inline constexpr const char* kUtf8Charset = "utf-8";

// The fourteen settings of the page, in the order of TLocalTopListSetup.
enum TopListSetting {
    tsHTMLDir, tsMedalsDir, tsRanksDir, tsTemplateDir, tsLevelDir, tsMaxCount, tsFileName, tsImgHeight,
    tsLevelWidth, tsRanksWidth, tsMedalWidth, tsRanksExp, tsMedalExp, tsLevelExp, tsSettingCount
};
using LocalTopListSettings = std::array<std::string, tsSettingCount>;
extern const std::array<const char*, tsSettingCount> kTopListSettingNames;

struct LocalEntry {
    std::string Player, Score, Rank, Difficulty, Medals, Date;
};

// The key below the current user.
std::string LocalTopListKey();

// A text of the stored key as UTF-8 ("" when missing; raises when the value is not a text).
std::string StoredText(const platform::registry::Key& key, std::string_view name);
// Converts the key's texts to UTF-8 and marks it so, once; answers whether it changed the key.
bool MakeStoredTextsUtf8(platform::registry::Key& key);

int EntryScore(std::string_view line);
LocalEntry ParseEntry(std::string_view line);
std::string FormatEntry(const LocalEntry& entry);
// An entry from the game's texts with today's date ("dd.mm.yyyy"). Every field has its blanks
// normalised, and a score that is a number is kept as its plain decimal text.
LocalEntry MakeEntry(std::string player, std::string difficulty, std::string score, std::string rank,
                     std::string medals);
bool IsValidEntry(const LocalEntry& entry);
// "MaxCount" as the insertion uses it: missing, not a number, or 0 and below give 100.
int MaxCountOf(const std::string& text);
// Inserts by score after any equal ones and trims to max; answers the new line's index.
int InsertLocalEntry(std::vector<std::string>& list, const std::string& line, int max);
// Whether an entry with this score would stay in the list after its insertion.
bool WouldEnter(const std::vector<std::string>& list, int score, int max);

// The stored settings and list.
LocalTopListSettings ReadTopListSettings();
void WriteTopListSettings(const LocalTopListSettings& settings);
std::vector<std::string> LoadLocalList();
// Inserts a valid entry and rebuilds the page. Reading the list, inserting and storing it with
// "Count" and "LastScore" is one change of the registry file under its lock, so writers in other
// processes lose nothing. Answers false for an invalid entry (nothing happens).
bool AddLocalEntry(const LocalEntry& entry);
int LocalLastScore();  // 0 when missing

// The page. Its texts go out as UTF-8 when the page declares that charset (the built-in header
// does); otherwise every character outside ASCII becomes a character reference, which reads
// right whatever charset a template declares or a browser guesses.
enum class PageCharset { Utf8, Ascii };
// The charset a template declares in a META tag (or by a UTF-8 byte-order mark), in lower
// case; "" when it declares none.
std::string DeclaredCharset(std::string_view html);
std::string HTMLEscape(std::string_view text);
// A text escaped for the page in its charset.
std::string PageText(std::string_view text, PageCharset charset);
// An attribute value: a plain number (with an optional "%") as it is, anything else quoted.
std::string PageAttribute(std::string_view value, PageCharset charset);
std::string FormatEntryRow(const std::string& line, int place, const LocalTopListSettings& settings, int highlighted,
                           PageCharset charset = PageCharset::Utf8);
// Header (template or built-in), table, one row per entry, footer.
std::string LocalTopListPage(const std::vector<std::string>& list, const LocalTopListSettings& settings,
                             int highlighted);
void BuildLocalTopListPage();
void ShowLocalTopList();

}  // namespace palvrek
