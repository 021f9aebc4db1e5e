// The preview window painting in this process (pixels are only readable by the process that paints them),
// and the product's icon group as the built screensaver file carries it.
#include "launcher/modes.h"
#include "launcher/preview.h"
#include "platform/app_module.h"
#include "resource.h"
#include "preview_host.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace qmtest;

namespace {

constexpr int kPictureWidth = 152;
constexpr int kPictureHeight = 112;
constexpr int kJpegTolerance = 12; // per channel, for a resampled, re-quantised JPEG

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top row first

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

int Distance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
    return worst;
}

uint32_t FromColorRef(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Copies what a window's DC shows into a top-down 32-bit image.
Image Capture(HDC source, int width, int height) {
    Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = ::CreateCompatibleDC(source);
    HGDIOBJ old = ::SelectObject(memory, dib);
    ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* src = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = src[i] & 0xFFFFFF;
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(dib);
    return image;
}

Image CaptureClient(HWND window) {
    ::UpdateWindow(window);
    RECT client{};
    ::GetClientRect(window, &client);
    HDC dc = ::GetDC(window);
    Image image = Capture(dc, client.right, client.bottom);
    ::ReleaseDC(window, dc);
    return image;
}

// The preview picture decoded on its own, pixel for pixel, without any rendering or stretching.
Image DecodeResourcePicture() {
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_PREVIEW_JPEG), L"JPEGFILE");
    if (!info) return {};
    const DWORD size = ::SizeofResource(nullptr, info);
    const void* bytes = ::LockResource(::LoadResource(nullptr, info));
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(::GlobalLock(memory), bytes, size);
    ::GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) return {};
    IPicture* picture = nullptr;
    HRESULT hr = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                  reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr)) return {};
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP header{};
    ::GetObjectW(bitmap, sizeof(header), &header);
    Image image{header.bmWidth, header.bmHeight,
                std::vector<uint32_t>(static_cast<size_t>(header.bmWidth) * header.bmHeight)};
    BITMAPINFO request{};
    request.bmiHeader = {
        sizeof(BITMAPINFOHEADER), header.bmWidth, -header.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, header.bmHeight, image.pixels.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    picture->Release();
    for (uint32_t& p : image.pixels)
        p &= 0xFFFFFF;
    return image;
}

class Preview : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }
};

// What one run of RunPreview showed, captured from inside its own message loop.
struct RunObservation {
    HWND host = nullptr;
    HWND child = nullptr;
    bool loopRegistered = false;
    RECT childRect{};
    LONG style = 0;
    LONG exStyle = 0;
    std::wstring className;
    ULONG_PTR classStyle = 0;
    ULONG_PTR background = 0;
    ULONG_PTR cursor = 0;
    ULONG_PTR icon = 0;
    Image painted;
    bool forcedToEnd = false;
};
RunObservation g_run;

void CALLBACK ObserveAndCloseHost(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    RunObservation& run = g_run;
    run.loopRegistered = qm::Module().GetMessageLoop() != nullptr;
    run.child = ::GetWindow(run.host, GW_CHILD);
    if (run.child) {
        ::GetWindowRect(run.child, &run.childRect);
        ::MapWindowPoints(nullptr, run.host, reinterpret_cast<POINT*>(&run.childRect), 2);
        run.style = ::GetWindowLongW(run.child, GWL_STYLE);
        run.exStyle = ::GetWindowLongW(run.child, GWL_EXSTYLE);
        run.className = ClassNameOf(run.child);
        run.classStyle = ::GetClassLongPtrW(run.child, GCL_STYLE);
        run.background = ::GetClassLongPtrW(run.child, GCLP_HBRBACKGROUND);
        run.cursor = ::GetClassLongPtrW(run.child, GCLP_HCURSOR);
        run.icon = ::GetClassLongPtrW(run.child, GCLP_HICON);
        run.painted = CaptureClient(run.child);
    }
    ::DestroyWindow(run.host);
}

// Ends a run whose loop did not end with its window, so that the test fails instead of hanging.
void CALLBACK EndRunAnyway(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_run.forcedToEnd = true;
    if (::IsWindow(g_run.host)) ::DestroyWindow(g_run.host);
    ::PostQuitMessage(0);
}

// Runs the preview mode in a host of this size; the loop ends when the observer destroys the host.
RunObservation RunPreviewIn(int width, int height) {
    PreviewHost host(width, height);
    g_run = RunObservation{};
    g_run.host = host.get();
    ::SetTimer(nullptr, 0, 300, &ObserveAndCloseHost);
    UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, &EndRunAnyway);
    qm::RunPreview(host.get());
    ::KillTimer(nullptr, guard);
    EXPECT_FALSE(g_run.forcedToEnd) << "the run did not end when its host was destroyed";
    return g_run;
}

TEST_F(Preview, RunShowsThePictureAtNaturalSizeOverTheWholeHostAndEndsWithTheHost) {
    const Image reference = DecodeResourcePicture();
    ASSERT_EQ(reference.width, kPictureWidth);
    ASSERT_EQ(reference.height, kPictureHeight);
    // The picture is not symmetric top to bottom, so a picture drawn upside down cannot match it.
    int differingColumns = 0;
    for (int x = 0; x < kPictureWidth; ++x)
        if (Distance(reference.At(x, 2), reference.At(x, kPictureHeight - 3)) > 4 * kJpegTolerance)
            ++differingColumns;
    ASSERT_GT(differingColumns, kPictureWidth / 2);

    RunObservation run = RunPreviewIn(kPictureWidth, kPictureHeight);
    EXPECT_FALSE(::IsWindow(run.host));
    EXPECT_EQ(qm::Module().GetMessageLoop(), nullptr) << "the loop stays registered after the run";
    ASSERT_NE(run.child, nullptr) << "no preview window in the host";
    EXPECT_TRUE(run.loopRegistered);
    EXPECT_EQ(run.childRect.left, 0);
    EXPECT_EQ(run.childRect.top, 0);
    EXPECT_EQ(run.childRect.right, kPictureWidth);
    EXPECT_EQ(run.childRect.bottom, kPictureHeight);
    EXPECT_EQ(static_cast<DWORD>(run.style), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(run.exStyle, 0);

    ASSERT_EQ(run.painted.width, kPictureWidth);
    ASSERT_EQ(run.painted.height, kPictureHeight);
    int worst = 0, worstX = 0, worstY = 0;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            int d = Distance(run.painted.At(x, y), reference.At(x, y));
            if (d > worst) worst = d, worstX = x, worstY = y;
        }
    EXPECT_LE(worst, kJpegTolerance) << "at " << worstX << "," << worstY;
}

TEST_F(Preview, WindowClassIsTheGeneratedOneWithItsStylesBrushAndCursor) {
    RunObservation run = RunPreviewIn(40, 30);
    ASSERT_NE(run.child, nullptr);
    // "ATL:" and the address of the class record: eight hexadecimal digits in the 32-bit program, sixteen
    // in the 64-bit one.
    ASSERT_EQ(run.className.size(), 4 + 2 * sizeof(void*))
        << std::string(run.className.begin(), run.className.end());
    EXPECT_EQ(run.className.substr(0, 4), L"ATL:");
    EXPECT_EQ(run.className.find_first_not_of(L"0123456789ABCDEF", 4), std::wstring::npos);
    EXPECT_NE(std::wcstoull(run.className.c_str() + 4, nullptr, 16), 0ull);
    EXPECT_EQ(run.className, qm::CPreviewWnd::ClassName());

    EXPECT_EQ(run.classStyle, static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(run.background, static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    EXPECT_EQ(run.cursor, reinterpret_cast<ULONG_PTR>(::LoadCursorW(nullptr, IDC_ARROW)));
    EXPECT_EQ(run.icon, 0u);
}

TEST_F(Preview, OtherSizesStretchThePictureInEachDirectionOnItsOwn) {
    const Image reference = DecodeResourcePicture();
    ASSERT_EQ(reference.width, kPictureWidth);
    // Landmarks: places where the picture is locally flat, so that resampling cannot move their colour.
    struct Landmark {
        int x, y;
        uint32_t colour;
    };
    std::vector<Landmark> landmarks;
    for (int y = 3; y < kPictureHeight - 3; y += 4)
        for (int x = 3; x < kPictureWidth - 3; x += 4) {
            int spread = 0;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx)
                    spread = std::max(spread, Distance(reference.At(x + dx, y + dy), reference.At(x, y)));
            if (spread <= 6) landmarks.push_back({x, y, reference.At(x, y)});
        }
    ASSERT_GE(landmarks.size(), 60u);

    // Wider and lower, narrower and higher, twice the size, half the size (shrinking must not garble).
    const SIZE sizes[] = {{400, 90}, {100, 250}, {304, 224}, {76, 56}};
    for (SIZE size : sizes) {
        RunObservation run = RunPreviewIn(size.cx, size.cy);
        ASSERT_EQ(run.painted.width, size.cx);
        ASSERT_EQ(run.painted.height, size.cy);
        size_t matched = 0;
        for (const Landmark& mark : landmarks) {
            // The centre of the source pixel, at its scaled place.
            int x = static_cast<int>((mark.x + 0.5) * size.cx / kPictureWidth);
            int y = static_cast<int>((mark.y + 0.5) * size.cy / kPictureHeight);
            if (Distance(run.painted.At(x, y), mark.colour) <= kJpegTolerance) ++matched;
        }
        EXPECT_GE(matched * 100, landmarks.size() * 98)
            << size.cx << "x" << size.cy << ": " << matched << " of " << landmarks.size() << " landmarks";
        // Nothing of the host's black shows: the picture reaches every edge.
        for (int x = 0; x < size.cx; ++x) {
            ASSERT_NE(run.painted.At(x, 0), 0u) << "top edge, x " << x;
            ASSERT_NE(run.painted.At(x, size.cy - 1), 0u) << "bottom edge, x " << x;
        }
    }
}

TEST_F(Preview, MissingPictureLeavesTheClassBackground) {
    PreviewHost host(120, 80);
    qm::CPreviewWnd preview;
    RECT rect{0, 0, 120, 80};
    ASSERT_NE(preview.Create(host.get(), rect, L"", WS_CHILD | WS_VISIBLE), nullptr);
    EXPECT_TRUE(FAILED(preview.LoadPicture(IDR_PREVIEW_JPEG + 1)));
    // Another type under that id is no picture either.
    EXPECT_TRUE(FAILED(preview.LoadPicture(IDR_STRING_TABLE_XML)));
    EXPECT_FALSE(preview.HasPicture());
    EXPECT_EQ(preview.PictureWidth(), 0);
    EXPECT_EQ(preview.PictureHeight(), 0);

    ::InvalidateRect(preview.handle(), nullptr, TRUE);
    Image painted = CaptureClient(preview.handle());
    const uint32_t background = FromColorRef(::GetSysColor(COLOR_WINDOW));
    ASSERT_NE(background, 0u);
    size_t other = 0;
    for (uint32_t p : painted.pixels)
        if (p != background) ++other;
    EXPECT_EQ(other, 0u) << "of " << painted.pixels.size() << " pixels";

    preview.DestroyWindow();
}

TEST_F(Preview, HostThatIsNotAWindowEndsTheRunAtOnce) {
    HWND stale =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(stale, nullptr);
    ::DestroyWindow(stale);
    for (HWND host : {static_cast<HWND>(nullptr), stale}) {
        ULONGLONG start = ::GetTickCount64();
        qm::RunPreview(host); // would block in its loop if a window had been made
        EXPECT_LT(::GetTickCount64() - start, 2000u);
        EXPECT_EQ(qm::Module().GetMessageLoop(), nullptr);
    }
}

// The icon group of the built file, as the shell reads it.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) {
    *reinterpret_cast<LPCWSTR*>(out) = name;
    return FALSE;
}

TEST(ProductIcon, BuiltFileCarriesThirteenImagesOfTheFourSizesAndThreeDepthsPlus256Png) {
    HMODULE scr = ::LoadLibraryExW(ScrPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(scr, nullptr);
    HRSRC group = ::FindResourceW(scr, MAKEINTRESOURCEW(IDI_PRODUCT), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(scr, group)));
    const DWORD size = ::SizeofResource(scr, group);
    ASSERT_GE(size, sizeof(GroupIconHeader));
    GroupIconHeader header;
    memcpy(&header, bytes, sizeof(header));
    EXPECT_EQ(header.type, 1);
    ASSERT_EQ(header.count, 13);
    ASSERT_EQ(size, sizeof(GroupIconHeader) + header.count * sizeof(GroupIconEntry));

    std::vector<std::pair<int, int>> found; // (pixels, bits)
    for (int i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        memcpy(&entry, bytes + sizeof(header) + i * sizeof(entry), sizeof(entry));
        const int pixels = entry.width ? entry.width : 256;
        EXPECT_EQ(entry.width, entry.height);
        found.emplace_back(pixels, entry.bitCount);

        HRSRC image = ::FindResourceW(scr, MAKEINTRESOURCEW(entry.id), RT_ICON);
        ASSERT_NE(image, nullptr) << "image " << entry.id;
        EXPECT_EQ(::SizeofResource(scr, image), entry.bytesInRes);
        const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(scr, image)));
        if (pixels == 256) {
            EXPECT_EQ(memcmp(data, "\x89PNG\r\n\x1a\n", 8), 0) << "the 256-px image is not PNG";
            continue;
        }
        BITMAPINFOHEADER bih;
        memcpy(&bih, data, sizeof(bih));
        EXPECT_EQ(bih.biSize, sizeof(bih));
        EXPECT_EQ(bih.biWidth, pixels);
        EXPECT_EQ(bih.biHeight, pixels * 2) << "colour image and mask";
        EXPECT_EQ(bih.biBitCount, entry.bitCount);
        EXPECT_EQ(entry.colourCount, entry.bitCount == 4 ? 16 : 0);
        // The system can make an icon of every image.
        HICON icon = ::CreateIconFromResourceEx(const_cast<BYTE*>(data), entry.bytesInRes, TRUE, 0x00030000,
                                                pixels, pixels, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr) << pixels << " px, " << entry.bitCount << " bits";
        if (icon) ::DestroyIcon(icon);
    }
    std::vector<std::pair<int, int>> expected;
    for (int bits : {4, 8, 32})
        for (int pixels : {16, 24, 32, 48})
            expected.emplace_back(pixels, bits);
    expected.emplace_back(256, 32);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);

    // The first icon group is the file's own icon.
    LPCWSTR first = nullptr;
    ::EnumResourceNamesW(scr, RT_GROUP_ICON, &TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
    EXPECT_TRUE(IS_INTRESOURCE(first));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(first), static_cast<ULONG_PTR>(IDI_PRODUCT));
    ::FreeLibrary(scr);
}

} // namespace
