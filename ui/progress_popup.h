#pragma once

#include <QWidget>
#include <functional>

namespace qvpc::ui {

class ImageBox;
class ImageButton;
class ProgressBar;
class TextLabel;

// The one progress popup of the program: a 400 × 240 slate window over the
// main window in one of three modes. Showing it while it is open only
// switches the mode and the texts. While it is open the main window is
// disabled and dimmed (through the hook the window gives it).
class ProgressPopup : public QWidget {
    Q_OBJECT

  public:
    enum class Mode { Installing, Downloading, Prompt };

    // owner: the main window; onOpenChanged(true/false) disables and dims it.
    ProgressPopup(QWidget* owner, std::function<void(bool)> onOpenChanged);

    void ShowInstalling(const QString& message, bool closeVisible);          // "安装"
    void ShowDownloading(const QString& targetPath, const QString& status);  // "下载"
    void ShowPrompt(const QString& message);                                 // "提示"
    void ClosePopup();

    bool isOpen() const { return m_open; }
    Mode mode() const { return m_mode; }

    QString percentText() const;
    void setPercentText(const QString& text);
    void setDownloadProgress(int percent);

    // The place over a main window: centred, or centred on the screen along
    // an axis where it would start within 50 pixels of the screen's edge.
    static QPoint Position(const QRect& mainWindow, const QRect& screen);

    // The controls, for the window's dispatcher and for tests.
    ImageBox& ring() { return *m_ring; }
    TextLabel& percentLabel() { return *m_percent; }
    TextLabel& installLabel() { return *m_installLabel; }
    ProgressBar& progressBar() { return *m_progress; }
    ImageButton& closeButton() { return *m_close; }
    TextLabel& messageLabel() { return *m_message; }
    ImageButton& okButton() { return *m_ok; }
    TextLabel& titleLabel() { return *m_title; }

  signals:
    // The close button was clicked; the window's dispatcher decides what follows.
    void closeClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void open(Mode mode);

    QWidget* m_owner;
    std::function<void(bool)> m_onOpenChanged;
    Mode m_mode = Mode::Installing;
    bool m_open = false;
    bool m_rounded;  // as the boxes: only where translucent windows show
    ImageBox* m_ring;
    TextLabel* m_percent;
    TextLabel* m_installLabel;
    ProgressBar* m_progress;
    ImageButton* m_close;
    TextLabel* m_message;
    ImageButton* m_ok;
    TextLabel* m_title;
};

// The share of the ring that a percent label fills: its leading number, 0..100
// ("63%" fills 63); a label without a number leaves the ring empty.
int RingPercentOf(const QString& label);

// The file name of a path without its extension, as the download title shows
// it: the text after the last "/", "\" or ":", cut at the last "." that no
// separator or space follows.
QString DisplayNameOf(const QString& path);

}  // namespace qvpc::ui
