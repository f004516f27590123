#pragma once
// The three text reports made from one engine-data answer. Each is written
// under a temporary name and renamed to its path when complete; each returns
// its failure text, empty on success.

#include "download/ReportContext.h"

#include <QString>

QString writeCampbellReport(const QString& path, const ReportContext& context,
                            const EngineDataImage& image);
QString writeSteadyStateReport(const QString& path, const ReportContext& context,
                               const EngineDataImage& image, const ProgressCallback& progress);
QString writeTransientReport(const QString& path, const ReportContext& context,
                             const EngineDataImage& image, const ProgressCallback& progress);
