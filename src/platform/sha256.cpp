#include "platform/sha256.h"

#include "platform/system_library.h"

#include <windows.h>

#include <bcrypt.h>

namespace qm {

std::optional<std::wstring> Sha256Hex(const void* bytes, std::size_t count) {
    const UniqueModule bcrypt = LoadSystemLibrary(L"bcrypt.dll");
    auto open = ExportOf<NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG)>(
        bcrypt, "BCryptOpenAlgorithmProvider");
    auto close =
        ExportOf<NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, ULONG)>(bcrypt, "BCryptCloseAlgorithmProvider");
    auto create = ExportOf<NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR,
                                             ULONG, ULONG)>(bcrypt, "BCryptCreateHash");
    auto hash =
        ExportOf<NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG)>(bcrypt, "BCryptHashData");
    auto finish =
        ExportOf<NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG)>(bcrypt, "BCryptFinishHash");
    auto destroy = ExportOf<NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE)>(bcrypt, "BCryptDestroyHash");
    if (!open || !close || !create || !hash || !finish || !destroy) return std::nullopt;

    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return std::nullopt;
    unsigned char digest[32] = {};
    BCRYPT_HASH_HANDLE object = nullptr;
    bool done = create(algorithm, &object, nullptr, 0, nullptr, 0, 0) == 0;
    // The data in pieces a ULONG can count.
    const auto* next = static_cast<const unsigned char*>(bytes);
    for (std::size_t left = count; done && left > 0;) {
        const ULONG piece = left > 0x40000000u ? 0x40000000u : static_cast<ULONG>(left);
        done = hash(object, const_cast<PUCHAR>(next), piece, 0) == 0;
        next += piece;
        left -= piece;
    }
    done = done && finish(object, digest, sizeof(digest), 0) == 0;
    if (object) destroy(object);
    close(algorithm, 0);
    if (!done) return std::nullopt;

    std::wstring text;
    for (unsigned char b : digest) {
        text += L"0123456789abcdef"[b >> 4];
        text += L"0123456789abcdef"[b & 15];
    }
    return text;
}

} // namespace qm
