#pragma once

#include <string>
#include <string_view>

namespace qvpc {

class DeviceRecords;
class Log;
class RemoteSql;

// What a box is called on its tile: its name in the local table, else the
// name the remote service keeps for its MAC (stored locally at once), else
// the default.
class BoxNames {
  public:
    static constexpr std::string_view kDefaultName = "智能电视";
    // Names come from the network; longer ones are cut to the length the
    // local table keeps.
    static constexpr std::size_t kNameLimit = 50;

    BoxNames(DeviceRecords& records, RemoteSql& remote, Log& log);

    std::string LookupBoxName(const std::string& mac, const std::string& ip);

    // The text cut to at most kNameLimit characters, never inside one.
    static std::string Bounded(std::string text);

  private:
    DeviceRecords& m_records;
    RemoteSql& m_remote;
    Log& m_log;
};

}  // namespace qvpc
