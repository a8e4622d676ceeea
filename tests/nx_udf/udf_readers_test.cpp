// Outside readers must accept the images: 7-Zip and libudfread.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <udfread/udfread.h>

#include "platform/process_runner.h"
#include "udf_test_tree.h"

namespace fs = std::filesystem;
using namespace udf_test;

namespace {

// Plain files and empty folders, the ways a reader may trip: sorting, wide names, big folders.
void MakeMixedTree(const fs::path& src)
{
    MakeDiscRoot(src / "disc");
    for (int folder = 0; folder < 8; ++folder)
        for (int file = 0; file < 40; ++file)
            WriteFile(src / ("set" + std::to_string(folder)) / ("f" + std::to_string(file) + ".bin"),
                      pattern(static_cast<std::size_t>(file * 97 + folder), file * 8 + folder));
    for (int i = 0; i < 300; ++i)
        WriteFile(src / "three hundred" / ("entry number " + std::to_string(i)), std::to_string(i));
    WriteFile(src / "caf\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "wide");
    WriteFile(src / "\xF0\x9F\x8E\xAC clip.txt", "astral");
    WriteFile(src / "empty", "");
    WriteFile(src / "one byte", "x");
    WriteFile(src / "exact block", pattern(2048, 99));
    fs::create_directories(src / "empty folder");
}

// Every folder and file of `a` is in `b` with the same bytes, and nothing else.
void ExpectSameTree(const fs::path& a, const fs::path& b)
{
    std::vector<fs::path> inA, inB;
    for (const auto& e : fs::recursive_directory_iterator(a))
        inA.push_back(fs::relative(e.path(), a));
    for (const auto& e : fs::recursive_directory_iterator(b))
        inB.push_back(fs::relative(e.path(), b));
    std::sort(inA.begin(), inA.end());
    std::sort(inB.begin(), inB.end());
    ASSERT_EQ(inA, inB);
    for (const auto& rel : inA) {
        ASSERT_EQ(fs::is_directory(a / rel), fs::is_directory(b / rel)) << rel;
        if (!fs::is_directory(a / rel)) {
            EXPECT_TRUE(ReadFile(a / rel) == ReadFile(b / rel)) << rel;
        }
    }
}

std::string ReadUdfFile(udfread* udf, const std::string& path)
{
    UDFFILE* file = udfread_file_open(udf, path.c_str());
    if (!file)
        return "<missing>";
    std::string out(static_cast<std::size_t>(udfread_file_size(file)), '\0');
    ssize_t got = out.empty() ? 0 : udfread_file_read(file, out.data(), out.size());
    udfread_file_close(file);
    return got == static_cast<ssize_t>(out.size()) ? out : "<short read>";
}

// The tree as libudfread sees it, compared with the source.
void ExpectUdfreadTree(udfread* udf, const fs::path& source, const std::string& path, int& entries)
{
    UDFDIR* dir = udfread_opendir(udf, path.c_str());
    ASSERT_NE(dir, nullptr) << path;
    std::vector<std::string> names;
    udfread_dirent entry;
    while (udfread_readdir(dir, &entry)) {
        std::string name = entry.d_name;
        if (name == "." || name == "..")
            continue;
        names.push_back(name);
        fs::path sourcePath = source / name;
        std::string udfPath = path + "/" + name;
        ++entries;
        if (entry.d_type == UDF_DT_DIR) {
            ASSERT_TRUE(fs::is_directory(sourcePath)) << udfPath;
            ExpectUdfreadTree(udf, sourcePath, udfPath, entries);
        } else {
            ASSERT_TRUE(fs::is_regular_file(sourcePath)) << udfPath;
            EXPECT_TRUE(ReadUdfFile(udf, udfPath) == ReadFile(sourcePath)) << udfPath;
        }
    }
    udfread_closedir(dir);
    EXPECT_EQ(names.size(), static_cast<std::size_t>(std::distance(fs::directory_iterator(source), {}))) << path;
}

} // namespace

TEST(NxUdfReaders, SevenZipExtractsEveryFile)
{
    TempFolder temp;
    MakeMixedTree(temp / "src");
    ASSERT_EQ(build(temp / "src", temp / "mixed.iso"), 0);
    auto listing = platform::RunAndCapture("7zz", {"l", (temp / "mixed.iso").string()});
    ASSERT_TRUE(listing);
    EXPECT_NE(listing->find("Type = Udf"), std::string::npos) << *listing;
    EXPECT_NE(listing->find("three hundred/entry number 299"), std::string::npos);
    ASSERT_TRUE(platform::RunAndCapture("7zz", {"x", "-bd", "-y", "-o" + (temp / "out").string(),
                                                (temp / "mixed.iso").string()}));
    ExpectSameTree(temp / "src", temp / "out");
}

TEST(NxUdfReaders, LibudfreadReadsEveryFile)
{
    TempFolder temp;
    MakeMixedTree(temp / "src");
    // libudfread turns a surrogate pair into two three-byte sequences instead of one character.
    fs::remove(temp / "src/\xF0\x9F\x8E\xAC clip.txt");
    ASSERT_EQ(build(temp / "src", temp / "mixed.iso", "Caf\xC3\xA9 disc"), 0);
    udfread* udf = udfread_init();
    ASSERT_EQ(udfread_open(udf, (temp / "mixed.iso").c_str()), 0);
    EXPECT_STREQ(udfread_get_volume_id(udf), "Caf\xC3\xA9 disc");
    int entries = 0;
    ExpectUdfreadTree(udf, temp / "src", "", entries);
    EXPECT_GT(entries, 600);
    udfread_close(udf);
}

TEST(NxUdfReaders, FileOverFourGigabytesStaysSparse)
{
    TempFolder temp;
    const uint64_t size = (4ull << 30) + 5000;
    const std::pair<uint64_t, std::string> marks[] = {{0, "start"},
                                                      {(1ull << 30) - 2050, "across the first piece"},
                                                      {(4ull << 30) - 3, "over 4 GiB"},
                                                      {size - 4, "end!"}};
    fs::create_directory(temp / "src");
    {
        int fd = open((temp / "src/huge.m2ts").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        for (const auto& [at, text] : marks)
            ASSERT_EQ(pwrite(fd, text.data(), text.size(), static_cast<off_t>(at)), static_cast<ssize_t>(text.size()));
        close(fd);
    }
    WriteFile(temp / "src/small.txt", "after the huge one");
    ASSERT_EQ(build(temp / "src", temp / "huge.iso"), 0);

    struct stat st {};
    ASSERT_EQ(stat((temp / "huge.iso").c_str(), &st), 0);
    EXPECT_GT(static_cast<uint64_t>(st.st_size), size);
    EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512, 16u << 20); // the holes stayed holes

    udfread* udf = udfread_init();
    ASSERT_EQ(udfread_open(udf, (temp / "huge.iso").c_str()), 0);
    UDFFILE* file = udfread_file_open(udf, "/huge.m2ts");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(static_cast<uint64_t>(udfread_file_size(file)), size);
    for (const auto& [at, text] : marks) {
        std::string got(text.size() + 2, '?');
        int64_t from = at == 0 ? 0 : static_cast<int64_t>(at) - 1;
        ASSERT_EQ(udfread_file_seek(file, from, UDF_SEEK_SET), from);
        got.resize(static_cast<std::size_t>(udfread_file_read(file, got.data(), got.size())));
        EXPECT_NE(got.find(text), std::string::npos) << at;
    }
    udfread_file_close(file);
    EXPECT_EQ(ReadUdfFile(udf, "/small.txt"), "after the huge one");
    udfread_close(udf);

    auto listing = platform::RunAndCapture("7zz", {"l", (temp / "huge.iso").string()});
    ASSERT_TRUE(listing);
    EXPECT_NE(listing->find(std::to_string(size)), std::string::npos) << *listing;
    ASSERT_TRUE(platform::RunAndCapture("7zz", {"x", "-bd", "-y", "-o" + (temp / "out").string(),
                                                (temp / "huge.iso").string(), "small.txt"}));
    EXPECT_EQ(ReadFile(temp / "out/small.txt"), "after the huge one");
}
