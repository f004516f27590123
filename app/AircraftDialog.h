#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class AircraftDialogBase; }

// Adds, updates and removes aircraft; removing one also deletes its data directory.
class AircraftDialog : public QDialog {
    Q_OBJECT
public:
    explicit AircraftDialog(QWidget* parent = nullptr);
    ~AircraftDialog() override;

public slots:
    void removeAircraft(QString aircraftName);

private slots:
    void on_buttonAdd_clicked();
    void on_buttonDel_clicked();
    void on_buttonUpdate_clicked();
    void on_aircraftList_currentTextChanged(const QString& registration);
    void on_aircraftId_textChanged();

private:
    void enableEditing(bool enabled);
    void reportFailure(const QString& text);
    QString overlongDetailsProblem() const;  // shop id and comment
    QString overlongTextProblem() const;     // registration, shop id and comment

    std::unique_ptr<Ui::AircraftDialogBase> ui_;
};
