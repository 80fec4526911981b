#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qvpc {

// The client of the maker's remote SQL service: one POST per operation, the
// message in a form field, a plain-text reply. It never reports an error but
// through the reply "-1": Select then gives the one cell "-1", CountRows -1
// and Execute false. Synchronous on the calling thread; each phase of a
// request (resolving, connecting, sending, receiving) is bounded by 2 s.
//
// Statements and where texts are the caller's; every value placed in them
// goes through remote_sql::Quoted.
class RemoteSql {
  public:
    // The remote id every request carries.
    static constexpr const char* kRemoteId = "tessiwop";

    struct Selection {
        std::vector<std::string> cells;
        std::string reply;  // the raw reply as text
    };

    // token gives each request's token; by default the clocks' (ClockToken).
    explicit RemoteSql(std::string url, std::string remoteId = kRemoteId,
                       std::function<int()> token = {});

    Selection Select(const std::string& table, const std::string& column, const std::string& where);
    int CountRows(const std::string& table, const std::string& where);
    bool Execute(const std::string& sql);

    const std::string& url() const { return m_url; }

  private:
    // The reply's text, or "-1" when the request failed.
    std::string post(const std::string& message) const;
    int token() const;

    const std::string m_url;
    const std::string m_remoteId;
    const std::function<int()> m_token;
};

}  // namespace qvpc
