// Start, Stop and "Test - Verifieer" on real folders, driven through the
// scripted interface: the questions and messages in their order, the log
// line by line, the copies on the target and the window's state after. What
// vaultor-cli's runs check end to end (a real tree copied whole, the frame of
// the log, a killed run, Ctrl-C as Stop) is not repeated here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "app/check.h"
#include "app/main_window.h"
#include "app/start_run.h"
#include "engine/copy_run.h"
#include "fs/compression.h"
#include "fs/drives.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "log/log_file.h"
#include "state/rates.h"
#include "support/drive_map.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using ::testing::Contains;

// The log as written: lines end in CR LF, a lone CR stays inside its line.
std::vector<std::string> LogLines(const std::string& path) {
    std::string text = ReadFile(path);
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The summary as the log and the closing message show it.
std::string Summary(int updated, int copied, int folders, int remarks) {
    return "Bestanden bijgewerkt:       \t" + std::to_string(updated) +
           "\rBestanden gekopieerd:       \t" + std::to_string(copied) +
           "\rMappen aangemaakt:          \t" + std::to_string(folders) +
           "\rFouten/Opmerkingen . . . . .\t" + std::to_string(remarks);
}

// Temporary copies anywhere below a folder.
int TempFilesBelow(const std::string& folder) {
    int n = 0;
    for (const auto& e : fsys::recursive_directory_iterator(folder))
        n += e.path().filename().string().rfind(".vaultor-", 0) == 0;
    return n;
}

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fsys::create_directories(s / "R");
        MapTarget(e.Path());
        state.ProgramDir = home.Path() + "/";
        state.TargetRoot = "E:\\";
        M().ListBox1.items = {"S:\\R"};
        M().DriveComboBox1.items = {"E: [DOEL]"};
        M().DriveComboBox1.selected = 0;
        state.Ini.ConfirmDialogs = false;  // the questions are tested where they matter
        state.Ini.CopyWorkers = 1;         // Stop holds between any two files
        state.Ini.CreateEmptyFolders = true;
        state.Ini.NoEmptyFoldersOnCdrw = false;
        fs::SetMessagePump(&ui);
    }
    void TearDown() override { fs::SetMessagePump(nullptr); }
    void MapTarget(const std::string& folder, const std::string& extra = "") {
        test::MapDrives({"S=" + s.Path(), "E=" + folder + extra});
    }
    void Start(std::deque<int> answers) {
        ui.answers = std::move(answers);
        last = SpB_StartClick(state);
        EXPECT_TRUE(ui.answers.empty()) << "questions not asked";
    }
    std::vector<std::string> Log() { return LogLines(home / "Vaultor.log"); }
    std::string Copy(const std::string& rel) { return e / ("Vaultor_Drive S/R/" + rel); }
    // A copy as the log names it.
    std::string At(const std::string& rel = "") {
        return "E:\\Vaultor_Drive S\\R" + (rel.empty() ? "" : "\\" + rel);
    }
    MainWindowModel& M() { return state.Model; }
    void ExpectIdle() {
        EXPECT_TRUE(M().SpB_Start.visible && M().SpB_Start.enabled);
        EXPECT_FALSE(M().SpB_Stop.visible);
        EXPECT_TRUE(M().DriveComboBox1.visible && M().ListBox1.enabled && M().SB_Close.enabled);
        EXPECT_FALSE(M().Animate1.visible || M().Animate2.visible);
        EXPECT_EQ(M().L_Aktie.caption, "niet aktief");
        EXPECT_FALSE(state.RunInProgress);
    }

    test::DriveTableScope drives;
    TempDir home, s, e;
    test::ScriptedUi ui;
    AppState state{ui};
    RunResult last;  // of the last Start or test
};

TEST_F(RunTest, ABackupThenNothingToDoThenATestThatNamesOnlyWhatChanged) {
    fsys::create_directories(s / "R/Sub");
    fsys::create_directories(s / "R/Leeg");
    WriteFile(s / "R/a.txt", "aaa");
    WriteFile(s / "R/Sub/b.txt", "bb");
    WriteFile(s / "R/Sub/c.txt", "c");
    // Inside the copy no other run starts and the window stays; the run takes
    // a day and an hour.
    int tried = 0;
    ui.on_pump = [&] {
        if (M().L_Kopieer.colour != kRed || tried++) return;
        SpB_StartClick(state);  // would ask its questions, which none are queued for
        SpBCompareClick(state);
        EXPECT_FALSE(FormClose(state));
        ui.now += 25LL * 3600 * 1000;
    };
    Start({kAnswerYes});
    ui.on_pump = nullptr;
    ASSERT_GT(tried, 0);
    EXPECT_EQ(ui.questions, std::vector<std::string>{fs::KiesFormaatStr(6) +
                                                     " in 4 bestanden/mappen op drive E:\\ nu "
                                                     "bijwerken?"});
    auto log = Log();
    ASSERT_GE(log.size(), 15u);
    EXPECT_EQ(log[3], "Map gemaakt " + At());  // the folder itself first
    EXPECT_THAT(log, Contains("Lege map gemaakt " + At("Leeg")));
    const std::string done = "Gereed, het kopieren heeft 25:00:00 in beslag genomen.";
    EXPECT_EQ(std::vector<std::string>(log.end() - 6, log.end()),
              (std::vector<std::string>{" ", "Samenvatting", Summary(0, 3, 3, 0), " ", done,
                                        "Eind log."}));
    EXPECT_EQ(M().StatusBar1, done);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Vaultor heeft 4 bestanden en mappen "
                                                    "gecontroleerd en 4 bijgewerkt.\r\r"
                                                    "Samenvatting:\r" +
                                                    Summary(0, 3, 3, 0)});
    EXPECT_EQ(state.LastDrive, "E: [DOEL]");
    EXPECT_EQ(state.LastDate, M().LabelInfo.caption);
    ExpectIdle();

    // Nothing to do: the log and the list's record of its last backup stay.
    const std::string last_date = state.LastDate, old_log = ReadFile(home / "Vaultor.log");
    Start({});
    EXPECT_EQ(ui.messages.back(), "Er zijn geen veranderde of te kopieren bestanden gevonden.");
    EXPECT_EQ(state.LastDate, last_date);
    EXPECT_EQ(ReadFile(home / "Vaultor.log"), old_log);
    ExpectIdle();

    WriteFile(s / "R/a.txt", "langere inhoud");
    fsys::remove(Copy("Sub/b.txt"));
    last = SpBCompareClick(state);
    log = Log();
    EXPECT_EQ(log, (std::vector<std::string>{"Start log.", "Veranderd " + At("a.txt"),
                                             "Niet aanwezig " + At("Sub\\b.txt"), "Eind log."}));
    EXPECT_EQ(M().RichEdit1, log);
    EXPECT_EQ(state.TotalBytes, 11 + 2);  // what a copy needs more
    EXPECT_EQ(M().Label19.caption, fs::KiesFormaatStr(13));
    EXPECT_TRUE(M().Gauge2.visible);
    ExpectIdle();

    // The log cannot be opened: the error reaches the caller, the window is idle again.
    ::chmod((home / "Vaultor.log").c_str(), 0444);
    ui.answers = {kAnswerYes};
    EXPECT_THROW(SpB_StartClick(state), LogError);
    ExpectIdle();

    // Without the target's medium nothing is compared and the log stays.
    MapTarget(e.Path(), ",mounted");
    last = SpBCompareClick(state);
    EXPECT_EQ(ui.messages.back(), "Drive niet aanwezig!");
    EXPECT_EQ(Log(), log);
}

TEST_F(RunTest, StopInTheChecksCopiesNothingAndInACopyLetsTheFileInHandComplete) {
    // Files large enough to be pressed inside, each beside a folder the walks
    // have still to enter when Stop comes.
    const std::string big(3 << 20, 'b');
    for (const std::string name : {"a", "b", "c"}) {
        WriteFile(s / ("R/" + name), big);
        fsys::create_directories(s / ("R/d" + name));
        WriteFile(s / ("R/d" + name + "/f"), "x");
    }
    state.LastDrive = "E: [DOEL]";
    state.LastDate = "Datum: 01-01-2026 Tijd: 10:00:00";
    for (const std::string moment : {"Bezig met berekenen omvang van de bronbestanden.....",
                                     "Bezig vergelijken van de bestanden ....."}) {
        SCOPED_TRACE(moment);
        ui.messages.clear();
        ui.on_pump = [&] {
            if (!M().RichEdit1.empty() && M().RichEdit1.back() == moment && !state.AbortRequested)
                SpB_StopClick(state);
        };
        Start({});
        bool in_totals = moment.find("omvang") != std::string::npos;
        EXPECT_EQ(Has(ui.messages, "Handeling afgebroken door gebruiker."), !in_totals);
        EXPECT_EQ(Has(ui.messages, "Handeling afgebroken, opgave van Bytes e.d. niet correct"),
                  in_totals);
        EXPECT_EQ(M().RichEdit1,
                  std::vector<std::string>{"Laatste bewerking door gebruiker gestopt!"});
        EXPECT_EQ(M().Label19.caption, "Niet berekend");
        EXPECT_FALSE(M().Gauge2.visible);
        EXPECT_FALSE(fsys::exists(e / "Vaultor_Drive S"));
        EXPECT_EQ(state.LastDate, "Datum: 01-01-2026 Tijd: 10:00:00");
        EXPECT_EQ(last.end, RunEnd::Stopped);
        ExpectIdle();
    }

    // Stop is pressed inside the copy of the first file and answered No, then
    // inside the second and answered Yes.
    state.Ini.ConfirmDialogs = true;
    std::vector<std::string> pressed_in;
    ui.on_pump = [&] {
        if (M().L_Kopieer.colour != kRed || Has(pressed_in, M().StatusBar1)) return;
        pressed_in.push_back(M().StatusBar1);
        ui.answers.push_back(pressed_in.size() == 1 ? kAnswerNo : kAnswerYes);
        SpB_StopClick(state);
        if (pressed_in.size() == 1) {
            EXPECT_FALSE(state.AbortRequested);
        } else {
            EXPECT_EQ(M().RichEdit1.back(),
                      "Momentje geduld, bezig met afbreken van de handeling...........");
        }
    };
    Start({kAnswerYes, kAnswerYes});
    ASSERT_EQ(pressed_in.size(), 2u);
    EXPECT_EQ(ui.questions[2], "Opgelet! Bewerking echt afbreken??");
    for (const auto& name : pressed_in) EXPECT_TRUE(ReadFile(Copy(name)) == big) << name;
    int copies = 0;
    for (const char* name : {"a", "b", "c", "da/f", "db/f", "dc/f"})
        copies += fsys::exists(Copy(name));
    EXPECT_EQ(copies, 2);
    EXPECT_EQ(TempFilesBelow(e.Path()), 0);
    EXPECT_TRUE(fsys::exists(e / "Vaultor.dat"));  // the record is written after a Stop too
    ExpectIdle();
}

TEST_F(RunTest, CopiesMadeSideBySideAreLoggedInTheListsOrderAndStopBeginsNoMore) {
    for (int d = 0; d < 6; ++d) {
        fsys::create_directories(s / ("R/d" + std::to_string(d)));
        for (int f = 0; f < 10; ++f)
            WriteFile(s / ("R/d" + std::to_string(d) + "/f" + std::to_string(f)),
                      std::string(1000 * (f + 1) + d, static_cast<char>('a' + f)));
    }
    auto log_without_times = [&] {
        std::vector<std::string> lines;
        for (const auto& line : Log())
            if (line.rfind("Kopieren en/of bijwerken gestart", 0) != 0 &&
                line.rfind("Gereed,", 0) != 0)
                lines.push_back(line);
        return lines;
    };
    Start({kAnswerYes});
    const auto in_turn = log_without_times();
    fsys::remove_all(e / "Vaultor_Drive S");
    state.Ini.CopyWorkers = 4;
    Start({kAnswerYes});
    EXPECT_EQ(log_without_times(), in_turn);
    EXPECT_EQ(test::Run("diff -r '" + (s / "R") + "' '" + Copy("") + "'"), 0);

    // Stop while copies are in hand: those finish and are logged, no other
    // begins, and each copy on the target is whole and named in the log.
    fsys::remove_all(e / "Vaultor_Drive S");
    int pumps = 0;
    ui.on_pump = [&] {
        if (fsys::exists(e / "Vaultor_Drive S/R/d5/f2") && ++pumps == 1)
            state.AbortRequested = true;
    };
    Start({kAnswerYes});
    ui.on_pump = nullptr;
    auto log = Log();
    int logged = 0, copies = 0;
    for (const auto& line : log) logged += line.rfind("Kopie gemaakt: ", 0) == 0;
    for (const auto& entry : fsys::recursive_directory_iterator(e / "Vaultor_Drive S")) {
        if (!entry.is_regular_file()) continue;
        ++copies;
        const std::string rel = fsys::relative(entry.path(), e / "Vaultor_Drive S/R").string();
        EXPECT_TRUE(ReadFile(entry.path()) == ReadFile(s / ("R/" + rel))) << rel;
    }
    EXPECT_GT(copies, 0);
    EXPECT_LT(copies, 60);
    EXPECT_EQ(copies, logged);
    EXPECT_EQ(log.end()[-2], "De bewerking is door de gebruiker voortijdig afgebroken.");
    EXPECT_EQ(TempFilesBelow(e.Path()), 0);
}

TEST_F(RunTest, EveryRefusalEndsWithoutCopyingAndPutsTheListsRecordBackThenACdRunIsAdvised) {
    WriteFile(s / "R/a.txt", "aaa");
    state.LastDrive = "F: [OUD]";
    state.LastDate = "Datum: 01-01-2026 Tijd: 10:00:00";
    state.Ini.ConfirmDialogs = true;

    Start({kAnswerNo});  // the other drive is not wanted
    EXPECT_EQ(ui.questions.back(),
              "De laatste keer is F: [OUD] gebruikt voor deze bronlijst.\r\nDe doeldrive E: [DOEL] "
              "nu gebruiken voor de bronlijst?");
    EXPECT_FALSE(state.ListChanged);
    EXPECT_TRUE(M().RichEdit1.empty());

    Start({kAnswerYes, kAnswerNo});  // the check is not wanted
    EXPECT_EQ(ui.questions.back(),
              "Vaultor gaat nu eerst de bestanden en de ruimte controleren op E:\\");
    EXPECT_TRUE(M().RichEdit1.empty());

    // A closed window goes on; the copy is not wanted.
    Start({kAnswerYes, kAnswerClosed, kAnswerNo});
    EXPECT_TRUE(state.ListChanged);
    EXPECT_EQ(state.LastDrive, "F: [OUD]");
    EXPECT_EQ(state.LastDate, "Datum: 01-01-2026 Tijd: 10:00:00");
    EXPECT_EQ(last.end, RunEnd::Declined);
    EXPECT_FALSE(fsys::exists(e / "Vaultor_Drive S"));
    ExpectIdle();

    MapTarget(e.Path(), ",mounted");  // no medium in the drive
    Start({});
    EXPECT_EQ(ui.messages.back(),
              "Laatst gebruikte drive E: niet aanwezig, selecteer eventeel een andere drive.");
    EXPECT_EQ(last.end, RunEnd::DriveAbsent);

    // Accepted at last, on a CD, with only an empty folder to make: the advice
    // to reload the CD follows the summary.
    fsys::remove(s / "R/a.txt");
    fsys::create_directories(s / "R/Leeg");
    MapTarget(e.Path(), ",kind=4");
    Start({kAnswerYes, kAnswerYes, kAnswerYes});
    EXPECT_TRUE(fsys::is_directory(Copy("Leeg")));
    ASSERT_GE(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages.end()[-2].rfind("Vaultor heeft 2 bestanden", 0), 0u);  // R and Leeg
    EXPECT_EQ(ui.messages.back().rfind("Het is verstandig om de CDRW te herladen (eject)", 0), 0u);
}

TEST_F(RunTest, TheRoomMustSufficeToTheByteAndAnUpdateThatDoesNotFitKeepsTheOldCopy) {
    test::LoopMount small(test::LoopMount::Kind::Tmpfs, 4, "", "size=4m");
    VAULTOR_REQUIRE_MOUNT(small);
    MapTarget(small.Folder());
    const std::string old_copy(1 << 20, 'o');
    WriteFile(s / "R/big", old_copy);
    Start({kAnswerYes});
    ASSERT_TRUE(ReadFile(small.Folder() + "/Vaultor_Drive S/R/big") == old_copy);

    // Enough when the free bytes equal what is needed, and not one byte less.
    std::int64_t free = fs::GetDriveFreeBytes('E');
    ASSERT_GT(free, 0);
    WriteFile(s / "R/a", std::string(static_cast<size_t>(free) + 1, 'x'));
    Start({});
    EXPECT_EQ(ui.messages.back(),
              "Er is niet voldoende ruimte op de doelschijf!\rKies een andere "
              "\"lege\" doeldrive of maak een andere lijstindeling.");
    EXPECT_EQ(last.end, RunEnd::NoRoom);
    EXPECT_EQ(M().ProgressBar1, 0);
    WriteFile(s / "R/a", std::string(static_cast<size_t>(free), 'x'));
    Start({kAnswerNo});  // asked: there is room
    EXPECT_EQ(ui.questions.back(),
              fs::KiesFormaatStr(free) + " in 1 bestanden/mappen op drive E:\\ nu bijwerken?");
    fsys::remove(s / "R/a");

    // 3.5 MiB more needs 2.5 MiB more room, which there is, but the new copy
    // is made beside the old one until it is complete: the check counts that
    // peak and refuses, while the labels keep the net figure.
    WriteFile(s / "R/big", std::string(7 << 19, 'n'));
    Start({});
    EXPECT_EQ(last.end, RunEnd::NoRoom);
    EXPECT_EQ(M().Label19.caption, fs::KiesFormaatStr(5 << 19));
    EXPECT_TRUE(ReadFile(small.Folder() + "/Vaultor_Drive S/R/big") == old_copy);
    EXPECT_EQ(TempFilesBelow(small.Folder()), 0);
    EXPECT_EQ(M().L_NotPresent.colour, kPurple);  // the end puts the lamps to rest
}

TEST_F(RunTest, WhatCannotBeBackedUpIsPassedOverOrFailsAndAFolderNotMadeEndsTheRun) {
    ASSERT_EQ(::mkfifo((s / "R/fifo").c_str(), 0644), 0);
    fsys::create_directories(s / "R/Pijp");  // holds a FIFO only: no empty folder either
    ASSERT_EQ(::mkfifo((s / "R/Pijp/fifo").c_str(), 0644), 0);
    WriteFile(s / "R/a\\b", "backslash");
    // A folder path that holds the separator and the target's drive folder itself.
    fsys::create_directories(s / "R/x ==> E:/Vaultor_Drive S");
    WriteFile(s / "R/x ==> E:/Vaultor_Drive S/y", "why");
    WriteFile(s / "R/weg.txt", "weg");
    ui.on_pump = [&] {
        if (M().Animate2.visible) fsys::remove(s / "R/weg.txt");
    };
    Start({kAnswerYes});
    ui.on_pump = nullptr;
    EXPECT_EQ(ReadFile(Copy("x ==> E:/Vaultor_Drive S/y")), "why");
    EXPECT_FALSE(fsys::exists(Copy("fifo")) || fsys::exists(Copy("a")));
    auto log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Overgeslagen, geen gewoon bestand: S:\\R\\fifo"),
              1);
    EXPECT_THAT(log, Contains("Overgeslagen, naam niet te schrijven: S:\\R\\a\\b"));
    EXPECT_THAT(log, Contains("Niet gekopieerd " + At("weg.txt") + ": de bron is er niet meer"));
    EXPECT_EQ(last.remarks, 2u);  // the name and the failed copy; a FIFO is no error
    EXPECT_EQ(last.failed, 1);
    EXPECT_EQ(last.bytes_copied, 3);  // what was copied

    last = SpBCompareClick(state);  // only the name that cannot be backed up is a difference
    EXPECT_EQ(Log(),
              (std::vector<std::string>{
                  "Start log.", "Overgeslagen, naam niet te schrijven: S:\\R\\a\\b", "Eind log."}));
    Start({});  // nothing to copy, and still said
    EXPECT_EQ(last.end, RunEnd::NothingToCopy);
    EXPECT_THAT(M().RichEdit1, Contains("Overgeslagen, naam niet te schrijven: S:\\R\\a\\b"));
    EXPECT_EQ(last.remarks, 1u);

    // A target folder the target will not make (a file stands in its place) is
    // reported with everything below it; the run goes on and says so.
    WriteFile(s / "R/nieuw.txt", "nieuw");
    fsys::remove_all(e / "Vaultor_Drive S");
    WriteFile(e / "Vaultor_Drive S", "a file where the drive folder belongs");
    Start({kAnswerYes});
    log = Log();
    EXPECT_THAT(log, Contains("Map niet gemaakt " + At() + ": File exists"));
    EXPECT_THAT(log, Contains("Niet gekopieerd " + At("nieuw.txt") +
                              ": de map kon op de doeldrive niet worden gemaakt"));
    EXPECT_THAT(log, Contains("Samenvatting"));
    EXPECT_EQ(last.end, RunEnd::Copied);
    EXPECT_GT(last.failed, 0);
    ExpectIdle();
}

TEST_F(RunTest, AFatTargetKeepsTwoSecondTimesAndIsUpToDateAfterOneRun) {
    test::LoopMount fat(test::LoopMount::Kind::Fat, 32, "STICK");
    VAULTOR_REQUIRE_MOUNT(fat);
    MapTarget(fat.Folder());
    fsys::create_directories(s / "R/Sub");
    WriteFile(s / "R/a.txt", "aaa");
    WriteFile(s / "R/Sub/b.txt", "bb");
    test::SetMtime(s / "R/a.txt", 1700000001);  // an odd second: FAT keeps even ones
    Start({kAnswerYes});
    EXPECT_EQ(last.remarks, 0u);  // no copy differs in its time

    // A name FAT does not allow stops nothing but what lies below it, and says
    // why in the system's words (fusefat answers EPERM).
    fsys::create_directories(s / "R/dir?");
    WriteFile(s / "R/dir?/c.txt", "c");
    WriteFile(s / "R/Sub/d.txt", "d");
    // FAT holds no file of 4 GiB: said before anything is written, and the
    // room check (a 32 MB stick) leaves it out.
    WriteFile(s / "R/groot", "");
    ASSERT_EQ(::truncate((s / "R/groot").c_str(), off_t{4} << 30), 0);
    // FAT folds case: of twins the first in byte order is backed up, every run
    // the same one, and the other is named; never one over the other.
    WriteFile(s / "R/bild.png", "klein");
    WriteFile(s / "R/Bild.png", "GROOT");
    fsys::create_directories(s / "R/Docs");
    fsys::create_directories(s / "R/docs");
    WriteFile(s / "R/Docs/x", "X");
    WriteFile(s / "R/docs/x", "x");
    Start({kAnswerYes});
    auto log = Log();
    const std::string twin =
        "Niet gekopieerd, de doeldrive kent geen verschil in hoofdletters met "
        "een naam ernaast: S:\\R\\";
    EXPECT_THAT(log, Contains(twin + "bild.png"));
    EXPECT_THAT(log, Contains(twin + "docs"));
    EXPECT_EQ(ReadFile(fat.Folder() + "/Vaultor_Drive S/R/Bild.png"), "GROOT");
    EXPECT_EQ(ReadFile(fat.Folder() + "/Vaultor_Drive S/R/Docs/x"), "X");
    EXPECT_THAT(log,
                Contains("Niet gekopieerd, te groot voor het bestandssysteem van de doeldrive: "
                         "S:\\R\\groot"));
    EXPECT_THAT(log, Contains("Map niet gemaakt " + At("dir?") + ": Operation not permitted"));
    EXPECT_THAT(log, Contains("Niet gekopieerd " + At("dir?\\c.txt") +
                              ": de map kon op de doeldrive niet worden gemaakt"));
    EXPECT_EQ(ReadFile(fat.Folder() + "/Vaultor_Drive S/R/Sub/d.txt"), "d");
    EXPECT_EQ(last.failed, 1);
    fsys::remove_all(s / "R/dir?");
    fsys::remove(s / "R/groot");
    last = SpBCompareClick(state);  // the test names the twins too
    EXPECT_EQ(Log(), (std::vector<std::string>{"Start log.", twin + "bild.png", twin + "docs",
                                               "Eind log."}));
    fsys::remove(s / "R/bild.png");
    fsys::remove_all(s / "R/docs");
    last = SpBCompareClick(state);
    EXPECT_EQ(Log(), (std::vector<std::string>{"Start log.", "Eind log."}));
    EXPECT_EQ(M().Label19.caption, "0 Bytes");
}

TEST_F(RunTest, AlwaysCompressMakesCompressedCopiesOnBtrfsAndTheyCountAsUpToDate) {
    test::LoopMount disk(test::LoopMount::Kind::Btrfs, 256, "DOEL");
    VAULTOR_REQUIRE_MOUNT(disk);
    MapTarget(disk.Folder());
    for (int i = 0; i < 4; ++i)
        WriteFile(s / ("R/tekst" + std::to_string(i)), std::string(1 << 20, 'a' + i));
    state.Ini.AlwaysCompress = true;
    Start({kAnswerYes});
    EXPECT_EQ(last.remarks, 0u) << "each copy is compressed as asked";
    ::sync();
    std::string usage = test::RunOutput("compsize -b '" + disk.Folder() + "/Vaultor_Drive S' 2>&1");
    // "TOTAL  <perc>%  <disk>  <uncompressed> ..."
    size_t total = usage.find("TOTAL");
    ASSERT_NE(total, std::string::npos) << usage;
    EXPECT_LT(std::stoi(usage.substr(usage.find_first_of("0123456789", total))), 50) << usage;
    EXPECT_TRUE(fs::IsFileCompressed(At()));  // the folder too
    Start({});
    EXPECT_EQ(last.end, RunEnd::NothingToCopy);
}

TEST_F(RunTest, ATargetThatStopsAnsweringBetweenFilesOrAtTheEndCannotHoldTheRun) {
    test::LoopMount ntfs(test::LoopMount::Kind::Ntfs, 64, "DOEL");
    VAULTOR_REQUIRE_MOUNT(ntfs);
    MapTarget(ntfs.Folder());
    fsys::create_directories(s / "R/a");
    fsys::create_directories(s / "R/b");
    WriteFile(s / "R/a/1", "een");
    WriteFile(s / "R/b/2", "twee");
    const std::string daemon = test::RunOutput("pgrep -f 'ntfs-3g " + ntfs.Image() + "'");
    ASSERT_FALSE(daemon.empty());
    const pid_t daemon_pid = std::stoi(daemon);
    // The daemon stops right after the copy of `name` is complete; what the
    // run does next on the target is its own work, and Stop is pressed there.
    // A run that hangs with the daemon gets it back after a minute, and fails.
    auto run_stopping_after = [&](const std::string& name) {
        std::atomic<bool> stopped{false}, ended{false};
        std::thread guard([&] {
            for (int i = 0; i < 600 && !ended; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ::kill(daemon_pid, SIGCONT);
        });
        ui.on_pump = [&] {
            if (stopped) state.AbortRequested = true;
            if (!stopped && M().StatusBar1 == name && M().L_Kopieer.colour == kSilver) {
                ::kill(daemon_pid, SIGSTOP);
                stopped = true;
            }
        };
        const auto began = std::chrono::steady_clock::now();
        Start({kAnswerYes});
        const auto took = std::chrono::steady_clock::now() - began;
        ended = true;
        guard.join();
        ui.on_pump = nullptr;
        EXPECT_TRUE(stopped);
        EXPECT_LT(took, std::chrono::seconds(50)) << "the run waited for its target";
    };
    // Walked away from the next folder (b comes first in the walk).
    run_stopping_after("2");
    EXPECT_THAT(Log(),
                Contains("Niet gekopieerd " + At("a\\1") + ": de doeldrive antwoordt niet meer"));
    EXPECT_EQ(ReadFile(ntfs.Folder() + "/Vaultor_Drive S/R/b/2"), "twee");
    // Walked away from the empty folders, the folder compression and the flush.
    run_stopping_after("1");
    EXPECT_THAT(Log(),
                Contains("Kopieren is niet volledig: de doeldrive E:\\ antwoordt niet meer."));
    EXPECT_EQ(ReadFile(ntfs.Folder() + "/Vaultor_Drive S/R/a/1"), "een");
}

TEST_F(RunTest, MirroredCompressionGoesFromBtrfsToNtfsAndCountsInTheComparison) {
    test::LoopMount source(test::LoopMount::Kind::Btrfs, 256, "BRON");
    VAULTOR_REQUIRE_MOUNT(source);
    test::LoopMount ntfs(test::LoopMount::Kind::Ntfs, 64, "DOEL");
    VAULTOR_REQUIRE_MOUNT(ntfs);
    test::MapDrives({"S=" + source.Folder(), "E=" + ntfs.Folder()});
    fsys::create_directories(source.Folder() + "/R");
    WriteFile(source.Folder() + "/R/plat", std::string(200000, 'p'));
    WriteFile(source.Folder() + "/R/klein", "");
    ASSERT_TRUE(fs::SetCompressionState("S:\\R\\klein", fs::kCompressionLznt1));
    WriteFile(source.Folder() + "/R/klein", std::string(200000, 'k'));
    state.Ini.MirrorCompression = true;
    Start({kAnswerYes});
    EXPECT_EQ(last.remarks, 0u);
    EXPECT_TRUE(fs::IsFileCompressed(At("klein")));
    Start({});
    EXPECT_EQ(last.end, RunEnd::NothingToCopy);

    // Same size and date, another compression state: a difference, then an update.
    ASSERT_TRUE(fs::SetCompressionState("S:\\R\\klein", fs::kCompressionNone));
    Start({kAnswerYes});
    EXPECT_THAT(Log(), Contains("Bijgewerkt: " + At("klein")));
    EXPECT_FALSE(fs::IsFileCompressed(At("klein")));
}

TEST_F(RunTest, LinksLongPathsAndAnEmptyFolderThatCannotBeMade) {
    WriteFile(s / "R/echt.txt", "echt");
    ASSERT_EQ(::symlink((s / "R/echt.txt").c_str(), (s / "R/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((s / "R/weg.txt").c_str(), (s / "R/kapot.txt").c_str()), 0);
    std::string deep = "R";
    while (deep.size() < 300) deep += "/" + std::string(40, 'm');
    fsys::create_directories(s / deep);
    WriteFile(s / (deep + "/diep.txt"), "diep");
    fsys::create_directories(s / "R/Leeg");
    fsys::create_directories(Copy(""));
    WriteFile(Copy("Leeg"), "a file where the empty folder belongs");
    Start({kAnswerYes});
    EXPECT_EQ(ReadFile(Copy("link.txt")), "echt");
    EXPECT_FALSE(fsys::is_symlink(Copy("link.txt")));
    EXPECT_EQ(ReadFile(e / ("Vaultor_Drive S/" + deep + "/diep.txt")), "diep");
    auto log = Log();
    EXPECT_THAT(log, Contains("Verwijzing naar een bestand dat er niet is: S:\\R\\kapot.txt"));
    EXPECT_THAT(log, Contains("Lege map niet gemaakt " + At("Leeg")));
    // Three files; the chain of folders once, its seven levels without files
    // as empty folders; the dangling link and the folder that could not be made.
    EXPECT_THAT(log, Contains(Summary(0, 3, 8, 2)));
}

TEST(Rates, TheRateIsTheAverageOverWholeSecondsAndIsRememberedForAKnownDriveKindOnly) {
    test::ScriptedUi ui;
    AppState state{ui};
    state.TargetDriveKind = 2;
    UpdateRate(state, 50'000'000, 200'000'000, 1000);  // the first second measures nothing
    EXPECT_EQ(state.BytesPerSecond, 0);
    UpdateRate(state, 50'000'000, 200'000'000, 10'500);
    EXPECT_EQ(state.BytesPerSecond, 5'000'000);
    EXPECT_EQ(state.Model.LabelTijd.caption, "00:00:40");
    EXPECT_EQ(state.Model.LabelTimeLeft.caption, "00:00:30");
    EXPECT_EQ(state.DriveKindRate[1], 5'000'000);
    UpdateRate(state, 2, 200'000'000, 3000);
    EXPECT_EQ(state.BytesPerSecond, 0);
    EXPECT_EQ(state.DriveKindRate[1], 5'000'000);  // the labels and the rate stay
    EXPECT_EQ(state.Model.LabelTimeLeft.caption, "00:00:30");
    state.TargetDriveKind = 0;             // a drive of no known kind: its rate is not remembered
    UpdateRate(state, 1000, 300, 10'000);  // files grew: each part of the time left is negative
    EXPECT_EQ(state.Model.LabelTimeLeft.caption, "00:00:-07");
    state.TargetDriveKind = 255;  // nor of a kind beyond the table
    state.BytesPerSecond = 5000;
    SetDrvBpsVal(state);
    EXPECT_EQ(GetDrvBpsVal(state), 0);
    EXPECT_EQ(state.DriveKindRate, (std::array<std::int32_t, 5>{0, 5'000'000, 0, 0, 0}));
}

}  // namespace
}  // namespace vaultor
