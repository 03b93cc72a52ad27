#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ce2_builder/ce2_builder.h"
#include "run_process.h"
#include "support/temp_dir.h"

namespace {

using namespace ce2build;
using Environment = std::vector<std::pair<std::string, std::string>>;

// The locale variables of a run: every one empty (as good as unset) but those given. LOCPATH
// finds the locales generated for the tests (ja_JP.UTF-8, ja_JP.EUC-JP).
Environment locale(const Environment& set) {
    Environment env = {{"LC_ALL", ""}, {"LC_CTYPE", ""}, {"LC_MESSAGES", ""},
                       {"LANG", ""},   {"LANGUAGE", ""}, {"LOCPATH", MORVEX_TEST_LOCALES}};
    for (const auto& [name, value] : set) {
        for (auto& variable : env) {
            if (variable.first == name) {
                variable.second = value;
            }
        }
    }
    return env;
}

const std::string kCompletionJapanese =
    "変換が完了しました。\n"
    "生成したのはライブラリ情報なしの.CE3ファイルです。\n"
    "最初にTovr3/Pelnakで読み込む前に必要なライブラリを設定してください。\n"
    "Tovr3/Pelnakで上書き保存すると、ライブラリ情報付きの.CE3ファイルになります。\n";

// The report lines keep their structure in every language: only the text after the colon is
// translated, the system's error text with it. The summary and the completion message follow
// the language.
TEST(CliLanguage, ReportsFollowTheLocale) {
    const std::string english =
        "two.ce2 -> two.ce3: 2 elements; 1 element outside the sheet left out\n";
    const std::string englishErr =
        "cut.ce2: not converted: fewer than two elements (reading stopped at byte 0: unknown "
        "record type 120)\n"
        "gone.ce2: not converted: cannot be opened: No such file or directory\n"
        "foreign.ce2: not converted: not a CE2 drawing (the header's identifier is wrong)\n"
        "4 files: 1 converted (1 in part), 3 not converted\n"
        "The conversion has finished.\n"
        "The files written are .CE3 files without library information.\n"
        "Set up the libraries they need before loading them into Tovr3/Pelnak for the first "
        "time.\n"
        "Saving them over in Tovr3/Pelnak makes them .CE3 files with library information.\n";
    const std::string japanese = "two.ce2 -> two.ce3: 要素 2 個; シート外の要素 1 個を除外\n";
    const std::string japaneseErr =
        "cut.ce2: 変換しませんでした: 要素が 2 個未満です (0 バイト目で読み込みを中止: "
        "不明なレコード"
        "種別 120)\n"
        "gone.ce2: 変換しませんでした: 開けません: そのようなファイルやディレクトリはありません\n"
        "foreign.ce2: 変換しませんでした: CE2 の図面ではありません (ヘッダーの識別子が違います)\n"
        "4 ファイル: 1 ファイルを変換（うち 1 ファイルは一部のみ）、3 ファイルは変換できません"
        "でした\n" +
        kCompletionJapanese;
    const struct {
        const char* what;
        Environment env;
        bool inJapanese;
    } cases[] = {
        {"a Japanese locale", {{"LANG", "ja_JP.UTF-8"}}, true},
        {"LANGUAGE with a UTF-8 locale", {{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "ja"}}, true},
        {"the C locale", {{"LC_ALL", "C"}}, false},
        {"LANG unset", {}, false},
        {"LANGUAGE without a locale", {{"LANGUAGE", "ja"}}, false},
        {"a locale that does not exist", {{"LANG", "xx_YY.UTF-8"}, {"LANGUAGE", "ja"}}, false},
        {"a Japanese locale whose encoding is not UTF-8", {{"LANG", "ja_JP.EUC-JP"}}, false},
        {"Japanese messages, ASCII characters",
         {{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LC_CTYPE", "C"}},
         false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        // Far outside the sheet, the second wire is left out.
        writeBytes(dir / "two.ce2", line(kWire, 0, 10, 10, 50, 10) +
                                        line(kWire, 0, 20000, 5, 20005, 9) +
                                        line(kWire, 0, 5, 5, 5, 9));
        writeBytes(dir / "cut.ce2", "x");
        writeBytes(dir / "foreign.ce2", header({.corruptMagicAt = 0}) + line(kWire, 0, 5, 5, 5, 9));
        const ProcessResult r =
            runProcess({{MORVEX_CLI, "two.ce2", "cut.ce2", "gone.ce2", "foreign.ce2"},
                        dir.path(),
                        locale(c.env)});
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_EQ(r.out, c.inJapanese ? japanese : english) << c.what;
        EXPECT_EQ(r.err, c.inJapanese ? japaneseErr : englishErr) << c.what;
    }
}

// Usage errors of MORVEX's own and the help follow the locale too.
TEST(CliLanguage, UsageErrorsAndHelp) {
    TempDir dir;
    const auto run = [&](std::vector<std::string> args, const Environment& env) {
        args.insert(args.begin(), MORVEX_CLI);
        return runProcess({args, dir.path(), locale(env)});
    };
    const Environment ja = {{"LANG", "ja_JP.UTF-8"}};
    const ProcessResult size = run({"--large-size", "12pt", "x.ce2"}, ja);
    EXPECT_EQ(size.exitCode, 2);
    EXPECT_EQ(size.err,
              "morvex-cli: --large-size: ポイント数は整数で指定してください: 12pt\n"
              "詳しくは --help を付けて実行してください。\n");
    const ProcessResult help = run({"--help"}, ja);
    EXPECT_EQ(help.exitCode, 0);
    // The descriptions in one column, whatever the bytes of the words before them.
    for (const char* line : {"使い方: morvex-cli [オプション] PATH...\n",
                             "  PATH ... 必須               .ce2 ファイルかディレクトリ",
                             "  -q,--quiet                  完了メッセージを出しません\n",
                             "(既定: プロセッサ数、このコンピューターでは "}) {
        EXPECT_NE(help.out.find(line), std::string::npos) << line << '\n' << help.out;
    }
    // No English but option names and value names.
    for (const char* english : {"REQUIRED", "OPTIONS", "Usage", "Positionals", "Options", "default",
                                "Print", "Display"}) {
        EXPECT_EQ(help.out.find(english), std::string::npos) << english << '\n' << help.out;
    }
    // The parser's own errors, in our words.
    const std::vector<std::pair<std::vector<std::string>, std::string>> parserErrors = {
        {{}, "morvex-cli: PATH がありません: 変換する .ce2 ファイルかフォルダを指定してください\n"},
        {{"--foo", "x.ce2"}, "morvex-cli: 不明なオプションです: --foo\n"},
        {{"--bogus"}, "morvex-cli: 不明なオプションです: --bogus\n"},
        {{"x.ce2", "--settings"}, "morvex-cli: --settings には値が必要です\n"},
    };
    for (const auto& [args, said] : parserErrors) {
        const ProcessResult r = run(args, ja);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, said + "詳しくは --help を付けて実行してください。\n");
    }
    const ProcessResult english = run({"--large-size", "12pt", "x.ce2"}, {{"LC_ALL", "C"}});
    EXPECT_EQ(english.err,
              "morvex-cli: --large-size: a size in points must be a whole number: 12pt\n"
              "Run with --help for more information.\n");
}

}  // namespace
