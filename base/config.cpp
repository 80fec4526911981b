#include "base/config.h"

#include <cstdlib>

namespace qvpc {
namespace {

void Override(std::string& value, const char* variable) {
    if (const char* env = std::getenv(variable); env && *env) {
        value = env;
    }
}

}  // namespace

Config Config::FromEnvironment() {
    Config config;
    Override(config.programName, "QVPC_PROGRAM_NAME");
    Override(config.fullVersionUrl, "QVPC_FULL_VERSION_URL");
    Override(config.forumUrl, "QVPC_FORUM_URL");
    Override(config.websiteUrl, "QVPC_WEBSITE_URL");
    Override(config.tutorialUrl, "QVPC_TUTORIAL_URL");
    Override(config.feedbackGroup, "QVPC_FEEDBACK_GROUP");
    Override(config.feedbackGroupUrl, "QVPC_FEEDBACK_GROUP_URL");
    Override(config.updateHost, "QVPC_UPDATE_HOST");
    Override(config.statisticsHost, "QVPC_STATISTICS_HOST");
    Override(config.remoteSqlUrl, "QVPC_REMOTE_SQL_URL");
    Override(config.catalogHost, "QVPC_CATALOG_HOST");
    Override(config.downloadHost, "QVPC_DOWNLOAD_HOST");
    std::string standIn;
    Override(standIn, "QVPC_INSTALL_STAND_IN_COMPANION");
    config.installStandInCompanion = standIn == "1";
    return config;
}

}  // namespace qvpc
