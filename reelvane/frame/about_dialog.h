#pragma once
// The About box: the program's title and version and three links.

#include <QDialog>

#include <functional>

namespace reelvane {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `open` is given each link's address when it is clicked.
    AboutDialog(const QString& programFolder, std::function<void(const QString&)> open, QWidget* parent);
};

} // namespace reelvane
