// kavlo: rebuilds converted MOV files in the layout of a camera's own clips.
//   kavlo show                        opens the window
//   kavlo TARGET TEMPLATE OUTPUT      converts TARGET after TEMPLATE into OUTPUT
//   kavlo --help | --version

#include "platform/display.h"
#include "tools/kavlo/kavlo_actions.h"
#include "tools/kavlo/kavlo_window.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {

constexpr char kUsage[] = "Usage: kavlo show\n"
                          "       kavlo TARGET.mov TEMPLATE.mov OUTPUT.mov\n"
                          "       kavlo --help | --version\n"
                          "Rebuilds a converted MOV file in the layout of a camera's own clips.\n"
                          "  show      open the window\n"
                          "  TARGET    the converted file; TEMPLATE a clip of the camera; OUTPUT the new\n"
                          "            file, which must not exist yet\n"
                          "Exit status: 0 converted, 1 failed, 2 usage error.\n";

// Batch runs show their messages in boxes on a desktop and on standard error elsewhere.
class BatchUi : public kavlo::KavloUi {
public:
    BatchUi(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    void ShowMessage(const std::string& text) override
    {
        if (!platform::DisplayPresent()) {
            std::cerr << text << '\n';
            return;
        }
        if (!app_)
            app_ = std::make_unique<QApplication>(argc_, argv_);
        QMessageBox(QMessageBox::NoIcon, "kavlo", QString::fromStdString(text), QMessageBox::Ok).exec();
    }
    void SetProgress(int) override {}

private:
    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> app_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "kavlo " << REELVANE_VERSION << '\n';
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "show") {
        QApplication app(argc, argv);
        KavloWindow window;
        window.show();
        return app.exec();
    }
    if (argc != 4) {
        std::cerr << kUsage;
        return 2;
    }
    BatchUi ui(argc, argv);
    return kavlo::ConvertFiles(argv[1], argv[2], argv[3], ui) == kavlo::Outcome::Done ? 0 : 1;
}
