#pragma once

#include <QString>

// The file operations on the project's folders. Each one that fails (a
// missing file, an existing target, a folder that is not empty) changes
// nothing and reports nothing, as the set's operations expect.
namespace ProjectFiles {

void deleteFile(const QString &path);
// Never replaces an existing file.
void renameFile(const QString &from, const QString &to);
// Only an empty folder is removed.
void removeFolder(const QString &path);

} // namespace ProjectFiles
