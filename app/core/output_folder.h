#pragma once

#include <string>

// The folder that receives a run's outputs, when the user names one (the CLI's --output-dir, the
// dialogs' output folder); without one, each output lies beside its source.

// Where the output of `source` goes when it was found under `root`, the path the user gave (the
// source itself, or a folder above it): beside the source when outputFolder is empty; else in
// outputFolder at the source's path below root (its name alone when root is the source itself),
// joined with the system's separator.
std::string outputPathFor(const std::string& source, const std::string& root,
                          const std::string& outputFolder);

// Makes sure the output folder exists as a folder (in a dry run: that it could be created). Empty
// when it does or none is named; else why not, in the user's language ("not a directory",
// "cannot be created: Permission denied").
std::string prepareOutputFolder(const std::string& folder, bool dryRun);
