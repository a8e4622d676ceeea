#include "platform/library_loader.h"

#include <gtest/gtest.h>

TEST(LibraryLoader, BindsEveryExportByName)
{
    platform::LibraryLoader loader;
    ASSERT_TRUE(loader.LoadFrom(PROBE_FOLDER, "loader_probe_full", {"probe_add", "probe_twice"})) << loader.error();
    EXPECT_EQ(loader.Call<int>(0, -1, 2, 3), 5);
    EXPECT_EQ(loader.Call<int>(1, -1, 21), 42);
    loader.Unload();
    EXPECT_EQ(loader.Call<int>(0, -1, 2, 3), -1);
}

TEST(LibraryLoader, AMissingExportMakesTheLibraryAbsent)
{
    platform::LibraryLoader loader;
    EXPECT_FALSE(loader.LoadFrom(PROBE_FOLDER, "loader_probe_partial", {"probe_add", "probe_twice"}));
    EXPECT_FALSE(loader.loaded());
    EXPECT_NE(loader.error().find("probe_twice"), std::string::npos);
    EXPECT_EQ(loader.Call<int>(0, -1, 2, 3), -1);
}

TEST(LibraryLoader, AMissingLibraryIsAbsent)
{
    platform::LibraryLoader loader;
    EXPECT_FALSE(loader.Load("no_such_library_anywhere", {"x"}));
    EXPECT_EQ(loader.Call<int>(0, -1), -1);
    EXPECT_FALSE(loader.error().empty());
}
