#include "ui/log_viewer.h"

#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QVBoxLayout>

#include "fs/i18n.h"
#include "log/log_file.h"
#include "ui/dialogs.h"
#include "ui/text.h"

namespace vaultor::ui {

TLogFile::TLogFile(QWidget* parent, std::function<std::string()> list_name)
    : QDialog(parent), list_name_(std::move(list_name)) {
    setObjectName("TLogFile");
    setWindowTitle(Shown(_("Vaultor logviewer")));
    setModal(true);
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menu_bar = new QMenuBar(this);
    layout->setMenuBar(menu_bar);
    QMenu* file = menu_bar->addMenu(Shown(_("Bestand")));
    file->setObjectName("Bestand1");
    auto* save = file->addAction(Shown(_("Log opslaan als...")), this, [this] { SaveAs(); });
    save->setObjectName("Logopslaanals1");
    auto* open = file->addAction(Shown(_("Open log bestand...")), this, [this] { OpenFile(); });
    open->setObjectName("Openlogbestand1");
    auto* close = file->addAction(Shown(_("Sluiten")), this, [this] {
        RichEdit1->clear();
        accept();
    });
    close->setObjectName("Sluiten1");
    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setReadOnly(true);
    layout->addWidget(RichEdit1);
}

void TLogFile::Load(const std::string& caption, const std::string& text,
                    const std::string& folder) {
    setWindowTitle(Shown(caption));
    RichEdit1->setPlainText(Shown(text));
    folder_ = Shown(folder);
}

void TLogFile::Show(const std::string& caption, const std::string& text,
                    const std::string& folder) {
    Load(caption, text, folder);
    CentreOn(this, parentWidget());
    exec();
}

QString TLogFile::ProposedSaveName() const {
    return folder_ + Shown(list_name_()) + ".txt";
}

void TLogFile::SaveAs(const QString& file) {
    QString path = file;
    if (path.isEmpty()) {
        QFileDialog dialog(this, Shown(_("Log opslaan als...")), ProposedSaveName(),
                           Shown(_("tekst (*.txt)")));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        path = dialog.selectedFiles().front();
    }
    std::vector<std::string> lines;
    for (const QString& line : RichEdit1->toPlainText().split('\n')) lines.push_back(Bytes(line));
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    try {
        SaveLines(Bytes(path), lines);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, windowTitle(), Shown(e.what()));
    }
}

void TLogFile::OpenFile(const QString& file) {
    QString path = file;
    if (path.isEmpty())
        path = QFileDialog::getOpenFileName(this, Shown(_("Open log bestand...")), folder_,
                                            Shown(_("Tekst (*.txt);;* (*)")));
    if (path.isEmpty()) return;
    RichEdit1->clear();
    // A file that cannot be read leaves the viewer empty, without a word.
    QFile in(path);
    if (in.open(QIODevice::ReadOnly)) RichEdit1->setPlainText(Shown(in.readAll().toStdString()));
}

}  // namespace vaultor::ui
