#include "reelvane/tasks/settings_menu.h"

#include "platform/processor_count.h"
#include "reelvane/frame/about_dialog.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/program_info.h"
#include "reelvane/frame/qt_translations.h"
#include "reelvane/tasks/window_host.h"
#include "reelvane/tasks/window_texts.h"

#include <QActionGroup>

namespace reelvane {
SettingsMenu::SettingsMenu(platform::SettingsStore& settings, WindowHost& host, std::string programFolder,
                           std::string dataFolder, QWidget* window)
    : QMenu(window), settings_(settings), host_(host), programFolder_(std::move(programFolder)),
      dataFolder_(std::move(dataFolder)), window_(window)
{
    setObjectName("settingsMenu");
    helpAction_ = addAction(QString(), this, [this] { host_.OpenExternal(Q(SupportPage(dataFolder_))); });
    helpAction_->setShortcut(Qt::Key_F1);
    addSeparator();
    languageMenu_ = addMenu(QString());
    languageMenu_->setObjectName("languageMenu");
    jobsMenu_ = addMenu(QString());
    jobsMenu_->setObjectName("jobsMenu");
    copyFittingAction_ = addAction(QString());
    copyFittingAction_->setObjectName("copyFittingAction");
    copyFittingAction_->setCheckable(true);
    connect(copyFittingAction_, &QAction::toggled, this, [this](bool on) {
        RunSettings run = runSettings();
        run.copyFitting = on;
        WriteRunSettings(settings_, run);
    });
    // Without parameters the burner opens its own window.
    discoraAction_ = addAction(QString(), this, [this] { host_.StartProgram(Q(programFolder_ + "/discora")); });
    discoraAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    playerAction_ = addAction(QString(), this, [this] { host_.StartProgram(Q(programFolder_ + "/qlm")); });
    playerAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    addSeparator();
    aboutAction_ = addAction(QString(), this, &SettingsMenu::ShowAbout);
    aboutAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    addSeparator();
    exitAction_ = addAction(QString(), window_, &QWidget::close);
    exitAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    // The accelerators work without the menu open, ahead of the controls' own keys.
    for (QAction* action : {helpAction_, discoraAction_, playerAction_, aboutAction_, exitAction_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window_->addAction(action);
    }
    BuildLanguageMenu();
    BuildJobsMenu();
}

void SettingsMenu::BuildJobsMenu()
{
    const RunSettings run = runSettings();
    auto* group = new QActionGroup(jobsMenu_);
    const int processors = platform::UsableProcessorCount();
    for (int jobs = 0; jobs <= processors; ++jobs) {
        QAction* action = jobsMenu_->addAction(QString::number(jobs), this, [this, jobs] {
            RunSettings changed = runSettings();
            changed.jobs = jobs;
            WriteRunSettings(settings_, changed);
        });
        action->setCheckable(true);
        action->setChecked(jobs == run.jobs || (jobs == 0 && run.jobs > processors));
        group->addAction(action);
        if (jobs == 0)
            automaticJobsAction_ = action;
    }
    copyFittingAction_->setChecked(run.copyFitting);
}

void SettingsMenu::BuildLanguageMenu()
{
    const std::vector<LanguagePack> packs = Languages().ListLanguages();
    for (std::size_t i = 0; i < packs.size() && i < 200; ++i) {
        QAction* action = languageMenu_->addAction(Q(packs[i].name), this, [this, i] {
            Languages().SelectLanguageByIndex(i);
            SwitchQtTranslations(Languages().CurrentLanguageFile());
            settings_.WriteString("language", Languages().CurrentLanguageName());
            emit languageChanged();
        });
        action->setCheckable(true);
        action->setChecked(packs[i].name == Languages().CurrentLanguageName());
    }
}

void SettingsMenu::ApplyTexts()
{
    helpAction_->setText(Main("strHelpInfo", "&Help"));
    languageMenu_->setTitle(Main("strLanguageInfo", "Language"));
    jobsMenu_->setTitle(Main("strTasksAtOnceInfo", "Tasks at once"));
    automaticJobsAction_->setText(Main("strTasksAutomaticInfo", "Automatic"));
    copyFittingAction_->setText(Main("strCopyFittingInfo", "Copy streams that already fit"));
    discoraAction_->setText(Main("strDiscoraInfo", "Discora"));
    playerAction_->setText(Main("strMediaplayerInfo", "Media player"));
    aboutAction_->setText(Main("strAboutInfo", "About"));
    exitAction_->setText(Main("strExitInfo", "Exit"));
    for (QAction* action : languageMenu_->actions())
        action->setChecked(action->text() == Q(Languages().CurrentLanguageName()));
}

void SettingsMenu::ShowAbout()
{
    AboutDialog about(
        Q(dataFolder_), [this](const QString& target) { host_.OpenExternal(target); }, window_);
    about.exec();
}

} // namespace reelvane
