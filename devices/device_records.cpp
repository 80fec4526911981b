#include "devices/device_records.h"

#include <cstdio>

#include "base/log.h"
#include "devices/background_writes.h"
#include "devices/database.h"
#include "devices/remote_sql.h"
#include "devices/remote_sql_message.h"

namespace qvpc {
namespace {

const std::string kTable(DeviceRecords::kDeviceTable);

std::string RemoteInsert(const CurrentDevice& device, const std::string& time) {
    using remote_sql::Quoted;
    return "insert into app_mac (ip,mac,name,time,num,keywords,应用数据) values (" +
           Quoted(device.ip) + "," + Quoted(device.mac) + "," + Quoted(device.brand) + "," +
           Quoted(time) + ",0," + Quoted(device.model) + ",'')";
}

std::string RemoteUpdate(const CurrentDevice& device, const std::string& time) {
    using remote_sql::Quoted;
    return "update app_mac set name=" + Quoted(device.brand) + ",num=num+1,time=" + Quoted(time) +
           ",应用数据='' where mac=" + Quoted(device.mac);
}

}  // namespace

DeviceRecords::DeviceRecords(Database& database, RemoteSql& remote, BackgroundWrites& writes,
                             Log& log)
    : m_database(database), m_remote(remote), m_writes(writes), m_log(log) {}

std::string DeviceRecords::LocalName(const std::string& mac) {
    std::optional<QueryResult> result =
        m_database.Query("select * from " + kTable + " where mac=?", {mac});
    if (!result || !result->First()) {
        return {};
    }
    return result->ReadText("机型");
}

int DeviceRecords::LocalCount(const std::string& mac) {
    return m_database.CountRows(kTable, "where mac=?", {mac});
}

void DeviceRecords::InsertLocal(const std::string& mac, const std::string& name,
                                const std::string& ip) {
    m_database.Execute("insert into " + kTable + " (`mac`,`机型`,`ip`) values (?,?,?)",
                       {mac, name, ip});
}

void DeviceRecords::UpdateLocal(const std::string& mac, const std::string& name,
                                const std::string& ip) {
    m_database.Execute("update " + kTable + " set 机型=?,ip=? where mac=?", {name, ip, mac});
}

int DeviceRecords::SyncDeviceRecord(const CurrentDevice& device) {
    if (device.mac.empty()) {
        // Every box whose MAC stayed unknown would share this one record.
        m_log.WriteLog(log_category::kOperation, "没有获取到mac,不记录设备");
        return -2;
    }
    if (LocalCount(device.mac) == 0) {
        m_log.WriteLog(log_category::kOperation,
                       "insert into " + kTable + " (`mac`,`机型`,`ip`) values ('" + device.mac +
                           "','" + device.brand + "','" + device.ip + "')");
        InsertLocal(device.mac, device.brand, device.ip);
    } else {
        UpdateLocal(device.mac, device.brand, device.ip);
    }
    const int count = m_remote.CountRows("app_mac", "`mac` = " + remote_sql::Quoted(device.mac));
    if (count < 0) {
        return -2;
    }
    // The job takes its own copies: it may outlive this call by seconds.
    const bool insert = count == 0;
    m_writes.run([remote = m_remote, device, insert]() mutable {
        const std::string time = RecordTime(std::time(nullptr));
        remote.Execute(insert ? RemoteInsert(device, time) : RemoteUpdate(device, time));
    });
    return insert ? 0 : 1;
}

std::string DeviceRecords::RecordTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

}  // namespace qvpc
