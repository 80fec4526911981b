#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace qvpc::ui {

// Keeps a second copy of the program from running. The first start holds a
// lock file and listens on a local socket of the given name; a later start
// finds the lock held, asks the first one over the socket to raise its window
// and is told to end.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);

    // True when this is the only running copy; otherwise the running copy has
    // been asked to come to the front.
    bool claim();

  signals:
    void raiseRequested();

  private:
    void onNewConnection();

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

}  // namespace qvpc::ui
