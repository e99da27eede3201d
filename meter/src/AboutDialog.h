#pragma once

#include <QDialog>

namespace meter::detail {

// The gauge's modal About dialog: the library's name and version.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace meter::detail
