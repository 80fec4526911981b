#pragma once

#include <QWidget>
#include <atomic>

#include "base/update_command_line.h"
#include "updater/update_job.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace qvpc::updater {

// The updater's small window: the new version's notes, what the job is
// doing, how much has arrived, and at the end what happened. The job's
// reports may come from any thread.
class UpdaterWindow : public QWidget, public UpdateReport {
    Q_OBJECT

  public:
    // unseen: there is no display to show it on, so it does not wait for a
    // reader at the end.
    UpdaterWindow(const UpdateOrder& order, bool unseen);

    void status(const std::string& text) override;
    void progress(std::uint64_t received, std::uint64_t total) override;
    // Shows the outcome; a finished update closes the window by itself.
    void finish(const UpdateOutcome& outcome);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_close;
    std::atomic<int> m_percentShown{-1};
    bool m_unseen;
    bool m_finished = false;
};

}  // namespace qvpc::updater
