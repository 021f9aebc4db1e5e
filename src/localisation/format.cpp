#include "localisation/format.h"

#include "localisation/string_table.h"

namespace qm {

namespace {

// Larger widths or precisions are read as this: no text of ours needs more, and a format cannot ask
// for a huge buffer.
constexpr int kMaxField = 9999;

struct Spec {
    size_t end = 0; // index after the specification
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

// Reads the specification that starts at the percent sign at index start (not "%%").
Spec ReadSpec(const std::wstring& format, size_t start) {
    Spec spec;
    size_t i = start + 1;
    for (; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c == L'-')
            spec.left = true;
        else if (c == L'+')
            spec.plus = true;
        else if (c == L' ')
            spec.space = true;
        else if (c == L'0')
            spec.zero = true;
        else if (c != L'#')
            break;
    }
    spec.width = ReadNumber(format, i);
    if (i < format.size() && format[i] == L'.') {
        ++i;
        spec.precision = ReadNumber(format, i);
    }
    if (i < format.size()) {
        spec.conversion = format[i];
        spec.valid = spec.conversion == L's' || spec.conversion == L'd' || spec.conversion == L'i';
        ++i;
    }
    spec.end = i;
    return spec;
}

void Pad(std::wstring& out, const std::wstring& body, const Spec& spec, size_t signLength) {
    size_t width = static_cast<size_t>(spec.width);
    if (body.size() >= width) {
        out += body;
    } else if (spec.left) {
        out += body;
        out.append(width - body.size(), L' ');
    } else if (spec.zero && spec.conversion != L's' && spec.precision < 0) {
        out.append(body, 0, signLength);
        out.append(width - body.size(), L'0');
        out.append(body, signLength, std::wstring::npos);
    } else {
        out.append(width - body.size(), L' ');
        out += body;
    }
}

void FormatInteger(std::wstring& out, const Spec& spec, int value) {
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value)) : value;
    std::wstring digits;
    // A precision of zero prints nothing for zero.
    if (magnitude != 0 || spec.precision != 0) {
        do {
            digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
            magnitude /= 10;
        } while (magnitude != 0);
    }
    if (spec.precision > 0 && digits.size() < static_cast<size_t>(spec.precision))
        digits.insert(0, static_cast<size_t>(spec.precision) - digits.size(), L'0');
    std::wstring sign = value < 0 ? L"-" : spec.plus ? L"+" : spec.space ? L" " : L"";
    Pad(out, sign + digits, spec, sign.size());
}

void FormatString(std::wstring& out, const Spec& spec, const wchar_t* text) {
    std::wstring body = text ? text : L"(null)";
    if (spec.precision >= 0 && body.size() > static_cast<size_t>(spec.precision))
        body.resize(static_cast<size_t>(spec.precision));
    Pad(out, body, spec, 0);
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
            Spec spec = ReadSpec(format, i);
            conversions.push_back(format.substr(i, spec.end - i));
            i = spec.end;
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
        Spec spec = ReadSpec(format, i);
        if (!spec.valid) {
            out.append(format, i, spec.end - i);
        } else if (spec.conversion == L's') {
            FormatString(out, spec, va_arg(arguments, const wchar_t*));
        } else {
            FormatInteger(out, spec, va_arg(arguments, int));
        }
        i = spec.end;
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
