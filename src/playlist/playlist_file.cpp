#include "playlist/playlist_file.h"

#include "platform/wide_text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qm {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The longest line that some decoding could still take within kMaxPlaylistLine characters: UTF-8 needs
// at most four bytes a character (three for a replaced invalid sequence), an ANSI code page two, and
// the first line may carry the byte-order mark. A longer line is over-long whatever the encoding.
constexpr std::size_t kMaxLineBytes = 4 * kMaxPlaylistLine + kUtf8Mark.size();

// Windows-1252 differs from Latin-1 in 0x80-0x9F only; undefined bytes keep their own code.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Windows-1251 from 0x80 to 0xBF; 0xC0-0xFF are U+0410-U+044F in order.
constexpr std::array<char16_t, 64> kWindows1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

wchar_t Windows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? static_cast<wchar_t>(kWindows1252High[byte - 0x80])
                                       : static_cast<wchar_t>(byte);
}

wchar_t Windows1251(unsigned char byte) {
    if (byte < 0x80) return static_cast<wchar_t>(byte);
    if (byte < 0xC0) return static_cast<wchar_t>(kWindows1251High[byte - 0x80]);
    return static_cast<wchar_t>(0x0410 + (byte - 0xC0));
}

struct Utf8Result {
    std::size_t characters = 0;
    bool valid = true;
};

// UTF-8 as the system decodes it when not asked to fail: each ill-formed part (the longest start of a
// well-formed sequence, or else one byte) becomes U+FFFD. Appends to out when given.
Utf8Result DecodeUtf8(std::string_view bytes, std::wstring* out) {
    Utf8Result result;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        char32_t code = lead;
        std::size_t length = 0; // 0: a byte that starts no sequence
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;  // no overlong forms
            if (lead == 0xED) high = 0x9F; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F; // nothing beyond U+10FFFF
        }
        std::size_t taken = 1;
        bool wellFormed = length != 0;
        for (; wellFormed && taken < length; ++taken) {
            const auto next = i + taken < bytes.size() ? static_cast<unsigned char>(bytes[i + taken]) : 0;
            if (next < low || next > high) {
                wellFormed = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        if (!wellFormed) {
            result.valid = false;
            code = 0xFFFD;
        }
        if (out) AppendCodePoint(code, *out);
        ++result.characters;
        i += taken;
    }
    return result;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool EndsWithIgnoringCase(const std::wstring& text, std::wstring_view lowerEnding) {
    if (text.size() < lowerEnding.size()) return false;
    const std::size_t start = text.size() - lowerEnding.size();
    for (std::size_t i = 0; i < lowerEnding.size(); ++i) {
        wchar_t c = text[start + i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lowerEnding[i]) return false;
    }
    return true;
}

} // namespace

CodePageDecoder SingleByteCodePageDecoder(unsigned codePage) {
    wchar_t (*map)(unsigned char) = nullptr;
    if (codePage == 1251) map = &Windows1251;
    if (codePage == 1252) map = &Windows1252;
    return [map](std::string_view bytes) {
        std::wstring text;
        text.reserve(bytes.size());
        for (char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            text += map ? map(byte) : static_cast<wchar_t>(byte);
        }
        return text;
    };
}

void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries, const PathExistsFn& exists) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::size_t length = end - start;
        if (length > kMaxPlaylistLine &&
            CharacterCount(std::wstring_view(text).substr(start, length)) > kMaxPlaylistLine)
            return;
        if (length != 0 && text[start] != L'#') {
            std::wstring line = text.substr(start, length);
            std::wstring candidate = baseDirectory + line;
            if (exists(candidate)) {
                entries.push_back(std::move(candidate));
            } else if (!baseDirectory.empty() && exists(line)) {
                entries.push_back(std::move(line));
            }
        }
        start = end + 1;
    }
}

std::wstring PlaylistBaseDirectory(const std::wstring& path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

PlaylistFileKind PlaylistFileKindOf(const std::wstring& path) {
    if (EndsWithIgnoringCase(path, L".m3u")) return PlaylistFileKind::M3u;
    if (EndsWithIgnoringCase(path, L".m3u8")) return PlaylistFileKind::M3u8;
    return PlaylistFileKind::NotAPlaylist;
}

PlaylistFileDecoder::PlaylistFileDecoder(CodePageDecoder ansi, PlaylistFileKind kind)
    : ansi_(std::move(ansi)), ansiPossible_(kind != PlaylistFileKind::M3u8) {}

bool PlaylistFileDecoder::NoEncodingCanReadOn() const {
    return (!utf8Possible_ || utf8End_ != std::string::npos) &&
           (!ansiPossible_ || ansiEnd_ != std::string::npos);
}

void PlaylistFileDecoder::CutOverLongLine(bool forUtf8, bool forAnsi) {
    // The over-long line and everything after it are not part of the text in that encoding.
    if (forUtf8 && utf8End_ == std::string::npos) utf8End_ = names_.size();
    if (forAnsi && ansiEnd_ == std::string::npos) ansiEnd_ = names_.size();
}

void PlaylistFileDecoder::Put(char byte) {
    if (byte == '\n') {
        EndLine();
        return;
    }
    line_ += byte;
    if (line_.size() > kMaxLineBytes) {
        CutOverLongLine(true, true);
        line_.clear();
        ended_ = true;
    }
}

void PlaylistFileDecoder::EndLine() {
    if (lineCount_ == 0 && line_.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) {
        line_.erase(0, kUtf8Mark.size());
        ansiPossible_ = false;
    }
    bool overUtf8 = line_.size() > kMaxPlaylistLine;
    bool overAnsi = overUtf8;
    if (!IsAscii(line_)) {
        nonAscii_ = true;
        if (utf8Possible_) {
            const Utf8Result utf8 = DecodeUtf8(line_, nullptr);
            // Without a mark, one ill-formed sequence anywhere makes the whole file ANSI.
            if (!utf8.valid && ansiPossible_) utf8Possible_ = false;
            overUtf8 = utf8.characters > kMaxPlaylistLine;
        }
        if (ansiPossible_ && ansiEnd_ == std::string::npos)
            overAnsi = CharacterCount(ansi_(line_)) > kMaxPlaylistLine;
    }
    CutOverLongLine(overUtf8, overAnsi);
    ++lineCount_;
    // Counted as ParsePlaylistText takes lines: an empty line or a comment names nothing.
    const bool naming = !line_.empty() && line_[0] != '#';
    if (NoEncodingCanReadOn()) {
        ended_ = true;
    } else if (naming) {
        names_ += line_;
        names_ += '\n';
        if (++nameCount_ == kMaxPlaylistFileNames) ended_ = true;
    }
    if (lineCount_ == kMaxPlaylistFileLines) ended_ = true;
    line_.clear();
}

void PlaylistFileDecoder::EndText() {
    if (pendingCr_) {
        pendingCr_ = false;
        Put('\r');
    }
    if (!ended_ && !line_.empty()) EndLine();
    ended_ = true;
}

bool PlaylistFileDecoder::Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size() && !ended_; ++i) {
        const char byte = bytes[i];
        if (pendingCr_) {
            pendingCr_ = false;
            if (byte == '\n') {
                Put('\n');
                continue;
            }
            Put('\r');
            if (ended_) break;
        }
        if (byte == '\x1A') {
            EndText();
        } else if (byte == '\r') {
            pendingCr_ = true;
        } else {
            Put(byte);
        }
    }
    return !ended_;
}

void PlaylistFileDecoder::Finish() {
    if (finished_) return;
    if (!ended_) EndText();
    finished_ = true;

    const bool utf8 = !ansiPossible_ || (utf8Possible_ && nonAscii_);
    const std::string_view names(names_.data(), std::min(names_.size(), utf8 ? utf8End_ : ansiEnd_));
    text_.reserve(names.size());
    if (!nonAscii_) {
        for (char c : names)
            text_ += static_cast<wchar_t>(static_cast<unsigned char>(c));
    } else if (utf8) {
        DecodeUtf8(names, &text_);
    } else {
        // Line by line, as the lines were measured: a lead byte of a double-byte code page at the end
        // of one line must not take the line feed with it.
        for (std::size_t start = 0; start < names.size();) {
            const std::size_t end = std::min(names.find('\n', start), names.size());
            text_ += ansi_(names.substr(start, end - start));
            text_ += L'\n';
            start = end + 1;
        }
    }
    std::string().swap(names_);
}

std::wstring PlaylistTextFromFileBytes(std::string_view bytes, unsigned codePage, PlaylistFileKind kind) {
    PlaylistFileDecoder decoder(SingleByteCodePageDecoder(codePage), kind);
    decoder.Feed(bytes);
    decoder.Finish();
    return decoder.text();
}

void ReadPlaylistFile(const std::wstring& path, std::vector<std::wstring>& entries,
                      const PathExistsFn& exists, const ReadPlaylistBytesFn& readFile,
                      const CodePageDecoder& ansi) {
    PlaylistFileDecoder decoder(ansi, PlaylistFileKindOf(path));
    if (!readFile(path, decoder)) return;
    decoder.Finish();
    ParsePlaylistText(PlaylistBaseDirectory(path), decoder.text(), entries, exists);
}

std::vector<std::wstring> AddPlaylistPath(const std::wstring& path, const PathExistsFn& exists,
                                          const ReadPlaylistBytesFn& readFile, const CodePageDecoder& ansi) {
    std::vector<std::wstring> entries;
    if (PlaylistFileKindOf(path) == PlaylistFileKind::NotAPlaylist)
        entries.push_back(path);
    else
        ReadPlaylistFile(path, entries, exists, readFile, ansi);
    return entries;
}

} // namespace qm
