// The window under a dark desktop theme, and Qt's own texts in the chosen language: offscreen,
// with the build's profiles and language packs and private settings.
#include "reelvane/frame/application.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/task_list_view.h"
#include "scripted_host.h"
#include "temp_folder.h"
#include "tests/media/test_media.h"

#include "platform/program_folder.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <map>

using namespace reelvane;

namespace {

double Luminance(QRgb rgb)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a reader sees in an area: its commonest colour as the background and the pixel that
// stands out from it most as the text.
struct Ink {
    QRgb background = 0;
    QRgb text = 0;
    double contrast() const { return Contrast(background, text); }
};

Ink InkOf(const QImage& image, const QRect& area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000];
    Ink ink;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most)
            std::tie(ink.background, most) = std::tie(colour, count);
    ink.text = ink.background;
    for (const auto& [colour, count] : counts)
        if (Contrast(colour, ink.background) > ink.contrast())
            ink.text = colour;
    return ink;
}

// A dark theme as a desktop hands it to Qt: dark faces and fields, near-white text.
QPalette DarkDesktopPalette()
{
    QPalette dark;
    const QColor face(0x31, 0x36, 0x3B), field(0x23, 0x26, 0x29), text(0xFC, 0xFC, 0xFC), dim(0x6E, 0x71, 0x75);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button})
        dark.setColor(role, face);
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::AlternateBase})
        dark.setColor(role, field);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, text);
        dark.setColor(QPalette::Disabled, role, dim);
    }
    dark.setColor(QPalette::PlaceholderText, dim);
    return dark;
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            qputenv(name, QByteArray::fromStdString(home_.path(name)));
    }
    void TextStaysReadableUnderADarkTheme();
    void QtTextsFollowTheLanguagePack();

private:
    WindowSetup Setup() const
    {
        const std::string program = platform::ProgramFolder();
        platform::SettingsStore settings;
        settings.WriteInt("firstuse", 1);
        return {program,
                program,
                {program + "/ini/", home_.path("data/quillon/ini/"), home_.path("config/quillon/")},
                settings,
                LoadStartupSettings(settings, program, Languages(), 9 | (1 << 10)),
                TaskListStore()};
    }

    TempFolder home_;
};

void ThemeTest::TextStaysReadableUnderADarkTheme()
{
    QApplication::setPalette(DarkDesktopPalette());
    ApplyProgramColours();
    ScriptedHost host;
    MainWindow window(Setup(), host);
    window.resize(780, 540);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({QString::fromStdString(testmedia::ClipPath(testmedia::Clip::MatroskaTracks))});
    QCoreApplication::processEvents();
    const QImage shot = window.grab().toImage();

    QWidget* list = window.view()->viewport();
    const QRect firstRow = window.view()->visualRect(window.view()->model()->index(0, 0));
    const Ink listInk = InkOf(shot, QRect(list->mapTo(&window, firstRow.topLeft()), firstRow.size()));
    QVERIFY2(
        listInk.contrast() >= 4.5,
        qPrintable(
            QString("task list text %1 on %2").arg(QColor(listInk.text).name(), QColor(listInk.background).name())));

    auto* field = window.findChild<QLineEdit*>("outputFolder");
    QVERIFY(field && !field->text().isEmpty());
    const Ink fieldInk = InkOf(shot, QRect(field->mapTo(&window, QPoint(4, 4)), field->size() - QSize(8, 8)));
    QVERIFY2(fieldInk.contrast() >= 4.5,
             qPrintable(
                 QString("field text %1 on %2").arg(QColor(fieldInk.text).name(), QColor(fieldInk.background).name())));

    // During a run the buttons are disabled: they must look it.
    auto* button = window.findChild<QPushButton*>("convertButton");
    QVERIFY(button && button->isEnabled() && !button->text().isEmpty());
    const QRect inside(button->mapTo(&window, QPoint(4, 4)), button->size() - QSize(8, 8));
    const Ink enabled = InkOf(window.grab().toImage(), inside);
    QVERIFY(enabled.contrast() >= 4.5);
    button->setEnabled(false);
    const Ink disabled = InkOf(window.grab().toImage(), inside);
    QVERIFY2(disabled.text != enabled.text, qPrintable(QColor(disabled.text).name()));
}

void ThemeTest::QtTextsFollowTheLanguagePack()
{
    ScriptedHost host;
    MainWindow window(Setup(), host);
    auto choose = [&](const QString& pack) {
        QMenu* languages = window.findChild<QMenu*>("languageMenu");
        for (QAction* action : languages->actions())
            if (action->text() == pack)
                return action->trigger(), true;
        return false;
    };
    auto yes = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    QVERIFY(choose("Deutsch (German)"));
    QCOMPARE(yes(), QString("&Ja"));
    QVERIFY(choose("Français (French)"));
    QCOMPARE(yes(), QString("&Oui"));
    QVERIFY(choose("English"));
    QCOMPARE(yes(), QString("&Yes"));
}

QTEST_MAIN(ThemeTest)
#include "theme_test.moc"
