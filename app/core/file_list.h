#pragma once

#include <functional>
#include <string>
#include <vector>

// Whether path a comes before path b in the list: the front end's case-insensitive order.
using PathOrder = std::function<bool(const std::string& a, const std::string& b)>;

// The files to convert, in list order: sorted, the same path as often as it was given. A drop or
// a confirmed open-file dialog replaces the whole list. Paths are UTF-8.
class FileList {
  public:
    explicit FileList(PathOrder before) : before_(std::move(before)) {}

    const std::vector<std::string>& paths() const { return paths_; }
    // For each path, the path the user gave that it was found under: the dropped or chosen folder
    // above it, or the file itself (see outputPathFor).
    const std::vector<std::string>& roots() const { return roots_; }

    // Replaces the list with the dropped paths that end in ".ce2" in any letter case and the
    // .ce2 files found below the dropped folders (findSources), in list order; other files are
    // left out. A drop of nothing leaves the list as it was and gives false.
    bool drop(const std::vector<std::string>& dropped);

    // Replaces the list with every chosen file, and the .ce2 files found below each chosen
    // folder, in list order.
    void choose(const std::vector<std::string>& chosen);

  private:
    struct Found {
        std::string path;
        std::string root;
    };
    static void addFound(const std::string& given, std::vector<Found>& found);
    void replace(std::vector<Found> found);

    PathOrder before_;
    std::vector<std::string> paths_;
    std::vector<std::string> roots_;
};
