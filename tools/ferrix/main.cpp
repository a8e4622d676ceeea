// ferrix: copies one converted video onto a removable card (with its thumbnail for a player's
// card) or into a folder.

#include "platform/display.h"
#include "platform/removable_drives.h"
#include "tools/ferrix/card_copy.h"
#include "tools/ferrix/ferrix_args.h"

#include <QApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace {

const char* const kUsage = "Usage: ferrix /i FILE /o FOLDER\n"
                           "       ferrix --help | --version\n"
                           "Copies FILE into FOLDER without replacing an existing file.\n"
                           "  /i FILE    the file to copy\n"
                           "  /o FOLDER  an absolute folder (made when only its last level is missing), or a folder\n"
                           "             relative to the root of the first removable drive. A FOLDER containing\n"
                           "             MP_ROOT goes to the first drive that has an MP_ROOT folder, and FILE's\n"
                           "             thumbnail (same name, extension .THM) is copied beside it.\n"
                           "Removable drives are the mounted removable block devices in mount-point order;\n"
                           "FERRIX_REMOVABLE_ROOTS (colon-separated folders) names them instead.\n"
                           "Exit status: 0 copied, 1 nothing to do, 2 a copy failed (for instance, the file exists).\n";

void ShowMessage(int argc, char** argv, const std::string& text)
{
    if (!platform::DisplayPresent()) {
        std::cerr << text << '\n';
        return;
    }
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::NoIcon, "ferrix", QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << kUsage;
        return 0;
    }
    if (std::find(args.begin(), args.end(), "--version") != args.end()) {
        std::cout << "ferrix " << REELVANE_VERSION << '\n';
        return 0;
    }
    const ferrix::CopyRequest request{ferrix::KeyValue(args, "/i"), ferrix::KeyValue(args, "/o")};
    const auto status = ferrix::CopyToCard(request, platform::RemovableDriveRoots(),
                                           [&](const std::string& text) { ShowMessage(argc, argv, text); });
    return static_cast<int>(status);
}
