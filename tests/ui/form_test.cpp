// The main window bound to the core: real widgets on the offscreen platform,
// real list, companion and settings files in a program folder of its own,
// every dialog answered through its own buttons.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "app/schedule_units.h"
#include "fs/pump.h"
#include "state/settings.h"
#include "support/drive_map.h"
#include "support/temp_dir.h"
#include "ui/dialogs.h"
#include "ui/log_viewer.h"
#include "ui/main_form.h"
#include "ui/modal.h"
#include "ui/qt_ui.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

using test::ReadFile;
using test::WriteFile;

// What writing a list's units looks at, pointed into a folder of the test's
// own: the units land there, never in the real home, and no user manager
// answers, so the window gives the crontab line.
class UnitEnvironment {
  public:
    explicit UnitEnvironment(const test::TempDir& dir) {
        std::filesystem::create_directories(dir / "run");
        Set("HOME", dir / "home");
        Set("XDG_CONFIG_HOME", dir / "config");
        Set("XDG_RUNTIME_DIR", dir / "run");
        Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir / "run/geen-bus");
    }
    ~UnitEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

  private:
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// A colour in which red clearly leads.
bool Reddish(const QColor& c) {
    return c.red() > c.green() + 24 && c.red() > c.blue() + 24;
}

// The ground a label is drawn on, beside its text.
QColor Ground(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget->render(&image);
    return image.pixelColor(1, widget->height() / 2);
}

class Window : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(s / "Foto");
        std::filesystem::create_directories(s / "Werk");
        WriteFile(s / "Foto/a.jpg", "12345");
        test::MapDrives({"S=" + s.Path(), "E=" + e.Path()});
        WriteFile(home / "Thuis.vlt", "S:\\Foto\r\n");
        WriteFile(home / "Thuis.drv", "[Vaultor]\r\nTheDrive=E\r\n");
        WriteFile(home / "Werk.vlt", "S:\\Werk\r\n");
        WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=Thuis\r\n[Translation]\r\n1=\r\n");
        program.ProgramDir = home.Path() + "/";
        program.SettingsPath = home / "Vaultor.ini";
        fs::SetMessagePump(&ui);
    }
    void TearDown() override { fs::SetMessagePump(nullptr); }

    // The window shown, its start flow run on the first paint.
    void Open() {
        program.settings = LeesIniFile(program.SettingsPath);
        form = std::make_unique<TForm1>(state, program);
        ui.Attach(*form, state);
        form->help = [this](const std::string& file, int context) {
            helped.push_back(file + "#" + std::to_string(context));
        };
        form->show();
        for (int i = 0; i < 300 && state.StartingUp; ++i) QTest::qWait(10);
        ASSERT_FALSE(state.StartingUp) << "the start flow did not run";
    }
    std::string Text(QLabel* label) { return Bytes(label->text()); }
    void MakeFiles(int n) {
        for (int i = 0; i < n; ++i) WriteFile(s / ("Foto/f" + std::to_string(i)), "x");
    }
    // "&Ja" to every question, "&Ok" to every message, whose texts are kept.
    std::unique_ptr<test::ModalHandler> AnswerYesAndOk(std::vector<std::string>& messages) {
        return std::make_unique<test::ModalHandler>([&messages](QDialog* d) {
            if (auto* q = qobject_cast<TWatnu*>(d)) {
                q->Yes->click();
            } else if (auto* m = qobject_cast<TShowTextForm*>(d)) {
                messages.push_back(Bytes(m->Label1->text()));
                m->Ok->click();
            }
        });
    }
    QListWidgetItem* Option(int i) { return form->CheckListBox1->item(i); }

    test::DriveTableScope drives;
    test::TempDir home, s, e;
    StartedProgram program;
    QtUi ui;
    AppState state{ui};
    std::unique_ptr<TForm1> form;
    std::vector<std::string> helped, asked, told;
};

TEST_F(Window, ShowsTheModelAndEveryControlReachesItsHandler) {
    Open();
    EXPECT_EQ(form->windowTitle(), "Vaultor versie 1.8c");
    EXPECT_EQ(form->size(), QSize(632, 453));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->ComboBox1->currentText(), "Thuis");
    ASSERT_EQ(form->ListBox1->count(), 1);
    EXPECT_EQ(form->ListBox1->item(0)->text(), "S:\\Foto");
    EXPECT_EQ(Text(form->Label16), "E:");
    EXPECT_EQ(Text(form->L_Aktie), "niet aktief");
    EXPECT_EQ(Text(form->Label2), state.Model.Label2.caption);
    EXPECT_EQ(Text(form->StatusBar1), state.Model.StatusBar1);
    EXPECT_TRUE(form->SpB_Start->isVisible());
    EXPECT_FALSE(form->SpB_Stop->isVisible());
    EXPECT_FALSE(form->Gauge2->isVisible());
    EXPECT_EQ(form->SpBCompare->toolTip().left(5), "Test:");

    state.Model.L_Aktie.caption = "berekenen";
    state.Model.Memo1Box.visible = true;
    form->Refresh();
    EXPECT_EQ(Text(form->L_Aktie), "berekenen");
    EXPECT_TRUE(form->Memo1->isVisible());
    state.Model.Memo1Box.visible = false;

    // Focus makes a row current, not selected: the folder entries stay off.
    auto* remove = form->PopupMenu1->findChild<QAction*>("Wisdemap1");
    emit form->PopupMenu1->aboutToShow();
    EXPECT_FALSE(remove->isEnabled());
    form->ListBox1->item(0)->setSelected(true);
    emit form->PopupMenu1->aboutToShow();
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_EQ(state.Model.ListBox1.selected, 0);

    // A command asked for while a walk lets the events through is refused.
    bool asked_during_walk = false;
    QTest::qWait(30);  // the walk's first pump takes the events
    QTimer::singleShot(0, [&] {
        asked_during_walk = true;
        form->PopupMenu3->findChild<QAction*>("Verifieertest1")->trigger();
    });
    form->Label10->on_click();
    EXPECT_TRUE(asked_during_walk);
    EXPECT_EQ(form->LastRun().end, RunEnd::None);

    form->SpBOpties->click();
    EXPECT_TRUE(form->CheckListBox1->isVisible());
    EXPECT_TRUE(form->SpBOpties->isChecked());
    form->SpBOpties->click();
    EXPECT_FALSE(form->CheckListBox1->isVisible());

    WriteFile(s / "Foto/b.jpg", "1234567");
    QTest::mouseClick(form->Label10, Qt::LeftButton);
    EXPECT_EQ(state.TotalBytes, 12);
    EXPECT_EQ(Text(form->Label2), state.Model.Label2.caption);

    QTest::mousePress(form->SB_MousInfo, Qt::LeftButton);
    EXPECT_TRUE(form->Memo1->isVisible());
    EXPECT_TRUE(form->Memo1->toPlainText().startsWith("Bronlijst informatie"));
    QTest::mouseRelease(form->SB_MousInfo, Qt::LeftButton);
    EXPECT_FALSE(form->Memo1->isVisible());

    form->CB_Locked->click();
    EXPECT_FALSE(form->DriveComboBox1->isEnabled());
    EXPECT_TRUE(form->Im_LockClosed->isVisible());
    EXPECT_FALSE(form->Im_LockOpen->isVisible());

    form->ComboBox1->setCurrentIndex(1);
    emit form->ComboBox1->activated(1);
    EXPECT_EQ(state.Model.ComboBox1.caption, "Werk");
    ASSERT_EQ(form->ListBox1->count(), 1);
    EXPECT_EQ(form->ListBox1->item(0)->text(), "S:\\Werk");
    EXPECT_EQ(ReadFile(home / "Thuis.drv").find("Locked=1") != std::string::npos, true);

    {
        // A double click renames; a single click opens the list after the double-click time.
        std::string rename_caption;
        test::ModalHandler cancel([&](QDialog* d) {
            rename_caption = Bytes(d->windowTitle());
            d->reject();
        });
        QTest::mouseDClick(form->ComboBox1, Qt::LeftButton);
        EXPECT_EQ(rename_caption, "Naam aanpassen");
        QTest::mouseClick(form->ComboBox1, Qt::LeftButton);
        EXPECT_FALSE(form->ComboBox1->view()->isVisible());
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        EXPECT_TRUE(form->ComboBox1->view()->isVisible());
        form->ComboBox1->hidePopup();
    }

    form->SpBHelp->click();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form->ListBox1, Qt::Key_F1);
    EXPECT_EQ(helped, (std::vector<std::string>{"Vaultor.html#1", "Vaultor.html#2"}));

    std::string viewer_caption;
    test::ModalHandler close_viewer([&](QDialog* d) {
        viewer_caption = Bytes(d->windowTitle());
        d->reject();
    });
    form->SBShowLog->click();
    EXPECT_EQ(viewer_caption, "Vaultor logviewer");
}

TEST_F(Window, OptionsAskAndTellThroughTheWindowsDialogs) {
    int answer = kAnswerNo;
    test::ModalHandler answers([&](QDialog* d) {
        if (auto* q = qobject_cast<TWatnu*>(d)) {
            asked.push_back(Bytes(q->VraagLabel->text()));
            (answer == kAnswerYes ? q->Yes : q->No)->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(d)) {
            told.push_back(Bytes(box->text()));
            box->accept();
        }
    });
    Open();
    form->SpBOpties->click();
    ASSERT_EQ(form->CheckListBox1->count(), 13);
    for (int i = 0; i < 11; ++i)  // every option shows its box, ticked or not
        EXPECT_TRUE(Option(i)->data(Qt::CheckStateRole).isValid()) << i;

    Option(7)->setCheckState(Qt::Unchecked);  // answered Nee: ticked again at once
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("Opgelet! uitzetten van deze optie", 0), 0u) << asked[0];
    EXPECT_EQ(Option(7)->checkState(), Qt::Checked);
    EXPECT_TRUE(state.Ini.NoEmptyFoldersOnCdrw);
    answer = kAnswerYes;
    Option(7)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(Option(7)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(state.Ini.NoEmptyFoldersOnCdrw);
    Option(7)->setCheckState(Qt::Checked);
    EXPECT_EQ(asked.size(), 2u);  // ticking it again asks nothing

    Option(9)->setCheckState(Qt::Checked);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("Opgelet! deze instelling heeft voorrang", 0), 0u);
    Option(9)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(told.size(), 1u);

    EXPECT_FALSE(form->PanelDriveInfo->isVisible());
    Option(2)->setCheckState(Qt::Checked);
    EXPECT_TRUE(form->PanelDriveInfo->isVisible());
    ASSERT_EQ(form->TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(form->TreeView1->topLevelItem(0)->text(0), "E:");

    Option(10)->setCheckState(Qt::Checked);
    Option(10)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[1], "Voor deze taalaanpassing moet Vaultor opnieuw gestart worden.");
    EXPECT_EQ(told[2], told[1]);

    Option(12)->setCheckState(Qt::Checked);  // the test reads contents too

    EXPECT_TRUE(form->close());
    std::string ini = ReadFile(home / "Vaultor.ini");
    EXPECT_NE(ini.find("[Translation]\r\n1=\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\n7=1\r\n8=1\r\n9=0\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Compare]\r\nContentCheck=1\r\n"), std::string::npos) << ini;
}

TEST_F(Window, TheListMenuSchedulesTheListAndTheLineOverItWarnsWhileItWasNeverBackedUp) {
    test::TempDir elsewhere;
    UnitEnvironment units(elsewhere);
    bool cancel = true, time_off = true, time_daily = false, day_daily = true, min_hours = true,
         days_off = true, days_kept = false;
    std::string caption;
    std::vector<std::string> messages;
    test::ModalHandler answers([&](QDialog* d) {
        if (auto* schema = qobject_cast<TSchema*>(d)) {
            caption = Bytes(schema->windowTitle());
            time_off = schema->Time->isEnabled();
            min_hours = schema->MinHours->isEnabled();
            schema->Daily->click();
            time_daily = schema->Time->isEnabled();
            day_daily = schema->Day->isEnabled();
            schema->Time->setTime(QTime(7, 45));
            schema->OnPlug->click();
            days_off = schema->Days->isEnabled();
            schema->Keep->click();
            days_kept = schema->Days->isEnabled();
            schema->Days->setValue(30);
            (cancel ? schema->Cancel : schema->Ok)->click();
        } else if (auto* m = qobject_cast<TShowTextForm*>(d)) {
            messages.push_back(Bytes(m->Label1->text()));
            m->Ok->click();
        }
    });
    Open();
    EXPECT_FALSE(form->LastBackupLine->isVisible());  // a list that is not backed up by itself
    const int list_top = form->ListBox1->y();
    const std::string drv_before = ReadFile(home / "Thuis.drv");
    QAction* entry = form->PopupMenu1->findChild<QAction*>("Schema1");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(Bytes(entry->text()), "Automatische back-up...");

    entry->trigger();  // Annuleer changes nothing
    EXPECT_EQ(caption, "Automatische back-up en versies van Thuis");
    EXPECT_EQ(ReadFile(home / "Thuis.drv"), drv_before);
    EXPECT_FALSE(form->LastBackupLine->isVisible());

    cancel = false;
    entry->trigger();
    EXPECT_FALSE(time_off);   // "Niet vanzelf" needs no time
    EXPECT_FALSE(min_hours);  // nor the hours after plugging in, until that is ticked
    EXPECT_TRUE(time_daily);
    EXPECT_FALSE(day_daily);
    EXPECT_FALSE(days_off);  // the days count only while versions are kept
    EXPECT_TRUE(days_kept);
    const std::string drv = ReadFile(home / "Thuis.drv");
    EXPECT_TRUE(test::Contains(drv, "[Schedule]\r\nKind=daily\r\nTime=07:45\r\nOnPlug=1\r\n"))
        << drv;
    EXPECT_TRUE(test::Contains(drv, "[Versions]\r\nKeep=1\r\nDays=30\r\nMoveDeleted=0\r\n")) << drv;
    EXPECT_TRUE(test::Contains(drv, "TheDrive=E")) << drv;
    const std::string unit_folder = elsewhere / "config/systemd/user/";
    EXPECT_TRUE(
        std::filesystem::exists(unit_folder + ListUnitName(state.ProgramDir, "Thuis") + ".timer"));
    std::string said;
    for (const auto& message : messages) said += message + "\n";
    EXPECT_NE(said.find("crontab"), std::string::npos) << said;
    EXPECT_NE(said.find("45 7 * * *"), std::string::npos) << said;

    // Never backed up is late: the line shows, in red, and the list makes room for it.
    QLabel* line = form->LastBackupLine;
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(Text(line).rfind("Laatste geslaagde back-up: nog nooit", 0), 0u) << Text(line);
    EXPECT_NE(Text(line).find("dagelijks om 07:45"), std::string::npos) << Text(line);
    EXPECT_TRUE(Reddish(Ground(line))) << Ground(line).name().toStdString();
    EXPECT_TRUE(Reddish(line->palette().color(QPalette::WindowText)));
    EXPECT_GE(form->ListBox1->y(), line->geometry().bottom());
    EXPECT_GT(form->ListBox1->y(), list_top);
    EXPECT_EQ(form->ListBox1->geometry().bottom(), list_top + 236 - 1);  // the totals stay free

    state.Model.LastBackupLate = false;  // a list on time: the window's own colours
    form->Refresh();
    EXPECT_FALSE(Reddish(Ground(line)));
    EXPECT_FALSE(Reddish(line->palette().color(QPalette::WindowText)));
    state.Model.LastBackupLine.visible = false;
    form->Refresh();
    EXPECT_FALSE(line->isVisible());
    EXPECT_EQ(form->ListBox1->y(), list_top);
}

TEST_F(Window, StartCopiesThroughTheWindowAndACloseDuringTheRunIsRefused) {
    MakeFiles(300);
    std::vector<std::string> messages;
    auto answers = AnswerYesAndOk(messages);
    int closes_tried = 0, closes_refused = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!state.RunInProgress) return;
        ++closes_tried;
        if (!form->close() && form->isVisible()) ++closes_refused;
    });
    Open();
    closer.start(2);
    form->SpB_Start->click();
    closer.stop();
    EXPECT_EQ(form->LastRun().end, RunEnd::Copied);
    EXPECT_GT(closes_tried, 0);
    EXPECT_EQ(closes_refused, closes_tried);
    EXPECT_TRUE(std::filesystem::exists(e / "Vaultor_Drive S/Foto/f299"));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().rfind("Vaultor heeft 301 bestanden", 0), 0u) << messages.back();
    EXPECT_TRUE(form->SpB_Start->isVisible());
    std::string pane;
    for (const auto& line : state.Model.RichEdit1) pane += (pane.empty() ? "" : "\n") + line;
    EXPECT_TRUE(Bytes(form->RichEdit1->toPlainText()) == pane);
    EXPECT_EQ(form->RichEdit1->toPlainText().split('\n').last(), "Eind log.");

    // The target browser shows the drive folder the run made, open below the root.
    form->SpBOpties->click();
    form->CheckListBox1->item(2)->setCheckState(Qt::Checked);
    ASSERT_EQ(form->TreeView1->topLevelItemCount(), 1);
    QTreeWidgetItem* root = form->TreeView1->topLevelItem(0);
    ASSERT_GE(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->text(0), "Vaultor_Drive S");
    EXPECT_FALSE(form->TreeView1->visualItemRect(root->child(0)).isEmpty());

    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Window, StopPressedDuringARunEndsItBetweenFiles) {
    MakeFiles(2000);
    std::vector<std::string> messages;
    auto answers = AnswerYesAndOk(messages);
    bool pressed = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (pressed || !state.RunInProgress || !form->SpB_Stop->isVisible()) return;
        pressed = true;
        form->SpB_Stop->click();
    });
    Open();
    stopper.start(1);
    form->SpB_Start->click();
    stopper.stop();
    ASSERT_TRUE(pressed);
    EXPECT_EQ(form->LastRun().end, RunEnd::Stopped);
    EXPECT_FALSE(std::filesystem::exists(e / "Vaultor_Drive S/Foto/f1999"));
    EXPECT_TRUE(form->SpB_Start->isVisible());
    EXPECT_FALSE(form->SpB_Stop->isVisible());
}

}  // namespace
}  // namespace vaultor::ui
