#pragma once
// The program's settings menu behind the window's gear button: help, the language, how many
// tasks run at once, stream copy, the burner and the player, About and Exit. Its accelerators
// work in the whole window, with the menu closed.

#include "platform/settings_store.h"
#include "reelvane/conversion/run_settings.h"

#include <QMenu>

#include <string>

class QAction;

namespace reelvane {

class WindowHost;

class SettingsMenu : public QMenu {
    Q_OBJECT
public:
    SettingsMenu(platform::SettingsStore& settings, WindowHost& host, std::string programFolder, std::string dataFolder,
                 QWidget* window);

    // "Tasks at once" and "Copy streams that already fit", as the menu keeps them.
    RunSettings runSettings() const { return ReadRunSettings(settings_); }
    void ApplyTexts();

signals:
    // A new language pack is current: the window retranslates itself.
    void languageChanged();

private:
    void BuildLanguageMenu();
    void BuildJobsMenu();
    void ShowAbout();

    platform::SettingsStore& settings_;
    WindowHost& host_;
    std::string programFolder_;
    std::string dataFolder_;
    QWidget* window_;

    QMenu* languageMenu_;
    QMenu* jobsMenu_;
    QAction* automaticJobsAction_ = nullptr;
    QAction* copyFittingAction_;
    QAction* helpAction_;
    QAction* discoraAction_;
    QAction* playerAction_;
    QAction* aboutAction_;
    QAction* exitAction_;
};

} // namespace reelvane
