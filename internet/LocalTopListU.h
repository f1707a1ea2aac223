// The local hall of fame: entries ordered by score in the current user's registry
// (<registry base>\Local Top List: "List", "Count", "LastScore" and the page's fourteen settings),
// and the HTML page built from them.
//
// An entry line is six fields each followed by "|": Player, Score, Rank, Difficulty, Medals,
// Date, with blanks normalised. Texts are stored with "|" replaced by "/" and line breaks by
// blanks, so that a name cannot break the line; the page escapes every text it shows.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace palvrek {

inline constexpr int kDefaultMaxCount = 100;

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

int EntryScore(std::string_view line);
LocalEntry ParseEntry(std::string_view line);
std::string FormatEntry(const LocalEntry& entry);
// An entry from the game's texts with today's date ("dd.mm.yyyy").
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
// Inserts a valid entry, stores the list with "Count" and "LastScore" in one change and rebuilds
// the page. Answers false for an invalid entry (nothing happens).
bool AddLocalEntry(const LocalEntry& entry);
int LocalLastScore();  // 0 when missing

// The page: header (template or built-in), table, one row per entry, footer.
std::string HTMLEscape(std::string_view text);
std::string FormatEntryRow(const std::string& line, int place, const LocalTopListSettings& settings, int highlighted);
std::string LocalTopListPage(const std::vector<std::string>& list, const LocalTopListSettings& settings,
                             int highlighted);
void BuildLocalTopListPage();
void ShowLocalTopList();

}  // namespace palvrek
