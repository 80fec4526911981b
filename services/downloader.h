#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "services/transfer_engine.h"

namespace qvpc {

class CatalogView;
class Log;
class PopupView;
class WindowLoop;

// Fetches an APK into a file in the background, shows the progress in the
// popup, and hands the complete file to the installation. Downloads are
// numbered from 1 in the order they were started; their records stay for
// the program's life. A download that fails says so in the popup and gives
// a catalog tile it was for back its "安装".
class Downloader {
  public:
    enum class Status {
        Created = 0,
        Transferring = 1,
        Finished = 5,   // complete and moved to its final name
        WrongSize = 2,  // ended with other than the announced size
        Failed = 3,     // the transfer failed, or what came is no APK, or it could not be moved
    };

    struct Record {
        Status status = Status::Created;
        TransferSettings settings;
        int taskId = 0;
        std::int64_t totalSize = 0;  // announced at the start, 0 when unknown
        std::string title;
        int shownPercent = -1;
    };

    struct Needs {
        PopupView& popup;
        CatalogView& tiles;
        WindowLoop& loop;
        Log& log;
        // Every target lies inside it.
        std::string dataDir;
        // The installation of a complete file, with the download's title as
        // its item key.
        std::function<void(const std::string& path, const std::string& title)> install;
        // Runs the hand-over on the user-interface thread, when no other
        // action of the user runs there.
        std::function<void(std::function<void()>)> asUserAction;
    };

    explicit Downloader(Needs needs);
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Starts fetching url into target (its ".tmp" first) under a title such
    // as "应用下载<3>"; returns at once with the download's number. Without a
    // target the file goes into the data folder under the URL's file name. A
    // target outside the data folder, or a URL that is not HTTP, HTTPS or
    // FTP, fails at once. user and password are the FTP account, both or
    // neither (the anonymous one).
    int start(const std::string& url, const std::string& target, const std::string& title,
              const std::string& user = {}, const std::string& password = {});

    std::optional<Record> record(int number) const;

    // Ends every transfer; no event follows.
    void shutDown();

    // The popup's text for a download that failed.
    static constexpr const char* kFailed = "应用下载失败,请检查网络.";

  private:
    void onEvent(const TransferEvent& event);
    void onFinished(std::size_t index, const Record& record);
    // Tells the user and the log, and gives a catalog tile its "安装" back.
    void fail(const std::string& title, const std::string& url, const std::string& why);
    std::optional<std::size_t> indexOf(int taskId) const;
    // The target or an empty text when it may not be written.
    std::string checkedTarget(const std::string& url, const std::string& target) const;

    Needs m_needs;
    mutable std::mutex m_mutex;  // guards the records
    std::vector<Record> m_records;
    TransferEngine m_engine;  // last: its thread calls onEvent
};

}  // namespace qvpc
