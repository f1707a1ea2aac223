#include "internet/LocalTopListU.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "internet/FilesU.h"
#include "internet/PalvrekU.h"
#include "internet/StringsU.h"
#include "platform/registry/Registry.h"
#include "rtl/Text.h"

namespace palvrek {

using platform::registry::ERegistryException;
using platform::registry::Key;
using platform::registry::Registry;
using platform::registry::RootKey;
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
                    const std::string& width, const std::string& height, PageCharset cs) {
    std::string out = "<IMG SRC=\"" + PageText(IncludeBackslash(folder) + name + WithPoint(ext), cs);
    if (alt) out += "\" alt=\"" + PageText(*alt, cs);
    return out + "\" WIDTH=" + PageAttribute(width, cs) + " HEIGHT=" + PageAttribute(height, cs) + " BORDER=0>";
}

// The lines of a template, each "<<TEMPLATE_PATH>>" replaced by a quote and the template folder
// (escaped: the folder is a setting, not markup).
std::vector<std::string> TemplateLines(const std::string& text, const LocalTopListSettings& s, PageCharset cs) {
    std::vector<std::string> lines = SplitLines(text);
    const std::string folder = "\"" + PageText(IncludeBackslash(s[tsTemplateDir]), cs);
    for (std::string& line : lines) line = ReplaceAll(line, "<<TEMPLATE_PATH>>", folder);
    return lines;
}

std::string ListText(const std::vector<std::string>& list) {
    std::string text;
    for (const auto& l : list) text += l + "\r\n";
    return text;
}

std::vector<std::string> ListLines(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    std::erase_if(lines, [](const std::string& l) { return l.empty(); });
    return lines;
}

// Opens the key, creating it when missing.
void OpenTopListKey(Registry& reg) {
    if (!reg.OpenKey(LocalTopListKey(), true)) throw ERegistryException("Failed to create key " + LocalTopListKey());
}

bool IsUtf8Key(const Key& key) {
    const platform::registry::Value* v = platform::registry::FindValue(key, kCharsetValue);
    return v && v->type == ValueType::String && rtl::SameText(v->data, kUtf8Charset);
}

}  // namespace

std::string LocalTopListKey() { return Library().registryBase + "\\Local Top List"; }

std::string StoredText(const Key& key, std::string_view name) {
    const platform::registry::Value* v = platform::registry::FindValue(key, name);
    if (!v) return {};
    if (v->type != ValueType::String) throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
    return IsUtf8Key(key) ? v->data : rtl::AnsiToUtf8(v->data);
}

bool MakeStoredTextsUtf8(Key& key) {
    if (IsUtf8Key(key)) return false;
    for (auto& [folded, v] : key.values)
        if (v.type == ValueType::String) v.data = rtl::AnsiToUtf8(v.data);
    platform::registry::SetValue(key, kCharsetValue, ValueType::String, kUtf8Charset);
    return true;
}

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
    // A score " 500" is the score 500: stored as such, it ranks and sets "LastScore" as 500.
    score = NormalizeSpaces(score);
    if (int32_t n = 0; TryStrToInt(score, n)) score = std::to_string(n);
    return LocalEntry{NormalizeSpaces(player), std::move(score), NormalizeSpaces(rank), NormalizeSpaces(difficulty),
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
    if (auto key = reg.ReadKey())
        for (int i = 0; i < tsSettingCount; ++i) s[i] = StoredText(*key, kTopListSettingNames[i]);
    return s;
}

void WriteTopListSettings(const LocalTopListSettings& s) {
    Registry reg(RootKey::HKEY_CURRENT_USER);
    OpenTopListKey(reg);
    reg.ModifyKey([&](Key& key) {
        MakeStoredTextsUtf8(key);
        for (int i = 0; i < tsSettingCount; ++i)
            platform::registry::SetValue(key, kTopListSettingNames[i], ValueType::String, s[i]);
        return true;
    });
}

std::vector<std::string> LoadLocalList() {
    Registry reg(RootKey::HKEY_CURRENT_USER);
    OpenTopListKey(reg);
    auto key = reg.ReadKey();
    return key ? ListLines(StoredText(*key, "List")) : std::vector<std::string>();
}

bool AddLocalEntry(const LocalEntry& entry) {
    if (!IsValidEntry(entry)) return false;
    const std::string line = FormatEntry(entry);
    Registry reg(RootKey::HKEY_CURRENT_USER);
    OpenTopListKey(reg);
    int inserted = 0;
    // One change of the registry file: no other writer comes between reading the list and storing
    // it, and a crash leaves the old list or the new one, never a mix.
    reg.ModifyKey([&](Key& key) {
        MakeStoredTextsUtf8(key);
        std::vector<std::string> list = ListLines(StoredText(key, "List"));
        inserted = InsertLocalEntry(list, line, MaxCountOf(StoredText(key, "MaxCount")));
        using platform::registry::SetValue;
        SetValue(key, "Count", ValueType::DWord, DwordBytes(static_cast<int32_t>(list.size())));
        SetValue(key, "LastScore", ValueType::DWord, DwordBytes(list.empty() ? 0 : EntryScore(list.back())));
        SetValue(key, "List", ValueType::String, ListText(list));
        return true;
    });
    Library().lastInserted = inserted;
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

std::string DeclaredCharset(std::string_view html) {
    if (html.starts_with("\xEF\xBB\xBF")) return kUtf8Charset;
    const std::string folded = rtl::LowerCase(html);
    const std::string_view text = folded;
    for (size_t at = text.find("<meta"); at != std::string_view::npos; at = text.find("<meta", at + 5)) {
        const std::string_view tag = text.substr(at, text.find('>', at) - at);
        const size_t found = tag.find("charset");
        if (found == std::string_view::npos) continue;
        size_t i = found + 7;
        while (i < tag.size() && static_cast<uint8_t>(tag[i]) <= ' ') ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && (static_cast<uint8_t>(tag[i]) <= ' ' || tag[i] == '"' || tag[i] == '\'')) ++i;
        size_t end = i;
        while (end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[end])) || tag[end] == '-' ||
                                    tag[end] == '_' || tag[end] == '.' || tag[end] == ':'))
            ++end;
        if (end > i) return std::string(tag.substr(i, end - i));
    }
    return {};
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

std::string PageText(std::string_view text, PageCharset charset) {
    const std::string escaped = HTMLEscape(text);
    std::string out;
    out.reserve(escaped.size());
    // Every character is decoded and written anew, so a damaged stored text cannot leave bytes
    // on the page that are not of its charset.
    for (size_t at = 0; at < escaped.size();) {
        const char32_t c = NextUtf8(escaped, at);
        if (c < 0x80) out += static_cast<char>(c);
        else if (charset == PageCharset::Utf8) AppendUtf8(out, c);
        else out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
    }
    return out;
}

std::string PageAttribute(std::string_view value, PageCharset charset) {
    std::string_view digits = value;
    if (digits.ends_with('%')) digits.remove_suffix(1);
    const bool plain =
        !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    return plain ? std::string(value) : "\"" + PageText(value, charset) + "\"";
}

std::string FormatEntryRow(const std::string& line, int place, const LocalTopListSettings& s, int highlighted,
                           PageCharset cs) {
    LocalEntry e = ParseEntry(line);
    const bool lit = place - 1 == highlighted;
    const std::string open = lit ? "<FONT COLOR=\"#FFFF00\">" : "";
    const std::string close = lit ? "</FONT>" : "";
    auto cell = [&](const std::string& text) { return open + PageText(text, cs) + close; };

    const std::string rank =
        Picture(s[tsRanksDir], PictureName(e.Rank), s[tsRanksExp], nullptr, s[tsRanksWidth], s[tsImgHeight], cs);
    const std::string level = Picture(s[tsLevelDir], PictureName(e.Difficulty), s[tsLevelExp], &e.Difficulty,
                                      s[tsLevelWidth], s[tsImgHeight], cs);
    std::string medals;
    std::vector<std::string> pieces;
    SplitString(e.Medals, pieces, ',');
    for (const std::string& piece : pieces) {
        if (NormalizeSpaces(piece).empty()) continue;
        medals += " " + Picture(s[tsMedalsDir], PictureName(piece), s[tsMedalExp], &piece, s[tsMedalWidth],
                                s[tsImgHeight], cs);
    }
    if (medals.empty()) medals = "&nbsp;";

    return "<TR> <TD align=middle> " + open + std::to_string(place) + close + " <TD align=middle> " + cell(e.Player) +
           " <TD align=middle width=" + PageAttribute(s[tsLevelWidth], cs) + "> " + level + " <TD align=middle> <B>" +
           cell(e.Score) + "</B>" + " <TD align=middle> " + cell(e.Date) + " <TD align=middle> " + cell(e.Rank) +
           " <TD align=middle width=" + PageAttribute(s[tsRanksWidth], cs) + "> " + rank + " <TD align=left> " +
           medals + " </TD> </TR>";
}

std::string LocalTopListPage(const std::vector<std::string>& list, const LocalTopListSettings& s, int highlighted) {
    const std::string dir = IncludeBackslash(s[tsHTMLDir]) + IncludeBackslash(s[tsTemplateDir]);
    const auto header = ReadWholeFile(dir + "header.htm");
    const auto footer = ReadWholeFile(dir + "footer.htm");
    // The built-in header declares UTF-8; a template's own declaration is left as it is.
    const PageCharset cs = !header || DeclaredCharset(*header) == "utf-8" || DeclaredCharset(*header) == "utf8"
                               ? PageCharset::Utf8
                               : PageCharset::Ascii;
    std::vector<std::string> lines =
        header ? TemplateLines(*header, s, cs)
               : std::vector<std::string>{"<HTML>",
                                          "  <BODY TEXT=\"#FAEBD7\" BGCOLOR=\"#000033\" LEFTMARGIN=0 BOTTOMMARGIN=0>",
                                          "  <HEAD>",
                                          "    <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">",
                                          "    <TITLE>",
                                          "        Top List for Sprallion",
                                          "    </TITLE>",
                                          "  </HEAD>"};
    for (const char* head : {"<TABLE align=center border=1 width=100%> ", "<TBODY>", "<TR>", "  <TH> Place",
                             "  <TH> Player", "  <TH> Difficulty", "  <TH> Score", "  <TH> Date",
                             "  <TH  colSpan=2> Rank", "  <TH> Medals", "</TR>"}) {
        std::string l = head;
        if (l.size() < 41) l.append(41 - l.size(), ' ');
        lines.push_back(l);
    }
    lines.emplace_back();
    for (size_t i = 0; i < list.size(); ++i)
        lines.push_back(FormatEntryRow(list[i], static_cast<int>(i) + 1, s, highlighted, cs));
    lines.emplace_back();
    for (auto& l : footer ? TemplateLines(*footer, s, cs)
                          : std::vector<std::string>{"  </TBODY>", "</TABLE>", "    <HR>", "</BODY>", "</HTML>"})
        lines.push_back(std::move(l));
    return ListText(lines);
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
