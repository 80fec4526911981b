#pragma once

namespace qvpc {

// The main window's current page and the page its cancel and back buttons
// return to. The busy page is a pause on the way, never a place to go back
// to: it remembers the page it was entered from, leaving it for that page
// restores that page's own previous page, and leaving it for any other page
// makes the page it was entered from the previous one. So a cancel never
// lands on a busy page whose work is long over.
class PageHistory {
  public:
    static constexpr int kBusyPage = 1;

    // Moves to page (the caller checks the range). False when it is already
    // the current page, which changes nothing.
    bool show(int page);
    // Moves to the busy page; entering it again while it shows keeps the page
    // it was first entered from.
    bool enterBusy();
    // The page the busy page goes back to; 0 when it was never entered.
    int busyReturn() const { return m_busyReturn; }

    int current() const { return m_current; }
    int previous() const { return m_previous; }

  private:
    int m_current = 0;
    int m_previous = 0;
    int m_busyReturn = 0;
    int m_previousBeforeBusy = 0;
};

}  // namespace qvpc
