#include "reelvane/dialogs/dialog_parts.h"

#include "reelvane/frame/language_table.h"

#include <QEvent>
#include <QLocale>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>

namespace reelvane {
namespace {

class FocusWatcher : public QObject {
public:
    FocusWatcher(QObject* parent, std::function<void()> onFocus) : QObject(parent), onFocus_(std::move(onFocus)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            onFocus_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onFocus_;
};

} // namespace

QString Text(const char* section, const char* key, const char* builtin)
{
    return QString::fromStdString(LookupText(section, key, builtin));
}

QLineEdit* NumberField(bool decimal)
{
    auto* field = new QLineEdit;
    const char* pattern = decimal ? "[0-9]{0,9}(\\.[0-9]{0,6})?" : "[0-9]{0,9}";
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
    field->setMaximumWidth(90);
    return field;
}

int FieldInt(const QLineEdit* field)
{
    return static_cast<int>(std::min<qlonglong>(field->text().toLongLong(), INT32_MAX));
}

float FieldReal(const QLineEdit* field)
{
    return QLocale::c().toFloat(field->text());
}

QString RealText(float value)
{
    // Six decimals as the profile files hold them, without the trailing zeros.
    QString text = QLocale::c().toString(static_cast<double>(value), 'f', 6);
    while (text.contains('.') && (text.endsWith('0') || text.endsWith('.')))
        text.chop(1);
    return text;
}

void OnFocus(QWidget* widget, std::function<void()> onFocus)
{
    widget->installEventFilter(new FocusWatcher(widget, std::move(onFocus)));
}

RangeSpinBox::RangeSpinBox(int low, int high, QWidget* parent) : QSpinBox(parent), low_(low), high_(high)
{
    setRange(0, 999999);
}

void RangeSpinBox::stepBy(int steps)
{
    setValue(std::clamp(value() + steps, low_, high_));
}

QAbstractSpinBox::StepEnabled RangeSpinBox::stepEnabled() const
{
    StepEnabled enabled;
    if (value() < high_)
        enabled |= StepUpEnabled;
    if (value() > low_)
        enabled |= StepDownEnabled;
    return enabled;
}

void RefuseField(QWidget* field, const QString& text)
{
    // The page holding the field comes to the front first.
    for (QWidget* child = field; child && child->parentWidget(); child = child->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(child->parentWidget()->parentWidget());
            tabs && tabs->indexOf(child) >= 0)
            tabs->setCurrentWidget(child);
    QMessageBox::warning(field->window(), field->window()->windowTitle(), text);
    field->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll(); // the next keys replace what was refused
}

void RefuseRange(QWidget* field, double low, double high)
{
    QString text = Text("OPTION_DLG", "strRangeInfo", "Please enter a number between %s and %s.");
    for (double value : {low, high})
        if (int at = text.indexOf("%s"); at >= 0)
            text.replace(at, 2, QString::number(value));
    RefuseField(field, text);
}

} // namespace reelvane
