#include "internet/PalvrekU.h"

#include "internet/FilesU.h"
#include "internet/HTTPResultU.h"
#include "internet/LibraryLog.h"
#include "internet/LocalTopListU.h"
#include "internet/StringsU.h"
#include "platform/com/ComObj.h"
#include "rtl/Text.h"

namespace palvrek {

using platform::com::E_POINTER;
using platform::com::E_UNEXPECTED;
using platform::com::S_OK;
using platform::com::ToVariantBool;

namespace {

// Texts for the maker's server are in the game's code page; texts kept on this machine (the hall
// of fame, file and folder names) are UTF-8.
std::string Ansi(const std::u16string& text) { return rtl::Utf16ToAnsi(text); }
std::string Ansi(BSTR text) { return rtl::Utf16ToAnsi(platform::com::BstrToString(text)); }
std::string Utf8(const std::u16string& text) { return WideToUtf8(text); }
std::string Utf8(BSTR text) { return WideToUtf8(platform::com::BstrToString(text)); }
std::u16string Wide(BSTR text) { return platform::com::BstrToString(text); }

// Form S: every failure becomes E_UNEXPECTED with its message in the thread's error information.
template <typename F>
HRESULT Guarded(F&& body) {
    try {
        body();
        return S_OK;
    } catch (const rtl::Exception& e) {
        platform::com::SetErrorInfo({u"Palvrek", rtl::AnsiToUtf16(e.message())});
    } catch (const std::exception& e) {
        platform::com::SetErrorInfo({u"Palvrek", rtl::AnsiToUtf16(e.what())});
    } catch (...) {
        platform::com::SetErrorInfo({u"Palvrek", u"Unexpected failure"});
    }
    return E_UNEXPECTED;
}

// An interface operation that may wait for the network and so run the caller's message pump.
// The pump may call Finalize or Initialize, or release this object and uninitialise the runtime
// (the game's main form does all of that when it is destroyed). So while one runs, the object
// keeps a reference to itself, the module counts as busy (it stays loaded), and the service
// objects taken away meanwhile live until the outermost operation returns.
class TRunningOperation {
public:
    explicit TRunningOperation(platform::com::IUnknown* self) : self_(self) {
        self_->AddRef();
        ++Library().running;
    }
    ~TRunningOperation() {
        LibraryState& lib = Library();
        if (--lib.running == 0) lib.retired.clear();
        self_->Release();  // may free the object; the counter below still holds the module
    }
    TRunningOperation(const TRunningOperation&) = delete;
    TRunningOperation& operator=(const TRunningOperation&) = delete;

private:
    platform::com::ModuleObjectCounter module_;
    platform::com::IUnknown* self_;
};

}  // namespace

LibraryState& Library() {
    static LibraryState state;
    return state;
}

void RetireServices() {
    LibraryState& lib = Library();
    if (lib.update) lib.update->Cancel(true);
    if (lib.topList) lib.topList->Cancel();
    ServiceObjects old{std::move(lib.option), std::move(lib.topList), std::move(lib.update)};
    if (lib.running > 0) lib.retired.push_back(std::move(old));
}

InternetSettings DefaultSettings() {
    InternetSettings s;
    s.Host = rtl::AnsiToUtf16(kDefaultHost);
    s.Port = 80;
    s.TimeOut = kDefaultTimeOut;
    s.Version = u"1.00";
    s.LanguageId = u"0409";
    s.Project = u"sprallionrus";
    s.RegistryKey = u"SOFTWARE\\Quorvex\\sprallionrus";
    s.GetLastScript = u"cgi-bin/get_last.pl";
    s.SetNewScript = u"cgi-bin/set_new.pl";
    s.UpdateScript = u"cgi-bin/get_updt.pl";
    s.DownloadDir = Utf8ToWide(GetTempDir());
    return s;
}

InternetSettings FromRecord(const TInternetSetup& r) {
    InternetSettings s;
    s.Host = Wide(r.Host);
    s.Port = r.Port;
    s.TimeOut = r.TimeOut;
    s.Version = Wide(r.Version);
    s.LanguageId = Wide(r.LanguageId);
    s.Project = Wide(r.Project);
    s.Reserved = Wide(r.Reserved);
    s.RegistryKey = Wide(r.RegistryKey);
    s.GetLastScript = Wide(r.GetLastScript);
    s.SetNewScript = Wide(r.SetNewScript);
    s.UpdateScript = Wide(r.UpdateScript);
    s.DownloadDir = Wide(r.DownloadDir);
    return s;
}

void ToRecord(const InternetSettings& s, TInternetSetup& r) {
    using platform::com::AssignBstr;
    AssignBstr(r.Host, s.Host);
    r.Port = s.Port;
    r.TimeOut = s.TimeOut;
    AssignBstr(r.Version, s.Version);
    AssignBstr(r.LanguageId, s.LanguageId);
    AssignBstr(r.Project, s.Project);
    AssignBstr(r.Reserved, s.Reserved);
    AssignBstr(r.RegistryKey, s.RegistryKey);
    AssignBstr(r.GetLastScript, s.GetLastScript);
    AssignBstr(r.SetNewScript, s.SetNewScript);
    AssignBstr(r.UpdateScript, s.UpdateScript);
    AssignBstr(r.DownloadDir, s.DownloadDir);
}

std::string LanguageCodeOf(const std::string& languageId) {
    if (languageId == "0419") return "rus";
    if (languageId == "0407") return "grm";
    if (languageId == "040C") return "fr";
    return "eng";
}

void ApplySettings(const InternetSettings& s) {
    LibraryState& lib = Library();
    lib.languageCode = LanguageCodeOf(Ansi(s.LanguageId));
    // TimeOut is the update service's; the top-list client keeps its own.
    const int timeOut = s.TimeOut > 0 ? s.TimeOut : kDefaultTimeOut;
    if (lib.topList) {
        lib.topList->Host = rtl::LowerCase(Ansi(s.Host));
        lib.topList->LastScript = rtl::LowerCase(Ansi(s.GetLastScript));
        lib.topList->SendScript = rtl::LowerCase(Ansi(s.SetNewScript));
        lib.topList->Port = s.Port;
    }
    std::string downloadDir = NormalizeSpaces(Utf8(s.DownloadDir));
    if (downloadDir.empty()) downloadDir = GetTempDir();
    CreateDirectoryPath(downloadDir);
    if (lib.update) {
        TUpdateSession& u = *lib.update;
        u.Host = rtl::LowerCase(Ansi(s.Host));
        u.Version = Ansi(s.Version);
        u.Language = lib.languageCode;
        u.UpdateScript = rtl::LowerCase(Ansi(s.UpdateScript));
        u.Port = s.Port;
        u.TimeOut = timeOut;
        u.Project = rtl::LowerCase(Ansi(s.Project));
        u.DownloadDir = IncludeBackslash(downloadDir);
        // "Бесплатно" and "Kostenlos", in the library's 8-bit code page.
        u.FreeWord = lib.languageCode == "rus"   ? rtl::Utf8ToAnsi("\xD0\x91\xD0\xB5\xD1\x81\xD0\xBF\xD0\xBB\xD0\xB0\xD1\x82\xD0\xBD\xD0\xBE")
                     : lib.languageCode == "grm" ? std::string("Kostenlos")
                                                 : std::string("Free");
    }
    std::string base = Ansi(s.RegistryKey);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    lib.registryBase = base;
}

// ---- the interface ----------------------------------------------------------------------------

HRESULT TInternetGame::Initialize(VARIANT_BOOL* ready) {
    if (!ready) return E_POINTER;
    *ready = 0;
    return Guarded([&] {
        LibraryState& lib = Library();
        lib.settings = DefaultSettings();
        lib.languageCode = "eng";
        RetireServices();  // a second Initialize, perhaps from the pump while a request waits
        lib.option = std::make_unique<TInternetOption>();
        lib.topList = std::make_unique<TTopList>();
        lib.update = std::make_unique<TUpdateSession>();
        bool ok = lib.option->ReadProxy();
        if (ok) {
            std::string host;
            int port = 80;
            // Only a proxy that serves http is installed; anything else means a direct connection.
            bool useProxy = lib.option->Enabled() && lib.option->GetProxy("http", host, port);
            for (auto* target : {&lib.topList->UseProxy, &lib.update->UseProxy}) *target = useProxy;
            if (useProxy) {
                lib.topList->ProxyHost = lib.update->ProxyHost = host;
                lib.topList->ProxyPort = lib.update->ProxyPort = port;
            }
        }
        lib.ready = ok;
        ApplySettings(lib.settings);
        *ready = ToVariantBool(ok);
    });
}

void TInternetGame::Finalize() { RetireServices(); }

void TInternetGame::GetSettings(TInternetSetup& settings) { ToRecord(Library().settings, settings); }

void TInternetGame::SetSettings(const TInternetSetup& settings) {
    Library().settings = FromRecord(settings);
    ApplySettings(Library().settings);
}

HRESULT TInternetGame::GetVersion(BSTR* version) {
    if (!version) return E_POINTER;
    return Guarded([&] { platform::com::AssignBstr(*version, u"1.1"); });
}

HRESULT TInternetGame::CheckInternet(VARIANT_BOOL* connected) {
    if (!connected) return E_POINTER;
    *connected = 0;
    return Guarded([&] {
        TRunningOperation running(this);
        LibraryState& lib = Library();
        TTopList* topList = lib.topList.get();
        *connected = ToVariantBool(lib.ready && topList && topList->CheckInternet());
    });
}

HRESULT TInternetGame::GetServerLastScore(int32_t* score) {
    if (!score) return E_POINTER;
    *score = -1;
    return Guarded([&] {
        TRunningOperation running(this);
        LibraryState& lib = Library();
        TTopList* topList = lib.topList.get();
        *score = lib.ready && topList ? topList->GetLast() : -1;
    });
}

HRESULT TInternetGame::SendScore(TPlayer player, int32_t* answer) {
    if (!answer) return E_POINTER;
    *answer = -1;
    return Guarded([&] {
        TRunningOperation running(this);
        LibraryState& lib = Library();
        TTopList* topList = lib.topList.get();
        if (!lib.ready || !topList) return;
        std::string email = ReadPlayerEmail(Ansi(lib.settings.RegistryKey));
        *answer = topList->SendScore(email, Ansi(player.Difficulty), Ansi(player.Score), Ansi(player.Rank),
                                         NormalizeSpaces(Ansi(player.Medals)), Ansi(player.Time));
    });
}

void TInternetGame::ShowServerTopList() {
    ShellOpen("http://" + Ansi(Library().settings.Host) + "/cgi-bin/get_top.pl?tpl=sprl1&hall=rus");
}

namespace {

std::u16string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return rtl::AnsiToUtf16(text);
}

}  // namespace

HRESULT TInternetGame::QueryUpdates(int32_t* count) {
    if (!count) return E_POINTER;
    *count = -1;
    return Guarded([&] {
        TRunningOperation running(this);
        LibraryState& lib = Library();
        TUpdateSession* update = lib.update.get();
        *count = lib.ready && update ? update->Query() : -1;
    });
}

HRESULT TInternetGame::GetUpdateDescriptions(BSTR* text, TUpdateFilter filter, int32_t* count) {
    if (!text || !count) return E_POINTER;
    *count = -1;
    return Guarded([&] {
        platform::com::FreeBstr(*text);
        LibraryState& lib = Library();
        if (!lib.update) return;
        int mask = (filter.Free ? kMaskFree : 0) | (filter.Shareware ? kMaskShareware : 0) | (filter.Paid ? kMaskPaid : 0);
        std::vector<std::string> lines;
        *count = lib.update->Collect(lines, filter.HideInstalled != 0, mask, filter.ShowPrice != 0);
        std::u16string joined = JoinLines(lines);
        if (joined.size() >= 2) joined.resize(joined.size() - 2);
        platform::com::AssignBstr(*text, *count > 0 ? joined : std::u16string());
    });
}

HRESULT TInternetGame::DownloadAllUpdates(VARIANT_BOOL hideInstalled, int32_t* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return Guarded([&] {
        TRunningOperation running(this);
        LibraryState& lib = Library();
        TUpdateSession* update = lib.update.get();
        *count = lib.ready && update ? update->DownloadAll(hideInstalled != 0) : 0;
    });
}

HRESULT TInternetGame::DownloadUpdates(BSTR descriptions, int32_t* count) {
    if (!count) return E_POINTER;
    *count = -1;
    return Guarded([&] {
        TRunningOperation running(this);
        LibraryState& lib = Library();
        TUpdateSession* update = lib.update.get();
        if (!lib.ready || !update || update->Busy()) return;  // a run from the pump is refused
        update->DownloadList(SplitLines(Ansi(descriptions)));
        *count = update->Status().Downloaded;
    });
}

void TInternetGame::GetDownloadState(TCurrentDownloadStatus& status) {
    FreeRecord(status);
    status = TCurrentDownloadStatus();
    LibraryState& lib = Library();
    if (!lib.update) return;
    const TRcvdStatus& r = lib.update->Status();
    platform::com::AssignBstr(status.FileName, rtl::AnsiToUtf16(r.FileName));
    status.FileIndex = r.FileIndex;
    status.FileCount = r.FileCount;
    status.FileSize = r.FileSize;
    status.FileBytes = r.FileBytes;
    status.TotalSize = r.TotalSize;
    int64_t total = static_cast<int64_t>(r.DoneBytes) + r.FileBytes;
    status.TotalBytes = total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total);
    status.Downloaded = r.Downloaded;
    platform::com::AssignBstr(status.DoneFiles, JoinLines(lib.update->DoneFiles()));
    platform::com::AssignBstr(status.FailedFiles, JoinLines(lib.update->FailedFiles()));
}

void TInternetGame::CancelDownload(VARIANT_BOOL stopAll) {
    if (Library().update) Library().update->Cancel(stopAll != 0);
}

void TInternetGame::LoadInstalledList(BSTR fileName) {
    if (Library().update) Library().update->LoadInstalledList(Utf8(fileName));
}

void TInternetGame::AddInstalled(BSTR name, BSTR version) {
    if (Library().update) Library().update->AddInstalled(Ansi(name), Ansi(version));
}

void TInternetGame::GetInstalled(BSTR& names, BSTR& versions) {
    std::vector<std::string> n, v;
    if (Library().update)
        for (const auto& item : Library().update->Installed()) {
            n.push_back(item.Name);
            v.push_back(item.Version);
        }
    platform::com::AssignBstr(names, JoinLines(n));
    platform::com::AssignBstr(versions, JoinLines(v));
}

namespace {

std::array<BSTR*, tsSettingCount> SettingFields(TLocalTopListSetup& s) {
    return {&s.HTMLDir, &s.MedalsDir, &s.RanksDir, &s.TemplateDir, &s.LevelDir, &s.MaxCount, &s.FileName,
            &s.ImgHeight, &s.LevelWidth, &s.RanksWidth, &s.MedalWidth, &s.RanksExp, &s.MedalExp, &s.LevelExp};
}

// Frees what the record holds, then fills it from an entry line (Time stays empty).
void EntryToPlayer(const std::string& line, TPlayer& p) {
    FreeRecord(p);
    LocalEntry e = ParseEntry(line);
    using platform::com::AssignBstr;
    AssignBstr(p.Date, Utf8ToWide(e.Date));
    AssignBstr(p.Player, Utf8ToWide(e.Player));
    AssignBstr(p.Difficulty, Utf8ToWide(e.Difficulty));
    AssignBstr(p.Score, Utf8ToWide(e.Score));
    AssignBstr(p.Rank, Utf8ToWide(e.Rank));
    AssignBstr(p.Medals, Utf8ToWide(e.Medals));
}

}  // namespace

void TInternetGame::GetLocalTopListSettings(TLocalTopListSetup& setup) {
    LocalTopListSettings s = ReadTopListSettings();
    auto fields = SettingFields(setup);
    for (int i = 0; i < tsSettingCount; ++i) platform::com::AssignBstr(*fields[i], Utf8ToWide(s[i]));
}

void TInternetGame::SetLocalTopListSettings(const TLocalTopListSetup& setup) {
    LocalTopListSettings s;
    auto fields = SettingFields(const_cast<TLocalTopListSetup&>(setup));
    for (int i = 0; i < tsSettingCount; ++i) s[i] = Utf8(*fields[i]);
    WriteTopListSettings(s);
}

HRESULT TInternetGame::GetLocalLastScore(int32_t* score) {
    if (!score) return E_POINTER;
    *score = 0;
    return Guarded([&] { *score = LocalLastScore(); });
}

void TInternetGame::AddLocalScore(const TPlayer& player) {
    AddLocalEntry(MakeEntry(Utf8(player.Player), Utf8(player.Difficulty), Utf8(player.Score), Utf8(player.Rank),
                            Utf8(player.Medals)));
}

void TInternetGame::BuildLocalTopListPage() { palvrek::BuildLocalTopListPage(); }
void TInternetGame::ShowLocalTopList() { palvrek::ShowLocalTopList(); }

HRESULT TInternetGame::GetLocalBest(TPlayer* best, VARIANT_BOOL* found) {
    if (!best || !found) return E_POINTER;
    *found = 0;
    return Guarded([&] {
        std::vector<std::string> list = LoadLocalList();
        EntryToPlayer(list.empty() ? std::string() : list.front(), *best);
        *found = ToVariantBool(!list.empty());
    });
}

HRESULT TInternetGame::IsLocalRecord(int32_t score, VARIANT_BOOL* isRecord) {
    if (!isRecord) return E_POINTER;
    *isRecord = 0;
    // One rule with the insertion: a score is a record exactly when its entry would stay in the
    // list. Without a "MaxCount" the list keeps 100 entries, so a short list takes any score, and a
    // full one compares with its 100th entry rather than with "LastScore" (which would turn away a
    // score the insertion keeps).
    return Guarded([&] {
        *isRecord = ToVariantBool(WouldEnter(LoadLocalList(), score, MaxCountOf(ReadTopListSettings()[tsMaxCount])));
    });
}

HRESULT TInternetGame::GetLocalCount(int32_t* count) {
    if (!count) return E_POINTER;
    *count = -1;
    try {
        *count = static_cast<int32_t>(LoadLocalList().size());
    } catch (const std::exception&) {
        *count = -1;
    }
    return S_OK;
}

HRESULT TInternetGame::GetLocalEntry(int32_t index, TPlayer* entry, VARIANT_BOOL* found) {
    if (!entry || !found) return E_POINTER;
    *found = 0;
    try {
        std::vector<std::string> list = LoadLocalList();
        bool inside = index >= 0 && static_cast<size_t>(index) < list.size();
        EntryToPlayer(inside ? list[static_cast<size_t>(index)] : std::string(), *entry);
        *found = ToVariantBool(inside);
    } catch (const std::exception&) {
        EntryToPlayer(std::string(), *entry);
    }
    return S_OK;
}

platform::com::TComObjectFactory& InternetGameFactory() {
    static platform::com::TComObjectFactory factory(CLSID_InternetGame, kClassName, kClassDescription,
                                                    platform::com::ThreadingModel::tmSingle,
                                                    [] { return static_cast<platform::com::IUnknown*>(new TInternetGame); });
    return factory;
}

}  // namespace palvrek
