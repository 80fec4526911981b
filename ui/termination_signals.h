#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

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
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace qvpc::ui
