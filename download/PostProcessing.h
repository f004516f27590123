#pragma once
// What the download session does with each answer once it is complete. Each
// step reads the normalised answer named in the link context and deletes it.
// Each returns an empty text when everything it had to write is safely on
// disk, otherwise why not (the session shows it once, with its summary).

#include "download/ReportContext.h"
#include "download/SessionFiles.h"

#include <optional>

struct LinkContext;

// The session's shared state for post-processing: the report context and the
// file names, fixed when the first step that writes files starts.
struct SessionRecord {
    ReportContext context;
    std::optional<SessionFiles> files;  // set by reserveFiles()
    ProgressCallback progress;

    // Takes the session date-time and reserves the file names in the engine
    // directory, on first use. Returns why not, empty once files is set.
    QString reserveFiles();
};

QString extractAlgoStatus(LinkContext& link, SessionRecord& session);
QString reformatData(LinkContext& link, SessionRecord& session);
QString extractFlightHistoryData(LinkContext& link, SessionRecord& session);
