#include <gtest/gtest.h>

#include "platform/classes/Registry.h"
#include "platform/classes/Strings.h"
#include "tests/platform/classes/TempFolder.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { SetRegistryFolderForTests(folder.File("config/Tesk")); }
    void TearDown() override { SetRegistryFolderForTests(""); }
    TempFolder folder;
};

}  // namespace

TEST_F(RegistryTest, WritesTheFlagOfAReprocessedDatabase) {
    EXPECT_EQ(RegistryFileName(), folder.File("config/Tesk/registry.ini"));
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey("Software\\Tesk", false));
    ASSERT_TRUE(reg.OpenKey("Software\\Tesk", true));  // the folder and file appear on demand
    reg.WriteBool("DeletedPlanetTechs", true);
    reg.CloseKey();
    EXPECT_EQ(TempFolder::Read(RegistryFileName()), "[Software\\Tesk]\r\nDeletedPlanetTechs=1\r\n");

    TRegistry other;
    ASSERT_TRUE(other.OpenKeyReadOnly("\\software\\TESK\\"));
    EXPECT_TRUE(other.ValueExists("deletedplanettechs"));
    EXPECT_TRUE(other.ReadBool("DeletedPlanetTechs"));
    EXPECT_EQ(other.ReadInteger("DeletedPlanetTechs"), 1);
    EXPECT_THROW(other.WriteString("x", "y"), ERegistryException);  // read-only
    EXPECT_FALSE(other.DeleteValue("DeletedPlanetTechs"));
}

TEST_F(RegistryTest, StringsRoundTripAndKeysNest) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Tesk\\Editor", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Tesk\\Editor");
    for (const AnsiString& v : {AnsiString(" padded "), AnsiString("'quoted'"), AnsiString(""), AnsiString("a=b")}) {
        reg.WriteString("Value", v);
        EXPECT_EQ(reg.ReadString("Value"), v);
    }
    EXPECT_EQ(reg.ReadString("Missing"), "");
    try {
        (void)reg.ReadInteger("Missing");
        FAIL() << "read a missing integer";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Missing'");
    }
    EXPECT_TRUE(reg.DeleteValue("Value"));
    EXPECT_FALSE(reg.ValueExists("Value"));

    // Relative keys open below the open one; a leading backslash starts at the root.
    ASSERT_TRUE(reg.OpenKey("Keys", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Tesk\\Editor\\Keys");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Tesk", false));  // exists through its subkeys
    TStringList names;
    reg.GetKeyNames(&names);
    EXPECT_EQ(names.CommaText(), "Editor");
    EXPECT_TRUE(reg.KeyExists("Editor\\Keys"));
    EXPECT_TRUE(reg.DeleteKey("Editor"));
    EXPECT_FALSE(reg.KeyExists("Editor\\Keys"));
    EXPECT_FALSE(reg.KeyExists("Editor"));

    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(machine.KeyExists("\\Software\\Tesk"));  // roots are apart
}
