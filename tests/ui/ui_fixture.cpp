#include "ui_fixture.h"

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <chrono>
#include <cstdlib>

#include "base/gbk.h"
#include "ui/msg_box_dialog.h"
#include "ui/msg_box_presenter.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui::test {

QRect InkBounds(const QImage& image, const QRect& area, QColor background, int tolerance) {
    QRect bounds;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - background.red()) > tolerance ||
                std::abs(c.green() - background.green()) > tolerance ||
                std::abs(c.blue() - background.blue()) > tolerance) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

UiTest::UiTest() : m_log(m_dir.path() + "/log.txt") {
    m_window = std::make_unique<MainWindow>(m_log, m_config, "1.0.0.1");
    m_window->setUserActions(m_actions);
    m_window->setDesktop({[this](const QString& url) { m_openedUrls.push_back(url); },
                          [this](const QString& path) { m_openedUrls.push_back(path); }});
    m_screen = std::make_unique<QtScreen>(*m_window);
    m_window->show();
}

UiTest::~UiTest() {
    m_screen.reset();
    m_window.reset();
}

std::vector<LogRecord> UiTest::logRecords() const {
    const std::string text = GbkToUtf8(qvpc::test::ReadFile(m_log.path()));
    std::vector<LogRecord> records;
    std::size_t at = 0;
    while ((at = text.find("]    [", at)) != std::string::npos) {
        const std::size_t categoryStart = at + 6;
        const std::size_t categoryEnd = text.find("] ", categoryStart);
        const std::size_t lineEnd = text.find("\r\n", categoryEnd);
        records.push_back({text.substr(categoryStart, categoryEnd - categoryStart),
                           text.substr(categoryEnd + 2, lineEnd - categoryEnd - 2)});
        at = lineEnd;
    }
    return {records.rbegin(), records.rend()};
}

std::vector<std::string> UiTest::mainLogTexts() const {
    std::vector<std::string> texts;
    for (const LogRecord& record : logRecords()) {
        if (record.category == "主进程") {
            texts.push_back(record.text);
        }
    }
    return texts;
}

QImage UiTest::pictureOf(QWidget& widget) {
    QApplication::processEvents();
    const QPoint at = widget.mapTo(m_window.get(), QPoint(0, 0));
    return m_window->grab(QRect(at, widget.size())).toImage();
}

void UiTest::click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {},
                      QPoint(widget->width() / 2, widget->height() / 2));
}

void UiTest::clickButton(PageButton id) {
    click(m_window->pageButton(id));
}

bool UiTest::waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        m_screen->runEventLoopFor(std::chrono::milliseconds(5));
    }
    return true;
}

void UiTest::answerNextBox(int index) {
    auto* timer = new QTimer(m_window.get());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, index] {
        auto* box = qobject_cast<MsgBoxDialog*>(m_window->msgBoxes().openBox());
        if (!box || !box->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        shownMessage = box->messageLabel().text();
        shownTitle = box->titleLabel().text();
        if (index < 0) {
            box->close();
        } else {
            QTest::mouseClick(&box->button(index), Qt::LeftButton);
        }
    });
    timer->start();
}

}  // namespace qvpc::ui::test
