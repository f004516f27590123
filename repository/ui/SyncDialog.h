#pragma once

#include "repository/RepositoryPush.h"

#include <QDialog>
#include <memory>

namespace Ui { class SyncDialogClass; }

// Shows a push to the fleet repository: downloads and bytes sent so far.
// Cancel stops it (the download under way is rolled back); the dialog closes
// itself when the push has finished, and outcome() tells how it went.
class SyncDialog : public QDialog {
    Q_OBJECT
public:
    SyncDialog(QWidget* parent, const QString& conninfo, const QString& dataRoot, const repository::Station& station);
    ~SyncDialog() override;

    const repository::PushOutcome& outcome() const { return push_.outcome(); }

public slots:
    void reject() override;

private:
    void showProgress(int downloadsDone, int downloads, qint64 bytesDone, qint64 bytes);

    std::unique_ptr<Ui::SyncDialogClass> ui_;
    repository::RepositoryPush push_;
};
