#include "devices/box_recognition.h"

#include "adb/adb_commands.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/page_view.h"
#include "base/shared_state.h"
#include "devices/box_names.h"
#include "devices/device_records.h"
#include "devices/mac_lookup.h"
#include "devices/remote_sql.h"
#include "devices/remote_sql_message.h"

namespace qvpc {

BoxRecognition::BoxRecognition(SharedState& state, TaskShell& shell, PageView& page, Log& log,
                               RemoteSql& remote, DeviceRecords& records, MacLookup& macs,
                               std::chrono::milliseconds buildPropWait)
    : m_state(state),
      m_shell(shell),
      m_page(page),
      m_log(log),
      m_remote(remote),
      m_records(records),
      m_macs(macs),
      m_buildPropWait(buildPropWait) {}

std::string BoxRecognition::ModelIn(std::string_view output) {
    constexpr std::string_view kKey = "ro.product.model=";
    const std::size_t at = output.find(kKey);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t from = at + kKey.size();
    const std::size_t end = output.find('\r', from);
    if (end == std::string_view::npos) {
        return {};
    }
    std::string model(output.substr(from, end - from));
    for (char& c : model) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return BoxNames::Bounded(std::move(model));
}

void BoxRecognition::RecognizeConnectedBox() {
    CurrentDevice device = m_state.currentDevice();
    m_shell.SendCommand(adb_commands::ReadBuildProp(device.ip));
    m_shell.WaitUntilIdle(m_buildPropWait);
    device.model = ModelIn(m_shell.output());
    m_state.setCurrentModel(device.model);

    const RemoteSql::Selection brands =
        m_remote.Select("units", "品牌名", "`keywords`=" + remote_sql::Quoted(device.model));
    const bool failed = brands.cells.size() == 1 && brands.cells.front() == remote_sql::kFailure;
    if (brands.cells.empty()) {
        m_log.WriteLog(log_category::kTask, "units没有找到这个品牌");
        device.brand = std::string(BoxNames::kDefaultName);
    } else if (failed) {
        // The service could not be asked: nothing of this answer is kept.
        m_log.WriteLog(log_category::kOperation, "品牌识别:中间件获取盒子信息错误 :");
        device.brand = std::string(BoxNames::kDefaultName);
    } else {
        device.brand = BoxNames::Bounded(brands.cells.front());
        // Typed by address, the box's MAC is not known yet.
        for (int k = 0; device.mac.empty() && k < kMacTries; ++k) {
            device.mac = m_macs.LookupMac(device.ip);
            if (device.mac.empty()) {
                m_shell.Pause(kMacRetryWait);
            }
        }
        m_state.setCurrentMac(device.mac);
        if (!device.brand.empty() && !device.mac.empty()) {
            if (m_records.LocalCount(device.mac) < 1) {
                m_records.InsertLocal(device.mac, device.brand, device.ip);
            } else {
                m_records.UpdateLocal(device.mac, device.brand, device.ip);
            }
        }
        if (device.brand.empty()) {
            device.brand = std::string(BoxNames::kDefaultName);
        }
        m_state.setCurrentBrand(device.brand);
        m_records.SyncDeviceRecord(device);
    }
    m_state.setCurrentBrand(device.brand);
    m_page.setBoxName(device.brand);
}

}  // namespace qvpc
