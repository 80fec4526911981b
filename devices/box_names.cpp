#include "devices/box_names.h"

#include "base/log.h"
#include "devices/device_records.h"
#include "devices/remote_sql.h"
#include "devices/remote_sql_message.h"

namespace qvpc {

BoxNames::BoxNames(DeviceRecords& records, RemoteSql& remote, Log& log)
    : m_records(records), m_remote(remote), m_log(log) {}

std::string BoxNames::Bounded(std::string text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // A byte that starts a UTF-8 character.
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && ++characters > kNameLimit) {
            text.resize(at);
            break;
        }
    }
    return text;
}

std::string BoxNames::LookupBoxName(const std::string& mac, const std::string& ip) {
    const std::string local = m_records.LocalName(mac);
    if (!local.empty()) {
        if (local == remote_sql::kFailure) {
            m_log.WriteLog(log_category::kOperation, "品牌识别:mdb获取盒子信息错误 :");
            return std::string(kDefaultName);
        }
        return local;
    }
    const RemoteSql::Selection selection =
        m_remote.Select("app_mac", "name", "`mac`=" + remote_sql::Quoted(mac));
    if (selection.cells.size() != 1) {
        m_log.WriteLog(log_category::kOperation, "品牌识别:服务器没有这个mac直接显示智能电视");
        return std::string(kDefaultName);
    }
    const std::string name = Bounded(selection.cells.front());
    if (name.empty() || name == remote_sql::kFailure) {
        m_log.WriteLog(log_category::kOperation, "品牌识别:中间件获取盒子信息错误 :");
        return std::string(kDefaultName);
    }
    m_records.InsertLocal(mac, name, ip);
    m_log.WriteLog(log_category::kOperation, "盒子型号:" + name);
    return name;
}

}  // namespace qvpc
