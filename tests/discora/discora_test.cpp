// The burner program: a DVD-Video image from generated DVD program streams, read back with
// xorriso, udfinfo and lsdvd, and the plans it prints for the other kinds of disc.
#include "adapters/discora/burn_plan.h"
#include "platform/process_runner.h"
#include "tests/discora/dvd_listing.h"
#include "tests/platform/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Exit status and standard output of discora.
std::pair<int, std::string> RunDiscora(const std::vector<std::string>& arguments)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    options.pipeStderr = true;
    if (!child.Start(DISCORA_PROGRAM, arguments, options))
        return {-1, {}};
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stdoutFd(), buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    return {child.Wait(), out};
}

std::string MakeDvdStream(const TempFolder& folder, const std::string& name, const std::string& aspect = "4:3")
{
    const std::string path = folder.path(name);
    int rc = platform::RunAndWait("ffmpeg", {"-hide_banner", "-loglevel", "error", "-nostdin", "-f", "lavfi", "-i",
                                             "testsrc2=size=720x576:rate=25:duration=1", "-f", "lavfi", "-i",
                                             "sine=frequency=440:sample_rate=48000:duration=1", "-target", "pal-dvd",
                                             "-aspect", aspect, path});
    return rc == 0 ? path : std::string();
}

} // namespace

TEST(Discora, MakesAVideoTsImageFromADvdProgramStream)
{
    TempFolder folder;
    const std::string stream = MakeDvdStream(folder, "clip.mpg");
    ASSERT_FALSE(stream.empty());
    ASSERT_TRUE(discora::IsProgramStream(stream));
    const std::string image = folder.path("dvd.iso");

    auto [code, out] = RunDiscora({"burn", "-f", stream, "-t", "DVD", "--image", image});
    ASSERT_EQ(code, 0) << out;
    ASSERT_TRUE(fs::is_regular_file(image));

    auto listing = platform::RunAndCapture("xorriso", {"-indev", image, "-find", "/", "-type", "f"});
    ASSERT_TRUE(listing);
    for (const char* file : {"/VIDEO_TS/VIDEO_TS.IFO", "/VIDEO_TS/VTS_01_0.IFO", "/VIDEO_TS/VTS_01_1.VOB"})
        EXPECT_NE(listing->find(file), std::string::npos) << file << " not in\n" << *listing;
    auto udf = platform::RunAndCapture("udfinfo", {image});
    ASSERT_TRUE(udf) << "no UDF bridge";
    EXPECT_NE(udf->find("label=CLIP"), std::string::npos) << *udf;

    // An existing image is never replaced.
    auto [again, ignored] = RunDiscora({"burn", "-f", stream, "-t", "DVD", "--image", image});
    EXPECT_EQ(again, 1);
}

TEST(Discora, TitlesOfAnotherShapeOrLanguageGetATitleSetOfTheirOwn)
{
    TempFolder folder;
    const std::string a = MakeDvdStream(folder, "a.mpg"), b = MakeDvdStream(folder, "b.mpg"),
                      wide = MakeDvdStream(folder, "wide.mpg", "16:9");
    ASSERT_FALSE(a.empty() || b.empty() || wide.empty());
    const std::string image = folder.path("dvd.iso");

    // Bibliographic and terminology codes alike; a stream of unknown language shares nothing.
    auto [code, out] =
        RunDiscora({"burn", "-f", a, b, wide, a, "-t", "DVD", "-l", "eng", "eng", "ger", "und", "--image", image});
    ASSERT_EQ(code, 0) << out;
    EXPECT_EQ(discora_test::DvdTitles(image),
              (std::vector<std::string>{"VTS 01, 4/3, en", "VTS 01, 4/3, en", "VTS 02, 16/9, de", "VTS 03, 4/3, xx"}))
        << out;

    // Without languages the shapes still part.
    const std::string plain = folder.path("plain.iso");
    ASSERT_EQ(RunDiscora({"burn", "-f", wide, a, "-t", "DVD", "--image", plain}).first, 0);
    EXPECT_EQ(discora_test::DvdTitles(plain), (std::vector<std::string>{"VTS 01, 16/9, xx", "VTS 02, 4/3, xx"}));
}

TEST(Discora, DryRunPrintsThePlanForEachKindOfDisc)
{
    TempFolder folder;
    const std::string stream = MakeDvdStream(folder, "a.mpg");
    const std::string other = folder.write("notes.mp4", "not a program stream");
    const std::string iso = folder.write("disc.iso", "image bytes");

    auto [dvdCode, dvd] = RunDiscora({"--dry-run", "burn", "-f", stream, "-t", "DVD"});
    EXPECT_EQ(dvdCode, 0);
    EXPECT_NE(dvd.find("dvdauthor -x "), std::string::npos) << dvd;
    EXPECT_NE(dvd.find("<vob file=\"" + stream + "\"/>"), std::string::npos) << dvd;
    EXPECT_NE(dvd.find("genisoimage -quiet -dvd-video -udf"), std::string::npos) << dvd;

    auto [dataCode, data] = RunDiscora({"--dry-run", "burn", "-f", stream, other, "-t", "DVD"});
    EXPECT_EQ(dataCode, 0);
    EXPECT_EQ(data.find("dvdauthor"), std::string::npos) << data;
    EXPECT_NE(data.find("xorriso -as mkisofs"), std::string::npos) << data;

    auto [imageCode, burn] = RunDiscora({"--dry-run", "--device", "/dev/sr7", "burn", "-f", iso, "-t", "DVD"});
    EXPECT_EQ(imageCode, 0);
    EXPECT_NE(burn.find("xorriso -as cdrecord -v dev=/dev/sr7 blank=as_needed -eject " + iso), std::string::npos)
        << burn;
    EXPECT_FALSE(fs::exists(folder.path("a.iso")));
}

TEST(Discora, RefusesBadParameters)
{
    TempFolder folder;
    EXPECT_EQ(RunDiscora({"--help"}).first, 0);
    EXPECT_EQ(RunDiscora({"burn", "-f", folder.write("x.mpg", "x")}).first, 2);
    EXPECT_EQ(RunDiscora({"burn", "-t", "DVD"}).first, 2);
    EXPECT_EQ(RunDiscora({"burn", "-f", "a.mpg", "b.mpg", "-t", "DVD", "-l", "eng"}).first, 2);
    EXPECT_EQ(RunDiscora({"copy", "-f", "x", "-t", "DVD"}).first, 2);
    EXPECT_EQ(RunDiscora({"burn", "-f", folder.path("missing.mpg"), "-t", "DVD"}).first, 1);
}

TEST(Discora, FindsTheFirstWritableDrive)
{
    const std::string report = "0  -dev '/dev/sr0' r----- :  'HL-DT-ST' 'DVDRAM'\n"
                               "1  -dev '/dev/sr1' rwrw-- :  'ASUS    ' 'BW-16D1HT'\n";
    EXPECT_EQ(discora::FirstWritableDrive(report), "/dev/sr1");
    EXPECT_FALSE(discora::FirstWritableDrive("xorriso : SORRY : No drives found\n"));
}
