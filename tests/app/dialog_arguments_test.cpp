#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/core/dialog_arguments.h"

namespace {

constexpr ToolkitOption kToolkit[] = {{"platform", true}, {"reverse", false}};

TEST(DialogArguments, Requests) {
    using Args = std::vector<std::string>;
    struct Case {
        Args arguments;
        DialogRequest request;
        std::string unknownOption;
        Args paths;
        Args toolkitArguments;
    };
    const DialogRequest open = DialogRequest::OpenDialog;
    const DialogRequest help = DialogRequest::Help;
    const DialogRequest version = DialogRequest::Version;
    const DialogRequest unknown = DialogRequest::UnknownOption;
    const std::vector<Case> cases = {
        {{}, open, "", {}, {}},
        {{"a.ce2", "dir"}, open, "", {"a.ce2", "dir"}, {}},
        {{"--help"}, help, "", {}, {}},
        {{"a.ce2", "--version", "b.ce2"}, version, "", {"a.ce2", "b.ce2"}, {}},
        // The first option decides.
        {{"--version", "--help"}, version, "", {}, {}},
        {{"--help", "--bogus"}, help, "", {}, {}},
        {{"--bogus", "--help"}, unknown, "--bogus", {}, {}},
        {{"-h"}, unknown, "-h", {}, {}},
        {{"--help=x"}, unknown, "--help=x", {}, {}},
        // "--" ends the options; "-" alone is a path.
        {{"--", "--help", "-x", "--"}, open, "", {"--help", "-x", "--"}, {}},
        {{"-", "a.ce2"}, open, "", {"-", "a.ce2"}, {}},
        // The toolkit's options, with one dash or two, keep their values and are no paths.
        {{"-platform", "offscreen", "a.ce2"}, open, "", {"a.ce2"}, {"-platform", "offscreen"}},
        {{"--platform=xcb", "-reverse", "a"}, open, "", {"a"}, {"--platform=xcb", "-reverse"}},
        {{"a", "-platform"}, open, "", {"a"}, {"-platform"}},
        {{"-platform", "--help"}, open, "", {}, {"-platform", "--help"}},
        {{"--", "-platform", "x"}, open, "", {"-platform", "x"}, {}},
        // A toolkit option without a value given one, or an unknown name of it, is unknown.
        {{"-reverse=1"}, unknown, "-reverse=1", {}, {}},
        {{"-platforms"}, unknown, "-platforms", {}, {}},
    };
    for (const Case& c : cases) {
        const DialogArguments parsed = parseDialogArguments(c.arguments, kToolkit);
        const std::string line = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.request, c.request) << line;
        EXPECT_EQ(parsed.unknownOption, c.unknownOption) << line;
        EXPECT_EQ(parsed.paths, c.paths) << line;
        EXPECT_EQ(parsed.toolkitArguments, c.toolkitArguments) << line;
    }
    // Without a toolkit, its options are unknown.
    EXPECT_EQ(parseDialogArguments({"-platform", "x"}).unknownOption, "-platform");
}

// What the answers say and their statuses are checked on the programs themselves; here, the one
// case a terminal cannot stage: output that cannot be written gives status 1.
TEST(DialogArguments, UnwritableAnswerFails) {
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(answerOnTerminal(parseDialogArguments({"--version"}), "morvex", broken, err), 1);
}

}  // namespace
