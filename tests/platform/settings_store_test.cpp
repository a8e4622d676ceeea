#include "platform/settings_store.h"
#include "temp_folder.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(SettingsStore, MissingValuesAreToldApartFromEmptyOnes)
{
    TempFolder t;
    platform::SettingsStore store(t.path("deep/er/reelvane.ini"));
    EXPECT_FALSE(store.ReadString("ConvertDir"));
    EXPECT_FALSE(store.ReadInt("firstuse"));
    ASSERT_TRUE(store.WriteString("ConvertDir", "/videos/out/"));
    ASSERT_TRUE(store.WriteString("language", ""));
    ASSERT_TRUE(store.WriteInt("firstuse", 1));
    EXPECT_EQ(store.ReadString("convertdir"), "/videos/out/");
    EXPECT_EQ(store.ReadString("language"), "");
    EXPECT_EQ(store.ReadInt("firstuse"), 1);
}

TEST(SettingsStore, AnIntegerThatIsNotANumberCountsAsMissing)
{
    TempFolder t;
    platform::SettingsStore store(t.path("s.ini"));
    store.WriteString("firstuse", "yes");
    EXPECT_FALSE(store.ReadInt("firstuse"));
    store.WriteString("firstuse", "99999999999");
    EXPECT_FALSE(store.ReadInt("firstuse"));
}

TEST(SettingsStore, DefaultPathFollowsXdgConfigHome)
{
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(platform::SettingsStore::DefaultPath(), "/tmp/cfg/quillon/reelvane.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1); // not absolute: ignored, as XDG requires
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(platform::SettingsStore::DefaultPath(), "/home/someone/.config/quillon/reelvane.ini");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
