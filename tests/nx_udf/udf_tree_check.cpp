#include "udf_tree_check.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "udf_test_tree.h"

namespace fs = std::filesystem;

namespace udf_test {

namespace {

std::string file_content(const ImageReader& image, const Sector& entry)
{
    uint32_t ea_length = le32(&entry[208]);
    uint32_t ad_length = le32(&entry[212]);
    uint64_t size = le64(&entry[56]);
    std::string out;
    for (uint32_t at = 216 + ea_length; at < 216 + ea_length + ad_length; at += 16) {
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

void check_tree(const ImageReader& image, uint32_t entry_block, const fs::path& source, TreeCheck& check,
                uint64_t content_limit)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(source))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());

    Sector folder = image.entry(entry_block);
    uint64_t own_id = le64(&folder[200]);
    auto ids = image.directory(entry_block);
    ASSERT_EQ(ids.size(), names.size() + 1) << source;
    EXPECT_EQ(ids[0].characteristics, 0x0A);
    EXPECT_TRUE(ids[0].verifies);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Identifier& id = ids[i + 1];
        fs::path path = source / names[i];
        SCOPED_TRACE(path.string());
        EXPECT_TRUE(id.verifies);
        EXPECT_EQ(utf8_name(id.name), names[i]);
        EXPECT_EQ(id.partition, 1);
        Sector entry = image.entry(id.entry_block);
        EXPECT_EQ(le16(&entry[0]), 266);
        EXPECT_TRUE(tag_verifies(entry.data()));
        EXPECT_TRUE(tag_verifies(&entry[216]));
        EXPECT_EQ(le32(&entry[12]), id.entry_block);
        EXPECT_EQ(le64(&entry[200]), id.unique_id);
        EXPECT_TRUE(check.unique_ids.insert(id.unique_id).second);
        if (fs::is_directory(path)) {
            EXPECT_EQ(id.characteristics, 0x02);
            ++check.folders;
            auto children = image.directory(id.entry_block);
            EXPECT_EQ(children[0].entry_block, entry_block);
            EXPECT_EQ(children[0].unique_id, own_id);
            check_tree(image, id.entry_block, path, check, content_limit);
        } else {
            EXPECT_EQ(id.characteristics, 0x00);
            ++check.files;
            EXPECT_EQ(le64(&entry[56]), fs::file_size(path));
            if (fs::file_size(path) <= content_limit) {
                EXPECT_TRUE(file_content(image, entry) == read_file(path));
            }
        }
    }
}

} // namespace udf_test
