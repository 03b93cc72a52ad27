#include "packaging/windows/path_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The installer's PATH edits: the folder added once, and taken out again leaving every other
// character of the value as it was.
namespace {

TEST(PathList, AddAndRemove) {
    const std::wstring folder = L"C:\\Program Files\\MORVEX";
    struct Case {
        std::wstring path;
        std::wstring added;    // pathWithEntry(path, folder)
        std::wstring removed;  // pathWithoutEntry(path, folder)
    };
    const std::wstring longPath(2000, L'x');
    const std::vector<Case> cases = {
        {L"", folder, L""},
        {L"C:\\a", L"C:\\a;" + folder, L"C:\\a"},
        {L"C:\\a;", L"C:\\a;;" + folder, L"C:\\a;"},
        {L"C:\\a;;%SystemRoot%", L"C:\\a;;%SystemRoot%;" + folder, L"C:\\a;;%SystemRoot%"},
        {longPath, longPath + L";" + folder, longPath},
        // Present already, in another letter case or with a trailing "\": left alone, and taken
        // out wherever it stands.
        {L"c:\\program files\\morvex", L"c:\\program files\\morvex", L""},
        {L"C:\\a;C:\\Program Files\\MORVEX\\;C:\\b", L"C:\\a;C:\\Program Files\\MORVEX\\;C:\\b",
         L"C:\\a;C:\\b"},
        {folder + L";C:\\b;" + folder, folder + L";C:\\b;" + folder, L"C:\\b"},
        // A longer folder that begins with it is another folder.
        {folder + L"2", folder + L"2;" + folder, folder + L"2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pathWithEntry(c.path, folder), c.added) << c.path.size();
        EXPECT_EQ(pathWithoutEntry(c.path, folder), c.removed) << c.path.size();
    }
    // Added, then removed: the value as it was.
    for (const Case& c : cases) {
        if (c.added != c.path) {
            EXPECT_EQ(pathWithoutEntry(c.added, folder), c.path) << c.path.size();
        }
    }
}

}  // namespace
