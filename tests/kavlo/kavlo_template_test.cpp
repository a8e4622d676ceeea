// Create Temp and the atom scan on camera-like and converted clips; the template file's parts.

#include "tests/kavlo/kavlo_media_set.h"
#include "tools/kavlo/atom_scan.h"
#include "tools/kavlo/kavlo_messages.h"
#include "tools/kavlo/mov_template.h"

#include "platform/byte_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kavlo_test;

namespace {

const std::string kTemplateName = std::string(kavlo::kTemplatePrefix) + "camera.mov";

Bytes AtomBytes(const Bytes& file, const Box& box)
{
    return Bytes(file.begin() + box.offset, file.begin() + box.end());
}

} // namespace

TEST(kavloTemplate, HoldsTheCameraSkipSoundDescriptionUdtaAndNumbers)
{
    TempFolder folder;
    CopyInto(folder, Media().cameraClip, "camera.mov");
    RecordingUi ui;
    ASSERT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Done);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kavlo::kTemplateCreated}));

    const Bytes clip = ReadBytes(Media().cameraClip);
    const Bytes file = ReadBytes(folder.path(kTemplateName));
    const Bytes skip(clip.begin(), clip.begin() + 64);
    const Bytes stsd = AtomBytes(clip, *Child(clip, *SampleTable(clip, "soun"), "stsd"));
    const Bytes udta(clip.end() - 32, clip.end());
    platform::BigEndianWriter expected;
    // One frame per chunk at 15 frames per second and 8000 Hz: 533 audio samples per chunk.
    expected.bytes(skip).bytes(stsd).bytes(udta).u32(8000 / 15).u32(8000).u32(15).u32(1);
    EXPECT_EQ(file, expected.data());

    kavlo::CameraTemplate parsed;
    ASSERT_TRUE(kavlo::ParseTemplate(file, parsed));
    EXPECT_EQ(kavlo::SerializeTemplate(parsed), file);
    // A template cut short anywhere is refused.
    for (std::size_t length = 0; length < file.size(); ++length)
        EXPECT_FALSE(kavlo::ParseTemplate(Bytes(file.begin(), file.begin() + length), parsed)) << length;

    // Made again, the template replaces the old one whole.
    std::filesystem::resize_file(folder.path(kTemplateName), 10);
    ASSERT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Done);
    EXPECT_EQ(ReadBytes(folder.path(kTemplateName)), file);
}

TEST(kavloTemplate, RefusesClipsWithoutTheCameraLayoutAndWritesNothing)
{
    const Bytes clip = ReadBytes(Media().cameraClip);
    Bytes trailing = clip;
    trailing.insert(trailing.end(), {0, 0, 0, 8, 'f', 'r', 'e', 'e'});
    Bytes leading = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};
    leading.insert(leading.end(), clip.begin(), clip.end());
    const Bytes converted = ReadBytes(Media().target);
    for (const Bytes* refused : std::initializer_list<const Bytes*>{&trailing, &leading, &converted}) {
        TempFolder folder;
        WriteBytes(folder.path("camera.mov"), *refused);
        RecordingUi ui;
        EXPECT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Ended);
        EXPECT_EQ(ui.messages, (std::vector<std::string>{kavlo::kNotCameraClip}));
        EXPECT_FALSE(std::filesystem::exists(folder.path(kTemplateName)));
    }
}

TEST(kavloTemplate, MissingChoiceOrFileShowsAMessageAndKeepsTheWindowOpen)
{
    TempFolder folder;
    RecordingUi ui;
    EXPECT_EQ(kavlo::CreateTemp(folder.path(""), kavlo::kNoChoice, ui), kavlo::Outcome::StayOpen);
    EXPECT_EQ(kavlo::CreateTemp(folder.path(""), "gone.mov", ui), kavlo::Outcome::StayOpen);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], kavlo::kChooseCameraClip);
    EXPECT_EQ(ui.messages[1], kavlo::kCannotRead + folder.path("") + "/gone.mov");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path("")));
}

TEST(kavloScan, PutsTheVideoTrackFirstWhateverTheFileOrder)
{
    for (const std::string& path : {Media().target, Media().targetAudioFirst}) {
        const Bytes file = ReadBytes(path);
        kavlo::AtomIndex index;
        ASSERT_FALSE(kavlo::ScanAtoms(file, index));
        EXPECT_TRUE(index.video().mp4v && !index.video().ulaw) << path;
        EXPECT_TRUE(index.audio().ulaw && !index.audio().mp4v) << path;
        EXPECT_EQ(index.video().stco.offset, Child(file, *SampleTable(file, "vide"), "stco")->offset);
        EXPECT_EQ(index.audio().stsd.offset, Child(file, *SampleTable(file, "soun"), "stsd")->offset);
        EXPECT_EQ(index.mdat.offset, Find(file, {"mdat"})->offset);
        EXPECT_EQ(kavlo::CodecFlag(index), 1u);
        EXPECT_FALSE(index.skip.found);
    }
}

TEST(kavloScan, AThirdTrackEndsTheScanWithItsMessage)
{
    // A third "trak" is announced by its own message; so are a third "mdia", "minf" and "edts".
    const Bytes file = ReadBytes(Media().target);
    const Box moov = *Find(file, {"moov"});
    const Box trak = *Child(file, moov, "trak");
    Bytes tripled(file.begin(), file.begin() + moov.end());
    tripled.insert(tripled.end(), file.begin() + trak.offset, file.begin() + trak.end());
    tripled.insert(tripled.end(), file.begin() + moov.end(), file.end());
    kavlo::AtomIndex index;
    EXPECT_EQ(kavlo::ScanAtoms(tripled, index), std::optional<std::string>(kavlo::kMoreThanTwoTrak));

    TempFolder folder;
    WriteBytes(folder.path("camera.mov"), tripled);
    RecordingUi ui;
    EXPECT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Ended);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kavlo::kMoreThanTwoTrak}));
}

TEST(kavloScan, ImpossibleAtomSizesAreNotFollowed)
{
    // A size pointing past the end, or below a header, must neither loop nor read outside.
    for (uint32_t size : {0u, 4u, 0xFFFFFFF0u}) {
        platform::BigEndianWriter file;
        file.u32(size).text("mdat").u32(16).text("skip").zeros(8).u32(size).text("moov");
        kavlo::AtomIndex index;
        EXPECT_FALSE(kavlo::ScanAtoms(file.data(), index));
        EXPECT_FALSE(index.mdat.found);
        EXPECT_TRUE(index.skip.found);
        EXPECT_FALSE(index.moov.found);
    }
}
