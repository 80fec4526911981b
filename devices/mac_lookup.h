#pragma once

#include <functional>
#include <string>

#include "devices/local_network.h"

namespace qvpc {

class Dialogs;
class Log;

// A box's MAC address from its IPv4 address on the local network, in the
// program's text form: six upper-case hexadecimal byte pairs joined by "-"
// ("00-1A-2B-3C-4D-5E"). Callable from any thread.
class MacLookup {
  public:
    // Without an arp source nothing is ever resolved.
    MacLookup(Log& log, Dialogs& dialogs, std::function<ArpAnswer(std::uint32_t)> arp);

    // Empty when none was found; the failures the user could act on are
    // logged (category "功能操作"), an address that is no address is told.
    std::string LookupMac(const std::string& ip);

    // The text form of six bytes.
    static std::string MacText(const std::array<std::uint8_t, 6>& mac);

  private:
    Log& m_log;
    Dialogs& m_dialogs;
    const std::function<ArpAnswer(std::uint32_t)> m_arp;
};

}  // namespace qvpc
