// The message box: its geometry, its answers, its modality, and boxes asked
// for from other threads.
#include <atomic>
#include <chrono>
#include <thread>

#include "ui/msg_box_dialog.h"
#include "ui/msg_box_layout.h"
#include "ui/msg_box_presenter.h"
#include "ui/progress_popup.h"
#include "ui/system_msg_box_dialog.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {
namespace {

using MsgBoxTest = UiTest;

MsgBoxRequest Box(const std::string& message, int buttons = 1,
                  std::vector<std::string> texts = {}) {
    MsgBoxRequest request;
    request.message = message;
    request.buttonCount = buttons;
    request.buttonTexts = std::move(texts);
    return request;
}

std::vector<int> Lefts(const MsgBoxLayout& layout) {
    std::vector<int> lefts;
    for (const QRect& button : layout.buttons) {
        EXPECT_EQ(button.y(), 158);
        EXPECT_EQ(button.size(), QSize(90, 40));
        lefts.push_back(button.x());
    }
    return lefts;
}

TEST(MsgBoxLayoutTest, ButtonsOfTheDefaultBox) {
    EXPECT_EQ(Lefts(LayOutMsgBox(Box("x", 0))), std::vector<int>{155});
    EXPECT_EQ(Lefts(LayOutMsgBox(Box("x", 1))), std::vector<int>{155});
    EXPECT_EQ(Lefts(LayOutMsgBox(Box("x", 2))), (std::vector<int>{73, 237}));
    EXPECT_EQ(Lefts(LayOutMsgBox(Box("x", 3))), (std::vector<int>{55, 155, 255}));
    EXPECT_EQ(Lefts(LayOutMsgBox(Box("x", 7))), (std::vector<int>{55, 155, 255}));
}

TEST(MsgBoxLayoutTest, ButtonTextsDefaultOrArePaddedAndCut) {
    const auto texts = [](const MsgBoxRequest& request) {
        return LayOutMsgBox(request).buttonTexts.join(QLatin1Char('|')).toStdString();
    };
    EXPECT_EQ(texts(Box("x", 1)), "确认");
    EXPECT_EQ(texts(Box("x", 2)), "确认|取消");
    EXPECT_EQ(texts(Box("x", 3)), "确认|取消|退出");
    EXPECT_EQ(texts(Box("x", 2, {"好的"})), "好的|");
    EXPECT_EQ(texts(Box("x", 1, {"是", "否", "再说"})), "是");
}

TEST(MsgBoxLayoutTest, MessagesFrom35BytesWrap) {
    const std::string chinese17 = "一二三四五六七八九十一二三四五六七";  // 34 GBK bytes
    const MsgBoxLayout one = LayOutMsgBox(Box(chinese17));
    EXPECT_TRUE(one.singleLine);
    EXPECT_EQ(one.message, QRect(20, 62, 360, 78));
    const MsgBoxLayout wrapped = LayOutMsgBox(Box(chinese17 + "!"));
    EXPECT_FALSE(wrapped.singleLine);
    EXPECT_EQ(wrapped.message, QRect(20, 70, 360, 78));
    EXPECT_EQ(one.title, QRect(20, 28, 360, 32));
}

TEST(MsgBoxLayoutTest, PositionFollowsTheOwnerAndStaysOnScreen) {
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(MsgBoxPosition(QRect(497, 227, 926, 626), QSize(400, 240), screen),
              QPoint(497 + 263 + 13, 227 + 193 + 13));
    EXPECT_EQ(MsgBoxPosition(QRect(1700, 900, 926, 626), QSize(400, 240), screen),
              QPoint(1520, 840));
}

TEST_F(MsgBoxTest, AnswerIsTheButtonIndexAndTheShadeComesAndGoes) {
    bool shadedWhileOpen = false;
    QPoint boxAt;
    QTimer::singleShot(0, [&] {
        shadedWhileOpen = m_window->isShaded();
        if (QWidget* box = m_window->msgBoxes().openBox()) {
            boxAt = box->pos();
        }
    });
    answerNextBox(1);
    EXPECT_EQ(m_screen->MsgBox(Box("您的电脑与盒子的连接断开\r\n请重新连接盒子", 2)), 1);
    EXPECT_TRUE(shadedWhileOpen);
    EXPECT_FALSE(m_window->isShaded());
    // Centred over the window, then 13 pixels right and down.
    EXPECT_EQ(boxAt, m_window->frameGeometry().topLeft() + QPoint(263 + 13, 193 + 13));
    EXPECT_EQ(m_window->msgBoxes().openBox(), nullptr);
}

TEST_F(MsgBoxTest, AMessageOfThreeLinesFitsWhole) {
    QImage picture;
    QRect message;
    QTimer::singleShot(0, [&] {
        QWidget* box = m_window->msgBoxes().openBox();
        ASSERT_NE(box, nullptr);
        message = qobject_cast<MsgBoxDialog*>(box)->messageLabel().geometry();
        picture = box->grab().toImage();
        box->close();
    });
    m_screen->MsgBox(
        Box("非常抱歉,您的电脑上没有可以运行的adb程序,助手将不能运行,助手将自动关闭."));
    ASSERT_EQ(message.height(), 78);
    const QRect ink = InkBounds(picture, message, QColor::fromRgb(skin::kSlate));
    EXPECT_GT(ink.height(), 2 * 26);                // three lines of size 20
    EXPECT_LT(ink.bottom(), message.bottom() - 1);  // and the last not cut at the foot
}

TEST_F(MsgBoxTest, ClosedWithoutAButtonAnswersMinusOne) {
    answerNextBox(-1);
    EXPECT_EQ(m_screen->MsgBox(Box("什么牌子的盒子啊,到群里问问吧", 2)), -1);
    EXPECT_FALSE(m_window->isShaded());
}

TEST_F(MsgBoxTest, ItClosesTheProgressPopupFirst) {
    m_screen->ShowInstalling("正在安装... ...", false);
    answerNextBox(0);
    m_screen->MsgBox(Box("应用不存在,请检查路径"));
    EXPECT_FALSE(m_window->popup().isOpen());
    EXPECT_TRUE(m_window->body().isEnabled());
    EXPECT_FALSE(m_window->isShaded());
}

TEST_F(MsgBoxTest, TheMainWindowTakesNoClicksWhileABoxIsOpen) {
    bool boxRaisedAndOpen = false;
    QTimer::singleShot(0, [&] {
        clickButton(PageButton::StartSearch);
        boxRaisedAndOpen = m_window->msgBoxes().openBox() != nullptr;
        answerNextBox(0);
    });
    m_screen->MsgBox(Box("x"));
    EXPECT_TRUE(boxRaisedAndOpen);
    EXPECT_TRUE(m_actions.calls().empty());
    clickButton(PageButton::StartSearch);  // and takes them again afterwards
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"startLanScan"});
}

TEST_F(MsgBoxTest, TheTitleBandButtonsStillWorkWhileABoxIsOpen) {
    bool closed = false;
    bool minimised = false;
    QObject::connect(m_window.get(), &MainWindow::closed, [&] { closed = true; });
    QTimer::singleShot(0, [&] {
        clickButton(PageButton::StartSearch);
        click(&m_window->minimiseButton());
        minimised = m_window->isMinimized();
        m_window->showNormal();
        click(&m_window->closeButton());
        if (QWidget* box = m_window->msgBoxes().openBox()) {
            box->close();
        }
    });
    m_screen->MsgBox(Box("x"));
    EXPECT_TRUE(m_actions.calls().empty());  // the rest of the window stayed blocked
    EXPECT_TRUE(minimised);
    EXPECT_TRUE(closed);
}

TEST_F(MsgBoxTest, AWorkerGetsItsAnswerWhileTheUiThreadWaits) {
    std::atomic<int> answer{-2};
    std::thread worker([&] { answer = m_screen->MsgBox(Box("任务冲突", 2)); });
    ASSERT_TRUE(waitFor([&] { return m_window->msgBoxes().openBox() != nullptr; }));
    auto* box = qobject_cast<MsgBoxDialog*>(m_window->msgBoxes().openBox());
    QTest::mouseClick(&box->button(1), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return answer != -2; }));
    worker.join();
    EXPECT_EQ(answer, 1);
}

TEST_F(MsgBoxTest, BoxesFromSeveralThreadsComeOneAfterAnother) {
    std::atomic<int> first{-2};
    std::atomic<int> second{-2};
    std::thread a([&] { first = m_screen->MsgBox(Box("first", 3)); });
    std::thread b([&] { second = m_screen->MsgBox(Box("second", 3)); });
    // Each box is answered with a button of its own: 1 for "first", 2 for "second".
    int shown = 0;
    ASSERT_TRUE(waitFor([&] {
        auto* box = qobject_cast<MsgBoxDialog*>(m_window->msgBoxes().openBox());
        if (box && box->isVisible()) {
            EXPECT_EQ(m_window->msgBoxes().openBox(), box);  // one at a time
            ++shown;
            QTest::mouseClick(&box->button(box->messageLabel().text() == "first" ? 1 : 2),
                              Qt::LeftButton);
        }
        return first != -2 && second != -2;
    }));
    a.join();
    b.join();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

TEST_F(MsgBoxTest, AWorkerStopsWaitingWhenTheWindowCloses) {
    std::atomic<int> answer{-2};
    std::thread worker([&] { answer = m_screen->MsgBox(Box("x")); });
    ASSERT_TRUE(waitFor([&] { return m_window->msgBoxes().openBox() != nullptr; }));
    m_window->close();
    worker.join();
    EXPECT_EQ(answer, -1);
    if (QWidget* box = m_window->msgBoxes().openBox()) {
        box->close();
    }
}

TEST_F(MsgBoxTest, ABoxStillOnItsWayWhenTheWindowClosesIsNeverShown) {
    std::atomic<int> answer{-2};
    std::thread worker([&] { answer = m_screen->MsgBox(Box("x")); });
    // This thread runs no events meanwhile, so the request waits in its queue.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    m_window->close();
    worker.join();
    EXPECT_EQ(answer, -1);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window->msgBoxes().openBox(), nullptr);
}

TEST(SystemMsgBoxTest, KindsGiveTheirButtonsAndCodes) {
    const auto describe = [](int kind) {
        std::string text;
        for (const auto& [label, code] : SystemMsgBoxDialog::ButtonsOf(kind)) {
            text += label.toStdString() + "=" + std::to_string(code) + " ";
        }
        return text;
    };
    EXPECT_EQ(describe(0), "确认=0 ");
    EXPECT_EQ(describe(1), "确认=0 取消=1 ");
    EXPECT_EQ(describe(2), "放弃=2 重试=3 忽略=4 ");
    EXPECT_EQ(describe(3), "是(&Y)=5 否(&N)=6 取消=1 ");
    EXPECT_EQ(describe(4), "是(&Y)=5 否(&N)=6 ");
    EXPECT_EQ(describe(5), "重试=3 取消=1 ");
}

TEST_F(MsgBoxTest, SystemBoxAnswersItsCodeAndOneWhenClosed) {
    const auto answerWith = [&](int index) {
        QTimer::singleShot(0, [this, index] {
            auto* box = qobject_cast<SystemMsgBoxDialog*>(m_window->msgBoxes().openBox());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->title(), QString::fromUtf8("提示："));
            EXPECT_EQ(box->width(), 320);
            if (index < 0) {
                box->close();
            } else {
                QTest::mouseClick(&box->button(index), Qt::LeftButton);
            }
        });
    };
    SystemMsgBoxRequest request{"文件不存在,请重新截图.", "", 3};
    answerWith(1);
    EXPECT_EQ(m_screen->SystemMsgBox(request), 6);
    answerWith(-1);
    EXPECT_EQ(m_screen->SystemMsgBox(request), 1);
}

}  // namespace
}  // namespace qvpc::ui::test
