// The preview in the Display control panel: one child window over the host's preview area that paints
// the product's still picture, carried in the program's resources, stretched to fill it.
#pragma once

#include "platform/com_ptr.h"
#include "platform/window_impl.h"

#include <ocidl.h>

namespace qm {

class CPreviewWnd : public WindowImpl<CPreviewWnd> {
  public:
    CPreviewWnd() = default;
    ~CPreviewWnd() override = default;

    // Decodes the "JPEGFILE" resource with this id from the program's own module. On failure the window
    // keeps no picture and paints its background alone.
    HRESULT LoadPicture(int resourceId);

    bool HasPicture() const { return static_cast<bool>(picture_); }
    // The picture's size in HIMETRIC (hundredths of a millimetre), as the picture reports it.
    LONG PictureWidth() const { return pictureWidth_; }
    LONG PictureHeight() const { return pictureHeight_; }

    QM_BEGIN_MSG_MAP()
    QM_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    QM_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    QM_END_MSG_MAP()

  private:
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    ComPtr<IPicture> picture_;
    LONG pictureWidth_ = 0;
    LONG pictureHeight_ = 0;
};

} // namespace qm
