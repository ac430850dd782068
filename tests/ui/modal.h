#pragma once

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace vaultor::test {

// Acts on each dialog as it is shown (a question, a message, a notice), from
// inside the dialog's own event loop.
class ModalHandler : public QObject {
  public:
    explicit ModalHandler(std::function<void(QDialog*)> act) : act_(std::move(act)) {
        qApp->installEventFilter(this);
    }
    ~ModalHandler() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && event->type() == QEvent::Show && dialog->isModal()) {
            QPointer<QDialog> shown(dialog);
            QTimer::singleShot(0, this, [this, shown] {
                if (shown && shown->isVisible()) act_(shown);
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void(QDialog*)> act_;
};

}  // namespace vaultor::test
