#pragma once
// What the download session does with each answer once it is complete. Each
// step reads the normalised answer named in the link context, deletes it, and
// reports its failures in message boxes parented to the session's dialog.
// Each returns true when everything it had to write is safely on disk.

#include "download/ReportContext.h"
#include "download/SessionFiles.h"

#include <optional>

struct LinkContext;
class QWidget;

// The session's shared state for post-processing: the report context and the
// file names, fixed when the first step that writes files starts.
struct SessionRecord {
    ReportContext context;
    std::optional<SessionFiles> files;
    QWidget* parent = nullptr;
    ProgressCallback progress;

    // The session date-time and file names, taken on first use.
    const SessionFiles& sessionFiles();
};

bool extractAlgoStatus(LinkContext& link, SessionRecord& session);
bool reformatData(LinkContext& link, SessionRecord& session);
bool extractFlightHistoryData(LinkContext& link, SessionRecord& session);
