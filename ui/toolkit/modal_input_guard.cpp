#include "ui/toolkit/modal_input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace qvpc::ui {
namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

bool IsPress(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
}

}  // namespace

ModalInputGuard::ModalInputGuard(QWidget* modalWindow, QWidget* owner,
                                 const QList<QWidget*>& unblocked)
    : m_modal(modalWindow) {
    for (QWidget* control : unblocked) {
        m_unblocked.append(control);
    }
    if (owner) {
        for (QWidget* child : owner->findChildren<QWidget*>()) {
            if (child->underMouse()) {
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent(child, &leave);
            }
        }
    }
    qApp->installEventFilter(this);
}

ModalInputGuard::~ModalInputGuard() {
    qApp->removeEventFilter(this);
}

bool ModalInputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!m_modal || !IsInput(event->type()) || belongsToModal(watched) || isUnblocked(watched)) {
        return false;
    }
    if (IsPress(event->type())) {
        m_modal->raise();
        m_modal->activateWindow();
    }
    return true;
}

bool ModalInputGuard::belongsToModal(QObject* object) const {
    if (auto* widget = qobject_cast<QWidget*>(object)) {
        return widget->window() == m_modal;
    }
    if (auto* window = qobject_cast<QWindow*>(object)) {
        return window == m_modal->windowHandle();
    }
    return true;  // not a window or widget: no input of ours
}

bool ModalInputGuard::isUnblocked(QObject* object) const {
    auto* widget = qobject_cast<QWidget*>(object);
    auto* window = qobject_cast<QWindow*>(object);
    for (const QPointer<QWidget>& control : m_unblocked) {
        if (!control) {
            continue;
        }
        if (widget && (widget == control || control->isAncestorOf(widget))) {
            return true;
        }
        // A window's input reaches its widgets through the window first; it
        // passes there, and each widget's own event is judged on its own.
        if (window && window == control->window()->windowHandle()) {
            return true;
        }
    }
    return false;
}

}  // namespace qvpc::ui
