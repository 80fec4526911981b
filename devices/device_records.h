#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "base/shared_state.h"

namespace qvpc {

class BackgroundWrites;
class Database;
class Log;
class RemoteSql;

// The records of the boxes the program has met: the local table 盒子机型
// (MAC → display name and last IP) and the maker's remote table app_mac.
class DeviceRecords {
  public:
    static constexpr std::string_view kDeviceTable = "盒子机型";

    DeviceRecords(Database& database, RemoteSql& remote, BackgroundWrites& writes, Log& log);

    // The 机型 of the MAC's row, "" when it has none.
    std::string LocalName(const std::string& mac);
    int LocalCount(const std::string& mac);
    void InsertLocal(const std::string& mac, const std::string& name, const std::string& ip);
    void UpdateLocal(const std::string& mac, const std::string& name, const std::string& ip);

    // After a connection, with the current device complete: its local row is
    // made or updated, then the remote record, on a background thread. 0 when
    // a remote insert was started, 1 an update, -2 when the remote count
    // failed (nothing is written remotely). A box without a MAC has no
    // identity to record: -2 and nothing written anywhere.
    int SyncDeviceRecord(const CurrentDevice& device);

    // "2017-02-21 09:05:00" in local time.
    static std::string RecordTime(std::time_t when);

  private:
    Database& m_database;
    RemoteSql& m_remote;
    BackgroundWrites& m_writes;
    Log& m_log;
};

}  // namespace qvpc
