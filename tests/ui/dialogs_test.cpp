// The dialogs' layout rules, the pie, the folder picker and the log viewer,
// as real widgets on the offscreen platform.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>

#include "fs/drive_table.h"
#include "support/drive_map.h"
#include "support/temp_dir.h"
#include "ui/dialogs.h"
#include "ui/help.h"
#include "ui/log_viewer.h"
#include "ui/modal.h"
#include "ui/select_map.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

QColor Sky() {
    return QColor(166, 202, 240);
}

TEST(Dialogs, TheQuestionSizesItselfToItsTextStartsAgainFromTheDesignSizeAndIgnoresEscape) {
    TWatnu q(nullptr, Sky);
    q.Prepare("Lijst opslaan?");
    EXPECT_EQ(q.size(), QSize(350, 150));
    EXPECT_EQ(q.Yes->pos(), QPoint(90, 85));
    EXPECT_EQ(q.No->pos(), QPoint(185, 85));
    EXPECT_EQ(q.Yes->size(), QSize(75, 25));

    q.Prepare("een\r\ntwee\r\ndrie\rvier\nvijf");
    int label_height = q.VraagLabel->height();
    ASSERT_GT(label_height, 60);
    EXPECT_EQ(q.size(), QSize(350, label_height + 100));
    EXPECT_EQ(q.Yes->y(), label_height + 100 - 25 - 40);

    // A closed question gives the close-box answer and the design size back.
    q.show();
    q.reject();
    EXPECT_EQ(q.size(), QSize(350, 150));
    EXPECT_TRUE(q.VraagLabel->text().isEmpty());
    q.Prepare("Een vraag die zo lang is dat het label breder wordt dan tweehonderdvijftig punten");
    EXPECT_EQ(q.width(), q.VraagLabel->width() + 100);
    EXPECT_EQ(q.height(), 150);

    // Escape does not answer it.
    bool open_after_escape = false;
    test::ModalHandler answer([&](QDialog*) {
        QTest::keyClick(&q, Qt::Key_Escape);
        open_after_escape = q.isVisible();
        q.No->click();
    });
    EXPECT_EQ(q.Ask("Verwijderen?"), kAnswerNo);
    EXPECT_TRUE(open_after_escape);
}

TEST(Dialogs, AMessageIsAlwaysAHundredLargerThanItsLabel) {
    TShowTextForm m(nullptr, Sky);
    for (const char* text : {"!", "Gereed.\rBestanden: 3\r\n\r\nFouten: 0"}) {
        m.Prepare(text);
        EXPECT_EQ(m.width(), m.Label1->width() + 100) << text;
        EXPECT_EQ(m.height(), m.Label1->height() + 100) << text;
        EXPECT_EQ(m.Ok->y(), m.Label1->y() + m.Label1->height() + 25);
        EXPECT_EQ(m.Label1->x(), (m.width() - m.Label1->width()) / 2);
    }
}

// The share of the circle's pixels in the fore colour.
double DrawnShare(PieGauge& pie) {
    pie.resize(101, 101);
    QImage image(pie.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    pie.render(&image);
    int fore = 0, back = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (c == QColor(255, 0, 255)) ++fore;
            if (c == QColor(0, 0, 255)) ++back;
        }
    return fore + back ? static_cast<double>(fore) / (fore + back) : -1;
}

TEST(Pie, ShowsFreeAndUsedInTheirProportionsForARealDriveAndFor3TiB) {
    PieGauge pie;
    pie.SetColours(QColor(255, 0, 255), QColor(0, 0, 255));
    struct statvfs fs_info {};
    ASSERT_EQ(::statvfs("/tmp", &fs_info), 0);
    std::int64_t total = static_cast<std::int64_t>(fs_info.f_blocks) * fs_info.f_frsize / 1024;
    std::int64_t free = static_cast<std::int64_t>(fs_info.f_bavail) * fs_info.f_frsize / 1024;
    pie.SetRange(0, total);
    pie.SetProgress(free);
    EXPECT_NEAR(DrawnShare(pie), static_cast<double>(free) / total, 0.02);

    const std::int64_t tib = std::int64_t{1} << 30;  // in the pie's units of 1024 bytes
    pie.SetRange(0, 3 * tib);
    pie.SetProgress(tib);
    EXPECT_NEAR(DrawnShare(pie), 1.0 / 3.0, 0.02);
    pie.SetProgress(0);
    EXPECT_EQ(DrawnShare(pie), 0.0);
    pie.SetProgress(3 * tib);
    EXPECT_EQ(DrawnShare(pie), 1.0);
}

class Picker : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(s / "Data/.verborgen");
        test::WriteFile(s / "Data/a.txt", "a");
        test::WriteFile(s / "Data/b.txt", "b");
        // T: is a mount point with nothing mounted: a drive without a medium.
        test::MapDrives({"S=" + s.Path(), "T=" + t.Path() + ",mounted"});
    }
    test::DriveTableScope drives;
    test::TempDir s, t;
};

TEST_F(Picker, GivesTheFolderInLetterFormAndKeepsAddDisabledWithoutAMedium) {
    TSelectMap picker(nullptr, Sky);
    QTreeWidgetItem* data = picker.Reveal("S:\\Data");
    ASSERT_NE(data, nullptr);
    picker.Choose(data);
    EXPECT_EQ(picker.SelectedPath, "S:\\Data");
    EXPECT_EQ(Bytes(picker.StaticText1->text()), "S:\\Data");
    EXPECT_TRUE(picker.Add->isEnabled());
    ASSERT_EQ(picker.FileListBox1->count(), 2);
    EXPECT_EQ(picker.FileListBox1->item(0)->text(), "a.txt");
    picker.ShellTreeView1->expandItem(data);
    ASSERT_EQ(data->childCount(), 1);  // hidden folders are shown too
    EXPECT_EQ(data->child(0)->text(0), ".verborgen");

    QTreeWidgetItem* empty_drive = picker.Reveal("T:\\");
    ASSERT_NE(empty_drive, nullptr);
    picker.Choose(empty_drive);
    EXPECT_EQ(picker.SelectedPath, "T:\\");
    EXPECT_FALSE(picker.Add->isEnabled());
    EXPECT_EQ(picker.FileListBox1->count(), 0);
}

TEST(LogViewer, ProposesTheListsNameAndStaysEmptyOnAnUnreadableFile) {
    test::TempDir dir;
    TLogFile viewer(nullptr, [] { return std::string("Thuis"); });
    viewer.Load("Vaultor logviewer", "Start log.\nEind log.\n", dir.Path() + "/");
    EXPECT_EQ(Bytes(viewer.ProposedSaveName()), dir.Path() + "/Thuis.txt");
    viewer.RichEdit1->setPlainText("Start log.\nEind log.");
    viewer.SaveAs(Shown(dir / "Thuis.txt"));
    EXPECT_EQ(test::ReadFile(dir / "Thuis.txt"), "Start log.\r\nEind log.\r\n");
    viewer.OpenFile(Shown(dir / "bestaat-niet.txt"));
    EXPECT_TRUE(viewer.RichEdit1->toPlainText().isEmpty());

    // A file that cannot be written is said, and the viewer goes on.
    std::string said;
    test::ModalHandler close_message([&](QDialog* d) {
        said = Bytes(d->findChild<QLabel*>("qt_msgbox_label")->text());
        d->accept();
    });
    viewer.SaveAs(Shown(dir / "geen-map/Thuis.txt"));
    EXPECT_NE(said.find("geen-map/Thuis.txt"), std::string::npos) << said;
}

TEST(Help, OpensTheGuideAtTheContextsAnchorAndSaysWhenItIsMissing) {
    test::TempDir dir;
    test::WriteFile(dir / "Vaultor.html",
                    "<html><head><title>Gids</title></head><body><a name=\"context-1\"></a>Inhoud"
                    "<a name=\"context-2\"></a>Venster</body></html>");
    HelpWindow help(nullptr);
    ASSERT_TRUE(help.Open(dir / "Vaultor.html", 2));
    auto* browser = help.findChild<QTextBrowser*>("HelpBrowser");
    EXPECT_EQ(browser->source().fragment(), "context-2");
    EXPECT_EQ(help.windowTitle(), "Gids");
    EXPECT_FALSE(help.Open(dir / "Vaultor_en.html", 1));
}

}  // namespace
}  // namespace vaultor::ui
