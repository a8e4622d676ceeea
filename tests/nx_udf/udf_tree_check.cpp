#include "udf_tree_check.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "udf_test_tree.h"

namespace fs = std::filesystem;

namespace udf_test {

namespace {

std::string FileContent(const ImageReader& image, const Sector& entry)
{
    uint32_t eaLength = le32(&entry[208]);
    uint32_t adLength = le32(&entry[212]);
    uint64_t size = le64(&entry[56]);
    std::string out;
    for (uint32_t at = 216 + eaLength; at < 216 + eaLength + adLength; at += 16) {
        uint32_t length = le32(&entry[at]);
        uint32_t block = le32(&entry[at + 4]);
        EXPECT_EQ(le16(&entry[at + 8]), 0);
        for (uint32_t done = 0; done < length; done += 2048) {
            Sector s = image.sector(288 + block + done / 2048);
            out.append(reinterpret_cast<const char*>(s.data()), std::min<uint32_t>(2048, length - done));
        }
    }
    EXPECT_EQ(out.size(), size);
    return out;
}

} // namespace

void CheckTree(const ImageReader& image, uint32_t entryBlock, const fs::path& source, TreeCheck& check,
               uint64_t contentLimit)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(source))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());

    Sector folder = image.entry(entryBlock);
    uint64_t ownId = le64(&folder[200]);
    auto ids = image.directory(entryBlock);
    ASSERT_EQ(ids.size(), names.size() + 1) << source;
    EXPECT_EQ(ids[0].characteristics, 0x0A);
    EXPECT_TRUE(ids[0].verifies);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Identifier& id = ids[i + 1];
        fs::path path = source / names[i];
        SCOPED_TRACE(path.string());
        EXPECT_TRUE(id.verifies);
        EXPECT_EQ(Utf8Name(id.name), names[i]);
        EXPECT_EQ(id.partition, 1);
        Sector entry = image.entry(id.entryBlock);
        EXPECT_EQ(le16(&entry[0]), 266);
        EXPECT_TRUE(TagVerifies(entry.data()));
        EXPECT_TRUE(TagVerifies(&entry[216]));
        EXPECT_EQ(le32(&entry[12]), id.entryBlock);
        EXPECT_EQ(le64(&entry[200]), id.uniqueId);
        EXPECT_TRUE(check.uniqueIds.insert(id.uniqueId).second);
        if (fs::is_directory(path)) {
            EXPECT_EQ(id.characteristics, 0x02);
            ++check.folders;
            auto children = image.directory(id.entryBlock);
            EXPECT_EQ(children[0].entryBlock, entryBlock);
            EXPECT_EQ(children[0].uniqueId, ownId);
            CheckTree(image, id.entryBlock, path, check, contentLimit);
        } else {
            EXPECT_EQ(id.characteristics, 0x00);
            ++check.files;
            EXPECT_EQ(le64(&entry[56]), fs::file_size(path));
            if (fs::file_size(path) <= contentLimit) {
                EXPECT_TRUE(FileContent(image, entry) == ReadFile(path));
            }
        }
    }
}

} // namespace udf_test
