#pragma once
// What the benchmark programs share: prompts that never block, and a console
// reporter that keeps the medians for the summary lines.

#include "core/Prompts.h"

#include <benchmark/benchmark.h>
#include <map>
#include <string>

// Answers every box with its default button and shows nothing. Every message
// is counted; critical boxes and warnings also count as failures.
class QuietPrompts : public Prompts {
public:
    int messages = 0;
    int failures = 0;
    QString lastFailure;

    QMessageBox::StandardButton message(Kind kind, QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton defaultButton) override;
    std::optional<QString> textInput(QWidget*, const QString&, const QString&, QLineEdit::EchoMode,
                                     const QString&) override
    {
        return std::nullopt;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QWidget*, const QString&, const QString&, QFileDialog::Options) override
    {
        return {};
    }
    int exec(QDialog&) override { return 0; }
    void showNote(QWidget*, const QString&, const QString&) override {}
    void closeNote() override {}
};

// Shows the runs as usual and keeps the medians of each benchmark, in seconds.
class MedianKeeper : public benchmark::ConsoleReporter {
public:
    struct Median {
        double real = 0.0;
        double cpu = 0.0;
    };
    std::map<std::string, Median> medians;

    MedianKeeper();
    void ReportRuns(const std::vector<Run>& reports) override;
};
