// Convert Now as the window and the batch mode call it: choices, files written and kept.

#include "tests/kavlo/kavlo_media_set.h"
#include "tools/kavlo/kavlo_messages.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kavlo_test;

namespace {

const std::string kTemplateName = std::string(kavlo::kTemplatePrefix) + "camera.mov";

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder with the camera's template and the given targets.
void Prepare(const TempFolder& folder, const std::vector<std::pair<std::string, std::string>>& targets)
{
    CopyInto(folder, Media().cameraClip, "camera.mov");
    RecordingUi ui;
    ASSERT_EQ(kavlo::CreateTemp(folder.path(""), "camera.mov", ui), kavlo::Outcome::Done);
    for (const auto& [source, name] : targets)
        CopyInto(folder, source, name);
}

} // namespace

TEST(kavloActions, ConvertNowWritesNewFileBesideTheTargetAndEnds)
{
    TempFolder folder;
    Prepare(folder, {{Media().target, "clip.mov"}});
    const Bytes target = ReadBytes(folder.path("clip.mov"));
    RecordingUi ui;
    EXPECT_EQ(kavlo::ConvertChosen(folder.path(""), "clip.mov", kTemplateName, ui), kavlo::Outcome::Done);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kavlo::kConverted}));
    EXPECT_EQ(ui.progress.front(), 0);
    EXPECT_EQ(ui.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(ui.progress.begin(), ui.progress.end()));
    EXPECT_EQ(Names(folder.path("")),
              (std::vector<std::string>{"camera.mov", "clip.mov", "new_clip.mov", kTemplateName}));
    EXPECT_EQ(ReadBytes(folder.path("clip.mov")), target);
    EXPECT_EQ(TopLevel(ReadBytes(folder.path("new_clip.mov"))).front().type, "skip");
}

TEST(kavloActions, MissingOrSameChoicesAreRefusedBeforeAnyFileIsRead)
{
    RecordingUi ui;
    EXPECT_EQ(kavlo::ConvertChosen("/nonexistent", kavlo::kNoChoice, "a.mov", ui), kavlo::Outcome::StayOpen);
    EXPECT_EQ(kavlo::ConvertChosen("/nonexistent", "a.mov", kavlo::kNoChoice, ui), kavlo::Outcome::StayOpen);
    EXPECT_EQ(kavlo::ConvertChosen("/nonexistent", "a.mov", "a.mov", ui), kavlo::Outcome::StayOpen);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kavlo::kNoTarget, kavlo::kNoTemplate, kavlo::kTemplateAsTarget}));
}

TEST(kavloActions, RefusedConversionLeavesAnEarlierOutputAndNoTemporaryFiles)
{
    TempFolder folder;
    Prepare(folder, {{Media().stereo, "clip.mov"}});
    folder.write("new_clip.mov", "earlier output");
    RecordingUi ui;
    EXPECT_EQ(kavlo::ConvertChosen(folder.path(""), "clip.mov", kTemplateName, ui), kavlo::Outcome::StayOpen);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kavlo::kSampleSizeNotOne}));
    EXPECT_EQ(folder.read("new_clip.mov"), "earlier output");
    EXPECT_EQ(Names(folder.path("")),
              (std::vector<std::string>{"camera.mov", "clip.mov", "new_clip.mov", kTemplateName}));

    // A finished conversion does not replace the earlier output either, and says so.
    CopyInto(folder, Media().target, "clip.mov");
    EXPECT_EQ(kavlo::ConvertChosen(folder.path(""), "clip.mov", kTemplateName, ui), kavlo::Outcome::StayOpen);
    EXPECT_TRUE(ui.messages.back().starts_with(kavlo::kOutputExists)) << ui.messages.back();
    EXPECT_TRUE(ui.messages.back().ends_with("/new_clip.mov")) << ui.messages.back();
    EXPECT_EQ(folder.read("new_clip.mov"), "earlier output");
    EXPECT_EQ(Names(folder.path("")),
              (std::vector<std::string>{"camera.mov", "clip.mov", "new_clip.mov", kTemplateName}));
}

TEST(kavloActions, BatchPathsThatCannotBeUsedShowWhyAndWriteNothing)
{
    TempFolder folder;
    Prepare(folder, {{Media().target, "clip.mov"}});
    const std::string target = folder.path("clip.mov");
    const std::string templ = folder.path(kTemplateName);
    const std::string output = folder.path("out.mov");
    const std::string broken = folder.write("broken.mov", "skip");
    struct Case {
        std::string target, templ, output, message;
    };
    const Case cases[] = {
        {target, target, output, kavlo::kTemplateAsTarget},
        {target, templ, target, kavlo::kOutputIsInput},
        {target, templ, templ, kavlo::kOutputIsInput},
        {folder.path("gone.mov"), templ, output, kavlo::kCannotRead + folder.path("gone.mov")},
        {target, broken, output, kavlo::kTemplateDamaged},
        {broken, templ, output, kavlo::kTargetDamaged},
        {target, templ, folder.path("no/such/folder/out.mov"),
         kavlo::kCannotWrite + folder.path("no/such/folder/out.mov")},
    };
    const Bytes before = ReadBytes(target);
    for (const Case& c : cases) {
        RecordingUi ui;
        EXPECT_EQ(kavlo::ConvertFiles(c.target, c.templ, c.output, ui), kavlo::Outcome::StayOpen) << c.message;
        EXPECT_EQ(ui.messages, (std::vector<std::string>{c.message}));
    }
    EXPECT_EQ(ReadBytes(target), before);
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_EQ(Names(folder.path("")),
              (std::vector<std::string>{"broken.mov", "camera.mov", "clip.mov", kTemplateName}));
}
