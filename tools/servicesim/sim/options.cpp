#include "sim/options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace qvpc::servicesim {

std::uint16_t DefaultPort(Service service) {
    switch (service) {
        case Service::Catalog:
            return 8781;
        case Service::Download:
            return 8782;
        case Service::Update:
            return 8783;
        case Service::Stats:
            return 8784;
        case Service::Sql:
            return 8785;
        case Service::Control:
            return 8789;
        case Service::Ftp:
            return 8721;
    }
    return 0;
}

const char* UsageText() {
    return R"(usage: servicesim [options]
Serves the online services of the TV box assistant on loopback ports: the
catalog API, the package lookup and market search, APK and icon downloads,
the update check, the statistics URL and the remote SQL service.

  --bind ADDR            IPv4 address to listen on (127.0.0.1)
  --host NAME            host written into the URLs of replies (the bind address)
  --port N               every service on one port (0: a free port)
  --catalog-port N       catalog API, /openapi/ (8781)
  --download-port N      lookup, market search, /down/ files (8782)
  --update-port N        /getupdate.php (8783)
  --stats-port N         statistics /index.php (8784)
  --sql-port N           remote SQL .../sqlqvhx.php (8785)
  --control-port N       control API /_sim/ (8789)
  --ftp-port N           the /down/ files over FTP (8721)
  --data DIR             catalog data folder (apps.json, icons/, apks/, update/)
  --sql-db FILE          keep the remote SQL database in FILE (in memory)
  --sql-seed FILE        rows for app_mac and units (DATA/remote_sql.json); "" for none
  --record FILE          append every request as one JSON line
  --ready-file FILE      write ports and URLs as JSON once listening
  --fault ENDPOINT=SPEC  misbehave (repeatable); ENDPOINT is list, lookup, search,
                         apk, icon, file, update, stats or sql; SPEC is kinds joined
                         by "+": slow:MS, -1, empty, malformed, huge[:BYTES],
                         http:CODE, literal, throttle:BPS, drop:BYTES, stall:BYTES,
                         allnum:TEXT, number:KEY, missing:KEY, escape:json|percent,
                         crlf, leadcr, meta:CHARSET, nolength, hostile, endless,
                         loris[:MS]
  --hostile              hostile names on list, lookup, search, apk and icon
  --update-version V     version offered by /getupdate.php (the project version)
  --update-url URL       update URL offered (this double's update file)
  --update-force         offer the update as forced ("真")
  --update-notes TEXT    update notes
  --update-date TEXT     the fifth item of the update reply
  --update-charset CS    gbk (the real server's) or utf-8 (a page saved as UTF-8)
  --remote-id ID         remote id the SQL service accepts (tessiwop)
  --sql-token N          the only token the SQL service accepts (any of 0-9999)
  --ftp-account U:P      the one FTP account let in (530 for any other); any without
  --help
Ctrl-C (SIGINT) or SIGTERM stops it.
)";
}

namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// --hostile: hostile names on every endpoint that carries names, on top of
// the faults given for it.
void AddHostileNames(std::vector<std::pair<Endpoint, Fault>>& faults) {
    for (Endpoint endpoint :
         {Endpoint::List, Endpoint::Lookup, Endpoint::Search, Endpoint::Apk, Endpoint::Icon}) {
        bool given = false;
        for (auto& [each, fault] : faults) {
            if (each == endpoint) {
                fault.shape.hostile = true;
                given = true;
            }
        }
        if (!given) {
            Fault fault;
            fault.shape.hostile = true;
            faults.emplace_back(endpoint, fault);
        }
    }
}

}  // namespace

std::optional<Options> Options::Parse(int argc, char** argv, const std::string& defaultDataDir,
                                      const std::string& defaultVersion, std::string& error) {
    Options options;
    options.dataDir = defaultDataDir;
    options.update.version = defaultVersion;
    options.update.notes = "1. 修复了若干问题\r\n2. 提升了下载和安装速度";
    options.update.date = "2017-02-21";
    for (Service service : AllServices()) {
        options.ports[service] = DefaultPort(service);
    }
    std::map<Service, bool> portGiven;

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view name = arg;
        std::optional<std::string> inlineValue;
        if (size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            inlineValue = std::string(arg.substr(eq + 1));
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        auto port = [&]() -> std::optional<std::uint16_t> {
            std::optional<std::string> text = value();
            if (!text) {
                return std::nullopt;
            }
            std::optional<std::uint16_t> number = ParsePort(*text);
            if (!number) {
                error = std::string(name) + ": not a port: " + *text;
            }
            return number;
        };
        auto text = [&](std::string& target) {
            std::optional<std::string> got = value();
            if (got) {
                target = *got;
            }
            return got.has_value();
        };

        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--update-force") {
            options.update.force = true;
            continue;
        }
        if (name == "--hostile") {
            options.hostile = true;
            continue;
        }
        bool ok = true;
        if (name == "--bind") {
            ok = text(options.bind);
        } else if (name == "--host") {
            ok = text(options.host);
        } else if (name == "--port") {
            std::optional<std::uint16_t> number = port();
            ok = number.has_value();
            options.sharedPort = number;
        } else if (name.ends_with("-port") && name.starts_with("--")) {
            std::string_view serviceName = name.substr(2, name.size() - 2 - 5);
            std::optional<Service> service = ServiceFromName(serviceName);
            if (!service) {
                error = "unknown option " + std::string(name);
                return std::nullopt;
            }
            std::optional<std::uint16_t> number = port();
            ok = number.has_value();
            if (ok) {
                options.ports[*service] = *number;
                portGiven[*service] = true;
            }
        } else if (name == "--data") {
            ok = text(options.dataDir);
        } else if (name == "--sql-db") {
            ok = text(options.sqlDb);
        } else if (name == "--sql-seed") {
            std::string seed;
            ok = text(seed);
            options.sqlSeed = seed;
        } else if (name == "--record") {
            ok = text(options.recordPath);
        } else if (name == "--ready-file") {
            ok = text(options.readyFile);
        } else if (name == "--fault") {
            std::string spec;
            ok = text(spec);
            if (ok) {
                size_t eq = spec.find('=');
                std::optional<Endpoint> endpoint =
                    EndpointFromName(std::string_view(spec).substr(0, eq));
                if (eq == std::string::npos || !endpoint) {
                    error =
                        "--fault wants ENDPOINT=SPEC with ENDPOINT one of list, lookup, "
                        "search, apk, icon, file, update, stats, sql: " +
                        spec;
                    return std::nullopt;
                }
                std::optional<Fault> fault = Fault::Parse(spec.substr(eq + 1), error);
                if (!fault) {
                    return std::nullopt;
                }
                options.faults.emplace_back(*endpoint, *fault);
            }
        } else if (name == "--update-version") {
            ok = text(options.update.version);
        } else if (name == "--update-url") {
            ok = text(options.update.url);
            options.updateUrlGiven = true;
        } else if (name == "--update-notes") {
            ok = text(options.update.notes);
        } else if (name == "--update-date") {
            ok = text(options.update.date);
        } else if (name == "--update-charset") {
            std::string charset;
            ok = text(charset);
            if (ok && charset != "gbk" && charset != "utf-8") {
                error = "--update-charset is gbk or utf-8: " + charset;
                return std::nullopt;
            }
            options.update.utf8 = charset == "utf-8";
        } else if (name == "--remote-id") {
            ok = text(options.remoteId);
        } else if (name == "--sql-token") {
            std::string token;
            ok = text(token);
            options.sqlToken = token;
        } else if (name == "--ftp-account") {
            std::string account;
            ok = text(account);
            const size_t colon = account.find(':');
            if (ok && (colon == std::string::npos || colon == 0)) {
                error = "--ftp-account wants USER:PASSWORD";
                return std::nullopt;
            }
            if (ok) {
                options.ftpAccount.emplace(account.substr(0, colon), account.substr(colon + 1));
            }
        } else {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (options.sharedPort) {
        for (Service service : AllServices()) {
            // FTP cannot share a port with HTTP; "--port 0" frees it too.
            bool follows = service != Service::Ftp || *options.sharedPort == 0;
            if (!portGiven[service] && follows) {
                options.ports[service] = *options.sharedPort;
            }
        }
    }
    if (options.host.empty()) {
        options.host = options.bind == "0.0.0.0" ? "127.0.0.1" : options.bind;
    }
    if (options.hostile) {
        AddHostileNames(options.faults);
    }
    return options;
}

std::vector<std::pair<std::uint16_t, std::vector<Service>>> Options::listeners() const {
    std::vector<std::pair<std::uint16_t, std::vector<Service>>> result;
    for (Service service : AllServices()) {
        if (service == Service::Ftp) {
            continue;
        }
        std::uint16_t port = ports.at(service);
        bool shares = port != 0 || (sharedPort && *sharedPort == 0);
        auto it = std::find_if(result.begin(), result.end(), [&](const auto& listener) {
            return shares && listener.first == port;
        });
        if (it != result.end()) {
            it->second.push_back(service);
        } else {
            result.push_back({port, {service}});
        }
    }
    return result;
}

}  // namespace qvpc::servicesim
