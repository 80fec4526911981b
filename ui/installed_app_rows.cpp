#include "ui/installed_app_rows.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

constexpr int kIconLeft = 30;
constexpr QSize kButtonSize{76, 30};
constexpr int kCheckSize = 18;
constexpr int kNameFont = 14;
constexpr int kDetailFont = 15;
constexpr int kColumnGap = 14;  // kept free before the next column
// A picture larger than this is no icon; decoding it would only cost time.
constexpr qsizetype kIconByteLimit = 2 * 1024 * 1024;
constexpr qint64 kIconPixelLimit = 4096LL * 4096LL;
// No column shows more than this many characters, so a hostile 100 KB name
// costs nothing to shorten.
constexpr int kShownTextLimit = 256;
const QString kDone = QString::fromUtf8("完成!");

// The icon at its square, kept in proportion, or null when the bytes hold no
// picture (empty, cut, not an image, absurdly large).
QPixmap DecodeIcon(const std::string& bytes, qreal ratio) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(kIconByteLimit)) {
        return {};
    }
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kIconPixelLimit) {
        return {};
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    const int side = qRound(InstalledAppRows::kIconSize * ratio);
    QPixmap icon =
        QPixmap::fromImage(image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon.setDevicePixelRatio(ratio);
    return icon;
}

// A field as one line of its column: line breaks and other controls become
// spaces, and what does not fit ends in an ellipsis.
QString ShownText(const std::string& text, int fontSize, int width) {
    QString line = QString::fromStdString(text).left(kShownTextLimit);
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = QLatin1Char(' ');
        }
    }
    return QFontMetrics(SkinFont(fontSize)).elidedText(line.simplified(), Qt::ElideRight, width);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

InstalledAppRows::InstalledAppRows(QWidget* parent) : OwnerDrawnList(parent) {}

void InstalledAppRows::clear() {
    m_entries.clear();
    m_hotButton = m_pressedButton = -1;
    setScrollOffset(0);
    refresh();
}

void InstalledAppRows::add(const InstalledAppRow& row) {
    Entry entry{row, DecodeIcon(row.icon, devicePixelRatioF()),
                ShownText(row.name, kNameFont, kVersionLeft - kNameLeft - kColumnGap),
                ShownText(row.version, kDetailFont, kSizeLeft - kVersionLeft - kColumnGap),
                ShownText(row.size, kDetailFont, kActionLeft - kSizeLeft - kColumnGap)};
    m_entries.push_back(std::move(entry));
    refresh();
}

const InstalledAppRow* InstalledAppRows::row(int index) const {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    return &m_entries[static_cast<std::size_t>(index)].row;
}

void InstalledAppRows::setState(int index, AppRowState state) {
    if (index < 0 || index >= count()) {
        return;
    }
    m_entries[static_cast<std::size_t>(index)].row.state = state;
    if (state == AppRowState::Done && m_hotButton == index) {
        setHotButton(-1);
    }
    update();
}

QRect InstalledAppRows::actionColumn() {
    return {kActionLeft, 0, kActionWidth, kRowHeight};
}

QRect InstalledAppRows::buttonRect() {
    const QRect column = actionColumn();
    return {column.left() + (column.width() - kButtonSize.width()) / 2,
            (kRowHeight - kButtonSize.height()) / 2, kButtonSize.width(), kButtonSize.height()};
}

QRect InstalledAppRows::itemRect(int index) const {
    return {0, index * kRowHeight, width(), kRowHeight};
}

void InstalledAppRows::paintItem(QPainter& painter, int index, const QRect& rect, ItemState) {
    const Entry& entry = m_entries[static_cast<std::size_t>(index)];
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (entry.icon.isNull()) {
        // An app without an icon of its own (or one that is no picture)
        // gets the catalog's neutral one, not a hole in the row.
        painter.drawPixmap(
            QPoint(rect.left() + kIconLeft, rect.top() + (kRowHeight - kIconSize) / 2),
            pictures::IconPlaceholder().pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    } else {
        const QSizeF shown = entry.icon.deviceIndependentSize();
        painter.drawPixmap(
            QPointF(rect.left() + kIconLeft + (kIconSize - shown.width()) / 2,
                    rect.top() + (kRowHeight - kIconSize) / 2 + (kIconSize - shown.height()) / 2),
            entry.icon);
    }

    const auto column = [&](int left, int right) {
        return QRect(rect.left() + left, rect.top(), right - left - kColumnGap, kRowHeight);
    };
    painter.setFont(SkinFont(kNameFont));
    painter.setPen(QColor::fromRgb(skin::kTextBlack));
    painter.drawText(column(kNameLeft, kVersionLeft), Qt::AlignLeft | Qt::AlignVCenter, entry.name);
    painter.setFont(SkinFont(kDetailFont));
    painter.setPen(QColor::fromRgb(skin::kText));
    painter.drawText(column(kVersionLeft, kSizeLeft), Qt::AlignLeft | Qt::AlignVCenter,
                     entry.version);
    painter.drawText(column(kSizeLeft, kActionLeft), Qt::AlignLeft | Qt::AlignVCenter, entry.size);

    const bool hot = m_hotButton == index;
    paintAction(painter, entry, rect, hot, hot && m_pressedButton == index);

    painter.setPen(QPen(QColor::fromRgb(skin::kRowRule), 1));
    const qreal rule = rect.bottom() + 0.5;
    painter.drawLine(QPointF(rect.left(), rule), QPointF(rect.right() + 1, rule));
}

void InstalledAppRows::paintAction(QPainter& painter, const Entry& entry, const QRect& rect,
                                   bool hot, bool pressed) {
    const QString action = Q(entry.row.action);
    painter.setFont(SkinFont(kDetailFont));
    if (entry.row.state == AppRowState::Done) {
        // The check and the text centred together in the column.
        const QString text = painter.fontMetrics().elidedText(action + kDone, Qt::ElideRight,
                                                              kActionWidth - kCheckSize - 12);
        const int textWidth = painter.fontMetrics().horizontalAdvance(text);
        const QRect column = actionColumn().translated(rect.topLeft());
        const int left = column.left() + (column.width() - kCheckSize - 6 - textWidth) / 2;
        const QSize check(kCheckSize, kCheckSize);
        painter.drawPixmap(QPoint(left, column.center().y() - kCheckSize / 2 + 1),
                           pictures::DoneCheck().pixmap(check, devicePixelRatioF()));
        painter.setPen(QColor::fromRgb(skin::kText));
        painter.drawText(QRect(left + kCheckSize + 6, column.top(), textWidth + 2, kRowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    const ButtonState state = pressed ? ButtonState::Pressed
                              : hot   ? ButtonState::Hover
                                      : ButtonState::Normal;
    const ButtonSkin skin = pictures::AppRowAction();
    const QRect button = buttonRect().translated(rect.topLeft());
    painter.drawPixmap(button.topLeft(), skin.pixmap(button.size(), devicePixelRatioF(), state));
    painter.setPen(skin.textColor(state, QColor::fromRgb(skin::kAccent)));
    painter.drawText(button, Qt::AlignCenter,
                     painter.fontMetrics().elidedText(action, Qt::ElideRight, button.width() - 8));
}

int InstalledAppRows::buttonAt(const QPointF& widgetPoint) const {
    const QPoint content = widgetPoint.toPoint() + QPoint(0, scrollOffset());
    const int index = itemAt(content);
    if (index < 0 || m_entries[static_cast<std::size_t>(index)].row.state == AppRowState::Done) {
        return -1;
    }
    return buttonRect().contains(content - itemRect(index).topLeft()) ? index : -1;
}

void InstalledAppRows::setHotButton(int index) {
    // Set after the base, which points at every row: only a live button is
    // something to click.
    setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (index != m_hotButton) {
        m_hotButton = index;
        update();
    }
}

void InstalledAppRows::mouseMoveEvent(QMouseEvent* event) {
    OwnerDrawnList::mouseMoveEvent(event);
    setHotButton(buttonAt(event->position()));
}

void InstalledAppRows::mousePressEvent(QMouseEvent* event) {
    OwnerDrawnList::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressedButton = buttonAt(event->position());
        setHotButton(m_pressedButton);
    }
}

void InstalledAppRows::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressedButton = -1;
        update();
    }
    OwnerDrawnList::mouseReleaseEvent(event);
}

void InstalledAppRows::leaveEvent(QEvent* event) {
    OwnerDrawnList::leaveEvent(event);
    setHotButton(-1);
}

void InstalledAppRows::wheelEvent(QWheelEvent* event) {
    OwnerDrawnList::wheelEvent(event);
    setHotButton(buttonAt(event->position()));
}

}  // namespace qvpc::ui
