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
    std::optional<SessionFiles> files;
    ProgressCallback progress;

    // The session date-time and file names, taken on first use.
    const SessionFiles& sessionFiles();
};

QString extractAlgoStatus(LinkContext& link, SessionRecord& session);
QString reformatData(LinkContext& link, SessionRecord& session);
QString extractFlightHistoryData(LinkContext& link, SessionRecord& session);
