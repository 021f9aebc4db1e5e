#include "dialogs/product_web_page.h"

namespace qm {
namespace {

struct SiteForLanguage {
    const wchar_t* language;
    const wchar_t* address;
};

constexpr wchar_t kMainSite[] = L"https://www.quillmere-taveny.com/";
constexpr SiteForLanguage kLocalSites[] = {
    {L"de", L"https://www.quillmere-taveny.com/de/"},
    {L"fr", L"https://www.quillmere-taveny.com/fr/"},
    {L"ru", L"https://www.quillmere-taveny.com/ru/"},
};
constexpr wchar_t kSourceQuery[] = L"?source=quillmeretaveny&url=settings_more";

} // namespace

std::wstring ProductWebPage(const std::wstring& languageTag) {
    std::wstring address = kMainSite;
    for (const SiteForLanguage& site : kLocalSites)
        if (languageTag == site.language) address = site.address;
    return address + kSourceQuery;
}

} // namespace qm
