#pragma once

#include "ui/page.h"

namespace qvpc::ui {

class BusyIndicator;
class ContextMenu;
class ImageBox;
class ImageButton;

// Page 1: the busy picture with a title and a hint, or the TV screenshot with
// its right-click menu and a small close button in its top right corner, so
// that the way out does not hide in the menu.
class BusyPage : public Page {
    Q_OBJECT

  public:
    enum class MenuItem { Refresh, SaveAs, OpenFolder, Close };

    explicit BusyPage(QWidget* parent);

    // Busy mode shows picture, title and hint; screenshot mode only the screenshot.
    void setScreenshotMode(bool screenshot);
    bool isScreenshotMode() const;
    void setTitle(const QString& title);
    void setHint(const QString& hint);
    QString title() const;
    QString hint() const;

    // Loads the PNG into the screenshot picture; an empty path clears it.
    void setScreenshot(const QString& pngPath);

    ContextMenu& menu() { return *m_menu; }
    BusyIndicator& indicator() { return *m_indicator; }
    ImageBox& screenshot() { return *m_screenshot; }
    ImageButton& closeButton() { return *m_close; }

  signals:
    void menuChosen(qvpc::ui::BusyPage::MenuItem item);

  private:
    ImageBox* m_screenshot;
    ContextMenu* m_menu;
    ImageButton* m_close;
    BusyIndicator* m_indicator;
    TextLabel* m_title;
    TextLabel* m_hint;
};

}  // namespace qvpc::ui
