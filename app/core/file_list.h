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

    // Replaces the list with the dropped paths that end in ".ce2" in any letter case and the
    // .ce2 files found below the dropped folders (findSources), in list order; other files are
    // left out. A drop of nothing leaves the list as it was and gives false.
    bool drop(const std::vector<std::string>& dropped);

    // Replaces the list with every chosen file, and the .ce2 files found below each chosen
    // folder, in list order.
    void choose(const std::vector<std::string>& chosen);

  private:
    void replace(std::vector<std::string> paths);

    PathOrder before_;
    std::vector<std::string> paths_;
};
