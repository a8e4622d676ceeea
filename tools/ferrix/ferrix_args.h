#pragma once
#include <string>
#include <vector>

namespace ferrix {

// The value given after `key` ("/i" or "/o"): the argument that follows its first occurrence,
// with blanks and double quotes stripped from both ends; empty when the key or its value is
// missing.
std::string KeyValue(const std::vector<std::string>& args, const std::string& key);

} // namespace ferrix
