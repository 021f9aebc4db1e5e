// The product name and every name formed from it: registry keys and values, files, the live message.
#pragma once

namespace qm {

inline constexpr wchar_t kProductName[] = L"Quillmere - Taveny 3D Screensaver";
inline constexpr wchar_t kVersionText[] = L"1.0";

// HKEY_LOCAL_MACHINE: the settings the main program reads.
inline constexpr wchar_t kMakerKeyPrefix[] = L"Software\\Orvanta\\";
inline constexpr wchar_t SettingsKeyPath[] = L"Software\\Orvanta\\Quillmere - Taveny 3D Screensaver";

// HKEY_CURRENT_USER: the autostart entry that starts the main program as an animated wallpaper.
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"OrvantaAnimatedWallpaper";

// HKEY_LOCAL_MACHINE: the installer's uninstall keys.
inline constexpr wchar_t kUninstallKeyPrefix[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr wchar_t kScreensaverPackageSubkey[] = L"Quillmere - Taveny 3D Screensaver_is1";
inline constexpr wchar_t kCombinedPackageSubkey[] =
    L"Quillmere - Taveny 3D Screensaver and Animated Wallpaper_is1";

// The main program, appended to a directory, and its folder under Program Files.
inline constexpr wchar_t kMainProgramFile[] = L"\\Quillmere - Taveny 3D Screensaver.exe";
inline constexpr wchar_t kProgramFilesFolder[] = L"\\Quillmere - Taveny 3D Screensaver";
inline constexpr wchar_t kAutostartSwitch[] = L" /w";

// The registered message that carries live setting changes to a running wallpaper, and its window class.
inline constexpr wchar_t kWallpaperMessageName[] = L"ChangeWallpaperSettingsQuillmere - Taveny";
inline constexpr wchar_t kWallpaperWindowClass[] = L"Direct3D Window";

} // namespace qm
