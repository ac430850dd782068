#include "ui/qt_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "fs/i18n.h"
#include "state/program_dir.h"
#include "ui/dialogs.h"
#include "ui/help.h"
#include "ui/log_viewer.h"
#include "ui/main_form.h"
#include "ui/select_map.h"
#include "ui/text.h"

namespace vaultor::ui {

QtUi::QtUi() {
    clock_.start();
}

void QtUi::Attach(TForm1& form, AppState& state) {
    Form = &form;
    state_ = &state;
    auto colour = [this] { return Form->WindowColour(); };
    SelectMap = new TSelectMap(Form, colour);
    Watnu = new TWatnu(Form, colour);
    NieuweLijst = new TNieuweLijst(Form, colour);
    Schema = new TSchema(Form, colour);
    LogViewer = new TLogFile(Form, [this] { return state_->Model.ComboBox1.caption; });
    ShowTextForm = new TShowTextForm(Form, colour);
    Help = new HelpWindow(Form);
    Form->help = [this](const std::string& file, int context) { OpenHelp(file, context); };
}

int QtUi::VraagJaNee(const std::string& question) {
    Form->Refresh();
    return Watnu->Ask(question);
}

void QtUi::ToonMelding(const std::string& text) {
    Form->Refresh();
    ShowTextForm->Show(text);
}

void QtUi::PlainNotice(const std::string& text) {
    QMessageBox::information(Form, QStringLiteral("Vaultor"), Shown(text));
}

UserInterface::NameAnswer QtUi::AskListName(const std::string& caption, const std::string& text,
                                            bool import_enabled) {
    Form->Refresh();
    return NieuweLijst->Ask(caption, text, import_enabled);
}

std::optional<std::string> QtUi::PickListFile(const std::string& folder) {
    QString path = QFileDialog::getOpenFileName(Form, Shown(_("Importeer een lijst")),
                                                Shown(folder), Shown(_("Vaultor lijsten (*.vlt)")));
    if (path.isEmpty()) return std::nullopt;
    return Bytes(path);
}

std::optional<std::string> QtUi::PickFolder() {
    Form->Refresh();
    return SelectMap->Pick();
}

void QtUi::ShowText(const std::string& caption, const std::string& text) {
    Form->Refresh();
    LogViewer->Show(caption, text, state_->ProgramDir);
}

std::optional<ListAutomation> QtUi::AskListAutomation(const std::string& list,
                                                      const ListAutomation& current) {
    Form->Refresh();
    return Schema->Ask(list, current);
}

void QtUi::ProcessMessages() {
    // The core asks for this between files, many times a millisecond on small
    // files. Taking the events 50 times a second keeps Stop, repaints and the
    // close box live; showing the model 10 times a second is all an eye follows,
    // at a fraction of the cost.
    std::int64_t now = NowMs();
    if (now - last_pump_ms_ < kPumpIntervalMs) return;
    last_pump_ms_ = now;
    // The main window's creation already lets events through, before it is attached.
    if (Form && now - last_refresh_ms_ >= kRefreshIntervalMs) {
        last_refresh_ms_ = now;
        Form->Refresh();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUi::OpenHelp(const std::string& file, int context) {
    std::string path = FindInstalledFile(file);
    if (!Help->Open(path, context))
        ToonMelding(Printf(_("Het helpbestand %s is niet gevonden."), path.c_str()));
}

}  // namespace vaultor::ui
