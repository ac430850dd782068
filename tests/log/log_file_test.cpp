#include "log/log_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "log/log_pane.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

// The log's lines, written afresh by each operation and read back in pieces,
// are tested through whole runs.
TEST(LogFile, FailuresRaiseNamingTheFile) {
    LogFile log;
    try {
        log.Open("/nonexistent/folder/");
        FAIL() << "no error";
    } catch (const LogError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/folder/Vaultor.log"), std::string::npos);
    }
    EXPECT_THROW(log.WriteLine("x"), LogError);
    // A full medium shows at the latest when the log is closed.
    test::LoopMount small(test::LoopMount::Kind::Tmpfs, 0, "", "size=64k");
    VAULTOR_REQUIRE_MOUNT(small);
    LogFile full;
    full.Open(small.Folder() + "/");
    EXPECT_THROW(
        {
            for (int i = 0; i < 10000; ++i) full.WriteLine(std::string(100, 'x'));
            full.Close();
        },
        LogError);
    EXPECT_THROW(SaveLines("/nonexistent/x.log", {"a"}), LogError);
}

TEST(LogPane, TheViewerShowsWhatThePaneHoldsAndOnlyWhileStartIsVisible) {
    test::TempDir dir;
    test::ScriptedUi ui;
    AppState state{ui};
    state.ProgramDir = dir.Path() + "/";
    test::WriteFile(dir / "Vaultor.log", "Start log.\r\nold\r\nEind log.\r\n");
    state.Model.RichEdit1 = {"Start log.", "new"};
    state.Model.SpB_Start.visible = false;
    SBShowLogClick(state);
    EXPECT_TRUE(ui.shown.empty());
    state.Model.SpB_Start.visible = true;
    ekstwissen1Click(state);
    SBShowLogClick(state);  // a cleared pane empties the log file too
    EXPECT_EQ(test::ReadFile(dir / "Vaultor.log"), "");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown.back(), "Vaultor logviewer\n");
    state.Model.RichEdit1 = {"a", "b"};
    SBShowLogClick(state);
    EXPECT_EQ(ui.shown.back(), "Vaultor logviewer\na\nb\n");
}

}  // namespace
}  // namespace vaultor
