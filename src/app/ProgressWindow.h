#pragma once

#include <QDialog>
#include <functional>

#include "backup/Backup.h"

class NoticePanel;
class QLabel;
class QProgressBar;

// msg進行状況: waits for long work that runs on a worker thread. It is modal and, while it
// waits, drops every click, key and close request meant for another window, so that nothing of
// the menu runs beside the work; the progress lines go into the notice panel.
class ProgressWindow final : public QDialog {
    Q_OBJECT
public:
    using Work = std::function<BackupResult(const BackupProgress&, const StopToken&)>;
    ProgressWindow(NoticePanel* notice, QWidget* parent);
    // Runs the work on a worker and returns its result once it has ended.
    BackupResult run(const Work& work);
    // Asks the work to stop at its next step (the program is being ended).
    StopToken& stopToken() { return stop_; }

protected:
    void reject() override {}  // the work ends on its own, not by a key or the close box
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showStep(const BackupStep& step);

    NoticePanel* notice_;
    QLabel* table_;
    QProgressBar* bar_;
    StopToken stop_;
};
