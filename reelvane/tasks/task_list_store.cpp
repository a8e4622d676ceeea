#include "reelvane/tasks/task_list_store.h"

#include "platform/own_file.h"
#include "platform/program_folder.h"
#include "platform/staged_file.h"
#include "reelvane/conversion/kept_tracks.h"
#include "reelvane/profiles/profile_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace reelvane {
namespace {

constexpr int kFormatVersion = 1;
constexpr std::size_t kSizeLimit = 64 << 20; // far above any real list, far below what would stall a start

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}
std::string Text(const QJsonValue& value)
{
    return value.toString().toStdString();
}

QJsonObject SaveSettings(const ProfileSettings& s)
{
    QJsonObject keys;
    for (const auto& [key, value] : ProfileKeyValues(s))
        keys[Text(key)] = Text(value);
    return {{"iniPath", s.iniPath},
            {"profileName", s.profileName},
            {"nVideoDefaultBitRate", s.nVideoDefaultBitRate},
            {"nSourceHeight", s.nSourceHeight},
            {"nSourceWidth", s.nSourceWidth},
            {"fSourceAspect", static_cast<double>(s.fSourceAspect)},
            {"keys", keys}};
}

ProfileSettings LoadSettings(const QJsonObject& object)
{
    ProfileSettings s = EmptyProfileSettings();
    SetText(s.iniPath, Text(object["iniPath"]));
    SetText(s.profileName, Text(object["profileName"]));
    const QJsonObject keys = object["keys"].toObject();
    for (auto it = keys.begin(); it != keys.end(); ++it)
        SetProfileKeyValue(s, it.key().toStdString(), Text(it.value()));
    s.nVideoDefaultBitRate = object["nVideoDefaultBitRate"].toInt();
    s.nSourceHeight = object["nSourceHeight"].toInt();
    s.nSourceWidth = object["nSourceWidth"].toInt();
    s.fSourceAspect = static_cast<float>(object["fSourceAspect"].toDouble());
    return s;
}

QJsonObject SaveTask(const ConversionTask& task)
{
    QJsonArray selected;
    for (const AudioTrackEntry& track : task.probed.audioTracks)
        selected.append(track.selected);
    QJsonArray candidates;
    for (const std::string& candidate : task.subtitleCandidates)
        candidates.append(Text(candidate));
    QJsonArray tracks;
    for (int stream : task.subtitleTracks)
        tracks.append(stream);
    return {{"source", Text(task.sourcePath)},
            {"destination", Text(task.destinationPath)},
            {"calcAspect", task.calcAspect},
            {"usePlatformReader", task.usePlatformReader},
            {"fromStart", task.fromStart},
            {"trimStart", static_cast<qint64>(task.trimStart)},
            {"toEnd", task.toEnd},
            {"trimEnd", static_cast<qint64>(task.trimEnd)},
            {"audioSelected", selected},
            {"subtitleCandidates", candidates},
            {"subtitlePath", Text(task.subtitlePath)},
            {"subtitleTracks", tracks},
            {"settings", SaveSettings(task.settings)}};
}

std::unique_ptr<ConversionTask> LoadTask(const QJsonObject& object)
{
    auto task = std::make_unique<ConversionTask>();
    task->sourcePath = Text(object["source"]);
    // A missing source comes back to show that it is gone; a pipe or a device in its place is
    // never probed, as reading it would wait for ever.
    std::error_code error;
    const auto type = std::filesystem::status(task->sourcePath, error).type();
    if (task->sourcePath.empty() || (!error && type != std::filesystem::file_type::regular))
        return nullptr;
    task->usePlatformReader = object["usePlatformReader"].toInt();
    // The probe's engine records are not kept; the source is read again.
    ProbeSource(task->sourcePath, task->usePlatformReader, task->probed);
    task->destinationPath = Text(object["destination"]);
    task->calcAspect = object["calcAspect"].toInt(-1);
    task->fromStart = object["fromStart"].toInt(1);
    task->trimStart = object["trimStart"].toInteger();
    task->toEnd = object["toEnd"].toInt(1);
    task->trimEnd = object["trimEnd"].toInteger();
    const QJsonArray selected = object["audioSelected"].toArray();
    for (qsizetype i = 0; i < selected.size() && i < static_cast<qsizetype>(task->probed.audioTracks.size()); ++i)
        task->probed.audioTracks[static_cast<std::size_t>(i)].selected = selected[i].toInt();
    for (const QJsonValue& candidate : object["subtitleCandidates"].toArray())
        task->subtitleCandidates.push_back(Text(candidate));
    task->subtitlePath = Text(object["subtitlePath"]);
    // Only tracks the source, as read now, still has as text tracks.
    const std::vector<int> textStreams = TextSubtitleStreams(task->probed);
    std::vector<int>& tracks = task->subtitleTracks;
    for (const QJsonValue& value : object["subtitleTracks"].toArray()) {
        const int track = value.toInt(-1);
        if (std::find(textStreams.begin(), textStreams.end(), track) != textStreams.end() &&
            std::find(tracks.begin(), tracks.end(), track) == tracks.end())
            tracks.push_back(track);
    }
    task->settings = LoadSettings(object["settings"].toObject());
    return task;
}

} // namespace

TaskListStore::TaskListStore() : TaskListStore(Claim(platform::UserStateFolder() + "/quillon"))
{
}

TaskListStore::TaskListStore(std::string path) : path_(std::move(path))
{
}

TaskListStore::TaskListStore(TaskListStore&&) noexcept = default;
TaskListStore& TaskListStore::operator=(TaskListStore&&) noexcept = default;
TaskListStore::~TaskListStore() = default;

TaskListStore TaskListStore::Claim(const std::string& folder)
{
    constexpr int kFiles = 8;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const bool leftBehind : {true, false}) {
        for (int i = 1; i <= kFiles; ++i) {
            TaskListStore store(folder + (i == 1 ? "/tasks.json" : "/tasks-" + std::to_string(i) + ".json"));
            if (leftBehind && !store.HasSaved())
                continue;
            auto lock = std::make_unique<QLockFile>(Text(store.path_ + ".lock"));
            // Only a lock whose process is gone is stale: a window may stay open for days.
            lock->setStaleLockTime(0);
            if (lock->tryLock(0)) {
                store.claim_ = std::move(lock);
                return store;
            }
        }
    }
    // Every file is held: this window keeps no recovery file rather than share one.
    return TaskListStore(std::string());
}

bool TaskListStore::Save(const TaskList& tasks) const
{
    if (path_.empty())
        return false;
    // A finished task has nothing left to recover.
    QJsonArray saved;
    for (int i = 0; i < tasks.Count(); ++i)
        if (tasks.Get(i)->state != TaskState::Finished)
            saved.append(SaveTask(*tasks.Get(i)));
    if (saved.isEmpty()) {
        Remove();
        return true;
    }
    const QByteArray bytes = QJsonDocument(QJsonObject{{"version", kFormatVersion}, {"tasks", saved}}).toJson();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    return platform::WriteFileStaged(path_, bytes.constData(), static_cast<std::size_t>(bytes.size()), true);
}

std::vector<std::unique_ptr<ConversionTask>> TaskListStore::Load() const
{
    std::vector<std::unique_ptr<ConversionTask>> tasks;
    // Stored tasks carry post-process commands: a file anyone else could have written is not read.
    const std::optional<std::string> bytes = platform::ReadOwnFile(path_, kSizeLimit);
    if (!bytes)
        return tasks;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(*bytes)).object();
    if (root["version"].toInt() != kFormatVersion)
        return tasks;
    for (const QJsonValue& value : root["tasks"].toArray())
        if (auto task = LoadTask(value.toObject()))
            tasks.push_back(std::move(task));
    return tasks;
}

bool TaskListStore::HasSaved() const
{
    if (path_.empty())
        return false;
    std::error_code error;
    return std::filesystem::exists(path_, error);
}

void TaskListStore::Remove() const
{
    // Only a file this program could have written: a pipe or a device there is not its own.
    std::error_code error;
    if (std::filesystem::symlink_status(path_, error).type() == std::filesystem::file_type::regular)
        std::filesystem::remove(path_, error);
}

} // namespace reelvane
