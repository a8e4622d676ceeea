#include "adapters/discora/save_prompt.h"

#include "platform/display.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace discora {

std::optional<std::string> AskWhereToSave(const std::string& suggestion)
{
    if (::isatty(STDIN_FILENO)) {
        std::printf("Save the image instead? Enter a path (empty: %s, \"no\": discard): ", suggestion.c_str());
        std::fflush(stdout);
        std::string answer;
        if (!std::getline(std::cin, answer) || answer == "no")
            return std::nullopt;
        return answer.empty() ? suggestion : answer;
    }
    if (!platform::DisplayPresent())
        return std::nullopt;
    int argc = 1;
    char name[] = "discora";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    if (QMessageBox::question(nullptr, "Discora",
                              "No writable optical drive was found.\nSave the disc image instead?") != QMessageBox::Yes)
        return std::nullopt;
    QString path = QFileDialog::getSaveFileName(nullptr, "Save the disc image", QString::fromStdString(suggestion),
                                                "Disc images (*.iso)", nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

} // namespace discora
