#include "tests/discora/dvd_listing.h"

#include "platform/process_runner.h"

#include <sstream>

namespace discora_test {
namespace {

// The text after "Name: " up to the next comma.
std::string Field(const std::string& line, const std::string& name)
{
    std::size_t at = line.find(name + ": ");
    if (at == std::string::npos)
        return {};
    at += name.size() + 2;
    return line.substr(at, line.find(',', at) - at);
}

} // namespace

std::vector<std::string> DvdTitles(const std::string& disc)
{
    std::vector<std::string> titles;
    auto listing = platform::RunAndCapture("lsdvd", {"-a", "-v", disc});
    if (!listing)
        return titles;
    std::istringstream lines(*listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("VTS: ") != std::string::npos)
            titles.push_back("VTS " + Field(line, "VTS") + ", " + Field(line, "Aspect ratio"));
        else if (line.find("Audio: 1,") != std::string::npos && !titles.empty())
            titles.back() += ", " + Field(line, "Language").substr(0, 2);
    }
    return titles;
}

} // namespace discora_test
