#include "ui/help.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/text.h"

namespace vaultor::ui {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HelpWindow");
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName("HelpBrowser");
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser);
}

bool HelpWindow::Open(const std::string& file, int context) {
    if (!QFile::exists(Shown(file))) return false;
    auto* browser = findChild<QTextBrowser*>("HelpBrowser");
    QUrl url = QUrl::fromLocalFile(Shown(file));
    url.setFragment(QStringLiteral("context-%1").arg(context));
    browser->setSource(url);
    setWindowTitle(browser->documentTitle());
    show();
    raise();
    return true;
}

}  // namespace vaultor::ui
