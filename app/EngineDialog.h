#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class EngineDialogBase; }

// Maintains the engine type names that the download request offers.
class EngineDialog : public QDialog {
    Q_OBJECT
public:
    explicit EngineDialog(QWidget* parent = nullptr);
    ~EngineDialog() override;

private slots:
    void on_buttonAdd_clicked();
    void on_buttonDel_clicked();
    void on_engineLW_currentTextChanged(const QString& type);

private:
    std::unique_ptr<Ui::EngineDialogBase> ui_;
};
