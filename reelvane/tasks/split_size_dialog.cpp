#include "reelvane/tasks/split_size_dialog.h"

#include "adapters/skivo/skivo.h"
#include "reelvane/frame/language_table.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace reelvane {

SplitSizeDialog::SplitSizeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("SplitSizeDialog");
    prompt_ = new QLabel(this);
    unit_ = new QLabel(this);
    field_ = new QSpinBox(this);
    // The field refuses values outside the range, so no value can be out of it.
    field_->setRange(0, 100000);
    field_->setValue(4000);
    field_->setAlignment(Qt::AlignRight);
    prompt_->setBuddy(field_);

    auto* row = new QHBoxLayout;
    row->addWidget(field_, 1);
    row->addWidget(unit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addLayout(row);
    layout->addWidget(buttons);
    ApplyTexts();
    QLM_AddFilterHook(this);
}

int SplitSizeDialog::megabytes() const
{
    return field_->value();
}

void SplitSizeDialog::SetMegabytes(int value)
{
    field_->setValue(value);
}

void SplitSizeDialog::ApplyTexts()
{
    setWindowTitle(QString::fromStdString(LookupText("OPTION_GENERAL_DLG", "btnSplitCustomInfo", "Custom Split Size")));
    prompt_->setText(
        QString::fromStdString(LookupText("WINDOW_INFO", "strSplitSizeInfo", "Please enter the split size:")));
    unit_->setText(QString::fromStdString(LookupText("WINDOW_INFO", "strSplitUnitInfo", "MB")));
    field_->setAccessibleName(prompt_->text());
}

} // namespace reelvane
