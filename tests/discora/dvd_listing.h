#pragma once
// A DVD-Video as a player's library reads it: lsdvd's listing of its titles.

#include <string>
#include <vector>

namespace discora_test {

// One line per title: "VTS 01, 4/3, en" (its title set, display aspect and the language of its
// first audio stream, "xx" when none is named); empty when lsdvd cannot read `disc`.
std::vector<std::string> DvdTitles(const std::string& disc);

} // namespace discora_test
