#pragma once
// The user page's settings in one call: capacity, sleep action, action after
// the last schedule, iEPG lead, the user settings switch, the suspend watch.
#include <cstdint>

#include "schedule/app_settings.h"

inline CUserSetParam UserParam(int32_t items, SleepMode sleep, int32_t finish, int32_t lead,
                               int32_t enable, int32_t fhock) {
  CUserSetParam p;
  p.item_num_max = items;
  p.sleep_flag = sleep;
  p.finish_act = finish;
  p.epg_offset = lead;
  p.user_enable = enable;
  p.smenu_fhock = fhock;
  return p;
}
