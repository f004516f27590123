#pragma once
// Progress on standard error: on a terminal a bar with the bytes, the rate
// and the step, redrawn in place; otherwise one line per step, for logs.

#include <QObject>
#include <QString>

class DownloadSession;
class FirmwareUpload;

class CliProgress : public QObject {
    Q_OBJECT
public:
    // Shows the session's steps and the transfer of each answer.
    explicit CliProgress(DownloadSession& session);
    // Shows the upload's packets and its rate.
    explicit CliProgress(FirmwareUpload& upload);
    ~CliProgress() override;

private:
    void stepEnded(int step, const QString& status);
    void uploadStatus(const QString& text);
    void draw();

    QString step_;      // what runs now
    QString transfer_;  // "1.2 of 5.9 MB, 4.8 MB/s" or "12.5 kB/s, 0:42 left"
    int value_ = 0;
    int maximum_ = 100;
};
