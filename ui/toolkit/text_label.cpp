#include "ui/toolkit/text_label.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>

#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

// Only files on this machine can be installed; a web link or a file of a
// remote share is refused while it is dragged, so the cursor says so.
bool HoldsOnlyLocalFiles(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    return !urls.isEmpty() &&
           std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

TextLabel::TextLabel(const QString& text, int fontSize, QColor color, QWidget* parent)
    : QWidget(parent), m_text(text), m_color(color) {
    setFont(SkinFont(fontSize));
    setAttribute(Qt::WA_TranslucentBackground);
}

void TextLabel::setText(const QString& text) {
    if (text != m_text) {
        m_text = text;
        update();
    }
}

void TextLabel::setColor(QColor color) {
    m_color = color;
    update();
}

void TextLabel::setFontSize(int size, bool bold) {
    setFont(SkinFont(size, bold));
    update();
}

void TextLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

void TextLabel::setWordWrap(bool wrap) {
    m_wordWrap = wrap;
    update();
}

void TextLabel::setElide(bool elide) {
    m_elide = elide;
    update();
}

int TextLabel::wrappedHeight(int width) const {
    QTextLayout layout;
    return layOutWrapped(layout, font(), width);
}

int TextLabel::wrappedLineCount(int width) const {
    QTextLayout layout;
    layOutWrapped(layout, font(), width);
    return layout.lineCount();
}

int TextLabel::layOutWrapped(QTextLayout& layout, const QFont& font, int width) const {
    QString text = shownText();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(text);
    layout.setFont(font);
    QTextOption option(m_alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const int pitch = SkinLinePitch(font.pixelSize());
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        // The font's own line is taller than the pitch; the difference is
        // shared above and below the glyphs.
        line.setPosition(QPointF(0, lines * pitch + (pitch - line.height()) / 2));
        ++lines;
    }
    layout.endLayout();
    return lines * pitch;
}

void TextLabel::setLink(QColor hoverColor) {
    m_link = true;
    m_hoverColor = hoverColor;
    setClickable(true);
}

void TextLabel::setClickable(bool clickable) {
    m_clickable = clickable;
    setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TextLabel::setAcceptsFiles(bool accepts) {
    setAcceptDrops(accepts);
}

void TextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = this->font();
    const bool hot = m_link && m_hovered;
    if (hot) {
        font.setUnderline(true);
    }
    painter.setFont(font);
    painter.setPen(hot ? m_hoverColor : m_color);
    if (m_wordWrap) {
        QTextLayout layout;
        const int height = layOutWrapped(layout, font, width());
        int top = 0;
        if (m_alignment & Qt::AlignBottom) {
            top = this->height() - height;
        } else if (m_alignment & Qt::AlignVCenter) {
            top = (this->height() - height) / 2;
        }
        layout.draw(&painter, QPointF(0, top));
        return;
    }
    QString shown = shownText();
    if (m_elide) {
        shown = painter.fontMetrics().elidedText(shown, Qt::ElideRight, width());
    }
    painter.drawText(rect(), int(m_alignment), shown);
}

QString TextLabel::shownText() const {
    return QString(m_text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void TextLabel::enterEvent(QEnterEvent*) {
    m_hovered = true;
    if (m_link) {
        update();
    }
}

void TextLabel::leaveEvent(QEvent*) {
    m_hovered = false;
    m_pressed = false;
    if (m_link) {
        update();
    }
}

void TextLabel::mousePressEvent(QMouseEvent* event) {
    if (m_clickable && event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TextLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) {
        emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TextLabel::dragEnterEvent(QDragEnterEvent* event) {
    if (HoldsOnlyLocalFiles(*event->mimeData())) {
        event->acceptProposedAction();
        setDragHovered(true);
    }
}

void TextLabel::dragMoveEvent(QDragMoveEvent* event) {
    if (HoldsOnlyLocalFiles(*event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TextLabel::dragLeaveEvent(QDragLeaveEvent*) {
    setDragHovered(false);
}

void TextLabel::dropEvent(QDropEvent* event) {
    setDragHovered(false);
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths.join(QStringLiteral("\r\n")));
}

void TextLabel::setDragHovered(bool hovered) {
    if (hovered != m_dragHovered) {
        m_dragHovered = hovered;
        emit dragHoverChanged(hovered);
    }
}

}  // namespace qvpc::ui
