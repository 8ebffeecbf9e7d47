#pragma once
// Settings files for the benchmarks: `entries` one-hour schedules, two hours
// apart from 2030-01-01 00:00, written to a file in the temporary folder.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file.h"
#include "platform/program_path.h"
#include "schedule/time_rules.h"

inline std::string BenchSettingsText(int entries) {
  std::string text = "[APP_MNG_INFO]\r\nuser_enable=1\r\nitem_num_max=" + std::to_string(entries) +
                     "\r\n[TV_REC_SCHEDULE]\r\nsch_num=" + std::to_string(entries) + "\r\n";
  const int32_t base = TimeToSeconds(MakeSystemTime(2030, 1, 1, 0, 0, 0));
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    const int32_t s = base + i * 7200;
    text += "sch_title[" + n + "]=\x83\x65\x83\x58\x83\x67 " + n + "\r\n";  // "テスト n"
    text += "sch_start[" + n + "]=" + std::to_string(s) + "\r\n";
    text += "sch_end[" + n + "]=" + std::to_string(s + 3600) + "\r\n";
    for (const char* k : {"sch_loop_f", "sch_loop_meth", "sch_b_wday", "sch_kikan_f",
                          "sch_kikan_s", "sch_kikan_e"})
      text += std::string(k) + "[" + n + "]=0\r\n";
  }
  return text;
}

// Writes the settings file and gives its path.
inline std::string BenchSettingsFile(const std::string& name, int entries) {
  const std::string path =
      JoinPath(TempDirectory(), "nimbra-" + name + "-" + std::to_string(entries) + ".ini");
  if (!WriteFileAtomically(path, BenchSettingsText(entries)))
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return path;
}
