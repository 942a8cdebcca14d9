#pragma once

// Web addresses behind the banner, the text links and the product button.
// The project has no site yet: a reserved .example domain stands in.
namespace qv::links {

inline constexpr const char kBannerAddress[] =
    "https://quorvane.example/?utm_source=banner&utm_medium=banner&utm_campaign=quorvane";
inline constexpr const char kLinkAddress[] =
    "https://quorvane.example/?utm_source=textlink&utm_medium=textlink&utm_campaign=quorvane";
inline constexpr const char kProductPageAddress[] =
    "https://quorvane.example/products/?utm_source=quorvane&utm_medium=button&utm_campaign=quorvane";

} // namespace qv::links
