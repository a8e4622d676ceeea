#include "tools/kavlo/kavlo_actions.h"

#include "platform/staged_file.h"
#include "tools/kavlo/kavlo_messages.h"
#include "tools/kavlo/mov_convert.h"
#include "tools/kavlo/mov_template.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace kavlo {

namespace {

bool ReadFileImage(const std::string& path, Bytes& image)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

Outcome Refuse(KavloUi& ui, const std::string& message, Outcome outcome = Outcome::StayOpen)
{
    ui.ShowMessage(message);
    return outcome;
}

// The file gets its name only once the new content is complete; without `replace` a file that
// has that name meanwhile stays and the write fails.
bool WriteWhole(const std::string& path, const Bytes& content, bool replace)
{
    return platform::WriteFileStaged(path, content.data(), content.size(), replace);
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code errorA, errorB;
    const fs::path pathA = fs::weakly_canonical(a, errorA);
    const fs::path pathB = fs::weakly_canonical(b, errorB);
    return errorA || errorB ? a == b : pathA == pathB;
}

} // namespace

Outcome CreateTemp(const std::string& folder, const std::string& clipName, KavloUi& ui)
{
    if (clipName == kNoChoice)
        return Refuse(ui, kChooseCameraClip);
    const std::string clipPath = folder + "/" + clipName;
    Bytes clip;
    if (!ReadFileImage(clipPath, clip))
        return Refuse(ui, kCannotRead + clipPath);
    AtomIndex index;
    if (auto message = ScanAtoms(clip, index))
        return Refuse(ui, *message, Outcome::Ended);
    CameraTemplate camera;
    if (auto message = MakeTemplate(clip, index, camera))
        return Refuse(ui, *message, Outcome::Ended);
    const std::string templatePath = folder + "/" + kTemplatePrefix + clipName;
    if (!WriteWhole(templatePath, SerializeTemplate(camera), true))
        return Refuse(ui, kCannotWrite + templatePath);
    ui.ShowMessage(kTemplateCreated);
    return Outcome::Done;
}

Outcome ConvertChosen(const std::string& folder, const std::string& targetName, const std::string& templateName,
                      KavloUi& ui)
{
    ui.SetProgress(0);
    if (targetName == kNoChoice)
        return Refuse(ui, kNoTarget);
    if (templateName == kNoChoice)
        return Refuse(ui, kNoTemplate);
    if (targetName == templateName)
        return Refuse(ui, kTemplateAsTarget);
    return ConvertFiles(folder + "/" + targetName, folder + "/" + templateName,
                        folder + "/" + kOutputPrefix + targetName, ui);
}

Outcome ConvertFiles(const std::string& target, const std::string& templatePath, const std::string& output, KavloUi& ui)
{
    ui.SetProgress(0);
    if (SameFile(target, templatePath))
        return Refuse(ui, kTemplateAsTarget);
    if (SameFile(output, target) || SameFile(output, templatePath))
        return Refuse(ui, kOutputIsInput);

    Bytes templateFile;
    if (!ReadFileImage(templatePath, templateFile))
        return Refuse(ui, kCannotRead + templatePath);
    CameraTemplate camera;
    if (!ParseTemplate(templateFile, camera))
        return Refuse(ui, kTemplateDamaged);
    ui.SetProgress(10);

    Bytes image;
    if (!ReadFileImage(target, image))
        return Refuse(ui, kCannotRead + target);
    Bytes converted;
    if (auto refusal = ConvertMov(image, camera, converted, [&](int percent) { ui.SetProgress(percent); }))
        return Refuse(ui, refusal->message, refusal->endsProgram ? Outcome::Ended : Outcome::StayOpen);
    if (!WriteWhole(output, converted, false))
        return Refuse(ui, Exists(output) ? kOutputExists + output : kCannotWrite + output);
    ui.SetProgress(100);
    ui.ShowMessage(kConverted);
    return Outcome::Done;
}

} // namespace kavlo
