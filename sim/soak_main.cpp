// nimbra-soak [days] [seed]: runs the simulated year (or as many days as
// given) and prints its table. The settings file lives in a fresh folder
// under the temporary folder, removed afterwards (kept with SOAK_KEEP=1).
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/file.h"
#include "sim/simulation.h"

int main(int argc, char** argv) {
  // The program's users keep Japan time.
  setenv("TZ", "JST-9", 1);
  tzset();
  SimConfig config;
  if (argc > 1) config.days = std::atoi(argv[1]);
  if (argc > 2) config.seed = std::strtoull(argv[2], nullptr, 10);
  config.trace = std::getenv("SOAK_TRACE") != nullptr;
  // A user who never enters a one-shot over a later occurrence of a
  // repeating entry.
  config.userClashes = std::getenv("SOAK_CAREFUL") == nullptr;
  // Another wake lead than the simulated user's (the settings' default is 60).
  if (const char* lead = std::getenv("SOAK_LEAD")) config.wakeupLeadSec = std::atoi(lead);
  if (config.days <= 0) {
    std::fprintf(stderr, "usage: nimbra-soak [days] [seed]\n");
    return 2;
  }
  std::string folder = TempDirectory() + "/nimbra-soak-XXXXXX";
  if (!mkdtemp(folder.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  config.folder = folder;
  std::printf("nimbra-soak: %d days, seed %llu\n", config.days,
              static_cast<unsigned long long>(config.seed));
  std::fflush(stdout);
  const std::clock_t began = std::clock();
  const SimReport report = RunSimulation(config);
  std::fputs(FormatReport(config, report).c_str(), stdout);
  std::printf("\n(%.1f s of processor time)\n",
              static_cast<double>(std::clock() - began) / CLOCKS_PER_SEC);
  if (!std::getenv("SOAK_KEEP")) std::system(("rm -rf '" + folder + "'").c_str());
  else std::printf("kept %s\n", folder.c_str());
  return 0;
}
