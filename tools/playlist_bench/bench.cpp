// Timing of the playlist editor with long lists.
//   qm_playlist_bench SONGS RUNS
//       Each run opens the editor from its template in this process (the registry redirected to scratch
//       keys), adds SONGS songs that exist with "Add..." (the open-file dialog answered with a playlist
//       that lists them), then selects every row and presses "Remove". Times the Add and the Remove, each
//       until the list has painted itself; prints each run and the medians.
#include "playlist/playlist_dialog.h"
#include "settings/node.h"

#include "test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::wstring g_chosen; // what the open-file dialog answers: one playlist file

BOOL ChooseThePlaylist(OPENFILENAMEW* request, DWORD*) {
    std::copy(g_chosen.begin(), g_chosen.end(), request->lpstrFile);
    request->lpstrFile[g_chosen.size()] = L'\0';
    request->nFileOffset = static_cast<WORD>(g_chosen.rfind(L'\\') + 1);
    return TRUE;
}

// A playlist of songs songs, each one of four files that exist.
std::wstring WriteSongs(const qmtest::TempFolder& folder, int songs) {
    std::string lines = "#EXTM3U\r\n";
    for (int i = 0; i < 4; ++i)
        qmtest::WriteBinaryFile(folder / (std::to_wstring(i) + L".mp3"), "ID3");
    for (int i = 0; i < songs; ++i)
        lines += std::to_string(i % 4) + ".mp3\r\n";
    qmtest::WriteBinaryFile(folder / L"songs.m3u", lines);
    return folder / L"songs.m3u";
}

// Presses the button and waits until the list has painted what it shows now.
double TimedClick(HWND dialog, int id) {
    HWND list = ::GetDlgItem(dialog, IDC_PLAYLIST_VIEW);
    const Clock::time_point start = Clock::now();
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    ::UpdateWindow(list);
    return MillisecondsSince(start);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int songs = argc == 3 ? _wtoi(argv[1]) : 0;
    const int runs = argc == 3 ? _wtoi(argv[2]) : 0;
    if (songs <= 0 || runs <= 0) {
        std::fwprintf(stderr, L"usage: qm_playlist_bench SONGS RUNS\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    qmtest::ScratchRegistry registry;
    qmtest::TempFolder folder;
    g_chosen = WriteSongs(folder, songs);
    qm::SetOpenFileDialogForTesting(&ChooseThePlaylist);

    std::vector<double> adds, removes;
    for (int run = 0; run < runs; ++run) {
        qm::Node settings;
        qm::CPlaylistDlg editor(settings);
        HWND dialog = editor.Create(nullptr);
        ::ShowWindow(dialog, SW_SHOWNORMAL);
        qmtest::PumpMessages(50);
        adds.push_back(TimedClick(dialog, IDC_ADD_FILES));
        const std::size_t added = editor.PlaylistEntries().size();
        HWND list = ::GetDlgItem(dialog, IDC_PLAYLIST_VIEW);
        LVITEMW all{};
        all.stateMask = LVIS_SELECTED;
        all.state = LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
        removes.push_back(TimedClick(dialog, IDC_REMOVE_FILES));
        std::wprintf(L"  run %d: %zu rows added in %.0f ms, all removed in %.0f ms (%zu left)\n", run + 1,
                     added, adds.back(), removes.back(), editor.PlaylistEntries().size());
        editor.DestroyWindow();
    }
    std::wprintf(L"%d songs: Add median %.0f ms, Remove of every row median %.0f ms\n", songs, Median(adds),
                 Median(removes));
    qm::SetOpenFileDialogForTesting({});
    return 0;
}
