#include "ui/progress_popup.h"

#include <QPainter>
#include <algorithm>

#include "ui/desktop.h"
#include "ui/icons.h"
#include "ui/pictures.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/progress_bar.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"
#include "ui/toolkit/window_translucency.h"

namespace qvpc::ui {
namespace {

constexpr QSize kSize(400, 240);

TextLabel* WhiteLabel(QWidget* parent, int size, const QRect& geometry) {
    auto* label = new TextLabel({}, size, Qt::white, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

int RingPercentOf(const QString& label) {
    const QString text = label.trimmed();
    int digits = 0;
    while (digits < text.size() && digits < 4 && text[digits].isDigit()) {
        ++digits;
    }
    return std::clamp(text.left(digits).toInt(), 0, 100);
}

QString DisplayNameOf(const QString& path) {
    int start = 0;
    for (int i = 0; i + 1 < path.size(); ++i) {
        const QChar c = path[i];
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')) {
            start = i + 1;
        }
    }
    const QString name = path.mid(start);
    int dot = -1;
    for (int i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('.')) {
            dot = i;
        } else if (name[i] == QLatin1Char(' ')) {
            dot = -1;
        }
    }
    return dot < 0 ? name : name.left(dot);
}

ProgressPopup::ProgressPopup(QWidget* owner, std::function<void(bool)> onOpenChanged)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      m_owner(owner),
      m_onOpenChanged(std::move(onOpenChanged)),
      m_rounded(TranslucentWindowsShow()) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kSize);

    m_ring = new ImageBox(this);
    m_ring->setGeometry(130, 30, 139, 139);
    m_ring->setArtwork(pictures::PopupRing(0));
    m_percent = WhiteLabel(this, 24, {166, 69, 67, 67});
    m_installLabel = WhiteLabel(this, 18, {30, 186, 340, 30});
    m_installLabel->setText(QString::fromUtf8("正在安装... ..."));
    m_installLabel->setElide(true);
    m_progress = new ProgressBar(QColor::fromRgb(skin::kAccent), QColor(0x5b, 0x65, 0x79), this);
    m_progress->setGeometry(60, 176, 280, 16);
    m_close = new ImageButton({}, pictures::PopupClose(), this);
    m_close->setGeometry(345, 0, 48, 42);
    m_message = WhiteLabel(this, 24, {0, 84, 400, 60});
    m_message->setWordWrap(true);
    m_ok = new ImageButton(QString::fromUtf8("确定"), ButtonSkin::primary(), this);
    m_ok->setGeometry(155, 176, 90, 40);
    m_title = WhiteLabel(this, 24, {0, 62, 400, 30});
    m_title->setElide(true);

    connect(m_close, &ImageButton::clicked, this, &ProgressPopup::closeClicked);
    connect(m_ok, &ImageButton::clicked, this, &ProgressPopup::ClosePopup);
}

void ProgressPopup::ShowInstalling(const QString& message, bool closeVisible) {
    m_installLabel->setText(message);
    m_close->setVisible(closeVisible);
    open(Mode::Installing);
}

void ProgressPopup::ShowDownloading(const QString& targetPath, const QString& status) {
    m_title->setText(status + DisplayNameOf(targetPath));
    m_close->hide();
    open(Mode::Downloading);
}

void ProgressPopup::ShowPrompt(const QString& message) {
    m_message->setText(message);
    m_close->hide();
    open(Mode::Prompt);
}

void ProgressPopup::ClosePopup() {
    if (!m_open) {
        return;
    }
    m_open = false;
    hide();
    if (m_onOpenChanged) {
        m_onOpenChanged(false);
    }
}

QString ProgressPopup::percentText() const {
    return m_percent->text();
}

void ProgressPopup::setPercentText(const QString& text) {
    m_percent->setText(text);
    m_ring->setArtwork(pictures::PopupRing(RingPercentOf(text)));
}

void ProgressPopup::setDownloadProgress(int percent) {
    m_progress->setValue(percent);
}

QPoint ProgressPopup::Position(const QRect& mainWindow, const QRect& screen) {
    int x = mainWindow.left() + (mainWindow.width() - kSize.width()) / 2;
    int y = mainWindow.top() + (mainWindow.height() - kSize.height()) / 2;
    if (x > screen.left() + screen.width() - 50) {
        x = screen.left() + (screen.width() - kSize.width()) / 2;
    }
    if (y > screen.top() + screen.height() - 50) {
        y = screen.top() + (screen.height() - kSize.height()) / 2;
    }
    return {x, y};
}

void ProgressPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       pictures::DialogBackground(m_rounded).pixmap(size(), devicePixelRatioF()));
    if (m_mode == Mode::Downloading) {
        // The download's emblem fills the room between the title and the bar.
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF centre(200, 134);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 22));
        painter.drawEllipse(centre, 26, 26);
        icons::Download(painter, QRectF(centre.x() - 15, centre.y() - 16, 30, 30),
                        QColor::fromRgb(skin::kAccent));
    }
}

void ProgressPopup::open(Mode mode) {
    m_mode = mode;
    const bool installing = mode == Mode::Installing;
    const bool downloading = mode == Mode::Downloading;
    const bool prompt = mode == Mode::Prompt;
    m_ring->setVisible(installing);
    m_percent->setVisible(installing);
    m_installLabel->setVisible(installing);
    m_progress->setVisible(downloading);
    m_title->setVisible(downloading);
    m_message->setVisible(prompt);
    m_ok->setVisible(prompt);
    update();
    if (m_open) {
        return;
    }
    // A fresh opening starts from a clean popup, as a newly made window would.
    setPercentText({});
    m_progress->setValue(0);
    m_open = true;
    move(Position(m_owner ? m_owner->frameGeometry() : QRect(), ScreenGeometryOf(m_owner)));
    if (m_onOpenChanged) {
        m_onOpenChanged(true);
    }
    show();
    raise();
}

}  // namespace qvpc::ui
