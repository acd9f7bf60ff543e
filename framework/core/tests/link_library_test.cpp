#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "framework/core/LinkLibrary.h"
#include "framework/core/ProgramFolder.h"

namespace korvex {
namespace {

class LinkLibraryTest : public testing::Test {
  protected:
    void SetUp() override { SetProgramFolderOverride(FWCORE_TEST_LIB_DIR); }
    void TearDown() override { SetProgramFolderOverride({}); }
};

TEST_F(LinkLibraryTest, LoadsEveryOperation) {
    QString why;
    std::optional<LinkTable> table = LoadLibraryFromAppFolder("libfwcore_link_full.so", &why);
    ASSERT_TRUE(table) << why.toStdString();
    EXPECT_TRUE(table->Complete());
    EXPECT_NE(table->handle, nullptr);
    EXPECT_EQ(table->TKLGetLanguage(), 3082);  // the library's own function answered
    EXPECT_EQ(table->RelioInputDigRead(2, 0, nullptr), 3082);
    FreeLinkLibrary(*table);
    EXPECT_EQ(table->handle, nullptr);
    EXPECT_EQ(table->TKLGetLanguage, nullptr);
    FreeLinkLibrary(*table);  // twice is harmless
}

TEST_F(LinkLibraryTest, MissingFileFails) {
    QString why;
    EXPECT_FALSE(LoadLibraryFromAppFolder("libtkl-absent.so", &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(LoadLibraryFromAppFolder(""));
    // No search path: a bare name is never looked up elsewhere.
    EXPECT_FALSE(LoadLinkLibrary("libfwcore_link_full.so"));
}

TEST_F(LinkLibraryTest, MissingSymbolFails) {
    QString why;
    EXPECT_FALSE(LoadLibraryFromAppFolder("libfwcore_link_partial.so", &why));
    EXPECT_TRUE(why.contains("RelioInputDigRead")) << why.toStdString();
}

TEST_F(LinkLibraryTest, NotALibraryFails) {
    QTemporaryDir folder;
    QFile file(folder.filePath("libtkl.so"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library\n");
    file.close();
    SetProgramFolderOverride(folder.path());
    EXPECT_FALSE(LoadLibraryFromAppFolder("libtkl.so"));
}

TEST(ProgramFolder, IsTheExecutablesFolderUnlessOverridden) {
    const QString real = QFileInfo(QFileInfo("/proc/self/exe").symLinkTarget()).absolutePath();
    EXPECT_EQ(ProgramFolder(), real);
    SetProgramFolderOverride("/opt/korvex/bin/");
    EXPECT_EQ(ProgramFolder(), "/opt/korvex/bin");
    SetProgramFolderOverride({});
    EXPECT_EQ(ProgramFolder(), real);
}

}  // namespace
}  // namespace korvex
