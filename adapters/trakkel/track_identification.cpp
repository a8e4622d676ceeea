#include "adapters/trakkel/track_identification.h"

#include "adapters/trakkel/trakkel.h"
#include "platform/process_runner.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace trakkel {
namespace {

int32_t KindOf(const QString& type)
{
    if (type == QLatin1String("video"))
        return TRAKKEL_KIND_VIDEO;
    if (type == QLatin1String("audio"))
        return TRAKKEL_KIND_AUDIO;
    if (type == QLatin1String("subtitles"))
        return TRAKKEL_KIND_SUBTITLE;
    return TRAKKEL_KIND_OTHER;
}

std::string JoinTexts(const QJsonArray& texts)
{
    std::string joined;
    for (const QJsonValue& text : texts) {
        if (!joined.empty())
            joined += ' ';
        joined += text.toString().trimmed().toStdString();
    }
    return joined;
}

} // namespace

std::string PathArgument(const std::string& path)
{
    // The programs read "-..." as an option and "@..." as an option file; they take no "--".
    if (!path.empty() && (path[0] == '-' || path[0] == '@'))
        return "./" + path;
    return path;
}

Identification ParseIdentification(const std::string& json)
{
    Identification result;
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (!document.isObject()) {
        result.error = "mkvmerge gave no readable identification: " + parseError.errorString().toStdString();
        return result;
    }
    const QJsonObject root = document.object();
    const QJsonObject container = root.value("container").toObject();
    if (!container.value("recognized").toBool() || container.value("type").toString() != QLatin1String("Matroska")) {
        std::string errors = JoinTexts(root.value("errors").toArray());
        result.error = errors.empty() ? "The file is not a Matroska file." : errors;
        return result;
    }
    for (const QJsonValue& value : root.value("tracks").toArray()) {
        const QJsonObject track = value.toObject();
        const QJsonObject properties = track.value("properties").toObject();
        // Without its number a track cannot be named to the caller.
        if (!properties.contains("number") || !track.contains("id"))
            continue;
        TrackFacts facts;
        facts.id = track.value("id").toInteger();
        facts.number = properties.value("number").toInteger();
        facts.kind = KindOf(track.value("type").toString());
        facts.codecId = properties.value("codec_id").toString(track.value("codec").toString()).toStdString();
        result.tracks.push_back(std::move(facts));
    }
    return result;
}

Identification IdentifyFile(const std::string& path)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStdout = true;
    if (!child.Start("mkvmerge", {"-J", PathArgument(path)}, options))
        return {{}, "mkvmerge could not be started: " + child.error()};
    std::string out;
    while (child.ReadStdout(out)) {
    }
    child.Wait();
    // Its exit status only tells warnings from errors; the JSON says what it found.
    return ParseIdentification(out);
}

} // namespace trakkel
