#pragma once
// Small pieces the dialogs share: language texts as QString, number fields, a spin box that
// lets an out-of-range value be typed (so it can be refused on OK), and "focus selects".

#include <QLineEdit>
#include <QSpinBox>

#include <functional>

class QWidget;

namespace reelvane {

QString Text(const char* section, const char* key, const char* builtin);

// A field that takes digits only, or a decimal number.
QLineEdit* NumberField(bool decimal = false);
int FieldInt(const QLineEdit* field);
float FieldReal(const QLineEdit* field);
QString RealText(float value);

// Calls `onFocus` whenever `widget` gets the keyboard focus.
void OnFocus(QWidget* widget, std::function<void()> onFocus);

// Arrows keep the value within [low, high]; a typed value is kept as typed for the page to check.
class RangeSpinBox : public QSpinBox {
public:
    RangeSpinBox(int low, int high, QWidget* parent = nullptr);
    void stepBy(int steps) override;
    int low() const { return low_; }
    int high() const { return high_; }

protected:
    StepEnabled stepEnabled() const override;

private:
    int low_;
    int high_;
};

// A refusal: the field's page comes to the front, the message is shown, and the field gets the
// focus again.
void RefuseField(QWidget* field, const QString& text);
// The range refusal.
void RefuseRange(QWidget* field, double low, double high);

} // namespace reelvane
