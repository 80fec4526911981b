#pragma once

#include <string>

#include "service_hosts.h"

namespace qvpc {

// The configuration values: the program's name, its web pages and the
// addresses of the online services. Each has a built-in default and can be
// replaced by an environment variable of the same name in upper case with the
// prefix QVPC_ (for example QVPC_FORUM_URL); the README lists them.
//
// The pages' defaults are placeholders under the reserved domain ".invalid",
// which never resolves, and the feedback group has none: whoever ships the
// program gives the real values, and no default may send a user to a page or
// group that someone else owns.
struct Config {
    std::string programName = "RiVod 电视盒子助手";
    std::string fullVersionUrl = "https://rivod.invalid/download/";
    std::string forumUrl = "https://rivod.invalid/forum/";
    std::string websiteUrl = "https://rivod.invalid/";
    std::string tutorialUrl = "https://rivod.invalid/help/";
    std::string feedbackGroup;     // empty: the footer shows no feedback link
    std::string feedbackGroupUrl;  // empty: the link opens nothing
    // The online services as host[:port]; the defaults are servicesim's
    // default ports on loopback, so a build given no real servers talks to
    // nobody else.
    std::string updateHost = "127.0.0.1:8783";
    std::string statisticsHost = "127.0.0.1:8784";
    // The maker's remote SQL service (box records and brand names).
    std::string remoteSqlUrl = "http://sql.rivod.invalid/qvhx/sqlqvhx.php";
    // The online services, each "host" or "host:port".
    std::string catalogHost = kDefaultCatalogHost;
    std::string downloadHost = kDefaultDownloadHost;
    // Whether the tests' stand-in companion may be put on a box: only the
    // simulated boxes run it, so only the demo and the tests say "1".
    bool installStandInCompanion = false;

    static Config FromEnvironment();
};

}  // namespace qvpc
