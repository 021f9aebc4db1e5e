#include "playlist/playlist_file.h"

namespace qm {

void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries, const PathExistsFn& exists) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::size_t length = end - start;
        if (length > kMaxPlaylistLine) return;
        if (length != 0 && text[start] != L'#') {
            std::wstring line = text.substr(start, length);
            std::wstring candidate = baseDirectory + line;
            if (exists(candidate)) {
                entries.push_back(std::move(candidate));
            } else if (exists(line)) {
                entries.push_back(std::move(line));
            }
        }
        start = end + 1;
    }
}

std::wstring PlaylistText(const std::vector<std::wstring>& entries) {
    std::size_t size = 0;
    for (const auto& entry : entries)
        size += entry.size() + 1;
    std::wstring text;
    text.reserve(size);
    for (const auto& entry : entries) {
        text += entry;
        text += L'\n';
    }
    return text;
}

std::wstring PlaylistBaseDirectory(const std::wstring& path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool IsPlaylistFileName(const std::wstring& path) {
    return path.size() >= 3 && path.compare(path.size() - 3, 3, L"m3u") == 0;
}

void PlaylistFileDecoder::Put(wchar_t c) {
    if (c == L'\n') {
        EndLine();
        return;
    }
    if (++lineLength_ > kMaxPlaylistLine) {
        // The over-long line and everything after it are not part of the text.
        text_.resize(text_.size() - (lineLength_ - 1));
        ended_ = true;
        return;
    }
    if (lineLength_ == 1) lineIsComment_ = c == L'#';
    text_ += c;
}

void PlaylistFileDecoder::EndLine() {
    text_ += L'\n';
    // Counted as ParsePlaylistText takes lines: an empty line or a comment names nothing.
    if (lineLength_ != 0 && !lineIsComment_ && ++nameCount_ == kMaxPlaylistFileNames) ended_ = true;
    lineLength_ = 0;
    if (++lineCount_ == kMaxPlaylistFileLines) ended_ = true;
}

bool PlaylistFileDecoder::Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size() && !ended_; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (pendingCr_) {
            pendingCr_ = false;
            if (byte == '\n') {
                Put(L'\n');
                continue;
            }
            Put(L'\r');
            if (ended_) break;
        }
        if (byte == 0x1A) {
            Finish();
        } else if (byte == '\r') {
            pendingCr_ = true;
        } else {
            Put(static_cast<wchar_t>(byte));
        }
    }
    return !ended_;
}

void PlaylistFileDecoder::Finish() {
    if (ended_) return;
    if (pendingCr_) {
        pendingCr_ = false;
        Put(L'\r');
        if (ended_) return;
    }
    if (lineLength_ != 0) EndLine();
    ended_ = true;
}

std::wstring PlaylistTextFromFileBytes(std::string_view bytes) {
    PlaylistFileDecoder decoder;
    decoder.Feed(bytes);
    decoder.Finish();
    return decoder.text();
}

std::vector<std::wstring>
AddPlaylistPath(const std::wstring& path, const PathExistsFn& exists,
                const std::function<bool(const std::wstring& path, PlaylistFileDecoder& decoder)>& readFile) {
    std::vector<std::wstring> entries;
    if (!IsPlaylistFileName(path)) {
        entries.push_back(path);
        return entries;
    }
    PlaylistFileDecoder decoder;
    if (!readFile(path, decoder)) return entries;
    decoder.Finish();
    ParsePlaylistText(PlaylistBaseDirectory(path), decoder.text(), entries, exists);
    return entries;
}

} // namespace qm
