#include "ui/desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QStringList>
#include <QUrl>
#include <QWidget>

namespace qvpc::ui {
namespace {

constexpr int kFileManagerTimeoutMs = 3000;

bool ShowItemInFileManager(const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

QRect ScreenGeometryOf(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    return screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
}

void OpenUrlInBrowser(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void RevealInFileManager(const QString& path) {
    if (ShowItemInFileManager(path)) {
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

QString ChooseFileToInstall(QWidget* owner, const QString& title, const QString& startDir) {
    return QFileDialog::getOpenFileName(owner, title, startDir,
                                        QString::fromUtf8("安卓应用(*.apk);;所有文件(*)"));
}

QString QtFilterOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << (description.endsWith(QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QString ChooseSaveFile(QWidget* owner, const QString& title, const QString& startDir,
                       const QString& filter, int filterIndex) {
    const QString qtFilter = QtFilterOf(filter);
    QString selected = qtFilter.split(QStringLiteral(";;")).value(std::max(1, filterIndex) - 1);
    // The dialog may change the current directory; the program expects it kept.
    const QString current = QDir::currentPath();
    QString chosen =
        QFileDialog::getSaveFileName(owner, title.isEmpty() ? QString::fromUtf8("保存文件") : title,
                                     startDir.isEmpty() ? current : startDir, qtFilter, &selected);
    QDir::setCurrent(current);
    return chosen;
}

}  // namespace qvpc::ui
