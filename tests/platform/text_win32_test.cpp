#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text.h"

namespace {

// The variables that name a language, each set for one case and cleared after it.
const char* const kLanguageVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

void setVariables(const std::vector<std::string>& settings) {
    for (const char* name : kLanguageVariables) {
        _putenv((std::string(name) + "=").c_str());
    }
    for (const std::string& setting : settings) {
        _putenv(setting.c_str());
    }
}

TEST(Messages, TheEnvironmentNamesTheLanguageAsGettextReadsIt) {
    struct Case {
        std::vector<std::string> settings;
        bool japanese;
    };
    const std::vector<Case> cases = {
        {{"LANG=ja_JP.UTF-8"}, true},
        {{"LANG=ja"}, true},
        {{"LANG=en_US.UTF-8"}, false},
        {{"LC_MESSAGES=ja_JP.UTF-8", "LANG=en_US.UTF-8"}, true},
        {{"LC_ALL=C.UTF-8", "LANG=ja_JP.UTF-8"}, false},
        {{"LC_ALL=ja_JP.eucJP", "LANG=C"}, true},
        // LANGUAGE comes first, but not for the C locale, and its first entry counts.
        {{"LANGUAGE=ja:en", "LANG=en_US.UTF-8"}, true},
        {{"LANGUAGE=en:ja", "LANG=ja_JP.UTF-8"}, false},
        {{"LANGUAGE=ja", "LANG=C"}, false},
        {{"LANGUAGE=ja"}, true},
    };
    for (const Case& c : cases) {
        setVariables(c.settings);
        setUpMessages(MessageOutput::LocaleEncoding);
        const std::string what = c.settings.front() + (c.settings.size() > 1 ? " ..." : "");
        EXPECT_EQ(messageLanguage(), c.japanese ? "ja" : "") << what;
        EXPECT_EQ(messagesTranslated(), c.japanese) << what;
        EXPECT_STREQ(translated("not converted"),
                     c.japanese ? "変換しませんでした" : "not converted")
            << what;
        EXPECT_STREQ(translatedPlural("%lu file: %lu converted", "%lu files: %lu converted", 2),
                     c.japanese ? "%lu ファイル: %lu ファイルを変換" : "%lu files: %lu converted")
            << what;
        EXPECT_EQ(systemErrorText(ENOENT), c.japanese
                                               ? "そのようなファイルやディレクトリはありません"
                                               : "No such file or directory")
            << what;
    }
    // A text the catalogue does not hold stays English.
    setVariables({"LANG=ja_JP.UTF-8"});
    setUpMessages(MessageOutput::Utf8);
    EXPECT_STREQ(translated("no such message"), "no such message");
    setVariables({"LC_ALL=C.UTF-8"});
    setUpMessages(MessageOutput::Utf8);
}

}  // namespace
