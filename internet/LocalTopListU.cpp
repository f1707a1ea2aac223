#include "internet/LocalTopListU.h"

#include <ctime>

#include "internet/FilesU.h"
#include "internet/PalvrekU.h"
#include "internet/StringsU.h"
#include "platform/registry/Registry.h"

namespace palvrek {

using platform::registry::Registry;
using platform::registry::RootKey;
using platform::registry::Value;
using platform::registry::ValueType;

const std::array<const char*, tsSettingCount> kTopListSettingNames = {
    "HTMLDir", "MedalsDir", "RanksDir", "TemplateDir", "LevelDir", "MaxCount", "FileName",
    "ImgHeight", "LevelWidth", "RanksWidth", "MedalWidth", "RanksExp", "MedalExp", "LevelExp"};

namespace {

// A text made safe for the one-line, "|"-separated entry.
std::string Storable(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '|') c = '/';
        else if (c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

std::string DwordBytes(int32_t value) {
    auto n = static_cast<uint32_t>(value);
    return {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF), static_cast<char>((n >> 16) & 0xFF),
            static_cast<char>(n >> 24)};
}

std::string WithPoint(const std::string& ext) { return ext.find('.') == std::string::npos ? "." + ext : ext; }

std::string PictureName(std::string_view text) { return ReplaceChar(NormalizeSpaces(text), ' ', '_'); }

std::string Picture(const std::string& folder, const std::string& name, const std::string& ext, const std::string* alt,
                    const std::string& width, const std::string& height) {
    std::string out = "<IMG SRC=\"" + HTMLEscape(IncludeBackslash(folder) + name + WithPoint(ext));
    if (alt) out += "\" alt=\"" + HTMLEscape(*alt);
    return out + "\" WIDTH=" + HTMLEscape(width) + " HEIGHT=" + HTMLEscape(height) + " BORDER=0>";
}

std::vector<std::string> TemplateLines(const std::string& dir, const LocalTopListSettings& s, const char* name,
                                       std::vector<std::string> builtIn) {
    auto text = ReadWholeFile(dir + IncludeBackslash(s[tsTemplateDir]) + name);
    if (!text) return builtIn;
    std::vector<std::string> lines = SplitLines(*text);
    for (std::string& line : lines) line = ReplaceAll(line, "<<TEMPLATE_PATH>>", "\"" + IncludeBackslash(s[tsTemplateDir]));
    return lines;
}

}  // namespace

std::string LocalTopListKey() { return Library().registryBase + "\\Local Top List"; }

int EntryScore(std::string_view line) {
    std::vector<std::string> pieces;
    if (SplitString(line, pieces, '|') < 6) return 0;
    int32_t n = 0;
    return TryStrToInt(pieces[1], n) ? n : 0;
}

LocalEntry ParseEntry(std::string_view line) {
    std::vector<std::string> p;
    if (SplitString(line, p, '|') < 6) return {};
    return LocalEntry{p[0], p[1], p[2], p[3], p[4], p[5]};
}

std::string FormatEntry(const LocalEntry& e) {
    return NormalizeSpaces(Storable(e.Player) + "|" + Storable(e.Score) + "|" + Storable(e.Rank) + "|" +
                           Storable(e.Difficulty) + "|" + Storable(e.Medals) + "|" + Storable(e.Date) + "|");
}

LocalEntry MakeEntry(std::string player, std::string difficulty, std::string score, std::string rank,
                     std::string medals) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char date[16];
    std::strftime(date, sizeof date, "%d.%m.%Y", &local);
    return LocalEntry{std::move(player), std::move(score), std::move(rank), std::move(difficulty),
                      NormalizeSpaces(medals), date};
}

bool IsValidEntry(const LocalEntry& e) {
    int32_t n = 0;
    return !NormalizeSpaces(e.Player).empty() && !NormalizeSpaces(e.Difficulty).empty() &&
           !NormalizeSpaces(e.Rank).empty() && TryStrToInt(NormalizeSpaces(e.Score), n);
}

int MaxCountOf(const std::string& text) {
    int32_t n = 0;
    return TryStrToInt(NormalizeSpaces(text), n) && n > 0 ? n : kDefaultMaxCount;
}

int InsertLocalEntry(std::vector<std::string>& list, const std::string& line, int max) {
    const int score = EntryScore(line);
    size_t at = 0;
    while (at < list.size() && EntryScore(list[at]) >= score) ++at;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), line);
    if (max < 1) max = kDefaultMaxCount;
    if (list.size() > static_cast<size_t>(max)) list.resize(static_cast<size_t>(max));
    return static_cast<int>(at);
}

bool WouldEnter(const std::vector<std::string>& list, int score, int max) {
    if (score == 0) return false;
    if (max < 1) max = kDefaultMaxCount;
    if (list.size() < static_cast<size_t>(max)) return true;
    // The new entry goes after every entry of its score, so it must beat the last one kept.
    return score > EntryScore(list[static_cast<size_t>(max) - 1]);
}

LocalTopListSettings ReadTopListSettings() {
    LocalTopListSettings s;
    Registry reg(RootKey::HKEY_CURRENT_USER);
    if (!reg.OpenKeyReadOnly(LocalTopListKey())) return s;
    for (int i = 0; i < tsSettingCount; ++i) s[i] = reg.ReadString(kTopListSettingNames[i]);
    return s;
}

void WriteTopListSettings(const LocalTopListSettings& s) {
    Registry reg(RootKey::HKEY_CURRENT_USER);
    if (!reg.OpenKey(LocalTopListKey(), true))
        throw platform::registry::ERegistryException("Failed to create key " + LocalTopListKey());
    std::vector<Value> values;
    for (int i = 0; i < tsSettingCount; ++i) values.push_back(Value{kTopListSettingNames[i], ValueType::String, s[i]});
    reg.WriteValues(values);
}

std::vector<std::string> LoadLocalList() {
    Registry reg(RootKey::HKEY_CURRENT_USER);
    if (!reg.OpenKey(LocalTopListKey(), true))
        throw platform::registry::ERegistryException("Failed to create key " + LocalTopListKey());
    std::vector<std::string> lines = SplitLines(reg.ReadString("List"));
    std::erase_if(lines, [](const std::string& l) { return l.empty(); });
    return lines;
}

bool AddLocalEntry(const LocalEntry& entry) {
    if (!IsValidEntry(entry)) return false;
    const std::string line = FormatEntry(entry);
    std::vector<std::string> list = LoadLocalList();
    const int max = MaxCountOf(ReadTopListSettings()[tsMaxCount]);
    Library().lastInserted = InsertLocalEntry(list, line, max);
    std::string text;
    for (const auto& l : list) text += l + "\r\n";
    Registry reg(RootKey::HKEY_CURRENT_USER);
    if (!reg.OpenKey(LocalTopListKey(), true))
        throw platform::registry::ERegistryException("Failed to create key " + LocalTopListKey());
    // One change of the registry file: a crash leaves the old list or the new one, never a mix.
    reg.WriteValues({Value{"Count", ValueType::DWord, DwordBytes(static_cast<int32_t>(list.size()))},
                     Value{"LastScore", ValueType::DWord, DwordBytes(list.empty() ? 0 : EntryScore(list.back()))},
                     Value{"List", ValueType::String, text}});
    BuildLocalTopListPage();
    return true;
}

int LocalLastScore() {
    try {
        Registry reg(RootKey::HKEY_CURRENT_USER);
        if (!reg.OpenKeyReadOnly(LocalTopListKey()) || !reg.ValueExists("LastScore")) return 0;
        return reg.ReadInteger("LastScore");
    } catch (const std::exception&) {
        return 0;
    }
}

std::string HTMLEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string FormatEntryRow(const std::string& line, int place, const LocalTopListSettings& s, int highlighted) {
    LocalEntry e = ParseEntry(line);
    const bool lit = place - 1 == highlighted;
    const std::string open = lit ? "<FONT COLOR=\"#FFFF00\">" : "";
    const std::string close = lit ? "</FONT>" : "";
    auto cell = [&](const std::string& text) { return open + HTMLEscape(text) + close; };

    const std::string rank = Picture(s[tsRanksDir], PictureName(e.Rank), s[tsRanksExp], nullptr, s[tsRanksWidth], s[tsImgHeight]);
    const std::string level =
        Picture(s[tsLevelDir], PictureName(e.Difficulty), s[tsLevelExp], &e.Difficulty, s[tsLevelWidth], s[tsImgHeight]);
    std::string medals;
    std::vector<std::string> pieces;
    SplitString(e.Medals, pieces, ',');
    for (const std::string& piece : pieces) {
        if (NormalizeSpaces(piece).empty()) continue;
        medals += " " + Picture(s[tsMedalsDir], PictureName(piece), s[tsMedalExp], &piece, s[tsMedalWidth], s[tsImgHeight]);
    }
    if (medals.empty()) medals = "&nbsp;";

    return "<TR> <TD align=middle> " + open + std::to_string(place) + close + " <TD align=middle> " + cell(e.Player) +
           " <TD align=middle width=" + HTMLEscape(s[tsLevelWidth]) + "> " + level + " <TD align=middle> <B>" +
           cell(e.Score) + "</B>" + " <TD align=middle> " + cell(e.Date) + " <TD align=middle> " + cell(e.Rank) +
           " <TD align=middle width=" + HTMLEscape(s[tsRanksWidth]) + "> " + rank + " <TD align=left> " + medals +
           " </TD> </TR>";
}

std::string LocalTopListPage(const std::vector<std::string>& list, const LocalTopListSettings& s, int highlighted) {
    const std::string dir = IncludeBackslash(s[tsHTMLDir]);
    std::vector<std::string> lines = TemplateLines(
        dir, s, "header.htm",
        {"<HTML>", "  <BODY TEXT=\"#FAEBD7\" BGCOLOR=\"#000033\" LEFTMARGIN=0 BOTTOMMARGIN=0>", "  <HEAD>", "    <TITLE>",
         "        Top List for Sprallion", "    </TITLE>", "  </HEAD>"});
    for (const char* head : {"<TABLE align=center border=1 width=100%> ", "<TBODY>", "<TR>", "  <TH> Place",
                             "  <TH> Player", "  <TH> Difficulty", "  <TH> Score", "  <TH> Date",
                             "  <TH  colSpan=2> Rank", "  <TH> Medals", "</TR>"}) {
        std::string l = head;
        if (l.size() < 41) l.append(41 - l.size(), ' ');
        lines.push_back(l);
    }
    lines.emplace_back();
    for (size_t i = 0; i < list.size(); ++i)
        lines.push_back(FormatEntryRow(list[i], static_cast<int>(i) + 1, s, highlighted));
    lines.emplace_back();
    for (auto& l : TemplateLines(dir, s, "footer.htm", {"  </TBODY>", "</TABLE>", "    <HR>", "</BODY>", "</HTML>"}))
        lines.push_back(std::move(l));
    std::string page;
    for (const auto& l : lines) page += l + "\r\n";
    return page;
}

void BuildLocalTopListPage() {
    LocalTopListSettings s = ReadTopListSettings();
    std::string page = LocalTopListPage(LoadLocalList(), s, Library().lastInserted);
    WriteFileSafely(IncludeBackslash(s[tsHTMLDir]) + s[tsFileName], page);
}

void ShowLocalTopList() {
    LocalTopListSettings s = ReadTopListSettings();
    std::string path = IncludeBackslash(s[tsHTMLDir]) + s[tsFileName];
    if (!ReadWholeFile(path)) BuildLocalTopListPage();
    ShellOpen(path);
}

}  // namespace palvrek
