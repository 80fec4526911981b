#pragma once

#include <string>

#include "app/core_parts.h"
#include "base/app_paths.h"
#include "base/log.h"
#include "support/fake_screen.h"
#include "support/fake_shell.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// The core's catalog parts against servicesim, on a scripted shell and a
// recording screen, with a data folder and a database (the carried
// template) of their own.
struct CatalogRig {
    explicit CatalogRig(const ServiceSimOptions& options = {});
    ~CatalogRig();

    // How many requests servicesim received at one endpoint ("list", "icon",
    // "apk", ...).
    int hits(const std::string& endpoint) const;
    // The log's records as UTF-8, newest first.
    std::string logText() const;
    // The rows of the catalog cache.
    int cachedRows();

    ServiceSimProcess sim;
    TempDir dir;
    AppPaths paths;
    FakeShell shell;
    FakeScreen screen;
    Log log;
    CoreParts parts;
};

}  // namespace qvpc::test
