// The interface between the game and the internet-services library: identifiers, the records
// that cross it and IInternetGame with its operations in slot order.
//
// Binary contract on this platform (x86-64 System V; both sides are built from this header):
// - IInternetGame is a table of operations: slots 0..2 are IUnknown's, then the operations below,
//   one slot each in declaration order. Call it only through Release-managed references.
// - Strings are BSTRs (pointer-sized, 8 bytes); booleans 16-bit (true is -1, any non-zero reads
//   as true); integers signed 32-bit. The side that writes a string allocates it; the owner of the
//   variable frees it.
// - Form S operations return an HRESULT; S_OK on success, their value in the last (out)
//   parameter; records are passed by value. Any failure inside becomes E_UNEXPECTED, with the
//   failure's message in the thread's error information (platform::com::GetErrorInfo).
// - Form D operations return their outputs through reference parameters; input records are
//   passed by const reference, output records by reference: the library frees the strings the
//   record holds before filling it. Failures (registry, file and list errors) are C++ exceptions
//   derived from rtl::Exception that pass to the caller.
// - Out strings (BSTR* and BSTR& parameters, and the strings of an output record) must hold null
//   or a string the caller owns: the library frees what they hold before it stores its answer, so
//   a variable left uninitialised would be freed as if it were a string. The answer then belongs
//   to the caller.
// - Every record field has an initialiser, so a record declared by the caller never holds stray
//   pointers; use FreeRecord() when done with one the library filled.
//
// Record layouts (offsets in bytes, natural alignment):
//   TInternetSetup 88: Host 0, Port 8, TimeOut 12, Version 16, LanguageId 24, Project 32,
//     Reserved 40, RegistryKey 48, GetLastScript 56, SetNewScript 64, UpdateScript 72, DownloadDir 80
//   TPlayer 56: Date 0, Player 8, Difficulty 16, Score 24, Rank 32, Medals 40, Time 48
//   TLocalTopListSetup 112: fourteen strings at 0, 8, ... 104 in the order declared
//   TCurrentDownloadStatus 56: FileName 0, FileIndex 8, FileCount 12, FileSize 16, FileBytes 20,
//     TotalSize 24, TotalBytes 28, Downloaded 32, (4 bytes of padding), DoneFiles 40, FailedFiles 48
//   TUpdateFilter 10: HideInstalled 0, ShowPrice 2, Free 4, Shareware 6, Paid 8
//
// One export beyond the four of an in-process server:
//   extern "C" void PalvrekSetMessagePump(PalvrekMessagePump pump, void* context);
// installs the routine that the library calls, on the calling thread, many times a second while an
// HTTP request waits (a null pump removes it). The game passes the routine that dispatches its
// pending window messages, so that its update dialog can poll GetDownloadState and call
// CancelDownload from its timer while DownloadAllUpdates runs. The game reaches the export with
// platform::com::CoGetLoadedExport(CLSID_InternetGame, kSetMessagePumpExport).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

namespace palvrek {

using platform::com::BSTR;
using platform::com::CLSID;
using platform::com::HRESULT;
using platform::com::IID;
using platform::com::VARIANT_BOOL;

inline constexpr IID IID_IInternetGame = {0x4D7ED800, 0x82BC, 0x11D3, {0x80, 0x32, 0x00, 0xA0, 0xC9, 0x41, 0xA5, 0x6C}};
inline constexpr CLSID CLSID_InternetGame = {0x7FB3E3A1, 0x829C, 0x11D3, {0x80, 0x32, 0x00, 0xA0, 0xC9, 0x41, 0xA5, 0x6C}};
inline constexpr platform::com::GUID LIBID_Palvrek = {0x7FB3E3A2, 0x829C, 0x11D3, {0x80, 0x32, 0x00, 0xA0, 0xC9, 0x41, 0xA5, 0x6C}};

using PalvrekMessagePump = void (*)(void* context);
using PalvrekSetMessagePumpFunction = void (*)(PalvrekMessagePump pump, void* context);
inline constexpr const char* kSetMessagePumpExport = "PalvrekSetMessagePump";

struct TInternetSetup {
    BSTR Host = nullptr;
    int32_t Port = 0;
    int32_t TimeOut = 0;
    BSTR Version = nullptr;
    BSTR LanguageId = nullptr;
    BSTR Project = nullptr;
    BSTR Reserved = nullptr;
    BSTR RegistryKey = nullptr;
    BSTR GetLastScript = nullptr;
    BSTR SetNewScript = nullptr;
    BSTR UpdateScript = nullptr;
    BSTR DownloadDir = nullptr;
};

struct TPlayer {
    BSTR Date = nullptr;
    BSTR Player = nullptr;
    BSTR Difficulty = nullptr;
    BSTR Score = nullptr;
    BSTR Rank = nullptr;
    BSTR Medals = nullptr;
    BSTR Time = nullptr;
};

struct TLocalTopListSetup {
    BSTR HTMLDir = nullptr;
    BSTR MedalsDir = nullptr;
    BSTR RanksDir = nullptr;
    BSTR TemplateDir = nullptr;
    BSTR LevelDir = nullptr;
    BSTR MaxCount = nullptr;
    BSTR FileName = nullptr;
    BSTR ImgHeight = nullptr;
    BSTR LevelWidth = nullptr;
    BSTR RanksWidth = nullptr;
    BSTR MedalWidth = nullptr;
    BSTR RanksExp = nullptr;
    BSTR MedalExp = nullptr;
    BSTR LevelExp = nullptr;
};

struct TCurrentDownloadStatus {
    BSTR FileName = nullptr;
    int32_t FileIndex = 0;
    int32_t FileCount = 0;
    int32_t FileSize = 0;
    int32_t FileBytes = 0;
    int32_t TotalSize = 0;
    int32_t TotalBytes = 0;
    int32_t Downloaded = 0;
    BSTR DoneFiles = nullptr;
    BSTR FailedFiles = nullptr;
};

struct TUpdateFilter {
    VARIANT_BOOL HideInstalled = 0;
    VARIANT_BOOL ShowPrice = 0;
    VARIANT_BOOL Free = 0;
    VARIANT_BOOL Shareware = 0;
    VARIANT_BOOL Paid = 0;
};

static_assert(sizeof(TInternetSetup) == 88 && offsetof(TInternetSetup, Port) == 8 &&
              offsetof(TInternetSetup, Version) == 16 && offsetof(TInternetSetup, DownloadDir) == 80);
static_assert(sizeof(TPlayer) == 56 && offsetof(TPlayer, Time) == 48);
static_assert(sizeof(TLocalTopListSetup) == 112 && offsetof(TLocalTopListSetup, LevelExp) == 104);
static_assert(sizeof(TCurrentDownloadStatus) == 56 && offsetof(TCurrentDownloadStatus, Downloaded) == 32 &&
              offsetof(TCurrentDownloadStatus, DoneFiles) == 40 && offsetof(TCurrentDownloadStatus, FailedFiles) == 48);
static_assert(sizeof(TUpdateFilter) == 10 && offsetof(TUpdateFilter, Paid) == 8);

class IInternetGame : public platform::com::IUnknown {
public:
    virtual HRESULT Initialize(VARIANT_BOOL* ready) = 0;                                        // 3
    virtual void Finalize() = 0;                                                                // 4
    virtual void GetSettings(TInternetSetup& settings) = 0;                                     // 5
    virtual void SetSettings(const TInternetSetup& settings) = 0;                               // 6
    virtual HRESULT GetVersion(BSTR* version) = 0;                                              // 7
    virtual HRESULT CheckInternet(VARIANT_BOOL* connected) = 0;                                 // 8
    virtual HRESULT GetServerLastScore(int32_t* score) = 0;                                     // 9
    virtual HRESULT SendScore(TPlayer player, int32_t* answer) = 0;                             // 10
    virtual void ShowServerTopList() = 0;                                                       // 11
    virtual HRESULT QueryUpdates(int32_t* count) = 0;                                           // 12
    virtual HRESULT GetUpdateDescriptions(BSTR* text, TUpdateFilter filter, int32_t* count) = 0;  // 13
    virtual HRESULT DownloadAllUpdates(VARIANT_BOOL hideInstalled, int32_t* count) = 0;         // 14
    virtual HRESULT DownloadUpdates(BSTR descriptions, int32_t* count) = 0;                     // 15
    virtual void GetDownloadState(TCurrentDownloadStatus& status) = 0;                          // 16
    virtual void CancelDownload(VARIANT_BOOL stopAll) = 0;                                      // 17
    virtual void LoadInstalledList(BSTR fileName) = 0;                                          // 18
    virtual void AddInstalled(BSTR name, BSTR version) = 0;                                     // 19
    virtual void GetInstalled(BSTR& names, BSTR& versions) = 0;                                 // 20
    virtual void GetLocalTopListSettings(TLocalTopListSetup& setup) = 0;                        // 21
    virtual void SetLocalTopListSettings(const TLocalTopListSetup& setup) = 0;                  // 22
    virtual HRESULT GetLocalLastScore(int32_t* score) = 0;                                      // 23
    virtual void AddLocalScore(const TPlayer& player) = 0;                                      // 24
    virtual void BuildLocalTopListPage() = 0;                                                   // 25
    virtual void ShowLocalTopList() = 0;                                                        // 26
    virtual HRESULT GetLocalBest(TPlayer* best, VARIANT_BOOL* found) = 0;                       // 27
    virtual HRESULT IsLocalRecord(int32_t score, VARIANT_BOOL* isRecord) = 0;                   // 28
    virtual HRESULT GetLocalCount(int32_t* count) = 0;                                          // 29
    virtual HRESULT GetLocalEntry(int32_t index, TPlayer* entry, VARIANT_BOOL* found) = 0;      // 30

protected:
    ~IInternetGame() = default;
};

// Frees the strings a record holds and clears them.
inline void FreeRecord(TPlayer& p) {
    for (BSTR* s : {&p.Date, &p.Player, &p.Difficulty, &p.Score, &p.Rank, &p.Medals, &p.Time})
        platform::com::FreeBstr(*s);
}
inline void FreeRecord(TInternetSetup& s) {
    for (BSTR* b : {&s.Host, &s.Version, &s.LanguageId, &s.Project, &s.Reserved, &s.RegistryKey, &s.GetLastScript,
                    &s.SetNewScript, &s.UpdateScript, &s.DownloadDir})
        platform::com::FreeBstr(*b);
}
inline void FreeRecord(TLocalTopListSetup& s) {
    for (BSTR* b : {&s.HTMLDir, &s.MedalsDir, &s.RanksDir, &s.TemplateDir, &s.LevelDir, &s.MaxCount, &s.FileName,
                    &s.ImgHeight, &s.LevelWidth, &s.RanksWidth, &s.MedalWidth, &s.RanksExp, &s.MedalExp, &s.LevelExp})
        platform::com::FreeBstr(*b);
}
inline void FreeRecord(TCurrentDownloadStatus& s) {
    platform::com::FreeBstr(s.FileName);
    platform::com::FreeBstr(s.DoneFiles);
    platform::com::FreeBstr(s.FailedFiles);
}

}  // namespace palvrek
