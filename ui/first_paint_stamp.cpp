#include "ui/first_paint_stamp.h"

#include <time.h>

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "base/atomic_file.h"

namespace qvpc::ui {
namespace {

constexpr const char* kStampVariable = "QVPC_FIRST_PAINT_FILE";

class FirstPaintWatch : public QObject {
  public:
    FirstPaintWatch(QWidget& window, std::string path) : QObject(&window), m_path(std::move(path)) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The paint pass flushes to the screen before the event loop runs
            // this timer.
            QTimer::singleShot(0, this, [this] {
                writeStamp();
                deleteLater();
            });
        }
        return false;
    }

  private:
    void writeStamp() const {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const std::string stamp =
            std::to_string(static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec) +
            "\n";
        // Written beside and renamed, so a reader never sees half a number.
        WriteFileReplacing(m_path,
                           {reinterpret_cast<const unsigned char*>(stamp.data()), stamp.size()});
    }

    std::string m_path;
};

}  // namespace

void StampFirstPaint(QWidget& window) {
    const char* path = std::getenv(kStampVariable);
    if (path && *path) {
        new FirstPaintWatch(window, path);  // a child of the window
    }
}

}  // namespace qvpc::ui
