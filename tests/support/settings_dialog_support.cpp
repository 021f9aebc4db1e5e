#include "settings_dialog_support.h"

#include "dialogs/hardware_facts.h"
#include "launcher/command_line.h"
#include "launcher/wallpaper.h"
#include "launcher/elevated_store.h"
#include "settings/product.h"

#include <commctrl.h>

namespace qmtest {
namespace {

std::vector<LiveMessage>& Received() {
    static std::vector<LiveMessage> received;
    return received;
}

struct PendingAnswer {
    HWND owner = nullptr;
    ModalAnswer::Action action = nullptr;
    bool answered = false;
};
PendingAnswer& Pending() {
    static PendingAnswer pending;
    return pending;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<OwnedSearch*>(context);
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) return TRUE;
    if (::GetWindow(window, GW_OWNER) != search->owner || !::IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
    PendingAnswer& pending = Pending();
    if (pending.answered || !pending.action) return;
    OwnedSearch search{pending.owner, nullptr};
    ::EnumWindows(&FindOwned, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return;
    pending.answered = true;
    pending.action(search.found);
}

} // namespace

LiveMessageCatcher::LiveMessageCatcher() {
    static ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &LiveMessageCatcher::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = qm::kWallpaperWindowClass;
        return ::RegisterClassExW(&wc);
    }();
    (void)atom;
    window_ = ::CreateWindowExW(0, qm::kWallpaperWindowClass, L"wallpaper", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), nullptr);
    Received().clear();
}

LiveMessageCatcher::~LiveMessageCatcher() {
    ::DestroyWindow(window_);
    Received().clear();
}

std::vector<LiveMessage> LiveMessageCatcher::Take() {
    PumpMessages(0);
    std::vector<LiveMessage> taken;
    taken.swap(Received());
    return taken;
}

LRESULT CALLBACK LiveMessageCatcher::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    static const UINT live = qm::RegisterWallpaperMessage();
    if (msg == live) {
        Received().emplace_back(wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

TestMachine::TestMachine(Monitors monitors, std::vector<int> antialiasingCounts) {
    if (monitors == Monitors::FirstWithoutModes) direct3d.adapters.push_back(MakeFakeAdapter({}));
    direct3d.adapters.push_back(MakeFakeAdapter({{1024, 768}, {1280, 1024}}));
    if (monitors != Monitors::One) direct3d.adapters.push_back(MakeFakeAdapter({{1024, 768}}));
    if (monitors == Monitors::OneGroupOfTwo) {
        direct3d.adapters[0].caps.NumberOfAdaptersInGroup = 2;
        direct3d.adapters[1].caps.MasterAdapterOrdinal = 0;
        direct3d.adapters[1].caps.AdapterOrdinalInGroup = 1;
    }
    useDirect3D = std::make_unique<UseFakeDirect3D9>(&direct3d);
    useCounts = std::make_unique<UseFakeAntialiasingLevels>(std::move(antialiasingCounts));
}

UseHardwareFacts::UseHardwareFacts(qm::HardwareFacts facts)
    : seam_(qm::SetHardwareFactsForTesting, [facts] { return facts; }) {}

void StoreSetting(const std::wstring& name, const std::wstring& typedText) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                      nullptr, &key, nullptr);
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(typedText.c_str()),
                     static_cast<DWORD>((typedText.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void StoreIntegerSetting(const std::wstring& name, int value) {
    StoreSetting(name, L"2: " + std::to_wstring(value));
}

namespace {

std::optional<std::wstring> ReadText(HKEY root, const wchar_t* path, const std::wstring& name) {
    wchar_t buffer[2048] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    // Plain RegQueryValueExW: an empty value may be stored as zero bytes, without a terminator.
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    LSTATUS status =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return std::wstring(buffer, bytes / sizeof(wchar_t)).c_str();
}

} // namespace

std::optional<std::wstring> StoredSetting(const std::wstring& name) {
    return ReadText(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, name);
}

std::vector<std::wstring> AllStoredSettings() {
    std::vector<std::wstring> all;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, qm::SettingsKeyPath, 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return all;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512;
        wchar_t data[2048] = {};
        DWORD bytes = sizeof(data) - sizeof(wchar_t);
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                            &bytes) != ERROR_SUCCESS)
            break;
        all.push_back(std::wstring(name) + L"=" + data);
    }
    ::RegCloseKey(key);
    return all;
}

std::optional<std::wstring> StoredRunEntry() {
    return ReadText(HKEY_CURRENT_USER, qm::kRunKeyPath, qm::kRunValueName);
}

void StoreRunEntry(const std::wstring& text) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, qm::kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr);
    ::RegSetValueExW(key, qm::kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

std::vector<std::wstring> ComboTexts(HWND combo) {
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.emplace_back(text);
    }
    return texts;
}

std::wstring ComboSelectedText(HWND combo) {
    const int selected = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (selected < 0) return L"<none>";
    return ComboTexts(combo).at(static_cast<size_t>(selected));
}

void Click(HWND dialog, int id) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void SelectComboEntry(HWND dialog, int id, int index) {
    HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
}

void DragTrackbar(HWND dialog, int id, std::initializer_list<int> positions) {
    HWND trackbar = ::GetDlgItem(dialog, id);
    for (int position : positions) {
        ::SendMessageW(trackbar, TBM_SETPOS, TRUE, position);
        ::SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                       reinterpret_cast<LPARAM>(trackbar));
    }
    ::SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(trackbar));
}

ModalAnswer::ModalAnswer(HWND owner, Action action) {
    Pending() = PendingAnswer{owner, action, false};
    timer_ = ::SetTimer(nullptr, 0, 30, &AnswerTimer);
}

ModalAnswer::~ModalAnswer() {
    ::KillTimer(nullptr, timer_);
    Pending() = PendingAnswer{};
}

bool ModalAnswer::answered() const {
    return Pending().answered;
}

std::wstring& BoxText() {
    static std::wstring text;
    return text;
}

namespace {

BOOL CALLBACK CollectStaticText(HWND child, LPARAM) {
    if (ClassNameOf(child) == L"Static" && !TextOf(child).empty()) BoxText() += TextOf(child);
    return TRUE;
}

} // namespace

void ReadAndCloseBox(HWND box) {
    BoxText() = TextOf(box) + L"|";
    ::EnumChildWindows(box, &CollectStaticText, 0);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

} // namespace qmtest

namespace qmtest {

SavedRegistryKey::SavedRegistryKey(HKEY root, std::wstring path, REGSAM view)
    : root_(root), path_(std::move(path)), view_(view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | view_, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0;
        DWORD bytes = 0;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            break;
        Value value{std::wstring(name, nameLength), type, std::vector<BYTE>(bytes)};
        ::RegQueryValueExW(key, value.name.c_str(), nullptr, &value.type, value.data.data(), &bytes);
        value.data.resize(bytes);
        values_.push_back(std::move(value));
    }
    ::RegCloseKey(key);
}

SavedRegistryKey::~SavedRegistryKey() {
    if (!existed_) {
        ::RegDeleteKeyExW(root_, path_.c_str(), view_, 0);
        return;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | KEY_SET_VALUE | view_, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::wstring> now;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        now.emplace_back(name, nameLength);
    }
    for (const std::wstring& name : now)
        ::RegDeleteValueW(key, name.c_str());
    for (const Value& value : values_)
        ::RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                         static_cast<DWORD>(value.data.size()));
    ::RegCloseKey(key);
}

bool SavedRegistryKey::SetText(const std::wstring& name, const std::wstring& text) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status =
        ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::function<DWORD(const std::wstring&)> AgreedElevation(std::function<void()> lift) {
    return [lift = std::move(lift)](const std::wstring& parameters) {
        lift();
        qm::RunElevatedStore(qm::ParseCommandLine((L"x.scr " + parameters).c_str()).argument);
        return DWORD{ERROR_SUCCESS};
    };
}

} // namespace qmtest
