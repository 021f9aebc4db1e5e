// The resources of the built screensaver file that the system reads without running it.
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qmtest;

namespace {

class ScrResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = ::LoadLibraryExW(ScrPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) ::FreeLibrary(module_);
    }

    std::string Raw(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = ::FindResourceW(module_, name, type);
        if (!found) return {};
        HGLOBAL loaded = ::LoadResource(module_, found);
        const char* bytes = static_cast<const char*>(::LockResource(loaded));
        return bytes ? std::string(bytes, ::SizeofResource(module_, found)) : std::string();
    }

    HMODULE module_ = nullptr;
};

TEST_F(ScrResources, StringOneIsTheProductName) {
    wchar_t text[128] = {};
    ASSERT_GT(::LoadStringW(module_, 1, text, 128), 0);
    EXPECT_STREQ(text, L"Quillmere - Taveny 3D Screensaver");
}

TEST_F(ScrResources, VersionBlockNamesTheProductAndVersion) {
    std::vector<char> block;
    {
        std::string raw = Raw(RT_VERSION, MAKEINTRESOURCEW(1));
        ASSERT_FALSE(raw.empty());
        block.assign(raw.begin(), raw.end());
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000003u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000003u);
    for (const wchar_t* name : {L"FileDescription", L"InternalName", L"ProductName"}) {
        wchar_t* value = nullptr;
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &size))
            << path;
        EXPECT_STREQ(value, L"Quillmere - Taveny 3D Screensaver") << path;
    }
}

// A 64-bit process is refused the x86 common-controls assembly: each file names its own architecture.
#ifdef _WIN64
constexpr char kArchitecture[] = "processorArchitecture=\"amd64\"";
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
constexpr char kArchitecture[] = "processorArchitecture=\"x86\"";
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

TEST(ScrFile, IsBuiltForTheFlavourOfItsTests) {
    const std::string file = ReadBinaryFile(ScrPath());
    ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), file.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, kMachine);
    EXPECT_EQ(nt->OptionalHeader.Magic, kOptionalMagic); // PE32+ for the 64-bit file
}

TEST_F(ScrResources, ManifestBindsCommonControlsSixAndAsksForNothingMore) {
    std::string manifest = Raw(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" " +
                            std::string(kArchitecture)),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos);
    size_t supported = 0;
    for (size_t at = manifest.find("<supportedOS"); at != std::string::npos;
         at = manifest.find("<supportedOS", at + 1))
        ++supported;
    EXPECT_EQ(supported, 5u);
    EXPECT_NE(manifest.find("<assemblyIdentity type=\"win32\" name=\"Orvanta.QuillmereTaveny3DScreensaver\" "
                            "version=\"1.0.0.0\" " +
                            std::string(kArchitecture)),
              std::string::npos);
}

} // namespace
