#pragma once

#include <QDialog>
#include <string>

namespace vaultor::ui {

// The help window: the guide of the program's language, opened at an anchor.
class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent);
    // False when the file is missing; the caller says so.
    bool Open(const std::string& file, int context);
};

}  // namespace vaultor::ui
