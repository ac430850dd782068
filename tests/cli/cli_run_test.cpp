// Backups made with vaultor-cli as a user makes them: a real tree copied,
// checked with diff and by its log, a run killed at random moments, and
// Ctrl-C as the Stop button.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "support/cli_runner.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class CliRunTest : public ::testing::Test, public test::CliEnv {
  protected:
    std::string Copy() const { return tgt / "Vaultor_Drive S/Data"; }
};

TEST_F(CliRunTest, BacksUpARealTreeThenFindsNothingToDoAndVerifiesItClean) {
    // Folder links are not followed, so the tree is made without them.
    test::Run("cp -rL /usr/share/doc '" + src.Path() + "/Data/doc' 2>/dev/null");
    int files = 0;
    for (const auto& e : fsys::recursive_directory_iterator(src / "Data"))
        files += e.is_regular_file();
    ASSERT_GT(files, 100);
    MakeList();

    EXPECT_EQ(Cli("start Foto").status, 2) << "a question nobody can answer";
    auto first = Cli("--yes start Foto");
    EXPECT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_EQ(test::Run("diff -r '" + (src / "Data") + "' '" + Copy() + "' >/dev/null"), 0);
    std::string log = Log();
    EXPECT_EQ(log.rfind("Start log.\r\nKopieren en/of bijwerken gestart ", 0), 0u);
    EXPECT_EQ(Count(log, "\r\nKopie gemaakt: E:\\Vaultor_Drive S\\Data\\"), files);
    EXPECT_EQ(Count(log, "\r\nBijgewerkt: "), 0);
    EXPECT_NE(log.find("Bestanden gekopieerd:       \t" + std::to_string(files) + "\r"),
              std::string::npos);
    EXPECT_NE(log.find("\r\nEind log.\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 11), "Eind log.\r\n");
    EXPECT_EQ(Count(first.out, "Kopie gemaakt: "), files) << "every pane line once";

    auto second = Cli("--yes start Foto");
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.out.find("Er zijn geen veranderde of te kopieren bestanden gevonden."),
              std::string::npos);
    auto test = Cli("test Foto");
    EXPECT_EQ(test.status, 0) << test.out;
    EXPECT_EQ(Log(), "Start log.\r\nEind log.\r\n");

    WriteFile(src / "Data/nieuw.txt", "nieuw");
    EXPECT_EQ(Cli("test Foto").status, 1);
    EXPECT_EQ(Log(),
              "Start log.\r\nNiet aanwezig E:\\Vaultor_Drive S\\Data\\nieuw.txt\r\n"
              "Eind log.\r\n");
    EXPECT_EQ(Cli("--no start Foto").status, 1) << "the copy was declined";
}

// A backup no one watches: it asks nothing, keeps what it said per list
// (the last ten), never becomes the list last used, takes no other target
// drive by itself, and waits only briefly for another run in the folder.
TEST_F(CliRunTest, AnUnattendedRunAsksNothingKeepsItsLogAndRefusesANewTargetDrive) {
    WriteFile(src / "Data/a.txt", "een");
    MakeList();
    ASSERT_EQ(Cli("--yes new Ander 'S:\\Data'").status, 0);  // now the list last used
    auto run = Cli("run Foto");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(ReadFile(Copy() + "/a.txt"), "een");
    EXPECT_EQ(run.out.find("> Ja"), std::string::npos) << run.out;
    EXPECT_NE(ReadFile(home / "Vaultor.ini").find("[LAST]\r\n0=Ander\r\n"), std::string::npos);
    auto logs = [&] {
        std::vector<std::string> names;
        for (const auto& e : fsys::directory_iterator(home / "Logs/Foto"))
            names.push_back(ReadFile(e.path().string()));
        return names;
    };
    // The state of every list, walking, asking and writing nothing; a list
    // never backed up is overdue.
    const std::string settings = ReadFile(home / "Vaultor.ini");
    auto status = Cli("status");
    EXPECT_EQ(status.status, 1) << status.out;
    EXPECT_NE(status.out.find("\tte laat\nFoto\tE:\t"), std::string::npos) << status.out;
    EXPECT_EQ(status.out.substr(status.out.size() - 8), "op tijd\n");
    EXPECT_EQ(ReadFile(home / "Vaultor.ini"), settings);
    EXPECT_NE(ReadFile(home / "Foto.drv").find("[Status]\r\nLastAttempt="), std::string::npos);
    ASSERT_EQ(Cli("target Ander E").status, 0);
    WriteFile(src / "Data/b.txt", "twee");
    ASSERT_EQ(Cli("--yes start Ander").status, 0);  // the date of a Start counts as well
    EXPECT_EQ(Cli("status").status, 0);
    ASSERT_EQ(logs().size(), 1u);
    EXPECT_NE(logs()[0].find("\r\nKopie gemaakt: E:\\Vaultor_Drive S\\Data\\a.txt\r\n"),
              std::string::npos);

    fsys::create_directories(tgt / "F");
    const std::string f = "--drive 'F=" + (tgt / "F") + "' ";
    auto moved = Cli(f + "target Foto F");
    ASSERT_EQ(moved.status, 0) << moved.err;
    auto refused = Cli(f + "run Foto");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("vaultor-cli --yes start Foto"), std::string::npos) << refused.out;
    EXPECT_FALSE(fsys::exists(tgt / "F/Vaultor_Drive S"));
    ASSERT_EQ(Cli("target Foto E").status, 0);

    for (int i = 0; i < 10; ++i) EXPECT_EQ(Cli("run Foto").status, 0);  // nothing to copy
    EXPECT_EQ(logs().size(), 10u) << "the newest ten";

    // The flock of a run in another program: this one waits a few seconds, then says so.
    test::Run("flock '" + home.Path() + "' sleep 9 >/dev/null 2>&1 &");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto busy = Cli("run Foto");
    EXPECT_EQ(busy.status, 3) << busy.out;
    EXPECT_NE(busy.out.find("Er loopt al een back-up of test"), std::string::npos);

    ASSERT_EQ(Cli("--yes delete Foto").status, 0);
    EXPECT_FALSE(fsys::exists(home / "Logs"));
}

// Every copy on the target holds its old or its new content, whenever the run
// is killed; the next run finishes the work and leaves no temporary file.
// Root reads everything; an ordinary user meets folders it may not read. They
// are never backed up as empty, never passed over in silence.
TEST_F(CliRunTest, AFolderThatCannotBeReadIsNamedAndTheRunDoesNotSucceed) {
    if (::geteuid() != 0) {  // only root may run the program as another user
        if (std::getenv("CI")) FAIL() << "needs root";
        GTEST_SKIP() << "needs root to run the program as another user";
    }
    fsys::create_directories(src / "Data/Dicht");
    WriteFile(src / "Data/a.txt", "a");
    WriteFile(src / "Data/Dicht/b.txt", "b");
    for (const auto& dir : {home.Path(), src.Path(), tgt.Path()}) ::chmod(dir.c_str(), 0777);
    ::chmod((home / "Vaultor.ini").c_str(), 0666);
    ::chmod((src / "Data/Dicht").c_str(), 0);
    // The build may lie where an ordinary user cannot reach: a copy of the
    // program (Dutch needs no catalogue) is run from a folder anyone can read.
    TempDir bin;
    ::chmod(bin.Path().c_str(), 0755);
    fsys::copy_file(VAULTOR_CLI, bin / "vaultor-cli");
    const std::string nobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    auto as_nobody = [&](const std::string& arguments) {
        return test::RunCli(src.Path(), home.Path(), Drives() + arguments, nobody,
                            bin / "vaultor-cli");
    };
    ASSERT_EQ(as_nobody("--yes new Foto 'S:\\Data'").status, 0);
    ASSERT_EQ(as_nobody("target Foto E").status, 0);
    test::CliResult run = as_nobody("--yes start Foto");
    ::chmod((src / "Data/Dicht").c_str(), 0755);
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(ReadFile(Copy() + "/a.txt"), "a") << run.out << run.err;
    EXPECT_FALSE(fsys::exists(Copy() + "/Dicht"));
    EXPECT_EQ(Count(Log(), "Overgeslagen, map niet leesbaar: S:\\Data\\Dicht\r\n"), 1) << Log();
    ::chmod((src / "Data/Dicht").c_str(), 0);
    test::CliResult verify = as_nobody("test Foto");
    ::chmod((src / "Data/Dicht").c_str(), 0755);
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(Count(Log(), "Overgeslagen, map niet leesbaar: S:\\Data\\Dicht\r\n"), 1) << Log();

    // Copied once readable; unreadable again, its copy is never taken for
    // something that left the source.
    ASSERT_EQ(as_nobody("--yes start Foto").status, 0);
    ASSERT_EQ(as_nobody("movedeleted Foto on").status, 0);
    ::chmod((src / "Data/Dicht").c_str(), 0);
    test::CliResult guarded = as_nobody("run Foto");
    ::chmod((src / "Data/Dicht").c_str(), 0755);
    EXPECT_EQ(guarded.status, 1);
    EXPECT_EQ(ReadFile(Copy() + "/Dicht/b.txt"), "b") << guarded.out;
    // Listed but not searchable: its entries cannot be looked at.
    ::chmod((src / "Data/Dicht").c_str(), 0644);
    guarded = as_nobody("run Foto");
    ::chmod((src / "Data/Dicht").c_str(), 0755);
    EXPECT_EQ(guarded.status, 1);
    EXPECT_EQ(ReadFile(Copy() + "/Dicht/b.txt"), "b") << guarded.out;
    EXPECT_EQ(Count(guarded.out, "Overgeslagen, map niet leesbaar: S:\\Data\\Dicht\n"), 1)
        << guarded.out;
    EXPECT_FALSE(fsys::exists(tgt / "Vaultor_Versions"));

    // A folder of the copy a restore cannot read whole is said; it does not succeed.
    TempDir back;
    ::chmod(back.Path().c_str(), 0777);
    ::chmod((Copy() + "/Dicht").c_str(), 0644);
    test::CliResult restore = as_nobody("restore Foto 'S:\\Data' --to " + back.Path());
    ::chmod((Copy() + "/Dicht").c_str(), 0755);
    EXPECT_EQ(restore.status, 1) << restore.out;
    EXPECT_EQ(Count(restore.out, "De map E:\\Vaultor_Drive S\\Data\\Dicht kon niet volledig"), 1)
        << restore.out;
    EXPECT_EQ(ReadFile(back / "Data/a.txt"), "a");

    // A list file that cannot be read is said, and never written over.
    const std::string list = home / "Foto.vlt", before = ReadFile(list);
    ::chmod(list.c_str(), 0200);
    test::CliResult added = as_nobody("--yes add Foto " + src / "Data/Dicht");
    ::chmod(list.c_str(), 0644);
    EXPECT_EQ(added.status, 1);
    EXPECT_TRUE(test::Contains(added.out, "het bestand kan niet gelezen worden")) << added.out;
    EXPECT_EQ(ReadFile(list), before);
}

// The copies a killed run had in hand are named in its journal: there a cut
// may leave a copy with its size and date but not its data (a FAT stick's
// entry written before its clusters). That is done to them here, and the
// next Start copies them again.
void LoseWhatACacheHeld(const std::string& journal, const std::string& target_root, int* lost) {
    std::string text = ReadFile(journal);
    for (size_t at = text.find('\n') + 1, end; (end = text.find('\0', at)) != std::string::npos;
         at = end + 1) {
        std::string copy = text.substr(at, end - at);
        std::replace(copy.begin(), copy.end(), '\\', '/');
        copy = target_root + copy.substr(2);
        struct stat st {};
        if (::stat(copy.c_str(), &st) != 0) continue;
        WriteFile(copy, std::string(static_cast<size_t>(st.st_size), '\0'));
        test::SetMtime(copy, st.st_mtim.tv_sec);
        ++*lost;
    }
}

TEST_F(CliRunTest, AKilledRunNeverLeavesAPartialCopyAndTheNextRepairsWhatItHadInHand) {
    const int kFiles = 60;
    auto content = [](char c, int i) { return std::string(200'000 + i * 1000, c); };
    for (int i = 0; i < kFiles; ++i)
        WriteFile(src / ("Data/f" + std::to_string(i)), content('o', i));
    MakeList();
    ASSERT_EQ(Cli("--yes start Foto").status, 0);
    const std::string journal = home / "Foto.journal";
    EXPECT_FALSE(fsys::exists(journal)) << "a finished run leaves no journal";
    std::mt19937 random(20261206);
    int lost = 0;
    for (int round = 0; round < 5; ++round) {
        char now = static_cast<char>('a' + round);
        for (int i = 0; i < kFiles; ++i) {
            WriteFile(src / ("Data/f" + std::to_string(i)), content(now, i));
            test::SetMtime(src / ("Data/f" + std::to_string(i)), 1700000000 + round * 10);
        }
        // Killed at a random moment once it copies.
        const pid_t child = test::StartCli(src.Path(), home.Path(), Drives() + "--yes start Foto");
        test::WaitFor(
            [&] { return fsys::exists(journal) || ::waitpid(child, nullptr, WNOHANG) != 0; },
            std::chrono::seconds(60), std::chrono::microseconds(200));
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 40)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        char before = round == 0 ? 'o' : static_cast<char>('a' + round - 1);
        for (int i = 0; i < kFiles; ++i) {
            std::string copy = ReadFile(Copy() + "/f" + std::to_string(i));
            EXPECT_TRUE(copy == content(before, i) || copy == content(now, i))
                << "round " << round << " file " << i << " holds " << copy.size() << " bytes";
        }
        if (fsys::exists(journal)) {
            LoseWhatACacheHeld(journal, tgt.Path() + "/", &lost);
            test::CliResult tested = Cli("test Foto");
            EXPECT_NE(tested.out.find("De vorige run van deze lijst is onderbroken."),
                      std::string::npos)
                << tested.out;
        }
        ASSERT_EQ(Cli("--yes start Foto").status, 0);
        for (int i = 0; i < kFiles; ++i)
            ASSERT_TRUE(ReadFile(Copy() + "/f" + std::to_string(i)) == content(now, i))
                << "round " << round << " file " << i;
        for (const auto& e : fsys::directory_iterator(Copy()))
            EXPECT_EQ(e.path().filename().string().rfind(".vaultor-", 0), std::string::npos);
        EXPECT_FALSE(fsys::exists(journal));
    }
    EXPECT_GT(lost, 0) << "no cut came while copies were in hand";
}

// A target whose FUSE daemon stops answering in the middle of a copy: a stop
// (SIGTERM, as a service manager sends it) still ends the run within seconds,
// the run says why, and nothing is renamed over anything.
TEST_F(CliRunTest, ATargetThatStopsAnsweringCannotHoldTheRun) {
    test::LoopMount ntfs(test::LoopMount::Kind::Ntfs, 400, "DOEL");
    VAULTOR_REQUIRE_MOUNT(ntfs);
    WriteFile(src / "Data/groot", std::string(256 << 20, 'g'));
    target = ntfs.Folder();
    MakeList();
    const pid_t child = test::StartCli(src.Path(), home.Path(), Drives() + "--yes start Foto");
    const std::string copies = ntfs.Folder() + "/Vaultor_Drive S/Data";
    auto writing = [&] {
        std::error_code ec;
        for (const auto& e : fsys::directory_iterator(copies, ec))
            if (e.path().filename().string().rfind(".vaultor-", 0) == 0) return true;
        return false;
    };
    test::WaitFor(writing);
    std::string daemon = test::RunOutput("pgrep -f 'ntfs-3g " + ntfs.Image() + "'");
    ASSERT_FALSE(daemon.empty());
    pid_t daemon_pid = std::stoi(daemon);
    ::kill(daemon_pid, SIGSTOP);
    ::kill(child, SIGTERM);
    // The run has ended when its log is closed; the process itself may wait
    // in the kernel for the stopped daemon until it goes on.
    const bool ended =
        test::WaitFor([&] { return test::Contains(Log(), "Eind log."); }, std::chrono::seconds(30));
    ::kill(daemon_pid, SIGCONT);
    int status = 0;
    if (!ended) ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(ended) << "the run hung with its target";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string log = Log();
    EXPECT_NE(log.find("Kopieren is niet volledig: de doeldrive E:\\ antwoordt niet meer."),
              std::string::npos)
        << log;
    EXPECT_FALSE(fsys::exists(copies + "/groot"));
}

// A sync of the file system does not reach a FUSE daemon's device; a sync of
// a file or folder does (ntfs-3g and exfat-fuse then sync their device). So
// on such a drive of a block device a checkpoint syncs the target's root and
// new copies need no sync of their own; a replacement has one. Another
// daemon (fusefat on an image) has each copy synced.
TEST_F(CliRunTest, OnAFuseTargetTheCopiesAndTheFoldersAreSyncedAsIsTheProgramFolder) {
    if (test::Run("command -v strace >/dev/null") != 0) GTEST_SKIP() << "strace is not installed";
    fsys::create_directories(src / "Data/Sub");
    WriteFile(src / "Data/a", "a");
    WriteFile(src / "Data/Sub/b", "b");
    WriteFile(src / "Data/Sub/c", "c");
    TempDir scratch;
    const std::string trace = scratch / "trace";
    auto synced_by_start = [&] {
        // LeakSanitizer stops the world through ptrace, which strace holds.
        test::CliResult run =
            test::RunCli(src.Path(), home.Path(), Drives() + "--yes start Foto",
                         "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" strace -f -y -qq -e "
                         "trace=fsync,fdatasync -o '" +
                             trace + "'");
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        return ReadFile(trace);
    };
    test::LoopMount stick(test::LoopMount::Kind::Exfat, 64, "DOEL");  // on a loop device
    VAULTOR_REQUIRE_MOUNT(stick);
    target = stick.Folder();
    MakeList();
    std::string synced = synced_by_start();
    EXPECT_EQ(Count(synced, ".tmp>)"), 0) << synced;
    // The checkpoint's sync of the root comes before the journal names copies.
    EXPECT_LT(synced.find("<" + stick.Folder() + ">)"), synced.find("Foto.journal")) << synced;
    const std::string copy = stick.Folder() + "/Vaultor_Drive S";
    for (const std::string& folder : {copy + "/Data/Sub", copy + "/Data", copy, stick.Folder()})
        EXPECT_NE(synced.find("<" + folder + ">)"), std::string::npos) << folder << "\n" << synced;
    // The settings and the record written to the program folder: its entries too.
    EXPECT_NE(synced.find("<" + home.Path() + ">)"), std::string::npos) << synced;
    WriteFile(src / "Data/a", "changed");
    synced = synced_by_start();
    EXPECT_EQ(Count(synced, ".tmp>)"), 1) << "the replacement, before its rename\n" << synced;

    test::LoopMount fat(test::LoopMount::Kind::Fat, 64, "DOEL");
    VAULTOR_REQUIRE_MOUNT(fat);
    target = fat.Folder();
    ASSERT_EQ(Cli("target Foto E").status, 0);
    synced = synced_by_start();
    EXPECT_EQ(Count(synced, ".tmp>)"), 3) << "each copy, before its rename\n" << synced;
}

TEST_F(CliRunTest, CtrlCWithoutATerminalStopsTheRunBetweenFiles) {
    for (int i = 0; i < 20000; ++i) WriteFile(src / ("Data/f" + std::to_string(i)), "x");
    MakeList();
    TempDir scratch;
    const pid_t child =
        test::StartCli(src.Path(), home.Path(), Drives() + "--yes start Foto", scratch / "out");
    // The log is made when the copy phase begins.
    test::WaitFor([&] { return fsys::exists(home / "Vaultor.log"); });
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal, not by Stop";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string log = Log();
    EXPECT_NE(log.find("De bewerking is door de gebruiker voortijdig afgebroken.\r\nEind log."),
              std::string::npos);
    EXPECT_LT(Count(log, "Kopie gemaakt: "), 20000);
    EXPECT_NE(
        ReadFile(scratch / "out").find("Afgebroken door gebruiker, kopieren is niet volledig"),
        std::string::npos);
}

}  // namespace
}  // namespace vaultor
