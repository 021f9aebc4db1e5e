// The product's web page that "Visit..." opens: one address per interface language, with the query
// that tells the site where the visitor came from.
#pragma once

#include <string>

namespace qm {

// The page for the interface language tag ("de", "fr", "ru"; anything else gives the main site).
std::wstring ProductWebPage(const std::wstring& languageTag);

} // namespace qm
