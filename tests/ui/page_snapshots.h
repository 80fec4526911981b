#pragma once

// The pictures of pages, boxes and popups saved under the build tree
// (build/ui-pages/) for a person to look at, and the checks made on them.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cstdlib>

#include "ui/msg_box_presenter.h"
#include "ui/progress_popup.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {

// The colours the pictures are checked against, as the layout gives them.
inline constexpr QRgb kSlate = 0xff414a5f;       // title band, boxes and popup
inline constexpr QRgb kSlateLight = 0xff5b6579;  // secondary buttons, the popup's tracks
inline constexpr QRgb kBody = 0xfff3f5f8;        // page background
inline constexpr QRgb kShadedBody = 0xffabacae;  // that under the shade of a box or popup
inline constexpr QRgb kHeaderBand = 0xffe7e7e7;  // header of pages 4 and 9
inline constexpr QRgb kGreen = 0xff02b665;       // primary buttons, the ring, the bar
inline constexpr QRgb kWhite = 0xffffffff;       // panels, tiles, texts on slate
inline constexpr QRgb kFrameWhite = 0xfffbfcfd;  // the drop zone of page 8
inline constexpr QRgb kOrange = 0xffff6c00;      // the guide's heading
inline constexpr QRgb kListPanel = 0xff414b5f;   // page 9's left list
inline constexpr QRgb kInfoBlue = 0xff2d8cf0;    // the system box's icon
inline constexpr QRgb kScreenBackdrop = 0xff1e222b;

class PageSnapshots : public UiTest {
  protected:
    PageSnapshots() : m_out(QStringLiteral(QVPC_BUILD_DIR "/ui-pages")) { QDir().mkpath(m_out); }

    // The window with any box or popup drawn where it sits over it.
    QImage picture() {
        QApplication::processEvents();
        QImage image = m_window->grab().toImage();
        QPainter painter(&image);
        for (QWidget* top :
             {m_window->msgBoxes().openBox(), static_cast<QWidget*>(&m_window->popup())}) {
            if (top && top->isVisible()) {
                painter.drawPixmap(top->pos() - m_window->pos(), top->grab());
            }
        }
        return image;
    }

    // Saves the picture and checks the window's frame on it: nothing is
    // drawn outside it, and its title band is slate with the program's name
    // white at its place. The picture is returned for the page's own checks.
    QImage save(const QString& name) {
        SCOPED_TRACE(name.toStdString());
        const QImage image = picture();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(m_out + QLatin1Char('/') + name + QStringLiteral(".png")));
        const QWidget& frame = m_window->contentFrame();
        EXPECT_TRUE(NothingOutside(image, placeOf(frame)));
        EXPECT_TRUE(PixelNear(image, at(frame, {450, 40}), kSlate, 4));
        // Clear of the round corners and of the buttons at the right.
        EXPECT_TRUE(
            InkWithin(image, at(frame, {6, 0, 794, 42}), at(frame, {14, 8, 600, 26}), kSlate, 40));
        return image;
    }

    // Where a widget of the window, or a box or popup over it, lies in the picture.
    QRect placeOf(const QWidget& widget) const {
        if (widget.isWindow()) {
            return {widget.pos() - m_window->pos(), widget.size()};
        }
        return {widget.mapTo(m_window.get(), QPoint(0, 0)), widget.size()};
    }
    // A place given in a widget's coordinates, in the picture's.
    QPoint at(const QWidget& widget, QPoint point) const {
        return point + placeOf(widget).topLeft();
    }
    QRect at(const QWidget& widget, const QRect& rect) const {
        return rect.translated(placeOf(widget).topLeft());
    }

    // Saves the window while a box of this request is open and checks it with
    // the box's place in the picture, then answers it.
    void saveWithBox(const QString& name, const MsgBoxRequest& request,
                     const std::function<void(const QImage&, const QRect&)>& check) {
        QTimer::singleShot(50, [this, name, check] {
            const QImage image = save(name);
            QWidget* box = m_window->msgBoxes().openBox();
            EXPECT_NE(box, nullptr) << name.toStdString();
            if (box) {
                SCOPED_TRACE(name.toStdString());
                check(image, placeOf(*box));
            }
            answerNextBox(0);
        });
        m_screen->MsgBox(request);
    }

    QString m_out;
};

// A text drawn centred on x: its ink's middle within a few pixels of it.
inline ::testing::AssertionResult CentredOn(const QRect& ink, int x, int tolerance = 8) {
    if (!ink.isEmpty() && std::abs(ink.left() + ink.right() - 2 * x) <= 2 * tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "ink from " << ink.left() << " to " << ink.right() << " is not centred on " << x;
}

// A button face of colour drawn at button (within a pixel on every side),
// its colour true at its left end, clear of the text.
inline ::testing::AssertionResult FaceAt(const QImage& image, const QRect& button, QColor colour) {
    const QRect face = ColourBounds(image, button.adjusted(-6, -6, 6, 6), colour, 24);
    if (std::abs(face.left() - button.left()) > 1 || std::abs(face.right() - button.right()) > 1 ||
        std::abs(face.top() - button.top()) > 1 || std::abs(face.bottom() - button.bottom()) > 1) {
        return ::testing::AssertionFailure()
               << colour.name().toStdString() << " face found at (" << face.x() << ", " << face.y()
               << ", " << face.width() << " x " << face.height() << "), not at (" << button.x()
               << ", " << button.y() << ", " << button.width() << " x " << button.height() << ")";
    }
    return PixelNear(image, QPoint(button.left() + 6, button.center().y()), colour, 8);
}

}  // namespace qvpc::ui::test
