#include "localisation/format.h"

#include "localisation/string_table.h"

namespace qm {

namespace {

// Larger widths or precisions are read as this: no text of ours needs more, and a format cannot ask
// for a huge buffer.
constexpr int kMaxField = 9999;

struct Conversion {
    size_t end = 0; // index after the conversion
    bool valid = false;
    bool left = false, plus = false, space = false, zero = false;
    int width = 0;
    int precision = -1;
    wchar_t conversion = 0;
};

int ReadNumber(const std::wstring& format, size_t& i) {
    int value = 0;
    while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') {
        value = value * 10 + (format[i] - L'0');
        if (value > kMaxField) value = kMaxField;
        ++i;
    }
    return value;
}

// Reads the conversion that starts at the percent sign at index start (not "%%").
Conversion ReadConversion(const std::wstring& format, size_t start) {
    Conversion conv;
    size_t i = start + 1;
    for (; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c == L'-')
            conv.left = true;
        else if (c == L'+')
            conv.plus = true;
        else if (c == L' ')
            conv.space = true;
        else if (c == L'0')
            conv.zero = true;
        else if (c != L'#')
            break;
    }
    conv.width = ReadNumber(format, i);
    if (i < format.size() && format[i] == L'.') {
        ++i;
        conv.precision = ReadNumber(format, i);
    }
    if (i < format.size()) {
        conv.conversion = format[i];
        conv.valid = conv.conversion == L's' || conv.conversion == L'd' || conv.conversion == L'i';
        ++i;
    }
    conv.end = i;
    return conv;
}

void Pad(std::wstring& out, const std::wstring& body, const Conversion& conv, size_t signLength) {
    size_t width = static_cast<size_t>(conv.width);
    if (body.size() >= width) {
        out += body;
    } else if (conv.left) {
        out += body;
        out.append(width - body.size(), L' ');
    } else if (conv.zero && conv.conversion != L's' && conv.precision < 0) {
        out.append(body, 0, signLength);
        out.append(width - body.size(), L'0');
        out.append(body, signLength, std::wstring::npos);
    } else {
        out.append(width - body.size(), L' ');
        out += body;
    }
}

void FormatInteger(std::wstring& out, const Conversion& conv, int value) {
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value)) : value;
    std::wstring digits;
    // A precision of zero prints nothing for zero.
    if (magnitude != 0 || conv.precision != 0) {
        do {
            digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
            magnitude /= 10;
        } while (magnitude != 0);
    }
    if (conv.precision > 0 && digits.size() < static_cast<size_t>(conv.precision))
        digits.insert(0, static_cast<size_t>(conv.precision) - digits.size(), L'0');
    std::wstring sign = value < 0 ? L"-" : conv.plus ? L"+" : conv.space ? L" " : L"";
    Pad(out, sign + digits, conv, sign.size());
}

void FormatString(std::wstring& out, const Conversion& conv, const wchar_t* text) {
    std::wstring body = text ? text : L"(null)";
    if (conv.precision >= 0 && body.size() > static_cast<size_t>(conv.precision))
        body.resize(static_cast<size_t>(conv.precision));
    Pad(out, body, conv, 0);
}

} // namespace

std::vector<std::wstring> ConversionsOf(const std::wstring& format) {
    std::vector<std::wstring> conversions;
    for (size_t i = 0; i < format.size();) {
        if (format[i] != L'%') {
            ++i;
        } else if (i + 1 < format.size() && format[i + 1] == L'%') {
            i += 2;
        } else {
            Conversion conv = ReadConversion(format, i);
            conversions.push_back(format.substr(i, conv.end - i));
            i = conv.end;
        }
    }
    return conversions;
}

std::wstring FormatTextV(const std::wstring& format, va_list arguments) {
    std::wstring out;
    for (size_t i = 0; i < format.size();) {
        if (format[i] != L'%') {
            out += format[i++];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            out += L'%';
            i += 2;
            continue;
        }
        Conversion conv = ReadConversion(format, i);
        if (!conv.valid) {
            out.append(format, i, conv.end - i);
        } else if (conv.conversion == L's') {
            FormatString(out, conv, va_arg(arguments, const wchar_t*));
        } else {
            FormatInteger(out, conv, va_arg(arguments, int));
        }
        i = conv.end;
    }
    return out;
}

std::wstring FormatText(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::wstring result = FormatTextV(format ? format : L"", arguments);
    va_end(arguments);
    return result;
}

std::wstring FormatTranslated(const wchar_t* englishFormat, ...) {
    std::wstring english = englishFormat ? englishFormat : L"";
    std::wstring translated = Translate(english);
    const std::wstring& format = ConversionsOf(translated) == ConversionsOf(english) ? translated : english;
    va_list arguments;
    va_start(arguments, englishFormat);
    std::wstring result = FormatTextV(format, arguments);
    va_end(arguments);
    return result;
}

} // namespace qm
