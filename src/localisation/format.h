// printf-style formatting of texts that come from the localisation table. A translation decides the
// wording, never what is read from the arguments: it is used only when its conversions are those of
// the English format.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

namespace qm {

// Translates englishFormat through the current table and formats the arguments with the translation
// when its conversions equal the English ones, else with the English format. Conversions: %s (const
// wchar_t*), %d and %i (int) with flags, width and precision, and %% for a percent sign.
std::wstring FormatTranslated(const wchar_t* englishFormat, ...);

// Formats with the conversions above; anything else after a percent sign is copied as it stands and
// reads no argument.
std::wstring FormatText(const wchar_t* format, ...);
std::wstring FormatTextV(const std::wstring& format, va_list arguments);

// The conversion conversions of a format in order, each as written ("%.01i"); "%%" is not one.
std::vector<std::wstring> ConversionsOf(const std::wstring& format);

} // namespace qm
