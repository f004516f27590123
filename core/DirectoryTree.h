#pragma once

#include <QString>

// Deletes a directory with everything below it except hidden entries; a
// directory still holding one stays. Symbolic links, the path itself
// included, are removed as links: what they point to is never touched.
// Returns true when something could not be deleted. A missing directory is
// no failure.
bool removeDirectoryTree(const QString& path);
