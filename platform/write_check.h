#pragma once

#include <string>

#include "platform/atomic_file.h"

// Foreseeing why writing a file would fail, without writing anything: a dry run says what the
// real run would. The file system is asked what it already shows (the kind of the target and of
// the folders above it, permissions for the process's effective user, a read-only file system,
// the length of names and paths), in the order in which the real write meets them. What only
// writing shows is not foreseen: a full disk or quota, a file system without temporaries that have
// no name, whatever changes between the check and the write.

// What writing `path` through an AtomicFile would fail with, found without writing anything;
// Cause::None when nothing stands in the way that can be seen beforehand. With makeFolders, the
// missing folders above path are taken as created first, as makeParentDirectories does.
WriteFailure predictWriteFailure(const std::string& path, bool makeFolders);

// The errno with which makeParentDirectories(path, ...) would fail, or 0; creates nothing.
int predictParentDirectories(const std::string& path);
