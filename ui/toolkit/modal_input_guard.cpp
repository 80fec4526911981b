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

ModalInputGuard::ModalInputGuard(QWidget* modalWindow, QWidget* owner) : m_modal(modalWindow) {
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
    if (!m_modal || !IsInput(event->type()) || belongsToModal(watched)) {
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

}  // namespace qvpc::ui
