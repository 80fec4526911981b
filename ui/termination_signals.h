#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "base/unique_fd.h"

namespace qvpc::ui {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the event loop, so
// the shutdown still ends the program's shell and its ADB server when the
// session ends or someone asks the program to stop.
class TerminationSignals : public QObject {
    Q_OBJECT

  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

  signals:
    void terminationRequested();

  private:
    // The signal handler writes to one end; the event loop reads the other.
    UniqueFd m_handlerEnd;
    UniqueFd m_notifiedEnd;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace qvpc::ui
