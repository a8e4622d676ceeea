#pragma once
// A source's cover picture as a file of its own, for containers that keep covers as attachments.

#include <optional>
#include <string>

namespace vexen {

class CoverFile {
public:
    // Writes the attached picture of stream `stream` of `source` (PNG or JPEG) to a new file in
    // the temporary folder; nothing when the stream holds no such picture.
    static std::optional<CoverFile> Write(const std::string& source, int stream);

    CoverFile(CoverFile&& other) noexcept;
    CoverFile& operator=(CoverFile&&) = delete;
    ~CoverFile(); // removes the file

    const std::string& path() const { return path_; }
    const std::string& mimeType() const { return mimeType_; }
    const std::string& name() const { return name_; } // "cover.png", "cover.jpg"

private:
    CoverFile(std::string path, std::string mimeType, std::string name);

    std::string path_;
    std::string mimeType_;
    std::string name_;
};

} // namespace vexen
