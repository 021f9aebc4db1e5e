// Arbitrary request text, as an unprivileged process may hand the elevated instance: decoding must never
// fail, and a request it takes must be one the encoder writes back to the same text.
#include "settings/store_request.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes per UTF-16 code unit, as the file holds them; a well-formed start now and then, so that the
    // fuzzer reaches past the header.
    std::wstring text = size > 0 && data[0] % 2 ? L"settings store request 1\n" : L"";
    for (size_t i = 1; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const std::optional<qm::StoreRequest> request = qm::DecodeStoreRequest(text);
    if (request && qm::EncodeStoreRequest(*request) != text) __builtin_trap();
    return 0;
}
