#pragma once
// Copies an engine's downloads from the fleet repository into a local data
// tree (<root>/<registration>_data/engine_<n>/), where the plot window and the
// flight index find them. A file that is there already with the same bytes is
// skipped; a different file of the same name, or a download writing that set
// right now, makes the whole set take the next free suffix ("…-1425-2.raw"
// with "…-1425-2.txt" reports), so nothing local is replaced. Each set is
// reserved while it is written, with the download session's lock
// (core/FileSetStamp.h).

#include <QString>
#include <QStringList>

namespace repository {

class PgConnection;

struct FetchOutcome {
    QStringList written;  // paths of the files written
    int skipped = 0;  // files already there
    QString failure;  // empty when every download was copied
};

FetchOutcome fetchEngine(PgConnection& connection, const QString& engineKey, const QString& dataRoot);

// The name with "-<n>" before its extension; n = 1 leaves it as it is.
QString withSuffix(const QString& name, int n);

}  // namespace repository
