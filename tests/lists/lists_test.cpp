#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "lists/inclusion.h"
#include "lists/list_file.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::ScriptedUi;
using test::TempDir;
using test::WriteFile;

TEST(ListFile, ReadsAnyLineEndAndWritesCrLf) {
    TempDir dir;
    WriteFile(dir / "a.vlt", "C:\\Data\r\nD:\\\rE:\\Foto\nF:\\x\r\n\r\nG:\\last");
    EXPECT_EQ(*ReadListLines(dir / "a.vlt"),
              (std::vector<std::string>{"C:\\Data", "D:\\", "E:\\Foto", "F:\\x", "", "G:\\last"}));
    ASSERT_TRUE(WriteListFile(dir / "b.vlt", {"C:\\Data", "D:\\"}));
    EXPECT_EQ(test::ReadFile(dir / "b.vlt"), "C:\\Data\r\nD:\\\r\n");
    EXPECT_TRUE(ReadListLines(dir / "missing.vlt")->empty());
    EXPECT_FALSE(ReadListLines(dir.Path()));  // a folder is no list file
    // A file far larger than any list is not read at all, however it ends.
    ASSERT_EQ(::truncate((dir / "a.vlt").c_str(), off_t{4} << 30), 0);
    EXPECT_FALSE(ReadListLines(dir / "a.vlt"));

    std::string binary("C:\\A\0\xff\xfe", 7);
    WriteFile(dir / "bin.vlt", binary + std::string(100000, 'x') + "\r\nC:\\B\r\n");
    auto lines = ReadListLines(dir / "bin.vlt");
    ASSERT_EQ(lines->size(), 2u);
    EXPECT_EQ((*lines)[1], "C:\\B");
}

TEST(ListFile, OffersOnlyFilesEndingExactlyInVlt) {
    TempDir dir;
    for (const char* name :
         {"beta.vlt", "Alpha.vlt", "Werk.VLT", "a.vlt.vlt", "notes.txt", ".vlt", "x.vltz.vlt"})
        WriteFile(dir / name, "C:\\x\r\n");
    std::filesystem::create_directory(dir / "folder.vlt");
    EXPECT_EQ(ListNames(dir.Path() + "/"),
              (std::vector<std::string>{"a.vlt", "Alpha", "beta", "x.vltz"}));
}

TEST(InclusionRules, ParentsAndHigherFolders) {
    EXPECT_EQ(ParentOf("C:\\Data\\Foto"), "C:\\Data");
    EXPECT_EQ(ParentOf("C:\\Data"), "C:\\");
    EXPECT_EQ(ParentOf("C:\\"), "C:\\");
    EXPECT_EQ(ParentOf("C:"), "");
    EXPECT_TRUE(IsHigherFolder("C:\\Data", "C:\\Data\\Foto"));
    EXPECT_TRUE(IsHigherFolder("c:\\Data", "C:\\Data\\Foto"));
    EXPECT_FALSE(IsHigherFolder("C:\\data", "C:\\Data\\Foto"));  // case matters on Linux
    EXPECT_FALSE(IsHigherFolder("C:\\Data", "C:\\Data2"));
    EXPECT_TRUE(IsHigherFolder("D:\\", "D:\\Werk"));
    EXPECT_FALSE(IsHigherFolder("D:\\", "D:\\"));
}

TEST(CheckForMaps, RefusesWhatIsListedOrLiesBelowAListedFolder) {
    std::vector<std::string> lines = {"C:\\Data"};
    ScriptedUi ui;
    auto check = [&](const std::string& path) { return CheckForMaps(lines, path, ui); };
    EXPECT_TRUE(check("c:\\Data"));  // the drive letter is compared without case
    EXPECT_EQ(ui.messages.back(), "Deze map is al opgenomen");
    EXPECT_TRUE(check("C:\\Data\\Foto"));
    EXPECT_EQ(ui.messages.back(),
              "De map C:\\Data\\Foto is al opgenomen.\r\nDe hogere map\r\nC:\\Data is al in de "
              "lijst aanwezig.");
    EXPECT_TRUE(check("C:\\Data\\Foto\\2004"));
    EXPECT_EQ(ui.messages.back(),
              "De map C:\\Data\\Foto\\2004 is al opgenomen want de hogere map\rC:\\Data is al in "
              "de lijst aanwezig ");
    for (const char* other : {"C:\\Data2", "C:\\Data2\\Foto", "C:\\data", "C:\\data\\Foto"})
        EXPECT_FALSE(check(other)) << other;  // "C:\data" is another folder here
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(lines, std::vector<std::string>{"C:\\Data"});

    lines = {"D:\\"};
    EXPECT_TRUE(check("D:\\Werk"));  // its parent is the listed root
    EXPECT_NE(ui.messages.back().find("De hogere map\r\nD:\\ is al"), std::string::npos);
}

TEST(CheckForMaps, OffersToReplaceLowerFoldersByAHigherOneAndAsksForAWholeDriveFirst) {
    std::vector<std::string> lines = {"C:\\Data\\Foto", "E:\\x", "C:\\Data\\Muziek"};
    ScriptedUi ui;
    auto check = [&](const std::string& path) { return CheckForMaps(lines, path, ui); };
    ui.answers = {kAnswerNo};
    EXPECT_TRUE(check("C:\\Data"));
    EXPECT_EQ(ui.questions.back(),
              "2 lagere map(pen) nu vervangen door een hogere map?\r\rInformatie:\rLagere mappen "
              "worden altijd automatisch opgenomen.");
    EXPECT_EQ(lines.size(), 3u);
    ui.answers = {kAnswerClosed};  // a closed window does not say no
    EXPECT_FALSE(check("C:\\Data"));
    EXPECT_EQ(lines, std::vector<std::string>{"E:\\x"});

    lines = {"E:\\Foto", "E:\\Werk\\2024", "C:\\Data"};
    ui.answers = {kAnswerNo};
    EXPECT_TRUE(check("E:\\"));
    EXPECT_EQ(ui.questions.back(),
              "Opgelet! Wilt u echt alle mappen en bestanden van drive E:\\ selecteren?");
    ui.answers = {kAnswerYes, kAnswerYes};
    EXPECT_FALSE(check("E:\\"));
    EXPECT_EQ(ui.questions.back().substr(0, 2), "2 ");
    EXPECT_EQ(lines, std::vector<std::string>{"C:\\Data"});
}

}  // namespace
}  // namespace vaultor
