#include "reelvane/frame/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <filesystem>
#include <string_view>
#include <utility>

namespace reelvane {

std::string QtLocaleOfPack(const std::string& packFile)
{
    static constexpr std::pair<std::string_view, std::string_view> kLocales[] = {{"chinese_simplified", "zh_CN"},
                                                                                 {"chinese_traditional", "zh_TW"},
                                                                                 {"english", "en"},
                                                                                 {"french", "fr"},
                                                                                 {"german", "de"},
                                                                                 {"italian", "it"},
                                                                                 {"japanese", "ja"},
                                                                                 {"korean", "ko"},
                                                                                 {"portuguese_brazil", "pt_BR"},
                                                                                 {"russian", "ru"},
                                                                                 {"spanish", "es"}};
    const std::string stem = std::filesystem::path(packFile).stem().string();
    for (const auto& [pack, locale] : kLocales)
        if (stem == pack)
            return std::string(locale);
    return {};
}

bool SwitchQtTranslations(const std::string& packFile)
{
    static QTranslator* translator = nullptr;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    const std::string locale = QtLocaleOfPack(packFile);
    if (locale.empty())
        return false;
    auto* loaded = new QTranslator;
    if (!loaded->load(QString::fromStdString("qtbase_" + locale), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

} // namespace reelvane
