#include "launcher/preview.h"

#include "launcher/modes.h"
#include "platform/app_module.h"
#include "platform/message_loop.h"
#include "platform/resources.h"
#include "platform/unique_handle.h"
#include "resource.h"

#include <olectl.h>

#include <cstring>

namespace qm {

HRESULT CPreviewWnd::LoadPicture(int resourceId) {
    const std::string_view bytes =
        ResourceBytes(Module().instance(), MAKEINTRESOURCEW(resourceId), L"JPEGFILE");
    if (bytes.empty()) return E_FAIL;
    const auto size = static_cast<DWORD>(bytes.size());
    UniqueGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return E_FAIL;
    void* target = ::GlobalLock(memory.get());
    if (!target) return E_FAIL;
    std::memcpy(target, bytes.data(), size);
    ::GlobalUnlock(memory.get());

    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(memory.get(), TRUE, stream.put());
    if (FAILED(hr)) return hr;
    memory.release(); // the stream frees it now

    ComPtr<IPicture> picture;
    hr = ::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.put_void());
    if (FAILED(hr) || !picture) return E_FAIL;

    picture_ = std::move(picture);
    pictureWidth_ = 0;
    pictureHeight_ = 0;
    picture_->get_Width(&pictureWidth_);
    picture_->get_Height(&pictureHeight_);
    return S_OK;
}

LRESULT CPreviewWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(hwnd_, &paint);
    if (dc && picture_) {
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        // The default stretch mode ANDs the rows it drops when shrinking, which garbles a colour picture in
        // a preview area smaller than the picture; halftoning averages them.
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        // HIMETRIC runs bottom-up: starting at the bottom with a negative height draws the picture upright.
        picture_->Render(dc, 0, 0, client.right - client.left, client.bottom - client.top, 0, pictureHeight_,
                         pictureWidth_, -pictureHeight_, nullptr);
    }
    ::EndPaint(hwnd_, &paint);
    return 0;
}

LRESULT CPreviewWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    ::PostQuitMessage(0);
    return 0;
}

void RunPreview(HWND host) {
    MessageLoop loop;
    Module().AddMessageLoop(&loop);

    RECT rect{};
    ::GetClientRect(host, &rect);
    ::AdjustWindowRect(&rect, WS_CHILD | WS_VISIBLE, FALSE);

    // Lives for this run only, so that the picture is released while COM is still initialised.
    CPreviewWnd preview;
    if (preview.Create(host, rect, L"", WS_CHILD | WS_VISIBLE)) {
        preview.LoadPicture(IDR_PREVIEW_JPEG);
        preview.ShowWindow(SW_SHOW);
        loop.Run();
    }
    Module().RemoveMessageLoop();
}

} // namespace qm
