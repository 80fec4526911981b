#include "base/page_history.h"

namespace qvpc {

bool PageHistory::show(int page) {
    if (page == m_current) {
        return false;
    }
    if (m_current != kBusyPage) {
        m_previous = m_current;
    } else {
        m_previous = page == m_busyReturn ? m_previousBeforeBusy : m_busyReturn;
    }
    m_current = page;
    return true;
}

bool PageHistory::enterBusy() {
    if (m_current == kBusyPage) {
        return false;
    }
    m_busyReturn = m_current;
    m_previousBeforeBusy = m_previous;
    m_previous = m_current;
    m_current = kBusyPage;
    return true;
}

}  // namespace qvpc
