// servicesim: the online services of the TV box assistant on loopback ports,
// for tests and for people trying the program without the real servers.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "sim/catalog.h"
#include "sim/ftp_server.h"
#include "sim/hit_log.h"
#include "sim/http_server.h"
#include "sim/options.h"
#include "sim/remote_sql_database.h"
#include "sim/service_sim.h"
#include "sim/stop_signal.h"

namespace {

using namespace qvpc::servicesim;

std::unique_ptr<RemoteSqlDatabase> OpenDatabase(const Options& options) {
    auto database = std::make_unique<RemoteSqlDatabase>(options.sqlDb);
    std::string seedPath = options.sqlSeed.value_or(options.dataDir + "/remote_sql.json");
    if (seedPath.empty()) {
        return database;
    }
    std::ifstream in(seedPath, std::ios::binary);
    if (!in) {
        if (options.sqlSeed) {
            throw std::runtime_error("cannot read the seed file " + seedPath);
        }
        return database;
    }
    nlohmann::json seed = nlohmann::json::parse(in, nullptr, false);
    if (seed.is_discarded() || !seed.is_object()) {
        throw std::runtime_error(seedPath + " is not a JSON object");
    }
    database->seedIfEmpty(seed);
    return database;
}

void WriteReadyFile(const std::string& path, nlohmann::json info) {
    info["pid"] = getpid();
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << info.dump(2) << '\n';
        if (!out) {
            throw std::runtime_error("cannot write " + temporary);
        }
    }
    std::filesystem::rename(temporary, path);
}

void PrintServed(const nlohmann::json& info, const Catalog& catalog) {
    size_t apks = 0;
    for (const CatalogApp& app : catalog.apps()) {
        apks += std::filesystem::exists(catalog.dir() + "/apks/" + app.apkFile()) ? 1 : 0;
    }
    const nlohmann::json& urls = info["urls"];
    std::cout << "servicesim: catalog " << catalog.dir() << " (" << catalog.apps().size()
              << " apps, " << apks << " APKs)\n";
    std::cout << "  catalog lists    ";
    const char* indent = "";
    for (const auto& url : urls["list"]) {
        std::cout << indent << url.get<std::string>() << "\n";
        indent = "                   ";
    }
    std::cout << "  package lookup   " << urls["lookup"].get<std::string>() << "com.a,com.b\n"
              << "  market search    " << urls["search"].get<std::string>() << "\n"
              << "  APK downloads    " << urls["apk"].get<std::string>() << "PACKAGE_CODE.apk\n"
              << "  icons            " << urls["icon"].get<std::string>() << "PACKAGE.png\n"
              << "  update check     " << urls["update"].get<std::string>() << "\n"
              << "  statistics       " << urls["stats"].get<std::string>() << "\n"
              << "  remote SQL       " << urls["sql"].get<std::string>()
              << " (POST DATA=, any path ending /sqlqvhx.php)\n"
              << "  FTP downloads    " << urls["ftp"].get<std::string>() << "PACKAGE_CODE.apk\n"
              << "  control          " << urls["control"].get<std::string>() << "\n"
              << "Ctrl-C stops." << std::endl;
}

int Run(const Options& options) {
    std::string error;
    std::optional<Catalog> catalog = Catalog::Load(options.dataDir, error);
    if (!catalog) {
        std::cerr << "servicesim: " << error << "\n";
        return 1;
    }
    ServiceSim::Settings settings;
    settings.remoteId = options.remoteId;
    settings.sqlToken = options.sqlToken;
    settings.update = options.update;
    settings.updateUrlGiven = options.updateUrlGiven;
    ServiceSim sim(std::move(*catalog), OpenDatabase(options),
                   std::make_unique<HitLog>(options.recordPath), settings);
    for (const auto& [endpoint, fault] : options.faults) {
        sim.faults().set(endpoint, fault);
    }

    // The listener threads inherit this mask, so the signals reach sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    StopSignal stop;
    std::vector<std::unique_ptr<HttpServer>> servers;
    std::map<Service, std::uint16_t> ports;
    for (const auto& [port, services] : options.listeners()) {
        auto server = std::make_unique<HttpServer>(
            options.bind, port,
            [&sim, served = services](const HttpRequest& request) {
                return sim.handle(served, request);
            },
            stop);
        for (Service service : services) {
            ports[service] = server->port();
        }
        servers.push_back(std::move(server));
    }
    FtpServer ftp(
        options.bind, options.ports.at(Service::Ftp),
        [&sim](const HttpRequest& request) { return sim.handle({Service::Download}, request); },
        stop, options.ftpAccount);
    ports[Service::Ftp] = ftp.port();
    sim.setAddresses(options.host, ports);
    nlohmann::json info = sim.info();
    PrintServed(info, sim.catalog());
    if (!options.readyFile.empty()) {
        WriteReadyFile(options.readyFile, info);
    }

    int received = 0;
    sigwait(&stopSignals, &received);
    std::cout << "servicesim: stopping" << std::endl;
    stop.raise();
    servers.clear();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<Options> options =
        Options::Parse(argc, argv, SERVICESIM_DATA_DIR, SERVICESIM_VERSION, error);
    if (!options) {
        std::cerr << "servicesim: " << error << "\n" << UsageText();
        return 2;
    }
    if (options->help) {
        std::cout << UsageText();
        return 0;
    }
    try {
        return Run(*options);
    } catch (const std::exception& e) {
        std::cerr << "servicesim: " << e.what() << "\n";
        return 1;
    }
}
