// Convert Now on real MOV files: the rebuilt layout, its tables and sizes, the skip patch, the
// short path for clips already in the camera's layout, and the refusals.

#include "tests/kavlo/kavlo_media_set.h"
#include "tools/kavlo/atom_scan.h"
#include "tools/kavlo/kavlo_messages.h"
#include "tools/kavlo/mov_convert.h"
#include "tools/kavlo/mov_template.h"

#include "platform/process_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <sstream>

using namespace kavlo_test;

namespace {

kavlo::CameraTemplate CameraTemplateOf(const std::string& clipPath)
{
    const Bytes clip = ReadBytes(clipPath);
    kavlo::AtomIndex index;
    kavlo::CameraTemplate camera;
    EXPECT_FALSE(kavlo::ScanAtoms(clip, index));
    EXPECT_FALSE(kavlo::MakeTemplate(clip, index, camera));
    return camera;
}

std::optional<kavlo::Refusal> Convert(const Bytes& target, const kavlo::CameraTemplate& camera, Bytes& out)
{
    return kavlo::ConvertMov(target, camera, out, [](int) {});
}

Bytes Concatenated(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes DecoderConfigOf(const Bytes& target)
{
    const Box stsd = *Child(target, *SampleTable(target, "vide"), "stsd");
    const char esds[] = "esds";
    auto at = std::search(target.begin() + stsd.offset, target.begin() + stsd.end(), esds, esds + 4);
    const std::size_t end = (at - target.begin()) - 4 + U32(target, (at - target.begin()) - 4);
    return Bytes(target.begin() + end - 18, target.begin() + end);
}

Bytes Bytes_(const Bytes& file, const Box& box)
{
    return Bytes(file.begin() + box.offset, file.begin() + box.end());
}

// Every property of a rebuilt file that does not depend on the track order.
void ExpectRebuilt(const Bytes& out, const Bytes& target, const kavlo::CameraTemplate& camera,
                   uint32_t audioSamplesPerChunk)
{
    std::vector<std::string> types;
    for (const Box& box : TopLevel(out))
        types.push_back(box.type);
    ASSERT_EQ(types, (std::vector<std::string>{"skip", "mdat", "moov"}));
    EXPECT_TRUE(SizesAddUp(out));

    const Box video = *SampleTable(out, "vide");
    const Box audio = *SampleTable(out, "soun");
    const std::vector<Bytes> targetFrames = Samples(target, *SampleTable(target, "vide"));
    const std::vector<Bytes> targetAudio = Samples(target, *SampleTable(target, "soun"));
    ASSERT_EQ(targetFrames.size(), 10u);

    // Video: chunks of 3, 3, 3 and 1 frames; the decoder configuration travels with frame 1.
    EXPECT_EQ(TableEntries(out, *Child(out, video, "stsc")), (std::vector<uint32_t>{1, 3, 1, 4, 1, 1}));
    const std::vector<uint32_t> videoChunks = TableEntries(out, *Child(out, video, "stco"));
    ASSERT_EQ(videoChunks.size(), 4u);
    const Box mdat = *Find(out, {"mdat"});
    EXPECT_EQ(videoChunks[0], mdat.offset + 8);
    const std::vector<uint32_t> sizes = SampleSizes(out, *Child(out, video, "stsz"));
    ASSERT_EQ(sizes.size(), 10u);
    EXPECT_EQ(sizes[0], targetFrames[0].size() + 18);
    for (std::size_t i = 1; i < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], targetFrames[i].size());
    std::vector<Bytes> frames = Samples(out, video);
    EXPECT_EQ(Bytes(frames[0].begin(), frames[0].begin() + 18), DecoderConfigOf(target));
    frames[0].erase(frames[0].begin(), frames[0].begin() + 18);
    EXPECT_EQ(frames, targetFrames);

    // Audio: chunks of the given size, the last one holding what is left, after each video chunk.
    const Bytes samples = Concatenated(targetAudio);
    const uint32_t chunks = (samples.size() + audioSamplesPerChunk - 1) / audioSamplesPerChunk;
    const uint32_t last =
        samples.size() % audioSamplesPerChunk ? samples.size() % audioSamplesPerChunk : audioSamplesPerChunk;
    EXPECT_EQ(TableEntries(out, *Child(out, audio, "stsc")),
              (std::vector<uint32_t>{1, audioSamplesPerChunk, 1, chunks, last, 1}));
    const std::vector<uint32_t> audioChunks = TableEntries(out, *Child(out, audio, "stco"));
    ASSERT_EQ(audioChunks.size(), chunks);
    EXPECT_EQ(audioChunks[0],
              videoChunks[0] + 18 + targetFrames[0].size() + targetFrames[1].size() + targetFrames[2].size());
    EXPECT_EQ(Concatenated(Samples(out, audio)), samples);
    EXPECT_EQ(Bytes_(out, *Child(out, audio, "stsd")), camera.audioStsd);

    // The camera's "udta" closes the movie; the converter's is gone.
    const Box moov = *Find(out, {"moov"});
    const std::vector<Box> movie = *Children(out, moov.offset + 8, moov.end());
    EXPECT_EQ(Bytes_(out, movie.back()), camera.udta);
    EXPECT_EQ(std::count_if(movie.begin(), movie.end(), [](const Box& b) { return b.type == "udta"; }), 1);
    EXPECT_EQ(mdat.end(), moov.offset);
}

void ExpectSkipPatch(const Bytes& out, const kavlo::CameraTemplate& camera)
{
    const Box video = *SampleTable(out, "vide");
    const Box mvhd = *Find(out, {"moov", "mvhd"});
    EXPECT_EQ(LittleU32(out, 8), TableEntries(out, *Child(out, video, "stco"))[0]);
    EXPECT_EQ(LittleU32(out, 12), SampleSizes(out, *Child(out, video, "stsz"))[0]);
    EXPECT_EQ(LittleU32(out, 24), U32(out, mvhd.offset + 24) / U32(out, mvhd.offset + 20));
    EXPECT_EQ(LittleU32(out, 52), TableEntries(out, *Child(out, video, "stts"))[0]);
    for (std::size_t i = 0; i < camera.skip.size(); ++i) {
        if (!(i >= 8 && i < 16) && !(i >= 24 && i < 28) && !(i >= 52 && i < 56)) {
            EXPECT_EQ(out[i], camera.skip[i]) << "skip byte " << i;
        }
    }
}

// ffmpeg decodes every frame and every audio sample without an error.
void ExpectPlayable(const std::string& path, int frames, long samples)
{
    EXPECT_EQ(platform::RunAndWait("ffmpeg", {"-v", "error", "-xerror", "-i", path, "-f", "null", "-"}), 0);
    auto videoFrames =
        platform::RunAndCapture("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                            "stream=nb_read_frames", "-of", "csv=p=0", path});
    ASSERT_TRUE(videoFrames);
    EXPECT_EQ(std::stoi(*videoFrames), frames);
    auto audioFrames = platform::RunAndCapture("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                           "frame=nb_samples", "-of", "csv=p=0", path});
    ASSERT_TRUE(audioFrames);
    std::istringstream lines(*audioFrames);
    long decoded = 0;
    for (std::string line; std::getline(lines, line);)
        decoded += line.empty() ? 0 : std::stol(line);
    EXPECT_EQ(decoded, samples);
}

} // namespace

TEST(kavloConvert, RebuildsConvertedClipInCameraLayoutForEitherTrackOrder)
{
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    ASSERT_EQ(camera.framesPerSecond, 15u);
    // 30 fps differs from the camera's 15: chunks of 3 frames' worth of audio.
    const uint32_t audioSamplesPerChunk = 3 * 8000 / 30;
    for (const std::string& path : {Media().target, Media().targetAudioFirst}) {
        SCOPED_TRACE(path);
        const Bytes target = ReadBytes(path);
        Bytes out;
        ASSERT_FALSE(Convert(target, camera, out));
        ExpectRebuilt(out, target, camera, audioSamplesPerChunk);
        ExpectSkipPatch(out, camera);
        TempFolder folder;
        WriteBytes(folder.path("out.mov"), out);
        ExpectPlayable(folder.path("out.mov"), 10,
                       static_cast<long>(Concatenated(Samples(target, *SampleTable(target, "soun"))).size()));
    }
}

TEST(kavloConvert, UsesTheCameraAudioChunkSizeAtTheCameraFrameRate)
{
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    // The camera source has one frame per chunk at 15 fps: 8000 / 15 samples per chunk.
    ASSERT_EQ(camera.audioSamplesPerChunk, 8000u / 15);
    const Bytes target = ReadBytes(Media().targetAtCameraRate);
    Bytes out;
    ASSERT_FALSE(Convert(target, camera, out));
    ExpectRebuilt(out, target, camera, camera.audioSamplesPerChunk);
}

TEST(kavloConvert, ClipInCameraLayoutKeepsItsMediaAndTakesTheCameraParts)
{
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    // A clip of another camera of the same kind: larger "udta", same "skip" size.
    const Bytes target = MakeCameraClip(ReadBytes(Media().targetAtCameraRate), 64, 48);
    Bytes out;
    ASSERT_FALSE(Convert(target, camera, out));
    ASSERT_EQ(out.size(), target.size() - 48 + camera.udta.size());
    EXPECT_TRUE(SizesAddUp(out));
    const Box moov = *Find(out, {"moov"});
    EXPECT_EQ(moov.size, Find(target, {"moov"})->size - 48 + camera.udta.size());
    EXPECT_EQ(Bytes(out.end() - camera.udta.size(), out.end()), camera.udta);
    EXPECT_EQ(Samples(out, *SampleTable(out, "vide")), Samples(target, *SampleTable(target, "vide")));
    ExpectSkipPatch(out, camera);

    // A smaller "skip" moves the media; the chunk offsets follow it.
    const Bytes shifted = MakeCameraClip(ReadBytes(Media().targetAtCameraRate), 96, 32);
    ASSERT_FALSE(Convert(shifted, camera, out));
    EXPECT_EQ(Samples(out, *SampleTable(out, "vide")), Samples(shifted, *SampleTable(shifted, "vide")));
    EXPECT_EQ(Samples(out, *SampleTable(out, "soun")), Samples(shifted, *SampleTable(shifted, "soun")));
}

TEST(kavloConvert, RefusesTargetsThatDoNotMatchTheCamera)
{
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    const std::pair<std::string, const char*> cases[] = {
        {Media().linearPcm, kavlo::kCodecDiffers},
        {Media().wideband, kavlo::kSampleRateDiffers},
        {Media().stereo, kavlo::kSampleSizeNotOne},
    };
    for (const auto& [path, message] : cases) {
        Bytes out;
        auto refusal = Convert(ReadBytes(path), camera, out);
        ASSERT_TRUE(refusal) << path;
        EXPECT_EQ(refusal->message, message);
        EXPECT_FALSE(refusal->endsProgram);
    }
}

TEST(kavloConvert, DamagedTargetsAreRefusedWithoutReadingPastTheImage)
{
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    const Bytes target = ReadBytes(Media().target);
    // Cut anywhere, including inside the tables; run under the sanitizers this catches stray reads.
    for (std::size_t length = 0; length < target.size(); length += length < 64 ? 1 : 97) {
        Bytes cut(target.begin(), target.begin() + length);
        Bytes out;
        auto refusal = Convert(cut, camera, out);
        ASSERT_TRUE(refusal) << "cut at " << length;
    }
    // Table counts far beyond the file.
    Bytes broken = target;
    const Box stsz = *Child(broken, *SampleTable(broken, "vide"), "stsz");
    broken[stsz.offset + 16] = 0x7f;
    Bytes out;
    auto refusal = Convert(broken, camera, out);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, kavlo::kTargetDamaged);
}

TEST(kavloConvert, TablesThatDisagreeAreRefusedInEitherLayout)
{
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    const Bytes converted = ReadBytes(Media().target);
    const Bytes cameraLayout = MakeCameraClip(ReadBytes(Media().targetAtCameraRate), 64, 48);
    for (const Bytes* target : {&converted, &cameraLayout}) {
        for (const char* handler : {"vide", "soun"}) {
            SCOPED_TRACE(std::string(handler) + (target == &converted ? " converted" : " camera layout"));
            // The first sample-to-chunk entry claims more samples than the size table holds.
            for (uint32_t claimed : {0xFFFFFFFFu, 0x7FFFu}) {
                Bytes broken = *target;
                const Box stsc = *Child(broken, *SampleTable(broken, handler), "stsc");
                for (int k = 0; k < 4; ++k)
                    broken[stsc.offset + 20 + k] = static_cast<uint8_t>(claimed >> (24 - 8 * k));
                Bytes out;
                auto refusal = Convert(broken, camera, out);
                ASSERT_TRUE(refusal) << claimed;
                EXPECT_EQ(refusal->message, kavlo::kTargetDamaged);
                EXPECT_FALSE(refusal->endsProgram);
            }
        }
    }
}

TEST(kavloConvert, ClipInCameraLayoutWithSamplesOutsideItsMediaIsRefused)
{
    // Only the media atom is carried over, so a chunk that lies before it would be lost.
    const kavlo::CameraTemplate camera = CameraTemplateOf(Media().cameraClip);
    Bytes target = MakeCameraClip(ReadBytes(Media().targetAtCameraRate), 64, 48);
    const Box stco = *Child(target, *SampleTable(target, "soun"), "stco");
    for (int k = 0; k < 4; ++k)
        target[stco.offset + 16 + k] = static_cast<uint8_t>(16u >> (24 - 8 * k)); // inside the "skip" atom
    Bytes out;
    auto refusal = Convert(target, camera, out);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, kavlo::kTargetDamaged);
}
