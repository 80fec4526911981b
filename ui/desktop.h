#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace qvpc::ui {

// The desktop services behind the window: the default browser, the file
// manager and the file dialogs.
void OpenUrlInBrowser(const QString& url);

// The geometry of the screen a window is on, which the boxes and the popup
// keep themselves inside; 1920 × 1080 where there is none to ask.
QRect ScreenGeometryOf(const QWidget* widget);

// Opens a file-manager window on the file's folder with the file selected
// (the freedesktop FileManager1 service), or just the folder where no file
// manager offers that.
void RevealInFileManager(const QString& path);

// An APK to install; empty when cancelled.
QString ChooseFileToInstall(QWidget* owner, const QString& title, const QString& startDir);

// A file to save to. filter is the described "description|pattern|..." list;
// filterIndex is 1-based. Empty when cancelled.
QString ChooseSaveFile(QWidget* owner, const QString& title, const QString& startDir,
                       const QString& filter, int filterIndex);

// The described filter list as Qt's: "PNG图片(*.png)|*.png|所有文件(*.*)|*.*"
// becomes "PNG图片(*.png);;所有文件(*.*)". A description without its
// patterns in brackets gets them appended.
QString QtFilterOf(const QString& filter);

}  // namespace qvpc::ui
