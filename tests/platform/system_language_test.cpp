#include "platform/system_language.h"

#include <gtest/gtest.h>

using platform::LanguageIdFromLocale;
using platform::MakeLanguageId;

TEST(SystemLanguage, LocaleNamesMapToLanguageIds)
{
    EXPECT_EQ(LanguageIdFromLocale("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(LanguageIdFromLocale("de_CH.UTF-8"), 0x0807);
    EXPECT_EQ(LanguageIdFromLocale("en_US.UTF-8"), 0x0409);
    EXPECT_EQ(LanguageIdFromLocale("en_GB"), 0x0809);
    EXPECT_EQ(LanguageIdFromLocale("zh_CN.UTF-8"), 0x0804);
    EXPECT_EQ(LanguageIdFromLocale("zh_TW.UTF-8"), 0x0404);
    EXPECT_EQ(LanguageIdFromLocale("pt_BR.UTF-8"), 0x0416);
    EXPECT_EQ(LanguageIdFromLocale("pt_PT.UTF-8"), 0x0816);
    EXPECT_EQ(LanguageIdFromLocale("es_ES.UTF-8"), 0x0C0A);
    EXPECT_EQ(LanguageIdFromLocale("cs_CZ.UTF-8"), 0x0405);
    EXPECT_EQ(LanguageIdFromLocale("ja_JP.UTF-8"), 0x0411);
    EXPECT_EQ(LanguageIdFromLocale("sr_RS@latin"), MakeLanguageId(26, 2));
    EXPECT_EQ(LanguageIdFromLocale("fr"), MakeLanguageId(12, 1));
}

TEST(SystemLanguage, PlainAndUnknownLocales)
{
    EXPECT_EQ(LanguageIdFromLocale("C"), 0x0409);
    EXPECT_EQ(LanguageIdFromLocale("POSIX"), 0x0409);
    EXPECT_EQ(LanguageIdFromLocale("C.UTF-8"), 0x0409);
    EXPECT_EQ(LanguageIdFromLocale("xx_YY"), 0);
}

TEST(SystemLanguage, EnvironmentOrderIsLcAllThenLcMessagesThenLang)
{
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(platform::SystemLanguageId(), 0x040C);
    setenv("LC_ALL", "it_IT.UTF-8", 1);
    EXPECT_EQ(platform::SystemLanguageId(), 0x0410);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(platform::SystemLanguageId(), 0x0407);
}
