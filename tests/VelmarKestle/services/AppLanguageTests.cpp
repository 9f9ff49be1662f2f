#include "services/AppLanguage.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helpers/TempFolder.hpp"

using kestle::MemoryPreferences;
using kestle::PreferenceValue;
using kestle::app::AppLanguage;
using kestle::app::AppLanguages;
using kestle::test::TempFolder;

namespace {

TEST(AppLanguage, TheStoredListIsReadByItsFirstLanguageAndSystemRemovesIt) {
    MemoryPreferences defaults;
    EXPECT_EQ(AppLanguages::current(&defaults), AppLanguage::system);
    EXPECT_EQ(AppLanguages::current(nullptr), AppLanguage::system);

    AppLanguages::choose(defaults, AppLanguage::italian);
    EXPECT_EQ(defaults.value(AppLanguages::key), PreferenceValue(std::vector<std::string>{"it"}));
    EXPECT_EQ(AppLanguages::current(&defaults), AppLanguage::italian);

    AppLanguages::choose(defaults, AppLanguage::system);
    EXPECT_FALSE(defaults.value(AppLanguages::key).has_value());

    // Lists written by other tools: the first entry decides, by its language code.
    const std::vector<std::pair<PreferenceValue, AppLanguage>> stored{
        {std::vector<std::string>{"it-CH", "en"}, AppLanguage::italian},
        {std::vector<std::string>{"en_GB"}, AppLanguage::english},
        {std::vector<std::string>{"fr", "it"}, AppLanguage::system},
        {std::vector<std::string>{}, AppLanguage::system},
        {std::string("it"), AppLanguage::system},
    };
    for (const auto& [value, expected] : stored) {
        defaults.set(AppLanguages::key, value);
        EXPECT_EQ(AppLanguages::current(&defaults), expected);
    }
}

TEST(AppLanguage, TheLanguageShownIsTheFirstTranslationThePreferencesAskFor) {
    TempFolder temp;
    for (const char* file : {"VelmarKestle_en.qm", "VelmarKestle_it.qm", "qtbase_fr.qm"}) {
        TempFolder::writeText(temp / file, "");
    }
    const QStringList available = AppLanguages::available(QString::fromStdString(temp.path()));
    EXPECT_EQ(available, (QStringList{"en", "it"}));

    EXPECT_EQ(AppLanguages::resolved(available, AppLanguage::italian, {"en-US"}), "it");
    EXPECT_EQ(AppLanguages::resolved(available, AppLanguage::system, {"fr-FR", "it-IT", "en"}),
              "it");
    EXPECT_EQ(AppLanguages::resolved(available, AppLanguage::system, {"de_DE", "en_US"}), "en");
    EXPECT_EQ(AppLanguages::resolved(available, AppLanguage::system, {"fr"}), std::nullopt);
    EXPECT_EQ(AppLanguages::resolved({}, AppLanguage::english, {"en"}), std::nullopt);
}

} // namespace
