#include "ui/program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTranslator>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "app/command_line.h"
#include "app/start.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "state/language.h"
#include "ui/main_form.h"
#include "ui/qt_ui.h"
#include "ui/text.h"
#include "version.h"

namespace vaultor::ui {
namespace {

constexpr const char* kUsage =
    N_("vaultor [--program-dir MAP] [--drive X=MAP[,kind=N][,label=TEKST][,mounted]]...\n"
       "vaultor --help | --version");

// Hints come after a second and stay for six.
class HintTiming : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 1000;
        if (hint == SH_ToolTip_FallAsleepDelay) return 6000;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

StartOptions ParseOptions(int argc, char** argv) {
    StartOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--program-dir" && i + 1 < argc) {
            ++i;  // taken already
        } else if (arg == "--drive" && i + 1 < argc) {
            options.drives.push_back(DriveArgument(argv[++i]));
        } else {
            throw std::invalid_argument(Printf(_("Onbekende optie %s; zie --help."), arg.c_str()));
        }
    }
    return options;
}

// The usage in the language the program folder's settings choose.
int PrintUsage() {
    try {
        StartProgram();
    } catch (const std::exception&) {
        // The language is chosen before a missing program folder throws.
    }
    std::printf("%s\n", _(kUsage));
    return 0;
}

}  // namespace

void LoadToolkitTranslations(const std::string& language_code) {
    static QTranslator translator;
    QLocale locale = language_code.empty() ? QLocale::system() : QLocale(Shown(language_code));
    QCoreApplication::removeTranslator(&translator);
    if (translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

int RunWindowProgram(int argc, char** argv) {
    if (AsksForVersion(argc, argv)) {
        std::printf("vaultor %s\n", VAULTOR_VERSION);
        return 0;
    }
    StartOptions options;
    try {
        TakeProgramDirOption(argc, argv);
        if (AsksForHelp(argc, argv)) return PrintUsage();
        options = ParseOptions(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "vaultor: %s\n", e.what());
        return 2;
    }
    QApplication app(argc, argv);
    InitGlyphResources();
    // QApplication set the whole locale from the environment again; the
    // program's own locale steps come after it (inside StartProgram).
    StartedProgram program;
    try {
        program = StartProgram();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Vaultor"), Shown(e.what()));
        return 1;
    }
    LoadToolkitTranslations(program.LanguageCode);
    app.setStyle(new HintTiming);
    StartDriveTable(program, options);
    QtUi ui;
    fs::SetMessagePump(&ui);
    AppState state(ui);
    state.CommandLineDrives = options.drives;
    TForm1 form(state, program);
    ui.Attach(form, state);
    QRect screen = QApplication::primaryScreen()->availableGeometry();
    form.move(screen.center() - QPoint(form.width() / 2, form.height() / 2));
    form.show();
    int status = app.exec();
    fs::SetMessagePump(nullptr);
    return status;
}

}  // namespace vaultor::ui
