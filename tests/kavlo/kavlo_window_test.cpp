// The window, offscreen: choosing files in the lists, Create Temp and Convert Now.

#include "tests/kavlo/kavlo_media_set.h"
#include "tools/kavlo/kavlo_messages.h"
#include "tools/kavlo/kavlo_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace kavlo_test;

namespace {

const QString kTemplateName = QString::fromUtf8(kavlo::kTemplatePrefix) + "camera.mov";

class WindowDriver {
public:
    WindowDriver() : window([this](const QString& text) { messages << text; }) { window.show(); }

    QStringList Items(const char* list)
    {
        QStringList names;
        auto widget = window.findChild<QListWidget*>(list);
        for (int i = 0; i < widget->count(); ++i)
            names << widget->item(i)->text();
        return names;
    }
    void Choose(const char* list, const QString& name)
    {
        auto widget = window.findChild<QListWidget*>(list);
        auto items = widget->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        widget->scrollToItem(items.front());
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(items.front()).center());
    }
    QString Text(const char* field) { return window.findChild<QLineEdit*>(field)->text(); }
    void Press(const char* button) { QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton); }

    QStringList messages;
    KavloWindow window;
};

} // namespace

TEST(kavloWindow, CreateTempThenConvertNow)
{
    TempFolder folder;
    CopyInto(folder, Media().cameraClip, "camera.mov");
    CopyInto(folder, Media().target, "clip.mov");
    {
        WindowDriver driver;
        driver.window.SetFolder(QString::fromStdString(folder.path("")));
        EXPECT_EQ(driver.Items("movFiles"), (QStringList{"camera.mov", "clip.mov"}));
        EXPECT_TRUE(driver.Items("templateFiles").isEmpty());
        EXPECT_EQ(driver.Text("movName"), "No Choice");
        driver.Choose("movFiles", "camera.mov");
        EXPECT_EQ(driver.Text("movName"), "camera.mov");
        driver.Press("createTemp");
        EXPECT_EQ(driver.messages, QStringList{QString::fromUtf8(kavlo::kTemplateCreated)});
        EXPECT_FALSE(driver.window.isVisible());
    }
    ASSERT_TRUE(std::filesystem::exists(folder.path(kTemplateName.toStdString())));

    WindowDriver driver;
    driver.window.SetFolder(QString::fromStdString(folder.path("")));
    EXPECT_EQ(driver.Items("templateFiles"), QStringList{kTemplateName});
    driver.Press("convertNow");
    EXPECT_EQ(driver.messages, QStringList{QString::fromUtf8(kavlo::kNoTarget)});
    EXPECT_TRUE(driver.window.isVisible());

    driver.messages.clear();
    driver.Choose("movFiles", "clip.mov");
    driver.Choose("templateFiles", kTemplateName);
    EXPECT_EQ(driver.Text("templateName"), kTemplateName);
    driver.Press("convertNow");
    EXPECT_EQ(driver.messages, QStringList{QString::fromUtf8(kavlo::kConverted)});
    EXPECT_EQ(driver.window.findChild<QProgressBar*>("progress")->value(), 100);
    EXPECT_FALSE(driver.window.isVisible());
    EXPECT_EQ(TopLevel(ReadBytes(folder.path("new_clip.mov"))).front().type, "skip");
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
