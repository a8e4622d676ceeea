#include "reelvane/frame/about_dialog.h"

#include "adapters/skivo/skivo.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/program_info.h"
#include "reelvane/ui/pictures.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QUrl>

namespace reelvane {
namespace {

QString Text(const char* key, const char* builtin)
{
    return QString::fromStdString(LookupText("ABOUT_DLG", key, builtin));
}

QString WithMaker(const QString& pattern)
{
    return QString(pattern).replace("%s", kMakerShortName);
}

} // namespace

AboutDialog::AboutDialog(const QString& programFolder, std::function<void(const QString&)> open, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Text("strTitleInfo", "About"));
    setObjectName("AboutDialog");
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);

    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramIcon().pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);
    grid->addWidget(picture, 0, 0, 5, 1);

    auto* title =
        new QLabel(QString("<b style='font-size:14pt'>%1</b>&nbsp;&nbsp;%2").arg(kProductTitle, kVersionText), this);
    title->setObjectName("title");
    grid->addWidget(title, 0, 1, 1, 2);

    const QString folder = programFolder;
    const struct {
        const char* labelKey;
        const char* labelText;
        const char* tipKey;
        const char* tipText;
        QString target;
        QString shown;
    } links[] = {
        {"strWebsiteInfo", "Website:", "strWebTextTooltip", "Click here to go %s website",
         QUrl::fromLocalFile(QString::fromStdString(ProductPage(folder.toStdString()))).toString(),
         "Reelvane product page"},
        {"strForumInfo", "Forum:", "strForumTooltip", "Click here to go %s forum",
         QUrl::fromLocalFile(QString::fromStdString(SupportPage(folder.toStdString()))).toString(),
         "Reelvane support page"},
        {"strEmailInfo", "E-mail:", "strEmailTooltip", "Click here to e-mail me...", kSupportMailAddress,
         QString(kSupportMailAddress).mid(7)},
    };
    int row = 1;
    for (const auto& link : links) {
        auto* label = new QLabel(Text(link.labelKey, link.labelText), this);
        auto* value =
            new QLabel(QString("<a href=\"%1\">%2</a>").arg(link.target.toHtmlEscaped(), link.shown.toHtmlEscaped()),
                       this);
        value->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        value->setToolTip(WithMaker(Text(link.tipKey, link.tipText)));
        value->setAccessibleName(label->text());
        label->setBuddy(value);
        connect(value, &QLabel::linkActivated, this, [open](const QString& target) { open(target); });
        grid->addWidget(label, row, 1);
        grid->addWidget(value, row, 2);
        ++row;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, row, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    QLM_AddFilterHook(this);
}

} // namespace reelvane
