#pragma once

#include "ui/page.h"

namespace qvpc::ui {

class ImageBox;

// Page 8: the drop area for APK files (click to browse) and "返回".
class RemoteInstallPage : public Page {
    Q_OBJECT

  public:
    explicit RemoteInstallPage(QWidget* parent);

    TextLabel& dropArea() { return *m_dropArea; }

  signals:
    void filesDropped(const QString& text);
    void dropAreaClicked();

  private:
    ImageBox* m_panel;
    TextLabel* m_dropArea;
};

}  // namespace qvpc::ui
