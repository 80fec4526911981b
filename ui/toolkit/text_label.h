#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QTextLayout;

namespace qvpc::ui {

// A text control of the skin: one font size, one "#" colour, an alignment.
// It can act as a link (hover colour, click) and can accept dropped local
// files, which it reports as their paths joined by "\r\n".
class TextLabel : public QWidget {
    Q_OBJECT

  public:
    TextLabel(const QString& text, int fontSize, QColor color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    void setColor(QColor color);
    QColor color() const { return m_color; }
    void setFontSize(int size, bool bold = false);
    void setAlignment(Qt::Alignment alignment);
    void setWordWrap(bool wrap);
    // A single line too long for the label ends in "…" instead of being cut.
    void setElide(bool elide);
    // The height the text takes when word-wrapped at this width: its lines
    // at the skin's line pitch.
    int wrappedHeight(int width) const;
    int wrappedLineCount(int width) const;

    // Link look: the pointing hand, the hover colour and an underline on hover.
    void setLink(QColor hoverColor);
    void setClickable(bool clickable);
    void setAcceptsFiles(bool accepts);

    bool isDragHovered() const { return m_dragHovered; }

  signals:
    void clicked();
    void filesDropped(const QString& text);
    void dragHoverChanged(bool hovered);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QString shownText() const;  // with "\r\n" line ends as Qt breaks lines
    // Wraps the text into lines at the skin's pitch; gives their height.
    int layOutWrapped(QTextLayout& layout, const QFont& font, int width) const;
    void setDragHovered(bool hovered);

    QString m_text;
    QColor m_color;
    QColor m_hoverColor;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_wordWrap = false;
    bool m_elide = false;
    bool m_link = false;
    bool m_clickable = false;
    bool m_hovered = false;
    bool m_pressed = false;
    bool m_dragHovered = false;
};

}  // namespace qvpc::ui
