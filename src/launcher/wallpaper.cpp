#include "launcher/wallpaper.h"

#include "settings/product.h"

namespace qm {
namespace {

constexpr wchar_t kShellViewClass[] = L"SHELLDLL_DefView";
constexpr wchar_t kListViewClass[] = L"SysListView32";

// What the search has met so far; it may stop once all three are known.
struct SearchState {
    HWND shellView = nullptr;
    HWND listView = nullptr;
    HWND wallpaper = nullptr;

    bool complete() const { return shellView && listView && wallpaper; }
};

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[1024];
    if (::GetClassNameW(window, name, static_cast<int>(sizeof(name) / sizeof(name[0]))) == 0) return false;
    return ::lstrcmpW(name, className) == 0;
}

BOOL CALLBACK VisitDescendant(HWND window, LPARAM context) {
    auto& state = *reinterpret_cast<SearchState*>(context);
    if (HasClass(window, kListViewClass)) {
        // Only the desktop's own list view counts; any other list view is just a control.
        HWND parent = ::GetParent(window);
        if (parent && HasClass(parent, kShellViewClass)) {
            state.shellView = parent;
            state.listView = window;
        }
    } else if (HasClass(window, kWallpaperWindowClass)) {
        state.wallpaper = window;
    }
    return state.complete() ? FALSE : TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context) {
    auto& state = *reinterpret_cast<SearchState*>(context);
    if (HasClass(window, kWallpaperWindowClass))
        state.wallpaper = window;
    else
        ::EnumChildWindows(window, VisitDescendant, context);
    return state.complete() ? FALSE : TRUE;
}

} // namespace

UINT RegisterWallpaperMessage() {
    return ::RegisterWindowMessageW(kWallpaperMessageName);
}

HWND FindWallpaperWindow() {
    SearchState state;
    ::EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.wallpaper;
}

void NotifyWallpaper(UINT messageId, HWND& cachedWindow, WPARAM code, LPARAM value) {
    if (!::IsWindow(cachedWindow)) cachedWindow = FindWallpaperWindow();
    // Posted, never sent: a hung wallpaper must not block the dialog. A window that went away meanwhile
    // just makes the post fail, silently.
    if (cachedWindow) ::PostMessageW(cachedWindow, messageId, code, value);
}

} // namespace qm
