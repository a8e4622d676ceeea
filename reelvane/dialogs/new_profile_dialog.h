#pragma once
// The small dialog in which the user names a new profile.

#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;

namespace reelvane {

class NewProfileDialog : public QDialog {
    Q_OBJECT

public:
    NewProfileDialog(const std::string& initialName, QWidget* parent = nullptr);
    std::string name() const;

private:
    QLineEdit* name_;
};

// The typed name on OK, nothing on Cancel.
std::optional<std::string> AskProfileName(QWidget* parent, const std::string& initialName);

} // namespace reelvane
