#include "ui/installed_app_list.h"

#include <QPainter>

#include "ui/installed_app_rows.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

constexpr int kCaptionTop = 12;
constexpr QSize kCaptionBox{130, 22};

}  // namespace

InstalledAppList::InstalledAppList(QWidget* parent)
    : QWidget(parent), m_rows(new InstalledAppRows(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_rows, &OwnerDrawnList::itemClicked, this, [this](int index, const QPoint& point) {
        m_selected = index + 1;
        emit rowClicked(index + 1, point - m_rows->itemRect(index).topLeft());
    });
}

void InstalledAppList::clear() {
    // A selection outlives no listing: a task still running for a row of the
    // old one must not mark the row at the same place in the new one.
    m_selected.reset();
    m_rows->clear();
}

void InstalledAppList::add(const InstalledAppRow& row) {
    m_rows->add(row);
}

int InstalledAppList::count() const {
    return m_rows->count();
}

std::optional<InstalledAppRow> InstalledAppList::row(int position) const {
    if (const InstalledAppRow* found = m_rows->row(position - 1)) {
        return *found;
    }
    return std::nullopt;
}

RowRect InstalledAppList::buttonRect(int position) const {
    if (!m_rows->row(position - 1)) {
        return {};
    }
    const QRect button = InstalledAppRows::buttonRect();
    return {button.left(), button.top(), button.width(), button.height()};
}

void InstalledAppList::setState(int position, AppRowState state) {
    m_rows->setState(position - 1, state);
}

void InstalledAppList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(skin::kPanel));
    painter.setFont(SkinFont(15));
    painter.setPen(QColor::fromRgb(skin::kText));
    const struct {
        int left;
        const char* caption;
        Qt::Alignment alignment;
    } captions[] = {
        {InstalledAppRows::kNameLeft, "应用名", Qt::AlignLeft},
        {InstalledAppRows::kVersionLeft, "版本号", Qt::AlignLeft},
        {InstalledAppRows::kSizeLeft, "大小", Qt::AlignLeft},
        // Centred, as the buttons under it.
        {InstalledAppRows::kActionLeft, "操作", Qt::AlignHCenter},
    };
    for (const auto& caption : captions) {
        painter.drawText(QRect(QPoint(caption.left, kCaptionTop), kCaptionBox),
                         caption.alignment | Qt::AlignVCenter, QString::fromUtf8(caption.caption));
    }
    painter.fillRect(0, kHeaderHeight - 1, width(), 1, QColor::fromRgb(skin::kRowRule));
}

void InstalledAppList::resizeEvent(QResizeEvent*) {
    m_rows->setGeometry(0, kHeaderHeight, width(), height() - kHeaderHeight);
}

}  // namespace qvpc::ui
