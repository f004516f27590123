#pragma once
// The prompts of the figure run: a technician who confirms every question and
// types the default password. A message whose title was asked for is shown as
// the window shows it, grabbed, and closed again, without waiting for a click.

#include "core/Prompts.h"

#include <QMap>
#include <QStringList>
#include <functional>

class QWidget;

class TechnicianPrompts : public Prompts {
public:
    // Called with the box shown for the next message titled `title`.
    void captureNextMessage(const QString& title, std::function<void(QWidget&)> capture);
    // Titles of messages asked for that have not come.
    QStringList pendingCaptures() const { return captures_.keys(); }
    // The file every file chooser answers with, and the folder every folder chooser answers with.
    void setChosenFile(const QString& path) { chosenFile_ = path; }
    void setChosenDirectory(const QString& path) { chosenDirectory_ = path; }
    // "title: text" of every message, in order; the run prints them when a figure fails.
    const QStringList& messages() const { return messages_; }

    Button message(Kind kind, QObject* owner, const QString& title, const QString& text, Buttons buttons,
                   Button defaultButton) override;
    std::optional<QString> textInput(QObject* owner, const QString& title, const QString& label, Echo echo,
                                     const QString& text) override;
    QString openFileName(QObject*, const QString&, const QString&, const QString&) override { return chosenFile_; }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QObject*, const QString&, const QString&) override { return chosenDirectory_; }
    void showNote(QObject*, const QString&, const QString&) override {}
    void closeNote() override {}

private:
    QMap<QString, std::function<void(QWidget&)>> captures_;
    QString chosenFile_;
    QString chosenDirectory_;
    QStringList messages_;
};
