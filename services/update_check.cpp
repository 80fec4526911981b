#include "services/update_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/atomic_file.h"
#include "base/dialogs.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/spawn.h"
#include "base/unique_fd.h"
#include "base/update_command_line.h"
#include "base/window_loop.h"
#include "net/http_client.h"
#include "services/md5_digest.h"
#include "services/version_number.h"

namespace qvpc {
namespace {

constexpr std::string_view kLog = log_category::kMain;
constexpr int kRequestTimeoutSeconds = 3;
constexpr const char* kForced = "真";
constexpr const char* kNoContact = "作者更新信息还没提交";
constexpr const char* kContactPrefix = "作者更新信息还没提交,联系我吧,QQ:";
constexpr std::size_t kLongestUrl = 2048;
// The notes travel in one argument of the updater's command line, which the
// system limits; the updater only shows them.
constexpr std::size_t kLongestNotes = 4096;
constexpr mode_t kUpdaterMode = 0755;

// The address the updater is to fetch: http or https; spaces and non-ASCII
// characters percent-encoded (as UTF-8), as a browser sends them. Nothing
// when it holds what would end it or split the command line's fields.
std::optional<std::string> UsableUrl(const std::string& url) {
    const bool web = url.starts_with("http://") || url.starts_with("https://");
    if (!web || url.ends_with("//")) {
        return std::nullopt;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string usable;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '"' || c == '\\') {
            return std::nullopt;
        }
        if (byte == ' ' || byte >= 0x80) {
            usable += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        } else {
            usable += c;
        }
    }
    if (usable.size() > kLongestUrl) {
        return std::nullopt;
    }
    return usable;
}

// At most limit bytes, cut before a character, not inside one.
std::string Utf8Prefix(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

VersionNumber VersionOf(const std::string& text) {
    return VersionNumber::Parse(text).value_or(*VersionNumber::Parse("0"));
}

}  // namespace

UpdateCheck::UpdateCheck(Log& log, Dialogs& dialogs, WindowLoop& window,
                         std::function<std::string()> currentProgress, std::string dataDir,
                         UpdateSettings settings)
    : m_log(log),
      m_dialogs(dialogs),
      m_window(window),
      m_currentProgress(std::move(currentProgress)),
      m_dataDir(std::move(dataDir)),
      m_settings(std::move(settings)) {}

UpdateCheck::~UpdateCheck() {
    shutDown();
}

std::string UpdateCheck::UpdaterPath(const std::string& dataDir) {
    return dataDir + "/update_QVPC";
}

UpdateOffer UpdateCheck::latestOffer() const {
    std::lock_guard lock(m_mutex);
    return m_offer;
}

std::optional<pid_t> UpdateCheck::updaterPid() const {
    std::lock_guard lock(m_mutex);
    return m_updaterPid;
}

void UpdateCheck::startCheck(bool manual) {
    std::lock_guard lock(m_mutex);
    // Checks that have ended are collected here, so clicks do not pile up
    // threads.
    std::erase_if(m_workers, [](Worker& worker) {
        if (!worker.done->load()) {
            return false;
        }
        worker.thread.join();
        return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_workers.push_back({std::thread([this, manual, done] {
                             checkForUpdate(manual);
                             done->store(true);
                         }),
                         done});
}

void UpdateCheck::shutDown() {
    std::vector<Worker> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (Worker& worker : workers) {
        worker.thread.join();
    }
}

void UpdateCheck::checkForUpdate(bool manual) {
    m_log.WriteLog(kLog, "检查更新");
    if (m_running.exchange(true)) {
        m_log.WriteLog(kLog, "更新中");
        return;
    }
    struct ClearRunning {
        std::atomic<bool>& running;
        ~ClearRunning() { running.store(false); }
    } clear{m_running};

    HttpRequest request;
    request.url = "http://" + m_settings.updateHost + "/getupdate.php";
    request.timeoutSeconds = kRequestTimeoutSeconds;
    const ParsedUpdateReply reply = ParseUpdateReply(UpdateReplyText(HttpClient::request(request)));
    if (reply.kind == ParsedUpdateReply::Kind::NoPart) {
        m_log.WriteLog(kLog, "没有取到更新信息");
        failCheck(manual);
        return;
    }
    if (reply.kind == ParsedUpdateReply::Kind::TooFewItems) {
        m_log.WriteLog(kLog, "更新数据不完全全,项目少于5");
        failCheck(manual);
        return;
    }
    const UpdateOffer& offer = reply.offer;
    const std::optional<VersionNumber> latest = VersionNumber::Parse(offer.version);
    if (!latest) {
        // Compared as it is, an unreadable version would count as older than
        // every release and tell the user that theirs was never published.
        m_log.WriteLog(kLog, "更新版本号无法识别:" + offer.version);
        failCheck(manual);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_offer = offer;
    }
    m_log.WriteLog(kLog, offer.version);
    m_log.WriteLog(kLog, offer.notes);

    const VersionNumber current = VersionOf(m_settings.programVersion);
    if (*latest > current) {
        offerUpdate(offer);
    } else if (*latest == current) {
        if (manual) {
            m_dialogs.MsgBox(Notice("未检测到更新", "您使用的是最新版"));
        }
        m_log.WriteLog(kLog, "版本最新,不需要更新");
    } else {
        if (manual) {
            m_dialogs.MsgBox(Notice("您的版本还没发布", "请到官网下载官方版本"));
        }
        m_log.WriteLog(kLog, "您的版本还没发布");
    }
}

void UpdateCheck::failCheck(bool manual) {
    if (manual) {
        m_dialogs.MsgBox(Notice("获取更新失败", "网络错误,请检查外网是否联通"));
    }
}

void UpdateCheck::offerUpdate(const UpdateOffer& offer) {
    m_log.WriteLog(kLog, "有新版本，请更新后再运行");
    if (offer.force == kForced) {
        // A forced update still asks: the user may be in the middle of work.
        m_log.WriteLog(kLog, "强制更新");
    }
    if (m_dialogs.MsgBox(Question("检测到新版本:" + offer.version, "是否要更新?")) != 0) {
        return;
    }
    if (UsableUrl(offer.url)) {
        m_log.WriteLog(kLog, "更新地址有效,开始更新");
        // runSelfUpdate closes the window once the updater runs; when it did
        // not start, the program goes on as it was.
        runSelfUpdate();
        return;
    }
    if (!offer.url.empty()) {
        m_log.WriteLog(kLog, "更新地址无效:" + offer.url);
    }
    // Without an address there is nothing to update to, so the program stays
    // open for the work at hand.
    const std::string text = m_settings.contactNumber.empty()
                                 ? std::string(kNoContact)
                                 : kContactPrefix + m_settings.contactNumber;
    m_log.WriteLog(kLog, text);
    m_dialogs.MsgBox(Notice("更新信息获取失败", text));
}

bool UpdateCheck::runSelfUpdate() {
    const UpdateOffer offer = latestOffer();
    const VersionNumber latest = VersionOf(offer.version);
    const VersionNumber current = VersionOf(m_settings.programVersion);
    if (latest == current) {
        return false;
    }
    if (current > latest &&
        m_dialogs.MsgBox(Question("您的版本:" + m_settings.programVersion + ",还没有发布!",
                                  "最新版本:" + offer.version + "\r\n是否更新到官方版本? ")) != 0) {
        return false;
    }
    if (!m_currentProgress().empty() &&
        m_dialogs.MsgBox(Question("有任务正在进行", "是否关闭助手进行更新?")) != 0) {
        return false;
    }
    return startUpdater(offer);
}

bool UpdateCheck::startUpdater(const UpdateOffer& offer) {
    const std::string path = UpdaterPath(m_dataDir);
    if (!writeUpdater(path)) {
        return false;
    }
    const std::string commandLine =
        UpdaterCommandLine({.version = offer.version,
                            .executablePath = m_settings.executablePath,
                            .url = UsableUrl(offer.url).value_or(""),
                            .notes = Utf8Prefix(offer.notes, kLongestNotes)});
    // A session of its own: the updater outlives this program, which it waits
    // for, and no terminal's hang-up ends it.
    const std::optional<pid_t> pid = Spawn(
        {path, commandLine},
        {.start = ProcessStart::NewSession,
         .environment = ChangedEnvironment(kUpdaterWaitPidVariable, std::to_string(::getpid()))});
    if (!pid) {
        failUpdate("启动更新程序失败:" + path);
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_updaterPid = pid;
    }
    m_log.WriteLog(kLog, "已启动更新程序,进程号" + std::to_string(*pid));
    m_window.closeMainWindow();
    return true;
}

bool UpdateCheck::writeUpdater(const std::string& path) {
    // A running program's file cannot be opened for writing: this is how an
    // updater still at work shows itself.
    UniqueFd probe(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, kUpdaterMode));
    if (!probe.valid() && errno == ETXTBSY) {
        m_log.WriteLog(kLog, "进程已存在");
        m_dialogs.MsgBox(Notice("更新失败", "更新程序已在运行,请稍候再试"));
        return false;
    }
    probe.reset();
    // The file is written only when it is not the carried updater already.
    const std::span<const unsigned char> image = m_settings.updaterImage;
    const bool written = !image.empty() && (FileMd5Hex(path) == Md5Hex(image)
                                                ? ::chmod(path.c_str(), kUpdaterMode) == 0
                                                : WriteFileReplacing(path, image, kUpdaterMode));
    if (!written) {
        failUpdate("写出更新程序失败:" + path);
    }
    return written;
}

void UpdateCheck::failUpdate(const std::string& logText) {
    m_log.WriteLog(kLog, logText);
    m_dialogs.MsgBox(Notice("更新失败", "无法启动更新程序,请稍后再试"));
}

}  // namespace qvpc
