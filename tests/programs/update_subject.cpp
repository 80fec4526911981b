// A small program that updates itself the way the assistant does, for the
// end-to-end test of the self-update. Built twice, as 3.0.0.1 and 3.0.0.2.
//
// It writes its version and process id to "starts.txt" in its data folder,
// asks the update server (QVPC_UPDATE_HOST) once and, offered a newer
// version, consents on its first start in that folder and declines later
// (as a user who has just seen an update fail would), then ends as the
// assistant does when its window closes.

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/app_paths.h"
#include "base/config.h"
#include "base/log.h"
#include "deploy/carried_images.h"
#include "services/update_check.h"
#include "support/fake_screen.h"

int main() {
    using namespace qvpc;
    const AppPaths paths = AppPaths::UnderDocuments(DocumentsDir());
    MakeDirectories(paths.tempDir);
    const std::string starts = paths.dataDir + "/starts.txt";
    const bool firstStart = !std::filesystem::exists(starts);
    std::ofstream(starts, std::ios::app) << SUBJECT_VERSION << " " << ::getpid() << "\n";

    Log log(paths.logPath);
    test::FakeScreen screen;
    screen.answerNextBoxes({firstStart ? 0 : 1});
    const Config config = Config::FromEnvironment();
    UpdateCheck check(log, screen, screen, [] { return std::string(); }, paths.dataDir,
                      {.programVersion = SUBJECT_VERSION,
                       .executablePath = ProgramPath(),
                       .updaterImage = carried_images::Updater(),
                       .updateHost = config.updateHost});
    check.checkForUpdate(false);
    return 0;
}
