#include "reelvane/dialogs/new_profile_dialog.h"

#include "reelvane/dialogs/dialog_parts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace reelvane {
namespace {

constexpr char kSection[] = "NEWPROFILE_DLG";
constexpr int kNameLimit = 200;

} // namespace

NewProfileDialog::NewProfileDialog(const std::string& initialName, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(kSection, "strTitleInfo", "New profile name"));
    name_ = new QLineEdit(QString::fromStdString(initialName));
    name_->setObjectName("profileName");
    name_->setMaxLength(kNameLimit);
    name_->setMinimumWidth(280);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(Text(kSection, "btnOKInfo", "OK"), QDialogButtonBox::AcceptRole);
    ok->setToolTip(Text(kSection, "btnOKTooltip", "OK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(Text(kSection, "btnCancelInfo", "Cancel"), QDialogButtonBox::RejectRole);
    cancel->setToolTip(Text(kSection, "btnCancelTooltip", "Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A blank name would make a profile nobody can pick.
    auto updateOk = [this, ok] { ok->setEnabled(!name_->text().trimmed().isEmpty()); };
    connect(name_, &QLineEdit::textChanged, this, updateOk);
    updateOk();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Text(kSection, "strNewprofileInfo", "New profile name:")));
    layout->addWidget(name_);
    layout->addWidget(buttons);
}

std::string NewProfileDialog::name() const
{
    return name_->text().toStdString();
}

std::optional<std::string> AskProfileName(QWidget* parent, const std::string& initialName)
{
    NewProfileDialog dialog(initialName, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.name();
}

} // namespace reelvane
