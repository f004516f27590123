#include "cli/CliProgress.h"

#include "cli/CliConsole.h"
#include "download/DownloadSession.h"
#include "firmware/FirmwareUpload.h"

CliProgress::CliProgress(DownloadSession& session)
{
    connect(&session, &DownloadSession::statusChanged, this, &CliProgress::stepEnded);
    connect(&session, &DownloadSession::progressLabelChanged, this, [this](const QString& text) {
        step_ = text;
        transfer_.clear();
        draw();
    });
    connect(&session, &DownloadSession::progressRangeChanged, this, [this](int maximum) { maximum_ = maximum; });
    connect(&session, &DownloadSession::progressChanged, this, [this](int value) {
        value_ = value;
        draw();
    });
    connect(&session, &DownloadSession::transferChanged, this, [this](const QString& text) {
        transfer_ = text;
        draw();
    });
}

CliProgress::CliProgress(FirmwareUpload& upload)
{
    connect(&upload, &FirmwareUpload::statusChanged, this, [this](int, const QString& text) { uploadStatus(text); });
    connect(&upload, &FirmwareUpload::progressChanged, this, [this](int value, int maximum) {
        value_ = value;
        maximum_ = maximum;
        draw();
    });
    connect(&upload, &FirmwareUpload::rateChanged, this, [this](const QString& text) {
        transfer_ = text;
        draw();
    });
}

CliProgress::~CliProgress() { console::clearBar(); }

// A step's row as the progress dialog shows it: "Downloading Bearing Data: Done".
void CliProgress::stepEnded(int step, const QString& status)
{
    console::message(QStringLiteral("%1 %2").arg(DownloadSession::stepTitle(step), status));
}

// Each packet's text would flood a log: only the first and the last packet's are kept.
void CliProgress::uploadStatus(const QString& text)
{
    step_ = text;
    const int packet = value_ + 1;  // its progress follows its text
    const bool inBetween = text == FirmwareUpload::packetStatus(packet, maximum_) && packet > 1 && packet < maximum_;
    if (!console::drawsBar() && !inBetween)
        console::message(text);
    draw();
}

void CliProgress::draw()
{
    if (!console::drawsBar())
        return;
    QString text = console::bar(value_, maximum_);
    if (!transfer_.isEmpty())
        text += QStringLiteral("  ") + transfer_;
    console::showBar(text + QStringLiteral("  ") + step_);
}
