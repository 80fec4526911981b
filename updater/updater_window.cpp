#include "updater/updater_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qvpc::updater {
namespace {

// Long enough to read "已更新" before the window goes.
constexpr int kUpdatedCloseMs = 1500;
// A window nobody closes still ends: the updater does not stay for ever.
constexpr int kUnattendedCloseMs = 10 * 60 * 1000;

}  // namespace

UpdaterWindow::UpdaterWindow(const UpdateOrder& order, bool unseen)
    : m_status(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_close(new QPushButton(this)),
      m_unseen(unseen) {
    setWindowTitle(QString::fromUtf8("更新到版本 ") + QString::fromStdString(order.version));
    auto* layout = new QVBoxLayout(this);
    auto* notes = new QPlainTextEdit(this);
    notes->setReadOnly(true);
    notes->setPlainText(QString::fromStdString(order.notes));
    layout->addWidget(new QLabel(QString::fromUtf8("更新说明:"), this));
    layout->addWidget(notes);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    m_close->setText(QString::fromUtf8("关闭"));
    m_close->setEnabled(false);
    layout->addWidget(m_close, 0, Qt::AlignRight);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    resize(420, 320);
}

void UpdaterWindow::status(const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, text = QString::fromStdString(text)] { m_status->setText(text); },
        Qt::QueuedConnection);
}

void UpdaterWindow::progress(std::uint64_t received, std::uint64_t total) {
    const int percent = total == 0 ? 0 : static_cast<int>(received * 100 / total);
    // The transfer reports many times a second; the bar moves per percent.
    if (m_percentShown.exchange(percent) == percent) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, percent] { m_bar->setValue(percent); }, Qt::QueuedConnection);
}

void UpdaterWindow::finish(const UpdateOutcome& outcome) {
    m_finished = true;
    m_status->setText(QString::fromStdString(outcome.message));
    m_close->setEnabled(true);
    if (m_unseen) {
        close();
    } else if (outcome.kind == UpdateOutcome::Kind::Updated) {
        m_bar->setValue(100);
        QTimer::singleShot(kUpdatedCloseMs, this, &QWidget::close);
    } else {
        QTimer::singleShot(kUnattendedCloseMs, this, &QWidget::close);
    }
}

void UpdaterWindow::closeEvent(QCloseEvent* event) {
    // Mid-replacement the window stays: the job finishes either way, and the
    // user must learn how it ended.
    if (!m_finished) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace qvpc::updater
