#pragma once
// The program's fixed facts: its name, version, maker and the pages it points users to.

#include <string>

namespace reelvane {

inline constexpr char kProductTitle[] = "Reelvane";
inline constexpr char kVersionText[] = "2.5.37";
inline constexpr char kMakerShortName[] = "Quillon";
inline constexpr char kSupportMailAddress[] = "mailto:reelvane@quillon.example";

// The help pages ship in the program folder so that they open offline.
inline std::string ProductPage(const std::string& programFolder)
{
    return programFolder + "/help/product.html";
}
inline std::string SupportPage(const std::string& programFolder)
{
    return programFolder + "/help/support.html";
}

} // namespace reelvane
