#pragma once

#include <string>

namespace qvpc {

// The configuration values: the program's name, its web pages and the
// addresses of the online services. Each has a built-in default and can be
// replaced by an environment variable of the same name in upper case with the
// prefix QVPC_ (for example QVPC_FORUM_URL); the README lists them.
struct Config {
    std::string programName = "RiVod 电视盒子助手";
    std::string fullVersionUrl = "https://www.rivod.example/download/";
    std::string forumUrl = "https://bbs.rivod.example/";
    std::string websiteUrl = "https://www.rivod.example/";
    std::string tutorialUrl = "https://www.rivod.example/help/";
    std::string feedbackGroup = "123456789";
    std::string feedbackGroupUrl = "https://qm.qq.com/cgi-bin/qm/qr?k=rivod";

    static Config FromEnvironment();
};

}  // namespace qvpc
