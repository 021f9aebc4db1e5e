// A Direct3D 9 object that describes a machine of the test's choosing: adapters with their desktop
// modes, full-screen modes, capabilities, accepted formats and monitors. Installed in place of the real
// Direct3D 9 for the display enumeration, it also records what the enumeration asked.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace qmtest {

struct FakeAdapter {
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    // Full-screen modes, each answered for the format it carries.
    std::vector<D3DDISPLAYMODE> modes;
    // AdapterOrdinal and DeviceType are filled in by the fake.
    D3DCAPS9 caps{};
    // Display formats that CheckDeviceType accepts.
    std::vector<D3DFORMAT> deviceFormats{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
    // Depth/stencil formats that CheckDeviceFormat and CheckDepthStencilMatch accept.
    std::vector<D3DFORMAT> depthFormats{D3DFMT_D24S8, D3DFMT_D16};
    // Back-buffer formats with which no depth/stencil format goes.
    std::vector<D3DFORMAT> depthFailsFor;
    // What GetAdapterMonitor answers; the primary monitor unless the test says otherwise.
    HMONITOR monitor = nullptr;
    // GetAdapterMonitor throws instead: an enumeration that fails part of the way through.
    bool monitorThrows = false;
};

struct FakeMode {
    UINT width;
    UINT height;
    UINT refreshRate = 60;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
};

// An adapter with hardware vertex processing, a group of one, the primary monitor and these modes.
FakeAdapter MakeFakeAdapter(std::initializer_list<FakeMode> modes, D3DFORMAT desktopFormat = D3DFMT_X8R8G8B8);

class FakeDirect3D9 final : public IDirect3D9 {
  public:
    std::vector<FakeAdapter> adapters;

    // What the enumeration asked, in order.
    std::vector<UINT> monitorOrdinalsAsked;
    std::vector<D3DFORMAT> modeFormatsAsked; // GetAdapterModeCount
    std::vector<std::pair<D3DFORMAT, D3DFORMAT>>
        depthFormatsAsked; // CheckDeviceFormat (adapter format, depth)

    // References other than the test's own one.
    LONG extraReferences() const { return references_ - 1; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initializeFunction) override;
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                   D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index,
                                               D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                              D3DFORMAT backBufferFormat, WINBOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                DWORD usage, D3DRESOURCETYPE resourceType,
                                                D3DFORMAT checkFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                         D3DFORMAT surfaceFormat, WINBOOL windowed,
                                                         D3DMULTISAMPLE_TYPE multiSampleType,
                                                         DWORD* qualityLevels) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthStencilFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type,
                                                          D3DFORMAT sourceFormat,
                                                          D3DFORMAT targetFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                           DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                                           IDirect3DDevice9** device) override;

  private:
    const FakeAdapter* Find(UINT adapter) const {
        return adapter < adapters.size() ? &adapters[adapter] : nullptr;
    }
    bool DepthAccepted(const FakeAdapter& adapter, D3DFORMAT format, D3DFORMAT depth) const;

    LONG references_ = 1;
};

// For the life of the object the display enumeration uses fake (null: a machine without Direct3D 9).
class UseFakeDirect3D9 {
  public:
    explicit UseFakeDirect3D9(FakeDirect3D9* fake);
    ~UseFakeDirect3D9();
    UseFakeDirect3D9(const UseFakeDirect3D9&) = delete;
    UseFakeDirect3D9& operator=(const UseFakeDirect3D9&) = delete;
};

// For the life of the object ProbeAntialiasingLevels reports these counts.
class UseFakeAntialiasingLevels {
  public:
    explicit UseFakeAntialiasingLevels(std::vector<int> counts);
    ~UseFakeAntialiasingLevels();
    UseFakeAntialiasingLevels(const UseFakeAntialiasingLevels&) = delete;
    UseFakeAntialiasingLevels& operator=(const UseFakeAntialiasingLevels&) = delete;
};

} // namespace qmtest
