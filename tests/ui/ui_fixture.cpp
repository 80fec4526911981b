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

namespace {

bool Near(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QRect BoundsWhere(const QImage& image, const QRect& area,
                  const std::function<bool(QColor)>& counts) {
    QRect bounds;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (counts(image.pixelColor(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

std::string Describe(const QRect& r) {
    if (r.isEmpty()) {
        return "nothing";
    }
    return "(" + std::to_string(r.x()) + ", " + std::to_string(r.y()) + ", " +
           std::to_string(r.width()) + " x " + std::to_string(r.height()) + ")";
}

}  // namespace

QRect InkBounds(const QImage& image, const QRect& area, QColor background, int tolerance) {
    return BoundsWhere(image, area, [&](QColor c) { return !Near(c, background, tolerance); });
}

QRect ColourBounds(const QImage& image, const QRect& area, QColor colour, int tolerance) {
    return BoundsWhere(image, area, [&](QColor c) { return Near(c, colour, tolerance); });
}

::testing::AssertionResult PixelNear(const QImage& image, QPoint at, QColor expected,
                                     int tolerance) {
    if (!image.rect().contains(at)) {
        return ::testing::AssertionFailure()
               << "(" << at.x() << ", " << at.y() << ") lies outside the picture";
    }
    const QColor shown = image.pixelColor(at);
    if (Near(shown, expected, tolerance)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "(" << at.x() << ", " << at.y() << ") is " << shown.name().toStdString()
           << ", not within " << tolerance << " of " << expected.name().toStdString();
}

::testing::AssertionResult InkWithin(const QImage& image, const QRect& searched,
                                     const QRect& allowed, QColor background, int tolerance) {
    const QRect ink = InkBounds(image, searched, background, tolerance);
    if (!ink.isEmpty() && allowed.contains(ink)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "drawn in " << Describe(searched) << " on " << background.name().toStdString() << ": "
           << Describe(ink) << ", allowed " << Describe(allowed);
}

::testing::AssertionResult NothingOutside(const QImage& image, const QRect& frame) {
    QRect stray;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (!frame.contains(x, y) && c.alpha() > 0 && !Near(c, Qt::black, 8)) {
                stray |= QRect(x, y, 1, 1);
            }
        }
    }
    if (stray.isEmpty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "drawn outside the frame " << Describe(frame) << ": " << Describe(stray);
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
