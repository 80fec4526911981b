// The start-up bench's peer: an empty Qt Widgets window of the program's
// size, with the same first-paint stamp, so the table shows what Qt itself
// costs before any page of ours is built.
#include <QApplication>
#include <QWidget>

#include "ui/first_paint_stamp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(926, 626);
    qvpc::ui::StampFirstPaint(window);
    window.show();
    return application.exec();
}
